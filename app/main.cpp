// qvConvertFiles: the window over the conversion core.
#include "common/FileIO.h"
#include "ui/Application.h"
#include "ui/DialogSeam.h"
#include "ui/uFrm_Main.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>

namespace {

bool IsSet(const char *name)
{
    const char *value = std::getenv(name);
    return value != nullptr && *value != 0;
}

// Qt ends the process with an abort when the X display cannot be opened; ask the X library first.
bool CanOpenXDisplay()
{
    void *xcb = ::dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!xcb)
        return true; // let Qt try and say what is missing
    using TConnect = void *(*)(const char *, int *);
    using THasError = int (*)(void *);
    using TDisconnect = void (*)(void *);
    const auto connect = reinterpret_cast<TConnect>(::dlsym(xcb, "xcb_connect"));
    const auto hasError = reinterpret_cast<THasError>(::dlsym(xcb, "xcb_connection_has_error"));
    const auto disconnect = reinterpret_cast<TDisconnect>(::dlsym(xcb, "xcb_disconnect"));
    bool ok = true;
    if (connect && hasError && disconnect) {
        void *connection = connect(nullptr, nullptr);
        ok = connection != nullptr && hasError(connection) == 0;
        if (connection)
            disconnect(connection);
    }
    ::dlclose(xcb);
    return ok;
}

bool HasDisplay()
{
    if (IsSet("QT_QPA_PLATFORM") || IsSet("WAYLAND_DISPLAY"))
        return true;
    return IsSet("DISPLAY") && CanOpenXDisplay();
}

} // namespace

int main(int argc, char **argv)
{
    qvc::IgnoreFileSizeSignal();
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
    return QApplication::exec();
}
