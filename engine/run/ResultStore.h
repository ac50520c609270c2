#pragma once
// One ConversionResult slot per file row ever added; a row's number is the index of its slot.
#include "engine/pass/PassDetails.h"
#include "engine/run/ConversionResult.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace qvc {

/// A slot or row asked for that does not exist (Windows-1252 template, "%s" the index).
inline constexpr std::string_view kListIndexOutOfBounds = "List index out of bounds (%s)";

/// What a row's last conversion found besides its result: the occurrences it left in place and the
/// lines it changed (the first kKeptChangedLines of ChangedLineTotal).
struct TRowDetails
{
    std::vector<TMissedOccurrence> Missed;
    std::vector<TChangedLine> ChangedLines;
    std::size_t ChangedLineTotal = 0;
};

class TResultStore
{
public:
    /// Adds a slot holding an empty result and returns its index (the new row's number).
    std::size_t Append();
    /// Sets slot k to a copy of `result`. Throws TError for an index that has no slot.
    void Replace(std::size_t k, const TConversionResult &result);
    /// The result of slot k. Throws TError for an index that has no slot.
    const TConversionResult &Get(std::size_t k) const;
    std::size_t Count() const { return m_slots.size(); }
    /// Sets the details of slot k (kept beside its result, which they never change). Throws TError for an
    /// index that has no slot.
    void ReplaceDetails(std::size_t k, TRowDetails details);
    /// The details of slot k; empty until a run converted its row. Throws TError for an index that has no slot.
    const TRowDetails &Details(std::size_t k) const;

private:
    std::vector<TConversionResult> m_slots;
    std::vector<TRowDetails> m_details;
};

} // namespace qvc
