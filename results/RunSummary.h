#pragma once
// The figures of one run, an undo aside, as both front ends sum them up after it: how many files the run
// worked on, how many it changed, how many failed and how many occurrences it left in place.
#include <cstddef>
#include <string>
#include <string_view>

namespace qvc {

struct TPassReport;

struct TRunSummary
{
    std::size_t Files = 0; ///< files the run worked on (a stop leaves the rest out)
    std::size_t Changed = 0; ///< files with replacements (simulating: that would be written)
    std::size_t Failed = 0; ///< files that could not be read, converted or written
    std::size_t Missed = 0; ///< occurrences the pairs left in place
    double Seconds = 0; ///< the run's wall time
    bool Simulated = false;
    bool Stopped = false; ///< the user stopped the run before its last file

    /// Counts one file from its pass report.
    void Add(const TPassReport &report);
    /// Counts one file whose writing failed (the pass reported nothing for it).
    void AddWriteFailure();
};

/// The window's line (Windows-1252), e.g. "12 arquivos: 3 alterados, 1 com falha, 4 ocorrências não trocadas,
/// em 0,8 s"; counts grouped with `thousandsSeparator`, seconds with one decimal after `decimalSeparator`.
std::string WindowSummaryText(
    const TRunSummary &summary, std::string_view thousandsSeparator, std::string_view decimalSeparator);

/// The terminal's line, e.g. "12 files: 3 changed, 1 failed, 4 missed, 0.8 s".
std::string TerminalSummaryText(const TRunSummary &summary);

/// The window's line after an undo (Windows-1252), e.g. "Conversão desfeita: 12 arquivos restaurados, em 0,1 s".
std::string WindowUndoSummaryText(
    std::size_t restored, double seconds, std::string_view thousandsSeparator, std::string_view decimalSeparator);

} // namespace qvc
