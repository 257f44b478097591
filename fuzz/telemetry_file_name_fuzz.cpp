// The data file's name from an operator's template: never a printf format, never a path out of
// the data folder. The first four bytes are the unit ID the name is made with.

#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

#include "engine/telemetry_format.h"
#include "fuzz/fuzz_targets.h"

namespace brevik2::fuzz {

int fuzzTelemetryFileName(const std::uint8_t* data, std::size_t size) {
    if (size < 4) {
        return 0;
    }
    std::int32_t unitId = 0;
    std::memcpy(&unitId, data, sizeof unitId);
    const std::string_view nameTemplate(reinterpret_cast<const char*>(data + 4), size - 4);
    const auto name = engine::formatTelemetryFileName(nameTemplate, unitId);
    if (!name) {
        return 0;
    }
    // Only the first "%ld" is replaced; everything else stays as typed.
    const std::size_t at = nameTemplate.find("%ld");
    std::string expected(nameTemplate);
    if (at != std::string_view::npos) {
        expected = std::string(nameTemplate.substr(0, at)) + std::to_string(unitId) +
                   std::string(nameTemplate.substr(at + 3));
    }
    BREVIK2_FUZZ_CHECK(*name == expected);
    // It names a file directly inside the data folder, the way the recorder joins them.
    const std::filesystem::path folder("/srv/brevik2/data");
    const std::filesystem::path path = (folder.string() + "/" + *name);
    BREVIK2_FUZZ_CHECK(name->find_first_of(std::string_view("/\\:\0", 4)) == std::string::npos);
    BREVIK2_FUZZ_CHECK(path.lexically_normal().parent_path() == folder);
    BREVIK2_FUZZ_CHECK(path.lexically_normal().filename() == std::filesystem::path(*name));
    return 0;
}

}  // namespace brevik2::fuzz
