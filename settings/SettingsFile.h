#pragma once
// The settings file beside the executable: its name, and the Settings, Captions and Hints sections read and written
// by the key tables, so the window's LoadSettings and SaveSettings only move texts between these and its controls.
#include "settings/ProfileFile.h"
#include "settings/SettingsKeys.h"

#include <functional>
#include <string>
#include <string_view>

namespace qvc {

/// The settings file of an executable: its path with the extension ".ini", made absolute; lower-cased only when the
/// lower-cased form is the same existing file (a case-sensitive file system keeps the name as it is).
std::string SettingsFileName(const std::string &executablePath);

/// The values of the Settings section.
struct TSettingsValues
{
    std::string Path; ///< RootDirectory of the folder search
    std::string Mask { kDefaultFileMask }; ///< text of the file-mask edit
    std::string DATFile; ///< RepositoryFileName when a file exists there, else empty
    bool BackupFiles = false;
    bool SimulateFiles = false;
};

/// Reads the Settings section with the table's defaults; a missing or non-numeric SimulateFiles gives
/// `simulateDefault` (the check box's current state).
TSettingsValues ReadSettingsValues(const TProfileFile &profile, bool simulateDefault);

/// A Captions key as LoadSettings applies it: read with the current text as default (Form and StatusBar with their
/// initial texts instead); ChangeFileName comes back with its blanks dropped and exactly one blank on each side.
std::string ReadCaption(const TProfileFile &profile, std::string_view key, std::string_view currentText);

/// A Hints key as LoadSettings applies it: read with the current hint as default.
std::string ReadHint(const TProfileFile &profile, std::string_view key, std::string_view currentHint);

/// Gives the current text of a caption or hint by its key.
using TTextOfKey = std::function<std::string(std::string_view key)>;

/// What SaveSettings writes, in its order: the Settings section, then every W or RW key of Captions and of Hints in
/// table order with the texts captionOf and hintOf give. Writes into the profile only; the caller commits once.
void WriteSettings(
    TProfileFile &profile, const TSettingsValues &values, const TTextOfKey &captionOf, const TTextOfKey &hintOf);

/// The initial text of a Captions key (empty for an unknown key).
std::string_view InitialCaption(std::string_view key);

/// The initial text of a Hints key (empty for an unknown key).
std::string_view InitialHint(std::string_view key);

} // namespace qvc
