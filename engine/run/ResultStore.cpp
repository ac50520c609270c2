#include "engine/run/ResultStore.h"

#include "common/Errors.h"

#include <string>

namespace qvc {

std::size_t TResultStore::Append()
{
    m_slots.emplace_back();
    m_details.emplace_back();
    return m_slots.size() - 1;
}

void TResultStore::Replace(std::size_t k, const TConversionResult &result)
{
    if (k >= m_slots.size())
        throw TError(kListIndexOutOfBounds, { TextArg(std::to_string(k)) });
    m_slots[k] = result;
}

const TConversionResult &TResultStore::Get(std::size_t k) const
{
    if (k >= m_slots.size())
        throw TError(kListIndexOutOfBounds, { TextArg(std::to_string(k)) });
    return m_slots[k];
}

void TResultStore::ReplaceDetails(std::size_t k, TRowDetails details)
{
    if (k >= m_details.size())
        throw TError(kListIndexOutOfBounds, { TextArg(std::to_string(k)) });
    m_details[k] = std::move(details);
}

const TRowDetails &TResultStore::Details(std::size_t k) const
{
    if (k >= m_details.size())
        throw TError(kListIndexOutOfBounds, { TextArg(std::to_string(k)) });
    return m_details[k];
}

} // namespace qvc
