#pragma once

#include "engine/YAudioEffectPlugin.h"
#include "foundation/YException.h"
#include "modulation/LfoDeclicker.h"
#include "modulation/YAudioPluginHostSync.h"
#include "modulation/YMIDIResetProcessor.h"
#include "modulation/YSignalGenerator.h"

#include <array>
#include <cstdint>

class YStoreArchive;
class YXMLItem;

// The time half of an LFO-driven effect: phase, rate, host synchronisation and MIDI
// reset. A derived effect owns the definition array; in its constructor it fills its
// own definitions, points definitions_ at the array and calls SetupRateParameters,
// which declares "Rate" and, through SetupHostSyncParameters, the four
// synchronisation parameters.
//
// Threads: the rate update, the skip and the MIDI reset take the plug-in mutex; the
// block-start host update runs on the audio thread before the derived effect takes
// it. Phase and increment are relaxed cells because the set-as-rate action and a
// MIDI reset may come from other threads.
template <class HostSync>
class YModulationPluginBase_NoSignalGeneratorT : public YAudioEffectPlugin {
public:
    using HostSyncType = HostSync;
    static constexpr uint32_t kUnboundedTail = 0xFFFFFFFFu;

    // The MIDI reset embedded in the effect: a reset moves the owner's phase.
    class MIDIResetProcessorType : public YMIDIResetProcessor {
    public:
        YModulationPluginBase_NoSignalGeneratorT* owner = nullptr;

    protected:
        void ResetAction() noexcept override {
            if (owner == nullptr) return;
            YGuarded("YModulationPluginBase::ResetPhaseFromMIDI", [&] { owner->ResetPhaseFromMIDI(); });
        }
    };

    YModulationPluginBase_NoSignalGeneratorT() = default;

    // ---- Effect interface ----------------------------------------------------------
    // Rate to increment, the sync multiplier and the rate's enabled state. Does
    // nothing before preparation. Takes the plug-in mutex; raises "Could not acquire
    // mutex." when it cannot.
    void UpdateFromParameters() override { UpdateRateFromParameters(); }
    // Saving: the effect's state. Loading (under the plug-in mutex): the effect's
    // state, then the legacy sync-length attributes, which rerun the rate update.
    void StoreParameters(YStoreArchive& archive) override;
    // The MIDI reset settings in the child "MIDIReset"; a state without one loads the defaults.
    void StoreMIDISettings(YStoreArchive& archive) override;
    YMIDIProcessorBase* MIDIProcessor() override { return &midiReset_; }
    YRelaxed<bool>* ExternalSwitch(int32_t index) override { return index == syncIndex_ ? &hostSync_.sync : nullptr; }
    // Channels and rate; phase and increment 0 (the first update computes the increment).
    int32_t Prepare(int32_t channels, double sampleRate) override;
    uint32_t GetTailSize() override { return kUnboundedTail; }
    bool NeedsHostSync() const override { return true; }
    // Moves the phase on by count samples, under the plug-in mutex.
    void SkipSamples(int32_t count) override;
    // Declares the synchronisation parameters at SyncIndex(); most effects call
    // DeclareHostSyncParameters.
    virtual void SetupHostSyncParameters() = 0;
    // The phase jumps to the MIDI reset's "Phase", under the plug-in mutex.
    virtual void ResetPhaseFromMIDI();

    // ---- Block processing (audio thread) ------------------------------------------------
    // The block-start host update into the given phase cell and the increment.
    void HostSyncBlockUpdate(const HostTransport& time, double& phaseCell) noexcept;
    // The block-start update as effects run it: while MIDI reset is enabled the
    // song-position phase goes to a scratch copy, so only the tempo applies.
    void UpdateTimingFromHost(const HostTransport& time) noexcept;
    // After a block of count samples: phase := fmod(phase + count * increment, 1).
    // Call with the plug-in mutex held.
    void AdvancePhase(int32_t count) noexcept;

    // ---- Editor actions -------------------------------------------------------------
    // "Set Rate": the current speed (the tempo-derived one under sync) becomes the
    // rate, held to its range; the host hears of it as automation.
    void SetRateFromCurrentSpeed();

    // ---- State ------------------------------------------------------------------------
    double Phase() const noexcept { return phase_.Load(); }
    void SetPhase(double phase) noexcept { phase_ = phase; }
    double PhaseIncrement() const noexcept { return increment_.Load(); }
    int32_t ChannelCount() const noexcept { return channelCount_; }
    double SampleRate() const noexcept { return sampleRate_; }
    int32_t RateIndex() const noexcept { return rateIndex_; }
    int32_t SyncIndex() const noexcept { return syncIndex_; }
    HostSync& HostSynchronization() noexcept { return hostSync_; }
    MIDIResetProcessorType& MIDIReset() noexcept { return midiReset_; }

protected:
    // Declares "Rate" at rateIndex (stored as log10 Hz, shown in hertz) with the
    // effect's range and default in hertz, records both indices, makes this object
    // the MIDI reset's owner and calls SetupHostSyncParameters. Raises when the
    // indices do not fit the definition array.
    void SetupRateParameters(int32_t rateIndex, double minimumHz, double maximumHz, double defaultHz,
                             int32_t syncIndex);
    // The host-sync object declares its four parameters at SyncIndex().
    void DeclareHostSyncParameters();
    // The base's part of UpdateFromParameters, which derived effects extend.
    void UpdateRateFromParameters();
    // The effect's own state in either direction; the loading half runs under the
    // plug-in mutex. Here: the parameters.
    virtual void StoreEffectState(YStoreArchive& archive) { YAudioEffectPlugin::StoreParameters(archive); }
    // A parameter's enabled state changed; an open editor would refresh its control.
    virtual void ParameterStateChanged(int32_t index) { (void)index; }

    int32_t channelCount_ = 0;
    double sampleRate_ = 0.0;
    HostSync hostSync_;
    YRelaxed<double> phase_ = 0.0;      // cycles, in [0, 1) between blocks
    YRelaxed<double> increment_ = 0.0;  // cycles per sample
    int32_t rateIndex_ = -1;
    int32_t syncIndex_ = -1;
    MIDIResetProcessorType midiReset_;

private:
    // "parametersynclength" (n: index n + 4) and the later "parametersynclength_"
    // (n: index n + 3); true when either was there.
    bool LoadLegacySyncLength(const YXMLItem& element);
};

// Adds the LFO's shape, the buffers the derived effect samples it into, and the
// declicking of shape changes.
template <class HostSync>
class YModulationPluginBaseT : public YModulationPluginBase_NoSignalGeneratorT<HostSync> {
    using Base = YModulationPluginBase_NoSignalGeneratorT<HostSync>;

public:
    static constexpr int32_t kMaxChannels = 8;

    // A per-block scratch curve: grows to the next power of two of the largest block
    // (a block of 1 or 2 samples gets exactly that), never shrinks, and allocates
    // only when it grows.
    struct LfoBuffer {
        int32_t capacity = 0;
        float* data = nullptr;
        int32_t largestBlock = 0;

        LfoBuffer() = default;
        LfoBuffer(const LfoBuffer&) = delete;
        LfoBuffer& operator=(const LfoBuffer&) = delete;
        ~LfoBuffer();
        // Room for count samples; null when memory ran out (the old buffer stays).
        float* Ensure(int32_t count) noexcept;
    };

    // Also points the shape's lock at the plug-in mutex and resets the declickers.
    int32_t Prepare(int32_t channels, double sampleRate) override;

    YSignalGenerator& Shape() noexcept { return shape_; }
    LfoBuffer& Buffer(int32_t which = 0) noexcept { return buffers_[which]; }
    float* EnsureLfoBuffer(int32_t count, int32_t which = 0) noexcept { return buffers_[which].Ensure(count); }
    LfoDeclicker& Declicker(int32_t channel) noexcept { return declickers_[channel]; }

    // At the start of a block, before the plug-in mutex: renders a changed shape and
    // remembers whether it changed for this block's declickers. Nothing else asks: a
    // new instance's shape and a loaded one count as changed for the first block.
    bool PollShapeChanged() noexcept;
    bool ShapeChangedThisBlock() const noexcept { return changeFlags_[1]; }
    // out[i] = the shape at phase + i * increment (phase >= 0).
    void SampleShape(float* out, int32_t count, double phase) const noexcept;
    // Triggers the channel's declicker when the shape changed this block, then runs it.
    void Declick(int32_t channel, float* buffer, int32_t count) noexcept;

protected:
    // The parameters, then the shape in the child "shape" (kept when a loaded state has
    // none). Loading marks the shape changed either way: the first block after a load
    // glides the LFO in.
    void StoreEffectState(YStoreArchive& archive) override;

    YSignalGenerator shape_;
    std::array<LfoBuffer, 2> buffers_;
    std::array<bool, 2> changeFlags_{};  // [1]: the shape changed for the current block
    std::array<LfoDeclicker, kMaxChannels> declickers_{};
};

// The base every LFO effect of the product derives from.
class YModulationPluginBase : public YModulationPluginBaseT<YAudioPluginHostSync> {};

extern template class YModulationPluginBase_NoSignalGeneratorT<YAudioPluginHostSync>;
extern template class YModulationPluginBaseT<YAudioPluginHostSync>;
