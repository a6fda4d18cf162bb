#pragma once

#include "foundation/YString.h"

#include <cstdint>

// How the channels are routed into the effect.
enum class ChannelMode : int32_t {
    LeftRight = 0,
    Left = 1,
    Right = 2,
    Mono = 3,
    Stereo = 4,
    MonoStereo = 5,
    LeftRightNegative = 6,
    Surround = 7,
};

struct ChannelModeInfo {
    YString storedAs;
    YString menu;
    YString shortName;
    YString description;
    bool midSideNeeded;
};

constexpr int32_t kChannelModeCount = 8;
const ChannelModeInfo& ChannelModeInformation(ChannelMode mode);
// The mode stored under a name (compared without case); unknown names give mode 0.
ChannelMode ChannelModeFromName(const YString& name);
