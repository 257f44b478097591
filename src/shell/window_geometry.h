#pragma once

#include <QSize>

#include "shell/window_placement.h"

class QWidget;

namespace brevik2::shell {

// The primary screen's full size, the screen every stored rectangle is checked against.
QSize primaryScreenSize();

// A window's outer rectangle, frame included, as the settings file keeps it.
WindowRect outerRect(const QWidget& window);

// Puts a window's outer rectangle, frame included, at rect. Before the window manager has framed
// the window its frame is not known yet; call again once it is shown.
void moveToOuterRect(QWidget& window, const WindowRect& rect);

}  // namespace brevik2::shell
