#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "link/line_settings.h"

namespace brevik2::sim {

// How the unit's line settings shape the bytes and their timing on the wire.

// "n", "o", "e", "m", "s" in either case.
std::optional<link::Parity> parityFromLetter(char letter);

// "19200,8,E,1": baud rate, data bits, parity letter, stop bits ("1", "1.5", "2").
std::optional<link::LineSettings> parseSerialParameters(std::string_view text);

// One character on the wire: a start bit, the data bits, the parity bit if any, the stop bits.
std::chrono::nanoseconds characterTime(const link::LineSettings& line);

// The bytes as a host reading 8 data bits would receive them from a unit sending with these
// settings. With 7 data bits the eighth bit the host samples is the unit's parity bit, or its
// first stop bit (always 1) when it sends without parity; a host set to 7 data bits drops that
// bit again. With 8 data bits the bytes arrive unchanged.
std::string encodeForLine(std::string bytes, const link::LineSettings& line);

}  // namespace brevik2::sim
