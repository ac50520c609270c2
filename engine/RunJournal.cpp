#include "engine/RunJournal.h"

#include "common/Errors.h"
#include "common/FileIO.h"
#include "common/TextFormat.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qvc {

namespace {

using TJson = nlohmann::json;

constexpr std::string_view kDamagedJournal = "The run journal \"%s\" is damaged at line %s.";

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

bool IsUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t more = 0;
        std::uint32_t code = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + more >= text.size())
            return false;
        for (std::size_t k = 1; k <= more; ++k) {
            const auto d = static_cast<unsigned char>(text[i + k]);
            if ((d & 0xC0) != 0x80)
                return false;
            code = code << 6 | (d & 0x3F);
        }
        if ((more == 2 && code < 0x800) || (more == 3 && (code < 0x10000 || code > 0x10FFFF))
            || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += more + 1;
    }
    return true;
}

// A path as JSON: a string when it is UTF-8, else its bytes in hex, so that every path comes back exactly.
TJson PathJson(const std::string &path)
{
    if (IsUtf8(path))
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

} // namespace

TRunJournal::TRunJournal(std::string folder)
    : m_folder(std::move(folder))
{
}

TRunJournal::~TRunJournal()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void TRunJournal::Open()
{
    if (m_folder.empty()) {
        m_failure = TMessage("No folder for the run journal (neither XDG_STATE_HOME nor HOME is set).");
        return;
    }
    if (!MakeFolders(m_folder)) {
        m_failure = TMessage("%s: %s", { PathArg(m_folder), ReasonArg(errno) });
        return;
    }
    const std::string name
        = m_folder + (m_folder.back() == '/' ? "" : "/") + TimeStamp() + "-" + std::to_string(::getpid()) + ".jsonl";
    m_fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        m_failure = TMessage("%s: %s", { PathArg(name), ReasonArg(errno) });
        return;
    }
    m_fileName = name;
    char cwd[4096];
    const TJson header { { "journal", 1 }, { "pid", ::getpid() },
        { "folder", PathJson(::getcwd(cwd, sizeof cwd) ? cwd : "") } };
    WriteLine(header.dump());
}

void TRunJournal::WriteLine(const std::string &line)
{
    const std::string out = line + "\n";
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t written = ::write(m_fd, out.data() + done, out.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            m_failure = TMessage("%s: %s", { PathArg(m_fileName), ReasonArg(errno) });
            ::close(m_fd);
            m_fd = -1;
            return;
        }
        done += static_cast<std::size_t>(written);
    }
}

void TRunJournal::Record(const TJournalStep &step)
{
    if (!m_failure.Empty())
        return;
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
        break;
    case TStepKind::Read:
    case TStepKind::Remove:
        line["sum"] = SumJson(step.Before);
        break;
    }
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

std::string NewestJournal(const std::string &folder)
{
    std::string newest;
    if (DIR *dir = ::opendir(folder.c_str())) {
        while (const dirent *entry = ::readdir(dir))
            if (IsJournalName(entry->d_name) && newest < entry->d_name)
                newest = entry->d_name;
        ::closedir(dir);
    }
    return newest.empty() ? newest : folder + "/" + newest;
}

TJournal ReadJournal(const std::string &path)
{
    TJournal journal;
    journal.FileName = path;
    const std::string bytes = ReadFileBytes(path);
    std::size_t start = 0;
    int number = 0;
    std::string runFolder;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find('\n', start);
        ++number;
        const auto damaged = [&] {
            return TError(kDamagedJournal, { PathArg(path), TextArg(std::to_string(number)) });
        };
        // A kill while the last line was written leaves it without its line break: that step was not
        // taken (it is journaled before it is), so it is left out.
        if (end == std::string::npos)
            break;
        const std::string_view text(bytes.data() + start, end - start);
        start = end + 1;
        const TJson line = TJson::parse(text, nullptr, false);
        if (line.is_discarded() || !line.is_object())
            throw damaged();
        if (number == 1) {
            if (!line.contains("journal"))
                throw damaged();
            // Paths the run was given relative to its folder are taken from that folder.
            if (line.contains("folder"))
                if (const auto folder = PathFrom(line["folder"]); folder && !folder->empty())
                    runFolder = *folder + "/";
            continue;
        }
        if (!line.contains("step") || !line["step"].is_string())
            throw damaged();
        const std::string kind = line["step"].get<std::string>();
        if (kind == "undone") {
            journal.Undone = true;
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
            valid = valid && step.After.has_value();
        } else {
            throw damaged();
        }
        if (!valid || (step.Kind != TStepKind::Write && !step.Before))
            throw damaged();
        journal.Steps.push_back(std::move(step));
    }
    return journal;
}

void MarkJournalUndone(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW);
    const std::string line = "{\"step\":\"undone\"}\n";
    const bool written = fd >= 0 && ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    const int reason = errno;
    if (fd >= 0)
        ::close(fd);
    if (!written)
        throw TError(kCannotCreateFile, { PathArg(path), ReasonArg(reason) });
}

} // namespace qvc
