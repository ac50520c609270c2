// What the window shows of a run beyond the pairs: the mark on rows whose file kept occurrences the pairs
// could not replace, the list of those below the pairs, and the changed lines side by side.
#include "UiTestSupport.h"

#include "ui/Application.h"
#include "ui/FileListModel.h"
#include "ui/LocaleBridge.h"
#include "ui/RepositoryModel.h"
#include "ui/TextBridge.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

namespace {

enum TRowOf : int { rowMixed, rowOnlyMissed, rowClean, rowBig, rowPlain };

} // namespace

class ResultDetailsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void rowMarkAndTooltip_data();
    void rowMarkAndTooltip();
    void missesListedBelowThePairs();
    void countZeroWithMissesOpens();
    void changedLinesSideBySideWithChangedWords();
    void firstThousandChangedLinesWithTheTotal();

private:
    TMainProbe Window() { return m_fixture->Window(); }
    void ConvertList();
    void DoubleClickRow(int row);
    QStringList MissedRows() const;
    QTextTable *ChangedTable() const;
    // The texts of the changed-lines table's cells, row by row.
    QStringList ChangedCells(int rows) const;
    // The marked words of one cell, each "text@colour".
    QStringList MarkedWords(int row, int column) const;
    QString Thousands() const { return qvc::ToQ(qvc::MakeDisplayLocale().ThousandsSeparator); }

    QStringList m_files;
    TWindowFixture *m_fixture = nullptr;
};

void ResultDetailsTest::initTestCase()
{
    qvc::SetUpApplication(*qApp);
}

void ResultDetailsTest::init()
{
    m_fixture = new TWindowFixture;
    m_fixture->Create();
    m_files.clear();
}

void ResultDetailsTest::cleanup()
{
    delete m_fixture;
    m_fixture = nullptr;
}

void ResultDetailsTest::ConvertList()
{
    TMainProbe w(Window());
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.Window()));
    QByteArray big;
    for (int i = 0; i < 1200; ++i)
        big += "uses Forms;\r\n";
    m_files << m_fixture->WriteFile(
        QStringLiteral("src/Mixed.pas"), "uses Forms, Forms;\r\nx := MyForms + Forms;\r\nuses Dialogs;\r\n")
            << m_fixture->WriteFile(QStringLiteral("src/OnlyMissed.pas"), "uses QForms, Forms;\r\n")
            << m_fixture->WriteFile(QStringLiteral("src/Clean.pas"), "uses Forms;\r\n")
            << m_fixture->WriteFile(QStringLiteral("src/Big.pas"), big)
            << m_fixture->WriteFile(QStringLiteral("src/Plain.pas"), "begin\r\nend.\r\n");
    for (const QString &name : m_files)
        QVERIFY(w.AddFileToList(name));
    w.RepositoryModel().BeginChange();
    w.Repository().SetLines({ "Forms=QForms", "Dialogs=QDialogs" });
    w.RepositoryModel().EndChange();
    w.Repository().SetRepositoryModified(false);
    SettleEvents();
    QVERIFY(w.actExecuteConversion->isEnabled());
    w.actExecuteConversion->trigger();
    w.WaitForRunEnd();
    QVERIFY(!w.IsRunning());
    SettleEvents();
}

void ResultDetailsTest::DoubleClickRow(int row)
{
    QTableView *list = Window().slSearchListSelectFiles;
    const QRect cell = list->visualRect(list->model()->index(row, 1));
    QVERIFY(cell.isValid());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    SettleEvents();
}

QStringList ResultDetailsTest::MissedRows() const
{
    QStringList cells;
    const QTableWidget *grid = m_fixture->Window().vleMissedResult;
    for (int r = 0; r < grid->rowCount(); ++r)
        for (int c = 0; c < grid->columnCount(); ++c)
            cells << (grid->item(r, c) ? grid->item(r, c)->text() : QStringLiteral("<none>"));
    return cells;
}

QTextTable *ResultDetailsTest::ChangedTable() const
{
    const QTextDocument *document = m_fixture->Window().memChangedLines->document();
    for (QTextFrame *frame : document->rootFrame()->childFrames())
        if (auto *table = qobject_cast<QTextTable *>(frame))
            return table;
    return nullptr;
}

QStringList ResultDetailsTest::ChangedCells(int rows) const
{
    QStringList cells;
    QTextTable *table = ChangedTable();
    if (!table)
        return cells;
    for (int r = 0; r < std::min(rows, table->rows()); ++r)
        for (int c = 0; c < table->columns(); ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            QString text;
            for (QTextFrame::iterator it = cell.begin(); !it.atEnd(); ++it)
                text += it.currentBlock().text();
            cells << text;
        }
    return cells;
}

QStringList ResultDetailsTest::MarkedWords(int row, int column) const
{
    QStringList words;
    QTextTable *table = ChangedTable();
    if (!table)
        return words;
    const QTextTableCell cell = table->cellAt(row, column);
    for (QTextFrame::iterator it = cell.begin(); !it.atEnd(); ++it)
        for (QTextBlock::iterator f = it.currentBlock().begin(); !f.atEnd(); ++f) {
            const QTextFragment fragment = f.fragment();
            if (fragment.charFormat().hasProperty(QTextFormat::BackgroundBrush))
                words << fragment.text() + QLatin1Char('@') + fragment.charFormat().background().color().name();
        }
    return words;
}

void ResultDetailsTest::rowMarkAndTooltip_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("tooltip"); // empty: no mark
    QTest::newRow("two missed") << int(rowMixed) << QStringLiteral("2 ocorrência(s) não trocada(s)");
    QTest::newRow("count 0, one missed") << int(rowOnlyMissed) << QStringLiteral("1 ocorrência(s) não trocada(s)");
    QTest::newRow("changed, none missed") << int(rowClean) << QString();
    QTest::newRow("unchanged, none missed") << int(rowPlain) << QString();
}

void ResultDetailsTest::rowMarkAndTooltip()
{
    QFETCH(int, row);
    QFETCH(QString, tooltip);
    ConvertList();
    const QAbstractItemModel *model = Window().slSearchListSelectFiles->model();
    QCOMPARE(model->index(row, 2).data(Qt::DecorationRole).isNull(), tooltip.isEmpty());
    for (int column = 0; column < model->columnCount(); ++column)
        QCOMPARE(model->index(row, column).data(Qt::ToolTipRole).toString(), tooltip);
    // A file added after the run carries no mark, though its slot is new.
    QVERIFY(Window().AddFileToList(m_fixture->WriteFile(QStringLiteral("src/Late.pas"), "uses QForms, Forms;\r\n")));
    SettleEvents();
    QVERIFY(model->index(model->rowCount() - 1, 2).data(Qt::DecorationRole).isNull());
}

void ResultDetailsTest::missesListedBelowThePairs()
{
    ConvertList();
    TMainProbe w(Window());
    DoubleClickRow(rowMixed);
    QVERIFY(w.pViewResult->isVisible());
    QCOMPARE(w.vleUnitsResult->rowCount(), 2);
    QVERIFY(w.vleMissedResult->isVisible());
    QVERIFY(w.vleMissedResult->geometry().top() > w.vleUnitsResult->geometry().bottom());
    QCOMPARE(MissedRows(),
        (QStringList { "1", "Forms", "segunda ocorrência na linha", "2", "Forms",
            "ocorrência anterior dentro de uma palavra maior" }));
    w.bbOk->click();
    SettleEvents();
    // A file without misses hides the list.
    DoubleClickRow(rowClean);
    QVERIFY(w.pViewResult->isVisible());
    QVERIFY(!w.vleMissedResult->isVisible());
    QCOMPARE(w.vleMissedResult->rowCount(), 0);
}

void ResultDetailsTest::countZeroWithMissesOpens()
{
    ConvertList();
    TMainProbe w(Window());
    QCOMPARE(w.slSearchListSelectFiles->model()->index(rowOnlyMissed, 2).data().toString(), QStringLiteral("0"));
    DoubleClickRow(rowOnlyMissed);
    QVERIFY(w.pViewResult->isVisible());
    QCOMPARE(w.vleUnitsResult->rowCount(), 0);
    QCOMPARE(MissedRows(), (QStringList { "1", "Forms", "a linha já contém o texto de troca" }));
    QVERIFY(!w.memChangedLines->isVisible());
    w.bbOk->click();
    SettleEvents();
    // Count 0 and nothing missed: the view stays closed, as before.
    DoubleClickRow(rowPlain);
    QVERIFY(!w.pViewResult->isVisible());
}

void ResultDetailsTest::changedLinesSideBySideWithChangedWords()
{
    ConvertList();
    TMainProbe w(Window());
    DoubleClickRow(rowMixed);
    QVERIFY(w.memChangedLines->isVisible());
    QCOMPARE(w.stChangedLines->text(), QStringLiteral("Linhas alteradas: 2"));
    QTextTable *table = ChangedTable();
    QVERIFY(table);
    QCOMPARE(table->rows(), 2);
    QCOMPARE(ChangedCells(2),
        (QStringList { "1", "uses Forms, Forms;", "uses QForms, Forms;", "3", "uses Dialogs;", "uses QDialogs;" }));
    const QString oldColour = QColor(QLatin1String(qvc::TResultView::kChangedOldColour)).name();
    const QString newColour = QColor(QLatin1String(qvc::TResultView::kChangedNewColour)).name();
    QCOMPARE(MarkedWords(0, 1), QStringList { "Forms@" + oldColour });
    QCOMPARE(MarkedWords(0, 2), QStringList { "QForms@" + newColour });
    QCOMPARE(MarkedWords(1, 2), QStringList { "QDialogs@" + newColour });
}

void ResultDetailsTest::firstThousandChangedLinesWithTheTotal()
{
    ConvertList();
    TMainProbe w(Window());
    DoubleClickRow(rowBig);
    QVERIFY(w.pViewResult->isVisible());
    QCOMPARE(w.stChangedLines->text(),
        QStringLiteral("Linhas alteradas: 1") + Thousands() + QStringLiteral("200 (mostrando as primeiras 1")
            + Thousands() + QStringLiteral("000)"));
    QTextTable *table = ChangedTable();
    QVERIFY(table);
    QCOMPARE(table->rows(), 1000);
    QCOMPARE(ChangedCells(1), (QStringList { "1", "uses Forms;", "uses QForms;" }));
}

QTEST_MAIN(ResultDetailsTest)
#include "ResultDetails_test.moc"
