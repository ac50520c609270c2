// The program as a user meets it across starts: a first start in an empty folder, a working session that scans,
// edits and saves pairs, sets the options, converts and saves a report, a session that changes a caption in the
// language editor, and the starts after them, which come back as the program was left.
#include "UiTestSupport.h"

#include "settings/ProfileFile.h"
#include "settings/SettingsKeys.h"
#include "ui/Application.h"
#include "ui/TextBridge.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class EndToEndTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void sessionsComeBackAsLeft();

private:
    TMainProbe Start();
    void Run(QAction *action);
    void TypeInto(QWidget *target, const QString &text);
    /// What must be back at every start after the working session.
    void CheckWorkingState(const TMainProbe &w);

    TWindowFixture m_fixture;
    QString m_tree;
    QString m_dat;
};

void EndToEndTest::initTestCase()
{
    qvc::SetUpApplication(*qApp);
}

TMainProbe EndToEndTest::Start()
{
    TMainProbe w(m_fixture.Create());
    w.show();
    w.activateWindow();
    if (!QTest::qWaitForWindowActive(&w.Window()))
        qWarning("window not active");
    SettleEvents();
    return w;
}

void EndToEndTest::Run(QAction *action)
{
    SettleEvents();
    QVERIFY2(action->isEnabled(), qPrintable(action->objectName()));
    action->trigger();
    m_fixture.Window().WaitForRunEnd();
    m_fixture.Window().WaitForScanEnd();
    SettleEvents();
}

void EndToEndTest::TypeInto(QWidget *target, const QString &text)
{
    for (const QChar c : text)
        QTest::keyClick(target, c.toLatin1());
}

void EndToEndTest::CheckWorkingState(const TMainProbe &w)
{
    QCOMPARE(qvc::PathToQ(w.JvSearchFiles1().RootDirectory()), m_tree);
    QCOMPARE(w.ldLabeledEditFileMask->text(), QStringLiteral("*.pas"));
    QCOMPARE(w.JvSearchFiles1().FileParams().MaskText(), std::string("*.pas"));
    QCOMPARE(qvc::PathToQ(w.Repository().RepositoryFileName()), m_dat);
    QCOMPARE(w.Repository().Lines(), std::vector<std::string>({ "Forms=QForms" }));
    QCOMPARE(w.windowTitle(), QStringLiteral("Utilitário para converter arquivos DELPHI e KYLIX. (%1)").arg(m_dat));
    QVERIFY(w.cbCheckBoxBackupFiles->isChecked());
    QVERIFY(!w.cbCheckBoxSimulate->isChecked());
    QCOMPARE(w.sbStatusBarVersion->text(), QStringLiteral("Versão : 2.02"));
    // The file list is not kept between starts.
    QCOMPARE(w.slSearchListSelectFiles->model()->rowCount(), 0);
}

void EndToEndTest::sessionsComeBackAsLeft()
{
    const QString ini = m_fixture.Dir() + QStringLiteral("/qvConvertFiles.ini");
    QVERIFY(QDir(m_fixture.Dir()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    m_tree = m_fixture.Dir() + QStringLiteral("/tree");
    const QString unitA = m_fixture.WriteFile(QStringLiteral("tree/UnitA.pas"), "uses Forms;\r\n");
    const QString unitB = m_fixture.WriteFile(QStringLiteral("tree/sub/UnitB.pas"), "uses Forms;\r\nvar F: TForm;\r\n");
    m_fixture.WriteFile(QStringLiteral("tree/Form1.dfm"), "object Form1: TForm1\r\nend\r\n");
    m_dat = m_fixture.Dir() + QStringLiteral("/pairs.dat");
    const QString report = m_fixture.Dir() + QStringLiteral("/report.txt");

    // First start in an empty folder: the settings file appears beside the program.
    {
        TMainProbe w(Start());
        QVERIFY(QFile::exists(ini));
        QCOMPARE(w.sbStatusBarVersion->text(), QStringLiteral("Versão : 2.01"));
        m_fixture.Destroy();
    }

    // The working session.
    {
        TMainProbe w(Start());
        QTest::mouseClick(w.obOutlookBarOptionsButtons[2], Qt::LeftButton);
        QTest::mouseClick(
            w.cbCheckBoxBackupFiles, Qt::LeftButton, {}, QPoint(6, w.cbCheckBoxBackupFiles->height() / 2));
        QVERIFY(w.cbCheckBoxBackupFiles->isChecked());
        w.ldLabeledEditFileMask->setFocus();
        w.ldLabeledEditFileMask->selectAll();
        TypeInto(w.ldLabeledEditFileMask, QStringLiteral("*.pas"));
        w.cbCheckBoxSimulate->setFocus(); // leaving the field applies the mask
        SettleEvents();
        QCOMPARE(w.JvSearchFiles1().FileParams().MaskText(), std::string("*.pas"));

        m_fixture.Dialogs.FolderAnswers.push_back(m_tree);
        Run(w.actScanSubDirectory);
        QCOMPARE(w.slSearchListSelectFiles->model()->rowCount(), 2);

        // The first pair is typed into the grid's blank row.
        QTest::mouseClick(w.obOutlookBarOptionsButtons[1], Qt::LeftButton);
        SettleEvents();
        QTableView *grid = w.vleUnits;
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(0, 0)).center());
        SettleEvents();
        TypeInto(QApplication::focusWidget(), QStringLiteral("Forms"));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(0, 1)).center());
        SettleEvents();
        TypeInto(QApplication::focusWidget(), QStringLiteral("QForms"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        SettleEvents();
        QCOMPARE(w.Repository().Lines(), std::vector<std::string>({ "Forms=QForms" }));
        QVERIFY(w.RepositoryModified());

        m_fixture.Dialogs.SaveAnswers.push_back(m_dat);
        Run(w.actSaveRepositoryData);
        QVERIFY(ReadAll(m_dat).contains("Forms=QForms\r\n"));
        QVERIFY(!w.RepositoryModified());

        Run(w.actExecuteConversion);
        QCOMPARE(ReadAll(unitA), QByteArray("uses QForms;\r\n"));
        QCOMPARE(ReadAll(unitB), QByteArray("uses QForms;\r\nvar F: TForm;\r\n"));
        QVERIFY(QFile::exists(m_fixture.Dir() + QStringLiteral("/tree/UnitA.~pas")));

        m_fixture.Dialogs.SaveAnswers.push_back(report);
        QTest::mouseClick(w.bbSaveResult, Qt::LeftButton);
        SettleEvents();
        QVERIFY(ReadAll(report).contains("UnitA.pas"));
        m_fixture.Destroy();
    }
    QVERIFY(m_fixture.Dialogs.CallsOf(QStringLiteral("question")).empty());

    // The next start comes back as the working session left it; a caption is changed in the language editor.
    {
        TMainProbe w(Start());
        CheckWorkingState(w);
        QTest::mouseClick(w.obOutlookBarOptionsButtons[2], Qt::LeftButton);
        QTest::mouseClick(w.bbLanguageDefault, Qt::LeftButton);
        SettleEvents();
        QVERIFY(w.pLanguageDefault->isVisible());
        QTableWidget *captions = w.ValueListEditor1;
        int row = 0;
        while (row < captions->rowCount() && captions->item(row, 0)->text() != QLatin1String("OutlookBarButton1"))
            ++row;
        QVERIFY(row < captions->rowCount());
        QTest::mouseClick(
            captions->viewport(), Qt::LeftButton, {}, captions->visualItemRect(captions->item(row, 1)).center());
        SettleEvents();
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->selectAll();
        TypeInto(editor, QStringLiteral("Converter"));
        QTest::mouseClick(w.bbApply, Qt::LeftButton);
        SettleEvents();
        QVERIFY(!w.pLanguageDefault->isVisible());
        QCOMPARE(w.obOutlookBarOptionsButtons[0]->text(), QStringLiteral("Converter"));
        CheckWorkingState(w);
        m_fixture.Destroy();
    }

    // And the start after that has the caption as well.
    {
        TMainProbe w(Start());
        CheckWorkingState(w);
        QCOMPARE(w.obOutlookBarOptionsButtons[0]->text(), QStringLiteral("Converter"));
        QTest::mouseClick(w.obOutlookBarOptionsButtons[0], Qt::LeftButton);
        QCOMPARE(w.Panel3->text(), QStringLiteral("Converter"));
        m_fixture.Destroy();
    }
    QVERIFY(m_fixture.Dialogs.CallsOf(QStringLiteral("message")).empty());
    QVERIFY(m_fixture.Dialogs.CallsOf(QStringLiteral("error")).empty());
}

QTEST_MAIN(EndToEndTest)
#include "EndToEnd_test.moc"
