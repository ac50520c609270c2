#pragma once
// Page 2, "Configurações": the backup and simulate options, the file mask field, "Onde trocar" (where a run's
// pairs apply) and the button that opens the language editor.
#include "common/Scope.h"

#include <QWidget>
#include <array>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace qvc {

struct TTextTargets;

class TSettingsPage : public QWidget
{
    Q_OBJECT
public:
    explicit TSettingsPage(QWidget *parent);

    bool BackupChecked() const;
    bool SimulateChecked() const;
    void SetBackupChecked(bool checked);
    void SetSimulateChecked(bool checked);
    /// The mask field's text, as typed.
    QString MaskText() const;
    void SetMaskText(const QString &mask);
    /// The "Onde trocar" choice: where the next run's pairs apply.
    TScope ScopeChoice() const;
    void SetScopeChoice(TScope scope);

    /// Gives the focus back to bbLanguageDefault (the language editor closed).
    void FocusLanguageButton();

    /// The Captions and Hints keys of the page's controls.
    void AddTextTargets(TTextTargets &targets);

Q_SIGNALS:
    /// The mask field lost the focus to another control of the window: its text is the new mask.
    void MaskLeft(const QString &mask);
    /// "Editar a limguagem padão..." was clicked (the page never shows during a run).
    void LanguageEditorWanted();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QCheckBox *cbCheckBoxBackupFiles = nullptr;
    QCheckBox *cbCheckBoxSimulate = nullptr;
    QLabel *ldLabeledEditFileMaskLabel = nullptr;
    QLineEdit *ldLabeledEditFileMask = nullptr;
    QGroupBox *rgRadioGroupScope = nullptr;
    QButtonGroup *rgRadioGroupScopeButtons = nullptr; ///< button ids are the TScope values
    std::array<QRadioButton *, 3> rgRadioGroupScopeItems {};
    QPushButton *bbLanguageDefault = nullptr;
};

} // namespace qvc
