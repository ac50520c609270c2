#pragma once
// The window as a conversion run sees it: the file list page's rows, cells, images and progress, the options of the
// settings page, the run's scope as the strip names it, and the run lock.
#include "engine/ConversionRun.h"
#include "filelist/FileList.h"
#include "results/RunSummary.h"

#include "ui/RunLock.h"

#include <QElapsedTimer>
#include <optional>
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
    void SetRowImage(int row, int index) override;
    void SetRowCell(int row, qvc::TRowCell cell, const std::string &text) override;
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
    std::string RowNumberText(int row) const override;
    bool BackupChecked() const override;
    bool SimulateChecked() const override;
    bool WantsChangedLines() const override { return true; }

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
    // the end of the run; pending events are still handled after every pair.
    QElapsedTimer m_sinceFlush;
    QElapsedTimer m_sinceEvents; // since the window last handled its pending events
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
