#include "ui/ConversionView.h"

#include "ui/FileListModel.h"
#include "ui/uFrm_Main.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QItemSelectionModel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QToolBar>
#include <algorithm>

using namespace qvc;

namespace {
constexpr qint64 kFlushIntervalMs = 16;
}

TWindowConversionView::TWindowConversionView(Tfrm_Main &window)
    : m_window(window)
{
    m_sinceFlush.start();
}

void TWindowConversionView::SetProgress(int position, int minimum, int maximum)
{
    if (minimum != -1)
        m_progressMinimum = minimum;
    if (maximum != -1)
        m_progressMaximum = maximum;
    m_progressPosition = position;
    m_progressDirty = true;
    // A fresh range or a reset shows at once; positions within a file follow the flush rate.
    if (minimum != -1 || maximum != -1 || position == 0)
        Flush();
}

void TWindowConversionView::AdvanceRowImage(int row, int index, bool advance)
{
    TFileRow &r = m_window.FileListModel().List().Row(std::size_t(row));
    if (advance) {
        r.StateImage += 1;
        if (r.StateImage >= 5)
            r.StateImage = 0;
    } else {
        r.StateImage = index;
    }
    MarkRow(row);
    FlushIfDue();
    QCoreApplication::processEvents();
}

void TWindowConversionView::SetRowImage(int row, int index)
{
    m_window.FileListModel().List().Row(std::size_t(row)).StateImage = index;
    MarkRow(row);
}

void TWindowConversionView::SetRowCell(int row, TRowCell cell, const std::string &text)
{
    TFileRow &r = m_window.FileListModel().List().Row(std::size_t(row));
    switch (cell) {
    case TRowCell::Updates:
        r.Updates = text;
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
    auto *view = m_window.slSearchListSelectFiles;
    const QModelIndex index = view->model()->index(row, 0);
    view->selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    view->scrollTo(index);
}

void TWindowConversionView::ClearSelection()
{
    m_window.slSearchListSelectFiles->selectionModel()->clearSelection();
}

void TWindowConversionView::ShowProgressMessage(bool show)
{
    m_window.ShowProgressMessage(show);
}

void TWindowConversionView::ShowReadyImage(bool ready)
{
    m_window.ShowReadyImage(ready);
}

void TWindowConversionView::EnableSaveResult(bool enabled)
{
    m_window.bbSaveResult->setEnabled(enabled);
}

void TWindowConversionView::BeginRun()
{
    m_window.BeginRunLock();
}

void TWindowConversionView::EndRun()
{
    Flush();
    m_window.EndRunLock();
}

int TWindowConversionView::RowCount() const
{
    return int(m_window.FileListModel().List().RowCount());
}

std::string TWindowConversionView::RowFileName(int row) const
{
    return m_window.FileListModel().List().Rows().at(std::size_t(row)).FileName;
}

std::string TWindowConversionView::RowNumberText(int row) const
{
    return m_window.FileListModel().List().Rows().at(std::size_t(row)).NumberText();
}

bool TWindowConversionView::BackupChecked() const
{
    return m_window.cbCheckBoxBackupFiles->isChecked();
}

bool TWindowConversionView::SimulateChecked() const
{
    return m_window.cbCheckBoxSimulate->isChecked();
}

void TWindowConversionView::MarkRow(int row)
{
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
    if (m_dirtyFirst >= 0) {
        m_window.FileListModel().RowsChanged(m_dirtyFirst, m_dirtyLast);
        m_dirtyFirst = m_dirtyLast = -1;
    }
    if (m_progressDirty) {
        QProgressBar *bar = m_window.ProgressBar1;
        if (bar->minimum() != m_progressMinimum || bar->maximum() != m_progressMaximum)
            bar->setRange(m_progressMinimum, std::max(m_progressMinimum, m_progressMaximum));
        bar->setValue(m_progressPosition);
        m_progressDirty = false;
    }
    m_sinceFlush.restart();
}
