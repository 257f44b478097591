// brevik2-sim: plays one instrument on a pseudo-terminal until SIGINT or SIGTERM.

#include <signal.h>

#include <cstdio>
#include <string>
#include <vector>

#include "brevik2_version.h"
#include "sim/sim_command_line.h"
#include "sim/sim_server.h"

int main(int argc, char** argv) {
    using namespace brevik2::sim;
    const std::string program = argc > 0 ? argv[0] : "brevik2-sim";
    std::string error;
    const std::optional<SimCommandLine> commandLine = parseSimCommandLine(
        std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc), &error);
    if (!commandLine) {
        std::fprintf(stderr, "%s: %s\n%s", program.c_str(), error.c_str(),
                     simUsage(program).c_str());
        return 2;
    }
    if (commandLine->help) {
        std::fputs(simUsage(program).c_str(), stdout);
        return 0;
    }
    if (commandLine->version) {
        std::puts("brevik2-sim " BREVIK2_VERSION_FULL);
        return 0;
    }

    // Blocked before the server's thread exists, so it inherits the mask and the signals wait
    // for sigwait below.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    SimServer server(commandLine->options);
    if (!server.start(&error)) {
        std::fprintf(stderr, "%s: %s\n", program.c_str(), error.c_str());
        return 1;
    }
    std::printf("%s\n", server.slaveName().c_str());
    std::fflush(stdout);

    int received = 0;
    sigwait(&signals, &received);
    server.stop();
    return 0;
}
