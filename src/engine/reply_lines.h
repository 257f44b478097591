#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brevik2::engine {

// Cuts a command reply into the lines an operator reads: STX and line feeds are skipped, a
// carriage return ends a line, a zero byte or ETX ends the reply, empty lines are dropped, and a
// line is cut every 255 characters. At most replyLimit + 1 bytes are looked at.
std::vector<std::string> splitReplyLines(std::string_view reply, int replyLimit);

}  // namespace brevik2::engine
