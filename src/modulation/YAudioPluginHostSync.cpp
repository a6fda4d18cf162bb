#include "modulation/YAudioPluginHostSync.h"

#include "engine/ParameterConverters.h"

#include <cmath>

const YString YAudioPluginHostSync::kLengthNames[kLengthCount] = {
    "128", "64", "32", "16", "8", "4", "2", "1", "1 / 2", "1 / 4", "1 / 8", "1 / 16", "1 / 32", "1 / 64", "1 / 128"};
const YString YAudioPluginHostSync::kTypeNames[kTypeCount] = {"Straight", "Triplets", "Dotted", "Tuplets"};

namespace {

// An enumeration's current index, held to its items (a legacy state may hold more).
int32_t IndexOf(const ParameterDefinition* definition, int32_t count, int32_t fallback) noexcept {
    if (definition == nullptr) return fallback;
    const double value = std::round(definition->EffectiveValue());
    if (!(value > 0.0)) return 0;
    return value >= count - 1 ? count - 1 : static_cast<int32_t>(value);
}

double Fraction(double x) noexcept {
    const double f = x - std::floor(x);
    return f < 1.0 ? f : 0.0;  // x just below a whole number can round up to 1
}

}  // namespace

double YAudioPluginHostSync::Multiplier(int32_t length, int32_t type) noexcept {
    // "Dotted" runs 4/3 as fast, not at the 2/3 a dotted note's length would give.
    static constexpr double kTypeFactors[kTypeCount] = {1.0, 1.5, 4.0 / 3.0, 1.25};
    length = length < 0 ? 0 : length >= kLengthCount ? kLengthCount - 1 : length;
    type = type < 0 ? 0 : type >= kTypeCount ? kTypeCount - 1 : type;
    return std::ldexp(1.0, length - 7) * kTypeFactors[type];
}

void YAudioPluginHostSync::DeclareParameters(ParameterDefinition* definitions) {
    definitions[0] = BooleanParameter(
        "Synchronization", "sync", false,
        "<name>Synchronization panel</name> contains parameters for to-host synchronization.");
    definitions[0].kind = ParameterKind::ExternalBoolean;
    definitions[0].furtherText1 = "Synchronization";  // caption of the group the editor shows
    definitions[1] = EnumParameter("Length", "synclength__", kLengthNames, kLengthCount, kDefaultLength,
                                   "<name>Length</name> defines note length, therefore speed.");
    definitions[2] = EnumParameter("Type", "synctype", kTypeNames, kTypeCount, 0,
                                   "<name>Type</name> defines note type, such as straight notes or triplets.");
    definitions[3] = FloatParameter("Phase", "syncphase", 0.0, 1.0, 0.25,
                                    "<name>Phase</name> defines phase offset of the to-host synchronization.");
    definitions[3].converter = &kDegreesConverter;
    Bind(definitions);
    sync = false;
    UpdateFromParameters();
}

void YAudioPluginHostSync::Bind(ParameterDefinition* definitions) noexcept {
    syncDefinition = &definitions[0];
    lengthDefinition = &definitions[1];
    typeDefinition = &definitions[2];
    phaseDefinition = &definitions[3];
}

bool YAudioPluginHostSync::Synchronised() const noexcept {
    return syncDefinition ? syncDefinition->value.Load() >= 0.5 : sync.Load();
}

void YAudioPluginHostSync::SetSynchronised(bool on) noexcept {
    sync = on;
    if (syncDefinition) syncDefinition->value = on ? 1.0 : 0.0;
}

double YAudioPluginHostSync::PhaseOffset() const noexcept {
    return phaseDefinition ? phaseDefinition->EffectiveValue() : 0.0;
}

void YAudioPluginHostSync::UpdateFromParameters() noexcept {
    cyclesPerWholeNote_ = Multiplier(IndexOf(lengthDefinition, kLengthCount, kDefaultLength),
                                     IndexOf(typeDefinition, kTypeCount, 0));
}

void YAudioPluginHostSync::UpdateBlock(const HostTransport& time, double& phase, double& increment,
                                       double sampleRate) const noexcept {
    if (!Synchronised() || !(sampleRate > 0.0)) return;
    const double m = CyclesPerWholeNote();
    // A whole note is four quarter notes: tempo / 60 quarters per second.
    if (time.tempo >= 0.0) increment = time.tempo / (sampleRate * 240.0) * m;
    if (time.ppqPosition >= 0.0) phase = Fraction(PhaseOffset() + time.ppqPosition * m * 0.25);
}
