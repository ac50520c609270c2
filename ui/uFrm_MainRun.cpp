// The conversion run (Tag 10) and the lock that keeps the lists and options still while it works.
#include "ui/ConversionView.h"
#include "ui/FileListModel.h"
#include "ui/LocaleBridge.h"
#include "ui/TextBridge.h"
#include "ui/uFrm_Main.h"

#include "common/Errors.h"

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
    try {
        qvc::RunConversion(view, m_repository.Lines(), m_repository.RenameMode(), m_resultStore, MakeDisplayLocale());
    } catch (const std::exception &e) {
        view.Flush();
        m_dialogs->ShowError(this, ToQ(e.what()));
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
    pRunFileCount->setMinimumWidth(pRunFileCount->fontMetrics().horizontalAdvance(largest) + 4);
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

void Tfrm_Main::BeginRunLock()
{
    obOutlookBarOptionsButtonClick(pageConvertFiles);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bbSaveResult->setEnabled(false);
    ActionMainMenuBar1->setEnabled(false);
    ActionToolBar1->setEnabled(false);
    obOutlookBarOptions->setEnabled(false);
    pStatusResult->setEnabled(false);
    m_running = true;
    OnUpdateAction();
}

void Tfrm_Main::EndRunLock()
{
    ActionMainMenuBar1->setEnabled(true);
    ActionToolBar1->setEnabled(true);
    obOutlookBarOptions->setEnabled(true);
    pStatusResult->setEnabled(true);
    QApplication::restoreOverrideCursor();
    m_running = false;
    ScheduleUpdate();
}
