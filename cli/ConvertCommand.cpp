// "qvconvert convert": the conversion run of the window, driven from a terminal through the same core
// (RunConversion and the substitution pass), its outcomes printed instead of shown in a window.
#include "cli/Commands.h"
#include "cli/ErrorText.h"
#include "cli/RunFiles.h"

#include "common/Cp1252.h"
#include "common/Errors.h"
#include "common/EscapedName.h"
#include "common/FileIO.h"
#include "common/TextLines.h"
#include "common/Utf8.h"
#include "engine/journal/RunJournal.h"
#include "engine/journal/UndoRun.h"
#include "engine/run/ConversionRun.h"
#include "engine/run/DisplayFormat.h"
#include "engine/run/RowState.h"
#include "engine/write/TargetNames.h"
#include "engine/write/WriteStep.h"
#include "filelist/FileParams.h"
#include "filelist/ListedFileNames.h"
#include "repository/RepositoryFile.h"
#include "results/ResultReport.h"
#include "results/RunSummary.h"
#include "results/UnifiedDiff.h"

// GCC 12 sees a null dereference inside CLI11's string splitting once it is inlined here; it has none.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wnull-dereference"
#endif
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace qvc {
namespace {

struct TConvertArguments
{
    std::string Repository;
    std::string Rename;
    bool Backup = false;
    bool Simulate = false;
    bool Json = false;
    std::string FilesFrom;
    std::string Mask { kDefaultFileMask };
    std::string Report;
    std::vector<std::string> Files;
    bool NoJournal = false;
    bool Missed = false;
    bool Diff = false;
    std::string Scope { "all" };
};

std::string ReadStandardInput()
{
    std::string bytes;
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, stdin)) > 0)
        bytes.append(buffer, got);
    if (std::ferror(stdin))
        throw TError("Cannot read the file list from standard input.");
    return bytes;
}

// The files of the run, in order: the --files-from lines, then the FILE arguments, folders searched.
std::vector<std::string> ExpandFileArguments(const TConvertArguments &arguments)
{
    std::vector<std::string> files;
    if (!arguments.FilesFrom.empty()) {
        std::string bytes;
        if (arguments.FilesFrom == "-")
            bytes = ReadStandardInput();
        else
            bytes = ReadFileBytes(arguments.FilesFrom);
        for (auto &line : SplitLines(bytes))
            if (!line.empty())
                files.push_back(std::move(line));
    }
    files.insert(files.end(), arguments.Files.begin(), arguments.Files.end());
    return CollectRunFiles(files, arguments.Mask);
}

// The thousands separator of the user's locale, as the window would take it from its locale.
TDisplayLocale ConsoleLocale()
{
    TDisplayLocale locale;
    locale.TimeSeparator = ":";
    // NOLINTBEGIN(concurrency-mt-unsafe): read before the run starts any other thread
    const char *current = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = current ? current : "C";
    if (std::setlocale(LC_NUMERIC, "") != nullptr) {
        const char *separator = std::localeconv()->thousands_sep;
        locale.ThousandsSeparator = separator ? separator : "";
    } else {
        locale.ThousandsSeparator.clear();
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
    // NOLINTEND(concurrency-mt-unsafe)
    return locale;
}

// Paths are the file system's bytes: kept when they are UTF-8, read as Windows-1252 otherwise (the JSON writer
// refuses anything but well-formed UTF-8).
nlohmann::ordered_json PathJson(const std::string &path)
{
    if (path.empty())
        return nullptr;
    return AsUtf8(path);
}

// The file steps of a row, for a simulated run what a real one would do: the name written, the backup,
// the companions renamed and the existing files overwritten.
void AddPlanFields(nlohmann::ordered_json &record, const TWritePlan &plan)
{
    record["written"] = PathJson(plan.WrittenName);
    record["backup"] = PathJson(plan.BackupName());
    nlohmann::ordered_json renamed = nlohmann::ordered_json::array();
    for (const auto &[from, to] : plan.Renamed)
        renamed.push_back({ { "from", PathJson(from) }, { "to", PathJson(to) } });
    record["renamed"] = std::move(renamed);
    nlohmann::ordered_json overwrites = nlohmann::ordered_json::array();
    for (const auto &file : plan.Overwrites)
        overwrites.push_back(PathJson(file));
    record["overwrites"] = std::move(overwrites);
}

// What a run's outcomes become on a terminal: one line per file (or a JSON record, or a diff), the rows of the
// report, the run's figures, and a progress bar on standard error while the run goes on.
class TTerminalOutput final : public TRunObserver
{
public:
    TTerminalOutput(const std::vector<std::string> &files, const TConvertArguments &arguments, TDisplayLocale locale)
        : m_files(files)
        , m_arguments(arguments)
        , m_showProgress(::isatty(STDERR_FILENO) == 1)
        , m_stdoutIsTerminal(::isatty(STDOUT_FILENO) == 1)
        , m_locale(std::move(locale))
    {
        m_reportRows.reserve(m_files.size());
    }

    int FailedFiles() const { return m_failed; }
    const nlohmann::ordered_json &Records() const { return m_records; }
    /// The converted files as the window's report lists them, in run order.
    const std::vector<TReportRow> &ReportRows() const { return m_reportRows; }

    /// The figures of the run; a row whose writing ended the run counts as failed.
    TRunSummary Summary(double seconds) const
    {
        TRunSummary summary = m_summary;
        if (m_current >= 0 && !m_currentReported)
            summary.AddWriteFailure();
        summary.Seconds = seconds;
        return summary;
    }
    /// Whether the run got as far as its files (it did not fail before the first).
    bool Began() const { return m_began; }
    bool Plain() const { return !m_arguments.Json && !m_arguments.Diff; }

    /// The misses of every file printed so far.
    std::size_t TotalMissed() const { return m_totalMissed; }

    void RunBegan() override
    {
        m_began = true;
        m_summary.Simulated = m_arguments.Simulate;
    }
    void RunEnded() override { ClearProgress(); }
    // Nothing stops a run of the tool between two files.
    bool StopMayBeWanted() override { return false; }
    void RowStarted(int row) override
    {
        m_current = row;
        m_currentReported = false;
        DrawProgress(false);
    }

    void RowOutcome(TFileOutcome &outcome) override
    {
        const TPassReport &report = outcome.Report;
        const int row = outcome.Row;
        m_summary.Add(report);
        m_currentReported = true;
        const std::string updates = FormatCount(report.Count, m_locale.ThousandsSeparator);
        const std::string status = report.Percent < 0 ? std::string(kNotProcessed) : PercentText(report.Percent);
        const std::string time = FormatElapsed(report.Seconds, m_locale.TimeSeparator);
        const std::string &file = m_files[static_cast<std::size_t>(row)];
        m_reportRows.push_back(ReportRowOf(outcome.Number, file, updates, status, time));
        if (report.Count < 0) {
            ++m_failed;
            ClearProgress();
            ReportFailure(file, ErrorText(report.FailureReason));
        }
        if (m_arguments.Json) {
            nlohmann::ordered_json entries = nlohmann::ordered_json::array();
            for (const auto &entry : outcome.Result.Entries())
                entries.push_back({ { "find", Cp1252ToUtf8(entry.Find) }, { "replace", Cp1252ToUtf8(entry.Replace) },
                    { "occurrences", entry.Occurrences } });
            m_records.push_back({ { "number", outcome.Number }, { "file", PathJson(file) }, { "count", report.Count },
                { "status", status }, { "seconds", static_cast<double>(report.Seconds) },
                { "written", PathJson(report.WrittenName) }, { "backup", PathJson(report.BackupName) },
                { "entries", std::move(entries) } });
            if (report.Count < 0)
                m_records.back()["error"] = Utf8Text(report.FailureReason);
            AddPlanFields(m_records.back(), report.Plan);
            m_records.back()["missed"] = MissedJson(report.Missed);
            if (m_arguments.Scope != ScopeName(TScope::All))
                m_records.back()["scope"] = m_arguments.Scope;
        } else if (m_arguments.Diff) {
            ClearProgress();
            WriteDiff(file, report);
        } else {
            ClearProgress();
            std::string line = std::to_string(outcome.Number) + '\t' + updates + '\t' + status + '\t' + time + '\t'
                + EscapedName(file);
            if (m_arguments.Missed)
                line += '\t' + std::to_string(report.Missed.size());
            line += '\n';
            // Lines go out as they come when someone watches; otherwise the buffer saves a call per file.
            if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size()
                || (m_stdoutIsTerminal && std::fflush(stdout) != 0))
                throw TError("Cannot write to standard output.");
        }
        m_totalMissed += report.Missed.size();
        DrawProgress(static_cast<std::size_t>(row) + 1 == m_files.size());
    }

private:
    static nlohmann::ordered_json MissedJson(const std::vector<TMissedOccurrence> &missed)
    {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const TMissedOccurrence &miss : missed)
            list.push_back({ { "line", miss.Line }, { "find", Cp1252ToUtf8(miss.Find) },
                { "reason", std::string(MissReasonText(miss.Reason)) } });
        return list;
    }

    // The git-style diff of one file the run wrote, or would write.
    void WriteDiff(const std::string &file, const TPassReport &report)
    {
        if (report.ConvertedName.empty())
            return;
        if (m_currentFolder.empty()) {
            std::error_code error;
            m_currentFolder = std::filesystem::current_path(error).string();
        }
        TDiffFile names;
        names.OldPath = DiffPathOf(file, m_currentFolder);
        names.NewPath = DiffPathOf(report.ConvertedName, m_currentFolder);
        names.Change = report.ConvertedName == file ? TDiffChange::Modified
            : report.ReadFileRemoved                ? TDiffChange::Renamed
                                                    : TDiffChange::Copied;
        names.Binary = report.Kind == TFileKind::BinaryForm;
        std::string diff;
        AppendUnifiedDiff(diff, names, report.ReadBytes, report.ConvertedText);
        // The files renamed with a unit keep their bytes: a rename of its own each.
        for (const auto &[from, to] : report.Plan.Renamed) {
            TDiffFile companion;
            companion.OldPath = DiffPathOf(from, m_currentFolder);
            companion.NewPath = DiffPathOf(to, m_currentFolder);
            companion.Change = TDiffChange::Renamed;
            AppendUnifiedDiff(diff, companion, {}, {});
        }
        if (std::fwrite(diff.data(), 1, diff.size(), stdout) != diff.size()
            || (m_stdoutIsTerminal && std::fflush(stdout) != 0))
            throw TError("Cannot write to standard output.");
    }

    void DrawProgress(bool force)
    {
        if (!m_showProgress || m_files.empty())
            return;
        const auto now = std::chrono::steady_clock::now();
        if (!force && m_drawn && now - m_lastDraw < std::chrono::milliseconds(100))
            return;
        m_lastDraw = now;
        m_drawn = true;
        const std::size_t done = static_cast<std::size_t>(m_current < 0 ? 0 : m_current);
        const std::size_t width = 40;
        const std::size_t filled = done * width / m_files.size();
        std::string bar = "\r[" + std::string(filled, '#') + std::string(width - filled, '.') + "] "
            + std::to_string(done) + "/" + std::to_string(m_files.size());
        std::fwrite(bar.data(), 1, bar.size(), stderr);
        std::fflush(stderr);
    }
    void ClearProgress()
    {
        if (m_drawn) {
            std::fputs("\r\033[K", stderr);
            std::fflush(stderr);
            m_drawn = false;
        }
    }

    const std::vector<std::string> &m_files;
    const TConvertArguments &m_arguments;
    bool m_showProgress;
    bool m_stdoutIsTerminal;
    bool m_drawn = false;
    std::chrono::steady_clock::time_point m_lastDraw;
    int m_current = -1;
    int m_percent = -1; // the current row's last percentage, -1 for none yet
    bool m_currentReported = false;
    bool m_began = false;
    TRunSummary m_summary;
    TDisplayLocale m_locale;
    int m_failed = 0;
    nlohmann::ordered_json m_records = nlohmann::ordered_json::array();
    std::vector<TReportRow> m_reportRows;
    std::size_t m_totalMissed = 0;
    std::string m_currentFolder;
};

[[noreturn]] void EndWithMessage(const std::string &message)
{
    const std::string line = "qvconvert: " + message + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    EndCommand(kExitUsage);
}

// One warning line per finding in the repository file; the run goes on with what the file holds.
void WarnRepositoryFindings(const std::string &repository, const std::vector<TRepositoryFinding> &findings)
{
    for (const TRepositoryFinding &finding : findings) {
        switch (finding.Kind) {
        case TRepositoryFinding::TKind::EmptyFile:
            ReportFailure(repository, "warning: the repository file is empty: it holds no pair");
            break;
        case TRepositoryFinding::TKind::NoPair:
            ReportFailure(
                repository, "warning: the repository file holds no pair (no line has a find text before \"=\")");
            break;
        case TRepositoryFinding::TKind::MarkerOutOfRange:
            ReportFailure(repository,
                "warning: line " + std::to_string(finding.Line) + ": \"" + finding.Text
                    + "\" is not a rename marker (0 to 3), so it is read as a pair");
            break;
        }
    }
}

void RunConvert(const TConvertArguments &arguments)
{
    std::vector<std::string> files;
    TRepositoryContent repository;
    try {
        const std::string repositoryBytes = ReadFileBytes(arguments.Repository);
        repository = ParseRepositoryBytes(repositoryBytes, kDefaultRenameMode);
        WarnRepositoryFindings(arguments.Repository, RepositoryFindings(repositoryBytes));
        files = ExpandFileArguments(arguments);
    } catch (const TError &error) {
        EndWithMessage(ErrorText(error));
    }
    if (const auto chosen = RenameModeOfOption(arguments.Rename))
        repository.RenameMode = *chosen;

    TRunRequest request;
    request.Files.reserve(files.size());
    for (std::size_t row = 0; row < files.size(); ++row)
        request.Files.push_back({ files[row], row });
    request.RepositoryLines = std::move(repository.Lines);
    request.RenameMode = repository.RenameMode;
    request.Scope = ScopeFromName(arguments.Scope).value_or(TScope::All);
    request.Backup = arguments.Backup;
    request.Simulate = arguments.Simulate;
    request.KeepTexts = arguments.Diff;
    TTerminalOutput output(files, arguments, ConsoleLocale());
    std::string stopped;
    TRunJournal journal(JournalFolder());
    const auto start = std::chrono::steady_clock::now();
    try {
        // Without a journal of its own the run still may not start in a tree an undo left half done.
        if (arguments.NoJournal)
            CheckNoPendingUndo(journal.Folder());
        RunConversion(request, output, arguments.NoJournal ? nullptr : &journal);
    } catch (const TError &error) {
        stopped = StopText(error);
    } catch (const std::exception &error) {
        stopped = ErrorText(error);
    }
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    bool reportFailed = false;
    if (!arguments.Report.empty()) {
        // The name column is as wide as the longest name given, counted as the report prints it.
        std::size_t longest = 0;
        for (const std::string &file : files)
            longest = std::max(longest, ReportFileName(file).size());
        try {
            WriteResultReport(arguments.Report, output.ReportRows(), longest, TReportCaptions {});
        } catch (const std::exception &error) {
            ReportFailure("report", ErrorText(error));
            reportFailed = true;
        }
    }
    std::string text = arguments.Json ? output.Records().dump(2) + "\n" : std::string();
    if (arguments.Missed && !arguments.Json && !arguments.Diff)
        text = "total\t\t\t\t\t" + std::to_string(output.TotalMissed()) + "\n";
    if (!WriteStandardOutput(text) && stopped.empty())
        stopped = "Cannot write to standard output.";
    // A run whose journal broke off converted its files all the same, but cannot be undone: the last
    // line says so and the run does not end as a success.
    const bool journalFailed = !journal.Failure().Empty();
    const std::string journalLine = journalFailed ? "qvconvert: journal: " + ErrorText(journal.Failure())
            + " (the journal of this run could not be "
              "completed: it cannot be undone)\n"
                                                  : std::string();
    // The plain output's figures go to standard error, so what standard output holds stays one line per file;
    // a failure's own line still comes last.
    if (output.Began() && output.Plain()) {
        const std::string summary = TerminalSummaryText(output.Summary(seconds.count())) + "\n";
        std::fwrite(summary.data(), 1, summary.size(), stderr);
        std::fflush(stderr);
    }
    if (!stopped.empty()) {
        const std::string line = "qvconvert: " + stopped + "\n" + journalLine;
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
        EndCommand(kExitUsage);
    }
    if (journalFailed) {
        std::fwrite(journalLine.data(), 1, journalLine.size(), stderr);
        std::fflush(stderr);
    }
    if (reportFailed || output.FailedFiles() > 0 || journalFailed)
        EndCommand(kExitFailure);
}

} // namespace

void AddConvertCommand(CLI::App &app)
{
    CLI::App *command = app.add_subcommand(
        "convert", "Convert files with the pairs of a repository (.dat) file, as the window's \"Executar\" does");
    command->footer(
        "Prints one line per file (number, count, status, time, path, separated by tabs), and on standard error "
        "the run's\nfigures (\"12 files: 3 changed, 1 failed, 4 missed, 0.8 s\"); with --json, a JSON array with "
        "one object per\nfile instead; with --diff, a unified diff.\n"
        "\n"
        "Examples:\n"
        "  qvconvert convert --repository delphi-to-kylix.dat --backup ~/projetos/vendas\n"
        "  qvconvert convert --repository pairs.dat --rename none --simulate --json src/ > run.json\n"
        "  qvconvert convert --repository pairs.dat --report Result.txt --mask '*.pas;*.dpr' src/\n"
        "  find . -name '*.pas' | qvconvert convert --repository pairs.dat --files-from -\n"
        "\n"
        "Exit status:\n"
        "  0  every file was converted (a file without a match counts as converted)\n"
        "  1  a file failed (its count is -1), the report could not be written, or the run's journal could\n"
        "     not be completed (the run cannot be undone)\n"
        "  2  a write failure ended the run, the repository or the names to convert could not be read,\n"
        "     or the command line is wrong\n"
        "  2  another run or undo held one of the run's folders for 5 s, or an interrupted undo must be\n"
        "     completed first (qvconvert undo); nothing was changed");
    auto arguments = std::make_shared<TConvertArguments>();
    command->add_option("--repository", arguments->Repository, "The repository file (.dat) with the pairs")->required();
    command
        ->add_option("--rename", arguments->Rename,
            "Rename form files: delphi-to-kylix (.dfm to .xfm), kylix-to-delphi (.xfm to .dfm), delphi-to-lazarus "
            "(.dfm to a text .lfm, and {$R *.dfm} to {$R *.lfm} in the units) or none; "
            "default: the repository's marker")
        ->check(CLI::IsMember({ std::string(RenameOptionName(TRenameMode::DelphiToKylix)),
            std::string(RenameOptionName(TRenameMode::KylixToDelphi)),
            std::string(RenameOptionName(TRenameMode::DelphiToLazarus)),
            std::string(RenameOptionName(TRenameMode::None)) }));
    command
        ->add_option("--scope", arguments->Scope,
            "Where the pairs apply: all (every byte of every line, the default), code (Pascal code only: never "
            "in a comment, a compiler directive or a string; every whole identifier) or uses (only the unit "
            "names of uses clauses and of a package's requires and contains clauses). In code and uses, files "
            "that are neither Pascal (.pas .pp .inc .dpr .dpk .lpr) nor forms (.dfm .xfm .lfm) are left "
            "unchanged")
        ->check(CLI::IsMember({ "all", "code", "uses" }));
    command->add_flag("--backup", arguments->Backup, "Back up every file before it is replaced (Unit1.~pas)");
    command->add_flag("--simulate", arguments->Simulate, "Count and report, but write no file");
    CLI::Option *json = command->add_flag(
        "--json", arguments->Json, "Print a JSON array with one object per file (its misses as \"missed\")");
    command->add_flag("--missed", arguments->Missed,
        "Add a sixth column to each line, the number of occurrences the pairs left in place (see --json for "
        "each one and its reason), and a last line \"total\" with their sum in that column");
    command
        ->add_flag("--diff", arguments->Diff,
            "Print a git-style unified diff of every file written (or that would be written, with --simulate) "
            "instead of one line per file; paths relative to the current folder")
        ->excludes(json);
    command->add_option("--files-from", arguments->FilesFrom,
        "Also convert the files listed in this file, one path per line (- reads standard input)");
    command->add_option("--report", arguments->Report,
        "Also write the framed result report of the converted files to this file, as \"Salvar Resultado\" does");
    command->add_option("--mask", arguments->Mask,
        "File masks a folder's files must match, separated by \";\" (default: " + std::string(kDefaultFileMask) + ")");
    command->add_flag("--no-journal", arguments->NoJournal,
        "Keep no journal of the run (it cannot be undone with \"qvconvert undo\" then)");
    command->add_option("FILE", arguments->Files,
        "The files to convert, in order; a folder stands for the files its search finds (see --mask); each "
        "name is converted once, letter case ignored");
    command->callback([arguments] {
        if (arguments->Files.empty() && arguments->FilesFrom.empty())
            EndWithMessage("No files to convert: give FILE arguments or --files-from");
        RunConvert(*arguments);
    });
}

} // namespace qvc
