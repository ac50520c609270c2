#include "settings/SettingsFile.h"

#include "common/PathCase.h"
#include "common/PathNames.h"

namespace qvc {

std::string SettingsFileName(const std::string &executablePath)
{
    return CaseSafeLowerPath(AbsolutePath(ReplaceExtension(executablePath, ".ini")));
}

TSettingsValues ReadSettingsValues(const TProfileFile &profile, bool simulateDefault)
{
    TSettingsValues values;
    values.Path = profile.ReadString(kSettingsSection, "Path", "");
    values.Mask = profile.ReadString(kSettingsSection, "Mask", kDefaultFileMask);
    values.DATFile = profile.ReadString(kSettingsSection, "DATFile", "");
    values.BackupFiles = profile.ReadBool(kSettingsSection, "BackupFiles", false);
    values.SimulateFiles = profile.ReadBool(kSettingsSection, "SimulateFiles", simulateDefault);
    return values;
}

std::string ReadCaption(const TProfileFile &profile, std::string_view key, std::string_view currentText)
{
    std::string_view fallback = currentText;
    if (key == "Form" || key == "StatusBar")
        fallback = InitialCaption(key);
    std::string value = profile.ReadString(kCaptionsSection, key, fallback);
    if (key == "ChangeFileName") {
        const auto first = value.find_first_not_of(' ');
        const auto last = value.find_last_not_of(' ');
        value = first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
        value = " " + value + " ";
    }
    return value;
}

std::string ReadHint(const TProfileFile &profile, std::string_view key, std::string_view currentHint)
{
    return profile.ReadString(kHintsSection, key, currentHint);
}

void WriteSettings(
    TProfileFile &profile, const TSettingsValues &values, const TTextOfKey &captionOf, const TTextOfKey &hintOf)
{
    profile.WriteString(kSettingsSection, "Path", values.Path);
    profile.WriteString(kSettingsSection, "Mask", values.Mask);
    profile.WriteString(kSettingsSection, "DATFile", values.DATFile);
    profile.WriteBool(kSettingsSection, "BackupFiles", values.BackupFiles);
    profile.WriteBool(kSettingsSection, "SimulateFiles", values.SimulateFiles);
    for (const auto &entry : kCaptionKeys)
        if (IsWrittenKey(entry.Use))
            profile.WriteString(kCaptionsSection, entry.Key, captionOf(entry.Key));
    for (const auto &entry : kHintKeys)
        if (IsWrittenKey(entry.Use))
            profile.WriteString(kHintsSection, entry.Key, hintOf(entry.Key));
}

std::string_view InitialCaption(std::string_view key)
{
    const TSettingsKey *entry = FindSettingsKey(kCaptionKeys, key);
    return entry ? entry->InitialValue : std::string_view();
}

std::string_view InitialHint(std::string_view key)
{
    const TSettingsKey *entry = FindSettingsKey(kHintKeys, key);
    return entry ? entry->InitialValue : std::string_view();
}

} // namespace qvc
