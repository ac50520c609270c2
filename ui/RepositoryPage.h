#pragma once
// Page 1, "Repositório de Dados": the pairs grid `vleUnits` over the substitution repository, the rename group
// `rgRadioGroupFileExtension`, the repository commands (Tags 4 to 9) and the question asked before unsaved
// pairs are closed.
#include "repository/SubstitutionRepository.h"
#include "ui/DialogSeam.h"

#include <QWidget>
#include <array>
#include <string>

class QAction;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QRadioButton;
class TPairsGrid;
class TRepositoryModel;

namespace qvc {

class TRunLock;
struct TTextTargets;

class TRepositoryPage : public QWidget
{
    Q_OBJECT
public:
    /// `defaultBase` names the default repository (its ".dat"); `saveDialog` is the window's save dialog, which
    /// keeps its state between uses.
    TRepositoryPage(TDialogSeam &dialogs, const TRunLock &lock, TFileDialogRequest &saveDialog,
        const std::string &defaultBase, QWidget *parent);

    void InsertLine(); ///< Tag 4
    void DeleteLines(); ///< Tag 5
    void OpenRepositoryData(); ///< Tag 6
    void CopyRepositoryData(); ///< Tag 7
    void NewRepositoryData(); ///< Tag 8
    void SaveRepositoryData(); ///< Tag 9
    /// Reads a repository file (the Open command, and the settings at start-up) and shows its lines, RenameMode
    /// and the title; a missing file changes nothing. Returns false when the file could not be read (shown).
    bool OpenRepositoryFile(const QString &path);
    /// Before the window closes with unsaved pairs: asks whether to save them; true when the window may close.
    bool CloseQuery();
    /// The Form text changed: the title follows it where it names an existing repository file.
    void FormTextChanged();

    TSubstitutionRepository &Repository() { return m_repository; }
    TRepositoryModel &Model() { return *m_model; }

    /// The Captions and Hints keys of the page's controls, the title text and the close question's texts.
    void AddTextTargets(TTextTargets &targets);

Q_SIGNALS:
    /// A command wants this page shown.
    void PageWanted();
    /// The lines, the RenameMode or RepositoryModified changed: the commands' enabled states may follow.
    void StateChanged();
    /// The window's title: the Form text, with the repository's file name when one is open.
    void TitleChanged(const QString &title);

private:
    enum class TSaveOutcome { Saved, Cancelled, Failed };
    void CreateControls();
    void ShowRenameMode();
    void ShowRepositoryTitle();
    /// Before a save: when pairs would erase what they find, asks whether to save them so; true to go on.
    bool ConfirmErasingPairs();
    bool WriteRepositoryAs(const QString &path);
    /// Ctrl+Z (`back`) or Ctrl+Shift+Z on the grid or a rename item: one step of the edit history.
    void StepHistory(bool back);
    TSaveOutcome RunSaveRepositoryData();
    QString CloseQuestionText() const;
    void CharacterKeyPressed();
    void RenameItemToggled(int index);
    void RenameGroupEntered();

    TDialogSeam &m_dialogs;
    const TRunLock &m_lock;
    TFileDialogRequest &m_saveDialog; ///< `sdSaveRepositoryData`
    TSubstitutionRepository m_repository;
    TRepositoryModel *m_model = nullptr;
    bool m_showingRenameMode = false;

    TPairsGrid *vleUnits = nullptr;
    QGroupBox *rgRadioGroupFileExtension = nullptr;
    QButtonGroup *rgRadioGroupFileExtensionButtons = nullptr;
    std::array<QRadioButton *, qvc::kRenameModes.size()> rgRadioGroupFileExtensionItems {};
    QLabel *stStaticTextFileExtension = nullptr;
    QAction *actUndoPairs = nullptr;
    QAction *actRedoPairs = nullptr;
};

} // namespace qvc
