#pragma once

#include <termios.h>

#include <optional>

#include "link/line_settings.h"

namespace brevik2::link {

// The one table between line settings and termios flags, for the port, the simulator and the
// tests. POSIX only.

// The speed constant of a baud rate; nothing for a rate the table does not hold. Each caller
// chooses its own fallback.
std::optional<speed_t> termiosSpeed(int baudRate);

// The c_cflag bits that carry the character size, the parity and the stop bits.
tcflag_t termiosSizeFlags(int dataBits);  // CS7 for 7, CS8 for anything else
tcflag_t termiosParityFlags(Parity parity);
tcflag_t termiosStopFlags(StopBits stopBits);

// Every c_cflag bit the parity flags may set.
extern const tcflag_t kTermiosParityMask;

// Replaces the character size, the parity and the stop bits in t.c_cflag; the speed and the
// rest of t stay.
void setTermiosFrame(termios& t, int dataBits, Parity parity, StopBits stopBits);

}  // namespace brevik2::link
