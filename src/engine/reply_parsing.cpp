#include "reply_parsing.h"

#include <algorithm>
#include <array>

#include "scan_format.h"
#include "telemetry_schema.h"

namespace brevik2::engine {

namespace {

// The fixed-layout replies' fields in slot order, from the field table.
template <std::size_t N>
std::array<const UnitField*, N> layoutOf(FieldRecord record) {
    std::array<const UnitField*, N> layout{};
    for (std::size_t i = 0; i < N; ++i) {
        layout[i] = unitField(record, static_cast<int>(i));
    }
    return layout;
}

const std::array<const UnitField*, kVariableFieldCount>& variablesLayout() {
    static const auto layout = layoutOf<kVariableFieldCount>(FieldRecord::kVariables);
    return layout;
}

const std::array<const UnitField*, kConstantFieldCount>& constantsLayout() {
    static const auto layout = layoutOf<kConstantFieldCount>(FieldRecord::kConstants);
    return layout;
}

constexpr std::string_view kUnitStatusHead = "\x02\r\nID";
constexpr std::string_view kBlanks = " \t\r\n";

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
bool inRange(const UnitField& field, const Record& record, int i) {
    const FieldRule& rule = field.rule;
    switch (rule.check) {
        case FieldCheck::kNone:
            return true;
        case FieldCheck::kRange: {
            double value = 0.0;
            switch (field.type) {
                case FieldType::kFloat:
                    value = record.asFloat(i);
                    break;
                case FieldType::kSigned:
                    value = record.asSigned(i);
                    break;
                default:
                    value = record.asUnsigned(i);
                    break;
            }
            // Written so that NaN falls outside every range.
            return value >= rule.low && value <= rule.high;
        }
        case FieldCheck::kMode:
            if constexpr (requires { record.modeText(); }) {
                const std::string mode = record.modeText();
                return mode == "R+Z" || mode == "R+T";
            }
            return false;
        case FieldCheck::kOscState:
            return record.asChar(i) == 'c' || record.asChar(i) == 'f';
    }
    return false;
}

// A float's characters as sent, without the blanks around them.
void keepPrinted(PrintedFloat& printed, std::string_view bytes) {
    bytes = upToZero(bytes);
    const std::size_t first = bytes.find_first_not_of(kBlanks);
    bytes = first == std::string_view::npos ? std::string_view() : bytes.substr(first);
    bytes = bytes.substr(0, bytes.find_last_not_of(kBlanks) + 1);
    storeText(printed, bytes);
}

// Each field is converted on its own bytes alone, so a field cannot run into its neighbour; a
// field that converts to nothing keeps its previous value, and the ranges are checked on what
// the record then holds.
template <typename Record, std::size_t N, typename StoreText>
void convertFixedLayout(std::string_view reply, const std::array<const UnitField*, N>& layout,
                        Record& record, StoreText storeTextField) {
    for (std::size_t i = 0; i < N; ++i) {
        const ReplySpan& span = layout[i]->reply;
        if (span.position >= reply.size()) {
            continue;
        }
        const std::string_view bytes = reply.substr(span.position, span.length);
        const auto values = scanFormat(bytes, span.format);
        if (values.empty()) {
            continue;
        }
        if (values.front().kind == ScanValue::Kind::kText) {
            storeTextField(static_cast<int>(i), values.front().text);
        } else {
            record.slot[i] = values.front().bits;
            if (values.front().kind == ScanValue::Kind::kFloat) {
                keepPrinted(record.printed[i], bytes);
            }
        }
    }
    for (std::size_t i = 0; i < N; ++i) {
        record.valid[i] = inRange(*layout[i], record, static_cast<int>(i)) ? 1 : 0;
    }
}

template <typename Record, std::size_t N>
bool allDecidingValid(const Record& record, const std::array<const UnitField*, N>& layout) {
    for (std::size_t i = 0; i < N; ++i) {
        if (layout[i]->rule.decides && record.valid[i] != 1) {
            return false;
        }
    }
    return true;
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
    convertFixedLayout(reply, variablesLayout(), record,
                       [&](int, const std::string& text) { record.setModeText(text); });
    // A short reply never counts as fresh, whatever its leftover fields from the last poll say.
    return reply.size() >= kVariablesReplyLength && allDecidingValid(record, variablesLayout());
}

bool convertConstantsReply(std::string_view reply, ConstantsRecord& record) {
    convertFixedLayout(reply, constantsLayout(), record, [&](int field, const std::string& text) {
        storeConstantsText(record, field, text);
    });
    return reply.size() >= kConstantsReplyLength && allDecidingValid(record, constantsLayout());
}

bool checkUnitStatusReply(std::string_view reply, ConstantsRecord& record) {
    convertConstantsReply(reply, record);
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
