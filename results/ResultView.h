#pragma once
// What the result view (`pViewResult`) shows for one file, without the widgets.
#include "engine/ConversionResult.h"
#include "engine/DisplayFormat.h" // FormatCount

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
bool ResultViewOpens(std::string_view updatesText, std::string_view thousandsSeparator);

/// The title while the view is open: "%s (%s)" with the title text and the file name.
std::string ResultViewTitle(std::string_view titleText, std::string_view fileName);

} // namespace qvc
