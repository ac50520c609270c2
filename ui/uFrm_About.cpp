#include "ui/uFrm_About.h"

#include "ui/Artwork.h"
#include "ui/HintText.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {

QFont ArialBold8()
{
    QFont font;
    font.setFamilies({ QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans") });
    font.setPointSize(8);
    font.setBold(true);
    return font;
}

} // namespace

TfrmQVAbout::TfrmQVAbout(QWidget *parent)
    : QDialog(parent)
{
    qvc::InitArtwork();
    setObjectName(QStringLiteral("frmQVAbout"));
    setWindowTitle(QStringLiteral("Sobre a aplicação."));
    setFixedSize(408, 265);
    setAttribute(Qt::WA_AlwaysShowToolTips, false);

    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("pAboutFrame"));
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setGeometry(8, 8, 392, 209);

    auto *pictureFrame = new QFrame(frame);
    pictureFrame->setObjectName(QStringLiteral("pAboutPicture"));
    pictureFrame->setFrameShape(QFrame::Panel);
    pictureFrame->setFrameShadow(QFrame::Raised);
    pictureFrame->setLineWidth(2);
    pictureFrame->setGeometry(8, 8, 99, 193);
    auto *picture = new QLabel(pictureFrame);
    picture->setObjectName(QStringLiteral("imgAbout"));
    picture->setGeometry(2, 2, 95, 189);
    picture->setScaledContents(true);
    picture->setPixmap(QPixmap(QStringLiteral(":/artwork/about.png")));

    struct TRow
    {
        const char *label;
        const char *value;
        const char *hint;
        const char *name;
        QLabel **target;
    };
    const TRow rows[] = {
        { "Produto : ", " qvConvertFiles.exe", "Nome do pacote de componentes.", "lblProduto", &lblProduto },
        { "Versão : ", " 2.01 (Build 2.01.18)", "Versão do pacote de componentes.", "lblVersao", &lblVersao },
        { "Característica : ", " Utilitário", "Nome do componente.", "lblComponente", &lblComponente },
    };
    int y = 44;
    for (const auto &row : rows) {
        auto *label = new QLabel(QString::fromUtf8(row.label), frame);
        label->setObjectName(QStringLiteral("lbl%1Caption").arg(QLatin1String(row.name + 3)));
        label->setFont(ArialBold8());
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setStyleSheet(QStringLiteral("color: navy;"));
        label->setGeometry(114, y, 106, 21);
        auto *value = new QLabel(QString::fromUtf8(row.value), frame);
        value->setObjectName(QLatin1String(row.name));
        value->setFont(ArialBold8());
        value->setFrameShape(QFrame::Box);
        value->setLineWidth(1);
        value->setAutoFillBackground(true);
        value->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        value->setGeometry(222, y, 160, 21);
        qvc::SetHint(value, QString::fromUtf8(row.hint), /*tooltip=*/false);
        *row.target = value;
        y += 48;
    }

    bAboutClose = new QPushButton(QStringLiteral("&Ok"), this);
    bAboutClose->setObjectName(QStringLiteral("bAboutClose"));
    qvc::SetHint(bAboutClose, QStringLiteral("Fechar..."), /*tooltip=*/false);
    bAboutClose->setDefault(true);
    bAboutClose->setAutoDefault(true);
    bAboutClose->setGeometry(316, 228, 84, 27);
    connect(bAboutClose, &QPushButton::clicked, this, &TfrmQVAbout::bAboutCloseClick);

    FormCreate();
}

void TfrmQVAbout::FormCreate()
{
    for (QLabel *value : { lblProduto, lblVersao, lblComponente }) {
        QPalette palette = value->palette();
        palette.setColor(QPalette::Window, palette.color(QPalette::Base));
        value->setPalette(palette);
    }
    update();
}

void TfrmQVAbout::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        bAboutClose->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmQVAbout::bAboutCloseClick()
{
    accept();
}
