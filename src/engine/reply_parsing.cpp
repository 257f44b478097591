#include "reply_parsing.h"

#include <algorithm>
#include <array>

#include "scan_format.h"

namespace brevik2::engine {

namespace {

enum class Check { kNone, kRange, kMode, kOscState };

// Where a field sits in a fixed-layout reply, how it is converted and when it is valid. The range
// is inclusive and read as the type the format converts to (u and x unsigned, d signed, f float).
struct FieldLayout {
    std::size_t position;
    std::size_t length;
    std::string_view format;
    Check check;
    double low = 0.0;
    double high = 0.0;
};

constexpr auto kRange = Check::kRange;

constexpr std::array<FieldLayout, kVariableFieldCount> kVariablesLayout{{
    {5, 5, "%u", kRange, 0, 99999},         {11, 3, "%u", kRange, 0, 999},
    {15, 2, "%u", kRange, 0, 23},           {18, 2, "%u", kRange, 0, 59},
    {22, 2, "%u", kRange, 0, 59},           {26, 1, "%u", kRange, 1, 2},
    {28, 3, "%3s", Check::kMode},           {36, 2, "%u", kRange, 0, 17},
    {39, 2, "%x", kRange, 0, 255},          {42, 2, "%x", kRange, 0, 255},
    {45, 2, "%x", kRange, 0, 255},          {48, 2, "%x", kRange, 0, 255},
    {51, 2, "%x", kRange, 0, 255},          {55, 4, "%d", kRange, -999, 999},
    {61, 7, "%d", kRange, -999999, 999999}, {69, 6, "%f", kRange, -100, 100},
    {79, 4, "%f", kRange, 0.1, 100},        {86, 4, "%d", kRange, -999, 999},
    {93, 5, "%d", kRange, -9999, 9999},     {99, 4, "%d", kRange, -999, 999},
    {106, 5, "%d", kRange, -9999, 9999},    {113, 5, "%d", kRange, -9999, 9999},
    {120, 4, "%d", kRange, 0, 9999},        {126, 5, "%d", kRange, -9999, 9999},
    {133, 4, "%d", kRange, 0, 9999},        {139, 5, "%d", Check::kNone},
    {147, 4, "%f", kRange, 0.1, 9.99},      {153, 5, "%d", kRange, -9999, 9999},
    {160, 5, "%d", kRange, -9999, 9999},    {167, 5, "%f", kRange, -9.99, 9.99},
    {175, 5, "%f", kRange, -99.9, 99.9},    {181, 5, "%f", kRange, -99.9, 99.9},
    {188, 5, "%f", kRange, -99.9, 99.9},    {197, 1, "%c", Check::kOscState},
    {201, 4, "%f", kRange, 0, 99.9},        {208, 4, "%f", kRange, 0, 99.9},
    {215, 4, "%f", kRange, 0, 9.99},        {222, 4, "%f", kRange, 0, 99.9},
    {229, 4, "%f", kRange, 0, 99.9},        {236, 3, "%d", kRange, 0, 999},
    {240, 4, "%d", kRange, -999, 999},
}};

constexpr std::array<FieldLayout, kConstantFieldCount> kConstantsLayout{{
    {5, 5, "%u", kRange, 0, 99999},     {11, 3, "%u", kRange, 0, 999},
    {15, 2, "%u", kRange, 0, 23},       {18, 2, "%u", kRange, 0, 59},
    {22, 2, "%u", kRange, 0, 59},       {28, 4, "%f", kRange, 0, 99.9},
    {37, 3, "%f", kRange, 0, 9.99},     {48, 3, "%d", kRange, 1, 256},
    {56, 3, "%d", kRange, -99, 99},     {64, 3, "%d", kRange, -99, 99},
    {72, 3, "%d", kRange, -99, 99},     {80, 3, "%d", kRange, -99, 99},
    {87, 5, "%d", kRange, -9999, 9999}, {95, 5, "%d", kRange, -9999, 9999},
    {104, 4, "%f", kRange, 0, 999},     {117, 2, "%2s", Check::kNone},
    {124, 10, "%10s", Check::kNone},    {135, 3, "%3d", Check::kNone},
    {139, 3, "%f", kRange, 0, 999},
}};

// The fields whose validity decides whether a reply is taken; the others only get flagged. The
// mode text is not among them: a unit in an unknown mode still reports everything else.
constexpr std::array<int, 13> kVariablesDeciding{0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 40};
constexpr std::array<int, 16> kConstantsDeciding{0, 1, 2,  3,  4,  5,  6,  7,
                                                 8, 9, 10, 11, 12, 13, 14, 18};

// The blank after STX matches the carriage return and line feed that open every status reply.
constexpr std::string_view kUnitStatusFormat =
    "\x02 ID%u %u %uh %umn %u Vs %fV Vf %fV GDAC %d -15:%d +15:%d +45:%d +75:%d Pi%d Oz%d "
    "Fo:%f MHZ CDU:%2s TXT:%10s %3d %f";
constexpr std::string_view kUnitStatusHead = "\x02\r\nID";

// The text value (19) is taken whole, so that an overlong one does not throw the following
// values out of step, and cut to its slot when stored.
constexpr std::string_view kNvramFormat =
    "\x02%ld,%d,%d,%d,%ld,%ld,%d,%d,%d,%d,%d,%d,%ld,%d,%d,%d,%f,%f,%[^,],%d,%d,%x,%x,%x,%x,%x,"
    "%c,%c,%c,%x,%c,%c,%c,%x,%d,%d";
constexpr int kNvramTextField = 19;
// The unit sends the leap second flag as value 16, but the record keeps it as field 14.
constexpr std::array<int, 36> kNvramFieldOfValue{1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12,
                                                 13, 15, 16, 14, 17, 18, 19, 20, 21, 22, 23, 24,
                                                 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36};

constexpr std::size_t kDateTimePosition = 26;
constexpr std::size_t kDateTimeTrailer = 3;  // CR, LF, ETX
constexpr std::size_t kDateTimeMaxChars = 255;
constexpr std::string_view kVersionMark = "Version";
constexpr std::size_t kVersionLetterOffset = 8;
constexpr std::size_t kVersionNumberOffset = 10;
constexpr std::size_t kVersionReplyKept = 37;  // the number is read no further than byte 36
constexpr std::size_t kEventCountPosition = 23;
constexpr std::size_t kEventLineEnd = 2;  // CR, LF
constexpr std::string_view kContinuationIndent = "        ";

std::string_view upToZero(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

template <std::size_t N>
void storeText(std::array<char, N>& slot, std::string_view text) {
    slot.fill('\0');
    std::copy_n(text.begin(), std::min(text.size(), N - 1), slot.begin());
}

template <typename Record>
bool inRange(const FieldLayout& field, const Record& record, int i) {
    switch (field.check) {
        case Check::kNone:
            return true;
        case Check::kRange: {
            double value = 0.0;
            switch (field.format.back()) {
                case 'f':
                    value = record.asFloat(i);
                    break;
                case 'd':
                    value = record.asSigned(i);
                    break;
                default:
                    value = record.asUnsigned(i);
                    break;
            }
            // Written so that NaN falls outside every range.
            return value >= field.low && value <= field.high;
        }
        case Check::kMode:
            if constexpr (requires { record.modeText(); }) {
                const std::string mode = record.modeText();
                return mode == "R+Z" || mode == "R+T";
            }
            return false;
        case Check::kOscState:
            return record.asChar(i) == 'c' || record.asChar(i) == 'f';
    }
    return false;
}

// Each field is converted on its own bytes alone, so a field cannot run into its neighbour; a
// field that converts to nothing keeps its previous value, and the ranges are checked on what
// the record then holds.
template <typename Record, std::size_t N, typename StoreText>
void convertFixedLayout(std::string_view reply, const std::array<FieldLayout, N>& layout,
                        Record& record, StoreText storeTextField) {
    for (std::size_t i = 0; i < N; ++i) {
        const FieldLayout& field = layout[i];
        if (field.position >= reply.size()) {
            continue;
        }
        const auto values = scanFormat(reply.substr(field.position, field.length), field.format);
        if (values.empty()) {
            continue;
        }
        if (values.front().kind == ScanValue::Kind::kText) {
            storeTextField(static_cast<int>(i), values.front().text);
        } else {
            record.slot[i] = values.front().bits;
        }
    }
    for (std::size_t i = 0; i < N; ++i) {
        record.valid[i] = inRange(layout[i], record, static_cast<int>(i)) ? 1 : 0;
    }
}

template <typename Record, std::size_t N>
bool allValid(const Record& record, const std::array<int, N>& fields) {
    return std::all_of(fields.begin(), fields.end(),
                       [&](int i) { return record.valid[static_cast<std::size_t>(i)] == 1; });
}

void storeConstantsText(ConstantsRecord& record, int field, std::string_view text) {
    if (field == kConCdu) {
        storeText(record.cdu, text);
    } else if (field == kConTxt) {
        storeText(record.txt, text);
    }
}

}  // namespace

bool convertVariablesReply(std::string_view reply, VariablesRecord& record) {
    convertFixedLayout(reply, kVariablesLayout, record,
                       [&](int, const std::string& text) { record.setModeText(text); });
    // A short reply never counts as fresh, whatever its leftover fields from the last poll say.
    return reply.size() >= kVariablesReplyLength && allValid(record, kVariablesDeciding);
}

bool convertConstantsReply(std::string_view reply, ConstantsRecord& record) {
    convertFixedLayout(reply, kConstantsLayout, record, [&](int field, const std::string& text) {
        storeConstantsText(record, field, text);
    });
    return reply.size() >= kConstantsReplyLength && allValid(record, kConstantsDeciding);
}

bool checkUnitStatusReply(std::string_view reply, ConstantsRecord& record) {
    const auto values = scanFormat(reply, kUnitStatusFormat);
    for (std::size_t i = 0; i < values.size() && i < record.slot.size(); ++i) {
        if (values[i].kind == ScanValue::Kind::kText) {
            storeConstantsText(record, static_cast<int>(i), values[i].text);
        } else {
            record.slot[i] = values[i].bits;
        }
    }
    return reply.size() >= kConstantsReplyLength && reply.starts_with(kUnitStatusHead);
}

void convertNvramReply(std::string_view reply, NvRecord& record) {
    const auto values = scanFormat(reply, kNvramFormat);
    for (std::size_t i = 0; i < values.size() && i < kNvramFieldOfValue.size(); ++i) {
        const int field = kNvramFieldOfValue[i];
        if (field == kNvramTextField) {
            storeText(record.text19, values[i].text);
        } else {
            record.slot[static_cast<std::size_t>(field)] = values[i].bits;
        }
    }
}

bool convertDateTimeReply(std::string_view reply, std::string& dateTime) {
    reply = upToZero(reply);
    if (reply.size() <= kDateTimePosition || reply[kDateTimePosition] < '0' ||
        reply[kDateTimePosition] > '9') {
        return false;
    }
    std::string_view text = reply.substr(kDateTimePosition);
    if (text.size() >= kDateTimeTrailer) {
        text.remove_suffix(kDateTimeTrailer);
    }
    dateTime.assign(text.substr(0, kDateTimeMaxChars));
    return true;
}

bool convertVersionReply(std::string_view reply, FirmwareVersion& version) {
    reply = upToZero(reply);
    const std::size_t mark = reply.find(kVersionMark);
    if (mark == std::string_view::npos || mark + kVersionLetterOffset >= reply.size()) {
        return false;
    }
    version.letter = reply[mark + kVersionLetterOffset];
    const std::string_view kept = reply.substr(0, kVersionReplyKept);
    const std::size_t numberAt = mark + kVersionNumberOffset;
    const auto values =
        numberAt < kept.size() ? scanFormat(kept.substr(numberAt), "%d") : std::vector<ScanValue>{};
    version.number = values.empty() ? 0 : values.front().asSigned();
    return true;
}

void convertCountersReply(std::string_view reply, std::array<std::int32_t, 4>& counters) {
    if (reply.empty()) {
        return;
    }
    const auto values = scanFormat(reply.substr(1), "%d,%d,%d,%d");
    for (std::size_t i = 0; i < values.size() && i < counters.size(); ++i) {
        counters[i] = values[i].asSigned();
    }
}

int eventCountFromFirstLine(std::string_view line) {
    line = upToZero(line);
    if (line.size() <= kEventCountPosition) {
        return 0;
    }
    const auto values = scanFormat(line.substr(kEventCountPosition), "%d");
    return values.empty() ? 0 : values.front().asSigned();
}

EventTableBuilder::EventTableBuilder(EventTable& table) : m_table(table) {
    m_table.count = 0;
    m_table.entries.clear();
}

void EventTableBuilder::addLine(std::string_view line) {
    line = upToZero(line);
    if (line.size() > kEventLineEnd) {
        line.remove_suffix(kEventLineEnd);
    }
    if (!line.empty() && line.front() == '\t') {
        if (m_droppingEntry || m_table.entries.empty()) {
            return;
        }
        EventEntry& entry = m_table.entries.back();
        if (entry.continuation.size() >= EventTable::kMaxContinuationLines) {
            return;
        }
        std::string text(kContinuationIndent);
        text += ' ';
        text += line.substr(1);
        text.resize(std::min(text.size(), EventTable::kEventLineChars));
        entry.continuation.push_back(std::move(text));
        return;
    }
    m_droppingEntry = m_table.entries.size() >= EventTable::kMaxEntries;
    if (m_droppingEntry) {
        return;
    }
    m_table.entries.push_back(
        EventEntry{std::string(line.substr(0, EventTable::kEventLineChars)), {}});
    m_table.count = static_cast<std::int32_t>(m_table.entries.size());
}

}  // namespace brevik2::engine
