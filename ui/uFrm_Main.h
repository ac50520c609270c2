#pragma once
// The main window `Tfrm_Main`: it owns the commands, the bars, the side bar, the pages, the overlays and the run,
// and keeps dispatch by Tag, the enabling pass, page selection, the hint line, start-up and shut-down. What each
// page, overlay and the run do lives in their own classes.
#include "ui/DialogSeam.h"
#include "ui/RunLock.h"

#include <QMainWindow>
#include <QTimer>
#include <array>
#include <memory>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QSplitter;
class QStackedWidget;
class QToolBar;
class QToolButton;

namespace qvc {
class TConversionRunner;
class TFileListPage;
class TLanguageEditor;
class TProfileFile;
class TRepositoryPage;
class TResultView;
class TSettingsPage;
struct TTextTargets;
}

class Tfrm_Main : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Tfrm_Main)
public:
    /// `dialogs` answers every dialog and message box; `executablePath` names the program file, beside
    /// which the settings file and the default repository live.
    Tfrm_Main(qvc::TDialogSeam *dialogs, const QString &executablePath, QWidget *parent = nullptr);
    ~Tfrm_Main() override;

    /// The tagged command with this Tag (0..11), or null.
    QAction *ActionByTag(int tag) const;
    /// Runs the command of a tagged action after a fresh enabling pass; a disabled command, or any command
    /// during a run, does nothing.
    void OnExecuteAction(QAction *sender);
    /// Recomputes the enabled state of every tagged command and bbSaveResult; RepositoryModified is only read.
    void OnUpdateAction();
    /// "Executar somente os com falha": a run over the rows that failed in the last one.
    void RunFailedOnly();
    /// Ctrl+F: shows the file list and puts the focus on its filter.
    void FocusListFilter();

    qvc::TFileListPage &FileListPage() { return *m_fileListPage; }
    qvc::TRepositoryPage &RepositoryPage() { return *m_repositoryPage; }
    qvc::TSettingsPage &SettingsPage() { return *m_settingsPage; }
    qvc::TResultView &ResultView() { return *m_resultView; }
    qvc::TLanguageEditor &LanguageEditor() { return *m_languageEditor; }
    qvc::TConversionRunner &Runner() { return *m_runner; }
    /// The run's guard: held while a conversion runs.
    qvc::TRunLock &RunLock() { return m_runLock; }
    /// The repository's save dialog `sdSaveRepositoryData`; it keeps its state between uses, and the report
    /// borrows it.
    qvc::TFileDialogRequest &SaveDialog() { return m_saveDialog; }

    /// Shows or hides an overlay (the language editor or the result view) over the work area; while one shows,
    /// the menu bar and the work area are disabled.
    void ShowOverlayPanel(QWidget *panel, bool show);
    /// Shows the long hint of `object` (or its nearest enclosing object with a hint) in the hint line.
    void ShowHintOf(QObject *object);

    /// The settings file: the settings base path with ".ini" (beside the executable unless installed).
    QString SettingsFileName() const;
    /// Where the settings file and the default repository live, by the executable path and the environment;
    /// makes the user's configuration folder when it is the one chosen.
    static QString SettingsBaseFor(const QString &executablePath);
    /// The version panel's text before the version number (`VersionLabelText`).
    const QString &VersionLabelText() const { return m_versionLabelText; }

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void CreateActions();
    void CreateMenusAndToolBar();
    void CreateWorkArea();
    void CreateStatusBar();
    void CreateOverlays();
    void ConnectParts();
    QAction *NewAction(const char *name, int tag, const QString &caption, const QString &hint, int picture,
        const QKeySequence &shortcut);
    void AddTextTargets(qvc::TTextTargets &targets);
    qvc::TTextTargets TextTargets();

    // Start-up and shut-down (uFrm_MainSettings.cpp).
    void FormCreate();
    bool FormCloseQuery();
    void FormClose();
    void LoadSettings();
    void SaveSettings();
    void ApplyLanguage(const qvc::TProfileFile &profile);
    QString GeometryFileName() const;
    void RestoreWindowGeometry();
    void SaveWindowGeometry();
    void OpenLanguageEditor();
    void ApplyLanguageEditor();

    // Dispatch, pages, overlays and the hint line (uFrm_MainCommands.cpp).
    void ScheduleUpdate();
    void obOutlookBarOptionsButtonClick(int index);
    void ShowApplicationHint();
    void LayoutOverlay(QWidget *panel);
    void ShowResultOfSelectedRow();
    void RunLockChanged(bool held);
    void AboutMe();

    qvc::TDialogSeam *m_dialogs;
    QString m_executablePath;
    QString m_settingsBase; ///< replaced extension gives the settings file (".ini") and default repository (".dat")
    QString m_versionLabelText;
    qvc::TFileDialogRequest m_saveDialog;
    qvc::TRunLock m_runLock;
    QTimer m_idleTimer;
    bool m_hintHandlerInstalled = false;

    // Commands, by Tag 0..11, and the exit and undo commands.
    std::array<QAction *, 12> m_taggedActions {};
    QAction *actFileExit = nullptr;
    QAction *actUndoLastRun = nullptr;
    QAction *actRunFailedOnly = nullptr; ///< "Executar somente os com falha"
    QAction *actFilterList = nullptr; ///< Ctrl+F: to the filter above the file list

    QMenuBar *ActionMainMenuBar1 = nullptr;
    std::array<QMenu *, 4> MainMenuBarItems {};
    QToolBar *ActionToolBar1 = nullptr;
    QFrame *pData = nullptr;
    QSplitter *Splitter1 = nullptr;
    QFrame *obOutlookBarOptions = nullptr;
    QLabel *obOutlookBarOptionsTitle = nullptr;
    std::array<QToolButton *, 3> obOutlookBarOptionsButtons {};
    QFrame *Panel2 = nullptr;
    QLabel *Panel3 = nullptr;
    QLabel *Image1 = nullptr;
    QStackedWidget *Notebook1 = nullptr;
    QLabel *sbStatusBarVersion = nullptr;
    QLabel *sbStatusBarHint = nullptr;

    qvc::TFileListPage *m_fileListPage = nullptr;
    qvc::TRepositoryPage *m_repositoryPage = nullptr;
    qvc::TSettingsPage *m_settingsPage = nullptr;

    // The parts, declared last so that they go first, in reverse order (the run, the overlays, then the work area
    // with the pages), while the run lock, the save dialog and the idle timer they use still exist.
    std::unique_ptr<QFrame> m_workArea; // pData, the central widget
    std::unique_ptr<qvc::TLanguageEditor> m_languageEditor;
    std::unique_ptr<qvc::TResultView> m_resultView;
    std::unique_ptr<qvc::TConversionRunner> m_runner;
};
