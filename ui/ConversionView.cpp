#include "ui/ConversionView.h"

#include "ui/ConversionRunner.h"
#include "ui/FileListModel.h"
#include "ui/FileListPage.h"
#include "ui/SettingsPage.h"
#include "ui/TextBridge.h"

#include <QCoreApplication>
#include <algorithm>
#include <utility>
#include <vector>

using namespace qvc;

namespace {
constexpr qint64 kFlushIntervalMs = 16;
constexpr qint64 kEventIntervalMs = 1;
}

TWindowConversionView::TWindowConversionView(TFileListPage &files, const TSettingsPage &settings, TRunLock &lock,
    TConversionRunner &runner, TScope scope, std::vector<int> rows)
    : m_files(files)
    , m_settings(settings)
    , m_lock(lock)
    , m_runner(runner)
    , m_scope(scope)
    , m_rows(std::move(rows))
{
    m_sinceFlush.start();
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

void TWindowConversionView::AdvanceRowImage(int row, int index, bool advance)
{
    TFileRow &r = Row(row);
    if (advance) {
        r.StateImage += 1;
        if (r.StateImage >= 5)
            r.StateImage = 0;
    } else {
        r.StateImage = index;
    }
    MarkRow(row);
    FlushIfDue();
    // While a file is converted the window is kept alive at most every millisecond, which it cannot tell
    // from every pair; a row's final image (changed, failed, unchanged) always lets it handle what is pending.
    const bool finalImage = !advance && index >= kImageChanged;
    if (!finalImage && m_sinceEvents.isValid() && m_sinceEvents.elapsed() < kEventIntervalMs)
        return;
    QCoreApplication::processEvents();
    m_sinceEvents.start();
}

void TWindowConversionView::SetRowImage(int row, int index)
{
    Row(row).StateImage = index;
    MarkRow(row);
}

void TWindowConversionView::SetRowCell(int row, TRowCell cell, const std::string &text)
{
    TFileRow &r = Row(row);
    switch (cell) {
    case TRowCell::Updates:
        r.Updates = text;
        // A reason belongs to the count -1 it explains; FileConverted gives it again.
        r.FailureReason = {};
        break;
    case TRowCell::Status:
        r.Status = text;
        break;
    case TRowCell::Time:
        r.Time = text;
        break;
    }
    MarkRow(row);
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

void TWindowConversionView::ShowProgressMessage(bool show)
{
    // The file count goes with the message.
    if (!show)
        m_pendingFileNumber = 0;
    m_files.ShowProgressMessage(show);
}

void TWindowConversionView::ShowReadyImage(bool ready)
{
    m_files.ShowReadyImage(ready);
}

void TWindowConversionView::EnableSaveResult(bool enabled)
{
    m_files.EnableSaveResult(enabled);
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

void TWindowConversionView::FileConverted(int row, const TPassReport &report, const TConversionResult &)
{
    m_currentDone = true;
    m_summary.Add(report);
    if (!report.WrittenName.empty() && !m_settings.SimulateChecked())
        ++m_written;
    if (report.Count < 0)
        Row(row).FailureReason = report.FailureReason;
    // A row whose run replaces a file it did not read (a form of the other extension, a unit of the new
    // name) is marked, simulated or not, so the porter sees it before anything is lost.
    if (report.Plan.Overwrites.empty())
        return;
    QStringList files;
    for (const auto &file : report.Plan.Overwrites)
        files << PathToQ(file);
    m_files.Model().SetRowWarning(Row(row).Number,
        QStringLiteral("Esta conversão sobrescreve um arquivo que não leu: %1").arg(files.join(QStringLiteral(", "))));
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

std::string TWindowConversionView::RowFileName(int row) const
{
    return m_files.Model().List().Rows().at(std::size_t(ListRow(row))).FileName;
}

std::string TWindowConversionView::RowNumberText(int row) const
{
    return m_files.Model().List().Rows().at(std::size_t(ListRow(row))).NumberText();
}

bool TWindowConversionView::BackupChecked() const
{
    return m_settings.BackupChecked();
}

bool TWindowConversionView::SimulateChecked() const
{
    return m_settings.SimulateChecked();
}

void TWindowConversionView::MarkRow(int row)
{
    row = ListRow(row);
    m_dirtyFirst = m_dirtyFirst < 0 ? row : std::min(m_dirtyFirst, row);
    m_dirtyLast = std::max(m_dirtyLast, row);
}

void TWindowConversionView::FlushIfDue()
{
    if (m_sinceFlush.elapsed() >= kFlushIntervalMs)
        Flush();
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
    m_sinceFlush.restart();
}
