#pragma once

#include "editor/YValueModel.h"
#include "foundation/YString.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class YAudioPlugin;

// Small pieces the settings pages share.

// A value control's model for a setting that is no host parameter: its range, whole
// steps (0: continuous) and how it is read, written and shown.
std::unique_ptr<YFunctionValue> FieldValue(double minimum, double maximum, int32_t steps, std::function<double()> read,
                                           std::function<void(double)> write,
                                           std::function<YString(double)> format = nullptr);

// The names of the plug-in's parameters 0 .. count-1, the items of a target menu.
std::vector<YString> ParameterNames(YAudioPlugin& plugin, int32_t count);

// "Any" and the sixteen MIDI channels, in the order the settings number them.
std::vector<YString> ChannelNames();

// A MIDI note number as a name: 60 is "C4".
YString NoteName(int32_t note);

// A normalised value as a percentage.
YString PercentText(double value);
