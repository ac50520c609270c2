#pragma once
// The file list `slSearchListSelectFiles` as a Qt model over the core's rows: numbers, names, cells,
// state images and header pictures. Every change to the rows goes through here so the view follows.
#include "filelist/FileList.h"

#include <QAbstractTableModel>
#include <QStringList>
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
    /// Removes the rows at these positions; selection and current index of other rows are kept.
    std::size_t RemoveRows(std::vector<int> positions);
    /// Removes every row.
    void Clear();
    /// Sorts by a column as a header click does, keeping the selection on the same rows.
    bool SortByColumn(int column);
    /// Tells the views that cells or images of rows first..last changed.
    void RowsChanged(int first, int last);

    qvc::TFileList &List() { return m_list; }

private:
    qvc::TFileList &m_list;
    QStringList m_captions;
};
