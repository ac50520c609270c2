#pragma once
// The conversion run ("&Executar...", Tag 10): the files of the run's rows converted in row order, one
// outcome per file handed to the run's observer.
#include "common/Scope.h"
#include "engine/run/FileOutcome.h"
#include "engine/run/RunObserver.h"
#include "repository/RenameMode.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qvc {

class TRunJournal;

/// A row number that does not read as one (Windows-1252 template, "%s" the text): a message of the window's text
/// table.
inline constexpr std::string_view kNotAnInteger = "'%s' is not a valid integer value";

/// One row of a run: its file and its number (the index of its ResultStore slot).
struct TRunFile
{
    std::string Name; ///< the full path of the file (8-bit bytes as the file system holds them)
    std::size_t Number = 0;
};

/// What a run is given, once, at its start.
struct TRunRequest
{
    std::vector<TRunFile> Files; ///< the run's rows, in row order
    /// The pairs: find text before the first "=", replace text after it.
    std::vector<std::string> RepositoryLines;
    TRenameMode RenameMode = TRenameMode::None;
    TScope Scope = TScope::All; ///< where the pairs apply (recorded in the journal)
    bool Backup = false;
    bool Simulate = false;
    /// Whether the outcomes carry the bytes read and the text written of each file (a diff).
    bool KeepTexts = false;
    /// Whether the outcomes carry the lines the pairs changed.
    bool KeepChangedLines = false;
};

/// Runs the conversion over the files of `request` in row order (from Delphi to Lazarus, kLazarusResourcePair
/// after the pairs), telling `observer` the run's start, each row's reset, start and progress, and one
/// TFileOutcome per file converted, in row order. A failure while a file is written ends the run: the observer
/// learns RunEnded and the TError is thrown on for the caller to show; earlier rows keep what they produced.
/// With a `journal`, every step a real run takes on a file is journaled before it is taken. Every folder
/// the run changed is synced before the run ends (by a failure too); a folder that cannot be synced ends a
/// run that went well with TError "Cannot save the changes in folder "%s" to disk. %s".
void RunConversion(const TRunRequest &request, TRunObserver &observer, TRunJournal *journal = nullptr);

} // namespace qvc
