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
    bool scan = false;     // search for the unit over ports and line settings at start
    bool help = false;     // print the usage and stop
    bool version = false;  // print the version and stop
    std::optional<std::string> metricsListen;  // HOST:PORT; overrides MetricsListen
};

// Parses the arguments after the program name; on a mistake returns nothing and sets error.
std::optional<ConsoleOptions> parseConsoleOptions(const std::vector<std::string>& args,
                                                  std::string& error);

inline constexpr const char* kConsoleUsage =
    "usage: brevik2-monitor [--settings FILE] [--polls N] [--seconds S] [--scan]\n"
    "                       [--metrics HOST:PORT] [--request \"CODE[ PARAM]\"]...\n"
    "                       | --help | --version\n";

inline constexpr const char* kConsoleHelp =
    "Monitors one unit on a serial port: polls its status, records telemetry, runs requests.\n"
    "  --settings FILE   the settings file (default: $BREVIK2_SETTINGS, then Brevik2.ini\n"
    "                    beside the program, then ~/.config/Brevik2/Brevik2.ini)\n"
    "  --polls N         stop after N completed polls\n"
    "  --seconds S       stop after S seconds\n"
    "  --scan            search the ports and line settings for the unit first\n"
    "  --metrics HOST:PORT  serve Prometheus metrics there (overrides MetricsListen)\n"
    "  --request \"CODE[ PARAM]\"  send a request once online and print its reply\n"
    "  --help, --version print this text or the version and stop\n"
    "Stops on SIGINT or SIGTERM. See brevik2-monitor(1) and brevik2.ini(5).\n";

}  // namespace brevik2::console
