// qvConvertFiles: the window over the conversion core.
#include "ui/Application.h"
#include "ui/DialogSeam.h"
#include "ui/uFrm_Main.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace {

bool HasDisplay()
{
    const auto set = [](const char *name) {
        const char *value = std::getenv(name);
        return value && *value;
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

} // namespace

int main(int argc, char **argv)
{
    if (!HasDisplay()) {
        std::fprintf(stderr,
            "qvConvertFiles: no display found; start it from a desktop session "
            "(or set DISPLAY, for example under Xvfb).\n");
        return 1;
    }
    QApplication app(argc, argv);
    qvc::SetUpApplication(app);
    qvc::TQtDialogSeam dialogs;
    auto *window = new Tfrm_Main(&dialogs, QCoreApplication::applicationFilePath());
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return app.exec();
}
