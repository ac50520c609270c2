#include "ui/ConversionRunner.h"
#include "ui/ErrorText.h"

#include "ui/ConversionView.h"
#include "ui/FileListPage.h"
#include "ui/LocaleBridge.h"
#include "ui/RunLock.h"
#include "ui/SettingsPage.h"
#include "ui/TextBridge.h"
#include "ui/UndoDialog.h"

#include "common/FolderLocks.h"
#include "engine/journal/RunJournal.h"
#include "engine/journal/UndoRun.h"
#include "repository/SubstitutionRepository.h"
#include "results/RunSummary.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QScopedValueRollback>
#include <QWidget>
#include <cstdlib>
#include <exception>
#include <optional>
#include <thread>
#include <utility>

namespace qvc {

TConversionRunner::TConversionRunner(TDialogSeam &dialogs, TRunLock &lock, TFileListPage &files,
    const TSettingsPage &settings, const TSubstitutionRepository &repository, const QString &executablePath,
    QWidget *window)
    : QObject(window)
    , m_dialogs(dialogs)
    , m_lock(lock)
    , m_files(files)
    , m_settings(settings)
    , m_repository(repository)
    , m_executablePath(executablePath)
    , m_window(window)
{
}

void TConversionRunner::RunConversion()
{
    Run({});
}

void TConversionRunner::RunFailedOnly()
{
    const std::vector<int> rows = m_files.FailedRows();
    if (!rows.empty())
        Run(rows);
}

// What a run going on holds: the window's side of it, its journal, what it was given, and its worker.
struct TConversionRunner::TActiveRun
{
    std::unique_ptr<TWindowConversionView> View;
    std::unique_ptr<TRunJournal> Journal;
    TRunRequest Request;
    std::shared_ptr<TRunRelay> Relay;
    std::unique_ptr<TRelayedConversionView> WorkerView;
    QElapsedTimer Clock;
    std::thread Worker;
};

TConversionRunner::~TConversionRunner()
{
    if (!m_run)
        return;
    // The window goes while the run goes on: the run ends at its next file, and waits for nothing of the window's.
    m_stopWanted = true;
    m_run->Relay->Abandon();
    if (m_run->Worker.joinable())
        m_run->Worker.join();
}

void TConversionRunner::Run(std::vector<int> rows)
{
    // The end of the run before is handled first (the lock keeps the dispatch from getting here meanwhile).
    if (m_run)
        return;
    m_stopPending = false;
    m_stopWanted = false;
    m_closeAfterRun = false;
    m_stoppedByUser = false;
    auto run = std::make_unique<TActiveRun>();
    // Read once: every file of the run is converted with the scope the run started with.
    run->View = std::make_unique<TWindowConversionView>(
        m_files, m_settings, m_lock, *this, m_settings.ScopeChoice(), std::move(rows));
    run->Journal = std::make_unique<TRunJournal>(RunJournalFolder());
    run->Clock.start();
    // The worker reads nothing of the window's: the pairs, the rows and the options are copied here, and the run
    // lock keeps the originals as they are until the run has ended. The window's store takes each file's outcome
    // on the window's thread.
    run->Request = run->View->Request(m_repository.Lines(), m_repository.RenameMode());
    run->Relay = std::make_shared<TRunRelay>(*run->View, this, m_files.ResultStore());
    run->WorkerView
        = std::make_unique<TRelayedConversionView>(int(run->Request.Files.size()), run->Relay, m_stopWanted);
    run->Relay->SetOnFinished([this] { FinishRun(); });
    TActiveRun &active = *run;
    m_run = std::move(run);
    active.Worker = std::thread([&active] {
        std::exception_ptr thrown;
        try {
            qvc::RunConversion(active.Request, *active.WorkerView, active.Journal.get());
        } catch (...) {
            thrown = std::current_exception();
        }
        active.WorkerView->PostNow();
        active.Relay->Finish(thrown);
    });
    // Only until the run holds its folders and is about to convert its first file (or failed before): the window
    // shows the run's locked state and start before it handles any other event.
    active.Relay->WaitUntilShownOrFinished();
    active.Relay->Deliver();
}

void TConversionRunner::FinishRun()
{
    if (!m_run)
        return;
    TActiveRun &run = *m_run;
    run.Worker.join();
    run.Relay->Deliver();
    run.Relay->SetOnFinished({});
    TWindowConversionView &view = *run.View;
    if (run.Relay->EndRunDue())
        view.EndRun();
    run.Relay->Detach();
    std::optional<QString> failure;
    TRunSummary summary;
    bool began = false;
    try {
        if (const std::exception_ptr thrown = run.Relay->Failure())
            std::rethrow_exception(thrown);
        began = true;
        summary = view.Summary();
    } catch (const std::exception &e) {
        // The row whose writing failed keeps its cells; its tooltip says why, like any failed row's.
        view.MarkWriteFailure(MessageOf(e));
        view.Flush();
        summary = view.Summary();
        began = view.CurrentListRow() >= 0;
        failure = ErrorText(e);
    }
    if (began) {
        summary.Seconds = double(run.Clock.nsecsElapsed()) / 1e9;
        summary.Stopped = m_stoppedByUser;
        const TDisplayLocale locale = MakeDisplayLocale();
        m_files.ShowRunSummary(
            ToQ(WindowSummaryText(summary, locale.ThousandsSeparator, FromQ(QString(QLocale().decimalPoint())))));
    }
    const TRunJournal &journal = *run.Journal;
    if (failure) {
        // Files before the one that failed stay converted: the porter learns how many, and how to take them back.
        const std::size_t written = view.WrittenFiles();
        QString note;
        if (written == 0)
            note = QStringLiteral("Nenhum arquivo foi convertido nesta execução.");
        else if (journal.Failure().Empty())
            note = QStringLiteral("%1 arquivo(s) já tinham sido convertidos nesta execução; "
                                  "\"Desfazer a Última Conversão\" os devolve ao que eram.")
                       .arg(QLocale().toString(qulonglong(written)));
        else
            note = QStringLiteral("%1 arquivo(s) já tinham sido convertidos nesta execução.")
                       .arg(QLocale().toString(qulonglong(written)));
        m_dialogs.ShowErrorWithNote(m_window, *failure, note);
    }
    // The files were converted all the same; that this run cannot be taken back must not go unsaid.
    if (!journal.Failure().Empty())
        m_dialogs.ShowError(m_window,
            QStringLiteral("O diário desta conversão não pôde ser gravado até o fim, e ela não poderá ser "
                           "desfeita:\n")
                + ErrorText(journal.Failure()));
    // A stop asked for during the last file found nothing left to stop; a close asked for still closes.
    m_stopPending = false;
    m_stopWanted = false;
    m_run.reset();
    Q_EMIT RunFinished();
    if (std::exchange(m_closeAfterRun, false))
        Q_EMIT CloseWanted();
}

void TConversionRunner::RequestStop(bool close)
{
    if (!m_lock.Held() || m_askingStop)
        return;
    m_stopPending = true;
    m_stopWanted = true;
    if (close)
        m_closeAfterRun = true;
}

bool TConversionRunner::AskStop()
{
    m_stopPending = false;
    m_stopWanted = false;
    QScopedValueRollback asking(m_askingStop, true);
    // The hourglass belongs to the run, not to the question.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const TAnswer answer
        = m_dialogs.YesNo(m_window, QApplication::applicationName(), QStringLiteral("Interromper a conversão?"));
    QApplication::restoreOverrideCursor();
    if (answer == TAnswer::Yes) {
        m_stoppedByUser = true;
        return true;
    }
    m_closeAfterRun = false;
    return false;
}

std::string TConversionRunner::RunJournalFolder() const
{
    return qvc::RunJournalFolder(
        PathFromQ(QFileInfo(m_executablePath).absolutePath()), [](const char *name) { return std::getenv(name); });
}

namespace {

// How many of the latest runs the undo offers.
constexpr std::size_t kRecentRuns = 20;

QString ListOf(const std::vector<std::string> &files)
{
    QString text;
    for (const auto &file : files)
        text += QStringLiteral("\n") + PathToQ(file);
    return text;
}

} // namespace

bool TConversionRunner::CompletePendingUndos(const std::string &folder)
{
    const std::vector<std::string> pending = PendingUndos(folder);
    if (pending.empty())
        return false;
    for (const auto &journal : pending) {
        QElapsedTimer clock;
        clock.start();
        const TCompletedUndo done = CompletePendingUndo(journal);
        if (!done.Done) {
            m_dialogs.ShowError(m_window,
                QStringLiteral("Um desfazer interrompido não pôde ser completado; estes arquivos foram "
                               "alterados ou não têm cópia:")
                    + ListOf(done.Plan.Changed) + ListOf(done.Plan.NotKept));
            return true;
        }
        ReportUnaccounted(done.Plan);
        ShowUndone(done.Plan.Files(), double(clock.nsecsElapsed()) / 1e9);
        Q_EMIT RunUndone(journal, done.Plan.Files());
    }
    m_dialogs.ShowMessage(m_window, QStringLiteral("O desfazer interrompido foi completado."));
    return true;
}

void TConversionRunner::ShowUndone(const std::vector<std::string> &files, double seconds)
{
    // The rows of the files that hold their old text again show what rows no run has converted.
    m_files.ForgetResultsOf(files);
    const TDisplayLocale locale = MakeDisplayLocale();
    m_files.ShowRunSummary(ToQ(WindowUndoSummaryText(
        files.size(), seconds, locale.ThousandsSeparator, FromQ(QString(QLocale().decimalPoint())))));
}

void TConversionRunner::ReportUnaccounted(const TUndoPlan &plan)
{
    if (!plan.Unaccounted.empty() || plan.EndsBeforeRun)
        m_dialogs.ShowError(m_window,
            QStringLiteral("O diário da conversão termina antes dela; estes arquivos podem ter sido alterados "
                           "depois dele e ficaram como estão:")
                + ListOf(plan.Unaccounted));
}

void TConversionRunner::UndoLastRun()
{
    try {
        const std::string folder = RunJournalFolder();
        // An undo a kill interrupted is completed first: until then the tree holds neither text everywhere.
        if (CompletePendingUndos(folder))
            return;
        std::vector<TJournalSummary> runs = RecentJournals(folder, kRecentRuns);
        if (runs.empty()) {
            m_dialogs.ShowMessage(m_window, QStringLiteral("Nenhuma conversão para desfazer."));
            return;
        }
        TUndoDialog dialog(std::move(runs), m_window);
        if (m_dialogs.Exec(&dialog) != QDialog::Accepted)
            return;
        const TJournalSummary *run = dialog.ChosenRun();
        if (run != nullptr && TUndoDialog::CanUndo(*run))
            UndoRun(*run, dialog.ChoseNewest());
    } catch (const std::exception &e) {
        m_dialogs.ShowError(m_window, ErrorText(e));
    }
}

void TConversionRunner::UndoRun(const TJournalSummary &run, bool newest)
{
    const QString nothingToUndo = newest ? QStringLiteral("A última conversão não tem o que desfazer.")
                                         : QStringLiteral("Esta conversão não tem o que desfazer.");
    // Read again: another undo may have taken the run back since the list was made.
    const TJournal journal = ReadJournal(run.Path);
    if (journal.Undone) {
        m_dialogs.ShowMessage(m_window, nothingToUndo);
        return;
    }
    TFolderLocks locks;
    locks.Acquire(journal.Folders);
    TUndoPlan plan = PlanUndo(journal, false);
    if (plan.Actions.empty() && plan.Possible()) {
        m_dialogs.ShowMessage(m_window, nothingToUndo);
        return;
    }
    const auto refuseNotKept = [&](const TUndoPlan &checked) {
        if (checked.NotKept.empty())
            return false;
        m_dialogs.ShowError(m_window,
            (newest ? QStringLiteral("A última conversão não guardou cópia destes arquivos e não pode ser desfeita; "
                                     "nada foi restaurado:")
                    : QStringLiteral("Esta conversão não guardou cópia destes arquivos e não pode ser desfeita; "
                                     "nada foi restaurado:"))
                + ListOf(checked.NotKept));
        return true;
    };
    if (refuseNotKept(plan))
        return;
    const bool force = !plan.Changed.empty();
    if (force) {
        // Files changed since the run (by the user, or by a later run): taken back only when the user says so,
        // each kept under a numbered backup name first.
        TUndoChangedDialog changed(plan.Changed, m_window);
        if (m_dialogs.Exec(&changed) != QDialog::Accepted)
            return;
        plan = PlanUndo(journal, true);
        if (refuseNotKept(plan))
            return;
    } else {
        const QString question = newest
            ? QStringLiteral("Desfazer a última conversão? %1 arquivo(s) serão restaurados.")
                  .arg(qulonglong(plan.FileCount()))
            : QStringLiteral("Desfazer a conversão de %1? %2 arquivo(s) serão restaurados.")
                  .arg(TUndoDialog::StartText(run))
                  .arg(qulonglong(plan.FileCount()));
        if (m_dialogs.Question(m_window, QStringLiteral("Desfazer a Última Conversão"), question) != TAnswer::Yes)
            return;
    }
    QElapsedTimer clock;
    clock.start();
    const TUndoOutcome outcome = CommitUndo(journal, plan, force);
    locks.Release();
    ShowUndone(plan.Files(), double(clock.nsecsElapsed()) / 1e9);
    if (!outcome.Kept.empty()) {
        QString kept = QStringLiteral("Conversão desfeita. Os arquivos alterados depois dela foram guardados antes "
                                      "de serem restaurados:");
        for (const auto &[file, backup] : outcome.Kept)
            kept += QStringLiteral("\n") + PathToQ(file) + QStringLiteral(" → ") + PathToQ(backup);
        m_dialogs.ShowMessage(m_window, kept);
    }
    ReportUnaccounted(plan);
    Q_EMIT RunUndone(journal.FileName, plan.Files());
}

} // namespace qvc
