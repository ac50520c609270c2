#include "ui/WindowLook.h"

#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QVBoxLayout>

namespace qvc {

namespace {
const QColor kCaptionText(255, 255, 255);

QFont TahomaEight(bool bold)
{
    QFont font;
    font.setFamilies({ QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif") });
    font.setPointSize(8);
    font.setBold(bold);
    return font;
}
} // namespace

QFont WindowFont()
{
    return TahomaEight(true);
}

QFont MenuFont()
{
    return TahomaEight(false);
}

QVBoxLayout *OverlayLayout(QFrame *panel, const QString &name)
{
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    return layout;
}

QLabel *TitleBar(const QString &name, const QString &caption, const QColor &background, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, kCaptionText);
    label->setPalette(palette);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

} // namespace qvc
