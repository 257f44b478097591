#include "shell/window_geometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace brevik2::shell {

QSize primaryScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry().size() : QSize(1024, 768);
}

WindowRect outerRect(const QWidget& window) {
    const QRect frame = window.frameGeometry();
    return {frame.width(), frame.height(), frame.x(), frame.y()};
}

void moveToOuterRect(QWidget& window, const WindowRect& rect) {
    const QRect frame = window.frameGeometry();
    const QRect inner = window.geometry();
    const int extraWidth = frame.width() - inner.width();
    const int extraHeight = frame.height() - inner.height();
    window.move(rect.left, rect.top);  // a window's position is its frame's
    window.resize(std::max(1, rect.width - extraWidth), std::max(1, rect.height - extraHeight));
}

}  // namespace brevik2::shell
