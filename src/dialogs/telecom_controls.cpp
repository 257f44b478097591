#include "dialogs/telecom_controls.h"

#include <cstdio>

#include "engine/status_records.h"

namespace brevik2::dialogs {
namespace {

// A value reported as 1..entries, or first..first + entries - 1, as its list index.
int listIndex(std::uint32_t value, std::uint32_t first, int entries) {
    if (value < first || value - first >= static_cast<std::uint32_t>(entries)) {
        return -1;
    }
    return static_cast<int>(value - first);
}

TelecomControls::Channel channelFromRecord(const engine::NvRecord& nvram, int typeField,
                                           int formatField, int driveField, int liuField) {
    TelecomControls::Channel channel;
    const char type = nvram.asChar(typeField);
    channel.e1 = type == 'E';
    channel.t1 = type == 'T';
    const char format = nvram.asChar(formatField);
    channel.framed = format == 'F';
    channel.clocked = format == 'C';
    channel.liuIndex = listIndex(nvram.asUnsigned(liuField), 0, TelecomControls::kLiuEntries);
    const char drive = nvram.asChar(driveField);
    channel.balanced = drive == 'B';
    channel.unbalanced = drive == 'U';
    return channel;
}

}  // namespace

TelecomControls TelecomControls::fromRecord(const engine::NvRecord& nvram) {
    using engine::NvRecord;
    TelecomControls controls;
    controls.channel[0] =
        channelFromRecord(nvram, NvRecord::kChannel1Type, NvRecord::kChannel1Format,
                          NvRecord::kChannel1Drive, NvRecord::kChannel1Liu);
    controls.channel[1] =
        channelFromRecord(nvram, NvRecord::kChannel2Type, NvRecord::kChannel2Format,
                          NvRecord::kChannel2Drive, NvRecord::kChannel2Liu);

    const std::uint32_t strategy = nvram.asUnsigned(NvRecord::kT1FaultStrategy);
    controls.t1.mute = strategy == 1;
    controls.t1.ssm = strategy == 2;
    controls.t1.ais = strategy == 3;
    controls.t1.formatIndex =
        listIndex(nvram.asUnsigned(NvRecord::kT1BitstreamFormat), 1, kT1FormatEntries);

    // The unit reports the E1 options one bit each; the request sends one digit each.
    const std::uint32_t options = nvram.asUnsigned(NvRecord::kE1FaultStrategy);
    controls.e1.crc4 = (options & 0x1) != 0;
    controls.e1.ts16 = (options & 0x2) != 0;
    controls.e1.ssm = (options & 0x4) != 0;
    controls.e1.mute = (options & 0x8) != 0;
    controls.e1.saChannelIndex =
        listIndex(nvram.asUnsigned(NvRecord::kSsmOnSa), 4, kSaChannelEntries);
    controls.e1.formatIndex =
        listIndex(nvram.asUnsigned(NvRecord::kE1DataFormat), 1, kE1FormatEntries);
    return controls;
}

void TelecomControls::clickE1(E1& e1, E1Box clicked) {
    if (clicked == E1Box::Mute) {
        e1.mute = true;
        e1.ts16 = false;
        e1.crc4 = false;
        e1.ssm = false;
        return;
    }
    e1.mute = !(e1.ssm || e1.crc4 || e1.ts16);
}

void TelecomControls::clickT1(T1& t1, T1Box clicked) {
    t1.mute = clicked == T1Box::Mute;
    t1.ssm = clicked == T1Box::Ssm;
    t1.ais = clicked == T1Box::Ais;
}

void TelecomControls::clickChannel(Channel& channel, ChannelBox clicked) {
    switch (clicked) {
        case ChannelBox::Clocked:
        case ChannelBox::Framed:
            channel.clocked = clicked == ChannelBox::Clocked;
            channel.framed = clicked == ChannelBox::Framed;
            break;
        case ChannelBox::Balanced:
        case ChannelBox::Unbalanced:
            channel.balanced = clicked == ChannelBox::Balanced;
            channel.unbalanced = clicked == ChannelBox::Unbalanced;
            break;
        case ChannelBox::E1:
            channel.liuIndex = kLiuE1;
            channel.e1 = true;
            channel.t1 = false;
            break;
        case ChannelBox::T1:
            if (channel.liuIndex == kLiuE1) {
                channel.liuIndex = kLiuFirstT1;
            }
            channel.t1 = true;
            channel.e1 = false;
            break;
    }
}

std::optional<std::string> TelecomControls::e1Parameter(const E1& e1) {
    if (e1.formatIndex < 0 || e1.formatIndex >= kE1FormatEntries || e1.saChannelIndex < 0 ||
        e1.saChannelIndex >= kSaChannelEntries) {
        return std::nullopt;
    }
    const unsigned word = (e1.mute ? 0x1000u : 0u) + (e1.ssm ? 0x0100u : 0u) +
                          (e1.ts16 ? 0x0010u : 0u) + (e1.crc4 ? 0x0001u : 0u);
    char text[32];
    // Kept: one hexadecimal digit per option, as the unit reads it, although its status record
    // reports the options one bit each.
    std::snprintf(text, sizeof text, "%d,%d,%04x", e1.formatIndex + 1, e1.saChannelIndex + 4, word);
    return std::string(text);
}

std::optional<std::string> TelecomControls::t1Parameter(const T1& t1) {
    if (t1.formatIndex < 0 || t1.formatIndex >= kT1FormatEntries) {
        return std::nullopt;
    }
    // No box checked goes out as Mute, the unit's signal cut-off.
    const int strategy = t1.ssm ? 2 : (t1.ais ? 3 : 1);
    char text[32];
    std::snprintf(text, sizeof text, "%d,%d", t1.formatIndex + 1, strategy);
    return std::string(text);
}

std::optional<std::string> TelecomControls::channelParameter(int channelNumber,
                                                             const Channel& channel) {
    if (channel.liuIndex < 0 || channel.liuIndex >= kLiuEntries ||
        (channelNumber != 1 && channelNumber != 2)) {
        return std::nullopt;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%d,%c,%c,%c,%d", channelNumber, channel.t1 ? 'T' : 'E',
                  channel.framed ? 'F' : 'C', channel.balanced ? 'B' : 'U', channel.liuIndex);
    return std::string(text);
}

}  // namespace brevik2::dialogs
