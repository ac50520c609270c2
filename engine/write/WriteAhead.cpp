#include "engine/write/WriteAhead.h"

#include "common/Errors.h"
#include "common/FileIO.h"
#include "engine/journal/RunJournal.h"
#include "engine/write/BackupStep.h"
#include "engine/write/WriteStep.h"

#include <exception>
#include <sys/stat.h>
#include <system_error>
#include <unordered_set>
#include <utility>
#include <vector>

namespace qvc {

namespace {

// What the pass told of a row read ahead, held until the row is published and then told again in the same
// order, so that the observer learns what a run of one file after the other tells.
class TRecordedProgress final : public TFileProgress
{
public:
    void Started(int row) { m_calls.push_back({ TKind::Started, row, 0, 0 }); }
    void PairsDone(int done, int pairs) override { m_calls.push_back({ TKind::Pairs, done, pairs, 0 }); }
    void RowPhase(int row, int phase, bool next) override
    {
        m_calls.push_back({ TKind::Phase, row, phase, next ? 1 : 0 });
    }
    void RowPercent(int row, int percent) override { m_calls.push_back({ TKind::Percent, row, percent, 0 }); }

    /// Tells `observer` every call held, in order, and forgets them.
    void ReplayTo(TRunObserver &observer)
    {
        for (const TCall &call : m_calls) {
            switch (call.Kind) {
            case TKind::Started:
                observer.RowStarted(call.A);
                break;
            case TKind::Pairs:
                observer.PairsDone(call.A, call.B);
                break;
            case TKind::Phase:
                observer.RowPhase(call.A, call.B, call.C != 0);
                break;
            case TKind::Percent:
                observer.RowPercent(call.A, call.B);
                break;
            }
        }
        m_calls.clear();
    }

private:
    enum class TKind { Started, Pairs, Phase, Percent };
    struct TCall
    {
        TKind Kind;
        int A;
        int B;
        int C;
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
    TRecordedProgress Calls; // what the pass told of the row while earlier rows awaited publication
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

TWriteAhead::TWriteAhead(TSubstitutionPass &pass, TRunObserver &observer, const std::vector<TRunFile> &files,
    std::size_t writers, bool parallel)
    : m_pass(pass)
    , m_observer(observer)
    , m_files(files)
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
    const std::string &fileName = m_files.at(static_cast<std::size_t>(row)).Name;
    if (!m_parallel || options.Simulate || options.KeepTexts) {
        Flush();
        m_scratch.Clear();
        m_observer.RowStarted(row);
        const int count = m_pass.ConvertFile(row, fileName, options, m_scratch, m_observer, m_report);
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
    // The observer learns of the rows in row order: what is told of a row converted while earlier rows await
    // publication is held until its turn comes.
    TFileProgress &shown = m_rows.empty() ? static_cast<TFileProgress &>(m_observer) : current.Calls;
    if (m_rows.empty())
        m_observer.RowStarted(row);
    else
        current.Calls.Started(row);
    current.Count = m_pass.ConvertAhead(row, fileName, options, current.Results, shown, current.Report, current.Ahead);
    if (current.Ahead.Writing == TConvertedAhead::TWriting::InOrder) {
        // Renames, removes or makes names: written once every row before is published, as ConvertFile does.
        Flush();
        current.Calls.ReplayTo(m_observer);
        if (current.Ahead.ReadStep && m_pass.Journal() != nullptr)
            m_pass.Journal()->Record(*current.Ahead.ReadStep);
        current.Count
            = m_pass.FinishInOrder(row, fileName, options, current.Ahead, current.Results, m_observer, current.Report);
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
            TChangedFolders *series = &m_pass.ChangedFolders();
            current.Job = m_pool->Submit([prepared, series] {
                prepared->Replacement.Prepare(
                    prepared->FileName, prepared->Ahead.Text, &prepared->Ahead.Request.ReadStamp, series);
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
    // are never told.
    for (std::size_t k = 0; k < rows; ++k) {
        TRow &row = *m_rows.front();
        row.Calls.ReplayTo(m_observer);
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
                        row.Replacement.Prepare(
                            row.FileName, row.Ahead.Text, &row.Ahead.Request.ReadStamp, &m_pass.ChangedFolders());
                    const TWriteOutcome outcome = CommitPreparedWrite(
                        row.Plan, row.Replacement,
                        [&row, this] {
                            row.Replacement.Prepare(
                                row.FileName, row.Ahead.Text, &row.Ahead.Request.ReadStamp, &m_pass.ChangedFolders());
                        },
                        m_pass.ChangedFolders(), journal, row.Row);
                    row.Report.WrittenName = outcome.WrittenName;
                    row.Report.BackupName = outcome.BackupName;
                }
                row.Report.Plan = row.Plan;
            } catch (const TChangedMeanwhile &error) {
                row.Count
                    = TSubstitutionPass::FailChangedMeanwhile(row.Row, error, row.Results, m_observer, row.Report);
            }
            // The text is not needed any more.
            std::string().swap(row.Ahead.Text);
        }
        Complete(row.Row, row.Count, row.Report, row.Results);
        m_rows.pop_front();
    }
}

void TWriteAhead::Complete(int row, int count, TPassReport &report, TConversionResult &results)
{
    TFileOutcome outcome;
    outcome.Row = row;
    outcome.Number = m_files.at(static_cast<std::size_t>(row)).Number;
    report.Count = count;
    outcome.Report = std::move(report);
    outcome.Result = std::move(results);
    m_observer.RowOutcome(outcome);
}

} // namespace qvc
