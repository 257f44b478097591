#include "link/termios_line.h"

#include <gtest/gtest.h>

#include <set>

namespace brevik2::link {
namespace {

TEST(TermiosLine, EveryValidRateHasItsOwnSpeedAndNoOtherRateHasOne) {
    std::set<speed_t> speeds;
    for (int rate : kValidBaudRates) {
        const std::optional<speed_t> speed = termiosSpeed(rate);
        ASSERT_TRUE(speed) << rate;
        speeds.insert(*speed);
    }
    EXPECT_EQ(speeds.size(), std::size(kValidBaudRates));
    EXPECT_EQ(termiosSpeed(9600), B9600);
    for (int rate : {0, -9600, 1234, 14400, 230400}) {
        EXPECT_FALSE(termiosSpeed(rate)) << rate;
    }
}

// The frame replaces what was there before, whatever it was, and leaves the other bits alone.
TEST(TermiosLine, TheFrameReplacesSizeParityAndStopBitsOnly) {
    struct Row {
        int dataBits;
        Parity parity;
        StopBits stopBits;
        tcflag_t expected;
    };
    const Row rows[] = {
        {8, Parity::None, StopBits::One, CS8},
        {7, Parity::Odd, StopBits::Two, CS7 | PARENB | PARODD | CSTOPB},
        {7, Parity::Even, StopBits::OneAndHalf, CS7 | PARENB | CSTOPB},
#ifdef CMSPAR
        {8, Parity::Mark, StopBits::One, CS8 | PARENB | PARODD | CMSPAR},
        {8, Parity::Space, StopBits::One, CS8 | PARENB | CMSPAR},
#endif
    };
    for (const Row& row : rows) {
        for (tcflag_t before : {tcflag_t{0}, ~tcflag_t{0}}) {
            termios t{};
            t.c_cflag = before;
            setTermiosFrame(t, row.dataBits, row.parity, row.stopBits);
            const tcflag_t frame = CSIZE | kTermiosParityMask | CSTOPB;
            EXPECT_EQ(t.c_cflag & frame, row.expected) << static_cast<int>(row.parity);
            EXPECT_EQ(t.c_cflag & ~frame, before & ~frame);
        }
    }
}

}  // namespace
}  // namespace brevik2::link
