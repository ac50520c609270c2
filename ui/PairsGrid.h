#pragma once
// The pairs grid `vleUnits`: a table over TRepositoryModel whose cell editor is always shown on the current cell,
// with the grid's own keys (Tab between cells, Insert, Down on the last row, Ctrl+Up/Down, Ctrl+Delete, Escape,
// no "=" in a find cell, pasted "find=replace" lines as rows) and empty rows dropped when the cursor leaves them.
#include <QLineEdit>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTableView>
#include <functional>
#include <optional>
#include <string>

class TRepositoryModel;

class TPairsGrid : public QTableView
{
    Q_OBJECT
public:
    explicit TPairsGrid(QWidget *parent = nullptr);

    /// Height of every row, in pixels.
    static constexpr int kRowHeight = 16;

    /// Shows the model; call once, after the window has set its own view options.
    void SetRepositoryModel(TRepositoryModel *model);
    /// While `locked` answers true (a conversion run), no key, edit or cursor move may change the lines.
    void SetEditLock(std::function<bool()> locked) { m_locked = std::move(locked); }

    /// Makes a cell current and opens a fresh editor on it, without dropping the row left (the commands use this
    /// after they changed the list). Out-of-range values are clamped.
    void SetCurrentCell(int row, int column);
    /// The row of the current cell when it is a line of the list.
    std::optional<std::size_t> CurrentLine() const;
    /// The editor open on the current cell (null only while the grid has no current cell).
    QLineEdit *Editor() const { return m_editor; }

    /// Handles a key pressed in the grid or its editor; true when it is the grid's and is used up here.
    bool HandleKey(QKeyEvent *event, bool fromEditor);
    /// True for a key that types a character (letters, digits, Backspace, Enter, Escape, Tab ...): Delete,
    /// arrows, Insert and other keys without a character are not.
    static bool IsCharacterKey(const QKeyEvent *event);

    void reset() override;

Q_SIGNALS:
    /// A key that types a character was pressed in the grid or its editor.
    void CharacterKeyPressed(int key);
    /// An edit was refused with this message.
    void EditRefused(const QString &message);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void changeEvent(QEvent *event) override;

private:
    bool IsLocked() const { return m_locked && m_locked(); }
    void FitColumns();
    void FindColumnResized(int logicalIndex, int oldSize, int newSize);
    void ApplyRowHeight();
    void AfterModelReset();
    void OpenEditorOnCurrent();
    void CloseEditor();
    void ReopenEditor();
    void ParkFocus();
    void MoveTo(const QModelIndex &index);
    void EditorTextEdited(const QString &text);
    void InsertEmptyRow();
    void AppendEmptyRow();
    void DeleteCurrentRow();
    void Escape();
    /// Ctrl+V on the grid itself: each pasted line with a find text becomes a row at the current one (refused lines
    /// are named); one line without "=" goes into the current cell instead.
    void Paste();

    TRepositoryModel *m_model = nullptr;
    std::function<bool()> m_locked;
    QPointer<QLineEdit> m_editor;
    QPersistentModelIndex m_editorIndex;
    /// The line of the edited cell's row when its editor opened; nothing when it opened on the blank row.
    std::optional<std::string> m_originalLine;
    QString m_originalText;
    int m_lastRow = 0;
    int m_lastColumn = 0;
    bool m_placing = false;
    bool m_forwarding = false;
    /// The find column's share of the grid's width (246 of 517 pixels at design size); the user may drag it.
    double m_findShare = 246.0 / 517.0;
    bool m_fitting = false;
};
