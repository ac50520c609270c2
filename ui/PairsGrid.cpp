#include "ui/PairsGrid.h"

#include "repository/PastedPairs.h"
#include "repository/RepositoryFile.h"
#include "repository/SubstitutionRepository.h"
#include "ui/RepositoryModel.h"
#include "ui/TextBridge.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <algorithm>

namespace {

// The refused lines of a paste, each by its number and text, at most kListed of them.
QString PasteRefusalText(const qvc::TPastedPairs &pasted)
{
    constexpr std::size_t kListed = 10;
    constexpr qsizetype kShownChars = 60;
    const std::size_t refused = pasted.Refused.size();
    QString text = refused == 1 ? QStringLiteral("Esta linha não foi colada:")
                                : QStringLiteral("Estas %1 linhas não foram coladas:").arg(qulonglong(refused));
    for (std::size_t i = 0; i < refused && i < kListed; ++i) {
        const qvc::TRefusedLine &line = pasted.Refused[i];
        QString shown = qvc::ToQ(line.Text);
        if (shown.size() > kShownChars)
            shown = shown.left(kShownChars) + QChar(0x2026);
        const QString reason = line.Reason == qvc::TPasteRefusal::RenameMarker
            ? QStringLiteral("é a marca da troca de nomes de um arquivo .dat")
            : QStringLiteral("não tem texto a localizar antes do \"=\"");
        text += QStringLiteral("\nLinha %1: \"%2\" (%3)").arg(qulonglong(line.Line)).arg(shown, reason);
    }
    if (refused > kListed)
        text += QStringLiteral("\n%1 e mais %2.").arg(QChar(0x2026)).arg(qulonglong(refused - kListed));
    if (!pasted.Lines.empty())
        text += QStringLiteral("\nAs demais linhas foram inseridas.");
    return text;
}

// The cell editor: a frameless line edit whose keys go through the grid first. The delegate's own Tab, Enter and
// Escape handling would close the editor; here the editor stays and the grid decides.
class TPairsGridDelegate : public QStyledItemDelegate
{
public:
    explicit TPairsGridDelegate(TPairsGrid *grid)
        : QStyledItemDelegate(grid)
        , m_grid(grid)
    {
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        auto *editor = new QLineEdit(parent);
        editor->setFrame(false);
        return editor;
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        // Every keystroke is stored at once and echoed back: leave the caret alone when nothing differs.
        auto *lineEdit = qobject_cast<QLineEdit *>(editor);
        const QString text = index.data(Qt::EditRole).toString();
        if (lineEdit != nullptr && lineEdit->text() != text)
            lineEdit->setText(text);
    }

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && object == m_grid->Editor())
            return m_grid->HandleKey(static_cast<QKeyEvent *>(event), true);
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    TPairsGrid *m_grid;
};

} // namespace

TPairsGrid::TPairsGrid(QWidget *parent)
    : QTableView(parent)
{
    setItemDelegate(new TPairsGridDelegate(this));
    ApplyRowHeight();
    // Both columns always fit the grid's width, so editing the replace text never scrolls the find texts out
    // of sight; rows scroll by pixels, so a row made current at the bottom is shown whole.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    horizontalHeader()->setStretchLastSection(false);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, &TPairsGrid::FindColumnResized);
}

bool TPairsGrid::viewportEvent(QEvent *event)
{
    const bool result = QTableView::viewportEvent(event);
    // The viewport also changes width when the vertical scroll bar comes or goes.
    if (event->type() == QEvent::Resize)
        FitColumns();
    return result;
}

void TPairsGrid::FitColumns()
{
    const int width = viewport()->width();
    if (width <= 0)
        return;
    QScopedValueRollback fitting(m_fitting, true);
    const int minimum = std::min(40, width / 2);
    const int find = std::clamp(int(width * m_findShare), minimum, std::max(minimum, width - 40));
    setColumnWidth(0, find);
    setColumnWidth(1, std::max(1, width - find));
}

void TPairsGrid::FindColumnResized(int logicalIndex, int, int newSize)
{
    // Only a drag of the border by the user sets a new share; the grid's own and the window's resizing do not.
    if (logicalIndex != 0 || m_fitting || viewport()->width() <= 0 || !(QApplication::mouseButtons() & Qt::LeftButton))
        return;
    // The user dragged the border: keep the new share, within the grid.
    m_findShare = std::clamp(double(newSize) / viewport()->width(), 0.1, 0.9);
    FitColumns();
}

void TPairsGrid::ApplyRowHeight()
{
    verticalHeader()->setMinimumSectionSize(kRowHeight);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
}

void TPairsGrid::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    // The header takes its row height from the font once the new font has reached it: set ours again after that.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        QMetaObject::invokeMethod(this, &TPairsGrid::ApplyRowHeight, Qt::QueuedConnection);
}

void TPairsGrid::SetRepositoryModel(TRepositoryModel *model)
{
    if (QTableView::model() != model)
        setModel(model);
    m_model = model;
    // Editors are opened by the grid itself, one on the current cell, never by Qt's triggers.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(true);
    ApplyRowHeight();
    // After the view and its selection have been reset, so the current cell set here stays.
    connect(model, &QAbstractItemModel::modelReset, this, &TPairsGrid::AfterModelReset);
    connect(model, &TRepositoryModel::EditRefused, this, &TPairsGrid::EditRefused);
    connect(model, &TRepositoryModel::CellToShow, this,
        [this](int row, int column) { SetCurrentCell(row, column < 0 ? m_lastColumn : column); });
    SetCurrentCell(0, 0);
}

bool TPairsGrid::IsCharacterKey(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Backspace:
        return true;
    case Qt::Key_Delete:
        return false;
    default:
        break;
    }
    const QString text = event->text();
    return !text.isEmpty() && text.at(0) != QChar(0x7F);
}

std::optional<std::size_t> TPairsGrid::CurrentLine() const
{
    const QModelIndex current = currentIndex();
    if (!m_model || !current.isValid() || current.row() >= m_model->LineCount())
        return std::nullopt;
    return std::size_t(current.row());
}

void TPairsGrid::ParkFocus()
{
    // A focused editor that is hidden hands the focus to the next control of the window: keep it in the grid.
    if (m_editor && m_editor->hasFocus())
        setFocus(Qt::OtherFocusReason);
}

void TPairsGrid::CloseEditor()
{
    ParkFocus();
    if (m_editorIndex.isValid())
        closePersistentEditor(m_editorIndex);
    if (m_editor)
        disconnect(m_editor, nullptr, this, nullptr);
    m_editor = nullptr;
    m_editorIndex = QPersistentModelIndex();
    m_originalLine.reset();
    m_originalText.clear();
}

void TPairsGrid::OpenEditorOnCurrent()
{
    const QModelIndex current = currentIndex();
    if (m_editor && m_editorIndex.isValid() && m_editorIndex == current)
        return;
    CloseEditor();
    if (!m_model || !current.isValid())
        return;
    openPersistentEditor(current);
    m_editorIndex = QPersistentModelIndex(current);
    m_editor = qobject_cast<QLineEdit *>(indexWidget(current));
    m_originalLine = m_model->LineAt(current.row());
    m_model->StartEditSession();
    if (m_editor) {
        m_originalText = m_editor->text();
        connect(m_editor, &QLineEdit::textEdited, this, &TPairsGrid::EditorTextEdited);
    }
}

void TPairsGrid::ReopenEditor()
{
    CloseEditor();
    OpenEditorOnCurrent();
}

void TPairsGrid::SetCurrentCell(int row, int column)
{
    if (!m_model)
        return;
    const QModelIndex index = m_model->index(
        std::clamp(row, 0, m_model->rowCount() - 1), std::clamp(column, 0, m_model->columnCount() - 1));
    CloseEditor();
    {
        QScopedValueRollback placing(m_placing, true);
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    }
    OpenEditorOnCurrent();
    scrollTo(index);
}

void TPairsGrid::MoveTo(const QModelIndex &index)
{
    if (!index.isValid() || index == currentIndex()) {
        OpenEditorOnCurrent();
        return;
    }
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

void TPairsGrid::reset()
{
    ParkFocus();
    if (m_editor)
        disconnect(m_editor, nullptr, this, nullptr);
    m_editor = nullptr;
    m_editorIndex = QPersistentModelIndex();
    m_originalLine.reset();
    QTableView::reset();
}

void TPairsGrid::AfterModelReset()
{
    SetCurrentCell(m_lastRow, m_lastColumn);
}

void TPairsGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (current.isValid()) {
        m_lastRow = current.row();
        m_lastColumn = current.column();
    }
    // The grid's own row edits place the cursor and the editor themselves once the rows have settled.
    if (m_placing || !m_model || m_model->IsChangingRows())
        return;
    const int left = previous.isValid() && current.isValid() && previous.row() != current.row() ? previous.row() : -1;
    CloseEditor();
    if (left >= 0 && !IsLocked() && m_model->Repository().DropsEmptyRow(std::size_t(left))) {
        // An empty row does not survive the cursor leaving it.
        QScopedValueRollback placing(m_placing, true);
        m_model->DropLine(left);
    }
    OpenEditorOnCurrent();
}

void TPairsGrid::EditorTextEdited(const QString &text)
{
    if (!m_model || !m_editor || !m_editorIndex.isValid())
        return;
    const QModelIndex index = m_editorIndex;
    if (!IsLocked())
        m_model->setData(index, text);
    // A refused text ("=" pasted into a find cell, a change during a run) gives way to what the cell holds.
    const QString stored = m_model->data(index, Qt::EditRole).toString();
    if (stored != text) {
        const int position = m_editor->cursorPosition();
        m_editor->setText(stored);
        m_editor->setCursorPosition(std::min(position, int(stored.size())));
    }
}

void TPairsGrid::InsertEmptyRow()
{
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !m_model->Repository().InsertKeyAddsRow(std::size_t(current.row())))
        return;
    const int row = current.row();
    const int column = current.column();
    CloseEditor();
    {
        QScopedValueRollback placing(m_placing, true);
        m_model->InsertEmptyLine(row);
    }
    SetCurrentCell(row, column);
}

void TPairsGrid::AppendEmptyRow()
{
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !m_model->Repository().DownKeyAddsRow(std::size_t(current.row())))
        return;
    const int column = current.column();
    CloseEditor();
    {
        QScopedValueRollback placing(m_placing, true);
        m_model->InsertEmptyLine(m_model->LineCount());
    }
    SetCurrentCell(m_model->LineCount() - 1, column);
}

void TPairsGrid::DeleteCurrentRow()
{
    const QModelIndex current = currentIndex();
    if (!current.isValid() || current.row() >= m_model->LineCount())
        return;
    const int column = current.column();
    CloseEditor();
    int next = 0;
    {
        QScopedValueRollback placing(m_placing, true);
        next = m_model->DeleteLine(current.row());
    }
    SetCurrentCell(next, column);
}

void TPairsGrid::Escape()
{
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return;
    const int row = current.row();
    if (m_editorIndex.isValid() && m_editorIndex == current && m_model->LineAt(row) != m_originalLine) {
        // The edited cell gets its text back: the row's line exactly as it was, or no line on the blank row.
        const std::optional<std::string> original = m_originalLine;
        CloseEditor();
        {
            QScopedValueRollback placing(m_placing, true);
            m_model->RestoreLine(row, original);
        }
        SetCurrentCell(row, current.column());
        return;
    }
    if (m_model->Repository().DropsEmptyRow(std::size_t(row)))
        DeleteCurrentRow();
}

void TPairsGrid::Paste()
{
    const std::string text = qvc::FromQ(QGuiApplication::clipboard()->text());
    const std::vector<std::string> lines = qvc::ReadRepositoryLines(text);
    if (lines.empty())
        return;
    if (lines.size() == 1 && lines.front().find('=') == std::string::npos) {
        // One line that is no pair goes into the current cell, in place of its text, as typing does.
        if (m_editor) {
            m_editor->setFocus(Qt::OtherFocusReason);
            m_editor->selectAll();
            m_editor->insert(qvc::ToQ(lines.front()));
        }
        return;
    }
    const qvc::TPastedPairs pasted = qvc::ReadPastedPairs(text);
    const QModelIndex current = currentIndex();
    if (!pasted.Lines.empty()) {
        CloseEditor();
        QScopedValueRollback placing(m_placing, true);
        m_model->PasteLines(
            current.isValid() ? current.row() : 0, pasted.Lines, current.isValid() ? current.column() : 0);
    }
    if (!pasted.Refused.empty())
        Q_EMIT EditRefused(PasteRefusalText(pasted));
}

bool TPairsGrid::HandleKey(QKeyEvent *event, bool fromEditor)
{
    if (IsLocked() || !m_model) {
        event->accept();
        return true;
    }
    if (!m_forwarding && IsCharacterKey(event))
        Q_EMIT CharacterKeyPressed(event->key());
    if (!fromEditor && event->matches(QKeySequence::Paste)) {
        Paste();
        return true;
    }
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const QModelIndex current = currentIndex();
    const int row = current.isValid() ? current.row() : 0;
    const int column = current.isValid() ? current.column() : 0;
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (modifiers.testAnyFlags(Qt::ControlModifier | Qt::AltModifier))
            return false;
        MoveTo(moveCursor(
            key == Qt::Key_Backtab || (modifiers & Qt::ShiftModifier) ? MovePrevious : MoveNext, Qt::NoModifier));
        return true;
    case Qt::Key_Up:
        if (modifiers == Qt::ControlModifier)
            MoveTo(m_model->index(0, column));
        else if (modifiers == Qt::NoModifier)
            MoveTo(moveCursor(MoveUp, Qt::NoModifier));
        else
            return false;
        return true;
    case Qt::Key_Down:
        if (modifiers == Qt::ControlModifier)
            MoveTo(m_model->index(m_model->rowCount() - 1, column));
        else if (modifiers != Qt::NoModifier)
            return false;
        else if (row == m_model->rowCount() - 1)
            AppendEmptyRow();
        else
            MoveTo(moveCursor(MoveDown, Qt::NoModifier));
        return true;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (modifiers != Qt::NoModifier)
            return false;
        MoveTo(moveCursor(key == Qt::Key_PageUp ? MovePageUp : MovePageDown, Qt::NoModifier));
        return true;
    case Qt::Key_Insert:
        if (modifiers != Qt::NoModifier)
            return false;
        InsertEmptyRow();
        return true;
    case Qt::Key_Delete:
        if (modifiers != Qt::ControlModifier)
            return false;
        DeleteCurrentRow();
        return true;
    case Qt::Key_Escape:
        Escape();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_editor) {
            m_editor->setFocus(Qt::OtherFocusReason);
            m_editor->selectAll();
        }
        return true;
    case Qt::Key_F2:
        if (fromEditor || !m_editor)
            return false;
        m_editor->setFocus(Qt::OtherFocusReason);
        m_editor->deselect();
        m_editor->end(false);
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
        // At the edge of the text the arrows go on to the next cell, as they do in the grid itself.
        if (fromEditor && modifiers == Qt::NoModifier && m_editor != nullptr && !m_editor->hasSelectedText()
            && m_editor->cursorPosition() == (key == Qt::Key_Left ? 0 : int(m_editor->text().size()))) {
            MoveTo(moveCursor(key == Qt::Key_Left ? MoveLeft : MoveRight, Qt::NoModifier));
            return true;
        }
        return false;
    default:
        break;
    }
    if (fromEditor && column == 0 && event->text().contains(QLatin1Char('='))) {
        Q_EMIT EditRefused(
            QString::fromLatin1(qvc::kKeyMayNotContainEquals.data(), qsizetype(qvc::kKeyMayNotContainEquals.size())));
        return true;
    }
    return false;
}

void TPairsGrid::keyPressEvent(QKeyEvent *event)
{
    if (m_forwarding) {
        // A key the editor did not take comes back up here: it has been handled already.
        event->accept();
        return;
    }
    if (HandleKey(event, false)) {
        event->accept();
        return;
    }
    // Text typed while the grid itself has the focus goes into the editor and replaces the cell's text.
    const bool typing = (!event->text().isEmpty() && event->text().at(0).isPrint()) || event->key() == Qt::Key_Backspace
        || event->key() == Qt::Key_Delete;
    if (typing && m_editor != nullptr
        && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        m_editor->setFocus(Qt::OtherFocusReason);
        m_editor->selectAll();
        QScopedValueRollback forwarding(m_forwarding, true);
        QCoreApplication::sendEvent(m_editor, event);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}
