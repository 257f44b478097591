#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/sim_options.h"

namespace brevik2::sim {

struct SimCommandLine {
    SimOptions options;
    bool help = false;
    bool version = false;
};

// Reads the simulator's options (the arguments after the program name). Nothing, with *error
// saying why, for an unknown option, a missing or bad value, or a missing --link.
std::optional<SimCommandLine> parseSimCommandLine(const std::vector<std::string>& arguments,
                                                  std::string* error = nullptr);

std::string simUsage(std::string_view program);

}  // namespace brevik2::sim
