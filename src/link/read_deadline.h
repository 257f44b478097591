#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <optional>

#include "link/serial_timeouts.h"

namespace brevik2::link {

// When a read of `count` bytes under the serial time-outs gives up: at the total time-out from
// the read's start or, once a byte has come, at the interval time-out after the last one,
// whichever is first.
class ReadDeadline {
public:
    using Clock = std::chrono::steady_clock;

    ReadDeadline(const SerialTimeouts& timeouts, std::size_t count)
        : m_total(Clock::now() + std::chrono::milliseconds(timeouts.readTotalConstantMs) +
                  std::chrono::milliseconds(static_cast<long long>(timeouts.readTotalMultiplierMs) *
                                            static_cast<long long>(count))),
          m_interval(timeouts.readIntervalMs) {}

    void bytesArrived() { m_lastByte = Clock::now(); }

    Clock::time_point next() const {
        return m_lastByte ? std::min(m_total, *m_lastByte + m_interval) : m_total;
    }

private:
    Clock::time_point m_total;
    std::chrono::milliseconds m_interval;
    std::optional<Clock::time_point> m_lastByte;
};

// Milliseconds from now to a deadline, for poll(); 0 once it has passed.
inline int millisecondsUntil(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    return left < 0 ? 0 : static_cast<int>(left);
}

}  // namespace brevik2::link
