#include "ui/UndoDialog.h"

#include "ui/ErrorText.h"
#include "ui/TextBridge.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QTimeZone>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <utility>

namespace qvc {

namespace {

enum TColumn { kColumnTime, kColumnFolder, kColumnFiles, kColumnState, kColumnCount };

// The folder that holds all of a run's folders: the run's own folder for a run over one tree.
std::string CommonFolder(const std::vector<std::string> &folders)
{
    if (folders.empty())
        return {};
    std::string common = folders.front();
    for (const auto &folder : folders) {
        std::size_t same = 0;
        while (same < common.size() && same < folder.size() && common[same] == folder[same])
            ++same;
        // Only whole names: "/a/bc" and "/a/bd" share "/a".
        const bool wholeName
            = (same == common.size() || common[same] == '/') && (same == folder.size() || folder[same] == '/');
        if (!wholeName)
            same = common.rfind('/', same == 0 ? 0 : same - 1);
        common.resize(same == std::string::npos ? 0 : same);
    }
    return common.empty() ? std::string("/") : common;
}

QString StateText(const TJournalSummary &run)
{
    if (!run.Refused.Empty())
        return run.Damaged ? QStringLiteral("Diário danificado") : QStringLiteral("Diário recusado");
    if (run.Undone)
        return QStringLiteral("Já desfeita");
    if (!run.Ended)
        return QStringLiteral("Interrompida");
    return QStringLiteral("Concluída");
}

QString FolderList(const std::vector<std::string> &folders)
{
    QStringList lines;
    for (const auto &folder : folders)
        lines << PathToQ(folder);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

TUndoDialog::TUndoDialog(std::vector<TJournalSummary> runs, QWidget *parent)
    : QDialog(parent)
    , m_runs(std::move(runs))
{
    setObjectName(QStringLiteral("frmUndoRuns"));
    setWindowTitle(QStringLiteral("Desfazer a Última Conversão"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    auto *caption = new QLabel(QStringLiteral("Escolha a conversão a desfazer (a mais recente primeiro):"), this);
    caption->setObjectName(QStringLiteral("stUndoRuns"));
    layout->addWidget(caption);

    lvUndoRuns = new QTreeWidget(this);
    lvUndoRuns->setObjectName(QStringLiteral("lvUndoRuns"));
    lvUndoRuns->setColumnCount(kColumnCount);
    lvUndoRuns->setHeaderLabels({ QStringLiteral("Data e hora"), QStringLiteral("Pasta"), QStringLiteral("Arquivos"),
        QStringLiteral("Situação") });
    lvUndoRuns->setRootIsDecorated(false);
    lvUndoRuns->setUniformRowHeights(true);
    lvUndoRuns->setSelectionMode(QAbstractItemView::SingleSelection);
    lvUndoRuns->setTextElideMode(Qt::ElideMiddle);
    lvUndoRuns->setAllColumnsShowFocus(true);
    QHeaderView *header = lvUndoRuns->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(kColumnTime, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(kColumnFolder, QHeaderView::Stretch);
    header->setSectionResizeMode(kColumnFiles, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(kColumnState, QHeaderView::ResizeToContents);
    const QLocale locale;
    for (const auto &run : m_runs) {
        auto *item = new QTreeWidgetItem(lvUndoRuns);
        item->setText(kColumnTime, StartText(run));
        item->setText(kColumnState, StateText(run));
        item->setToolTip(kColumnTime, PathToQ(run.Path));
        if (run.Refused.Empty()) {
            item->setText(kColumnFolder, PathToQ(CommonFolder(run.Folders)));
            item->setToolTip(kColumnFolder, FolderList(run.Folders));
            item->setText(kColumnFiles, locale.toString(qulonglong(run.FileCount)));
        } else {
            item->setToolTip(kColumnState, ErrorText(run.Refused));
        }
        item->setTextAlignment(kColumnFiles, Qt::AlignRight | Qt::AlignVCenter);
        // A run that cannot be taken back stays selectable, to be seen, but reads as disabled.
        if (!CanUndo(run))
            for (int column = 0; column < kColumnCount; ++column)
                item->setForeground(column, palette().brush(QPalette::Disabled, QPalette::Text));
    }
    layout->addWidget(lvUndoRuns, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    bbUndo = new QPushButton(QStringLiteral("&Desfazer"), this);
    bbUndo->setObjectName(QStringLiteral("bbUndo"));
    bbUndo->setDefault(true);
    bbCancel = new QPushButton(QStringLiteral("&Cancelar"), this);
    bbCancel->setObjectName(QStringLiteral("bbCancel"));
    buttons->addWidget(bbUndo);
    buttons->addWidget(bbCancel);
    layout->addLayout(buttons);

    connect(bbUndo, &QPushButton::clicked, this, &QDialog::accept);
    connect(bbCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(lvUndoRuns, &QTreeWidget::itemSelectionChanged, this, &TUndoDialog::SelectionChanged);
    connect(lvUndoRuns, &QTreeWidget::itemActivated, this, [this] {
        if (bbUndo->isEnabled())
            accept();
    });
    if (lvUndoRuns->topLevelItemCount() > 0)
        lvUndoRuns->setCurrentItem(lvUndoRuns->topLevelItem(0));
    SelectionChanged();
    lvUndoRuns->setFocus();
    // Room for the folder beside the columns sized to their contents.
    header->setMinimumSectionSize(60);
    setMinimumSize(520, 200);
    resize(620, 300);
}

int TUndoDialog::ChosenIndex() const
{
    const QList<QTreeWidgetItem *> selected = lvUndoRuns->selectedItems();
    return selected.isEmpty() ? -1 : lvUndoRuns->indexOfTopLevelItem(selected.constFirst());
}

const TJournalSummary *TUndoDialog::ChosenRun() const
{
    const int index = ChosenIndex();
    return index < 0 ? nullptr : &m_runs[std::size_t(index)];
}

bool TUndoDialog::ChoseNewest() const
{
    return ChosenIndex() == 0;
}

bool TUndoDialog::CanUndo(const TJournalSummary &run)
{
    return run.Refused.Empty() && !run.Undone;
}

QString TUndoDialog::StartText(const TJournalSummary &run)
{
    // "YYYYMMDDTHHMMSS.nnnnnnnnnZ", in UTC.
    QDateTime start = QDateTime::fromString(
        QString::fromStdString(run.StartTime.substr(0, 15)), QStringLiteral("yyyyMMdd'T'HHmmss"));
    if (!start.isValid())
        return QString::fromStdString(run.StartTime);
    start.setTimeZone(QTimeZone::utc());
    return start.toLocalTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
}

void TUndoDialog::SelectionChanged()
{
    const TJournalSummary *run = ChosenRun();
    bbUndo->setEnabled(run != nullptr && CanUndo(*run));
}

TUndoChangedDialog::TUndoChangedDialog(const std::vector<std::string> &files, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmUndoChanged"));
    setWindowTitle(QStringLiteral("Desfazer a Última Conversão"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    auto *caption = new QLabel(QStringLiteral("Estes arquivos foram alterados depois da conversão:"), this);
    caption->setObjectName(QStringLiteral("stChangedFiles"));
    layout->addWidget(caption);
    lbChangedFiles = new QListWidget(this);
    lbChangedFiles->setObjectName(QStringLiteral("lbChangedFiles"));
    lbChangedFiles->setTextElideMode(Qt::ElideMiddle);
    for (const auto &file : files)
        lbChangedFiles->addItem(PathToQ(file));
    layout->addWidget(lbChangedFiles, 1);
    auto *note = new QLabel(QStringLiteral("\"Desfazer mesmo assim\" guarda cada um deles com um nome de cópia "
                                           "numerado (como Unit1.~pas.~1~) antes de restaurar o texto de antes da "
                                           "conversão."),
        this);
    note->setObjectName(QStringLiteral("stUndoAnyway"));
    note->setWordWrap(true);
    layout->addWidget(note);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    bbUndoAnyway = new QPushButton(QStringLiteral("Desfazer &mesmo assim"), this);
    bbUndoAnyway->setObjectName(QStringLiteral("bbUndoAnyway"));
    bbUndoAnyway->setAutoDefault(false);
    bbCancel = new QPushButton(QStringLiteral("&Cancelar"), this);
    bbCancel->setObjectName(QStringLiteral("bbCancel"));
    bbCancel->setDefault(true);
    buttons->addWidget(bbUndoAnyway);
    buttons->addWidget(bbCancel);
    layout->addLayout(buttons);
    connect(bbUndoAnyway, &QPushButton::clicked, this, &QDialog::accept);
    connect(bbCancel, &QPushButton::clicked, this, &QDialog::reject);
    bbCancel->setFocus();
    setMinimumSize(420, 220);
    resize(520, 280);
}

} // namespace qvc
