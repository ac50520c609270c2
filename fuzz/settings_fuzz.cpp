// The profile-file reader takes any bytes: every read gives a bounded value, an untouched file is written back byte
// for byte, and a written key reads back as written. The window's own file beside it takes any bytes as well, and
// what it reads from them is written so that it reads back the same.
#include "settings/ProfileFile.h"
#include "settings/SettingsKeys.h"
#include "settings/WindowChoices.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    qvc::TProfileFile profile = qvc::TProfileFile::FromBytes(bytes);
    if (profile.Bytes() != bytes)
        std::abort();
    for (const auto &entry : qvc::kCaptionKeys)
        if (profile.ReadString(qvc::kCaptionsSection, entry.Key, entry.InitialValue).size()
            > qvc::kMaxProfileValueLength)
            std::abort();
    (void)profile.ReadBool(qvc::kSettingsSection, "BackupFiles", false);
    (void)profile.ReadInteger(qvc::kSettingsSection, "SimulateFiles", 7);
    for (const std::string_view section : { qvc::kSettingsSection, qvc::kCaptionsSection, qvc::kHintsSection }) {
        std::size_t listBytes = 1;
        for (const auto &[key, value] : profile.ReadSectionRows(section)) {
            listBytes += key.size() + 1;
            if (key.empty() || value.size() > qvc::kMaxProfileValueLength)
                std::abort();
        }
        if (listBytes > qvc::kMaxSectionKeyListBytes)
            std::abort();
    }
    profile.WriteString(qvc::kSettingsSection, "Mask", "*.pas");
    profile.WriteString(qvc::kHintsSection, "ViewResult", "|x=y");
    profile.WriteBool("New Section", "Flag", true);
    if (profile.ReadString(qvc::kSettingsSection, "Mask", "") != "*.pas"
        || profile.ReadString(qvc::kHintsSection, "ViewResult", "") != "|x=y"
        || !profile.ReadBool("New Section", "Flag", false))
        std::abort();
    const qvc::TProfileFile reread = qvc::TProfileFile::FromBytes(profile.Bytes());
    if (reread.ReadString(qvc::kSettingsSection, "Mask", "") != "*.pas"
        || reread.ReadString(qvc::kHintsSection, "ViewResult", "") != "|x=y")
        std::abort();
    const qvc::TWindowChoices choices = qvc::ParseWindowChoices(bytes);
    if (qvc::ParseWindowChoices(qvc::FormatWindowChoices(choices)) != choices)
        std::abort();
    return 0;
}
