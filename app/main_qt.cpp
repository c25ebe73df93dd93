#include "app/main_dlg.h"
#include "app/wizard_view_qt.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

#include <xcb/xcb.h>

namespace {

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != 0;
}

// Qt aborts with a core dump when it finds no display; look first and say
// what is missing instead.
bool displayReachable() {
    if (isSet("QT_QPA_PLATFORM") || isSet("WAYLAND_DISPLAY")) {
        return true;
    }
    if (!isSet("DISPLAY")) {
        return false;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reachable;
}

} // namespace

int main(int argc, char** argv) {
    if (!displayReachable()) {
        std::fprintf(
            stderr,
            "ZOR7700Track is a graphical program and found no display to open its window on.\n"
            "Run it inside a desktop session (DISPLAY or WAYLAND_DISPLAY must be set), or under\n"
            "a virtual one: xvfb-run -a zor7700track\n");
        return 1;
    }
    // The program takes no arguments; Qt sees only the program's name.
    int qtArgc = argc > 0 ? 1 : 0;
    QApplication application(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("ZOR7700Track"));
    QApplication::setDesktopFileName(QStringLiteral("zor7700track"));
    QtWizardView view;
    return RunWizard(view);
}
