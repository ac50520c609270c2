// The results of a run through the window: the result view's open and close rules and the report button.
#include "UiTestSupport.h"

#include "ui/Application.h"
#include "ui/FileListModel.h"
#include "ui/LocaleBridge.h"
#include "ui/RepositoryModel.h"
#include "ui/TextBridge.h"

#include "common/FileIO.h"

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

namespace {

// Rows of the converted list, in the order added.
enum TRowOf : int { rowMany, rowPlain, rowMissing, rowPair, rowLate };

} // namespace

class ResultsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void doubleClickOpensOnlyChangedRows_data();
    void doubleClickOpensOnlyChangedRows();
    void secondOpeningShowsOnlyThatFileAndClosingRestores();
    void viewRefusedDuringARun();
    void viewClosesWithKeys_data();
    void viewClosesWithKeys();
    void failedRowSaysWhy();
    void saveResult_data();
    void saveResult();

private:
    TMainProbe Window() { return m_fixture->Window(); }
    /// Converts a small list (1000 hits, none, a missing file, a pair with "=" in its replacement) and adds
    /// one file after the run; the window is shown and active.
    void ConvertList();
    void DoubleClickRow(int row);
    QString Cell(int row, int column)
    {
        return Window().slSearchListSelectFiles->model()->index(row, column).data().toString();
    }
    QStringList ViewRows() const;
    QStringList m_files;
    TWindowFixture *m_fixture = nullptr;
};

void ResultsTest::initTestCase()
{
    qvc::SetUpApplication(*qApp);
}

void ResultsTest::init()
{
    m_fixture = new TWindowFixture;
    m_fixture->Create();
    m_files.clear();
}

void ResultsTest::cleanup()
{
    delete m_fixture;
    m_fixture = nullptr;
}

void ResultsTest::ConvertList()
{
    TMainProbe w(Window());
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.Window()));
    // A pair replaces at most once per line: a thousand lines give a thousand replacements.
    QByteArray many;
    for (int i = 0; i < 1000; ++i)
        many += "uses Forms;\r\n";
    m_files << m_fixture->WriteFile(QStringLiteral("src/Many.pas"), many)
            << m_fixture->WriteFile(QStringLiteral("src/Plain.pas"), "begin\r\nend.\r\n")
            << m_fixture->Dir() + QStringLiteral("/src/Missing.pas")
            << m_fixture->WriteFile(QStringLiteral("src/Pair.pas"), "Form1 := A;\r\nA;\r\n");
    for (const QString &name : m_files)
        QVERIFY(w.AddFileToList(name));
    w.RepositoryModel().BeginChange();
    w.Repository().SetLines({ "Forms=QForms", "Form1=Form2", "A=B=C" });
    w.RepositoryModel().EndChange();
    w.Repository().SetRepositoryModified(false);
    SettleEvents();
    QVERIFY(w.actExecuteConversion->isEnabled());
    w.actExecuteConversion->trigger();
    w.WaitForRunEnd();
    QVERIFY(!w.IsRunning());
    m_files << m_fixture->WriteFile(QStringLiteral("src/Late.pas"), "uses Forms;\r\n");
    QVERIFY(w.AddFileToList(m_files.last()));
    SettleEvents();
}

void ResultsTest::DoubleClickRow(int row)
{
    QTableView *list = Window().slSearchListSelectFiles;
    const QRect cell = list->visualRect(list->model()->index(row, 1));
    QVERIFY(cell.isValid());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    SettleEvents();
}

QStringList ResultsTest::ViewRows() const
{
    QStringList cells;
    const QTableWidget *grid = m_fixture->Window().vleUnitsResult;
    for (int r = 0; r < grid->rowCount(); ++r)
        for (int c = 0; c < grid->columnCount(); ++c)
            cells << (grid->item(r, c) ? grid->item(r, c)->text() : QStringLiteral("<none>"));
    return cells;
}

void ResultsTest::doubleClickOpensOnlyChangedRows_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("updates");
    QTest::addColumn<QStringList>("viewRows");
    const QString thousand
        = QStringLiteral("1") + qvc::ToQ(qvc::MakeDisplayLocale().ThousandsSeparator) + QStringLiteral("000");
    QTest::newRow("count of a thousand, with separator")
        << int(rowMany) << thousand << QStringList { "Forms", "QForms", thousand };
    QTest::newRow("A=B=C splits at the first equals")
        << int(rowPair) << QStringLiteral("3") << QStringList { "Form1", "Form2", "1", "A", "B=C", "2" };
    QTest::newRow("no replacement") << int(rowPlain) << QStringLiteral("0") << QStringList {};
    QTest::newRow("failed file") << int(rowMissing) << QStringLiteral("-1") << QStringList {};
    QTest::newRow("added after the run") << int(rowLate) << QStringLiteral("-") << QStringList {};
}

void ResultsTest::doubleClickOpensOnlyChangedRows()
{
    QFETCH(int, row);
    QFETCH(QString, updates);
    QFETCH(QStringList, viewRows);
    ConvertList();
    TMainProbe w(Window());
    QCOMPARE(Cell(row, 2), updates);
    DoubleClickRow(row);
    const bool opens = !viewRows.isEmpty();
    QCOMPARE(w.pViewResult->isVisible(), opens);
    QCOMPARE(w.ActionMainMenuBar1->isEnabled(), !opens);
    if (!opens) {
        QCOMPARE(w.pViewResultTitle->text(), w.ResultTitleText());
        QCOMPARE(w.vleUnitsResult->rowCount(), 0);
        return;
    }
    QCOMPARE(w.pViewResultTitle->text(), QStringLiteral("Resultado da conversão. (%1)").arg(m_files[row]));
    QCOMPARE(ViewRows(), viewRows);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.bbOk));
}

void ResultsTest::secondOpeningShowsOnlyThatFileAndClosingRestores()
{
    ConvertList();
    TMainProbe w(Window());
    const QString title = w.ResultTitleText();
    DoubleClickRow(rowMany);
    QVERIFY(w.pViewResult->isVisible());
    QTest::keyClick(w.bbOk, Qt::Key_Space); // the focused Ok button confirms with Space or Enter
    SettleEvents();
    QVERIFY(!w.pViewResult->isVisible());
    QCOMPARE(w.pViewResultTitle->text(), title);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.slSearchListSelectFiles));

    DoubleClickRow(rowPair);
    QCOMPARE(w.pViewResultTitle->text(), QStringLiteral("%1 (%2)").arg(title, m_files[rowPair]));
    QCOMPARE(ViewRows(), (QStringList { "Form1", "Form2", "1", "A", "B=C", "2" }));
    // A second double click while the view is open stacks nothing onto the title.
    w.slSearchListSelectFilesDblClick();
    QCOMPARE(w.pViewResultTitle->text(), QStringLiteral("%1 (%2)").arg(title, m_files[rowPair]));

    w.bbOk->click();
    SettleEvents();
    QVERIFY(!w.pViewResult->isVisible());
    QVERIFY(w.ActionMainMenuBar1->isEnabled());
    QCOMPARE(w.pViewResultTitle->text(), title);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.slSearchListSelectFiles));
}

void ResultsTest::viewClosesWithKeys_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("fromList");
    QTest::newRow("Enter") << "Return" << false;
    QTest::newRow("keypad Enter") << "Enter" << false;
    QTest::newRow("Space") << "Space" << false;
    QTest::newRow("Escape") << "Esc" << false;
    QTest::newRow("Escape in the list") << "Esc" << true;
    QTest::newRow("Enter in the list") << "Return" << true;
}

void ResultsTest::viewClosesWithKeys()
{
    QFETCH(QString, key);
    QFETCH(bool, fromList);
    ConvertList();
    TMainProbe w(Window());
    DoubleClickRow(rowMany);
    QVERIFY(w.pViewResult->isVisible());
    if (fromList)
        w.vleUnitsResult->setFocus();
    QWidget *target = QApplication::focusWidget();
    QCOMPARE(target, fromList ? static_cast<QWidget *>(w.vleUnitsResult) : static_cast<QWidget *>(w.bbOk));
    const QKeyCombination combination = QKeySequence(key)[0];
    QTest::keyClick(target, combination.key(), combination.keyboardModifiers());
    SettleEvents();
    QVERIFY(!w.pViewResult->isVisible());
    QCOMPARE(w.pViewResultTitle->text(), w.ResultTitleText());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.slSearchListSelectFiles));
}

void ResultsTest::failedRowSaysWhy()
{
    ConvertList();
    TMainProbe w(Window());
    QCOMPARE(Cell(rowMissing, 2), QStringLiteral("-1"));
    QTableView *list = w.slSearchListSelectFiles;
    // The file's own reason: the system's message about the missing file, naming it.
    const QString reason = list->model()->index(rowMissing, 1).data(Qt::ToolTipRole).toString();
    QVERIFY2(reason.contains(m_files[rowMissing]), qPrintable(reason));
    QVERIFY(list->model()->index(rowMissing, 3).data(Qt::ToolTipRole).toString() == reason);
    QVERIFY(list->model()->index(rowPlain, 1).data(Qt::ToolTipRole).isNull());
    // Pointing at the row shows it in the hint line; pointing at another row shows the list's hint.
    const auto pointAt = [list](int row) {
        const QPoint pos = list->visualRect(list->model()->index(row, 2)).center();
        QTest::mouseMove(list->viewport(), pos);
        // The offscreen platform moves the pointer without telling the widgets: tell the list as the system would.
        QMouseEvent move(QEvent::MouseMove, pos, list->viewport()->mapToGlobal(pos), Qt::NoButton, {}, {});
        QApplication::sendEvent(list->viewport(), &move);
        SettleEvents();
    };
    pointAt(rowMissing);
    QCOMPARE(w.sbStatusBarHint->text(), QLatin1Char(' ') + reason);
    pointAt(rowPlain);
    QCOMPARE(w.sbStatusBarHint->text(), QStringLiteral(" Lista dos arquivos a serem processados..."));
    // The next run that converts the file drops the reason.
    m_fixture->WriteFile(QStringLiteral("src/Missing.pas"), "uses Forms;\r\n");
    w.actExecuteConversion->trigger();
    w.WaitForRunEnd();
    QCOMPARE(Cell(rowMissing, 2), QStringLiteral("1"));
    QVERIFY(list->model()->index(rowMissing, 1).data(Qt::ToolTipRole).isNull());
}

void ResultsTest::viewRefusedDuringARun()
{
    ConvertList();
    TMainProbe w(Window());
    // Once the second run has written the first row's count, ask for the view while it works on the rest.
    bool tried = false;
    bool openedDuringRun = false;
    QTimer probe;
    probe.setInterval(0);
    connect(&probe, &QTimer::timeout, &w.Window(), [&] {
        if (tried || !w.IsRunning() || !w.FileListModel().List().Rows()[rowMany].Processed())
            return;
        tried = true;
        w.slSearchListSelectFiles->selectRow(rowMany);
        w.slSearchListSelectFilesDblClick();
        openedDuringRun = w.pViewResult->isVisible();
    });
    probe.start();
    // Restore the files so the second run finds the same hits.
    qvc::WriteFileReplacing(qvc::PathFromQ(m_files[rowMany]), "uses Forms Forms;\r\n");
    w.RunConversion();
    probe.stop();
    QVERIFY(tried);
    QVERIFY(!openedDuringRun);
    QVERIFY(!w.pViewResult->isVisible());
    QVERIFY(w.ActionMainMenuBar1->isEnabled());
    // After the run the same row opens.
    w.slSearchListSelectFiles->clearSelection();
    DoubleClickRow(rowMany);
    QVERIFY(w.pViewResult->isVisible());
}

void ResultsTest::saveResult_data()
{
    QTest::addColumn<QString>("answer"); // relative to the fixture folder; empty cancels
    QTest::addColumn<bool>("written");
    QTest::newRow("cancelled") << QString() << false;
    QTest::newRow("written") << QStringLiteral("out/Report.txt") << true;
    QTest::newRow("folder missing") << QStringLiteral("no/such/folder/Report.txt") << false;
}

void ResultsTest::saveResult()
{
    QFETCH(QString, answer);
    QFETCH(bool, written);
    ConvertList();
    TMainProbe w(Window());
    // A name the code page cannot hold in full, and a shorter caption: the frame must still line up.
    QVERIFY(w.AddFileToList(m_fixture->Dir() + QStringLiteral("/src/Ação_Ω.pas")));
    w.FileListModel().SetCaption(2, QStringLiteral("Qtd."));
    QVERIFY(w.FileListModel().SortByColumn(1));
    QVERIFY(QDir().mkpath(m_fixture->Dir() + QStringLiteral("/out")));
    w.JvSearchFiles1().SetRootDirectory(qvc::PathFromQ(m_fixture->Dir() + QStringLiteral("/src/")));
    w.sdSaveRepositoryData().DefaultSuffix = QStringLiteral("dat");
    w.sdSaveRepositoryData().Filter = QStringLiteral("*.dat|*.dat");
    SettleEvents();
    QVERIFY(w.bbSaveResult->isEnabled());
    const QString path = answer.isEmpty() ? QString() : m_fixture->Dir() + QLatin1Char('/') + answer;
    m_fixture->Dialogs.SaveAnswers.push_back(path);

    QTest::mouseClick(w.bbSaveResult, Qt::LeftButton);
    SettleEvents();

    const auto saves = m_fixture->Dialogs.CallsOf(QStringLiteral("save"));
    QCOMPARE(saves.size(), std::size_t(1));
    const qvc::TFileDialogRequest &asked = saves[0].Request;
    QCOMPARE(asked.DefaultSuffix, QStringLiteral("txt"));
    QCOMPARE(asked.Filter, QStringLiteral("*.txt|*.txt"));
    QCOMPARE(asked.Directory, m_fixture->Dir() + QStringLiteral("/src"));
    QCOMPARE(
        asked.FileName, QStringLiteral("Result%1.txt").arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd"))));
    QVERIFY(asked.ConfirmOverwrite);
    QCOMPARE(w.sdSaveRepositoryData().DefaultSuffix, QStringLiteral("dat"));
    QCOMPARE(w.sdSaveRepositoryData().Filter, QStringLiteral("*.dat|*.dat"));
    QCOMPARE(w.sdSaveRepositoryData().Directory, m_fixture->Dir() + QStringLiteral("/src"));

    const auto errors = m_fixture->Dialogs.CallsOf(QStringLiteral("error"));
    QCOMPARE(w.bbSaveResult->isEnabled(), !written);
    QCOMPARE(errors.size(), std::size_t(!answer.isEmpty() && !written ? 1 : 0));
    if (!errors.empty())
        QVERIFY2(errors[0].Text.contains(path), qPrintable(errors[0].Text));
    QCOMPARE(QFile::exists(path), written);
    if (!written)
        return;

    // Rule, header, rule, every row in display order, rule; one width for all, CR LF after each line.
    const std::string bytes = qvc::ReadFileBytes(qvc::PathFromQ(path));
    QVERIFY(bytes.size() >= 2 && bytes.compare(bytes.size() - 2, 2, "\r\n") == 0);
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < bytes.size();) {
        const std::size_t end = bytes.find("\r\n", start);
        QVERIFY(end != std::string::npos);
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    const auto &rows = w.FileListModel().List().Rows();
    QCOMPARE(lines.size(), rows.size() + 4);
    const std::size_t width = std::size_t(w.MaxFileNameLength()) + 4 + 6 + 8 + 20;
    for (const std::string &line : lines)
        QCOMPARE(line.size(), width);
    std::size_t longest = 0;
    for (const auto &row : rows)
        longest = std::max(longest, qvc::Utf8ToCp1252(row.FileName).size());
    QCOMPARE(std::size_t(w.MaxFileNameLength()), longest);
    QCOMPARE(lines[0], lines[2]);
    QCOMPARE(lines[0], lines.back());
    QVERIFY(lines[1].find(" | Qtd. | Status |  Tempo   |") != std::string::npos);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string &line = lines[i + 3];
        const std::string number = "| 000" + std::to_string(rows[i].Number) + " | ";
        QCOMPARE(line.substr(0, number.size()), number);
        const std::string name = qvc::Utf8ToCp1252(rows[i].FileName);
        QCOMPARE(line.substr(number.size(), name.size()), name);
    }
    const std::string odd = qvc::FromQ(m_fixture->Dir()) + "/src/A\xE7\xE3o_?.pas";
    QVERIFY(bytes.find(odd) != std::string::npos);
}

QTEST_MAIN(ResultsTest)
#include "Results_test.moc"
