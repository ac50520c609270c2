#pragma once
// The window's side of a conversion run: the run's events and outcomes become the file list page's rows, cells,
// images and progress, the run's scope as the strip names it, and the run lock; the run itself reads the files and
// the options of the settings page once, at its start.
#include "engine/run/ConversionRun.h"
#include "filelist/FileList.h"
#include "results/RunSummary.h"

#include "ui/RunLock.h"

#include <QPointer>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace qvc {
class TConversionRunner;
class TFileListPage;
class TSettingsPage;
}

/// The window's side of a run, on the window's thread: the run's events as the file list page's rows, cells,
/// images, progress bar and status strip show them.
class TWindowConversionView
{
public:
    /// `scope` is the run's, as the runner read it from the settings page at the start. `rows` are the list
    /// positions the run converts, in list order; empty for every row.
    TWindowConversionView(qvc::TFileListPage &files, const qvc::TSettingsPage &settings, qvc::TRunLock &lock,
        qvc::TConversionRunner &runner, qvc::TScope scope, std::vector<int> rows = {});

    /// Sets the progress bar's minimum unless it is -1, then its maximum unless it is -1, then its position.
    void SetProgress(int position, int minimum, int maximum);
    /// The row as no run has processed it: no count, no percentage, no time, state image kImageUnchanged.
    void ResetRow(int row);
    /// The row's "Status" cell shows `percent`.
    void SetRowPercent(int row, int percent);
    /// Selects the row the run starts on; rows selected before stay selected.
    void SelectRow(int row);
    /// Clears the file list's selection.
    void ClearSelection();
    /// The run's work begins: the busy picture, the progress message, the progress bar at 0.
    void ShowWorkStarted();
    /// Every row done: the progress bar at 0, no progress message, the ready picture.
    void ShowWorkCompleted();
    /// What the run made of a row's file: its count and time in the row, "Salvar Resultado" enabled for a count
    /// above 0, its result and details kept in `store`, its failure or the files it overwrites as the row's hint.
    void ShowOutcome(qvc::TFileOutcome &outcome, qvc::TResultStore &store);
    /// Start of a run: shows the page "Converter Arquivo(s)", sets the hourglass cursor and disables, in this
    /// order, bbSaveResult, the menu bar, the tool bar, the side bar and the status strip pStatusResult (the run
    /// lock). From here until EndRun nothing may change the file list, the pairs or the options, and no second
    /// run may start.
    void BeginRun();
    /// End of a run, also one ended by a failure: enables the menu bar, the tool bar, the side bar and
    /// pStatusResult again (not bbSaveResult) and sets the default cursor.
    void EndRun();
    /// Asks the user, between two files, whether to stop when a stop was asked for; true ends the run there.
    bool StopRequested();

    /// What the run is given: the rows' files and numbers, the two options of the settings page, `lines` and
    /// `renameMode`; the outcomes carry the changed lines the result view shows.
    qvc::TRunRequest Request(std::vector<std::string> lines, qvc::TRenameMode renameMode) const;
    int RowCount() const;

    /// Sets the row's state image.
    void SetRowImage(int row, int index);
    /// Pushes the rows and the progress bar to the screen now.
    void Flush();

    /// The list position of the row the run worked on last, -1 before the first.
    int CurrentListRow() const { return m_current < 0 ? -1 : ListRow(m_current); }
    /// Whether the pass finished the current row (false while it works on it, or when its writing failed).
    bool CurrentRowDone() const { return m_currentDone; }
    /// The row the run worked on when its writing failed keeps its cells and gets `reason` as its tooltip.
    void MarkWriteFailure(const qvc::TMessage &reason);
    /// The run's figures so far; a row whose writing ended the run is added by the runner.
    const qvc::TRunSummary &Summary() const { return m_summary; }
    /// How many files the run changed on disk (none when simulating).
    std::size_t WrittenFiles() const { return m_written; }

private:
    int ListRow(int row) const;
    qvc::TFileRow &Row(int row);
    void MarkRow(int row);
    void ApplyPendingSelection();

    qvc::TFileListPage &m_files;
    const qvc::TSettingsPage &m_settings;
    qvc::TRunLock &m_lock;
    qvc::TConversionRunner &m_runner;
    qvc::TScope m_scope;
    std::optional<qvc::TRunLock::THold> m_hold; // from BeginRun to EndRun, or until the run unwinds
    // Rows, selection and progress bar reach the screen with each batch the relay delivers (at most one per
    // TRelayedConversionView::kRelayInterval) and at the end of the run.
    int m_pendingFileNumber = 0; // "Arquivo N de M" still to be shown, 0 for none
    int m_dirtyFirst = -1;
    int m_dirtyLast = -1;
    int m_progressMinimum = 0;
    int m_progressMaximum = 100;
    int m_progressPosition = 0;
    bool m_progressDirty = false;
    std::vector<int> m_pendingSelection;
    std::vector<int> m_rows; // the list positions of the run's rows; empty for every row
    int m_current = -1;
    bool m_currentDone = false;
    qvc::TRunSummary m_summary;
    std::size_t m_written = 0;
};

/// One update of the window that the run made on its worker thread, applied to TWindowConversionView on the
/// window's thread in the order it was made.
struct TViewUpdate
{
    enum class TKind : unsigned char {
        Progress, ///< A position, B minimum, C maximum (-1: unchanged)
        RowImage, ///< Row, A the image
        RowReset, ///< Row
        RowPercent, ///< Row, A the percentage
        SelectRow,
        ClearSelection,
        WorkStarted,
        WorkCompleted,
        BeginRun,
        EndRun,
        Outcome, ///< Outcome
        Checkpoint, ///< the run waits until the window has applied what came before and handled its events
        AskStop, ///< the stop question, answered through TRunRelay::Answer
    };
    TKind Kind = TKind::Progress;
    int Row = 0;
    int Key = 0; ///< with Kind and Row, what a later update of the same thing replaces
    int A = 0;
    int B = 0;
    int C = 0;
    /// A file's outcome without the pass's texts.
    std::shared_ptr<qvc::TFileOutcome> Outcome;
};

/// What the run's worker thread and the window's thread share: the updates not yet applied, the stop question's
/// answer and the run's end. Handed to queued calls as a shared_ptr, so a call that arrives late finds it alive.
class TRunRelay : public std::enable_shared_from_this<TRunRelay>
{
public:
    /// `window` is the window's side of the run (its thread applies the updates), `context` a QObject of that
    /// thread that receives the queued calls, `store` the window's result store.
    TRunRelay(TWindowConversionView &window, QObject *context, qvc::TResultStore &store);

    /// Worker: hands `updates` over and asks the window's thread to apply them (one queued call at a time).
    void Post(std::vector<TViewUpdate> &&updates);
    /// Worker: hands `updates` over (the last is Checkpoint) and waits until the window's thread has applied them
    /// and handled the events that were pending then.
    void PostCheckpointAndWait(std::vector<TViewUpdate> &&updates);
    /// Worker: hands `updates` over (the last is AskStop) and waits for the user's answer.
    bool PostQuestionAndWait(std::vector<TViewUpdate> &&updates);
    /// Worker: the run ended (`failure` is what it threw, or null); the window's thread learns it from a
    /// queued call.
    void Finish(std::exception_ptr failure);

    /// Window: waits (blocked) until the run posted its first checkpoint (before its first file, or at its end)
    /// or ended without one.
    void WaitUntilShownOrFinished();
    /// Window: applies every update handed over so far, then shows them.
    void Deliver();
    /// Window: lets a worker waiting in PostCheckpointAndWait go on.
    void Release();
    /// Window: true once Finish was called.
    bool Finished();
    /// Window: what the run threw, or null.
    std::exception_ptr Failure();
    /// Window: called (on the window's thread) once the run has ended.
    void SetOnFinished(std::function<void()> onFinished) { m_onFinished = std::move(onFinished); }
    /// Window: the view is gone; later calls apply nothing.
    void Detach() { m_window = nullptr; }
    /// Window: true once the run's end (RunEnded) was delivered; the window then unlocks itself (EndRun) when it
    /// handles the run's end, after the last update.
    bool EndRunDue() const { return m_endRunDue; }
    /// Window: the window goes while the run goes on. The worker waits for nothing of the window's from now on:
    /// a stop question is answered Sim, checkpoints pass, and nothing more is handed to the window's thread.
    void Abandon();

private:
    void Apply(TViewUpdate &update);
    void InvokeDeliver();

    TWindowConversionView *m_window;
    QPointer<QObject> m_context;
    qvc::TResultStore &m_store;
    std::function<void()> m_onFinished;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<TViewUpdate> m_pending;
    bool m_deliverQueued = false;
    bool m_checkpointPosted = false;
    bool m_released = false;
    bool m_finished = false;
    bool m_abandoned = false;
    bool m_endRunDue = false; // the window's thread only
    std::optional<bool> m_answer;
    std::exception_ptr m_failure;
};

/// The run's observer on its worker thread: every event recorded and handed to the window's thread at most once
/// every kRelayIntervalMs, later updates of the same thing since the last event (a row started, a file's outcome)
/// taking the place of earlier ones.
class TRelayedConversionView : public qvc::TRunObserver
{
public:
    static constexpr std::chrono::milliseconds kRelayInterval { 16 };

    /// `rows` is the run's number of rows; `stopWanted` is set by the window's thread when the user asks to stop.
    TRelayedConversionView(int rows, std::shared_ptr<TRunRelay> relay, const std::atomic<bool> &stopWanted);

    void PairsDone(int done, int pairs) override;
    void RowPhase(int row, int phase, bool next) override;
    void RowPercent(int row, int percent) override;
    void RunBegan() override;
    void WorkStarted() override;
    void RowReset(int row) override;
    void RowsReset() override;
    void RowStarted(int row) override;
    void RowOutcome(qvc::TFileOutcome &outcome) override;
    void WorkCompleted() override;
    void RunEnded() override;
    bool StopWanted() override;
    bool StopMayBeWanted() override { return !m_firstFileAsked || m_stopWanted.load(); }

    /// Hands what is recorded over now.
    void PostNow();
    /// Hands what is recorded over and waits until the window has shown it and handled its pending events.
    void Checkpoint();

private:
    /// The same update recorded lately and since the last event, or null.
    TViewUpdate *Recorded(TViewUpdate::TKind kind, int row, int key);
    /// Records a state update, taking the place of the same update recorded lately since the last event.
    TViewUpdate &Coalesce(TViewUpdate::TKind kind, int row, int key);
    /// Records an event: updates recorded before it are never merged with ones after it.
    TViewUpdate &Event(TViewUpdate::TKind kind);
    void PostIfDue();

    std::shared_ptr<TRunRelay> m_relay;
    const std::atomic<bool> &m_stopWanted;
    std::vector<int> m_images;
    bool m_firstFileAsked = false;
    std::vector<TViewUpdate> m_batch;
    std::size_t m_sinceEvent = 0; // index in m_batch of the first update after the last event
    std::chrono::steady_clock::time_point m_lastPost;
};
