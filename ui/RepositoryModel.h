#pragma once
// The substitution grid `vleUnits` as a Qt model over the core repository: one row per line, find text and
// replace text as the two columns, and one blank row while the list is empty. Every change of the lines and the
// user's rename choices go into its edit history, which Ctrl+Z and Ctrl+Shift+Z walk.
#include "repository/LinesSplice.h"
#include "repository/SubstitutionRepository.h"
#include "ui/KeyTexts.h"

#include <QAbstractTableModel>
#include <QUndoStack>
#include <functional>
#include <optional>
#include <string>
#include <vector>

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
    /// Puts a row back as it was when its cell editor opened (Escape on an edited cell): its line, or no line for the
    /// blank row of an empty list (`original` empty). RepositoryModified is set; in the history this undoes the typing.
    void RestoreLine(int row, const std::optional<std::string> &original);
    /// Inserts pasted lines at `row`, or in place of that row when it is empty; into an empty list they become the
    /// list. One step of the history; RepositoryModified is set. No lines change nothing.
    void PasteLines(int row, const std::vector<std::string> &lines, int column);
    /// Runs a change of the lines made outside this model (the Nova Linha and Excluir Linha commands) with the views
    /// told and records it as one step; `column` is the cursor's column when the step is undone or redone.
    void ChangeLines(int column, const std::function<void()> &change);
    /// True while rows are being inserted or removed: the views' current cell moves under them.
    bool IsChangingRows() const { return m_changingRows; }

    // --- The edit history: one step per typing in one cell, per row inserted or deleted, per paste and per rename
    // choice of the user. A row left empty and dropped takes back the step that put it in. ---

    QUndoStack &History() { return *m_history; }
    /// A cell editor opened: the keys typed into it from now on are one step, apart from what was typed before.
    void StartEditSession() { ++m_editSession; }
    /// The user's choice of a rename item: sets the RenameMode and RepositoryModified, one step of the history.
    void ChooseRenameMode(qvc::TRenameMode mode);
    /// Forgets every step (after a load or a save, nothing before it can be undone).
    void ClearHistory() { m_history->clear(); }

    qvc::TSubstitutionRepository &Repository() { return m_repository; }
    const qvc::TSubstitutionRepository &Repository() const { return m_repository; }

Q_SIGNALS:
    /// An edit was refused with this message (a "=" typed into a find cell).
    void EditRefused(const QString &message);
    /// A step of the history was done, undone or redone: the cursor goes to this cell (column -1: the current
    /// column).
    void CellToShow(int row, int column);
    /// A step of the history set the RenameMode: the rename group shows it.
    void RenameModeChanged();

private:
    class TLinesStep;
    class TRenameStep;

    void RowChanged(int row);
    template <typename TChange> void RemoveRow(int row, TChange change);
    /// Records a change already made to the lines; `column` as CellToShow's, `session` the cell editor's (0 for a
    /// change of rows).
    void Record(qvc::TLinesSplice splice, int column, int session);
    /// Makes a step's lines stand in the list (`undo`: puts its old lines back) and shows its cell.
    void ApplyStep(const qvc::TLinesSplice &splice, bool undo, int column);
    void ApplyRenameMode(qvc::TRenameMode mode);

    qvc::TSubstitutionRepository &m_repository;
    QUndoStack *m_history = nullptr;
    int m_editSession = 0;
    QString m_find = qvc::CaptionText("ConvertStringsColumn1");
    QString m_replace = qvc::CaptionText("ConvertStringsColumn2");
    bool m_changingRows = false;
};
