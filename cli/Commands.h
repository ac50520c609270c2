#pragma once
// The sub-commands of qvconvert. Each lives in its own file and registers itself on the application;
// main() calls every Add...Command below.
#include <string>
#include <string_view>

namespace CLI {
class App;
}

namespace qvc {

/// Exit code of a failed command (the failure has been reported on standard error).
inline constexpr int kExitFailure = 1;

/// Exit code of a command line that could not be understood.
inline constexpr int kExitUsage = 2;

/// Adds "form-to-text FILE": writes the text form of a form file (binary or text) to standard output.
void AddFormToTextCommand(CLI::App &app);

/// Adds "convert --repository FILE.dat [--rename ...] [--backup] [--simulate] [--json] FILE...": the
/// conversion run of the window over the given files.
void AddConvertCommand(CLI::App &app);

/// Adds "undo [JOURNAL] [--force]": takes a conversion run back from its journal.
void AddUndoCommand(CLI::App &app);

/// The folder of the run journals for this user.
std::string JournalFolder();

/// Writes the one failure line "qvconvert: SUBJECT: REASON" to standard error; SUBJECT, a file's name or a word,
/// is escaped as EscapedName does (REASON comes from ErrorText, whose paths are escaped already).
void ReportFailure(std::string_view subject, std::string_view reason);

/// Writes bytes unchanged to standard output and flushes; false when the write failed (errno set).
bool WriteStandardOutput(std::string_view bytes);

/// Ends the running command with `exitCode` once its failure has been reported.
[[noreturn]] void EndCommand(int exitCode);

} // namespace qvc
