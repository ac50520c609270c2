// The interface language editor: the two grids read from the settings file, Apply and Cancel, and their errors.
#include "UiTestSupport.h"

#include "settings/ProfileFile.h"
#include "settings/SettingsKeys.h"
#include "ui/Application.h"
#include "ui/HintText.h"
#include "ui/TextBridge.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList Rows(const QTableWidget *grid)
{
    QStringList rows;
    for (int r = 0; r < grid->rowCount(); ++r)
        rows << grid->item(r, 0)->text() + QLatin1Char('=') + grid->item(r, 1)->text();
    return rows;
}

int RowOf(const QTableWidget *grid, const QString &key)
{
    for (int r = 0; r < grid->rowCount(); ++r)
        if (grid->item(r, 0)->text() == key)
            return r;
    return -1;
}

} // namespace

class LanguageEditorTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void openShowsTheFileInOrder();
    void openWithoutFileGivesEmptyGrids();
    void applyStatusBar();
    void applyForm_data();
    void applyForm();
    void applyWritesFirstRowOfRepeatedKey();
    void applyUnwritableKeepsEditorOpen();
    void applyKeepsTheOptionsInUse();
    void maskIsWindows1252();
    void cancelDropsEdits();

private:
    TMainProbe W() { return m_fixture->Window(); }
    QString IniPath() const { return m_fixture->Dir() + QStringLiteral("/qvConvertFiles.ini"); }
    qvc::TProfileFile Ini() const { return qvc::TProfileFile(qvc::PathFromQ(IniPath())); }
    void Open();
    /// Types a new value into the value cell of a key, through the cell editor.
    void Edit(QTableWidget *grid, const QString &key, const QString &value);
    void Click(QPushButton *button);

    TWindowFixture *m_fixture = nullptr;
};

void LanguageEditorTest::initTestCase()
{
    qvc::SetUpApplication(*qApp);
}

void LanguageEditorTest::init()
{
    m_fixture = new TWindowFixture;
}

void LanguageEditorTest::cleanup()
{
    delete m_fixture;
    m_fixture = nullptr;
}

void LanguageEditorTest::Open()
{
    TMainProbe w(W());
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.Window()));
    w.obOutlookBarOptionsButtonClick(2);
    SettleEvents();
    QTest::mouseClick(w.bbLanguageDefault, Qt::LeftButton);
    SettleEvents();
}

void LanguageEditorTest::Edit(QTableWidget *grid, const QString &key, const QString &value)
{
    const int row = RowOf(grid, key);
    QVERIFY(row >= 0);
    grid->scrollToItem(grid->item(row, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualItemRect(grid->item(row, 1)).center());
    SettleEvents();
    QWidget *editor = QApplication::focusWidget();
    QVERIFY(editor && editor != grid);
    auto *line = qobject_cast<QLineEdit *>(editor);
    QVERIFY(line);
    line->selectAll();
    line->insert(value);
}

void LanguageEditorTest::Click(QPushButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton);
    SettleEvents();
}

void LanguageEditorTest::openShowsTheFileInOrder()
{
    m_fixture->WriteFile(QStringLiteral("qvConvertFiles.ini"),
        "[Captions]\r\nZeta= z \r\nForm=T\xEDtulo\r\nFormula=a=b\r\nForm=segunda\r\nVazio=\r\n"
        "[Hints]\r\nMenuAddFile=Adicionar|Longo\r\n");
    TMainProbe w(m_fixture->Create());
    Open();
    QCOMPARE(
        Rows(w.ValueListEditor1), QStringList({ "Zeta=z", "Form=Título", "Formula=a=b", "Form=Título", "Vazio=" }));
    QCOMPARE(Rows(w.ValueListEditor2), QStringList({ "MenuAddFile=Adicionar|Longo" }));
    for (QTableWidget *grid : { w.ValueListEditor1, w.ValueListEditor2 }) {
        QVERIFY(!(grid->item(0, 0)->flags() & Qt::ItemIsEditable));
        QVERIFY(grid->item(0, 1)->flags() & Qt::ItemIsEditable);
        QCOMPARE(grid->horizontalHeaderItem(0)->text(), QStringLiteral("Chaves"));
        QCOMPARE(grid->horizontalHeaderItem(1)->text(), QStringLiteral("Valores"));
    }
    QVERIFY(w.pLanguageDefault->isVisible());
    QVERIFY(w.bbCancel->hasFocus());
    QVERIFY(!w.ActionMainMenuBar1->isEnabled());
    QVERIFY(!w.pData->isEnabled());
    w.OnUpdateAction();
    for (int tag = 0; tag < 12; ++tag)
        QCOMPARE(w.ActionByTag(tag)->isEnabled(), w.ActionByTag(tag) == w.actAboutMe);
    QVERIFY(m_fixture->Dialogs.Calls.empty());
}

void LanguageEditorTest::openWithoutFileGivesEmptyGrids()
{
    TMainProbe w(m_fixture->Create());
    QVERIFY(QFile::remove(IniPath()));
    Open();
    QCOMPARE(w.ValueListEditor1->rowCount(), 0);
    QCOMPARE(w.ValueListEditor2->rowCount(), 0);
    QVERIFY(w.pLanguageDefault->isVisible());
    QVERIFY(m_fixture->Dialogs.Calls.empty());
}

void LanguageEditorTest::applyStatusBar()
{
    TMainProbe w(m_fixture->Create());
    QCOMPARE(w.sbStatusBarVersion->text(), QStringLiteral("Versão : 2.01"));
    Open();
    QCOMPARE(w.ValueListEditor1->rowCount(), 52);
    QCOMPARE(w.ValueListEditor2->rowCount(), 24);
    Edit(w.ValueListEditor1, QStringLiteral("StatusBar"), QStringLiteral("  Versão nova  "));
    Edit(w.ValueListEditor2, QStringLiteral("MenuAddFile"), QStringLiteral("Novo|Adiciona"));
    Click(w.bbApply);
    QCOMPARE(w.sbStatusBarVersion->text(), QStringLiteral("Versão nova 2.02"));
    QCOMPARE(qvc::HintOf(w.actAddFile), QStringLiteral("Novo|Adiciona"));
    QVERIFY(!w.pLanguageDefault->isVisible());
    QVERIFY(w.pData->isEnabled());
    QVERIFY(w.bbLanguageDefault->hasFocus());
    QCOMPARE(Ini().ReadString(qvc::kCaptionsSection, "StatusBar", ""), std::string("Vers\xE3o nova"));
    QVERIFY(m_fixture->Dialogs.Calls.empty());
    // The next opening reads the value back without the blanks it was typed with.
    Click(w.bbLanguageDefault);
    QCOMPARE(w.ValueListEditor1->item(RowOf(w.ValueListEditor1, QStringLiteral("StatusBar")), 1)->text(),
        QStringLiteral("Versão nova"));
}

void LanguageEditorTest::applyForm_data()
{
    QTest::addColumn<bool>("repository");
    QTest::newRow("the repository is a file: title changes") << true;
    QTest::newRow("no repository: title stays") << false;
}

void LanguageEditorTest::applyForm()
{
    QFETCH(bool, repository);
    const QString dat
        = repository ? m_fixture->WriteFile(QStringLiteral("pairs.dat"), "<|ChangeFileName=1|>\r\na=b\r\n") : QString();
    m_fixture->WriteFile(QStringLiteral("qvConvertFiles.ini"),
        "[Settings]\r\nDATFile=" + dat.toUtf8() + "\r\n[Captions]\r\nForm=Antigo\r\n");
    TMainProbe w(m_fixture->Create());
    const QString before = w.windowTitle();
    QCOMPARE(before,
        repository ? QStringLiteral("Antigo (%1)").arg(dat)
                   : QStringLiteral("Utilitário para converter arquivos DELPHI e KYLIX."));
    Open();
    Edit(w.ValueListEditor1, QStringLiteral("Form"), QStringLiteral("Conversor"));
    Click(w.bbApply);
    QVERIFY(!w.pLanguageDefault->isVisible());
    QCOMPARE(qvc::ToQ(w.Repository().WindowTitleText()), QStringLiteral("Conversor"));
    QCOMPARE(w.windowTitle(), repository ? QStringLiteral("Conversor (%1)").arg(dat) : before);
}

void LanguageEditorTest::applyWritesFirstRowOfRepeatedKey()
{
    m_fixture->WriteFile(
        QStringLiteral("qvConvertFiles.ini"), "[Captions]\r\nButtonOk=um\r\nButtonOk=dois\r\nForm=X\r\n[Hints]\r\n");
    TMainProbe w(m_fixture->Create());
    Open();
    w.ValueListEditor1->item(0, 1)->setText(QStringLiteral("primeiro"));
    w.ValueListEditor1->item(1, 1)->setText(QStringLiteral("segundo"));
    Click(w.bbApply);
    QCOMPARE(
        Ini().ReadSectionKeys(qvc::kCaptionsSection), std::vector<std::string>({ "ButtonOk", "ButtonOk", "Form" }));
    QCOMPARE(Ini().ReadString(qvc::kCaptionsSection, "ButtonOk", ""), std::string("primeiro"));
    QCOMPARE(w.bbOk->text(), QStringLiteral("primeiro"));
}

void LanguageEditorTest::applyUnwritableKeepsEditorOpen()
{
    TMainProbe w(m_fixture->Create());
    Open();
    Edit(w.ValueListEditor1, QStringLiteral("OutlookBar"), QStringLiteral("Escolhas"));
    QVERIFY(QFile::remove(IniPath()));
    QVERIFY(QDir().mkpath(IniPath()));
    Click(w.bbApply);
    const auto messages = m_fixture->Dialogs.CallsOf(QStringLiteral("message"));
    QCOMPARE(messages.size(), std::size_t(1));
    QCOMPARE(messages[0].Text, QStringLiteral("Unable to write to ") + IniPath());
    QVERIFY(w.pLanguageDefault->isVisible());
    QCOMPARE(w.ValueListEditor1->item(RowOf(w.ValueListEditor1, QStringLiteral("OutlookBar")), 1)->text(),
        QStringLiteral("Escolhas"));
    QCOMPARE(w.obOutlookBarOptionsTitle->text(), QStringLiteral("Opções"));
    Click(w.bbCancel);
    QVERIFY(!w.pLanguageDefault->isVisible());
    QVERIFY(QDir(IniPath()).removeRecursively());
}

void LanguageEditorTest::applyKeepsTheOptionsInUse()
{
    // Apply takes the texts back from the file, nothing else: the options, the mask, the folder and the repository
    // stay as the user has them, not as the last exit wrote them.
    const QString dat = m_fixture->WriteFile(QStringLiteral("saved.dat"), "<|ChangeFileName=2|>\r\nx=y\r\n");
    m_fixture->WriteFile(QStringLiteral("qvConvertFiles.ini"),
        "[Settings]\r\nPath=/old\r\nDATFile=" + dat.toUtf8()
            + "\r\nMask=*.pas\r\nBackupFiles=0\r\n[Captions]\r\nOutlookBar=Op\xE7\xF5"
              "es\r\n");
    TMainProbe w(m_fixture->Create());
    const QString other = m_fixture->WriteFile(QStringLiteral("other.dat"), "<|ChangeFileName=0|>\r\nc=d\r\n");
    QVERIFY(w.OpenRepositoryFile(other));
    w.ldLabeledEditFileMask->setText(QStringLiteral("*.dfm"));
    w.ApplyFileMask();
    w.cbCheckBoxBackupFiles->setChecked(true);
    w.JvSearchFiles1().SetRootDirectory("/new");
    Open();
    Edit(w.ValueListEditor1, QStringLiteral("OutlookBar"), QStringLiteral("Escolhas"));
    Click(w.bbApply);
    QVERIFY(!w.pLanguageDefault->isVisible());
    QCOMPARE(w.obOutlookBarOptionsTitle->text(), QStringLiteral("Escolhas"));
    QCOMPARE(qvc::PathToQ(w.Repository().RepositoryFileName()), other);
    QCOMPARE(w.Repository().Lines(), std::vector<std::string>({ "c=d" }));
    QCOMPARE(w.Repository().RenameMode(), qvc::TRenameMode(0));
    QVERIFY(w.cbCheckBoxBackupFiles->isChecked());
    QCOMPARE(w.ldLabeledEditFileMask->text(), QStringLiteral("*.dfm"));
    QCOMPARE(w.JvSearchFiles1().FileParams().MaskText(), std::string("*.dfm"));
    QCOMPARE(w.JvSearchFiles1().RootDirectory(), std::string("/new"));
    // The next save dialog offers the repository in use.
    w.obOutlookBarOptionsButtonClick(1);
    w.Repository().SetRepositoryModified(true);
    w.OnUpdateAction();
    w.actSaveRepositoryData->trigger();
    const auto saves = m_fixture->Dialogs.CallsOf(QStringLiteral("save"));
    QCOMPARE(saves.size(), std::size_t(1));
    QCOMPARE(saves[0].Request.FileName, other);
    w.Repository().SetRepositoryModified(false);
}

void LanguageEditorTest::maskIsWindows1252()
{
    // A mask written on Windows holds Windows-1252 bytes: shown as such and written back unchanged.
    m_fixture->WriteFile(QStringLiteral("qvConvertFiles.ini"), "[Settings]\r\nMask=*.p\xE1s;*.d\xFCm\r\n");
    TMainProbe w(m_fixture->Create());
    QCOMPARE(w.ldLabeledEditFileMask->text(), QStringLiteral("*.pás;*.düm"));
    m_fixture->Destroy();
    QCOMPARE(Ini().ReadString(qvc::kSettingsSection, "Mask", ""), std::string("*.p\xE1s;*.d\xFCm"));
}

void LanguageEditorTest::cancelDropsEdits()
{
    TMainProbe w(m_fixture->Create());
    const QByteArray before = ReadAll(IniPath());
    Open();
    Edit(w.ValueListEditor1, QStringLiteral("StatusBar"), QStringLiteral("Nunca"));
    Click(w.bbCancel);
    QVERIFY(!w.pLanguageDefault->isVisible());
    QVERIFY(w.bbLanguageDefault->hasFocus());
    QCOMPARE(ReadAll(IniPath()), before);
    QCOMPARE(w.sbStatusBarVersion->text(), QStringLiteral("Versão : 2.01"));
    Click(w.bbLanguageDefault);
    QCOMPARE(w.ValueListEditor1->item(RowOf(w.ValueListEditor1, QStringLiteral("StatusBar")), 1)->text(),
        QStringLiteral("Versão :"));
}

QTEST_MAIN(LanguageEditorTest)
#include "LanguageEditor_test.moc"
