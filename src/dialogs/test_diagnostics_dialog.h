#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "dialogs/dialog_context.h"
#include "dialogs/long_lived_dialog.h"
#include "engine/station.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace brevik2::dialogs {

// Drives the unit's three test modes, starts and stops time updating, enables 1 PPS sync and
// lists every reply and test-mode line that comes back. Only one test mode runs at a time;
// closing the dialog in any way ends a running one.
//
// Thread safety: user-interface thread only. addResultLine() runs, while the dialog is open,
// for each test-mode line (status code 15) and each reply to its requests, both delivered by the
// station onto that thread. The dialog only starts and ends test modes (and only while no
// request waits); the monitor thread clears them.
class TestDiagnosticsDialog : public LongLivedDialog {
    Q_OBJECT
public:
    // The result list keeps this many of the newest lines; a test mode left running for hours
    // would otherwise grow it without end.
    static constexpr int kMaxResultLines = 10000;

    explicit TestDiagnosticsDialog(DialogContext& context, QWidget* parent = nullptr);

    void addResultLine(const std::string& reply);

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void test1();
    void setDds();
    void setGainDac();
    void timeUpdating();
    void ppsSync();

    // True when the request went into the slot.
    bool send(const char* code, const std::string& parameter);
    // True when nothing is pending and no test mode flag but allowedBit is set.
    // Test 2 or 3: the list's entry sent with its parameter, or a refusal in the dialog.
    void listTest(const QComboBox* list, const char* what, std::uint32_t mode, const char* code,
                  std::string (*parameter)(std::string_view), QPushButton* button);
    bool testModeFree(std::uint32_t allowedBit) const;

    DialogContext& m_context;
    engine::Station::Subscription m_testLines;
    QPushButton* m_test1Button = nullptr;
    QComboBox* m_ddsList = nullptr;
    QPushButton* m_ddsButton = nullptr;
    QComboBox* m_gainList = nullptr;
    QPushButton* m_gainButton = nullptr;
    QLineEdit* m_timeField = nullptr;
    QPushButton* m_timeButton = nullptr;
    QPushButton* m_syncButton = nullptr;
    QLabel* m_message = nullptr;
    QListWidget* m_results = nullptr;

    bool m_test1Running = false;
    bool m_syncSent = false;
    bool m_timeUpdating = false;
    bool m_scrollPending = false;
};

}  // namespace brevik2::dialogs
