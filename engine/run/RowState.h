#pragma once
// What a file's row holds before any run processed it, and the states a run leaves on it. The list starts its
// rows from these and a run resets its rows to them, so both meet in one place.
#include <string_view>

namespace qvc {

/// The updates, status and time texts of a row that no run has processed (Windows-1252).
inline constexpr std::string_view kNotProcessed = "-";

/// The phases of a row whose file the pass works on: kPhaseWorking when it starts, then one phase further after
/// every pair, back to the first after the last (the row's state image shows the phase).
inline constexpr int kPhaseWorking = 0;
inline constexpr int kWorkingPhases = 5;
/// The working phase after `phase`.
constexpr int NextWorkingPhase(int phase)
{
    return phase + 1 >= kWorkingPhases ? kPhaseWorking : phase + 1;
}

/// The states a run leaves on a row (its state image).
inline constexpr int kImageChanged = 6;
inline constexpr int kImageFailed = 7;
/// A file the run left unchanged, and a row no run has processed yet.
inline constexpr int kImageUnchanged = 8;

} // namespace qvc
