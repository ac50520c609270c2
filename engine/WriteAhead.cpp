#include "engine/WriteAhead.h"

#include "common/Errors.h"
#include "common/FileIO.h"
#include "engine/BackupStep.h"
#include "engine/RunJournal.h"
#include "engine/WriteStep.h"

#include <exception>
#include <sys/stat.h>
#include <system_error>
#include <unordered_set>
#include <utility>
#include <vector>

namespace qvc {

namespace {

// What the pass asked of the window for a row read ahead, held until the row is published and then
// replayed in the same order, so that the window shows what a run of one file after the other shows.
class TRecordedServices final : public TWindowServices
{
public:
    void SetProgress(int position, int minimum, int maximum) override
    {
        m_calls.push_back({ TKind::Progress, position, minimum, maximum, 0 });
    }
    void AdvanceRowImage(int row, int index, bool advance) override
    {
        m_calls.push_back({ TKind::Image, row, index, advance ? 1 : 0, 0 });
    }
    void ResetRow(int row) override { m_calls.push_back({ TKind::Reset, row, 0, 0, 0 }); }
    void SetRowPercent(int row, int percent) override { m_calls.push_back({ TKind::Percent, row, percent, 0, 0 }); }
    void SetRowOutcome(int row, long long count, long double seconds) override
    {
        m_calls.push_back({ TKind::Outcome, row, 0, 0, count, seconds });
    }
    void SelectRow(int row) override { m_calls.push_back({ TKind::Select, row, 0, 0, 0 }); }
    void ClearSelection() override { m_calls.push_back({ TKind::ClearSelection, 0, 0, 0, 0 }); }
    void ShowProgressMessage(bool show) override { m_calls.push_back({ TKind::Message, show ? 1 : 0, 0, 0, 0 }); }
    void ShowReadyImage(bool ready) override { m_calls.push_back({ TKind::Ready, ready ? 1 : 0, 0, 0, 0 }); }
    void EnableSaveResult(bool enabled) override { m_calls.push_back({ TKind::SaveResult, enabled ? 1 : 0, 0, 0, 0 }); }
    // A row read ahead is never the start or the end of a run.
    void BeginRun() override { }
    void EndRun() override { }

    /// Makes every call held on `view`, in order, and forgets them.
    void ReplayTo(TWindowServices &view)
    {
        for (const TCall &call : m_calls) {
            switch (call.Kind) {
            case TKind::Progress:
                view.SetProgress(call.A, call.B, call.C);
                break;
            case TKind::Image:
                view.AdvanceRowImage(call.A, call.B, call.C != 0);
                break;
            case TKind::Reset:
                view.ResetRow(call.A);
                break;
            case TKind::Percent:
                view.SetRowPercent(call.A, call.B);
                break;
            case TKind::Outcome:
                view.SetRowOutcome(call.A, call.Count, call.Seconds);
                break;
            case TKind::Select:
                view.SelectRow(call.A);
                break;
            case TKind::ClearSelection:
                view.ClearSelection();
                break;
            case TKind::Message:
                view.ShowProgressMessage(call.A != 0);
                break;
            case TKind::Ready:
                view.ShowReadyImage(call.A != 0);
                break;
            case TKind::SaveResult:
                view.EnableSaveResult(call.A != 0);
                break;
            }
        }
        m_calls.clear();
    }

private:
    enum class TKind { Progress, Image, Reset, Percent, Outcome, Select, ClearSelection, Message, Ready, SaveResult };
    struct TCall
    {
        TKind Kind;
        int A;
        int B;
        int C;
        long long Count;
        long double Seconds = 0;
    };
    std::vector<TCall> m_calls;
};

bool SameFile(const TFileStamp &a, const TFileStamp &b)
{
    return a.Exists && b.Exists && a.Device == b.Device && a.Inode == b.Inode;
}

// Whether the name itself is a symbolic link.
bool IsLink(const std::string &path)
{
    struct stat st
    {
    };
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

} // namespace

struct TWriteAhead::TRow
{
    int Row = -1;
    std::string FileName;
    TPassOptions Options;
    TRecordedServices Calls; // what the pass asked of the view, while earlier rows awaited publication
    TConversionResult Results;
    TPassReport Report;
    TConvertedAhead Ahead;
    int Count = 0;
    // The new file a writer thread prepares, and that thread's job.
    TFileReplacement Replacement;
    std::shared_ptr<TWriterJob> Job;
    // Decided when the row's batch is published.
    TWritePlan Plan;
    std::exception_ptr ChangedMeanwhile;
};

TWriteAhead::TWriteAhead(
    TSubstitutionPass &pass, TConversionView &view, TResultStore &store, std::size_t writers, bool parallel)
    : m_pass(pass)
    , m_view(view)
    , m_store(store)
    , m_writers(writers)
    , m_parallel(parallel)
{
}

TWriteAhead::~TWriteAhead()
{
    // The new files of rows not published go, once no writer thread works on them any more.
    for (const auto &row : m_rows)
        if (row->Job)
            row->Job->WaitQuietly();
    m_rows.clear();
}

bool TWriteAhead::WaitsForEarlierRows(const std::string &fileName) const
{
    bool writes = false;
    for (const auto &row : m_rows)
        writes = writes || row->Ahead.Writing != TConvertedAhead::TWriting::None;
    if (!writes)
        return false;
    // A backup name, or a link that may lead to one, is made or moved by the rows before: read after them.
    if (fileName.find('~') != std::string::npos || IsLink(fileName))
        return true;
    // A file a row before writes (under this name or another) is read once that row is published.
    const TFileStamp stamp = StampOf(fileName);
    for (const auto &row : m_rows)
        if (row->Ahead.Writing != TConvertedAhead::TWriting::None
            && (row->FileName == fileName || SameFile(row->Ahead.Request.ReadStamp, stamp)))
            return true;
    return false;
}

void TWriteAhead::Convert(int row, const TPassOptions &options)
{
    const std::string fileName = m_view.RowFileName(row);
    if (!m_parallel || options.Simulate || options.KeepTexts) {
        Flush();
        m_scratch.Clear();
        m_view.SelectRow(row);
        const int count = m_pass.ConvertFile(row, fileName, options, m_scratch, m_view, m_report);
        Complete(row, count, m_report, m_scratch);
        return;
    }
    if (WaitsForEarlierRows(fileName))
        Flush();
    auto ahead = std::make_unique<TRow>();
    TRow &current = *ahead;
    current.Row = row;
    current.FileName = fileName;
    current.Options = options;
    // The view sees the rows in row order: a row converted while earlier rows await publication keeps what
    // it shows until its turn comes.
    TWindowServices &shown = m_rows.empty() ? static_cast<TWindowServices &>(m_view) : current.Calls;
    shown.SelectRow(row);
    current.Count = m_pass.ConvertAhead(row, fileName, options, current.Results, shown, current.Report, current.Ahead);
    if (current.Ahead.Writing == TConvertedAhead::TWriting::InOrder) {
        // Renames, removes or makes names: written once every row before is published, as ConvertFile does.
        Flush();
        current.Calls.ReplayTo(m_view);
        if (current.Ahead.ReadStep && m_pass.Journal() != nullptr)
            m_pass.Journal()->Record(*current.Ahead.ReadStep);
        current.Count
            = m_pass.FinishInOrder(row, fileName, options, current.Ahead, current.Results, m_view, current.Report);
        Complete(row, current.Count, current.Report, current.Results);
        return;
    }
    m_rows.push_back(std::move(ahead));
    if (current.Ahead.Writing == TConvertedAhead::TWriting::OverTheFileRead) {
        if (!m_pool) {
            try {
                m_pool = std::make_unique<TWriterPool>(m_writers);
            } catch (const std::system_error &) {
                // No thread to be had: this file is written when it is published, and the next ones in turn.
                m_parallel = false;
            }
        }
        if (m_pool) {
            TRow *prepared = &current;
            current.Job = m_pool->Submit([prepared] {
                prepared->Replacement.Prepare(
                    prepared->FileName, prepared->Ahead.Text, &prepared->Ahead.Request.ReadStamp);
            });
        }
    }
    // A batch is published while the writers prepare the next one.
    if (m_rows.size() >= 2 * kBatchRows)
        PublishBatch(kBatchRows);
}

void TWriteAhead::Flush()
{
    while (!m_rows.empty())
        PublishBatch(kBatchRows);
}

void TWriteAhead::PublishBatch(std::size_t rows)
{
    using TWriting = TConvertedAhead::TWriting;
    rows = std::min(rows, m_rows.size());
    TRunJournal *journal = m_pass.Journal();
    // First every row's plan and checks, as ExecuteWritePlan makes them. A row whose names another row of the
    // batch touches starts the next batch; the first row whose checks fail ends the run once the rows before
    // it are published.
    std::unordered_set<std::string> names;
    std::size_t failedAt = rows;
    std::exception_ptr failure;
    for (std::size_t k = 0; k < rows; ++k) {
        TRow &row = *m_rows[k];
        if (row.Ahead.Writing != TWriting::OverTheFileRead)
            continue;
        try {
            row.Plan = PlanConvertedFile(row.Ahead.Request, TFileView());
        } catch (...) {
            failure = std::current_exception();
            failedAt = k;
            rows = k + 1;
            break;
        }
        std::vector<std::string> touched { row.Plan.WrittenName, row.FileName };
        for (const TPlannedBackup &backup : row.Plan.Backups) {
            touched.push_back(backup.Name);
            if (!backup.OlderMovedTo.empty())
                touched.push_back(backup.OlderMovedTo);
        }
        bool shared = !ReplacesOnlyTheFileRead(row.Plan);
        for (const std::string &name : touched)
            shared = shared || names.contains(name);
        if (shared && k > 0) {
            rows = k;
            break;
        }
        names.insert(touched.begin(), touched.end());
        try {
            CheckWritePlan(row.Ahead.Request, row.Plan);
        } catch (const TChangedMeanwhile &) {
            row.ChangedMeanwhile = std::current_exception();
        } catch (...) {
            failure = std::current_exception();
            failedAt = k;
            rows = k + 1;
            break;
        }
    }
    // The batch's journal lines, each row's read and then its steps, in row order as when each file is written
    // before the next is read; made durable once before any of the batch's steps.
    bool journaled = false;
    for (std::size_t k = 0; k < rows && journal != nullptr; ++k) {
        TRow &row = *m_rows[k];
        if (row.Ahead.ReadStep)
            journal->Record(*row.Ahead.ReadStep);
        if (k == failedAt || row.Ahead.Writing != TWriting::OverTheFileRead || row.ChangedMeanwhile
            || !ReplacesOnlyTheFileRead(row.Plan))
            continue;
        JournalWritePlan(row.Ahead.Request, row.Plan, row.Ahead.Text, journal, row.Row, &row.Ahead.ReadSum);
        journaled = true;
    }
    if (journal != nullptr && journaled)
        journal->Sync();
    // Then each row in order: what the pass showed of it, its steps, its outcome. The rows after a failure
    // never reach the view.
    for (std::size_t k = 0; k < rows; ++k) {
        TRow &row = *m_rows.front();
        row.Calls.ReplayTo(m_view);
        if (k == failedAt)
            std::rethrow_exception(failure);
        if (row.Ahead.Writing == TWriting::OverTheFileRead) {
            if (row.Job)
                row.Job->WaitQuietly();
            try {
                if (row.ChangedMeanwhile)
                    std::rethrow_exception(row.ChangedMeanwhile);
                if (!ReplacesOnlyTheFileRead(row.Plan)) {
                    // Not what was prepared (the file system changed since the row was read): written in full here.
                    row.Replacement.Discard();
                    const TWriteOutcome outcome = ExecuteWritePlan(row.Ahead.Request, row.Plan, row.Ahead.Text,
                        m_pass.ChangedFolders(), journal, row.Row, &row.Ahead.ReadSum);
                    row.Report.WrittenName = outcome.WrittenName;
                    row.Report.BackupName = outcome.BackupName;
                } else {
                    if (row.Job)
                        row.Job->Wait();
                    else
                        row.Replacement.Prepare(row.FileName, row.Ahead.Text, &row.Ahead.Request.ReadStamp);
                    const TWriteOutcome outcome = CommitPreparedWrite(
                        row.Plan, row.Replacement,
                        [&row] { row.Replacement.Prepare(row.FileName, row.Ahead.Text, &row.Ahead.Request.ReadStamp); },
                        m_pass.ChangedFolders(), journal, row.Row);
                    row.Report.WrittenName = outcome.WrittenName;
                    row.Report.BackupName = outcome.BackupName;
                }
                row.Report.Plan = row.Plan;
            } catch (const TChangedMeanwhile &error) {
                row.Count = TSubstitutionPass::FailChangedMeanwhile(row.Row, error, row.Results, m_view, row.Report);
            }
            // The text is not needed any more.
            std::string().swap(row.Ahead.Text);
        }
        Complete(row.Row, row.Count, row.Report, row.Results);
        m_rows.pop_front();
    }
}

void TWriteAhead::Complete(int row, int count, TPassReport &report, const TConversionResult &results)
{
    m_view.SetRowOutcome(row, count, report.Seconds);
    if (count > 0) {
        m_view.EnableSaveResult(true);
        m_store.Replace(m_view.RowNumber(row), results);
    }
    m_view.FileConverted(row, report, results);
    StoreRowDetails(m_store, m_view.RowNumber(row), report);
}

} // namespace qvc
