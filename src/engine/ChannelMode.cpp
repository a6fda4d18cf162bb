#include "engine/ChannelMode.h"

namespace {
const ChannelModeInfo kModes[kChannelModeCount] = {
    {"Left + Right", "Left + Right", "L+R", "Default setting for stereo (or mono) processing.", false},
    {"Left", "Left", "L", "Processes the left channel only.", false},
    {"Right", "Right", "R", "Processes the right channel only.", false},
    {"Mono", "Mid", "M", "Processes mono content.", true},
    {"Stereo", "Side", "S", "Processes stereo content.", true},
    {"Mono + Stereo", "Mid + Side", "M+S", "Processes mono & stereo contents separately.", true},
    {"Left + Right (neg)", "Left + Right (neg)", "L+R-", "Processes both channels, but inverts the right one.", false},
    {"Surround", "Surround", "7.1", "Surround processing of up to 8 channels.", false},
};
}  // namespace

const ChannelModeInfo& ChannelModeInformation(ChannelMode mode) {
    int32_t index = static_cast<int32_t>(mode);
    return kModes[index >= 0 && index < kChannelModeCount ? index : 0];
}

ChannelMode ChannelModeFromName(const YString& name) {
    for (int32_t i = 0; i < kChannelModeCount; ++i)
        if (YString::EqualsNoCase(kModes[i].storedAs, name)) return static_cast<ChannelMode>(i);
    return ChannelMode::LeftRight;
}
