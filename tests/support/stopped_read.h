#pragma once

#include <chrono>
#include <optional>
#include <thread>

#include "link/serial_port.h"
#include "link/stop_signal.h"

namespace brevik2::testing {

// Starts a read that would block for the port's whole read time-out and raises `stop` from
// another thread 100 ms into it. How long the read took, or nothing when it succeeded anyway
// (it must fail: nothing was sent).
inline std::optional<std::chrono::steady_clock::duration> readUntilStopped(link::SerialPort& port,
                                                                           link::StopSignal& stop) {
    std::thread stopper([&stop] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        stop.raise();
    });
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
