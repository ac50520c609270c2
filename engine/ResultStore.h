#pragma once
// One ConversionResult slot per file row ever added; a row's number is the index of its slot.
#include "engine/ConversionResult.h"

#include <cstddef>
#include <vector>

namespace qvc {

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

private:
    std::vector<TConversionResult> m_slots;
};

} // namespace qvc
