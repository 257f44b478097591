#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace brevik2::dialogs {

struct DialogContext;

// "Unit Monitoring Options": polling on or off and how often, the telemetry data file on or
// off, its folder and its name pattern. Created for one showing. The two check boxes act on the
// running monitor thread as they are clicked; the settings file and the polling interval change
// only on "Ok". Escape or the close box stores nothing.
//
// Thread safety: user-interface thread only.
class MonitoringOptionsDialog : public QDialog {
    Q_OBJECT
public:
    explicit MonitoringOptionsDialog(DialogContext& context, QWidget* parent = nullptr);

private:
    void load();
    void browse();
    void store();

    DialogContext& m_context;
    QCheckBox* m_enableMonitoring;
    QLineEdit* m_pollingRate;
    QCheckBox* m_createDataFile;
    QLineEdit* m_outputDirectory;
    QLineEdit* m_filenameTemplate;
};

}  // namespace brevik2::dialogs
