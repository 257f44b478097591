// The settings file's Windows calls: the cross-process lock, the replace onto an existing or
// read-only file, names outside the ANSI code page, and the settings location.

#include <gtest/gtest.h>
#include <windows.h>

#include <future>

#include "link/settings_file.h"
#include "link/settings_location.h"
#include "link/utf8_path.h"
#include "support/environment.h"
#include "support/temp_folder.h"

namespace brevik2::link {
namespace {

using namespace std::chrono_literals;

class SettingsWin32 : public ::testing::Test {
protected:
    testing::TempFolder folder;
    std::filesystem::path path = folder / "Brevik2.ini";
    SettingsFile settings{path};
};

TEST_F(SettingsWin32, WriteWaitsForAnotherProgramsLock) {
    ASSERT_TRUE(settings.writeString("ComPort", "Com1"));
    // Another program holding the lock, as LockFileEx on its own handle.
    const HANDLE other =
        CreateFileW((folder / "Brevik2.ini.lock").c_str(), GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    OVERLAPPED whole{};
    ASSERT_TRUE(LockFileEx(other, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &whole));

    auto writing =
        std::async(std::launch::async, [&] { return settings.writeString("BaudRate", "19200"); });
    EXPECT_EQ(writing.wait_for(300ms), std::future_status::timeout) << "wrote through the lock";
    // Read past the settings object: its process-wide mutex is held by the waiting writer.
    EXPECT_EQ(testing::readWholeFile(path).find("BaudRate"), std::string::npos);

    UnlockFileEx(other, 0, 1, 0, &whole);
    CloseHandle(other);
    ASSERT_EQ(writing.wait_for(10s), std::future_status::ready);
    EXPECT_TRUE(writing.get());
    EXPECT_EQ(settings.readString("BaudRate", ""), "19200");
    EXPECT_EQ(settings.readString("ComPort", ""), "Com1");
}

TEST_F(SettingsWin32, ReadOnlyFileIsLeftWholeAndNoTemporaryStays) {
    ASSERT_TRUE(settings.writeString("ComPort", "Com3"));
    ASSERT_TRUE(settings.writeString("ComPort", "Com4"));  // a replace onto an existing file
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(settings.writeString("ComPort", "Com5"));
    EXPECT_EQ(settings.readString("ComPort", ""), "Com4");
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
    }
}

TEST_F(SettingsWin32, Utf8NamesReachTheWideCalls) {
    const auto station = folder.path() / pathFromUtf8("Station \xCE\xA9 \xE6\x97\xB6");
    std::filesystem::create_directory(station);
    const SettingsFile named(station / "Brevik2.ini");
    ASSERT_TRUE(named.writeString("OnlineDatafileDirectory", "D:\\Daten\\\xC3\xBC"));
    EXPECT_TRUE(std::filesystem::exists(station / L"Brevik2.ini"));
    EXPECT_EQ(named.readString("OnlineDatafileDirectory", ""), "D:\\Daten\\\xC3\xBC");
    EXPECT_EQ(utf8FromPath(station).substr(utf8FromPath(folder.path()).size() + 1),
              "Station \xCE\xA9 \xE6\x97\xB6");
}

TEST(SettingsLocationWin32, BesideTheExecutableWhenItsFolderIsWritable) {
    const auto folder = executableDirectory();
    EXPECT_TRUE(std::filesystem::exists(folder / "brevik2_link_win32_tests.exe")) << folder;
    testing::unsetEnvironment(kSettingsEnvironmentVariable);
    EXPECT_EQ(locateSettingsFile(), folder / kSettingsFileName);
    // The probe that found the folder writable left nothing behind.
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        EXPECT_EQ(entry.path().filename().string().find("Brevik2-write-test"), std::string::npos);
    }
}

}  // namespace
}  // namespace brevik2::link
