#include "engine/SubstitutionPass.h"

#include "common/AsciiCase.h"
#include "common/Backups.h"
#include "common/Errors.h"
#include "engine/FastTime.h"
#include "engine/RunJournal.h"
#include "engine/Separator.h"

#include <algorithm>
#include <sys/stat.h>

namespace qvc {

namespace {

void KeepTexts(TPassReport &report, std::string_view readBytes, std::string_view text, const std::string &name,
    bool readFileRemoved)
{
    report.ReadBytes.assign(readBytes);
    report.ConvertedText.assign(text);
    report.ConvertedName = name;
    report.ReadFileRemoved = readFileRemoved;
}

// A failed file reports no replacements, no misses and no changed lines.
void ForgetConversion(TPassReport &report, TConversionResult &results)
{
    results.Clear();
    report.Missed.clear();
    report.ChangedLines.clear();
    report.ChangedLineTotal = 0;
}

int ImageOf(int count)
{
    return count > 0 ? kImageChanged : count < 0 ? kImageFailed : kImageUnchanged;
}

// A file changed by another program since it was read fails like one that could not be read, and keeps
// the other program's text.
void FailChangedMeanwhile(
    int row, const TChangedMeanwhile &error, TPassReport &report, TConversionResult &results, TWindowServices &services)
{
    report.Count = -1;
    report.FailureReason = MessageOf(error);
    report.Plan = TWritePlan();
    KeepTexts(report, {}, {}, {}, false);
    ForgetConversion(report, results);
    services.AdvanceRowImage(row, kImageFailed, false);
}

// A batch of waiting writings is done once it holds this many files or bytes, or its first row waited this
// long: one sync of the disk then serves them all, and the rows come out in steady steps.
constexpr std::size_t kBatchFiles = 128;
constexpr std::size_t kBatchBytes = std::size_t(16) << 20;
constexpr auto kBatchWait = std::chrono::milliseconds(250);
// Rows held behind a waiting writing keep their reports: so many at most.
constexpr std::size_t kHeldRows = 1024;

} // namespace

TSubstitutionPass::TSubstitutionPass(const std::vector<std::string> &repositoryLines)
    : m_pairs(repositoryLines)
{
}

void TSubstitutionPass::ReleaseLargeBuffers()
{
    // The bytes of an unusually large file are not kept for the next one.
    constexpr std::size_t kKeptBuffer = std::size_t(4) << 20;
    m_read.Release();
    m_scan.Release();
    if (m_output.capacity() > kKeptBuffer)
        std::string().swap(m_output);
}

int TSubstitutionPass::ConvertFile(int row, const std::string &fileName, const TPassOptions &options,
    TConversionResult &results, TWindowServices &services, TPassReport &report)
{
    report = TPassReport();
    // A file that a waiting writing would change is read once that writing is done, as it would be without
    // the batch.
    if (!m_held.empty() && WaitingWriteChanges(fileName))
        ReleaseHeldRows(services);
    // The text the scan views lives in the read step's buffers until the file is written.
    struct TRelease
    {
        TSubstitutionPass &Pass;
        ~TRelease() { Pass.ReleaseLargeBuffers(); }
    } release { *this };
    TFileJob job { fileName, {}, {} };
    const int count = ReadAndApply(row, fileName, options, results, services, report, job);
    report.Count = count;
    services.AdvanceRowImage(row, ImageOf(count), false);
    int result = count;
    if (count > 0)
        result = WriteConverted(row, fileName, options, job, results, services, report);
    else if (count == 0 && job.TargetName != fileName
        && (report.Kind == TFileKind::TextForm || report.Kind == TFileKind::BinaryForm))
        WriteUntouchedForm(row, fileName, options, job.TargetName, results, report, services);
    // Behind a waiting writing every row waits for its turn to be shown.
    if (!m_held.empty() && !report.Held)
        Hold(row, report, results, {});
    if (!m_held.empty() && BatchFull())
        ReleaseHeldRows(services);
    return result;
}

std::optional<TSubstitutionPass::TNameKey> TSubstitutionPass::NameKeyOf(const std::string &path)
{
    struct stat folder
    {
    };
    if (::stat(FolderOf(path).c_str(), &folder) != 0)
        return std::nullopt;
    return TNameKey { folder.st_dev, folder.st_ino, AsciiLower(NamePart(path)) };
}

bool TSubstitutionPass::WaitingWriteChanges(const std::string &path) const
{
    // Besides the names they write, waiting writings make and move backups.
    if (IsBackupName(std::string(NamePart(path))))
        return true;
    const TFileStamp stamp = StampOf(path);
    const std::optional<TNameKey> key = NameKeyOf(path);
    return std::any_of(m_held.begin(), m_held.end(), [&](const THeldRow &held) {
        if (!held.Staged)
            return false;
        const bool sameFile = stamp.Exists && held.TargetStamp.Exists && held.TargetStamp.Device == stamp.Device
            && held.TargetStamp.Inode == stamp.Inode;
        return sameFile || (key && held.Target && *key == *held.Target);
    });
}

bool TSubstitutionPass::BatchFull() const
{
    return m_batch.Count() >= kBatchFiles || m_batchBytes >= kBatchBytes || m_held.size() >= kHeldRows
        || std::chrono::steady_clock::now() - m_batchStart >= kBatchWait;
}

void TSubstitutionPass::Hold(int row, TPassReport &report, TConversionResult &results, THeldRow &&writing)
{
    if (m_held.empty())
        m_batchStart = std::chrono::steady_clock::now();
    writing.Row = row;
    writing.Report = std::move(report);
    writing.Results = std::move(results);
    report = TPassReport();
    report.Held = true;
    report.Count = writing.Report.Count;
    report.Seconds = writing.Report.Seconds;
    results = TConversionResult();
    m_held.push_back(std::move(writing));
}

void TSubstitutionPass::ReleaseHeldRows(TWindowServices &services)
{
    if (m_held.empty())
        return;
    // Each plan is made against the files as the rows before leave them (a waiting writing changes only its
    // own name and that name's backups), and every step is journaled before the first is taken; then the new
    // files reach the disk together, before any of them gets its name.
    for (THeldRow &held : m_held) {
        if (!held.Staged)
            continue;
        held.Report.Plan = PlanConvertedFile(held.Request, TFileView());
        if (m_journal != nullptr)
            JournalStagedWrite(held.Request, held.Report.Plan, *m_journal, held.Row, held.ReadSum, held.Written);
    }
    // Every journal line of the batch is written by now and none of its steps taken: one sync of the journal
    // here puts them all on the disk ahead of the batch.
    m_batch.Sync();
    while (!m_held.empty()) {
        THeldRow &held = m_held.front();
        if (held.Staged) {
            try {
                const TWriteOutcome outcome = PublishStagedWrite(
                    held.Request, held.Report.Plan, m_batch, held.Index, m_changedFolders, m_journal, held.Row);
                held.Report.WrittenName = outcome.WrittenName;
                held.Report.BackupName = outcome.BackupName;
            } catch (const TChangedMeanwhile &error) {
                if (held.NewOnly) {
                    // Made by someone else meanwhile: theirs stays.
                    held.Report.Plan = TWritePlan();
                    KeepTexts(held.Report, {}, {}, {}, false);
                } else {
                    FailChangedMeanwhile(held.Row, error, held.Report, held.Results, services);
                }
            }
        }
        THeldRow released = std::move(held);
        m_held.pop_front();
        m_released(released.Row, released.Report, released.Results);
    }
    m_batch.Clear();
    m_batchBytes = 0;
}

std::vector<int> TSubstitutionPass::DropHeldRows()
{
    std::vector<int> rows;
    rows.reserve(m_held.size());
    for (const THeldRow &held : m_held)
        rows.push_back(held.Row);
    m_held.clear();
    m_batch.Clear();
    m_batchBytes = 0;
    return rows;
}

int TSubstitutionPass::ReadAndApply(int row, const std::string &fileName, const TPassOptions &options,
    TConversionResult &results, TWindowServices &services, TPassReport &report, TFileJob &job)
{
    TFastTimer untilFailure;
    untilFailure.Start();
    try {
        report.Kind = m_read.Read(fileName, options.Simulate ? &m_overlay : nullptr);
        if (m_journal != nullptr && !options.Simulate) {
            job.ReadSum = m_read.ReadSum();
            m_journal->Record({ TStepKind::Read, row, fileName, {}, {}, job.ReadSum, {} });
        }
        // Only a form file is written under another extension; the unit's new name may still change it.
        if (report.Kind != TFileKind::Text)
            job.TargetName = RenamedTarget(fileName, options.RenameMode);
        // The time measured is that of the pairs and the progress between them, not reading or writing.
        TFastTimer &timer = SharedTimer();
        timer.Start();
        services.SetProgress(0, 0, static_cast<int>(m_pairs.Count()));
        services.AdvanceRowImage(row, 0, false);
        const std::string *shown = nullptr;
        const int count = ApplyAllToText(m_read.Text(), job.TargetName, job.NewName, results, [&](std::size_t i) {
            services.SetProgress(static_cast<int>(i) + 1, -1, -1);
            const std::string &status = m_pairs.StatusAfter(i);
            if (shown == nullptr || status != *shown) {
                // The cell would get the same text again; only a change needs the window.
                shown = &status;
                services.SetRowCell(row, TRowCell::Status, status);
            }
            services.AdvanceRowImage(row, 0, true);
        });
        if (shown != nullptr)
            report.Status = *shown;
        timer.Stop();
        report.Seconds = timer.ElapsedSeconds();
        report.Missed = m_scan.MissedOccurrences();
        if (options.KeepChangedLines && count > 0)
            m_scan.CollectChangedLines(report.ChangedLines, report.ChangedLineTotal);
        return count;
    } catch (const std::exception &error) {
        // A file that cannot be read or converted fails alone: the run goes on with the next one.
        untilFailure.Stop();
        report.Seconds = untilFailure.ElapsedSeconds();
        report.FailureReason = MessageOf(error);
        ForgetConversion(report, results);
        return -1;
    }
}

int TSubstitutionPass::WriteConverted(int row, const std::string &fileName, const TPassOptions &options,
    const TFileJob &job, TConversionResult &results, TWindowServices &services, TPassReport &report)
{
    m_scan.JoinText(m_output);
    const TWriteRequest request { fileName, m_read.Stamp(), job.TargetName, job.NewName, options.Backup };
    const bool renamed = !IsBlankText(job.NewName);
    if (options.Simulate) {
        report.Plan = PlanConvertedFile(request, m_overlay);
        m_overlay.Apply(report.Plan, m_output);
        if (options.KeepTexts)
            KeepTexts(report, m_read.Bytes(), m_output, renamed ? job.NewName : job.TargetName, renamed);
        return report.Count;
    }
    if (m_released && WritesOneName(request))
        return StageConverted(row, options, request, job, results, services, report);
    // Writings happen in row order: those waiting go first.
    ReleaseHeldRows(services);
    try {
        report.Plan = PlanConvertedFile(request, TFileView());
        const TWriteOutcome outcome = ExecuteWritePlan(request, report.Plan, m_output, m_changedFolders, m_journal, row,
            m_journal != nullptr ? &job.ReadSum : nullptr);
        report.WrittenName = outcome.WrittenName;
        report.BackupName = outcome.BackupName;
        if (options.KeepTexts)
            KeepTexts(report, m_read.Bytes(), m_output, outcome.WrittenName, renamed);
        return report.Count;
    } catch (const TChangedMeanwhile &error) {
        FailChangedMeanwhile(row, error, report, results, services);
        return -1;
    }
}

int TSubstitutionPass::StageConverted(int row, const TPassOptions &options, const TWriteRequest &request,
    const TFileJob &job, TConversionResult &results, TWindowServices &services, TPassReport &report)
{
    const int count = report.Count;
    // Two writings of one name happen one after the other.
    if (!m_held.empty() && WaitingWriteChanges(request.TargetName))
        ReleaseHeldRows(services);
    THeldRow writing;
    writing.Request = request;
    writing.ReadSum = job.ReadSum;
    try {
        Stage(writing, m_output);
    } catch (const TChangedMeanwhile &error) {
        FailChangedMeanwhile(row, error, report, results, services);
        return -1;
    } catch (const TError &) {
        // The rows before are written before this failure ends the run.
        ReleaseHeldRows(services);
        throw;
    }
    // The texts a held row keeps for a diff count with the batch: memory stays within its bound.
    if (options.KeepTexts) {
        KeepTexts(report, m_read.Bytes(), m_output, request.TargetName, false);
        m_batchBytes += report.ReadBytes.size() + report.ConvertedText.size();
    }
    Hold(row, report, results, std::move(writing));
    return count;
}

void TSubstitutionPass::Stage(THeldRow &writing, std::string_view text)
{
    writing.Staged = true;
    if (m_journal != nullptr)
        writing.Written = SumOf(text);
    writing.TargetStamp = StampOf(writing.Request.TargetName);
    writing.Target = NameKeyOf(writing.Request.TargetName);
    writing.Index = StageWrite(writing.Request, text, m_batch);
    m_batchBytes += text.size();
}

void TSubstitutionPass::WriteUntouchedForm(int row, const std::string &fileName, const TPassOptions &options,
    const std::string &targetName, TConversionResult &results, TPassReport &report, TWindowServices &services)
{
    const bool staged = !options.Simulate && m_released && !IsBackupName(std::string(NamePart(targetName)));
    if (!options.Simulate && (!staged || (!m_held.empty() && WaitingWriteChanges(targetName))))
        ReleaseHeldRows(services);
    // A form no pair changed is still wanted under its new extension, where the units of the run now
    // look for it; a form already there may hold the porter's own edits and is left alone.
    const TFileView fileSystem;
    const TFileView &view = options.Simulate ? static_cast<const TFileView &>(m_overlay) : fileSystem;
    if (view.Stamp(targetName).Exists)
        return;
    m_scan.JoinText(m_output);
    if (options.Simulate) {
        m_overlay.Created(targetName, m_output);
    } else if (staged) {
        THeldRow writing;
        writing.NewOnly = true;
        writing.Request = { fileName, m_read.Stamp(), targetName, {}, false };
        try {
            Stage(writing, m_output);
        } catch (const TChangedMeanwhile &) {
            return;
        } catch (const TError &) {
            ReleaseHeldRows(services);
            throw;
        }
        if (options.KeepTexts)
            KeepTexts(report, m_read.Bytes(), m_output, targetName, false);
        Hold(row, report, results, std::move(writing));
        return;
    } else {
        // Made by someone else meanwhile: theirs stays.
        if (!WriteNewFile(targetName, m_output, m_changedFolders, m_journal, row))
            return;
        report.WrittenName = targetName;
    }
    report.Plan.WrittenName = targetName;
    if (options.KeepTexts)
        KeepTexts(report, m_read.Bytes(), m_output, targetName, false);
}

} // namespace qvc
