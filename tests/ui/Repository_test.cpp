// The substitution repository in the window: the pairs grid and its keys, the rename group, the six commands with
// their dialogs and files, RepositoryModified and the close question.
#include "UiTestSupport.h"

#include "ui/Application.h"
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

QTEST_MAIN(RepositoryTest)
#include "Repository_test.moc"
