#pragma once
// Page 0, "Converter Arquivo(s)": the file list `slSearchListSelectFiles` with the folder search and the open
// dialog that fill it, and the status strip below it (report button, progress message, bar, the run's scope and
// file count, ready picture) that a conversion run writes to.
#include "common/Scope.h"
#include "engine/run/ResultStore.h"
#include "filelist/FileList.h"
#include "filelist/RowFilter.h"
#include "filelist/SearchFiles.h"
#include "ui/DialogSeam.h"

#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;
class QTimer;
class TFileListModel;

namespace qvc {

class TRunLock;
struct TTextTargets;

class TFileListPage : public QWidget
{
    Q_OBJECT
public:
    /// `saveDialog` is the window's save dialog, which the report borrows from the repository commands.
    TFileListPage(TDialogSeam &dialogs, const TRunLock &lock, TFileDialogRequest &saveDialog, QWidget *parent);
    /// A scan still going on is ended and its worker joined.
    ~TFileListPage() override;
    TFileListPage(const TFileListPage &) = delete;
    TFileListPage &operator=(const TFileListPage &) = delete;

    /// Tag 0: asks for a folder and starts its walk on a worker thread; returns at once, the rows appearing as the
    /// walk finds them. Its end is handled on the window's thread; ScanFinished follows.
    void ScanSubDirectory();
    void AddFile(); ///< Tag 1
    void RemoveFile(); ///< Tag 2
    void SelectAll(); ///< Tag 3
    /// Adds one row for a file name unless it is listed already.
    bool AddFileToList(const QString &name);
    /// Files dropped on the window, in the order the drop delivers them; refused during a run.
    void HandleDroppedFiles(const QStringList &names);
    /// Takes the mask field's text, as typed, into the open dialog's file types and the search's masks.
    void ApplyFileMask(const QString &mask);
    /// A click on a column header: sorts by columns 1 to 4; refused during a run.
    void SortByColumnClick(int column);
    /// "Salvar Resultado": asks for a file name and writes the framed report of every row.
    void SaveResult();
    /// True while a folder scan runs, until its end has been handled.
    bool ScanInProgress() const { return m_search.InProgress(); }
    /// Ends a running scan; CloseWanted follows once its end has been handled.
    void CloseAfterScan() { m_closeAfterScan = true; }

    int RowCount() const;
    bool AnyFileSelected() const;
    bool SaveResultEnabled() const;
    void EnableSaveResult(bool enabled);
    /// The longest file name listed, in bytes, as the report frames it.
    int MaxFileNameLength() const;
    /// The first selected row, if any.
    std::optional<int> FirstSelectedRow() const;
    /// Why the file of the row under `globalPosition` failed, when the list's viewport is `under`; empty otherwise.
    QString FailureReasonAt(const QObject *under, const QPoint &globalPosition) const;
    /// True for the list's viewport, whose rows have hints of their own.
    bool IsListViewport(const QObject *object) const;

    // The conversion run's view of the page.
    void ShowProgressMessage(bool on);
    void ShowReadyImage(bool ready);
    /// Shows "Arquivo N de M" while the run works on file N of M.
    void ShowRunFileCount(int current, int total);
    /// Names the scope of the run that starts now on a line under the bar ("Onde trocar: ..."); for TScope::All the
    /// line is hidden and the strip keeps its height. It stays after the run, whose results the rows show, until
    /// the next run starts.
    void ShowRunScope(TScope scope);
    /// The scope of the last run that started: the rows' results and details are that run's.
    TScope RunScope() const { return m_runScope; }
    void SetProgress(int position, int minimum, int maximum);
    /// Selects these rows (the run's files so far) as few merged ranges and makes the last one current.
    void SelectRunRows(const std::vector<int> &rows);
    void ClearRowSelection();

    /// The run's figures (or an undo's) on a line of the strip of their own, until the next run starts.
    void ShowRunSummary(const QString &text);
    QString RunSummary() const;
    /// The rows whose file the last run could not read, convert or write, in list order.
    std::vector<int> FailedRows() const;
    /// The rows of these files (as listed) go back to rows no run has converted: "-", state image 8, no
    /// result, no details. "Salvar Resultado" is disabled when no row keeps a result.
    void ForgetResultsOf(const std::vector<std::string> &files);
    /// Shows only the rows `filter` shows; the list itself does not change.
    void SetRowFilter(TRowFilter filter);
    TRowFilter RowFilter() const { return m_rowFilter; }
    /// Whether the row at `row` is hidden by the filter.
    bool RowHidden(int row) const;
    /// Moves the focus to the filter above the list.
    void FocusRowFilter();

    /// The Captions and Hints keys of the page's controls, the progress message and the folder picker's title.
    void AddTextTargets(TTextTargets &targets);

    TSearchFiles &Search() { return m_search; }
    TFileListModel &Model() { return *m_model; }
    TResultStore &ResultStore() { return m_resultStore; }
    const TFileDialogRequest &OpenDialog() const { return m_openDialog; }
    const QString &BrowseFolderTitle() const { return m_browseFolderTitle; }
    const QString &ProgressMessageText() const { return m_progressMessageText; }

Q_SIGNALS:
    /// A command wants this page shown.
    void PageWanted();
    /// Rows or the selection changed: the commands' enabled states may follow.
    void StateChanged();
    /// Delete was released on the list.
    void RemoveKeyReleased();
    /// A row was double-clicked.
    void RowActivated();
    /// A scan interrupted by a close request has ended: the window may close now.
    void CloseWanted();
    /// A scan's end was handled: every row it found is listed.
    void ScanFinished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateControls();
    void FitNumberColumn();
    void FitFileListMinimumWidth();
    struct TActiveScan;
    /// Starts the walk of m_search's folder on a worker thread, listing what it finds as it goes.
    void StartScan(bool listWasEmpty);
    /// On the window's thread, once the walk has ended (after the run going on, if one is): the last names listed,
    /// the failure of a folder shown, the close asked for meanwhile.
    void FinishScan();
    void RunLockChanged(bool held);
    void ApplyRowFilter();
    void RefreshFilterCounts();
    void FitStripHeight();

    TDialogSeam &m_dialogs;
    const TRunLock &m_lock;
    TFileDialogRequest &m_saveDialog;
    TResultStore m_resultStore;
    TFileList m_fileList;
    TSearchFiles m_search; ///< `JvSearchFiles1`: RootDirectory and the file masks
    TFileDialogRequest m_openDialog; ///< `OpenDialog`: file types from the mask, the entry chosen last
    QString m_browseFolderTitle; ///< title of the folder picker `JvBrowseFolder1`
    QString m_progressMessageText;
    TScope m_runScope = TScope::All;
    TRowFilter m_rowFilter = TRowFilter::All;
    QTimer *m_filterTimer = nullptr; // rows changed: the filter and its counts follow once things settle
    std::atomic<bool> m_closeAfterScan = false; // read by the scan's worker before each entry
    std::function<void()> m_deliverScanNames; // while a scan goes on: lists what it found so far
    std::unique_ptr<TActiveScan> m_scan; // the scan going on, until its end has been handled
    bool m_scanEndDue = false; // the walk ended during a run: its end is handled once the run has ended

    TFileListModel *m_model = nullptr;
    QTableView *slSearchListSelectFiles = nullptr;
    QFrame *pStatusResult = nullptr;
    QPushButton *bbSaveResult = nullptr;
    QLabel *pProgressMessage = nullptr;
    QLabel *pRunScope = nullptr;
    QLabel *pRunSummary = nullptr;
    QComboBox *cbListFilter = nullptr;
    QLabel *pRunFileCount = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QLabel *Image2 = nullptr;
};

} // namespace qvc
