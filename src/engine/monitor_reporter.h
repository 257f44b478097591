#pragma once

#include "engine/status_message.h"
#include "link/status_output.h"

namespace brevik2::engine {

// How the monitor thread tells the front end what happens: the link's status texts and port
// reports, and a status message per cycle. The station relays each onto the front end's thread.
//
// Thread safety: every call comes from the monitor thread; an implementation hands the values
// over and returns at once, never calling back into the engine.
class MonitorReporter : public link::StatusOutput {
public:
    virtual void statusMessage(StatusMessage message) = 0;
};

}  // namespace brevik2::engine
