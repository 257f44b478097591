#pragma once

#include <cstddef>
#include <string_view>

namespace brevik2::link {

// The raw-bytes trace: off by default, on when BREVIK2_TRACE is set to anything but "0", so a
// field problem can be diagnosed from a log. Lines go to standard error.
//
// Thread safety: any thread; each line is written whole.
bool traceEnabled();
void traceNote(std::string_view note);
void traceBytes(std::string_view direction, const char* data, std::size_t count);

}  // namespace brevik2::link
