#include "shell/c_main_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <cctype>

#include "dialogs/user_prompts.h"
#include "engine/station.h"
#include "link/settings_file.h"
#include "link/settings_keys.h"
#include "shell/about_box.h"
#include "shell/c_brevik2_view.h"
#include "shell/command_ids.h"
#include "shell/emblem.h"
#include "shell/frame_rules.h"
#include "shell/lock_key_state.h"
#include "shell/outer_rect_placer.h"
#include "shell/unit_status_panel.h"
#include "shell/window_geometry.h"
#include "trends/trends_window.h"

namespace brevik2::shell {
namespace {

constexpr const char* kIdlePrompt = "Ready";
// How often the lock key indicators look at the keyboard; quick enough to follow a key press.
constexpr int kLockKeyPollMs = 250;

}  // namespace

CMainFrame::CMainFrame(engine::Station& station, dialogs::UserPrompts& prompts, QWidget* parent)
    : QMainWindow(parent),
      m_station(station),
      m_settings(station.settings()),
      m_prompts(prompts),
      m_context{m_settings, station, m_records, prompts,
                [this](const QString& text) { showStatusText(text); }},
      m_snapshot(prompts, station),
      m_clock(currentLocalTime) {
    const QSize screen = primaryScreenSize();
    OuterRectPlacer::place(
        *this, placeStoredRectangle(
                   m_settings.readString(link::settings_keys::kWindowRectangle.name,
                                         link::settings_keys::kWindowRectangle.fallback, 254),
                   screen.width(), screen.height(), FitTest::StoredSize));
    setWindowIcon(QIcon(brevik2Emblem(64)));
    m_view = new CBrevik2View(m_settings, this);
    setCentralWidget(m_view);

    buildMenus();
    buildStatusBar();
    createPanel();
    createDialogs();
    m_trends = new trends::TrendsWindow(m_settings, m_records, m_prompts, this);

    m_texts = station.onStatusText([this](std::string_view text) {
        showStatusText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
        showPortFailure();
    });
    m_messages = station.onStatusMessage(
        [this](const engine::StatusMessage& message) { handleStatusMessage(message); });
}

CMainFrame::~CMainFrame() {
    destroyDialogs();
    delete m_panel;
}

QAction* CMainFrame::addCommand(QMenu* menu, int id, const char* text, const char* prompt,
                                std::function<void()> handler) {
    auto* action = new QAction(QString::fromLatin1(text), this);
    action->setData(id);
    if (prompt != nullptr) {
        action->setStatusTip(QString::fromLatin1(prompt));
    }
    if (handler) {
        connect(action, &QAction::triggered, this, [handler = std::move(handler)] { handler(); });
    }
    if (menu != nullptr) {
        menu->addAction(action);
    }
    m_actions.insert(id, action);
    return action;
}

void CMainFrame::buildMenus() {
    QMenuBar* bar = menuBar();

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->addSeparator();
    // Printing is not offered: the action keeps its identifier but is in no menu.
    addCommand(nullptr, kIdPrintSetup, "P&rint Setup...", "Change the printer and printing options",
               [] {});
    file->addSeparator();
    addCommand(file, kIdConfigureSerialPort, "Configure Serial Port",
               "Set up the communications port", [this] { openSerialSetup(); });
    addCommand(file, kIdConfigureMonitoring, "Configure Unit Monitoring",
               "Configure General Program Options", [this] { openMonitoringOptions(); });
    addCommand(file, kIdSnapshot, "Snapshot Clock Data", nullptr, [this] { snapshotCommand(); });
    file->addSeparator();
    addCommand(file, kIdExit, "E&xit", "Quit the application; prompts to save documents",
               [this] { close(); });

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    QAction* monitors =
        addCommand(view, kIdMonitors, "Monitors", "Show or hide the Unit Status Panel", nullptr);
    monitors->setCheckable(true);
    connect(monitors, &QAction::triggered, this,
            [this](bool checked) { monitorsCommand(checked); });
    // Beyond the original menus: plots of the data file over time, after "Monitors".
    addCommand(view, kIdTrends, "Trends", "Plot the unit's telemetry over time", [this] {
        m_trends->show();
        m_trends->raise();
        m_trends->activateWindow();
    });
    QAction* statusBarItem =
        addCommand(view, kIdStatusBar, "&Status Bar", "Show or hide the status bar", nullptr);
    statusBarItem->setCheckable(true);
    statusBarItem->setChecked(true);
    connect(statusBarItem, &QAction::triggered, this,
            [this](bool checked) { statusBar()->setVisible(checked); });

    QMenu* commands = bar->addMenu(QStringLiteral("Commands"));
    auto direct = [this](int id) { return [this, id] { directRequestCommand(id); }; };
    addCommand(commands, kIdResetUnitAlarms, "Reset Unit Alarms",
               "Send a Reset Alarms Command to the unit", direct(kIdResetUnitAlarms));
    addCommand(commands, kIdSetTimeFromPc, "Set Time From PC", nullptr, direct(kIdSetTimeFromPc));
    addCommand(commands, kIdSetDateFromPc, "Set Date From PC", "Set Date from PC",
               direct(kIdSetDateFromPc));
    addCommand(commands, kIdResetEventLog, "Reset NV Eventlog", nullptr, direct(kIdResetEventLog));
    addCommand(commands, kIdUnitInitialization, "Unit Initialization",
               "Open the unit initialization dialog", [this] { openUnitInitialization(); });
    // Kept out of the menus like printing; the identifiers still reach their handlers.
    addCommand(nullptr, kIdTestDiagnostics, "Test and Diagnostics",
               "Open the test and diagnostics dialog", [this] { openTestDiagnostics(); });
    addCommand(nullptr, kIdSelectCommand, "Select A Command...",
               "Opens the command selection dialog", [this] { openCommandDialog(); });
    addCommand(commands, kIdConfigureTelecom, "Configure Telecom Outputs", nullptr,
               [this] { modelCommand(kIdConfigureTelecom, &CMainFrame::openTelecomOutputs); });
    addCommand(commands, kIdSync1pps, "Sync 1pps System", nullptr,
               [this] { modelCommand(kIdSync1pps, &CMainFrame::openPpsSync); });
    addCommand(commands, kIdConfigureTtl, "Configure TTL Output", nullptr,
               [this] { modelCommand(kIdConfigureTtl, &CMainFrame::openTtlOutput); });

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    addCommand(help, kIdAbout, "&About Brevik2...", nullptr, [this] { aboutCommand(); });

    // When the menu closes the pane shows the idle prompt until the next status text. An item
    // without a prompt leaves the pane empty while it is highlighted, rather than showing
    // whatever the monitor thread said last as if it described the item.
    for (QMenu* menu : {file, view, commands, help}) {
        connect(menu, &QMenu::hovered, this, [this](QAction* action) {
            m_promptlessItemHighlighted = action->statusTip().isEmpty();
            if (m_promptlessItemHighlighted) {
                m_messagePane->clear();
            }
        });
        connect(menu, &QMenu::aboutToHide, this, [this] {
            m_promptlessItemHighlighted = false;
            m_messagePane->setText(QString::fromLatin1(kIdlePrompt));
        });
        connect(menu, &QMenu::aboutToShow, this, [this] { updateModelCommands(); });
    }
    updateModelCommands();
}

void CMainFrame::buildStatusBar() {
    QStatusBar* bar = statusBar();
    m_messagePane = new QLabel(QString::fromLatin1(kIdlePrompt), bar);
    m_messagePane->setObjectName(QStringLiteral("messagePane"));
    m_messagePane->setMinimumWidth(1);  // a long text must not widen the window
    bar->addWidget(m_messagePane, 1);
    const char* texts[] = {"CAP", "NUM", "SCRL"};
    for (int i = 0; i < 3; ++i) {
        m_lockPanes[i] = new QLabel(QString::fromLatin1(texts[i]), bar);
        m_lockPanes[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        m_lockPanes[i]->setEnabled(false);
        bar->addPermanentWidget(m_lockPanes[i]);
    }
    if (queryLockKeys()) {
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this] { updateLockIndicators(); });
        timer->start(kLockKeyPollMs);
        updateLockIndicators();
    }
}

void CMainFrame::updateLockIndicators() {
    if (const auto keys = queryLockKeys()) {
        m_lockPanes[0]->setEnabled(keys->capsLock);
        m_lockPanes[1]->setEnabled(keys->numLock);
        m_lockPanes[2]->setEnabled(keys->scrollLock);
    }
}

void CMainFrame::createPanel() {
    m_panelCreated = true;
    m_panel = new UnitStatusPanel(m_settings, m_station);
    m_panel->setWindowIcon(windowIcon());
    m_panel->placeFromSettings(primaryScreenSize());
    m_panel->refresh(m_records, nullptr);
    connect(m_panel, &UnitStatusPanel::closedByOperator, this,
            [this] { m_actions.value(kIdMonitors)->setChecked(false); });

    std::string visible =
        m_settings.readString(link::settings_keys::kUnitStatusVisible.name,
                              link::settings_keys::kUnitStatusVisible.fallback, 254);
    const char first =
        visible.empty()
            ? '\0'
            : static_cast<char>(std::tolower(static_cast<unsigned char>(visible.front())));
    if (first == 't' || first == 'y' || first == '\x01') {
        m_actions.value(kIdMonitors)->trigger();
    }
}

QString CMainFrame::messagePaneText() const {
    return m_messagePane->text();
}

QLabel* CMainFrame::lockIndicator(int index) const {
    return index >= 0 && index < 3 ? m_lockPanes[index] : nullptr;
}

void CMainFrame::showStatusText(const QString& text) {
    if (!m_promptlessItemHighlighted) {
        m_messagePane->setText(text);
    }
}

// "Com Port Failed to open" alone does not say why; the pane's tool tip does, until the port
// opens.
void CMainFrame::showPortFailure() {
    const auto& failure = m_station.portFailure();
    m_messagePane->setToolTip(
        failure ? QString::fromStdString(engine::describePortFailure(*failure)) : QString());
}

void CMainFrame::showMetricsState(const QString& text, bool serving) {
    if (text.isEmpty()) {
        return;
    }
    auto* pane = new QLabel(serving ? QStringLiteral("Metrics") : QStringLiteral("Metrics off"),
                            statusBar());
    pane->setObjectName(QStringLiteral("metricsPane"));
    pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pane->setToolTip(text);
    statusBar()->insertPermanentWidget(0, pane);
    showStatusText(text);
}

void CMainFrame::updateModelCommands() {
    const int model = m_records.constants.modelCode();
    for (int id : {kIdConfigureTelecom, kIdSync1pps, kIdConfigureTtl}) {
        m_actions.value(id)->setEnabled(commandAllowedForModel(id, model));
    }
}

void CMainFrame::saveWindowRectangle() {
    m_view->storeRectangle();
}

void CMainFrame::handleStatusMessage(const engine::StatusMessage& message) {
    m_records = message.records;
    updateModelCommands();

    switch (message.code) {
        case engine::kStatusPollCompleted:
            if (m_panel->panelVisible()) {
                refreshPanel();
            }
            m_trends->onPollCompleted();
            return;
        case engine::kStatusEventLogRetrieved:
            if (message.eventTable) {
                takeEventTable(*message.eventTable);
            }
            if (m_snapshot.pending()) {
                m_snapshot.finish(this, m_eventTable);
            }
            return;
        default:
            return;
    }
}

void CMainFrame::takeEventTable(const engine::EventTable& table) {
    m_eventTable = table;
    m_eventTableNew = true;
}

void CMainFrame::refreshPanel() {
    m_panel->refresh(m_records, m_eventTableNew ? &m_eventTable : nullptr);
    if (m_eventTableNew) {
        m_eventTableNew = false;
        // Listed: the monitor thread may read the unit's log again.
        m_station.eventTableTaken();
    }
}

void CMainFrame::monitorsCommand(bool checked) {
    if (checked) {
        m_panel->showPanel();
    } else {
        m_panel->hidePanel();
    }
}

void CMainFrame::directRequestCommand(int id) {
    // The clock is read first; a request made while another waits is dropped without a word.
    const DirectRequest request = directRequest(id, m_clock());
    m_station.request(request.code, request.parameter,
                      {request.completionCode, request.replyLimit});
}

void CMainFrame::modelCommand(int id, void (CMainFrame::*open)()) {
    if (!commandAllowedForModel(id, m_records.constants.modelCode())) {
        return;
    }
    (this->*open)();
}

void CMainFrame::snapshotCommand() {
    m_snapshot.start(this, m_records, m_clock);
}

void CMainFrame::aboutCommand() {
    AboutBox box(this);
    box.exec();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    m_panel->save();
    m_panel->hide();
    QMainWindow::closeEvent(event);
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !m_panelCreated ||
        !m_actions.value(kIdMonitors)->isChecked()) {
        return;
    }
    // The check mark is the operator's wish to see the panel; minimising only hides it for a
    // while.
    if (windowState() & Qt::WindowMinimized) {
        m_panel->hidePanel();
    } else if (windowState() == Qt::WindowNoState) {
        m_panel->showPanel();
    }
}

}  // namespace brevik2::shell
