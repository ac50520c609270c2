// "Onde trocar" on the settings page: its three choices and their hints, the choice reaching the run, which reads
// it once, the run's scope named in the status strip and in the result view, and the choice kept in the window's
// own file beside the settings file, whose bytes it never changes.
#include "UiTestSupport.h"

#include "settings/WindowChoices.h"
#include "ui/Application.h"
#include "ui/HintText.h"
#include "ui/RepositoryModel.h"
#include "ui/TextBridge.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

using qvc::TScope;

Q_DECLARE_METATYPE(qvc::TScope)

namespace {

// A comment, a uses clause and a reference qualified by the unit name: each scope treats them differently.
const QByteArray kUnit
    = "unit U;\r\ninterface\r\n{ Forms } uses Forms;\r\nvar F: Forms.TForm;\r\nimplementation\r\nend.\r\n";

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class RunScopeTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void choicesAndTheirHints();
    void choiceReachesTheRun_data();
    void choiceReachesTheRun();
    void runReadsTheChoiceOnce();
    void choiceKeptInTheWindowsOwnFile();
    void lazarusChoiceReachesTheRun();
    void windowFileOfAnyBytes_data();
    void windowFileOfAnyBytes();

private:
    TMainProbe W() { return m_fixture->Window(); }
    QString IniPath() const { return m_fixture->Dir() + QStringLiteral("/qvConvertFiles.ini"); }
    QString WindowFilePath() const { return m_fixture->Dir() + QStringLiteral("/qvConvertFiles.window.ini"); }
    std::vector<qvc::TScriptedDialogSeam::TCall> Messages() const
    {
        return m_fixture->Dialogs.CallsOf(QStringLiteral("message"));
    }
    QString Cell(int row, int column)
    {
        return W().slSearchListSelectFiles->model()->index(row, column).data().toString();
    }
    /// Shows the window with `files` (fixture paths) listed and the pair Forms=QForms.
    void ShowWithFiles(const QStringList &files);
    /// Clicks the choice of `scope` on the settings page, as the user does.
    void Choose(TScope scope);
    void Run();
    QStringList MissedReasons();

    TWindowFixture *m_fixture = nullptr;
};

void RunScopeTest::initTestCase()
{
    qvc::SetUpApplication(*qApp);
}

void RunScopeTest::init()
{
    m_fixture = new TWindowFixture;
    m_fixture->Create();
}

void RunScopeTest::cleanup()
{
    delete m_fixture;
    m_fixture = nullptr;
}

void RunScopeTest::ShowWithFiles(const QStringList &files)
{
    TMainProbe w(W());
    for (const QString &file : files)
        QVERIFY(w.AddFileToList(file));
    w.RepositoryModel().BeginChange();
    w.Repository().SetLines({ "Forms=QForms" });
    w.RepositoryModel().EndChange();
    w.Repository().SetRepositoryModified(false);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.Window()));
    SettleEvents();
}

void RunScopeTest::Choose(TScope scope)
{
    TMainProbe w(W());
    w.obOutlookBarOptionsButtonClick(2);
    SettleEvents();
    QRadioButton *item = w.rgRadioGroupScopeItems[std::size_t(scope)];
    QVERIFY(item->isVisible());
    QTest::mouseClick(item, Qt::LeftButton, {}, QPoint(8, item->height() / 2));
    QVERIFY(item->isChecked());
    QCOMPARE(w.ScopeChoice(), scope);
    w.obOutlookBarOptionsButtonClick(0);
    SettleEvents();
}

void RunScopeTest::Run()
{
    TMainProbe w(W());
    QVERIFY(w.actExecuteConversion->isEnabled());
    w.actExecuteConversion->trigger();
    w.WaitForRunEnd();
    QVERIFY(!w.IsRunning());
    SettleEvents();
    QVERIFY(m_fixture->Dialogs.CallsOf(QStringLiteral("error")).empty());
}

QStringList RunScopeTest::MissedReasons()
{
    QStringList reasons;
    const QTableWidget *grid = W().vleMissedResult;
    for (int r = 0; r < grid->rowCount(); ++r)
        reasons << grid->item(r, 2)->text();
    return reasons;
}

void RunScopeTest::choicesAndTheirHints()
{
    TMainProbe w(W());
    QCOMPARE(w.rgRadioGroupScope->title(), QStringLiteral("Onde trocar"));
    const QString captions[]
        = { QStringLiteral("Em todo o texto"), QStringLiteral("Só no código (fora de comentários, textos e diretivas)"),
              QStringLiteral("Só nos nomes de units (cláusulas uses)") };
    const QString hints[] = {
        QStringLiteral("Troca em todo o texto, como sempre: comentários, textos e diretivas incluídos"),
        QStringLiteral(
            "Troca só no código Pascal: nunca em comentários, textos entre aspas ou diretivas de compilação"),
        QStringLiteral("Troca só os nomes de units nas cláusulas uses (e requires/contains de pacotes)"),
    };
    for (std::size_t i = 0; i < 3; ++i) {
        QRadioButton *item = w.rgRadioGroupScopeItems[i];
        QCOMPARE(item->text(), captions[i]);
        // The default is the whole text, as every run was before the choice existed.
        QCOMPARE(item->isChecked(), i == 0);
        w.ShowHintOf(item);
        QCOMPARE(w.sbStatusBarHint->text(), QLatin1Char(' ') + hints[i]);
        QCOMPARE(item->toolTip(), hints[i]);
    }
    QCOMPARE(w.ScopeChoice(), TScope::All);
    // The pointer drives the hint line on the page as everywhere.
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.Window()));
    w.obOutlookBarOptionsButtonClick(2);
    SettleEvents();
    QTest::mouseMove(w.rgRadioGroupScopeItems[1]);
    SettleEvents();
    QCOMPARE(w.sbStatusBarHint->text(), QLatin1Char(' ') + hints[1]);
    // The texts are fixed: the language editor, which lists the settings file's keys, shows none of them.
    w.bbLanguageDefault->click();
    SettleEvents();
    QVERIFY(w.pLanguageDefault->isVisible());
    QVERIFY(w.ValueListEditor1->rowCount() > 0);
    for (const QTableWidget *grid : { w.ValueListEditor1, w.ValueListEditor2 })
        for (int r = 0; r < grid->rowCount(); ++r)
            for (int c = 0; c < grid->columnCount(); ++c) {
                const QString text = grid->item(r, c) ? grid->item(r, c)->text() : QString();
                QVERIFY2(
                    !text.contains(QStringLiteral("Onde trocar")) && !text.contains(captions[1]), qPrintable(text));
            }
}

void RunScopeTest::choiceReachesTheRun_data()
{
    QTest::addColumn<TScope>("scope");
    QTest::addColumn<QByteArray>("converted");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("scopeLine"); // empty: none shown
    QTest::addColumn<QString>("missedReason");
    QTest::newRow("all") << TScope::All
                         << QByteArray("unit U;\r\ninterface\r\n{ QForms } uses Forms;\r\nvar F: QForms.TForm;\r\n"
                                       "implementation\r\nend.\r\n")
                         << QStringLiteral("2") << QString() << QStringLiteral("segunda ocorrência na linha");
    QTest::newRow("code") << TScope::Code
                          << QByteArray("unit U;\r\ninterface\r\n{ Forms } uses QForms;\r\nvar F: QForms.TForm;\r\n"
                                        "implementation\r\nend.\r\n")
                          << QStringLiteral("2") << QStringLiteral("Onde trocar: só no código")
                          << QStringLiteral("dentro de um comentário");
    QTest::newRow("uses") << TScope::Uses
                          << QByteArray("unit U;\r\ninterface\r\n{ Forms } uses QForms;\r\nvar F: Forms.TForm;\r\n"
                                        "implementation\r\nend.\r\n")
                          << QStringLiteral("1") << QStringLiteral("Onde trocar: só nos nomes de units")
                          << QStringLiteral("qualificado por um nome de unit trocado");
}

void RunScopeTest::choiceReachesTheRun()
{
    QFETCH(TScope, scope);
    QFETCH(QByteArray, converted);
    QFETCH(QString, count);
    QFETCH(QString, scopeLine);
    QFETCH(QString, missedReason);
    const QString file = m_fixture->WriteFile(QStringLiteral("src/U.pas"), kUnit);
    ShowWithFiles({ file });
    TMainProbe w(W());
    if (scope != TScope::All)
        Choose(scope);
    // While the run works, the strip names its scope in a label of its own; the progress message keeps its text.
    bool checkedWhileRunning = false;
    QTimer::singleShot(0, &w.Window(), [&] {
        QVERIFY(w.IsRunning());
        QCOMPARE(w.pProgressMessage->text(), w.ProgressMessageText());
        QCOMPARE(w.pRunScope->isVisible(), !scopeLine.isEmpty());
        if (!scopeLine.isEmpty())
            QCOMPARE(w.pRunScope->text(), scopeLine);
        checkedWhileRunning = true;
    });
    Run();
    QVERIFY(checkedWhileRunning);
    QCOMPARE(ReadAll(file), converted);
    QCOMPARE(Cell(0, 2), count);
    // The scope stays named beside the bar with the run's results.
    QCOMPARE(w.pRunScope->isVisible(), !scopeLine.isEmpty());
    QCOMPARE(w.pRunScope->text(), scopeLine);

    w.slSearchListSelectFilesDblClick();
    SettleEvents();
    QVERIFY(w.pViewResult->isVisible());
    // The title stays the title with the file's name; the scope has a line of its own.
    QCOMPARE(w.pViewResultTitle->text(), w.ResultTitleText() + QStringLiteral(" (") + file + QLatin1Char(')'));
    QCOMPARE(w.stScopeResult->isVisible(), !scopeLine.isEmpty());
    if (!scopeLine.isEmpty())
        QCOMPARE(w.stScopeResult->text(), scopeLine);
    QVERIFY2(MissedReasons().contains(missedReason), qPrintable(MissedReasons().join(QLatin1Char('|'))));
}

void RunScopeTest::runReadsTheChoiceOnce()
{
    const QString first = m_fixture->WriteFile(QStringLiteral("src/A.pas"), kUnit);
    const QString second = m_fixture->WriteFile(QStringLiteral("src/B.pas"), kUnit);
    ShowWithFiles({ first, second });
    TMainProbe w(W());
    Choose(TScope::Code);
    // The choice changes while the run works on the first file; the second file is still converted as the run
    // started.
    bool changed = false;
    QTimer::singleShot(0, &w.Window(), [&] {
        QVERIFY(w.IsRunning());
        QCOMPARE(Cell(1, 2), QStringLiteral("-"));
        w.rgRadioGroupScopeItems[std::size_t(TScope::All)]->setChecked(true);
        changed = true;
    });
    Run();
    QVERIFY(changed);
    const QByteArray byCode = "unit U;\r\ninterface\r\n{ Forms } uses QForms;\r\nvar F: QForms.TForm;\r\n"
                              "implementation\r\nend.\r\n";
    QCOMPARE(ReadAll(first), byCode);
    QCOMPARE(ReadAll(second), byCode);
    QCOMPARE(w.pRunScope->text(), QStringLiteral("Onde trocar: só no código"));
    // The next run takes the new choice, and a run over the whole text names no scope.
    QCOMPARE(w.ScopeChoice(), TScope::All);
    m_fixture->WriteFile(QStringLiteral("src/A.pas"), kUnit);
    Run();
    QVERIFY(ReadAll(first).contains("{ QForms } uses Forms;"));
    QVERIFY(!w.pRunScope->isVisible());
}

void RunScopeTest::choiceKeptInTheWindowsOwnFile()
{
    // A first start writes both files with the defaults; the second start's exit writes the settings as they are
    // read back.
    m_fixture->Destroy();
    QCOMPARE(ReadAll(WindowFilePath()), QByteArray::fromStdString(qvc::FormatWindowChoices({})));
    m_fixture->Create();
    m_fixture->Destroy();
    const QByteArray ini = ReadAll(IniPath());
    QVERIFY(!ini.isEmpty());

    TMainProbe w(m_fixture->Create());
    w.rgRadioGroupScopeItems[std::size_t(TScope::Uses)]->click();
    QCOMPARE(w.ScopeChoice(), TScope::Uses);
    m_fixture->Destroy();
    // The settings file keeps its bytes; the window's own file holds the choice.
    QCOMPARE(ReadAll(IniPath()), ini);
    QVERIFY(!ini.contains("Scope") && !ini.contains("Onde"));
    QCOMPARE(ReadAll(WindowFilePath()), QByteArray::fromStdString(qvc::FormatWindowChoices({ TScope::Uses })));
    QVERIFY(Messages().empty());

    TMainProbe again(m_fixture->Create());
    QVERIFY(again.rgRadioGroupScopeItems[std::size_t(TScope::Uses)]->isChecked());
    QCOMPARE(again.ScopeChoice(), TScope::Uses);
    // The run of a restarted window uses the kept choice.
    const QString file = m_fixture->WriteFile(QStringLiteral("src/U.pas"), kUnit);
    ShowWithFiles({ file });
    Run();
    QVERIFY(ReadAll(file).contains("var F: Forms.TForm;"));
    QCOMPARE(again.pRunScope->text(), QStringLiteral("Onde trocar: só nos nomes de units"));
}

void RunScopeTest::lazarusChoiceReachesTheRun()
{
    // The window's fourth rename choice does what "--rename delphi-to-lazarus" does: the form as a text .lfm
    // without what the LCL does not read, the unit pointed at it, the program given Interfaces.
    const QString unit = m_fixture->WriteFile(QStringLiteral("lz/uMain.pas"),
        "unit uMain;\r\nuses Forms;\r\ntype TfrmMain = class(TForm) end;\r\n{$R *.dfm}\r\nend.\r\n");
    const QString form = m_fixture->WriteFile(QStringLiteral("lz/uMain.dfm"),
        "object frmMain: TfrmMain\r\n  Caption = 'Main'\r\n  OldCreateOrder = False\r\nend\r\n");
    const QString program = m_fixture->WriteFile(
        QStringLiteral("lz/Demo.dpr"), "program Demo;\r\nuses Forms, uMain;\r\nbegin\r\nend.\r\n");
    ShowWithFiles({ unit, form, program });
    TMainProbe w(W());
    w.Repository().SetRenameMode(qvc::TRenameMode::DelphiToLazarus);
    Run();
    QCOMPARE(ReadAll(m_fixture->Dir() + QStringLiteral("/lz/uMain.lfm")),
        QByteArray("object frmMain: TfrmMain\r\n  Caption = 'Main'\r\nend\r\n"));
    QCOMPARE(ReadAll(unit),
        QByteArray("unit uMain;\r\nuses QForms;\r\ntype TfrmMain = class(TForm) end;\r\n{$R *.lfm}\r\nend.\r\n"));
    QCOMPARE(ReadAll(program), QByteArray("program Demo;\r\nuses Interfaces, QForms, uMain;\r\nbegin\r\nend.\r\n"));
}

void RunScopeTest::windowFileOfAnyBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("binary") << QByteArray("\xff\xfe\x00[Window]\x00\r\nScope=\x80\x01", 22);
    QTest::newRow("unknown value") << QByteArray("[Window]\r\nScope=everywhere\r\n");
    QTest::newRow("key outside its section") << QByteArray("Scope=code\r\n");
    QTest::newRow("too large") << QByteArray("[Window]\r\nScope=code\r\n") + QByteArray(1 << 20, ';');
}

void RunScopeTest::windowFileOfAnyBytes()
{
    QFETCH(QByteArray, bytes);
    m_fixture->Destroy();
    m_fixture->WriteFile(QStringLiteral("qvConvertFiles.window.ini"), bytes);
    TMainProbe w(m_fixture->Create());
    QVERIFY(w.rgRadioGroupScopeItems[std::size_t(TScope::All)]->isChecked());
    QCOMPARE(w.ScopeChoice(), TScope::All);
    m_fixture->Destroy();
    QVERIFY(Messages().empty());
    // The next exit leaves the program's own bytes.
    QCOMPARE(ReadAll(WindowFilePath()), QByteArray::fromStdString(qvc::FormatWindowChoices({})));
}

QTEST_MAIN(RunScopeTest)
#include "RunScope_test.moc"
