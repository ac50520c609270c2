#pragma once
// The file list `slSearchListSelectFiles` as a Qt model over the core's rows: numbers, names, cells,
// state images and header pictures. Every change to the rows goes through here so the view follows.
#include "filelist/FileList.h"
#include "filelist/RowFilter.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QTimer>
#include <array>
#include <map>
#include <vector>

class TFileListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    TFileListModel(qvc::TFileList &list, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    /// Column captions (" #" and the four captions the settings may replace).
    void SetCaption(int column, const QString &caption);
    QString Caption(int column) const { return m_captions.value(column); }

    /// Appends a row for `name` (file-system bytes) unless it is listed already; true when added.
    bool AddFile(const std::string &name);
    /// The same, but the views learn of the row with the next ShowPendingRows, at most kShowDelayMs later:
    /// a scan adds rows between two pending events, and drawing the list after each would dwarf the search.
    bool AddFileLater(const std::string &name);
    /// Tells the views of the rows added by AddFileLater that they have not seen yet.
    void ShowPendingRows();
    static constexpr int kShowDelayMs = 100;
    /// Removes the rows at these positions; selection and current index of other rows are kept.
    std::size_t RemoveRows(std::vector<int> positions);
    /// Removes every row.
    void Clear();
    /// Sorts by a column as a header click does, keeping the selection on the same rows.
    bool SortByColumn(int column);
    /// Tells the views that cells or images of rows first..last changed.
    void RowsChanged(int first, int last);

    /// Why the last run could not convert the file of a row (its count is -1), empty otherwise.
    QString FailureReason(int row) const;

    qvc::TFileList &List() { return m_list; }
    /// Where the rows' details are kept: a converted row whose file had misses gets a mark and a tooltip.
    void SetResultStore(const qvc::TResultStore *store) { m_store = store; }
    /// How many occurrences the last run left in place in the row's file (0 for a row not converted).
    std::size_t MissedCount(const qvc::TFileRow &row) const;

    /// Marks the row numbered `number` with a warning picture and `text` as its name's tooltip.
    void SetRowWarning(std::size_t number, const QString &text);
    /// Takes every row's warning away.
    void ClearWarnings();
    /// Takes the warning of the row numbered `number` away.
    void ClearWarning(std::size_t number);

    /// Whether `filter` shows the row at `row`.
    bool RowShown(qvc::TRowFilter filter, int row) const;
    /// How many rows each filter shows, indexed by TRowFilter.
    std::array<std::size_t, qvc::kRowFilterCount> FilterCounts() const;
    /// The rows at these positions go back to "-" and state image 8 as rows no run has converted: their
    /// reasons and warnings go too (the caller forgets their results).
    void ForgetRunOf(const std::vector<int> &rows);

private:
    qvc::TFileList &m_list;
    const qvc::TResultStore *m_store = nullptr;
    QStringList m_captions;
    // Rows the views know of: the list's first m_shownRows rows (the others are waiting for ShowPendingRows).
    int m_shownRows = 0;
    QTimer m_showTimer;
    std::map<std::size_t, QString> m_warnings; // by row number
};
