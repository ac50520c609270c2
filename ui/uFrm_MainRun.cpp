// The conversion run (Tag 10) and the lock that keeps the lists and options still while it works.
#include "ui/ConversionView.h"
#include "ui/FileListModel.h"
#include "ui/LocaleBridge.h"
#include "ui/TextBridge.h"
#include "ui/uFrm_Main.h"

#include "common/Errors.h"

#include <QApplication>
#include <QFrame>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>

using namespace qvc;

void Tfrm_Main::RunConversion()
{
    if (m_running)
        return;
    TWindowConversionView view(*this);
    try {
        qvc::RunConversion(view, m_repository.Lines(), m_repository.RenameMode(), m_resultStore, MakeDisplayLocale());
    } catch (const std::exception &e) {
        view.Flush();
        m_dialogs->ShowError(this, ToQ(e.what()));
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
