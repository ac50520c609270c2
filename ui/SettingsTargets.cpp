#include "ui/SettingsTargets.h"

#include "ui/FileListModel.h"
#include "ui/HintText.h"
#include "ui/RepositoryModel.h"
#include "ui/TextBridge.h"
#include "ui/uFrm_Main.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>

namespace qvc {

namespace {

QString ColumnTitle(const QTableWidget *grid, int column)
{
    const QTableWidgetItem *item = grid->horizontalHeaderItem(column);
    return item ? item->text() : QString();
}

void SetColumnTitle(QTableWidget *grid, int column, const QString &title)
{
    if (QTableWidgetItem *item = grid->horizontalHeaderItem(column))
        item->setText(title);
    else
        grid->setHorizontalHeaderItem(column, new QTableWidgetItem(title));
}

template <typename TWidget> TTextTarget TextOf(std::string_view key, TWidget *widget)
{
    return { key, [widget] { return widget->text(); }, [widget](const QString &text) { widget->setText(text); } };
}

TTextTarget ColumnOf(std::string_view key, QTableWidget *grid, int column)
{
    return { key, [grid, column] { return ColumnTitle(grid, column); },
        [grid, column](const QString &text) { SetColumnTitle(grid, column, text); } };
}

template <typename TObject> TTextTarget HintTarget(std::string_view key, TObject *object)
{
    return { key, [object] { return HintOf(object); }, [object](const QString &hint) { SetHint(object, hint); } };
}

// The Menu keys of both sections name the same twelve actions, in Tag order.
constexpr std::string_view kMenuKeys[12] = { "MenuScanSubDirectory", "MenuAddFile", "MenuRemoveFile", "MenuSelectAll",
    "MenuInsertLine", "MenuDeleteLines", "MenuOpenRepositoryData", "MenuCopyRepositoryData", "MenuNewRepositoryData",
    "MenuSaveRepositoryData", "MenuExecuteConversion", "MenuAboutMe" };

} // namespace

std::vector<TTextTarget> CaptionTargets(Tfrm_Main &window)
{
    Tfrm_Main *w = &window;
    std::vector<TTextTarget> targets;
    targets.push_back({ "Form", [w] { return ToQ(w->Repository().WindowTitleText()); },
        [w](const QString &text) { w->Repository().SetWindowTitleText(FromQ(text)); } });
    targets.push_back(
        { "StatusBar", [w] { return w->VersionLabelText; }, [w](const QString &text) { w->VersionLabelText = text; } });
    targets.push_back(TextOf("OutlookBar", w->obOutlookBarOptionsTitle));
    targets.push_back(TextOf("OutlookBarButton1", w->obOutlookBarOptionsButtons[0]));
    targets.push_back(TextOf("OutlookBarButton2", w->obOutlookBarOptionsButtons[1]));
    targets.push_back(TextOf("OutlookBarButton3", w->obOutlookBarOptionsButtons[2]));
    constexpr std::string_view fileColumns[4]
        = { "SelectFilesColumn1", "SelectFilesColumn2", "SelectFilesColumn3", "SelectFilesColumn4" };
    for (int i = 0; i < 4; ++i) {
        // The first column, the row number, keeps its caption: the keys start at the file name column.
        const int column = i + 1;
        targets.push_back({ fileColumns[i], [w, column] { return w->FileListModel().Caption(column); },
            [w, column](const QString &text) { w->FileListModel().SetCaption(column, text); } });
    }
    constexpr std::string_view pairColumns[2] = { "ConvertStringsColumn1", "ConvertStringsColumn2" };
    for (int column = 0; column < 2; ++column)
        targets.push_back({ pairColumns[column], [w, column] { return w->RepositoryModel().Caption(column); },
            [w, column](const QString &text) { w->RepositoryModel().SetCaption(column, text); } });
    targets.push_back({ "ChangeFileName", [w] { return w->stStaticTextFileExtension->text(); },
        [w](const QString &text) {
            // The title is placed over the group's edge by hand, so it takes the size of its new text.
            w->stStaticTextFileExtension->setText(text);
            w->stStaticTextFileExtension->adjustSize();
        } });
    targets.push_back(TextOf("ChangeFileNameItem1", w->rgRadioGroupFileExtensionItems[0]));
    targets.push_back(TextOf("ChangeFileNameItem2", w->rgRadioGroupFileExtensionItems[1]));
    targets.push_back(TextOf("ChangeFileNameItem3", w->rgRadioGroupFileExtensionItems[2]));
    targets.push_back(TextOf("BackupFiles", w->cbCheckBoxBackupFiles));
    targets.push_back(TextOf("SimulateFiles", w->cbCheckBoxSimulate));
    targets.push_back(TextOf("EditMasks", w->ldLabeledEditFileMaskLabel));
    targets.push_back(TextOf("ButtonLanguageDefault", w->bbLanguageDefault));
    constexpr std::string_view menuTitles[4]
        = { "MainMenuBarItem1", "MainMenuBarItem2", "MainMenuBarItem3", "MainMenuBarItem4" };
    for (std::size_t i = 0; i < 4; ++i) {
        QMenu *menu = w->MainMenuBarItems[i];
        targets.push_back(
            { menuTitles[i], [menu] { return menu->title(); }, [menu](const QString &text) { menu->setTitle(text); } });
    }
    for (int tag = 0; tag < 12; ++tag)
        targets.push_back(TextOf(kMenuKeys[tag], w->ActionByTag(tag)));
    targets.push_back({ "BrowseFolder", [w] { return w->BrowseFolderTitle; },
        [w](const QString &text) { w->BrowseFolderTitle = text; } });
    targets.push_back({ "MessageQuestionText1", [w] { return ToQ(w->Repository().MessageQuestionText1()); },
        [w](const QString &text) { w->Repository().SetMessageQuestionText1(FromQ(text)); } });
    targets.push_back({ "MessageQuestionText2", [w] { return ToQ(w->Repository().MessageQuestionText2()); },
        [w](const QString &text) { w->Repository().SetMessageQuestionText2(FromQ(text)); } });
    targets.push_back({ "MessageQuestionCaption", [w] { return ToQ(w->Repository().MessageQuestionCaption()); },
        [w](const QString &text) { w->Repository().SetMessageQuestionCaption(FromQ(text)); } });
    targets.push_back(TextOf("LanguageCaptionTitle", w->pLanguageCaptionTitle));
    targets.push_back(TextOf("LanguageHintTitle", w->pLanguageHintTitle));
    targets.push_back(ColumnOf("LanguageColumn1", w->ValueListEditor1, 0));
    targets.push_back(ColumnOf("LanguageColumn2", w->ValueListEditor1, 1));
    targets.push_back(TextOf("ButtonApply", w->bbApply));
    targets.push_back(TextOf("ButtonCancel", w->bbCancel));
    targets.push_back(TextOf("ButtonSaveResult", w->bbSaveResult));
    targets.push_back({ "ProgressMessage", [w] { return w->ProgressMessageText; },
        [w](const QString &text) { w->ProgressMessageText = text; } });
    targets.push_back(TextOf("ViewResultTitle", w->pViewResultTitle));
    targets.push_back(ColumnOf("ViewResultColumn1", w->vleUnitsResult, 0));
    targets.push_back(ColumnOf("ViewResultColumn2", w->vleUnitsResult, 1));
    targets.push_back(ColumnOf("ViewResultColumn3", w->vleUnitsResult, 2));
    targets.push_back(TextOf("ButtonOk", w->bbOk));
    return targets;
}

std::vector<TTextTarget> HintTargets(Tfrm_Main &window)
{
    Tfrm_Main *w = &window;
    std::vector<TTextTarget> targets;
    for (int tag = 0; tag < 12; ++tag)
        targets.push_back(HintTarget(kMenuKeys[tag], w->ActionByTag(tag)));
    targets.push_back(HintTarget("SelectFiles", static_cast<QWidget *>(w->slSearchListSelectFiles)));
    targets.push_back(HintTarget("ConvertStrings", static_cast<QWidget *>(w->vleUnits)));
    targets.push_back(HintTarget("RadioGroupChangeFile", static_cast<QWidget *>(w->rgRadioGroupFileExtension)));
    targets.push_back(HintTarget("OutlookBarOptions", static_cast<QWidget *>(w->obOutlookBarOptions)));
    targets.push_back(HintTarget("ButtonApply", static_cast<QWidget *>(w->bbApply)));
    targets.push_back(HintTarget("ButtonCancel", static_cast<QWidget *>(w->bbCancel)));
    targets.push_back(HintTarget("ButtonLanguageDefault", static_cast<QWidget *>(w->bbLanguageDefault)));
    targets.push_back(HintTarget("BackupFiles", static_cast<QWidget *>(w->cbCheckBoxBackupFiles)));
    targets.push_back(HintTarget("SimulateFiles", static_cast<QWidget *>(w->cbCheckBoxSimulate)));
    targets.push_back(HintTarget("ButtonSaveResult", static_cast<QWidget *>(w->bbSaveResult)));
    targets.push_back(HintTarget("ProgressMessage", static_cast<QWidget *>(w->pProgressMessage)));
    targets.push_back(HintTarget("ViewResult", static_cast<QWidget *>(w->vleUnitsResult)));
    targets.push_back(HintTarget("LabeledEditFileMask", static_cast<QWidget *>(w->ldLabeledEditFileMask)));
    targets.push_back(HintTarget("ButtonOk", static_cast<QWidget *>(w->bbOk)));
    return targets;
}

const TTextTarget *FindTextTarget(const std::vector<TTextTarget> &targets, std::string_view key)
{
    for (const auto &target : targets)
        if (target.Key == key)
            return &target;
    return nullptr;
}

} // namespace qvc
