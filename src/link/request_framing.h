#pragma once

#include <string>
#include <string_view>

namespace brevik2::link {

class SerialPort;

inline constexpr char kStx = 0x02;
inline constexpr char kEtx = 0x03;
inline constexpr char kLineFeed = 0x0A;
inline constexpr char kCarriageReturn = 0x0D;

// The most bytes a reply may hold: the reply buffer is 32768 bytes with its closing zero.
inline constexpr int kReplyBufferSize = 32768;

// The bytes of a request on the wire: STX, the code right-aligned in three characters,
// " 00000 ", the parameter when there is one, ETX.
std::string frameRequest(std::string_view code, std::string_view parameter);

// Writes a request: one write without parameter; with one, the 11-byte head, the parameter and
// the ETX, each only after the one before succeeded. A failed write has reset the port.
bool sendRequest(SerialPort& port, std::string_view code, std::string_view parameter = {});

// Reads one byte at a time into reply (cleared first) until the terminator, at most limit
// bytes (limit is capped to the reply buffer). True when the terminator came; it stays in the
// reply. A terminator of 0 returns true at once without reading. alsoEndAt, when not 0, ends the
// read as well (the event log's lines end with a line feed, its last one with ETX).
bool readUntil(SerialPort& port, std::string& reply, char terminator, int limit,
               char alsoEndAt = 0);

}  // namespace brevik2::link
