#include "console/console_options.h"

#include <cstdlib>

#include "link/command_catalogue.h"
#include "link/pending_request_slot.h"

namespace brevik2::console {
namespace {

bool parseCount(const std::string& text, long& value) {
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && value > 0;
}

bool parseSeconds(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && value > 0 && value < 1e9;
}

}  // namespace

std::optional<ConsoleOptions> parseConsoleOptions(const std::vector<std::string>& args,
                                                  std::string& error) {
    ConsoleOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--scan") {
            options.scan = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--metrics" && hasValue) {
            options.metricsListen = args[++i];
        } else if (arg == "--settings" && hasValue) {
            options.settingsPath = args[++i];
        } else if (arg == "--polls" && hasValue) {
            long polls = 0;
            if (!parseCount(args[++i], polls)) {
                error = "--polls takes a whole number above 0";
                return std::nullopt;
            }
            options.polls = polls;
        } else if (arg == "--seconds" && hasValue) {
            double seconds = 0;
            if (!parseSeconds(args[++i], seconds)) {
                error = "--seconds takes a number of seconds above 0";
                return std::nullopt;
            }
            options.seconds = seconds;
        } else if (arg == "--request" && hasValue) {
            const std::string& text = args[++i];
            const auto space = text.find(' ');
            ConsoleOptions::Request request{
                text.substr(0, space), space == std::string::npos ? "" : text.substr(space + 1)};
            if (link::findCommand(request.code) == nullptr) {
                error = "unknown request code \"" + request.code + "\"";
                return std::nullopt;
            }
            if (request.parameter.size() > link::PendingRequestSlot::kMaxParameterChars) {
                error = "the parameter of " + request.code + " is longer than 1023 characters";
                return std::nullopt;
            }
            options.requests.push_back(std::move(request));
        } else {
            error = "unknown or incomplete option \"" + arg + "\"";
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace brevik2::console
