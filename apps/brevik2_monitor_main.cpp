// brevik2-monitor: the monitoring engine on the console, for servers, scripts and tests.

#include <csignal>
#include <iostream>

#include "console/console_monitor.h"

namespace {
std::atomic<bool> g_interrupted{false};
extern "C" void onSignal(int) {
    g_interrupted.store(true);
}
}  // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto options = brevik2::console::parseConsoleOptions({argv + 1, argv + argc}, error);
    if (!options) {
        std::cerr << "brevik2-monitor: " << error << '\n' << brevik2::console::kConsoleUsage;
        return 2;
    }
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    brevik2::console::ConsoleMonitor monitor(*options, std::cout, std::cerr);
    return monitor.run(g_interrupted);
}
