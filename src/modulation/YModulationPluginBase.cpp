#include "modulation/YModulationPluginBase.h"

#include "engine/ParameterConverters.h"
#include "engine/YAudioEffectPluginToAudioPluginAdapter.h"
#include "foundation/YStoreArchive.h"
#include "foundation/YXMLItem.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

double Fraction(double x) noexcept {
    const double f = x - std::floor(x);
    return f < 1.0 ? f : 0.0;
}

}  // namespace

// ---- YModulationPluginBase_NoSignalGeneratorT ------------------------------------------------

template <class HostSync>
void YModulationPluginBase_NoSignalGeneratorT<HostSync>::SetupRateParameters(int32_t rateIndex, double minimumHz,
                                                                             double maximumHz, double defaultHz,
                                                                             int32_t syncIndex) {
    if (definitions_ == nullptr || rateIndex < 0 || rateIndex >= definitionCount_ || syncIndex < 0 ||
        syncIndex + HostSync::kParameterCount > definitionCount_)
        throw YException(YString("Parameter index out of range."));
    ParameterDefinition& rate = definitions_[rateIndex];
    rate = FloatParameter("Rate", "rate", std::log10(minimumHz), std::log10(maximumHz), std::log10(defaultHz),
                          "<name>Rate</name> defines speed of the low frequency oscillator. This is available only "
                          "when synchronization to host is disabled.");
    rate.converter = &kHertzConverter;
    rateIndex_ = rateIndex;
    syncIndex_ = syncIndex;
    midiReset_.owner = this;
    SetupHostSyncParameters();
}

template <class HostSync>
void YModulationPluginBase_NoSignalGeneratorT<HostSync>::DeclareHostSyncParameters() {
    hostSync_.DeclareParameters(definitions_ + syncIndex_);
}

template <class HostSync>
void YModulationPluginBase_NoSignalGeneratorT<HostSync>::UpdateRateFromParameters() {
    if (!(sampleRate_ > 0.0)) return;
    YScopedLock hold(mutex_);
    hostSync_.UpdateFromParameters();
    if (rateIndex_ < 0) return;
    ParameterDefinition& rate = definitions_[rateIndex_];
    increment_ = std::pow(10.0, rate.EffectiveValue()) / sampleRate_;
    // The rate only applies while the LFO runs free.
    const bool enabled = !hostSync_.Synchronised();
    if (rate.Enabled() != enabled) {
        rate.SetFlag(1, ParameterDefinition::kEnabledBit, enabled);
        ParameterStateChanged(rateIndex_);
    }
}

template <class HostSync>
int32_t YModulationPluginBase_NoSignalGeneratorT<HostSync>::Prepare(int32_t channels, double sampleRate) {
    channelCount_ = channels;
    sampleRate_ = sampleRate;
    phase_ = 0.0;
    increment_ = 0.0;
    return 0;
}

template <class HostSync>
void YModulationPluginBase_NoSignalGeneratorT<HostSync>::SkipSamples(int32_t count) {
    YScopedLock hold(mutex_);
    phase_ = Fraction(phase_.Load() + count * increment_.Load());
}

template <class HostSync>
void YModulationPluginBase_NoSignalGeneratorT<HostSync>::ResetPhaseFromMIDI() {
    YScopedLock hold(mutex_);
    // Kept in [0, 1) whatever a state put there: table reads need a phase >= 0.
    const double phase = midiReset_.phase;
    phase_ = std::isfinite(phase) ? Fraction(phase) : 0.0;
}

template <class HostSync>
void YModulationPluginBase_NoSignalGeneratorT<HostSync>::HostSyncBlockUpdate(const HostTransport& time,
                                                                             double& phaseCell) noexcept {
    double increment = increment_;
    hostSync_.UpdateBlock(time, phaseCell, increment, sampleRate_);
    increment_ = increment;
}

template <class HostSync>
void YModulationPluginBase_NoSignalGeneratorT<HostSync>::UpdateTimingFromHost(const HostTransport& time) noexcept {
    const double before = phase_;
    double phase = before;
    HostSyncBlockUpdate(time, phase);
    // Written only when it moved, so a MIDI reset that came in between is not undone.
    if (!midiReset_.enabled && phase != before) phase_ = phase;
}

template <class HostSync>
void YModulationPluginBase_NoSignalGeneratorT<HostSync>::AdvancePhase(int32_t count) noexcept {
    phase_ = std::fmod(phase_.Load() + count * increment_.Load(), 1.0);
}

template <class HostSync>
void YModulationPluginBase_NoSignalGeneratorT<HostSync>::SetRateFromCurrentSpeed() {
    if (rateIndex_ < 0 || !(sampleRate_ > 0.0)) return;
    ParameterDefinition& rate = definitions_[rateIndex_];
    const double value = std::log10(increment_.Load() * sampleRate_);
    rate.Write(std::isnan(value) ? rate.defaultValue : std::clamp(value, rate.minimum, rate.maximum));
    if (engine_ == nullptr) return;
    engine_->ParameterChanged(rateIndex_);
    if (rate.MarksDirty()) engine_->MarkSettingsChanged();
    if (ParameterMainBase* parameter = engine_->Parameter(rateIndex_)) parameter->SendAutomation(0);
}

template <class HostSync>
void YModulationPluginBase_NoSignalGeneratorT<HostSync>::StoreParameters(YStoreArchive& archive) {
    if (archive.Saving()) {
        StoreEffectState(archive);
        return;
    }
    YScopedLock hold(mutex_);
    StoreEffectState(archive);
    if (LoadLegacySyncLength(archive.Element())) UpdateRateFromParameters();
}

template <class HostSync>
bool YModulationPluginBase_NoSignalGeneratorT<HostSync>::LoadLegacySyncLength(const YXMLItem& element) {
    ParameterDefinition* length = hostSync_.lengthDefinition;
    if (length == nullptr) return false;
    bool found = false;
    // Older versions had fewer lengths; their indices start further down the list.
    if (const YString* text = element.FindAttribute("parametersynclength")) {
        length->Write(static_cast<double>(ToInteger(*text) + 4));
        found = true;
    }
    if (const YString* text = element.FindAttribute("parametersynclength_")) {
        length->Write(static_cast<double>(ToInteger(*text) + 3));
        found = true;
    }
    return found;
}

template <class HostSync>
void YModulationPluginBase_NoSignalGeneratorT<HostSync>::StoreMIDISettings(YStoreArchive& archive) {
    YXMLItem* child = archive.Child("MIDIReset");
    if (child == nullptr) {
        midiReset_.ResetSettings();
        return;
    }
    YStoreArchive inner(*child, archive.Loading());
    midiReset_.Store(inner);
}

// ---- YModulationPluginBaseT ------------------------------------------------------------------

template <class HostSync>
YModulationPluginBaseT<HostSync>::LfoBuffer::~LfoBuffer() {
    std::free(data);
}

template <class HostSync>
float* YModulationPluginBaseT<HostSync>::LfoBuffer::Ensure(int32_t count) noexcept {
    if (count > largestBlock) largestBlock = count;
    int64_t needed = count;
    if (count > 2) {
        needed = 1;
        while (needed < count) needed <<= 1;
    }
    if (needed > capacity) {
        // The old samples are of no use: every block fills the buffer anew.
        auto* grown = static_cast<float*>(std::calloc(static_cast<size_t>(needed), sizeof(float)));
        if (grown == nullptr) return nullptr;
        std::free(data);
        data = grown;
        capacity = static_cast<int32_t>(needed);
    }
    return data;
}

template <class HostSync>
int32_t YModulationPluginBaseT<HostSync>::Prepare(int32_t channels, double sampleRate) {
    Base::Prepare(channels, sampleRate);
    shape_.SetLock(this->mutex_);  // null: the shape's own lock
    for (LfoDeclicker& declicker : declickers_) declicker.Reset(sampleRate);
    return 0;
}

template <class HostSync>
bool YModulationPluginBaseT<HostSync>::PollShapeChanged() noexcept {
    changeFlags_[1] = shape_.Changed();
    return changeFlags_[1];
}

template <class HostSync>
void YModulationPluginBaseT<HostSync>::SampleShape(float* out, int32_t count, double phase) const noexcept {
    const double increment = this->increment_.Load();
    for (int32_t i = 0; i < count; ++i) {
        out[i] = static_cast<float>(shape_.Lookup(phase));
        phase += increment;
    }
}

template <class HostSync>
void YModulationPluginBaseT<HostSync>::Declick(int32_t channel, float* buffer, int32_t count) noexcept {
    LfoDeclicker& declicker = declickers_[channel];
    if (changeFlags_[1]) declicker.Trigger();
    declicker.Run(buffer, count);
}

template <class HostSync>
void YModulationPluginBaseT<HostSync>::StoreEffectState(YStoreArchive& archive) {
    Base::StoreEffectState(archive);
    if (YXMLItem* child = archive.Child("shape")) {
        YStoreArchive inner(*child, archive.Loading());
        shape_.Store(inner);
    } else if (archive.Loading()) {
        shape_.SetChanged();  // a loaded state counts as a new shape all the same
    }
}

template class YModulationPluginBase_NoSignalGeneratorT<YAudioPluginHostSync>;
template class YModulationPluginBaseT<YAudioPluginHostSync>;
