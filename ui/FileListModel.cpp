#include "ui/FileListModel.h"

#include "ui/KeyTexts.h"

#include <QApplication>
#include <QStyle>

#include "ui/Artwork.h"
#include "ui/ErrorText.h"
#include "ui/LocaleBridge.h"
#include "ui/TextBridge.h"

#include "results/ResultView.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <unordered_map>

using namespace qvc;

namespace {

// The state image followed by the row icon (header picture 0, which is empty), as one picture.
const QPixmap &RowPicture(int stateImage)
{
    static std::unordered_map<int, QPixmap> cache;
    auto it = cache.find(stateImage);
    if (it == cache.end()) {
        QPixmap picture(29 + 16, 15);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.drawPixmap(0, 0, StateImage(stateImage));
        painter.drawPixmap(29, 0, HeaderPicture(0).scaled(16, 15));
        painter.end();
        it = cache.emplace(stateImage, picture).first;
    }
    return it->second;
}

} // namespace

TFileListModel::TFileListModel(TFileList &list, QObject *parent)
    : QAbstractTableModel(parent)
    , m_list(list)
    , m_captions({ QStringLiteral(" #"), CaptionText("SelectFilesColumn1"), CaptionText("SelectFilesColumn2"),
          CaptionText("SelectFilesColumn3"), CaptionText("SelectFilesColumn4") })
{
    m_showTimer.setSingleShot(true);
    m_showTimer.setInterval(kShowDelayMs);
    connect(&m_showTimer, &QTimer::timeout, this, &TFileListModel::ShowPendingRows);
}

int TFileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_shownRows;
}

int TFileListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kFileListColumns;
}

QVariant TFileListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_shownRows)
        return {};
    const TFileRow &row = m_list.Rows()[std::size_t(index.row())];
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case 0:
            return QString::number(qulonglong(row.Number));
        case 1:
            return PathToQ(row.FileName);
        case 2:
            return ToQ(UpdatesText(row, m_list.Locale().ThousandsSeparator));
        case 3:
            return ToQ(StatusText(row));
        case 4:
            return ToQ(TimeText(row, m_list.Locale().TimeSeparator));
        default:
            return {};
        }
    }
    if (role == Qt::DecorationRole && index.column() == 0)
        return RowPicture(row.StateImage);
    if (role == Qt::ToolTipRole && !row.FailureReason.Empty())
        return FailureReason(index.row());
    if ((role == Qt::DecorationRole || role == Qt::ToolTipRole) && index.column() == 1) {
        const auto warning = m_warnings.find(row.Number);
        if (warning != m_warnings.end())
            return role == Qt::ToolTipRole
                ? QVariant(warning->second)
                : QVariant(QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning));
    }
    if (role == Qt::DecorationRole && index.column() == 2 && MissedCount(row) > 0)
        return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(15, 15);
    if (role == Qt::ToolTipRole) {
        const std::size_t missed = MissedCount(row);
        if (missed > 0)
            return ToQ(MissedMarkHint(missed, MakeDisplayLocale().ThousandsSeparator));
    }
    return {};
}

QString TFileListModel::FailureReason(int row) const
{
    if (row < 0 || row >= m_shownRows)
        return {};
    return ErrorText(m_list.Rows()[std::size_t(row)].FailureReason);
}

void TFileListModel::SetRowWarning(std::size_t number, const QString &text)
{
    m_warnings[number] = text;
    for (int r = 0; r < m_shownRows; ++r)
        if (m_list.Rows()[std::size_t(r)].Number == number)
            Q_EMIT dataChanged(index(r, 1), index(r, 1));
}

void TFileListModel::ClearWarnings()
{
    if (m_warnings.empty())
        return;
    m_warnings.clear();
    if (m_shownRows > 0)
        Q_EMIT dataChanged(index(0, 1), index(m_shownRows - 1, 1));
}

void TFileListModel::ClearWarning(std::size_t number)
{
    if (m_warnings.erase(number) == 0)
        return;
    for (int r = 0; r < m_shownRows; ++r)
        if (m_list.Rows()[std::size_t(r)].Number == number)
            Q_EMIT dataChanged(index(r, 1), index(r, 1));
}

bool TFileListModel::RowShown(TRowFilter filter, int row) const
{
    if (row < 0 || std::size_t(row) >= m_list.RowCount())
        return false;
    const TFileRow &r = m_list.Rows()[std::size_t(row)];
    TRowMarks marks;
    if (filter == TRowFilter::Missed)
        marks.Missed = MissedCount(r);
    if (filter == TRowFilter::Overwrites)
        marks.Overwrites = m_warnings.contains(r.Number);
    return qvc::RowShown(filter, r, marks);
}

std::array<std::size_t, kRowFilterCount> TFileListModel::FilterCounts() const
{
    std::array<std::size_t, kRowFilterCount> counts {};
    for (int row = 0; row < m_shownRows; ++row)
        for (std::size_t filter = 0; filter < kRowFilterCount; ++filter)
            if (RowShown(static_cast<TRowFilter>(filter), row))
                ++counts[filter];
    return counts;
}

void TFileListModel::ForgetRunOf(const std::vector<int> &rows)
{
    int first = -1;
    int last = -1;
    for (const int row : rows) {
        if (row < 0 || std::size_t(row) >= m_list.RowCount())
            continue;
        TFileRow &r = m_list.Row(std::size_t(row));
        r.Forget();
        m_warnings.erase(r.Number);
        first = first < 0 ? row : std::min(first, row);
        last = std::max(last, row);
    }
    if (first >= 0)
        RowsChanged(first, last);
}

std::size_t TFileListModel::MissedCount(const TFileRow &row) const
{
    // Details stay in the store from an earlier run; only a row this run converted shows them.
    if (m_store == nullptr || row.Number >= m_store->Count() || !row.Processed())
        return 0;
    return m_store->Details(row.Number).Missed.size();
}

QVariant TFileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kFileListColumns)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return m_captions.value(section);
    if (role == Qt::DecorationRole) {
        const int picture = m_list.HeaderPictures()[std::size_t(section)];
        if (picture != kNoPicture)
            return HeaderPicture(picture);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

void TFileListModel::SetCaption(int column, const QString &caption)
{
    if (column < 0 || column >= kFileListColumns || m_captions[column] == caption)
        return;
    m_captions[column] = caption;
    Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

bool TFileListModel::AddFile(const std::string &name)
{
    ShowPendingRows();
    if (m_list.IsListed(name))
        return false;
    const int row = int(m_list.RowCount());
    beginInsertRows({}, row, row);
    const bool added = m_list.AddFileToList(name);
    m_shownRows = int(m_list.RowCount());
    endInsertRows();
    return added;
}

bool TFileListModel::AddFileLater(const std::string &name)
{
    const bool added = m_list.AddFileToList(name);
    if (added && !m_showTimer.isActive())
        m_showTimer.start();
    return added;
}

void TFileListModel::ShowPendingRows()
{
    m_showTimer.stop();
    const int rows = int(m_list.RowCount());
    if (rows <= m_shownRows)
        return;
    beginInsertRows({}, m_shownRows, rows - 1);
    m_shownRows = rows;
    endInsertRows();
}

std::size_t TFileListModel::RemoveRows(std::vector<int> positions)
{
    ShowPendingRows();
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    positions.erase(std::remove_if(positions.begin(), positions.end(),
                        [this](int p) { return p < 0 || p >= int(m_list.RowCount()); }),
        positions.end());
    std::size_t removed = 0;
    // Contiguous runs from the end, so the positions of the runs still to go stay valid.
    std::size_t end = positions.size();
    while (end > 0) {
        std::size_t begin = end - 1;
        while (begin > 0 && positions[begin - 1] == positions[begin] - 1)
            --begin;
        const int first = positions[begin];
        const int last = positions[end - 1];
        std::vector<std::size_t> run;
        for (int p = first; p <= last; ++p)
            run.push_back(std::size_t(p));
        beginRemoveRows({}, first, last);
        removed += m_list.RemoveRows(std::move(run));
        m_shownRows = int(m_list.RowCount());
        endRemoveRows();
        end = begin;
    }
    return removed;
}

void TFileListModel::Clear()
{
    ShowPendingRows();
    if (m_list.RowCount() == 0)
        return;
    std::vector<int> all(m_list.RowCount());
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = int(i);
    RemoveRows(std::move(all));
}

bool TFileListModel::SortByColumn(int column)
{
    if (column < 1 || column >= kFileListColumns)
        return false;
    ShowPendingRows();
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<std::size_t> numbers;
    numbers.reserve(std::size_t(before.size()));
    for (const QModelIndex &index : before)
        numbers.push_back(m_list.Rows()[std::size_t(index.row())].Number);
    const bool sorted = m_list.SortByColumn(column);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        after << index(int(m_list.PositionOfNumber(numbers[std::size_t(i)])), before[i].column());
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, kFileListColumns - 1);
    return sorted;
}

void TFileListModel::RowsChanged(int first, int last)
{
    ShowPendingRows();
    if (first > last || first < 0)
        return;
    Q_EMIT dataChanged(index(first, 0), index(last, kFileListColumns - 1));
}
