#pragma once
// A window for engine tests: rows held in memory, every event of the run recorded.
#include "engine/run/ConversionRun.h"
#include "engine/run/DisplayFormat.h"
#include "engine/run/ResultStore.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

struct TFakeRow
{
    std::string FileName;
    std::size_t Number = 0;
    int Image = -1;
    std::string Updates = "?";
    std::string Status = "?";
    std::string Time = "?";
    bool Selected = false;
};

class TFakeConversionView : public qvc::TRunObserver
{
public:
    std::vector<TFakeRow> Rows;
    /// How the cells show the numbers the run gives.
    qvc::TDisplayLocale Locale { ".", ":" };
    bool Backup = false;
    bool Simulate = false;
    std::vector<std::string> Calls; // the order of the window-level events
    std::vector<int> ImageHistory; // every state image set, in order, for all rows
    int EventRounds = 0; // how often pending events were handled
    int ProgressPosition = 0, ProgressMin = 0, ProgressMax = 0;
    bool SaveResultEnabled = false;
    bool Running = false;
    std::map<int, qvc::TPassReport> Reports;
    std::map<int, qvc::TConversionResult> Results;
    std::function<void(int row)> OnEvents; // runs while pending events are handled
    qvc::TResultStore *Store = nullptr; // takes every outcome, as the window's store does

    /// The run over the rows, with the fake's two options.
    qvc::TRunRequest Request(
        const std::vector<std::string> &pairs, qvc::TRenameMode renameMode, qvc::TScope scope = qvc::TScope::All) const
    {
        qvc::TRunRequest request;
        for (const TFakeRow &row : Rows)
            request.Files.push_back({ row.FileName, row.Number });
        request.RepositoryLines = pairs;
        request.RenameMode = renameMode;
        request.Scope = scope;
        request.Backup = Backup;
        request.Simulate = Simulate;
        return request;
    }

    void PairsDone(int done, int pairs) override
    {
        if (pairs != -1) {
            ProgressMin = 0;
            ProgressMax = pairs;
        }
        ProgressPosition = done;
    }
    void RowPhase(int row, int phase, bool next) override
    {
        auto &image = Rows.at(static_cast<std::size_t>(row)).Image;
        image = next ? qvc::NextWorkingPhase(image) : phase;
        ImageHistory.push_back(image);
        ++EventRounds;
        if (OnEvents)
            OnEvents(row);
    }
    void RowReset(int row) override
    {
        auto &r = Rows.at(static_cast<std::size_t>(row));
        r.Image = qvc::kImageUnchanged;
        r.Updates = r.Status = r.Time = "-";
    }
    void RowPercent(int row, int percent) override
    {
        Rows.at(static_cast<std::size_t>(row)).Status = qvc::PercentText(percent);
    }
    void RowStarted(int row) override { Rows.at(static_cast<std::size_t>(row)).Selected = true; }
    void RowsReset() override
    {
        for (auto &r : Rows)
            r.Selected = false;
    }
    void WorkStarted() override
    {
        Calls.emplace_back("busy");
        Calls.emplace_back("message on");
        ProgressPosition = 0;
    }
    void WorkCompleted() override
    {
        ProgressPosition = 0;
        Calls.emplace_back("message off");
        Calls.emplace_back("ready");
    }
    void RunBegan() override
    {
        Calls.emplace_back("begin");
        SaveResultEnabled = false;
        Running = true;
    }
    void RunEnded() override
    {
        Calls.emplace_back("end");
        Running = false;
    }
    void RowOutcome(qvc::TFileOutcome &outcome) override
    {
        const int row = outcome.Row;
        auto &r = Rows.at(static_cast<std::size_t>(row));
        r.Updates = qvc::FormatCount(outcome.Count(), Locale.ThousandsSeparator);
        r.Time = qvc::FormatElapsed(outcome.Report.Seconds, Locale.TimeSeparator);
        if (outcome.Count() > 0)
            SaveResultEnabled = true;
        Reports[row] = outcome.Report;
        Results[row] = outcome.Result;
        ++FilesDone;
        if (Store != nullptr)
            qvc::StoreOutcome(*Store, outcome);
    }
    /// StopWanted answers true once this many files are done (never when negative).
    int StopAfterFiles = -1;
    int FilesDone = 0;
    int StopQuestions = 0;
    bool StopMayBeWanted() override { return StopAfterFiles >= 0; }
    bool StopWanted() override
    {
        ++StopQuestions;
        return StopAfterFiles >= 0 && FilesDone >= StopAfterFiles;
    }
};

/// Runs the conversion over the rows of `view`, its outcomes kept in `store`.
inline void RunOverRows(TFakeConversionView &view, const std::vector<std::string> &pairs, qvc::TRenameMode renameMode,
    qvc::TResultStore &store, qvc::TRunJournal *journal = nullptr, qvc::TScope scope = qvc::TScope::All)
{
    view.Store = &store;
    qvc::RunConversion(view.Request(pairs, renameMode, scope), view, journal);
}
