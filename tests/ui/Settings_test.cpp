// The settings file in the window: first start, later starts, every caption and hint key with its target, the
// asymmetric keys, and a settings file that cannot be written or read.
#include "UiTestSupport.h"

#include "settings/ProfileFile.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsKeys.h"
#include "ui/Application.h"
#include "ui/FileListModel.h"
#include "ui/HintText.h"
#include "ui/RepositoryModel.h"
#include "ui/TextBridge.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <map>

namespace {

const QString kTitle = QStringLiteral("Utilitário para converter arquivos DELPHI e KYLIX.");

QString HeaderText(const QTableWidget *grid, int column)
{
    return grid->horizontalHeaderItem(column)->text();
}

// What the window shows for a Captions key, found by its widget rather than by the key table.
QString ShownCaption(TMainProbe w, const QString &key)
{
    const std::map<QString, std::function<QString()>> shown {
        { QStringLiteral("Form"), [&] { return qvc::ToQ(w.Repository().WindowTitleText()); } },
        { QStringLiteral("StatusBar"), [&] { return w.VersionLabelText(); } },
        { QStringLiteral("OutlookBar"), [&] { return w.obOutlookBarOptionsTitle->text(); } },
        { QStringLiteral("OutlookBarButton3"), [&] { return w.obOutlookBarOptionsButtons[2]->text(); } },
        { QStringLiteral("SelectFilesColumn1"),
            [&] { return w.slSearchListSelectFiles->model()->headerData(1, Qt::Horizontal).toString(); } },
        { QStringLiteral("SelectFilesColumn4"),
            [&] { return w.slSearchListSelectFiles->model()->headerData(4, Qt::Horizontal).toString(); } },
        { QStringLiteral("ConvertStringsColumn2"),
            [&] { return w.vleUnits->model()->headerData(1, Qt::Horizontal).toString(); } },
        { QStringLiteral("ChangeFileName"), [&] { return w.stStaticTextFileExtension->text(); } },
        { QStringLiteral("ChangeFileNameItem2"), [&] { return w.rgRadioGroupFileExtensionItems[1]->text(); } },
        { QStringLiteral("BackupFiles"), [&] { return w.cbCheckBoxBackupFiles->text(); } },
        { QStringLiteral("EditMasks"), [&] { return w.ldLabeledEditFileMaskLabel->text(); } },
        { QStringLiteral("ButtonLanguageDefault"), [&] { return w.bbLanguageDefault->text(); } },
        { QStringLiteral("MainMenuBarItem4"), [&] { return w.MainMenuBarItems[3]->title(); } },
        { QStringLiteral("MenuScanSubDirectory"), [&] { return w.actScanSubDirectory->text(); } },
        { QStringLiteral("MenuAboutMe"), [&] { return w.actAboutMe->text(); } },
        { QStringLiteral("BrowseFolder"), [&] { return w.BrowseFolderTitle(); } },
        { QStringLiteral("MessageQuestionText2"), [&] { return qvc::ToQ(w.Repository().MessageQuestionText2()); } },
        { QStringLiteral("MessageQuestionCaption"), [&] { return qvc::ToQ(w.Repository().MessageQuestionCaption()); } },
        { QStringLiteral("LanguageCaptionTitle"), [&] { return w.pLanguageCaptionTitle->text(); } },
        { QStringLiteral("LanguageHintTitle"), [&] { return w.pLanguageHintTitle->text(); } },
        { QStringLiteral("LanguageColumn1"),
            [&] { return HeaderText(w.ValueListEditor1, 0) + QLatin1Char('/') + HeaderText(w.ValueListEditor2, 0); } },
        { QStringLiteral("LanguageColumn2"),
            [&] { return HeaderText(w.ValueListEditor1, 1) + QLatin1Char('/') + HeaderText(w.ValueListEditor2, 1); } },
        { QStringLiteral("ButtonCancel"), [&] { return w.bbCancel->text(); } },
        { QStringLiteral("ButtonSaveResult"), [&] { return w.bbSaveResult->text(); } },
        { QStringLiteral("ProgressMessage"), [&] { return w.ProgressMessageText(); } },
        { QStringLiteral("ViewResultTitle"),
            [&] { return w.pViewResultTitle->text() + QLatin1Char('/') + w.ResultTitleText(); } },
        { QStringLiteral("ViewResultColumn3"), [&] { return HeaderText(w.vleUnitsResult, 2); } },
        { QStringLiteral("ButtonOk"), [&] { return w.bbOk->text(); } },
    };
    return shown.at(key)();
}

// The object that carries the hint of a Hints key.
QObject *HintCarrier(const TMainProbe &w, const QString &key)
{
    const std::map<QString, QObject *> carriers {
        { QStringLiteral("MenuAddFile"), static_cast<QObject *>(w.actAddFile) },
        { QStringLiteral("MenuExecuteConversion"), static_cast<QObject *>(w.actExecuteConversion) },
        { QStringLiteral("SelectFiles"), static_cast<QObject *>(w.slSearchListSelectFiles) },
        { QStringLiteral("ConvertStrings"), static_cast<QObject *>(w.vleUnits) },
        { QStringLiteral("RadioGroupChangeFile"), static_cast<QObject *>(w.rgRadioGroupFileExtension) },
        { QStringLiteral("OutlookBarOptions"), static_cast<QObject *>(w.obOutlookBarOptions) },
        { QStringLiteral("ButtonApply"), static_cast<QObject *>(w.bbApply) },
        { QStringLiteral("ButtonLanguageDefault"), static_cast<QObject *>(w.bbLanguageDefault) },
        { QStringLiteral("ProgressMessage"), static_cast<QObject *>(w.pProgressMessage) },
        { QStringLiteral("ViewResult"), static_cast<QObject *>(w.vleUnitsResult) },
        { QStringLiteral("ButtonOk"), static_cast<QObject *>(w.bbOk) },
    };
    return carriers.at(key);
}

} // namespace

class SettingsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void firstStartCreatesTheFile();
    void installedProgramUsesTheConfigurationFolder();
    void secondStartShowsTheVersion();
    void captionsWithOnlyForm();
    void captionTargets_data();
    void captionTargets();
    void hintTargets_data();
    void hintTargets();
    void everyKeyRoundTrips();
    void changeFileNameBlanks_data();
    void changeFileNameBlanks();
    void settingsValuesApplied();
    void datFileMissing();
    void simulateTextsNotApplied();
    void readOnlyKeysApplied();
    void unwritableFile_data();
    void unwritableFile();
    void damagedFileStillStarts_data();
    void damagedFileStillStarts();

private:
    TMainProbe W() { return m_fixture->Window(); }
    QString IniPath() const { return m_fixture->Dir() + QStringLiteral("/qvConvertFiles.ini"); }
    qvc::TProfileFile Ini() const { return qvc::TProfileFile(qvc::PathFromQ(IniPath())); }
    /// The settings file as the program writes it at a first start, with the given lines added to its sections.
    void WriteIni(const QByteArray &bytes) { m_fixture->WriteFile(QStringLiteral("qvConvertFiles.ini"), bytes); }
    /// Reads one key of the settings file as program text.
    QString Value(std::string_view section, std::string_view key) const
    {
        return qvc::ToQ(Ini().ReadString(section, key, "<missing>"));
    }
    std::vector<qvc::TScriptedDialogSeam::TCall> Messages() const
    {
        return m_fixture->Dialogs.CallsOf(QStringLiteral("message"));
    }

    TWindowFixture *m_fixture = nullptr;
};

void SettingsTest::initTestCase()
{
    qvc::SetUpApplication(*qApp);
}

void SettingsTest::init()
{
    m_fixture = new TWindowFixture;
}

void SettingsTest::cleanup()
{
    delete m_fixture;
    m_fixture = nullptr;
}

void SettingsTest::installedProgramUsesTheConfigurationFolder()
{
    if (QFileInfo::exists(QStringLiteral("/usr/bin/qvConvertFiles.ini")))
        QSKIP("a settings file beside /usr/bin/qvConvertFiles is used as it is");
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_fixture->Dir() + QStringLiteral("/config")));
    const QString folder = m_fixture->Dir() + QStringLiteral("/config/qvConvertFiles");
    QCOMPARE(Tfrm_Main::SettingsBaseFor(QStringLiteral("/usr/bin/qvConvertFiles")),
        folder + QStringLiteral("/qvConvertFiles"));
    QVERIFY(QFileInfo(folder).isDir());
    // A copy outside /usr keeps everything beside itself and makes no folder.
    const QString portable = m_fixture->ExecutablePath();
    QDir(folder).removeRecursively();
    QCOMPARE(Tfrm_Main::SettingsBaseFor(portable), portable);
    QVERIFY(!QFileInfo::exists(folder));
    if (saved.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", saved);
}

void SettingsTest::firstStartCreatesTheFile()
{
    TMainProbe w(m_fixture->Create());
    QCOMPARE(w.SettingsFileName(), IniPath());
    QVERIFY(QFile::exists(IniPath()));
    const qvc::TProfileFile ini = Ini();
    QCOMPARE(ini.ReadSectionKeys(qvc::kSettingsSection).size(), std::size_t(5));
    std::vector<std::string> written;
    for (const auto &entry : qvc::kCaptionKeys)
        if (qvc::IsWrittenKey(entry.Use))
            written.emplace_back(entry.Key);
    QCOMPARE(ini.ReadSectionKeys(qvc::kCaptionsSection), written);
    QCOMPARE(written.size(), std::size_t(52));
    QCOMPARE(ini.ReadSectionKeys(qvc::kHintsSection).size(), std::size_t(24));
    QCOMPARE(Value(qvc::kSettingsSection, "DATFile"), QString());
    QCOMPARE(Value(qvc::kSettingsSection, "BackupFiles"), QStringLiteral("0"));
    QCOMPARE(Value(qvc::kSettingsSection, "SimulateFiles"), QStringLiteral("0"));
    QCOMPARE(Value(qvc::kSettingsSection, "Mask"), QStringLiteral("*.pas;*.dfm;*.xfm;*.dpr;*.dpk"));
    QCOMPARE(Value(qvc::kCaptionsSection, "BackupFiles"),
        QStringLiteral("Efetuar um \"&BACKUP\" antes de processar o(s) arquivo(s)."));
    QCOMPARE(Value(qvc::kHintsSection, "MenuOpenRepositoryData"),
        QStringLiteral("Abrir Repositório|&Abrir um repositório de dados existente..."));
    // The Windows-1252 bytes of the program's texts, not UTF-8.
    QCOMPARE(ini.ReadString(qvc::kCaptionsSection, "OutlookBar", ""),
        std::string("Op\xE7\xF5"
                    "es"));
    QCOMPARE(w.sbStatusBarVersion->text(), QStringLiteral("Versão : 2.01"));
    QVERIFY(w.Repository().RepositoryFileName().empty());
    QCOMPARE(w.windowTitle(), kTitle);
    QVERIFY(Messages().empty());
}

void SettingsTest::secondStartShowsTheVersion()
{
    m_fixture->Create();
    m_fixture->Destroy();
    const QByteArray before = [&] {
        QFile f(IniPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    TMainProbe w(m_fixture->Create());
    QCOMPARE(w.sbStatusBarVersion->text(), QStringLiteral("Versão : 2.02"));
    QCOMPARE(w.VersionLabelText(), QStringLiteral("Versão :"));
    QCOMPARE(w.actScanSubDirectory->text(), QStringLiteral("&Buscar Sub-Diretórios"));
    m_fixture->Destroy();
    // Only the texts that lose their trailing blank in the file differ between the two exits.
    QVERIFY(before.contains("StatusBar=Vers\xE3o : \r\n"));
    QFile f(IniPath());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readAll().contains("StatusBar=Vers\xE3o :\r\n"));
    QVERIFY(Messages().empty());
}

void SettingsTest::captionsWithOnlyForm()
{
    WriteIni("[Captions]\r\nForm=Meu T\xEDtulo\r\n");
    TMainProbe w(m_fixture->Create());
    QCOMPARE(qvc::ToQ(w.Repository().WindowTitleText()), QStringLiteral("Meu Título"));
    // The window title itself changes only when a repository file is set.
    QCOMPARE(w.windowTitle(), kTitle);
    QCOMPARE(w.sbStatusBarVersion->text(), QStringLiteral("Versão : 2.02"));
    QCOMPARE(w.obOutlookBarOptionsButtons[1]->text(), QStringLiteral("Repositório de Dados"));
    QCOMPARE(
        w.stStaticTextFileExtension->text(), QStringLiteral(" Trocar o(s) &nome(s) do(s) arquivo(s) processado(s) "));
    // A missing key reads as the current text without its trailing blanks, as any value read.
    QCOMPARE(w.BrowseFolderTitle(), QStringLiteral("Selecionar diretório :"));
    QCOMPARE(qvc::HintOf(w.actAddFile), QStringLiteral("Adicionar Arquivo|Adicionar um novo arquivo na lista..."));
    QCOMPARE(w.ldLabeledEditFileMask->text(), QStringLiteral("*.pas;*.dfm;*.xfm;*.dpr;*.dpk"));
}

void SettingsTest::captionTargets_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("shown"); // what the target shows; "a/b" for two places
    const auto row
        = [](const char *key, const QString &shown) { QTest::newRow(key) << QString::fromLatin1(key) << shown; };
    row("Form", QStringLiteral("Novo Form"));
    row("StatusBar", QStringLiteral("Novo StatusBar"));
    row("OutlookBar", QStringLiteral("Novo OutlookBar"));
    row("OutlookBarButton3", QStringLiteral("Novo OutlookBarButton3"));
    row("SelectFilesColumn1", QStringLiteral("Novo SelectFilesColumn1"));
    row("SelectFilesColumn4", QStringLiteral("Novo SelectFilesColumn4"));
    row("ConvertStringsColumn2", QStringLiteral("Novo ConvertStringsColumn2"));
    row("ChangeFileName", QStringLiteral(" Novo ChangeFileName "));
    row("ChangeFileNameItem2", QStringLiteral("Novo ChangeFileNameItem2"));
    row("BackupFiles", QStringLiteral("Novo BackupFiles"));
    row("EditMasks", QStringLiteral("Novo EditMasks"));
    row("ButtonLanguageDefault", QStringLiteral("Novo ButtonLanguageDefault"));
    row("MainMenuBarItem4", QStringLiteral("Novo MainMenuBarItem4"));
    row("MenuScanSubDirectory", QStringLiteral("Novo MenuScanSubDirectory"));
    row("MenuAboutMe", QStringLiteral("Novo MenuAboutMe"));
    row("BrowseFolder", QStringLiteral("Novo BrowseFolder"));
    row("MessageQuestionText2", QStringLiteral("Novo MessageQuestionText2"));
    row("MessageQuestionCaption", QStringLiteral("Novo MessageQuestionCaption"));
    row("LanguageCaptionTitle", QStringLiteral("Novo LanguageCaptionTitle"));
    row("LanguageHintTitle", QStringLiteral("Novo LanguageHintTitle"));
    row("LanguageColumn1", QStringLiteral("Novo LanguageColumn1/Novo LanguageColumn1"));
    row("LanguageColumn2", QStringLiteral("Novo LanguageColumn2/Novo LanguageColumn2"));
    row("ButtonCancel", QStringLiteral("Novo ButtonCancel"));
    row("ButtonSaveResult", QStringLiteral("Novo ButtonSaveResult"));
    row("ProgressMessage", QStringLiteral("Novo ProgressMessage"));
    row("ViewResultTitle", QStringLiteral("Novo ViewResultTitle/Novo ViewResultTitle"));
    row("ViewResultColumn3", QStringLiteral("Novo ViewResultColumn3"));
    row("ButtonOk", QStringLiteral("Novo ButtonOk"));
}

void SettingsTest::captionTargets()
{
    QFETCH(QString, key);
    QFETCH(QString, shown);
    WriteIni("[Captions]\r\n" + key.toLatin1() + "=Novo " + key.toLatin1() + "\r\n");
    TMainProbe w(m_fixture->Create());
    QCOMPARE(ShownCaption(w, key), shown);
    if (key == QLatin1String("StatusBar"))
        QCOMPARE(w.sbStatusBarVersion->text(), QStringLiteral("Novo StatusBar 2.02"));
    // The progress panel shows its text only during a run.
    QVERIFY(w.pProgressMessage->text().isEmpty());
    m_fixture->Destroy();
    if (key != QLatin1String("ButtonOk"))
        QCOMPARE(Value(qvc::kCaptionsSection, qvc::FromQ(key)), shown.section(QLatin1Char('/'), 0, 0).trimmed());
}

void SettingsTest::hintTargets_data()
{
    QTest::addColumn<QString>("key");
    for (const char *key :
        { "MenuAddFile", "MenuExecuteConversion", "SelectFiles", "ConvertStrings", "RadioGroupChangeFile",
            "OutlookBarOptions", "ButtonApply", "ButtonLanguageDefault", "ProgressMessage", "ViewResult", "ButtonOk" })
        QTest::newRow(key) << QString::fromLatin1(key);
}

void SettingsTest::hintTargets()
{
    QFETCH(QString, key);
    const QString hint = QStringLiteral("Curta %1|Longa %1").arg(key);
    WriteIni("[Hints]\r\n" + key.toLatin1() + "=" + hint.toLatin1() + "\r\n");
    TMainProbe w(m_fixture->Create());
    QObject *carrier = HintCarrier(w, key);
    QCOMPARE(qvc::HintOf(carrier), hint);
    const QString tooltip = carrier->isWidgetType() ? static_cast<QWidget *>(carrier)->toolTip()
                                                    : static_cast<QAction *>(carrier)->toolTip();
    // A key the command gained beyond the stored ones stays named after the hint the file gives.
    QCOMPARE(tooltip,
        QStringLiteral("Curta %1").arg(key)
            + (key == QLatin1String("MenuExecuteConversion") ? QStringLiteral(" (F9)") : QString()));
}

void SettingsTest::everyKeyRoundTrips()
{
    // Every read-and-written key gets its own text; the next exit writes each one back under its own key.
    QByteArray bytes = "[Captions]\r\n";
    for (const auto &entry : qvc::kCaptionKeys)
        if (entry.Use == qvc::TKeyUse::ReadWrite)
            bytes += QByteArray(entry.Key.data(), qsizetype(entry.Key.size())) + "=C " + entry.Key.data() + "\r\n";
    bytes += "[Hints]\r\n";
    for (const auto &entry : qvc::kHintKeys)
        if (entry.Use == qvc::TKeyUse::ReadWrite)
            bytes += QByteArray(entry.Key.data(), qsizetype(entry.Key.size())) + "=S|H " + entry.Key.data() + "\r\n";
    WriteIni(bytes);
    m_fixture->Create();
    m_fixture->Destroy();
    QVERIFY(Messages().empty());
    for (const auto &entry : qvc::kCaptionKeys) {
        if (entry.Use != qvc::TKeyUse::ReadWrite)
            continue;
        const std::string expected
            = entry.Key == "ChangeFileName" ? std::string("C ChangeFileName") : "C " + std::string(entry.Key);
        QCOMPARE(Ini().ReadString(qvc::kCaptionsSection, entry.Key, ""), expected);
    }
    for (const auto &entry : qvc::kHintKeys)
        if (entry.Use == qvc::TKeyUse::ReadWrite)
            QCOMPARE(Ini().ReadString(qvc::kHintsSection, entry.Key, ""), "S|H " + std::string(entry.Key));
}

void SettingsTest::changeFileNameBlanks_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("blanks dropped by reading") << QByteArray("    Trocar   ") << QStringLiteral(" Trocar ");
    QTest::newRow("blanks kept by quotes") << QByteArray("\"   Trocar nomes    \"") << QStringLiteral(" Trocar nomes ");
    QTest::newRow("no blanks") << QByteArray("Trocar") << QStringLiteral(" Trocar ");
    QTest::newRow("empty") << QByteArray("") << QStringLiteral("  ");
}

void SettingsTest::changeFileNameBlanks()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, shown);
    WriteIni("[Captions]\r\nChangeFileName=" + stored + "\r\n");
    TMainProbe w(m_fixture->Create());
    QCOMPARE(w.stStaticTextFileExtension->text(), shown);
}

void SettingsTest::settingsValuesApplied()
{
    const QString folder = m_fixture->Dir() + QStringLiteral("/src/");
    WriteIni(
        "[Settings]\r\nPath=" + folder.toUtf8() + "\r\nMask=*.pas;*.inc\r\nBackupFiles=0x1\r\nSimulateFiles=1\r\n");
    TMainProbe w(m_fixture->Create());
    QCOMPARE(qvc::PathToQ(w.JvSearchFiles1().RootDirectory()), folder);
    QCOMPARE(w.ldLabeledEditFileMask->text(), QStringLiteral("*.pas;*.inc"));
    QCOMPARE(w.JvSearchFiles1().FileParams().MaskText(), std::string("*.pas;*.inc"));
    QVERIFY(w.OpenDialog().Filter.startsWith(QStringLiteral("*.pas;*.inc|")));
    QVERIFY(w.cbCheckBoxBackupFiles->isChecked());
    QVERIFY(w.cbCheckBoxSimulate->isChecked());
    w.cbCheckBoxBackupFiles->setChecked(false);
    w.ldLabeledEditFileMask->setText(QStringLiteral("*.dpr"));
    m_fixture->Destroy();
    QCOMPARE(qvc::PathToQ(Ini().ReadString(qvc::kSettingsSection, "Path", "")), folder);
    QCOMPARE(Value(qvc::kSettingsSection, "Mask"), QStringLiteral("*.dpr"));
    QCOMPARE(Value(qvc::kSettingsSection, "BackupFiles"), QStringLiteral("0"));
    QCOMPARE(Value(qvc::kSettingsSection, "SimulateFiles"), QStringLiteral("1"));
}

void SettingsTest::datFileMissing()
{
    const QString gone = m_fixture->Dir() + QStringLiteral("/gone.dat");
    WriteIni("[Settings]\r\nDATFile=" + gone.toUtf8() + "\r\n");
    TMainProbe w(m_fixture->Create());
    QCOMPARE(w.Repository().Count(), std::size_t(0));
    QCOMPARE(w.windowTitle(), kTitle);
    QCOMPARE(qvc::PathToQ(w.Repository().RepositoryFileName()), gone);
    QVERIFY(m_fixture->Dialogs.Calls.empty());
    m_fixture->Destroy();
    QCOMPARE(Value(qvc::kSettingsSection, "DATFile"), QString());
}

void SettingsTest::simulateTextsNotApplied()
{
    WriteIni("[Captions]\r\nSimulateFiles=Outro texto\r\n[Hints]\r\nSimulateFiles=Outra|dica\r\n");
    TMainProbe w(m_fixture->Create());
    QCOMPARE(w.cbCheckBoxSimulate->text(), QStringLiteral("Apenas \"&SIMULAR\" a conversão no(s) arquivo(s)."));
    QCOMPARE(qvc::HintOf(w.cbCheckBoxSimulate), QStringLiteral("|Apenas simular a conversão nos arquivos..."));
    m_fixture->Destroy();
    QCOMPARE(Value(qvc::kCaptionsSection, "SimulateFiles"),
        QStringLiteral("Apenas \"&SIMULAR\" a conversão no(s) arquivo(s)."));
    QCOMPARE(Value(qvc::kHintsSection, "SimulateFiles"), QStringLiteral("|Apenas simular a conversão nos arquivos..."));
}

void SettingsTest::readOnlyKeysApplied()
{
    WriteIni(
        "[Captions]\r\nButtonOk=&Fechar\r\n[Hints]\r\nButtonOk=|Fecha a vista\r\nLabeledEditFileMask=M\xE1scara|Tipos "
        "de arquivo\r\n");
    for (int start = 0; start < 2; ++start) {
        TMainProbe w(m_fixture->Create());
        QCOMPARE(w.bbOk->text(), QStringLiteral("&Fechar"));
        QCOMPARE(qvc::HintOf(w.bbOk), QStringLiteral("|Fecha a vista"));
        QCOMPARE(qvc::HintOf(w.ldLabeledEditFileMask), QStringLiteral("Máscara|Tipos de arquivo"));
        QCOMPARE(qvc::HintOf(w.ldLabeledEditFileMaskLabel), QStringLiteral("Máscara|Tipos de arquivo"));
        m_fixture->Destroy();
        // Never written, so never lost: the keys stay where the user put them.
        QCOMPARE(Value(qvc::kCaptionsSection, "ButtonOk"), QStringLiteral("&Fechar"));
        QCOMPARE(Value(qvc::kHintsSection, "LabeledEditFileMask"), QStringLiteral("Máscara|Tipos de arquivo"));
        QCOMPARE(Ini().ReadSectionKeys(qvc::kCaptionsSection).front(), std::string("ButtonOk"));
    }
}

void SettingsTest::unwritableFile_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("settings path is a folder") << QStringLiteral("folder");
    QTest::newRow("program folder removed") << QStringLiteral("removed");
}

void SettingsTest::unwritableFile()
{
    QFETCH(QString, how);
    const QString expected = QStringLiteral("Unable to write to ") + IniPath();
    if (how == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(IniPath()));
    TMainProbe w(m_fixture->Create());
    QCOMPARE(Messages().size(), std::size_t(how == QLatin1String("folder") ? 1 : 0));
    if (how == QLatin1String("folder")) {
        QCOMPARE(Messages()[0].Text, expected);
        // The program starts all the same, with its defaults.
        QCOMPARE(w.ldLabeledEditFileMask->text(), QStringLiteral("*.pas;*.dfm;*.xfm;*.dpr;*.dpk"));
        QCOMPARE(w.JvSearchFiles1().FileParams().MaskText(), std::string("*.pas;*.dfm;*.xfm;*.dpr;*.dpk"));
    } else {
        QVERIFY(QDir(m_fixture->Dir()).removeRecursively());
    }
    const std::size_t before = Messages().size();
    m_fixture->Destroy();
    QCOMPARE(Messages().size(), before + 1);
    QCOMPARE(Messages().back().Text, expected);
    QVERIFY(m_fixture->Dialogs.CallsOf(QStringLiteral("error")).empty());
    if (how == QLatin1String("folder"))
        QVERIFY(QFileInfo(IniPath()).isDir());
}

void SettingsTest::damagedFileStillStarts_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("binary") << QByteArray("\xFF\x00\x01[\x00=\r\r\n]]]=\x00\x80", 15);
    QTest::newRow("no sections") << QByteArray("Path=/x\r\nMask\r\n=\r\n");
    QTest::newRow("huge value") << "[Captions]\r\nStatusBar=" + QByteArray(100000, 'v') + "\r\n";
    QTest::newRow("broken headers") << QByteArray("[Settings\r\n[Captions]]\r\n[]\r\nForm==\r\n");
}

void SettingsTest::damagedFileStillStarts()
{
    QFETCH(QByteArray, bytes);
    WriteIni(bytes);
    TMainProbe w(m_fixture->Create());
    QVERIFY(w.sbStatusBarVersion->text().endsWith(QStringLiteral(" 2.02")));
    QVERIFY(w.sbStatusBarVersion->text().size() <= 2047 + 5);
    m_fixture->Destroy();
    QVERIFY(Messages().empty());
    // The next exit writes a file that the next start reads as the program wrote it.
    QCOMPARE(Ini().ReadSectionKeys(qvc::kHintsSection).size(), std::size_t(24));
    TMainProbe again(m_fixture->Create());
    QVERIFY(again.sbStatusBarVersion->text().endsWith(QStringLiteral(" 2.02")));
}

QTEST_MAIN(SettingsTest)
#include "Settings_test.moc"
