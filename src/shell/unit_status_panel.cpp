#include "shell/unit_status_panel.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "engine/station.h"
#include "link/settings_file.h"
#include "link/settings_keys.h"
#include "shell/outer_rect_placer.h"
#include "shell/panel_readouts.h"
#include "shell/window_geometry.h"

namespace brevik2::shell {
namespace {

// The columns of group boxes across the top of the panel; the System Intormation group runs
// across the whole width below them.
constexpr const char* kColumns[][2] = {
    {"Power Supplies", "Monitors"},
    {"Control Signals", "Operating Parameters"},
    {"Servo Difference Signals", "Other Signals"},
};
// Kept: the caption's misspelling (see panelGroups()).
constexpr const char* kSystemGroup = "System Intormation";

// A title bar and borders, as most window managers draw them.
const QSize kFrameAllowance(16, 40);

QLabel* makeReadout(QWidget* parent) {
    auto* readout = new QLabel(parent);
    readout->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    readout->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    readout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    readout->setMinimumWidth(
        readout->fontMetrics().horizontalAdvance(QStringLiteral("-0000000.00")));
    return readout;
}

}  // namespace

UnitStatusPanel::UnitStatusPanel(const link::SettingsFile& settings, engine::Station& station)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_settings(settings),
      m_station(station) {
    setWindowTitle(QStringLiteral("Harrowquill"));
    // The main window's close ends the program, whatever the panel is doing.
    setAttribute(Qt::WA_QuitOnClose, false);

    m_scrollArea = new QScrollArea(this);
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setWidget(buildContent());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scrollArea);
}

QWidget* UnitStatusPanel::buildContent() {
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    auto* columns = new QHBoxLayout;
    layout->addLayout(columns);

    QHash<QString, QGridLayout*> groupLayouts;
    auto addGroup = [&](const char* title, QBoxLayout* into) {
        auto* box = new QGroupBox(QString::fromUtf8(title), content);
        auto* rows = new QGridLayout(box);
        rows->setColumnStretch(0, 1);
        groupLayouts.insert(QString::fromUtf8(title), rows);
        into->addWidget(box);
    };
    for (const auto& titles : kColumns) {
        auto* column = new QVBoxLayout;
        for (const char* title : titles) {
            addGroup(title, column);
        }
        column->addStretch(1);
        columns->addLayout(column);
    }
    addGroup(kSystemGroup, layout);

    for (const PanelRow& row : panelRows()) {
        QGridLayout* rows = groupLayouts.value(QString::fromUtf8(row.group));
        QWidget* box = rows->parentWidget();
        auto* label = new QLabel(QString::fromUtf8(row.label), box);
        QLabel* readout = makeReadout(box);
        if (row.id == kUnusedServoReadout) {
            readout->setText(QString::fromLatin1(kUnusedServoText));
        }
        // The System Intormation group runs across the panel in two columns of read-outs.
        const bool wide = QString::fromUtf8(row.group) == QString::fromUtf8(kSystemGroup);
        const int index = rows->count() / 2;
        const int r = wide ? index / 2 : index;
        const int c = wide ? (index % 2) * 2 : 0;
        rows->addWidget(label, r, c);
        rows->addWidget(readout, r, c + 1);
        if (row.hidden) {
            label->hide();
            readout->hide();
        }
        m_readouts.insert(row.id, readout);
        m_controls.insert(row.id, readout);
        if (row.labelId != 0) {
            m_controls.insert(row.labelId, label);
        }
    }

    // The read-outs take the width, so each value sits beside its label.
    QGridLayout* system = groupLayouts.value(QString::fromUtf8(kSystemGroup));
    system->setColumnStretch(0, 0);
    system->setColumnStretch(1, 1);
    system->setColumnStretch(3, 1);
    QWidget* systemBox = system->parentWidget();
    const int logRow = system->rowCount();
    m_eventLog = new QComboBox(systemBox);
    m_eventLog->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_eventLog->setMinimumContentsLength(48);
    m_retrieve = new QPushButton(QStringLiteral("Retrieve"), systemBox);
    system->addWidget(new QLabel(QStringLiteral("Event log"), systemBox), logRow, 0);
    system->addWidget(m_eventLog, logRow, 1, 1, 2);
    system->addWidget(m_retrieve, logRow, 3);
    m_controls.insert(kEventLogListId, m_eventLog);
    m_controls.insert(kRetrieveButtonId, m_retrieve);
    connect(m_retrieve, &QPushButton::clicked, this, [this] { m_station.requestEventLog(); });

    // The layout's bottom-right corner, never shown; kept so the layout's extent has a name.
    auto* marker = new QLabel(QStringLiteral("Do Not Remove!"), content);
    marker->hide();
    layout->addWidget(marker, 0, Qt::AlignRight);
    m_controls.insert(kExtentMarkerId, marker);
    layout->addStretch(1);
    return content;
}

void UnitStatusPanel::placeFromSettings(const QSize& screen) {
    const std::string stored =
        m_settings.readString(link::settings_keys::kUnitStatusRectangle.name,
                              link::settings_keys::kUnitStatusRectangle.fallback, 254);
    // Nothing stored, or a size that does not fit: every group shows without scroll bars. The
    // window frame is not known before the panel is first shown, so room is left for one.
    const QSize preset = m_scrollArea->widget()->sizeHint() + kFrameAllowance;
    OuterRectPlacer::place(
        *this, placeStoredRectangle(stored, screen.width(), screen.height(), FitTest::UsedSize,
                                    preset.width(), preset.height()));
}

void UnitStatusPanel::refresh(const engine::UnitRecords& records,
                              const engine::EventTable* newEventTable) {
    setWindowTitle(QString::fromStdString(panelCaption(records)));
    const std::map<int, std::string> texts = panelReadouts(records);
    for (const auto& [id, text] : texts) {
        if (QLabel* readout = m_readouts.value(id)) {
            // The unit's texts are plain ASCII; Latin-1 shows any stray byte as itself.
            readout->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
        }
    }
    if (newEventTable != nullptr) {
        m_eventLog->clear();
        for (const std::string& item : shell::eventLogItems(*newEventTable)) {
            m_eventLog->addItem(
                QString::fromLatin1(item.data(), static_cast<qsizetype>(item.size())));
        }
        m_eventLog->setCurrentIndex(0);
    }
}

void UnitStatusPanel::showPanel() {
    if (m_panelVisible) {
        return;
    }
    show();
    m_panelVisible = true;
}

void UnitStatusPanel::hidePanel() {
    if (!m_panelVisible) {
        return;
    }
    hide();
    m_panelVisible = false;
}

void UnitStatusPanel::save() {
    if (const auto text = rectangleToStore(outerRect(*this))) {
        m_settings.writeString(link::settings_keys::kUnitStatusRectangle.name, *text);
    }
    m_settings.writeString(link::settings_keys::kUnitStatusVisible.name,
                           m_panelVisible ? "true" : "false");
    m_panelVisible = false;
}

QString UnitStatusPanel::readoutText(int id) const {
    const QLabel* readout = m_readouts.value(id);
    return readout != nullptr ? readout->text() : QString();
}

QWidget* UnitStatusPanel::control(int id) const {
    return m_controls.value(id);
}

QStringList UnitStatusPanel::eventLogItems() const {
    QStringList items;
    for (int i = 0; i < m_eventLog->count(); ++i) {
        items << m_eventLog->itemText(i);
    }
    return items;
}

void UnitStatusPanel::closeEvent(QCloseEvent* event) {
    m_panelVisible = false;
    event->accept();  // hides the window; it lives on for the next showing
    emit closedByOperator();
}

}  // namespace brevik2::shell
