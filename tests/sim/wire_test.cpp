// Line settings on the wire: character timing, the 7-bit top bit, and what a pty lets the
// unit see of the host's settings.

#include <gtest/gtest.h>
#include <termios.h>

#include <bit>
#include <chrono>

#include "sim/host_line_check.h"
#include "sim/wire_encoding.h"

namespace brevik2::sim {
namespace {

using link::LineSettings;
using link::Parity;
using link::StopBits;
using namespace std::chrono_literals;

TEST(Wire, CharacterTimeCountsEveryBit) {
    // 10 bits at 9600 baud: 250 bytes take about 260 ms.
    const LineSettings line8N1{9600, Parity::None, StopBits::One, 8};
    EXPECT_NEAR(std::chrono::duration<double>(characterTime(line8N1) * 250).count(), 0.2604, 0.001);
    // 1 + 7 + 1 + 2 = 11 bits at 2400 baud.
    EXPECT_EQ(characterTime({2400, Parity::Odd, StopBits::Two, 7}),
              std::chrono::nanoseconds(11 * 1'000'000'000LL / 2400));
    // One and a half stop bits: 1 + 8 + 1.5.
    EXPECT_EQ(characterTime({19200, Parity::None, StopBits::OneAndHalf, 8}),
              std::chrono::nanoseconds(21 * 1'000'000'000LL / (2 * 19200)));
}

struct TopBitCase {
    Parity parity;
    unsigned char in;
    unsigned char out;
};

class SevenBitTest : public ::testing::TestWithParam<TopBitCase> {};

TEST_P(SevenBitTest, PutsTheParityBitOnTop) {
    const TopBitCase& c = GetParam();
    const std::string out =
        encodeForLine(std::string(1, static_cast<char>(c.in)), {9600, c.parity, StopBits::One, 7});
    EXPECT_EQ(static_cast<unsigned char>(out[0]), c.out);
}

// 'A' = 0x41 has two ones, 'C' = 0x43 three.
INSTANTIATE_TEST_SUITE_P(
    Parities, SevenBitTest,
    ::testing::Values(TopBitCase{Parity::Even, 0x41, 0x41}, TopBitCase{Parity::Even, 0x43, 0xC3},
                      TopBitCase{Parity::Odd, 0x41, 0xC1}, TopBitCase{Parity::Odd, 0x43, 0x43},
                      TopBitCase{Parity::Mark, 0x41, 0xC1}, TopBitCase{Parity::Space, 0xC3, 0x43},
                      // No parity bit: the host samples the stop bit.
                      TopBitCase{Parity::None, 0x41, 0xC1}));

TEST(Wire, EightDataBitsLeaveBytesAlone) {
    const std::string bytes("\x02\xC1\x7F\x80 ok\x03", 8);
    EXPECT_EQ(encodeForLine(bytes, {9600, Parity::Odd, StopBits::One, 8}), bytes);
}

TEST(Wire, SevenBitHostMaskingRecoversTheText) {
    const std::string text = "\x02W22 1PPS SYNC OK\r\n\x03";
    std::string wire = encodeForLine(text, {9600, Parity::Even, StopBits::One, 7});
    EXPECT_NE(wire, text);
    for (char& c : wire) {
        EXPECT_EQ(std::popcount(static_cast<unsigned>(static_cast<unsigned char>(c))) % 2, 0);
        c = static_cast<char>(c & 0x7F);
    }
    EXPECT_EQ(wire, text);
}

termios hostTermios(speed_t speed, tcflag_t flags) {
    termios t{};
    cfsetospeed(&t, speed);
    cfsetispeed(&t, speed);
    // What a pty keeps: CS8 forced, PARENB cleared.
    t.c_cflag = (t.c_cflag & ~(CSIZE | PARENB)) | CS8 | flags;
    return t;
}

struct MatchCase {
    const char* name;
    speed_t speed;
    tcflag_t flags;
    LineSettings unit;
    bool matches;
};

void PrintTo(const MatchCase& c, std::ostream* os) {
    *os << c.name;
}

class HostLineTest : public ::testing::TestWithParam<MatchCase> {};

TEST_P(HostLineTest, ComparesWhatAPtyShows) {
    const MatchCase& c = GetParam();
    EXPECT_EQ(hostLineMatches(hostTermios(c.speed, c.flags), c.unit), c.matches);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, HostLineTest,
    ::testing::Values(
        MatchCase{"Same8N1", B9600, 0, {9600, Parity::None, StopBits::One, 8}, true},
        MatchCase{"OtherBaud", B19200, 0, {9600, Parity::None, StopBits::One, 8}, false},
        MatchCase{"PtyDefaultSpeed", B38400, 0, {9600, Parity::None, StopBits::One, 8}, false},
        MatchCase{"StopBits", B9600, CSTOPB, {9600, Parity::None, StopBits::One, 8}, false},
        MatchCase{"Odd2", B2400, PARODD | CSTOPB, {2400, Parity::Odd, StopBits::Two, 7}, true},
        MatchCase{"OddVersusNone", B2400, 0, {2400, Parity::Odd, StopBits::One, 7}, false},
        MatchCase{"Mark", B9600, PARODD | CMSPAR, {9600, Parity::Mark, StopBits::One, 8}, true},
        MatchCase{"MarkVersusOdd", B9600, PARODD, {9600, Parity::Mark, StopBits::One, 8}, false},
        MatchCase{"Space", B9600, CMSPAR, {9600, Parity::Space, StopBits::One, 8}, true},
        // A pty clears PARENB, so even parity cannot be told from none, nor 7 bits from 8.
        MatchCase{"EvenLooksLikeNone", B9600, 0, {9600, Parity::Even, StopBits::One, 7}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Wire, SerialParametersText) {
    const auto line = parseSerialParameters("19200,8,E,1");
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(*line, (LineSettings{19200, Parity::Even, StopBits::One, 8}));
    EXPECT_EQ(parseSerialParameters("2400,7,o,1.5")->stopBits, StopBits::OneAndHalf);
    for (const char* bad : {"", "19200,8,E", "19200,8,X,1", "19200,6,N,1", "1234,8,N,1",
                            "19200,8,N,3", "19200,8,NN,1", "19200,8,N,1,1"}) {
        EXPECT_FALSE(parseSerialParameters(bad).has_value()) << bad;
    }
}

}  // namespace
}  // namespace brevik2::sim
