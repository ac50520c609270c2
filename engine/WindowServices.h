#pragma once
// What the conversion pass and the run ask of the window. The engine never touches a widget: the main
// window implements this interface, the command-line tool implements it for a terminal, tests fake it.
#include "engine/RowState.h"

namespace qvc {

class TWindowServices
{
public:
    virtual ~TWindowServices() = default;

    /// Sets the progress bar's minimum unless it is -1, then its maximum unless it is -1, then its position.
    virtual void SetProgress(int position, int minimum, int maximum) = 0;
    /// With advance false sets the row's state image to `index`; with advance true adds 1 to it and
    /// sets it to 0 once it reached 5. The pass calls it after every pair, so it must be cheap; showing it
    /// more often than the screen can is not needed.
    virtual void AdvanceRowImage(int row, int index, bool advance) = 0;
    /// The row as no run has processed it: no count, no percentage, no time, state image kImageUnchanged (the
    /// run's reset of every row).
    virtual void ResetRow(int row) = 0;
    /// The percentage (0 to 100) of the pairs done on the row's file; called when it changes.
    virtual void SetRowPercent(int row, int percent) = 0;
    /// What the run made of the row's file: its count (replacements, -1 for a file that could not be read or
    /// converted) and the seconds its pairs took.
    virtual void SetRowOutcome(int row, long long count, long double seconds) = 0;
    /// Selects a row; rows selected before stay selected.
    virtual void SelectRow(int row) = 0;
    /// Clears the file list's selection.
    virtual void ClearSelection() = 0;
    /// Shows (true) or hides (false) the progress message of the status strip.
    virtual void ShowProgressMessage(bool show) = 0;
    /// Shows the ready picture (true) or the busy picture (false) of the status strip.
    virtual void ShowReadyImage(bool ready) = 0;
    /// Enables or disables the "Salvar Resultado" button (bbSaveResult).
    virtual void EnableSaveResult(bool enabled) = 0;
    /// Start of a run: shows the page "Converter Arquivo(s)" (side-bar button 0), sets the hourglass
    /// cursor and disables, in this order, bbSaveResult, the menu bar, the tool bar, the side bar and
    /// the status strip pStatusResult. From here until EndRun nothing may change the file list, the
    /// pairs or the options, and no second run may start.
    virtual void BeginRun() = 0;
    /// End of a run, also one ended by a failure: enables the menu bar, the tool bar, the side bar and
    /// pStatusResult again (not bbSaveResult) and sets the default cursor.
    virtual void EndRun() = 0;
    /// Asked by the run before each file: true ends the run there, as if the file before were the last one
    /// (rows not reached stay as the run's start left them). The window asks its user here, between two
    /// files, so the waiting counts in no file's time. Nothing stops a run by default.
    virtual bool StopRequested() { return false; }
    /// Whether StopRequested may answer true at the next file: false only when it would answer false now. A run
    /// that writes files ahead of the pass publishes every file converted so far before a stop may be asked, so
    /// that the user decides on what is done and the run stops where it was asked to.
    virtual bool StopMayBeRequested() { return true; }
};

} // namespace qvc
