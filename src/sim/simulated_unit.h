#pragma once

#include <array>
#include <chrono>
#include <ctime>
#include <optional>
#include <random>
#include <string>
#include <string_view>

#include "link/line_settings.h"
#include "sim/setting_rows.h"
#include "sim/unit_state.h"

namespace brevik2::sim {

// The simulated instrument itself, without any port: it takes one complete request and returns
// the bytes of its reply, keeping the unit's state (unit ID, clock, settings, event log, test
// modes, ...). Time is passed in, so tests can drive it without waiting.
//
// Thread safety: none; the server calls it under its own lock.
class SimulatedUnit {
public:
    using Clock = std::chrono::system_clock;

    SimulatedUnit(int model, long unitId, link::LineSettings line,
                  Clock::time_point now = Clock::now());

    // The reply to one request, or nothing when the unit stays quiet ("T*2"). Every reply starts
    // with STX; the status replies have their fixed lengths, the others end CR LF ETX (the event
    // log ends with a lone ETX). A request that changes the unit's state has changed it on
    // return; after "C05" the new line settings are in state().line, and the reply belongs to
    // the old ones.
    std::optional<std::string> handle(std::string_view code, std::string_view parameter,
                                      Clock::time_point now = Clock::now());

    // The lines of running test modes that have fallen due by now, in one piece.
    std::string takeTestOutput(Clock::time_point now = Clock::now());
    // When the next test-mode line falls due; nothing while no test mode runs.
    std::optional<Clock::time_point> nextTestOutput() const;
    void setTestLinePeriod(std::chrono::milliseconds period);

    const UnitState& state() const { return m_state; }
    // The unit's clock at host time now, broken down as gmtime does.
    std::tm unitTime(Clock::time_point now) const;

private:
    // One request as a handler sees it.
    struct UnitRequest {
        std::string_view code;
        std::string_view parameter;
        Clock::time_point now;
    };
    using Handler = std::optional<std::string> (SimulatedUnit::*)(const UnitRequest& request);
    // The handler of a request code; nullptr for a code the unit only acknowledges.
    static Handler handlerFor(std::string_view code);
    std::optional<std::string> storeSetting(const SettingRow& row, const UnitRequest& request);

    std::optional<std::string> variables(const UnitRequest& request);
    std::optional<std::string> constants(const UnitRequest& request);
    std::optional<std::string> eventLog(const UnitRequest& request);
    std::optional<std::string> extendedStatus(const UnitRequest& request);
    std::optional<std::string> nvram(const UnitRequest& request);
    std::optional<std::string> remoteOn(const UnitRequest& request);
    std::optional<std::string> dateTime(const UnitRequest& request);
    std::optional<std::string> version(const UnitRequest& request);
    std::optional<std::string> counters(const UnitRequest& request);
    std::optional<std::string> resetAlarms(const UnitRequest& request);
    std::optional<std::string> timeUpdating(const UnitRequest& request);
    std::optional<std::string> filterOrder(const UnitRequest& request);
    std::optional<std::string> mute(const UnitRequest& request);
    std::optional<std::string> externalAlarm(const UnitRequest& request);
    std::optional<std::string> clearEventLog(const UnitRequest& request);
    std::optional<std::string> ppsSync(const UnitRequest& request);
    std::optional<std::string> unitId(const UnitRequest& request);
    std::optional<std::string> language(const UnitRequest& request);
    std::optional<std::string> serialParameters(const UnitRequest& request);
    std::optional<std::string> customerMessage(const UnitRequest& request);
    std::optional<std::string> testMode(const UnitRequest& request);
    std::optional<std::string> setDate(const UnitRequest& request);
    std::optional<std::string> setTime(const UnitRequest& request);
    std::optional<std::string> switchQuery(const UnitRequest& request);
    std::optional<std::string> poweredHours(const UnitRequest& request);
    std::optional<std::string> resetNvram(const UnitRequest& request);
    std::optional<std::string> manufactureDate(const UnitRequest& request);
    std::optional<std::string> biuRegister(const UnitRequest& request);
    std::optional<std::string> e1Generator(const UnitRequest& request);
    std::optional<std::string> t1Generator(const UnitRequest& request);
    std::optional<std::string> telecomChannel(const UnitRequest& request);

    void updatePoweredHours(Clock::time_point now);
    void wander();
    void addEvent(std::string_view text, Clock::time_point now, std::string_view continuation = {});
    std::string testLine(int mode);

    UnitState m_state;
    std::mt19937 m_random;
    long m_poweredBase;
    Clock::time_point m_poweredSince;
    std::chrono::milliseconds m_testLinePeriod{5000};
    std::array<std::optional<Clock::time_point>, 3> m_nextTestLine{};
    unsigned m_testLineCount = 0;
};

}  // namespace brevik2::sim
