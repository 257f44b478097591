#pragma once

namespace brevik2::link {

// Read time-outs of the serial line. A read of n bytes returns when n bytes have arrived, when
// readIntervalMs pass between two received bytes, or when
// readTotalConstantMs + readTotalMultiplierMs * n have passed in all. Writes never time out.
// The defaults are the instrument's; tests shorten them here rather than sleeping less.
struct SerialTimeouts {
    int readIntervalMs = 100;
    int readTotalMultiplierMs = 10;
    int readTotalConstantMs = 1000;
    // The drain of a reset stops after this many bytes or this long, whichever comes first,
    // so that a unit that never stops sending cannot hold the thread.
    int drainLimitBytes = 64 * 1024;
    int drainLimitMs = 2000;
};

}  // namespace brevik2::link
