#pragma once
// The texts a control starts with come from the settings file's key tables, so a caption or hint exists once.
#include "settings/SettingsFile.h"
#include "ui/TextBridge.h"

#include <QString>
#include <string>
#include <string_view>

namespace qvc {

/// The text a control of the Captions key `key` starts with.
inline QString CaptionText(std::string_view key)
{
    return ToQ(std::string(InitialCaption(key)));
}

/// The hint ("short|long") a control of the Hints key `key` starts with.
inline QString HintText(std::string_view key)
{
    return ToQ(std::string(InitialHint(key)));
}

} // namespace qvc
