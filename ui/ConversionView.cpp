#include "ui/ConversionView.h"

#include "ui/ConversionRunner.h"
#include "ui/FileListModel.h"
#include "ui/FileListPage.h"
#include "ui/SettingsPage.h"
#include "ui/TextBridge.h"

#include <QTimer>
#include <algorithm>
#include <utility>
#include <vector>

using namespace qvc;

TWindowConversionView::TWindowConversionView(TFileListPage &files, const TSettingsPage &settings, TRunLock &lock,
    TConversionRunner &runner, TScope scope, std::vector<int> rows)
    : m_files(files)
    , m_settings(settings)
    , m_lock(lock)
    , m_runner(runner)
    , m_scope(scope)
    , m_rows(std::move(rows))
{
}

int TWindowConversionView::ListRow(int row) const
{
    return m_rows.empty() ? row : m_rows.at(std::size_t(row));
}

TFileRow &TWindowConversionView::Row(int row)
{
    return m_files.Model().List().Row(std::size_t(ListRow(row)));
}

void TWindowConversionView::SetProgress(int position, int minimum, int maximum)
{
    if (minimum != -1)
        m_progressMinimum = minimum;
    if (maximum != -1)
        m_progressMaximum = maximum;
    m_progressPosition = position;
    m_progressDirty = true;
}

void TWindowConversionView::SetRowImage(int row, int index)
{
    Row(row).StateImage = index;
    MarkRow(row);
}

void TWindowConversionView::ResetRow(int row)
{
    Row(row).Forget();
    MarkRow(row);
}

void TWindowConversionView::SetRowPercent(int row, int percent)
{
    Row(row).Percent = percent;
    MarkRow(row);
}

void TWindowConversionView::ShowOutcome(TFileOutcome &outcome, TResultStore &store)
{
    const int row = outcome.Row;
    const TPassReport &report = outcome.Report;
    TFileRow &r = Row(row);
    r.Count = report.Count;
    r.Seconds = report.Seconds;
    // A reason belongs to the count -1 it explains.
    r.FailureReason = report.Count < 0 ? report.FailureReason : TMessage();
    MarkRow(row);
    if (report.Count > 0)
        m_files.EnableSaveResult(true);
    m_currentDone = true;
    m_summary.Add(report);
    if (!report.WrittenName.empty() && !m_settings.SimulateChecked())
        ++m_written;
    // A row whose run replaces a file it did not read (a form of the other extension, a unit of the new
    // name) is marked, simulated or not, so the porter sees it before anything is lost.
    if (!report.Plan.Overwrites.empty()) {
        QStringList files;
        for (const auto &file : report.Plan.Overwrites)
            files << PathToQ(file);
        m_files.Model().SetRowWarning(r.Number,
            QStringLiteral("Esta conversão sobrescreve um arquivo que não leu: %1")
                .arg(files.join(QStringLiteral(", "))));
    }
    StoreOutcome(store, outcome);
}

void TWindowConversionView::SelectRow(int row)
{
    // The run selects each row as it starts on its file.
    m_current = row;
    m_currentDone = false;
    m_pendingSelection.push_back(ListRow(row));
    // Shown with the next flush: a text changed for every file would repaint the window for every file.
    m_pendingFileNumber = row + 1;
}

void TWindowConversionView::ApplyPendingSelection()
{
    if (m_pendingSelection.empty())
        return;
    m_files.SelectRunRows(m_pendingSelection);
    m_pendingSelection.clear();
}

void TWindowConversionView::ClearSelection()
{
    m_pendingSelection.clear();
    m_files.ClearRowSelection();
}

void TWindowConversionView::ShowWorkStarted()
{
    m_files.ShowReadyImage(false);
    m_files.ShowProgressMessage(true);
    SetProgress(0, -1, -1);
}

void TWindowConversionView::ShowWorkCompleted()
{
    SetProgress(0, -1, -1);
    // The file count goes with the message.
    m_pendingFileNumber = 0;
    m_files.ShowProgressMessage(false);
    m_files.ShowReadyImage(true);
}

void TWindowConversionView::BeginRun()
{
    m_summary.Simulated = m_settings.SimulateChecked();
    // The rows this run converts lose what an earlier run found; the others keep it.
    if (m_rows.empty())
        m_files.Model().ClearWarnings();
    else
        for (const int row : m_rows)
            m_files.Model().ClearWarning(m_files.Model().List().Rows().at(std::size_t(row)).Number);
    // From here on the rows show this run's results, whose scope the strip names.
    m_files.ShowRunScope(m_scope);
    m_hold.emplace(m_lock);
}

void TWindowConversionView::MarkWriteFailure(const TMessage &reason)
{
    if (m_current < 0 || m_currentDone)
        return;
    Row(m_current).FailureReason = reason;
    m_currentDone = true;
    m_summary.AddWriteFailure();
    MarkRow(m_current);
    Flush();
}

void TWindowConversionView::EndRun()
{
    Flush();
    m_hold.reset();
}

bool TWindowConversionView::StopRequested()
{
    if (!m_runner.StopPending())
        return false;
    // The user sees every row done so far while deciding.
    Flush();
    return m_runner.AskStop();
}

int TWindowConversionView::RowCount() const
{
    return m_rows.empty() ? int(m_files.Model().List().RowCount()) : int(m_rows.size());
}

TRunRequest TWindowConversionView::Request(std::vector<std::string> lines, TRenameMode renameMode) const
{
    TRunRequest request;
    const int rows = RowCount();
    request.Files.reserve(std::size_t(rows));
    for (int row = 0; row < rows; ++row) {
        const TFileRow &r = m_files.Model().List().Rows().at(std::size_t(ListRow(row)));
        request.Files.push_back({ r.FileName, r.Number });
    }
    request.RepositoryLines = std::move(lines);
    request.RenameMode = renameMode;
    request.Scope = m_scope;
    request.Backup = m_settings.BackupChecked();
    request.Simulate = m_settings.SimulateChecked();
    request.KeepChangedLines = true;
    return request;
}

void TWindowConversionView::MarkRow(int row)
{
    row = ListRow(row);
    m_dirtyFirst = m_dirtyFirst < 0 ? row : std::min(m_dirtyFirst, row);
    m_dirtyLast = std::max(m_dirtyLast, row);
}

void TWindowConversionView::Flush()
{
    ApplyPendingSelection();
    if (m_pendingFileNumber > 0) {
        m_files.ShowRunFileCount(m_pendingFileNumber, RowCount());
        m_pendingFileNumber = 0;
    }
    if (m_dirtyFirst >= 0) {
        m_files.Model().RowsChanged(m_dirtyFirst, m_dirtyLast);
        m_dirtyFirst = m_dirtyLast = -1;
    }
    if (m_progressDirty) {
        m_files.SetProgress(m_progressPosition, m_progressMinimum, m_progressMaximum);
        m_progressDirty = false;
    }
}

TRunRelay::TRunRelay(TWindowConversionView &window, QObject *context, TResultStore &store)
    : m_window(&window)
    , m_context(context)
    , m_store(store)
{
}

void TRunRelay::InvokeDeliver()
{
    // Called with m_mutex held; one queued call takes whatever has been handed over by the time it runs.
    if (m_deliverQueued || m_abandoned || m_context == nullptr)
        return;
    m_deliverQueued = true;
    QMetaObject::invokeMethod(
        m_context, [relay = shared_from_this()] { relay->Deliver(); }, Qt::QueuedConnection);
}

void TRunRelay::Post(std::vector<TViewUpdate> &&updates)
{
    const std::lock_guard lock(m_mutex);
    if (m_pending.empty())
        m_pending = std::move(updates);
    else
        std::move(updates.begin(), updates.end(), std::back_inserter(m_pending));
    InvokeDeliver();
}

void TRunRelay::PostCheckpointAndWait(std::vector<TViewUpdate> &&updates)
{
    std::unique_lock lock(m_mutex);
    m_released = false;
    std::move(updates.begin(), updates.end(), std::back_inserter(m_pending));
    // The first one the window's thread waits for in WaitUntilShownOrFinished; it applies it itself.
    if (!std::exchange(m_checkpointPosted, true))
        m_changed.notify_all();
    else
        InvokeDeliver();
    m_changed.wait(lock, [this] { return m_released || m_abandoned; });
}

bool TRunRelay::PostQuestionAndWait(std::vector<TViewUpdate> &&updates)
{
    std::unique_lock lock(m_mutex);
    std::move(updates.begin(), updates.end(), std::back_inserter(m_pending));
    m_answer.reset();
    InvokeDeliver();
    m_changed.wait(lock, [this] { return m_answer.has_value() || m_abandoned; });
    return m_abandoned || *m_answer;
}

void TRunRelay::Finish(std::exception_ptr failure)
{
    const std::lock_guard lock(m_mutex);
    m_failure = std::move(failure);
    m_finished = true;
    m_changed.notify_all();
    if (!m_abandoned && m_context != nullptr)
        QMetaObject::invokeMethod(
            m_context,
            [relay = shared_from_this()] {
                if (relay->m_onFinished)
                    relay->m_onFinished();
            },
            Qt::QueuedConnection);
}

void TRunRelay::WaitUntilShownOrFinished()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_checkpointPosted || m_finished; });
}

void TRunRelay::Abandon()
{
    m_window = nullptr;
    m_onFinished = nullptr;
    const std::lock_guard lock(m_mutex);
    m_abandoned = true;
    m_pending.clear();
    m_changed.notify_all();
}

void TRunRelay::Release()
{
    const std::lock_guard lock(m_mutex);
    m_released = true;
    m_changed.notify_all();
}

bool TRunRelay::Finished()
{
    const std::lock_guard lock(m_mutex);
    return m_finished;
}

std::exception_ptr TRunRelay::Failure()
{
    const std::lock_guard lock(m_mutex);
    return m_failure;
}

void TRunRelay::Deliver()
{
    std::vector<TViewUpdate> updates;
    {
        const std::lock_guard lock(m_mutex);
        updates.swap(m_pending);
        m_deliverQueued = false;
    }
    if (m_window == nullptr || updates.empty())
        return;
    for (TViewUpdate &update : updates) {
        // A stop question is a modal dialog: the window may have gone meanwhile.
        if (m_window == nullptr)
            return;
        Apply(update);
    }
    if (m_window != nullptr)
        m_window->Flush();
}

void TRunRelay::Apply(TViewUpdate &update)
{
    using TKind = TViewUpdate::TKind;
    TWindowConversionView &window = *m_window;
    switch (update.Kind) {
    case TKind::Progress:
        window.SetProgress(update.A, update.B, update.C);
        break;
    case TKind::RowImage:
        window.SetRowImage(update.Row, update.A);
        break;
    case TKind::RowReset:
        window.ResetRow(update.Row);
        break;
    case TKind::RowPercent:
        window.SetRowPercent(update.Row, update.A);
        break;
    case TKind::SelectRow:
        window.SelectRow(update.Row);
        break;
    case TKind::ClearSelection:
        window.ClearSelection();
        break;
    case TKind::WorkStarted:
        window.ShowWorkStarted();
        break;
    case TKind::WorkCompleted:
        window.ShowWorkCompleted();
        break;
    case TKind::BeginRun:
        window.BeginRun();
        break;
    case TKind::EndRun:
        // Unlocked where the run's end is handled, so that nothing comes between the unlocking and what the
        // window says about the run.
        window.Flush();
        m_endRunDue = true;
        break;
    case TKind::Outcome:
        window.ShowOutcome(*update.Outcome, m_store);
        break;
    case TKind::Checkpoint:
        // After the events pending now (a zero timer fires after those due before it).
        QTimer::singleShot(0, m_context, [relay = shared_from_this()] { relay->Release(); });
        break;
    case TKind::AskStop: {
        const bool stop = window.StopRequested();
        const std::lock_guard lock(m_mutex);
        m_answer = stop;
        m_changed.notify_all();
        break;
    }
    }
}

TRelayedConversionView::TRelayedConversionView(
    int rows, std::shared_ptr<TRunRelay> relay, const std::atomic<bool> &stopWanted)
    : m_relay(std::move(relay))
    , m_stopWanted(stopWanted)
    , m_images(std::size_t(std::max(rows, 0)), kImageUnchanged)
    , m_lastPost(std::chrono::steady_clock::now())
{
}

TViewUpdate *TRelayedConversionView::Recorded(TViewUpdate::TKind kind, int row, int key)
{
    // Only the last few updates are looked at: those of the file being converted (its progress, image and
    // status), without going over every row the run's start reset.
    constexpr std::size_t kLookBack = 8;
    const std::size_t first = std::max(m_sinceEvent, m_batch.size() > kLookBack ? m_batch.size() - kLookBack : 0);
    for (std::size_t i = m_batch.size(); i > first; --i) {
        TViewUpdate &update = m_batch[i - 1];
        if (update.Kind == kind && update.Row == row && update.Key == key)
            return &update;
    }
    return nullptr;
}

TViewUpdate &TRelayedConversionView::Coalesce(TViewUpdate::TKind kind, int row, int key)
{
    if (TViewUpdate *update = Recorded(kind, row, key))
        return *update;
    TViewUpdate &update = m_batch.emplace_back();
    update.Kind = kind;
    update.Row = row;
    update.Key = key;
    return update;
}

TViewUpdate &TRelayedConversionView::Event(TViewUpdate::TKind kind)
{
    TViewUpdate &update = m_batch.emplace_back();
    update.Kind = kind;
    m_sinceEvent = m_batch.size();
    return update;
}

void TRelayedConversionView::PostIfDue()
{
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastPost < kRelayInterval)
        return;
    m_lastPost = now;
    PostNow();
}

void TRelayedConversionView::PostNow()
{
    if (m_batch.empty())
        return;
    m_relay->Post(std::exchange(m_batch, {}));
    m_sinceEvent = 0;
}

void TRelayedConversionView::PairsDone(int done, int pairs)
{
    const bool merged = Recorded(TViewUpdate::TKind::Progress, 0, 0) != nullptr;
    TViewUpdate &update = Coalesce(TViewUpdate::TKind::Progress, 0, 0);
    // The bar runs from 0 to the number of pairs when a file starts. Merged into an earlier update, bounds
    // left as they are keep the ones that update set.
    if (!merged || pairs != -1) {
        update.B = pairs == -1 ? -1 : 0;
        update.C = pairs;
    }
    update.A = done;
    PostIfDue();
}

void TRelayedConversionView::RowPhase(int row, int phase, bool next)
{
    int &image = m_images.at(std::size_t(row));
    image = next ? NextWorkingPhase(image) : phase;
    Coalesce(TViewUpdate::TKind::RowImage, row, 0).A = image;
    PostIfDue();
}

void TRelayedConversionView::RowReset(int row)
{
    m_images.at(std::size_t(row)) = kImageUnchanged;
    TViewUpdate &update = m_batch.emplace_back();
    update.Kind = TViewUpdate::TKind::RowReset;
    update.Row = row;
}

void TRelayedConversionView::RowPercent(int row, int percent)
{
    Coalesce(TViewUpdate::TKind::RowPercent, row, 0).A = percent;
    PostIfDue();
}

void TRelayedConversionView::RowStarted(int row)
{
    Event(TViewUpdate::TKind::SelectRow).Row = row;
}

void TRelayedConversionView::RowsReset()
{
    Event(TViewUpdate::TKind::ClearSelection);
}

void TRelayedConversionView::WorkStarted()
{
    Event(TViewUpdate::TKind::WorkStarted);
}

void TRelayedConversionView::WorkCompleted()
{
    Event(TViewUpdate::TKind::WorkCompleted);
}

void TRelayedConversionView::RunBegan()
{
    // Applied with the first checkpoint, which the window waits for before it handles any other event: what
    // the user does from then on is handled under the lock.
    Event(TViewUpdate::TKind::BeginRun);
}

void TRelayedConversionView::Checkpoint()
{
    Event(TViewUpdate::TKind::Checkpoint);
    m_relay->PostCheckpointAndWait(std::exchange(m_batch, {}));
    m_sinceEvent = 0;
    m_lastPost = std::chrono::steady_clock::now();
}

void TRelayedConversionView::RunEnded()
{
    // Every row's result is on the screen, and what the user did meanwhile handled under the lock, before the
    // window is unlocked.
    Checkpoint();
    Event(TViewUpdate::TKind::EndRun);
    PostNow();
}

bool TRelayedConversionView::StopWanted()
{
    // The first file waits until the window shows the run's start and has handled the events pending then. A
    // stop asked for meanwhile is put to the user after the first file, as one asked for during it.
    if (!std::exchange(m_firstFileAsked, true)) {
        Checkpoint();
        return false;
    }
    if (!m_stopWanted.load())
        return false;
    Event(TViewUpdate::TKind::AskStop);
    const bool stop = m_relay->PostQuestionAndWait(std::exchange(m_batch, {}));
    m_sinceEvent = 0;
    m_lastPost = std::chrono::steady_clock::now();
    return stop;
}

void TRelayedConversionView::RowOutcome(TFileOutcome &outcome)
{
    auto kept = std::make_shared<TFileOutcome>();
    kept->Row = outcome.Row;
    kept->Number = outcome.Number;
    kept->Report = std::move(outcome.Report);
    // The texts view the pass's buffers, which the next file reuses; the window keeps none.
    kept->Report.ReadBytes = {};
    kept->Report.ConvertedText = {};
    if (kept->Report.Count > 0)
        kept->Result = outcome.Result;
    TViewUpdate &update = Event(TViewUpdate::TKind::Outcome);
    update.Row = outcome.Row;
    update.Outcome = std::move(kept);
    PostIfDue();
}
