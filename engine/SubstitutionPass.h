#pragma once
// The text substitution pass: one file read as lines, every substitution pair applied in order as a
// whole-word, ASCII-case-insensitive replacement, the replacements counted, the file written back.
#include "common/Errors.h"
#include "common/TextLines.h"
#include "engine/ConversionResult.h"
#include "engine/FileSteps.h"
#include "engine/PairMatcher.h"
#include "engine/PassDetails.h"
#include "engine/WindowServices.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qvc {

/// How a file was read into lines.
enum class TFileKind {
    Text, ///< any file that is not a form file
    TextForm, ///< a ".dfm"/".xfm" starting with "I", "O", "i", "o" (after a UTF-8 byte-order mark, if any)
    BinaryForm, ///< a ".dfm"/".xfm" starting with 0xFF, turned into its text form
    UnknownForm, ///< a ".dfm"/".xfm" starting with anything else (or empty): no lines
};

/// The choices of a run that the pass reads for one file.
struct TPassOptions
{
    int RenameMode = 2; ///< 0 ".dfm" written as ".xfm", 1 ".xfm" written as ".dfm", 2 no change, 3 ".dfm" as ".lfm"
    bool Backup = false;
    bool Simulate = false;
    /// Keep the bytes read and the text written (or that would be written) in the report, for a diff.
    bool KeepTexts = false;
    /// Keep the lines the pairs changed (the first kKeptChangedLines) in the report, for display.
    bool KeepChangedLines = false;
};

/// What the pass did with one file, beyond the count it returns.
struct TPassReport
{
    int Count = 0; ///< replacements made, -1 for a file that failed to be read or converted
    /// Seconds the pairs took (progress updates included, reading and writing not). For a failed file:
    /// the time from the start of its reading until the failure, so its row never shows another
    /// file's time.
    long double Seconds = 0;
    std::string Status = "-"; ///< the last text the pass put in the row's "Status" cell ("-" if none)
    std::string WrittenName; ///< the path written, empty when nothing was written
    std::string BackupName; ///< the backup made, empty when none was made
    TMessage FailureReason; ///< why the file failed (the error's message), empty otherwise
    TFileKind Kind = TFileKind::Text;
    /// The file steps of a changed file: for a simulated run what a real run would do, taking the
    /// earlier rows of the run into account; for a real run what it did. Empty when nothing is written.
    TWritePlan Plan;
    /// The occurrences the pairs left in place, by line, column and pair (empty for a failed file).
    std::vector<TMissedOccurrence> Missed;
    /// With KeepChangedLines: the first kKeptChangedLines lines whose text the pairs changed, and how many
    /// lines changed in all.
    std::vector<TChangedLine> ChangedLines;
    std::size_t ChangedLineTotal = 0;
    /// With KeepTexts, when a text is written (or would be, simulating): the bytes read, the text and the
    /// name it goes to, and whether the file read is removed (a unit written under its new name).
    std::string ReadBytes;
    std::string ConvertedText;
    std::string ConvertedName;
    bool ReadFileRemoved = false;
};

/// Applies one pair to one line by the pass's exact rules and returns the replacements made. `find` must
/// not be blank; `findLower` is `find` in ASCII lower case; `scratch` is working space, left holding the
/// line as the pair leaves it, in ASCII lower case.
int ApplyPairToLine(std::string &line, std::string_view find, std::string_view findLower, std::string_view replace,
    std::string &scratch);

/// Applies one pair (find, replace) to every line, in order, and returns its replacements (0 for a
/// blank find). Records them in `results` as "find=replace" and sets `newName` when the file's own
/// unit name is replaced (see NewNameFor) and `newName` is still blank.
int ApplyPair(std::vector<std::string> &lines, std::string_view find, std::string_view replace,
    const std::string &targetName, std::string &newName, TConversionResult &results);

/// The name a file written to `targetName` takes when `find` (its base name, letter case counting) is
/// replaced by `replace`: the folder, `replace` and the extension. Empty when the base name is not `find`,
/// when `replace` holds both "{" and "}", or when `replace` is blank or holds "/" or NUL (a blank
/// replace must not make a nameless hidden file, a "/" must not move the file to another folder).
std::string NewNameFor(const std::string &targetName, std::string_view find, std::string_view replace);

/// Reads a file into lines split at CR LF, lone CR and lone LF, bytes unchanged (NUL included). Form
/// files (".dfm"/".xfm", any letter case) are told apart by their first byte; a binary form is turned
/// into its text form. Throws TError when the file cannot be read or a binary form is malformed.
TFileKind ReadWorkingLines(const std::string &fileName, std::vector<std::string> &lines);

/// The substitution list of a run, prepared once and applied to one file after the other.
class TSubstitutionPass
{
public:
    /// Takes the repository lines (each viewed as find text before its first "=", replace text after).
    explicit TSubstitutionPass(const std::vector<std::string> &repositoryLines);

    /// Journals every step of the real runs of this pass before it is taken; null: no journal.
    void SetJournal(TRunJournal *journal) { m_journal = journal; }

    /// The number of pairs (n), blank ones included.
    std::size_t PairCount() const { return m_pairs.size(); }

    /// Converts one file: reads it, applies every pair with progress in the row, writes it unless
    /// simulating. Returns the count (-1 for a file that could not be read or converted, which is no
    /// error). Throws TError "Unable to backup file." or "Cannot create file "%s". %s" when writing fails.
    int ConvertFile(int row, const std::string &fileName, const TPassOptions &options, TConversionResult &results,
        TWindowServices &services, TPassReport &report);

    /// Applies every pair in order to `lines` (no window, no files): the pass's replacements alone.
    /// `afterPair(i)` runs after pair i (0-based). Returns the count.
    template <typename TAfterPair>
    int ApplyAll(std::vector<std::string> &lines, const std::string &targetName, std::string &newName,
        TConversionResult &results, TAfterPair &&afterPair)
    {
        BeginLines(lines);
        const TLineAccess access { &lines, &VectorLine };
        int count = 0;
        for (std::size_t i = 0; i < m_pairs.size(); ++i) {
            count += ApplyPairAt(i, access, targetName, newName, results);
            afterPair(i);
        }
        return count;
    }

    /// Applies every pair in order to the lines of a file's `text` (no window, no files), as ConvertFile
    /// does, and when a replacement was made puts the text to be written in `output`: every line ended
    /// by CR LF. Returns the count.
    int ConvertText(std::string_view text, const std::string &targetName, std::string &newName,
        TConversionResult &results, std::string &output)
    {
        const int count = ApplyAllToText(text, targetName, newName, results, [](std::size_t) {});
        if (count > 0)
            JoinText(output);
        return count;
    }

    /// The occurrences the pairs left in place in the last file or lines converted: for each line and each
    /// find text (letter case ignored), those the last pair with that find text left as whole words, outside
    /// its replace text. Ordered by line, column and pair.
    std::vector<TMissedOccurrence> MissedOccurrences() const;

    /// ApplyAll without a callback.
    int ApplyAll(std::vector<std::string> &lines, const std::string &targetName, std::string &newName,
        TConversionResult &results)
    {
        return ApplyAll(lines, targetName, newName, results, [](std::size_t) {});
    }

private:
    struct TPair
    {
        std::string Find;
        std::string FindLower;
        std::string Replace;
        std::string EntryText;
        bool Blank = true;
        std::uint32_t Pattern = 0;
    };

    // A line by number, as a string the pair may change: the lines of a vector, or those of a file's text.
    struct TLineAccess
    {
        void *Lines;
        std::string &(*At)(void *lines, std::uint32_t k);
    };
    static std::string &VectorLine(void *lines, std::uint32_t k)
    {
        return (*static_cast<std::vector<std::string> *>(lines))[k];
    }
    static std::string &TextLineOf(void *pass, std::uint32_t k)
    {
        return static_cast<TSubstitutionPass *>(pass)->TextLine(k);
    }

    void BeginLines(const std::vector<std::string> &lines);
    /// ApplyAll on the lines of a file's `text`. Only the lines in which a find text occurs are looked
    /// for, and they are copied out of the text only when a pair may change them.
    template <typename TAfterPair>
    int ApplyAllToText(std::string_view text, const std::string &targetName, std::string &newName,
        TConversionResult &results, TAfterPair &&afterPair)
    {
        if (!FindCandidates(text)) {
            for (std::size_t i = 0; i < m_pairs.size(); ++i)
                afterPair(i);
            return 0;
        }
        const TLineAccess access { this, &TextLineOf };
        int count = 0;
        for (std::size_t i = 0; i < m_pairs.size(); ++i) {
            count += ApplyPairAt(i, access, targetName, newName, results);
            afterPair(i);
        }
        return count;
    }
    bool FindCandidates(std::string_view text);
    void ReleaseLargeBuffers();
    std::string &TextLine(std::uint32_t k);
    void JoinText(std::string &out) const;
    void MarkPattern(std::uint32_t line, std::uint32_t pattern, std::size_t afterPair);
    int ApplyPairAt(std::size_t i, TLineAccess lines, const std::string &targetName, std::string &newName,
        TConversionResult &results);
    void MarkCandidates(std::uint32_t line, std::string_view text, std::size_t afterPair);
    void BeginMisses(std::size_t lineCount, bool fromText);
    void NoteMisses(std::size_t i, std::uint32_t k, const std::string &line, bool replaced);
    std::vector<std::uint32_t> LineNumbersOf(const std::vector<std::uint32_t> &ascending) const;
    void CollectChangedLines(TPassReport &report) const;

    std::vector<TPair> m_pairs;
    std::vector<std::vector<std::uint32_t>> m_pairsOfPattern;
    std::vector<std::string> m_statusTexts; // after pair i, "Status" shows m_statusTexts[i]
    TPairMatcher m_matcher;
    // Per file: for every pair, the lines in which its find text may occur.
    std::vector<std::vector<std::uint32_t>> m_candidates;
    std::vector<std::uint64_t> m_seenInScan;
    std::uint64_t m_scan = 0;
    std::string m_scratch;
    std::string m_bytes;
    std::string m_formText;
    // The file's text, where its lines lie, and the lines copied out of it for pairs to change (per
    // line an index into m_copies, -1 for a line still read from the text).
    std::string_view m_text;
    std::vector<TLineBounds> m_bounds;
    std::vector<std::int32_t> m_lineCopy;
    std::vector<std::string> m_copies;
    std::size_t m_copiesUsed = 0;
    struct THit
    {
        std::size_t End;
        std::uint32_t Pattern;
    };
    std::array<std::vector<THit>, TPairMatcher::kPieces> m_hits;
    std::string m_output;
    TRunJournal *m_journal = nullptr;
    // What the simulated rows of this run would have done to the files so far.
    TRunOverlay m_overlay;
    // Per file: the misses noted so far, per looked-at line a list (m_missHead, -1 for none, then Next)
    // so that a later pair with the same find text replaces what an earlier one noted on that line.
    struct TMissRecord
    {
        std::uint32_t K;
        std::uint32_t Pattern;
        std::uint32_t Pair;
        std::uint32_t Column;
        std::int32_t Next;
        TMissReason Reason;
        bool Dropped;
    };
    std::vector<TMissRecord> m_missRecords;
    std::vector<std::int32_t> m_missHead;
    bool m_missLinesFromText = false; // lines are m_bounds (a file's text) rather than a vector
};

} // namespace qvc
