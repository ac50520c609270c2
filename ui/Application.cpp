#include "ui/Application.h"

#include <QApplication>

namespace qvc {

void SetUpApplication(QApplication &app)
{
    QApplication::setApplicationName(QStringLiteral("Conversão de Arquivos"));
    QApplication::setOrganizationName(QStringLiteral("qvConvertFiles"));
    app.setQuitOnLastWindowClosed(true);
}

} // namespace qvc
