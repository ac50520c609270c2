// The window after a run: what a failed write leaves on its row and in the error box, the run's figures in the
// strip, the filter over the list, the run over the failed rows, the added keys and "Salvar Resultado" after the
// result view.
#include "UiTestSupport.h"

#include "engine/pass/FastTime.h"
#include "ui/Application.h"
#include "ui/FileListModel.h"
#include "ui/RepositoryModel.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <QTimer>

using qvc::TAnswer;

class CockpitTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void runEndings_data();
    void runEndings();
    void stoppedRunSaysSo();
    void filterHidesRowsOnly();
    void runOverTheFailedRows();
    void addedKeys();
    void saveResultAfterTheResultView();
    void undoForgetsTheUndoneRows();

private:
    void SetPairs(const std::vector<std::string> &lines);
    QString Cell(int row, int column) const;
    int Image(int row) const;
    QString Reason(int row) const;
    // A.pas changes, B.pas holds nothing to change, C.pas is missing.
    void ListThreeFiles();
    TWindowFixture *m_fixture = nullptr;
};

void CockpitTest::initTestCase()
{
    qvc::SetUpApplication(*qApp);
    qvc::SetCounterSource([] { return std::int64_t(0); });
}

void CockpitTest::init()
{
    m_fixture = new TWindowFixture;
    // The journals of this test's runs stay in its folder.
    qputenv("XDG_STATE_HOME", (m_fixture->Dir() + QStringLiteral("/state")).toLocal8Bit());
    m_fixture->Create();
}

void CockpitTest::cleanup()
{
    delete m_fixture;
    m_fixture = nullptr;
}

void CockpitTest::SetPairs(const std::vector<std::string> &lines)
{
    TMainProbe w = m_fixture->Window();
    w.RepositoryModel().BeginChange();
    w.Repository().SetLines(lines);
    w.RepositoryModel().EndChange();
    w.Repository().SetRepositoryModified(false);
}

QString CockpitTest::Cell(int row, int column) const
{
    return m_fixture->Window().slSearchListSelectFiles->model()->index(row, column).data().toString();
}

int CockpitTest::Image(int row) const
{
    return m_fixture->Window().FileListModel().List().Rows().at(std::size_t(row)).StateImage;
}

QString CockpitTest::Reason(int row) const
{
    return m_fixture->Window().FileListModel().FailureReason(row);
}

void CockpitTest::ListThreeFiles()
{
    TMainProbe w = m_fixture->Window();
    QVERIFY(w.AddFileToList(m_fixture->WriteFile(QStringLiteral("A.pas"), "uses Forms;\r\n")));
    QVERIFY(w.AddFileToList(m_fixture->WriteFile(QStringLiteral("B.pas"), "begin\r\nend.\r\n")));
    QVERIFY(w.AddFileToList(m_fixture->Dir() + QStringLiteral("/C.pas")));
    SetPairs({ "Forms=QForms" });
    SettleEvents();
}

void CockpitTest::runEndings_data()
{
    QTest::addColumn<QString>("ending");
    QTest::addColumn<QString>("summary"); // a pattern: the seconds vary
    QTest::addColumn<QString>("note"); // the error box's note; empty: no error box
    QTest::newRow("complete") << "complete"
                              << "3 arquivos: 1 alterado, 1 com falha, 0 ocorrências não trocadas, em \\d+[.,]\\d s"
                              << "";
    QTest::newRow("simulated") << "simulated"
                               << "3 arquivos \\(simulação\\): 1 alterado, 1 com falha, 0 ocorrências não trocadas, "
                                  "em \\d+[.,]\\d s"
                               << "";
    QTest::newRow("write failure after a converted file")
        << "second"
        << "2 arquivos: 1 alterado, 1 com falha, 0 ocorrências não trocadas, em \\d+[.,]\\d s"
        << "1 arquivo(s) já tinham sido convertidos nesta execução; \"Desfazer a Última Conversão\" os devolve ao "
           "que eram.";
    QTest::newRow("write failure on the first file")
        << "first"
        << "1 arquivo: 0 alterados, 1 com falha, 0 ocorrências não trocadas, em \\d+[.,]\\d s"
        << "Nenhum arquivo foi convertido nesta execução.";
}

void CockpitTest::runEndings()
{
    QFETCH(QString, ending);
    QFETCH(QString, summary);
    QFETCH(QString, note);
    TMainProbe w = m_fixture->Window();
    if (ending == QLatin1String("complete") || ending == QLatin1String("simulated")) {
        ListThreeFiles();
        w.cbCheckBoxSimulate->setChecked(ending == QLatin1String("simulated"));
    } else {
        // The file to fail has a folder holding a file where its backup goes: it can be neither removed nor replaced.
        const QString failing = ending == QLatin1String("first") ? QStringLiteral("A") : QStringLiteral("B");
        for (const char *name : { "A.pas", "B.pas", "C.pas" })
            QVERIFY(w.AddFileToList(m_fixture->WriteFile(QLatin1String(name), "uses Forms;\r\n")));
        m_fixture->WriteFile(failing + QStringLiteral(".~pas/keep"), "x");
        w.cbCheckBoxBackupFiles->setChecked(true);
        SetPairs({ "Forms=QForms" });
    }
    SettleEvents();
    w.actExecuteConversion->trigger();
    w.WaitForRunEnd();
    SettleEvents();

    QVERIFY2(
        QRegularExpression(QStringLiteral("^") + summary + QStringLiteral("$")).match(w.pRunSummary->text()).hasMatch(),
        qPrintable(w.pRunSummary->text()));
    QVERIFY(w.pRunSummary->isVisible() || !w.Window().isVisible());
    // The progress message keeps its own text; the figures have a label of their own.
    QVERIFY(!w.pProgressMessage->text().contains(QStringLiteral("arquivo")));
    const auto errors = m_fixture->Dialogs.CallsOf(QStringLiteral("error"));
    if (note.isEmpty()) {
        QVERIFY(errors.empty());
        QCOMPARE(Image(2), 7);
        QVERIFY(!Reason(2).isEmpty());
        return;
    }
    QCOMPARE(errors.size(), std::size_t(1));
    QCOMPARE(errors[0].Text, QStringLiteral("Unable to backup file."));
    QCOMPARE(errors[0].Note, note);
    // The failing row keeps its cells and image 6, and tells why in its tooltip; the rows after it are untouched.
    const int failed = ending == QLatin1String("first") ? 0 : 1;
    QCOMPARE(Image(failed), 6);
    QCOMPARE(Cell(failed, 2), QStringLiteral("-"));
    QVERIFY2(Reason(failed).startsWith(QStringLiteral("Unable to backup file.")), qPrintable(Reason(failed)));
    QCOMPARE(Image(2), 8);
    QCOMPARE(Cell(2, 2), QStringLiteral("-"));
    QVERIFY(Reason(2).isEmpty());
    // The list knows which rows failed: the run over them can follow.
    SettleEvents();
    QVERIFY(w.actRunFailedOnly->isEnabled());
}

void CockpitTest::stoppedRunSaysSo()
{
    TMainProbe w = m_fixture->Window();
    ListThreeFiles();
    m_fixture->Dialogs.YesNoAnswers.push_back(TAnswer::Yes);
    QTimer::singleShot(0, &w.Window(), [this] { m_fixture->Window().Window().Runner().RequestStop(false); });
    w.actExecuteConversion->trigger();
    w.WaitForRunEnd();
    SettleEvents();
    QCOMPARE(m_fixture->Dialogs.CallsOf(QStringLiteral("yesno")).size(), std::size_t(1));
    const QRegularExpression pattern(QStringLiteral(
        "^1 arquivo: 1 alterado, 0 com falha, 0 ocorrências não trocadas, em \\d+[.,]\\d s \\(interrompida\\)$"));
    QVERIFY2(pattern.match(w.pRunSummary->text()).hasMatch(), qPrintable(w.pRunSummary->text()));
    // A new run starts without the last one's figures.
    m_fixture->Dialogs.OnYesNo = nullptr;
    w.actExecuteConversion->trigger();
    w.WaitForRunEnd();
    SettleEvents();
    QVERIFY(w.pRunSummary->text().startsWith(QStringLiteral("3 arquivos: 0 alterados, 1 com falha")));
}

void CockpitTest::filterHidesRowsOnly()
{
    TMainProbe w = m_fixture->Window();
    ListThreeFiles();
    w.actExecuteConversion->trigger();
    w.WaitForRunEnd();
    SettleEvents();
    QTest::qWait(100); // the counts follow the rows once they settle
    QStringList choices;
    for (int i = 0; i < w.cbListFilter->count(); ++i)
        choices << w.cbListFilter->itemText(i);
    QCOMPARE(choices,
        (QStringList { "Todos (3)", "Alterados (1)", "Com falha (1)", "Com ocorrências não trocadas (0)",
            "Sobrescreveriam arquivos (0)" }));

    const auto shown = [&w] {
        QList<int> rows;
        for (int row = 0; row < w.FileListModel().rowCount(); ++row)
            if (!w.slSearchListSelectFiles->isRowHidden(row))
                rows << row;
        return rows;
    };
    const auto choose = [&w](int index) {
        w.cbListFilter->setCurrentIndex(index);
        Q_EMIT w.cbListFilter->activated(index);
        SettleEvents();
    };
    choose(1);
    QCOMPARE(shown(), QList<int>({ 0 }));
    choose(2);
    QCOMPARE(shown(), QList<int>({ 2 }));
    QCOMPARE(w.FileListModel().rowCount(), 3);

    // Selecting every row and removing takes only what the filter shows.
    w.actSelectAll->trigger();
    SettleEvents();
    QVERIFY(w.actRemoveFile->isEnabled());
    w.actRemoveFile->trigger();
    SettleEvents();
    QCOMPARE(w.FileListModel().rowCount(), 2);
    QCOMPARE(Cell(0, 1), m_fixture->Dir() + QStringLiteral("/A.pas"));
    QCOMPARE(Cell(1, 1), m_fixture->Dir() + QStringLiteral("/B.pas"));

    // A run under a filter still converts every row, numbers and order unchanged.
    choose(1);
    QCOMPARE(shown(), QList<int>({ 0 }));
    SetPairs({ "QForms=QtForms", "begin=Start" });
    w.actExecuteConversion->trigger();
    w.WaitForRunEnd();
    SettleEvents();
    QCOMPARE(Cell(0, 2), QStringLiteral("1"));
    QCOMPARE(Cell(1, 2), QStringLiteral("1"));
    QCOMPARE(Cell(1, 0), QStringLiteral("1"));
    QTest::qWait(100);
    QCOMPARE(shown(), QList<int>({ 0, 1 }));
    choose(0);
    QCOMPARE(shown(), QList<int>({ 0, 1 }));
}

void CockpitTest::runOverTheFailedRows()
{
    TMainProbe w = m_fixture->Window();
    ListThreeFiles();
    SettleEvents();
    QVERIFY(!w.actRunFailedOnly->isEnabled());
    w.actExecuteConversion->trigger();
    w.WaitForRunEnd();
    SettleEvents();
    QVERIFY(w.actRunFailedOnly->isEnabled());
    const QString aText = Cell(0, 2);
    // C.pas now exists; A.pas would change again if it were run.
    m_fixture->WriteFile(QStringLiteral("C.pas"), "uses Forms;\r\nvar F: Forms.TForm;\r\n");
    m_fixture->WriteFile(QStringLiteral("A.pas"), "uses Forms;\r\n");
    w.actRunFailedOnly->trigger();
    w.WaitForRunEnd();
    SettleEvents();
    QCOMPARE(Cell(2, 2), QStringLiteral("2"));
    QCOMPARE(Image(2), 6);
    QVERIFY(Reason(2).isEmpty());
    // The other rows keep what the earlier run left; their files are not touched.
    QCOMPARE(Cell(0, 2), aText);
    QCOMPARE(Image(0), 6);
    QFile a(m_fixture->Dir() + QStringLiteral("/A.pas"));
    QVERIFY(a.open(QIODevice::ReadOnly));
    QCOMPARE(a.readAll(), QByteArray("uses Forms;\r\n"));
    QVERIFY(w.pRunSummary->text().startsWith(QStringLiteral("1 arquivo: 1 alterado, 0 com falha")));
    QVERIFY(!w.actRunFailedOnly->isEnabled());
}

void CockpitTest::addedKeys()
{
    TMainProbe w = m_fixture->Window();
    ListThreeFiles();
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.Window()));
    w.obOutlookBarOptionsButtonClick(1);
    SettleEvents();
    // Ctrl+F shows the list and puts the focus on its filter.
    QTest::keyClick(&w.Window(), Qt::Key_F, Qt::ControlModifier);
    SettleEvents();
    QCOMPARE(w.Notebook1->currentIndex(), 0);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.cbListFilter));
    QVERIFY(w.cbListFilter->toolTip().contains(QStringLiteral("Ctrl+F")));
    // F9 runs.
    QTest::keyClick(&w.Window(), Qt::Key_F9);
    w.WaitForRunEnd();
    SettleEvents();
    QCOMPARE(Cell(0, 2), QStringLiteral("1"));
}

void CockpitTest::saveResultAfterTheResultView()
{
    TMainProbe w = m_fixture->Window();
    ListThreeFiles();
    w.show();
    w.actExecuteConversion->trigger();
    w.WaitForRunEnd();
    SettleEvents();
    QVERIFY(w.bbSaveResult->isEnabled());
    w.slSearchListSelectFiles->selectRow(0);
    w.slSearchListSelectFilesDblClick();
    SettleEvents();
    QVERIFY(w.pViewResult->isVisible());
    w.bbOk->click();
    SettleEvents();
    QVERIFY(!w.pViewResult->isVisible());
    QVERIFY(w.bbSaveResult->isEnabled());
}

void CockpitTest::undoForgetsTheUndoneRows()
{
    TMainProbe w = m_fixture->Window();
    ListThreeFiles();
    const QString d = m_fixture->WriteFile(QStringLiteral("D.pas"), "uses Forms;\r\n");
    QVERIFY(w.AddFileToList(d));
    w.actExecuteConversion->trigger();
    w.WaitForRunEnd();
    SettleEvents();
    // D was converted by a run of its own: undoing the last run leaves it converted.
    w.FileListModel().RemoveRows({ 0, 1, 2 });
    m_fixture->WriteFile(QStringLiteral("D.pas"), "uses Forms;\r\n");
    QVERIFY(w.AddFileToList(m_fixture->Dir() + QStringLiteral("/A.pas")));
    SetPairs({ "QForms=QtForms", "Forms=QForms" });
    // What an undo restores comes from the run's backups.
    w.cbCheckBoxBackupFiles->setChecked(true);
    w.actExecuteConversion->trigger();
    w.WaitForRunEnd();
    SettleEvents();
    QCOMPARE(Cell(0, 2), QStringLiteral("1"));
    QCOMPARE(Cell(1, 2), QStringLiteral("1"));
    QVERIFY(w.bbSaveResult->isEnabled());

    // The newest run is chosen in the list; the question is answered Sim.
    m_fixture->Dialogs.ExecHandler = [](QDialog *) { return int(QDialog::Accepted); };
    m_fixture->Dialogs.QuestionAnswers.push_back(TAnswer::Yes);
    w.actUndoLastRun->trigger();
    SettleEvents();
    QCOMPARE(m_fixture->Dialogs.CallsOf(QStringLiteral("question")).size(), std::size_t(1));
    for (int row : { 0, 1 }) {
        QCOMPARE(Cell(row, 2), QStringLiteral("-"));
        QCOMPARE(Cell(row, 3), QStringLiteral("-"));
        QCOMPARE(Image(row), 8);
    }
    const auto &rows = w.FileListModel().List().Rows();
    QVERIFY(w.ResultStore().Get(rows[0].Number).Empty());
    QVERIFY(w.ResultStore().Get(rows[1].Number).Empty());
    SettleEvents();
    QVERIFY(!w.bbSaveResult->isEnabled());
    QVERIFY2(QRegularExpression(QStringLiteral("^Conversão desfeita: 2 arquivos restaurados, em \\d+[.,]\\d s$"))
                 .match(w.pRunSummary->text())
                 .hasMatch(),
        qPrintable(w.pRunSummary->text()));
}

QTEST_MAIN(CockpitTest)
#include "Cockpit_test.moc"
