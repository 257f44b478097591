#include "dialogs/monitoring_options_dialog.h"

#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "dialogs/dialog_context.h"
#include "dialogs/field_text.h"
#include "dialogs/user_prompts.h"
#include "engine/station.h"
#include "link/settings_file.h"
#include "link/settings_keys.h"
#include "link/settings_value.h"

namespace brevik2::dialogs {
namespace {

// Values are read, and field texts taken, with room for 254 characters.
constexpr int kValueChars = 254;
constexpr const link::SettingsKey& kMonitoringEnabled = link::settings_keys::kMonitoringEnabled;
constexpr const link::SettingsKey& kRecordDataFile = link::settings_keys::kRecordDataFile;
constexpr const link::SettingsKey& kSamplingInterval = link::settings_keys::kSamplingInterval;
constexpr const link::SettingsKey& kDirectory = link::settings_keys::kOnlineDatafileDirectory;
constexpr const link::SettingsKey& kTemplate = link::settings_keys::kTelemetryFilenameTemplate;

// A missing key shows the dialog's fallback; the folder's "c:\" shows as the folder the recorder
// then uses, the home folder outside Windows.
std::string readTrimmed(const link::SettingsFile& settings, const link::SettingsKey& key) {
    return link::trimSettingsValue(
        settings.readString(key.name, link::resolveDataDirectory(key.dialogFallback), kValueChars));
}

bool isTrue(std::string value) {
    for (char& c : value) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return value == "true";
}

const char* trueFalse(bool value) {
    return value ? "true" : "false";
}

std::string fieldText(const QLineEdit* field) {
    return firstLine(field->text().left(kValueChars).toStdString());
}

}  // namespace

MonitoringOptionsDialog::MonitoringOptionsDialog(DialogContext& context, QWidget* parent)
    : QDialog(parent), m_context(context) {
    setWindowTitle(QStringLiteral("Unit Monitoring Options"));

    m_enableMonitoring = new QCheckBox(QStringLiteral("Enable Monitoring"), this);
    m_pollingRate = new QLineEdit(this);
    m_createDataFile = new QCheckBox(QStringLiteral("Create Data File"), this);
    m_outputDirectory = new QLineEdit(this);
    auto* browse = new QPushButton(QStringLiteral("Browse"), this);
    m_filenameTemplate = new QLineEdit(this);
    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    for (QLineEdit* field : {m_pollingRate, m_outputDirectory, m_filenameTemplate}) {
        field->setMaxLength(kValueChars);
    }
    m_enableMonitoring->setObjectName(QStringLiteral("enableMonitoringBox"));
    m_pollingRate->setObjectName(QStringLiteral("pollingRateField"));
    m_createDataFile->setObjectName(QStringLiteral("createDataFileBox"));
    m_outputDirectory->setObjectName(QStringLiteral("outputDirectoryField"));
    browse->setObjectName(QStringLiteral("browseButton"));
    m_filenameTemplate->setObjectName(QStringLiteral("filenameTemplateField"));
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);

    // clicked, not toggled: loading the stored state must leave the running flags alone.
    connect(m_enableMonitoring, &QCheckBox::clicked, this,
            [this](bool checked) { m_context.station.setMonitoringEnabled(checked); });
    connect(m_createDataFile, &QCheckBox::clicked, this,
            [this](bool checked) { m_context.station.setRecordDataFile(checked); });
    connect(browse, &QPushButton::clicked, this, &MonitoringOptionsDialog::browse);
    connect(ok, &QPushButton::clicked, this, &MonitoringOptionsDialog::store);

    auto* layout = new QGridLayout(this);
    int row = 0;
    layout->addWidget(m_enableMonitoring, row++, 0, 1, 3);
    layout->addWidget(new QLabel(QStringLiteral("Polling Rate (seconds)"), this), row, 0);
    layout->addWidget(m_pollingRate, row++, 1);
    layout->addWidget(m_createDataFile, row++, 0, 1, 3);
    layout->addWidget(new QLabel(QStringLiteral("Output Directory"), this), row, 0);
    layout->addWidget(m_outputDirectory, row, 1);
    layout->addWidget(browse, row++, 2);
    layout->addWidget(new QLabel(QStringLiteral("Data Filename Template"), this), row, 0);
    layout->addWidget(m_filenameTemplate, row++, 1);
    layout->addWidget(ok, row, 2);
    layout->setColumnStretch(1, 1);

    load();
}

void MonitoringOptionsDialog::load() {
    const link::SettingsFile& settings = m_context.settings;
    m_enableMonitoring->setChecked(isTrue(readTrimmed(settings, kMonitoringEnabled)));
    m_createDataFile->setChecked(isTrue(readTrimmed(settings, kRecordDataFile)));

    std::string interval = readTrimmed(settings, kSamplingInterval);
    const int seconds = leadingInteger(interval);
    if (seconds < 0 || seconds > 100000) {
        interval = "10";
    }
    m_pollingRate->setText(QString::fromStdString(interval));
    m_outputDirectory->setText(QString::fromStdString(readTrimmed(settings, kDirectory)));
    m_filenameTemplate->setText(QString::fromStdString(readTrimmed(settings, kTemplate)));
}

void MonitoringOptionsDialog::browse() {
    const std::string current = link::resolveDataDirectory(fieldText(m_outputDirectory));
    const QString picked = m_context.prompts.existingDirectory(
        this, QStringLiteral("Set the destination directory"), QString::fromStdString(current));
    if (picked.isEmpty()) {
        return;
    }
    const std::string path = QDir::toNativeSeparators(picked).toStdString();
    m_outputDirectory->setText(QString::fromStdString(link::ensureTrailingSeparator(path)));
}

void MonitoringOptionsDialog::store() {
    const link::SettingsFile& settings = m_context.settings;
    settings.writeString(kMonitoringEnabled.name, trueFalse(m_enableMonitoring->isChecked()));
    settings.writeString(kRecordDataFile.name, trueFalse(m_createDataFile->isChecked()));

    const std::string interval = fieldText(m_pollingRate);
    const int seconds = leadingInteger(interval);
    if (seconds > 0 && seconds < 100000) {
        settings.writeString(kSamplingInterval.name, interval);
        m_context.station.setSamplingInterval(seconds);
    }

    settings.writeString(kDirectory.name, fieldText(m_outputDirectory));
    settings.writeString(kTemplate.name, fieldText(m_filenameTemplate));
    accept();
}

}  // namespace brevik2::dialogs
