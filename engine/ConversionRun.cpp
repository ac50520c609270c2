#include "engine/ConversionRun.h"

#include "common/Errors.h"
#include "common/FileIO.h"
#include "common/TextFormat.h"

#include <algorithm>
#include <charconv>

namespace qvc {

std::size_t ParseRowNumber(const std::string &text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && text[begin] == ' ')
        ++begin;
    while (end > begin && text[end - 1] == ' ')
        --end;
    std::size_t value = 0;
    const char *first = text.data() + begin;
    const char *last = text.data() + end;
    const auto [stop, error] = std::from_chars(first, last, value);
    if (begin == end || error != std::errc() || stop != last)
        throw TError(FormatTemplate("'%s' is not a valid integer value", { text }));
    return value;
}

namespace {

void StoreDetails(TResultStore &store, std::size_t slot, TPassReport &report)
{
    TRowDetails details;
    details.Missed = std::move(report.Missed);
    details.ChangedLines = std::move(report.ChangedLines);
    details.ChangedLineTotal = report.ChangedLineTotal;
    store.ReplaceDetails(slot, std::move(details));
}

} // namespace

void RunConversion(TConversionView &view, const std::vector<std::string> &repositoryLines, int renameMode,
    TResultStore &store, const TDisplayLocale &locale, TRunJournal *journal)
{
    // Each folder the run writes to is swept once of temporary files that killed runs left behind.
    ForgetSweptFolders();
    TSubstitutionPass pass(repositoryLines);
    pass.SetJournal(journal);
    const auto showCounts = [&](int row, const TPassReport &report) {
        view.SetRowCell(row, TRowCell::Updates, FormatCount(report.Count, locale.ThousandsSeparator));
        view.SetRowCell(row, TRowCell::Time, FormatElapsed(report.Seconds, locale.TimeSeparator));
    };
    // A row's count and time show as soon as its file is converted; its result, and the count of a writing
    // that failed after all, once its file is written. The pass holds the rows behind a writing that waits
    // for others, so that one sync of the disk serves many files.
    const auto rowDone = [&](int row, TPassReport &report, TConversionResult &results) {
        showCounts(row, report);
        if (report.Count > 0) {
            view.EnableSaveResult(true);
            store.Replace(ParseRowNumber(view.RowNumberText(row)), results);
        }
        view.FileConverted(row, report, results);
        StoreDetails(store, ParseRowNumber(view.RowNumberText(row)), report);
    };
    pass.SetBatchedWrites(rowDone);
    int current = -1;
    view.BeginRun();
    try {
        TConversionResult scratch;
        TPassReport report;
        view.ShowReadyImage(false);
        view.ShowProgressMessage(true);
        view.SetProgress(0, -1, -1);
        for (int row = 0; row < view.RowCount(); ++row) {
            view.SetRowImage(row, kImageUnchanged);
            view.SetRowCell(row, TRowCell::Updates, "-");
            view.SetRowCell(row, TRowCell::Status, "-");
            view.SetRowCell(row, TRowCell::Time, "-");
        }
        view.ClearSelection();
        for (int row = 0; row < view.RowCount(); ++row) {
            if (view.StopPending())
                pass.ReleaseHeldRows(view);
            if (view.StopRequested())
                break;
            current = row;
            scratch.Clear();
            view.SelectRow(row);
            TPassOptions options;
            options.RenameMode = renameMode;
            options.Backup = view.BackupChecked();
            options.Simulate = view.SimulateChecked();
            options.KeepTexts = view.WantsTexts();
            options.KeepChangedLines = view.WantsChangedLines();
            pass.ConvertFile(row, view.RowFileName(row), options, scratch, view, report);
            if (report.Held)
                showCounts(row, report);
            else
                rowDone(row, report, scratch);
        }
        current = -1;
        pass.ReleaseHeldRows(view);
        // Not done until the names the run changed are on the disk: a failed sync ends the run as a
        // failed write does.
        pass.SyncChangedFolders();
        view.SetProgress(0, -1, -1);
        view.ShowProgressMessage(false);
        view.ShowReadyImage(true);
    } catch (...) {
        // The failing row is the first one still held (its writing failed), else the row being converted:
        // it shows no count or time. The rows after it were converted but nothing of theirs was written:
        // they show what a row the run did not reach shows.
        const std::vector<int> held = pass.DropHeldRows();
        const int failing = held.empty() ? current : held.front();
        std::vector<int> untouched(held.empty() ? held.end() : held.begin() + 1, held.end());
        if (current >= 0 && current != failing && std::find(held.begin(), held.end(), current) == held.end())
            untouched.push_back(current);
        if (!held.empty()) {
            view.SetRowCell(failing, TRowCell::Updates, "-");
            view.SetRowCell(failing, TRowCell::Time, "-");
        }
        for (const int row : untouched) {
            view.SetRowImage(row, kImageUnchanged);
            view.SetRowCell(row, TRowCell::Updates, "-");
            view.SetRowCell(row, TRowCell::Status, "-");
            view.SetRowCell(row, TRowCell::Time, "-");
        }
        if (!untouched.empty()) {
            view.ClearSelection();
            for (int row = 0; row <= failing; ++row)
                view.SelectRow(row);
        }
        // What the rows before the failure did stays, and reaches the disk too; the failure that ended the
        // run is the one reported, a failed sync of their folders would only repeat that the run failed.
        try {
            pass.SyncChangedFolders();
        } catch (const TError &) {
        }
        view.EndRun();
        throw;
    }
    view.EndRun();
}

} // namespace qvc
