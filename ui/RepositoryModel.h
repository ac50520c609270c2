#pragma once
// The substitution grid `vleUnits` as a Qt model over the core repository: one row per line, find text and
// replace text as the two columns, and one blank row while the list is empty.
#include "repository/SubstitutionRepository.h"
#include "ui/KeyTexts.h"

#include <QAbstractTableModel>
#include <optional>
#include <string>

class TRepositoryModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    TRepositoryModel(qvc::TSubstitutionRepository &repository, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void SetCaption(int column, const QString &caption);
    QString Caption(int column) const { return column == 0 ? m_find : m_replace; }

    /// Call around any change made to the repository's lines outside this model.
    void BeginChange() { beginResetModel(); }
    void EndChange() { endResetModel(); }

    // --- Row edits of the grid, with the views told (rows are the grid's, 0-based). Each one that changes a line
    // is the user's edit and sets RepositoryModified, whatever key made it. ---

    /// Number of lines of the list (the blank row of an empty list is none).
    int LineCount() const { return int(m_repository.Count()); }
    /// The line of a row, nothing for the blank row of an empty list or a row out of range.
    std::optional<std::string> LineAt(int row) const;
    /// True when the row is a line whose find text is not empty.
    bool HasFind(int row) const;
    /// True when the row is a line whose find and replace texts are both empty.
    bool IsEmptyLine(int row) const;
    /// Inserts a line before `row` (row == LineCount() appends). Into an empty list the blank row becomes it.
    void InsertLine(int row, const std::string &line = "=");
    /// Removes the line of a row; removing the only line leaves the blank row. `edit` false: the row is dropped
    /// because the cursor left it empty, which is no change of the user's and leaves RepositoryModified alone.
    void RemoveLine(int row, bool edit = true);
    /// Puts a line back exactly as it was (Escape on an edited cell).
    void SetLine(int row, const std::string &line);
    /// True while rows are being inserted or removed: the views' current cell moves under them.
    bool IsChangingRows() const { return m_changingRows; }

    qvc::TSubstitutionRepository &Repository() { return m_repository; }

Q_SIGNALS:
    /// An edit was refused with this message (a "=" typed into a find cell).
    void EditRefused(const QString &message);

private:
    void RowChanged(int row);

    qvc::TSubstitutionRepository &m_repository;
    QString m_find = qvc::CaptionText("ConvertStringsColumn1");
    QString m_replace = qvc::CaptionText("ConvertStringsColumn2");
    bool m_changingRows = false;
};
