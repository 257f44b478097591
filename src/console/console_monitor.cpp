#include "console/console_monitor.h"

#include <ostream>
#include <string_view>

#include "console/line_writer.h"
#include "engine/reply_lines.h"
#include "engine/station.h"
#include "engine/status_message.h"
#include "engine/task_queue.h"
#include "link/command_catalogue.h"
#include "link/settings_file.h"
#include "link/settings_keys.h"
#include "link/settings_location.h"

namespace brevik2::console {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view kOnlinePrefix = "Unit online             Status = ";
// The status reply's length as the contact attempt reads it, rounded up.
constexpr int kStatusReplyBytes = 128;
constexpr int kContactAttempts = 6;

// Says so when the settings file cannot be read or written; the program goes on with the
// fallbacks either way. Nothing is written to find out: operators keep the file by hand.
void checkSettingsAccess(const link::SettingsFile& settings, LineWriter& err) {
    if (const std::string problem = settings.problem(); !problem.empty()) {
        err.write("brevik2-monitor: the settings file " + settings.path().string() + " " + problem +
                  "; going on with the built-in fallbacks");
    } else if (!settings.find(link::settings_keys::kComPort.name, 255) || !settings.isWritable()) {
        err.write("brevik2-monitor: cannot read or write the settings file " +
                  settings.path().string() + "; going on with the built-in fallbacks");
    }
}

std::string requestName(const ConsoleOptions::Request& request) {
    return request.parameter.empty() ? request.code : request.code + " " + request.parameter;
}

}  // namespace

ConsoleMonitor::ConsoleMonitor(ConsoleOptions options, std::ostream& out, std::ostream& err,
                               engine::MonitorThread::Options engineOptions,
                               std::chrono::milliseconds repeatWindow)
    : m_options(std::move(options)),
      m_out(out),
      m_err(err),
      m_engineOptions(std::move(engineOptions)),
      m_repeatWindow(repeatWindow) {}

std::chrono::milliseconds ConsoleMonitor::requestBound(const engine::MonitorThread::Options& o) {
    const auto& t = o.timeouts;
    const auto attempt =
        o.cycle + std::chrono::milliseconds(t.readTotalConstantMs +
                                            t.readTotalMultiplierMs * kStatusReplyBytes);
    return kContactAttempts * attempt + std::chrono::milliseconds(t.drainLimitMs);
}

int ConsoleMonitor::run(const std::atomic<bool>& interrupted) {
    LineWriter out(m_out, [](std::uint64_t n) {
        return "dropped: " + std::to_string(n) + " lines the output could not take";
    });
    LineWriter err(m_err, [](std::uint64_t n) {
        return "brevik2-monitor: " + std::to_string(n) + " lines dropped: the output was blocked";
    });
    auto print = [&out](std::string_view prefix, std::string_view text) {
        out.write(std::string(prefix) + std::string(text));
    };
    auto complain = [&err](std::string_view text) {
        err.write("brevik2-monitor: " + std::string(text));
    };

    engine::TaskQueue queue;
    engine::Station station(
        m_options.settingsPath.empty() ? link::locateSettingsFile()
                                       : std::filesystem::path(m_options.settingsPath),
        [&queue](engine::Station::Task task) { queue.post(std::move(task)); }, m_engineOptions);
    checkSettingsAccess(station.settings(), err);

    // A metrics endpoint that cannot start is reported, and monitoring goes on without it.
    const std::string metricsText = station.startMetrics(m_options.metricsListen);

    const bool timed = m_options.polls || m_options.seconds;
    const bool stopAfterRequests = !m_options.requests.empty() && !timed;
    const bool stopAfterScan = m_options.scan && !timed && m_options.requests.empty();
    const auto bound = requestBound(m_engineOptions);
    int exitStatus = kExitDone;
    bool finished = false;
    long pollsDone = 0;
    std::size_t nextRequest = 0;
    bool awaiting = false;
    bool requestSent = false;  // "Cmd Sent OK" for the request awaited
    bool cameOnline = false;
    bool contactTold = false;  // the last message was the 24 posted at contact
    std::string lastPrinted;
    RepeatFilter repeats(m_repeatWindow);

    if (!metricsText.empty()) {
        print("status: ", metricsText);
        if (station.metricsPort() == 0) {
            complain(metricsText);
        }
    }
    const auto portSubscription = station.onPortFailure(
        [&](const engine::PortFailure& f) { complain(engine::describePortFailure(f)); });

    const auto textSubscription = station.onStatusText([&](std::string_view text) {
        requestSent = requestSent || (awaiting && text == "Cmd Sent OK");
        if (m_serviceStatus) {
            const auto& failure = station.portFailure();
            m_serviceStatus(failure ? engine::describePortFailure(*failure) : std::string(text));
        }
        // The online text comes every cycle; print it only when it says something new.
        if (text.starts_with(kOnlinePrefix) && text == lastPrinted) {
            return;
        }
        if (repeats.pass(text, Clock::now())) {
            print("status: ", text);
            lastPrinted = text;
        }
    });
    const auto messageSubscription = station.onStatusMessage([&](const engine::StatusMessage& m) {
        // Contact posts 24 at once, and again as the cycle's code when nothing else came of the
        // cycle (a poll that failed): one line for both.
        const bool contactRepeat = m.code == engine::kStatusUnitOnline && contactTold;
        contactTold = m.code == engine::kStatusUnitOnline && !contactRepeat;
        cameOnline = cameOnline || m.code == engine::kStatusUnitOnline;
        if (m.code != engine::kStatusNothing) {
            if (const auto told = repeats.progress(Clock::now())) {
                print("repeats: ", *told);
            }
            if (!contactRepeat) {
                print("message: ", std::to_string(m.code));
            }
        }
        if (m.code == engine::kStatusEventLogRetrieved) {
            station.eventTableTaken();
        }
        if (m.code == engine::kStatusPollCompleted && m_options.polls &&
            ++pollsDone >= *m_options.polls) {
            finished = true;
        }
    });
    if (m_options.scan) {
        station.scan([&](int code) {
            if (stopAfterScan && code != engine::kStatusScanTrial) {
                exitStatus = code == engine::kStatusScanFound ? kExitDone : kExitScanNotFound;
                finished = true;
            }
        });
    }
    auto onDone = [&](const engine::RequestOutcome& outcome) {
        const auto& request = m_options.requests[nextRequest];
        if (outcome.completed) {
            const auto* row = link::findCommand(request.code);
            for (const auto& line : engine::splitReplyLines(outcome.reply, row->replyLimit)) {
                print("reply: ", line);
            }
        } else {
            complain("request \"" + requestName(request) + "\" failed: " + outcome.failure);
            exitStatus = kExitRequestNotDone;
        }
        awaiting = false;
        ++nextRequest;
        if (stopAfterRequests && nextRequest == m_options.requests.size()) {
            finished = true;
        }
    };

    station.start();
    const auto started = Clock::now();
    auto lastProgress = started;
    while (!interrupted.load() && !finished && !out.closed()) {
        const auto now = Clock::now();
        if (m_options.seconds &&
            std::chrono::duration<double>(now - started).count() >= *m_options.seconds) {
            break;
        }
        if (stopAfterRequests && !m_options.seconds && now - lastProgress >= bound) {
            break;
        }
        if (!awaiting && nextRequest < m_options.requests.size() && station.online()) {
            const auto& request = m_options.requests[nextRequest];
            requestSent = false;
            awaiting = station.request(request.code, request.parameter,
                                       {engine::kStatusCommandAnswered, 0}, [&](const auto& o) {
                                           onDone(o);
                                           lastProgress = Clock::now();
                                       }) == link::PendingRequestSlot::FillResult::Accepted;
        }
        queue.runNext(std::chrono::milliseconds(100));
        if (const auto dropped = queue.takeDropped()) {
            print("dropped: ", std::to_string(dropped) +
                                   " status texts and idle cycle reports: the console fell behind");
        }
        if (const auto told = repeats.due(Clock::now())) {
            print("repeats: ", *told);
        }
    }
    m_outputClosed = out.closed();

    if (!station.stop()) {
        complain("the monitor thread did not stop");
        exitStatus = kExitMonitorStuck;
    } else {
        if (const auto told = repeats.progress(Clock::now())) {
            print("repeats: ", *told);
        }
        // The slot is free again once the thread has tried the exchange.
        const bool tried = awaiting && !station.requestPending();
        for (std::size_t i = nextRequest; i < m_options.requests.size(); ++i) {
            std::string what;
            if (i == nextRequest && tried) {
                what = requestSent ? "interrupted: sent, but the run ended before its reply came"
                                   : "interrupted: the run ended during its exchange";
            } else if (!cameOnline) {
                what = "not sent: the unit did not come online";
            } else {
                what = station.online() ? "not sent: the run ended before its turn"
                                        : "not sent: the unit went offline";
            }
            complain("request \"" + requestName(m_options.requests[i]) + "\" " + what);
            exitStatus = kExitRequestNotDone;
        }
    }
    const auto deadline = Clock::now() + kDrainBound;
    const bool outDone = out.finish(deadline);
    const bool errDone = err.finish(deadline);
    m_outputBlocked = !outDone || !errDone;
    return exitStatus;
}

}  // namespace brevik2::console
