#include "link/settings_keys.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace brevik2::link {
namespace {

std::string lowered(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// Keys are case-insensitive in the file, so two rows differing only in case would be one key;
// a row nothing seeds and nothing reads is dead; the manual page documents every key.
TEST(SettingsKeys, EachKeyIsOneRowThatIsUsedAndDocumented) {
    std::ifstream page(BREVIK2_SOURCE_DIR "/packaging/man/brevik2.ini.5.scd");
    ASSERT_TRUE(page) << "manual page not found";
    std::stringstream text;
    text << page.rdbuf();

    std::set<std::string> names;
    for (const SettingsKey& key : kSettingsKeys) {
        EXPECT_TRUE(names.insert(lowered(key.name)).second) << key.name;
        EXPECT_TRUE(key.seeded != nullptr || key.fallback != nullptr ||
                    key.dialogFallback != nullptr)
            << key.name;
        EXPECT_NE(text.str().find("*" + std::string(key.name) + "*"), std::string::npos)
            << key.name << " is not in brevik2.ini(5)";
    }
}

}  // namespace
}  // namespace brevik2::link
