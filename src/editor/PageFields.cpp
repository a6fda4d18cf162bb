#include "editor/PageFields.h"

#include "foundation/YFormat.h"
#include "shell/YAudioPlugin.h"

std::unique_ptr<YFunctionValue> FieldValue(double minimum, double maximum, int32_t steps, std::function<double()> read,
                                           std::function<void(double)> write, std::function<YString(double)> format) {
    auto value = std::make_unique<YFunctionValue>();
    value->minimum = minimum;
    value->maximum = maximum;
    value->defaultValue = minimum;
    value->steps = steps;
    value->read = std::move(read);
    value->write = std::move(write);
    value->format = std::move(format);
    return value;
}

std::vector<YString> ParameterNames(YAudioPlugin& plugin, int32_t count) {
    std::vector<YString> names;
    for (int32_t i = 0; i < count; ++i) names.push_back(plugin.GetParameterName(i));
    return names;
}

std::vector<YString> ChannelNames() {
    std::vector<YString> names{"Any"};
    for (int32_t c = 1; c <= 16; ++c) names.push_back(YFormat("Channel {0}").Arg(c));
    return names;
}

YString NoteName(int32_t note) {
    static const YString kNames[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    return YFormat("{0}{1}").Arg(kNames[note % 12]).Arg(note / 12 - 1);
}

YString PercentText(double value) { return YFormat("{0.0}%").Arg(value * 100.0); }
