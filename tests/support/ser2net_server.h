#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace brevik2::testing {

// The real ser2net on 127.0.0.1, with a configuration file of its own in the given folder,
// bridging two fresh TCP ports to one serial device: rawPort() a raw stream with the line fixed
// at fixedLine (ser2net's "9600n81" form), telnetPort() Telnet with RFC 2217.
//
// Thread safety: none; the test's thread owns it.
class Ser2netServer {
public:
    Ser2netServer(std::filesystem::path folder, std::string device,
                  std::string fixedLine = "9600n81");
    ~Ser2netServer();  // stops
    Ser2netServer(const Ser2netServer&) = delete;
    Ser2netServer& operator=(const Ser2netServer&) = delete;

    // Starts ser2net and waits until both ports listen; false (and *error says why) when it
    // did not within a few seconds. A second start after stop() keeps the same ports.
    bool start(std::string* error = nullptr);
    void stop();

    int rawPort() const { return m_rawPort; }
    int telnetPort() const { return m_telnetPort; }
    std::string rawAddress() const { return "tcp://127.0.0.1:" + std::to_string(m_rawPort); }
    std::string telnetAddress() const {
        return "rfc2217://127.0.0.1:" + std::to_string(m_telnetPort);
    }

private:
    bool launch(std::string* error);

    std::filesystem::path m_folder;
    std::string m_device;
    std::string m_fixedLine;
    int m_rawPort = 0;
    int m_telnetPort = 0;
    pid_t m_pid = -1;
};

// A TCP port on 127.0.0.1 that nothing listens on at the moment of the call.
int freeLoopbackPort();
// True while something listens on the TCP port of 127.0.0.1 (read from /proc/net/tcp, so
// looking does not connect).
bool isListening(int port);

}  // namespace brevik2::testing
