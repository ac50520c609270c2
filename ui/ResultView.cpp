#include "ui/ResultView.h"

#include "ui/HintText.h"
#include "ui/KeyTexts.h"
#include "ui/LocaleBridge.h"
#include "ui/ScopeTexts.h"
#include "ui/TextBridge.h"
#include "ui/TextTargets.h"
#include "ui/WindowLook.h"

#include "common/TextFormat.h"
#include "results/ResultView.h"
#include "results/UnifiedDiff.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace qvc {

namespace {

// A read-only table of the view: whole rows selected, no row numbers, rows of the design height.
QTableWidget *ResultTable(const QString &name, const QStringList &columns, QWidget *parent)
{
    auto *table = new QTableWidget(0, int(columns.size()), parent);
    table->setObjectName(name);
    table->setHorizontalHeaderLabels(columns);
    table->setShowGrid(true);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(19);
    return table;
}

// A line as HTML with the byte ranges marked in a colour.
QString MarkedLine(
    const std::string &line, const std::vector<std::pair<std::size_t, std::size_t>> &ranges, const char *colour)
{
    QString html;
    std::size_t at = 0;
    for (const auto &[from, to] : ranges) {
        html += ToQ(line.substr(at, from - at)).toHtmlEscaped();
        html += QStringLiteral("<span style=\"background-color:%1\">").arg(QLatin1String(colour));
        html += ToQ(line.substr(from, to - from)).toHtmlEscaped();
        html += QStringLiteral("</span>");
        at = to;
    }
    html += ToQ(line.substr(at)).toHtmlEscaped();
    return html;
}

} // namespace

TResultView::TResultView(QWidget *parent)
    : QFrame(parent)
{
    QVBoxLayout *layout = OverlayLayout(this, QStringLiteral("pViewResult"));
    pViewResultTitle
        = TitleBar(QStringLiteral("pViewResultTitle"), CaptionText("ViewResultTitle"), kActiveCaption, this);
    pViewResultTitle->setFixedHeight(18);
    pViewResultTitle->setTextFormat(Qt::PlainText);
    layout->addWidget(pViewResultTitle);
    // The title keeps its text; a run that did not work on the whole text says where it did on a line of its own.
    stScopeResult = new QLabel(this);
    stScopeResult->setObjectName(QStringLiteral("stScopeResult"));
    stScopeResult->hide();
    layout->addWidget(stScopeResult);
    vleUnitsResult = ResultTable(QStringLiteral("vleUnitsResult"),
        { CaptionText("ViewResultColumn1"), CaptionText("ViewResultColumn2"), CaptionText("ViewResultColumn3") }, this);
    SetHint(vleUnitsResult, HintText("ViewResult"));
    vleUnitsResult->setColumnWidth(0, 300);
    vleUnitsResult->setColumnWidth(2, 76);
    vleUnitsResult->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    layout->addWidget(vleUnitsResult, 2);
    stMissedResult = new QLabel(QStringLiteral("Ocorrências não trocadas"), this);
    stMissedResult->setObjectName(QStringLiteral("stMissedResult"));
    layout->addWidget(stMissedResult);
    vleMissedResult = ResultTable(QStringLiteral("vleMissedResult"),
        { QStringLiteral("Linha"), QStringLiteral("Texto Localizado"), QStringLiteral("Motivo") }, this);
    vleMissedResult->setColumnWidth(0, 76);
    vleMissedResult->setColumnWidth(1, 300);
    vleMissedResult->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    layout->addWidget(vleMissedResult, 1);
    stChangedLines = new QLabel(this);
    stChangedLines->setObjectName(QStringLiteral("stChangedLines"));
    layout->addWidget(stChangedLines);
    memChangedLines = new QTextBrowser(this);
    memChangedLines->setObjectName(QStringLiteral("memChangedLines"));
    memChangedLines->setOpenLinks(false);
    memChangedLines->setLineWrapMode(QTextEdit::NoWrap);
    layout->addWidget(memChangedLines, 3);
    auto *bottom = new QWidget(this);
    bottom->setObjectName(QStringLiteral("pViewResultButtons"));
    bottom->setFixedHeight(39);
    auto *bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->setContentsMargins(4, 4, 4, 4);
    bottomLayout->addStretch(1);
    bbOk = new QPushButton(CaptionText("ButtonOk"), bottom);
    bbOk->setObjectName(QStringLiteral("bbOk"));
    bbOk->setProperty("Tag", 2);
    bbOk->setMinimumWidth(96);
    SetHint(bbOk, HintText("ButtonOk"));
    connect(bbOk, &QPushButton::clicked, this, &TResultView::Close);
    // bbOk has the focus when the view opens: Enter confirms it as Space does, though the panel is no dialog.
    bbOk->setAutoDefault(true);
    for (const QKeySequence &key :
        { QKeySequence(Qt::Key_Escape), QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter) }) {
        auto *shortcut = new QShortcut(key, this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, bbOk, &QPushButton::click);
    }
    bottomLayout->addWidget(bbOk);
    layout->addWidget(bottom);
    m_resultTitleText = pViewResultTitle->text();
    hide();
}

void TResultView::AddTextTargets(TTextTargets &targets)
{
    // The title panel may show a file's name; the base title is what the settings keep.
    targets.Captions.push_back({ "ViewResultTitle", [this] { return m_resultTitleText; },
        [this](const QString &text) {
            m_resultTitleText = text;
            pViewResultTitle->setText(text);
        } });
    targets.Captions.push_back(ColumnOf("ViewResultColumn1", vleUnitsResult, 0));
    targets.Captions.push_back(ColumnOf("ViewResultColumn2", vleUnitsResult, 1));
    targets.Captions.push_back(ColumnOf("ViewResultColumn3", vleUnitsResult, 2));
    targets.Captions.push_back(TextOf("ButtonOk", bbOk));
    targets.Hints.push_back(HintTargetOf("ViewResult", static_cast<QWidget *>(vleUnitsResult)));
    targets.Hints.push_back(HintTargetOf("ButtonOk", static_cast<QWidget *>(bbOk)));
}

bool TResultView::Fill(const TFileRow &row, std::size_t missedCount, const TResultStore &store, TScope scope)
{
    const std::string separator = MakeDisplayLocale().ThousandsSeparator;
    if (!ResultViewOpensFor(row.Count, missedCount))
        return false;
    // A row with count 0 shows no pairs: its slot may still hold an earlier run's result.
    const bool changed = ResultViewOpens(row.Count);
    const std::vector<TResultViewRow> lines
        = changed ? ResultViewRowsOf(store.Get(row.Number), separator) : std::vector<TResultViewRow>();
    const TRowDetails &details = store.Details(row.Number);
    pViewResultTitle->setText(QStringLiteral("%1 (%2)").arg(pViewResultTitle->text(), PathToQ(row.FileName)));
    stScopeResult->setText(RunScopeText(scope));
    SetHint(stScopeResult, ScopeChoiceHint(scope));
    stScopeResult->setVisible(scope != TScope::All);
    vleUnitsResult->setRowCount(0);
    vleUnitsResult->setRowCount(int(lines.size()));
    for (int i = 0; i < int(lines.size()); ++i) {
        const TResultViewRow &line = lines[std::size_t(i)];
        vleUnitsResult->setItem(i, 0, new QTableWidgetItem(ToQ(line.FoundText)));
        vleUnitsResult->setItem(i, 1, new QTableWidgetItem(ToQ(line.ReplacedText)));
        vleUnitsResult->setItem(i, 2, new QTableWidgetItem(ToQ(line.Count)));
    }
    ShowDetails(details, separator);
    return true;
}

void TResultView::ShowDetails(const TRowDetails &details, const std::string &separator)
{
    const std::vector<TMissedViewRow> missed = MissedViewRowsOf(details.Missed, separator);
    vleMissedResult->setRowCount(0);
    vleMissedResult->setRowCount(int(missed.size()));
    for (int i = 0; i < int(missed.size()); ++i) {
        const TMissedViewRow &line = missed[std::size_t(i)];
        vleMissedResult->setItem(i, 0, new QTableWidgetItem(ToQ(line.Line)));
        vleMissedResult->setItem(i, 1, new QTableWidgetItem(ToQ(line.Find)));
        vleMissedResult->setItem(i, 2, new QTableWidgetItem(ToQ(line.Reason)));
    }
    stMissedResult->setVisible(!missed.empty());
    vleMissedResult->setVisible(!missed.empty());

    // Old and new side by side, the words that changed marked in each.
    QString html
        = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\" width=\"100%\" style=\"white-space:pre\">");
    for (const TChangedLine &line : details.ChangedLines) {
        const TChangedWords words = ChangedWordsOf(line.Old, line.New);
        html += QStringLiteral("<tr><td align=\"right\">%1</td><td>%2</td><td>%3</td></tr>")
                    .arg(ToQ(FormatCount(static_cast<long long>(line.Line), separator)),
                        MarkedLine(line.Old, words.Old, kChangedOldColour),
                        MarkedLine(line.New, words.New, kChangedNewColour));
    }
    html += QStringLiteral("</table>");
    memChangedLines->setHtml(html);
    stChangedLines->setText(ToQ(ChangedLinesCaption(details.ChangedLines.size(), details.ChangedLineTotal, separator)));
    stChangedLines->setVisible(details.ChangedLineTotal > 0);
    memChangedLines->setVisible(details.ChangedLineTotal > 0);
}

void TResultView::FocusOk()
{
    bbOk->setFocus(Qt::OtherFocusReason);
}

void TResultView::Close()
{
    pViewResultTitle->setText(m_resultTitleText);
    Q_EMIT Closed();
}

} // namespace qvc
