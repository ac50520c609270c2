#pragma once
// The window as a conversion run sees it: the file list page's rows, cells, images and progress, the options of the
// settings page, the run's scope as the strip names it, and the run lock.
#include "engine/ConversionRun.h"
#include "filelist/FileList.h"
#include "results/RunSummary.h"

#include "ui/RunLock.h"

#include <QElapsedTimer>
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

class TWindowConversionView : public qvc::TConversionView
{
public:
    /// `scope` is the run's, as the runner read it from the settings page at the start. `rows` are the list
    /// positions the run converts, in list order; empty for every row.
    TWindowConversionView(qvc::TFileListPage &files, const qvc::TSettingsPage &settings, qvc::TRunLock &lock,
        qvc::TConversionRunner &runner, qvc::TScope scope, std::vector<int> rows = {});

    void SetProgress(int position, int minimum, int maximum) override;
    void AdvanceRowImage(int row, int index, bool advance) override;
    void ResetRow(int row) override;
    void SetRowPercent(int row, int percent) override;
    void SetRowOutcome(int row, long long count, long double seconds) override;
    void SelectRow(int row) override;
    void ClearSelection() override;
    void ShowProgressMessage(bool show) override;
    void ShowReadyImage(bool ready) override;
    void EnableSaveResult(bool enabled) override;
    void BeginRun() override;
    void EndRun() override;
    bool StopRequested() override;
    void FileConverted(int row, const qvc::TPassReport &report, const qvc::TConversionResult &result) override;

    int RowCount() const override;
    std::string RowFileName(int row) const override;
    std::size_t RowNumber(int row) const override;
    bool BackupChecked() const override;
    bool SimulateChecked() const override;
    bool WantsChangedLines() const override { return true; }

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
    void FlushIfDue();

    qvc::TFileListPage &m_files;
    const qvc::TSettingsPage &m_settings;
    qvc::TRunLock &m_lock;
    qvc::TConversionRunner &m_runner;
    qvc::TScope m_scope;
    std::optional<qvc::TRunLock::THold> m_hold; // from BeginRun to EndRun, or until the run unwinds
    // Rows, selection and progress bar reach the screen at most once per frame (kFlushIntervalMs) and at
    // the end of the run.
    QElapsedTimer m_sinceFlush;
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
        RowOutcome, ///< Row, Count, Seconds
        SelectRow,
        ClearSelection,
        ProgressMessage, ///< A shown
        ReadyImage, ///< A ready
        SaveResult, ///< A enabled
        BeginRun,
        EndRun,
        FileConverted, ///< Row, File
        Checkpoint, ///< the run waits until the window has applied what came before and handled its events
        AskStop, ///< the stop question, answered through TRunRelay::Answer
    };
    /// What the window's side keeps of a converted file: the report without the pass's texts, the result and
    /// the details for the window's result store.
    struct TConvertedFile
    {
        std::size_t Number = 0;
        qvc::TPassReport Report;
        qvc::TConversionResult Result;
    };

    TKind Kind = TKind::Progress;
    int Row = 0;
    int Key = 0; ///< with Kind and Row, what a later update of the same thing replaces
    int A = 0;
    int B = 0;
    int C = 0;
    long long Count = 0;
    long double Seconds = 0;
    std::shared_ptr<TConvertedFile> File;
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
    std::optional<bool> m_answer;
    std::exception_ptr m_failure;
};

/// The window as the run sees it on its worker thread: the rows' names and numbers and the two options copied
/// from the window's view at the start (the run lock keeps them fixed meanwhile), every update recorded and
/// handed to the window's thread at most once every kRelayIntervalMs, later updates of the same thing since
/// the last event (a row selected, a file converted) taking the place of earlier ones.
class TRelayedConversionView : public qvc::TConversionView
{
public:
    static constexpr std::chrono::milliseconds kRelayInterval { 16 };

    /// Copies what the run reads from `window`; `stopWanted` is set by the window's thread when the user asks to
    /// stop.
    TRelayedConversionView(
        const TWindowConversionView &window, std::shared_ptr<TRunRelay> relay, const std::atomic<bool> &stopWanted);

    void SetProgress(int position, int minimum, int maximum) override;
    void AdvanceRowImage(int row, int index, bool advance) override;
    void ResetRow(int row) override;
    void SetRowPercent(int row, int percent) override;
    void SetRowOutcome(int row, long long count, long double seconds) override;
    void SelectRow(int row) override;
    void ClearSelection() override;
    void ShowProgressMessage(bool show) override;
    void ShowReadyImage(bool ready) override;
    void EnableSaveResult(bool enabled) override;
    void BeginRun() override;
    void EndRun() override;
    bool StopRequested() override;
    bool StopMayBeRequested() override { return !m_firstFileAsked || m_stopWanted.load(); }
    void FileConverted(int row, const qvc::TPassReport &report, const qvc::TConversionResult &result) override;

    int RowCount() const override { return int(m_fileNames.size()); }
    std::string RowFileName(int row) const override { return m_fileNames.at(std::size_t(row)); }
    std::size_t RowNumber(int row) const override { return m_numbers.at(std::size_t(row)); }
    bool BackupChecked() const override { return m_backup; }
    bool SimulateChecked() const override { return m_simulate; }
    bool WantsChangedLines() const override { return true; }

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
    std::vector<std::string> m_fileNames;
    std::vector<std::size_t> m_numbers;
    std::vector<int> m_images;
    bool m_backup = false;
    bool m_simulate = false;
    bool m_firstFileAsked = false;
    std::vector<TViewUpdate> m_batch;
    std::size_t m_sinceEvent = 0; // index in m_batch of the first update after the last event
    std::chrono::steady_clock::time_point m_lastPost;
};
