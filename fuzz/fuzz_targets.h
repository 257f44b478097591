#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The bodies of the fuzz targets: each takes any bytes, runs them through one of the station's
// parsers of outside input and checks what must hold whatever the bytes were. A body that finds
// a broken rule calls fuzzCheckFailed, which aborts under libFuzzer (so the input is kept as a
// crash) and fails the test when the regression inputs are replayed.

namespace brevik2::fuzz {

using FuzzBody = int (*)(const std::uint8_t* data, std::size_t size);

int fuzzStatusRecords(const std::uint8_t* data, std::size_t size);
int fuzzUnitStatusCheck(const std::uint8_t* data, std::size_t size);
int fuzzClockVersionCounters(const std::uint8_t* data, std::size_t size);
int fuzzEventLog(const std::uint8_t* data, std::size_t size);
int fuzzReplyLines(const std::uint8_t* data, std::size_t size);
int fuzzSettingsFile(const std::uint8_t* data, std::size_t size);
int fuzzTelemetryFileName(const std::uint8_t* data, std::size_t size);
int fuzzTelnetComPort(const std::uint8_t* data, std::size_t size);

struct FuzzTarget {
    std::string_view name;  // as in fuzz/targets.cmake and the corpus folders
    FuzzBody body;
};

#ifdef _WIN32
inline constexpr std::size_t kFuzzTargetCount = 7;  // no serial ports on the network there
#else
inline constexpr std::size_t kFuzzTargetCount = 8;
#endif
extern const std::array<FuzzTarget, kFuzzTargetCount> kFuzzTargets;

// The body of the named target; nullptr for an unknown name.
FuzzBody findFuzzTarget(std::string_view name);

// Defined once by the libFuzzer entry and once by the replay test.
[[noreturn]] void fuzzCheckFailed(const char* condition, const char* file, int line);

}  // namespace brevik2::fuzz

#define BREVIK2_FUZZ_CHECK(condition)                                         \
    do {                                                                      \
        if (!(condition)) {                                                   \
            ::brevik2::fuzz::fuzzCheckFailed(#condition, __FILE__, __LINE__); \
        }                                                                     \
    } while (false)
