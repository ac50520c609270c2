#pragma once
// The window's own choices, which the settings file has no key for and whose keys must stay as they are: kept in a
// small file of their own beside it ("qvConvertFiles.window.ini" beside "qvConvertFiles.ini"), written when the
// settings are. The file is one section of "Key=value" lines; whatever of it is missing, unknown or garbled leaves
// that choice at its default, so any bytes read give the window a usable start.
#include "common/Scope.h"

#include <string>
#include <string_view>

namespace qvc {

/// What the window keeps in its own file.
struct TWindowChoices
{
    TScope Scope = TScope::All; ///< "Onde trocar" of the settings page

    bool operator==(const TWindowChoices &) const = default;
};

/// The file's section and key names.
inline constexpr std::string_view kWindowChoicesSection = "Window";
inline constexpr std::string_view kWindowChoicesScopeKey = "Scope";

/// Files larger than this (in bytes) are not the program's: their choices are the defaults.
inline constexpr std::size_t kWindowChoicesMaxBytes = 65536;

/// The window's file beside the settings file `settingsFileName` (8-bit path): its ".ini" extension replaced by
/// ".window.ini" (added when it has none), so it follows the settings file's name and letter case.
std::string WindowChoicesFileName(const std::string &settingsFileName);

/// The choices held by a file's bytes (any bytes: line ends LF, CR LF or CR; section and key names without regard
/// to ASCII letter case; the first value of a key counts). Never throws.
TWindowChoices ParseWindowChoices(std::string_view bytes);

/// The bytes of the file for `choices`: ASCII, CR LF line ends, as ParseWindowChoices reads them back.
std::string FormatWindowChoices(const TWindowChoices &choices);

/// The choices of the file at `path`: the defaults when it is missing, cannot be read, is not a regular file or
/// is larger than kWindowChoicesMaxBytes. Never throws.
TWindowChoices ReadWindowChoices(const std::string &path);

/// Replaces the file at `path` with FormatWindowChoices(choices) by the program's one safe replacement, synced with
/// its folder, unless it already holds exactly those bytes. Throws TError "Cannot create file "%s". %s" with the
/// system's reason; the file then holds its old bytes.
void WriteWindowChoices(const std::string &path, const TWindowChoices &choices);

} // namespace qvc
