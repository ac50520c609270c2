// Start-up and shut-down: the settings file (LoadSettings, SaveSettings) with the window's own file of choices
// beside it, the window's geometry, the close question, and the language editor's texts taken back into the window.
#include "ui/ErrorText.h"
#include "ui/uFrm_Main.h"

#include "ui/ConversionRunner.h"
#include "ui/FileListPage.h"
#include "ui/KeyTexts.h"
#include "ui/LanguageEditor.h"
#include "ui/RepositoryPage.h"
#include "ui/ResultView.h"
#include "ui/SettingsPage.h"
#include "ui/TextBridge.h"
#include "ui/TextTargets.h"

#include "commands/ActionTags.h"
#include "common/FileIO.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsLocation.h"
#include "settings/WindowChoices.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <exception>
#include <string>

using namespace qvc;

namespace {

} // namespace

void Tfrm_Main::FormCreate()
{
    setAcceptDrops(true);
    m_versionLabelText = CaptionText("StatusBar");
    qApp->installEventFilter(this);
    m_hintHandlerInstalled = true;
    obOutlookBarOptionsButtonClick(pageConvertFiles);
    LoadSettings();
    RestoreWindowGeometry();
    OnUpdateAction();
}

Tfrm_Main::~Tfrm_Main()
{
    // A window destroyed without being closed still takes its hint handler away from the application.
    FormClose();
}

bool Tfrm_Main::FormCloseQuery()
{
    return m_repositoryPage->CloseQuery();
}

void Tfrm_Main::FormClose()
{
    if (m_hintHandlerInstalled) {
        qApp->removeEventFilter(this);
        m_hintHandlerInstalled = false;
    }
    m_idleTimer.stop();
}

QString Tfrm_Main::SettingsFileName() const
{
    return PathToQ(qvc::SettingsFileName(PathFromQ(m_settingsBase)));
}

QString Tfrm_Main::SettingsBaseFor(const QString &executablePath)
{
    const qvc::TSettingsEnvironment environment { PathFromQ(qEnvironmentVariable("XDG_CONFIG_HOME")),
        PathFromQ(qEnvironmentVariable("HOME")) };
    const auto exists = [](const std::string &path) { return QFileInfo::exists(PathToQ(path)); };
    QString base = PathToQ(qvc::SettingsBasePath(PathFromQ(executablePath), exists, environment));
    // The folder is made once here; when it cannot be, writing the settings says so as it does beside the program.
    if (base != executablePath)
        QDir().mkpath(PathToQ(qvc::SettingsFolder(PathFromQ(base))));
    return base;
}

QString Tfrm_Main::GeometryFileName() const
{
    const QFileInfo settings(SettingsFileName());
    return settings.path() + QLatin1Char('/') + settings.completeBaseName() + QStringLiteral(".geometry");
}

void Tfrm_Main::RestoreWindowGeometry()
{
    // A small text file of its own: anything in it but what SaveWindowGeometry wrote leaves the design geometry.
    constexpr qint64 kMaxBytes = 4096;
    const QFileInfo info(GeometryFileName());
    if (!info.isFile() || info.size() > kMaxBytes)
        return;
    QFile file(info.filePath());
    if (!file.open(QIODevice::ReadOnly))
        return;
    const auto decoded
        = QByteArray::fromBase64Encoding(file.read(kMaxBytes).trimmed(), QByteArray::AbortOnBase64DecodingErrors);
    if (decoded)
        restoreGeometry(*decoded);
}

void Tfrm_Main::SaveWindowGeometry()
{
    try {
        WriteFileReplacingSynced(PathFromQ(GeometryFileName()), (saveGeometry().toBase64() + '\n').toStdString());
    } catch (const std::exception &) {
        // The next start opens at the design size; nothing else depends on the file.
    }
}

void Tfrm_Main::LoadSettings()
{
    const std::string fileName = PathFromQ(SettingsFileName());
    TSubstitutionRepository &repository = m_repositoryPage->Repository();
    // Before the settings file, so that a first start writes both files with what the window shows.
    m_settingsPage->SetScopeChoice(ReadWindowChoices(WindowChoicesFileName(fileName)).Scope);
    try {
        const TProfileFile profile(fileName);
        if (!profile.Existed()) {
            // First start (or a file that cannot be read, which the save below refuses to replace): the defaults,
            // then a file with every key. The version panel keeps its text; the captions and hints keep theirs.
            m_fileListPage->Search().SetRootDirectory({});
            m_settingsPage->SetMaskText(ToQ(std::string(kDefaultFileMask)));
            repository.AssignRepositoryFileName({});
            m_settingsPage->SetBackupChecked(false);
            repository.SetWindowTitleText(std::string(InitialCaption("Form")));
            m_versionLabelText = CaptionText("StatusBar");
            SaveSettings();
        } else {
            const TSettingsValues values = ReadSettingsValues(profile, m_settingsPage->SimulateChecked());
            m_fileListPage->Search().SetRootDirectory(values.Path);
            // Like every value of the file, the mask is Windows-1252 text.
            m_settingsPage->SetMaskText(ToQ(values.Mask));
            repository.AssignRepositoryFileName(values.DATFile);
            m_settingsPage->SetBackupChecked(values.BackupFiles);
            m_settingsPage->SetSimulateChecked(values.SimulateFiles);
            ApplyLanguage(profile);
        }
        m_fileListPage->ApplyFileMask(m_settingsPage->MaskText());
    } catch (const std::exception &e) {
        m_dialogs->ShowMessage(this, ErrorText(e));
    }
    // Also after an error: the repository named so far is opened.
    m_repositoryPage->OpenRepositoryFile(PathToQ(repository.RepositoryFileName()));
}

void Tfrm_Main::ApplyLanguage(const TProfileFile &profile)
{
    const TTextTargets targets = TextTargets();
    for (std::string_view key : kCaptionReadOrder) {
        const TTextTarget &target = TextTargetOf(targets.Captions, key);
        target.Set(ToQ(ReadCaption(profile, key, FromQ(target.Get()))));
    }
    for (std::string_view key : kHintReadOrder) {
        const TTextTarget &target = TextTargetOf(targets.Hints, key);
        target.Set(ToQ(ReadHint(profile, key, FromQ(target.Get()))));
    }
    sbStatusBarVersion->setText(m_versionLabelText + QLatin1Char(' ') + QLatin1String(kProgramVersion));
}

void Tfrm_Main::SaveSettings()
{
    try {
        TProfileFile profile(PathFromQ(SettingsFileName()));
        const TSubstitutionRepository &repository = m_repositoryPage->Repository();
        TSettingsValues values;
        values.Path = m_fileListPage->Search().RootDirectory();
        values.Mask = FromQ(m_settingsPage->MaskText());
        values.DATFile = repository.RepositoryFileExists() ? repository.RepositoryFileName() : std::string();
        values.BackupFiles = m_settingsPage->BackupChecked();
        values.SimulateFiles = m_settingsPage->SimulateChecked();
        const TTextTargets targets = TextTargets();
        const auto captionOf = [&](std::string_view key) { return FromQ(TextTargetOf(targets.Captions, key).Get()); };
        const auto hintOf = [&](std::string_view key) { return FromQ(TextTargetOf(targets.Hints, key).Get()); };
        WriteSettings(profile, values, captionOf, hintOf);
        profile.Commit();
        // The window's own choices, which the settings file has no keys for, are saved with it. After a settings
        // file that could not be written, one message says so.
        TWindowChoices choices;
        choices.Scope = m_settingsPage->ScopeChoice();
        WriteWindowChoices(WindowChoicesFileName(profile.Path()), choices);
    } catch (const std::exception &e) {
        m_dialogs->ShowMessage(this, ErrorText(e));
    }
}

void Tfrm_Main::OpenLanguageEditor()
{
    m_languageEditor->Load(PathFromQ(SettingsFileName()));
    ShowOverlayPanel(m_languageEditor.get(), true);
    m_languageEditor->FocusCancel();
}

void Tfrm_Main::ApplyLanguageEditor()
{
    // A failed write leaves the editor open with the edits.
    if (!m_languageEditor->Save(PathFromQ(SettingsFileName())))
        return;
    // Only the texts are taken back from the file: the options, the mask, the folder and the repository stay as
    // the user has them now (the file holds them as they were at the last exit).
    try {
        ApplyLanguage(TProfileFile(PathFromQ(SettingsFileName())));
    } catch (const std::exception &e) {
        m_dialogs->ShowMessage(this, ErrorText(e));
    }
    // The title follows a new Form text where naming the repository would have shown it: with an existing file.
    m_repositoryPage->FormTextChanged();
    ShowOverlayPanel(m_languageEditor.get(), false);
    m_settingsPage->FocusLanguageButton();
}
