#pragma once
// The conversion run (Tag 10) as the window drives it: the run itself over the file list page, the stop asked for
// with Escape or a close request, and taking the last run back from its journal.
#include "common/Scope.h"
#include "ui/DialogSeam.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

class QWidget;
class TWindowConversionView;

namespace qvc {

class TFileListPage;
class TRunLock;
class TSettingsPage;
class TRunJournal;
class TSubstitutionRepository;
struct TJournalSummary;
struct TUndoPlan;

class TConversionRunner : public QObject
{
    Q_OBJECT
public:
    /// `executablePath` names the program file; the run journals live in a folder chosen from it and the
    /// environment. `window` is the parent of the run's dialogs.
    TConversionRunner(TDialogSeam &dialogs, TRunLock &lock, TFileListPage &files, const TSettingsPage &settings,
        const TSubstitutionRepository &repository, const QString &executablePath, QWidget *window);
    /// A run still going on stops at its next file and its worker is joined; nothing more reaches the window.
    ~TConversionRunner() override;
    TConversionRunner(const TConversionRunner &) = delete;
    TConversionRunner &operator=(const TConversionRunner &) = delete;

    /// Converts every listed file with the repository's pairs and RenameMode in the settings page's scope (read
    /// once, at the start), holding the run lock meanwhile (the window's dispatch never starts it while the lock is
    /// held). Returns once the window shows the run's start (the run on its worker thread); the run's end is handled
    /// on the window's thread, after which RunFinished follows.
    void RunConversion();
    /// "Executar somente os com falha": the same run over the rows the last run could not read, convert or write;
    /// the other rows keep what they show.
    void RunFailedOnly();
    /// Escape, the close button or Alt+F4 during a run: the run asks whether to stop before its next file.
    /// With `close`, CloseWanted follows once the run has ended (unless the user chose to go on).
    void RequestStop(bool close);
    /// True while the stop question is open.
    bool AskingStop() const { return m_askingStop; }
    /// True from the start of a run until its end has been handled (RunFinished).
    bool Running() const { return m_run != nullptr; }
    /// Takes a run back (its command is disabled while the lock is held): an interrupted undo is completed first;
    /// else the user chooses one of the recent runs (the last one preselected), confirms how many files it
    /// restores, or, when files were changed since it, chooses to take it back all the same.
    void UndoLastRun();
    /// The folder of the run journals.
    std::string RunJournalFolder() const;

    /// True while a stop was asked for and not yet put to the user.
    bool StopPending() const { return m_stopPending; }
    /// Asks "Interromper a conversão?" between two files; true (Sim) ends the run there.
    bool AskStop();

Q_SIGNALS:
    /// A run's end was handled: the window shows what it came to.
    void RunFinished();
    /// A close requested during the run may now go ahead.
    void CloseWanted();
    /// The run of `journal` was taken back: `restoredFiles` got their earlier state again (the file system's bytes).
    void RunUndone(const std::string &journal, const std::vector<std::string> &restoredFiles);

private:
    struct TActiveRun;

    /// Starts the run over `rows` on a worker thread; returns once the window shows the run's start.
    void Run(std::vector<int> rows);
    /// On the window's thread, once the worker has ended: the last updates, the unlocking, the run's figures, the
    /// error box of a failed write and the close asked for meanwhile.
    void FinishRun();
    /// After an undo: the rows of `files` forget their results, and the strip says what the undo came to.
    void ShowUndone(const std::vector<std::string> &files, double seconds);
    /// Completes the undos a kill interrupted; false when there were none.
    bool CompletePendingUndos(const std::string &folder);
    /// Takes back the run of `run` (chosen from the list; `newest` when it is the last run).
    void UndoRun(const TJournalSummary &run, bool newest);
    /// Names the files a journal that ends before its run cannot account for.
    void ReportUnaccounted(const TUndoPlan &plan);

    TDialogSeam &m_dialogs;
    TRunLock &m_lock;
    TFileListPage &m_files;
    const TSettingsPage &m_settings;
    const TSubstitutionRepository &m_repository;
    QString m_executablePath;
    QWidget *m_window;
    bool m_stopPending = false; ///< a stop was asked for during the run, not yet put to the user
    std::atomic<bool> m_stopWanted = false; ///< m_stopPending as the run's worker reads it
    bool m_askingStop = false; ///< the stop question is open
    bool m_closeAfterRun = false; ///< the window closes once the run has ended
    bool m_stoppedByUser = false; ///< the user answered the stop question with Sim
    std::unique_ptr<TActiveRun> m_run; ///< the run going on, until its end has been handled
};

} // namespace qvc
