// Every error the window shows names a folder "Área de trabalho" and the system's reason correctly, under a
// Brazilian Portuguese and a C locale alike: the program's text, the path and the reason are each decoded
// as what they are, never one in the other's encoding.
#include "UiTestSupport.h"

#include "../SystemFaults.h"
#include "filelist/SearchFiles.h"
#include "ui/ErrorText.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <cerrno>
#include <clocale>
#include <cstring>
#include <sys/stat.h>

using namespace qvc;

namespace {

enum class TPath {
    OpenRepository,
    SaveRepository,
    SettingsUnwritable,
    SettingsUnreadable,
    RunWriteFailure,
    ReportSave,
    FolderScan,
    LanguageApply,
    Undo,
    FailedRowTooltip,
};

const char *const kFolder = "\xC3\x81rea de trabalho"; // "Área de trabalho" in UTF-8

} // namespace

Q_DECLARE_METATYPE(TPath)

class ErrorTextTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();
    void eachPartIsDecodedAsWhatItIs_data();
    void eachPartIsDecodedAsWhatItIs();
    void everyErrorPathShowsPathAndReason_data();
    void everyErrorPathShowsPathAndReason();

private:
    // Switches the process to `locale` (LANGUAGE too, which the C library's messages follow); false when the
    // system lacks it or its translated messages.
    static bool UseLocale(const QByteArray &locale);
    template <class T> T *Find(const char *name)
    {
        T *found = m_fixture->Main().findChild<T *>(QLatin1String(name));
        if (found == nullptr)
            qFatal("no %s", name);
        return found;
    }
    void Trigger(const char *action);
    QString File(const QString &name, const QByteArray &bytes) { return m_fixture->WriteFile(name, bytes); }
    void OpenRepository(const QString &path);
    void AddFile(const QString &path);
    QString SettingsFile() const;
    // The text of the one error or message box shown since the scripted dialogs were last cleared.
    QString ShownText();

    QTemporaryDir m_base;
    QByteArray m_savedTmp;
    TWindowFixture *m_fixture = nullptr;
};

bool ErrorTextTest::UseLocale(const QByteArray &locale)
{
    if (std::setlocale(LC_ALL, locale.constData()) == nullptr)
        return false;
    if (locale.startsWith("pt_BR")) {
        qputenv("LANGUAGE", "pt_BR");
        return std::strcmp(std::strerror(EACCES), "Permiss\xC3\xA3o negada") == 0;
    }
    qunsetenv("LANGUAGE");
    return true;
}

void ErrorTextTest::initTestCase()
{
    // Every fixture folder lies inside "Área de trabalho": the window's files all have a non-ASCII path.
    QVERIFY(m_base.isValid());
    const QString folder = m_base.path() + QLatin1Char('/') + QString::fromUtf8(kFolder);
    QVERIFY(QDir().mkpath(folder));
    m_savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(folder));
}

void ErrorTextTest::cleanupTestCase()
{
    if (m_savedTmp.isEmpty())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", m_savedTmp);
}

void ErrorTextTest::init()
{
    m_fixture = new TWindowFixture;
    QVERIFY(m_fixture->Dir().contains(QString::fromUtf8(kFolder)));
    qputenv("XDG_STATE_HOME", QFile::encodeName(m_fixture->Dir() + QStringLiteral("/state")));
}

void ErrorTextTest::cleanup()
{
    delete m_fixture;
    m_fixture = nullptr;
    std::setlocale(LC_ALL, "C.UTF-8");
    qunsetenv("LANGUAGE");
}

void ErrorTextTest::Trigger(const char *action)
{
    SettleEvents();
    QAction *found = Find<QAction>(action);
    QVERIFY2(found->isEnabled(), action);
    found->trigger();
    m_fixture->Window().WaitForRunEnd();
    m_fixture->Window().WaitForScanEnd();
}

void ErrorTextTest::OpenRepository(const QString &path)
{
    m_fixture->Dialogs.OpenAnswers.push_back({ path });
    Trigger("actOpenRepositoryData");
}

void ErrorTextTest::AddFile(const QString &path)
{
    m_fixture->Dialogs.OpenAnswers.push_back({ path });
    Trigger("actAddFile");
}

QString ErrorTextTest::SettingsFile() const
{
    QDirIterator it(m_fixture->Dir(), { QStringLiteral("*.ini") }, QDir::Files, QDirIterator::Subdirectories);
    return it.hasNext() ? it.next() : QString();
}

QString ErrorTextTest::ShownText()
{
    QStringList texts;
    for (const auto &call : m_fixture->Dialogs.Calls)
        if (call.Kind == QLatin1String("error") || call.Kind == QLatin1String("message"))
            texts << call.Text;
    return texts.size() == 1 ? texts.constFirst()
                             : QStringLiteral("<%1 boxes: %2>").arg(texts.size()).arg(texts.join('|'));
}

void ErrorTextTest::eachPartIsDecodedAsWhatItIs_data()
{
    QTest::addColumn<QByteArray>("locale");
    QTest::addColumn<int>("reason");
    QTest::addColumn<QString>("expected");
    const QString path = QStringLiteral("/home/ana/%1/Unit1.pas").arg(QString::fromUtf8(kFolder));
    QTest::newRow("pt_BR")
        << QByteArray("pt_BR.UTF-8") << EACCES
        << QStringLiteral("A busca parou: não foi possível ler o diretório \"%1\". Permissão negada").arg(path);
    QTest::newRow("C") << QByteArray("C.UTF-8") << ENOENT
                       << QStringLiteral(
                              "A busca parou: não foi possível ler o diretório \"%1\". No such file or directory")
                              .arg(path);
}

void ErrorTextTest::eachPartIsDecodedAsWhatItIs()
{
    QFETCH(QByteArray, locale);
    QFETCH(int, reason);
    QFETCH(QString, expected);
    if (!UseLocale(locale))
        QSKIP("skipped: the locale or its translated system messages (libc-l10n) are missing");
    const TMessage message(
        kCannotReadFolder, { PathArg(std::string("/home/ana/") + kFolder + "/Unit1.pas"), ReasonArg(reason) });
    QCOMPARE(ErrorText(message), expected);
    QCOMPARE(ErrorText(TError(message, {}, {})), expected);
}

void ErrorTextTest::everyErrorPathShowsPathAndReason_data()
{
    QTest::addColumn<TPath>("path");
    QTest::addColumn<QByteArray>("locale");
    // The reason a row expects under its locale; the test knows both words itself.
    QTest::addColumn<QString>("reason");
    const struct
    {
        const char *name;
        TPath path;
        int reason; // errno, 0 for a row whose message carries no system reason
    } paths[] = {
        { "open repository", TPath::OpenRepository, 0 },
        { "save repository", TPath::SaveRepository, EACCES },
        { "settings unwritable", TPath::SettingsUnwritable, 0 },
        { "settings unreadable", TPath::SettingsUnreadable, 0 },
        { "run stops on a write failure", TPath::RunWriteFailure, EACCES },
        { "report save", TPath::ReportSave, EACCES },
        { "folder scan", TPath::FolderScan, ENOENT },
        { "language editor apply", TPath::LanguageApply, 0 },
        { "undo", TPath::Undo, EACCES },
        { "failed row tooltip", TPath::FailedRowTooltip, ENOENT },
    };
    for (const auto &row : paths) {
        const QString pt = row.reason == EACCES ? QStringLiteral("Permissão negada")
            : row.reason == ENOENT              ? QStringLiteral("Arquivo ou diretório inexistente")
                                                : QString();
        const QString c = row.reason == EACCES ? QStringLiteral("Permission denied")
            : row.reason == ENOENT             ? QStringLiteral("No such file or directory")
                                               : QString();
        QTest::addRow("%s, pt_BR", row.name) << row.path << QByteArray("pt_BR.UTF-8") << pt;
        QTest::addRow("%s, C", row.name) << row.path << QByteArray("C.UTF-8") << c;
    }
}

void ErrorTextTest::everyErrorPathShowsPathAndReason()
{
    QFETCH(TPath, path);
    QFETCH(QByteArray, locale);
    QFETCH(QString, reason);
    if (!UseLocale(locale))
        QSKIP("skipped: the locale or its translated system messages (libc-l10n) are missing");
    const QString dir = m_fixture->Dir();
    const QString unit = dir + QStringLiteral("/Unit1.pas");
    const QString pairs = File(QStringLiteral("pares.dat"), "Forms=QForms\r\n");
    m_fixture->Create();
    SettleEvents();
    m_fixture->Dialogs.Calls.clear();

    QString expected;
    switch (path) {
    case TPath::OpenRepository: {
        const QString pipe = dir + QStringLiteral("/fila.dat");
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        OpenRepository(pipe);
        // The message keeps its fixed English words; the program's own reason is Portuguese in the window.
        expected = QStringLiteral("Cannot open file \"%1\". Não é um arquivo comum").arg(pipe);
        break;
    }
    case TPath::SaveRepository: {
        OpenRepository(pairs);
        Trigger("actInsertLine");
        TFaultScope fault(1, EACCES, TSysCall::Create);
        m_fixture->Dialogs.SaveAnswers.push_back(pairs);
        Trigger("actSaveRepositoryData");
        expected = QStringLiteral("Cannot create file \"%1\". %2").arg(pairs, reason);
        break;
    }
    case TPath::SettingsUnwritable: {
        const QString settings = SettingsFile();
        QVERIFY(!settings.isEmpty());
        TFaultScope fault(1, EACCES, TSysCall::Create);
        m_fixture->Destroy();
        expected = QStringLiteral("Unable to write to %1").arg(settings);
        break;
    }
    case TPath::SettingsUnreadable: {
        // A folder where the settings file should be: read as empty, and never replaced.
        const QString settings = SettingsFile();
        QVERIFY(QFile::remove(settings));
        QVERIFY(QDir().mkdir(settings));
        m_fixture->Destroy();
        expected = QStringLiteral("Unable to write to %1").arg(settings);
        break;
    }
    case TPath::RunWriteFailure: {
        File(QStringLiteral("Unit1.pas"), "uses Forms;\r\n");
        QCOMPARE(::chmod(QFile::encodeName(unit).constData(), 0444), 0);
        AddFile(unit);
        OpenRepository(pairs);
        Trigger("actExecuteConversion");
        expected = QStringLiteral("Cannot create file \"%1\". %2").arg(unit, reason);
        break;
    }
    case TPath::ReportSave: {
        File(QStringLiteral("Unit1.pas"), "uses Forms;\r\n");
        AddFile(unit);
        OpenRepository(pairs);
        Trigger("actExecuteConversion");
        const QString report = dir + QStringLiteral("/relatório.txt");
        m_fixture->Dialogs.SaveAnswers.push_back(report);
        TFaultScope fault(1, EACCES, TSysCall::Create);
        SettleEvents();
        QPushButton *save = Find<QPushButton>("bbSaveResult");
        QVERIFY(save->isEnabled());
        save->click();
        expected = QStringLiteral("Cannot create file \"%1\". %2").arg(report, reason);
        break;
    }
    case TPath::FolderScan: {
        const QString missing = dir + QStringLiteral("/não existe");
        m_fixture->Dialogs.FolderAnswers.push_back(missing);
        Trigger("actScanSubDirectory");
        expected = QStringLiteral("A busca parou: não foi possível ler o diretório \"%1\". %2").arg(missing, reason);
        break;
    }
    case TPath::LanguageApply: {
        const QString settings = SettingsFile();
        QVERIFY(!settings.isEmpty());
        Find<QPushButton>("bbLanguageDefault")->click();
        TFaultScope fault(1, EACCES, TSysCall::Create);
        Find<QPushButton>("bbApply")->click();
        expected = QStringLiteral("Unable to write to %1").arg(settings);
        break;
    }
    case TPath::Undo: {
        File(QStringLiteral("Unit1.pas"), "uses Forms;\r\n");
        AddFile(unit);
        OpenRepository(pairs);
        Find<QCheckBox>("cbCheckBoxBackupFiles")->setChecked(true);
        Trigger("actExecuteConversion");
        QCOMPARE(ShownText(), QStringLiteral("<0 boxes: >"));
        // The run list opens with the last run chosen.
        m_fixture->Dialogs.ExecHandler = [](QDialog *dialog) {
            dialog->accept();
            return dialog->result();
        };
        m_fixture->Dialogs.QuestionAnswers.push_back(TAnswer::Yes);
        // The undo's first step: the converted file's name held aside by a new link, before the backup
        // is renamed into its place.
        TFaultScope fault(1, EACCES, TSysCall::Link);
        Trigger("actUndoLastRun");
        expected = QStringLiteral("Cannot create file \"%1\". %2").arg(unit, reason);
        break;
    }
    case TPath::FailedRowTooltip: {
        File(QStringLiteral("Unit1.pas"), "uses Forms;\r\n");
        AddFile(unit);
        QVERIFY(QFile::remove(unit));
        OpenRepository(pairs);
        Trigger("actExecuteConversion");
        QCOMPARE(ShownText(), QStringLiteral("<0 boxes: >"));
        const QAbstractItemModel *model = Find<QTableView>("slSearchListSelectFiles")->model();
        QCOMPARE(model->rowCount(), 1);
        QCOMPARE(model->data(model->index(0, 1), Qt::ToolTipRole).toString(),
            QStringLiteral("Cannot open file \"%1\". %2").arg(unit, reason));
        return;
    }
    }
    QCOMPARE(ShownText(), expected);
}

QTEST_MAIN(ErrorTextTest)
#include "ErrorText_test.moc"
