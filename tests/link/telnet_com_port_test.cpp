// Serial ports on the network without a network: the ComPort names, the COM-PORT-OPTION's
// payloads, and the Telnet session fed the bytes a server would send.

#include "link/telnet_com_port.h"

#include <gtest/gtest.h>

#include "link/com_port_option.h"
#include "link/network_port_name.h"
#include "link/port_name.h"

namespace brevik2::link {
namespace {

using Kind = NetworkPortName::Kind;

std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) {
        s += static_cast<char>(v);
    }
    return s;
}

constexpr int kIac = 255, kWill = 251, kDo = 253, kDont = 254, kSb = 250, kSe = 240;

struct NameCase {
    const char* value;
    bool valid;
    Kind kind;
    const char* host;
    const char* port;
};

TEST(NetworkPortName, ParsesOnlyWellFormedAddresses) {
    const NameCase cases[] = {
        {"tcp://127.0.0.1:2000", true, Kind::RawTcp, "127.0.0.1", "2000"},
        {"RFC2217://rack-7.example:65535", true, Kind::Rfc2217, "rack-7.example", "65535"},
        {"tcp://[::1]:7000", true, Kind::RawTcp, "::1", "7000"},
        {"tcp://host", false, Kind::RawTcp, "", ""},
        {"tcp://:2000", false, Kind::RawTcp, "", ""},
        {"tcp://host:0", false, Kind::RawTcp, "", ""},
        {"tcp://host:65536", false, Kind::RawTcp, "", ""},
        {"tcp://host:20a", false, Kind::RawTcp, "", ""},
        {"tcp://ho st:2000", false, Kind::RawTcp, "", ""},
        {"tcp://::1:2000", false, Kind::RawTcp, "", ""},
        {"tcp://[::1]2000", false, Kind::RawTcp, "", ""},
        {"telnet://host:23", false, Kind::RawTcp, "", ""},
        {"Com1", false, Kind::RawTcp, "", ""},
    };
    for (const NameCase& c : cases) {
        const auto name = parseNetworkPortName(c.value);
        ASSERT_EQ(name.has_value(), c.valid) << c.value;
        if (name) {
            EXPECT_EQ(name->kind, c.kind) << c.value;
            EXPECT_EQ(name->host, c.host) << c.value;
            EXPECT_EQ(name->port, c.port) << c.value;
        }
    }
    EXPECT_TRUE(hasNetworkScheme("Tcp://host"));
    EXPECT_FALSE(hasNetworkScheme("/dev/ttyUSB0"));
    // A network address is never taken for "ComN" or rewritten into a device path.
    EXPECT_EQ(resolvePortName("tcp://127.0.0.1:2000", "/tmp"), "tcp://127.0.0.1:2000");
    EXPECT_EQ(resolvePortName("rfc2217://com1:2000", "/tmp"), "rfc2217://com1:2000");
}

TEST(ComPortOption, EncodesCommandsAndDecodesOnlyWellFormedAnswers) {
    EXPECT_EQ(com_port::encodeCommand(com_port::kSetBaudRate, 115200), bytes({1, 0, 1, 0xC2, 0}));
    EXPECT_EQ(com_port::encodeCommand(com_port::kSetParity, com_port::kParityOdd), bytes({3, 2}));

    const std::string baud = bytes({101, 0, 0, 0x12, 0xC0});
    auto answer = com_port::decodeServerAnswer(reinterpret_cast<const unsigned char*>(baud.data()),
                                               baud.size());
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->command, com_port::kSetBaudRate);
    EXPECT_EQ(answer->value, 4800u);

    const std::string rejected[] = {
        "",
        bytes({1, 0, 0, 0x12, 0xC0}),  // a client's command, not an answer
        bytes({101, 0, 0, 0x12}),      // short baud rate
        bytes({102}),                  // data size without its value
        bytes({102, 7, 7}),            // one byte too many
        bytes({113, 1}),               // no such command
    };
    for (const std::string& payload : rejected) {
        EXPECT_FALSE(com_port::decodeServerAnswer(
            reinterpret_cast<const unsigned char*>(payload.data()), payload.size()))
            << payload.size();
    }
}

class TelnetSession : public ::testing::Test {
protected:
    void feed(const std::string& s) { session.feed(s.data(), s.size()); }
    TelnetComPort session;
};

TEST_F(TelnetSession, AsksForTheOptionAndLearnsTheAnswer) {
    session.start();
    const std::string opening = session.takeOutgoing();
    EXPECT_NE(opening.find(bytes({kIac, kWill, 44})), std::string::npos);
    EXPECT_NE(opening.find(bytes({kIac, kDo, 0})), std::string::npos);
    EXPECT_EQ(session.comPortOption(), TelnetComPort::OptionState::Asked);
    feed(bytes({kIac, kDo, 44}));
    EXPECT_EQ(session.comPortOption(), TelnetComPort::OptionState::Agreed);

    // libtelnet answers a refusal of what we asked for without telling: the open's bound ends
    // that wait. An option the server agreed to and then drops is seen.
    feed(bytes({kIac, kDont, 44}));
    EXPECT_EQ(session.comPortOption(), TelnetComPort::OptionState::Refused);
}

TEST_F(TelnetSession, EveryByteValueCrossesIntactBothWays) {
    const std::string data = bytes({2, 'A', 0xFF, 0x0D, 0, 0x0A, 0xFF, 3});
    session.sendData(data.data(), data.size());
    EXPECT_EQ(session.takeOutgoing(), bytes({2, 'A', 0xFF, 0xFF, 0x0D, 0, 0x0A, 0xFF, 0xFF, 3}));
    // Split inside the doubled 0xFF and inside a sub-negotiation, as TCP may cut it.
    feed(bytes({2, 'A', kIac}));
    feed(bytes({kIac, 0x0D, 0, 0x0A, kIac, kSb, 44, 106}));
    feed(bytes({0, kIac, kSe, kIac, kIac, 3}));
    EXPECT_EQ(session.takeData(), data);
    EXPECT_TRUE(session.failure().empty());
}

TEST_F(TelnetSession, LineSettingsGoOutAndTheirAnswersAreKept) {
    session.setLine(4800, Parity::Odd, StopBits::Two, 7);
    const std::string out = session.takeOutgoing();
    for (const std::string& command :
         {bytes({kIac, kSb, 44, 1, 0, 0, 0x12, 0xC0, kIac, kSe}),
          bytes({kIac, kSb, 44, 2, 7, kIac, kSe}), bytes({kIac, kSb, 44, 3, 2, kIac, kSe}),
          bytes({kIac, kSb, 44, 4, 2, kIac, kSe}), bytes({kIac, kSb, 44, 5, 8, kIac, kSe})}) {
        EXPECT_NE(out.find(command), std::string::npos);
    }
    feed(bytes({kIac, kSb, 44, 101, 0, 0, 0x12, 0xC0, kIac, kSe}));
    feed(bytes({kIac, kSb, 44, 102, 8, kIac, kSe, kIac, kSb, 44, 103, 1, kIac, kSe}));
    EXPECT_FALSE(session.lineAnswered());
    feed(bytes({kIac, kSb, 44, 104, 2, kIac, kSe}));
    EXPECT_TRUE(session.lineAnswered());
    EXPECT_EQ(session.answeredBaudRate(), 4800u);
    // A new setting forgets the old answers.
    session.setLine(9600, std::nullopt, StopBits::One, 8);
    EXPECT_FALSE(session.lineAnswered());
    EXPECT_NE(session.takeOutgoing().find(bytes({kIac, kSb, 44, 3, 0, kIac, kSe})),
              std::string::npos);
}

TEST_F(TelnetSession, AFloodFailsTheSessionInsteadOfGrowingWithoutBound) {
    const std::string block(64 * 1024, 'x');
    for (std::size_t sent = 0; sent <= TelnetComPort::kMaxPendingData; sent += block.size()) {
        feed(block);
    }
    EXPECT_FALSE(session.failure().empty());
    EXPECT_LE(session.takeData().size(), TelnetComPort::kMaxPendingData);
}

}  // namespace
}  // namespace brevik2::link
