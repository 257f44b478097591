#pragma once

#include <optional>
#include <string>
#include <vector>

namespace brevik2::console {

// The command line of brevik2-monitor.
struct ConsoleOptions {
    std::string settingsPath;  // empty: the usual place
    std::optional<long> polls;
    std::optional<double> seconds;
    struct Request {
        std::string code;
        std::string parameter;
    };
    std::vector<Request> requests;
    bool scan = false;  // search for the unit over ports and line settings at start
};

// Parses the arguments after the program name; on a mistake returns nothing and sets error.
std::optional<ConsoleOptions> parseConsoleOptions(const std::vector<std::string>& args,
                                                  std::string& error);

inline constexpr const char* kConsoleUsage =
    "usage: brevik2-monitor [--settings FILE] [--polls N] [--seconds S] [--scan]\n"
    "                       [--request \"CODE[ PARAM]\"]...\n";

}  // namespace brevik2::console
