#include "link/platform_port.h"

#include "link/network_port_name.h"

#ifndef _WIN32
#include "link/network_port.h"
#endif

namespace brevik2::link {

namespace {

class PortCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "brevik2.port"; }
    std::string message(int) const override { return "not a serial device"; }
};

}  // namespace

std::error_code notSerialDevice() {
    static const PortCategory category;
    return {1, category};
}

#ifdef _WIN32
namespace {

// Serial ports on the network are built on POSIX sockets and libtelnet, which MinGW lacks, so
// far. A network name opens to this refusal rather than to a search for a device of that name.
class NotBuiltCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "brevik2.link"; }
    std::string message(int) const override {
        return "serial ports on the network are not built on this platform";
    }
};

std::error_code notBuilt() {
    static const NotBuiltCategory category;
    return {1, category};
}

class UnbuiltNetworkPort final : public PlatformPort {
public:
    std::error_code open(const std::string&) override { return notBuilt(); }
    std::error_code configure(int, std::optional<Parity>, StopBits, int) override {
        return notBuilt();
    }
    void restoreAndClose() override {}
    PortReadResult read(char*, std::size_t, const SerialTimeouts&, const StopSignal*) override {
        return {0, notBuilt()};
    }
    std::error_code write(const char*, std::size_t, const StopSignal*) override {
        return notBuilt();
    }
};

}  // namespace
#endif

std::unique_ptr<PlatformPort> makePlatformPort(std::string_view device, const StopSignal* stop,
                                               const SerialTimeouts& timeouts) {
    if (auto name = parseNetworkPortName(device)) {
#ifdef _WIN32
        (void)stop;
        (void)timeouts;
        return std::make_unique<UnbuiltNetworkPort>();
#else
        return std::make_unique<NetworkPort>(std::move(*name), stop, timeouts);
#endif
    }
    return makeDevicePort();
}

}  // namespace brevik2::link
