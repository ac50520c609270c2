#pragma once
// The conversion run (Tag 10) as the window drives it: the run itself over the file list page, the stop asked for
// with Escape or a close request, and taking the last run back from its journal.
#include "ui/DialogSeam.h"

#include <QObject>
#include <QString>
#include <string>
#include <vector>

class QWidget;

namespace qvc {

class TFileListPage;
class TRunLock;
class TSettingsPage;
class TSubstitutionRepository;

class TConversionRunner : public QObject
{
    Q_OBJECT
public:
    /// `executablePath` names the program file; the run journals live in a folder chosen from it and the
    /// environment. `window` is the parent of the run's dialogs.
    TConversionRunner(TDialogSeam &dialogs, TRunLock &lock, TFileListPage &files, const TSettingsPage &settings,
        const TSubstitutionRepository &repository, const QString &executablePath, QWidget *window);

    /// Converts every listed file with the repository's pairs and RenameMode in the settings page's scope (read
    /// once, at the start), holding the run lock meanwhile (the window's dispatch never starts it while the lock is
    /// held).
    void RunConversion();
    /// "Executar somente os com falha": the same run over the rows the last run could not read, convert or write;
    /// the other rows keep what they show.
    void RunFailedOnly();
    /// Escape, the close button or Alt+F4 during a run: the run asks whether to stop before its next file.
    /// With `close`, CloseWanted follows once the run has ended (unless the user chose to go on).
    void RequestStop(bool close);
    /// True while the stop question is open.
    bool AskingStop() const { return m_askingStop; }
    /// Takes the last conversion run back, after a question that names how many files it restores (its command is
    /// disabled while the lock is held).
    void UndoLastRun();
    /// The folder of the run journals.
    std::string RunJournalFolder() const;

    /// True while a stop was asked for and not yet put to the user.
    bool StopPending() const { return m_stopPending; }
    /// Asks "Interromper a conversão?" between two files; true (Sim) ends the run there.
    bool AskStop();

Q_SIGNALS:
    /// A close requested during the run may now go ahead.
    void CloseWanted();

private:
    void Run(std::vector<int> rows);

    TDialogSeam &m_dialogs;
    TRunLock &m_lock;
    TFileListPage &m_files;
    const TSettingsPage &m_settings;
    const TSubstitutionRepository &m_repository;
    QString m_executablePath;
    QWidget *m_window;
    bool m_stopPending = false; ///< a stop was asked for during the run, not yet put to the user
    bool m_askingStop = false; ///< the stop question is open
    bool m_closeAfterRun = false; ///< the window closes once the run has ended
    bool m_stoppedByUser = false; ///< the user answered the stop question with Sim
};

} // namespace qvc
