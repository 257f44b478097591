#pragma once

#include "engine/station.h"

class QObject;

namespace brevik2::dialogs {

// The window's end of the station's deliveries: each task becomes a queued call into the
// receiver's thread. A task still queued when the receiver is destroyed is dropped.
engine::Station::Deliver queuedOnto(QObject& receiver);

}  // namespace brevik2::dialogs
