#include "ui/Application.h"

#include "common/Version.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

namespace qvc {

void SetUpApplication(QApplication &app)
{
    QApplication::setApplicationName(QStringLiteral("Conversão de Arquivos"));
    QApplication::setOrganizationName(QStringLiteral("qvConvertFiles"));
    // The package version, the one qvconvert --version prints (the window keeps its own version texts).
    QApplication::setApplicationVersion(QString::fromLatin1(kProgramVersion.data(), qsizetype(kProgramVersion.size())));
    // The installed menu entry, so desktops match the window to it, and the icon the entry shows.
    QGuiApplication::setDesktopFileName(QStringLiteral("qvconvertfiles"));
    QIcon icon;
    for (const int size : { 16, 32, 48, 256 })
        icon.addFile(QStringLiteral(":/artwork/icon-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    QApplication::setQuitOnLastWindowClosed(true);
    // Qt's own buttons, dialogs and messages speak the program's language ("Sim", "Não", "Cancelar"): the close
    // question's "(S/N)" then names its buttons' keys. Without the translation installed they stay in English.
    auto *translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_pt_BR"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace qvc
