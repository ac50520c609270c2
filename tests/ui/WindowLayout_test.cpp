// The window readable at every size: the file list's columns, the pairs grid fitting its pane, the "Executar"
// picture in both states, and the window's size and place kept in a file of their own.
#include "UiTestSupport.h"

#include "ui/Application.h"
#include "ui/FileListModel.h"
#include "ui/PairsGrid.h"
#include "ui/RepositoryModel.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool IsGrey(const QColor &c)
{
    return qAbs(c.red() - c.green()) < 16 && qAbs(c.green() - c.blue()) < 16;
}

} // namespace

class WindowLayoutTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void fileListColumnsStayReadable_data();
    void fileListColumnsStayReadable();
    void longTextsNeverWidenTheWindow();
    void pairsGridFitsItsPane();
    void settingsPageFitsAtTheMinimumSize();
    void executePictureShowsItsState();
    void geometryKeptBesideTheSettings();
    void geometryFileOfAnyBytes_data();
    void geometryFileOfAnyBytes();

private:
    TMainProbe W() { return m_fixture->Window(); }
    void Show();
    TWindowFixture *m_fixture = nullptr;
};

void WindowLayoutTest::initTestCase()
{
    qvc::SetUpApplication(*qApp);
}

void WindowLayoutTest::init()
{
    m_fixture = new TWindowFixture;
    m_fixture->Create();
}

void WindowLayoutTest::cleanup()
{
    delete m_fixture;
    m_fixture = nullptr;
}

void WindowLayoutTest::Show()
{
    W().show();
    W().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&m_fixture->Main()));
    SettleEvents();
}

void WindowLayoutTest::fileListColumnsStayReadable_data()
{
    QTest::addColumn<bool>("minimumSize");
    QTest::newRow("design size") << false;
    QTest::newRow("minimum size") << true;
}

void WindowLayoutTest::fileListColumnsStayReadable()
{
    QFETCH(bool, minimumSize);
    TMainProbe w(W());
    // Numbers up to 1234: the " #" column shows the largest in full, next to its pictures.
    for (int i = 0; i <= 1234; ++i)
        QVERIFY(w.AddFileToList(QStringLiteral("/p/Unit%1.pas").arg(i)));
    w.FileListModel().ShowPendingRows();
    Show();
    if (minimumSize)
        w.resize(w.minimumSizeHint());
    SettleEvents();
    QTableView *list = w.slSearchListSelectFiles;
    const QFontMetrics metrics(list->font());
    QVERIFY(list->columnWidth(0) >= list->iconSize().width() + metrics.horizontalAdvance(QStringLiteral("1234")) + 8);
    // The fixed columns keep their widths and their captions fit; the name column takes what is left.
    QHeaderView *header = list->horizontalHeader();
    const int fixed[] = { 0, 100, 53, 100 };
    for (int column = 2; column <= 4; ++column) {
        QCOMPARE(list->columnWidth(column), fixed[column - 1]);
        QVERIFY2(header->sectionSizeHint(column) <= list->columnWidth(column), qPrintable(QString::number(column)));
    }
    int total = 0;
    for (int column = 0; column < 5; ++column)
        total += list->columnWidth(column);
    if (!minimumSize)
        QCOMPARE(total, list->viewport()->width());
    // Even at the minimum size a name keeps room to be read.
    QVERIFY2(list->columnWidth(1) >= 150, qPrintable(QString::number(list->columnWidth(1))));
}

void WindowLayoutTest::longTextsNeverWidenTheWindow()
{
    TMainProbe w(W());
    Show();
    QCOMPARE(w.size(), QSize(690, 480));
    // The run's message, scope and count, and a long hint line (a failed file's reason names its path), are cut at
    // the window's edge: the design size stays possible.
    w.ShowProgressMessage(true);
    w.ShowRunScope(qvc::TScope::Uses);
    w.ShowRunFileCount(12345, 12345);
    w.sbStatusBarHint->setText(
        QStringLiteral(" Cannot open file \"%1\". No such file or directory").arg(QString(300, QLatin1Char('x'))));
    SettleEvents();
    QVERIFY2(w.minimumSizeHint().width() <= 690, qPrintable(QString::number(w.minimumSizeHint().width())));
    QCOMPARE(w.size(), QSize(690, 480));
    // At the design size the scope reads whole on its line under the bar, which keeps its room beside the count.
    QVERIFY2(
        w.pRunScope->width() >= w.pRunScope->sizeHint().width(), qPrintable(QString::number(w.pRunScope->width())));
    QVERIFY(w.pRunScope->geometry().top() > w.ProgressBar1->geometry().bottom());
    QVERIFY(w.pStatusResult->rect().contains(w.pRunScope->geometry()));
    QVERIFY(w.ProgressBar1->width() >= 150);
    // A run over the whole text leaves the strip as it always was.
    const int withScope = w.pStatusResult->height();
    w.ShowRunScope(qvc::TScope::All);
    SettleEvents();
    QVERIFY(w.pRunScope->isHidden());
    QCOMPARE(w.pStatusResult->height(), 41);
    QVERIFY(withScope > 41);
    w.ShowProgressMessage(false);
}

void WindowLayoutTest::pairsGridFitsItsPane()
{
    TMainProbe w(W());
    std::vector<std::string> lines;
    lines.reserve(40);
    for (int i = 0; i < 40; ++i)
        lines.push_back("FindText" + std::to_string(i) + "=A rather long replacement text number " + std::to_string(i));
    w.RepositoryModel().BeginChange();
    w.Repository().SetLines(lines);
    w.RepositoryModel().EndChange();
    Show();
    w.obOutlookBarOptionsButtonClick(1);
    SettleEvents();
    auto &grid = *static_cast<TPairsGrid *>(w.vleUnits);
    // Both columns within the pane, in the design's share of it: no horizontal scrolling at all.
    QVERIFY2(grid.columnWidth(0) + grid.columnWidth(1) <= grid.viewport()->width(),
        qPrintable(QStringLiteral("%1 + %2 in %3")
                       .arg(grid.columnWidth(0))
                       .arg(grid.columnWidth(1))
                       .arg(grid.viewport()->width())));
    QVERIFY(qAbs(grid.columnWidth(0) - grid.viewport()->width() * 246 / 517) <= 1);
    QCOMPARE(grid.horizontalScrollBar()->maximum(), 0);
    // Editing the replace column keeps the find texts in sight.
    grid.SetCurrentCell(5, 1);
    QTest::keyClicks(grid.Editor(), QStringLiteral(" and still more text typed at its end to make it long"));
    SettleEvents();
    QCOMPARE(grid.horizontalScrollBar()->value(), 0);
    QCOMPARE(grid.visualRect(grid.model()->index(5, 0)).left(), 0);
    // A row added at the bottom is shown whole.
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_Down, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    SettleEvents();
    QCOMPARE(grid.model()->rowCount(), 41);
    const QRect added = grid.visualRect(grid.model()->index(40, 0));
    QVERIFY2(grid.viewport()->rect().contains(added),
        qPrintable(QStringLiteral("%1 %2").arg(added.bottom()).arg(grid.viewport()->height())));
    w.Repository().SetRepositoryModified(false);
}

void WindowLayoutTest::settingsPageFitsAtTheMinimumSize()
{
    TMainProbe w(W());
    Show();
    w.resize(w.minimumSizeHint());
    w.obOutlookBarOptionsButtonClick(2);
    SettleEvents();
    const QWidget *page = w.Notebook1->currentWidget();
    QCOMPARE(page, w.cbCheckBoxBackupFiles->parentWidget());
    // Top to bottom; each control inside the page, none over the next, every text shown whole.
    const QList<QWidget *> controls { w.cbCheckBoxBackupFiles, w.cbCheckBoxSimulate, w.ldLabeledEditFileMaskLabel,
        w.ldLabeledEditFileMask, w.rgRadioGroupScope, w.bbLanguageDefault };
    QRect previous;
    for (QWidget *control : controls) {
        const QRect box(control->mapTo(page, QPoint(0, 0)), control->size());
        QVERIFY2(page->rect().contains(box), qPrintable(control->objectName()));
        QVERIFY2(previous.isNull() || box.top() > previous.bottom(), qPrintable(control->objectName()));
        QVERIFY2(control->width() >= control->minimumSizeHint().width(), qPrintable(control->objectName()));
        previous = box;
    }
    QRect previousItem;
    for (QRadioButton *item : w.rgRadioGroupScopeItems) {
        QVERIFY(w.rgRadioGroupScope->contentsRect().contains(item->geometry()));
        QVERIFY2(item->width() >= item->sizeHint().width(), qPrintable(item->text()));
        QVERIFY(previousItem.isNull() || item->geometry().top() > previousItem.bottom());
        previousItem = item->geometry();
    }
}

void WindowLayoutTest::executePictureShowsItsState()
{
    TMainProbe w(W());
    const QIcon icon = w.actExecuteConversion->icon();
    const QImage on = icon.pixmap(QSize(16, 16), QIcon::Normal).toImage();
    const QImage off = icon.pixmap(QSize(16, 16), QIcon::Disabled).toImage();
    // Filled in both states: green when the command can run, flat grey when it cannot.
    const QColor onCentre = on.pixelColor(7, 8);
    const QColor offCentre = off.pixelColor(7, 8);
    QCOMPARE(onCentre.alpha(), 255);
    QCOMPARE(offCentre.alpha(), 255);
    QVERIFY(onCentre.green() > onCentre.red() + 60 && onCentre.green() > onCentre.blue() + 60);
    QVERIFY(IsGrey(offCentre));
    QVERIFY(offCentre.lightness() > onCentre.lightness() + 40);
}

void WindowLayoutTest::geometryKeptBesideTheSettings()
{
    const QString ini = m_fixture->Dir() + QStringLiteral("/qvConvertFiles.ini");
    const QString geometry = m_fixture->Dir() + QStringLiteral("/qvConvertFiles.geometry");
    // Two starts first: the first one writes a settings file of defaults, the second the values read back.
    Show();
    m_fixture->Destroy();
    m_fixture->Create();
    Show();
    m_fixture->Destroy();
    const QByteArray iniAtDesignSize = ReadAll(ini);
    QVERIFY(!iniAtDesignSize.isEmpty());
    QVERIFY(QFile::exists(geometry));

    TMainProbe w(m_fixture->Create());
    Show();
    w.resize(812, 590);
    SettleEvents();
    m_fixture->Destroy();
    // The settings file is not touched by the window's size; the next start opens at the size left.
    QCOMPARE(ReadAll(ini), iniAtDesignSize);
    TMainProbe again(m_fixture->Create());
    Show();
    QCOMPARE(again.size(), QSize(812, 590));
}

void WindowLayoutTest::geometryFileOfAnyBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not base64") << QByteArray("\xff\xfe garbage \x00\x01", 14);
    QTest::newRow("base64 of nonsense") << QByteArray("bm9uc2Vuc2UgZ2VvbWV0cnk=\n");
    QTest::newRow("too large") << QByteArray(1 << 20, 'A');
}

void WindowLayoutTest::geometryFileOfAnyBytes()
{
    QFETCH(QByteArray, bytes);
    m_fixture->Destroy();
    m_fixture->WriteFile(QStringLiteral("qvConvertFiles.geometry"), bytes);
    TMainProbe w(m_fixture->Create());
    QCOMPARE(w.size(), QSize(690, 480));
}

QTEST_MAIN(WindowLayoutTest)
#include "WindowLayout_test.moc"
