// The substitution repository in the window: the pairs grid and its keys, the rename group, the six commands with
// their dialogs and files, RepositoryModified and the close question.
#include "UiTestSupport.h"

#include "ui/Application.h"
#include "ui/HintText.h"
#include "ui/PairsGrid.h"
#include "ui/RepositoryModel.h"
#include "ui/TextBridge.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableView>
#include <QTest>
#include <sys/stat.h>

using qvc::TAnswer;

namespace {

const QString kTitle = QStringLiteral("Utilitário para converter arquivos DELPHI e KYLIX.");
const QString kEquals = QStringLiteral("Key may not contain equals sign (\"=\")");

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class RepositoryTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void repositoryModifiedTable_data();
    void repositoryModifiedTable();
    void gridKeys_data();
    void gridKeys();
    void equalsRefusedInFindCell();
    void blankRowOfEmptyList();
    void gridLayout();
    void renameGroup();
    void lazarusChoice();
    void saveWritesMarkerAndCrLf();
    void saveAlwaysAsksAndFailureChangesNothing();
    void copyKeepsDialogState();
    void openAndNew();
    void closeQuestion_data();
    void closeQuestion();
    void runLockRefusesEdits();
    void history_data();
    void history();
    void historyKeysLeaveOtherEditorsAlone();
    void pasteRows_data();
    void pasteRows();
    void erasingPairsQuestion_data();
    void erasingPairsQuestion();
    void ctrlSSavesWhenSaveIsEnabled();

private:
    TMainProbe W() { return m_fixture->Window(); }
    TPairsGrid &Grid() { return *static_cast<TPairsGrid *>(W().vleUnits); }
    qvc::TScriptedDialogSeam &Dialogs() { return m_fixture->Dialogs; }
    /// Writes a repository file under the test folder and opens it in the window.
    QString Load(const QByteArray &bytes, const QString &name = QStringLiteral("pairs.dat"));
    QStringList Lines();
    /// Runs a command as the user would: the idle enabling pass has run before.
    void Run(QAction *action);
    /// Presses keys at the focus widget: "Ins", "Down", "Ctrl+Del", "Shift+Tab"..., 'text' typed, or "@row,column"
    /// clicks a cell.
    void Press(const QString &keys);
    /// Press, with commands among the keys: "insertLine", "deleteLines", "save" (to saved.dat), "open" (other.dat)
    /// and "renameN" (a click on rename item N).
    void Act(const QString &steps);

    TWindowFixture *m_fixture = nullptr;
};

void RepositoryTest::initTestCase()
{
    qvc::SetUpApplication(*qApp);
}

void RepositoryTest::init()
{
    m_fixture = new TWindowFixture;
    m_fixture->Create();
    W().show();
    W().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&m_fixture->Main()));
}

void RepositoryTest::cleanup()
{
    // A modified repository asks when the fixture closes the window: let it go.
    W().Repository().SetRepositoryModified(false);
    delete m_fixture;
    m_fixture = nullptr;
}

QString RepositoryTest::Load(const QByteArray &bytes, const QString &name)
{
    QString path = m_fixture->WriteFile(name, bytes);
    W().OpenRepositoryFile(path);
    W().obOutlookBarOptionsButtonClick(1);
    W().OnUpdateAction();
    return path;
}

QStringList RepositoryTest::Lines()
{
    QStringList lines;
    for (const std::string &line : W().Repository().Lines())
        lines << qvc::ToQ(line);
    return lines;
}

void RepositoryTest::Run(QAction *action)
{
    W().OnUpdateAction();
    action->trigger();
}

void RepositoryTest::Press(const QString &keys)
{
    for (const QString &token : keys.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (token.startsWith(QLatin1Char('@'))) {
            // "@row,column": a click on that cell of the grid.
            const QStringList cell = token.mid(1).split(QLatin1Char(','));
            QTableView *grid = W().vleUnits;
            const QRect rect = grid->visualRect(grid->model()->index(cell[0].toInt(), cell[1].toInt()));
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rect.center());
            continue;
        }
        if (token.startsWith(QLatin1Char('\''))) {
            // Each character goes to whatever has the focus now: the first one moves it into the editor.
            for (const QChar c : token.mid(1, token.size() - 2))
                QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
            continue;
        }
        const QKeyCombination combination = QKeySequence(token)[0];
        QTest::keyClick(QApplication::focusWidget(), combination.key(), combination.keyboardModifiers());
    }
}

void RepositoryTest::Act(const QString &steps)
{
    TMainProbe w(W());
    for (const QString &step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (step == QLatin1String("insertLine")) {
            Run(w.actInsertLine);
        } else if (step == QLatin1String("deleteLines")) {
            Run(w.actDeleteLines);
        } else if (step == QLatin1String("save")) {
            Dialogs().SaveAnswers.push_back(m_fixture->Dir() + QStringLiteral("/saved.dat"));
            Run(w.actSaveRepositoryData);
        } else if (step == QLatin1String("open")) {
            Dialogs().OpenAnswers.push_back({ m_fixture->WriteFile(QStringLiteral("other.dat"), "d=4\r\n") });
            Run(w.actOpenRepositoryData);
        } else if (step.startsWith(QLatin1String("rename"))) {
            QTest::mouseClick(w.rgRadioGroupFileExtensionItems.at(std::size_t(step.mid(6).toInt())), Qt::LeftButton, {},
                QPoint(8, 9));
        } else {
            Press(step);
        }
    }
}

void RepositoryTest::repositoryModifiedTable_data()
{
    QTest::addColumn<QString>("event");
    QTest::addColumn<bool>("before");
    QTest::addColumn<bool>("after");
    QTest::newRow("Nova Linha") << "insertLine" << false << true;
    QTest::newRow("Excluir Linha") << "deleteLines" << false << true;
    QTest::newRow("letter typed") << "'x'" << false << true;
    QTest::newRow("Backspace typed") << "Backspace" << false << true;
    QTest::newRow("Escape typed") << "Esc" << false << true;
    // Every key that changes the list marks it, whether or not it types a character.
    QTest::newRow("arrow moving the cursor") << "Down" << false << false;
    QTest::newRow("Down on the last row adds a row") << "Ctrl+Down Down" << false << true;
    QTest::newRow("Insert adds a row") << "Ins" << false << true;
    QTest::newRow("Ctrl+Delete deletes a row") << "Ctrl+Del" << false << true;
    QTest::newRow("Ctrl+Delete deletes the last pair") << "Ctrl+Del Ctrl+Del" << false << true;
    QTest::newRow("Delete clears a cell") << "Del" << false << true;
    QTest::newRow("Delete on an empty selection changes nothing") << "F2 Del" << false << false;
    QTest::newRow("paste") << "F2 Ctrl+V" << false << true;
    QTest::newRow("user's rename choice") << "radioClick" << false << true;
    QTest::newRow("rename choice by keyboard") << "Alt+N Up" << false << true;
    QTest::newRow("rename marker of an opened file") << "openMarker" << false << false;
    QTest::newRow("Abrir") << "open" << false << false;
    QTest::newRow("Novo") << "new" << false << false;
    QTest::newRow("Copiar confirmed") << "copy" << false << false;
    QTest::newRow("Salvar confirmed") << "save" << true << false;
    QTest::newRow("Salvar cancelled") << "saveCancelled" << true << true;
    // The enabling pass only reads the flag.
    QTest::newRow("enabling pass, pairs left") << "update" << true << true;
    QTest::newRow("enabling pass, no pairs") << "updateEmpty" << true << true;
}

void RepositoryTest::repositoryModifiedTable()
{
    QFETCH(QString, event);
    QFETCH(bool, before);
    QFETCH(bool, after);
    TMainProbe w(W());
    Load("a=1\r\nb=2\r\n");
    const QString other = m_fixture->WriteFile(QStringLiteral("other.dat"), "<|ChangeFileName=0|>\r\nc=3\r\n");
    w.vleUnits->setFocus();
    w.Repository().SetRepositoryModified(before);
    w.OnUpdateAction();
    QCOMPARE(w.RepositoryModified(), before);
    if (event == QLatin1String("insertLine"))
        Run(w.actInsertLine);
    else if (event == QLatin1String("deleteLines"))
        Run(w.actDeleteLines);
    else if (event == QLatin1String("radioClick"))
        QTest::mouseClick(w.rgRadioGroupFileExtensionItems[0], Qt::LeftButton, {}, QPoint(8, 9));
    else if (event == QLatin1String("openMarker"))
        w.OpenRepositoryFile(other);
    else if (event == QLatin1String("open")) {
        Dialogs().OpenAnswers.push_back({ other });
        Run(w.actOpenRepositoryData);
    } else if (event == QLatin1String("new"))
        Run(w.actNewRepositoryData);
    else if (event == QLatin1String("copy")) {
        Dialogs().SaveAnswers.push_back(m_fixture->Dir() + QStringLiteral("/copy.dat"));
        Run(w.actCopyRepositoryData);
    } else if (event == QLatin1String("save")) {
        Dialogs().SaveAnswers.push_back(m_fixture->Dir() + QStringLiteral("/saved.dat"));
        Run(w.actSaveRepositoryData);
    } else if (event == QLatin1String("saveCancelled")) {
        Dialogs().SaveAnswers.emplace_back();
        Run(w.actSaveRepositoryData);
    } else if (event == QLatin1String("update"))
        w.OnUpdateAction();
    else if (event == QLatin1String("updateEmpty")) {
        w.RepositoryModel().BeginChange();
        w.Repository().Clear();
        w.RepositoryModel().EndChange();
        w.OnUpdateAction();
    } else {
        QApplication::clipboard()->setText(QStringLiteral("pasted"));
        Press(event);
    }
    // The window goes idle before the user can act again: the flag must survive the enabling pass.
    w.OnUpdateAction();
    QCOMPARE(w.RepositoryModified(), after);
    QVERIFY(Dialogs().CallsOf(QStringLiteral("error")).empty());
    if (after) {
        // Whatever the edit left, pairs or none, it can be saved and the close question is asked.
        QVERIFY(w.actSaveRepositoryData->isEnabled());
        Dialogs().QuestionAnswers.push_back(TAnswer::Cancel);
        QVERIFY(!w.close());
        QCOMPARE(Dialogs().CallsOf(QStringLiteral("question")).size(), std::size_t(1));
    }
}

void RepositoryTest::gridKeys_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("currentRow");
    QTest::addColumn<int>("currentColumn");
    const QByteArray abc = "a=1\r\nb=2\r\nc=3\r\n";
    const QStringList same = { "a=1", "b=2", "c=3" };
    QTest::newRow("Insert before the current row")
        << abc << 1 << 1 << "Ins" << QStringList { "a=1", "=", "b=2", "c=3" } << 1 << 1;
    QTest::newRow("Insert on an empty row does nothing")
        << QByteArray("a=1\r\n=x\r\n") << 1 << 0 << "Ins" << QStringList { "a=1", "=x" } << 1 << 0;
    QTest::newRow("Down on the last row appends")
        << abc << 2 << 0 << "Down" << QStringList { "a=1", "b=2", "c=3", "=" } << 3 << 0;
    QTest::newRow("Down on an empty last row does nothing")
        << QByteArray("a=1\r\n=x\r\n") << 1 << 0 << "Down" << QStringList { "a=1", "=x" } << 1 << 0;
    QTest::newRow("Down elsewhere moves") << abc << 0 << 1 << "Down" << same << 1 << 1;
    QTest::newRow("Ctrl+Up and Ctrl+Down") << abc << 1 << 1 << "Ctrl+Up" << same << 0 << 1;
    QTest::newRow("Ctrl+Down") << abc << 0 << 0 << "Ctrl+Down" << same << 2 << 0;
    QTest::newRow("Ctrl+Delete") << abc << 1 << 0 << "Ctrl+Del" << QStringList { "a=1", "c=3" } << 1 << 0;
    QTest::newRow("Ctrl+Delete on the last row")
        << abc << 2 << 1 << "Ctrl+Del" << QStringList { "a=1", "b=2" } << 1 << 1;
    QTest::newRow("Tab and Shift+Tab stay in the grid") << abc << 0 << 0 << "Tab Tab Tab Shift+Tab" << same << 1 << 0;
    QTest::newRow("Escape restores the edited cell") << abc << 1 << 1 << "'xyz' Esc" << same << 1 << 1;
    QTest::newRow("Escape restores a line without =")
        << QByteArray("abc\r\n") << 0 << 0 << "'k' Esc" << QStringList { "abc" } << 0 << 0;
    QTest::newRow("Escape deletes an empty row") << abc << 1 << 0 << "Ins Esc" << same << 1 << 0;
    QTest::newRow("typing replaces the cell")
        << abc << 1 << 1 << "'xyz' Tab" << QStringList { "a=1", "b=xyz", "c=3" } << 2 << 0;
    QTest::newRow("empty row removed when left")
        << QByteArray("a=1\r\n\r\nb=2\r\n") << 1 << 0 << "Down" << QStringList { "a=1", "b=2" } << 1 << 0;
    QTest::newRow("new row removed when clicked away") << abc << 1 << 0 << "Ins @2,1" << same << 1 << 1;
    QTest::newRow("click moves the editor")
        << abc << 0 << 0 << "@2,1 'q'" << QStringList { "a=1", "b=2", "c=q" } << 2 << 1;
    QTest::newRow("new row removed when left") << abc << 2 << 0 << "Down Up" << same << 2 << 0;
}

void RepositoryTest::gridKeys()
{
    QFETCH(QByteArray, file);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, keys);
    QFETCH(QStringList, lines);
    QFETCH(int, currentRow);
    QFETCH(int, currentColumn);
    Load(file);
    Grid().SetCurrentCell(row, column);
    W().vleUnits->setFocus();
    Press(keys);
    QCOMPARE(Lines(), lines);
    QCOMPARE(W().vleUnits->currentIndex().row(), currentRow);
    QCOMPARE(W().vleUnits->currentIndex().column(), currentColumn);
    // The editor is always shown, on the current cell, with the cell's text.
    QLineEdit *editor = Grid().Editor();
    if (!editor)
        QFAIL("no cell editor");
    QVERIFY(editor->isVisible());
    QCOMPARE(W().vleUnits->indexWidget(W().vleUnits->currentIndex()), editor);
    QCOMPARE(editor->text(), W().vleUnits->currentIndex().data().toString());
    QVERIFY(W().vleUnits->isAncestorOf(QApplication::focusWidget()) || W().vleUnits->hasFocus());
    QVERIFY(Dialogs().Calls.empty());
}

void RepositoryTest::equalsRefusedInFindCell()
{
    Load("a=1\r\n");
    Grid().SetCurrentCell(0, 0);
    W().vleUnits->setFocus();
    Press("Return End '=' 'b'");
    QCOMPARE(Lines(), QStringList { "ab=1" });
    QCOMPARE(Dialogs().CallsOf(QStringLiteral("error")).size(), std::size_t(1));
    QCOMPARE(Dialogs().CallsOf(QStringLiteral("error")).front().Text, kEquals);
    // A pasted "=" is refused the same way; the replace text may hold one.
    QGuiApplication::clipboard()->setText(QStringLiteral("x=y"));
    if (!Grid().Editor())
        QFAIL("no cell editor");
    Grid().Editor()->paste();
    QCOMPARE(Lines(), QStringList { "ab=1" });
    QCOMPARE(Grid().Editor()->text(), QStringLiteral("ab"));
    QCOMPARE(Dialogs().CallsOf(QStringLiteral("error")).size(), std::size_t(2));
    Press("Tab 'c=d'");
    QCOMPARE(Lines(), QStringList { "ab=c=d" });
    QCOMPARE(Dialogs().CallsOf(QStringLiteral("error")).size(), std::size_t(2));
}

void RepositoryTest::blankRowOfEmptyList()
{
    TMainProbe w(W());
    w.obOutlookBarOptionsButtonClick(1);
    SettleEvents();
    QCOMPARE(w.vleUnits->model()->rowCount(), 1);
    QVERIFY(!w.actInsertLine->isEnabled());
    const QLineEdit *editor = Grid().Editor();
    if (!editor)
        QFAIL("no cell editor");
    QVERIFY(editor->isVisible());
    // Typing into the blank row makes the first line; Escape gives the blank row back.
    Press("'q'");
    QCOMPARE(Lines(), QStringList { "q=" });
    Press("Esc");
    QCOMPARE(Lines(), QStringList());
    Press("'abc' Tab 'x'");
    QCOMPARE(Lines(), QStringList { "abc=x" });
    SettleEvents();
    QVERIFY(w.RepositoryModified());
    QVERIFY(w.actSaveRepositoryData->isEnabled());
    QVERIFY(w.actInsertLine->isEnabled());
    Press("Esc");
    QCOMPARE(Lines(), QStringList { "abc=" });
}

void RepositoryTest::gridLayout()
{
    TMainProbe w(W());
    Load("a=1\r\n");
    QCOMPARE(w.vleUnits->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Localizar Texto"));
    QCOMPARE(w.vleUnits->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Trocar Para"));
    // 246 of 517 pixels at design size: the find column keeps that share of the grid's width.
    SettleEvents();
    QVERIFY2(qAbs(w.vleUnits->columnWidth(0) - w.vleUnits->viewport()->width() * 246 / 517) <= 1,
        qPrintable(QStringLiteral("%1 of %2").arg(w.vleUnits->columnWidth(0)).arg(w.vleUnits->viewport()->width())));
    QCOMPARE(w.vleUnits->rowHeight(0), 16);
    QVERIFY(w.vleUnits->horizontalHeader()->isVisible());
}

void RepositoryTest::renameGroup()
{
    TMainProbe w(W());
    // The title: white bold on navy; Alt+N moves the focus on to the selected item.
    const QPalette palette = w.stStaticTextFileExtension->palette();
    QCOMPARE(palette.color(QPalette::Window), QColor(0, 0, 128));
    QCOMPARE(palette.color(QPalette::WindowText), QColor(Qt::white));
    QVERIFY(w.stStaticTextFileExtension->font().bold());
    Load("<|ChangeFileName=1|>\r\na=1\r\n");
    QVERIFY(w.rgRadioGroupFileExtensionItems[1]->isChecked());
    QVERIFY(!w.RepositoryModified());
    w.vleUnits->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.rgRadioGroupFileExtensionItems[1]));
    // A user's choice sets the RenameMode and marks the repository; a later save writes it.
    QTest::mouseClick(w.rgRadioGroupFileExtensionItems[0], Qt::LeftButton, {}, QPoint(8, 9));
    QCOMPARE(w.Repository().RenameMode(), qvc::TRenameMode(0));
    QVERIFY(w.RepositoryModified());
    const QString saved = m_fixture->Dir() + QStringLiteral("/mode.dat");
    Dialogs().SaveAnswers.push_back(saved);
    Run(w.actSaveRepositoryData);
    QCOMPARE(ReadAll(saved), QByteArray("<|ChangeFileName=0|>\r\na=1\r\n"));
    // A user's own line equal to a smaller marker wins after the save, and the group follows it.
    w.Repository().SetRenameMode(qvc::TRenameMode(2));
    w.RepositoryModel().BeginChange();
    w.Repository().AppendLine("<|ChangeFileName=1|>");
    w.RepositoryModel().EndChange();
    w.Repository().SetRepositoryModified(true);
    Dialogs().SaveAnswers.push_back(saved);
    Run(w.actSaveRepositoryData);
    QCOMPARE(w.Repository().RenameMode(), qvc::TRenameMode(1));
    QVERIFY(w.rgRadioGroupFileExtensionItems[1]->isChecked());
    QCOMPARE(Lines(), (QStringList { "<|ChangeFileName=2|>", "a=1" }));
    QCOMPARE(w.vleUnits->model()->rowCount(), 2);
}

void RepositoryTest::lazarusChoice()
{
    TMainProbe w(W());
    // The fourth choice sits below the three the .ini names, with its own fixed caption.
    QCOMPARE(w.rgRadioGroupFileExtensionItems[3]->text(), QStringLiteral("de DELPHI para LAZARUS !"));
    Load("a=1\r\n");
    QTest::mouseClick(w.rgRadioGroupFileExtensionItems[3], Qt::LeftButton, {}, QPoint(8, 9));
    QCOMPARE(w.Repository().RenameMode(), qvc::TRenameMode::DelphiToLazarus);
    QVERIFY(w.RepositoryModified());
    const QString saved = m_fixture->Dir() + QStringLiteral("/lazarus.dat");
    Dialogs().SaveAnswers.push_back(saved);
    Run(w.actSaveRepositoryData);
    QCOMPARE(ReadAll(saved), QByteArray("<|ChangeFileName=3|>\r\na=1\r\n"));
    // Read back as the Lazarus choice; beside a marker of 0 to 2 it is an ordinary pair.
    Load("<|ChangeFileName=1|>\r\n");
    Load("x=y\r\n<|ChangeFileName=3|>\r\n");
    QVERIFY(w.rgRadioGroupFileExtensionItems[3]->isChecked());
    QCOMPARE(Lines(), (QStringList { "x=y" }));
    Load("<|ChangeFileName=3|>\r\n<|ChangeFileName=0|>\r\n");
    QVERIFY(w.rgRadioGroupFileExtensionItems[0]->isChecked());
    QCOMPARE(Lines(), (QStringList { "<|ChangeFileName=3|>" }));
}

void RepositoryTest::saveWritesMarkerAndCrLf()
{
    TMainProbe w(W());
    // Lone LF and a marker in small letters further down: same list, RenameMode 0.
    const QString source = Load("abc=xyz\n<|changefilename=0|>\na b=c=d");
    QCOMPARE(Lines(), (QStringList { "abc=xyz", "a b=c=d" }));
    QCOMPARE(w.windowTitle(), kTitle + QStringLiteral(" (") + source + QLatin1Char(')'));
    Run(w.actInsertLine);
    Run(w.actDeleteLines);
    QVERIFY(w.RepositoryModified());
    const QString target = m_fixture->Dir() + QStringLiteral("/Saída.dat");
    Dialogs().SaveAnswers.push_back(target);
    Run(w.actSaveRepositoryData);
    const QByteArray expected = "<|ChangeFileName=0|>\r\nabc=xyz\r\na b=c=d\r\n";
    QCOMPARE(expected.size(), 40);
    QCOMPARE(ReadAll(target), expected);
    QVERIFY(!w.RepositoryModified());
    QCOMPARE(w.Notebook1->currentIndex(), 1);
    QCOMPARE(w.vleUnits->model()->rowCount(), 2);
    QCOMPARE(qvc::PathToQ(w.Repository().RepositoryFileName()), target);
    QCOMPARE(w.windowTitle(), kTitle + QStringLiteral(" (") + target + QLatin1Char(')'));
    // The dialog as the window keeps it: the current file preset, ".dat" only, asking before replacing.
    const auto request = Dialogs().CallsOf(QStringLiteral("save")).front().Request;
    QCOMPARE(request.FileName, source);
    QCOMPARE(request.Filter, QStringLiteral("*.dat|*.dat"));
    QCOMPARE(request.DefaultSuffix, QStringLiteral("dat"));
    QVERIFY(request.ConfirmOverwrite);
}

void RepositoryTest::saveAlwaysAsksAndFailureChangesNothing()
{
    TMainProbe w(W());
    const QString source = Load("a=1\r\n");
    w.Repository().SetRepositoryModified(true);
    // Cancelled: the dialog was shown although the file exists; nothing changes.
    Dialogs().SaveAnswers.emplace_back();
    Run(w.actSaveRepositoryData);
    QCOMPARE(Dialogs().CallsOf(QStringLiteral("save")).size(), std::size_t(1));
    QVERIFY(w.RepositoryModified());
    QCOMPARE(ReadAll(source), QByteArray("a=1\r\n"));
    // A file that cannot be created: the error, and lines, marker, flag, page and title as before.
    w.obOutlookBarOptionsButtonClick(0);
    const QString title = w.windowTitle();
    Dialogs().SaveAnswers.push_back(m_fixture->Dir() + QStringLiteral("/missing/x.dat"));
    Run(w.actSaveRepositoryData);
    const auto errors = Dialogs().CallsOf(QStringLiteral("error"));
    QCOMPARE(errors.size(), std::size_t(1));
    QVERIFY2(errors.front().Text.startsWith(QStringLiteral("Cannot create file \"")), qPrintable(errors.front().Text));
    QCOMPARE(Lines(), QStringList { "a=1" });
    QVERIFY(w.RepositoryModified());
    QCOMPARE(w.Notebook1->currentIndex(), 0);
    QCOMPARE(w.windowTitle(), title);
    QCOMPARE(qvc::PathToQ(w.Repository().RepositoryFileName()), source);
}

void RepositoryTest::copyKeepsDialogState()
{
    TMainProbe w(W());
    Load("a=1\r\n", QStringLiteral("sub/pairs.dat"));
    w.sdSaveRepositoryData().FileName = QStringLiteral("left-over.dat");
    const QString copy = m_fixture->Dir() + QStringLiteral("/copy.dat");
    Dialogs().SaveAnswers.push_back(copy);
    Run(w.actCopyRepositoryData);
    const auto first = Dialogs().CallsOf(QStringLiteral("save")).at(0).Request;
    QVERIFY(first.FileName.isEmpty());
    QCOMPARE(first.Directory, m_fixture->Dir() + QStringLiteral("/sub/"));
    QCOMPARE(ReadAll(copy), QByteArray("<|ChangeFileName=2|>\r\na=1\r\n"));
    QCOMPARE(w.windowTitle(), kTitle + QStringLiteral(" (") + copy + QLatin1Char(')'));
    // Salvar presets the current file and keeps the folder Copiar set.
    w.Repository().SetRepositoryModified(true);
    Dialogs().SaveAnswers.emplace_back();
    Run(w.actSaveRepositoryData);
    const auto second = Dialogs().CallsOf(QStringLiteral("save")).at(1).Request;
    QCOMPARE(second.FileName, copy);
    QCOMPARE(second.Directory, m_fixture->Dir() + QStringLiteral("/sub/"));
}

void RepositoryTest::openAndNew()
{
    TMainProbe w(W());
    const QString first = Load("a=1\r\n");
    const QString second = m_fixture->WriteFile(QStringLiteral("two.dat"), "<|ChangeFileName=1|>\r\nb=2\r\nc=3\r\n");
    w.obOutlookBarOptionsButtonClick(0);
    Dialogs().OpenAnswers.push_back({ second });
    Run(w.actOpenRepositoryData);
    const auto request = Dialogs().CallsOf(QStringLiteral("open")).at(0).Request;
    QCOMPARE(request.FileName, first);
    QCOMPARE(request.Filter, QStringLiteral("*.dat|*.dat"));
    QCOMPARE(request.DefaultSuffix, QStringLiteral("dat"));
    QCOMPARE(Lines(), (QStringList { "b=2", "c=3" }));
    QVERIFY(w.rgRadioGroupFileExtensionItems[1]->isChecked());
    QCOMPARE(w.Notebook1->currentIndex(), 1);
    QCOMPARE(w.windowTitle(), kTitle + QStringLiteral(" (") + second + QLatin1Char(')'));
    // A name that does not exist changes nothing but the page; a pipe is refused.
    w.obOutlookBarOptionsButtonClick(0);
    Dialogs().OpenAnswers.push_back({ m_fixture->Dir() + QStringLiteral("/none.dat") });
    Run(w.actOpenRepositoryData);
    QCOMPARE(Lines(), (QStringList { "b=2", "c=3" }));
    QCOMPARE(w.Notebook1->currentIndex(), 1);
    const QString pipe = m_fixture->Dir() + QStringLiteral("/pipe.dat");
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    Dialogs().OpenAnswers.push_back({ pipe });
    Run(w.actOpenRepositoryData);
    const auto errors = Dialogs().CallsOf(QStringLiteral("error"));
    QCOMPARE(errors.size(), std::size_t(1));
    QVERIFY(errors.front().Text.startsWith(QStringLiteral("Cannot open file \"")));
    QCOMPARE(Lines(), (QStringList { "b=2", "c=3" }));
    // Novo: no lines, the executable's ".dat" named, shown in the title only once it exists.
    Run(w.actNewRepositoryData);
    QCOMPARE(Lines(), QStringList());
    QCOMPARE(w.Repository().RenameMode(), qvc::TRenameMode(1));
    QCOMPARE(qvc::PathToQ(w.Repository().RepositoryFileName()), m_fixture->ExecutablePath() + QStringLiteral(".dat"));
    QCOMPARE(w.windowTitle(), kTitle);
    const QString programDat = m_fixture->WriteFile(QStringLiteral("qvConvertFiles.dat"), "x=y\r\n");
    w.OpenRepositoryFile(second);
    Run(w.actNewRepositoryData);
    QCOMPARE(w.windowTitle(), kTitle + QStringLiteral(" (") + programDat + QLatin1Char(')'));
}

void RepositoryTest::closeQuestion_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("saveAnswer");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("saved");
    QTest::newRow("not modified: no question") << -1 << QString() << true << false;
    QTest::newRow("Yes, save dialog cancelled keeps the window") << int(TAnswer::Yes) << QString() << false << false;
    QTest::newRow("Yes, saved") << int(TAnswer::Yes) << "/pairs.dat" << true << true;
    QTest::newRow("Yes, save failed keeps the window") << int(TAnswer::Yes) << "/missing/x.dat" << false << false;
    QTest::newRow("No") << int(TAnswer::No) << QString() << true << false;
    QTest::newRow("Cancel") << int(TAnswer::Cancel) << QString() << false << false;
}

void RepositoryTest::closeQuestion()
{
    QFETCH(int, answer);
    QFETCH(QString, saveAnswer);
    QFETCH(bool, closed);
    QFETCH(bool, saved);
    TMainProbe w(W());
    const QString path = Load("a=1\r\n");
    if (answer < 0) {
        QVERIFY(w.close());
        QVERIFY(Dialogs().Calls.empty());
        return;
    }
    Grid().SetCurrentCell(0, 1);
    w.vleUnits->setFocus();
    Press("'z'");
    Dialogs().QuestionAnswers.push_back(TAnswer(answer));
    if (!saveAnswer.isNull())
        Dialogs().SaveAnswers.push_back(m_fixture->Dir() + saveAnswer);
    QCOMPARE(w.close(), closed);
    const auto questions = Dialogs().CallsOf(QStringLiteral("question"));
    QCOMPARE(questions.size(), std::size_t(1));
    QCOMPARE(questions.front().Caption, QStringLiteral("ATENÇÃO !"));
    QCOMPARE(questions.front().Text,
        QStringLiteral("Foram feitas modificações no arquivo ") + path + QStringLiteral(" \nDeseja salva-lo (S/N) ?"));
    QCOMPARE(Dialogs().CallsOf(QStringLiteral("save")).size(), std::size_t(answer == int(TAnswer::Yes) ? 1 : 0));
    QCOMPARE(ReadAll(path), saved ? QByteArray("<|ChangeFileName=2|>\r\na=z\r\n") : QByteArray("a=1\r\n"));
    if (!closed) {
        // Back in the window with the edit, still to be saved.
        QCOMPARE(Lines(), QStringList { "a=z" });
        QVERIFY(w.RepositoryModified());
    }
}

void RepositoryTest::runLockRefusesEdits()
{
    TMainProbe w(W());
    Load("a=1\r\n");
    w.BeginRunLock();
    // Neither keys in the grid or its editor nor a rename choice change anything while a run reads them.
    for (QWidget *target : { static_cast<QWidget *>(w.vleUnits), static_cast<QWidget *>(Grid().Editor()) }) {
        QTest::keyClick(target, Qt::Key_Insert);
        QTest::keyClick(target, Qt::Key_X);
        QTest::keyClick(target, Qt::Key_Delete, Qt::ControlModifier);
    }
    w.rgRadioGroupFileExtensionItems[0]->click();
    QCOMPARE(Lines(), QStringList { "a=1" });
    QVERIFY(!w.RepositoryModified());
    QCOMPARE(w.Repository().RenameMode(), qvc::TRenameMode(2));
    QVERIFY(w.rgRadioGroupFileExtensionItems[2]->isChecked());
    w.EndRunLock();
}

void RepositoryTest::history_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("renameMode");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<int>("currentRow");
    QTest::addColumn<int>("currentColumn");
    // Every row starts on the file a=1, b=2, c=3 (RenameMode 2); the clipboard holds "x=1" and "y=2".
    const QStringList file = { "a=1", "b=2", "c=3" };
    QTest::newRow("typing undone") << 1 << 1 << "'xyz' Tab Ctrl+Z" << file << 2 << false << 1 << 1;
    QTest::newRow("typing redone") << 1 << 1 << "'xyz' Tab Ctrl+Z Ctrl+Shift+Z" << QStringList { "a=1", "b=xyz", "c=3" }
                                   << 2 << true << 1 << 1;
    QTest::newRow("each cell a step") << 1 << 1 << "'x' Tab 'y' Tab Ctrl+Z" << QStringList { "a=1", "b=x", "c=3" } << 2
                                      << true << 2 << 0;
    QTest::newRow("back to the loaded file")
        << 1 << 1 << "'x' Tab 'y' Tab Ctrl+Z Ctrl+Z" << file << 2 << false << 1 << 1;
    QTest::newRow("typing again into a cell is a step of its own")
        << 1 << 1 << "'x' Tab Shift+Tab 'y' Tab Ctrl+Z" << QStringList { "a=1", "b=x", "c=3" } << 2 << true << 1 << 1;
    QTest::newRow("deleted cell text") << 1 << 1 << "Del Tab Ctrl+Z" << file << 2 << false << 1 << 1;
    QTest::newRow("inserted row") << 1 << 1 << "Ins Ctrl+Z" << file << 2 << false << 1 << 1;
    QTest::newRow("inserted row redone") << 1 << 1 << "Ins Ctrl+Z Ctrl+Shift+Z"
                                         << QStringList { "a=1", "=", "b=2", "c=3" } << 2 << true << 1 << 1;
    QTest::newRow("row appended by Down") << 2 << 0 << "Down Ctrl+Z" << file << 2 << false << 2 << 0;
    QTest::newRow("deleted row") << 1 << 1 << "Ctrl+Del Ctrl+Z" << file << 2 << false << 1 << 1;
    QTest::newRow("deleted row redone") << 1 << 1 << "Ctrl+Del Ctrl+Z Ctrl+Shift+Z" << QStringList { "a=1", "c=3" } << 2
                                        << true << 1 << 1;
    // A row inserted and left empty is dropped with its step: undo goes on to the typing before it.
    QTest::newRow("row left empty leaves no step") << 1 << 1 << "'x' Tab Ins Up Ctrl+Z" << file << 2 << false << 1 << 1;
    QTest::newRow("typing escaped leaves no step")
        << 1 << 1 << "'q' Tab 'x' Esc Ctrl+Z" << file << 2 << false << 1 << 1;
    QTest::newRow("Nova Linha") << 1 << 1 << "insertLine Ctrl+Z" << file << 2 << false << 2 << 0;
    QTest::newRow("Excluir Linha") << 1 << 1 << "deleteLines Ctrl+Z" << file << 2 << false << 1 << 1;
    QTest::newRow("paste") << 1 << 0 << "Ctrl+V Ctrl+Z" << file << 2 << false << 1 << 0;
    QTest::newRow("paste redone") << 1 << 0 << "Ctrl+V Ctrl+Z Ctrl+Shift+Z"
                                  << QStringList { "a=1", "x=1", "y=2", "b=2", "c=3" } << 2 << true << 1 << 0;
    QTest::newRow("rename choice") << 1 << 1 << "rename0 Ctrl+Z" << file << 2 << false << 1 << 1;
    QTest::newRow("rename choice redone") << 1 << 1 << "rename0 Ctrl+Z Ctrl+Shift+Z" << file << 0 << true << 1 << 1;
    QTest::newRow("two rename choices") << 1 << 1 << "rename0 rename3 Ctrl+Z" << file << 0 << true << 1 << 1;
    QTest::newRow("rename choice and typing")
        << 1 << 1 << "'x' Tab rename0 Ctrl+Z Ctrl+Z" << file << 2 << false << 1 << 1;
    QTest::newRow("undo stops at the save")
        << 1 << 1 << "'x' Tab save Ctrl+Z" << QStringList { "a=1", "b=x", "c=3" } << 2 << false << 2 << 0;
    QTest::newRow("back to the save") << 1 << 1 << "'x' Tab save Shift+Tab 'y' Tab Ctrl+Z"
                                      << QStringList { "a=1", "b=x", "c=3" } << 2 << false << 1 << 1;
    QTest::newRow("nothing to undo after opening")
        << 1 << 1 << "'x' Tab save open Ctrl+Z" << QStringList { "d=4" } << 2 << false << 0 << 0;
}

void RepositoryTest::history()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, steps);
    QFETCH(QStringList, lines);
    QFETCH(int, renameMode);
    QFETCH(bool, modified);
    QFETCH(int, currentRow);
    QFETCH(int, currentColumn);
    TMainProbe w(W());
    Load("a=1\r\nb=2\r\nc=3\r\n");
    QApplication::clipboard()->setText(QStringLiteral("x=1\ny=2"));
    Grid().SetCurrentCell(row, column);
    w.vleUnits->setFocus();
    Act(steps);
    w.OnUpdateAction();
    QCOMPARE(Lines(), lines);
    QCOMPARE(w.Repository().RenameMode(), qvc::TRenameMode(renameMode));
    QVERIFY(w.rgRadioGroupFileExtensionItems.at(std::size_t(renameMode))->isChecked());
    QCOMPARE(w.RepositoryModified(), modified);
    QCOMPARE(w.actSaveRepositoryData->isEnabled(), modified);
    QCOMPARE(w.vleUnits->currentIndex().row(), currentRow);
    QCOMPARE(w.vleUnits->currentIndex().column(), currentColumn);
    // The grid shows what the lines hold, with its editor on the current cell.
    for (int i = 0; i < lines.size(); ++i)
        QCOMPARE(w.vleUnits->model()->index(i, 1).data().toString(), lines[i].section(QLatin1Char('='), 1));
    if (!Grid().Editor())
        QFAIL("no cell editor");
    QCOMPARE(Grid().Editor()->text(), w.vleUnits->currentIndex().data().toString());
    QVERIFY(Dialogs().CallsOf(QStringLiteral("error")).empty());
}

void RepositoryTest::historyKeysLeaveOtherEditorsAlone()
{
    TMainProbe w(W());
    Load("a=1\r\nb=2\r\n");
    Grid().SetCurrentCell(0, 1);
    w.vleUnits->setFocus();
    Press("'x' Tab");
    QCOMPARE(Lines(), (QStringList { "a=x", "b=2" }));
    // In a cell editor Ctrl+Z is the editor's own: it takes back what was typed there, not the grid's last step.
    Press("Return 'k'");
    QCOMPARE(Lines(), (QStringList { "a=x", "k=2" }));
    QLineEdit *editor = Grid().Editor();
    if (!editor)
        QFAIL("no cell editor");
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(editor));
    Press("Ctrl+Z");
    QCOMPARE(editor->text(), QStringLiteral("b"));
    QCOMPARE(Lines(), (QStringList { "a=x", "b=2" }));
    // Its redo too; what it puts back is typing, a step of the grid's history like any other.
    Press("Ctrl+Shift+Z");
    QCOMPARE(editor->text(), QStringLiteral("k"));
    QCOMPARE(Lines(), (QStringList { "a=x", "k=2" }));
    // Nor do the keys reach the grid from a line edit of another page.
    w.obOutlookBarOptionsButtonClick(2);
    w.ldLabeledEditFileMask->setFocus();
    Press("Ctrl+Z Ctrl+Z Ctrl+Shift+Z");
    QCOMPARE(Lines(), (QStringList { "a=x", "k=2" }));
    // Back on the grid, its history is whole.
    w.obOutlookBarOptionsButtonClick(1);
    w.vleUnits->setFocus();
    Press("Ctrl+Z");
    QCOMPARE(Lines(), (QStringList { "a=x", "b=2" }));
    Press("Ctrl+Z");
    QCOMPARE(Lines(), (QStringList { "a=1", "b=2" }));
}

void RepositoryTest::pasteRows_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("currentRow");
    QTest::addColumn<QString>("message");
    const QByteArray abc = "a=1\r\nb=2\r\nc=3\r\n";
    const QString notPasted = QStringLiteral("Esta linha não foi colada:\nLinha %1: \"%2\" (%3)");
    const QString noFind = QStringLiteral("não tem texto a localizar antes do \"=\"");
    const QString rest = QStringLiteral("\nAs demais linhas foram inseridas.");
    QTest::newRow("several lines at the current row")
        << abc << 1 << 0 << "Ctrl+V"
        << "x=1\ny=2" << QStringList { "a=1", "x=1", "y=2", "b=2", "c=3" } << 1 << QString();
    QTest::newRow("CR LF, lone CR and lone LF")
        << abc << 0 << 1 << "Ctrl+V"
        << "x=1\r\ny=2\rz=3\n"
        << QStringList { "x=1", "y=2", "z=3", "a=1", "b=2", "c=3" } << 0 << QString();
    QTest::newRow("trailing empty line") << abc << 2 << 0 << "Ctrl+V"
                                         << "x=1\r\ny=2\r\n\r\n"
                                         << QStringList { "a=1", "b=2", "x=1", "y=2", "c=3" } << 2 << QString();
    // The find text ends at the first "=", as the .dat reader reads a line.
    QTest::newRow("equals after the first")
        << abc << 1 << 1 << "Ctrl+V"
        << "k=v=w\nm==n" << QStringList { "a=1", "k=v=w", "m==n", "b=2", "c=3" } << 1 << QString();
    QTest::newRow("Shift+Insert") << abc << 1 << 0 << "Shift+Ins"
                                  << "x=1\ny=2" << QStringList { "a=1", "x=1", "y=2", "b=2", "c=3" } << 1 << QString();
    QTest::newRow("refused line named, the others inserted")
        << abc << 1 << 0 << "Ctrl+V"
        << "x=1\r\nsem igual\r\ny=2" << QStringList { "a=1", "x=1", "y=2", "b=2", "c=3" } << 1
        << notPasted.arg(2).arg("sem igual", noFind) + rest;
    QTest::newRow("rename marker refused")
        << abc << 1 << 0 << "Ctrl+V"
        << "<|ChangeFileName=0|>\nx=1" << QStringList { "a=1", "x=1", "b=2", "c=3" } << 1
        << notPasted.arg(1).arg("<|ChangeFileName=0|>", "é a marca da troca de nomes de um arquivo .dat") + rest;
    QTest::newRow("every line refused")
        << abc << 1 << 0 << "Ctrl+V"
        << "=x\nabc\n  =y" << QStringList { "a=1", "b=2", "c=3" } << 1
        << QStringLiteral("Estas 3 linhas não foram coladas:\nLinha 1: \"=x\" (%1)\nLinha 2: \"abc\" (%1)\n"
                          "Linha 3: \"  =y\" (%1)")
               .arg(noFind);
    QTest::newRow("in place of an empty row")
        << QByteArray("a=1\r\n=\r\nb=2\r\n") << 1 << 0 << "Ctrl+V"
        << "x=1\ny=2" << QStringList { "a=1", "x=1", "y=2", "b=2" } << 1 << QString();
    QTest::newRow("into an empty list") << QByteArray() << 0 << 0 << "Ctrl+V"
                                        << "x=1\ny=2" << QStringList { "x=1", "y=2" } << 0 << QString();
    QTest::newRow("one pair") << abc << 2 << 1 << "Ctrl+V"
                              << "x=1" << QStringList { "a=1", "b=2", "x=1", "c=3" } << 2 << QString();
    // One line that is no pair goes into the current cell, as if typed.
    QTest::newRow("one word into a replace cell") << abc << 1 << 1 << "Ctrl+V"
                                                  << "palavra\r\n"
                                                  << QStringList { "a=1", "b=palavra", "c=3" } << 1 << QString();
    QTest::newRow("one word into a find cell")
        << abc << 1 << 0 << "Ctrl+V"
        << "palavra" << QStringList { "a=1", "palavra=2", "c=3" } << 1 << QString();
}

void RepositoryTest::pasteRows()
{
    QFETCH(QByteArray, file);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, keys);
    QFETCH(QString, clipboard);
    QFETCH(QStringList, lines);
    QFETCH(int, currentRow);
    QFETCH(QString, message);
    TMainProbe w(W());
    Load(file);
    const QStringList before = Lines();
    QApplication::clipboard()->setText(clipboard);
    Grid().SetCurrentCell(row, column);
    w.vleUnits->setFocus();
    Press(keys);
    QCOMPARE(Lines(), lines);
    QCOMPARE(w.vleUnits->currentIndex().row(), currentRow);
    // No find cell holds a "=".
    for (int i = 0; i < lines.size(); ++i)
        QVERIFY(!w.vleUnits->model()->index(i, 0).data().toString().contains(QLatin1Char('=')));
    const auto errors = Dialogs().CallsOf(QStringLiteral("error"));
    QCOMPARE(errors.size(), std::size_t(message.isEmpty() ? 0 : 1));
    if (!message.isEmpty())
        QCOMPARE(errors.front().Text, message);
    QCOMPARE(w.Repository().RenameMode(), qvc::TRenameMode(2));
    // The whole paste is one step.
    Press("Ctrl+Z");
    QCOMPARE(Lines(), before);
}

void RepositoryTest::erasingPairsQuestion_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("erasing");
    QTest::addColumn<bool>("written");
    // Pairs with a find text and an empty replace text count; empty rows and blank find texts erase nothing.
    const QByteArray two = "a=\r\nb=2\r\n  =\r\n=\r\nc=\r\n";
    QTest::newRow("Salvar, Sim") << two << "save" << int(TAnswer::Yes) << 2 << true;
    QTest::newRow("Salvar, Não") << two << "save" << int(TAnswer::No) << 2 << false;
    QTest::newRow("Copiar, Sim") << two << "copy" << int(TAnswer::Yes) << 2 << true;
    QTest::newRow("Copiar, Não") << two << "copy" << int(TAnswer::No) << 2 << false;
    QTest::newRow("close question, Não") << QByteArray("x=1\r\nTForm=\r\n") << "close" << int(TAnswer::No) << 1
                                         << false;
    QTest::newRow("close question, Sim") << QByteArray("x=1\r\nTForm=\r\n") << "close" << int(TAnswer::Yes) << 1
                                         << true;
    QTest::newRow("no erasing pair") << QByteArray("a=1\r\n  =\r\nabc\r\n") << "save" << -1 << 0 << true;
}

void RepositoryTest::erasingPairsQuestion()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, command);
    QFETCH(int, answer);
    QFETCH(int, erasing);
    QFETCH(bool, written);
    TMainProbe w(W());
    Load(file);
    const QString target = m_fixture->WriteFile(QStringLiteral("target.dat"), "old=kept\r\n");
    Dialogs().SaveAnswers.push_back(target);
    if (answer >= 0)
        Dialogs().YesNoAnswers.push_back(TAnswer(answer));
    if (command == QLatin1String("save")) {
        w.Repository().SetRepositoryModified(true);
        Run(w.actSaveRepositoryData);
    } else if (command == QLatin1String("copy")) {
        Run(w.actCopyRepositoryData);
    } else {
        w.Repository().SetRepositoryModified(true);
        Dialogs().QuestionAnswers.push_back(TAnswer::Yes);
        // Não to the erasing pairs cancels the save, and with it the close.
        QCOMPARE(w.close(), written);
    }
    const auto questions = Dialogs().CallsOf(QStringLiteral("yesno"));
    QCOMPARE(questions.size(), std::size_t(erasing > 0 ? 1 : 0));
    if (erasing > 0)
        QCOMPARE(questions.front().Text,
            QStringLiteral("%1 pares apagam o texto encontrado. Salvar assim mesmo?").arg(erasing));
    QCOMPARE(Dialogs().CallsOf(QStringLiteral("save")).size(), std::size_t(written ? 1 : 0));
    QCOMPARE(ReadAll(target), written ? "<|ChangeFileName=2|>\r\n" + file : QByteArray("old=kept\r\n"));
    if (!written) {
        // Nothing saved: the edits are still to be saved, and the cursor waits on the first erasing pair.
        QCOMPARE(w.RepositoryModified(), command != QLatin1String("copy"));
        QCOMPARE(w.vleUnits->currentIndex().row(), int(w.Repository().ErasingPairRows().front()));
        QCOMPARE(w.vleUnits->currentIndex().column(), 1);
    }
}

void RepositoryTest::ctrlSSavesWhenSaveIsEnabled()
{
    TMainProbe w(W());
    const QString hint
        = QStringLiteral("Salvar Repositório|Salvar as alterações feitas no repositório de dados atual...");
    // Shown in the menu and named in the tooltip; the hint as the settings file keeps it stays.
    QCOMPARE(w.actSaveRepositoryData->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    QCOMPARE(qvc::HintOf(w.actSaveRepositoryData), hint);
    QCOMPARE(w.actSaveRepositoryData->toolTip(), QStringLiteral("Salvar Repositório (Ctrl+S)"));
    qvc::SetHint(w.actSaveRepositoryData, QStringLiteral("Gravar|Gravar o repositório"));
    QCOMPARE(w.actSaveRepositoryData->toolTip(), QStringLiteral("Gravar (Ctrl+S)"));
    QCOMPARE(qvc::HintOf(w.actSaveRepositoryData), QStringLiteral("Gravar|Gravar o repositório"));
    // No other command has the key.
    for (const QAction *action : w.Window().findChildren<QAction *>())
        QVERIFY(action == w.actSaveRepositoryData || !action->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_S)));

    const QString path = Load("a=1\r\n");
    Grid().SetCurrentCell(0, 1);
    w.vleUnits->setFocus();
    // Nothing to save: the command is disabled and the key does nothing.
    Dialogs().SaveAnswers.push_back(path);
    SettleEvents();
    QVERIFY(!w.actSaveRepositoryData->isEnabled());
    Press("Ctrl+S");
    QVERIFY(Dialogs().CallsOf(QStringLiteral("save")).empty());
    // From the cell editor, with an edit to save.
    Press("'z'");
    SettleEvents();
    QVERIFY(w.actSaveRepositoryData->isEnabled());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(Grid().Editor()));
    Press("Ctrl+S");
    QCOMPARE(Dialogs().CallsOf(QStringLiteral("save")).size(), std::size_t(1));
    QCOMPARE(ReadAll(path), QByteArray("<|ChangeFileName=2|>\r\na=z\r\n"));
    QVERIFY(!w.RepositoryModified());
}

QTEST_MAIN(RepositoryTest)
#include "Repository_test.moc"
