#include "ui/DialogSeam.h"

#include "ui/OpenFileDialog.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace qvc {

namespace {

// "description|pattern|..." as Qt name filters ("description (p1 p2)").
QStringList NameFilters(const QString &filter)
{
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        result << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return result;
}

void Prepare(QFileDialog &dialog, const TFileDialogRequest &request)
{
    if (!request.Title.isEmpty())
        dialog.setWindowTitle(request.Title);
    if (!request.Directory.isEmpty())
        dialog.setDirectory(request.Directory);
    const QStringList filters = NameFilters(request.Filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(std::clamp<int>(request.FilterIndex, 0, int(filters.size()) - 1)));
    }
    if (!request.DefaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.DefaultSuffix);
    if (!request.FileName.isEmpty())
        dialog.selectFile(request.FileName);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.ConfirmOverwrite);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setSizeGripEnabled(true);
}

void ReadBack(const QFileDialog &dialog, TFileDialogRequest &request)
{
    const auto index = dialog.nameFilters().indexOf(dialog.selectedNameFilter());
    if (index >= 0)
        request.FilterIndex = int(index);
}

} // namespace

QStringList TQtDialogSeam::OpenFiles(QWidget *parent, TFileDialogRequest &request)
{
    TOpenFileDialog dialog(parent);
    PrepareOpenDialog(dialog, request);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    ReadBack(dialog, request);
    return dialog.ChosenFiles();
}

void PrepareOpenDialog(TOpenFileDialog &dialog, const TFileDialogRequest &request)
{
    dialog.SetMultipleFiles(request.MultipleFiles);
    Prepare(dialog, request);
}

std::optional<QString> TQtDialogSeam::SaveFile(QWidget *parent, TFileDialogRequest &request)
{
    QFileDialog dialog(parent);
    Prepare(dialog, request);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    ReadBack(dialog, request);
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> TQtDialogSeam::BrowseFolder(QWidget *parent, const QString &title, const QString &directory)
{
    QFileDialog dialog(parent, title, directory);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setSizeGripEnabled(true);
    if (!directory.isEmpty())
        dialog.selectFile(directory);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

TAnswer TQtDialogSeam::Question(QWidget *parent, const QString &caption, const QString &text)
{
    const auto button = QMessageBox::question(
        parent, caption, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (button == QMessageBox::Yes)
        return TAnswer::Yes;
    if (button == QMessageBox::No)
        return TAnswer::No;
    return TAnswer::Cancel;
}

TAnswer TQtDialogSeam::YesNo(QWidget *parent, const QString &caption, const QString &text)
{
    const auto button
        = QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    return button == QMessageBox::Yes ? TAnswer::Yes : TAnswer::No;
}

void TQtDialogSeam::ShowError(QWidget *parent, const QString &text)
{
    QMessageBox::critical(parent, QStringLiteral("Erro"), text);
}

void TQtDialogSeam::ShowErrorWithNote(QWidget *parent, const QString &text, const QString &note)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Erro"), text, QMessageBox::Ok, parent);
    box.setInformativeText(note);
    box.exec();
}

void TQtDialogSeam::ShowMessage(QWidget *parent, const QString &text)
{
    QMessageBox::information(parent, QString(), text);
}

int TQtDialogSeam::Exec(QDialog *dialog)
{
    return dialog->exec();
}

} // namespace qvc
