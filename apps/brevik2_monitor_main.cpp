// brevik2-monitor: the monitoring engine on the console, for servers, scripts and tests.

#include <csignal>
#include <cstdlib>
#include <iostream>

#include "brevik2_version.h"
#include "console/console_monitor.h"
#include "console/service_notifier.h"

namespace {
std::atomic<bool> g_interrupted{false};
extern "C" void onSignal(int) {
    g_interrupted.store(true);
}
}  // namespace

int main(int argc, char** argv) {
    using namespace brevik2::console;
    std::string error;
    const auto options = parseConsoleOptions({argv + 1, argv + argc}, error);
    if (!options) {
        std::cerr << "brevik2-monitor: " << error << '\n' << kConsoleUsage;
        return kExitUsage;
    }
    if (options->help) {
        std::cout << kConsoleUsage << kConsoleHelp;
        return 0;
    }
    if (options->version) {
        std::cout << "brevik2-monitor " BREVIK2_VERSION_FULL "\n";
        return 0;
    }
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
#if defined(SIGPIPE)
    // A closed output ends the run in order (the metrics server ignores the signal anyway);
    // the signal is raised again at the end, so a pipeline sees what it would of any filter.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    ServiceNotifier notifier;
    brevik2::engine::MonitorThread::Options engineOptions;
    engineOptions.onCycle = [&notifier] { notifier.cycle(); };
    ConsoleMonitor monitor(*options, std::cout, std::cerr, std::move(engineOptions));
    monitor.onServiceStatus([&notifier](const std::string& text) { notifier.status(text); });
    const int status = monitor.run(g_interrupted);
    notifier.stopping();
#if defined(SIGPIPE)
    if (monitor.outputClosed()) {
        std::signal(SIGPIPE, SIG_DFL);
        std::raise(SIGPIPE);
    }
#endif
    if (monitor.outputBlocked()) {
        // Flushing an output that does not move would hang the exit.
        std::_Exit(status);
    }
    return status;
}
