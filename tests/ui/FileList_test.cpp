// The file list in the window: scan, add, drop, remove, select all, the Delete key, the column sort and the
// mask field, with every dialog answered through the seam.
#include "UiTestSupport.h"

#include "common/TextFormat.h"
#include "filelist/SearchFiles.h"
#include "ui/Application.h"
#include "ui/FileListModel.h"
#include "ui/TextBridge.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMimeData>
#include <QStackedWidget>
#include <QTableView>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <cerrno>
#include <map>

using qvc::PathFromQ;
using qvc::PathToQ;

namespace {

// The cells of one column, top to bottom, as the list shows them.
QStringList ColumnTexts(const TMainProbe &w, int column)
{
    QStringList texts;
    const QAbstractItemModel *model = w.slSearchListSelectFiles->model();
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, column).data().toString();
    return texts;
}

QStringList Names(const TMainProbe &w)
{
    return ColumnTexts(w, 1);
}

// The header pictures as one text, "0" none, "1" up, "2" down, checked against what the header shows.
QString HeaderPictures(const TMainProbe &w)
{
    QString pictures;
    const QAbstractItemModel *model = w.slSearchListSelectFiles->model();
    for (int column = 0; column < qvc::kFileListColumns; ++column) {
        const int picture = w.FileListModel().List().HeaderPictures()[std::size_t(column)];
        const bool shown = !model->headerData(column, Qt::Horizontal, Qt::DecorationRole).isNull();
        if (shown != (picture != qvc::kNoPicture))
            return QStringLiteral("header and list disagree on column %1").arg(column);
        pictures += QString::number(picture);
    }
    return pictures;
}

// Selects one whole row, whatever modifier keys an earlier simulated key event left behind.
void SelectRow(const TMainProbe &w, int row)
{
    w.slSearchListSelectFiles->selectionModel()->select(w.slSearchListSelectFiles->model()->index(row, 0),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

QList<int> SelectedRows(const TMainProbe &w)
{
    QList<int> rows;
    for (const QModelIndex &index : w.slSearchListSelectFiles->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

// What the search reports for a folder, in its order, with the default masks.
QStringList CoreSearchOrder(const QString &folder)
{
    qvc::TSearchFiles search;
    search.SetRootDirectory(PathFromQ(folder));
    search.FileParams().SetMaskText(qvc::kDefaultFileMask);
    QStringList names;
    search.SetOnFindFile([&names](const std::string &name) { names << PathToQ(name); });
    search.Search();
    return names;
}

void ClickHeader(const TMainProbe &w, int column)
{
    QHeaderView *header = w.slSearchListSelectFiles->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

// A drop from a file manager: the drag enters the window, then the names are dropped.
void Drop(QWidget &target, const QStringList &paths)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls << QUrl::fromLocalFile(path);
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &enter);
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &drop);
}

// A command as the user reaches it: the window has been idle, so the enabling pass is current.
void Run(QAction *action)
{
    SettleEvents();
    action->trigger();
    // A scan goes on after the command returns; the tests look at what it came to.
    QTest::qWaitFor(
        [action] { return !action->parent()->findChild<qvc::TFileListPage *>()->ScanInProgress(); }, 120000);
}

// The open dialog as a user who picks the file type at `ChosenFilterIndex` before confirming.
class TFilterChoosingSeam : public qvc::TScriptedDialogSeam
{
public:
    int ChosenFilterIndex = 0;
    QStringList OpenFiles(QWidget *parent, qvc::TFileDialogRequest &request) override
    {
        QStringList answer = TScriptedDialogSeam::OpenFiles(parent, request);
        if (!answer.isEmpty())
            request.FilterIndex = ChosenFilterIndex;
        return answer;
    }
};

} // namespace

class FileListTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void listLayout();
    void scanSortsAnEmptyListThenAppendsInSearchOrder();
    void scanIntoEmptiedListFollowsTheTriangle();
    void cancelledPickerChangesNothing();
    void unreadableFolderIsReportedOnceAndKeepsRows();
    void secondScanDuringAScanOnlyPicksAFolder();
    void closeDuringAScanEndsItAndCloses();
    void rowsAppearWhileTheScanGoesOn();
    void addDedupesOneFileAndNumbersForGood();
    void namesDifferingOnlyInCaseAreTwoFiles();
    void openDialogRemembersFileTypeByPosition();
    void dropAddsInOrderWithoutSortOrPageChange();
    void removeSelectsTheFocusRow();
    void selectAllSelectsEveryRow();
    void deleteKey_data();
    void deleteKey();
    void sortByColumn_data();
    void sortByColumn();
    void maskFieldAppliesOnFocusOutOnly();

private:
    TMainProbe Window() { return m_fixture->Window(); }
    qvc::TScriptedDialogSeam &Dialogs() { return m_fixture->Dialogs; }
    QString Folder(const QString &name) const { return m_fixture->Dir() + QLatin1Char('/') + name; }
    void AddRows(const QStringList &names)
    {
        for (const QString &name : names)
            QVERIFY(Window().AddFileToList(Folder(name)));
    }

    TWindowFixture *m_fixture = nullptr;
};

void FileListTest::initTestCase()
{
    qvc::SetUpApplication(*qApp);
}

void FileListTest::init()
{
    m_fixture = new TWindowFixture;
    TMainProbe w(m_fixture->Create());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.Window()));
    // The settings would apply the mask at start-up; here the field's design text is applied.
    w.ApplyFileMask();
    SettleEvents();
}

void FileListTest::cleanup()
{
    delete m_fixture;
    m_fixture = nullptr;
}

void FileListTest::listLayout()
{
    QTableView *list = Window().slSearchListSelectFiles;
    QVERIFY(list->showGrid());
    QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    QCOMPARE(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(list->model()->columnCount(), 5);
    QCOMPARE(list->horizontalHeader()->sectionResizeMode(1), QHeaderView::Stretch);
    QCOMPARE(list->columnWidth(2), 100);
    QCOMPARE(list->columnWidth(3), 53);
    QCOMPARE(list->columnWidth(4), 100);
    AddRows({ QStringLiteral("a.pas") });
    const QModelIndex first = list->model()->index(0, 0);
    QCOMPARE(first.data().toString(), QStringLiteral("0"));
    QVERIFY(!first.data(Qt::DecorationRole).isNull());
    QCOMPARE(ColumnTexts(Window(), 2), QStringList { QStringLiteral("-") });
    QCOMPARE(Window().FileListModel().List().Rows()[0].StateImage, qvc::kImageUnchanged);
}

void FileListTest::scanSortsAnEmptyListThenAppendsInSearchOrder()
{
    TMainProbe w(Window());
    for (const char *name : { "tree/b.pas", "tree/A.PAS", "tree/sub/c.dfm", "tree/sub/d.txt", "tree/.svn/e.pas",
             "tree/z.xfm", "more/q.dpr", "more/deep/p.pas", "more/deep/x.dpk", "more/M.Pas" })
        m_fixture->WriteFile(QLatin1String(name), "unit");
    // An empty mask field scans with the default masks and stays empty.
    w.ldLabeledEditFileMask->setText(QString());
    w.ApplyFileMask();
    w.JvSearchFiles1().SetRootDirectory(PathFromQ(Folder(QStringLiteral("start/"))));
    w.obOutlookBarOptionsButtonClick(2);
    Dialogs().FolderAnswers = { Folder(QStringLiteral("tree")), Folder(QStringLiteral("more")) };

    Run(w.actScanSubDirectory);
    const auto pickers = Dialogs().CallsOf(QStringLiteral("folder"));
    QCOMPARE(pickers.size(), std::size_t(1));
    QCOMPARE(pickers[0].Text, QStringLiteral("Selecionar diretório : "));
    QCOMPARE(pickers[0].Directory, Folder(QStringLiteral("start")));
    QCOMPARE(PathToQ(w.JvSearchFiles1().RootDirectory()), Folder(QStringLiteral("tree")));
    QVERIFY(w.ldLabeledEditFileMask->text().isEmpty());
    QCOMPARE(w.Notebook1->currentIndex(), 0);
    // Into an empty list: sorted ascending by name, the downward triangle on the name column.
    const QStringList firstScan = { Folder(QStringLiteral("tree/A.PAS")), Folder(QStringLiteral("tree/b.pas")),
        Folder(QStringLiteral("tree/sub/c.dfm")), Folder(QStringLiteral("tree/z.xfm")) };
    QCOMPARE(Names(w), firstScan);
    QCOMPARE(HeaderPictures(w), QStringLiteral("02000"));
    QStringList numbers = ColumnTexts(w, 0);
    numbers.sort();
    QCOMPARE(numbers, (QStringList { "0", "1", "2", "3" }));

    // Into a list with rows: appended in the order found, not sorted, the triangle stays.
    Run(w.actScanSubDirectory);
    QCOMPARE(Names(w), firstScan + CoreSearchOrder(Folder(QStringLiteral("more"))));
    QCOMPARE(Names(w).size(), 8);
    QCOMPARE(ColumnTexts(w, 0).mid(4), (QStringList { "4", "5", "6", "7" }));
    QCOMPARE(HeaderPictures(w), QStringLiteral("02000"));
    QVERIFY(Dialogs().CallsOf(QStringLiteral("error")).empty());
}

void FileListTest::scanIntoEmptiedListFollowsTheTriangle()
{
    TMainProbe w(Window());
    m_fixture->WriteFile(QStringLiteral("tree/a.pas"), "unit");
    m_fixture->WriteFile(QStringLiteral("tree/b.pas"), "unit");
    QDir().mkpath(Folder(QStringLiteral("empty")));
    const QStringList ascending = { Folder(QStringLiteral("tree/a.pas")), Folder(QStringLiteral("tree/b.pas")) };
    Dialogs().FolderAnswers = { Folder(QStringLiteral("tree")), Folder(QStringLiteral("tree")),
        Folder(QStringLiteral("empty")), Folder(QStringLiteral("empty")) };

    Run(w.actScanSubDirectory);
    QCOMPARE(Names(w), ascending);
    QCOMPARE(HeaderPictures(w), QStringLiteral("02000"));
    // Emptied after that sort: the next scan acts as a second click and sorts descending.
    SettleEvents();
    Run(w.actSelectAll);
    Run(w.actRemoveFile);
    QCOMPARE(w.slSearchListSelectFiles->model()->rowCount(), 0);
    Run(w.actScanSubDirectory);
    QCOMPARE(Names(w), (QStringList { ascending[1], ascending[0] }));
    QCOMPARE(HeaderPictures(w), QStringLiteral("01000"));
    QStringList numbers = ColumnTexts(w, 0);
    numbers.sort();
    QCOMPARE(numbers, (QStringList { "2", "3" }));
    // A scan into an empty list that finds nothing still turns the triangle.
    Run(w.actSelectAll);
    Run(w.actRemoveFile);
    Run(w.actScanSubDirectory);
    QCOMPARE(HeaderPictures(w), QStringLiteral("02000"));
    Run(w.actScanSubDirectory);
    QCOMPARE(HeaderPictures(w), QStringLiteral("01000"));
    QCOMPARE(w.slSearchListSelectFiles->model()->rowCount(), 0);
}

void FileListTest::cancelledPickerChangesNothing()
{
    TMainProbe w(Window());
    w.JvSearchFiles1().SetRootDirectory("/nowhere/");
    w.obOutlookBarOptionsButtonClick(1);
    Dialogs().FolderAnswers = { QString() };
    Run(w.actScanSubDirectory);
    QCOMPARE(Dialogs().CallsOf(QStringLiteral("folder")).size(), std::size_t(1));
    QCOMPARE(Dialogs().CallsOf(QStringLiteral("folder"))[0].Directory, QStringLiteral("/nowhere"));
    QCOMPARE(w.JvSearchFiles1().RootDirectory(), std::string("/nowhere/"));
    QCOMPARE(w.Notebook1->currentIndex(), 1);
    QCOMPARE(HeaderPictures(w), QStringLiteral("00000"));
    // So does a cancelled open dialog.
    Dialogs().OpenAnswers = { QStringList() };
    Run(w.actAddFile);
    QCOMPARE(w.Notebook1->currentIndex(), 1);
    QCOMPARE(w.slSearchListSelectFiles->model()->rowCount(), 0);
}

void FileListTest::unreadableFolderIsReportedOnceAndKeepsRows()
{
    TMainProbe w(Window());
    // A tree whose listing order is fixed: R holds b.pas, a.pas, then x (unreadable) and y.
    const std::string root = "/R";
    const std::map<std::string, std::vector<qvc::TFolderEntry>> tree = {
        { "/R/",
            { { "b.pas", qvc::TEntryKind::File }, { "a.pas", qvc::TEntryKind::File }, { "x", qvc::TEntryKind::Folder },
                { "y", qvc::TEntryKind::Folder } } },
        { "/R/y/", { { "y1.pas", qvc::TEntryKind::File } } },
    };
    w.JvSearchFiles1().SetFolderLister([&tree](const std::string &prefix, const qvc::TFolderEntryHandler &onEntry) {
        const auto folder = tree.find(prefix);
        if (folder == tree.end())
            return EACCES;
        for (const auto &entry : folder->second)
            onEntry(entry);
        return 0;
    });
    AddRows({ QStringLiteral("first.pas") });
    Dialogs().FolderAnswers = { QStringLiteral("/R") };
    Run(w.actScanSubDirectory);
    QCOMPARE(Names(w), (QStringList { Folder(QStringLiteral("first.pas")), "/R/b.pas", "/R/a.pas" }));
    const auto errors = Dialogs().CallsOf(QStringLiteral("error"));
    QCOMPARE(errors.size(), std::size_t(1));
    QCOMPARE(
        errors[0].Text, qvc::ToQ(qvc::FormatTemplate(qvc::kCannotReadFolder, { "/R/x", qvc::SystemReason(EACCES) })));
    QCOMPARE(w.Notebook1->currentIndex(), 0);

    // A folder removed after it was picked stops the search at once, with its own reason.
    w.JvSearchFiles1().SetFolderLister(qvc::ListFolderPosix);
    Dialogs().FolderAnswers = { Folder(QStringLiteral("gone")) };
    Run(w.actScanSubDirectory);
    const auto second = Dialogs().CallsOf(QStringLiteral("error"));
    QCOMPARE(second.size(), std::size_t(2));
    QVERIFY(second[1].Text.contains(Folder(QStringLiteral("gone"))));
    QVERIFY(second[1].Text.contains(QString::fromLocal8Bit(qvc::SystemReason(ENOENT))));
    QCOMPARE(Names(w).size(), 3);
}

void FileListTest::secondScanDuringAScanOnlyPicksAFolder()
{
    TMainProbe w(Window());
    for (const char *name : { "one/a.pas", "one/s/b.pas", "one/t/c.pas", "two/z.pas" })
        m_fixture->WriteFile(QLatin1String(name), "unit");
    AddRows({ QStringLiteral("first.pas") });
    Dialogs().FolderAnswers = { Folder(QStringLiteral("one")), Folder(QStringLiteral("two")) };
    bool nestedRan = false;
    SettleEvents();
    // Fires at the first entry the search hands the window.
    QTimer::singleShot(0, &w.Window(), [&] {
        nestedRan = w.JvSearchFiles1().InProgress();
        w.actScanSubDirectory->trigger();
    });
    w.actScanSubDirectory->trigger();
    w.WaitForScanEnd();
    QVERIFY(nestedRan);
    QCOMPARE(Dialogs().CallsOf(QStringLiteral("folder")).size(), std::size_t(2));
    QCOMPARE(
        Names(w), QStringList { Folder(QStringLiteral("first.pas")) } + CoreSearchOrder(Folder(QStringLiteral("one"))));
    QCOMPARE(PathToQ(w.JvSearchFiles1().RootDirectory()), Folder(QStringLiteral("two")));
    QVERIFY(Dialogs().CallsOf(QStringLiteral("error")).empty());
    QVERIFY(!w.JvSearchFiles1().InProgress());
}

void FileListTest::closeDuringAScanEndsItAndCloses()
{
    TMainProbe w(Window());
    for (const char *name : { "tree/a.pas", "tree/s/b.pas", "tree/t/c.pas" })
        m_fixture->WriteFile(QLatin1String(name), "unit");
    Dialogs().FolderAnswers = { Folder(QStringLiteral("tree")) };
    SettleEvents();
    QTimer::singleShot(0, &w.Window(), [&w] { w.close(); });
    w.actScanSubDirectory->trigger();
    w.WaitForScanEnd();
    QVERIFY(!w.JvSearchFiles1().InProgress());
    QVERIFY(w.slSearchListSelectFiles->model()->rowCount() < 3);
    QTRY_VERIFY(!w.isVisible());
}

void FileListTest::rowsAppearWhileTheScanGoesOn()
{
    TMainProbe w(Window());
    // A folder that keeps giving entries until the list has shown some of them, then gives 10 more: the rows
    // must reach the view while the scan is still going on, however fast or slow this machine is. The view
    // shows new rows after a short delay that only the scan's own handling of pending events lets end, so
    // from the 10th entry on the folder waits a millisecond per entry (up to 20 s, in case it never shows).
    int given = 0;
    int shownDuringScan = -1;
    bool wasScanning = false;
    w.JvSearchFiles1().SetFolderLister([&](const std::string &, const qvc::TFolderEntryHandler &onEntry) {
        for (int last = 20000; given < last;) {
            onEntry({ "u" + std::to_string(given++) + ".pas", qvc::TEntryKind::File });
            if (shownDuringScan < 0 && w.slSearchListSelectFiles->model()->rowCount() > 1) {
                shownDuringScan = w.slSearchListSelectFiles->model()->rowCount();
                wasScanning = w.JvSearchFiles1().InProgress();
                last = given + 10;
            } else if (shownDuringScan < 0 && given >= 10) {
                QThread::msleep(1);
            }
        }
        return 0;
    });
    AddRows({ QStringLiteral("first.pas") });
    Dialogs().FolderAnswers = { QStringLiteral("/slow") };
    SettleEvents();
    w.actScanSubDirectory->trigger();
    w.WaitForScanEnd();
    QVERIFY(wasScanning);
    QVERIFY2(shownDuringScan > 1 && shownDuringScan <= given + 1 - 10, qPrintable(QString::number(shownDuringScan)));
    QCOMPARE(w.slSearchListSelectFiles->model()->rowCount(), given + 1);
}

void FileListTest::addDedupesOneFileAndNumbersForGood()
{
    TMainProbe w(Window());
    w.JvSearchFiles1().SetRootDirectory(PathFromQ(Folder(QStringLiteral("src/"))));
    const QString a = Folder(QStringLiteral("C.pas"));
    const QString b = Folder(QStringLiteral("B.pas"));
    const QString c = Folder(QStringLiteral("A.pas"));
    const QString d = Folder(QStringLiteral("D.pas"));
    // "b.PAS" is the file "B.pas" under another spelling, as a case-insensitive file system would show it.
    m_fixture->WriteFile(QStringLiteral("B.pas"), "unit");
    QVERIFY(QFile::link(b, Folder(QStringLiteral("b.PAS"))));
    Dialogs().OpenAnswers = { { a, b, c }, { Folder(QStringLiteral("b.PAS")), a }, { d } };
    w.obOutlookBarOptionsButtonClick(2);
    Run(w.actAddFile);
    const auto opens = Dialogs().CallsOf(QStringLiteral("open"));
    QCOMPARE(opens.size(), std::size_t(1));
    QCOMPARE(opens[0].Request.Directory, Folder(QStringLiteral("src")));
    QVERIFY(opens[0].Request.MultipleFiles);
    QCOMPARE(opens[0].Request.DefaultSuffix, QStringLiteral("pas"));
    const QString mask = w.ldLabeledEditFileMask->text();
    QCOMPARE(opens[0].Request.Filter, mask + "|" + mask + "|(*.*)|*.*");
    QCOMPARE(w.Notebook1->currentIndex(), 0);
    // Into an empty list: sorted by name; numbers stay with their files.
    QCOMPARE(Names(w), (QStringList { c, b, a }));
    QCOMPARE(ColumnTexts(w, 0), (QStringList { "2", "1", "0" }));

    // Names listed already, or another letter case of a listed file, add nothing.
    Run(w.actAddFile);
    QCOMPARE(Names(w).size(), 3);
    // Counted in characters, as the report prints names.
    QCOMPARE(w.MaxFileNameLength(), int(qvc::FromQ(a).size()));

    // Remove B, add D: D takes the next number, never a freed one, and is appended unsorted.
    SelectRow(w, 1);
    Run(w.actRemoveFile);
    Run(w.actAddFile);
    QCOMPARE(Names(w), (QStringList { c, a, d }));
    QCOMPARE(ColumnTexts(w, 0), (QStringList { "2", "0", "3" }));
    QCOMPARE(w.ResultStore().Count(), std::size_t(4));
    // A removed file can come back, with a new number.
    QVERIFY(w.AddFileToList(Folder(QStringLiteral("b.PAS"))));
    QCOMPARE(ColumnTexts(w, 0).last(), QStringLiteral("4"));
}

void FileListTest::namesDifferingOnlyInCaseAreTwoFiles()
{
    TMainProbe w(Window());
    const QString lower = m_fixture->WriteFile(QStringLiteral("case/Unit1.pas"), "unit");
    const QString upper = m_fixture->WriteFile(QStringLiteral("case/UNIT1.pas"), "unit");
    QVERIFY(QFile::link(Folder(QStringLiteral("case")), Folder(QStringLiteral("CASE"))));
    Dialogs().FolderAnswers = { Folder(QStringLiteral("case")) };
    Run(w.actScanSubDirectory);
    QStringList names = Names(w);
    names.sort();
    QCOMPARE(names, (QStringList { upper, lower }));

    // Either file named again, or reached through the link to its folder in another letter case, adds nothing.
    Drop(w.Window(), { upper, Folder(QStringLiteral("CASE/Unit1.pas")), Folder(QStringLiteral("CASE/UNIT1.pas")) });
    QCOMPARE(Names(w).size(), 2);

    // Removing one row forgets that row's name only: the other file stays listed.
    SelectRow(w, int(Names(w).indexOf(upper)));
    Run(w.actRemoveFile);
    QCOMPARE(Names(w), QStringList { lower });
    QCOMPARE(w.FileListModel().List().ListedFileNames(), std::vector<std::string> { PathFromQ(lower) });
    QVERIFY(!w.AddFileToList(Folder(QStringLiteral("CASE/Unit1.pas"))));
    QVERIFY(w.AddFileToList(Folder(QStringLiteral("CASE/UNIT1.pas"))));
    QCOMPARE(ColumnTexts(w, 0).last(), QStringLiteral("2"));
}

void FileListTest::openDialogRemembersFileTypeByPosition()
{
    TFilterChoosingSeam seam;
    Tfrm_Main window(&seam, m_fixture->ExecutablePath());
    TMainProbe w(window);
    w.ApplyFileMask();
    seam.OpenAnswers = { { Folder(QStringLiteral("a.pas")) }, { Folder(QStringLiteral("b.pas")) } };
    seam.ChosenFilterIndex = 1;
    Run(w.actAddFile);
    QCOMPARE(seam.Calls.back().Request.FilterIndex, 0);
    // New file types keep the entry chosen last, by its position.
    w.ldLabeledEditFileMask->setText(QStringLiteral("*.inc"));
    w.ApplyFileMask();
    Run(w.actAddFile);
    QCOMPARE(seam.Calls.back().Request.FilterIndex, 1);
    QCOMPARE(seam.Calls.back().Request.Filter, QStringLiteral("*.inc|*.inc|(*.*)|*.*"));
    QCOMPARE(w.slSearchListSelectFiles->model()->rowCount(), 2);
}

void FileListTest::dropAddsInOrderWithoutSortOrPageChange()
{
    TMainProbe w(Window());
    const QString folder = Folder(QStringLiteral("dropped"));
    QDir().mkpath(folder);
    const QString z = m_fixture->WriteFile(QStringLiteral("z.pas"), "unit");
    const QString a = Folder(QStringLiteral("a.txt"));
    // Another spelling of z.pas, as a case-insensitive file system would show it.
    QVERIFY(QFile::link(z, Folder(QStringLiteral("Z.PAS"))));
    const QString longName = Folder(QString(300, QLatin1Char('n')) + QStringLiteral(".pas"));
    w.obOutlookBarOptionsButtonClick(2);
    Drop(w.Window(), { z, folder, a, Folder(QStringLiteral("Z.PAS")), longName });
    QCOMPARE(Names(w), (QStringList { z, folder, a, longName }));
    QCOMPARE(ColumnTexts(w, 0), (QStringList { "0", "1", "2", "3" }));
    QCOMPARE(HeaderPictures(w), QStringLiteral("00000"));
    QCOMPARE(w.Notebook1->currentIndex(), 2);

    // During a run nothing is taken, and the drag is not even welcomed.
    w.BeginRunLock();
    QMimeData mime;
    mime.setUrls({ QUrl::fromLocalFile(Folder(QStringLiteral("late.pas"))) });
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QCoreApplication::sendEvent(&w.Window(), &enter);
    QVERIFY(!enter.isAccepted());
    Drop(w.Window(), { Folder(QStringLiteral("late.pas")) });
    w.EndRunLock();
    QCOMPARE(Names(w).size(), 4);
}

void FileListTest::removeSelectsTheFocusRow()
{
    TMainProbe w(Window());
    AddRows({ "r0.pas", "r1.pas", "r2.pas", "r3.pas", "r4.pas" });
    QItemSelectionModel *selection = w.slSearchListSelectFiles->selectionModel();
    const QAbstractItemModel *model = w.slSearchListSelectFiles->model();
    selection->select(model->index(1, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    selection->setCurrentIndex(model->index(3, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    Run(w.actRemoveFile);
    QCOMPARE(Names(w), (QStringList { Folder("r0.pas"), Folder("r2.pas"), Folder("r4.pas") }));
    QCOMPARE(ColumnTexts(w, 0), (QStringList { "0", "2", "4" }));
    // The focus went from the removed row 3 to the row above it, r2; that row alone is selected now.
    QCOMPARE(selection->currentIndex().row(), 1);
    QCOMPARE(SelectedRows(w), QList<int> { 1 });
    QCOMPARE(w.FileListModel().List().ListedFileNames().size(), std::size_t(3));
    QVERIFY(!w.FileListModel().List().IsListed(PathFromQ(Folder("r1.pas"))));

    // With nothing selected the command is disabled and nothing changes.
    selection->clear();
    Run(w.actRemoveFile);
    QCOMPARE(Names(w).size(), 3);
}

void FileListTest::selectAllSelectsEveryRow()
{
    TMainProbe w(Window());
    // No rows: disabled.
    Run(w.actSelectAll);
    QVERIFY(SelectedRows(w).isEmpty());
    AddRows({ "s0.pas", "s1.pas", "s2.pas" });
    Run(w.actSelectAll);
    QCOMPARE(SelectedRows(w), (QList<int> { 0, 1, 2 }));
    QCOMPARE(w.Notebook1->currentIndex(), 0);
    // Off the file-list page the command is disabled.
    w.slSearchListSelectFiles->clearSelection();
    w.obOutlookBarOptionsButtonClick(2);
    Run(w.actSelectAll);
    QVERIFY(SelectedRows(w).isEmpty());
}

void FileListTest::deleteKey_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<bool>("running");
    QTest::addColumn<int>("rowsLeft");
    QTest::newRow("delete") << int(Qt::Key_Delete) << Qt::KeyboardModifiers() << true << false << 2;
    QTest::newRow("shift+delete") << int(Qt::Key_Delete) << Qt::KeyboardModifiers(Qt::ShiftModifier) << true << false
                                  << 2;
    QTest::newRow("ctrl+alt+delete") << int(Qt::Key_Delete)
                                     << Qt::KeyboardModifiers(Qt::ControlModifier | Qt::AltModifier) << true << false
                                     << 2;
    QTest::newRow("nothing selected") << int(Qt::Key_Delete) << Qt::KeyboardModifiers() << false << false << 3;
    QTest::newRow("other key") << int(Qt::Key_Backspace) << Qt::KeyboardModifiers() << true << false << 3;
    QTest::newRow("during a run") << int(Qt::Key_Delete) << Qt::KeyboardModifiers() << true << true << 3;
}

void FileListTest::deleteKey()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, selected);
    QFETCH(bool, running);
    QFETCH(int, rowsLeft);
    TMainProbe w(Window());
    AddRows({ "k0.pas", "k1.pas", "k2.pas" });
    if (selected)
        SelectRow(w, 1);
    if (running)
        w.BeginRunLock();
    QTest::keyRelease(w.slSearchListSelectFiles, Qt::Key(key), modifiers);
    if (running)
        w.EndRunLock();
    QCOMPARE(w.slSearchListSelectFiles->model()->rowCount(), rowsLeft);
}

void FileListTest::sortByColumn_data()
{
    // The names, or the numbers of one column (null: not processed), in the order added, and the texts of the
    // column in the order ascending sorts them into.
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QStringList>("ascending");
    QTest::newRow("names ignore case") << 1 << QStringList { "b.pas", "A.pas", "c.PAS", "B2.pas" } << QVariantList()
                                       << QStringList { "A.pas", "b.pas", "B2.pas", "c.PAS" };
    QTest::newRow("updates as numbers") << 2 << QStringList() << QVariantList { 20, QVariant(), 1234, -1, 5 }
                                        << QStringList { "-1", "-", "5", "20", "1#234" };
    QTest::newRow("status as text") << 3 << QStringList() << QVariantList { 20, QVariant(), 100, 5 }
                                    << QStringList { "-", "100%", "20%", "5%" };
    QTest::newRow("time as text") << 4 << QStringList() << QVariantList { 2.0, QVariant(), 10.0, 1.5 }
                                  << QStringList { "-", "00:00:01", "00:00:02", "00:00:10" };
}

void FileListTest::sortByColumn()
{
    QFETCH(int, column);
    QFETCH(QStringList, cells);
    QFETCH(QVariantList, values);
    QFETCH(QStringList, ascending);
    TMainProbe w(Window());
    // "#" stands for the thousands separator of the counts in this locale.
    const QString separator = PathToQ(w.FileListModel().List().Locale().ThousandsSeparator);
    for (QString &text : ascending)
        text.replace(QLatin1Char('#'), separator);
    qvc::TFileList &list = w.FileListModel().List();
    const int rows = column == 1 ? int(cells.size()) : int(values.size());
    for (int i = 0; i < rows; ++i) {
        const QString name = column == 1 ? Folder(cells[i]) : Folder(QStringLiteral("f%1.pas").arg(i));
        QVERIFY(w.AddFileToList(name));
        qvc::TFileRow &row = list.Row(std::size_t(i));
        if (column == 1 || values[i].isNull())
            continue;
        if (column == 2)
            row.Count = values[i].toLongLong();
        else if (column == 3)
            row.Percent = values[i].toInt();
        else
            row.Seconds = values[i].toDouble();
    }
    w.FileListModel().RowsChanged(0, rows - 1);
    const auto shown = [&] {
        QStringList texts = ColumnTexts(w, column);
        if (column == 1)
            for (QString &text : texts)
                text = text.mid(m_fixture->Dir().size() + 1);
        return texts;
    };
    const QString pictureDown = QString(5, QLatin1Char('0')).replace(column, 1, QLatin1Char('2'));
    const QString pictureUp = QString(5, QLatin1Char('0')).replace(column, 1, QLatin1Char('1'));
    QStringList descending = ascending;
    std::reverse(descending.begin(), descending.end());

    ClickHeader(w, column);
    QCOMPARE(shown(), ascending);
    QCOMPARE(HeaderPictures(w), pictureDown);
    ClickHeader(w, column);
    QCOMPARE(shown(), descending);
    QCOMPARE(HeaderPictures(w), pictureUp);
    // The number column sorts nothing and keeps the picture where it is.
    ClickHeader(w, 0);
    QCOMPARE(shown(), descending);
    QCOMPARE(HeaderPictures(w), pictureUp);
    // Refused during a run.
    w.BeginRunLock();
    ClickHeader(w, column);
    w.EndRunLock();
    QCOMPARE(shown(), descending);
    // Another column starts again with ascending.
    const int other = column == 1 ? 3 : 1;
    ClickHeader(w, other);
    QCOMPARE(HeaderPictures(w), QString(5, QLatin1Char('0')).replace(other, 1, QLatin1Char('2')));
}

void FileListTest::maskFieldAppliesOnFocusOutOnly()
{
    TMainProbe w(Window());
    m_fixture->WriteFile(QStringLiteral("tree/a.pas"), "unit");
    m_fixture->WriteFile(QStringLiteral("tree/b.inc"), "unit");
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.Window()));
    w.obOutlookBarOptionsButtonClick(2);
    w.ldLabeledEditFileMask->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(w.ldLabeledEditFileMask->hasFocus());
    w.ldLabeledEditFileMask->setText(QStringLiteral("*.inc"));
    // The window losing its activation (a dialog, another program) is no exit from the field.
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(w.ldLabeledEditFileMask, &away);
    QCOMPARE(w.JvSearchFiles1().FileParams().MaskText(), std::string(qvc::kDefaultFileMask));

    // Ctrl+B while the field still has the focus scans with the mask applied before ...
    Dialogs().FolderAnswers = { Folder(QStringLiteral("tree")), Folder(QStringLiteral("tree")) };
    QTest::keyClick(&w.Window(), Qt::Key_B, Qt::ControlModifier);
    w.WaitForScanEnd();
    QCOMPARE(Dialogs().CallsOf(QStringLiteral("folder")).size(), std::size_t(1));
    QCOMPARE(Names(w), QStringList { Folder(QStringLiteral("tree/a.pas")) });
    // ... and the scan's move to the file list takes the focus from the field, which applies it.
    QVERIFY(w.slSearchListSelectFiles->hasFocus());
    QCOMPARE(w.JvSearchFiles1().FileParams().MaskText(), std::string("*.inc"));
    QCOMPARE(w.OpenDialog().Filter, QStringLiteral("*.inc|*.inc|(*.*)|*.*"));
    Run(w.actScanSubDirectory);
    QCOMPARE(Names(w), (QStringList { Folder(QStringLiteral("tree/a.pas")), Folder(QStringLiteral("tree/b.inc")) }));
}

QTEST_MAIN(FileListTest)
#include "FileList_test.moc"
