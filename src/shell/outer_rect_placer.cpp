#include "shell/outer_rect_placer.h"

#include <QEvent>
#include <QWidget>

#include "shell/window_geometry.h"

namespace brevik2::shell {

OuterRectPlacer::OuterRectPlacer(QWidget& window, const WindowRect& rect)
    : QObject(&window), m_window(window), m_rect(rect) {
    m_window.installEventFilter(this);
}

void OuterRectPlacer::place(QWidget& window, const WindowRect& rect) {
    for (OuterRectPlacer* earlier :
         window.findChildren<OuterRectPlacer*>(QString(), Qt::FindDirectChildrenOnly)) {
        delete earlier;
    }
    moveToOuterRect(window, rect);
    new OuterRectPlacer(window, rect);
}

bool OuterRectPlacer::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == &m_window &&
        (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show) &&
        m_window.isVisible() && m_window.frameGeometry().size() != m_window.geometry().size()) {
        m_window.removeEventFilter(this);
        moveToOuterRect(m_window, m_rect);
        deleteLater();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace brevik2::shell
