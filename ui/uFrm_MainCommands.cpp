// Dispatch, the enabling pass, page selection, the hint line, the overlays, start-up and shut-down.
#include "ui/Artwork.h"
#include "ui/ErrorText.h"
#include "ui/HintText.h"
#include "ui/uFrm_About.h"
#include "ui/uFrm_Main.h"

#include "common/Errors.h"

#include "ui/FileListModel.h"
#include "ui/RepositoryModel.h"
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCursor>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>
#include <exception>

using namespace qvc;

Tfrm_Main::~Tfrm_Main()
{
    FormDestroy();
}

void Tfrm_Main::FormCreate()
{
    setAcceptDrops(true);
    m_repository.SetMessageQuestionText1(std::string(kDefaultMessageQuestionText1));
    m_repository.SetMessageQuestionText2(std::string(kDefaultMessageQuestionText2));
    m_repository.SetMessageQuestionCaption(std::string(kDefaultMessageQuestionCaption));
    VersionLabelText = QStringLiteral("Versão : ");
    qApp->installEventFilter(this);
    m_hintHandlerInstalled = true;
    m_repository.SetRepositoryModified(false);
    ProgressMessageText = pProgressMessage->text();
    ResultTitleText = pViewResultTitle->text();
    ShowProgressMessage(false);
    ShowReadyImage(true);
    obOutlookBarOptionsButtonClick(pageConvertFiles);
    m_fileListModel->Clear();
    m_repositoryModel->BeginChange();
    m_repository.Clear();
    m_repositoryModel->EndChange();
    LoadSettings();
    RestoreWindowGeometry();
    OnUpdateAction();
}

void Tfrm_Main::closeEvent(QCloseEvent *event)
{
    if (JvSearchFiles1.InProgress()) {
        // The scan's frames are still on the stack: end it first, then close.
        CloseAfterScan();
        event->ignore();
        return;
    }
    if (m_running) {
        // The close comes once the run has ended, if the user chooses to stop it.
        RequestStopRun(true);
        event->ignore();
        return;
    }
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void Tfrm_Main::FormClose()
{
    if (m_hintHandlerInstalled) {
        qApp->removeEventFilter(this);
        m_hintHandlerInstalled = false;
    }
    m_idleTimer.stop();
}

void Tfrm_Main::FormDestroy()
{
    FormClose();
    setAcceptDrops(false);
    SaveSettings();
    SaveWindowGeometry();
}

void Tfrm_Main::OnExecuteAction(QAction *sender)
{
    if (!sender || m_running)
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
            ScanSubDirectory();
            break;
        case tagAddFile:
            AddFile();
            break;
        case tagRemoveFile:
            RemoveFile();
            break;
        case tagSelectAll:
            SelectAll();
            break;
        case tagInsertLine:
            InsertLine();
            break;
        case tagDeleteLines:
            DeleteLines();
            break;
        case tagOpenRepositoryData:
            OpenRepositoryData();
            break;
        case tagCopyRepositoryData:
            CopyRepositoryData();
            break;
        case tagNewRepositoryData:
            NewRepositoryData();
            break;
        case tagSaveRepositoryData:
            SaveRepositoryData();
            break;
        case tagExecuteConversion:
            RunConversion();
            break;
        case tagAboutMe:
            AboutMe();
            break;
        default:
            break;
        }
    } catch (const std::exception &e) {
        m_dialogs->ShowError(this, qvc::ErrorText(e));
    }
    ScheduleUpdate();
}

void Tfrm_Main::OnUpdateAction()
{
    if (m_running) {
        // A run handles pending events but never lets the window go idle: keep every command locked.
        for (int tag = 0; tag < kTaggedActionCount; ++tag)
            ActionByTag(tag)->setEnabled(false);
        return;
    }
    TEnablingSnapshot snapshot;
    snapshot.LanguageEditorVisible = pLanguageDefault->isVisible();
    snapshot.ResultViewVisible = pViewResult->isVisible();
    snapshot.Page = Notebook1->currentIndex();
    snapshot.Files = int(slSearchListSelectFiles->model()->rowCount());
    const auto *selection = slSearchListSelectFiles->selectionModel();
    snapshot.AnyFileSelected = selection && selection->hasSelection();
    snapshot.Pairs = int(m_repository.Count());
    snapshot.RepositoryModified = m_repository.RepositoryModified();
    snapshot.SaveResultEnabled = bbSaveResult->isEnabled();
    const TEnablingResult result = ComputeEnabling(snapshot);
    for (int tag = 0; tag < kTaggedActionCount; ++tag)
        ActionByTag(tag)->setEnabled(result.Enabled[tag]);
    if (!result.SaveResultEnabled)
        bbSaveResult->setEnabled(false);
}

int Tfrm_Main::MaxFileNameLength() const
{
    return int(m_fileList.MaxFileNameLength());
}

void Tfrm_Main::ScheduleUpdate()
{
    // A run keeps every command locked itself; no idle pass is needed until it ends.
    if (!m_running && !m_idleTimer.isActive())
        m_idleTimer.start();
}

void Tfrm_Main::obOutlookBarOptionsButtonClick(int index)
{
    if (index < 0 || index > 2)
        return;
    Panel3->setText(obOutlookBarOptionsButtons[index]->text());
    Image1->clear();
    Image1->setPixmap(SideBarPicture(index));
    Notebook1->setCurrentIndex(index);
    if (isActiveWindow()) {
        QWidget *first = index == pageConvertFiles ? static_cast<QWidget *>(slSearchListSelectFiles)
            : index == pageRepository              ? static_cast<QWidget *>(vleUnits)
                                                   : static_cast<QWidget *>(cbCheckBoxBackupFiles);
        first->setFocus(Qt::OtherFocusReason);
    }
    ScheduleUpdate();
}

void Tfrm_Main::ShowApplicationHint()
{
    QWidget *under = QApplication::widgetAt(QCursor::pos());
    if (under && under == slSearchListSelectFiles->viewport()) {
        // A file the last run could not convert says why.
        const QModelIndex index = slSearchListSelectFiles->indexAt(under->mapFromGlobal(QCursor::pos()));
        const QString reason = index.isValid() ? m_fileListModel->FailureReason(index.row()) : QString();
        if (!reason.isEmpty()) {
            sbStatusBarHint->setText(QLatin1Char(' ') + reason);
            return;
        }
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

void Tfrm_Main::ShowProgressMessage(bool on)
{
    pProgressMessage->setEnabled(on);
    pProgressMessage->setText(on ? ProgressMessageText : QString());
    if (!on) {
        pRunFileCount->clear();
        pRunFileCount->setMinimumWidth(0);
    }
}

void Tfrm_Main::ShowReadyImage(bool ready)
{
    Image2->clear();
    Image2->setPixmap(ReadyBusyPicture(ready ? 0 : 1));
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
    for (QWidget *panel : { static_cast<QWidget *>(pLanguageDefault), static_cast<QWidget *>(pViewResult) })
        if (panel->isVisible())
            LayoutOverlay(panel);
}

void Tfrm_Main::OnClickBitButtons(QObject *sender)
{
    switch (sender->property("Tag").toInt()) {
    case 0:
        bbApplyClick();
        break;
    case 1:
        ShowOverlayPanel(pLanguageDefault, false);
        bbLanguageDefault->setFocus(Qt::OtherFocusReason);
        break;
    case 2:
        ShowOverlayPanel(pViewResult, false);
        slSearchListSelectFiles->setFocus(Qt::OtherFocusReason);
        pViewResultTitle->setText(ResultTitleText);
        break;
    default:
        break;
    }
}

void Tfrm_Main::AboutMe()
{
    TfrmQVAbout box(nullptr);
    box.setWindowModality(Qt::ApplicationModal);
    m_dialogs->Exec(&box);
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
    if (m_running && !m_askingStop && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        if (const auto *widget = qobject_cast<QWidget *>(watched); widget && widget->window() == this) {
            RequestStopRun(false);
            return true;
        }
    }
    switch (event->type()) {
    case QEvent::MouseMove:
        // Rows of the file list may each have a hint of their own.
        if (watched == slSearchListSelectFiles->viewport())
            ShowApplicationHint();
        ScheduleUpdate();
        break;
    case QEvent::Enter:
    case QEvent::Leave:
        if (watched->isWidgetType())
            ShowApplicationHint();
        ScheduleUpdate();
        break;
    case QEvent::Timer:
    case QEvent::Paint:
    case QEvent::UpdateRequest:
    case QEvent::MetaCall:
    case QEvent::LayoutRequest:
    case QEvent::Polish:
    case QEvent::PolishRequest:
    case QEvent::ChildAdded:
    case QEvent::ChildPolished:
    case QEvent::ChildRemoved:
    case QEvent::DeferredDelete:
        break;
    default:
        ScheduleUpdate();
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}
