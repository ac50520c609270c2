// "qvconvert form-to-text FILE": the text form of a form file on standard output.
#include "cli/Commands.h"
#include "cli/ErrorText.h"

#include "common/Errors.h"
#include "common/FileIO.h"
#include "engine/forms/BinaryFormToText.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <memory>
#include <new>
#include <string>

namespace qvc {
namespace {

bool IsTextFormStart(char c)
{
    return c == 'I' || c == 'O' || c == 'i' || c == 'o';
}

// The text form of a form file's bytes; throws TError when they are neither a text nor a binary form.
std::string FormText(const std::string &bytes)
{
    if (!bytes.empty() && IsTextFormStart(bytes[0]))
        return bytes;
    // Editors on Linux like to put a UTF-8 byte order mark in front of a text form.
    if (bytes.size() > 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 && IsTextFormStart(bytes[3]))
        return bytes;
    if (!bytes.empty() && static_cast<unsigned char>(bytes[0]) == 0xFF) {
        std::string text;
        text.reserve(bytes.size() * 2);
        BinaryFormToText(SkipResourceHeader(bytes), text);
        return text;
    }
    if (bytes.empty())
        throw TError("Not a form file: the file is empty");
    throw TError("Not a form file: it begins neither with 0xFF (binary form) nor with \"object\", "
                 "\"inherited\" or \"inline\" (text form)");
}

void RunFormToText(const std::string &file)
{
    std::string text;
    try {
        text = FormText(ReadFileBytes(file));
    } catch (const TError &error) {
        ReportFailure(file, ErrorText(error));
        EndCommand(kExitFailure);
    } catch (const std::bad_alloc &) {
        ReportFailure(file, "Out of memory");
        EndCommand(kExitFailure);
    }
    if (!WriteStandardOutput(text)) {
        ReportFailure(file, ErrorText(TMessage("Cannot write to standard output. %s", { ReasonArg(errno) })));
        EndCommand(kExitFailure);
    }
}

} // namespace

void AddFormToTextCommand(CLI::App &app)
{
    CLI::App *command = app.add_subcommand("form-to-text",
        "Print the text form of a form file (.dfm, .xfm): a binary form converted, a text form as it is");
    command->footer("Examples:\n"
                    "  qvconvert form-to-text Unit1.dfm\n"
                    "  qvconvert form-to-text Unit1.dfm > Unit1.txt && diff Unit1.txt Unit1.old.txt\n"
                    "\n"
                    "Exit status:\n"
                    "  0  the text was written\n"
                    "  1  the file could not be read, is no form file, its binary form is damaged, or standard "
                    "output\n     could not be written (one line on standard error says which)\n"
                    "  2  the command line is wrong");
    auto file = std::make_shared<std::string>();
    command->add_option("FILE", *file, "The form file")->required();
    command->callback([file] { RunFormToText(*file); });
}

} // namespace qvc
