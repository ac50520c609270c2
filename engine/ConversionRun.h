#pragma once
// The conversion run ("&Executar...", Tag 10): every row of the file list converted in list order, its
// cells and state image written, the result of every changed file kept in the ResultStore.
#include "engine/ConversionResult.h"
#include "engine/ResultStore.h"
#include "engine/SubstitutionPass.h"
#include "engine/WindowServices.h"

#include <string>
#include <string_view>
#include <vector>

namespace qvc {

/// A row number that does not read as one (Windows-1252 template, "%s" the text): a message of the window's text
/// table.
inline constexpr std::string_view kNotAnInteger = "'%s' is not a valid integer value";

/// The window as a run sees it: the window services plus the rows of the file list and the two check
/// boxes. Rows are addressed by position, 0 to RowCount() - 1.
class TConversionView : public TWindowServices
{
public:
    /// The number of rows of the file list.
    virtual int RowCount() const = 0;
    /// The row's "Nome dos Arquivos" cell: the full path of its file (8-bit bytes as the file system holds them).
    virtual std::string RowFileName(int row) const = 0;
    /// The row's number: the index of its ResultStore slot.
    virtual std::size_t RowNumber(int row) const = 0;
    /// Whether cbCheckBoxBackupFiles is checked (read anew for every file).
    virtual bool BackupChecked() const = 0;
    /// Whether cbCheckBoxSimulate is checked (read anew for every file).
    virtual bool SimulateChecked() const = 0;
    /// Whether the pass keeps the bytes read and the text written of each file for FileConverted (a diff).
    virtual bool WantsTexts() const { return false; }
    /// Whether the pass keeps the lines it changed, which the run then stores with the row's details.
    virtual bool WantsChangedLines() const { return false; }
    /// Called after a row's file was converted and its cells written (not for a row whose writing
    /// failed). The window needs nothing here; the command-line tool reports each file from it.
    virtual void FileConverted(int row, const TPassReport &report, const TConversionResult &result)
    {
        (void)row;
        (void)report;
        (void)result;
    }
};

/// Moves the misses and changed lines of a converted file's `report` into the `slot` of `store` (its details).
void StoreRowDetails(TResultStore &store, std::size_t slot, TPassReport &report);

/// Runs the conversion over every row of `view` with the pairs of `repositoryLines` (find text before the
/// first "=", replace text after it; from Delphi to Lazarus, kLazarusResourcePair after them) and `renameMode`,
/// giving each row its count and seconds as numbers (the view formats them), and replaces the `store` slot of
/// every row whose count is above 0 and the details (misses, changed lines) of every row converted. A failure while a
/// file is written ends the run: the window is unlocked (EndRun) and the TError is thrown on for the
/// caller to show; earlier rows keep what they produced.
/// With a `journal`, every step a real run takes on a file is journaled before it is taken. Every folder
/// the run changed is synced before the run ends (by a failure too); a folder that cannot be synced ends a
/// run that went well with TError "Cannot save the changes in folder "%s" to disk. %s".
/// The pairs apply where `scope` says (recorded in the journal).
void RunConversion(TConversionView &view, const std::vector<std::string> &repositoryLines, TRenameMode renameMode,
    TResultStore &store, TRunJournal *journal = nullptr, TScope scope = TScope::All);

} // namespace qvc
