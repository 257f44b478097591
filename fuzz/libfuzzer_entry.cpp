// The libFuzzer entry of one target, chosen by BREVIK2_FUZZ_TARGET when it is built.

#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_targets.h"

namespace brevik2::fuzz {

void fuzzCheckFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: broken rule: %s\n", file, line, condition);
    std::abort();  // libFuzzer keeps the input that got here as a crash
}

}  // namespace brevik2::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const brevik2::fuzz::FuzzBody body = [] {
        const auto found = brevik2::fuzz::findFuzzTarget(BREVIK2_FUZZ_TARGET);
        if (found == nullptr) {
            std::fprintf(stderr, "no fuzz target named %s\n", BREVIK2_FUZZ_TARGET);
            std::abort();
        }
        return found;
    }();
    return body(data, size);
}
