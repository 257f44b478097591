#include "link/termios_line.h"

namespace brevik2::link {
namespace {

struct SpeedRow {
    int baudRate;
    speed_t speed;
};

constexpr SpeedRow kSpeeds[] = {
    {300, B300},   {600, B600},     {1200, B1200},   {2400, B2400},   {4800, B4800},
    {9600, B9600}, {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200},
};

#ifdef CMSPAR
constexpr tcflag_t kStick = CMSPAR;
#else
constexpr tcflag_t kStick = 0;
#endif

}  // namespace

const tcflag_t kTermiosParityMask = PARENB | PARODD | kStick;

std::optional<speed_t> termiosSpeed(int baudRate) {
    for (const SpeedRow& row : kSpeeds) {
        if (row.baudRate == baudRate) {
            return row.speed;
        }
    }
    return std::nullopt;
}

tcflag_t termiosSizeFlags(int dataBits) {
    return dataBits == 7 ? CS7 : CS8;
}

tcflag_t termiosParityFlags(Parity parity) {
    switch (parity) {
        case Parity::None:
            return 0;
        case Parity::Odd:
            return PARENB | PARODD;
        case Parity::Even:
            return PARENB;
#ifdef CMSPAR
        case Parity::Mark:
            return PARENB | PARODD | kStick;
        case Parity::Space:
            return PARENB | kStick;
#else
        case Parity::Mark:
        case Parity::Space:
            return PARENB;  // no stick parity on this system: even is the nearest
#endif
    }
    return 0;
}

tcflag_t termiosStopFlags(StopBits stopBits) {
    // POSIX has no one and a half stop bits; two is the nearest the line can do.
    return stopBits == StopBits::One ? 0 : CSTOPB;
}

void setTermiosFrame(termios& t, int dataBits, Parity parity, StopBits stopBits) {
    t.c_cflag &= ~(CSIZE | kTermiosParityMask | CSTOPB);
    t.c_cflag |=
        termiosSizeFlags(dataBits) | termiosParityFlags(parity) | termiosStopFlags(stopBits);
}

}  // namespace brevik2::link
