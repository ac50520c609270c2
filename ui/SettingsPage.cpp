#include "ui/SettingsPage.h"

#include "ui/Artwork.h"
#include "ui/HintText.h"
#include "ui/KeyTexts.h"
#include "ui/TextTargets.h"

#include "settings/SettingsKeys.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qvc {

TSettingsPage::TSettingsPage(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Notebook1Page2"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    cbCheckBoxBackupFiles = new QCheckBox(CaptionText("BackupFiles"), this);
    cbCheckBoxBackupFiles->setObjectName(QStringLiteral("cbCheckBoxBackupFiles"));
    SetHint(cbCheckBoxBackupFiles, HintText("BackupFiles"));
    layout->addWidget(cbCheckBoxBackupFiles);
    cbCheckBoxSimulate = new QCheckBox(CaptionText("SimulateFiles"), this);
    cbCheckBoxSimulate->setObjectName(QStringLiteral("cbCheckBoxSimulate"));
    SetHint(cbCheckBoxSimulate, HintText("SimulateFiles"));
    layout->addWidget(cbCheckBoxSimulate);
    layout->addSpacing(8);
    ldLabeledEditFileMaskLabel = new QLabel(CaptionText("EditMasks"), this);
    ldLabeledEditFileMaskLabel->setObjectName(QStringLiteral("ldLabeledEditFileMaskLabel"));
    layout->addWidget(ldLabeledEditFileMaskLabel);
    ldLabeledEditFileMask = new QLineEdit(ToQ(std::string(kSettingsDefaultMask)), this);
    ldLabeledEditFileMask->setObjectName(QStringLiteral("ldLabeledEditFileMask"));
    SetHint(ldLabeledEditFileMask, HintText("LabeledEditFileMask"));
    SetHint(ldLabeledEditFileMaskLabel, HintOf(ldLabeledEditFileMask));
    ldLabeledEditFileMaskLabel->setBuddy(ldLabeledEditFileMask);
    ldLabeledEditFileMask->installEventFilter(this);
    layout->addWidget(ldLabeledEditFileMask);
    layout->addSpacing(8);
    bbLanguageDefault = new QPushButton(CaptionText("ButtonLanguageDefault"), this);
    bbLanguageDefault->setObjectName(QStringLiteral("bbLanguageDefault"));
    SetHint(bbLanguageDefault, HintText("ButtonLanguageDefault"));
    bbLanguageDefault->setIcon(CommandPicture(3));
    connect(bbLanguageDefault, &QPushButton::clicked, this, &TSettingsPage::LanguageEditorWanted);
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addWidget(bbLanguageDefault);
    buttonRow->addStretch(1);
    layout->addLayout(buttonRow);
    layout->addStretch(1);
    setFocusProxy(cbCheckBoxBackupFiles);
}

void TSettingsPage::AddTextTargets(TTextTargets &targets)
{
    targets.Captions.push_back(TextOf("BackupFiles", cbCheckBoxBackupFiles));
    targets.Captions.push_back(TextOf("SimulateFiles", cbCheckBoxSimulate));
    targets.Captions.push_back(TextOf("EditMasks", ldLabeledEditFileMaskLabel));
    targets.Captions.push_back(TextOf("ButtonLanguageDefault", bbLanguageDefault));
    targets.Hints.push_back(HintTargetOf("ButtonLanguageDefault", static_cast<QWidget *>(bbLanguageDefault)));
    targets.Hints.push_back(HintTargetOf("BackupFiles", static_cast<QWidget *>(cbCheckBoxBackupFiles)));
    targets.Hints.push_back(HintTargetOf("SimulateFiles", static_cast<QWidget *>(cbCheckBoxSimulate)));
    // The label shows the field's hint, whichever of the two the settings give.
    targets.Hints.push_back({ "LabeledEditFileMask", [this] { return HintOf(ldLabeledEditFileMask); },
        [this](const QString &hint) {
            SetHint(ldLabeledEditFileMask, hint);
            SetHint(ldLabeledEditFileMaskLabel, hint);
        } });
}

bool TSettingsPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ldLabeledEditFileMask && event->type() == QEvent::FocusOut) {
        // Only a move to another control of the window counts: a dialog or menu taking the focus for a
        // moment (the folder picker of a scan started with Ctrl+B, say) leaves the mask as it was.
        switch (static_cast<QFocusEvent *>(event)->reason()) {
        case Qt::ActiveWindowFocusReason:
        case Qt::PopupFocusReason:
        case Qt::MenuBarFocusReason:
            break;
        default:
            Q_EMIT MaskLeft(ldLabeledEditFileMask->text());
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TSettingsPage::FocusLanguageButton()
{
    bbLanguageDefault->setFocus(Qt::OtherFocusReason);
}

bool TSettingsPage::BackupChecked() const
{
    return cbCheckBoxBackupFiles->isChecked();
}

bool TSettingsPage::SimulateChecked() const
{
    return cbCheckBoxSimulate->isChecked();
}

void TSettingsPage::SetBackupChecked(bool checked)
{
    cbCheckBoxBackupFiles->setChecked(checked);
}

void TSettingsPage::SetSimulateChecked(bool checked)
{
    cbCheckBoxSimulate->setChecked(checked);
}

QString TSettingsPage::MaskText() const
{
    return ldLabeledEditFileMask->text();
}

void TSettingsPage::SetMaskText(const QString &mask)
{
    ldLabeledEditFileMask->setText(mask);
}

} // namespace qvc
