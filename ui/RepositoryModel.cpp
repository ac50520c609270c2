#include "ui/RepositoryModel.h"

#include "common/Errors.h"
#include "ui/ErrorText.h"
#include "ui/TextBridge.h"

#include <QScopedValueRollback>
#include <algorithm>

using namespace qvc;

TRepositoryModel::TRepositoryModel(TSubstitutionRepository &repository, QObject *parent)
    : QAbstractTableModel(parent)
    , m_repository(repository)
{
}

int TRepositoryModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    // An empty list still shows one blank row to type the first pair into.
    return m_repository.Count() == 0 ? 1 : int(m_repository.Count());
}

int TRepositoryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant TRepositoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const auto row = std::size_t(index.row());
    if (row >= m_repository.Count())
        return QString();
    return ToQ(std::string(index.column() == 0 ? m_repository.Find(row) : m_repository.Replace(row)));
}

bool TRepositoryModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    const std::string text = FromQ(value.toString());
    const auto row = std::size_t(index.row());
    try {
        if (m_repository.Count() == 0) {
            if (text.empty())
                return false;
            if (index.column() == 0 && text.find('=') != std::string::npos)
                throw TError(std::string(kKeyMayNotContainEquals));
            // Typing into the blank row of an empty list creates the first line; on screen it stays one row.
            m_repository.AppendLine("=");
        }
        const bool changed = index.column() == 0 ? m_repository.SetFind(row, text) : m_repository.SetReplace(row, text);
        if (changed) {
            m_repository.SetRepositoryModified(true);
            Q_EMIT dataChanged(this->index(index.row(), 0), this->index(index.row(), 1));
        }
        return changed;
    } catch (const TError &e) {
        Q_EMIT EditRefused(ErrorText(e));
        return false;
    }
}

Qt::ItemFlags TRepositoryModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QVariant TRepositoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && (section == 0 || section == 1))
        return section == 0 ? m_find : m_replace;
    return QAbstractTableModel::headerData(section, orientation, role);
}

void TRepositoryModel::SetCaption(int column, const QString &caption)
{
    if (column == 0)
        m_find = caption;
    else if (column == 1)
        m_replace = caption;
    else
        return;
    Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

std::optional<std::string> TRepositoryModel::LineAt(int row) const
{
    if (row < 0 || std::size_t(row) >= m_repository.Count())
        return std::nullopt;
    return m_repository.Line(std::size_t(row));
}

void TRepositoryModel::RowChanged(int row)
{
    Q_EMIT dataChanged(index(row, 0), index(row, 1));
}

void TRepositoryModel::InsertEmptyLine(int row)
{
    m_repository.SetRepositoryModified(true);
    if (m_repository.Count() == 0) {
        // The blank row on screen becomes the first line: the row count stays one.
        m_repository.AppendLine();
        RowChanged(0);
        return;
    }
    row = std::clamp(row, 0, LineCount());
    QScopedValueRollback changing(m_changingRows, true);
    beginInsertRows({}, row, row);
    m_repository.InsertLine(std::size_t(row));
    endInsertRows();
}

template <typename TChange> void TRepositoryModel::RemoveRow(int row, TChange change)
{
    if (m_repository.Count() == 1) {
        // The last line goes, the blank row of an empty list stays.
        change();
        RowChanged(0);
        return;
    }
    QScopedValueRollback changing(m_changingRows, true);
    beginRemoveRows({}, row, row);
    change();
    endRemoveRows();
}

int TRepositoryModel::DeleteLine(int row)
{
    if (row < 0 || row >= LineCount())
        return row;
    std::optional<std::size_t> next;
    RemoveRow(row, [&] { next = m_repository.DeleteCurrentLine(std::size_t(row)); });
    return next ? int(*next) : 0;
}

void TRepositoryModel::DropLine(int row)
{
    if (row < 0 || row >= LineCount())
        return;
    RemoveRow(row, [&] { m_repository.DeleteLine(std::size_t(row)); });
}

void TRepositoryModel::SetLine(int row, const std::string &line)
{
    if (row < 0 || row >= LineCount())
        return;
    m_repository.SetLine(std::size_t(row), line);
    m_repository.SetRepositoryModified(true);
    RowChanged(row);
}
