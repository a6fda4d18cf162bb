#pragma once

#include "editor/YValueModel.h"

#include <cstdint>
#include <functional>

class YAudioEffectPluginToAudioPluginAdapter;
struct ParameterDefinition;

// A value control's model for one of the plug-in's parameters. Edits go where a host's
// would: the parameter is written, then the host is told (SendAutomation) inside the
// begin and end of the gesture, so that automation records the edit. Texts are the
// parameter's own, both ways.
class YParameterValue : public YValueModel {
public:
    YParameterValue(YAudioEffectPluginToAudioPluginAdapter& plugin, int32_t index) : plugin_(plugin), index_(index) {}

    int32_t Index() const { return index_; }
    const ParameterDefinition& Definition() const;

    double Get() const override;
    void BeginEdit() override;
    void Set(double normalised) override;
    void EndEdit() override;
    YString Text(double normalised) const override;
    bool Parse(const YString& text, double& normalised) const override;
    double Default() const override;
    int32_t Steps() const override;

    // Told of each change the control writes (the editor's smart learn follows them).
    std::function<void(int32_t)> onSet;

private:
    YAudioEffectPluginToAudioPluginAdapter& plugin_;
    int32_t index_;
};
