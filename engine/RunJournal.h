#pragma once
// The journal of a conversion run: one JSON line for every step the run takes on a file (read, backed
// up, written, removed, renamed), written before the step happens, so that an undo can take back a run
// that ended normally, by a failure or by a kill. Paths are kept as the file system's bytes.
#include "common/Checksum.h"
#include "common/Errors.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qvc {

enum class TStepKind { Read, Backup, Write, Remove, Rename };

/// One step of a run on one file, as journaled before it is taken.
struct TJournalStep
{
    TStepKind Kind = TStepKind::Read;
    int Row = -1; ///< the row of the run, from 0
    std::string Path; ///< the file read, backed up, written, removed, or renamed away
    std::string Other; ///< Backup: the backup's name; Rename: the new name
    std::string Older; ///< Backup: where an older backup of that name moves, empty when none exists
    /// Read, Backup, Remove, Rename: what the file held; Write: what the file held before (nothing when
    /// there was no file of that name).
    std::optional<TContentSum> Before;
    std::optional<TContentSum> After; ///< Write: the text written
};

/// A journal as read back.
struct TJournal
{
    std::string FileName;
    std::vector<TJournalStep> Steps;
    bool Undone = false; ///< an undo has already taken the run back
};

/// The journal of one run, written to a new file in `folder` on the first step that changes a file (so
/// a run that changes nothing leaves no journal; the files read before it are written then). The file is made 0600, its
/// folder 0700; each line goes to the system as one write before the step is taken. A journal that cannot be written
/// never stops the run: Failure() tells why, and the steps after it are not journaled.
class TRunJournal
{
public:
    explicit TRunJournal(std::string folder);
    ~TRunJournal();
    TRunJournal(const TRunJournal &) = delete;
    TRunJournal &operator=(const TRunJournal &) = delete;

    /// Journals a step before it is taken.
    void Record(const TJournalStep &step);
    /// The backup `backupName` moved its older backup to `older` after all (another name than journaled).
    void RecordOlderMoved(int row, const std::string &backupName, const std::string &older);
    /// The journal file, empty until the first step.
    const std::string &FileName() const { return m_fileName; }
    /// Why the journal could not be written, empty while it could.
    const TMessage &Failure() const { return m_failure; }

private:
    void Open();
    void WriteLine(const std::string &line);

    std::string m_folder;
    std::string m_fileName;
    TMessage m_failure;
    std::string m_pending; // lines of files read before the first change
    int m_fd = -1;
};

/// The folder that holds the journals: $XDG_STATE_HOME/qvConvertFiles/runs/ (XDG_STATE_HOME when it is
/// an absolute path, else $HOME/.local/state), or `executableDir`/qvConvertFiles-runs/ when
/// `besideExecutable` (for an installation that keeps its settings beside the executable). `environment`
/// returns a variable's value or null. Empty when no folder can be named.
std::string RunJournalFolder(const std::string &executableDir,
    const std::function<const char *(const char *)> &environment, bool besideExecutable = false);

/// The newest journal in `folder` (by its name: start time, then process id); empty when there is none.
std::string NewestJournal(const std::string &folder);

/// Reads a journal. A line cut short by a kill at the end is ignored. Throws TError
/// "Cannot open file "%s". %s" or "The run journal "%s" is damaged at line %s.".
TJournal ReadJournal(const std::string &path);

/// Appends the mark that the run was undone. Throws TError on failure.
void MarkJournalUndone(const std::string &path);

} // namespace qvc
