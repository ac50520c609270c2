#include "results/ResultView.h"

#include "filelist/FileList.h"
#include "results/WindowTexts.h"

namespace qvc {

TResultViewRow ResultViewRowOf(const TResultEntry &entry, std::string_view thousandsSeparator)
{
    TResultViewRow row;
    row.FoundText = entry.Find;
    row.ReplacedText = entry.Replace;
    row.Count = FormatCount(entry.Occurrences, thousandsSeparator);
    return row;
}

std::vector<TResultViewRow> ResultViewRowsOf(const TConversionResult &result, std::string_view thousandsSeparator)
{
    std::vector<TResultViewRow> rows;
    rows.reserve(result.Entries().size());
    for (const TResultEntry &entry : result.Entries())
        rows.push_back(ResultViewRowOf(entry, thousandsSeparator));
    return rows;
}

namespace {

// The text without blanks and control characters at either end.
std::string_view TrimSpaceOrControl(std::string_view text)
{
    const auto isSpaceOrControl = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!text.empty() && isSpaceOrControl(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpaceOrControl(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

bool ResultViewOpens(std::string_view updatesText, std::string_view thousandsSeparator)
{
    updatesText = TrimSpaceOrControl(updatesText);
    if (updatesText == "-")
        return false;
    return ReadCountText(updatesText, thousandsSeparator) > 0;
}

bool ResultViewOpensFor(std::string_view updatesText, std::string_view thousandsSeparator, std::size_t missed)
{
    if (ResultViewOpens(updatesText, thousandsSeparator))
        return true;
    // "0" and not "-" (not converted), which also reads as 0.
    return missed > 0 && TrimSpaceOrControl(updatesText) == "0";
}

std::vector<TMissedViewRow> MissedViewRowsOf(
    const std::vector<TMissedOccurrence> &missed, std::string_view thousandsSeparator)
{
    std::vector<TMissedViewRow> rows;
    rows.reserve(missed.size());
    for (const TMissedOccurrence &miss : missed)
        rows.push_back({ FormatCount(static_cast<long long>(miss.Line), thousandsSeparator), miss.Find,
            std::string(MissReasonWindowText(miss.Reason)) });
    return rows;
}

std::string ChangedLinesCaption(std::size_t shown, std::size_t total, std::string_view thousandsSeparator)
{
    const std::string all = FormatCount(static_cast<long long>(total), thousandsSeparator);
    if (shown >= total)
        return "Linhas alteradas: " + all;
    return "Linhas alteradas: " + all + " (mostrando as primeiras "
        + FormatCount(static_cast<long long>(shown), thousandsSeparator) + ")";
}

std::string MissedMarkHint(std::size_t missed, std::string_view thousandsSeparator)
{
    return FormatCount(static_cast<long long>(missed), thousandsSeparator) + " ocorr\xEAncia(s) n\xE3o trocada(s)";
}

} // namespace qvc
