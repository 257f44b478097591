#include "trends/trends_window.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollArea>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <chrono>

#include "dialogs/user_prompts.h"
#include "engine/status_records.h"
#include "trends/alarm_strip.h"
#include "trends/time_axis_ticks.h"
#include "trends/trend_plot.h"
#include "trends/trends_csv_export.h"

namespace brevik2::trends {

namespace {

constexpr std::array<const char*, 7> kDefaultColumns{"V_EM",     "I_IP",   "V_CS",  "I_CFLD",
                                                     "T_CHASIS", "V_VCXO", "STDDEV"};
// The cursor read-out takes a record this many pixels away when the cursor is in no record's
// time (before the first, after the last, beside a lone poll).
constexpr double kCursorReachPixels = 8;

const std::array<QColor, 8> kPlotColors{
    QColor(31, 119, 180), QColor(214, 39, 40),  QColor(44, 160, 44), QColor(148, 103, 189),
    QColor(255, 127, 14), QColor(23, 190, 207), QColor(140, 86, 75), QColor(188, 189, 34),
};

double nowSeconds() {
    return static_cast<double>(std::chrono::duration_cast<std::chrono::seconds>(
                                   std::chrono::system_clock::now().time_since_epoch())
                                   .count());
}

QString localTimeText(double seconds) {
    return QDateTime::fromSecsSinceEpoch(static_cast<qint64>(seconds))
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString legendText() {
    using engine::AlarmLevel;
    QString text;
    for (const AlarmLevel level : {AlarmLevel::Operating, AlarmLevel::WarmingUp,
                                   AlarmLevel::MinorFault, AlarmLevel::MajorFault}) {
        text += QStringLiteral("<span style=\"color:%1\">&#9632;</span>&nbsp;%2&nbsp;&nbsp; ")
                    .arg(AlarmStrip::colorOf(level).name(), AlarmStrip::nameOf(level));
    }
    return text;
}

}  // namespace

TrendsWindow::TrendsWindow(const link::SettingsFile& settings,
                           const engine::UnitRecords& latestRecords, dialogs::UserPrompts& prompts,
                           QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_settings(settings),
      m_records(latestRecords),
      m_prompts(prompts),
      m_range(nowSeconds()) {
    setWindowTitle(tr("Trends"));
    resize(1000, 760);

    auto* top = new QHBoxLayout();
    const std::array<std::pair<QString, RangePreset>, 4> presets{{
        {tr("Last day"), RangePreset::LastDay},
        {tr("Last week"), RangePreset::LastWeek},
        {tr("Last month"), RangePreset::LastMonth},
        {tr("All"), RangePreset::All},
    }};
    for (const auto& [text, preset] : presets) {
        auto* button = new QToolButton(this);
        button->setText(text);
        button->setCheckable(true);
        button->setAutoRaise(false);
        connect(button, &QToolButton::clicked, this, [this, p = preset] { setRangePreset(p); });
        top->addWidget(button);
        m_presetButtons.push_back(button);
    }
    top->addSpacing(12);

    auto* columns = new QToolButton(this);
    columns->setText(tr("Columns"));
    columns->setPopupMode(QToolButton::InstantPopup);
    m_columnMenu = new QMenu(columns);
    for (int column = 0; column < engine::kTelemetryColumnCount; ++column) {
        if (!engine::isPlottableTelemetryColumn(column)) {
            continue;
        }
        QAction* action =
            m_columnMenu->addAction(QString::fromStdString(engine::telemetryColumnNames()[column]));
        action->setCheckable(true);
        action->setData(column);
        connect(action, &QAction::triggered, this,
                [this, column](bool checked) { setColumnPlotted(column, checked); });
    }
    columns->setMenu(m_columnMenu);
    top->addWidget(columns);
    top->addSpacing(12);

    auto* legend = new QLabel(legendText(), this);
    legend->setTextFormat(Qt::RichText);
    top->addWidget(legend);
    top->addStretch(1);

    auto* png = new QPushButton(tr("Export PNG..."), this);
    connect(png, &QPushButton::clicked, this, &TrendsWindow::exportPng);
    top->addWidget(png);
    auto* csv = new QPushButton(tr("Export CSV..."), this);
    connect(csv, &QPushButton::clicked, this, &TrendsWindow::exportCsv);
    top->addWidget(csv);

    m_plotsArea = new QWidget();
    m_plotsArea->setAutoFillBackground(true);
    m_plotsLayout = new QVBoxLayout(m_plotsArea);
    m_plotsLayout->setContentsMargins(0, 0, 0, 0);
    m_plotsLayout->setSpacing(2);
    m_strip = new AlarmStrip(m_plotsArea);
    m_plotsLayout->addWidget(m_strip);
    m_scroll = new QScrollArea(this);
    m_scroll->setWidget(m_plotsArea);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    m_readout = new QLabel(this);
    m_readout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_status = new QLabel(this);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette dim = m_status->palette();
    dim.setColor(QPalette::WindowText, dim.color(QPalette::Disabled, QPalette::WindowText));
    m_status->setPalette(dim);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_scroll, 1);
    layout->addWidget(m_readout);
    layout->addWidget(m_status);

    m_redrawTimer = new QTimer(this);
    m_redrawTimer->setSingleShot(true);
    m_redrawTimer->setInterval(0);
    connect(m_redrawTimer, &QTimer::timeout, this, &TrendsWindow::redraw);

    for (const char* name : kDefaultColumns) {
        if (const std::optional<int> column = engine::telemetryColumnIndex(name)) {
            addPlot(*column);
        }
    }
    updatePresetButtons();
    updateStatus(QString());
}

TrendsWindow::~TrendsWindow() = default;

void TrendsWindow::addPlot(int column) {
    const QColor color = kPlotColors[m_plots.size() % kPlotColors.size()];
    auto* plot = new TrendPlot(
        column, QString::fromStdString(engine::telemetryColumnNames()[column]), color);
    m_plotsLayout->insertWidget(static_cast<int>(m_plots.size()), plot, 1);
    m_plots.push_back(plot);
    connect(plot, &TrendPlot::cursorMoved, this,
            [this](double fraction) { setCursorTime(m_range.timeAt(fraction)); });
    connect(plot, &TrendPlot::cursorLeft, this, [this] { setCursorTime(std::nullopt); });
    connect(plot, &TrendPlot::panned, this, &TrendsWindow::panBy);
    connect(plot, &TrendPlot::zoomed, this, &TrendsWindow::zoomAt);
    connect(plot, &TrendPlot::resetRequested, this, [this] { setRangePreset(m_range.preset()); });
    connect(plot, &TrendPlot::resized, this, &TrendsWindow::scheduleRedraw);
    for (QAction* action : m_columnMenu->actions()) {
        if (action->data().toInt() == column) {
            action->setChecked(true);
        }
    }
}

std::vector<int> TrendsWindow::plottedColumns() const {
    std::vector<int> columns;
    for (const TrendPlot* plot : m_plots) {
        columns.push_back(plot->column());
    }
    return columns;
}

void TrendsWindow::setColumnPlotted(int column, bool plotted) {
    if (!engine::isPlottableTelemetryColumn(column)) {
        return;
    }
    const auto found = std::find_if(m_plots.begin(), m_plots.end(),
                                    [column](const TrendPlot* p) { return p->column() == column; });
    if (!plotted) {
        if (found != m_plots.end()) {
            delete *found;
            m_plots.erase(found);
        }
        for (QAction* action : m_columnMenu->actions()) {
            if (action->data().toInt() == column) {
                action->setChecked(false);
            }
        }
        scheduleRedraw();
        return;
    }
    if (found != m_plots.end()) {
        return;
    }
    addPlot(column);
    // A column not held yet means reading the file once more, for the plotted columns only;
    // the view stays where it is.
    if (m_reader && !m_reader->series().slotOf(column)) {
        const std::string path = m_reader->path().string();
        const std::optional<long> unitId = m_reader->unitId();
        m_reader.reset();
        openReader(path, unitId);
    }
    scheduleRedraw();
}

TrendsWindow::Location TrendsWindow::locate() const {
    Location where;
    const engine::VariablesRecord& variables = m_records.variables;
    if (variables.valid[engine::kVarUnitId] != 0) {
        where.unitId = variables.asSigned(engine::kVarUnitId);
        where.path = engine::telemetryDataFilePath(m_settings, *where.unitId);
        if (!where.path) {
            where.problem = tr("TelemetryFilenameTemplate gives no usable file name.");
        }
        return where;
    }
    // Before the first poll the unit ID is unknown; a template without it names the file anyway.
    const auto forOne = engine::telemetryDataFilePath(m_settings, 1);
    const auto forTwo = engine::telemetryDataFilePath(m_settings, 2);
    if (forOne && forTwo && *forOne == *forTwo) {
        where.path = forOne;
    } else {
        where.problem =
            tr("The unit ID is not known yet; the data file is found after the first "
               "poll.");
    }
    return where;
}

void TrendsWindow::openReader(const std::string& path, std::optional<long> unitId) {
    std::vector<int> columns = plottedColumns();
    m_reader = std::make_unique<engine::TelemetryFileReader>(path, unitId, std::move(columns));
    m_decimation.setTimes(m_reader->series().times);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_reader->readAppended();
    QApplication::restoreOverrideCursor();
    m_decimation.setTimes(m_reader->series().times);
    const auto& times = m_reader->series().times;
    if (times.empty()) {
        m_range.setRecordSpan(std::nullopt, std::nullopt);
    } else {
        m_range.setRecordSpan(times.front(), times.back());
    }
}

void TrendsWindow::onPollCompleted() {
    if (!isVisible()) {
        m_stale = true;
        return;
    }
    refresh();
}

void TrendsWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_stale) {
        refresh();
    }
}

void TrendsWindow::refresh() {
    m_stale = false;
    const Location where = locate();
    if (!where.path) {
        updateStatus(where.problem);
        return;
    }
    if (!m_reader || m_reader->path().string() != *where.path ||
        m_reader->unitId() != where.unitId) {
        openReader(*where.path, where.unitId);
        scheduleRedraw();
    } else {
        const engine::TelemetryFileReader::ReadResult result = m_reader->readAppended();
        if (result.newRecords > 0 || result.restarted) {
            const auto& times = m_reader->series().times;
            m_decimation.setTimes(times);
            if (times.empty()) {
                m_range.setRecordSpan(std::nullopt, std::nullopt);
            } else {
                m_range.setRecordSpan(times.front(), times.back());
            }
            scheduleRedraw();
        }
    }
    updateStatus(QString());
}

void TrendsWindow::setRangePreset(RangePreset preset) {
    m_range.setPreset(preset);
    updatePresetButtons();
    scheduleRedraw();
}

void TrendsWindow::zoomAt(double fraction, double factor) {
    m_range.zoom(fraction, factor);
    afterViewChange();
}

void TrendsWindow::panBy(double fraction) {
    m_range.pan(fraction);
    afterViewChange();
}

void TrendsWindow::afterViewChange() {
    updatePresetButtons();
    scheduleRedraw();
}

void TrendsWindow::updatePresetButtons() {
    for (std::size_t i = 0; i < m_presetButtons.size(); ++i) {
        m_presetButtons[i]->setChecked(m_range.following() &&
                                       static_cast<std::size_t>(m_range.preset()) == i);
    }
}

void TrendsWindow::scheduleRedraw() {
    if (!m_redrawTimer->isActive()) {
        m_redrawTimer->start();
    }
}

void TrendsWindow::redrawNow() {
    m_redrawTimer->stop();
    redraw();
}

void TrendsWindow::redraw() {
    const int width = m_strip->bandWidth();
    const double start = m_range.start();
    const double end = m_range.end();
    std::vector<TimeTick> ticks = timeAxisTicks(start, end, width);
    std::vector<double> gridTimes;
    gridTimes.reserve(ticks.size());
    for (const TimeTick& tick : ticks) {
        gridTimes.push_back(tick.time);
    }
    const engine::TelemetrySeries* data = series();
    for (TrendPlot* plot : m_plots) {
        engine::DecimatedTrace trace;
        if (data != nullptr) {
            if (const auto slot = data->slotOf(plot->column())) {
                trace = m_decimation.trace(data->values[*slot], start, end, width);
            }
        }
        plot->showTrace(trace, start, end, gridTimes);
    }
    m_strip->showLevels(data != nullptr ? m_decimation.alarms(data->alarms, start, end, width)
                                        : std::vector<engine::AlarmLevel>(),
                        start, end, std::move(ticks));
    updateReadout();
}

void TrendsWindow::setCursorTime(std::optional<double> time) {
    m_cursorTime = time;
    for (TrendPlot* plot : m_plots) {
        plot->setCursorTime(time);
    }
    m_strip->setCursorTime(time);
    updateReadout();
}

void TrendsWindow::updateReadout() {
    const engine::TelemetrySeries* data = series();
    if (data == nullptr || data->size() == 0) {
        m_readout->setText(m_cursorTime ? localTimeText(*m_cursorTime) : QString());
        return;
    }
    std::optional<std::size_t> record;
    QString lead;
    if (m_cursorTime) {
        const double reach =
            kCursorReachPixels * (m_range.end() - m_range.start()) / m_strip->bandWidth();
        record = m_decimation.recordAt(*m_cursorTime, reach);
        if (!record) {
            m_readout->setText(tr("%1   no record").arg(localTimeText(*m_cursorTime)));
            return;
        }
    } else {
        record = data->size() - 1;
        lead = tr("Latest: ");
    }
    const std::size_t i = *record;
    QString text = lead + localTimeText(data->times[i]) + QStringLiteral("   ") +
                   AlarmStrip::nameOf(engine::alarmLevel(data->alarms[i]));
    for (const TrendPlot* plot : m_plots) {
        const auto slot = data->slotOf(plot->column());
        if (!slot) {
            continue;
        }
        const std::string value = engine::telemetryValueText(
            data->values[*slot][i], engine::telemetryColumnKind(plot->column()));
        text += QStringLiteral("   %1 %2")
                    .arg(plot->name(),
                         value.empty() ? QStringLiteral("-") : QString::fromStdString(value));
    }
    m_readout->setText(text);
}

void TrendsWindow::updateStatus(const QString& problem) {
    if (!problem.isEmpty()) {
        m_status->setText(problem);
        return;
    }
    if (!m_reader) {
        m_status->clear();
        return;
    }
    const QString path = QString::fromStdString(m_reader->path().string());
    const engine::TelemetryReadCounts& counts = m_reader->counts();
    if (counts.records == 0 && m_reader->bytesConsumed() == 0) {
        m_status->setText(tr("No records in %1 yet.").arg(path));
        return;
    }
    QString text = tr("%1: %2 records").arg(path).arg(counts.records);
    QStringList skipped;
    if (counts.wrongColumnCount > 0) {
        skipped << tr("%1 torn or malformed lines").arg(counts.wrongColumnCount);
    }
    if (counts.unreadable > 0) {
        skipped << tr("%1 lines without a readable time or ID").arg(counts.unreadable);
    }
    if (counts.otherUnit > 0) {
        skipped << tr("%1 records of other units").arg(counts.otherUnit);
    }
    if (!skipped.isEmpty()) {
        text += tr("; skipped ") + skipped.join(QStringLiteral(", "));
    }
    m_status->setText(text);
}

QString TrendsWindow::defaultExportName(const QString& suffix) const {
    QString name = QStringLiteral("Trends.") + suffix;
    if (m_reader && m_reader->unitId()) {
        name = QStringLiteral("Unit%1 Trends.%2").arg(*m_reader->unitId()).arg(suffix);
    }
    if (m_reader) {
        return QFileInfo(QString::fromStdString(m_reader->path().string())).dir().filePath(name);
    }
    return name;
}

void TrendsWindow::exportPng() {
    const QString path = m_prompts.saveFileName(this, defaultExportName(QStringLiteral("png")),
                                                tr("PNG Image (*.png)"), QStringLiteral("png"));
    if (path.isEmpty()) {
        return;
    }
    redrawNow();
    if (!m_plotsArea->grab().save(path, "PNG")) {
        m_prompts.information(
            this, tr("Trends"),
            tr("The picture could not be written to %1.").arg(QDir::toNativeSeparators(path)));
    }
}

void TrendsWindow::exportCsv() {
    const QString path = m_prompts.saveFileName(this, defaultExportName(QStringLiteral("csv")),
                                                tr("CSV File (*.csv)"), QStringLiteral("csv"));
    if (path.isEmpty()) {
        return;
    }
    static const engine::TelemetrySeries kEmpty;
    const engine::TelemetrySeries* data = series();
    // Written beside the target and renamed over it at the end, so a failed export never leaves
    // half a file under the chosen name.
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) &&
                         writeTrendsCsv(file, data != nullptr ? *data : kEmpty, plottedColumns(),
                                        m_range.start(), m_range.end()) &&
                         file.commit();
    if (!written) {
        m_prompts.information(
            this, tr("Trends"),
            tr("The records could not be written to %1.").arg(QDir::toNativeSeparators(path)));
    }
}

const engine::TelemetrySeries* TrendsWindow::series() const {
    return m_reader ? &m_reader->series() : nullptr;
}

const engine::TelemetryReadCounts* TrendsWindow::readCounts() const {
    return m_reader ? &m_reader->counts() : nullptr;
}

TrendPlot* TrendsWindow::plot(int column) const {
    const auto found = std::find_if(m_plots.begin(), m_plots.end(),
                                    [column](const TrendPlot* p) { return p->column() == column; });
    return found != m_plots.end() ? *found : nullptr;
}

QString TrendsWindow::readoutText() const {
    return m_readout->text();
}

QString TrendsWindow::statusText() const {
    return m_status->text();
}

}  // namespace brevik2::trends
