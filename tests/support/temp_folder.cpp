#include "temp_folder.h"

#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

namespace brevik2::testing {

// A random name retried until create_directory makes a new folder: mkdtemp is POSIX only.
TempFolder::TempFolder() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    std::error_code ec;
    const auto base = std::filesystem::temp_directory_path(ec);
    for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
        auto candidate = base / ("brevik2-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate, ec)) {
            m_path = std::move(candidate);
        }
    }
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string readWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void writeWholeFile(const std::filesystem::path& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

}  // namespace brevik2::testing
