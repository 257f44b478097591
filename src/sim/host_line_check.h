#pragma once

#include <termios.h>

#include "link/line_settings.h"

namespace brevik2::sim {

// Whether the line settings a host put on the pty's slave side agree with the unit's, as far as
// a pty lets them be seen. Linux keeps the speed, CSTOPB and the PARODD/CMSPAR flags of a pty
// but forces CS8 and clears PARENB, so 7 and 8 data bits look alike, and so do even parity and
// no parity; odd, mark and space parity stay apart. What cannot be compared here still shows
// on the wire: a unit with 7 data bits sends its parity bit in the top bit of each byte (see
// encodeForLine), which a host set to 8 data bits reads as garbage.
bool hostLineMatches(const termios& host, const link::LineSettings& unit);

}  // namespace brevik2::sim
