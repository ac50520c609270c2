#pragma once
// What a conversion run tells while it goes: its start and end, each row's reset, start, progress and
// outcome. The engine knows nothing of how it is shown: the window turns these events into its rows and
// widgets, the command-line tool into lines, tests record them. Every event does nothing by default.
#include "engine/run/RowState.h"

namespace qvc {

struct TFileOutcome;

/// What the pass tells about the file it works on.
class TFileProgress
{
public:
    TFileProgress() = default;
    TFileProgress(const TFileProgress &) = default;
    TFileProgress &operator=(const TFileProgress &) = default;
    TFileProgress(TFileProgress &&) = default;
    TFileProgress &operator=(TFileProgress &&) = default;
    virtual ~TFileProgress() = default;

    /// `done` pairs of the run's list applied to the current file; `pairs` is the list's length when a file
    /// starts, -1 (unchanged) after each pair. Called after every pair, so it must be cheap.
    virtual void PairsDone(int done, int pairs)
    {
        (void)done;
        (void)pairs;
    }
    /// The row's phase: with `next` false it becomes `phase` (kPhaseWorking as the file starts, then the
    /// state it ends in: kImageChanged, kImageFailed or kImageUnchanged); with `next` true it moves on to the
    /// following working phase (NextWorkingPhase), after every pair.
    virtual void RowPhase(int row, int phase, bool next)
    {
        (void)row;
        (void)phase;
        (void)next;
    }
    /// The percentage (0 to 100) of the pairs done on the row's file; told when it changes.
    virtual void RowPercent(int row, int percent)
    {
        (void)row;
        (void)percent;
    }
};

/// What the run tells about itself and its rows (rows by their position among the run's rows).
class TRunObserver : public TFileProgress
{
public:
    /// The run starts, before anything of its rows: from here until RunEnded nothing may change the rows, the
    /// pairs or the options, and no second run may start.
    virtual void RunBegan() { }
    /// The work on the rows begins: no pair of any file done yet.
    virtual void WorkStarted() { }
    /// The row is as no run has processed it: no count, no percentage, no time, kImageUnchanged (every row
    /// of the run, in order, after WorkStarted).
    virtual void RowReset(int row) { (void)row; }
    /// Every row was reset; none is being worked on.
    virtual void RowsReset() { }
    /// The run starts on the row's file.
    virtual void RowStarted(int row) { (void)row; }
    /// What the run made of the row's file (not told for a row whose writing ended the run). `outcome` may
    /// be moved from.
    virtual void RowOutcome(TFileOutcome &outcome) { (void)outcome; }
    /// Every row was done (or the user stopped the run between two files), and what the run changed is on
    /// the disk. Not told when a failure ends the run.
    virtual void WorkCompleted() { }
    /// The run ends, also one ended by a failure.
    virtual void RunEnded() { }
    /// Asked before each file: true ends the run there, as if the file before were the last one (rows not
    /// reached stay as the run's start left them). Nothing stops a run by default.
    virtual bool StopWanted() { return false; }
    /// Whether StopWanted may answer true at the next file: false only when it would answer false now. A run
    /// that writes files ahead of the pass publishes every file converted so far before a stop may be asked, so
    /// that the user decides on what is done and the run stops where it was asked to.
    virtual bool StopMayBeWanted() { return true; }
};

} // namespace qvc
