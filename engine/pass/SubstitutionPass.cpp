#include "engine/pass/SubstitutionPass.h"

#include "common/AsciiCase.h"
#include "common/Errors.h"
#include "common/FileIO.h"
#include "engine/forms/LclForms.h"
#include "engine/journal/RunJournal.h"
#include "engine/pascal/LazarusProgram.h"
#include "engine/pass/FastTime.h"
#include "engine/pass/Separator.h"
#include "engine/run/DisplayFormat.h"

#include <algorithm>
#include <dirent.h>
#include <tuple>
#include <unordered_set>

namespace qvc {

namespace {

void KeepTexts(TPassReport &report, std::string_view readBytes, std::string_view text, const std::string &name,
    bool readFileRemoved)
{
    report.ReadBytes = readBytes;
    report.ConvertedText = text;
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

} // namespace

TSubstitutionPass::TSubstitutionPass(const std::vector<std::string> &repositoryLines, std::size_t overlayMemory)
    : m_pairs(repositoryLines)
    , m_overlay(overlayMemory)
{
}

void TSubstitutionPass::ExpectReads(const std::vector<std::string> &files)
{
    // A unit is renamed only by a pair whose find text is its base name (letter case counting; folded here,
    // which allows more), and only then are its companions renamed.
    std::unordered_set<std::string> finds;
    for (std::size_t i = 0; i < m_pairs.Count(); ++i)
        if (!m_pairs.Pair(i).Blank)
            finds.insert(m_pairs.Pair(i).FindLower);
    m_overlay.ExpectReads(
        files, [finds = std::move(finds)](std::string_view stem) { return finds.contains(AsciiLower(stem)); });
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
    TConversionResult &results, TFileProgress &progress, TPassReport &report)
{
    report = TPassReport();
    // The texts a report keeps for a diff view the buffers of the file before.
    ReleaseLargeBuffers();
    // The text the scan views lives in the read step's buffers until the file is written; the report's
    // texts need them until the caller has read the report.
    struct TRelease // NOLINT(cppcoreguidelines-special-member-functions): a brace-initialised guard, not copied
    {
        TSubstitutionPass &Pass;
        bool Now;
        ~TRelease()
        {
            if (Now)
                Pass.ReleaseLargeBuffers();
        }
    } release { *this, !options.KeepTexts };
    TFileJob job { fileName, {}, {} };
    const int count = ReadAndApply(row, fileName, options, results, progress, report, job);
    report.Count = count;
    progress.RowPhase(row, ImageOf(count), false);
    return WriteResult(row, fileName, options, job, count, results, progress, report);
}

int TSubstitutionPass::ReadAndApply(int row, const std::string &fileName, const TPassOptions &options,
    TConversionResult &results, TFileProgress &progress, TPassReport &report, TFileJob &job)
{
    TFastTimer untilFailure;
    untilFailure.Start();
    m_overlay.BeginRead(fileName);
    try {
        report.Kind = m_read.Read(fileName, options.Simulate ? &m_overlay : nullptr);
        if (m_journal != nullptr && !options.Simulate) {
            job.ReadSum = m_read.ReadSum();
            TJournalStep read { TStepKind::Read, row, fileName, {}, {}, {}, job.ReadSum, {} };
            if (m_heldRead != nullptr)
                *m_heldRead = std::move(read);
            else
                m_journal->Record(read);
        }
        // Only a form file is written under another extension; the unit's new name may still change it.
        if (report.Kind != TFileKind::Text)
            job.TargetName = RenamedTarget(fileName, options.RenameMode);
        // The time measured is that of the pairs and the progress between them, not reading or writing.
        TFastTimer &timer = m_timer;
        timer.Start();
        progress.PairsDone(0, static_cast<int>(m_pairs.Count()));
        progress.RowPhase(row, kPhaseWorking, false);
        const std::string *shown = nullptr;
        const bool isForm = report.Kind == TFileKind::TextForm || report.Kind == TFileKind::BinaryForm;
        const TSourceKind sourceKind = SourceKindOf(fileName, isForm);
        // A program on its way to Lazarus gets what it needs to build before the pairs run.
        std::string_view text = m_read.Text();
        std::vector<TMissedOccurrence> notFound;
        int fixed = 0;
        if (options.RenameMode == TRenameMode::DelphiToLazarus && report.Kind == TFileKind::Text)
            fixed = ApplyProgramFixes(text, fileName, results, notFound);
        const int count = fixed
            + ApplyAllToText(text, options.Scope, sourceKind, job.TargetName, job.NewName, results, [&](std::size_t i) {
                  progress.PairsDone(static_cast<int>(i) + 1, -1);
                  const std::string &status = m_pairs.StatusAfter(i);
                  if (shown == nullptr || status != *shown) {
                      // The row would get the same percentage again; only a change needs the window.
                      shown = &status;
                      report.Percent
                          = RoundedPercent(static_cast<long long>(i) + 1, static_cast<long long>(m_pairs.Count()));
                      progress.RowPercent(row, report.Percent);
                  }
                  progress.RowPhase(row, kPhaseWorking, true);
              });
        timer.Stop();
        report.Seconds = timer.ElapsedSeconds();
        report.Missed = m_scan.MissedOccurrences();
        if (!notFound.empty()) {
            report.Missed.insert(report.Missed.end(), notFound.begin(), notFound.end());
            std::stable_sort(
                report.Missed.begin(), report.Missed.end(), [](const TMissedOccurrence &a, const TMissedOccurrence &b) {
                    return std::tie(a.Line, a.Column) < std::tie(b.Line, b.Column);
                });
        }
        // A file that is neither Pascal nor a form is left as it is, and said so once.
        if (options.Scope != TScope::All && sourceKind == TSourceKind::Other && report.Kind != TFileKind::UnknownForm)
            report.Missed.push_back({ 0, 0, {}, TMissReason::NotPascalFile });
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

void TSubstitutionPass::JoinOutput(const TPassOptions &options, const std::string &writtenName, TPassReport &report)
{
    m_scan.JoinText(m_output);
    // A form written for Lazarus leaves out what the LCL would refuse to read; the form read stays as it is.
    const bool form = report.Kind == TFileKind::TextForm || report.Kind == TFileKind::BinaryForm;
    if (options.RenameMode != TRenameMode::DelphiToLazarus || !form
        || !AsciiEqualNoCase(FileExtension(writtenName), ".lfm"))
        return;
    TLclFormReport lcl;
    m_output = FilterFormForLcl(
        m_output, TLclTable::Builtin(), [&](std::string_view className) { return AncestorOf(writtenName, className); },
        lcl);
    if (lcl.Missed.empty())
        return;
    report.Missed.insert(report.Missed.end(), lcl.Missed.begin(), lcl.Missed.end());
    std::stable_sort(
        report.Missed.begin(), report.Missed.end(), [](const TMissedOccurrence &a, const TMissedOccurrence &b) {
            return std::tie(a.Line, a.Column) < std::tie(b.Line, b.Column);
        });
}

std::string TSubstitutionPass::AncestorOf(const std::string &formFile, std::string_view className)
{
    // The class declarations of the units beside the form (its own unit among them), read once per folder.
    const std::string folder = FolderOf(formFile);
    auto found = m_ancestors.find(folder);
    if (found == m_ancestors.end()) {
        found = m_ancestors.emplace(folder, std::unordered_map<std::string, std::string>()).first;
        if (DIR *dir = ::opendir(folder.empty() ? "." : folder.c_str())) {
            while (const dirent *entry = ::readdir(dir)) {
                const std::string name = entry->d_name;
                if (!AsciiEqualNoCase(FileExtension(name), ".pas"))
                    continue;
                std::string path = folder.empty() ? std::string() : folder + "/";
                path += name;
                try {
                    CollectClassDeclarations(ReadFileBytes(path), found->second);
                } catch (const std::exception &) {
                    // A unit that cannot be read declares nothing here.
                }
            }
            ::closedir(dir);
        }
    }
    const auto ancestor = found->second.find(AsciiLower(className));
    return ancestor == found->second.end() ? std::string() : ancestor->second;
}

int TSubstitutionPass::ApplyProgramFixes(std::string_view &text, const std::string &fileName,
    TConversionResult &results, std::vector<TMissedOccurrence> &notFound)
{
    const std::vector<TProgramFix> fixes = LazarusProgramFixes(text, fileName, notFound);
    if (fixes.empty())
        return 0;
    m_programText.clear();
    std::size_t copied = 0;
    for (const TProgramFix &fix : fixes) {
        m_programText.append(text.substr(copied, fix.Edit.Start - copied));
        m_programText += fix.Edit.Text;
        copied = fix.Edit.End;
        results.Record(fix.Find, fix.Replace, 1);
    }
    m_programText.append(text.substr(copied));
    text = m_programText;
    return static_cast<int>(fixes.size());
}

int TSubstitutionPass::WriteConverted(int row, const std::string &fileName, const TPassOptions &options,
    const TFileJob &job, TConversionResult &results, TFileProgress &progress, TPassReport &report)
{
    JoinOutput(options, IsBlankText(job.NewName) ? job.TargetName : job.NewName, report);
    const TWriteRequest request { fileName, m_read.Stamp(), job.TargetName, job.NewName, options.Backup };
    const bool renamed = !IsBlankText(job.NewName);
    if (options.Simulate) {
        report.Plan = PlanConvertedFile(request, m_overlay);
        m_overlay.Apply(report.Plan, m_output);
        if (options.KeepTexts)
            KeepTexts(report, m_read.Bytes(), m_output, renamed ? job.NewName : job.TargetName, renamed);
        return report.Count;
    }
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
        return FailChangedMeanwhile(row, error, results, progress, report);
    }
}

int TSubstitutionPass::FailChangedMeanwhile(
    int row, const TError &error, TConversionResult &results, TFileProgress &progress, TPassReport &report)
{
    // Another program's text is kept: the file fails like one that could not be read.
    report.Count = -1;
    report.FailureReason = MessageOf(error);
    report.Plan = TWritePlan();
    ForgetConversion(report, results);
    progress.RowPhase(row, kImageFailed, false);
    return -1;
}

int TSubstitutionPass::ConvertAhead(int row, const std::string &fileName, const TPassOptions &options,
    TConversionResult &results, TFileProgress &progress, TPassReport &report, TConvertedAhead &ahead)
{
    report = TPassReport();
    ReleaseLargeBuffers();
    ahead = TConvertedAhead();
    TFileJob job { fileName, {}, {} };
    // The file's read is journaled when the row is published, just before its other steps.
    m_heldRead = &ahead.ReadStep;
    const int count = ReadAndApply(row, fileName, options, results, progress, report, job);
    m_heldRead = nullptr;
    report.Count = count;
    progress.RowPhase(row, ImageOf(count), false);
    ahead.Request = { fileName, m_read.Stamp(), job.TargetName, job.NewName, options.Backup };
    ahead.ReadSum = job.ReadSum;
    const bool renamed = job.TargetName != fileName || !IsBlankText(job.NewName);
    if (count > 0 && !renamed && !options.Simulate) {
        JoinOutput(options, fileName, report);
        ahead.Writing = TConvertedAhead::TWriting::OverTheFileRead;
        ahead.Text = std::move(m_output);
        m_output = std::string();
    } else if (count > 0
        || (count == 0 && job.TargetName != fileName
            && (report.Kind == TFileKind::TextForm || report.Kind == TFileKind::BinaryForm))) {
        // The pass's buffers stay for FinishInOrder.
        ahead.Writing = TConvertedAhead::TWriting::InOrder;
        return count;
    }
    ReleaseLargeBuffers();
    return count;
}

int TSubstitutionPass::FinishInOrder(int row, const std::string &fileName, const TPassOptions &options,
    const TConvertedAhead &ahead, TConversionResult &results, TFileProgress &progress, TPassReport &report)
{
    struct TRelease // NOLINT(cppcoreguidelines-special-member-functions): a brace-initialised guard, not copied
    {
        TSubstitutionPass &Pass;
        ~TRelease() { Pass.ReleaseLargeBuffers(); }
    } release { *this };
    const TFileJob job { ahead.Request.TargetName, ahead.Request.NewName, ahead.ReadSum };
    const int count = report.Count;
    return WriteResult(row, fileName, options, job, count, results, progress, report);
}

int TSubstitutionPass::WriteResult(int row, const std::string &fileName, const TPassOptions &options,
    const TFileJob &job, int count, TConversionResult &results, TFileProgress &progress, TPassReport &report)
{
    if (count > 0)
        return WriteConverted(row, fileName, options, job, results, progress, report);
    if (count == 0 && job.TargetName != fileName
        && (report.Kind == TFileKind::TextForm || report.Kind == TFileKind::BinaryForm))
        WriteUntouchedForm(row, options, job.TargetName, report);
    return count;
}

void TSubstitutionPass::WriteUntouchedForm(
    int row, const TPassOptions &options, const std::string &targetName, TPassReport &report)
{
    // A form no pair changed is still wanted under its new extension, where the units of the run now
    // look for it; a form already there may hold the porter's own edits and is left alone.
    const TFileView fileSystem;
    const TFileView &view = options.Simulate ? static_cast<const TFileView &>(m_overlay) : fileSystem;
    if (view.Stamp(targetName).Exists)
        return;
    JoinOutput(options, targetName, report);
    if (options.Simulate) {
        m_overlay.Created(targetName, m_output);
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
