#pragma once
// Every dialog and message box of the window goes through this seam: the Qt one shows real dialogs; tests put
// one in its place that answers from a queue, so they never wait on a modal window.
#include <QString>
#include <QStringList>
#include <optional>

class QDialog;
class QWidget;
class TOpenFileDialog;

namespace qvc {

struct TFileDialogRequest
{
    QString Title;
    QString Directory; ///< initial folder, empty for the dialog's own default
    QString FileName; ///< preset file name (may hold a folder part)
    QString Filter; ///< "description|pattern|description|pattern..."
    int FilterIndex = 0; ///< 0-based entry selected; written back with the user's choice
    QString DefaultSuffix; ///< added to a typed name without an extension
    bool ConfirmOverwrite = false;
    bool MultipleFiles = false;
};

enum class TAnswer { Yes, No, Cancel, Ok };

class TDialogSeam
{
public:
    virtual ~TDialogSeam() = default;
    /// Open dialog: the chosen names, empty when cancelled.
    virtual QStringList OpenFiles(QWidget *parent, TFileDialogRequest &request) = 0;
    /// Save dialog: the chosen name, nothing when cancelled.
    virtual std::optional<QString> SaveFile(QWidget *parent, TFileDialogRequest &request) = 0;
    /// Folder picker: the chosen folder, nothing when cancelled.
    virtual std::optional<QString> BrowseFolder(QWidget *parent, const QString &title, const QString &directory) = 0;
    /// Yes / No / Cancel question with the question icon.
    virtual TAnswer Question(QWidget *parent, const QString &caption, const QString &text) = 0;
    /// Yes / No question with the question icon ("Sim" / "Não"); No is the default and Escape's answer.
    virtual TAnswer YesNo(QWidget *parent, const QString &caption, const QString &text) = 0;
    /// The standard error box with an error's text.
    virtual void ShowError(QWidget *parent, const QString &text) = 0;
    /// The standard error box with an error's text and, under it, what the porter should know about it.
    virtual void ShowErrorWithNote(QWidget *parent, const QString &text, const QString &note) = 0;
    /// A plain message box.
    virtual void ShowMessage(QWidget *parent, const QString &text) = 0;
    /// Shows a modal dialog and returns its result code.
    virtual int Exec(QDialog *dialog) = 0;
};

/// Sets up the open dialog for a request: title, folder, file types, default suffix, preset name, one or
/// several files.
void PrepareOpenDialog(TOpenFileDialog &dialog, const TFileDialogRequest &request);

/// The real dialogs of the platform.
class TQtDialogSeam : public TDialogSeam
{
public:
    QStringList OpenFiles(QWidget *parent, TFileDialogRequest &request) override;
    std::optional<QString> SaveFile(QWidget *parent, TFileDialogRequest &request) override;
    std::optional<QString> BrowseFolder(QWidget *parent, const QString &title, const QString &directory) override;
    TAnswer Question(QWidget *parent, const QString &caption, const QString &text) override;
    TAnswer YesNo(QWidget *parent, const QString &caption, const QString &text) override;
    void ShowError(QWidget *parent, const QString &text) override;
    void ShowErrorWithNote(QWidget *parent, const QString &text, const QString &note) override;
    void ShowMessage(QWidget *parent, const QString &text) override;
    int Exec(QDialog *dialog) override;
};

} // namespace qvc
