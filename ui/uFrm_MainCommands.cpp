// Dispatch by Tag, the enabling pass, the run lock's look, page selection, the hint line, the overlays, drops
// and the window's events.
#include "ui/ErrorText.h"
#include "ui/uFrm_Main.h"

#include "ui/Artwork.h"
#include "ui/ConversionRunner.h"
#include "ui/FileListModel.h"
#include "ui/FileListPage.h"
#include "ui/HintText.h"
#include "ui/LanguageEditor.h"
#include "ui/RepositoryPage.h"
#include "ui/ResultView.h"
#include "ui/TextBridge.h"
#include "ui/uFrm_About.h"

#include "commands/ActionEnabling.h"
#include "commands/ActionTags.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <exception>

using namespace qvc;

void Tfrm_Main::OnExecuteAction(QAction *sender)
{
    // The run lock's one gate for commands: menus, tool bar, shortcuts and the Delete key all come through here.
    if (!sender || m_runLock.Held())
        return;
    const int tag = sender->property("Tag").toInt();
    if (!IsActionTag(tag))
        return;
    OnUpdateAction();
    if (!sender->isEnabled())
        return;
    try {
        switch (tag) {
        case tagScanSubDirectory:
            m_fileListPage->ScanSubDirectory();
            break;
        case tagAddFile:
            m_fileListPage->AddFile();
            break;
        case tagRemoveFile:
            m_fileListPage->RemoveFile();
            break;
        case tagSelectAll:
            m_fileListPage->SelectAll();
            break;
        case tagInsertLine:
            m_repositoryPage->InsertLine();
            break;
        case tagDeleteLines:
            m_repositoryPage->DeleteLines();
            break;
        case tagOpenRepositoryData:
            m_repositoryPage->OpenRepositoryData();
            break;
        case tagCopyRepositoryData:
            m_repositoryPage->CopyRepositoryData();
            break;
        case tagNewRepositoryData:
            m_repositoryPage->NewRepositoryData();
            break;
        case tagSaveRepositoryData:
            m_repositoryPage->SaveRepositoryData();
            break;
        case tagExecuteConversion:
            m_runner->RunConversion();
            break;
        case tagAboutMe:
            AboutMe();
            break;
        default:
            break;
        }
    } catch (const std::exception &e) {
        m_dialogs->ShowError(this, ErrorText(e));
    }
    ScheduleUpdate();
}

void Tfrm_Main::OnUpdateAction()
{
    if (m_runLock.Held()) {
        // A run handles pending events but never lets the window go idle: keep every command locked.
        for (QAction *action : m_taggedActions)
            action->setEnabled(false);
        actRunFailedOnly->setEnabled(false);
        actFilterList->setEnabled(false);
        return;
    }
    TEnablingSnapshot snapshot;
    snapshot.LanguageEditorVisible = m_languageEditor->isVisible();
    snapshot.ResultViewVisible = m_resultView->isVisible();
    snapshot.Page = Notebook1->currentIndex();
    snapshot.Files = m_fileListPage->RowCount();
    snapshot.AnyFileSelected = m_fileListPage->AnyFileSelected();
    snapshot.Pairs = int(m_repositoryPage->Repository().Count());
    snapshot.RepositoryModified = m_repositoryPage->Repository().RepositoryModified();
    snapshot.SaveResultEnabled = m_fileListPage->SaveResultEnabled();
    const TEnablingResult result = ComputeEnabling(snapshot);
    for (int tag = 0; tag < kTaggedActionCount; ++tag)
        ActionByTag(tag)->setEnabled(result.Enabled[tag]);
    if (!result.SaveResultEnabled)
        m_fileListPage->EnableSaveResult(false);
    // The run over the failed rows goes by the run's own rule, and needs a row that failed.
    actRunFailedOnly->setEnabled(result.Enabled[tagExecuteConversion] && !m_fileListPage->FailedRows().empty());
    actFilterList->setEnabled(!snapshot.LanguageEditorVisible && !snapshot.ResultViewVisible);
}

void Tfrm_Main::RunFailedOnly()
{
    if (m_runLock.Held())
        return;
    OnUpdateAction();
    if (!actRunFailedOnly->isEnabled())
        return;
    try {
        m_runner->RunFailedOnly();
    } catch (const std::exception &e) {
        m_dialogs->ShowError(this, ErrorText(e));
    }
    ScheduleUpdate();
}

void Tfrm_Main::FocusListFilter()
{
    if (m_runLock.Held())
        return;
    OnUpdateAction();
    if (!actFilterList->isEnabled())
        return;
    obOutlookBarOptionsButtonClick(pageConvertFiles);
    m_fileListPage->FocusRowFilter();
}

void Tfrm_Main::ScheduleUpdate()
{
    // A run keeps every command locked itself; no idle pass is needed until it ends.
    if (!m_runLock.Held() && !m_idleTimer.isActive())
        m_idleTimer.start();
}

void Tfrm_Main::RunLockChanged(bool held)
{
    if (held) {
        obOutlookBarOptionsButtonClick(pageConvertFiles);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ActionMainMenuBar1->setEnabled(!held);
    ActionToolBar1->setEnabled(!held);
    obOutlookBarOptions->setEnabled(!held);
    actUndoLastRun->setEnabled(!held);
    if (held) {
        OnUpdateAction();
    } else {
        QApplication::restoreOverrideCursor();
        ScheduleUpdate();
    }
}

void Tfrm_Main::obOutlookBarOptionsButtonClick(int index)
{
    if (index < 0 || index > 2)
        return;
    Panel3->setText(obOutlookBarOptionsButtons[std::size_t(index)]->text());
    Image1->clear();
    Image1->setPixmap(SideBarPicture(index));
    Notebook1->setCurrentIndex(index);
    // Each page hands the focus to its first control.
    if (isActiveWindow())
        Notebook1->currentWidget()->setFocus(Qt::OtherFocusReason);
    ScheduleUpdate();
}

void Tfrm_Main::ShowApplicationHint()
{
    const QPoint position = QCursor::pos();
    QWidget *under = QApplication::widgetAt(position);
    // A file the last run could not convert says why.
    const QString reason = m_fileListPage->FailureReasonAt(under, position);
    if (!reason.isEmpty()) {
        sbStatusBarHint->setText(QLatin1Char(' ') + reason);
        return;
    }
    ShowHintOf(under);
}

void Tfrm_Main::ShowHintOf(QObject *object)
{
    QString hint;
    for (QObject *o = object; o && hint.isEmpty(); o = o->parent()) {
        hint = HintOf(o);
        if (hint.isEmpty()) {
            if (const auto *button = qobject_cast<QToolButton *>(o); button && button->defaultAction())
                hint = HintOf(button->defaultAction());
        }
    }
    sbStatusBarHint->setText(QLatin1Char(' ') + LongHint(hint));
}

void Tfrm_Main::LayoutOverlay(QWidget *panel)
{
    // Between the tool bar and the status bar: the central area of the window.
    panel->setGeometry(centralWidget()->geometry());
}

void Tfrm_Main::ShowOverlayPanel(QWidget *panel, bool show)
{
    ActionMainMenuBar1->setEnabled(!show);
    pData->setEnabled(!show);
    LayoutOverlay(panel);
    panel->setVisible(show);
    if (show)
        panel->raise();
    ScheduleUpdate();
}

void Tfrm_Main::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    for (QWidget *panel :
        { static_cast<QWidget *>(m_languageEditor.get()), static_cast<QWidget *>(m_resultView.get()) })
        if (panel->isVisible())
            LayoutOverlay(panel);
}

void Tfrm_Main::ShowResultOfSelectedRow()
{
    // A run keeps the bars and the work area locked until it ends; closing the view would unlock them.
    // An overlay already open would stack a second file name onto the title.
    if (m_runLock.Held() || m_resultView->isVisible() || m_languageEditor->isVisible())
        return;
    const std::optional<int> position = m_fileListPage->FirstSelectedRow();
    if (!position)
        return;
    TFileListModel &model = m_fileListPage->Model();
    const TFileRow &row = model.List().Rows()[std::size_t(*position)];
    try {
        if (!m_resultView->Fill(row, model.MissedCount(row), m_fileListPage->ResultStore(), m_fileListPage->RunScope()))
            return;
    } catch (const std::exception &e) {
        m_dialogs->ShowError(this, ErrorText(e));
        return;
    }
    ShowOverlayPanel(m_resultView.get(), true);
    m_resultView->FocusOk();
}

void Tfrm_Main::AboutMe()
{
    TfrmQVAbout box(nullptr);
    box.setWindowModality(Qt::ApplicationModal);
    m_dialogs->Exec(&box);
}

void Tfrm_Main::closeEvent(QCloseEvent *event)
{
    if (m_fileListPage->ScanInProgress()) {
        // The scan's frames are still on the stack: end it first, then close.
        m_fileListPage->CloseAfterScan();
        event->ignore();
        return;
    }
    if (m_runLock.Held()) {
        // The close comes once the run has ended, if the user chooses to stop it.
        m_runner->RequestStop(true);
        event->ignore();
        return;
    }
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    // Once the user has agreed to close: what the window shows now is what the next start shows.
    SaveSettings();
    SaveWindowGeometry();
    event->accept();
}

void Tfrm_Main::dragEnterEvent(QDragEnterEvent *event)
{
    if (!m_runLock.Held() && event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void Tfrm_Main::dropEvent(QDropEvent *event)
{
    QStringList names;
    for (const QUrl &url : event->mimeData()->urls())
        if (url.isLocalFile())
            names << url.toLocalFile();
    m_fileListPage->HandleDroppedFiles(names);
    event->acceptProposedAction();
}

bool Tfrm_Main::event(QEvent *event)
{
    // The hint line is ours: Qt's own status tips would overwrite it.
    if (event->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(event);
}

bool Tfrm_Main::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        if (m_runLock.Held() && !m_runner->AskingStop() && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            if (const auto *widget = qobject_cast<QWidget *>(watched); widget && widget->window() == this) {
                m_runner->RequestStop(false);
                return true;
            }
        }
        break;
    case QEvent::MouseMove:
        // Rows of the file list may each have a hint of their own.
        if (m_fileListPage->IsListViewport(watched))
            ShowApplicationHint();
        break;
    case QEvent::Enter:
    case QEvent::Leave:
        if (watched->isWidgetType())
            ShowApplicationHint();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}
