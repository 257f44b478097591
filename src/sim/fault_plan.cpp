#include "sim/fault_plan.h"

#include <utility>

#include "sim/fault_injection.h"

namespace brevik2::sim {
namespace {

constexpr int kDefaultFlakyEvery = 3;
constexpr int kDefaultVanishAfter = 3;

}  // namespace

FaultPlan::FaultPlan(FaultKind kind, int every, int vanishAfter)
    : m_kind(kind),
      m_every(every > 0 ? every : kDefaultFlakyEvery),
      m_vanishAfter(vanishAfter > 0 ? vanishAfter : kDefaultVanishAfter) {}

void FaultPlan::set(FaultKind kind, int every) {
    m_kind = kind;
    m_every = every > 0 ? every : kDefaultFlakyEvery;
    m_repliesCounted = 0;
    m_pollsServed = 0;
    m_streaming = false;
}

bool FaultPlan::vanishesAt(std::string_view code) {
    if (m_kind != FaultKind::Vanish || code != "D*1") {
        return false;
    }
    if (m_pollsServed >= m_vanishAfter) {
        return true;
    }
    ++m_pollsServed;
    return false;
}

std::optional<std::string> FaultPlan::apply(std::string_view code, std::optional<std::string> reply,
                                            bool& delayed) {
    delayed = false;
    const unsigned variant = m_garbleVariant++;
    if (m_kind == FaultKind::Stream) {
        m_streaming = true;
        return std::nullopt;
    }
    if (!reply || m_kind == FaultKind::Silent) {
        return std::nullopt;
    }
    switch (m_kind) {
        case FaultKind::Flaky:
            if (++m_repliesCounted % static_cast<unsigned>(m_every) == 0) {
                return std::nullopt;
            }
            break;
        case FaultKind::Garbage:
            return garbleReply(code, std::move(*reply), variant);
        case FaultKind::Truncated:
            return truncateReply(std::move(*reply));
        case FaultKind::Slow:
            delayed = true;
            break;
        default:
            break;
    }
    return reply;
}

}  // namespace brevik2::sim
