#pragma once
// The unit names of a text's clauses as the pairs of the uses scope change them: a name replaced by a
// list of names, a name removed with its comma, a clause left without a name removed whole; and the
// edits that make the text say so, touching only the names, the removed commas and blanks.
#include "engine/pascal/PascalReader.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qvc {

/// One change of a text: the bytes [Start, End) become Text.
struct TTextEdit
{
    std::size_t Start = 0;
    std::size_t End = 0;
    std::string Text;
};

/// A pair as the uses scope reads it: a trailing "," or ";" and the blanks around each text dropped, the
/// replace text a list of names separated by commas.
struct TUnitPair
{
    std::string FindLower; ///< the unit name looked for, in ASCII lower case (empty: matches nothing)
    std::size_t FindHash = 0; ///< std::hash of FindLower
    std::string Written; ///< the replace text as written, trimmed
    std::vector<std::string> Names; ///< its names, each trimmed
};

TUnitPair UnitPairOf(std::string_view find, std::string_view replace);

class TUsesClauses
{
public:
    /// Starts on the clauses of `reading`, read from `text` (both must outlive the use).
    void Begin(std::string_view text, const TPascalReading &reading);
    /// True when the text holds no clause to change.
    bool Empty() const { return m_items.empty(); }

    /// Replaces every name equal to the pair's find text by the pair's names, leaving out those the clauses
    /// of that kind already hold outside conditional branches. Returns the names replaced or removed.
    int Apply(const TUnitPair &pair, std::uint32_t pairIndex);

    /// The edits that write the names as they now are, in text order, none across a line break.
    void Edits(std::vector<TTextEdit> &edits) const;

    /// A name that a pair replaced or removed (ASCII lower case), and the first pair that did.
    struct TReplacedName
    {
        std::string Lower;
        std::uint32_t Pair = 0;
    };
    const std::vector<TReplacedName> &Replaced() const { return m_replaced; }

private:
    struct TEntry
    {
        std::string Name; ///< as written
        std::string Lower;
        std::string List; ///< for the first name of a list put in as written: the list's text
        bool InList = false; ///< a later name of such a list, written by the first
    };
    struct TItem
    {
        std::size_t Clause = 0;
        std::size_t Index = 0; ///< in its clause
        std::vector<TEntry> Entries; ///< the names now standing in place of the original name
        bool Changed = false;
    };

    void Hold(TClauseKind kind, std::string_view lower, int delta);
    bool Held(TClauseKind kind, std::string_view lower) const;
    void RemoveRange(std::size_t start, std::size_t end, std::vector<TTextEdit> &edits) const;
    void ReplaceName(const TClauseName &name, std::string written, std::vector<TTextEdit> &edits) const;
    void RemoveItem(const TItem &item, std::vector<bool> &commaTaken, std::vector<TTextEdit> &edits) const;

    std::string_view m_text;
    const TPascalReading *m_reading = nullptr;
    std::vector<TItem> m_items;
    // The names the clauses of each kind hold outside conditional branches, with how often.
    struct THeld
    {
        TClauseKind Kind {};
        std::string Lower;
        int Count = 0;
    };
    std::vector<THeld> m_held; ///< in the order of HeldBefore, each name once
    static bool HeldBefore(const THeld &a, const THeld &b);
    std::vector<THeld>::const_iterator FindHeld(TClauseKind kind, std::string_view lower) const;
    std::vector<TReplacedName> m_replaced;
    // A bit for the hash of every name that has stood in the clauses: a pair whose bit is clear matches none.
    std::array<std::uint64_t, 4> m_present {};
    void NotePresent(std::string_view lower);
    bool MayBePresent(std::size_t hash) const { return ((m_present[(hash >> 6) & 3] >> (hash & 63)) & 1) != 0; }
};

} // namespace qvc
