#include "sim/sim_server.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "link/line_settings.h"
#include "link/trace.h"
#include "sim/fault_injection.h"
#include "sim/host_line_check.h"
#include "sim/wire_encoding.h"

namespace brevik2::sim {
namespace {

constexpr std::size_t kMaxRequestsKept = 100000;
// While no host has the slave open the master reports a hang-up on every poll; it is looked at
// again this often instead. A host that resets its port reopens it at once and may wait only a
// short while for the answer (an instrument scan with shortened time-outs), so the unit must
// notice it quickly.
constexpr int kHostAbsentRecheckMs = 5;
constexpr int kIdlePollMs = 1000;
constexpr int kReopenRetryMs = 1000;
// A babbling unit keeps about this much queued ahead of the wire.
constexpr std::size_t kStreamBacklog = 256;
// A flood goes out in pieces of this size, every byte value in turn.
constexpr std::size_t kFloodPiece = 4096;

int millisecondsUntil(std::chrono::nanoseconds delay) {
    if (delay <= std::chrono::nanoseconds::zero()) {
        return 0;
    }
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(delay).count();
    return static_cast<int>(std::min<long long>(ms, kIdlePollMs));
}

bool validModel(int model) {
    return model == 400 || model == 401 || model == 402;
}

}  // namespace

SimServer::SimServer(SimOptions options)
    : m_options(std::move(options)),
      m_unit(m_options.model, m_options.unitId, m_options.line),
      m_faults(faultKindFromName(m_options.fault).value_or(FaultKind::None), m_options.faultEvery,
               m_options.vanishAfter) {
    m_unit.setTestLinePeriod(m_options.testLinePeriod);
}

SimServer::~SimServer() {
    stop();
}

bool SimServer::start(std::string* error) {
    auto fail = [error](const std::string& why) {
        if (error != nullptr) {
            *error = why;
        }
        return false;
    };
    if (m_thread.joinable()) {
        return fail("already running");
    }
    if (!validModel(m_options.model)) {
        return fail("model must be 400, 401 or 402");
    }
    if (m_options.unitId < 0 || m_options.unitId > 99999) {
        return fail("unit ID must be 0 to 99999");
    }
    if (!link::isValidBaudRate(m_options.line.baudRate) ||
        (m_options.line.dataBits != 7 && m_options.line.dataBits != 8)) {
        return fail("unsupported line settings");
    }
    if (!faultKindFromName(m_options.fault)) {
        return fail("unknown fault: " + m_options.fault);
    }
    std::string why;
    if (!m_pty.open(m_options.linkPath, &why)) {
        return fail(why);
    }
    if (m_wake.fd() < 0) {
        m_pty.close();
        return fail("no wake-up pipe");
    }
    m_wake.clear();
    {
        std::lock_guard lock(m_mutex);
        m_slaveName = m_pty.slaveName();
        m_present = true;
    }
    m_hostGone = false;
    m_outputBlocked = false;
    m_outbox.clear();
    m_parser.reset();
    m_reappearAt.reset();
    m_flooding = false;
    m_stopRequested.store(false, std::memory_order_release);
    m_thread = std::thread(&SimServer::run, this);
    return true;
}

void SimServer::stop() {
    if (m_thread.joinable()) {
        m_stopRequested.store(true, std::memory_order_release);
        m_wake.raise();
        m_thread.join();
    }
    m_pty.close();
    std::lock_guard lock(m_mutex);
    m_present = false;
}

std::string SimServer::slaveName() const {
    std::lock_guard lock(m_mutex);
    return m_slaveName;
}

bool SimServer::isPresent() const {
    std::lock_guard lock(m_mutex);
    return m_present;
}

UnitState SimServer::state() const {
    std::lock_guard lock(m_mutex);
    return m_unit.state();
}

std::vector<std::string> SimServer::requestsSeen() const {
    std::lock_guard lock(m_mutex);
    return {m_requests.begin(), m_requests.end()};
}

bool SimServer::setFault(const std::string& name, int every) {
    const std::optional<FaultKind> kind = faultKindFromName(name);
    if (!kind) {
        return false;
    }
    {
        std::lock_guard lock(m_mutex);
        m_faults.set(*kind, every);
    }
    m_wake.raise();
    return true;
}

void SimServer::setStalled(bool stalled) {
    m_stalled.store(stalled, std::memory_order_release);
    m_wake.raise();
}

// ---- the server's thread

void SimServer::run() {
    while (!m_stopRequested.load(std::memory_order_acquire)) {
        if (m_stalled.load(std::memory_order_acquire)) {
            waitForWake(kIdlePollMs);
            continue;
        }
        const Steady::time_point now = Steady::now();
        if (!m_pty.isOpen()) {
            bool stillVanishing;
            {
                std::lock_guard lock(m_mutex);
                stillVanishing = m_faults.kind() == FaultKind::Vanish;
            }
            const bool due =
                (m_reappearAt && now >= *m_reappearAt) || (!stillVanishing && !m_reopenFailed);
            if (due) {
                reappear();
                continue;
            }
            waitForWake(m_reappearAt ? millisecondsUntil(*m_reappearAt - now) : kIdlePollMs);
            continue;
        }
        serviceHost(now);
    }
    m_pty.close();
}

void SimServer::serviceHost(Steady::time_point now) {
    if (m_hostGone) {
        waitForWake(kHostAbsentRecheckMs);
        checkHostBack();
        return;
    }
    queueUnsolicited(now);
    writeOutbox(now);
    if (m_hostGone || !m_pty.isOpen()) {
        return;
    }
    pollfd fds[2] = {
        {m_wake.fd(), POLLIN, 0},
        {m_pty.masterFd(), static_cast<short>(POLLIN | (m_outputBlocked ? POLLOUT : 0)), 0},
    };
    const int ready = ::poll(fds, 2, pollTimeoutMs(now));
    if (ready <= 0) {
        return;
    }
    if (fds[0].revents != 0) {
        m_wake.clear();
    }
    if ((fds[1].revents & POLLIN) != 0) {
        readFromHost();
    } else if ((fds[1].revents & (POLLHUP | POLLERR)) != 0) {
        hostLeft();
    }
    if ((fds[1].revents & POLLOUT) != 0) {
        m_outputBlocked = false;
    }
}

void SimServer::readFromHost() {
    char buffer[4096];
    const ssize_t n = ::read(m_pty.masterFd(), buffer, sizeof buffer);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
        hostLeft();  // EIO: the last holder of the slave closed it
        return;
    }
    if (n < 0) {
        return;
    }
    link::traceBytes("sim rx", buffer, static_cast<std::size_t>(n));
    bool sevenBits;
    {
        std::lock_guard lock(m_mutex);
        sevenBits = m_unit.state().line.dataBits == 7;
    }
    if (sevenBits) {
        for (ssize_t i = 0; i < n; ++i) {
            buffer[i] = static_cast<char>(buffer[i] & 0x7F);
        }
    }
    for (const Request& request :
         m_parser.feed(std::string_view(buffer, static_cast<std::size_t>(n)))) {
        if (!m_pty.isOpen()) {
            break;  // vanished in the middle of a burst
        }
        handleRequest(request);
    }
}

void SimServer::handleRequest(const Request& request) {
    termios host{};
    const bool haveHostLine = ::tcgetattr(m_pty.masterFd(), &host) == 0;
    std::optional<std::string> reply;
    link::LineSettings replyLine;
    int before = 0;
    bool delayed = false;
    bool vanishNow = false;
    {
        std::lock_guard lock(m_mutex);
        // The settings the reply goes out with: a "C05" reply still uses the old ones.
        replyLine = m_unit.state().line;
        if (!haveHostLine || !hostLineMatches(host, replyLine)) {
            // At other settings the unit would hear only noise.
            link::traceNote("sim: request ignored, line settings differ");
            return;
        }
        std::string seen = request.code;
        if (!request.parameter.empty()) {
            seen += ' ';
            seen += request.parameter;
        }
        m_requests.push_back(std::move(seen));
        if (m_requests.size() > kMaxRequestsKept) {
            m_requests.pop_front();
        }
        vanishNow = m_faults.vanishesAt(request.code);
        if (vanishNow) {
            m_faults.vanished();
            m_present = false;  // first, so whoever sees the hang-up also sees the unit gone
        } else {
            const auto counted = m_unit.state().requestCounts.find(request.code);
            before = counted == m_unit.state().requestCounts.end() ? 0 : counted->second;
            reply = m_faults.apply(
                request.code,
                m_unit.handle(request.code, request.parameter, SimulatedUnit::Clock::now()),
                delayed);
        }
    }
    if (vanishNow) {
        vanish();
        return;
    }
    if (m_script) {
        if (std::optional<ScriptedReply> scripted = m_script(request, before)) {
            sendScripted(std::move(*scripted));
            return;
        }
    }
    if (!reply) {
        return;
    }
    const Steady::time_point notBefore =
        Steady::now() + (delayed ? kSlowReplyDelay : Steady::duration::zero());
    const auto perCharacter =
        m_options.pace ? characterTime(replyLine) : std::chrono::nanoseconds::zero();
    m_outbox.push(encodeForLine(std::move(*reply), replyLine), notBefore, perCharacter);
}

void SimServer::sendScripted(ScriptedReply reply) {
    m_outbox.push(std::move(reply.bytes), Steady::now(), reply.perByte);
    m_flooding = m_flooding || reply.floodAfter;
}

void SimServer::queueUnsolicited(Steady::time_point now) {
    std::string testOutput;
    link::LineSettings line;
    bool streaming;
    bool silent;
    {
        std::lock_guard lock(m_mutex);
        testOutput = m_unit.takeTestOutput(SimulatedUnit::Clock::now());
        line = m_unit.state().line;
        streaming = m_faults.streaming();
        silent = m_faults.silencesOutput();
    }
    if (!testOutput.empty() && !silent) {
        const auto perCharacter =
            m_options.pace ? characterTime(line) : std::chrono::nanoseconds::zero();
        m_outbox.push(encodeForLine(std::move(testOutput), line), now, perCharacter);
    }
    // The babble always runs at the wire rate: unpaced it would only fill the pty's buffer.
    while (streaming && m_outbox.pendingBytes() < kStreamBacklog) {
        m_outbox.push(encodeForLine(streamLine(m_streamLines++), line), now, characterTime(line));
    }
    // A scripted flood runs as fast as the host takes it, every byte value in turn.
    while (m_flooding && m_outbox.pendingBytes() < kStreamBacklog) {
        std::string piece(kFloodPiece, '\0');
        for (char& c : piece) {
            c = static_cast<char>(m_floodByte++);
        }
        m_outbox.push(std::move(piece), now);
    }
}

void SimServer::writeOutbox(Steady::time_point now) {
    if (m_outputBlocked || m_outbox.empty()) {
        return;
    }
    const int fd = m_pty.masterFd();
    const ReplyOutbox::WriteResult result =
        m_outbox.writeDue(now, [fd](const char* data, std::size_t count) -> long {
            const ssize_t n = ::write(fd, data, count);
            if (n < 0) {
                return (errno == EAGAIN || errno == EINTR) ? 0 : -1;
            }
            link::traceBytes("sim tx", data, static_cast<std::size_t>(n));
            return static_cast<long>(n);
        });
    if (result == ReplyOutbox::WriteResult::Blocked) {
        m_outputBlocked = true;
    } else if (result == ReplyOutbox::WriteResult::Failed) {
        hostLeft();
    }
}

int SimServer::pollTimeoutMs(Steady::time_point now) const {
    int timeout = kIdlePollMs;
    if (!m_outputBlocked) {
        if (const auto due = m_outbox.nextDue()) {
            timeout = std::min(timeout, millisecondsUntil(*due - now));
        }
    }
    std::optional<SimulatedUnit::Clock::time_point> testDue;
    {
        std::lock_guard lock(m_mutex);
        testDue = m_unit.nextTestOutput();
    }
    if (testDue) {
        timeout = std::min(timeout, millisecondsUntil(*testDue - SimulatedUnit::Clock::now()));
    }
    return timeout;
}

void SimServer::hostLeft() {
    link::traceNote("sim: host closed the port");
    m_hostGone = true;
    m_outputBlocked = false;
    m_outbox.clear();
    m_parser.reset();
    // What was written but not read would greet the next host that opens the port.
    m_pty.discardUnreadOutput();
    m_hostDepartures.fetch_add(1, std::memory_order_release);
}

void SimServer::checkHostBack() {
    pollfd fd{m_pty.masterFd(), POLLIN, 0};
    if (::poll(&fd, 1, 0) >= 0 && (fd.revents & POLLHUP) == 0) {
        m_hostGone = false;
    }
}

void SimServer::vanish() {
    link::traceNote("sim: the unit vanishes");
    m_pty.close();
    m_outbox.clear();
    m_parser.reset();
    m_hostGone = false;
    m_outputBlocked = false;
    m_reappearAt.reset();
    if (m_options.reappearAfterSeconds >= 0) {
        m_reappearAt = Steady::now() +
                       std::chrono::duration_cast<Steady::duration>(std::chrono::duration<double>(
                           std::min(m_options.reappearAfterSeconds, 1e6)));
    }
}

void SimServer::reappear() {
    std::string why;
    if (!m_pty.open(m_options.linkPath, &why)) {
        link::traceNote("sim: cannot come back: " + why);
        m_reopenFailed = true;
        m_reappearAt = Steady::now() + std::chrono::milliseconds(kReopenRetryMs);
        return;
    }
    link::traceNote("sim: the unit is back on " + m_pty.slaveName());
    m_reopenFailed = false;
    m_reappearAt.reset();
    std::lock_guard lock(m_mutex);
    m_slaveName = m_pty.slaveName();
    m_present = true;
}

void SimServer::waitForWake(int timeoutMs) {
    pollfd fd{m_wake.fd(), POLLIN, 0};
    if (::poll(&fd, 1, timeoutMs) > 0) {
        m_wake.clear();
    }
}

}  // namespace brevik2::sim
