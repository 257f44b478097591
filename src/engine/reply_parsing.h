#pragma once

#include <string>
#include <string_view>

#include "status_records.h"

namespace brevik2::engine {

// Pure conversions from the unit's reply bytes to the records: no I/O, no globals, bounded
// copies. A reply is taken as the bytes actually received; every position is checked against
// that length. Like the C text functions the unit's firmware expects, a conversion reads a
// reply only up to its first zero byte.

inline constexpr std::size_t kVariablesReplyLength = 250;
inline constexpr std::size_t kConstantsReplyLength = 145;
inline constexpr std::size_t kNvramReplyLength = 152;
inline constexpr std::size_t kUnitStatusHeadLength = 8;  // then 137 more bytes

// Cuts the 250-byte "D*1" reply into the variables record at the positions the field table
// gives, sets the validity bytes by its rules, and tells whether the reply is accepted (every
// deciding field valid: 0 to 5, 7 to 12 and 40; the mode text is only flagged). A reply shorter
// than 250 bytes gets the fields it holds converted but is never accepted.
bool convertVariablesReply(std::string_view reply, VariablesRecord& record);

// Cuts the 145-byte "D*2" reply into the constants record as for "D*1", and tells whether the
// reply is accepted (fields 0 to 14 and 18 valid). A reply shorter than 145 bytes gets the
// fields it holds converted but is never accepted.
bool convertConstantsReply(std::string_view reply, ConstantsRecord& record);

// The contact test on a 145-byte "D*2" reply: converts it as convertConstantsReply does and
// succeeds when it has all 145 bytes and begins STX, CR, LF, "ID", whatever the fields hold.
bool checkUnitStatusReply(std::string_view reply, ConstantsRecord& record);

// Scans the "D*5" reply into the non-volatile memory record; values after the first one that
// does not convert keep their old contents.
void convertNvramReply(std::string_view reply, NvRecord& record);

// The "A08" reply: when its byte 26 is a decimal digit, the date and time text is the reply from
// there without its last three characters (line end and ETX). False leaves dateTime alone.
bool convertDateTimeReply(std::string_view reply, std::string& dateTime);

// The "C03" reply: the letter 8 places and the number 10 places after "Version". False (and the
// version untouched) when the reply has no "Version" or ends before the letter.
bool convertVersionReply(std::string_view reply, FirmwareVersion& version);

// The "A24" reply: four comma-separated integers after the first byte. Counters after the first
// one that does not convert keep their old values.
void convertCountersReply(std::string_view reply, std::array<std::int32_t, 4>& counters);

// The unit's event count: the decimal number at position 23 of the log's first line, stopping at
// the first non-digit; 0 when there is no digit there or the line is shorter.
int eventCountFromFirstLine(std::string_view line);

// Builds a new event table from the log's lines, one at a time (each as read, with its line end).
// Bounded: lines are cut to their 64-byte slot, an entry keeps at most 32 continuation lines,
// the table at most 1000 entries; the rest are read and dropped.
class EventTableBuilder {
public:
    explicit EventTableBuilder(EventTable& table);  // empties the table, count 0
    void addLine(std::string_view line);

private:
    EventTable& m_table;
    bool m_droppingEntry = false;  // the last main line was over the bound, and so are its lines
};

}  // namespace brevik2::engine
