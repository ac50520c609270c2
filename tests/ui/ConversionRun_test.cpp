// "&Executar..." through the window: cells, images, stored results, the lock, and a run ended by a failure.
#include "UiTestSupport.h"

#include "engine/pass/FastTime.h"
#include "ui/Application.h"
#include "ui/FileListModel.h"
#include "ui/RepositoryModel.h"
#include "ui/TextBridge.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolBar>

class ConversionRunTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void runWritesCellsImagesAndResults();
    void secondRunResetsRowsAndKeepsOlderSlots();
    void writeFailureEndsTheRunAndUnlocks();
    void nothingChangesTheListDuringARun();

private:
    void SetPairs(const std::vector<std::string> &lines);
    QStringList Row(int row) const;
    int Image(int row) const;
    TWindowFixture *m_fixture = nullptr;
};

void ConversionRunTest::initTestCase()
{
    qvc::SetUpApplication(*qApp);
    // The pass's timer reads a counter that stands still, so every row's time is 00:00:00 however slowly
    // this machine converts.
    qvc::SetCounterSource([] { return std::int64_t(0); });
}

void ConversionRunTest::init()
{
    m_fixture = new TWindowFixture;
    m_fixture->Create();
}

void ConversionRunTest::cleanup()
{
    delete m_fixture;
    m_fixture = nullptr;
}

void ConversionRunTest::SetPairs(const std::vector<std::string> &lines)
{
    TMainProbe w = m_fixture->Window();
    w.RepositoryModel().BeginChange();
    w.Repository().SetLines(lines);
    w.RepositoryModel().EndChange();
    w.Repository().SetRepositoryModified(false);
}

QStringList ConversionRunTest::Row(int row) const
{
    QStringList cells;
    auto *model = m_fixture->Window().slSearchListSelectFiles->model();
    for (int c = 0; c < 5; ++c)
        cells << model->index(row, c).data().toString();
    return cells;
}

int ConversionRunTest::Image(int row) const
{
    return m_fixture->Window().FileListModel().List().Rows().at(std::size_t(row)).StateImage;
}

void ConversionRunTest::runWritesCellsImagesAndResults()
{
    TMainProbe w = m_fixture->Window();
    const QString a = m_fixture->WriteFile(QStringLiteral("src/Unit1.pas"), "uses Forms, Controls;\nend.");
    const QString b = m_fixture->WriteFile(QStringLiteral("src/Plain.pas"), "begin\r\nend.\r\n");
    const QString missing = m_fixture->Dir() + QStringLiteral("/src/Missing.pas");
    for (const QString &name : { a, b, missing })
        QVERIFY(w.AddFileToList(name));
    SetPairs({ "Forms=QForms", "Controls=QControls", "forms=QForms" });
    w.obOutlookBarOptionsButtonClick(2);
    SettleEvents();
    QVERIFY(w.actExecuteConversion->isEnabled());
    w.actExecuteConversion->trigger();
    w.WaitForRunEnd();

    QCOMPARE(w.Notebook1->currentIndex(), 0);
    QCOMPARE(Row(0), (QStringList { "0", a, "2", "100%", "00:00:00" }));
    QCOMPARE(Row(1), (QStringList { "1", b, "0", "100%", "00:00:00" }));
    QCOMPARE(Row(2).mid(0, 4), (QStringList { "2", missing, "-1", "-" }));
    QCOMPARE(Image(0), 6);
    QCOMPARE(Image(1), 8);
    QCOMPARE(Image(2), 7);
    QFile converted(a);
    QVERIFY(converted.open(QIODevice::ReadOnly));
    QCOMPARE(converted.readAll(), QByteArray("uses QForms, QControls;\r\nend.\r\n"));
    // Pairs whose texts differ only in letter case share one entry.
    const auto &entries = w.ResultStore().Get(0).Entries();
    QCOMPARE(entries.size(), std::size_t(2));
    QCOMPARE(entries[0].Find, std::string("Forms"));
    QCOMPARE(entries[0].Replace, std::string("QForms"));
    QCOMPARE(entries[0].Occurrences, 1);
    QVERIFY(w.ResultStore().Get(1).Empty());
    // Every row was selected as it was processed; the window is unlocked and ready again.
    QCOMPARE(w.slSearchListSelectFiles->selectionModel()->selectedRows().size(), 3);
    QVERIFY(w.bbSaveResult->isEnabled());
    QVERIFY(w.ActionMainMenuBar1->isEnabled());
    QVERIFY(w.ActionToolBar1->isEnabled());
    QVERIFY(w.obOutlookBarOptions->isEnabled());
    QVERIFY(w.pStatusResult->isEnabled());
    QVERIFY(!w.IsRunning());
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QVERIFY(w.pProgressMessage->text().isEmpty());
    QCOMPARE(w.ProgressBar1->value(), 0);
    QCOMPARE(w.Image2->pixmap().toImage(), QPixmap(QStringLiteral(":/artwork/ready.png")).toImage());
    QVERIFY(m_fixture->Dialogs.CallsOf(QStringLiteral("error")).empty());
}

void ConversionRunTest::secondRunResetsRowsAndKeepsOlderSlots()
{
    TMainProbe w = m_fixture->Window();
    const QString a = m_fixture->WriteFile(QStringLiteral("A.pas"), "uses Forms;\r\n");
    const QString b = m_fixture->WriteFile(QStringLiteral("B.pas"), "uses Forms;\r\n");
    QVERIFY(w.AddFileToList(a));
    QVERIFY(w.AddFileToList(b));
    SetPairs({ "Forms=QForms" });
    w.cbCheckBoxSimulate->setChecked(true);
    w.RunConversion();
    QCOMPARE(Row(0).at(2), QStringLiteral("1"));
    QVERIFY(w.bbSaveResult->isEnabled());
    QFile untouched(a);
    QVERIFY(untouched.open(QIODevice::ReadOnly));
    QCOMPARE(untouched.readAll(), QByteArray("uses Forms;\r\n"));

    // Remove A, add C: C gets a new slot; a second run that changes nothing keeps B's earlier slot.
    w.FileListModel().RemoveRows({ 0 });
    const QString c = m_fixture->WriteFile(QStringLiteral("C.pas"), "nothing here\r\n");
    QVERIFY(w.AddFileToList(c));
    SetPairs({ "Graphics=QGraphics" });
    w.bbSaveResult->setEnabled(false);
    w.RunConversion();
    QCOMPARE(Row(0), (QStringList { "1", b, "0", "100%", "00:00:00" }));
    QCOMPARE(Row(1), (QStringList { "2", c, "0", "100%", "00:00:00" }));
    QCOMPARE(Image(0), 8);
    QVERIFY(!w.bbSaveResult->isEnabled());
    QCOMPARE(w.ResultStore().Get(1).Entries().at(0).Find, std::string("Forms"));
    QCOMPARE(w.ResultStore().Get(1).Entries().at(0).Replace, std::string("QForms"));
    QVERIFY(w.ResultStore().Get(2).Empty());
}

void ConversionRunTest::writeFailureEndsTheRunAndUnlocks()
{
    TMainProbe w = m_fixture->Window();
    const QString a = m_fixture->WriteFile(QStringLiteral("A.pas"), "uses Forms;\r\n");
    const QString b = m_fixture->WriteFile(QStringLiteral("B.pas"), "uses Forms;\r\n");
    const QString c = m_fixture->WriteFile(QStringLiteral("C.pas"), "uses Forms;\r\n");
    // B's backup name is a folder that holds a file: it can be neither deleted nor replaced.
    m_fixture->WriteFile(QStringLiteral("B.~pas/keep"), "x");
    for (const QString &name : { a, b, c })
        QVERIFY(w.AddFileToList(name));
    SetPairs({ "Forms=QForms" });
    w.cbCheckBoxBackupFiles->setChecked(true);
    SettleEvents();
    w.actExecuteConversion->trigger();
    w.WaitForRunEnd();

    const auto errors = m_fixture->Dialogs.CallsOf(QStringLiteral("error"));
    QCOMPARE(errors.size(), std::size_t(1));
    QCOMPARE(errors[0].Text, QStringLiteral("Unable to backup file."));
    QCOMPARE(Row(0).at(2), QStringLiteral("1"));
    QCOMPARE(Image(0), 6);
    QCOMPARE(Row(1).mid(2), (QStringList { "-", "100%", "-" }));
    QCOMPARE(Image(1), 6);
    QCOMPARE(Row(2).mid(2), (QStringList { "-", "-", "-" }));
    QCOMPARE(Image(2), 8);
    QVERIFY(QFile::exists(m_fixture->Dir() + QStringLiteral("/A.~pas")));
    QFile notWritten(c);
    QVERIFY(notWritten.open(QIODevice::ReadOnly));
    QCOMPARE(notWritten.readAll(), QByteArray("uses Forms;\r\n"));
    QVERIFY(w.bbSaveResult->isEnabled());
    QVERIFY(w.ActionMainMenuBar1->isEnabled());
    QVERIFY(w.pStatusResult->isEnabled());
    QVERIFY(!w.IsRunning());
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QCOMPARE(w.ResultStore().Get(0).Entries().size(), std::size_t(1));
}

void ConversionRunTest::nothingChangesTheListDuringARun()
{
    TMainProbe w = m_fixture->Window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.Window()));
    for (int i = 0; i < 3; ++i)
        QVERIFY(w.AddFileToList(m_fixture->WriteFile(QStringLiteral("F%1.pas").arg(i), "uses Forms;\r\n")));
    SetPairs({ "Forms=QForms", "Controls=QControls" });
    const QString extra = m_fixture->WriteFile(QStringLiteral("Extra.pas"), "x\r\n");
    bool sawRun = false;
    bool lockedBars = false;
    QTimer::singleShot(0, &w.Window(), [&] {
        sawRun = w.IsRunning();
        lockedBars = !w.ActionMainMenuBar1->isEnabled() && !w.ActionToolBar1->isEnabled()
            && !w.obOutlookBarOptions->isEnabled() && !w.pStatusResult->isEnabled();
        w.HandleDroppedFiles({ extra });
        w.actSelectAll->trigger();
        w.actRemoveFile->trigger();
        w.actExecuteConversion->trigger();
        w.actInsertLine->trigger();
        QTest::keyClick(w.slSearchListSelectFiles, Qt::Key_Delete);
        w.close();
    });
    w.RunConversion();
    QVERIFY(sawRun);
    QVERIFY(lockedBars);
    QCOMPARE(w.slSearchListSelectFiles->model()->rowCount(), 3);
    QCOMPARE(w.Repository().Count(), std::size_t(2));
    QVERIFY(w.isVisible());
    for (int i = 0; i < 3; ++i)
        QCOMPARE(Row(i).at(2), QStringLiteral("1"));
}

QTEST_MAIN(ConversionRunTest)
#include "ConversionRun_test.moc"
