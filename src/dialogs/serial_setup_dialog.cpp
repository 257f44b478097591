#include "dialogs/serial_setup_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "dialogs/dialog_context.h"
#include "dialogs/entry_list.h"
#include "dialogs/scanning_dialog.h"
#include "dialogs/user_prompts.h"
#include "engine/station.h"
#include "engine/status_message.h"
#include "link/network_port_name.h"
#include "link/port_name.h"
#include "link/serial_device_list.h"
#include "link/settings_file.h"
#include "link/settings_keys.h"
#include "link/settings_value.h"

namespace brevik2::dialogs {

namespace keys = link::settings_keys;
namespace {

// Values are read with room for 31 characters, enough for any entry; a port's network address
// may take the whole length of ComPort.
constexpr std::size_t kValueChars = 31;
constexpr std::size_t kComPortChars = 255;

bool isNetworkAddress(const QString& text) {
    const std::string value = text.toStdString();
    return value.size() <= kComPortChars && link::parseNetworkPortName(value).has_value();
}

QStringList portEntries(const std::filesystem::path& settingsFolder) {
    QStringList entries;
    std::vector<std::string> named;
    for (const char* port : {"Com1", "Com2", "Com3", "Com4"}) {
        entries << QString::fromLatin1(port);
        named.push_back(link::resolvePortName(port, settingsFolder));
    }
#ifndef _WIN32
    // A USB adapter gets a name of its own rather than a COM number; offer what is plugged in,
    // but not a device that a ComN entry already stands for.
    for (const std::string& device : link::listSerialDevices("/dev", named)) {
        entries << QString::fromStdString(device);
    }
#endif
    return entries;
}

}  // namespace

SerialSetupDialog::SerialSetupDialog(DialogContext& context, QWidget* parent)
    : LongLivedDialog(parent), m_context(context) {
    setWindowTitle(QStringLiteral("Serial Communications Setup"));

    m_comPort = new EntryList(portEntries(context.settings.path().parent_path()),
                              EntryList::Typing::Allowed, this);
    // A serial port on the network is typed in: tcp://HOST:PORT or rfc2217://HOST:PORT.
    m_comPort->setTypedTextCheck(isNetworkAddress);
    m_baudRate = new EntryList(
        {"300", "600", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"},
        EntryList::Typing::Allowed, this);
    m_dataBits = new EntryList({"8", "7"}, EntryList::Typing::Allowed, this);
    m_stopBits = new EntryList({"1", "2"}, EntryList::Typing::Allowed, this);
    m_parity =
        new EntryList({"Odd", "Even", "None", "Mark", "Space"}, EntryList::Typing::Allowed, this);
    m_comPort->setObjectName(QStringLiteral("comPortList"));
    m_baudRate->setObjectName(QStringLiteral("baudRateList"));
    m_dataBits->setObjectName(QStringLiteral("dataBitsList"));
    m_stopBits->setObjectName(QStringLiteral("stopBitsList"));
    m_parity->setObjectName(QStringLiteral("parityList"));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    auto* detect = new QPushButton(QStringLiteral("Detect"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    cancel->setObjectName(QStringLiteral("cancelButton"));
    detect->setObjectName(QStringLiteral("detectButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &SerialSetupDialog::store);
    connect(cancel, &QPushButton::clicked, this, &SerialSetupDialog::reject);
    connect(detect, &QPushButton::clicked, this, &SerialSetupDialog::detect);

    auto* lists = new QFormLayout;
    lists->addRow(QStringLiteral("Com Port"), m_comPort);
    lists->addRow(QStringLiteral("Baud Rate"), m_baudRate);
    lists->addRow(QStringLiteral("Data Bits"), m_dataBits);
    lists->addRow(QStringLiteral("Stop Bits"), m_stopBits);
    lists->addRow(QStringLiteral("Parity"), m_parity);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(detect);
    buttons->addStretch();
    auto* row = new QHBoxLayout;
    row->addLayout(lists);
    row->addLayout(buttons);
    m_portFailure = new QLabel(this);
    m_portFailure->setObjectName(QStringLiteral("portFailureLine"));
    m_portFailure->setWordWrap(true);
    m_portFailure->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(m_portFailure);

    m_scanning = new ScanningDialog(context, this);
}

SerialSetupDialog::~SerialSetupDialog() = default;

void SerialSetupDialog::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        // Each showing starts from nothing selected, so a stored value that names no entry
        // shows as an empty list rather than as whatever the last showing left. The port list
        // is built afresh: an adapter may have been plugged in since.
        m_comPort->setEntries(portEntries(m_context.settings.path().parent_path()));
        for (EntryList* list : {m_baudRate, m_dataBits, m_stopBits, m_parity}) {
            list->clearSelection();
        }
        reloadFromSettings();
        showPortFailure();
    }
    LongLivedDialog::showEvent(event);
}

void SerialSetupDialog::showPortFailure() {
    const auto& failure = m_context.station.portFailure();
    m_portFailure->setText(failure ? QString::fromStdString(engine::describePortFailure(*failure))
                                   : QString());
    m_portFailure->setVisible(failure.has_value());
}

void SerialSetupDialog::reloadFromSettings() {
    const struct {
        const link::SettingsKey& key;
        EntryList* list;
    } kLoad[] = {
        {keys::kComPort, m_comPort},   {keys::kParity, m_parity},     {keys::kBaudRate, m_baudRate},
        {keys::kStopBits, m_stopBits}, {keys::kDataBits, m_dataBits},
    };
    for (const auto& item : kLoad) {
        const QString value = QString::fromStdString(link::trimSettingsValue(
            m_context.settings.readString(item.key.name, item.key.dialogFallback,
                                          item.list == m_comPort ? kComPortChars : kValueChars)));
        // A stored network address joins the port list, so it shows as the selected entry.
        if (item.list == m_comPort && isNetworkAddress(value) && m_comPort->findText(value) < 0) {
            m_comPort->addItem(value);
        }
        item.list->selectByPrefix(value);
    }
}

void SerialSetupDialog::scanStep(int code) {
    if (dialogOpen()) {
        reloadFromSettings();
    }
    if (code == engine::kStatusScanTrial) {
        return;
    }
    m_scanning->endScanning();
    m_context.prompts.information(parentWidget(), QStringLiteral("Scan Status"),
                                  code == engine::kStatusScanFound
                                      ? QStringLiteral("Cesium instrument located...")
                                      : QStringLiteral("Cesium instrument not detected..."));
}

void SerialSetupDialog::store() {
    const struct {
        const link::SettingsKey& key;
        EntryList* list;
    } kStore[] = {
        {keys::kBaudRate, m_baudRate}, {keys::kParity, m_parity},     {keys::kDataBits, m_dataBits},
        {keys::kComPort, m_comPort},   {keys::kStopBits, m_stopBits},
    };
    for (const auto& item : kStore) {
        // A list without a selected entry leaves its key as stored: typed text is never stored.
        if (const auto entry = item.list->selectedEntry()) {
            m_context.settings.writeString(item.key.name, entry->toStdString());
        }
    }
    m_context.station.reconfigurePort();
    accept();
}

void SerialSetupDialog::detect() {
    m_context.station.scan([self = QPointer(this)](int code) {
        if (self) {
            self->scanStep(code);
        }
    });
    m_scanning->exec();
    // The scan's last status message reloads the lists as well; after a cancel it may still be
    // on its way, and the file already holds the last combination tried.
    reloadFromSettings();
}

}  // namespace brevik2::dialogs
