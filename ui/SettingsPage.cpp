#include "ui/SettingsPage.h"

#include "ui/Artwork.h"
#include "ui/HintText.h"
#include "ui/KeyTexts.h"
#include "ui/ScopeTexts.h"
#include "ui/TextTargets.h"

#include "settings/SettingsKeys.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
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
    ldLabeledEditFileMask = new QLineEdit(ToQ(std::string(kDefaultFileMask)), this);
    ldLabeledEditFileMask->setObjectName(QStringLiteral("ldLabeledEditFileMask"));
    SetHint(ldLabeledEditFileMask, HintText("LabeledEditFileMask"));
    SetHint(ldLabeledEditFileMaskLabel, HintOf(ldLabeledEditFileMask));
    ldLabeledEditFileMaskLabel->setBuddy(ldLabeledEditFileMask);
    ldLabeledEditFileMask->installEventFilter(this);
    layout->addWidget(ldLabeledEditFileMask);
    layout->addSpacing(8);
    // Fixed texts: the group has no Captions or Hints keys, so the settings file keeps its keys as they are.
    rgRadioGroupScope = new QGroupBox(ScopeGroupCaption(), this);
    rgRadioGroupScope->setObjectName(QStringLiteral("rgRadioGroupScope"));
    SetHint(rgRadioGroupScope, ScopeGroupHint());
    auto *scopeLayout = new QVBoxLayout(rgRadioGroupScope);
    scopeLayout->setSpacing(2);
    rgRadioGroupScopeButtons = new QButtonGroup(this);
    rgRadioGroupScopeButtons->setObjectName(QStringLiteral("rgRadioGroupScopeButtons"));
    for (const TScope scope : { TScope::All, TScope::Code, TScope::Uses }) {
        const auto index = static_cast<std::size_t>(scope);
        auto *radio = new QRadioButton(ScopeChoiceCaption(scope), rgRadioGroupScope);
        radio->setObjectName(QStringLiteral("rgRadioGroupScopeItem%1").arg(index));
        SetHint(radio, ScopeChoiceHint(scope));
        rgRadioGroupScopeButtons->addButton(radio, int(index));
        rgRadioGroupScopeItems[index] = radio;
        scopeLayout->addWidget(radio);
    }
    rgRadioGroupScopeItems[std::size_t(TScope::All)]->setChecked(true);
    layout->addWidget(rgRadioGroupScope);
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

TScope TSettingsPage::ScopeChoice() const
{
    switch (rgRadioGroupScopeButtons->checkedId()) {
    case int(TScope::Code):
        return TScope::Code;
    case int(TScope::Uses):
        return TScope::Uses;
    default:
        return TScope::All;
    }
}

void TSettingsPage::SetScopeChoice(TScope scope)
{
    rgRadioGroupScopeItems[static_cast<std::size_t>(scope)]->setChecked(true);
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
