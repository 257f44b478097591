#pragma once

#include <QObject>

#include "shell/window_placement.h"

class QWidget;

namespace brevik2::shell {

// Puts a window's outer rectangle, frame included, where it was stored. A window manager frames
// a window only once it is mapped, so the size of the frame is not known before; the placer
// places the window at once, then once more when the frame has appeared, so a stored rectangle
// comes back the same size instead of growing by the frame at every start.
class OuterRectPlacer : public QObject {
    Q_OBJECT
public:
    // Places window at rect now and again once it is framed; a later call replaces the rect.
    static void place(QWidget& window, const WindowRect& rect);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    OuterRectPlacer(QWidget& window, const WindowRect& rect);

    QWidget& m_window;
    WindowRect m_rect;
};

}  // namespace brevik2::shell
