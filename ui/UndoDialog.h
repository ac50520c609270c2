#pragma once
// The choices of "Desfazer a Última Conversão": which of the user's recent runs to take back, and whether to take
// one back all the same when files were changed since it.
#include "engine/journal/RunJournal.h"

#include <QDialog>
#include <QString>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;
class QTreeWidget;

namespace qvc {

/// The recent runs from their journals, newest first and the newest selected: date and time, folder, files and
/// state. "Desfazer" accepts the selected run; it is disabled for a run that cannot be taken back (undone already,
/// or its journal refused or damaged).
class TUndoDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TUndoDialog(std::vector<TJournalSummary> runs, QWidget *parent = nullptr);

    /// The selected run, null when none is.
    const TJournalSummary *ChosenRun() const;
    /// True when the selected run is the newest one listed.
    bool ChoseNewest() const;
    /// Whether `run` can be taken back at all.
    static bool CanUndo(const TJournalSummary &run);
    /// A run's start time as the dialogs show it, in local time.
    static QString StartText(const TJournalSummary &run);

private:
    QTreeWidget *lvUndoRuns = nullptr;
    QPushButton *bbUndo = nullptr;
    QPushButton *bbCancel = nullptr;

    void SelectionChanged();
    int ChosenIndex() const;

    std::vector<TJournalSummary> m_runs;
};

/// The files changed since a run, and "Desfazer mesmo assim" (accepts: each is kept under a numbered backup name
/// before the run's earlier text is put back) or "Cancelar" (the default).
class TUndoChangedDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TUndoChangedDialog(const std::vector<std::string> &files, QWidget *parent = nullptr);

    QListWidget *lbChangedFiles = nullptr;
    QPushButton *bbUndoAnyway = nullptr;
    QPushButton *bbCancel = nullptr;
};

} // namespace qvc
