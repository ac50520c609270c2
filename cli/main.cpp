// qvconvert: the conversion core driven from a terminal. Every sub-command registers itself here.
#include "cli/Commands.h"
#include "common/FileIO.h"
#include "common/Version.h"

// GCC 12 sees a null dereference inside CLI11's string splitting once it is inlined here; it has none.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wnull-dereference"
#endif
#include <CLI/CLI.hpp>

#include <clocale>
#include <cstdio>
#include <iostream>

namespace qvc {

namespace {

int RunCommandLine(int argc, char **argv)
{
    qvc::IgnoreFileSizeSignal();
    // The user's character set and language for failure lines (the terminal's encoding, strerror's words);
    // numbers and collation stay those of the C locale.
    // NOLINTBEGIN(concurrency-mt-unsafe): the start, before any other thread
    std::setlocale(LC_CTYPE, "");
    std::setlocale(LC_MESSAGES, "");
    // NOLINTEND(concurrency-mt-unsafe)
    const std::string versionLine = "qvconvert " + std::string(qvc::kProgramVersion);
    const char *about = "Carries Delphi and Kylix source files across: whole-word find/replace pairs from a repository "
                        "(.dat) file,\nbinary forms to text, .dfm/.xfm renames, backups and reports, with the core of "
                        "the qvConvertFiles window.\n";
    CLI::App app(versionLine + "\n" + about, "qvconvert");
    app.set_version_flag("--version", versionLine, "Print the version and exit");
    app.require_subcommand(1);
    app.failure_message([](const CLI::App *, const CLI::Error &error) {
        // One line that ends standard error, as every failure of the tool does.
        return std::string("qvconvert: ") + error.what() + "\n";
    });

    qvc::AddFormToTextCommand(app);
    qvc::AddConvertCommand(app);
    qvc::AddUndoCommand(app);
    // Set after the sub-commands, which would otherwise take this footer as their own.
    app.footer("Examples:\n"
               "  Convert a project folder with the Delphi-to-Kylix pairs, backing up every changed file:\n"
               "    qvconvert convert --repository /usr/share/qvconvertfiles/examples/delphi-to-kylix.dat \\\n"
               "        --backup ~/projetos/vendas\n"
               "  See what a run would change, as JSON, without writing a file:\n"
               "    qvconvert convert --repository pairs.dat --simulate --json src/\n"
               "  Take the last run back, from the backups it made:\n"
               "    qvconvert undo\n"
               "  Print the text of a binary form:\n"
               "    qvconvert form-to-text Unit1.dfm\n"
               "\n"
               "Exit status:\n"
               "  0  the command did all it was asked (help and --version included)\n"
               "  1  a file could not be read, converted or written, or a report could not be written\n"
               "  2  a write failure ended the run, the input could not be read, or the command line is wrong\n"
               "  2  another run or undo held one of the folders for 5 s (nothing was changed)\n"
               "\n"
               "Run 'qvconvert SUBCOMMAND --help' for the options of one sub-command.");

    try {
        app.parse(argc, argv);
    } catch (const CLI::RuntimeError &error) {
        return error.get_exit_code();
    } catch (const CLI::ParseError &error) {
        const int code = app.exit(error);
        // Help and version end with 0; every other parse error is a usage error.
        return code == 0 ? 0 : qvc::kExitUsage;
    }
    return 0;
}

} // namespace

} // namespace qvc

int main(int argc, char **argv)
{
    qvc::IgnoreFileSizeSignal();
    // What no command turned into its own message (out of memory, a failure of the standard library) still
    // ends with one line on standard error and the status of a run that was ended, not with an abort.
    try {
        return qvc::RunCommandLine(argc, argv);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "qvconvert: %s\n", error.what());
    } catch (...) {
        std::fputs("qvconvert: unknown failure\n", stderr);
    }
    return qvc::kExitUsage;
}
