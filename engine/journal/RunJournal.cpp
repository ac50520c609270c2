#include "engine/journal/RunJournal.h"

#include "common/Errors.h"
#include "common/FileIO.h"
#include "common/SystemCalls.h"
#include "common/TextFormat.h"
#include "common/Utf8.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace qvc {

namespace {

using TJson = nlohmann::json;

const char *StepName(TStepKind kind)
{
    switch (kind) {
    case TStepKind::Read:
        return "read";
    case TStepKind::Backup:
        return "backup";
    case TStepKind::Write:
        return "write";
    case TStepKind::Remove:
        return "remove";
    case TStepKind::Rename:
        return "rename";
    }
    return "";
}

// A path as JSON: a string when it is UTF-8, else its bytes in hex, so that every path comes back exactly.
TJson PathJson(const std::string &path)
{
    if (IsValidUtf8(path))
        return path;
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const char c : path) {
        hex += kDigits[static_cast<unsigned char>(c) >> 4];
        hex += kDigits[static_cast<unsigned char>(c) & 15];
    }
    return TJson { { "hex", hex } };
}

std::optional<std::string> PathFrom(const TJson &value)
{
    if (value.is_string())
        return value.get<std::string>();
    if (!value.is_object() || !value.contains("hex") || !value["hex"].is_string())
        return std::nullopt;
    const std::string hex = value["hex"].get<std::string>();
    if (hex.size() % 2 != 0)
        return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const auto digit = [](char c) {
            return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        };
        const int high = digit(hex[i]);
        const int low = digit(hex[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
    }
    return out;
}

TJson SumJson(const std::optional<TContentSum> &sum)
{
    if (!sum)
        return nullptr;
    return TJson { { "size", sum->Size }, { "xxh3", HashText(sum->Hash) } };
}

std::optional<TContentSum> SumFrom(const TJson &value, bool &valid)
{
    if (value.is_null())
        return std::nullopt;
    if (!value.is_object() || !value.contains("size") || !value["size"].is_number_unsigned() || !value.contains("xxh3")
        || !value["xxh3"].is_string()) {
        valid = false;
        return std::nullopt;
    }
    const auto hash = ParseHashText(value["xxh3"].get<std::string>());
    if (!hash) {
        valid = false;
        return std::nullopt;
    }
    return TContentSum { value["size"].get<std::uint64_t>(), *hash };
}

std::string TimeStamp()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto nanos
        = std::chrono::duration_cast<std::chrono::nanoseconds>(now.time_since_epoch()).count() % 1000000000LL;
    std::tm utc {};
    ::gmtime_r(&seconds, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02d.%09lldZ", utc.tm_year + 1900, utc.tm_mon + 1,
        utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<long long>(nanos));
    return text;
}

bool MakeFolders(const std::string &folder)
{
    std::string path;
    std::size_t start = 0;
    while (start <= folder.size()) {
        const std::size_t slash = folder.find('/', start);
        path = folder.substr(0, slash == std::string::npos ? folder.size() : slash);
        if (!path.empty() && ::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    return DirectoryExists(folder);
}

bool IsJournalName(std::string_view name)
{
    return name.size() > 6 && name.substr(name.size() - 6) == ".jsonl" && name[0] != '.';
}

// Where the time stamp of a version-1 journal's name ends: "YYYYMMDDTHHMMSS.nnnnnnnnnZ-PID.jsonl".
std::string TimeOfName(std::string_view name)
{
    const std::size_t dash = name.find('-');
    return std::string(name.substr(0, dash == std::string_view::npos ? 0 : dash));
}

constexpr std::string_view kUndoneLine = "{\"step\":\"undone\"}";
// The most the undone mark takes: a line break that ends a cut line, the mark and its own line break.
constexpr long long kMarkLength = static_cast<long long>(kUndoneLine.size()) + 2;
// The room reserved for the mark beyond the journal's end: a block of any common file system.
constexpr off_t kMarkRoom = 4096;

// True when `rest` holds nothing but undone marks and empty lines.
bool OnlyUndoneMarksIn(std::string_view rest)
{
    bool any = false;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        if (!line.empty() && line != kUndoneLine)
            return false;
        any = any || line == kUndoneLine;
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }
    return any;
}

[[noreturn]] void Refuse(std::string_view format, const std::string &path)
{
    throw TJournalRefused(format, { PathArg(path) });
}

// Reads what is left of an open descriptor; at most `limit` bytes, or to the first line break when
// `firstLine`.
std::string ReadDescriptor(int fd, const std::string &path, bool firstLine = false)
{
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw TError(kCannotOpenFile, { PathArg(path), ReasonArg(errno) });
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(got));
        if (firstLine && std::memchr(buffer, '\n', static_cast<std::size_t>(got)) != nullptr)
            break;
    }
    return bytes;
}

TJson StepLine(const TJournalStep &step)
{
    TJson line { { "row", step.Row }, { "step", StepName(step.Kind) }, { "file", PathJson(step.Path) } };
    switch (step.Kind) {
    case TStepKind::Backup:
        line["backup"] = PathJson(step.Other);
        line["older"] = step.Older.empty() ? TJson(nullptr) : PathJson(step.Older);
        line["sum"] = SumJson(step.Before);
        break;
    case TStepKind::Rename:
        line["to"] = PathJson(step.Other);
        line["sum"] = SumJson(step.Before);
        break;
    case TStepKind::Write:
        line["before"] = SumJson(step.Before);
        line["after"] = SumJson(step.After);
        if (!step.LinkTarget.empty())
            line["link"] = PathJson(step.LinkTarget);
        break;
    case TStepKind::Read:
    case TStepKind::Remove:
        line["sum"] = SumJson(step.Before);
        break;
    }
    return line;
}

TJson PathListJson(const std::vector<std::string> &paths)
{
    TJson list = TJson::array();
    for (const auto &path : paths)
        list.push_back(PathJson(path));
    return list;
}

bool SyncFolder(const std::string &folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

struct TJournalEntry
{
    std::string Time; ///< the start time its first line records (version 1: the one in its name)
    std::string Path;
};

// The journals in `folder` with their start times, newest first (of two with the same time, the later name).
std::vector<TJournalEntry> JournalsByTime(const std::string &folder)
{
    std::vector<std::string> names;
    if (DIR *dir = ::opendir(folder.c_str())) {
        while (const dirent *entry = ::readdir(dir))
            if (IsJournalName(entry->d_name))
                names.emplace_back(entry->d_name);
        ::closedir(dir);
    }
    std::vector<TJournalEntry> journals;
    for (const auto &name : names) {
        std::string path = folder;
        path += '/';
        path += name;
        try {
            // Every journal counts here, the user's own or not: one that may not be used is refused when it
            // is read, rather than an older run taken for the last one.
            const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
            if (fd < 0)
                continue;
            std::string first;
            try {
                first = ReadDescriptor(fd, path, true);
            } catch (...) {
                ::close(fd);
                throw;
            }
            ::close(fd);
            first.resize(std::min(first.find('\n'), first.size()));
            const TJson header = TJson::parse(first, nullptr, false);
            if (header.is_discarded() || !header.is_object() || !header.contains("journal"))
                continue;
            std::string time = header.contains("start") && header["start"].is_string()
                ? header["start"].get<std::string>()
                : TimeOfName(name);
            journals.push_back({ std::move(time), std::move(path) });
        } catch (const TError &) {
            continue; // unreadable: not a journal
        }
    }
    std::sort(journals.begin(), journals.end(), [](const TJournalEntry &a, const TJournalEntry &b) {
        return a.Time != b.Time ? a.Time > b.Time : a.Path > b.Path;
    });
    return journals;
}

} // namespace

TRunJournal::TRunJournal(std::string folder)
    : m_folder(std::move(folder))
    , m_startTime(TimeStamp())
{
}

TRunJournal::~TRunJournal()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void TRunJournal::BeginRun(std::vector<std::string> files, std::vector<std::string> folders, std::string scope)
{
    m_startTime = TimeStamp();
    m_scope = std::move(scope);
    m_files = std::move(files);
    m_folders = std::move(folders);
}

void TRunJournal::Fail(int reason)
{
    m_failure = TMessage("%s: %s", { PathArg(m_fileName.empty() ? m_folder : m_fileName), ReasonArg(reason) });
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void TRunJournal::Open()
{
    if (m_folder.empty()) {
        m_failure = TMessage(std::string(kNoJournalFolder));
        return;
    }
    if (!MakeFolders(m_folder)) {
        Fail(errno);
        return;
    }
    const std::string name
        = m_folder + (m_folder.back() == '/' ? "" : "/") + TimeStamp() + "-" + std::to_string(::getpid()) + ".jsonl";
    m_fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_fd < 0) {
        m_failure = TMessage("%s: %s", { PathArg(name), ReasonArg(errno) });
        return;
    }
    m_fileName = name;
    char cwd[4096];
    const TJson header { { "journal", 2 }, { "pid", ::getpid() }, { "start", m_startTime },
        { "folder", PathJson(::getcwd(cwd, sizeof cwd) ? cwd : "") }, { "folders", PathListJson(m_folders) },
        { "scope", m_scope } };
    WriteLine(header.dump());
    WriteLine(TJson { { "files", PathListJson(m_files) } }.dump());
    // The journal's own name must outlive a power loss as much as its lines.
    if (m_fd >= 0 && !SyncFolder(m_folder))
        Fail(errno);
}

void TRunJournal::WriteLine(const std::string &line)
{
    if (m_fd < 0)
        return;
    const std::string out = line + "\n";
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t written = ::write(m_fd, out.data() + done, out.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            Fail(written < 0 ? errno : ENOSPC);
            return;
        }
        done += static_cast<std::size_t>(written);
    }
    m_dirty = true;
}

void TRunJournal::Record(const TJournalStep &step)
{
    if (!m_failure.Empty())
        return;
    const TJson line = StepLine(step);
    // Files read are kept back until the run changes a file, so a run that changes none leaves no journal.
    if (m_fd < 0 && step.Kind == TStepKind::Read) {
        m_pending += line.dump() + "\n";
        return;
    }
    if (m_fd < 0) {
        Open();
        if (m_fd < 0)
            return;
        if (!m_pending.empty()) {
            m_pending.pop_back();
            WriteLine(m_pending);
            std::string().swap(m_pending);
        }
    }
    WriteLine(line.dump());
}

void TRunJournal::RecordOlderMoved(int row, const std::string &backupName, const std::string &older)
{
    if (m_fd < 0)
        return;
    WriteLine(
        TJson { { "row", row }, { "step", "older" }, { "backup", PathJson(backupName) }, { "older", PathJson(older) } }
            .dump());
    Sync();
}

void TRunJournal::Sync()
{
    if (m_fd < 0 || !m_dirty)
        return;
    if (::fdatasync(m_fd) != 0) {
        Fail(errno);
        return;
    }
    m_dirty = false;
}

void TRunJournal::End()
{
    if (m_fd < 0)
        return;
    WriteLine(TJson { { "step", "end" } }.dump());
    Sync();
}

std::string RunJournalFolder(const std::string &executableDir,
    const std::function<const char *(const char *)> &environment, bool besideExecutable)
{
    if (besideExecutable)
        return executableDir.empty() ? std::string() : executableDir + "/qvConvertFiles-runs";
    const char *state = environment("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/')
        return std::string(state) + "/qvConvertFiles/runs";
    const char *home = environment("HOME");
    if (home != nullptr && home[0] == '/')
        return std::string(home) + "/.local/state/qvConvertFiles/runs";
    return {};
}

int OpenTrustedJournal(const std::string &path, bool forAppend)
{
    const uid_t user = ::geteuid();
    const std::string folder = FolderOf(path);
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        throw TJournalRefused(kCannotOpenFile, { PathArg(path), ReasonArg(errno) });
    struct stat st
    {
    };
    // Mode bits show the ACL mask where there is one, so no write bit for group and others means that no
    // one but the owner may write, ACLs included.
    if (::fstat(dirFd, &st) != 0 || st.st_uid != user || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        ::close(dirFd);
        Refuse(kJournalFolderShared, folder);
    }
    const std::string name(NamePart(path));
    const int fd = ::openat(dirFd, name.c_str(),
        (forAppend ? O_RDWR | O_APPEND : O_RDONLY) | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    const int reason = errno;
    ::close(dirFd);
    if (fd < 0) {
        if (reason == ELOOP)
            Refuse(kJournalIsLink, path);
        throw TJournalRefused(kCannotOpenFile, { PathArg(path), ReasonArg(reason) });
    }
    const auto refuse = [fd, &path](std::string_view format) {
        ::close(fd);
        Refuse(format, path);
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        refuse(kJournalNotRegular);
    if (st.st_uid != user)
        refuse(kJournalOtherOwner);
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        refuse(kJournalWritableByOthers);
    return fd;
}

std::string NewestJournal(const std::string &folder)
{
    const std::vector<TJournalEntry> journals = JournalsByTime(folder);
    return journals.empty() ? std::string() : journals.front().Path;
}

std::vector<TJournalSummary> RecentJournals(const std::string &folder, std::size_t limit)
{
    std::vector<TJournalEntry> journals = JournalsByTime(folder);
    if (journals.size() > limit)
        journals.resize(limit);
    std::vector<TJournalSummary> summaries;
    summaries.reserve(journals.size());
    for (const auto &entry : journals) {
        TJournalSummary &summary = summaries.emplace_back();
        summary.Path = entry.Path;
        summary.StartTime = entry.Time;
        std::string bytes;
        try {
            const int fd = OpenTrustedJournal(entry.Path);
            try {
                bytes = ReadDescriptor(fd, entry.Path);
            } catch (...) {
                ::close(fd);
                throw;
            }
            ::close(fd);
        } catch (const TError &error) {
            summary.Refused = error.Message();
            continue;
        }
        try {
            const TJournal journal = ParseJournal(bytes, entry.Path);
            summary.StartTime = journal.StartTime;
            summary.Folders = journal.Folders;
            summary.Ended = journal.Ended;
            summary.Cut = journal.Cut;
            summary.Undone = journal.Undone;
            if (journal.Version >= 2) {
                summary.FileCount = journal.Files.size();
            } else {
                std::set<std::string> read;
                for (const auto &step : journal.Steps)
                    if (step.Kind == TStepKind::Read)
                        read.insert(step.Path);
                summary.FileCount = read.size();
            }
        } catch (const TError &error) {
            summary.Damaged = true;
            summary.Refused = error.Message();
        }
    }
    return summaries;
}

TJournal ReadJournal(const std::string &path)
{
    const int fd = OpenTrustedJournal(path);
    std::string bytes;
    try {
        bytes = ReadDescriptor(fd, path);
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
    return ParseJournal(bytes, path);
}

TJournal ParseJournal(std::string_view bytes, const std::string &path)
{
    TJournal journal;
    journal.FileName = path;
    std::size_t start = 0;
    int number = 0;
    std::string runFolder;
    bool sawEnd = false;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find('\n', start);
        ++number;
        const auto damaged = [&] { return TJournalRefused(kDamagedJournal, { TextArg(std::to_string(number)) }); };
        // A kill or a full disk while the last line was written leaves it without its line break: that
        // step was not taken (it is journaled before it is), so it is left out.
        if (end == std::string::npos) {
            journal.Cut = true;
            break;
        }
        const std::string_view text(bytes.data() + start, end - start);
        start = end + 1;
        // An undone mark appended after a cut line stands on a line of its own, after an empty one.
        if (text.empty() && number > 1)
            continue;
        const TJson line = TJson::parse(text, nullptr, false);
        if (line.is_discarded() || !line.is_object()) {
            // A line cut short, then ended by the undone mark an undo appended after it, is still the cut line.
            if (OnlyUndoneMarksIn(bytes.substr(start)) && number > 1) {
                journal.Cut = true;
                journal.Undone = true;
                break;
            }
            throw damaged();
        }
        if (number == 1) {
            if (!line.contains("journal") || !line["journal"].is_number_integer())
                throw damaged();
            journal.Version = line["journal"].get<int>();
            if (journal.Version != 1 && journal.Version != 2)
                throw damaged();
            // Paths the run was given relative to its folder are taken from that folder.
            if (line.contains("folder"))
                if (const auto folder = PathFrom(line["folder"]); folder && !folder->empty())
                    runFolder = *folder + "/";
            if (journal.Version >= 2) {
                if (!line.contains("start") || !line["start"].is_string() || !line.contains("folders")
                    || !line["folders"].is_array())
                    throw damaged();
                journal.StartTime = line["start"].get<std::string>();
                if (line.contains("scope") && line["scope"].is_string())
                    journal.Scope = line["scope"].get<std::string>();
                for (const auto &folder : line["folders"]) {
                    const auto resolved = PathFrom(folder);
                    if (!resolved || resolved->empty() || resolved->front() != '/')
                        throw damaged();
                    journal.Folders.push_back(*resolved);
                }
            } else {
                journal.StartTime = TimeOfName(NamePart(path));
            }
            continue;
        }
        if (line.contains("files")) {
            if (!line["files"].is_array())
                throw damaged();
            for (const auto &file : line["files"]) {
                const auto name = PathFrom(file);
                if (!name)
                    throw damaged();
                journal.Files.push_back(name->empty() || name->front() == '/' ? *name : runFolder + *name);
            }
            continue;
        }
        if (!line.contains("step") || !line["step"].is_string())
            throw damaged();
        const std::string kind = line["step"].get<std::string>();
        if (kind == "undone") {
            journal.Undone = true;
            continue;
        }
        if (kind == "end") {
            sawEnd = true;
            continue;
        }
        const auto pathOf = [&](const char *key) {
            if (!line.contains(key))
                throw damaged();
            auto value = PathFrom(line[key]);
            if (!value || value->empty())
                throw damaged();
            return value->front() == '/' ? *value : runFolder + *value;
        };
        if (kind == "older") {
            const std::string backup = pathOf("backup");
            const std::string older = pathOf("older");
            for (auto it = journal.Steps.rbegin(); it != journal.Steps.rend(); ++it)
                if (it->Kind == TStepKind::Backup && it->Other == backup) {
                    it->Older = older;
                    break;
                }
            continue;
        }
        TJournalStep step;
        if (!line.contains("row") || !line["row"].is_number_integer())
            throw damaged();
        step.Row = line["row"].get<int>();
        step.Path = pathOf("file");
        bool valid = true;
        if (kind == "read" || kind == "remove") {
            step.Kind = kind == "read" ? TStepKind::Read : TStepKind::Remove;
            step.Before = SumFrom(line.value("sum", TJson()), valid);
        } else if (kind == "backup") {
            step.Kind = TStepKind::Backup;
            step.Other = pathOf("backup");
            if (line.contains("older") && !line["older"].is_null())
                step.Older = pathOf("older");
            step.Before = SumFrom(line.value("sum", TJson()), valid);
        } else if (kind == "rename") {
            step.Kind = TStepKind::Rename;
            step.Other = pathOf("to");
            step.Before = SumFrom(line.value("sum", TJson()), valid);
        } else if (kind == "write") {
            step.Kind = TStepKind::Write;
            step.Before = SumFrom(line.value("before", TJson()), valid);
            step.After = SumFrom(line.value("after", TJson()), valid);
            if (line.contains("link") && !line["link"].is_null())
                step.LinkTarget = pathOf("link");
            valid = valid && step.After.has_value();
        } else {
            throw damaged();
        }
        if (!valid || (step.Kind != TStepKind::Write && !step.Before))
            throw damaged();
        journal.Steps.push_back(std::move(step));
    }
    if (number == 0 || (number == 1 && journal.Cut))
        throw TJournalRefused(std::string(kEmptyJournal));
    // A version-1 journal has no end line; its folders are those of the files it names.
    journal.Ended = journal.Version == 1 || sawEnd;
    if (journal.Version == 1) {
        std::vector<std::string> files;
        for (const auto &step : journal.Steps)
            if (step.Kind == TStepKind::Read)
                files.push_back(step.Path);
        journal.Folders = RunFoldersOf(files);
    }
    return journal;
}

void MarkJournalUndone(const std::string &path)
{
    const int fd = OpenTrustedJournal(path, true);
    // The mark stands on a line of its own even after a line that a kill cut short.
    struct stat st
    {
    };
    char last = '\n';
    if (::fstat(fd, &st) == 0 && st.st_size > 0)
        (void)::pread(fd, &last, 1, st.st_size - 1);
    const std::string line = std::string(last == '\n' ? "" : "\n") + std::string(kUndoneLine) + "\n";
    const bool written = sys::WriteAll(fd, line.data(), line.size(), path) && sys::SyncData(fd) == 0;
    const int reason = errno;
    ::close(fd);
    if (!written)
        throw TError(kCannotCreateFile, { PathArg(path), ReasonArg(reason) });
}

void ReserveJournalMark(const std::string &path)
{
    const int fd = OpenTrustedJournal(path, true);
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0) {
        const int reason = errno;
        ::close(fd);
        throw TError(kCannotOpenFile, { PathArg(path), ReasonArg(reason) });
    }
    const bool reserved = sys::Allocate(fd, path, FALLOC_FL_KEEP_SIZE, st.st_size, kMarkRoom) == 0;
    const int reason = errno;
    ::close(fd);
    // A file system that cannot reserve room leaves the mark to the free space; a full one still takes the mark
    // in the unused end of the journal's last block, and refuses the undo before its first step where that is
    // too short.
    const auto allocated = static_cast<long long>(st.st_blocks) * 512;
    if (!reserved && (reason == ENOSPC || reason == EDQUOT) && allocated < st.st_size + kMarkLength)
        throw TError(kCannotCreateFile, { PathArg(path), ReasonArg(reason) });
}

std::vector<std::string> RunFoldersOf(const std::vector<std::string> &files)
{
    std::vector<std::string> folders;
    std::set<std::string> seen;
    const auto add = [&](const std::string &folder) {
        if (!seen.insert(folder).second)
            return;
        char *resolved = ::realpath(folder.c_str(), nullptr);
        if (resolved == nullptr)
            return;
        folders.emplace_back(resolved);
        std::free(resolved);
    };
    for (const auto &file : files) {
        add(FolderOf(file));
        struct stat st
        {
        };
        if (::lstat(file.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            if (char *target = ::realpath(file.c_str(), nullptr)) {
                add(FolderOf(target));
                std::free(target);
            }
    }
    std::sort(folders.begin(), folders.end());
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    return folders;
}

} // namespace qvc
