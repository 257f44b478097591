#pragma once

#include <array>

#include "dialogs/dialog_context.h"
#include "dialogs/long_lived_dialog.h"

class QRadioButton;

namespace brevik2::dialogs {

// Sets the frequency of the unit's TTL output. The dialog stays open after Set Device, so the
// operator can set another frequency; the unit's answer is not shown.
//
// Thread safety: user-interface thread only.
class TtlOutputDialog : public LongLivedDialog {
    Q_OBJECT
public:
    explicit TtlOutputDialog(DialogContext& context, QWidget* parent = nullptr);

    // 1 = 100 kHz, 2 = 1 MHz, 3 = 5 MHz, 4 = 10 MHz.
    int selectedFrequency() const;
    void selectFrequency(int number);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setDevice();

    DialogContext& m_context;
    std::array<QRadioButton*, 4> m_frequency{};
};

}  // namespace brevik2::dialogs
