#include "support/ser2net_server.h"

#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/temp_folder.h"

namespace brevik2::testing {
namespace {

using Clock = std::chrono::steady_clock;

// ser2net starts in tens of milliseconds here; the bound only catches one that never listens.
constexpr auto kListenLimit = std::chrono::seconds(5);
constexpr auto kLookAgain = std::chrono::milliseconds(10);

}  // namespace

int freeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(fd);
    return port;
}

bool isListening(int port) {
    std::ifstream table("/proc/net/tcp");
    std::string line;
    std::getline(table, line);  // the header
    char wanted[32];
    std::snprintf(wanted, sizeof wanted, "0100007F:%04X", port);
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state;
        fields >> slot >> local >> remote >> state;
        if (local == wanted && state == "0A") {
            return true;
        }
    }
    return false;
}

Ser2netServer::Ser2netServer(std::filesystem::path folder, std::string device,
                             std::string fixedLine)
    : m_folder(std::move(folder)), m_device(std::move(device)), m_fixedLine(std::move(fixedLine)) {}

Ser2netServer::~Ser2netServer() {
    stop();
}

bool Ser2netServer::start(std::string* error) {
    const bool freshPorts = m_rawPort == 0;
    // Another program may take a port between the look and ser2net's bind: pick again then.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (freshPorts) {
            m_rawPort = freeLoopbackPort();
            m_telnetPort = freeLoopbackPort();
            if (m_telnetPort == m_rawPort) {
                continue;
            }
        }
        if (launch(error)) {
            return true;
        }
        stop();
        if (!freshPorts) {
            break;
        }
    }
    return false;
}

bool Ser2netServer::launch(std::string* error) {
    const auto config = m_folder / "ser2net.yaml";
    const auto log = m_folder / "ser2net.log";
    const std::string connector = "serialdev," + m_device + "," + m_fixedLine + ",local";
    writeWholeFile(config,
                   "connection: &raw\n"
                   "  accepter: tcp,127.0.0.1," +
                       std::to_string(m_rawPort) +
                       "\n"
                       "  connector: " +
                       connector +
                       "\n"
                       "  options:\n    kickolduser: true\n"
                       "connection: &rfc2217\n"
                       "  accepter: telnet(rfc2217),tcp,127.0.0.1," +
                       std::to_string(m_telnetPort) +
                       "\n"
                       "  connector: " +
                       connector +
                       "\n"
                       "  options:\n    kickolduser: true\n");
    m_pid = ::fork();
    if (m_pid == 0) {
        std::FILE* out = std::freopen(log.c_str(), "w", stdout);
        if (out != nullptr) {
            ::dup2(::fileno(out), 2);
        }
        // -n: stay in the foreground; -u: no UUCP lock files.
        ::execlp("ser2net", "ser2net", "-n", "-u", "-c", config.c_str(), "-P",
                 (m_folder / "ser2net.pid").c_str(), static_cast<char*>(nullptr));
        std::perror("ser2net");
        ::_exit(127);
    }
    if (m_pid < 0) {
        if (error != nullptr) {
            *error = "fork failed";
        }
        return false;
    }
    const auto deadline = Clock::now() + kListenLimit;
    while (Clock::now() < deadline) {
        if (isListening(m_rawPort) && isListening(m_telnetPort)) {
            return true;
        }
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            break;
        }
        std::this_thread::sleep_for(kLookAgain);
    }
    if (error != nullptr) {
        *error = "ser2net did not listen: " + readWholeFile(log);
    }
    return false;
}

void Ser2netServer::stop() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
    }
}

}  // namespace brevik2::testing
