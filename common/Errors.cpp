#include "common/Errors.h"

#include "common/TextFormat.h"

#include <utility>

namespace qvc {

TMessageArg TextArg(std::string text)
{
    return { TMessageArg::TKind::Text, std::move(text), {} };
}

TMessageArg PathArg(std::string path)
{
    return { TMessageArg::TKind::Path, std::move(path), {} };
}

TMessageArg ReasonArg(int errorNumber)
{
    return ReasonArg(std::error_code(errorNumber, std::generic_category()));
}

TMessageArg ReasonArg(std::error_code code)
{
    return { TMessageArg::TKind::Reason, {}, code };
}

TMessage::TMessage(std::string text)
    : m_template(std::move(text))
{
}

TMessage::TMessage(std::string_view format, std::vector<TMessageArg> args)
    : m_template(format)
    , m_args(std::move(args))
{
}

std::string TMessage::Flat() const
{
    std::string out;
    Walk([&out](std::string_view text) { out += text; },
        [&out](const TMessageArg &arg) {
            out += arg.Kind == TMessageArg::TKind::Reason ? ReasonText(arg.Code) : arg.Bytes;
        });
    return out;
}

std::string ReasonText(std::error_code code)
{
    // errno values read the same in both categories; strerror words them for the current locale.
    if (code.category() == std::generic_category() || code.category() == std::system_category())
        return SystemReason(code.value());
    const std::string text = code.message();
    return text.empty() ? "Unknown error " + std::to_string(code.value()) : text;
}

namespace {

const TMessageArg *FirstOfKind(const TMessage &message, TMessageArg::TKind kind)
{
    for (const TMessageArg &arg : message.Args())
        if (arg.Kind == kind)
            return &arg;
    return nullptr;
}

} // namespace

TError::TError(std::string text)
    : TError(TMessage(std::move(text)), {}, {})
{
}

TError::TError(std::string_view format, std::vector<TMessageArg> args)
    : TError(TMessage(format, std::move(args)), {}, {})
{
}

TError::TError(TMessage message, std::string path, std::error_code reason)
    : std::runtime_error(message.Flat())
    , m_message(std::move(message))
    , m_path(std::move(path))
    , m_reason(reason)
{
    if (m_path.empty())
        if (const TMessageArg *arg = FirstOfKind(m_message, TMessageArg::TKind::Path))
            m_path = arg->Bytes;
    if (!m_reason)
        if (const TMessageArg *arg = FirstOfKind(m_message, TMessageArg::TKind::Reason))
            m_reason = arg->Code;
}

TMessage MessageOf(const std::exception &error)
{
    if (const auto *own = dynamic_cast<const TError *>(&error))
        return own->Message();
    return TMessage(error.what());
}

} // namespace qvc
