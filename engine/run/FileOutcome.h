#pragma once
// What a run made of one file of its rows: the numbers, the names and the failure the front ends format,
// handed over once per file in row order.
#include "engine/pass/SubstitutionPass.h"
#include "engine/run/ConversionResult.h"

#include <cstddef>

namespace qvc {

class TResultStore;

struct TFileOutcome
{
    int Row = 0; ///< the row's position among the run's rows
    std::size_t Number = 0; ///< the row's number: the index of its ResultStore slot
    /// What the pass did with the file: the count (-1 for a file that could not be read or converted), the
    /// percentage of pairs done, the seconds, the kind, the write plan, the names written, the failure (a
    /// TMessage), the misses, the changed lines and, when the run keeps them, the texts for a diff (which view
    /// the pass's buffers: valid only while the outcome is being handed over).
    TPassReport Report;
    /// The pairs that made replacements, in the order of their first replacement (empty unless the count is
    /// above 0).
    TConversionResult Result;

    int Count() const { return Report.Count; }
};

/// Keeps what a result view shows of `outcome` in its row's slot of `store`: its result when its count is above
/// 0 (a row whose count is 0 or -1 keeps the slot's earlier result), and its details (misses, changed lines),
/// which are moved out of the outcome.
void StoreOutcome(TResultStore &store, TFileOutcome &outcome);

} // namespace qvc
