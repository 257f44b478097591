#pragma once

#include <array>
#include <optional>
#include <string>

#include "engine/telecom_names.h"

namespace brevik2::engine {
struct NvRecord;
}

namespace brevik2::dialogs {

// The values of the telecom outputs dialog's controls, apart from the widgets: what the unit's
// non-volatile memory gives on opening, what the check-box rules change and what each Send
// builds its parameter from. A list index is its selected entry counting from 0, -1 for none.
struct TelecomControls {
    static constexpr int kE1FormatEntries = static_cast<int>(engine::kE1FormatNames.size());
    static constexpr int kSaChannelEntries = 5;  // channels 4 to 8
    static constexpr int kT1FormatEntries = static_cast<int>(engine::kT1FormatNames.size());
    static constexpr int kLiuEntries = static_cast<int>(engine::kLiuSettingNames.size());
    static constexpr int kLiuE1 = 0;
    static constexpr int kLiuFirstT1 = 3;  // "3 (T1 0-133 feet,  Ansi T1.403)"

    struct E1 {
        int formatIndex = -1;
        int saChannelIndex = -1;
        bool mute = false;
        bool ssm = false;
        bool crc4 = false;
        bool ts16 = false;

        bool operator==(const E1&) const = default;
    };
    enum class E1Box { Mute, Ssm, Crc4, Ts16 };

    struct T1 {
        int formatIndex = -1;
        bool mute = false;
        bool ssm = false;
        bool ais = false;

        bool operator==(const T1&) const = default;
    };
    enum class T1Box { Mute, Ssm, Ais };

    struct Channel {
        bool clocked = false;
        bool framed = false;
        bool t1 = false;
        bool e1 = false;
        bool balanced = false;
        bool unbalanced = false;
        int liuIndex = -1;

        bool operator==(const Channel&) const = default;
    };
    enum class ChannelBox { Clocked, Framed, T1, E1, Balanced, Unbalanced };

    E1 e1;
    T1 t1;
    std::array<Channel, 2> channel;

    bool operator==(const TelecomControls&) const = default;

    // The controls as the unit last reported its telecom settings. Values outside a list's
    // range select no entry; a character outside a pair checks neither of its boxes.
    static TelecomControls fromRecord(const engine::NvRecord& nvram);

    // The check-box rules. Each runs after the clicked box has toggled itself.
    static void clickE1(E1& e1, E1Box clicked);
    static void clickT1(T1& t1, T1Box clicked);
    static void clickChannel(Channel& channel, ChannelBox clicked);

    // The request parameters ("A20", "A21", "A22"); nothing when a list the parameter needs has
    // no entry selected, so no -1 index ever reaches the unit's live outputs.
    static std::optional<std::string> e1Parameter(const E1& e1);
    static std::optional<std::string> t1Parameter(const T1& t1);
    // channelNumber is 1 or 2.
    static std::optional<std::string> channelParameter(int channelNumber, const Channel& channel);
};

}  // namespace brevik2::dialogs
