// The results of a run: the per-file result view (`pViewResult`) and the framed report ("Salvar Resultado").
// The texts come from the core (results/); this file only moves them between the window and the files.
#include "ui/ErrorText.h"
#include "ui/FileListModel.h"
#include "ui/LocaleBridge.h"
#include "ui/TextBridge.h"
#include "ui/uFrm_Main.h"

#include "results/ResultReport.h"
#include "results/ResultView.h"
#include "results/UnifiedDiff.h"

#include <QDate>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTextBrowser>
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
    if (!ResultViewOpensFor(row.Updates, separator, m_fileListModel->MissedCount(row)))
        return;
    try {
        // A row with count 0 shows no pairs: its slot may still hold an earlier run's result.
        const bool changed = ResultViewOpens(row.Updates, separator);
        const std::vector<TResultViewRow> lines
            = changed ? ResultViewRowsOf(m_resultStore.Get(row.Number), separator) : std::vector<TResultViewRow>();
        const TRowDetails &details = m_resultStore.Details(row.Number);
        pViewResultTitle->setText(QStringLiteral("%1 (%2)").arg(pViewResultTitle->text(), PathToQ(row.FileName)));
        vleUnitsResult->setRowCount(0);
        vleUnitsResult->setRowCount(int(lines.size()));
        for (int i = 0; i < int(lines.size()); ++i) {
            const TResultViewRow &line = lines[std::size_t(i)];
            vleUnitsResult->setItem(i, 0, new QTableWidgetItem(ToQ(line.FoundText)));
            vleUnitsResult->setItem(i, 1, new QTableWidgetItem(ToQ(line.ReplacedText)));
            vleUnitsResult->setItem(i, 2, new QTableWidgetItem(ToQ(line.Count)));
        }
        ShowResultDetails(details, separator);
    } catch (const std::exception &e) {
        m_dialogs->ShowError(this, qvc::ErrorText(e));
        return;
    }
    ShowOverlayPanel(pViewResult, true);
    bbOk->setFocus(Qt::OtherFocusReason);
}

void Tfrm_Main::ShowResultDetails(const TRowDetails &details, const std::string &separator)
{
    const std::vector<TMissedViewRow> missed = MissedViewRowsOf(details.Missed, separator);
    vleMissedResult->setRowCount(0);
    vleMissedResult->setRowCount(int(missed.size()));
    for (int i = 0; i < int(missed.size()); ++i) {
        const TMissedViewRow &line = missed[std::size_t(i)];
        vleMissedResult->setItem(i, 0, new QTableWidgetItem(ToQ(line.Line)));
        vleMissedResult->setItem(i, 1, new QTableWidgetItem(ToQ(line.Find)));
        vleMissedResult->setItem(i, 2, new QTableWidgetItem(ToQ(line.Reason)));
    }
    stMissedResult->setVisible(!missed.empty());
    vleMissedResult->setVisible(!missed.empty());

    // Old and new side by side, the words that changed marked in each.
    const auto marked = [](const std::string &line, const std::vector<std::pair<std::size_t, std::size_t>> &ranges,
                            const char *colour) {
        QString html;
        std::size_t at = 0;
        for (const auto &[from, to] : ranges) {
            html += ToQ(line.substr(at, from - at)).toHtmlEscaped();
            html += QStringLiteral("<span style=\"background-color:%1\">").arg(QLatin1String(colour));
            html += ToQ(line.substr(from, to - from)).toHtmlEscaped();
            html += QStringLiteral("</span>");
            at = to;
        }
        html += ToQ(line.substr(at)).toHtmlEscaped();
        return html;
    };
    QString html
        = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\" width=\"100%\" style=\"white-space:pre\">");
    for (const TChangedLine &line : details.ChangedLines) {
        const TChangedWords words = ChangedWordsOf(line.Old, line.New);
        html += QStringLiteral("<tr><td align=\"right\">%1</td><td>%2</td><td>%3</td></tr>")
                    .arg(ToQ(FormatCount(static_cast<long long>(line.Line), separator)),
                        marked(line.Old, words.Old, kChangedOldColour), marked(line.New, words.New, kChangedNewColour));
    }
    html += QStringLiteral("</table>");
    memChangedLines->setHtml(html);
    stChangedLines->setText(ToQ(ChangedLinesCaption(details.ChangedLines.size(), details.ChangedLineTotal, separator)));
    stChangedLines->setVisible(details.ChangedLineTotal > 0);
    memChangedLines->setVisible(details.ChangedLineTotal > 0);
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
        m_dialogs->ShowError(this, qvc::ErrorText(e));
        return;
    }
    bbSaveResult->setEnabled(false);
}
