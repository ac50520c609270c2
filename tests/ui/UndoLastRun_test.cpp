// "Desfazer a Última Conversão" in the "Conversão" menu, and the warning on rows whose run overwrites a
// file it did not read.
#include "UiTestSupport.h"

#include "common/FolderLocks.h"
#include "engine/RunJournal.h"
#include "ui/Application.h"
#include "ui/FileListModel.h"
#include "ui/RepositoryModel.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QMenu>
#include <QTableView>
#include <QTest>
#include <QTimer>

class UndoLastRunTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void undoAsksHowManyFilesAndRestoresThem();
    void undoAnsweredNoChangesNothing();
    void undoIsInTheConversionMenuAndLockedDuringARun();
    void rowOverwritingAFileItDidNotReadIsMarked();
    void runShowsAFolderAnotherRunHoldsAndChangesNothing();
    void runWhoseJournalCannotBeWrittenSaysItCannotBeUndone();

private:
    void SetPairs(const std::vector<std::string> &lines, int renameMode);
    static QByteArray Bytes(const QString &path);
    TWindowFixture *m_fixture = nullptr;
};

void UndoLastRunTest::initTestCase()
{
    qvc::SetUpApplication(*qApp);
}

void UndoLastRunTest::init()
{
    m_fixture = new TWindowFixture;
    // The journals of this test's runs stay in its folder.
    qputenv("XDG_STATE_HOME", (m_fixture->Dir() + QStringLiteral("/state")).toLocal8Bit());
    m_fixture->Create();
}

void UndoLastRunTest::cleanup()
{
    delete m_fixture;
    m_fixture = nullptr;
}

void UndoLastRunTest::SetPairs(const std::vector<std::string> &lines, int renameMode)
{
    TMainProbe w = m_fixture->Window();
    w.RepositoryModel().BeginChange();
    w.Repository().SetLines(lines);
    w.Repository().SetRenameMode(qvc::TRenameMode(renameMode));
    w.RepositoryModel().EndChange();
    w.Repository().SetRepositoryModified(false);
}

QByteArray UndoLastRunTest::Bytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void UndoLastRunTest::undoAsksHowManyFilesAndRestoresThem()
{
    TMainProbe w = m_fixture->Window();
    const QString a = m_fixture->WriteFile(QStringLiteral("src/A.pas"), "uses Forms;\r\n");
    const QString form = m_fixture->WriteFile(QStringLiteral("src/A.dfm"), "object A\r\n  C = Forms\r\nend\r\n");
    QVERIFY(w.AddFileToList(a));
    QVERIFY(w.AddFileToList(form));
    SetPairs({ "Forms=QForms" }, 0);
    w.cbCheckBoxBackupFiles->setChecked(true);
    w.RunConversion();
    const QString written = m_fixture->Dir() + QStringLiteral("/src/A.xfm");
    QCOMPARE(Bytes(a), QByteArray("uses QForms;\r\n"));
    QVERIFY(QFile::exists(written));

    m_fixture->Dialogs.QuestionAnswers.push_back(qvc::TAnswer::Yes);
    w.actUndoLastRun->trigger();
    const auto questions = m_fixture->Dialogs.CallsOf(QStringLiteral("question"));
    QCOMPARE(questions.size(), std::size_t(1));
    QCOMPARE(questions[0].Text, QStringLiteral("Desfazer a última conversão? 2 arquivo(s) serão restaurados."));
    QCOMPARE(Bytes(a), QByteArray("uses Forms;\r\n"));
    QCOMPARE(Bytes(form), QByteArray("object A\r\n  C = Forms\r\nend\r\n"));
    QVERIFY(!QFile::exists(written));
    QVERIFY(!QFile::exists(m_fixture->Dir() + QStringLiteral("/src/A.~pas")));
    QVERIFY(m_fixture->Dialogs.CallsOf(QStringLiteral("error")).empty());
}

void UndoLastRunTest::undoAnsweredNoChangesNothing()
{
    TMainProbe w = m_fixture->Window();
    const QString a = m_fixture->WriteFile(QStringLiteral("A.pas"), "uses Forms;\r\n");
    QVERIFY(w.AddFileToList(a));
    SetPairs({ "Forms=QForms" }, 2);
    w.cbCheckBoxBackupFiles->setChecked(true);
    w.RunConversion();
    m_fixture->Dialogs.QuestionAnswers.push_back(qvc::TAnswer::No);
    w.actUndoLastRun->trigger();
    QCOMPARE(m_fixture->Dialogs.CallsOf(QStringLiteral("question")).size(), std::size_t(1));
    QCOMPARE(Bytes(a), QByteArray("uses QForms;\r\n"));
    // A file changed since the run is named, and nothing is asked or restored.
    m_fixture->WriteFile(QStringLiteral("A.pas"), "edited later\r\n");
    w.actUndoLastRun->trigger();
    const auto errors = m_fixture->Dialogs.CallsOf(QStringLiteral("error"));
    QCOMPARE(errors.size(), std::size_t(1));
    QVERIFY(errors[0].Text.contains(a));
    QCOMPARE(m_fixture->Dialogs.CallsOf(QStringLiteral("question")).size(), std::size_t(1));
    QCOMPARE(Bytes(a), QByteArray("edited later\r\n"));
}

void UndoLastRunTest::undoIsInTheConversionMenuAndLockedDuringARun()
{
    TMainProbe w = m_fixture->Window();
    QVERIFY(w.MainMenuBarItems[2]->actions().contains(w.actUndoLastRun));
    QCOMPARE(w.actUndoLastRun->text(), QStringLiteral("Desfazer a Última Conversão"));
    const QString a = m_fixture->WriteFile(QStringLiteral("A.pas"), "uses Forms;\r\n");
    QVERIFY(w.AddFileToList(a));
    SetPairs({ "Forms=QForms" }, 2);
    bool enabledDuringRun = true;
    bool seen = false;
    QTimer::singleShot(0, &w.Window(), [&] {
        enabledDuringRun = w.actUndoLastRun->isEnabled();
        seen = true;
    });
    w.RunConversion();
    QVERIFY(seen);
    QVERIFY(!enabledDuringRun);
    QVERIFY(w.actUndoLastRun->isEnabled());
}

void UndoLastRunTest::rowOverwritingAFileItDidNotReadIsMarked()
{
    TMainProbe w = m_fixture->Window();
    const QString dfm = m_fixture->WriteFile(QStringLiteral("U.dfm"), "object U\r\n  C = Forms\r\nend\r\n");
    const QString xfm = m_fixture->WriteFile(QStringLiteral("U.xfm"), "porter's own\r\n");
    const QString plain = m_fixture->WriteFile(QStringLiteral("P.pas"), "uses Forms;\r\n");
    QVERIFY(w.AddFileToList(dfm));
    QVERIFY(w.AddFileToList(plain));
    SetPairs({ "Forms=QForms" }, 0);
    w.cbCheckBoxSimulate->setChecked(true);
    w.RunConversion();
    auto *model = w.slSearchListSelectFiles->model();
    QVERIFY(model->index(0, 1).data(Qt::ToolTipRole).toString().contains(xfm));
    QVERIFY(!model->index(0, 1).data(Qt::DecorationRole).isNull());
    QVERIFY(model->index(1, 1).data(Qt::ToolTipRole).isNull());
    QVERIFY(model->index(1, 1).data(Qt::DecorationRole).isNull());
    QCOMPARE(Bytes(xfm), QByteArray("porter's own\r\n"));
    // A run that overwrites nothing takes the mark away.
    SetPairs({ "Nothing=Else" }, 0);
    w.RunConversion();
    QVERIFY(model->index(0, 1).data(Qt::ToolTipRole).isNull());
}

void UndoLastRunTest::runShowsAFolderAnotherRunHoldsAndChangesNothing()
{
    TMainProbe w = m_fixture->Window();
    const QString a = m_fixture->WriteFile(QStringLiteral("A.pas"), "uses Forms;\r\n");
    QVERIFY(w.AddFileToList(a));
    SetPairs({ "Forms=QForms" }, 2);
    // Another run (here: this test) holds the file's folder; the window's run waits for it, then gives up.
    qvc::TFolderLocks held;
    held.Acquire(qvc::RunFoldersOf({ a.toStdString() }));
    w.RunConversion();
    const auto errors = m_fixture->Dialogs.CallsOf(QStringLiteral("error"));
    QCOMPARE(errors.size(), std::size_t(1));
    QVERIFY2(errors[0].Text.contains(QStringLiteral("está em uso por outra conversão ou outro desfazer")),
        qPrintable(errors[0].Text));
    QCOMPARE(Bytes(a), QByteArray("uses Forms;\r\n"));
    held.Release();
    w.RunConversion();
    QCOMPARE(Bytes(a), QByteArray("uses QForms;\r\n"));
}

void UndoLastRunTest::runWhoseJournalCannotBeWrittenSaysItCannotBeUndone()
{
    TMainProbe w = m_fixture->Window();
    // A file where the journals' folder should be: no journal can be made.
    m_fixture->WriteFile(QStringLiteral("state"), "not a folder");
    const QString a = m_fixture->WriteFile(QStringLiteral("A.pas"), "uses Forms;\r\n");
    QVERIFY(w.AddFileToList(a));
    SetPairs({ "Forms=QForms" }, 2);
    w.RunConversion();
    QCOMPARE(Bytes(a), QByteArray("uses QForms;\r\n"));
    const auto errors = m_fixture->Dialogs.CallsOf(QStringLiteral("error"));
    QCOMPARE(errors.size(), std::size_t(1));
    QVERIFY2(errors[0].Text.contains(QStringLiteral("não poderá ser desfeita")), qPrintable(errors[0].Text));
}

QTEST_MAIN(UndoLastRunTest)
#include "UndoLastRun_test.moc"
