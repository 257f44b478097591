#pragma once

#include <chrono>
#include <string>

#include "link/line_settings.h"

namespace brevik2::sim {

// How one simulated unit is set up: which model, where its port appears, its line settings and
// the fault it plays.
struct SimOptions {
    int model = 401;
    std::string linkPath;  // a symbolic link to the pty's slave side; empty = none
    long unitId = 1010;
    link::LineSettings line{};
    std::string fault;                // "" = healthy; see faultKindFromName()
    int faultEvery = 0;               // flaky: drop every Nth reply (0 = every third)
    int vanishAfter = 0;              // vanish: polls served before the port disappears (0 = three)
    double reappearAfterSeconds = 0;  // vanish: absence before a new pty appears; < 0 = never
    bool pace = false;                // write replies at the wire rate of the line settings
    // A running test mode sends one line per period; tests shorten it.
    std::chrono::milliseconds testLinePeriod{5000};
};

}  // namespace brevik2::sim
