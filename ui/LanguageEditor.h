#pragma once
// The interface language editor `pLanguageDefault`, an overlay over the work area: the Captions and Hints
// sections of the settings file as two key/value grids, written back by Apply.
#include "ui/DialogSeam.h"

#include <QFrame>
#include <string>

class QLabel;
class QPushButton;
class QTableWidget;

namespace qvc {

struct TTextTargets;

class TLanguageEditor : public QFrame
{
    Q_OBJECT
public:
    TLanguageEditor(TDialogSeam &dialogs, QWidget *parent);

    /// Fills the grids with the Captions and Hints sections of the settings file, in file order (a missing file
    /// or section gives an empty grid).
    void Load(const std::string &settingsFile);
    /// Gives the focus to bbCancel (once the editor shows).
    void FocusCancel();
    /// Writes every row of both grids to the settings file in one write; false (shown) when it failed.
    bool Save(const std::string &settingsFile);

    /// The Captions and Hints keys of the editor's controls.
    void AddTextTargets(TTextTargets &targets);

Q_SIGNALS:
    /// bbApply (Tag 0) was clicked.
    void ApplyClicked();
    /// bbCancel (Tag 1) was clicked.
    void CancelClicked();

private:
    TDialogSeam &m_dialogs;
    QLabel *pLanguageCaptionTitle = nullptr;
    QTableWidget *ValueListEditor1 = nullptr;
    QLabel *pLanguageHintTitle = nullptr;
    QTableWidget *ValueListEditor2 = nullptr;
    QPushButton *bbApply = nullptr;
    QPushButton *bbCancel = nullptr;
};

} // namespace qvc
