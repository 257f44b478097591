#include "sim/status_replies.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>

#include "link/request_framing.h"

namespace brevik2::sim {
namespace {

constexpr std::string_view kLineEndAndEtx{"\r\n\x03", 3};

// Writes text right-aligned into the slot of length len at pos; a longer text keeps its left
// part (the values formatted here always fit their slots).
void putRight(std::string& buffer, std::size_t pos, std::size_t len, std::string_view text) {
    if (text.size() > len) {
        text = text.substr(0, len);
    }
    buffer.replace(pos + len - text.size(), text.size(), text);
}

void putLeft(std::string& buffer, std::size_t pos, std::string_view text) {
    buffer.replace(pos, text.size(), text);
}

std::string formatInt(long value) {
    char text[32];
    std::snprintf(text, sizeof text, "%ld", value);
    return text;
}

std::string formatZeroPadded(long value, int width) {
    char text[32];
    std::snprintf(text, sizeof text, "%0*ld", width, value);
    return text;
}

// The value with as many decimals (up to maxDecimals) as fit in width characters.
std::string formatFloat(double value, std::size_t width, int maxDecimals) {
    char text[64];
    for (int decimals = maxDecimals; decimals >= 0; --decimals) {
        std::snprintf(text, sizeof text, "%.*f", decimals, value);
        if (std::string_view(text).size() <= width) {
            break;
        }
    }
    return text;
}

// Header shared by the variables and constants replies: STX CR LF "ID", the unit ID and the
// unit's day number and time, positions 0 to 23.
void putHeader(std::string& buffer, long unitId, const std::tm& t) {
    buffer[0] = link::kStx;
    buffer[1] = link::kCarriageReturn;
    buffer[2] = link::kLineFeed;
    putLeft(buffer, 3, "ID");
    putLeft(buffer, 5, formatZeroPadded(std::clamp(unitId, 0L, 99999L), 5));
    putLeft(buffer, 11, formatZeroPadded(t.tm_yday + 1, 3));
    putLeft(buffer, 15, formatZeroPadded(t.tm_hour, 2));
    buffer[17] = 'h';
    putLeft(buffer, 18, formatZeroPadded(t.tm_min, 2));
    putLeft(buffer, 20, "mn");
    putLeft(buffer, 22, formatZeroPadded(std::min(t.tm_sec, 59), 2));
}

void putTail(std::string& buffer) {
    buffer.replace(buffer.size() - kLineEndAndEtx.size(), kLineEndAndEtx.size(), kLineEndAndEtx);
}

struct Slot {
    std::size_t position;
    std::size_t length;
    std::string_view label;  // written just before the slot when the gap leaves a blank before it
};

// Fields 5 to 40 of the variables reply (0 to 4 are the header).
constexpr std::array<Slot, 36> kVariableSlots{{
    {26, 1, ""},    {28, 3, ""},    {36, 2, "ALM"}, {39, 2, ""},     {42, 2, ""},    {45, 2, ""},
    {48, 2, ""},    {51, 2, ""},    {55, 4, "C"},   {61, 7, "F"},    {69, 6, ""},    {79, 4, "Ct"},
    {86, 4, "R"},   {93, 5, "RR"},  {99, 4, "Z*"},  {106, 5, "RZ"},  {113, 5, "AR"}, {120, 4, "PR"},
    {126, 5, "AZ"}, {133, 4, "PZ"}, {139, 5, "A0"}, {147, 4, "GN*"}, {153, 5, ""},   {160, 5, "Pu"},
    {167, 5, ""},   {175, 5, "T"},  {181, 5, ""},   {188, 5, ""},    {197, 1, "OL"}, {201, 4, "FO"},
    {208, 4, "VS"}, {215, 4, "VF"}, {222, 4, "IC"}, {229, 4, "HT"},  {236, 3, "IP"}, {240, 4, ""},
}};

// The alarm bytes that go with an alarm state.
std::array<int, 5> alarmBytes(int alarmState) {
    switch (alarmState) {
        case 10:
            return {0x00, 0x04, 0x00, 0x00, 0x00};
        case 11:
            return {0x80, 0x00, 0x00, 0x00, 0x00};
        case 1:
            return {0x00, 0x00, 0x01, 0x00, 0x00};
        default:
            return {0, 0, 0, 0, 0};
    }
}

std::string formatHexByte(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", value & 0xFF);
    return text;
}

std::string channelText(const TelecomSettings::Channel& c) {
    char text[32];
    std::snprintf(text, sizeof text, "%c,%c,%c,%x", c.type, c.format, c.drive, c.liu & 0xF);
    return text;
}

}  // namespace

std::string formatUnitDateTime(const std::tm& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%02d/%02d/%02d %02d:%02d:%02d", t.tm_mon + 1, t.tm_mday,
                  (t.tm_year + 1900) % 100, t.tm_hour, t.tm_min, std::min(t.tm_sec, 59));
    return text;
}

std::string formatVariablesReply(const UnitState& state, const std::tm& unitTime) {
    std::string buffer(kVariablesReplyLength, ' ');
    putHeader(buffer, state.unitId, unitTime);

    const UnitReadings& r = state.readings;
    const std::array<int, 5> alarms = alarmBytes(state.alarmState);
    char frequency[16];
    std::snprintf(frequency, sizeof frequency, "%+07ld",
                  std::clamp(state.frequencyOffset, -999999L, 999999L));
    const std::array<std::string, kVariableSlots.size()> values{
        "1",
        "R+Z",
        formatInt(state.alarmState),
        formatHexByte(alarms[0]),
        formatHexByte(alarms[1]),
        formatHexByte(alarms[2]),
        formatHexByte(alarms[3]),
        formatHexByte(alarms[4]),
        formatInt(r.c),
        frequency,
        formatFloat(r.pos24V, 6, 2),
        formatFloat(state.oscillatorTau, 4, 2),
        formatInt(r.cramErr),
        formatInt(r.crabErr),
        formatInt(r.zramErr),
        formatInt(r.zrabErr),
        formatInt(r.vVcxo),
        formatInt(r.clockLevel),
        formatInt(r.vCfield),
        formatInt(r.zLevel),
        formatInt(r.dcLevel),
        formatFloat(r.numericGain, 4, 2),
        formatInt(r.la),
        formatInt(r.vMicrowave),
        formatFloat(r.pos5V, 5, 2),
        formatFloat(r.chassisTemperature, 5, 1),
        formatFloat(r.pos15V, 5, 1),
        formatFloat(r.neg15V, 5, 1),
        "c",
        formatFloat(r.vCesiumOven, 4, 2),
        formatFloat(r.vMassSpectrometer, 4, 1),
        formatFloat(r.vIonizer, 4, 2),
        formatFloat(r.iCfield, 4, 1),
        formatFloat(r.vElectronMultiplier, 4, 1),
        formatInt(r.iIonPump),
        formatInt(r.stdDev),
    };

    std::size_t previousEnd = 24;
    for (std::size_t i = 0; i < kVariableSlots.size(); ++i) {
        const Slot& slot = kVariableSlots[i];
        const std::size_t gap = slot.position - previousEnd;
        if (!slot.label.empty() && slot.label.size() < gap) {
            putLeft(buffer, slot.position - slot.label.size(), slot.label);
        }
        putRight(buffer, slot.position, slot.length, values[i]);
        previousEnd = slot.position + slot.length;
    }
    putLeft(buffer, 245, "mV");
    putTail(buffer);
    return buffer;
}

std::string formatConstantsReply(const UnitState& state, const std::tm& unitTime) {
    std::string buffer(kConstantsReplyLength, ' ');
    putHeader(buffer, state.unitId, unitTime);
    putLeft(buffer, 24, " Vs ");
    putRight(buffer, 28, 4, formatFloat(state.readings.vMassSpectrometer, 4, 1));
    putLeft(buffer, 32, "V Vf ");
    putRight(buffer, 37, 3, formatFloat(state.readings.vIonizer, 3, 1));
    putLeft(buffer, 40, "V GDAC ");
    putRight(buffer, 48, 3, formatInt(std::clamp(state.dacGain, 1, 256)));
    // Read-outs the simulated unit never changes: a label, then its value right-aligned.
    struct FixedField {
        std::size_t labelAt;
        const char* label;
        std::size_t valueAt;
        std::size_t width;
        const char* value;
    };
    for (const FixedField& field : {FixedField{51, " -15:", 56, 3, "-2"},
                                    {59, " +15:", 64, 3, "3"},
                                    {67, " +45:", 72, 3, "11"},
                                    {75, " +75:", 80, 3, "25"},
                                    {83, " Pi", 87, 5, "1200"},
                                    {92, " Oz", 95, 5, "2700"},
                                    {100, " Fo:", 104, 4, "10.0"}}) {
        putLeft(buffer, field.labelAt, field.label);
        putRight(buffer, field.valueAt, field.width, field.value);
    }
    putLeft(buffer, 108, " MHZ CDU:");
    putLeft(buffer, 117, "01");
    putLeft(buffer, 119, " TXT:");
    // The message is left-aligned in its ten places; a scan of the reply stops at its first blank.
    putLeft(buffer, 124, std::string_view(state.customerMessage).substr(0, 10));
    putRight(buffer, 135, 3, formatInt(state.model));
    putRight(buffer, 139, 3, "1.0");
    putTail(buffer);
    return buffer;
}

std::string formatNvramReply(const UnitState& state) {
    const TelecomSettings& tc = state.telecom;
    const bool telecom = state.model != 400;
    char framing[64];
    char channels[64];
    if (telecom) {
        std::snprintf(framing, sizeof framing, "%x,%x,%x,%x,%x", tc.e1Format & 0xF,
                      tc.e1FaultBits & 0xF, tc.ssmOnSa & 0xF, tc.t1Format & 0xF,
                      tc.t1Strategy & 0xF);
        std::snprintf(channels, sizeof channels, "%s,%s", channelText(tc.channel[0]).c_str(),
                      channelText(tc.channel[1]).c_str());
    } else {
        // The model without telecom outputs reports a neutral configuration.
        std::snprintf(framing, sizeof framing, "0,0,0,0,0");
        std::snprintf(channels, sizeof channels, "-,-,-,0,-,-,-,0");
    }
    char text[512];
    std::snprintf(
        text, sizeof text,
        "%c%d,%d,%d,%d,%ld,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%.3f,%.3f,%s,%d,%d,%s,%s,%d,%d",
        link::kStx, 1, state.manufactureYear, state.manufactureMonth, state.manufactureDay,
        std::clamp(state.poweredHours, 0L, 9999999L), 0, 0, 0, 0, 0, state.daylightSavings ? 1 : 0,
        0, 0, 0, 0, state.leapSecondArmed ? 1 : 0, 1.0, 0.5, "CS-SIM", 0, state.restartFaultLevel,
        framing, channels, state.responseMode, state.model == 402 ? state.ttlFrequency : 0);
    std::string buffer(kNvramReplyLength, ' ');
    putLeft(buffer, 0, std::string_view(text).substr(0, kNvramReplyLength - 3));
    putTail(buffer);
    return buffer;
}

std::string formatDateTimeReply(const std::tm& unitTime) {
    std::string reply(1, link::kStx);
    reply += "A08 Date and Time:";
    reply.resize(26, ' ');
    reply += formatUnitDateTime(unitTime);
    reply += kLineEndAndEtx;
    return reply;
}

std::string formatEventLogReply(const UnitState& state) {
    std::string reply(1, link::kStx);
    reply += "EVENT LOG  Event Count";
    reply.resize(23, ' ');
    reply += formatInt(static_cast<long>(state.eventLog.size()));
    reply += "\r\n";
    for (const EventLogEntry& entry : state.eventLog) {
        reply += entry.mainLine;
        reply += "\r\n";
        for (const std::string& line : entry.continuation) {
            reply += '\t';
            reply += line;
            reply += "\r\n";
        }
    }
    reply += link::kEtx;
    return reply;
}

}  // namespace brevik2::sim
