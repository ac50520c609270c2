#include "ScriptedDialogSeam.h"

namespace qvc {

QStringList TScriptedDialogSeam::OpenFiles(QWidget *, TFileDialogRequest &request)
{
    Calls.push_back({ QStringLiteral("open"), {}, {}, request, request.Directory, {} });
    if (OpenAnswers.empty())
        return {};
    QStringList answer = OpenAnswers.front();
    OpenAnswers.pop_front();
    return answer;
}

std::optional<QString> TScriptedDialogSeam::SaveFile(QWidget *, TFileDialogRequest &request)
{
    Calls.push_back({ QStringLiteral("save"), {}, {}, request, request.Directory, {} });
    if (SaveAnswers.empty())
        return std::nullopt;
    const QString answer = SaveAnswers.front();
    SaveAnswers.pop_front();
    if (answer.isEmpty())
        return std::nullopt;
    return answer;
}

std::optional<QString> TScriptedDialogSeam::BrowseFolder(QWidget *, const QString &title, const QString &directory)
{
    Calls.push_back({ QStringLiteral("folder"), title, {}, {}, directory, {} });
    if (FolderAnswers.empty())
        return std::nullopt;
    const QString answer = FolderAnswers.front();
    FolderAnswers.pop_front();
    if (answer.isEmpty())
        return std::nullopt;
    return answer;
}

TAnswer TScriptedDialogSeam::Question(QWidget *, const QString &caption, const QString &text)
{
    Calls.push_back({ QStringLiteral("question"), text, caption, {}, {}, {} });
    if (QuestionAnswers.empty())
        return TAnswer::Cancel;
    const TAnswer answer = QuestionAnswers.front();
    QuestionAnswers.pop_front();
    return answer;
}

TAnswer TScriptedDialogSeam::YesNo(QWidget *, const QString &caption, const QString &text)
{
    Calls.push_back({ QStringLiteral("yesno"), text, caption, {}, {}, {} });
    if (OnYesNo)
        OnYesNo();
    if (YesNoAnswers.empty())
        return TAnswer::No;
    const TAnswer answer = YesNoAnswers.front();
    YesNoAnswers.pop_front();
    return answer;
}

void TScriptedDialogSeam::ShowError(QWidget *, const QString &text)
{
    Calls.push_back({ QStringLiteral("error"), text, {}, {}, {}, {} });
}

void TScriptedDialogSeam::ShowErrorWithNote(QWidget *, const QString &text, const QString &note)
{
    Calls.push_back({ QStringLiteral("error"), text, {}, {}, {}, note });
}

void TScriptedDialogSeam::ShowMessage(QWidget *, const QString &text)
{
    Calls.push_back({ QStringLiteral("message"), text, {}, {}, {}, {} });
}

int TScriptedDialogSeam::Exec(QDialog *dialog)
{
    Calls.push_back({ QStringLiteral("exec"), dialog->objectName(), dialog->windowTitle(), {}, {}, {} });
    return ExecHandler ? ExecHandler(dialog) : int(QDialog::Rejected);
}

std::vector<TScriptedDialogSeam::TCall> TScriptedDialogSeam::CallsOf(const QString &kind) const
{
    std::vector<TCall> result;
    for (const auto &call : Calls)
        if (call.Kind == kind)
            result.push_back(call);
    return result;
}

} // namespace qvc
