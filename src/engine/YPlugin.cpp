#include "engine/YAudioEffectPlugin.h"

#include "foundation/YFormat.h"
#include "foundation/YStoreArchive.h"

#include <algorithm>
#include <cmath>

void YPlugin::ResetSmoothing() {
    for (int32_t i = 0; i < definitionCount_; ++i)
        if (definitions_[i].kind == ParameterKind::Float) definitions_[i].smoothedValue = definitions_[i].value.Load();
}

namespace {

// What a missing float reads as: its default as the 6-decimal display shows it, so
// that a state saved by an older version with a rounded default compares equal.
double DefaultThroughText(double defaultValue) { return ToDouble(YFormat("{0;.6}").Arg(defaultValue)); }

double Limited(const ParameterDefinition& d, double value) {
    const double low = std::min(d.minimum, d.maximum), high = std::max(d.minimum, d.maximum);
    return std::clamp(value, low, high);
}

}  // namespace

void YPlugin::StoreParameters(YStoreArchive& archive) {
    for (int32_t i = 0; i < definitionCount_; ++i) {
        ParameterDefinition& d = definitions_[i];
        const YString name = YString("parameter") + d.id;
        switch (d.kind) {
            case ParameterKind::Float: {
                double value = d.value.Load();
                const double fallback = archive.Loading() ? DefaultThroughText(d.defaultValue) : d.defaultValue;
                archive.Number(name, value, fallback);
                if (archive.Loading()) d.Write(std::isnan(value) ? fallback : Limited(d, value));
                break;
            }
            case ParameterKind::Integer: {
                int32_t value = static_cast<int32_t>(std::lround(d.value.Load()));
                archive.Integer(name, value, static_cast<int32_t>(std::lround(d.defaultValue)));
                // Held to the range too: effects size their arrays by it.
                if (archive.Loading()) d.Write(Limited(d, value));
                break;
            }
            case ParameterKind::Enumeration: {
                int32_t index = static_cast<int32_t>(std::lround(d.value.Load()));
                // An index beyond the items (a legacy value) is used as the last item, so stored as it.
                if (archive.Saving() && d.enumCount > 0) index = std::clamp(index, 0, d.enumCount - 1);
                archive.Enumeration(name + "Enum", index, d.enumNames, d.enumNames ? d.enumCount : 0,
                                    static_cast<int32_t>(std::lround(d.defaultValue)));
                if (archive.Loading()) d.Write(index);
                break;
            }
            case ParameterKind::Text: archive.Text(name, d.text, YString()); break;
            case ParameterKind::Boolean: {
                bool on = d.value.Load() >= 0.5;
                archive.Boolean(name, on, d.defaultValue >= 0.5);
                if (archive.Loading()) d.Write(on ? 1.0 : 0.0);
                break;
            }
            case ParameterKind::ExternalBoolean: {
                YRelaxed<bool>* external = ExternalSwitch(i);
                bool on = external ? external->Load() : d.value.Load() >= 0.5;
                archive.Boolean(name, on, d.defaultValue >= 0.5);
                if (archive.Loading()) {
                    if (external) *external = on;
                    d.value = on ? 1.0 : 0.0;  // the parameter object keeps the two alike
                }
                break;
            }
            case ParameterKind::External: break;  // stored by the object that holds the value
        }
    }
}
