#include "phaser/VortalisAudioEffectPlugin.h"

#include "engine/ParameterConverters.h"
#include "engine/YValueTypes.h"
#include "foundation/YException.h"
#include "foundation/YSynchronizer.h"
#include "foundation/YVectorOps.h"
#include "phaser/PhaserKernels.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

namespace {

const YString kShapeModes[3] = {"Linear", "Squared", "Logarithmic"};

YString PercentText(const ParameterDefinition&, double value) { return YValuePercents().Text(value); }
bool ParsePercent(const ParameterDefinition&, const YString& text, double& value) {
    return YValuePercents().Parse(text, value);
}
const ParameterConverter kPercentConverter{&PercentText, &ParsePercent};

// Feedback shows as the gain it applies per round, feedback squared, in decibels.
YString FeedbackText(const ParameterDefinition&, double value) { return YValueVolume().Text(value * value); }
bool ParseFeedback(const ParameterDefinition&, const YString& text, double& value) {
    if (YString::EqualsNoCase(text.Trimmed(), "silence")) {
        value = 0.0;
        return true;
    }
    double decibels;
    YString number = text.Trimmed();
    if (number.Length() >= 2 && YString::EqualsNoCase(number.Substring(number.Length() - 2), "dB"))
        number = number.Substring(0, number.Length() - 2);
    if (!TryToDouble(number, decibels)) return false;
    value = std::sqrt(std::pow(10.0, decibels * 0.05));
    return true;
}
const ParameterConverter kFeedbackConverter{&FeedbackText, &ParseFeedback};

constexpr double kLowestSweepHz = 20.0;

ParameterDefinition FrequencyParameter(const YString& name, const YString& id, double defaultHz, const YString& help) {
    ParameterDefinition d = FloatParameter(name, id, std::log10(kLowestSweepHz), std::log10(20000.0), std::log10(defaultHz), help);
    d.converter = &kHertzConverter;
    d.SetFlag(0, ParameterDefinition::kMarksDirtyBit, false);
    return d;
}

}  // namespace

VortalisAudioEffectPlugin::VortalisAudioEffectPlugin() {
    table_[kDryWet] = FloatParameter(
        "Dry/wet", "Depth", 0.0, 1.0, 0.4,
        "<name>Dry/wet</name> defines how powerful the effect is, thus this is the ratio between dry and wet signals.");
    table_[kDryWet].converter = &kPercentConverter;
    table_[kDryWet].SetFlag(0, 1, true);
    table_[kDryWet].SetFlag(0, ParameterDefinition::kMarksDirtyBit, false);
    table_[kMinFrequency] = FrequencyParameter("Min frequency", "MinFreq", 400.0,
                                               "<name>Min frequency</name> defines minimal phaser oscillator frequency.");
    table_[kMaxFrequency] = FrequencyParameter("Max frequency", "MaxFreq", 2000.0,
                                               "<name>Max frequency</name> defines maximal phaser oscillator frequency.");
    table_[kFeedback] = FloatParameter("Feedback", "feedback", 0.0, 1.0, 0.7,
                                       "<name>Feedback</name> defines phase signal feedback.");
    table_[kFeedback].converter = &kFeedbackConverter;
    table_[kMode] = IntegerParameter(
        "Mode", "delays", 1, 100, 10,
        "<name>Mode</name> defines number of phaser delays which changes the sound character.");
    table_[kPhaseDifference] = FloatParameter(
        "Phase difference", "phasediff", -1.0, 1.0, 0.5,
        "<name>Phase difference</name> defines phase difference between particular channels. This is very simple and "
        "often practical way to accomplish some kind of stereo expansion.");
    table_[kPhaseDifference].converter = &kDegreesConverter;
    table_[kPhaseDifference].SetFlag(0, ParameterDefinition::kReportedBit, true);
    table_[kSaturation] = FloatParameter(
        "Saturation", "Saturation", 0.0, 1.0, 0.0,
        "<name>Saturation</name> controls amount of saturation applied on the phasing signal.");
    table_[kSaturation].converter = &kPercentConverter;
    table_[kSaturation].furtherWord = 57;
    table_[kShapeMode] = EnumParameter(
        "Shape mode", "ShapeMode", kShapeModes, 3, 0,
        "<name>Shape mode</name> controls the sweep shape, thus how the phasing frequency changes. It is driven by the "
        "LFO shape.");
    table_[kShapeMode].furtherWord = 509;
    table_[kInvertFeedback] = BooleanParameter(
        "Invert feedback polarity", "InvertFeedback", false,
        "<name>Invert feedback polarity</name> inverts the phase of the feedback signal.");
    table_[kInvertFeedback].furtherWord = 57;

    shapeParameter_.name = "Shape";
    shapeParameter_.id = "Shape";
    shapeParameter_.kind = ParameterKind::External;

    definitions_ = table_.data();
    definitionCount_ = kParameterCount;
    SetupRateParameters(kRate, 0.01, 20.0, 2.0, kSynchronization);
}

int32_t VortalisAudioEffectPlugin::Prepare(int32_t channels, double sampleRate) {
    YModulationPluginBase::Prepare(std::clamp(channels, 0, kMaxChannels), sampleRate);
    chain_.Clear();
    squareTermWeight_ = 1.0;
    clipper_.Configure(SoftClipper::kPadeCurve, 0.0);
    return 0;
}

void VortalisAudioEffectPlugin::UpdateFromParameters() {
    if (sampleRate_ <= 0.0) return;
    YScopedLock lock(mutex_);
    UpdateRateFromParameters();

    const double f = table_[kFeedback].EffectiveValue();
    feedback_ = table_[kInvertFeedback].EffectiveValue() >= 0.5 ? -(f * f) : f * f;

    // Only stages that become active start from silence; a shrinking chain keeps the
    // memories of the stages it drops.
    const int32_t stages = std::clamp(static_cast<int32_t>(std::lround(table_[kMode].EffectiveValue())), 1,
                                      AllPassChain::kMaxStages);
    if (stages > activeStages_) chain_.ClearStages(channelCount_, activeStages_, stages);
    activeStages_ = stages;

    // Channel ch is shifted by ch times the difference; adding a whole cycle per step
    // keeps every offset, and so every table position, non-negative.
    const double difference = table_[kPhaseDifference].EffectiveValue();
    phaseOffsets_[0] = 0.0;
    for (int32_t channel = 1; channel < kMaxChannels; ++channel)
        phaseOffsets_[channel] = phaseOffsets_[channel - 1] + (difference + 1.0);

    saturationMix_ = table_[kSaturation].EffectiveValue();
    cleanMix_ = 1.0 - saturationMix_;
}

void VortalisAudioEffectPlugin::SkipSamples(int32_t count) {
    YModulationPluginBase::SkipSamples(count);
    YScopedLock lock(mutex_);
    chain_.ClearActive(channelCount_, activeStages_);
}

void VortalisAudioEffectPlugin::MapSweep(float* curve, int32_t count, ShapeMode mode, double low, double high,
                                         double sampleRate) {
    const float span = static_cast<float>(high - low);
    switch (mode) {
        case ShapeMode::Squared:
            YVectorOps::AddConstant(curve, count, 1.0f);
            YVectorOps::Multiply(curve, count, 0.5f);
            YVectorOps::Square(curve, count);
            YVectorOps::Multiply(curve, count, span);
            YVectorOps::AddConstant(curve, count, static_cast<float>(low));
            break;
        case ShapeMode::Logarithmic:
            YVectorOps::Multiply(curve, count, static_cast<float>((high - low) * 0.5));
            YVectorOps::AddConstant(curve, count, static_cast<float>(low + (high - low) * 0.5));
            YVectorOps::Multiply(curve, count, 2.3025851f);  // ln 10: log10 hertz to hertz
            YVectorOps::Exp(curve, count);
            YVectorOps::Multiply(curve, count, static_cast<float>(2.0 / sampleRate));
            break;
        case ShapeMode::Linear:
        default:
            YVectorOps::Multiply(curve, count, static_cast<float>((high - low) * 0.5));
            YVectorOps::AddConstant(curve, count, static_cast<float>(low + (high - low) * 0.5));
            break;
    }
    // The declicker's glide can carry the curve past -1 .. 1, and a reversed range then
    // sweeps below its ends, down to 0 Hz and under, where the all-pass coefficient
    // reaches 1 and full feedback grows without bound. The sweep never goes below the
    // lowest frequency the parameters offer (in hertz it is positive anyway).
    if (mode != ShapeMode::Logarithmic)
        YVectorOps::Clamp(curve, count, static_cast<float>(2.0 * kLowestSweepHz / sampleRate), std::numeric_limits<float>::max());
}

void VortalisAudioEffectPlugin::ProcessBlock(HostTransport& context, float** inputs, float** outputs, int32_t count) {
    if (count <= 0 || sampleRate_ <= 0.0) return;
    UpdateTimingFromHost(context);
    if (PollShapeChanged()) ++shapeChangeCounter_;
    YScopedLock lock(mutex_);
    ProcessChannels(inputs, outputs, count, std::min(channelCount_, kMaxChannels));
    AdvancePhase(count);
}

void VortalisAudioEffectPlugin::SampleShapes(float* const* curves, int32_t count, int32_t channels,
                                             const PhaserKernels::Set& kernels) {
    const double increment = PhaseIncrement();
    double phases[kMaxChannels];
    double highest = 0.0;
    for (int32_t channel = 0; channel < channels; ++channel) {
        phases[channel] = Phase() + phaseOffsets_[channel];
        highest = std::max(highest, phases[channel]);
    }
    // The vector lookup takes table positions as 32-bit integers; a block that would
    // leave that range (or runs backwards) is sampled one value at a time.
    constexpr double kVectorLimit = 2147483647.0 / YSignalGenerator::kSize;
    int32_t done = 0;
    if (Phase() >= 0.0 && increment >= 0.0 && highest + (count + 1.0) * increment < kVectorLimit)
        done = kernels.sampleShapes(Shape().Table(), YSignalGenerator::kSize, phases, increment, curves, channels, count);
    for (int32_t channel = 0; channel < channels; ++channel) SampleShape(curves[channel] + done, count - done, phases[channel]);
}

void VortalisAudioEffectPlugin::ProcessChannels(float** inputs, float** outputs, int32_t count, int32_t channels) {
    // The dry/wet of the previous block ramps to the current one across this block.
    ParameterDefinition& dryWet = table_[kDryWet];
    const double target = dryWet.value.Load(), previous = dryWet.smoothedValue.Load();
    PhaserKernels::Mix mix{clipper_.Threshold(), clipper_.Gain(), clipper_.Scale(), clipper_.Range(),
                           saturationMix_,       cleanMix_,       squareTermWeight_, target, nullptr};
    if (std::fabs(target - previous) >= 1e-50) {
        const double step = (target - previous) / count;
        double* wets = wets_.Ensure(static_cast<uint32_t>(count));
        double wet = previous;
        for (int32_t i = 0; i < count; ++i, wet += step) wets[i] = wet;
        mix.wets = wets;
        dryWet.smoothedValue = target;
    }

    const auto mode = static_cast<ShapeMode>(std::clamp(static_cast<int32_t>(std::lround(table_[kShapeMode].EffectiveValue())), 0, 2));
    double low = table_[kMinFrequency].EffectiveValue(), high = table_[kMaxFrequency].EffectiveValue();
    if (mode != ShapeMode::Logarithmic) {
        low = std::pow(10.0, low) * 2.0 / sampleRate_;
        high = std::pow(10.0, high) * 2.0 / sampleRate_;
    }

    // One array per channel. The LFO buffer holds the last channel's curve, as if it
    // had been reused channel after channel. The chain's arrays lie a whole number of
    // blocks plus 64 bytes apart: arrays 4 KB apart would make the processor take the
    // loads of one for reloads of another's stores.
    float* lfo = EnsureLfoBuffer(count);
    if (lfo == nullptr) return;
    const std::ptrdiff_t stride = count + 8;
    float* sweeps = sweeps_.Ensure(static_cast<uint32_t>(stride * channels));
    double* arrays = chainArrays_.Ensure(static_cast<uint32_t>(3 * stride * channels));
    float* curves[kMaxChannels];
    double *chainInputs[kMaxChannels], *coefficients[kMaxChannels], *chainOutputs[kMaxChannels];
    for (int32_t channel = 0; channel < channels; ++channel) {
        curves[channel] = channel == channels - 1 ? lfo : sweeps + channel * stride;
        chainInputs[channel] = arrays + 3 * channel * stride;
        coefficients[channel] = chainInputs[channel] + stride;
        chainOutputs[channel] = coefficients[channel] + stride;
    }

    const PhaserKernels::Set& kernels = PhaserKernels::For(chain_.GetImplementation());
    SampleShapes(curves, count, channels, kernels);
    for (int32_t channel = 0; channel < channels; ++channel) {
        Declick(channel, curves[channel], count);
        MapSweep(curves[channel], count, mode, low, high, sampleRate_);
        kernels.coefficients(curves[channel], inputs[channel], kInputOffset, chainInputs[channel], coefficients[channel], count);
    }
    chain_.Run(chainInputs, coefficients, chainOutputs, count, channels, activeStages_, feedback_);
    // A block with a NaN or an infinity in a channel's input sounds as it may, but the
    // channel's next block starts from silence instead of repeating it for ever.
    chain_.ClearNonFinite(activeStages_);
    for (int32_t channel = 0; channel < channels; ++channel)
        kernels.mix(mix, chainOutputs[channel], chainInputs[channel], outputs[channel], count);
}

extern "C" Y_EXPORT intptr_t VortalisAudioEffectPluginInterface(void* effect, int64_t command, int64_t argument) noexcept {
    try {
        // The pointer travels as the effect's YPlugin view.
        if (effect == nullptr) {
            auto created = std::make_unique<VortalisAudioEffectPlugin>();
            if (command == kEffectCommandGetObject) return reinterpret_cast<intptr_t>(static_cast<YPlugin*>(created.release()));
            // A command to an effect nobody keeps: answer it and let the effect go.
            return created->Command(command, argument);
        }
        auto* object = static_cast<YPlugin*>(effect);
        if (command == kEffectCommandGetObject) return reinterpret_cast<intptr_t>(object);
        return object->Command(command, argument);
    } catch (...) {
        ReportGuardFailure("VortalisAudioEffectPluginInterface");
        return 0;
    }
}
