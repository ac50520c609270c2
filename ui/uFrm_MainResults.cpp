// The results of a run: the per-file result view (`pViewResult`) and the framed report ("Salvar Resultado").
// The texts come from the core (results/); this file only moves them between the window and the files.
#include "ui/FileListModel.h"
#include "ui/LocaleBridge.h"
#include "ui/TextBridge.h"
#include "ui/uFrm_Main.h"

#include "results/ResultReport.h"
#include "results/ResultView.h"

#include <QDate>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <exception>

using namespace qvc;

namespace {

// The report borrows the repository's save dialog for one call: whatever happens, the repository commands
// find their own default extension and filter again. The folder and the name it sets are meant to stay.
class TBorrowedSaveDialog
{
public:
    explicit TBorrowedSaveDialog(TFileDialogRequest &request)
        : m_request(request)
        , m_saved(request)
    {
    }
    ~TBorrowedSaveDialog()
    {
        m_request.DefaultSuffix = m_saved.DefaultSuffix;
        m_request.Filter = m_saved.Filter;
        m_request.FilterIndex = m_saved.FilterIndex;
        m_request.ConfirmOverwrite = m_saved.ConfirmOverwrite;
    }
    TBorrowedSaveDialog(const TBorrowedSaveDialog &) = delete;
    TBorrowedSaveDialog &operator=(const TBorrowedSaveDialog &) = delete;

private:
    TFileDialogRequest &m_request;
    const TFileDialogRequest m_saved;
};

QString WithoutTrailingSeparator(QString folder)
{
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

} // namespace

void Tfrm_Main::slSearchListSelectFilesDblClick()
{
    // A run keeps the bars and the work area locked until it ends; closing the view would unlock them.
    // An overlay already open would stack a second file name onto the title.
    if (m_running || pViewResult->isVisible() || pLanguageDefault->isVisible())
        return;
    const QItemSelectionModel *selection = slSearchListSelectFiles->selectionModel();
    if (!selection)
        return;
    int position = -1;
    for (const QModelIndex &index : selection->selectedRows())
        if (position < 0 || index.row() < position)
            position = index.row();
    const TFileList &list = m_fileListModel->List();
    if (position < 0 || std::size_t(position) >= list.RowCount())
        return;
    const TFileRow &row = list.Rows()[std::size_t(position)];
    const std::string separator = MakeDisplayLocale().ThousandsSeparator;
    if (!ResultViewOpens(row.Updates, separator))
        return;
    try {
        const std::vector<TResultViewRow> lines = ResultViewRowsOf(m_resultStore.Get(row.Number), separator);
        pViewResultTitle->setText(QStringLiteral("%1 (%2)").arg(pViewResultTitle->text(), PathToQ(row.FileName)));
        vleUnitsResult->setRowCount(0);
        vleUnitsResult->setRowCount(int(lines.size()));
        for (int i = 0; i < int(lines.size()); ++i) {
            const TResultViewRow &line = lines[std::size_t(i)];
            vleUnitsResult->setItem(i, 0, new QTableWidgetItem(ToQ(line.FoundText)));
            vleUnitsResult->setItem(i, 1, new QTableWidgetItem(ToQ(line.ReplacedText)));
            vleUnitsResult->setItem(i, 2, new QTableWidgetItem(ToQ(line.Count)));
        }
    } catch (const std::exception &e) {
        m_dialogs->ShowError(this, ToQ(e.what()));
        return;
    }
    ShowOverlayPanel(pViewResult, true);
    bbOk->setFocus(Qt::OtherFocusReason);
}

void Tfrm_Main::bbSaveResultClick()
{
    if (m_running || !bbSaveResult->isEnabled())
        return;
    std::optional<QString> chosen;
    {
        TBorrowedSaveDialog borrowed(sdSaveRepositoryData);
        const QDate today = QDate::currentDate();
        sdSaveRepositoryData.DefaultSuffix = QStringLiteral("txt");
        sdSaveRepositoryData.Filter = QStringLiteral("*.txt|*.txt");
        sdSaveRepositoryData.FilterIndex = 0;
        sdSaveRepositoryData.ConfirmOverwrite = true;
        sdSaveRepositoryData.Directory = WithoutTrailingSeparator(PathToQ(JvSearchFiles1.RootDirectory()));
        sdSaveRepositoryData.FileName
            = ToQ(ProposedReportFileName(today.year(), unsigned(today.month()), unsigned(today.day())));
        chosen = m_dialogs->SaveFile(this, sdSaveRepositoryData);
        if (chosen)
            sdSaveRepositoryData.FileName = *chosen;
    }
    if (!chosen)
        return;
    try {
        TReportCaptions captions;
        captions.FileName = FromQ(m_fileListModel->Caption(1));
        captions.Updates = FromQ(m_fileListModel->Caption(2));
        captions.Status = FromQ(m_fileListModel->Caption(3));
        captions.Time = FromQ(m_fileListModel->Caption(4));
        WriteResultReport(
            PathFromQ(*chosen), ReportRowsOf(m_fileListModel->List()), std::size_t(MaxFileNameLength()), captions);
    } catch (const std::exception &e) {
        // The file system's message names the file as the file system spells it.
        m_dialogs->ShowError(this, PathToQ(e.what()));
        return;
    }
    bbSaveResult->setEnabled(false);
}
