#include "cli/ErrorText.h"

#include "common/Cp1252.h"
#include "common/EscapedName.h"
#include "common/Utf8.h"

#include <cstring>
#include <langinfo.h>
#include <strings.h>

namespace qvc {

std::string AsUtf8(const std::string &bytes)
{
    return IsValidUtf8(bytes) ? bytes : Cp1252ToUtf8(bytes);
}

TTerminalEncoding CurrentTerminalEncoding()
{
    const char *codeset = ::nl_langinfo(CODESET);
    if (codeset == nullptr)
        return TTerminalEncoding::Ascii;
    if (::strcasecmp(codeset, "UTF-8") == 0 || ::strcasecmp(codeset, "UTF8") == 0)
        return TTerminalEncoding::Utf8;
    for (const char *latin : { "ISO-8859-1", "ISO-8859-15", "CP1252", "WINDOWS-1252" })
        if (::strcasecmp(codeset, latin) == 0)
            return TTerminalEncoding::Latin;
    return TTerminalEncoding::Ascii;
}

std::string TerminalProgramText(std::string_view cp1252, TTerminalEncoding encoding)
{
    switch (encoding) {
    case TTerminalEncoding::Utf8:
        return Cp1252ToUtf8(cp1252);
    case TTerminalEncoding::Latin:
        return std::string(cp1252);
    case TTerminalEncoding::Ascii:
        break;
    }
    std::string out(cp1252);
    for (char &c : out)
        if (static_cast<unsigned char>(c) >= 0x80)
            c = '?';
    return out;
}

std::string ErrorText(const TMessage &message, TTerminalEncoding encoding)
{
    std::string out;
    message.Walk([&](std::string_view text) { out += TerminalProgramText(text, encoding); },
        [&](const TMessageArg &arg) {
            switch (arg.Kind) {
            case TMessageArg::TKind::Text:
                out += TerminalProgramText(arg.Bytes, encoding);
                break;
            case TMessageArg::TKind::Path:
                out += EscapedName(arg.Bytes);
                break;
            case TMessageArg::TKind::Reason:
                out += ReasonText(arg.Code);
                break;
            }
        });
    return out;
}

std::string ErrorText(const std::exception &error, TTerminalEncoding encoding)
{
    return ErrorText(MessageOf(error), encoding);
}

std::string StopText(const TError &error, TTerminalEncoding encoding)
{
    bool namesPath = false;
    bool namesReason = false;
    for (const TMessageArg &arg : error.Message().Args()) {
        namesPath = namesPath || arg.Kind == TMessageArg::TKind::Path;
        namesReason = namesReason || arg.Kind == TMessageArg::TKind::Reason;
    }
    std::string line = ErrorText(error.Message(), encoding);
    if (!namesPath && !error.Path().empty())
        line = EscapedName(error.Path()) + ": " + line;
    if (!namesReason && error.Reason())
        line += " " + ReasonText(error.Reason());
    return line;
}

std::string Utf8Text(const TMessage &message)
{
    std::string out;
    message.Walk([&](std::string_view text) { out += Cp1252ToUtf8(text); },
        [&](const TMessageArg &arg) {
            out += arg.Kind == TMessageArg::TKind::Text ? Cp1252ToUtf8(arg.Bytes)
                : arg.Kind == TMessageArg::TKind::Path  ? AsUtf8(arg.Bytes)
                                                        : AsUtf8(ReasonText(arg.Code));
        });
    return out;
}

} // namespace qvc
