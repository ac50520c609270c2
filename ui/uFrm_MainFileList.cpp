// The file list: scan, add, drop, remove, select all, the Delete key, the column sort and the mask field,
// and what the list refuses while a run is in progress.
#include "ui/ErrorText.h"
#include "ui/FileListModel.h"
#include "ui/TextBridge.h"
#include "ui/uFrm_Main.h"

#include <QAction>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTableView>
#include <QTimer>
#include <QUrl>

using namespace qvc;

namespace {

// Thrown from the search's per-entry hook to end a scan that a close request interrupted.
struct TScanStopped
{
};

// The folder handed to a dialog: no trailing separator, except for the root folder itself.
QString FolderWithoutSeparator(QString folder)
{
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

// The Delete key on the list and the mask field losing the focus reach the window through here.
class TFileListEvents : public QObject
{
public:
    explicit TFileListEvents(Tfrm_Main *window)
        : QObject(window)
        , m_window(window)
    {
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window->slSearchListSelectFiles && event->type() == QEvent::KeyRelease) {
            const auto *key = static_cast<QKeyEvent *>(event);
            // A held key repeats its press, but it is released once.
            if (!key->isAutoRepeat())
                m_window->slSearchListSelectFilesKeyUp(key->key(), key->modifiers());
        } else if (watched == m_window->ldLabeledEditFileMask && event->type() == QEvent::FocusOut) {
            // Only a move to another control of the window counts: a dialog or menu taking the focus for a
            // moment (the folder picker of a scan started with Ctrl+B, say) leaves the mask as it was.
            switch (static_cast<QFocusEvent *>(event)->reason()) {
            case Qt::ActiveWindowFocusReason:
            case Qt::PopupFocusReason:
            case Qt::MenuBarFocusReason:
                break;
            default:
                m_window->ldLabeledEditFileMaskExit();
                break;
            }
        }
        return false;
    }

private:
    Tfrm_Main *m_window;
};

} // namespace

void Tfrm_Main::CreateFileListHandlers()
{
    auto *events = new TFileListEvents(this);
    slSearchListSelectFiles->installEventFilter(events);
    ldLabeledEditFileMask->installEventFilter(events);
    connect(slSearchListSelectFiles->horizontalHeader(), &QHeaderView::sectionClicked, this,
        [this](int column) { slSearchListSelectFilesColumnClick(column); });

    // The open dialog's design values; ApplyFileMask gives it its file types.
    OpenDialog.DefaultSuffix = QStringLiteral("pas");
    OpenDialog.MultipleFiles = true;
    const QString mask = ldLabeledEditFileMask->text();
    OpenDialog.Filter = mask + QLatin1Char('|') + mask + QStringLiteral("|(*.*)|*.*");

    JvSearchFiles1.SetOnFindFile([this](const std::string &name) { JvSearchFiles1FindFile(name); });
    JvSearchFiles1.SetOnPendingEvent([this] {
        QCoreApplication::processEvents();
        if (m_closeAfterScan)
            throw TScanStopped {};
    });
}

bool Tfrm_Main::AddFileToList(const QString &name)
{
    const bool added = m_fileListModel->AddFile(PathFromQ(name));
    if (added)
        ScheduleUpdate();
    return added;
}

void Tfrm_Main::JvSearchFiles1FindFile(const std::string &name)
{
    // The row is listed at once (a later duplicate is refused); the view shows new rows a few times a second.
    if (m_fileListModel->AddFileLater(name))
        ScheduleUpdate();
}

void Tfrm_Main::HandleDroppedFiles(const QStringList &names)
{
    if (m_running)
        return;
    // Names are taken whole: cutting a long path at 260 characters would name another file, or one that
    // exists under that shorter name and would then be converted in place of the dropped one.
    for (const QString &name : names)
        AddFileToList(name);
}

void Tfrm_Main::dragEnterEvent(QDragEnterEvent *event)
{
    if (!m_running && event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void Tfrm_Main::dropEvent(QDropEvent *event)
{
    QStringList names;
    for (const QUrl &url : event->mimeData()->urls())
        if (url.isLocalFile())
            names << url.toLocalFile();
    HandleDroppedFiles(names);
    event->acceptProposedAction();
}

void Tfrm_Main::ApplyFileMask()
{
    const QString mask = ldLabeledEditFileMask->text();
    // The entry chosen last (OpenDialog.FilterIndex) is kept by position across new file types.
    OpenDialog.Filter = mask + QLatin1Char('|') + mask + QStringLiteral("|(*.*)|*.*");
    // The masks are matched against the file system's bytes, so they take the same encoding.
    JvSearchFiles1.FileParams().SetMaskText(PathFromQ(mask));
}

void Tfrm_Main::ldLabeledEditFileMaskExit()
{
    ApplyFileMask();
}

void Tfrm_Main::slSearchListSelectFilesColumnClick(int column)
{
    if (m_running || column < 1 || column >= kFileListColumns)
        return;
    m_fileListModel->SortByColumn(column);
}

void Tfrm_Main::slSearchListSelectFilesKeyUp(int key, Qt::KeyboardModifiers shift)
{
    Q_UNUSED(shift); // Shift, Ctrl and Alt make no difference
    if (m_running || key != Qt::Key_Delete)
        return;
    // Runs only when the fresh enabling pass leaves the remove command enabled.
    OnExecuteAction(actRemoveFile);
}

void Tfrm_Main::ScanSubDirectory()
{
    if (m_running)
        return;
    const bool listWasEmpty = m_fileList.RowCount() == 0;
    const std::optional<QString> folder = m_dialogs->BrowseFolder(
        this, BrowseFolderTitle, FolderWithoutSeparator(PathToQ(JvSearchFiles1.RootDirectory())));
    if (!folder)
        return;
    JvSearchFiles1.SetRootDirectory(PathFromQ(*folder));
    JvSearchFiles1.FileParams().FallBackToDefaultMask();
    // A scan started from inside a running one chooses a folder, but its search returns at once.
    const bool nested = JvSearchFiles1.InProgress();
    bool completed = false;
    try {
        completed = JvSearchFiles1.Search();
    } catch (const TScanStopped &) {
        m_fileListModel->ShowPendingRows();
        m_closeAfterScan = false;
        QTimer::singleShot(0, this, [this] { close(); });
        return;
    }
    if (!nested)
        m_fileListModel->ShowPendingRows();
    if (!nested && !completed && JvSearchFiles1.FailedErrorNumber() != 0) {
        // The rows found before the folder that stopped the search stay; the user learns where and why.
        m_dialogs->ShowError(this, qvc::ErrorText(JvSearchFiles1.FailureMessage()));
    }
    obOutlookBarOptionsButtonClick(pageConvertFiles);
    if (listWasEmpty)
        slSearchListSelectFilesColumnClick(1);
}

void Tfrm_Main::CloseAfterScan()
{
    m_closeAfterScan = true;
}

void Tfrm_Main::AddFile()
{
    if (m_running)
        return;
    OpenDialog.Directory = FolderWithoutSeparator(PathToQ(JvSearchFiles1.RootDirectory()));
    const QStringList names = m_dialogs->OpenFiles(this, OpenDialog);
    if (names.isEmpty())
        return;
    const bool listWasEmpty = m_fileList.RowCount() == 0;
    for (const QString &name : names)
        AddFileToList(name);
    obOutlookBarOptionsButtonClick(pageConvertFiles);
    if (listWasEmpty)
        slSearchListSelectFilesColumnClick(1);
}

void Tfrm_Main::RemoveFile()
{
    if (m_running)
        return;
    QItemSelectionModel *selection = slSearchListSelectFiles->selectionModel();
    std::vector<int> rows;
    for (const QItemSelectionRange &range : selection->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    m_fileListModel->RemoveRows(std::move(rows));
    obOutlookBarOptionsButtonClick(pageConvertFiles);
    const QModelIndex focused = selection->currentIndex();
    if (focused.isValid())
        selection->select(focused, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ScheduleUpdate();
}

void Tfrm_Main::SelectAll()
{
    if (m_running)
        return;
    slSearchListSelectFiles->selectAll();
    obOutlookBarOptionsButtonClick(pageConvertFiles);
}
