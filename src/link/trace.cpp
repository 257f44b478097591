#include "link/trace.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace brevik2::link {
namespace {

std::mutex& traceMutex() {
    static std::mutex mutex;
    return mutex;
}

}  // namespace

bool traceEnabled() {
    static const bool enabled = [] {
        const char* value = std::getenv("BREVIK2_TRACE");
        return value != nullptr && *value != '\0' && std::string_view(value) != "0";
    }();
    return enabled;
}

void traceNote(std::string_view note) {
    if (!traceEnabled()) {
        return;
    }
    std::lock_guard lock(traceMutex());
    std::fprintf(stderr, "[brevik2] %.*s\n", static_cast<int>(note.size()), note.data());
}

void traceBytes(std::string_view direction, const char* data, std::size_t count) {
    if (!traceEnabled() || count == 0) {
        return;
    }
    std::string line;
    line.reserve(count * 4 + 16);
    for (std::size_t i = 0; i < count; ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            line += static_cast<char>(byte);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            line += escaped;
        }
    }
    std::lock_guard lock(traceMutex());
    std::fprintf(stderr, "[brevik2] %.*s %zu: %s\n", static_cast<int>(direction.size()),
                 direction.data(), count, line.c_str());
}

}  // namespace brevik2::link
