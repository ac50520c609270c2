#include "ui/FileListPage.h"
#include "ui/ErrorText.h"

#include "ui/Artwork.h"
#include "ui/FileListModel.h"
#include "ui/HintText.h"
#include "ui/KeyTexts.h"
#include "ui/LocaleBridge.h"
#include "ui/RunLock.h"
#include "ui/ScopeTexts.h"
#include "ui/TextBridge.h"
#include "ui/TextTargets.h"

#include "commands/ActionTags.h"
#include "common/TextFormat.h"
#include "engine/run/DisplayFormat.h"
#include "results/ResultReport.h"
#include "settings/SettingsKeys.h"

#include <QComboBox>
#include <QDate>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_set>
#include <utility>

namespace qvc {

namespace {

constexpr int kStripHeight = 41; // pStatusResult without the scope's line
constexpr int kColumnSpacing = 2; // between the message, the bar and the scope's line
constexpr int kScopeLineHeight = 14;

// The filter's choices, in TRowFilter order; each is shown with its count of rows.
const char *const kRowFilterTexts[kRowFilterCount] = {
    "Todos",
    "Alterados",
    "Com falha",
    "Com ocorrências não trocadas",
    "Sobrescreveriam arquivos",
};

// Thrown from the search's per-entry hook to end a scan that a close request interrupted.
struct TScanStopped
{
};

// The names a scan's worker found, handed to the window's thread at most once every kHandOverInterval.
class TFoundNames : public std::enable_shared_from_this<TFoundNames>
{
public:
    static constexpr std::chrono::milliseconds kHandOverInterval { 16 };

    explicit TFoundNames(QObject *context)
        : m_context(context)
        , m_lastPost(std::chrono::steady_clock::now())
    {
    }

    // Worker: one name found.
    void Add(const std::string &name)
    {
        m_batch.push_back(name);
        const auto now = std::chrono::steady_clock::now();
        if (now - m_lastPost < kHandOverInterval)
            return;
        m_lastPost = now;
        Post();
    }
    // Worker: waits until the window's thread let the walk begin.
    void WaitForRelease()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_released; });
    }
    // Worker: the walk ended; what was found reaches the window.
    void Finish()
    {
        Post();
        const std::lock_guard lock(m_mutex);
        m_finished = true;
        if (m_context != nullptr)
            QMetaObject::invokeMethod(
                m_context,
                [self = shared_from_this()] {
                    if (self->m_onFinished)
                        self->m_onFinished();
                },
                Qt::QueuedConnection);
    }

    // Window: lists the names handed over so far, unless they are held back for now.
    void Deliver()
    {
        std::vector<std::string> names;
        {
            const std::lock_guard lock(m_mutex);
            m_deliverQueued = false;
            if (m_holdBack && m_holdBack())
                return;
            names.swap(m_pending);
        }
        if (!names.empty() && m_onNames)
            m_onNames(names);
    }
    void Release()
    {
        const std::lock_guard lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }
    bool Finished()
    {
        const std::lock_guard lock(m_mutex);
        return m_finished;
    }
    void SetOnNames(std::function<void(const std::vector<std::string> &)> onNames) { m_onNames = std::move(onNames); }
    void SetOnFinished(std::function<void()> onFinished) { m_onFinished = std::move(onFinished); }
    // While `holdBack` says so, names found stay with the scan.
    void SetHoldBack(std::function<bool()> holdBack) { m_holdBack = std::move(holdBack); }

private:
    void Post()
    {
        if (m_batch.empty())
            return;
        const std::lock_guard lock(m_mutex);
        std::move(m_batch.begin(), m_batch.end(), std::back_inserter(m_pending));
        m_batch.clear();
        if (m_deliverQueued || m_context == nullptr)
            return;
        m_deliverQueued = true;
        QMetaObject::invokeMethod(
            m_context, [self = shared_from_this()] { self->Deliver(); }, Qt::QueuedConnection);
    }

    QPointer<QObject> m_context;
    // The worker's own.
    std::vector<std::string> m_batch;
    std::chrono::steady_clock::time_point m_lastPost;
    // The window's own.
    std::function<void(const std::vector<std::string> &)> m_onNames;
    std::function<void()> m_onFinished;
    std::function<bool()> m_holdBack;
    // Shared, under m_mutex.
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_pending;
    bool m_deliverQueued = false;
    bool m_released = false;
    bool m_finished = false;
};

// The folder handed to a dialog: no trailing separator, except for the root folder itself.
QString FolderWithoutSeparator(QString folder)
{
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

// The Captions keys of the columns after the row number.
constexpr std::string_view kColumnKeys[4]
    = { "SelectFilesColumn1", "SelectFilesColumn2", "SelectFilesColumn3", "SelectFilesColumn4" };

QString OpenDialogFilter(const QString &mask)
{
    return mask + QLatin1Char('|') + mask + QStringLiteral("|(*.*)|*.*");
}

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

} // namespace

TFileListPage::TFileListPage(
    TDialogSeam &dialogs, const TRunLock &lock, TFileDialogRequest &saveDialog, QWidget *parent)
    : QWidget(parent)
    , m_dialogs(dialogs)
    , m_lock(lock)
    , m_saveDialog(saveDialog)
    , m_fileList(m_resultStore, MakeListLocale())
    , m_browseFolderTitle(CaptionText("BrowseFolder"))
{
    setObjectName(QStringLiteral("Notebook1Page0"));
    CreateControls();
    m_progressMessageText = pProgressMessage->text();
    ShowProgressMessage(false);
    ShowReadyImage(true);

    // The open dialog's design values; ApplyFileMask gives it its file types.
    m_openDialog.DefaultSuffix = QStringLiteral("pas");
    m_openDialog.MultipleFiles = true;
    m_openDialog.Filter = OpenDialogFilter(ToQ(std::string(kDefaultFileMask)));

    connect(&lock, &TRunLock::Changed, this, &TFileListPage::RunLockChanged);
}

void TFileListPage::CreateControls()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // Above the list: which of its rows to show.
    auto *filterRow = new QHBoxLayout;
    filterRow->setContentsMargins(2, 2, 2, 2);
    filterRow->setSpacing(4);
    auto *filterLabel = new QLabel(QStringLiteral("&Mostrar:"), this);
    cbListFilter = new QComboBox(this);
    cbListFilter->setObjectName(QStringLiteral("cbListFilter"));
    for (const char *text : kRowFilterTexts)
        cbListFilter->addItem(QString::fromUtf8(text));
    cbListFilter->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    SetHint(cbListFilter,
        QStringLiteral("Mostrar (Ctrl+F)|Mostrar somente os arquivos de um tipo; a lista e a conversão não mudam"));
    filterLabel->setBuddy(cbListFilter);
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(cbListFilter);
    filterRow->addStretch(1);
    layout->addLayout(filterRow);
    connect(cbListFilter, &QComboBox::activated, this, [this](int index) { SetRowFilter(RowFilterOf(index)); });

    slSearchListSelectFiles = new QTableView(this);
    slSearchListSelectFiles->setObjectName(QStringLiteral("slSearchListSelectFiles"));
    SetHint(slSearchListSelectFiles, HintText("SelectFiles"));
    slSearchListSelectFiles->setShowGrid(true);
    slSearchListSelectFiles->setSelectionBehavior(QAbstractItemView::SelectRows);
    slSearchListSelectFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    slSearchListSelectFiles->setEditTriggers(QAbstractItemView::NoEditTriggers);
    slSearchListSelectFiles->setWordWrap(false);
    // Long paths keep their start and their file name; the middle gives way.
    slSearchListSelectFiles->setTextElideMode(Qt::ElideMiddle);
    slSearchListSelectFiles->setIconSize(QSize(45, 15));
    slSearchListSelectFiles->verticalHeader()->hide();
    slSearchListSelectFiles->verticalHeader()->setDefaultSectionSize(19);
    slSearchListSelectFiles->horizontalHeader()->setHighlightSections(false);
    slSearchListSelectFiles->horizontalHeader()->setSectionsClickable(true);
    m_model = new TFileListModel(m_fileList, this);
    m_model->SetResultStore(&m_resultStore);
    slSearchListSelectFiles->setModel(m_model);
    connect(slSearchListSelectFiles, &QTableView::doubleClicked, this, &TFileListPage::RowActivated);
    auto *header = slSearchListSelectFiles->horizontalHeader();
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    // The number column also carries the state image and the row icon in front of the number.
    slSearchListSelectFiles->setColumnWidth(0, 34 + 45);
    slSearchListSelectFiles->setColumnWidth(2, 100);
    slSearchListSelectFiles->setColumnWidth(3, 53);
    slSearchListSelectFiles->setColumnWidth(4, 100);
    // The name gives way before the fixed columns do, down to a width that still shows a name.
    header->setMinimumSectionSize(24);
    FitFileListMinimumWidth();
    slSearchListSelectFiles->viewport()->setMouseTracking(true);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &TFileListPage::FitNumberColumn);
    for (const auto signal : { &QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved })
        connect(m_model, signal, this, &TFileListPage::StateChanged);
    connect(m_model, &QAbstractItemModel::modelReset, this, &TFileListPage::StateChanged);
    connect(slSearchListSelectFiles->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &TFileListPage::StateChanged);
    connect(header, &QHeaderView::sectionClicked, this, &TFileListPage::SortByColumnClick);
    // Rows added, removed, sorted or given new results: the filter and its counts follow once things settle.
    m_filterTimer = new QTimer(this);
    m_filterTimer->setSingleShot(true);
    m_filterTimer->setInterval(50);
    connect(m_filterTimer, &QTimer::timeout, this, [this] {
        // A run changes rows after every file; the filter follows once it has ended (RunLockChanged).
        if (m_lock.Held())
            return;
        ApplyRowFilter();
        RefreshFilterCounts();
    });
    const auto rowsMoved = [this] {
        if (!m_filterTimer->isActive())
            m_filterTimer->start();
    };
    connect(m_model, &QAbstractItemModel::rowsInserted, this, rowsMoved);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, rowsMoved);
    connect(m_model, &QAbstractItemModel::modelReset, this, rowsMoved);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, rowsMoved);
    connect(m_model, &QAbstractItemModel::dataChanged, this, rowsMoved);
    slSearchListSelectFiles->installEventFilter(this);
    layout->addWidget(slSearchListSelectFiles, 1);

    pStatusResult = new QFrame(this);
    pStatusResult->setObjectName(QStringLiteral("pStatusResult"));
    pStatusResult->setFixedHeight(kStripHeight);
    auto *strip = new QHBoxLayout(pStatusResult);
    strip->setContentsMargins(2, 2, 2, 2);
    strip->setSpacing(4);
    bbSaveResult = new QPushButton(CaptionText("ButtonSaveResult"), pStatusResult);
    bbSaveResult->setObjectName(QStringLiteral("bbSaveResult"));
    SetHint(bbSaveResult, HintText("ButtonSaveResult"));
    bbSaveResult->setIcon(CommandPicture(11));
    bbSaveResult->setEnabled(false);
    bbSaveResult->setFixedHeight(37);
    bbSaveResult->setMinimumWidth(128);
    connect(bbSaveResult, &QPushButton::clicked, this, &TFileListPage::SaveResult);
    strip->addWidget(bbSaveResult);
    auto *progressColumn = new QVBoxLayout;
    progressColumn->setSpacing(kColumnSpacing);
    pProgressMessage = new QLabel(CaptionText("ProgressMessage"), pStatusResult);
    pProgressMessage->setObjectName(QStringLiteral("pProgressMessage"));
    SetHint(pProgressMessage, HintText("ProgressMessage"));
    pProgressMessage->setFixedHeight(21);
    pProgressMessage->setFrameShape(QFrame::Panel);
    pProgressMessage->setFrameShadow(QFrame::Sunken);
    pProgressMessage->setAlignment(Qt::AlignCenter);
    // The message gives way to the strip's width instead of widening the window while a run shows it.
    pProgressMessage->setMinimumWidth(1);
    // The run's scope has a line of its own under the bar, shown only for a run that did not work on the whole
    // text: the progress message keeps its text, and the bar and the count their room.
    pRunScope = new QLabel(pStatusResult);
    pRunScope->setObjectName(QStringLiteral("pRunScope"));
    pRunScope->setFixedHeight(kScopeLineHeight);
    pRunScope->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Cut at the strip's edge rather than widening the window.
    pRunScope->setMinimumWidth(1);
    pRunScope->hide();
    // Beside it, what the last run (or undo) came to.
    pRunSummary = new QLabel(pStatusResult);
    pRunSummary->setObjectName(QStringLiteral("pRunSummary"));
    pRunSummary->setFixedHeight(kScopeLineHeight);
    // A narrow window cuts the line's end, never its first figures; the tooltip holds it whole.
    pRunSummary->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    pRunSummary->setMinimumWidth(1);
    pRunSummary->hide();
    pRunFileCount = new QLabel(pStatusResult);
    pRunFileCount->setObjectName(QStringLiteral("pRunFileCount"));
    pRunFileCount->setFixedHeight(14);
    pRunFileCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The run disables the whole strip, yet what it says while working must stay readable.
    for (QLabel *label : { pProgressMessage, pRunScope, pRunSummary, pRunFileCount }) {
        QPalette palette = label->palette();
        palette.setColor(
            QPalette::Disabled, QPalette::WindowText, palette.color(QPalette::Active, QPalette::WindowText));
        label->setPalette(palette);
    }
    progressColumn->addWidget(pProgressMessage);
    ProgressBar1 = new QProgressBar(pStatusResult);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFixedHeight(12);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    // The file count goes beside the bar, so the message keeps the strip's whole width.
    auto *barRow = new QHBoxLayout;
    barRow->setSpacing(6);
    barRow->addWidget(ProgressBar1, 1);
    barRow->addWidget(pRunFileCount);
    progressColumn->addLayout(barRow);
    auto *infoRow = new QHBoxLayout;
    infoRow->setSpacing(6);
    infoRow->addWidget(pRunScope);
    infoRow->addWidget(pRunSummary, 1);
    progressColumn->addLayout(infoRow);
    strip->addLayout(progressColumn, 1);
    Image2 = new QLabel(pStatusResult);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setFixedSize(20, 37);
    Image2->setAlignment(Qt::AlignCenter);
    strip->addWidget(Image2);
    layout->addWidget(pStatusResult);
    setFocusProxy(slSearchListSelectFiles);
}

void TFileListPage::AddTextTargets(TTextTargets &targets)
{
    for (int i = 0; i < 4; ++i) {
        // The first column, the row number, keeps its caption: the keys start at the file name column.
        const int column = i + 1;
        targets.Captions.push_back({ kColumnKeys[i], [this, column] { return m_model->Caption(column); },
            [this, column](const QString &text) { m_model->SetCaption(column, text); } });
    }
    targets.Captions.push_back({ "BrowseFolder", [this] { return m_browseFolderTitle; },
        [this](const QString &text) { m_browseFolderTitle = text; } });
    targets.Captions.push_back(TextOf("ButtonSaveResult", bbSaveResult));
    targets.Captions.push_back({ "ProgressMessage", [this] { return m_progressMessageText; },
        [this](const QString &text) { m_progressMessageText = text; } });
    targets.Hints.push_back(HintTargetOf("SelectFiles", static_cast<QWidget *>(slSearchListSelectFiles)));
    targets.Hints.push_back(HintTargetOf("ButtonSaveResult", static_cast<QWidget *>(bbSaveResult)));
    targets.Hints.push_back(HintTargetOf("ProgressMessage", static_cast<QWidget *>(pProgressMessage)));
}

bool TFileListPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == slSearchListSelectFiles && event->type() == QEvent::KeyRelease) {
        const auto *key = static_cast<QKeyEvent *>(event);
        // A held key repeats its press, but it is released once. Shift, Ctrl and Alt make no difference.
        if (!key->isAutoRepeat() && key->key() == Qt::Key_Delete && !m_lock.Held())
            Q_EMIT RemoveKeyReleased();
    }
    return QWidget::eventFilter(watched, event);
}

void TFileListPage::RunLockChanged(bool held)
{
    if (held)
        bbSaveResult->setEnabled(false);
    pStatusResult->setEnabled(!held);
    cbListFilter->setEnabled(!held);
    // The counts wait for the end of a run: they would be out of date again after the next file.
    if (!held)
        m_filterTimer->start();
    // So do the names a scan found during the run.
    if (!held && m_deliverScanNames)
        m_deliverScanNames();
    // A scan whose walk ended during the run has its end handled now.
    if (!held && m_scanEndDue)
        QTimer::singleShot(0, this, &TFileListPage::FinishScan);
}

void TFileListPage::SetRowFilter(TRowFilter filter)
{
    m_rowFilter = filter;
    if (cbListFilter->currentIndex() != int(filter))
        cbListFilter->setCurrentIndex(int(filter));
    ApplyRowFilter();
    Q_EMIT StateChanged();
}

void TFileListPage::ApplyRowFilter()
{
    const int rows = m_model->rowCount();
    for (int row = 0; row < rows; ++row) {
        const bool hidden = !m_model->RowShown(m_rowFilter, row);
        if (slSearchListSelectFiles->isRowHidden(row) != hidden)
            slSearchListSelectFiles->setRowHidden(row, hidden);
    }
}

void TFileListPage::RefreshFilterCounts()
{
    const auto counts = m_model->FilterCounts();
    const QString separator = ToQ(m_fileList.Locale().ThousandsSeparator);
    for (std::size_t filter = 0; filter < kRowFilterCount; ++filter)
        cbListFilter->setItemText(int(filter),
            QStringLiteral("%1 (%2)").arg(QString::fromUtf8(kRowFilterTexts[filter]),
                ToQ(FormatCount(static_cast<long long>(counts[filter]), FromQ(separator)))));
}

bool TFileListPage::RowHidden(int row) const
{
    return slSearchListSelectFiles->isRowHidden(row);
}

void TFileListPage::FocusRowFilter()
{
    cbListFilter->setFocus(Qt::ShortcutFocusReason);
}

void TFileListPage::FitNumberColumn()
{
    // Wide enough for the largest number given so far, next to the state image and the row icon.
    const std::size_t count = m_resultStore.Count();
    const QString largest = QString::number(qulonglong(count == 0 ? 0 : count - 1));
    const QFontMetrics metrics(slSearchListSelectFiles->font());
    const int needed = slSearchListSelectFiles->iconSize().width() + metrics.horizontalAdvance(largest) + 20;
    if (needed > slSearchListSelectFiles->columnWidth(0)) {
        slSearchListSelectFiles->setColumnWidth(0, needed);
        FitFileListMinimumWidth();
    }
}

void TFileListPage::FitFileListMinimumWidth()
{
    // Room for the fixed columns and a name that can still be read.
    constexpr int kNameMinimum = 160;
    int width = kNameMinimum + slSearchListSelectFiles->verticalScrollBar()->sizeHint().width()
        + 2 * slSearchListSelectFiles->frameWidth();
    for (int column : { 0, 2, 3, 4 })
        width += slSearchListSelectFiles->columnWidth(column);
    slSearchListSelectFiles->setMinimumWidth(width);
}

bool TFileListPage::AddFileToList(const QString &name)
{
    return m_model->AddFile(PathFromQ(name));
}

// What a scan going on holds: what it found not yet listed, its own search, how it ended, and its worker.
struct TFileListPage::TActiveScan
{
    std::shared_ptr<TFoundNames> Found;
    std::unique_ptr<TSearchFiles> Walker;
    bool Completed = false;
    std::exception_ptr Thrown;
    bool ListWasEmpty = false;
    std::thread Worker;
};

TFileListPage::~TFileListPage()
{
    if (!m_scan)
        return;
    // The page goes while its scan goes on: the walk ends at its next entry, and waits for nothing of the page's.
    m_closeAfterScan = true;
    m_scan->Found->SetOnFinished({});
    m_scan->Found->Release();
    if (m_scan->Worker.joinable())
        m_scan->Worker.join();
}

void TFileListPage::StartScan(bool listWasEmpty)
{
    auto scan = std::make_unique<TActiveScan>();
    scan->ListWasEmpty = listWasEmpty;
    const std::shared_ptr<TFoundNames> found = std::make_shared<TFoundNames>(this);
    scan->Found = found;
    scan->Walker = m_search.BeginDetached();
    scan->Walker->SetOnFindFile([found](const std::string &name) { found->Add(name); });
    scan->Walker->SetOnPendingEvent([this, found, first = true]() mutable {
        if (std::exchange(first, false))
            found->WaitForRelease();
        if (m_closeAfterScan)
            throw TScanStopped {};
    });
    // Each name is listed at once on arrival (a later duplicate is refused); the view shows new rows a few times
    // a second.
    found->SetOnNames([this](const std::vector<std::string> &names) {
        for (const std::string &name : names)
            m_model->AddFileLater(name);
    });
    // A run started during the scan keeps the list as it was until it has ended.
    found->SetHoldBack([this] { return m_lock.Held(); });
    m_deliverScanNames = [found] { found->Deliver(); };
    found->SetOnFinished([this] { FinishScan(); });
    TActiveScan &active = *scan;
    m_scan = std::move(scan);
    active.Worker = std::thread([&active] {
        try {
            active.Completed = active.Walker->Search();
        } catch (...) {
            active.Thrown = std::current_exception();
        }
        active.Found->Finish();
    });
    // The walk begins once the events pending now were handled: a close or a second scan asked for before it
    // meets the scan in progress.
    QTimer::singleShot(0, this, [found] { found->Release(); });
}

void TFileListPage::FinishScan()
{
    if (!m_scan)
        return;
    // A run started during the scan keeps the list as it was: the scan's end waits for the run's.
    if (m_lock.Held()) {
        m_scanEndDue = true;
        return;
    }
    m_scanEndDue = false;
    TActiveScan &scan = *m_scan;
    scan.Worker.join();
    m_deliverScanNames = nullptr;
    scan.Found->Deliver();
    scan.Found->SetOnFinished({});
    scan.Found->SetOnNames({});
    scan.Found->SetHoldBack({});
    m_search.EndDetached(*scan.Walker);
    bool closed = false;
    if (scan.Thrown) {
        try {
            std::rethrow_exception(scan.Thrown);
        } catch (const TScanStopped &) {
            closed = true;
        }
    }
    const bool completed = !closed && scan.Completed;
    const bool listWasEmpty = scan.ListWasEmpty;
    m_scan.reset();
    m_model->ShowPendingRows();
    if (closed || m_closeAfterScan) {
        m_closeAfterScan = false;
        Q_EMIT ScanFinished();
        QTimer::singleShot(0, this, &TFileListPage::CloseWanted);
        return;
    }
    if (!completed && m_search.FailedErrorNumber() != 0) {
        // The rows found before the folder that stopped the search stay; the user learns where and why.
        m_dialogs.ShowError(window(), ErrorText(m_search.FailureMessage()));
    }
    Q_EMIT PageWanted();
    if (listWasEmpty)
        SortByColumnClick(1);
    Q_EMIT ScanFinished();
}

void TFileListPage::HandleDroppedFiles(const QStringList &names)
{
    if (m_lock.Held())
        return;
    // Names are taken whole: cutting a long path at 260 characters would name another file, or one that
    // exists under that shorter name and would then be converted in place of the dropped one.
    for (const QString &name : names)
        AddFileToList(name);
}

void TFileListPage::ApplyFileMask(const QString &mask)
{
    // The entry chosen last (FilterIndex) is kept by position across new file types.
    m_openDialog.Filter = OpenDialogFilter(mask);
    // The masks are matched against the file system's bytes, so they take the same encoding.
    m_search.FileParams().SetMaskText(PathFromQ(mask));
}

void TFileListPage::SortByColumnClick(int column)
{
    if (m_lock.Held() || column < 1 || column >= kFileListColumns)
        return;
    m_model->SortByColumn(column);
}

void TFileListPage::ScanSubDirectory()
{
    const bool listWasEmpty = m_fileList.RowCount() == 0;
    const std::optional<QString> folder = m_dialogs.BrowseFolder(
        window(), m_browseFolderTitle, FolderWithoutSeparator(PathToQ(m_search.RootDirectory())));
    if (!folder)
        return;
    m_search.SetRootDirectory(PathFromQ(*folder));
    m_search.FileParams().FallBackToDefaultMask();
    // A scan started while one runs chooses a folder, but its search returns at once.
    if (!m_search.InProgress()) {
        StartScan(listWasEmpty);
        return;
    }
    Q_EMIT PageWanted();
    if (listWasEmpty)
        SortByColumnClick(1);
}

void TFileListPage::AddFile()
{
    m_openDialog.Directory = FolderWithoutSeparator(PathToQ(m_search.RootDirectory()));
    const QStringList names = m_dialogs.OpenFiles(window(), m_openDialog);
    if (names.isEmpty())
        return;
    const bool listWasEmpty = m_fileList.RowCount() == 0;
    for (const QString &name : names)
        AddFileToList(name);
    Q_EMIT PageWanted();
    if (listWasEmpty)
        SortByColumnClick(1);
}

void TFileListPage::RemoveFile()
{
    QItemSelectionModel *selection = slSearchListSelectFiles->selectionModel();
    std::vector<int> rows;
    // What the filter hides is not removed, even when a selection of every row holds it.
    for (const QItemSelectionRange &range : selection->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            if (!slSearchListSelectFiles->isRowHidden(row))
                rows.push_back(row);
    m_model->RemoveRows(std::move(rows));
    Q_EMIT PageWanted();
    const QModelIndex focused = selection->currentIndex();
    if (focused.isValid())
        selection->select(focused, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TFileListPage::SelectAll()
{
    slSearchListSelectFiles->selectAll();
    Q_EMIT PageWanted();
}

void TFileListPage::SaveResult()
{
    // The button is disabled while a run holds the lock.
    if (!bbSaveResult->isEnabled())
        return;
    std::optional<QString> chosen;
    {
        TBorrowedSaveDialog borrowed(m_saveDialog);
        const QDate today = QDate::currentDate();
        m_saveDialog.DefaultSuffix = QStringLiteral("txt");
        m_saveDialog.Filter = QStringLiteral("*.txt|*.txt");
        m_saveDialog.FilterIndex = 0;
        m_saveDialog.ConfirmOverwrite = true;
        m_saveDialog.Directory = FolderWithoutSeparator(PathToQ(m_search.RootDirectory()));
        m_saveDialog.FileName
            = ToQ(ProposedReportFileName(today.year(), unsigned(today.month()), unsigned(today.day())));
        chosen = m_dialogs.SaveFile(window(), m_saveDialog);
        if (chosen)
            m_saveDialog.FileName = *chosen;
    }
    if (!chosen)
        return;
    try {
        TReportCaptions captions;
        captions.FileName = FromQ(m_model->Caption(1));
        captions.Updates = FromQ(m_model->Caption(2));
        captions.Status = FromQ(m_model->Caption(3));
        captions.Time = FromQ(m_model->Caption(4));
        WriteResultReport(
            PathFromQ(*chosen), ReportRowsOf(m_model->List()), std::size_t(MaxFileNameLength()), captions);
    } catch (const std::exception &e) {
        m_dialogs.ShowError(window(), ErrorText(e));
        return;
    }
    bbSaveResult->setEnabled(false);
    Q_EMIT StateChanged();
}

int TFileListPage::RowCount() const
{
    return m_model->rowCount();
}

bool TFileListPage::AnyFileSelected() const
{
    const auto *selection = slSearchListSelectFiles->selectionModel();
    return selection != nullptr && selection->hasSelection();
}

bool TFileListPage::SaveResultEnabled() const
{
    // The button's own state: a result view or a run that disables what holds it does not take the result away.
    return bbSaveResult->isEnabledTo(pStatusResult);
}

void TFileListPage::EnableSaveResult(bool enabled)
{
    bbSaveResult->setEnabled(enabled);
}

int TFileListPage::MaxFileNameLength() const
{
    return int(m_fileList.MaxFileNameLength());
}

std::optional<int> TFileListPage::FirstSelectedRow() const
{
    const QItemSelectionModel *selection = slSearchListSelectFiles->selectionModel();
    if (!selection)
        return std::nullopt;
    int position = -1;
    for (const QModelIndex &index : selection->selectedRows())
        if (position < 0 || index.row() < position)
            position = index.row();
    if (position < 0 || std::size_t(position) >= m_fileList.RowCount())
        return std::nullopt;
    return position;
}

bool TFileListPage::IsListViewport(const QObject *object) const
{
    return object == slSearchListSelectFiles->viewport();
}

QString TFileListPage::FailureReasonAt(const QObject *under, const QPoint &globalPosition) const
{
    if (!IsListViewport(under))
        return {};
    const QModelIndex index
        = slSearchListSelectFiles->indexAt(slSearchListSelectFiles->viewport()->mapFromGlobal(globalPosition));
    return index.isValid() ? m_model->FailureReason(index.row()) : QString();
}

void TFileListPage::ShowProgressMessage(bool on)
{
    pProgressMessage->setEnabled(on);
    pProgressMessage->setText(on ? m_progressMessageText : QString());
    if (!on) {
        pRunFileCount->clear();
        pRunFileCount->setMinimumWidth(0);
    }
}

void TFileListPage::ShowReadyImage(bool ready)
{
    Image2->clear();
    Image2->setPixmap(ReadyBusyPicture(ready ? 0 : 1));
}

void TFileListPage::ShowRunFileCount(int current, int total)
{
    // Room for the largest count of this run, so the bar does not shift from file to file.
    const QString largest = QStringLiteral("Arquivo %1 de %1").arg(total);
    const int width = pRunFileCount->fontMetrics().horizontalAdvance(largest) + 4;
    if (pRunFileCount->minimumWidth() != width)
        pRunFileCount->setMinimumWidth(width);
    pRunFileCount->setText(QStringLiteral("Arquivo %1 de %2").arg(current).arg(total));
}

void TFileListPage::ShowRunScope(TScope scope)
{
    m_runScope = scope;
    pRunScope->setText(RunScopeText(scope));
    SetHint(pRunScope, ScopeChoiceHint(scope));
    pRunScope->setVisible(scope != TScope::All);
    // A new run's figures come at its end.
    pRunSummary->clear();
    pRunSummary->hide();
    FitStripHeight();
}

void TFileListPage::ShowRunSummary(const QString &text)
{
    pRunSummary->setText(text);
    pRunSummary->setToolTip(text);
    pRunSummary->setVisible(!text.isEmpty());
    FitStripHeight();
}

QString TFileListPage::RunSummary() const
{
    return pRunSummary->text();
}

void TFileListPage::FitStripHeight()
{
    // The strip grows by the line of the scope and the figures only while it shows, so a window that has
    // not run yet keeps its layout.
    const bool shown = !pRunScope->isHidden() || !pRunSummary->isHidden();
    pStatusResult->setFixedHeight(kStripHeight + (shown ? kColumnSpacing + kScopeLineHeight : 0));
}

std::vector<int> TFileListPage::FailedRows() const
{
    std::vector<int> rows;
    for (std::size_t row = 0; row < m_fileList.RowCount(); ++row)
        if (!m_fileList.Rows()[row].FailureReason.Empty())
            rows.push_back(int(row));
    return rows;
}

void TFileListPage::ForgetResultsOf(const std::vector<std::string> &files)
{
    const std::unordered_set<std::string> undone(files.begin(), files.end());
    std::vector<int> rows;
    bool resultLeft = false;
    for (std::size_t row = 0; row < m_fileList.RowCount(); ++row) {
        const TFileRow &r = m_fileList.Rows()[row];
        if (!undone.contains(r.FileName)) {
            resultLeft = resultLeft || RowShown(TRowFilter::Changed, r, TRowMarks {});
            continue;
        }
        rows.push_back(int(row));
        m_resultStore.Replace(r.Number, TConversionResult());
        m_resultStore.ReplaceDetails(r.Number, TRowDetails());
    }
    m_model->ForgetRunOf(rows);
    if (!resultLeft)
        bbSaveResult->setEnabled(false);
    Q_EMIT StateChanged();
}

void TFileListPage::SetProgress(int position, int minimum, int maximum)
{
    if (ProgressBar1->minimum() != minimum || ProgressBar1->maximum() != maximum)
        ProgressBar1->setRange(minimum, std::max(minimum, maximum));
    ProgressBar1->setValue(position);
}

void TFileListPage::SelectRunRows(const std::vector<int> &rows)
{
    if (rows.empty())
        return;
    auto *model = slSearchListSelectFiles->model();
    auto *selection = slSearchListSelectFiles->selectionModel();
    // Rows selected one by one would each stay a range of their own, and every repaint of the list walks
    // all of them: keep the selection as few merged ranges instead.
    std::vector<std::pair<int, int>> ranges;
    ranges.reserve(rows.size() + std::size_t(selection->selection().size()));
    for (const int row : rows)
        ranges.emplace_back(row, row);
    for (const QItemSelectionRange &range : selection->selection())
        ranges.emplace_back(range.top(), range.bottom());
    std::sort(ranges.begin(), ranges.end());
    QItemSelection merged;
    int top = ranges.front().first;
    int bottom = ranges.front().second;
    const int lastColumn = model->columnCount() - 1;
    for (std::size_t i = 1; i <= ranges.size(); ++i) {
        if (i < ranges.size() && ranges[i].first <= bottom + 1) {
            bottom = std::max(bottom, ranges[i].second);
            continue;
        }
        merged.select(model->index(top, 0), model->index(bottom, lastColumn));
        if (i < ranges.size()) {
            top = ranges[i].first;
            bottom = ranges[i].second;
        }
    }
    selection->select(merged, QItemSelectionModel::ClearAndSelect);
    const QModelIndex index = model->index(rows.back(), 0);
    selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    slSearchListSelectFiles->scrollTo(index);
}

void TFileListPage::ClearRowSelection()
{
    slSearchListSelectFiles->selectionModel()->clearSelection();
}

} // namespace qvc
