#include "ui/OpenFileDialog.h"

#include <QAbstractItemView>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLineEdit>

TOpenFileDialog::TOpenFileDialog(QWidget *parent)
    : QFileDialog(parent)
{
    setOption(QFileDialog::DontUseNativeDialog, true);
    setAcceptMode(QFileDialog::AcceptOpen);
    SetMultipleFiles(true);
}

void TOpenFileDialog::SetMultipleFiles(bool multiple)
{
    // Only this mode takes a typed name of a file that does not exist (its Open button stays enabled, no
    // "File not found"); several files are then chosen through the views' selection, set after the mode.
    setFileMode(QFileDialog::AnyFile);
    const auto selection = multiple ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection;
    for (auto *view : findChildren<QAbstractItemView *>(QStringLiteral("listView")))
        view->setSelectionMode(selection);
    for (auto *view : findChildren<QAbstractItemView *>(QStringLiteral("treeView")))
        view->setSelectionMode(selection);
}

QLineEdit *TOpenFileDialog::FileNameEdit() const
{
    return findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
}

void TOpenFileDialog::accept()
{
    // What the name field says wins over the views: typing selects the listed files among the typed names, and
    // the dialog would then give those alone, dropping a name that does not exist yet.
    const QLineEdit *edit = FileNameEdit();
    if (edit != nullptr && !edit->text().trimmed().isEmpty()) {
        if (auto *view = findChild<QAbstractItemView *>(QStringLiteral("listView")); view && view->selectionModel())
            view->selectionModel()->clearSelection();
    }
    // Full paths, "pas" (the default suffix) added to a name without an extension.
    const QStringList files = selectedFiles();
    if (files.isEmpty())
        return;
    if (files.size() == 1 && QFileInfo(files.constFirst()).isDir()) {
        // A folder is entered, as the dialog itself does.
        QFileDialog::accept();
        return;
    }
    m_chosen = files;
    // QFileDialog::accept would judge the names by its own rules again; these are already taken.
    QDialog::accept(); // NOLINT(bugprone-parent-virtual-call)
}
