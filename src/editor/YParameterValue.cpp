#include "editor/YParameterValue.h"

#include "engine/YAudioEffectPluginToAudioPluginAdapter.h"

#include <algorithm>

const ParameterDefinition& YParameterValue::Definition() const { return plugin_.Parameter(index_)->Definition(); }

double YParameterValue::Get() const { return plugin_.GetParameter(index_); }

void YParameterValue::BeginEdit() { plugin_.BeginEdit(index_); }

void YParameterValue::Set(double normalised) {
    plugin_.SetParameter(index_, std::clamp(normalised, 0.0, 1.0));
    plugin_.Parameter(index_)->SendAutomation(0);
    if (onSet) onSet(index_);
}

void YParameterValue::EndEdit() { plugin_.EndEdit(index_); }

YString YParameterValue::Text(double normalised) const { return plugin_.GetParameterValueNameFrom01(index_, normalised); }

bool YParameterValue::Parse(const YString& text, double& normalised) const {
    double plain;
    if (!Definition().Parse(text, plain)) return false;
    normalised = std::clamp(Definition().Normalise(plain), 0.0, 1.0);
    return true;
}

double YParameterValue::Default() const { return plugin_.GetParameterDefaultValue(index_); }

int32_t YParameterValue::Steps() const {
    const ParameterDefinition& d = Definition();
    switch (d.kind) {
        case ParameterKind::Integer: return std::max(1, static_cast<int32_t>(d.maximum - d.minimum));
        case ParameterKind::Enumeration: return std::max(1, d.enumCount - 1);
        case ParameterKind::Boolean:
        case ParameterKind::ExternalBoolean: return 1;
        default: return 0;
    }
}
