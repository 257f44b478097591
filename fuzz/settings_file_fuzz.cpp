// Any bytes as Brevik2.ini: every read gives the stored text or the fallback, cut to its limit;
// the sampling interval stays in its range; and a write reads back as written while every other
// key keeps what it held.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/monitor_thread.h"
#include "fuzz/fuzz_targets.h"
#include "link/settings_file.h"
#include "link/settings_value.h"

namespace brevik2::fuzz {
namespace {

constexpr const char* kKeys[] = {
    "WindowRectangle",
    "UnitStatusRectangle",
    "UnitStatusVisible",
    "ComPort",
    "BaudRate",
    "DataBits",
    "StopBits",
    "Parity",
    "MonitoringEnabled",
    "RecordDataFile",
    "SamplingInterval",
    "OnlineDatafileDirectory",
    "TelemetryFilenameTemplate",
    "MultiUnitSupport",
    "SerialSwitchControlCode",
    "SerialSwitchPorts",
    "SerialSwitchCodeRepeatFactor",
};
// No stored value can hold a line feed, so no file can hold this.
constexpr const char* kMissing = "\n(missing)";
constexpr std::size_t kWholeValue = 1 << 20;

// A new folder of this run's own (mkdtemp is POSIX only).
std::filesystem::path scratchFolder() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto folder =
            std::filesystem::temp_directory_path() / ("brevik2-fuzz-" + std::to_string(random()));
        if (std::filesystem::create_directory(folder)) {
            return folder;
        }
    }
    std::abort();
}

const std::filesystem::path& settingsPath() {
    static const std::filesystem::path folder = scratchFolder();
    static const std::filesystem::path path = [] {
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        });
        return folder / "Brevik2.ini";
    }();
    return path;
}

}  // namespace

int fuzzSettingsFile(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path& path = settingsPath();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const link::SettingsFile settings(path);

    std::vector<std::string> before;
    for (const char* key : kKeys) {
        const std::string whole = settings.readString(key, kMissing, kWholeValue);
        const std::string trimmed = link::trimSettingsValue(whole);
        BREVIK2_FUZZ_CHECK(trimmed.find(';') == std::string::npos);
        BREVIK2_FUZZ_CHECK(trimmed.empty() || (trimmed.back() != ' ' && trimmed.back() != '\t'));
        if (whole == kMissing) {
            BREVIK2_FUZZ_CHECK(settings.readInt(key, 2400) == 2400);
        }
        before.push_back(whole);
    }
    // A read cut to its limit is the start of the whole value, or the fallback.
    const std::string port = settings.readString("ComPort", "COM1", 31);
    BREVIK2_FUZZ_CHECK(port.size() <= 31);
    BREVIK2_FUZZ_CHECK(before[3] == kMissing ? port == "COM1"
                                             : before[3].compare(0, 31, port) == 0);
    const int interval = engine::readSamplingInterval(settings);
    BREVIK2_FUZZ_CHECK(interval >= 0 && interval <= 100000);

    // Whatever the file held, it can be written, and the write loses no other key.
    constexpr const char* kWritten = "SamplingInterval";
    BREVIK2_FUZZ_CHECK(settings.writeString(kWritten, "60"));
    for (std::size_t i = 0; i < std::size(kKeys); ++i) {
        const std::string now = settings.readString(kKeys[i], kMissing, kWholeValue);
        BREVIK2_FUZZ_CHECK(now == (std::string_view(kKeys[i]) == kWritten ? "60" : before[i]));
    }
    return 0;
}

}  // namespace brevik2::fuzz
