#pragma once
// The window as the tests see it: every control found by its object name, and the parts' public interfaces under
// the names the window's users know them by.
#include "ui/ConversionRunner.h"
#include "ui/FileListModel.h"
#include "ui/FileListPage.h"
#include "ui/PairsGrid.h"
#include "ui/RepositoryModel.h"
#include "ui/RepositoryPage.h"
#include "ui/ResultView.h"
#include "ui/RunLock.h"
#include "ui/SettingsPage.h"
#include "ui/uFrm_Main.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>
#include <array>
#include <memory>
#include <optional>

class TMainProbe
{
public:
    explicit TMainProbe(Tfrm_Main &window);

    Tfrm_Main &Window() const { return *m_window; }

    // Commands.
    QAction *actScanSubDirectory, *actAddFile, *actRemoveFile, *actSelectAll, *actInsertLine, *actDeleteLines,
        *actOpenRepositoryData, *actCopyRepositoryData, *actNewRepositoryData, *actSaveRepositoryData,
        *actExecuteConversion, *actAboutMe, *actFileExit, *actUndoLastRun, *actRunFailedOnly, *actFilterList;
    // Bars, side bar and page stack.
    QMenuBar *ActionMainMenuBar1;
    std::array<QMenu *, 4> MainMenuBarItems {};
    QToolBar *ActionToolBar1;
    QFrame *pData, *obOutlookBarOptions;
    QLabel *obOutlookBarOptionsTitle, *Panel3, *Image1;
    std::array<QToolButton *, 3> obOutlookBarOptionsButtons {};
    QStackedWidget *Notebook1;
    // Page 0.
    QTableView *slSearchListSelectFiles;
    QFrame *pStatusResult;
    QPushButton *bbSaveResult;
    QLabel *pProgressMessage, *pRunScope, *pRunSummary, *pRunFileCount, *Image2;
    QComboBox *cbListFilter;
    QProgressBar *ProgressBar1;
    // Page 1.
    TPairsGrid *vleUnits;
    QGroupBox *rgRadioGroupFileExtension;
    std::array<QRadioButton *, qvc::kRenameModes.size()> rgRadioGroupFileExtensionItems {};
    QLabel *stStaticTextFileExtension;
    // Page 2.
    QCheckBox *cbCheckBoxBackupFiles, *cbCheckBoxSimulate;
    QLabel *ldLabeledEditFileMaskLabel;
    QLineEdit *ldLabeledEditFileMask;
    QPushButton *bbLanguageDefault;
    QGroupBox *rgRadioGroupScope;
    std::array<QRadioButton *, 3> rgRadioGroupScopeItems {}; ///< by TScope: all, code, uses
    // Status bar.
    QLabel *sbStatusBarVersion, *sbStatusBarHint;
    // Overlays.
    QFrame *pLanguageDefault;
    QLabel *pLanguageCaptionTitle, *pLanguageHintTitle;
    QTableWidget *ValueListEditor1, *ValueListEditor2;
    QPushButton *bbApply, *bbCancel;
    QFrame *pViewResult;
    QLabel *pViewResultTitle, *stScopeResult, *stMissedResult, *stChangedLines;
    QTableWidget *vleUnitsResult, *vleMissedResult;
    QTextBrowser *memChangedLines;
    QPushButton *bbOk;

    // The window's own interface.
    QAction *ActionByTag(int tag) const { return m_window->ActionByTag(tag); }
    void OnExecuteAction(QAction *action) { m_window->OnExecuteAction(action); }
    void OnUpdateAction() { m_window->OnUpdateAction(); }
    void ShowOverlayPanel(QWidget *panel, bool show) { m_window->ShowOverlayPanel(panel, show); }
    void ShowHintOf(QObject *object) { m_window->ShowHintOf(object); }
    QString SettingsFileName() const { return m_window->SettingsFileName(); }
    const QString &VersionLabelText() const { return m_window->VersionLabelText(); }
    qvc::TFileDialogRequest &sdSaveRepositoryData() const { return m_window->SaveDialog(); }
    /// A click on side bar button `index`.
    void obOutlookBarOptionsButtonClick(int index) { obOutlookBarOptionsButtons[std::size_t(index)]->click(); }

    // The pages', the overlays' and the run's.
    qvc::TSubstitutionRepository &Repository() const { return m_window->RepositoryPage().Repository(); }
    TRepositoryModel &RepositoryModel() const { return m_window->RepositoryPage().Model(); }
    bool RepositoryModified() const { return Repository().RepositoryModified(); }
    bool OpenRepositoryFile(const QString &path) { return m_window->RepositoryPage().OpenRepositoryFile(path); }
    TFileListModel &FileListModel() const { return m_window->FileListPage().Model(); }
    qvc::TResultStore &ResultStore() const { return m_window->FileListPage().ResultStore(); }
    qvc::TSearchFiles &JvSearchFiles1() const { return m_window->FileListPage().Search(); }
    const qvc::TFileDialogRequest &OpenDialog() const { return m_window->FileListPage().OpenDialog(); }
    const QString &BrowseFolderTitle() const { return m_window->FileListPage().BrowseFolderTitle(); }
    const QString &ProgressMessageText() const { return m_window->FileListPage().ProgressMessageText(); }
    int MaxFileNameLength() const { return m_window->FileListPage().MaxFileNameLength(); }
    bool AddFileToList(const QString &name) { return m_window->FileListPage().AddFileToList(name); }
    void HandleDroppedFiles(const QStringList &names) { m_window->FileListPage().HandleDroppedFiles(names); }
    /// The mask field's text taken into the search and the open dialog, as leaving the field does.
    void ApplyFileMask() { m_window->FileListPage().ApplyFileMask(ldLabeledEditFileMask->text()); }
    void ShowProgressMessage(bool on) { m_window->FileListPage().ShowProgressMessage(on); }
    void ShowRunFileCount(int current, int total) { m_window->FileListPage().ShowRunFileCount(current, total); }
    void ShowRunScope(qvc::TScope scope) { m_window->FileListPage().ShowRunScope(scope); }
    /// The "Onde trocar" choice as the next run reads it.
    qvc::TScope ScopeChoice() const { return m_window->SettingsPage().ScopeChoice(); }
    /// A double click on the file list, on its selected rows.
    void slSearchListSelectFilesDblClick() { Q_EMIT m_window->FileListPage().RowActivated(); }
    const QString &ResultTitleText() const { return m_window->ResultView().ResultTitleText(); }
    /// Runs the conversion and waits until the window has handled its end.
    void RunConversion()
    {
        m_window->Runner().RunConversion();
        WaitForRunEnd();
    }
    /// Handles the window's events until the run started last has ended and the window has handled its end (at
    /// once when no run goes on).
    void WaitForRunEnd() const
    {
        QTest::qWaitFor([this] { return !m_window->Runner().Running(); }, 120000);
    }
    /// Handles the window's events until the folder scan started last has ended and the window has handled its end
    /// (at once when no scan goes on).
    void WaitForScanEnd() const
    {
        QTest::qWaitFor([this] { return !m_window->FileListPage().ScanInProgress(); }, 120000);
    }
    bool IsRunning() const { return m_window->RunLock().Held(); }
    /// Holds the run lock as a run does, until EndRunLock.
    void BeginRunLock() { m_hold = std::make_shared<qvc::TRunLock::THold>(m_window->RunLock()); }
    void EndRunLock() { m_hold.reset(); }

    // The window as a widget.
    void show() { m_window->show(); }
    bool close() { return m_window->close(); }
    void activateWindow() { m_window->activateWindow(); }
    QString windowTitle() const { return m_window->windowTitle(); }
    QSize size() const { return m_window->size(); }
    void resize(int width, int height) { m_window->resize(width, height); }
    void resize(const QSize &size) { m_window->resize(size); }
    QFont font() const { return m_window->font(); }
    bool isVisible() const { return m_window->isVisible(); }
    QWidget *centralWidget() const { return m_window->centralWidget(); }
    QSize minimumSizeHint() const { return m_window->minimumSizeHint(); }

private:
    Tfrm_Main *m_window;
    std::shared_ptr<qvc::TRunLock::THold> m_hold;
};
