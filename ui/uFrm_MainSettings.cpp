// The settings file (LoadSettings, SaveSettings) and the interface language editor.
#include "ui/ErrorText.h"
#include "ui/HintText.h"
#include "ui/SettingsTargets.h"
#include "ui/TextBridge.h"
#include "ui/uFrm_Main.h"

#include "common/FileIO.h"
#include "repository/SubstitutionRepository.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsLocation.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <exception>
#include <string>
#include <utility>
#include <vector>

using namespace qvc;

namespace {

// One section's rows shown in a language grid: the key fixed, the value edited in place.
void FillLanguageGrid(QTableWidget *grid, const std::vector<std::pair<std::string, std::string>> &rows)
{
    grid->setRowCount(0);
    grid->setRowCount(int(rows.size()));
    for (int row = 0; row < int(rows.size()); ++row) {
        auto *key = new QTableWidgetItem(ToQ(rows[std::size_t(row)].first));
        key->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        grid->setItem(row, 0, key);
        auto *value = new QTableWidgetItem(ToQ(rows[std::size_t(row)].second));
        value->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        grid->setItem(row, 1, value);
    }
}

std::vector<std::pair<std::string, std::string>> LanguageGridRows(QTableWidget *grid)
{
    // A value still in its cell editor is taken into the grid first (Apply by its access key keeps the focus there).
    grid->setCurrentIndex(QModelIndex());
    std::vector<std::pair<std::string, std::string>> rows;
    for (int row = 0; row < grid->rowCount(); ++row) {
        const QTableWidgetItem *key = grid->item(row, 0);
        const QTableWidgetItem *value = grid->item(row, 1);
        rows.emplace_back(FromQ(key ? key->text() : QString()), FromQ(value ? value->text() : QString()));
    }
    return rows;
}

} // namespace

QString Tfrm_Main::SettingsFileName() const
{
    return PathToQ(qvc::SettingsFileName(PathFromQ(m_settingsBase)));
}

QString Tfrm_Main::SettingsBaseFor(const QString &executablePath)
{
    const qvc::TSettingsEnvironment environment { PathFromQ(qEnvironmentVariable("XDG_CONFIG_HOME")),
        PathFromQ(qEnvironmentVariable("HOME")) };
    const auto exists = [](const std::string &path) { return QFileInfo::exists(PathToQ(path)); };
    const QString base = PathToQ(qvc::SettingsBasePath(PathFromQ(executablePath), exists, environment));
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
        WriteFileReplacing(PathFromQ(GeometryFileName()), (saveGeometry().toBase64() + '\n').toStdString());
    } catch (const std::exception &) {
        // The next start opens at the design size; nothing else depends on the file.
    }
}

void Tfrm_Main::CreateSettingsHandlers()
{
    connect(bbLanguageDefault, &QPushButton::clicked, this, [this] { bbLanguageDefaultClick(); });
}

void Tfrm_Main::LoadSettings()
{
    LoadSettingsAndRepository();
}

bool Tfrm_Main::LoadSettingsAndRepository()
{
    const std::string fileName = PathFromQ(SettingsFileName());
    try {
        const TProfileFile profile(fileName);
        if (!profile.Existed()) {
            // First start (or a file that cannot be read, which the save below refuses to replace): the defaults,
            // then a file with every key. The version panel keeps its text; the captions and hints keep theirs.
            JvSearchFiles1.SetRootDirectory({});
            ldLabeledEditFileMask->setText(ToQ(std::string(kSettingsDefaultMask)));
            m_repository.AssignRepositoryFileName({});
            cbCheckBoxBackupFiles->setChecked(false);
            m_repository.SetWindowTitleText(std::string(InitialCaption("Form")));
            VersionLabelText = ToQ(std::string(InitialCaption("StatusBar")));
            SaveSettings();
        } else {
            const TSettingsValues values = ReadSettingsValues(profile, cbCheckBoxSimulate->isChecked());
            JvSearchFiles1.SetRootDirectory(values.Path);
            // Like every value of the file, the mask is Windows-1252 text.
            ldLabeledEditFileMask->setText(ToQ(values.Mask));
            m_repository.AssignRepositoryFileName(values.DATFile);
            cbCheckBoxBackupFiles->setChecked(values.BackupFiles);
            cbCheckBoxSimulate->setChecked(values.SimulateFiles);
            ApplyLanguage(profile);
        }
        ApplyFileMask();
    } catch (const std::exception &e) {
        m_dialogs->ShowMessage(this, ErrorText(e));
    }
    // Also after an error: the repository named so far is opened.
    return OpenRepositoryFile(PathToQ(m_repository.RepositoryFileName()));
}

void Tfrm_Main::ApplyLanguage(const TProfileFile &profile)
{
    const std::vector<TTextTarget> captions = CaptionTargets(*this);
    for (std::string_view key : kCaptionReadOrder) {
        const TTextTarget *target = FindTextTarget(captions, key);
        target->Set(ToQ(ReadCaption(profile, key, FromQ(target->Get()))));
        if (key == "LanguageColumn2") {
            ValueListEditor2->setHorizontalHeaderLabels({ ValueListEditor1->horizontalHeaderItem(0)->text(),
                ValueListEditor1->horizontalHeaderItem(1)->text() });
        }
    }
    const std::vector<TTextTarget> hints = HintTargets(*this);
    for (std::string_view key : kHintReadOrder) {
        const TTextTarget *target = FindTextTarget(hints, key);
        target->Set(ToQ(ReadHint(profile, key, FromQ(target->Get()))));
    }
    SetHint(ldLabeledEditFileMaskLabel, HintOf(ldLabeledEditFileMask));

    sbStatusBarVersion->setText(VersionLabelText + QLatin1Char(' ') + QLatin1String(kProgramVersion));
    ResultTitleText = pViewResultTitle->text();
}

void Tfrm_Main::SaveSettings()
{
    try {
        TProfileFile profile(PathFromQ(SettingsFileName()));
        TSettingsValues values;
        values.Path = JvSearchFiles1.RootDirectory();
        values.Mask = FromQ(ldLabeledEditFileMask->text());
        values.DATFile = m_repository.RepositoryFileExists() ? m_repository.RepositoryFileName() : std::string();
        values.BackupFiles = cbCheckBoxBackupFiles->isChecked();
        values.SimulateFiles = cbCheckBoxSimulate->isChecked();
        const std::vector<TTextTarget> captions = CaptionTargets(*this);
        const std::vector<TTextTarget> hints = HintTargets(*this);
        const auto captionOf = [&](std::string_view key) {
            // The result view's title panel may show a file's name; the base title is what is kept.
            if (key == "ViewResultTitle")
                return FromQ(ResultTitleText);
            return FromQ(FindTextTarget(captions, key)->Get());
        };
        const auto hintOf = [&](std::string_view key) { return FromQ(FindTextTarget(hints, key)->Get()); };
        WriteSettings(profile, values, captionOf, hintOf);
        profile.Commit();
    } catch (const std::exception &e) {
        m_dialogs->ShowMessage(this, ErrorText(e));
    }
}

void Tfrm_Main::bbLanguageDefaultClick()
{
    if (IsRunning())
        return;
    ValueListEditor1->setRowCount(0);
    ValueListEditor2->setRowCount(0);
    try {
        // A missing file or section gives empty grids.
        const TProfileFile profile(PathFromQ(SettingsFileName()));
        FillLanguageGrid(ValueListEditor1, profile.ReadSectionRows(kCaptionsSection));
        FillLanguageGrid(ValueListEditor2, profile.ReadSectionRows(kHintsSection));
    } catch (const std::exception &e) {
        m_dialogs->ShowMessage(this, ErrorText(e));
    }
    ShowOverlayPanel(pLanguageDefault, true);
    bbCancel->setFocus(Qt::OtherFocusReason);
}

void Tfrm_Main::bbApplyClick()
{
    try {
        TProfileFile profile(PathFromQ(SettingsFileName()));
        profile.WriteSectionRows(kCaptionsSection, LanguageGridRows(ValueListEditor1));
        profile.WriteSectionRows(kHintsSection, LanguageGridRows(ValueListEditor2));
        profile.Commit();
    } catch (const std::exception &e) {
        m_dialogs->ShowMessage(this, ErrorText(e));
        return;
    }
    // Only the texts are taken back from the file: the options, the mask, the folder and the repository stay as
    // the user has them now (the file holds them as they were at the last exit).
    try {
        ApplyLanguage(TProfileFile(PathFromQ(SettingsFileName())));
    } catch (const std::exception &e) {
        m_dialogs->ShowMessage(this, ErrorText(e));
    }
    // The title follows a new Form text where naming the repository would have shown it: with an existing file.
    if (m_repository.RepositoryFileExists()) {
        m_repository.RefreshWindowTitle();
        ShowRepositoryTitle();
    }
    OnClickBitButtons(bbCancel);
}
