// "Desfazer a Última Conversão" in the "Conversão" menu: the choice of a recent run, the question, files changed
// since a run; and the warning on rows whose run overwrites a file it did not read.
#include "UiTestSupport.h"

#include "common/FolderLocks.h"
#include "engine/journal/RunJournal.h"
#include "engine/journal/UndoRun.h"
#include "ui/Application.h"
#include "ui/ConversionRunner.h"
#include "ui/FileListModel.h"
#include "ui/RepositoryModel.h"
#include "ui/TextBridge.h"

#include <QAction>
#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimeZone>
#include <QTimer>
#include <QTreeWidget>
#include <deque>
#include <functional>
#include <sys/stat.h>

class UndoLastRunTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void undoAsksHowManyFilesAndRestoresThem();
    void undoAnsweredNoChangesNothing();
    void undoListsTheRecentRunsNewestFirst();
    void undoOfAnOlderRunRestoresOnlyItsFiles();
    void filesChangedSinceTheRunAreUndoneOnlyWhenAsked_data();
    void filesChangedSinceTheRunAreUndoneOnlyWhenAsked();
    void anInterruptedUndoIsCompletedBeforeAnyChoice();
    void undoIsInTheConversionMenuAndLockedDuringARun();
    void rowOverwritingAFileItDidNotReadIsMarked();
    void runShowsAFolderAnotherRunHoldsAndChangesNothing();
    void runWhoseJournalCannotBeWrittenSaysItCannotBeUndone();

private:
    // What a test saw of the run list when it answered it.
    struct TListSeen
    {
        QStringList Rows[4]; ///< the texts of each column, top to bottom
        int Selected = -1;
        std::vector<bool> UndoEnabled; ///< "Desfazer" with each row selected
    };

    void SetPairs(const std::vector<std::string> &lines, int renameMode);
    static QByteArray Bytes(const QString &path);
    /// Empties the file list and lists `files` instead.
    void ListOnly(const QStringList &files);
    /// Runs with backups on the files given, with `pairs`, for the Delphi names kept.
    void RunOn(const QStringList &files, const std::vector<std::string> &pairs = { "Forms=QForms" });
    /// The next run list is answered by choosing row `row` (-1: cancel); what it showed goes to `seen`.
    void AnswerRunList(int row, TListSeen *seen = nullptr);
    /// The next list of files changed since a run is answered with "Desfazer mesmo assim" or "Cancelar"; the
    /// files it listed go to `listed`.
    void AnswerChangedFiles(bool undoAnyway, QStringList *listed = nullptr);
    /// The run journals of the test, newest first.
    std::vector<qvc::TJournalSummary> Journals() const;
    QString StateFolder() const { return m_fixture->Dir() + QStringLiteral("/state/qvConvertFiles/runs"); }

    TWindowFixture *m_fixture = nullptr;
    std::deque<std::function<int(QDialog *)>> m_execAnswers;
    struct TUndone
    {
        std::string Journal;
        std::vector<std::string> Files;
    };
    std::vector<TUndone> m_undone; ///< what RunUndone told, in order
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
    m_execAnswers.clear();
    m_undone.clear();
    m_fixture->Dialogs.ExecHandler = [this](QDialog *dialog) {
        if (m_execAnswers.empty())
            return int(QDialog::Rejected);
        const auto answer = std::move(m_execAnswers.front());
        m_execAnswers.pop_front();
        return answer(dialog);
    };
    connect(&m_fixture->Main().Runner(), &qvc::TConversionRunner::RunUndone, this,
        [this](const std::string &journal, const std::vector<std::string> &files) {
            m_undone.push_back({ journal, files });
        });
}

void UndoLastRunTest::cleanup()
{
    QVERIFY2(m_execAnswers.empty(), "a dialog the test answered was not shown");
    delete m_fixture;
    m_fixture = nullptr;
}

void UndoLastRunTest::ListOnly(const QStringList &files)
{
    TMainProbe w = m_fixture->Window();
    std::vector<int> rows;
    for (int row = 0; row < w.FileListModel().rowCount(); ++row)
        rows.push_back(row);
    w.FileListModel().RemoveRows(std::move(rows));
    for (const auto &file : files)
        QVERIFY(w.AddFileToList(file));
}

void UndoLastRunTest::RunOn(const QStringList &files, const std::vector<std::string> &pairs)
{
    TMainProbe w = m_fixture->Window();
    ListOnly(files);
    SetPairs(pairs, 2);
    w.cbCheckBoxBackupFiles->setChecked(true);
    w.RunConversion();
}

void UndoLastRunTest::AnswerRunList(int row, TListSeen *seen)
{
    m_execAnswers.emplace_back([row, seen](QDialog *dialog) {
        if (dialog->objectName() != QLatin1String("frmUndoRuns"))
            return int(QDialog::Rejected);
        auto *list = dialog->findChild<QTreeWidget *>(QStringLiteral("lvUndoRuns"));
        auto *undo = dialog->findChild<QPushButton *>(QStringLiteral("bbUndo"));
        if (list == nullptr || undo == nullptr)
            return int(QDialog::Rejected);
        if (seen != nullptr) {
            seen->Selected = list->currentItem() != nullptr && list->currentItem()->isSelected()
                ? list->indexOfTopLevelItem(list->currentItem())
                : -1;
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                for (int column = 0; column < 4; ++column)
                    seen->Rows[column] << list->topLevelItem(i)->text(column);
                list->setCurrentItem(list->topLevelItem(i));
                seen->UndoEnabled.push_back(undo->isEnabled());
            }
        }
        if (row < 0) {
            dialog->findChild<QPushButton *>(QStringLiteral("bbCancel"))->click();
        } else {
            list->setCurrentItem(list->topLevelItem(row));
            undo->click();
        }
        return dialog->result();
    });
}

void UndoLastRunTest::AnswerChangedFiles(bool undoAnyway, QStringList *listed)
{
    m_execAnswers.emplace_back([undoAnyway, listed](QDialog *dialog) {
        if (dialog->objectName() != QLatin1String("frmUndoChanged"))
            return int(QDialog::Rejected);
        if (listed != nullptr) {
            const auto *files = dialog->findChild<QListWidget *>(QStringLiteral("lbChangedFiles"));
            for (int i = 0; files != nullptr && i < files->count(); ++i)
                *listed << files->item(i)->text();
        }
        dialog->findChild<QPushButton *>(undoAnyway ? QStringLiteral("bbUndoAnyway") : QStringLiteral("bbCancel"))
            ->click();
        return dialog->result();
    });
}

std::vector<qvc::TJournalSummary> UndoLastRunTest::Journals() const
{
    return qvc::RecentJournals(qvc::PathFromQ(StateFolder()), 100);
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

    AnswerRunList(0);
    m_fixture->Dialogs.QuestionAnswers.push_back(qvc::TAnswer::Yes);
    w.actUndoLastRun->trigger();
    QCOMPARE(m_fixture->Dialogs.CallsOf(QStringLiteral("exec")).size(), std::size_t(1));
    const auto questions = m_fixture->Dialogs.CallsOf(QStringLiteral("question"));
    QCOMPARE(questions.size(), std::size_t(1));
    QCOMPARE(questions[0].Text, QStringLiteral("Desfazer a última conversão? 2 arquivo(s) serão restaurados."));
    QCOMPARE(Bytes(a), QByteArray("uses Forms;\r\n"));
    QCOMPARE(Bytes(form), QByteArray("object A\r\n  C = Forms\r\nend\r\n"));
    QVERIFY(!QFile::exists(written));
    QVERIFY(!QFile::exists(m_fixture->Dir() + QStringLiteral("/src/A.~pas")));
    QVERIFY(m_fixture->Dialogs.CallsOf(QStringLiteral("error")).empty());
    // The window hears which run was undone and which files hold their earlier text again.
    QCOMPARE(m_undone.size(), std::size_t(1));
    QCOMPARE(m_undone[0].Journal, Journals().front().Path);
    std::vector<std::string> restored = m_undone[0].Files;
    std::sort(restored.begin(), restored.end());
    // A.pas has its text back, A.xfm (made from the form) is gone again; the form itself was never changed.
    QCOMPARE(restored, (std::vector<std::string> { qvc::PathFromQ(a), qvc::PathFromQ(written) }));
}

void UndoLastRunTest::undoAnsweredNoChangesNothing()
{
    TMainProbe w = m_fixture->Window();
    const QString a = m_fixture->WriteFile(QStringLiteral("A.pas"), "uses Forms;\r\n");
    QVERIFY(w.AddFileToList(a));
    SetPairs({ "Forms=QForms" }, 2);
    w.cbCheckBoxBackupFiles->setChecked(true);
    w.RunConversion();
    AnswerRunList(0);
    m_fixture->Dialogs.QuestionAnswers.push_back(qvc::TAnswer::No);
    w.actUndoLastRun->trigger();
    QCOMPARE(m_fixture->Dialogs.CallsOf(QStringLiteral("question")).size(), std::size_t(1));
    QCOMPARE(Bytes(a), QByteArray("uses QForms;\r\n"));
    // A file changed since the run is named; cancelled there, nothing is asked or restored.
    m_fixture->WriteFile(QStringLiteral("A.pas"), "edited later\r\n");
    QStringList listed;
    AnswerRunList(0);
    AnswerChangedFiles(false, &listed);
    w.actUndoLastRun->trigger();
    QCOMPARE(listed, QStringList { a });
    QVERIFY(m_fixture->Dialogs.CallsOf(QStringLiteral("error")).empty());
    QCOMPARE(m_fixture->Dialogs.CallsOf(QStringLiteral("question")).size(), std::size_t(1));
    QCOMPARE(Bytes(a), QByteArray("edited later\r\n"));
    QVERIFY(m_undone.empty());
}

void UndoLastRunTest::undoListsTheRecentRunsNewestFirst()
{
    TMainProbe w = m_fixture->Window();
    // No run yet: no list, the message of old.
    w.actUndoLastRun->trigger();
    const auto none = m_fixture->Dialogs.CallsOf(QStringLiteral("message"));
    QCOMPARE(none.size(), std::size_t(1));
    QCOMPARE(none[0].Text, QStringLiteral("Nenhuma conversão para desfazer."));
    QVERIFY(m_fixture->Dialogs.CallsOf(QStringLiteral("exec")).empty());

    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    const QString one1 = m_fixture->WriteFile(QStringLiteral("one/A.pas"), "uses Forms;\r\n");
    const QString one2 = m_fixture->WriteFile(QStringLiteral("one/B.pas"), "uses Forms;\r\n");
    const QString two = m_fixture->WriteFile(QStringLiteral("two/C.pas"), "uses Forms;\r\n");
    const QString three = m_fixture->WriteFile(QStringLiteral("three/D.pas"), "uses Forms;\r\n");
    RunOn({ one1, one2 });
    RunOn({ two });
    RunOn({ three });
    AnswerRunList(0);
    m_fixture->Dialogs.QuestionAnswers.push_back(qvc::TAnswer::Yes);
    w.actUndoLastRun->trigger();
    QCOMPARE(Bytes(three), QByteArray("uses Forms;\r\n"));
    // A simulated run changes nothing and leaves no journal: it is not listed.
    m_fixture->WriteFile(QStringLiteral("two/E.pas"), "uses Forms;\r\n");
    ListOnly({ m_fixture->Dir() + QStringLiteral("/two/E.pas") });
    w.cbCheckBoxSimulate->setChecked(true);
    w.RunConversion();
    w.cbCheckBoxSimulate->setChecked(false);
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);
    // A journal whose lines cannot be read, and one that others may write, both older than the runs.
    const QByteArray header = R"({"journal":2,"pid":1,"start":"20000101T120000.000000000Z","folders":["/"]})";
    const QString damaged = StateFolder() + QStringLiteral("/20000101T120000.000000000Z-1.jsonl");
    QFile damagedFile(damaged);
    QVERIFY(damagedFile.open(QIODevice::WriteOnly));
    damagedFile.write(header + "\n{\"files\":[]}\nnot json\n");
    damagedFile.close();
    QVERIFY(::chmod(QFile::encodeName(damaged).constData(), 0600) == 0);
    const QString refused = StateFolder() + QStringLiteral("/20000101T110000.000000000Z-1.jsonl");
    QFile refusedFile(refused);
    QVERIFY(refusedFile.open(QIODevice::WriteOnly));
    refusedFile.write(QByteArray(header).replace("T120000", "T110000") + "\n{\"files\":[]}\n{\"step\":\"end\"}\n");
    refusedFile.close();
    QVERIFY(::chmod(QFile::encodeName(refused).constData(), 0622) == 0);

    TListSeen seen;
    AnswerRunList(-1, &seen);
    w.actUndoLastRun->trigger();
    const QString noon = QDateTime(QDate(2000, 1, 1), QTime(12, 0), QTimeZone::utc())
                             .toLocalTime()
                             .toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    const QString eleven = QDateTime(QDate(2000, 1, 1), QTime(11, 0), QTimeZone::utc())
                               .toLocalTime()
                               .toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    QCOMPARE(seen.Rows[0].size(), 5);
    QCOMPARE(seen.Rows[0].mid(3), (QStringList { noon, eleven }));
    QDateTime previous = after;
    for (int row = 0; row < 3; ++row) {
        const QDateTime time = QDateTime::fromString(seen.Rows[0][row], QStringLiteral("dd/MM/yyyy HH:mm:ss"));
        QVERIFY2(time.isValid() && time >= before && time <= previous, qPrintable(seen.Rows[0][row]));
        previous = time;
    }
    const auto folder = [this](const char *name) {
        return QDir(m_fixture->Dir() + QLatin1Char('/') + QLatin1String(name)).canonicalPath();
    };
    QCOMPARE(seen.Rows[1], (QStringList { folder("three"), folder("two"), folder("one"), QString(), QString() }));
    QCOMPARE(seen.Rows[2], (QStringList { "1", "1", "2", QString(), QString() }));
    QCOMPARE(seen.Rows[3],
        (QStringList { "Já desfeita", "Concluída", "Concluída", "Diário danificado", "Diário recusado" }));
    QCOMPARE(seen.Selected, 0);
    QCOMPARE(seen.UndoEnabled, (std::vector<bool> { false, true, true, false, false }));
    // Cancelled: nothing asked, nothing restored.
    QVERIFY(m_fixture->Dialogs.CallsOf(QStringLiteral("question")).size() == 1);
    QCOMPARE(Bytes(two), QByteArray("uses QForms;\r\n"));
    QCOMPARE(m_undone.size(), std::size_t(1));
}

void UndoLastRunTest::undoOfAnOlderRunRestoresOnlyItsFiles()
{
    TMainProbe w = m_fixture->Window();
    const QString one1 = m_fixture->WriteFile(QStringLiteral("one/A.pas"), "uses Forms;\r\n");
    const QString one2 = m_fixture->WriteFile(QStringLiteral("one/B.pas"), "uses Forms, Graphics;\r\n");
    const QString two = m_fixture->WriteFile(QStringLiteral("two/C.pas"), "uses Forms;\r\n");
    RunOn({ one1, one2 });
    RunOn({ two });
    const std::vector<qvc::TJournalSummary> journals = Journals();
    QCOMPARE(journals.size(), std::size_t(2));
    TListSeen seen;
    AnswerRunList(1, &seen);
    m_fixture->Dialogs.QuestionAnswers.push_back(qvc::TAnswer::Yes);
    w.actUndoLastRun->trigger();
    const auto questions = m_fixture->Dialogs.CallsOf(QStringLiteral("question"));
    QCOMPARE(questions.size(), std::size_t(1));
    QCOMPARE(questions[0].Text,
        QStringLiteral("Desfazer a conversão de %1? 2 arquivo(s) serão restaurados.").arg(seen.Rows[0][1]));
    QCOMPARE(Bytes(one1), QByteArray("uses Forms;\r\n"));
    QCOMPARE(Bytes(one2), QByteArray("uses Forms, Graphics;\r\n"));
    QCOMPARE(Bytes(two), QByteArray("uses QForms;\r\n"));
    QCOMPARE(m_undone.size(), std::size_t(1));
    QCOMPARE(m_undone[0].Journal, journals[1].Path);
    QCOMPARE(m_undone[0].Files.size(), std::size_t(2));
    QVERIFY(!qvc::ReadJournal(journals[0].Path).Undone);
    QVERIFY(qvc::ReadJournal(journals[1].Path).Undone);
    // The newest run is still selected first, and still to be undone.
    TListSeen again;
    AnswerRunList(-1, &again);
    w.actUndoLastRun->trigger();
    QCOMPARE(again.Selected, 0);
    QCOMPARE(again.Rows[3], (QStringList { "Concluída", "Já desfeita" }));
    QCOMPARE(again.UndoEnabled, (std::vector<bool> { true, false }));
}

void UndoLastRunTest::filesChangedSinceTheRunAreUndoneOnlyWhenAsked_data()
{
    QTest::addColumn<bool>("byNewerRun");
    QTest::addColumn<bool>("undoAnyway");
    QTest::newRow("edited, cancelled") << false << false;
    QTest::newRow("edited, undone anyway") << false << true;
    QTest::newRow("a newer run, cancelled") << true << false;
    QTest::newRow("a newer run, undone anyway") << true << true;
}

void UndoLastRunTest::filesChangedSinceTheRunAreUndoneOnlyWhenAsked()
{
    QFETCH(bool, byNewerRun);
    QFETCH(bool, undoAnyway);
    TMainProbe w = m_fixture->Window();
    const QString a = m_fixture->WriteFile(QStringLiteral("src/A.pas"), "uses Forms;\r\n");
    const QString b = m_fixture->WriteFile(QStringLiteral("src/B.pas"), "uses Forms;\r\n");
    RunOn({ a, b });
    QByteArray changed = "edited later\r\n";
    if (byNewerRun) {
        // The newer run, without backups, converts A.pas again.
        ListOnly({ a });
        SetPairs({ "QForms=XForms" }, 2);
        w.cbCheckBoxBackupFiles->setChecked(false);
        w.RunConversion();
        changed = "uses XForms;\r\n";
    } else {
        m_fixture->WriteFile(QStringLiteral("src/A.pas"), changed);
    }
    QCOMPARE(Bytes(a), changed);
    const std::vector<qvc::TJournalSummary> journals = Journals();
    const qvc::TJournalSummary &older = journals.back();
    QCOMPARE(journals.size(), std::size_t(byNewerRun ? 2 : 1));

    QStringList listed;
    AnswerRunList(int(journals.size()) - 1);
    AnswerChangedFiles(undoAnyway, &listed);
    w.actUndoLastRun->trigger();
    QCOMPARE(listed, QStringList { a });
    QVERIFY(m_fixture->Dialogs.CallsOf(QStringLiteral("question")).empty());
    QVERIFY(m_fixture->Dialogs.CallsOf(QStringLiteral("error")).empty());
    const QString kept = m_fixture->Dir() + QStringLiteral("/src/A.~pas.~1~");
    const auto messages = m_fixture->Dialogs.CallsOf(QStringLiteral("message"));
    if (!undoAnyway) {
        QCOMPARE(Bytes(a), changed);
        QCOMPARE(Bytes(b), QByteArray("uses QForms;\r\n"));
        QVERIFY(!QFile::exists(kept));
        QVERIFY(messages.empty());
        QVERIFY(!qvc::ReadJournal(older.Path).Undone);
        QVERIFY(m_undone.empty());
        return;
    }
    // Both files have their text of before the run back; what A.pas held is kept under a numbered backup name.
    QCOMPARE(Bytes(a), QByteArray("uses Forms;\r\n"));
    QCOMPARE(Bytes(b), QByteArray("uses Forms;\r\n"));
    QCOMPARE(Bytes(kept), changed);
    QVERIFY(!QFile::exists(m_fixture->Dir() + QStringLiteral("/src/A.~pas")));
    QCOMPARE(messages.size(), std::size_t(1));
    QVERIFY2(messages[0].Text.endsWith(QStringLiteral(":\n") + a + QStringLiteral(" → ") + kept),
        qPrintable(messages[0].Text));
    QVERIFY(qvc::ReadJournal(older.Path).Undone);
    QCOMPARE(m_undone.size(), std::size_t(1));
    QCOMPARE(m_undone[0].Journal, older.Path);
}

void UndoLastRunTest::anInterruptedUndoIsCompletedBeforeAnyChoice()
{
    TMainProbe w = m_fixture->Window();
    const QString a = m_fixture->WriteFile(QStringLiteral("A.pas"), "uses Forms;\r\n");
    RunOn({ a });
    const std::string journal = Journals().front().Path;
    // An undo journal whose process has ended, as a kill before the undo's first step leaves it.
    const QString undoJournal = qvc::PathToQ(qvc::UndoJournalOf(journal));
    QFile file(undoJournal);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"undo":1,"pid":0,"start":0,"force":false})"
               "\n");
    file.close();
    QVERIFY(::chmod(QFile::encodeName(undoJournal).constData(), 0600) == 0);
    w.actUndoLastRun->trigger();
    QVERIFY(m_fixture->Dialogs.CallsOf(QStringLiteral("exec")).empty());
    const auto messages = m_fixture->Dialogs.CallsOf(QStringLiteral("message"));
    QCOMPARE(messages.size(), std::size_t(1));
    QCOMPARE(messages[0].Text, QStringLiteral("O desfazer interrompido foi completado."));
    QCOMPARE(Bytes(a), QByteArray("uses Forms;\r\n"));
    QVERIFY(!QFile::exists(undoJournal));
    QCOMPARE(m_undone.size(), std::size_t(1));
    QCOMPARE(m_undone[0].Journal, journal);
    QCOMPARE(m_undone[0].Files, std::vector<std::string> { qvc::PathFromQ(a) });
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
    held.Acquire(qvc::RunFoldersOf({ qvc::PathFromQ(a) }));
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
