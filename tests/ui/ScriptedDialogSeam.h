#pragma once
// The dialog seam of the window tests: answers from queues filled by a test and records every request.
#include "ui/DialogSeam.h"

#include <QDialog>
#include <deque>
#include <functional>
#include <vector>

namespace qvc {

/// Answers from queues filled by a test and records every request.
class TScriptedDialogSeam : public TDialogSeam
{
public:
    struct TCall
    {
        QString Kind; ///< "open", "save", "folder", "question", "yesno", "error", "message", "exec"
        QString Text; ///< message text, question text or folder picker title
        QString Caption;
        TFileDialogRequest Request;
        QString Directory;
        QString Note; ///< an error box's note under its text
    };

    std::deque<QStringList> OpenAnswers;
    std::deque<QString> SaveAnswers; ///< an empty name cancels the dialog
    std::deque<QString> FolderAnswers; ///< an empty name cancels the picker
    std::deque<TAnswer> QuestionAnswers;
    std::deque<TAnswer> YesNoAnswers; ///< No when empty
    /// Called when a Yes / No question is asked, before it is answered (a test acts "while the box is open").
    std::function<void()> OnYesNo;
    /// Called for a modal dialog; returns its result code (rejected when unset).
    std::function<int(QDialog *)> ExecHandler;
    std::vector<TCall> Calls;

    QStringList OpenFiles(QWidget *parent, TFileDialogRequest &request) override;
    std::optional<QString> SaveFile(QWidget *parent, TFileDialogRequest &request) override;
    std::optional<QString> BrowseFolder(QWidget *parent, const QString &title, const QString &directory) override;
    TAnswer Question(QWidget *parent, const QString &caption, const QString &text) override;
    TAnswer YesNo(QWidget *parent, const QString &caption, const QString &text) override;
    void ShowError(QWidget *parent, const QString &text) override;
    void ShowErrorWithNote(QWidget *parent, const QString &text, const QString &note) override;
    void ShowMessage(QWidget *parent, const QString &text) override;
    int Exec(QDialog *dialog) override;

    /// The calls of one kind, in order.
    std::vector<TCall> CallsOf(const QString &kind) const;
};

} // namespace qvc
