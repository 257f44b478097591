#include "sim/host_line_check.h"

#include "link/termios_line.h"

namespace brevik2::sim {

bool hostLineMatches(const termios& host, const link::LineSettings& unit) {
    // A rate without a speed constant matches no host: the unit hears only noise.
    const std::optional<speed_t> speed = link::termiosSpeed(unit.baudRate);
    if (!speed || cfgetospeed(&host) != *speed) {
        return false;
    }
    if ((host.c_cflag & CSTOPB) != link::termiosStopFlags(unit.stopBits)) {
        return false;
    }
    // PARENB is what a pty clears; the odd and stick bits it keeps.
    const tcflag_t seen = link::kTermiosParityMask & ~static_cast<tcflag_t>(PARENB);
    return (host.c_cflag & seen) == (link::termiosParityFlags(unit.parity) & seen);
}

}  // namespace brevik2::sim
