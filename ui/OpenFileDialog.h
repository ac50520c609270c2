#pragma once
// The open dialogs ("Adicionar Arquivo", "Abrir Repositório"): Qt's own file dialog (not the platform's), in
// which several files can be chosen at once and a typed name is taken also when no such file exists (the default
// suffix added to a name without an extension). No mode of QFileDialog does both; its acceptance step is
// overridden here.
#include <QFileDialog>
#include <QStringList>

class QLineEdit;

class TOpenFileDialog : public QFileDialog
{
    Q_OBJECT
public:
    explicit TOpenFileDialog(QWidget *parent = nullptr);

    /// Several files (true, the default) or one.
    void SetMultipleFiles(bool multiple);
    /// The name field the user types into.
    QLineEdit *FileNameEdit() const;
    /// The names chosen by the last accept, full paths, in the order the dialog gives them.
    const QStringList &ChosenFiles() const { return m_chosen; }

    void accept() override;

private:
    QStringList m_chosen;
};
