#pragma once

#include <array>

namespace brevik2::link {

// One key of the settings file (every key lives in section SettingsFile::kSection).
//   seeded          written by the start-up pass when the key is missing; nullptr: never seeded
//   fallback        what the program's own reader (port, monitor thread, recorder, window,
//                   console) takes when the key is missing; nullptr: nothing reads it
//   dialogFallback  what a settings dialog shows for a missing key; nullptr: no dialog shows it
// A key is missing on read only when the file cannot be written or the key is not seeded, so a
// fallback that differs from the seed shows only there.
struct SettingsKey {
    const char* name;
    const char* seeded;
    const char* fallback;
    const char* dialogFallback;

    // The fallback's leading decimal number, for the keys the port reads as integers.
    constexpr int fallbackNumber() const {
        int value = 0;
        for (const char* c = fallback; *c >= '0' && *c <= '9'; ++c) {
            value = value * 10 + (*c - '0');
        }
        return value;
    }
};

namespace settings_keys {

// "x" means none stored: the window and the panel keep their preset place.
inline constexpr SettingsKey kWindowRectangle{"WindowRectangle", "600,200,0,0", "x", nullptr};
inline constexpr SettingsKey kUnitStatusRectangle{"UnitStatusRectangle", nullptr, "x", nullptr};
inline constexpr SettingsKey kUnitStatusVisible{"UnitStatusVisible", nullptr, "x", nullptr};
// Kept: the port falls back to COM1, 2400 baud, 7 data bits and odd parity, not to the seeds,
// as brevik2.ini(5) documents for a file it cannot write; the dialogs show the seeds.
inline constexpr SettingsKey kComPort{"ComPort", "Com1", "COM1", "Com1"};
inline constexpr SettingsKey kBaudRate{"BaudRate", "9600", "2400", "9600"};
inline constexpr SettingsKey kStopBits{"StopBits", "1", "1", "1"};
inline constexpr SettingsKey kDataBits{"DataBits", "8", "7", "8"};
// "n" and "N" both select None: the dialogs compare without regard to case.
inline constexpr SettingsKey kParity{"Parity", "n", "Odd", "N"};
inline constexpr SettingsKey kMonitoringEnabled{"MonitoringEnabled", "false", "false", "false"};
inline constexpr SettingsKey kRecordDataFile{"RecordDataFile", nullptr, "false", "false"};
// Kept: a file that cannot be written polls every 13 s, not hourly.
inline constexpr SettingsKey kSamplingInterval{"SamplingInterval", "3600", "13", "13"};
// Kept: three names. Data files recorded beside a read-only settings file carry the recorder's
// fallback name, and the Trends window finds them by it; the dialog's is what it has always
// offered.
inline constexpr SettingsKey kTelemetryFilenameTemplate{
    "TelemetryFilenameTemplate", "Unit%ld_Data.txt", "Unit %ld.txt", "Unit%ld.CFM2"};
// "c:\" is seeded and read through resolveDataDirectory(): the home folder outside Windows.
inline constexpr SettingsKey kOnlineDatafileDirectory{"OnlineDatafileDirectory", "c:\\", "c:\\",
                                                      "c:\\"};
// Written by the start-up pass only; nothing reads them.
inline constexpr SettingsKey kMultiUnitSupport{"MultiUnitSupport", "false", nullptr, nullptr};
inline constexpr SettingsKey kSerialSwitchControlCode{"SerialSwitchControlCode", "22", nullptr,
                                                      nullptr};
inline constexpr SettingsKey kSerialSwitchPorts{"SerialSwitchPorts", "16", nullptr, nullptr};
inline constexpr SettingsKey kSerialSwitchCodeRepeatFactor{"SerialSwitchCodeRepeatFactor", "8",
                                                           nullptr, nullptr};
// Empty: no metrics endpoint.
inline constexpr SettingsKey kMetricsListen{"MetricsListen", nullptr, "", nullptr};

}  // namespace settings_keys

// Every key, the seeded ones in the order the start-up pass writes them (that order is the
// order of the lines in a new file).
inline constexpr std::array<SettingsKey, 18> kSettingsKeys{
    settings_keys::kWindowRectangle,
    settings_keys::kUnitStatusRectangle,
    settings_keys::kUnitStatusVisible,
    settings_keys::kComPort,
    settings_keys::kBaudRate,
    settings_keys::kStopBits,
    settings_keys::kDataBits,
    settings_keys::kParity,
    settings_keys::kMonitoringEnabled,
    settings_keys::kRecordDataFile,
    settings_keys::kSamplingInterval,
    settings_keys::kTelemetryFilenameTemplate,
    settings_keys::kOnlineDatafileDirectory,
    settings_keys::kMultiUnitSupport,
    settings_keys::kSerialSwitchControlCode,
    settings_keys::kSerialSwitchPorts,
    settings_keys::kSerialSwitchCodeRepeatFactor,
    settings_keys::kMetricsListen,
};

}  // namespace brevik2::link
