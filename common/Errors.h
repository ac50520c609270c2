#pragma once
// The one exception type of the core and the message it carries. A message keeps its parts apart, each in
// its own encoding: the template is the program's own text (Windows-1252) with "%s"/"%d" directives, and
// its arguments are program texts, paths (the file system's bytes) or the system's reason (an error code,
// put into words only when shown). Each front end turns a message into display text in one place.
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace qvc {

/// One argument of a message.
struct TMessageArg
{
    enum class TKind {
        Text, ///< a program text (Windows-1252), a number written out included
        Path, ///< a file or folder name, the file system's bytes
        Reason, ///< the system's reason
    };
    TKind Kind = TKind::Text;
    std::string Bytes; ///< Text and Path
    std::error_code Code; ///< Reason
};

/// A program text argument.
TMessageArg TextArg(std::string text);
/// A path argument.
TMessageArg PathArg(std::string path);
/// The system's reason for an errno value.
TMessageArg ReasonArg(int errorNumber);
/// The system's reason as an error code.
TMessageArg ReasonArg(std::error_code code);

/// A program message: a template and its arguments. A message made from a text alone is shown as written;
/// with arguments each "%s" or "%d" takes the next one, "%%" is "%", and a directive left without an
/// argument is kept as written.
class TMessage
{
public:
    TMessage() = default;
    explicit TMessage(std::string text);
    TMessage(std::string_view format, std::vector<TMessageArg> args);

    const std::string &Template() const { return m_template; }
    const std::vector<TMessageArg> &Args() const { return m_args; }
    bool Empty() const { return m_template.empty() && m_args.empty(); }

    /// Calls onText(std::string_view) for each piece of the template's own text and onArg(const TMessageArg &)
    /// for each argument, in the order they are shown.
    template <class OnText, class OnArg> void Walk(OnText &&onText, OnArg &&onArg) const;

    /// The message as bytes for code that only compares or logs them: template and paths as they are, the
    /// reason as the C library words it in the current locale. No front end shows this.
    std::string Flat() const;

    friend bool operator==(const TMessage &, const TMessage &) = default;

private:
    std::string m_template;
    std::vector<TMessageArg> m_args;
};

inline bool operator==(const TMessageArg &a, const TMessageArg &b)
{
    return a.Kind == b.Kind && a.Bytes == b.Bytes && a.Code == b.Code;
}

template <class OnText, class OnArg> void TMessage::Walk(OnText &&onText, OnArg &&onArg) const
{
    const std::string_view format = m_template;
    if (m_args.empty()) {
        if (!format.empty())
            onText(format);
        return;
    }
    std::size_t next = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i + 1 < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        const char d = format[i + 1];
        const bool percent = d == '%';
        if (!percent && !((d == 's' || d == 'd') && next < m_args.size()))
            continue;
        if (i > start)
            onText(format.substr(start, i - start));
        if (percent)
            onText(format.substr(i, 1));
        else
            onArg(m_args[next++]);
        start = i + 2;
        ++i;
    }
    if (start < format.size())
        onText(format.substr(start));
}

/// The system's reason in the C library's words for the current locale (never empty).
std::string ReasonText(std::error_code code);

class TError : public std::runtime_error
{
public:
    /// A program text alone.
    explicit TError(std::string text);
    /// A template with its arguments.
    TError(std::string_view format, std::vector<TMessageArg> args);
    /// A message, and apart from it the file the failure concerns and the system's reason, for front ends
    /// that show them beside a message that does not name them.
    TError(TMessage message, std::string path, std::error_code reason);

    const TMessage &Message() const { return m_message; }
    /// The file the failure concerns (given apart, or else the message's first path), empty when none.
    const std::string &Path() const { return m_path; }
    /// The system's reason (given apart, or else the message's first reason), value 0 when none.
    std::error_code Reason() const { return m_reason; }

private:
    TMessage m_message;
    std::string m_path;
    std::error_code m_reason;
};

/// The message of any exception: a TError's own, or the text of another as a message without arguments.
TMessage MessageOf(const std::exception &error);

} // namespace qvc
