#include "engine/status_queries.h"

#include "engine/reply_frame.h"
#include "engine/reply_parsing.h"
#include "engine/telemetry_recorder.h"
#include "link/request_framing.h"
#include "link/serial_port.h"
#include "link/status_output.h"

namespace brevik2::engine {

using link::kEtx;
using link::kLineFeed;

StatusQueries::StatusQueries(link::SerialPort& port, link::StatusOutput& status)
    : m_port(port), m_status(status) {
    m_reply.reserve(link::kReplyBufferSize);
}

bool StatusQueries::send(const char* code) {
    // Whatever is waiting now came before the request and cannot be its reply.
    m_port.discardInput();
    return link::sendRequest(m_port, code);
}

bool StatusQueries::unitStatusQuery(UnitRecords& records) {
    m_reply.assign(kConstantsReplyLength + 1, '\0');
    std::size_t head = 0;
    std::size_t rest = 0;
    const bool ok = send("D*2") && m_port.read(kUnitStatusHeadLength, m_reply.data(), &head) &&
                    m_port.read(kConstantsReplyLength - kUnitStatusHeadLength,
                                m_reply.data() + kUnitStatusHeadLength, &rest);
    m_reply.resize(head == kUnitStatusHeadLength ? head + rest : head);
    return ok && fitsReplyFrame(ReplyFrame::Constants, m_reply) &&
           checkUnitStatusReply(m_reply, records.constants);
}

bool StatusQueries::readFixedReply(const char* code, std::size_t length, ReplyFrame frame) {
    m_reply.assign(length + 1, '\0');
    std::size_t received = 0;
    const bool ok = send(code) && m_port.read(length, m_reply.data(), &received);
    m_reply.resize(received);
    return ok && fitsReplyFrame(frame, m_reply);
}

bool StatusQueries::readTextReply(const char* code, ReplyFrame frame) {
    return send(code) && link::readUntil(m_port, m_reply, kEtx, 256) &&
           fitsReplyFrame(frame, m_reply);
}

bool StatusQueries::failPoll() {
    m_status.statusText("error");
    m_port.reset();
    return false;
}

bool StatusQueries::poll(UnitRecords& records, TelemetryRecorder* recorder) {
    m_status.statusText("Polling");

    if (!readFixedReply("D*1", kVariablesReplyLength, ReplyFrame::Variables) ||
        !convertVariablesReply(m_reply, records.variables)) {
        return failPoll();
    }
    m_status.statusText("D1 OK");

    if (!readFixedReply("D*2", kConstantsReplyLength, ReplyFrame::Constants) ||
        !convertConstantsReply(m_reply, records.constants)) {
        return failPoll();
    }
    m_status.statusText("D2 OK");

    // The non-volatile memory reply counts as read whatever arrived: only a failed write fails,
    // or bytes that cannot be its reply.
    if (!send("D*5")) {
        return failPoll();
    }
    m_reply.assign(kNvramReplyLength + 1, '\0');
    std::size_t received = 0;
    m_port.read(kNvramReplyLength, m_reply.data(), &received);
    m_reply.resize(received);
    if (!fitsReplyFrame(ReplyFrame::Nvram, m_reply)) {
        return failPoll();
    }
    convertNvramReply(m_reply, records.nvram);
    m_status.statusText("NVRAM OK");

    if (!readTextReply("A08", ReplyFrame::Text)) {
        return failPoll();
    }
    convertDateTimeReply(m_reply, records.dateTime);
    m_status.statusText("Date and Time OK");

    if (!readTextReply("C03", ReplyFrame::Text)) {
        return failPoll();
    }
    convertVersionReply(m_reply, records.version);
    m_status.statusText("Version OK");

    if (!readTextReply("A24", ReplyFrame::Counters)) {
        return failPoll();
    }
    convertCountersReply(m_reply, records.counters);
    m_status.statusText("Ready");

    if (recorder != nullptr) {
        recorder->writeRecord(records);
    }
    return true;
}

bool StatusQueries::retrieveEventLog(EventTable& table, bool* replaced) {
    *replaced = false;
    // Each line ends with a line feed, the log's last one with ETX: a read must stop at either,
    // or the closing ETX would never be seen.
    // Only the first line starts with STX; one later on is another reply.
    auto readLine = [this](std::size_t& total) {
        const bool first = total == 0;
        const bool ok = link::readUntil(m_port, m_reply, kLineFeed, 256, kEtx);
        total += m_reply.size();
        return ok && total <= kMaxEventLogBytes &&
               (first ? fitsReplyFrame(ReplyFrame::EventLog, m_reply)
                      : m_reply.find(link::kStx) == std::string::npos);
    };
    auto endsLog = [this] { return !m_reply.empty() && m_reply.back() == kEtx; };

    std::size_t total = 0;
    if (!send("D*3") || !readLine(total)) {
        m_port.reset();
        return false;
    }
    const int unitCount = eventCountFromFirstLine(m_reply);
    const bool unchanged = unitCount == table.count;

    EventTable fresh;
    EventTableBuilder builder(fresh);
    while (!endsLog()) {
        if (!readLine(total)) {
            m_port.reset();
            return false;
        }
        if (!unchanged && !endsLog()) {
            builder.addLine(m_reply);
        }
    }
    if (!unchanged) {
        table = std::move(fresh);
        *replaced = true;
    }
    return true;
}

}  // namespace brevik2::engine
