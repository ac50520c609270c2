#pragma once
// The main window: layout, commands, dispatch by Tag, the enabling pass, page selection, the hint line,
// the overlay panels, start-up and shut-down. The subsystems' handlers live in uFrm_Main*.cpp files.
#include "engine/ResultStore.h"
#include "filelist/FileList.h"
#include "filelist/SearchFiles.h"
#include "repository/SubstitutionRepository.h"
#include "ui/DialogSeam.h"
#include "window/ActionEnabling.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <array>

class QAction;
class QButtonGroup;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSplitter;
class QStackedWidget;
class QTableView;
class QTableWidget;
class QTextBrowser;
class QToolBar;
class QToolButton;
class TFileListModel;
class TRepositoryModel;
namespace qvc {
class TProfileFile;
}

class Tfrm_Main : public QMainWindow
{
    Q_OBJECT
public:
    /// `dialogs` answers every dialog and message box; `executablePath` names the program file, beside
    /// which the settings file and the default repository live.
    Tfrm_Main(qvc::TDialogSeam *dialogs, const QString &executablePath, QWidget *parent = nullptr);
    ~Tfrm_Main() override;

    // Commands, by Tag 0..11, and the exit command.
    QAction *actScanSubDirectory = nullptr;
    QAction *actAddFile = nullptr;
    QAction *actRemoveFile = nullptr;
    QAction *actSelectAll = nullptr;
    QAction *actInsertLine = nullptr;
    QAction *actDeleteLines = nullptr;
    QAction *actOpenRepositoryData = nullptr;
    QAction *actCopyRepositoryData = nullptr;
    QAction *actNewRepositoryData = nullptr;
    QAction *actSaveRepositoryData = nullptr;
    QAction *actExecuteConversion = nullptr;
    QAction *actAboutMe = nullptr;
    QAction *actFileExit = nullptr;
    /// "Desfazer a Última Conversão": takes the last run back from its journal.
    QAction *actUndoLastRun = nullptr;
    /// The tagged command with this Tag, or null.
    QAction *ActionByTag(int tag) const;

    // Bars.
    QMenuBar *ActionMainMenuBar1 = nullptr;
    std::array<QMenu *, 4> MainMenuBarItems {};
    QToolBar *ActionToolBar1 = nullptr;

    // Work area.
    QFrame *pData = nullptr;
    QSplitter *Splitter1 = nullptr;
    QFrame *obOutlookBarOptions = nullptr;
    QLabel *obOutlookBarOptionsTitle = nullptr;
    std::array<QToolButton *, 3> obOutlookBarOptionsButtons {};
    QFrame *Panel2 = nullptr;
    QLabel *Panel3 = nullptr;
    QLabel *Image1 = nullptr;
    QStackedWidget *Notebook1 = nullptr;

    // Page 0.
    QTableView *slSearchListSelectFiles = nullptr;
    QFrame *pStatusResult = nullptr;
    QPushButton *bbSaveResult = nullptr;
    QLabel *pProgressMessage = nullptr;
    /// "Arquivo N de M" beside the progress message while a run goes on.
    QLabel *pRunFileCount = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QLabel *Image2 = nullptr;

    // Page 1.
    QTableView *vleUnits = nullptr;
    QGroupBox *rgRadioGroupFileExtension = nullptr;
    QButtonGroup *rgRadioGroupFileExtensionButtons = nullptr;
    std::array<QRadioButton *, 3> rgRadioGroupFileExtensionItems {};
    QLabel *stStaticTextFileExtension = nullptr;

    // Page 2.
    QCheckBox *cbCheckBoxBackupFiles = nullptr;
    QCheckBox *cbCheckBoxSimulate = nullptr;
    QLabel *ldLabeledEditFileMaskLabel = nullptr;
    QLineEdit *ldLabeledEditFileMask = nullptr;
    QPushButton *bbLanguageDefault = nullptr;

    // Status bar.
    QLabel *sbStatusBarVersion = nullptr;
    QLabel *sbStatusBarHint = nullptr;

    // Overlay: interface language editor.
    QFrame *pLanguageDefault = nullptr;
    QLabel *pLanguageCaptionTitle = nullptr;
    QTableWidget *ValueListEditor1 = nullptr;
    QLabel *pLanguageHintTitle = nullptr;
    QTableWidget *ValueListEditor2 = nullptr;
    QPushButton *bbApply = nullptr;
    QPushButton *bbCancel = nullptr;

    // Overlay: result view.
    QFrame *pViewResult = nullptr;
    QLabel *pViewResultTitle = nullptr;
    QTableWidget *vleUnitsResult = nullptr;
    // Below the pairs: the occurrences the run left in place, and the changed lines side by side.
    QLabel *stMissedResult = nullptr;
    QTableWidget *vleMissedResult = nullptr;
    QLabel *stChangedLines = nullptr;
    QTextBrowser *memChangedLines = nullptr;
    QPushButton *bbOk = nullptr;

    // State held by the window. RepositoryModified, WindowTitleText, RepositoryFileName and the close
    // question's texts are the repository's (Repository()); MaxFileNameLength is the file list's.
    QString VersionLabelText;
    QString ProgressMessageText;
    QString ResultTitleText;
    /// The folder search `JvSearchFiles1`: RootDirectory and the file masks.
    qvc::TSearchFiles JvSearchFiles1;

    qvc::TSubstitutionRepository &Repository() { return m_repository; }
    TRepositoryModel &RepositoryModel() { return *m_repositoryModel; }
    TFileListModel &FileListModel() { return *m_fileListModel; }
    qvc::TResultStore &ResultStore() { return m_resultStore; }
    bool RepositoryModified() const { return m_repository.RepositoryModified(); }
    int MaxFileNameLength() const;

    /// The program's version as the version panel shows it after the settings are read.
    static constexpr const char *kVersion = "2.02";

    /// Runs the command of a tagged action after a fresh enabling pass; a disabled command does nothing.
    void OnExecuteAction(QAction *sender);
    /// Recomputes the enabled state of every tagged command and bbSaveResult; RepositoryModified is only read.
    void OnUpdateAction();
    /// Selects page `index` through the side bar: title caption, title picture, page, focus.
    void obOutlookBarOptionsButtonClick(int index);
    /// Shows the long hint of whatever is under the pointer in the hint line.
    void ShowApplicationHint();
    /// Shows the long hint of `object` (or its nearest enclosing object with a hint) in the hint line.
    void ShowHintOf(QObject *object);
    void ShowProgressMessage(bool on);
    void ShowReadyImage(bool ready);
    void ShowOverlayPanel(QWidget *panel, bool show);
    /// The shared click handler of bbApply (Tag 0), bbCancel (Tag 1) and bbOk (Tag 2).
    void OnClickBitButtons(QObject *sender);

    /// True while a conversion run is in progress: everything that changes the lists is refused.
    bool IsRunning() const { return m_running; }
    /// Start and end of a run's lock: page 0, hourglass, bars, side bar and status strip disabled.
    void BeginRunLock();
    void EndRunLock();

    // Conversion run (Tag 10).
    void RunConversion();
    /// Shows "Arquivo N de M" while the run works on file N of M.
    void ShowRunFileCount(int current, int total);
    /// Escape, the close button or Alt+F4 during a run: the run asks whether to stop before its next file.
    /// With `close`, the window closes once the run has ended (unless the user chose to go on).
    void RequestStopRun(bool close);
    /// True while a stop was asked for and not yet put to the user.
    bool IsStopPending() const { return m_stopPending; }
    /// Asks "Interromper a conversão?" between two files; true (Sim) ends the run there.
    bool AskStopRun();
    /// Takes the last conversion run back, after a question that names how many files it restores.
    void UndoLastRun();
    /// The folder of the run journals.
    std::string RunJournalFolder() const;

    // File list and folder search (uFrm_MainFileList.cpp).
    /// Title of the folder picker `JvBrowseFolder1` (the settings may replace it).
    QString BrowseFolderTitle = QStringLiteral("Selecionar diretório : ");
    /// The open dialog `OpenDialog`: its file types as ApplyFileMask sets them ("description|pattern|...")
    /// and the entry chosen in it last, by position.
    qvc::TFileDialogRequest OpenDialog;
    /// Adds one row for a file name unless it is listed already (letter case ignored by the locale).
    bool AddFileToList(const QString &name);
    /// The search's callback: every file found (a name as the file system's bytes) becomes a row.
    void JvSearchFiles1FindFile(const std::string &name);
    /// Files dropped on the window, in the order the drop delivers them; refused during a run.
    void HandleDroppedFiles(const QStringList &names);
    /// Takes the mask field's text, as typed, into the open dialog's file types and the search's masks.
    void ApplyFileMask();
    /// The mask field lost the focus to another control of the window.
    void ldLabeledEditFileMaskExit();
    /// A click on a column header: sorts by columns 1 to 4; refused during a run.
    void slSearchListSelectFilesColumnClick(int column);
    /// A key released on the file list: Delete runs the remove command when it is enabled.
    void slSearchListSelectFilesKeyUp(int key, Qt::KeyboardModifiers shift);
    void ScanSubDirectory(); ///< Tag 0
    void AddFile(); ///< Tag 1
    void RemoveFile(); ///< Tag 2
    void SelectAll(); ///< Tag 3
    /// Called by the close request while a scan runs: ends the scan and closes once it has unwound.
    void CloseAfterScan();
    /// Widens the " #" column so that the largest row number shows in full.
    void FitNumberColumn();
    /// Keeps the file list at least as wide as its fixed columns and a readable name.
    void FitFileListMinimumWidth();
    /// Connects the list's header, keys and the mask field to the handlers above (once, at creation).
    void CreateFileListHandlers();

    // Substitution repository (uFrm_MainRepository.cpp).
    void InsertLine(); ///< Tag 4
    void DeleteLines(); ///< Tag 5
    void OpenRepositoryData(); ///< Tag 6
    void CopyRepositoryData(); ///< Tag 7
    void NewRepositoryData(); ///< Tag 8
    void SaveRepositoryData(); ///< Tag 9
    /// Reads a repository file (the Open command, and the settings at start-up) and shows its lines, RenameMode
    /// and the title; a missing file changes nothing. Returns false when the file could not be read (shown).
    bool OpenRepositoryFile(const QString &path);
    /// Selects the rename item of Repository().RenameMode() (not a user's selection).
    void ShowRenameMode();
    /// Shows Repository().WindowTitle() as the window title, the path as the file system names it.
    void ShowRepositoryTitle();
    /// A key typing a character in the grid or its editor: the repository has unsaved changes.
    void vleUnitsKeyPress(int key);
    /// The rename group's selection changed; a user's selection (its radio has the focus) is a change.
    void rgRadioGroupFileExtensionClick(int index);
    /// The rename group got the focus: it goes on to the selected item.
    void rgRadioGroupFileExtensionEnter();
    /// The repository's save dialog; it keeps its state between uses, and the report borrows it.
    qvc::TFileDialogRequest sdSaveRepositoryData;

    // Results (uFrm_MainResults.cpp).
    /// Double click on the file list: opens the result view of the first selected row when the run
    /// changed that file; refused during a run.
    void slSearchListSelectFilesDblClick();
    /// "Salvar Resultado": asks for a file name and writes the framed report of every row.
    void bbSaveResultClick();
    /// Fills the result view's parts below the pairs: the missed occurrences and the changed lines.
    void ShowResultDetails(const qvc::TRowDetails &details, const std::string &separator);
    /// Background colours of the changed words in the old and the new line.
    static constexpr const char *kChangedOldColour = "#ffc8c8";
    static constexpr const char *kChangedNewColour = "#c8f0c8";

    // Settings and the language editor (uFrm_MainSettings.cpp).
    qvc::TDialogSeam &Dialogs() const { return *m_dialogs; }
    const QString &ExecutablePath() const { return m_executablePath; }
    /// The settings file: the settings base path with ".ini" (beside the executable unless installed).
    QString SettingsFileName() const;
    /// The window's size, position and maximized state: a file of its own beside the settings file, so the
    /// settings file stays exactly as its format has it.
    QString GeometryFileName() const;
    void RestoreWindowGeometry();
    void SaveWindowGeometry();
    /// Where the settings file and the default repository live, by the executable path and the environment;
    /// makes the user's configuration folder when it is the one chosen.
    static QString SettingsBaseFor(const QString &executablePath);
    /// LoadSettings; returns false when the repository it reopens at the end could not be read (shown).
    bool LoadSettingsAndRepository();
    /// Opens the language editor with the Captions and Hints sections of the settings file, in file order.
    void bbLanguageDefaultClick();
    /// Apply (Tag 0): writes every row of both grids in one write, applies the file's captions and hints again
    /// (options, mask, folder and repository stay as they are) and closes the editor; a failed write leaves the
    /// editor open with the edits.
    void bbApplyClick();
    /// Applies the Captions and Hints sections of the settings file: every text, the title text, the version panel,
    /// the close question's texts and the result view's title.
    void ApplyLanguage(const qvc::TProfileFile &profile);
    /// Connects bbLanguageDefault (once, at creation).
    void CreateSettingsHandlers();

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
    QWidget *CreatePageConvertFiles();
    QWidget *CreatePageRepository();
    QWidget *CreatePageSettings();
    void CreateStatusBar();
    void CreateLanguageEditor();
    void CreateResultView();
    QAction *NewAction(const char *name, int tag, const QString &caption, const QString &hint, int picture,
        const QKeySequence &shortcut);
    void LayoutOverlay(QWidget *panel);
    void ScheduleUpdate();

    void FormCreate();
    bool FormCloseQuery();
    // Substitution repository (uFrm_MainRepository.cpp).
    enum class TSaveOutcome { Saved, Cancelled, Failed };
    void SetUpRepositoryPage();
    TSaveOutcome RunSaveRepositoryData();
    bool WriteRepositoryAs(const QString &path);
    QString CloseQuestionText() const;
    bool m_showingRenameMode = false;
    void FormClose();
    void FormDestroy();
    void AboutMe();

    // Slots of the subsystems that plug into the window.
    void LoadSettings();
    void SaveSettings();

    qvc::TDialogSeam *m_dialogs;
    QString m_executablePath;
    QString m_settingsBase; ///< replaced extension gives the settings file (".ini") and default repository (".dat")
    QTimer m_idleTimer;
    bool m_running = false;
    bool m_stopPending = false; ///< a stop was asked for during the run, not yet put to the user
    bool m_askingStop = false; ///< the stop question is open
    bool m_closeAfterRun = false; ///< the window closes once the run has ended
    bool m_hintHandlerInstalled = false;
    bool m_closing = false;
    bool m_closeAfterScan = false; ///< a close request came during a scan (uFrm_MainFileList.cpp)
    qvc::TResultStore m_resultStore;
    qvc::TFileList m_fileList;
    qvc::TSubstitutionRepository m_repository;
    TFileListModel *m_fileListModel = nullptr;
    TRepositoryModel *m_repositoryModel = nullptr;
};
