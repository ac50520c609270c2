#include "ui/LanguageEditor.h"
#include "ui/ErrorText.h"

#include "ui/HintText.h"
#include "ui/KeyTexts.h"
#include "ui/TextBridge.h"
#include "ui/TextTargets.h"
#include "ui/WindowLook.h"

#include "settings/ProfileFile.h"
#include "settings/SettingsKeys.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <exception>
#include <utility>
#include <vector>

namespace qvc {

namespace {

QTableWidget *KeyValueGrid(const QString &name, QWidget *parent)
{
    auto *grid = new QTableWidget(0, 2, parent);
    grid->setObjectName(name);
    grid->setHorizontalHeaderLabels({ CaptionText("LanguageColumn1"), CaptionText("LanguageColumn2") });
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(18);
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->setColumnWidth(0, 200);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::AllEditTriggers);
    grid->setTabKeyNavigation(true);
    return grid;
}

// One section's rows shown in a language grid: the key fixed, the value edited in place.
void FillLanguageGrid(QTableWidget *grid, const std::vector<std::pair<std::string, std::string>> &rows)
{
    grid->setRowCount(0);
    grid->setRowCount(int(rows.size()));
    for (int row = 0; row < int(rows.size()); ++row) {
        auto *key = new QTableWidgetItem(ToQ(rows[std::size_t(row)].first));
        key->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        grid->setItem(row, 0, key);
        auto *value = new QTableWidgetItem(ToQ(rows[std::size_t(row)].second));
        value->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        grid->setItem(row, 1, value);
    }
}

std::vector<std::pair<std::string, std::string>> LanguageGridRows(QTableWidget *grid)
{
    // A value still in its cell editor is taken into the grid first (Apply by its access key keeps the focus there).
    grid->setCurrentIndex(QModelIndex());
    std::vector<std::pair<std::string, std::string>> rows;
    for (int row = 0; row < grid->rowCount(); ++row) {
        const QTableWidgetItem *key = grid->item(row, 0);
        const QTableWidgetItem *value = grid->item(row, 1);
        rows.emplace_back(FromQ(key ? key->text() : QString()), FromQ(value ? value->text() : QString()));
    }
    return rows;
}

} // namespace

TLanguageEditor::TLanguageEditor(TDialogSeam &dialogs, QWidget *parent)
    : QFrame(parent)
    , m_dialogs(dialogs)
{
    QVBoxLayout *layout = OverlayLayout(this, QStringLiteral("pLanguageDefault"));
    pLanguageCaptionTitle
        = TitleBar(QStringLiteral("pLanguageCaptionTitle"), CaptionText("LanguageCaptionTitle"), kActiveCaption, this);
    pLanguageCaptionTitle->setFixedHeight(18);
    layout->addWidget(pLanguageCaptionTitle);
    ValueListEditor1 = KeyValueGrid(QStringLiteral("ValueListEditor1"), this);
    layout->addWidget(ValueListEditor1, 1);
    pLanguageHintTitle
        = TitleBar(QStringLiteral("pLanguageHintTitle"), CaptionText("LanguageHintTitle"), kActiveCaption, this);
    pLanguageHintTitle->setFixedHeight(18);
    layout->addWidget(pLanguageHintTitle);
    ValueListEditor2 = KeyValueGrid(QStringLiteral("ValueListEditor2"), this);
    ValueListEditor2->setFixedHeight(153);
    layout->addWidget(ValueListEditor2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    bbApply = new QPushButton(CaptionText("ButtonApply"), this);
    bbApply->setObjectName(QStringLiteral("bbApply"));
    bbApply->setProperty("Tag", 0);
    SetHint(bbApply, HintText("ButtonApply"));
    bbCancel = new QPushButton(CaptionText("ButtonCancel"), this);
    bbCancel->setObjectName(QStringLiteral("bbCancel"));
    bbCancel->setProperty("Tag", 1);
    SetHint(bbCancel, HintText("ButtonCancel"));
    for (QPushButton *button : { bbApply, bbCancel }) {
        button->setMinimumWidth(96);
        buttons->addWidget(button);
    }
    connect(bbApply, &QPushButton::clicked, this, &TLanguageEditor::ApplyClicked);
    connect(bbCancel, &QPushButton::clicked, this, &TLanguageEditor::CancelClicked);
    layout->addLayout(buttons);
    hide();
}

void TLanguageEditor::AddTextTargets(TTextTargets &targets)
{
    targets.Captions.push_back(TextOf("LanguageCaptionTitle", pLanguageCaptionTitle));
    targets.Captions.push_back(TextOf("LanguageHintTitle", pLanguageHintTitle));
    // The hints grid has the captions grid's column titles.
    for (int column = 0; column < 2; ++column) {
        const TTextTarget first
            = ColumnOf(column == 0 ? "LanguageColumn1" : "LanguageColumn2", ValueListEditor1, column);
        const TTextTarget second = ColumnOf(first.Key, ValueListEditor2, column);
        targets.Captions.push_back({ first.Key, first.Get, [first, second](const QString &title) {
                                        first.Set(title);
                                        second.Set(title);
                                    } });
    }
    targets.Captions.push_back(TextOf("ButtonApply", bbApply));
    targets.Captions.push_back(TextOf("ButtonCancel", bbCancel));
    targets.Hints.push_back(HintTargetOf("ButtonApply", static_cast<QWidget *>(bbApply)));
    targets.Hints.push_back(HintTargetOf("ButtonCancel", static_cast<QWidget *>(bbCancel)));
}

void TLanguageEditor::Load(const std::string &settingsFile)
{
    ValueListEditor1->setRowCount(0);
    ValueListEditor2->setRowCount(0);
    try {
        // A missing file or section gives empty grids.
        const TProfileFile profile(settingsFile);
        FillLanguageGrid(ValueListEditor1, profile.ReadSectionRows(kCaptionsSection));
        FillLanguageGrid(ValueListEditor2, profile.ReadSectionRows(kHintsSection));
    } catch (const std::exception &e) {
        m_dialogs.ShowMessage(window(), ErrorText(e));
    }
}

void TLanguageEditor::FocusCancel()
{
    bbCancel->setFocus(Qt::OtherFocusReason);
}

bool TLanguageEditor::Save(const std::string &settingsFile)
{
    try {
        TProfileFile profile(settingsFile);
        profile.WriteSectionRows(kCaptionsSection, LanguageGridRows(ValueListEditor1));
        profile.WriteSectionRows(kHintsSection, LanguageGridRows(ValueListEditor2));
        profile.Commit();
    } catch (const std::exception &e) {
        m_dialogs.ShowMessage(window(), ErrorText(e));
        return false;
    }
    return true;
}

} // namespace qvc
