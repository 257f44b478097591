#pragma once

namespace brevik2::link {

// Parity and stop-bit codes as the settings and the instrument count them.
enum class Parity : int { None = 0, Odd = 1, Even = 2, Mark = 3, Space = 4 };
enum class StopBits : int { One = 0, OneAndHalf = 1, Two = 2 };

struct LineSettings {
    int baudRate = 9600;
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
    int dataBits = 8;

    bool operator==(const LineSettings&) const = default;
};

inline constexpr int kValidBaudRates[] = {300,  600,   1200,  2400,  4800,
                                          9600, 19200, 38400, 57600, 115200};

inline bool isValidBaudRate(int rate) {
    for (int r : kValidBaudRates) {
        if (r == rate) {
            return true;
        }
    }
    return false;
}

}  // namespace brevik2::link
