// The conversion run (Tag 10) and the lock that keeps the lists and options still while it works.
#include "ui/ConversionView.h"
#include "ui/ErrorText.h"
#include "ui/FileListModel.h"
#include "ui/LocaleBridge.h"
#include "ui/TextBridge.h"
#include "ui/uFrm_Main.h"

#include "common/Errors.h"
#include "engine/RunJournal.h"
#include "engine/UndoRun.h"

#include <QFileInfo>
#include <cstdlib>

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QToolBar>
#include <utility>

using namespace qvc;

void Tfrm_Main::RunConversion()
{
    if (m_running)
        return;
    m_stopPending = false;
    m_closeAfterRun = false;
    TWindowConversionView view(*this);
    TRunJournal journal(RunJournalFolder());
    try {
        qvc::RunConversion(
            view, m_repository.Lines(), m_repository.RenameMode(), m_resultStore, MakeDisplayLocale(), &journal);
    } catch (const std::exception &e) {
        view.Flush();
        m_dialogs->ShowError(this, qvc::ErrorText(e));
    }
    // A stop asked for during the last file found nothing left to stop; a close asked for still closes.
    m_stopPending = false;
    if (std::exchange(m_closeAfterRun, false))
        close();
}

void Tfrm_Main::ShowRunFileCount(int current, int total)
{
    // Room for the largest count of this run, so the bar does not shift from file to file.
    const QString largest = QStringLiteral("Arquivo %1 de %1").arg(total);
    const int width = pRunFileCount->fontMetrics().horizontalAdvance(largest) + 4;
    if (pRunFileCount->minimumWidth() != width)
        pRunFileCount->setMinimumWidth(width);
    pRunFileCount->setText(QStringLiteral("Arquivo %1 de %2").arg(current).arg(total));
}

void Tfrm_Main::RequestStopRun(bool close)
{
    if (!m_running || m_askingStop)
        return;
    m_stopPending = true;
    if (close)
        m_closeAfterRun = true;
}

bool Tfrm_Main::AskStopRun()
{
    m_stopPending = false;
    QScopedValueRollback asking(m_askingStop, true);
    // The hourglass belongs to the run, not to the question.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const TAnswer answer
        = m_dialogs->YesNo(this, QApplication::applicationName(), QStringLiteral("Interromper a conversão?"));
    QApplication::restoreOverrideCursor();
    if (answer == TAnswer::Yes)
        return true;
    m_closeAfterRun = false;
    return false;
}

std::string Tfrm_Main::RunJournalFolder() const
{
    return qvc::RunJournalFolder(
        PathFromQ(QFileInfo(m_executablePath).absolutePath()), [](const char *name) { return std::getenv(name); });
}

void Tfrm_Main::UndoLastRun()
{
    if (m_running)
        return;
    const auto listOf = [](const std::vector<std::string> &files) {
        QString text;
        for (const auto &file : files)
            text += QStringLiteral("\n") + PathToQ(file);
        return text;
    };
    try {
        const std::string path = NewestJournal(RunJournalFolder());
        if (path.empty()) {
            m_dialogs->ShowMessage(this, QStringLiteral("Nenhuma conversão para desfazer."));
            return;
        }
        const TJournal journal = ReadJournal(path);
        const TUndoPlan plan = PlanUndo(journal, false);
        if (journal.Undone || plan.Actions.empty()) {
            m_dialogs->ShowMessage(this, QStringLiteral("A última conversão não tem o que desfazer."));
            return;
        }
        if (!plan.NotKept.empty()) {
            m_dialogs->ShowError(this,
                QStringLiteral("A última conversão não guardou cópia destes arquivos e não pode ser desfeita; "
                               "nada foi restaurado:")
                    + listOf(plan.NotKept));
            return;
        }
        if (!plan.Changed.empty()) {
            m_dialogs->ShowError(this,
                QStringLiteral("Estes arquivos foram alterados depois da conversão; nada foi restaurado:")
                    + listOf(plan.Changed));
            return;
        }
        const QString question = QStringLiteral("Desfazer a última conversão? %1 arquivo(s) serão restaurados.")
                                     .arg(qulonglong(plan.FileCount()));
        if (m_dialogs->Question(this, QStringLiteral("Desfazer a Última Conversão"), question) != TAnswer::Yes)
            return;
        ExecuteUndo(plan);
        MarkJournalUndone(path);
    } catch (const std::exception &e) {
        m_dialogs->ShowError(this, qvc::ErrorText(e));
    }
}

void Tfrm_Main::BeginRunLock()
{
    obOutlookBarOptionsButtonClick(pageConvertFiles);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bbSaveResult->setEnabled(false);
    ActionMainMenuBar1->setEnabled(false);
    ActionToolBar1->setEnabled(false);
    obOutlookBarOptions->setEnabled(false);
    pStatusResult->setEnabled(false);
    actUndoLastRun->setEnabled(false);
    m_running = true;
    OnUpdateAction();
}

void Tfrm_Main::EndRunLock()
{
    ActionMainMenuBar1->setEnabled(true);
    ActionToolBar1->setEnabled(true);
    obOutlookBarOptions->setEnabled(true);
    pStatusResult->setEnabled(true);
    actUndoLastRun->setEnabled(true);
    QApplication::restoreOverrideCursor();
    m_running = false;
    ScheduleUpdate();
}
