// Stopping a run: Escape, the close button and Alt+F4 ask "Interromper a conversão?" between two files; Sim ends
// the run there as a normal end (and closes the window when a close asked), Não goes on.
#include "UiTestSupport.h"

#include "engine/pass/FastTime.h"
#include "ui/Application.h"
#include "ui/FileListModel.h"
#include "ui/RepositoryModel.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

using qvc::TAnswer;

class RunStopTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void stopRequests_data();
    void stopRequests();
    void fileCountAndMessageStayReadable();
    void windowGoingAwayStopsTheRunAtItsNextFile();

private:
    QString Cell(int row, int column) const;
    QByteArray Read(const QString &path) const;
    TWindowFixture *m_fixture = nullptr;
    QStringList m_files;
};

void RunStopTest::initTestCase()
{
    qvc::SetUpApplication(*qApp);
    // The pass's timer reads a counter that stands still, so every row's time is 00:00:00 however slowly
    // this machine converts.
    qvc::SetCounterSource([] { return std::int64_t(0); });
}

void RunStopTest::init()
{
    m_fixture = new TWindowFixture;
    TMainProbe w(m_fixture->Create());
    m_files.clear();
    for (const char *name : { "A.pas", "B.pas", "C.pas" }) {
        m_files << m_fixture->WriteFile(QLatin1String(name), "uses Forms;\r\n");
        QVERIFY(w.AddFileToList(m_files.back()));
    }
    w.RepositoryModel().BeginChange();
    w.Repository().SetLines({ "Forms=QForms" });
    w.RepositoryModel().EndChange();
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.Window()));
    w.slSearchListSelectFiles->setFocus();
    SettleEvents();
}

void RunStopTest::cleanup()
{
    delete m_fixture;
    m_fixture = nullptr;
}

QString RunStopTest::Cell(int row, int column) const
{
    return m_fixture->Window().slSearchListSelectFiles->model()->index(row, column).data().toString();
}

QByteArray RunStopTest::Read(const QString &path) const
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void RunStopTest::stopRequests_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<int>("answer");
    QTest::newRow("Escape, Sim") << "escape" << int(TAnswer::Yes);
    QTest::newRow("Escape, Não") << "escape" << int(TAnswer::No);
    QTest::newRow("close button, Sim") << "close" << int(TAnswer::Yes);
    QTest::newRow("close button, Não") << "close" << int(TAnswer::No);
    QTest::newRow("Alt+F4, Sim") << "altF4" << int(TAnswer::Yes);
    QTest::newRow("Alt+F4, Não") << "altF4" << int(TAnswer::No);
}

void RunStopTest::stopRequests()
{
    QFETCH(QString, request);
    QFETCH(int, answer);
    TMainProbe w = m_fixture->Window();
    auto &dialogs = m_fixture->Dialogs;
    dialogs.YesNoAnswers.push_back(TAnswer(answer));
    QString timeWhenAsked;
    dialogs.OnYesNo = [&] {
        // Asked between two files: the first one is done, its time taken before the question waits.
        timeWhenAsked = Cell(0, 4);
        QVERIFY(w.IsRunning());
    };
    // The request arrives while the run handles pending events during its first file.
    QTimer::singleShot(0, &w.Window(), [&] {
        QVERIFY(w.IsRunning());
        if (request == QLatin1String("escape"))
            QTest::keyClick(w.slSearchListSelectFiles, Qt::Key_Escape);
        else if (request == QLatin1String("altF4"))
            QTest::keyClick(w.slSearchListSelectFiles, Qt::Key_F4, Qt::AltModifier);
        else {
            QCloseEvent close;
            QApplication::sendEvent(&w.Window(), &close);
            QVERIFY(!close.isAccepted());
        }
    });
    w.actExecuteConversion->trigger();
    w.WaitForRunEnd();
    SettleEvents();

    const auto questions = dialogs.CallsOf(QStringLiteral("yesno"));
    QCOMPARE(questions.size(), std::size_t(1));
    QCOMPARE(questions[0].Text, QStringLiteral("Interromper a conversão?"));
    QCOMPARE(timeWhenAsked, QStringLiteral("00:00:00"));
    QVERIFY(!w.IsRunning());
    QVERIFY(w.ActionMainMenuBar1->isEnabled());
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QVERIFY(w.pProgressMessage->text().isEmpty());
    QVERIFY(dialogs.CallsOf(QStringLiteral("error")).empty());
    QCOMPARE(Cell(0, 2), QStringLiteral("1"));
    QCOMPARE(Read(m_files[0]), QByteArray("uses QForms;\r\n"));
    if (answer == int(TAnswer::Yes)) {
        // The rows not reached stay as the run's start left them, their files untouched; results so far kept.
        for (int row : { 1, 2 }) {
            QCOMPARE(Cell(row, 2), QStringLiteral("-"));
            QCOMPARE(Cell(row, 4), QStringLiteral("-"));
            QCOMPARE(w.FileListModel().List().Rows().at(std::size_t(row)).StateImage, 8);
            QCOMPARE(Read(m_files[row]), QByteArray("uses Forms;\r\n"));
        }
        QCOMPARE(w.ResultStore().Get(0).Entries().size(), std::size_t(1));
        QVERIFY(w.bbSaveResult->isEnabled());
    } else {
        for (int row : { 1, 2 })
            QCOMPARE(Cell(row, 2), QStringLiteral("1"));
    }
    // A close asked for closes the window once the run has ended, unless the user chose to go on.
    const bool closes = request != QLatin1String("escape") && answer == int(TAnswer::Yes);
    QCOMPARE(w.isVisible(), !closes);
}

void RunStopTest::fileCountAndMessageStayReadable()
{
    TMainProbe w = m_fixture->Window();
    auto &dialogs = m_fixture->Dialogs;
    QString countWhenAsked;
    QColor messageColour;
    dialogs.OnYesNo = [&] {
        countWhenAsked = w.pRunFileCount->text();
        // The strip is disabled for the run, its texts are drawn as normal text all the same.
        QVERIFY(!w.pStatusResult->isEnabled());
        messageColour = w.pProgressMessage->palette().color(QPalette::Disabled, QPalette::WindowText);
    };
    QTimer::singleShot(0, &w.Window(), [&] { QTest::keyClick(w.slSearchListSelectFiles, Qt::Key_Escape); });
    w.actExecuteConversion->trigger();
    w.WaitForRunEnd();
    // Asked before the second file: the first of three has been worked on.
    QCOMPARE(countWhenAsked, QStringLiteral("Arquivo 1 de 3"));
    QCOMPARE(messageColour, w.pProgressMessage->palette().color(QPalette::Active, QPalette::WindowText));
    QCOMPARE(w.pRunFileCount->palette().color(QPalette::Disabled, QPalette::WindowText),
        w.pRunFileCount->palette().color(QPalette::Active, QPalette::WindowText));
    // Não: the run goes on to its end, and the count goes with the progress message.
    QCOMPARE(Cell(2, 2), QStringLiteral("1"));
    QVERIFY(w.pRunFileCount->text().isEmpty());
}

// The window destroyed while its run goes on (the program quitting): the run ends at its next file without asking,
// its worker is joined before the window's parts go, and the files after that one stay as they were.
void RunStopTest::windowGoingAwayStopsTheRunAtItsNextFile()
{
    TMainProbe w = m_fixture->Window();
    w.actExecuteConversion->trigger();
    QVERIFY(w.IsRunning());
    m_fixture->Destroy();
    QVERIFY(m_fixture->Dialogs.CallsOf(QStringLiteral("yesno")).empty());
    QCOMPARE(Read(m_files[0]), QByteArray("uses QForms;\r\n"));
    for (int row : { 1, 2 })
        QCOMPARE(Read(m_files[row]), QByteArray("uses Forms;\r\n"));
}

QTEST_MAIN(RunStopTest)
#include "RunStop_test.moc"
