#include "sim/sim_command_line.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <map>

#include "link/line_settings.h"
#include "sim/fault_kind.h"
#include "sim/wire_encoding.h"

namespace brevik2::sim {
namespace {

template <typename T>
bool parseNumber(const std::string& text, T& value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && ptr == end;
}

bool setError(std::string* error, std::string what) {
    if (error != nullptr) {
        *error = std::move(what);
    }
    return false;
}

}  // namespace

std::string simUsage(std::string_view program) {
    std::string usage = "usage: ";
    usage += program;
    usage +=
        " --model 400|401|402 --link PATH [--unit-id N]\n"
        "       [--baud B --data-bits 7|8 --parity n|o|e|m|s --stop-bits 1|2]\n"
        "       [--fault silent|garbage|truncated|slow|flaky|vanish|stream] [--fault-every N]\n"
        "       [--vanish-after N --reappear-after S] [--pace] | --help | --version\n"
        "Plays one instrument on a pseudo-terminal; PATH becomes a link to its slave side.\n"
        "Defaults: model 401, unit ID 1010, 9600 8N1. Set BREVIK2_TRACE=1 to trace the bytes.\n"
        "Prints the slave's name and runs until SIGINT or SIGTERM. See brevik2-sim(1).\n";
    return usage;
}

std::optional<SimCommandLine> parseSimCommandLine(const std::vector<std::string>& arguments,
                                                  std::string* error) {
    SimCommandLine result;
    SimOptions& o = result.options;
    bool haveLink = false;

    using Setter = std::function<bool(const std::string&)>;
    const std::map<std::string, Setter> valued{
        {"--model",
         [&](const std::string& v) {
             return parseNumber(v, o.model) && (o.model == 400 || o.model == 401 || o.model == 402);
         }},
        {"--link",
         [&](const std::string& v) {
             o.linkPath = v;
             haveLink = true;
             return !v.empty();
         }},
        {"--unit-id",
         [&](const std::string& v) {
             return parseNumber(v, o.unitId) && o.unitId >= 0 && o.unitId <= 99999;
         }},
        {"--baud",
         [&](const std::string& v) {
             return parseNumber(v, o.line.baudRate) && link::isValidBaudRate(o.line.baudRate);
         }},
        {"--data-bits",
         [&](const std::string& v) {
             return parseNumber(v, o.line.dataBits) &&
                    (o.line.dataBits == 7 || o.line.dataBits == 8);
         }},
        {"--parity",
         [&](const std::string& v) {
             const auto parity = v.size() == 1 ? parityFromLetter(v[0]) : std::nullopt;
             if (parity) {
                 o.line.parity = *parity;
             }
             return parity.has_value();
         }},
        {"--stop-bits",
         [&](const std::string& v) {
             if (v != "1" && v != "2") {
                 return false;
             }
             o.line.stopBits = v == "1" ? link::StopBits::One : link::StopBits::Two;
             return true;
         }},
        {"--fault",
         [&](const std::string& v) {
             o.fault = v == "healthy" ? "" : v;
             return faultKindFromName(v).has_value();
         }},
        {"--fault-every",
         [&](const std::string& v) { return parseNumber(v, o.faultEvery) && o.faultEvery >= 1; }},
        {"--vanish-after",
         [&](const std::string& v) { return parseNumber(v, o.vanishAfter) && o.vanishAfter >= 1; }},
        {"--reappear-after",
         [&](const std::string& v) {
             return parseNumber(v, o.reappearAfterSeconds) && std::isfinite(o.reappearAfterSeconds);
         }},
    };

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string name = arguments[i];
        std::optional<std::string> value;
        if (const std::size_t eq = name.find('='); eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        if (name == "--pace" && !value) {
            o.pace = true;
            continue;
        }
        if ((name == "--help" || name == "-h") && !value) {
            result.help = true;
            continue;
        }
        if (name == "--version" && !value) {
            result.version = true;
            continue;
        }
        const auto setter = valued.find(name);
        if (setter == valued.end()) {
            setError(error, "unknown option " + arguments[i]);
            return std::nullopt;
        }
        if (!value) {
            if (i + 1 >= arguments.size()) {
                setError(error, name + " needs a value");
                return std::nullopt;
            }
            value = arguments[++i];
        }
        if (!setter->second(*value)) {
            setError(error, "bad value for " + name + ": " + *value);
            return std::nullopt;
        }
    }
    if (!haveLink && !result.help && !result.version) {
        setError(error, "--link PATH is required");
        return std::nullopt;
    }
    return result;
}

}  // namespace brevik2::sim
