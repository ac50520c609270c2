// The file list: adding rows by the three ways, and what the list refuses while a run is in progress.
#include "ui/FileListModel.h"
#include "ui/TextBridge.h"
#include "ui/uFrm_Main.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

using namespace qvc;

bool Tfrm_Main::AddFileToList(const QString &name)
{
    const bool added = m_fileListModel->AddFile(PathFromQ(name));
    if (added)
        ScheduleUpdate();
    return added;
}

void Tfrm_Main::HandleDroppedFiles(const QStringList &names)
{
    if (m_running)
        return;
    for (const QString &name : names)
        AddFileToList(name.left(260));
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

// The commands of the file list are brought to life with the folder search.
void Tfrm_Main::ScanSubDirectory() { }
void Tfrm_Main::AddFile() { }
void Tfrm_Main::RemoveFile() { }
void Tfrm_Main::SelectAll() { }
