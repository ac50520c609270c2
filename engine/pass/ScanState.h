#pragma once
// The scan of one text (or one list of lines) by a compiled pair set: which lines each pair may change,
// the lines copied out of the text for pairs to change, and the occurrences the pairs left in place.
#include "common/Scope.h"
#include "common/TextLines.h"
#include "engine/pascal/PascalReader.h"
#include "engine/pascal/UsesClauses.h"
#include "engine/pass/ApplyPair.h"
#include "engine/pass/CompiledPairs.h"
#include "engine/pass/PairMatcher.h"
#include "engine/pass/PassDetails.h"
#include "engine/run/ConversionResult.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qvc {

class TScanState
{
public:
    /// Starts the scan of `lines`, which the pairs change in place, forgetting any earlier scan. `pairs`
    /// and `lines` must outlive the scan.
    void BeginLines(const TCompiledPairs &pairs, std::vector<std::string> &lines);
    /// Starts the scan of a file's `text`, forgetting any earlier scan; only the lines in which a find text
    /// occurs are looked for. Returns false when no pair can change it. In the code and uses scopes the text
    /// is read as `kind` says (Other: never changed). `pairs` and `text` must outlive the scan.
    bool BeginText(const TCompiledPairs &pairs, std::string_view text, TScope scope = TScope::All,
        TSourceKind kind = TSourceKind::Pascal);

    /// Applies pair i (0-based) to the lines it may change and returns its replacements, recorded in
    /// `results`; sets `newName` when the pair replaced the file's own unit name (see NewNameFor).
    int ApplyPairAt(std::size_t i, const std::string &targetName, std::string &newName, TConversionResult &results);
    /// After the last pair: in the uses scope writes the clauses' names into the lines, notes the code
    /// qualified by a replaced name and applies the pairs that keep the whole-text rules in every scope
    /// (returning their replacements). Nothing to do in the other scopes.
    int Finish(const std::string &targetName, std::string &newName, TConversionResult &results);

    /// The text of BeginText as the pairs left it, every line ended by CR LF, into `out`.
    void JoinText(std::string &out) const;
    /// The occurrences the pairs left in place: for each line and each find text (letter case ignored),
    /// those the last pair with that find text left as whole words, outside its replace text. Ordered by
    /// line, column and pair.
    std::vector<TMissedOccurrence> MissedOccurrences() const;
    /// The first kKeptChangedLines lines of the text of BeginText whose text the pairs changed, and how
    /// many lines changed in all.
    void CollectChangedLines(std::vector<TChangedLine> &changed, std::size_t &total) const;

    /// Lets go of the text and of working space grown unusually large; the scan may not be read again until
    /// the next Begin.
    void Release();

private:
    void Reset(const TCompiledPairs &pairs, std::vector<std::string> *lines, std::size_t lineCount);
    std::string &Line(std::uint32_t k) { return m_lines != nullptr ? (*m_lines)[k] : TextLine(k); }
    std::string &TextLine(std::uint32_t k);
    void MarkPattern(std::uint32_t line, std::uint32_t pattern, std::size_t afterPair);
    void MarkCandidates(std::uint32_t line, std::string_view text, std::size_t afterPair);
    void MarkEveryLine(std::size_t lineCount);
    void NoteMisses(std::size_t i, std::uint32_t k, const std::string &line, bool replaced);
    bool RevisitMisses(std::uint32_t pair, std::uint32_t pattern, std::int32_t head);
    void AddMissGroup(
        std::uint32_t k, std::uint32_t pair, std::uint32_t pattern, std::size_t first, TMissReason reason);
    void NoteCodeMisses(std::size_t i, std::uint32_t k);
    std::string &Classes(std::uint32_t k);
    int ApplyCodePair(std::size_t i, std::uint32_t k);
    std::uint32_t LineOf(std::size_t position);
    int FinishUses(const std::string &targetName, std::string &newName, TConversionResult &results);
    std::vector<std::uint32_t> LineNumbersOf(const std::vector<std::uint32_t> &ascending) const;

    const TCompiledPairs *m_pairs = nullptr;
    // The lines of BeginLines; null for the text of BeginText.
    std::vector<std::string> *m_lines = nullptr;
    // For every pair, the lines in which its find text may occur.
    std::vector<std::vector<std::uint32_t>> m_candidates;
    // Per pattern, the last scan of a line that found it (a line is marked once per pattern and scan).
    std::vector<std::uint64_t> m_seenInScan;
    std::uint64_t m_scan = 0;
    TLineScratch m_scratch;
    // The file's text, where its looked-at lines lie, and the lines copied out of it for pairs to change
    // (per line an index into m_copies, -1 for a line still read from the text).
    std::string_view m_text;
    std::vector<TLineBounds> m_bounds;
    std::vector<std::int32_t> m_lineCopy;
    std::vector<std::string> m_copies;
    std::size_t m_copiesUsed = 0;
    struct THit
    {
        std::size_t End; // the occurrence's last byte
        std::size_t LineEnd; // the end of its line: a line break or the text's end
        std::uint32_t Pattern;
    };
    std::array<std::vector<THit>, TPairMatcher::kPieces> m_hits;
    // Per piece and pattern, the mark of the last line on which a hit was kept; marks only grow.
    std::vector<std::uint64_t> m_lineSeen;
    std::uint64_t m_lineMark = 0;
    // The misses noted so far: per looked-at line a list of groups (m_missHead, -1 for none, then Next),
    // one group for the occurrences one visit of a pair noted, so that a later pair with the same find text
    // replaces what an earlier one noted on that line without going through every occurrence again.
    struct TMissGroup
    {
        std::uint32_t K;
        std::uint32_t Pattern;
        std::uint32_t Pair;
        std::int32_t Next;
        std::size_t First; // into m_missColumns, Count columns in ascending order
        std::size_t Count;
        TMissReason Reason;
        bool Dropped;
    };
    std::vector<TMissGroup> m_missGroups;
    std::vector<std::uint32_t> m_missColumns;
    std::vector<std::int32_t> m_missHead;

    TScope m_scope = TScope::All;
    // The code and uses scopes: what of the text is not code, its clauses, and per copied line the class of
    // each of its bytes (code scope).
    TPascalReading m_reading;
    std::vector<std::string> m_classCopies;
    std::vector<TCodeMiss> m_codeMisses;
    // The uses scope: the clauses' names as the pairs leave them, and the pairs kept for the end.
    TUsesClauses m_uses;
    std::vector<TQualifiedName> m_qualified;
    std::vector<std::size_t> m_everyScopePairs;
    std::vector<TTextEdit> m_edits;
};

} // namespace qvc
