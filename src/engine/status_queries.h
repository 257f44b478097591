#pragma once

#include <string>

#include "engine/reply_frame.h"
#include "engine/status_records.h"

namespace brevik2::link {
class SerialPort;
class StatusOutput;
}  // namespace brevik2::link

namespace brevik2::engine {

class TelemetryRecorder;

// The monitor thread's exchanges with the unit: the contact test, the periodic poll and the
// event log retrieval. Each step shows its status text; the last exchange's bytes stay in
// reply() until the next one.
//
// Thread safety: monitor thread only.
class StatusQueries {
public:
    // The event log is read in lines until its closing ETX, but never more than this many bytes
    // in all (the log request's own reply limit), so that a unit that never sends the ETX cannot
    // keep the thread.
    static constexpr std::size_t kMaxEventLogBytes = 32000;

    StatusQueries(link::SerialPort& port, link::StatusOutput& status);

    // Writes "D*2" and reads its 145 bytes; true when the reply begins STX CR LF "ID" and has
    // the frame of a "D*2" reply. Every exchange here first discards what the line holds, and
    // a reply without the frame its request's must have fails the exchange.
    bool unitStatusQuery(UnitRecords& records);

    // The full read-out: variables, constants, non-volatile memory, date and time, version and
    // counters, then one telemetry record when a recorder is given. The first failing step shows
    // "error", resets the port and fails the poll.
    bool poll(UnitRecords& records, TelemetryRecorder* recorder);

    // Reads the unit's event log. The table is replaced only when the unit's event count
    // differs from the table's, and then only once the whole log has arrived; *replaced tells
    // whether it was.
    bool retrieveEventLog(EventTable& table, bool* replaced);

    const std::string& reply() const { return m_reply; }
    std::string& reply() { return m_reply; }

private:
    // Sends a request on a line cleared of whatever came before it.
    bool send(const char* code);
    bool readFixedReply(const char* code, std::size_t length, ReplyFrame frame);
    bool readTextReply(const char* code, ReplyFrame frame);
    bool failPoll();

    link::SerialPort& m_port;
    link::StatusOutput& m_status;
    std::string m_reply;
};

}  // namespace brevik2::engine
