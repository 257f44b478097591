#include "shell/brevik2_application.h"

#include <QPointer>
#include <QTimer>

#include "dialogs/queued_delivery.h"
#include "link/settings_location.h"
#include "shell/about_box.h"
#include "shell/c_main_frame.h"

namespace brevik2::shell {
namespace {

// How long the about box stands as a banner over the new window before the monitor starts.
constexpr int kBannerMs = 1000;
constexpr int kBannerOffset = 100;

}  // namespace

Brevik2Application::Brevik2Application(engine::MonitorThread::Options options)
    : m_options(std::move(options)) {}

Brevik2Application::~Brevik2Application() {
    exitStep();
    m_frame.reset();
}

void Brevik2Application::start() {
    m_station = std::make_unique<engine::Station>(link::locateSettingsFile(),
                                                  dialogs::queuedOnto(m_receiver), m_options);
    m_frame = std::make_unique<CMainFrame>(*m_station, m_prompts);
    m_frame->setWindowTitle(QStringLiteral("Brevik 2"));
    // The endpoint serves from the start, so a scrape can tell "window up, unit silent" from
    // "station down".
    const std::string metrics = m_station->startMetrics();
    m_frame->showMetricsState(QString::fromStdString(metrics), m_station->metricsPort() != 0);
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
        m_station->start();
    });
}

int Brevik2Application::exitStep() {
    if (m_frame) {
        m_frame->saveWindowRectangle();
    }
    if (m_station && !m_station->stop()) {
        return engine::kStuckExitStatus;
    }
    return 0;
}

}  // namespace brevik2::shell
