#pragma once
// The recursive folder search that fills the file list: walks a tree depth first and hands every file
// whose name matches the masks to a callback, with a hook before each entry (where a scan is ended).
#include "common/Errors.h"
#include "filelist/FileParams.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace qvc {

/// Message the window shows once after a scan that stopped at a folder it could not list
/// (Windows-1252; first "%s" the folder, second the system's reason).
inline constexpr std::string_view kCannotReadFolder
    = "A busca parou: n\xE3o foi poss\xEDvel ler o diret\xF3rio \"%s\". %s";

/// What a listing says an entry is.
enum class TEntryKind {
    File, ///< a regular file, a link to one or a dangling link: tested against the masks
    Folder, ///< a real folder: entered unless its name begins with "."
    FolderLink, ///< a symbolic link to a folder: neither entered nor reported, so link loops cannot recur
    Other, ///< a pipe, socket or device: never reported (reading a pipe would block the conversion run)
};

/// One entry of a folder listing; the name is valid only during the call that receives it.
struct TFolderEntry
{
    std::string_view Name;
    TEntryKind Kind = TEntryKind::File;
};

using TFolderEntryHandler = std::function<void(const TFolderEntry &)>;

/// Lists one folder (the path ends with "/"): calls the handler for every entry, "." and ".." included,
/// in the order the platform yields them. Returns 0, or the errno value of the failure to open, read on
/// or close the listing. Exceptions of the handler pass through after the listing is closed.
using TFolderLister = std::function<int(const std::string &prefix, const TFolderEntryHandler &onEntry)>;

/// The platform's listing (opendir/readdir order, no sorting); links and unknown types are resolved with
/// fstatat against the open folder.
int ListFolderPosix(const std::string &prefix, const TFolderEntryHandler &onEntry);

/// The search component of the main window (`JvSearchFiles1`).
class TSearchFiles
{
public:
    using TFindFileHandler = std::function<void(const std::string &name)>;
    using TPendingEventHandler = std::function<void()>;

    TSearchFiles();

    /// Folder where a search starts, held exactly as set (bytes, with or without a trailing "/").
    const std::string &RootDirectory() const { return m_rootDirectory; }
    void SetRootDirectory(std::string folder) { m_rootDirectory = std::move(folder); }

    /// The masks; changes made during a search apply to the entries examined from then on.
    TFileParams &FileParams() { return m_fileParams; }
    const TFileParams &FileParams() const { return m_fileParams; }

    /// Called with the full name (prefix + entry name, bytes) of every matching file the moment it is met.
    void SetOnFindFile(TFindFileHandler handler) { m_onFindFile = std::move(handler); }
    /// Called once for every directory entry before it is examined, on the thread that walks; an exception
    /// thrown there ends the search (the window ends a scan so when it closes). It may start another search
    /// (which returns false) or change the masks.
    void SetOnPendingEvent(TPendingEventHandler handler) { m_onPendingEvent = std::move(handler); }
    /// Replaces the platform's listing (tests use it to make a folder fail).
    void SetFolderLister(TFolderLister lister) { m_lister = std::move(lister); }

    /// Walks the tree under RootDirectory depth first: each folder's own files in listing order, then each
    /// subfolder completely. Returns false at once when a search is in progress; false when a folder could
    /// not be listed, which ends the whole search (see FailedFolder); else true. An exception of a callback
    /// ends the search and passes on; the in-progress mark is cleared either way.
    bool Search();
    /// True while Search runs, or from BeginDetached to EndDetached (readable from any thread).
    bool InProgress() const { return m_inProgress.load(); }

    /// Marks a search as in progress and returns a search of its own (folder, masks, listing and callbacks as
    /// they are now) that walks it on another thread, apart from any change made here meanwhile; null when a
    /// search is in progress already.
    std::unique_ptr<TSearchFiles> BeginDetached();
    /// Ends the search BeginDetached began: takes `walker`'s failure (see FailedFolder) and clears the mark.
    void EndDetached(const TSearchFiles &walker);

    /// The folder (as its path was formed) whose listing stopped the last search; empty when none did.
    const std::string &FailedFolder() const { return m_failedFolder; }
    /// The errno value of that failure (0 when none).
    int FailedErrorNumber() const { return m_failedErrorNumber; }
    /// kCannotReadFolder with the folder and the system's reason; empty when the last search did not stop
    /// at a folder.
    TMessage FailureMessage() const;

private:
    bool SearchTree(const std::string &root);

    std::string m_rootDirectory;
    TFileParams m_fileParams;
    TFindFileHandler m_onFindFile;
    TPendingEventHandler m_onPendingEvent;
    TFolderLister m_lister;
    std::atomic<bool> m_inProgress = false;
    std::string m_failedFolder;
    int m_failedErrorNumber = 0;
};

} // namespace qvc
