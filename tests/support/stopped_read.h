#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "link/serial_port.h"
#include "link/stop_signal.h"

namespace brevik2::testing {

// True once the thread sleeps in poll() (where every wait of the port goes), within the bound.
inline bool waitUntilPolling(pid_t thread, std::chrono::milliseconds bound) {
    const std::string task = "/proc/self/task/" + std::to_string(thread);
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (std::chrono::steady_clock::now() < deadline) {
        std::string stat;
        std::string wchan;
        std::getline(std::ifstream(task + "/stat"), stat);
        std::getline(std::ifstream(task + "/wchan"), wchan);
        const auto state = stat.rfind(')');
        const bool asleep =
            state != std::string::npos && state + 2 < stat.size() && stat[state + 2] == 'S';
        // Without the kernel's symbols wchan reads "0": being asleep must do.
        if (asleep && (wchan.find("poll") != std::string::npos || wchan == "0")) {
            return true;
        }
        std::this_thread::yield();
    }
    return false;
}

// Raises stop from another thread once the calling thread is waiting in poll().
inline std::thread raiseWhenPolling(link::StopSignal& stop) {
    const pid_t waiter = ::gettid();
    return std::thread([&stop, waiter] {
        waitUntilPolling(waiter, std::chrono::seconds(5));
        stop.raise();
    });
}

// Starts a read that would block for the port's whole read time-out and raises `stop` from
// another thread once the read waits. How long the read took, or nothing when it succeeded
// anyway (it must fail: nothing was sent).
inline std::optional<std::chrono::steady_clock::duration> readUntilStopped(link::SerialPort& port,
                                                                           link::StopSignal& stop) {
    std::thread stopper = raiseWhenPolling(stop);
    const auto start = std::chrono::steady_clock::now();
    char buffer[9];
    const bool read = port.read(8, buffer);
    const auto took = std::chrono::steady_clock::now() - start;
    stopper.join();
    if (read) {
        return std::nullopt;
    }
    return took;
}

}  // namespace brevik2::testing
