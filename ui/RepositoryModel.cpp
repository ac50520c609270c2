#include "ui/RepositoryModel.h"

#include "common/Errors.h"
#include "ui/ErrorText.h"
#include "ui/TextBridge.h"

#include "repository/PairView.h"

#include <QScopedValueRollback>
#include <algorithm>
#include <stdexcept>

using namespace qvc;

namespace {

constexpr int kLinesStepId = 1;

// Only an empty row ("" or "=") is taken back by the step that put it in: the grid drops such rows by itself.
bool TakesOutOneEmptyRow(const TLinesSplice &splice)
{
    return splice.New.empty() && splice.Old.size() == 1 && PairFind(splice.Old.front()).empty()
        && PairReplace(splice.Old.front()).empty();
}

} // namespace

// A change of the lines. Typing in one cell editor (its session) is one step; a row dropped empty joins the step
// that put that row in, so a row inserted and left empty leaves no step behind.
class TRepositoryModel::TLinesStep : public QUndoCommand
{
public:
    TLinesStep(TRepositoryModel &model, TLinesSplice splice, int column, int session, bool applied)
        : m_model(model)
        , m_splice(std::move(splice))
        , m_column(column)
        , m_session(session)
        , m_applied(applied)
    {
    }

    void undo() override { m_model.ApplyStep(m_splice, true, m_column); }

    void redo() override
    {
        // A change the user has just made is already in the list when it is recorded.
        if (m_applied) {
            m_applied = false;
            return;
        }
        m_model.ApplyStep(m_splice, false, m_column);
    }

    int id() const override { return kLinesStepId; }

    bool mergeWith(const QUndoCommand *other) override
    {
        const auto *next = static_cast<const TLinesStep *>(other);
        const bool sameTyping = m_session != 0 && next->m_session == m_session;
        if (!sameTyping && !TakesOutOneEmptyRow(next->m_splice))
            return false;
        std::optional<TLinesSplice> joined = ChainSplices(m_splice, next->m_splice);
        if (!joined)
            return false;
        m_splice = std::move(*joined);
        setObsolete(m_splice.Empty());
        return true;
    }

private:
    TRepositoryModel &m_model;
    TLinesSplice m_splice;
    int m_column;
    int m_session;
    bool m_applied;
};

// A rename choice of the user.
class TRepositoryModel::TRenameStep : public QUndoCommand
{
public:
    TRenameStep(TRepositoryModel &model, TRenameMode before, TRenameMode after)
        : m_model(model)
        , m_before(before)
        , m_after(after)
    {
    }

    void undo() override { m_model.ApplyRenameMode(m_before); }
    void redo() override { m_model.ApplyRenameMode(m_after); }

private:
    TRepositoryModel &m_model;
    TRenameMode m_before;
    TRenameMode m_after;
};

TRepositoryModel::TRepositoryModel(TSubstitutionRepository &repository, QObject *parent)
    : QAbstractTableModel(parent)
    , m_repository(repository)
    , m_history(new QUndoStack(this))
{
    m_history->setObjectName(QStringLiteral("RepositoryHistory"));
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
    const std::optional<std::string> before = LineAt(index.row());
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
            TLinesSplice splice { row, {}, { m_repository.Line(row) } };
            if (before)
                splice.Old.push_back(*before);
            Record(std::move(splice), index.column(), m_editSession);
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
        Record({ 0, {}, { m_repository.Line(0) } }, -1, 0);
        return;
    }
    row = std::clamp(row, 0, LineCount());
    {
        QScopedValueRollback changing(m_changingRows, true);
        beginInsertRows({}, row, row);
        m_repository.InsertLine(std::size_t(row));
        endInsertRows();
    }
    Record({ std::size_t(row), {}, { m_repository.Line(std::size_t(row)) } }, -1, 0);
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
    TLinesSplice splice { std::size_t(row), { m_repository.Line(std::size_t(row)) }, {} };
    RemoveRow(row, [&] { next = m_repository.DeleteCurrentLine(std::size_t(row)); });
    Record(std::move(splice), -1, 0);
    return next ? int(*next) : 0;
}

void TRepositoryModel::DropLine(int row)
{
    if (row < 0 || row >= LineCount())
        return;
    TLinesSplice splice { std::size_t(row), { m_repository.Line(std::size_t(row)) }, {} };
    RemoveRow(row, [&] { m_repository.DeleteLine(std::size_t(row)); });
    Record(std::move(splice), -1, 0);
}

void TRepositoryModel::RestoreLine(int row, const std::optional<std::string> &original)
{
    if (row < 0 || row >= LineCount())
        return;
    TLinesSplice splice { std::size_t(row), { m_repository.Line(std::size_t(row)) }, {} };
    m_repository.SetRepositoryModified(true);
    if (original) {
        m_repository.SetLine(std::size_t(row), *original);
        RowChanged(row);
        splice.New.push_back(m_repository.Line(std::size_t(row)));
    } else {
        RemoveRow(row, [&] { m_repository.DeleteLine(std::size_t(row)); });
    }
    Record(std::move(splice), -1, m_editSession);
}

void TRepositoryModel::PasteLines(int row, const std::vector<std::string> &lines, int column)
{
    if (lines.empty())
        return;
    TLinesSplice splice { 0, {}, lines };
    if (m_repository.Count() > 0) {
        splice.Row = std::size_t(std::clamp(row, 0, LineCount()));
        // An empty current row is where the pasted rows go: left in place, it would only be dropped later.
        if (m_repository.DropsEmptyRow(splice.Row))
            splice.Old.push_back(m_repository.Line(splice.Row));
    }
    m_repository.SetRepositoryModified(true);
    m_history->push(new TLinesStep(*this, std::move(splice), column, 0, false));
}

void TRepositoryModel::ChangeLines(int column, const std::function<void()> &change)
{
    const std::vector<std::string> before = m_repository.Lines();
    {
        // Told also when the change throws half-way.
        struct TReset // NOLINT(cppcoreguidelines-special-member-functions): a brace-initialised guard, not copied
        {
            TRepositoryModel &Model;
            ~TReset() { Model.endResetModel(); }
        };
        beginResetModel();
        const TReset reset { *this };
        change();
    }
    TLinesSplice splice = DiffLines(before, m_repository.Lines());
    if (!splice.Empty())
        Record(std::move(splice), column, 0);
}

void TRepositoryModel::ChooseRenameMode(TRenameMode mode)
{
    const TRenameMode before = m_repository.RenameMode();
    m_repository.SetRepositoryModified(true);
    if (mode != before)
        m_history->push(new TRenameStep(*this, before, mode));
}

void TRepositoryModel::Record(TLinesSplice splice, int column, int session)
{
    if (!splice.Empty())
        m_history->push(new TLinesStep(*this, std::move(splice), column, session, true));
}

void TRepositoryModel::ApplyStep(const TLinesSplice &splice, bool undo, int column)
{
    beginResetModel();
    try {
        m_repository.ApplyLinesSplice(splice, undo);
    } catch (const std::out_of_range &) {
        // The lines were changed past the history: its steps no longer fit them. Nothing changed here; the history
        // is forgotten once the step that found this has returned.
        QMetaObject::invokeMethod(
            m_history, [history = m_history] { history->clear(); }, Qt::QueuedConnection);
    }
    endResetModel();
    Q_EMIT CellToShow(int(splice.Row), column);
}

void TRepositoryModel::ApplyRenameMode(TRenameMode mode)
{
    m_repository.SetRenameMode(mode);
    Q_EMIT RenameModeChanged();
}
