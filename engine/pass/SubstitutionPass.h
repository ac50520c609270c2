#pragma once
// The text substitution pass: one file read as lines, every substitution pair applied in order as a
// whole-word, ASCII-case-insensitive replacement, the replacements counted, the file written back.
#include "common/Errors.h"
#include "common/Scope.h"
#include "engine/journal/RunJournal.h"
#include "engine/pass/ApplyPair.h"
#include "engine/pass/CompiledPairs.h"
#include "engine/pass/FastTime.h"
#include "engine/pass/PassDetails.h"
#include "engine/pass/ScanState.h"
#include "engine/run/ConversionResult.h"
#include "engine/run/RunObserver.h"
#include "engine/write/ReadStep.h"
#include "engine/write/RunOverlay.h"
#include "engine/write/TargetNames.h"
#include "engine/write/WriteStep.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qvc {

/// The choices of a run that the pass reads for one file.
struct TPassOptions
{
    TRenameMode RenameMode = TRenameMode::None; ///< how form files are named when written
    bool Backup = false;
    bool Simulate = false;
    TScope Scope = TScope::All; ///< where the pairs apply
    /// Keep the bytes read and the text written (or that would be written) for the report, for a diff:
    /// the file's buffers are then let go of when the next file starts, not when this one ends.
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
    /// The last percentage of pairs done the pass told for the row (RowPercent), -1 if none (a file that failed
    /// before its first pair, or an empty list).
    int Percent = -1;
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
    /// name it goes to, and whether the file read is removed (a unit written under its new name). The two
    /// texts view the pass's own buffers, not copied: they stay valid until the pass converts its next file.
    std::string_view ReadBytes;
    std::string_view ConvertedText;
    std::string ConvertedName;
    bool ReadFileRemoved = false;
};

/// A real run's file read and converted ahead of its writing (TSubstitutionPass::ConvertAhead).
struct TConvertedAhead
{
    enum class TWriting {
        None, ///< nothing to write
        OverTheFileRead, ///< Text replaces the file read under its own name: Request says what is written
        InOrder, ///< renames, removes or makes another name: FinishInOrder writes it
    };
    TWriting Writing = TWriting::None;
    TWriteRequest Request;
    TContentSum ReadSum {}; ///< the sum of the bytes read, for the journal
    std::string Text; ///< OverTheFileRead: the text to write
    /// The journal step of the file's read, for the caller to record when the row's steps are journaled (a real
    /// run with a journal, the file read).
    std::optional<TJournalStep> ReadStep;
};

/// The substitution list of a run, compiled once and applied to one file after the other.
class TSubstitutionPass
{
public:
    /// Takes the repository lines (each viewed as find text before its first "=", replace text after).
    /// Simulated rows keep their texts in memory up to `overlayMemory` bytes in all (see TRunOverlay).
    explicit TSubstitutionPass(
        const std::vector<std::string> &repositoryLines, std::size_t overlayMemory = kOverlayMemory);

    /// Journals every step of the real runs of this pass before it is taken; null: no journal.
    void SetJournal(TRunJournal *journal) { m_journal = journal; }

    /// Syncs every folder in which the real runs of this pass made, replaced, renamed or removed a name
    /// since the last call, each once, so that what they did reaches the disk. Throws TError "Cannot save
    /// the changes in folder "%s" to disk. %s" for the first folder that failed (the others synced).
    void SyncChangedFolders() { m_changedFolders.SyncAll(); }

    /// The number of pairs (n), blank ones included.
    std::size_t PairCount() const { return m_pairs.Count(); }

    /// The files the run's rows will convert, in row order: a simulated row then keeps its text only when a
    /// later row may read it (see TRunOverlay::ExpectReads).
    void ExpectReads(const std::vector<std::string> &files);

    /// Converts one file: reads it, applies every pair telling `progress` how far it is, writes it unless
    /// simulating. Returns the count (-1 for a file that could not be read or converted, which is no
    /// error). Throws TError "Unable to backup file." or "Cannot create file "%s". %s" when writing fails.
    int ConvertFile(int row, const std::string &fileName, const TPassOptions &options, TConversionResult &results,
        TFileProgress &progress, TPassReport &report);

    /// ConvertFile for a real run, without the writing, so that the file can be written while later files are
    /// converted: reads the file, applies every pair with progress in the row, and says in `ahead` what is left
    /// to write. With InOrder the caller calls FinishInOrder next, before any other file of this pass.
    int ConvertAhead(int row, const std::string &fileName, const TPassOptions &options, TConversionResult &results,
        TFileProgress &progress, TPassReport &report, TConvertedAhead &ahead);
    /// The writing ConvertFile does, for a file ConvertAhead left InOrder. Returns the count.
    int FinishInOrder(int row, const std::string &fileName, const TPassOptions &options, const TConvertedAhead &ahead,
        TConversionResult &results, TFileProgress &progress, TPassReport &report);
    /// A file whose writing found it changed by another program since it was read (`error`) fails alone, as a
    /// file that could not be read: its row, `results` and `report` say so. Returns -1.
    static int FailChangedMeanwhile(
        int row, const TError &error, TConversionResult &results, TFileProgress &progress, TPassReport &report);
    /// The journal of this pass's real runs (null: none).
    TRunJournal *Journal() const { return m_journal; }
    /// The folders this pass's real runs changed, which SyncChangedFolders syncs.
    TChangedFolders &ChangedFolders() { return m_changedFolders; }

    /// Applies every pair in order to `lines` (no window, no files): the pass's replacements alone.
    /// `afterPair(i)` runs after pair i (0-based). Returns the count.
    template <typename TAfterPair>
    int ApplyAll(std::vector<std::string> &lines, const std::string &targetName, std::string &newName,
        TConversionResult &results, TAfterPair &&afterPair)
    {
        m_scan.BeginLines(m_pairs, lines);
        int count = 0;
        for (std::size_t i = 0; i < m_pairs.Count(); ++i) {
            count += m_scan.ApplyPairAt(i, targetName, newName, results);
            afterPair(i);
        }
        return count;
    }

    /// ApplyAll without a callback.
    int ApplyAll(std::vector<std::string> &lines, const std::string &targetName, std::string &newName,
        TConversionResult &results)
    {
        return ApplyAll(lines, targetName, newName, results, [](std::size_t) {});
    }

    /// Applies every pair in order to the lines of a file's `text` (no window, no files), as ConvertFile
    /// does, and when a replacement was made puts the text to be written in `output`: every line ended
    /// by CR LF. Returns the count.
    /// In the code and uses scopes the text is read as the kind of `targetName` says (`isForm`: a form's text).
    int ConvertText(std::string_view text, const std::string &targetName, std::string &newName,
        TConversionResult &results, std::string &output, TScope scope = TScope::All, bool isForm = false)
    {
        const int count = ApplyAllToText(
            text, scope, SourceKindOf(targetName, isForm), targetName, newName, results, [](std::size_t) {});
        if (count > 0)
            m_scan.JoinText(output);
        return count;
    }

    /// The occurrences the pairs left in place in the lines or text of the last ApplyAll or ConvertText
    /// (ConvertFile puts them in its report): for each line and each find text (letter case ignored), those
    /// the last pair with that find text left as whole words, outside its replace text. Ordered by line,
    /// column and pair.
    std::vector<TMissedOccurrence> MissedOccurrences() const { return m_scan.MissedOccurrences(); }

private:
    // The names one file is written under, and the sum of its bytes as read (for the journal).
    struct TFileJob
    {
        std::string TargetName;
        std::string NewName;
        TContentSum ReadSum {};
    };

    /// ApplyAll on the lines of a file's `text`. Only the lines in which a find text occurs are looked
    /// for, and they are copied out of the text only when a pair may change them.
    template <typename TAfterPair>
    int ApplyAllToText(std::string_view text, TScope scope, TSourceKind kind, const std::string &targetName,
        std::string &newName, TConversionResult &results, TAfterPair &&afterPair)
    {
        if (!m_scan.BeginText(m_pairs, text, scope, kind)) {
            for (std::size_t i = 0; i < m_pairs.Count(); ++i)
                afterPair(i);
            return 0;
        }
        int count = 0;
        for (std::size_t i = 0; i < m_pairs.Count(); ++i) {
            count += m_scan.ApplyPairAt(i, targetName, newName, results);
            afterPair(i);
        }
        return count + m_scan.Finish(targetName, newName, results);
    }

    int ReadAndApply(int row, const std::string &fileName, const TPassOptions &options, TConversionResult &results,
        TFileProgress &progress, TPassReport &report, TFileJob &job);
    /// Puts the fixes a program needs to build as a Lazarus program into `text` (then viewing a buffer of the
    /// pass), records them in `results` and returns how many; resource files not found go to `notFound`.
    int ApplyProgramFixes(std::string_view &text, const std::string &fileName, TConversionResult &results,
        std::vector<TMissedOccurrence> &notFound);
    /// The text to write into m_output: the scan's lines, and for a form written for Lazarus the properties
    /// the LCL does not read left out (listed in the report's misses).
    void JoinOutput(const TPassOptions &options, const std::string &writtenName, TPassReport &report);
    std::string AncestorOf(const std::string &formFile, std::string_view className);
    int WriteConverted(int row, const std::string &fileName, const TPassOptions &options, const TFileJob &job,
        TConversionResult &results, TFileProgress &progress, TPassReport &report);
    /// What a file converted with `count` replacements writes: its text when it changed, a form renamed for its
    /// run under its new name when it did not. Returns the count.
    int WriteResult(int row, const std::string &fileName, const TPassOptions &options, const TFileJob &job, int count,
        TConversionResult &results, TFileProgress &progress, TPassReport &report);
    void WriteUntouchedForm(int row, const TPassOptions &options, const std::string &targetName, TPassReport &report);
    void ReleaseLargeBuffers();

    // Lives across files: the list, the journal, the folders changed, what the simulated rows so far would have done,
    // and buffers reused from one file to the next.
    const TCompiledPairs m_pairs;
    TRunJournal *m_journal = nullptr;
    std::optional<TJournalStep> *m_heldRead = nullptr; // where ConvertAhead keeps the read step instead
    TChangedFolders m_changedFolders;
    TRunOverlay m_overlay;
    TReadStep m_read;
    // The scan of the text last converted: every ApplyAll, ConvertText and ConvertFile starts it afresh;
    // it stays readable for MissedOccurrences.
    TScanState m_scan;
    std::string m_output;
    std::string m_programText; // a program's text with its Lazarus fixes, which the scan then views
    TFastTimer m_timer; // the run's own clock of the pairs, so runs on different threads measure apart
    // Per folder, the ancestors its units declare for their classes (TForm1 = class(TForm)).
    std::unordered_map<std::string, std::unordered_map<std::string, std::string>> m_ancestors;
};

} // namespace qvc
