#pragma once
// What the result view (`pViewResult`) shows for one file, without the widgets.
#include "engine/pass/PassDetails.h"
#include "engine/run/ConversionResult.h"
#include "engine/run/DisplayFormat.h" // FormatCount

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvc {

/// One line of `vleUnitsResult` (Windows-1252 texts).
struct TResultViewRow
{
    std::string FoundText; ///< "Texto Localizado": the entry's text before its first "="
    std::string ReplacedText; ///< "Troca Efetuada": everything after that "=" (it may hold more "=")
    std::string Count; ///< "Qtde.": the occurrences formatted "###,###,##0"
};

/// Splits one entry at its first "=" and formats its occurrences.
TResultViewRow ResultViewRowOf(const TResultEntry &entry, std::string_view thousandsSeparator);

/// The view's lines for one file, in stored order.
std::vector<TResultViewRow> ResultViewRowsOf(const TConversionResult &result, std::string_view thousandsSeparator);

/// True when a double click on a row with this "Atualizações" text opens the view: the text, trimmed of
/// blanks and control characters, is not "-" and reads (separators ignored) as a number greater than 0.
bool ResultViewOpens(std::optional<long long> count);

/// ResultViewOpens, or a converted row whose count is 0 and whose file has `missed` occurrences left.
bool ResultViewOpensFor(std::optional<long long> count, std::size_t missed);

/// One line of the list of missed occurrences (Windows-1252 texts).
struct TMissedViewRow
{
    std::string Line; ///< "Linha": the line number formatted "###,###,##0"
    std::string Find; ///< "Texto Localizado"
    std::string Reason; ///< "Motivo"
};

/// The view's lines of missed occurrences, in stored order.
std::vector<TMissedViewRow> MissedViewRowsOf(
    const std::vector<TMissedOccurrence> &missed, std::string_view thousandsSeparator);

/// The caption above the changed lines: how many there are, and how many of them are shown.
std::string ChangedLinesCaption(std::size_t shown, std::size_t total, std::string_view thousandsSeparator);

/// The caption of a row's mark in the file list: how many occurrences the run left in place.
std::string MissedMarkHint(std::size_t missed, std::string_view thousandsSeparator);

} // namespace qvc
