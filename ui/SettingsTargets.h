#pragma once
// Where each key of the settings file's Captions and Hints sections lands in the window: a getter and a setter of
// its target's text, so LoadSettings, SaveSettings and the language editor move texts by key only.
#include <QString>
#include <functional>
#include <string_view>
#include <vector>

class Tfrm_Main;

namespace qvc {

/// One key and the text of its target in the window.
struct TTextTarget
{
    std::string_view Key;
    std::function<QString()> Get;
    std::function<void(const QString &)> Set;
};

/// The target of every Captions key.
std::vector<TTextTarget> CaptionTargets(Tfrm_Main &window);

/// The target of every Hints key.
std::vector<TTextTarget> HintTargets(Tfrm_Main &window);

/// The target of a key (exact spelling) in a list, or nullptr.
const TTextTarget *FindTextTarget(const std::vector<TTextTarget> &targets, std::string_view key);

} // namespace qvc
