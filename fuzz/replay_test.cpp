// The fuzz targets' bodies without libFuzzer: every input kept under
// tests/fuzz_regressions/<target>/ (each once broke a rule or crashed) and the seed corpus
// fuzz/corpus/<target>/ go through them again in every build, so a fixed fault stays fixed.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "fuzz/fuzz_targets.h"

namespace brevik2::fuzz {

namespace {

struct BrokenRule : std::runtime_error {
    using std::runtime_error::runtime_error;
};

}  // namespace

void fuzzCheckFailed(const char* condition, const char* file, int line) {
    throw BrokenRule(std::string(file) + ":" + std::to_string(line) + ": " + condition);
}

// The name, rather than the bytes of the struct, in the test list.
void PrintTo(const FuzzTarget& target, std::ostream* out) {
    *out << target.name;
}

namespace {

std::vector<std::filesystem::path> keptInputs(std::string_view target) {
    std::vector<std::filesystem::path> files;
    for (const char* root : {BREVIK2_FUZZ_REGRESSIONS, BREVIK2_FUZZ_CORPUS}) {
        const std::filesystem::path folder = std::filesystem::path(root) / target;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
            if (entry.is_regular_file()) {
                files.push_back(entry.path());
            }
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string readBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string runBody(FuzzBody body, std::string_view bytes) {
    try {
        body(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    } catch (const BrokenRule& broken) {
        return broken.what();
    }
    return {};
}

class FuzzReplay : public ::testing::TestWithParam<FuzzTarget> {};

TEST_P(FuzzReplay, KeptInputsKeepEveryRule) {
    const auto files = keptInputs(GetParam().name);
    ASSERT_FALSE(files.empty()) << "no seed corpus for " << GetParam().name;
    for (const auto& file : files) {
        const std::string broken = runBody(GetParam().body, readBytes(file));
        EXPECT_TRUE(broken.empty()) << file << ": " << broken;
    }
}

// Two kinds of reply at every length up to a little past the longest status reply, then in
// steps to 40 kB: every byte value in turn, and the target's first seed (a healthy reply) over
// and over. No length is special to a parser; none may break it.
TEST_P(FuzzReplay, EveryLengthUpTo40k) {
    if (GetParam().name == "settings_file") {
        GTEST_SKIP() << "a file per input; the settings tests cover long and binary files";
    }
    constexpr std::size_t kLongest = 40 * 1024;
    std::string everyByte(kLongest, '\0');
    for (std::size_t i = 0; i < kLongest; ++i) {
        everyByte[i] = static_cast<char>((i + 1) & 0xFF);
    }
    const auto seeds = keptInputs(GetParam().name);
    ASSERT_FALSE(seeds.empty());
    std::string repeated;
    for (const std::string seed = readBytes(seeds.back()); repeated.size() < kLongest;) {
        repeated += seed.empty() ? std::string(1, '\x02') : seed;
    }
    for (const std::string_view bytes : {std::string_view(everyByte), std::string_view(repeated)}) {
        for (std::size_t length = 0; length <= kLongest; length += length < 600 ? 1 : 509) {
            const std::string broken = runBody(GetParam().body, bytes.substr(0, length));
            ASSERT_TRUE(broken.empty()) << "length " << length << ": " << broken;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay, ::testing::ValuesIn(kFuzzTargets),
                         [](const ::testing::TestParamInfo<FuzzTarget>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace brevik2::fuzz
