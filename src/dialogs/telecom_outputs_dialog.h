#pragma once

#include <array>
#include <optional>
#include <string>

#include "dialogs/dialog_context.h"
#include "dialogs/long_lived_dialog.h"
#include "dialogs/telecom_controls.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace brevik2::dialogs {

// Configures the E1 and T1 framing pattern generators and the two telecom output channels:
// shows what the unit last reported, sends one group with its Send button or all four, one
// after another, with Apply All.
//
// Thread safety: user-interface thread only. Apply All advances when the station delivers the
// outcome of each step onto that thread.
class TelecomOutputsDialog : public LongLivedDialog {
    Q_OBJECT
public:
    explicit TelecomOutputsDialog(DialogContext& context, QWidget* parent = nullptr);

    // The previous step's request was answered: send the next one. Does nothing unless an Apply
    // All sequence is under way, so a late answer from an abandoned sequence starts nothing.
    void advanceApplyAll();

    TelecomControls controls() const;
    void setControls(const TelecomControls& controls);

    bool applyAllBusy() const { return m_applyBusy; }
    // The refusal shown in the dialog; empty when the last action went through.
    QString message() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct ChannelWidgets {
        QCheckBox* clocked = nullptr;
        QCheckBox* framed = nullptr;
        QCheckBox* t1 = nullptr;
        QCheckBox* e1 = nullptr;
        QCheckBox* balanced = nullptr;
        QCheckBox* unbalanced = nullptr;
        QComboBox* liu = nullptr;
    };

    enum class Group { E1, T1, Channel1, Channel2 };

    QWidget* buildE1Group();
    QWidget* buildT1Group();
    QWidget* buildChannelGroup(int index);

    void clickE1(TelecomControls::E1Box box);
    void clickT1(TelecomControls::T1Box box);
    void clickChannel(int index, TelecomControls::ChannelBox box);

    void sendGroup(Group group);
    void applyAll();
    void advance();
    void endApplyAll();

    static std::optional<std::string> parameterFor(Group group, const TelecomControls& controls);
    static const char* codeFor(Group group);
    static QString missingEntryText(Group group);

    DialogContext& m_context;

    QComboBox* m_e1Format = nullptr;
    QComboBox* m_e1SaChannel = nullptr;
    QCheckBox* m_e1Mute = nullptr;
    QCheckBox* m_e1Ssm = nullptr;
    QCheckBox* m_e1Crc4 = nullptr;
    QCheckBox* m_e1Ts16 = nullptr;
    QComboBox* m_t1Format = nullptr;
    QCheckBox* m_t1Mute = nullptr;
    QCheckBox* m_t1Ssm = nullptr;
    QCheckBox* m_t1Ais = nullptr;
    std::array<ChannelWidgets, 2> m_channel;
    QLabel* m_message = nullptr;

    // The Apply All sequence belongs to the object, not to one showing.
    int m_applyStep = 0;
    bool m_applyBusy = false;
};

}  // namespace brevik2::dialogs
