#pragma once
// What a file's row holds before any run processed it, and the state images a run leaves on it. The list
// starts its rows from these and a run resets its rows to them, so both meet in one place.
#include <string_view>

namespace qvc {

/// The updates, status and time texts of a row that no run has processed (Windows-1252).
inline constexpr std::string_view kNotProcessed = "-";

/// The state images a run puts on a row (0 to 4 are the frames of the working animation).
inline constexpr int kImageChanged = 6;
inline constexpr int kImageFailed = 7;
/// A file the run left unchanged, and a row no run has processed yet.
inline constexpr int kImageUnchanged = 8;

} // namespace qvc
