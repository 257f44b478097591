#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>

#include "shell/lock_key_state.h"

// Xlib after Qt: its macros (None, Bool, Status...) would clash with Qt's headers.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace brevik2::shell {
namespace {

bool indicatorOn(Display* display, const char* name) {
    const Atom atom = XInternAtom(display, name, True);
    if (atom == 0) {
        return false;
    }
    int on = 0;
    if (!XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr)) {
        return false;
    }
    return on != 0;
}

}  // namespace

std::optional<LockKeyState> queryLockKeys() {
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                                   : nullptr;
    Display* display = x11 != nullptr ? x11->display() : nullptr;
    if (display == nullptr) {
        return std::nullopt;
    }
    return LockKeyState{indicatorOn(display, "Caps Lock"), indicatorOn(display, "Num Lock"),
                        indicatorOn(display, "Scroll Lock")};
}

}  // namespace brevik2::shell
