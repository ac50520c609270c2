#include "ui/Application.h"

#include <QApplication>
#include <QIcon>

namespace qvc {

void SetUpApplication(QApplication &app)
{
    QApplication::setApplicationName(QStringLiteral("Conversão de Arquivos"));
    QApplication::setOrganizationName(QStringLiteral("qvConvertFiles"));
    // The package version, the one qvconvert --version prints (the window keeps its own version texts).
    QApplication::setApplicationVersion(QStringLiteral(QVC_VERSION));
    // The installed menu entry, so desktops match the window to it, and the icon the entry shows.
    QGuiApplication::setDesktopFileName(QStringLiteral("qvconvertfiles"));
    QIcon icon;
    for (const int size : { 16, 32, 48, 256 })
        icon.addFile(QStringLiteral(":/artwork/icon-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    app.setQuitOnLastWindowClosed(true);
}

} // namespace qvc
