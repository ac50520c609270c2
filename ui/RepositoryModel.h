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

    // --- Row edits of the grid, with the views told (rows are the grid's, 0-based). Whether a key changes a row
    // is the repository's rule (InsertKeyAddsRow, DownKeyAddsRow, DropsEmptyRow); these only carry it out. ---

    /// Number of lines of the list (the blank row of an empty list is none).
    int LineCount() const { return int(m_repository.Count()); }
    /// The line of a row, nothing for the blank row of an empty list or a row out of range.
    std::optional<std::string> LineAt(int row) const;
    /// Inserts the line "=" before `row` (row == LineCount() appends), a user's edit: RepositoryModified is set.
    /// Into an empty list the blank row becomes it.
    void InsertEmptyLine(int row);
    /// Deletes the line of a row as Excluir Linha does (RepositoryModified set) and returns the row to make current
    /// then; deleting the only line leaves the blank row (row 0). A row that is no line changes nothing.
    int DeleteLine(int row);
    /// Drops the line of a row that the cursor left empty: no change of the user's, RepositoryModified stays.
    void DropLine(int row);
    /// Puts a line back exactly as it was (Escape on an edited cell).
    void SetLine(int row, const std::string &line);
    /// True while rows are being inserted or removed: the views' current cell moves under them.
    bool IsChangingRows() const { return m_changingRows; }

    qvc::TSubstitutionRepository &Repository() { return m_repository; }
    const qvc::TSubstitutionRepository &Repository() const { return m_repository; }

Q_SIGNALS:
    /// An edit was refused with this message (a "=" typed into a find cell).
    void EditRefused(const QString &message);

private:
    void RowChanged(int row);
    template <typename TChange> void RemoveRow(int row, TChange change);

    qvc::TSubstitutionRepository &m_repository;
    QString m_find = qvc::CaptionText("ConvertStringsColumn1");
    QString m_replace = qvc::CaptionText("ConvertStringsColumn2");
    bool m_changingRows = false;
};
