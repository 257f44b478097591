#include "shell/brevik2_application.h"

#include <QPointer>
#include <QTimer>

#include "link/settings_defaults.h"
#include "link/settings_location.h"
#include "shell/about_box.h"
#include "shell/c_main_frame.h"
#include "shell/queued_frame_reporter.h"

namespace brevik2::shell {
namespace {

// How long the about box stands as a banner over the new window before the monitor starts.
constexpr int kBannerMs = 1000;
constexpr int kBannerOffset = 100;

}  // namespace

Brevik2Application::Brevik2Application() : m_settings(link::locateSettingsFile()) {}

Brevik2Application::~Brevik2Application() {
    exitStep();
    m_frame.reset();
}

void Brevik2Application::start() {
    link::applyStartupDefaults(m_settings);
    m_frame = std::make_unique<CMainFrame>(m_settings, m_shared, m_prompts);
    m_frame->setWindowTitle(QStringLiteral("Brevik 2"));
    m_frame->show();

    // The banner stands for a second while the event loop runs, so the window paints and
    // answers; the monitor thread starts only when it has gone.
    QPointer<AboutBox> banner = new AboutBox(m_frame.get());
    banner->setAttribute(Qt::WA_DeleteOnClose);
    banner->setModal(false);
    banner->show();
    banner->move(banner->pos() + QPoint(kBannerOffset, kBannerOffset));
    QTimer::singleShot(kBannerMs, m_frame.get(), [this, banner] {
        if (banner) {
            banner->close();
        }
        startMonitor();
    });
}

void Brevik2Application::startMonitor() {
    m_shared.samplingInterval.store(engine::readSamplingInterval(m_settings),
                                    std::memory_order_release);
    m_reporter = std::make_unique<QueuedFrameReporter>(*m_frame);
    m_monitor = std::make_unique<engine::MonitorThread>(m_settings, m_shared, *m_reporter);
    m_monitor->start();
}

int Brevik2Application::exitStep() {
    m_shared.shuttingDown.store(true, std::memory_order_release);
    if (m_monitor) {
        m_monitor->stop();
        m_monitor.reset();
    }
    return 0;
}

}  // namespace brevik2::shell
