#include "console/console_monitor.h"

#include <ostream>
#include <string_view>

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
void checkSettingsAccess(const link::SettingsFile& settings, std::ostream& err) {
    if (!settings.find(link::settings_keys::kComPort.name, 255) || !settings.isWritable()) {
        err << "brevik2-monitor: cannot read or write the settings file "
            << settings.path().string() << "; going on with the built-in fallbacks\n";
        err.flush();
    }
}

std::string requestName(const ConsoleOptions::Request& request) {
    return request.parameter.empty() ? request.code : request.code + " " + request.parameter;
}

}  // namespace

ConsoleMonitor::ConsoleMonitor(ConsoleOptions options, std::ostream& out, std::ostream& err,
                               engine::MonitorThread::Options engineOptions)
    : m_options(std::move(options)),
      m_out(out),
      m_err(err),
      m_engineOptions(std::move(engineOptions)) {}

std::chrono::milliseconds ConsoleMonitor::requestBound(const engine::MonitorThread::Options& o) {
    const auto& t = o.timeouts;
    const auto attempt =
        o.cycle + std::chrono::milliseconds(t.readTotalConstantMs +
                                            t.readTotalMultiplierMs * kStatusReplyBytes);
    return kContactAttempts * attempt + std::chrono::milliseconds(t.drainLimitMs);
}

int ConsoleMonitor::run(const std::atomic<bool>& interrupted) {
    engine::TaskQueue queue;
    engine::Station station(
        m_options.settingsPath.empty() ? link::locateSettingsFile()
                                       : std::filesystem::path(m_options.settingsPath),
        [&queue](engine::Station::Task task) { queue.post(std::move(task)); }, m_engineOptions);
    checkSettingsAccess(station.settings(), m_err);

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
    std::string lastStatus;

    auto print = [this](std::string_view prefix, std::string_view text) {
        m_out << prefix << text << '\n';
        m_out.flush();
    };
    if (!metricsText.empty()) {
        print("status: ", metricsText);
        if (station.metricsPort() == 0) {
            m_err << "brevik2-monitor: " << metricsText << '\n';
            m_err.flush();
        }
    }
    const auto portSubscription = station.onPortFailure([this](const engine::PortFailure& f) {
        m_err << "brevik2-monitor: " << engine::describePortFailure(f) << '\n';
        m_err.flush();
    });

    const auto textSubscription = station.onStatusText([&](std::string_view text) {
        // The online text comes every cycle; print it only when it says something new.
        const bool repeat = text.starts_with(kOnlinePrefix) && text == lastStatus;
        if (!repeat) {
            print("status: ", text);
        }
        lastStatus = text;
    });
    const auto messageSubscription = station.onStatusMessage([&](const engine::StatusMessage& m) {
        if (m.code != engine::kStatusNothing) {
            print("message: ", std::to_string(m.code));
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
            m_err << "brevik2-monitor: request \"" << requestName(request)
                  << "\" failed: " << outcome.failure << '\n';
            m_err.flush();
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
    while (!interrupted.load() && !finished) {
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
            awaiting = station.request(request.code, request.parameter,
                                       {engine::kStatusCommandAnswered, 0}, [&](const auto& o) {
                                           onDone(o);
                                           lastProgress = Clock::now();
                                       }) == link::PendingRequestSlot::FillResult::Accepted;
        }
        queue.runNext(std::chrono::milliseconds(100));
    }

    if (!station.stop()) {
        m_err << "brevik2-monitor: the monitor thread did not stop\n";
        m_err.flush();
        return kExitMonitorStuck;
    }
    for (std::size_t i = nextRequest; i < m_options.requests.size(); ++i) {
        m_err << "brevik2-monitor: request \"" << requestName(m_options.requests[i])
              << "\" not sent: the unit did not come online\n";
        exitStatus = kExitRequestNotDone;
    }
    m_err.flush();
    return exitStatus;
}

}  // namespace brevik2::console
