#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace brevik2::link {

// File and device names are UTF-8 text throughout the program. A path built from a plain
// std::string would be read in the system's ANSI code page on Windows, so names go through
// these two instead; on POSIX both are the bytes as they are.
std::filesystem::path pathFromUtf8(std::string_view text);
std::string utf8FromPath(const std::filesystem::path& path);

}  // namespace brevik2::link
