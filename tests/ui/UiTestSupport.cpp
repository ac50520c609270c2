#include "UiTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

TWindowFixture::TWindowFixture() = default;

TWindowFixture::~TWindowFixture()
{
    Destroy();
}

Tfrm_Main &TWindowFixture::Create()
{
    Destroy();
    m_window = std::make_unique<Tfrm_Main>(&Dialogs, ExecutablePath());
    return *m_window;
}

void TWindowFixture::Destroy()
{
    if (m_window) {
        m_window->close();
        m_window.reset();
    }
}

QString TWindowFixture::WriteFile(const QString &relativePath, const QByteArray &bytes) const
{
    QString path = m_dir.path() + QLatin1Char('/') + relativePath;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(bytes);
    return path;
}

void SettleEvents()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    QTest::qWait(1);
    QCoreApplication::processEvents();
}

namespace {

template <typename T> T *Child(const Tfrm_Main &window, const QString &name)
{
    T *child = window.findChild<T *>(name);
    if (!child)
        qFatal("the window has no %s named %s", T::staticMetaObject.className(), qPrintable(name));
    return child;
}

} // namespace

TMainProbe::TMainProbe(Tfrm_Main &window)
    : m_window(&window)
{
    const auto action = [&window](const char *name) { return Child<QAction>(window, QLatin1String(name)); };
    const auto label = [&window](const char *name) { return Child<QLabel>(window, QLatin1String(name)); };
    const auto frame = [&window](const char *name) { return Child<QFrame>(window, QLatin1String(name)); };
    const auto button = [&window](const char *name) { return Child<QPushButton>(window, QLatin1String(name)); };
    const auto table = [&window](const char *name) { return Child<QTableWidget>(window, QLatin1String(name)); };
    actScanSubDirectory = action("actScanSubDirectory");
    actAddFile = action("actAddFile");
    actRemoveFile = action("actRemoveFile");
    actSelectAll = action("actSelectAll");
    actInsertLine = action("actInsertLine");
    actDeleteLines = action("actDeleteLines");
    actOpenRepositoryData = action("actOpenRepositoryData");
    actCopyRepositoryData = action("actCopyRepositoryData");
    actNewRepositoryData = action("actNewRepositoryData");
    actSaveRepositoryData = action("actSaveRepositoryData");
    actExecuteConversion = action("actExecuteConversion");
    actAboutMe = action("actAboutMe");
    actFileExit = action("actFileExit");
    actUndoLastRun = action("actUndoLastRun");
    actRunFailedOnly = action("actRunFailedOnly");
    actFilterList = action("actFilterList");
    ActionMainMenuBar1 = Child<QMenuBar>(window, QStringLiteral("ActionMainMenuBar1"));
    for (int i = 0; i < 4; ++i)
        MainMenuBarItems[std::size_t(i)] = Child<QMenu>(window, QStringLiteral("MainMenuBarItem%1").arg(i + 1));
    ActionToolBar1 = Child<QToolBar>(window, QStringLiteral("ActionToolBar1"));
    pData = frame("pData");
    obOutlookBarOptions = frame("obOutlookBarOptions");
    obOutlookBarOptionsTitle = label("obOutlookBarOptionsTitle");
    Panel3 = label("Panel3");
    Image1 = label("Image1");
    for (int i = 0; i < 3; ++i)
        obOutlookBarOptionsButtons[std::size_t(i)]
            = Child<QToolButton>(window, QStringLiteral("obOutlookBarOptionsButton%1").arg(i));
    Notebook1 = Child<QStackedWidget>(window, QStringLiteral("Notebook1"));
    slSearchListSelectFiles = Child<QTableView>(window, QStringLiteral("slSearchListSelectFiles"));
    pStatusResult = frame("pStatusResult");
    bbSaveResult = button("bbSaveResult");
    pProgressMessage = label("pProgressMessage");
    pRunScope = label("pRunScope");
    pRunSummary = label("pRunSummary");
    cbListFilter = Child<QComboBox>(window, QStringLiteral("cbListFilter"));
    pRunFileCount = label("pRunFileCount");
    Image2 = label("Image2");
    ProgressBar1 = Child<QProgressBar>(window, QStringLiteral("ProgressBar1"));
    vleUnits = Child<TPairsGrid>(window, QStringLiteral("vleUnits"));
    rgRadioGroupFileExtension = Child<QGroupBox>(window, QStringLiteral("rgRadioGroupFileExtension"));
    for (int i = 0; i < int(rgRadioGroupFileExtensionItems.size()); ++i)
        rgRadioGroupFileExtensionItems[std::size_t(i)]
            = Child<QRadioButton>(window, QStringLiteral("rgRadioGroupFileExtensionItem%1").arg(i));
    stStaticTextFileExtension = label("stStaticTextFileExtension");
    cbCheckBoxBackupFiles = Child<QCheckBox>(window, QStringLiteral("cbCheckBoxBackupFiles"));
    cbCheckBoxSimulate = Child<QCheckBox>(window, QStringLiteral("cbCheckBoxSimulate"));
    ldLabeledEditFileMaskLabel = label("ldLabeledEditFileMaskLabel");
    ldLabeledEditFileMask = Child<QLineEdit>(window, QStringLiteral("ldLabeledEditFileMask"));
    bbLanguageDefault = button("bbLanguageDefault");
    rgRadioGroupScope = Child<QGroupBox>(window, QStringLiteral("rgRadioGroupScope"));
    for (int i = 0; i < 3; ++i)
        rgRadioGroupScopeItems[std::size_t(i)]
            = Child<QRadioButton>(window, QStringLiteral("rgRadioGroupScopeItem%1").arg(i));
    sbStatusBarVersion = label("sbStatusBarVersion");
    sbStatusBarHint = label("sbStatusBarHint");
    pLanguageDefault = frame("pLanguageDefault");
    pLanguageCaptionTitle = label("pLanguageCaptionTitle");
    pLanguageHintTitle = label("pLanguageHintTitle");
    ValueListEditor1 = table("ValueListEditor1");
    ValueListEditor2 = table("ValueListEditor2");
    bbApply = button("bbApply");
    bbCancel = button("bbCancel");
    pViewResult = frame("pViewResult");
    pViewResultTitle = label("pViewResultTitle");
    stScopeResult = label("stScopeResult");
    stMissedResult = label("stMissedResult");
    stChangedLines = label("stChangedLines");
    vleUnitsResult = table("vleUnitsResult");
    vleMissedResult = table("vleMissedResult");
    memChangedLines = Child<QTextBrowser>(window, QStringLiteral("memChangedLines"));
    bbOk = button("bbOk");
}
