#pragma once
// The texts the window shows for the core's own messages: the terminal keeps the core's English words, the
// window puts them in Portuguese. The window's own fixed texts ("Cannot create file", "Unable to backup
// file." and the others) are not here and stay as they are.
#include "engine/pass/PassDetails.h"

#include <span>
#include <string_view>

namespace qvc {

/// One message template or program text of the core and its Portuguese form. Both are Windows-1252 and hold
/// the same "%s"/"%d" directives in the same order.
struct TWindowText
{
    std::string_view Core;
    std::string_view Window;
};

/// Every text the window translates.
std::span<const TWindowText> WindowTexts();

/// The Portuguese form of a core message template or program text; any other text as it is.
std::string_view WindowText(std::string_view text);

/// Why an occurrence was left in place, as the result view shows it (Windows-1252).
std::string_view MissReasonWindowText(TMissReason reason);

} // namespace qvc
