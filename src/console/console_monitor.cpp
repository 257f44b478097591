#include "console/console_monitor.h"

#include <ostream>
#include <string_view>

#include "console/console_reporter.h"
#include "engine/metrics_exporter.h"
#include "engine/monitor_shared_state.h"
#include "engine/reply_lines.h"
#include "engine/status_message.h"
#include "link/command_catalogue.h"
#include "link/settings_defaults.h"
#include "link/settings_file.h"
#include "link/settings_location.h"

namespace brevik2::console {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view kOnlinePrefix = "Unit online             Status = ";

// Says so when the settings file cannot be read or written; the program goes on with the
// fallbacks either way. Nothing is written to find out: operators keep the file by hand.
void checkSettingsAccess(const link::SettingsFile& settings, std::ostream& err) {
    if (!settings.find("ComPort", 255) || !settings.isWritable()) {
        err << "brevik2-monitor: cannot read or write the settings file "
            << settings.path().string() << "; going on with the built-in fallbacks\n";
        err.flush();
    }
}

}  // namespace

ConsoleMonitor::ConsoleMonitor(ConsoleOptions options, std::ostream& out, std::ostream& err,
                               engine::MonitorThread::Options engineOptions)
    : m_options(std::move(options)),
      m_out(out),
      m_err(err),
      m_engineOptions(std::move(engineOptions)) {}

int ConsoleMonitor::run(const std::atomic<bool>& interrupted) {
    const link::SettingsFile settings(m_options.settingsPath.empty()
                                          ? link::locateSettingsFile()
                                          : std::filesystem::path(m_options.settingsPath));
    link::applyStartupDefaults(settings);
    checkSettingsAccess(settings, m_err);

    engine::MonitorSharedState shared;
    shared.samplingInterval.store(engine::readSamplingInterval(settings));
    ConsoleReporter reporter(shared);
    shared.scanRequest.store(m_options.scan, std::memory_order_release);
    engine::MonitorThread monitor(settings, shared, reporter, m_engineOptions);
    monitor.start();

    // A metrics endpoint that cannot start is reported, and monitoring goes on without it.
    engine::MetricsStartup metrics = engine::startMetricsEndpoint(
        m_options.metricsListen ? *m_options.metricsListen
                                : settings.readString("MetricsListen", ""),
        {[&shared] { return shared.online.load(std::memory_order_acquire); },
         [&shared] { return shared.samplingInterval.load(std::memory_order_acquire); }});

    const auto started = Clock::now();
    const bool timed = m_options.polls || m_options.seconds;
    const bool stopAfterRequests = !m_options.requests.empty() && !timed;
    const bool stopAfterScan = m_options.scan && !timed && m_options.requests.empty();
    int exitStatus = 0;
    long pollsDone = 0;
    std::size_t nextRequest = 0;
    bool awaiting = false;
    std::string lastStatus;

    auto print = [this](std::string_view prefix, std::string_view text) {
        m_out << prefix << text << '\n';
        m_out.flush();
    };
    if (!metrics.statusText.empty()) {
        print("status: ", metrics.statusText);
        if (!metrics.exporter) {
            m_err << "brevik2-monitor: " << metrics.statusText << '\n';
            m_err.flush();
        }
    }

    while (!interrupted.load()) {
        if (m_options.seconds &&
            std::chrono::duration<double>(Clock::now() - started).count() >= *m_options.seconds) {
            break;
        }
        if (!awaiting && nextRequest < m_options.requests.size() &&
            shared.online.load(std::memory_order_acquire)) {
            const auto& request = m_options.requests[nextRequest];
            if (link::queueRequest(shared.slot, request.code, request.parameter,
                                   engine::kStatusCommandAnswered) ==
                link::PendingRequestSlot::FillResult::Accepted) {
                awaiting = true;
            }
        }
        const auto event = reporter.next(std::chrono::milliseconds(100));
        if (!event) {
            continue;
        }
        if (metrics.exporter) {
            if (event->isMessage) {
                metrics.exporter->statusMessage(event->message);
            } else {
                metrics.exporter->statusText(event->text);
            }
        }
        if (!event->isMessage) {
            // The online text comes every cycle; print it only when it says something new.
            const bool repeat = event->text.starts_with(kOnlinePrefix) && event->text == lastStatus;
            if (!repeat) {
                print("status: ", event->text);
            }
            lastStatus = event->text;
            continue;
        }
        const engine::StatusMessage& message = event->message;
        if (message.code != engine::kStatusNothing) {
            print("message: ", std::to_string(message.code));
        }
        if (stopAfterScan && (message.code == engine::kStatusScanFound ||
                              message.code == engine::kStatusScanNotFound)) {
            exitStatus = message.code == engine::kStatusScanFound ? 0 : 1;
            break;
        }
        if (message.code == engine::kStatusEventLogRetrieved) {
            shared.eventTableRetrieved.store(false, std::memory_order_release);
        }
        if (awaiting && !event->requestPendingAtPost) {
            // The cycle that ran the request posts its completion code, or another code when
            // the exchange failed.
            if (message.code == engine::kStatusCommandAnswered) {
                const auto* row = link::findCommand(m_options.requests[nextRequest].code);
                for (const auto& line : engine::splitReplyLines(message.reply, row->replyLimit)) {
                    print("reply: ", line);
                }
            }
            awaiting = false;
            ++nextRequest;
            if (stopAfterRequests && nextRequest == m_options.requests.size()) {
                break;
            }
        }
        if (message.code == engine::kStatusPollCompleted && m_options.polls &&
            ++pollsDone >= *m_options.polls) {
            break;
        }
    }

    shared.shuttingDown.store(true, std::memory_order_release);
    monitor.stop();
    return exitStatus;
}

}  // namespace brevik2::console
