#pragma once
// A window for engine tests: rows held in memory, every service call recorded.
#include "engine/ConversionRun.h"
#include "engine/DisplayFormat.h"

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

class TFakeConversionView : public qvc::TConversionView
{
public:
    std::vector<TFakeRow> Rows;
    /// How the cells show the numbers the run gives.
    qvc::TDisplayLocale Locale { ".", ":" };
    bool Backup = false;
    bool Simulate = false;
    std::vector<std::string> Calls; // the order of the window-level calls
    std::vector<int> ImageHistory; // every state image set, in order, for all rows
    int EventRounds = 0; // how often pending events were handled
    int ProgressPosition = 0, ProgressMin = 0, ProgressMax = 0;
    bool SaveResultEnabled = false;
    bool Running = false;
    std::map<int, qvc::TPassReport> Reports;
    std::map<int, qvc::TConversionResult> Results;
    std::function<void(int row)> OnEvents; // runs while pending events are handled

    void SetProgress(int position, int minimum, int maximum) override
    {
        if (minimum != -1)
            ProgressMin = minimum;
        if (maximum != -1)
            ProgressMax = maximum;
        ProgressPosition = position;
    }
    void AdvanceRowImage(int row, int index, bool advance) override
    {
        auto &image = Rows.at(static_cast<std::size_t>(row)).Image;
        if (!advance)
            image = index;
        else if (++image >= 5)
            image = 0;
        ImageHistory.push_back(image);
        ++EventRounds;
        if (OnEvents)
            OnEvents(row);
    }
    void ResetRow(int row) override
    {
        auto &r = Rows.at(static_cast<std::size_t>(row));
        r.Image = qvc::kImageUnchanged;
        r.Updates = r.Status = r.Time = "-";
    }
    void SetRowPercent(int row, int percent) override
    {
        Rows.at(static_cast<std::size_t>(row)).Status = qvc::PercentText(percent);
    }
    void SetRowOutcome(int row, long long count, long double seconds) override
    {
        auto &r = Rows.at(static_cast<std::size_t>(row));
        r.Updates = qvc::FormatCount(count, Locale.ThousandsSeparator);
        r.Time = qvc::FormatElapsed(seconds, Locale.TimeSeparator);
    }
    void SelectRow(int row) override { Rows.at(static_cast<std::size_t>(row)).Selected = true; }
    void ClearSelection() override
    {
        for (auto &r : Rows)
            r.Selected = false;
    }
    void ShowProgressMessage(bool show) override { Calls.emplace_back(show ? "message on" : "message off"); }
    void ShowReadyImage(bool ready) override { Calls.emplace_back(ready ? "ready" : "busy"); }
    void EnableSaveResult(bool enabled) override { SaveResultEnabled = enabled; }
    void BeginRun() override
    {
        Calls.emplace_back("begin");
        SaveResultEnabled = false;
        Running = true;
    }
    void EndRun() override
    {
        Calls.emplace_back("end");
        Running = false;
    }
    int RowCount() const override { return static_cast<int>(Rows.size()); }
    std::string RowFileName(int row) const override { return Rows.at(static_cast<std::size_t>(row)).FileName; }
    std::size_t RowNumber(int row) const override { return Rows.at(static_cast<std::size_t>(row)).Number; }
    bool BackupChecked() const override { return Backup; }
    bool SimulateChecked() const override { return Simulate; }
    void FileConverted(int row, const qvc::TPassReport &report, const qvc::TConversionResult &result) override
    {
        Reports[row] = report;
        Results[row] = result;
        ++FilesDone;
    }
    /// StopRequested answers true once this many files are done (never when negative).
    int StopAfterFiles = -1;
    int FilesDone = 0;
    int StopQuestions = 0;
    bool StopMayBeRequested() override { return StopAfterFiles >= 0; }
    bool StopRequested() override
    {
        ++StopQuestions;
        return StopAfterFiles >= 0 && FilesDone >= StopAfterFiles;
    }
};
