#pragma once

#include <QPixmap>

namespace brevik2::shell {

// The program's emblem, drawn rather than loaded so the window needs no image plug-in: a dark
// disc with a ring, the letters "Cs" and a sine trace. The same drawing as the installed icon.
QPixmap brevik2Emblem(int size);

}  // namespace brevik2::shell
