#include "sim/fault_kind.h"

#include <array>
#include <utility>

namespace brevik2::sim {
namespace {

constexpr std::array<std::pair<FaultKind, std::string_view>, 8> kNames{{
    {FaultKind::None, "healthy"},
    {FaultKind::Silent, "silent"},
    {FaultKind::Garbage, "garbage"},
    {FaultKind::Truncated, "truncated"},
    {FaultKind::Slow, "slow"},
    {FaultKind::Flaky, "flaky"},
    {FaultKind::Vanish, "vanish"},
    {FaultKind::Stream, "stream"},
}};

}  // namespace

std::optional<FaultKind> faultKindFromName(std::string_view name) {
    if (name.empty()) {
        return FaultKind::None;
    }
    for (const auto& [kind, text] : kNames) {
        if (text == name) {
            return kind;
        }
    }
    return std::nullopt;
}

}  // namespace brevik2::sim
