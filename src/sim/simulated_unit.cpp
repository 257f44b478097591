#include "sim/simulated_unit.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "link/request_framing.h"
#include "sim/parameter_text.h"
#include "sim/setting_rows.h"
#include "sim/status_replies.h"
#include "sim/wire_encoding.h"

namespace brevik2::sim {
namespace {

constexpr std::size_t kMaxEventLogEntries = 200;
constexpr std::size_t kCustomerMessageChars = 10;

std::string replyText(std::string_view text) {
    std::string reply(1, link::kStx);
    reply += text;
    reply += "\r\n";
    reply += link::kEtx;
    return reply;
}

std::string acknowledge(std::string_view code) {
    return replyText(std::string(code) + " OK");
}

std::string refuse(std::string_view code) {
    return replyText(std::string(code) + " ERR");
}

// Three numbers of a date or a time, each in its range.
std::optional<std::array<int, 3>> parseTriple(std::string_view text, std::array<int, 3> low,
                                              std::array<int, 3> high) {
    const std::vector<std::string_view> parts = split(trimmed(text), "/,:");
    if (parts.size() != 3) {
        return std::nullopt;
    }
    std::array<int, 3> values{};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::optional<long> v = parseIntegerIn(parts[i], low[i], high[i]);
        if (!v) {
            return std::nullopt;
        }
        values[i] = static_cast<int>(*v);
    }
    return values;
}

int fullYear(int twoDigitYear) {
    return twoDigitYear < 70 ? 2000 + twoDigitYear : 1900 + twoDigitYear;
}

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The unit's clock starts at the host's local wall-clock time.
long long localUtcOffsetSeconds(SimulatedUnit::Clock::time_point now) {
    const std::time_t t = SimulatedUnit::Clock::to_time_t(now);
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr) {
        return 0;
    }
    return local.tm_gmtoff;
}

template <typename T>
void wanderValue(T& value, T step, T low, T high, std::mt19937& random) {
    std::uniform_int_distribution<int> direction(-1, 1);
    value = std::clamp(static_cast<T>(value + step * direction(random)), low, high);
}

}  // namespace

SimulatedUnit::SimulatedUnit(int model, long unitId, link::LineSettings line, Clock::time_point now)
    : m_random(static_cast<std::mt19937::result_type>(unitId)),
      m_poweredBase(m_state.poweredHours),
      m_poweredSince(now) {
    m_state.model = model;
    m_state.unitId = unitId;
    m_state.line = line;
    m_state.clockOffsetSeconds = localUtcOffsetSeconds(now);
    m_state.eventLog = {
        {"001 07/09/03 14:05:09 POWER ON", {}},
        {"002 07/09/03 14:47:31 WARM UP COMPLETE", {}},
        {"003 07/10/03 02:13:55 MINOR ALARM", {"C-FIELD CURRENT LOW  ALRM2=04"}},
    };
    m_state.nextEventNumber = 4;
}

std::tm SimulatedUnit::unitTime(Clock::time_point now) const {
    const std::time_t t =
        Clock::to_time_t(now) + static_cast<std::time_t>(m_state.clockOffsetSeconds);
    std::tm broken{};
    gmtime_r(&t, &broken);
    return broken;
}

void SimulatedUnit::setTestLinePeriod(std::chrono::milliseconds period) {
    m_testLinePeriod = std::max(period, std::chrono::milliseconds(1));
}

std::optional<std::string> SimulatedUnit::handle(std::string_view code, std::string_view parameter,
                                                 Clock::time_point now) {
    ++m_state.requestCounts[std::string(code)];
    const UnitRequest request{code, parameter, now};
    if (const SettingRow* row = settingRowFor(code)) {
        return storeSetting(*row, request);
    }
    const Handler handler = handlerFor(code);
    if (handler == nullptr) {
        return acknowledge(code);
    }
    return (this->*handler)(request);
}

std::optional<std::string> SimulatedUnit::storeSetting(const SettingRow& row,
                                                       const UnitRequest& request) {
    const std::optional<long> value = parseIntegerIn(request.parameter, row.low, row.high);
    if (!value || (row.onlyModel != 0 && m_state.model != row.onlyModel)) {
        return refuse(request.code);
    }
    row.store(m_state, *value);
    return acknowledge(request.code);
}

SimulatedUnit::Handler SimulatedUnit::handlerFor(std::string_view code) {
    static constexpr std::pair<std::string_view, Handler> kHandlers[] = {
        {"D*1", &SimulatedUnit::variables},
        {"D*2", &SimulatedUnit::constants},
        {"D*3", &SimulatedUnit::eventLog},
        {"D*4", &SimulatedUnit::extendedStatus},
        {"D*5", &SimulatedUnit::nvram},
        {"T*2", &SimulatedUnit::remoteOn},
        {"A08", &SimulatedUnit::dateTime},
        {"C03", &SimulatedUnit::version},
        {"A24", &SimulatedUnit::counters},
        {"W00", &SimulatedUnit::resetAlarms},
        {"W16", &SimulatedUnit::resetAlarms},
        {"W03", &SimulatedUnit::timeUpdating},
        {"W10", &SimulatedUnit::filterOrder},
        {"W12", &SimulatedUnit::mute},
        {"W13", &SimulatedUnit::mute},
        {"W15", &SimulatedUnit::externalAlarm},
        {"W18", &SimulatedUnit::clearEventLog},
        {"W22", &SimulatedUnit::ppsSync},
        {"C01", &SimulatedUnit::unitId},
        {"C04", &SimulatedUnit::language},
        {"C05", &SimulatedUnit::serialParameters},
        {"C06", &SimulatedUnit::customerMessage},
        {"A01", &SimulatedUnit::testMode},
        {"A02", &SimulatedUnit::testMode},
        {"A03", &SimulatedUnit::testMode},
        {"A06", &SimulatedUnit::setDate},
        {"A07", &SimulatedUnit::setTime},
        {"A10", &SimulatedUnit::switchQuery},
        {"A12", &SimulatedUnit::switchQuery},
        {"A13", &SimulatedUnit::poweredHours},
        {"A14", &SimulatedUnit::poweredHours},
        {"A16", &SimulatedUnit::resetNvram},
        {"A17", &SimulatedUnit::manufactureDate},
        {"A19", &SimulatedUnit::biuRegister},
        {"A20", &SimulatedUnit::e1Generator},
        {"A21", &SimulatedUnit::t1Generator},
        {"A22", &SimulatedUnit::telecomChannel},
    };
    for (const auto& [c, handler] : kHandlers) {
        if (c == code) {
            return handler;
        }
    }
    return nullptr;
}

// ---- status queries

std::optional<std::string> SimulatedUnit::variables(const UnitRequest& request) {
    wander();
    return formatVariablesReply(m_state, unitTime(request.now));
}

std::optional<std::string> SimulatedUnit::constants(const UnitRequest& request) {
    return formatConstantsReply(m_state, unitTime(request.now));
}

std::optional<std::string> SimulatedUnit::eventLog(const UnitRequest&) {
    return formatEventLogReply(m_state);
}

std::optional<std::string> SimulatedUnit::extendedStatus(const UnitRequest& request) {
    char text[128];
    std::snprintf(text, sizeof text, "%.*s VCXO %d.%02d CFLD %d.%02d STDDEV %d.%03d",
                  static_cast<int>(request.code.size()), request.code.data(),
                  m_state.readings.vVcxo, static_cast<int>(m_random() % 100),
                  m_state.readings.vCfield, static_cast<int>(m_random() % 100),
                  m_state.readings.stdDev, static_cast<int>(m_random() % 1000));
    return replyText(text);
}

std::optional<std::string> SimulatedUnit::nvram(const UnitRequest& request) {
    updatePoweredHours(request.now);
    return formatNvramReply(m_state);
}

std::optional<std::string> SimulatedUnit::remoteOn(const UnitRequest&) {
    return std::nullopt;
}

std::optional<std::string> SimulatedUnit::dateTime(const UnitRequest& request) {
    return formatDateTimeReply(unitTime(request.now));
}

std::optional<std::string> SimulatedUnit::version(const UnitRequest&) {
    return replyText("C03 Firmware Version R 107");
}

std::optional<std::string> SimulatedUnit::counters(const UnitRequest&) {
    static constexpr std::array<int, 4> kSteps{1, 2, 1, 3};
    for (std::size_t i = 0; i < kSteps.size(); ++i) {
        m_state.counters[i] = m_state.counters[i] >= 999999 ? 0 : m_state.counters[i] + kSteps[i];
    }
    char text[64];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d", m_state.counters[0], m_state.counters[1],
                  m_state.counters[2], m_state.counters[3]);
    return replyText(text);
}

// ---- alarms, frequency, outputs

std::optional<std::string> SimulatedUnit::resetAlarms(const UnitRequest& request) {
    m_state.alarmState = 0;
    if (request.code == "W00") {
        addEvent("ALARMS RESET", request.now);
    }
    return acknowledge(request.code);
}

std::optional<std::string> SimulatedUnit::timeUpdating(const UnitRequest& request) {
    std::string_view text = trimmed(request.parameter);
    if (!text.empty() && (text.back() == 'f' || text.back() == 'F')) {
        text.remove_suffix(1);
    }
    if (!parseIntegerIn(text, -99999, 99999)) {
        return refuse(request.code);
    }
    return acknowledge(request.code);
}

std::optional<std::string> SimulatedUnit::filterOrder(const UnitRequest& request) {
    const std::vector<std::string_view> parts = split(trimmed(request.parameter), " ");
    if (parts.size() != 2) {
        return refuse(request.code);
    }
    const std::optional<long> order = parseIntegerIn(parts[0], 1, 9);
    const std::optional<double> tau = parseNumber<double>(parts[1]);
    if (!order || !tau || !(*tau >= 0.1 && *tau <= 100.0)) {  // NaN fails too
        return refuse(request.code);
    }
    m_state.filterOrder = static_cast<int>(*order);
    m_state.oscillatorTau = *tau;
    return acknowledge(request.code);
}

std::optional<std::string> SimulatedUnit::mute(const UnitRequest& request) {
    m_state.muted = request.code == "W12";
    return acknowledge(request.code);
}

std::optional<std::string> SimulatedUnit::externalAlarm(const UnitRequest& request) {
    const std::optional<long> level = parseIntegerIn(request.parameter, 1, 2);
    if (!level) {
        return refuse(request.code);
    }
    m_state.alarmState = *level == 1 ? 10 : 11;
    addEvent(*level == 1 ? "MINOR ALARM" : "MAJOR ALARM", request.now, "EXTERNAL ALARM SET");
    return acknowledge(request.code);
}

std::optional<std::string> SimulatedUnit::clearEventLog(const UnitRequest& request) {
    m_state.eventLog.clear();
    return acknowledge(request.code);
}

std::optional<std::string> SimulatedUnit::ppsSync(const UnitRequest& request) {
    return replyText(std::string(request.code) + " 1PPS SYNC OK");
}

// ---- configuration

std::optional<std::string> SimulatedUnit::unitId(const UnitRequest& request) {
    const std::string_view digits = trimmed(request.parameter);
    const bool allDigits =
        !digits.empty() && digits.size() <= 5 &&
        std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!allDigits) {
        return refuse(request.code);
    }
    m_state.unitId = *parseNumber<long>(digits);
    return acknowledge(request.code);
}

std::optional<std::string> SimulatedUnit::language(const UnitRequest& request) {
    const std::string_view text = trimmed(request.parameter);
    if (text.size() != 1 || std::string_view("efd").find(text.front()) == std::string_view::npos) {
        return refuse(request.code);
    }
    m_state.language = text.front();
    return acknowledge(request.code);
}

std::optional<std::string> SimulatedUnit::serialParameters(const UnitRequest& request) {
    const std::optional<link::LineSettings> line = parseSerialParameters(request.parameter);
    if (!line) {
        return refuse(request.code);
    }
    m_state.line = *line;
    return acknowledge(request.code);
}

std::optional<std::string> SimulatedUnit::customerMessage(const UnitRequest& request) {
    // The message goes back into a fixed-layout reply: anything that could break the layout
    // (line ends, STX, ETX, other control bytes) is stored as "_".
    std::string message(request.parameter.substr(0, kCustomerMessageChars));
    for (char& c : message) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F) {
            c = '_';
        }
    }
    m_state.customerMessage = message;
    return acknowledge(request.code);
}

std::optional<std::string> SimulatedUnit::testMode(const UnitRequest& request) {
    const int mode = request.code[2] - '1';
    static constexpr std::array<long, 3> kHighest{1, 9, 255};
    const std::optional<long> value = parseIntegerIn(request.parameter, 0, kHighest[mode]);
    if (!value) {
        return refuse(request.code);
    }
    m_state.testModes[mode] = static_cast<int>(*value);
    if (*value == 0) {
        m_nextTestLine[mode].reset();
        return replyText(std::string(request.code) + " 0");
    }
    if (mode == 2) {
        m_state.dacGain = static_cast<int>(*value);
    }
    m_nextTestLine[mode] = request.now + m_testLinePeriod;
    return replyText(std::string(request.code) + " " + std::to_string(*value));
}

std::optional<std::string> SimulatedUnit::setDate(const UnitRequest& request) {
    const auto date = parseTriple(request.parameter, {1, 1, 0}, {12, 31, 99});
    if (!date) {
        return refuse(request.code);
    }
    const std::tm current = unitTime(request.now);
    std::tm wanted = current;
    wanted.tm_mon = (*date)[0] - 1;
    wanted.tm_mday = (*date)[1];
    wanted.tm_year = fullYear((*date)[2]) - 1900;
    std::tm check = wanted;
    const std::time_t wantedTime = timegm(&check);
    if (check.tm_mday != wanted.tm_mday || check.tm_mon != wanted.tm_mon) {
        return refuse(request.code);  // 02/30 and the like
    }
    std::tm currentCopy = current;
    m_state.clockOffsetSeconds += wantedTime - timegm(&currentCopy);
    return acknowledge(request.code);
}

std::optional<std::string> SimulatedUnit::setTime(const UnitRequest& request) {
    const auto time = parseTriple(request.parameter, {0, 0, 0}, {23, 59, 59});
    if (!time) {
        return refuse(request.code);
    }
    std::tm current = unitTime(request.now);
    const long long secondsOfDay = current.tm_hour * 3600LL + current.tm_min * 60 + current.tm_sec;
    const long long wanted = (*time)[0] * 3600LL + (*time)[1] * 60 + (*time)[2];
    m_state.clockOffsetSeconds += wanted - secondsOfDay;
    return acknowledge(request.code);
}

std::optional<std::string> SimulatedUnit::switchQuery(const UnitRequest& request) {
    const bool on = request.code == "A10" ? m_state.daylightSavings : m_state.leapSecondArmed;
    return replyText(std::string(request.code) + (on ? " 1" : " 0"));
}

std::optional<std::string> SimulatedUnit::poweredHours(const UnitRequest& request) {
    if (request.code == "A14") {
        updatePoweredHours(request.now);
        return replyText(std::string(request.code) + " " + std::to_string(m_state.poweredHours));
    }
    const std::optional<long> hours = parseIntegerIn(request.parameter, 0, 9999999);
    if (!hours) {
        return refuse(request.code);
    }
    m_poweredBase = *hours;
    m_poweredSince = request.now;
    m_state.poweredHours = *hours;
    return acknowledge(request.code);
}

std::optional<std::string> SimulatedUnit::resetNvram(const UnitRequest& request) {
    const UnitState defaults;
    m_state.daylightSavings = defaults.daylightSavings;
    m_state.leapSecondArmed = defaults.leapSecondArmed;
    m_state.restartFaultLevel = defaults.restartFaultLevel;
    m_state.responseMode = defaults.responseMode;
    m_state.telecom = defaults.telecom;
    return acknowledge(request.code);
}

std::optional<std::string> SimulatedUnit::manufactureDate(const UnitRequest& request) {
    const auto date = parseTriple(request.parameter, {1, 1, 0}, {12, 31, 99});
    if (!date) {
        return refuse(request.code);
    }
    m_state.manufactureMonth = (*date)[0];
    m_state.manufactureDay = (*date)[1];
    m_state.manufactureYear = fullYear((*date)[2]);
    return acknowledge(request.code);
}

std::optional<std::string> SimulatedUnit::biuRegister(const UnitRequest& request) {
    return replyText(std::string(request.code) + " BIU 00A5");
}

// ---- telecom outputs (the models with telecom outputs only)

std::optional<std::string> SimulatedUnit::e1Generator(const UnitRequest& request) {
    // "2,4,0101": format, SSM channel, one hexadecimal digit per option (Mute, SSM, TS-16,
    // CRC-4); the unit keeps the options as one bit each.
    const std::vector<std::string_view> parts = split(trimmed(request.parameter), ",");
    if (m_state.model == 400 || parts.size() != 3) {
        return refuse(request.code);
    }
    const std::optional<long> format = parseIntegerIn(parts[0], 1, 4);
    const std::optional<long> channel = parseIntegerIn(parts[1], 4, 8);
    const std::optional<unsigned> word = parseNumber<unsigned>(parts[2], 16);
    if (!format || !channel || !word || *word > 0xFFFF) {
        return refuse(request.code);
    }
    unsigned bits = 0;
    bits |= (*word & 0x000F) != 0 ? TelecomSettings::kE1Crc4 : 0;
    bits |= (*word & 0x00F0) != 0 ? TelecomSettings::kE1Ts16 : 0;
    bits |= (*word & 0x0F00) != 0 ? TelecomSettings::kE1Ssm : 0;
    bits |= (*word & 0xF000) != 0 ? TelecomSettings::kE1Mute : 0;
    m_state.telecom.e1Format = static_cast<int>(*format);
    m_state.telecom.ssmOnSa = static_cast<int>(*channel);
    m_state.telecom.e1FaultBits = bits;
    return acknowledge(request.code);
}

std::optional<std::string> SimulatedUnit::t1Generator(const UnitRequest& request) {
    const std::vector<std::string_view> parts = split(trimmed(request.parameter), ",");
    if (m_state.model == 400 || parts.size() != 2) {
        return refuse(request.code);
    }
    const std::optional<long> format = parseIntegerIn(parts[0], 1, 3);
    const std::optional<long> strategy = parseIntegerIn(parts[1], 1, 3);
    if (!format || !strategy) {
        return refuse(request.code);
    }
    m_state.telecom.t1Format = static_cast<int>(*format);
    m_state.telecom.t1Strategy = static_cast<int>(*strategy);
    return acknowledge(request.code);
}

std::optional<std::string> SimulatedUnit::telecomChannel(const UnitRequest& request) {
    // "2,T,F,U,3": channel, type (E/T), format (F/C), drive (B/U), line interface setting.
    const std::vector<std::string_view> parts = split(trimmed(request.parameter), ",");
    if (m_state.model == 400 || parts.size() != 5) {
        return refuse(request.code);
    }
    const std::optional<long> channel = parseIntegerIn(parts[0], 1, 2);
    const std::optional<long> liu = parseIntegerIn(parts[4], 0, 7);
    auto letter = [](std::string_view text, std::string_view allowed) -> std::optional<char> {
        text = trimmed(text);
        if (text.size() != 1 || allowed.find(upper(text.front())) == std::string_view::npos) {
            return std::nullopt;
        }
        return upper(text.front());
    };
    const std::optional<char> type = letter(parts[1], "ET");
    const std::optional<char> format = letter(parts[2], "FC");
    const std::optional<char> drive = letter(parts[3], "BU");
    if (!channel || !liu || !type || !format || !drive) {
        return refuse(request.code);
    }
    TelecomSettings::Channel& c = m_state.telecom.channel[*channel - 1];
    c = {*type, *format, *drive, static_cast<int>(*liu)};
    return acknowledge(request.code);
}

// ---- running state

void SimulatedUnit::updatePoweredHours(Clock::time_point now) {
    const auto elapsed = std::chrono::duration_cast<std::chrono::hours>(now - m_poweredSince);
    m_state.poweredHours = m_poweredBase + std::max<long>(0, static_cast<long>(elapsed.count()));
}

void SimulatedUnit::wander() {
    UnitReadings& r = m_state.readings;
    wanderValue(r.vElectronMultiplier, 0.1, 60.0, 64.0, m_random);
    wanderValue(r.iIonPump, 1, 8, 16, m_random);
    wanderValue(r.chassisTemperature, 0.1, 30.0, 35.0, m_random);
    wanderValue(r.vVcxo, 2, 2000, 2100, m_random);
    wanderValue(r.stdDev, 2, 5, 40, m_random);
    wanderValue(r.cramErr, 1, -20, 20, m_random);
    wanderValue(r.zramErr, 1, -20, 20, m_random);
}

void SimulatedUnit::addEvent(std::string_view text, Clock::time_point now,
                             std::string_view continuation) {
    char number[16];
    std::snprintf(number, sizeof number, "%03d ", m_state.nextEventNumber % 1000);
    ++m_state.nextEventNumber;
    EventLogEntry entry;
    entry.mainLine = std::string(number) + formatUnitDateTime(unitTime(now)) + " ";
    entry.mainLine += text;
    if (!continuation.empty()) {
        entry.continuation.emplace_back(continuation);
    }
    m_state.eventLog.push_back(std::move(entry));
    if (m_state.eventLog.size() > kMaxEventLogEntries) {
        m_state.eventLog.erase(m_state.eventLog.begin());
    }
}

std::string SimulatedUnit::testLine(int mode) {
    ++m_testLineCount;
    char line[64];
    switch (mode) {
        case 0:
            std::snprintf(line, sizeof line, "ADC %04u DAC %04u\r\n", (m_testLineCount * 37) % 4096,
                          (m_testLineCount * 41) % 4096);
            break;
        case 1:
            std::snprintf(line, sizeof line, "DDS%d %04u PASS\r\n", m_state.testModes[1],
                          m_testLineCount % 10000);
            break;
        default:
            std::snprintf(line, sizeof line, "GDAC %03d ADC %04u\r\n", m_state.testModes[2],
                          (m_testLineCount * 53) % 4096);
            break;
    }
    return line;
}

std::string SimulatedUnit::takeTestOutput(Clock::time_point now) {
    std::string output;
    for (int mode = 0; mode < 3; ++mode) {
        std::optional<Clock::time_point>& next = m_nextTestLine[mode];
        if (!next || *next > now) {
            continue;
        }
        output += testLine(mode);
        // A unit that fell behind (a host that stopped reading) does not catch up in a burst.
        *next += m_testLinePeriod;
        if (*next <= now) {
            *next = now + m_testLinePeriod;
        }
    }
    return output;
}

std::optional<SimulatedUnit::Clock::time_point> SimulatedUnit::nextTestOutput() const {
    std::optional<Clock::time_point> earliest;
    for (const auto& next : m_nextTestLine) {
        if (next && (!earliest || *next < *earliest)) {
            earliest = next;
        }
    }
    return earliest;
}

}  // namespace brevik2::sim
