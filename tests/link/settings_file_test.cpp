#include "link/settings_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <thread>

#include "link/settings_defaults.h"
#include "link/settings_location.h"
#include "link/settings_value.h"
#include "link/utf8_path.h"
#include "support/environment.h"
#include "support/temp_folder.h"

namespace brevik2::link {
namespace {

using testing::readWholeFile;
using testing::TempFolder;
using testing::writeWholeFile;

TEST(SettingsFile, ReadsWithPrivateProfileRules) {
    TempFolder folder;
    writeWholeFile(folder / "Brevik2.ini",
                   "; station notes\n[Other]\nComPort=/dev/other\n[Brevik2]\n"
                   "comport =  /dev/ttyUSB0  \nEmpty=\nBaudRate=19200 ; fast\n");
    const SettingsFile settings(folder / "Brevik2.ini");

    EXPECT_EQ(settings.readString("ComPort", "COM1"), "/dev/ttyUSB0");  // any case, blanks gone
    EXPECT_EQ(settings.readString("Empty", "fallback"), "");  // present but empty is not missing
    EXPECT_EQ(settings.readString("Missing", "fallback"), "fallback");
    EXPECT_EQ(settings.readString("ComPort", "x", 8), "/dev/tty");  // cut to the caller's limit
    EXPECT_EQ(settings.readInt("BaudRate", 2400), 19200);           // leading integer only
    EXPECT_EQ(settings.readInt("Missing", 2400), 2400);
    EXPECT_EQ(settings.readInt("ComPort", 7), 0);  // no digits
}

TEST(SettingsFile, NoStoredValueIsMistakenForAMissingKey) {
    TempFolder folder;
    const SettingsFile settings(folder / "Brevik2.ini");
    for (const char* odd : {"\x01missing\x01", "\x01", "err", "x"}) {
        ASSERT_TRUE(settings.writeString("BaudRate", odd));
        EXPECT_EQ(settings.find("BaudRate"), std::optional<std::string>(odd));
        EXPECT_EQ(settings.readInt("BaudRate", 2400), 0) << odd;  // present, no digits
    }
    EXPECT_EQ(settings.find("Missing"), std::nullopt);
}

TEST(SettingsFile, MissingFileGivesFallbacksAndWriteCreatesIt) {
    TempFolder folder;
    const SettingsFile settings(folder / "Brevik2.ini");
    EXPECT_EQ(settings.readString("ComPort", "COM1"), "COM1");
    ASSERT_TRUE(settings.writeString("ComPort", "Com2"));
    EXPECT_EQ(settings.readString("ComPort", "COM1"), "Com2");
    EXPECT_NE(readWholeFile(folder / "Brevik2.ini").find("[Brevik2]"), std::string::npos);
}

TEST(SettingsFile, WriteReplacesInPlaceAndKeepsTheRest) {
    TempFolder folder;
    writeWholeFile(folder / "Brevik2.ini",
                   "[Other]\nKey=kept\n[Brevik2]\n; the unit in rack 3\nBAUDRATE=4800\nParity=n\n");
    const SettingsFile settings(folder / "Brevik2.ini");
    ASSERT_TRUE(settings.writeString("BaudRate", "9600"));
    const std::string content = readWholeFile(folder / "Brevik2.ini");
    EXPECT_EQ(settings.readInt("baudrate", 0), 9600);
    EXPECT_EQ(content.find("4800"), std::string::npos);
    EXPECT_NE(content.find("; the unit in rack 3"), std::string::npos);
    EXPECT_NE(content.find("Key=kept"), std::string::npos);
    EXPECT_EQ(settings.readString("Parity", ""), "n");
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos);
    }
}

// Operators edit the file by hand and keep it under version control: a write changes its own
// value or adds one line, and every other byte stays, line ends and blanks included.
TEST(SettingsFile, WritesChangeOnlyTheirOwnBytes) {
    struct Edit {
        std::string before;
        const char* key;
        const char* value;
        std::string after;
    };
    const Edit edits[] = {
        {"; rack 3\r\n[Brevik2]\r\nComPort = Com1\r\n\r\nBaudRate = 9600\r\n", "comport",
         "/dev/ttyUSB0",
         "; rack 3\r\n[Brevik2]\r\nComPort = /dev/ttyUSB0\r\n\r\nBaudRate = 9600\r\n"},
        {"[Brevik2]\r\nBaudRate = 9600\r\n\r\n[Other]\r\nKey=1\r\n", "Parity", "e",
         "[Brevik2]\r\nBaudRate = 9600\r\nParity=e\r\n\r\n[Other]\r\nKey=1\r\n"},
        {"[Other]\nKey = 1", "ComPort", "Com2", "[Other]\nKey = 1\n[Brevik2]\nComPort=Com2\n"},
        {"[Brevik2]", "ComPort", "", "[Brevik2]\nComPort=\n"},
        // The occurrence that reads is the one written: the last, sections merged.
        {"[brevik2]\nComPort=a\n[Other]\nComPort=b\n[ Brevik2 ]\n ComPort\t= c \n", "ComPort", "d",
         "[brevik2]\nComPort=a\n[Other]\nComPort=b\n[ Brevik2 ]\n ComPort\t= d \n"},
    };
    TempFolder folder;
    const SettingsFile settings(folder / "Brevik2.ini");
    for (const Edit& edit : edits) {
        writeWholeFile(settings.path(), edit.before);
        ASSERT_TRUE(settings.writeString(edit.key, edit.value));
        EXPECT_EQ(readWholeFile(settings.path()), edit.after);
        EXPECT_EQ(settings.readString(edit.key, "missing"), edit.value);
    }
    // A value that would break its line is refused and changes nothing.
    EXPECT_FALSE(settings.writeString("ComPort", "a\r\nBaudRate=300"));
    EXPECT_FALSE(settings.writeString("ComPort", std::string("a\0b", 3)));
    EXPECT_EQ(readWholeFile(settings.path()), edits[4].after);
}

TEST(SettingsFile, HostileContentFallsBackWithoutCrashing) {
    TempFolder folder;
    std::string binary(4096, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i) {
        binary[i] = static_cast<char>(i * 37);
    }
    writeWholeFile(folder / "Brevik2.ini",
                   binary + "\n[Brevik2]\nComPort=" + std::string(100000, 'A') + "\nDataBits=8\n");
    const SettingsFile settings(folder / "Brevik2.ini");
    EXPECT_EQ(settings.readString("ComPort", "", 255).size(), 255u);
    EXPECT_EQ(settings.readInt("DataBits", 7), 8);
    EXPECT_TRUE(settings.writeString("StopBits", "1"));
    EXPECT_EQ(settings.readString("StopBits", ""), "1");
}

TEST(SettingsFile, ConcurrentWritersLoseNoKey) {
    TempFolder folder;
    const SettingsFile settings(folder / "Brevik2.ini");
    auto writer = [&settings](const char* prefix) {
        for (int i = 0; i < 200; ++i) {
            settings.writeString(std::string(prefix) + std::to_string(i % 20), std::to_string(i));
        }
    };
    std::thread a(writer, "Alpha");
    std::thread b(writer, "Beta");
    a.join();
    b.join();
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(settings.readString("Alpha" + std::to_string(i), "lost"),
                  std::to_string(180 + i));
        EXPECT_EQ(settings.readString("Beta" + std::to_string(i), "lost"), std::to_string(180 + i));
    }
}

// What a scan that found nothing does with the keys it tried: the file as it was, exactly.
TEST(SettingsFile, RestoreKeysGivesTheOldBytesBack) {
    static constexpr std::string_view kKeys[] = {"ComPort", "BaudRate", "Parity"};
    const std::optional<std::string> files[] = {
        "; rack 3\r\n[Brevik2]\r\nComPort = Com2 ; "
        "spare\r\nBaudRate=9600\r\n\r\n[Other]\r\nA=1\r\n",
        "[Other]\nKey = 1",  // no section, no final line break
        "[brevik2]\nParity=n\n[Other]\nParity=e\n[ Brevik2 ]\n Parity\t= o ",
        std::nullopt,  // no file at all
    };
    TempFolder folder;
    const SettingsFile settings(folder / "Brevik2.ini");
    for (const auto& file : files) {
        SCOPED_TRACE(file.value_or("(none)"));
        std::filesystem::remove(settings.path());
        if (file) {
            writeWholeFile(settings.path(), *file);
        }
        const auto before = settings.contents();
        ASSERT_TRUE(before);
        for (const char* port : {"Com1", "/dev/ttyUSB0"}) {
            ASSERT_TRUE(settings.writeString("ComPort", port));
            ASSERT_TRUE(settings.writeString("BaudRate", "300"));
            ASSERT_TRUE(settings.writeString("Parity", "Space"));
        }
        ASSERT_TRUE(settings.restoreKeys(*before, kKeys));
        EXPECT_EQ(std::filesystem::exists(settings.path()), file.has_value());
        if (file) {
            EXPECT_EQ(readWholeFile(settings.path()), *file);
        }
    }

    // Another key written meanwhile stays; the tried keys alone go back, a new one goes.
    writeWholeFile(settings.path(), "[Brevik2]\nComPort = Com2\nSamplingInterval=60\n");
    const auto before = settings.contents();
    ASSERT_TRUE(before);
    ASSERT_TRUE(settings.writeString("ComPort", "Com1"));
    ASSERT_TRUE(settings.writeString("Parity", "Odd"));
    ASSERT_TRUE(settings.writeString("SamplingInterval", "30"));
    ASSERT_TRUE(settings.restoreKeys(*before, kKeys));
    EXPECT_EQ(readWholeFile(settings.path()), "[Brevik2]\nComPort = Com2\nSamplingInterval=30\n");
}

#ifndef _WIN32
// A settings file is a regular file of a few KiB. Anything else named as one is refused at once
// (no blocking open, no unbounded read): readers take their fallbacks, writes fail and change
// nothing, and problem() says why.
TEST(SettingsFile, RefusesWhatIsNoSettingsFile) {
    TempFolder folder;
    const auto fifo = folder / "fifo.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    std::filesystem::create_symlink("/dev/zero", folder / "zero.ini");
    std::filesystem::create_directory(folder / "folder.ini");
    const std::string tooLarge =
        "[Brevik2]\nComPort=Com2\n" + std::string(SettingsFile::kMaxBytes, ';') + "\n";
    writeWholeFile(folder / "large.ini", tooLarge);
    const std::pair<const char*, const char*> refused[] = {
        {"fifo.ini", "is not a regular file"},
        {"zero.ini", "is not a regular file"},
        {"folder.ini", "is not a regular file"},
        {"large.ini", "is larger than 1 MiB, too large for a settings file"},
    };
    for (const auto& [name, problem] : refused) {
        SCOPED_TRACE(name);
        const SettingsFile settings(folder / name);
        EXPECT_EQ(settings.problem(), problem);
        EXPECT_EQ(settings.readString("ComPort", "COM1"), "COM1");
        EXPECT_FALSE(settings.writeString("ComPort", "Com3"));
        EXPECT_FALSE(settings.isWritable());
        EXPECT_FALSE(settings.contents());
    }
    EXPECT_EQ(readWholeFile(folder / "large.ini"), tooLarge);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));

    // Up to the bound it is a settings file like any other.
    std::string atBound = "[Brevik2]\nComPort=Com2\n";
    atBound += std::string(SettingsFile::kMaxBytes - atBound.size() - 1, ';') + "\n";
    writeWholeFile(folder / "bound.ini", atBound);
    const SettingsFile bound(folder / "bound.ini");
    EXPECT_EQ(bound.problem(), "");
    EXPECT_EQ(bound.readString("ComPort", "COM1"), "Com2");
    EXPECT_TRUE(bound.writeString("ComPort", "Com3"));
    EXPECT_FALSE(bound.writeString("BaudRate", "9600"));  // it would no longer be read
    EXPECT_EQ(bound.readString("ComPort", "COM1"), "Com3");
    EXPECT_EQ(SettingsFile(folder / "missing.ini").problem(), "");
}
#endif

TEST(StartupDefaults, WritesTheFourteenKeysOnceAndKeepsExistingOnes) {
    TempFolder folder;
    writeWholeFile(folder / "Brevik2.ini", "[Brevik2]\nBaudRate=4800\n");
    const SettingsFile settings(folder / "Brevik2.ini");
    applyStartupDefaults(settings);
    const std::string first = readWholeFile(folder / "Brevik2.ini");
    applyStartupDefaults(settings);
    EXPECT_EQ(readWholeFile(folder / "Brevik2.ini"), first);

    EXPECT_EQ(settings.readString("BaudRate", ""), "4800");
    const std::pair<const char*, const char*> seeded[] = {
        {"WindowRectangle", "600,200,0,0"},
        {"ComPort", "Com1"},
        {"StopBits", "1"},
        {"DataBits", "8"},
        {"Parity", "n"},
        {"MonitoringEnabled", "false"},
        {"SamplingInterval", "3600"},
        {"TelemetryFilenameTemplate", "Unit%ld_Data.txt"},
        {"MultiUnitSupport", "false"},
        {"SerialSwitchControlCode", "22"},
        {"SerialSwitchPorts", "16"},
        {"SerialSwitchCodeRepeatFactor", "8"},
    };
    for (const auto& [key, value] : seeded) {
        EXPECT_EQ(settings.readString(key, "missing"), value) << key;
    }
    EXPECT_EQ(settings.readString("OnlineDatafileDirectory", "missing"), defaultDataDirectory());
}

TEST(StartupDefaults, AddOnlyTheMissingLineAndLeaveACompleteFileUntouched) {
    TempFolder folder;
    const std::string handWritten =
        "; bench station\r\n[Brevik2]\r\nWindowRectangle = 1,2,3,4\r\nComPort = Com2\r\n"
        "BaudRate = 9600\r\nStopBits = 1\r\nDataBits = 8\r\nParity = n\r\n\r\n"
        "MonitoringEnabled = true\r\nSamplingInterval = 60\r\n"
        "TelemetryFilenameTemplate = Unit%ld.txt\r\nOnlineDatafileDirectory = /srv/\r\n"
        "MultiUnitSupport = false\r\nSerialSwitchControlCode = 22\r\n"
        "SerialSwitchPorts = 16\r\n\r\n[Notes]\r\nOwner = lab\r\n";
    const SettingsFile settings(folder / "Brevik2.ini");
    writeWholeFile(settings.path(), handWritten);
    applyStartupDefaults(settings);
    std::string expected = handWritten;
    const std::string added = "SerialSwitchCodeRepeatFactor=8\r\n";
    expected.insert(expected.find("\r\n[Notes]"), added);
    ASSERT_EQ(readWholeFile(settings.path()), expected);

    // Nothing missing: the file is not even replaced (Windows has no inode number to show it).
#ifndef _WIN32
    struct stat before {};
    struct stat after {};
    ASSERT_EQ(::stat(settings.path().c_str(), &before), 0);
    applyStartupDefaults(settings);
    ASSERT_EQ(::stat(settings.path().c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
#else
    applyStartupDefaults(settings);
#endif
    EXPECT_EQ(readWholeFile(settings.path()), expected);
}

TEST(SettingsValue, TrimCutsCommentAndTrailingBlanks) {
    EXPECT_EQ(trimSettingsValue("Com2   ; the bench unit"), "Com2");
    EXPECT_EQ(trimSettingsValue("30 \t;x;y"), "30");
    EXPECT_EQ(trimSettingsValue("  lead kept\t "), "  lead kept");
    EXPECT_EQ(trimSettingsValue(";all comment"), "");
}

TEST(SettingsValue, TrailingSeparatorAcceptsEither) {
    EXPECT_EQ(ensureTrailingSeparator("/srv/data/"), "/srv/data/");
    EXPECT_EQ(ensureTrailingSeparator("C:\\data\\"), "C:\\data\\");
#ifdef _WIN32
    EXPECT_EQ(ensureTrailingSeparator("C:\\data"), "C:\\data\\");
    EXPECT_EQ(resolveDataDirectory("c:\\"), "c:\\");  // the real drive there
#else
    EXPECT_EQ(ensureTrailingSeparator("/srv/data"), "/srv/data/");
    EXPECT_EQ(resolveDataDirectory("c:\\"), defaultDataDirectory());
#endif
    EXPECT_EQ(resolveDataDirectory("/srv/data/"), "/srv/data/");
}

TEST(SettingsLocation, EnvironmentVariableWins) {
    TempFolder folder;
    const auto named = folder / "station-b.ini";
    testing::setEnvironment(kSettingsEnvironmentVariable, utf8FromPath(named));
    EXPECT_EQ(locateSettingsFile(), named);
    testing::unsetEnvironment(kSettingsEnvironmentVariable);
    const auto found = locateSettingsFile();
    EXPECT_EQ(found.filename(), "Brevik2.ini");
#ifndef _WIN32
    // The executable's folder keeps its case: a lower-cased path would name another folder.
    EXPECT_EQ(executableDirectory(), std::filesystem::canonical("/proc/self/exe").parent_path());
#endif
}

}  // namespace
}  // namespace brevik2::link
