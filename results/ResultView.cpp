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

bool ResultViewOpens(std::optional<long long> count)
{
    return count.value_or(0) > 0;
}

bool ResultViewOpensFor(std::optional<long long> count, std::size_t missed)
{
    if (ResultViewOpens(count))
        return true;
    // Converted without a change, not a row no run processed.
    return missed > 0 && count == 0;
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
