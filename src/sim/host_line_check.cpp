#include "sim/host_line_check.h"

namespace brevik2::sim {

speed_t speedConstant(int baudRate) {
    switch (baudRate) {
        case 300:
            return B300;
        case 600:
            return B600;
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        default:
            return B0;
    }
}

bool hostLineMatches(const termios& host, const link::LineSettings& unit) {
    if (cfgetospeed(&host) != speedConstant(unit.baudRate)) {
        return false;
    }
    const bool hostTwoStopBits = (host.c_cflag & CSTOPB) != 0;
    if (hostTwoStopBits != (unit.stopBits != link::StopBits::One)) {
        return false;
    }
    const bool odd = (host.c_cflag & PARODD) != 0;
#ifdef CMSPAR
    const bool stick = (host.c_cflag & CMSPAR) != 0;
#else
    const bool stick = false;
#endif
    switch (unit.parity) {
        case link::Parity::Odd:
            return odd && !stick;
        case link::Parity::Mark:
            return odd && stick;
        case link::Parity::Space:
            return !odd && stick;
        case link::Parity::None:
        case link::Parity::Even:
            return !odd && !stick;
    }
    return false;
}

}  // namespace brevik2::sim
