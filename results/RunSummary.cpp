#include "results/RunSummary.h"

#include "engine/pass/SubstitutionPass.h"
#include "engine/run/DisplayFormat.h"

#include <cmath>

namespace qvc {

void TRunSummary::Add(const TPassReport &report)
{
    ++Files;
    if (report.Count > 0)
        ++Changed;
    else if (report.Count < 0)
        ++Failed;
    Missed += report.Missed.size();
}

void TRunSummary::AddWriteFailure()
{
    ++Files;
    ++Failed;
}

namespace {

// Tenths of a second, never negative: "0.8", or "0,8" with a decimal comma.
std::string Seconds(double seconds, std::string_view decimalSeparator)
{
    const auto tenths = static_cast<long long>(std::llround(std::isfinite(seconds) && seconds > 0 ? seconds * 10 : 0));
    return std::to_string(tenths / 10) + std::string(decimalSeparator) + std::to_string(tenths % 10);
}

// "1 arquivo" or "2 arquivos": the count, then the singular or the plural word.
std::string Counted(std::size_t count, std::string_view separator, std::string_view one, std::string_view many)
{
    return FormatCount(static_cast<long long>(count), separator) + " " + std::string(count == 1 ? one : many);
}

} // namespace

std::string WindowSummaryText(
    const TRunSummary &summary, std::string_view thousandsSeparator, std::string_view decimalSeparator)
{
    std::string text = Counted(summary.Files, thousandsSeparator, "arquivo", "arquivos");
    if (summary.Simulated)
        text += " (simula\xE7\xE3o)";
    text += ": " + Counted(summary.Changed, thousandsSeparator, "alterado", "alterados") + ", "
        + FormatCount(static_cast<long long>(summary.Failed), thousandsSeparator) + " com falha, "
        + Counted(summary.Missed, thousandsSeparator, "ocorr\xEAncia n\xE3o trocada", "ocorr\xEAncias n\xE3o trocadas")
        + ", em " + Seconds(summary.Seconds, decimalSeparator) + " s";
    if (summary.Stopped)
        text += " (interrompida)";
    return text;
}

std::string TerminalSummaryText(const TRunSummary &summary)
{
    std::string text = std::to_string(summary.Files) + (summary.Files == 1 ? " file" : " files");
    if (summary.Simulated)
        text += " (simulated)";
    text += ": " + std::to_string(summary.Changed) + " changed, " + std::to_string(summary.Failed) + " failed, "
        + std::to_string(summary.Missed) + " missed, " + Seconds(summary.Seconds, ".") + " s";
    if (summary.Stopped)
        text += " (stopped)";
    return text;
}

std::string WindowUndoSummaryText(
    std::size_t restored, double seconds, std::string_view thousandsSeparator, std::string_view decimalSeparator)
{
    return "Convers\xE3o desfeita: "
        + Counted(restored, thousandsSeparator, "arquivo restaurado", "arquivos restaurados") + ", em "
        + Seconds(seconds, decimalSeparator) + " s";
}

} // namespace qvc
