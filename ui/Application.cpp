#include "ui/Application.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace qvc {

void SetUpApplication(QApplication &app)
{
    QApplication::setApplicationName(QStringLiteral("Conversão de Arquivos"));
    QApplication::setOrganizationName(QStringLiteral("qvConvertFiles"));
    app.setQuitOnLastWindowClosed(true);
    // Qt's own buttons, dialogs and messages speak the program's language ("Sim", "Não", "Cancelar"): the close
    // question's "(S/N)" then names its buttons' keys. Without the translation installed they stay in English.
    auto *translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_pt_BR"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace qvc
