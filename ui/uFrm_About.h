#pragma once
// The about box: program file, version and kind, shown modally by "&Sobre...".
#include <QDialog>

class QLabel;
class QPushButton;

class TfrmQVAbout : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmQVAbout(QWidget *parent = nullptr);

    QLabel *lblProduto = nullptr;
    QLabel *lblVersao = nullptr;
    QLabel *lblComponente = nullptr;
    QPushButton *bAboutClose = nullptr;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormCreate();
    void bAboutCloseClick();
};
