#pragma once
// Small formatting helpers for the program's message templates ("%s", "%d").
#include <initializer_list>
#include <string>
#include <string_view>

namespace qvc {

/// Replaces each "%s" (and "%d") of a template with the next argument, in order; "%%" gives "%".
/// Directives without an argument are kept as written. Bytes are copied unchanged.
std::string FormatTemplate(std::string_view format, std::initializer_list<std::string_view> args);

/// The system's reason text for an errno value (never empty).
std::string SystemReason(int errorNumber);

} // namespace qvc
