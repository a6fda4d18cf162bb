// The road of one audio block through the host-neutral plug-in: buffer fixing, the
// denormal offset, bypass, upsampling, channel routing, sub-blocks and parameter
// interpolation around the engine's per-sub-block Process.
#include "shell/YAudioPlugin.h"

#include "foundation/YException.h"
#include "foundation/YVectorOps.h"

#include <algorithm>
#include <cmath>

namespace {

// Channels the effect processes and channels that flow through the road, by mode:
// L+R, L, R, M, S, M+S, L+R-, Surround.
constexpr int32_t kProcessedChannels[8] = {2, 1, 1, 1, 1, 2, 2, 8};
constexpr int32_t kIOChannels[8] = {2, 2, 2, 2, 2, 2, 2, 8};

}  // namespace

void YAudioPlugin::PrepareRoad(int32_t channelMode, const bool* surroundEnables,
                               std::vector<InterpolatedParameter> interpolated) {
    effectiveRate_ = sampleRate_ * std::max(1, upsamplingFactor_);
    activeChannelMode_ = std::clamp(channelMode, 0, kChannelModeCount - 1);
    processedChannels_ = kProcessedChannels[activeChannelMode_];
    ioChannels_ = std::min(kIOChannels[activeChannelMode_], channelsPerBus_);
    surroundEnabledCount_ = 0;
    for (int32_t channel = 0; channel < 8; ++channel) {
        surroundEnabled_[channel] = surroundEnables ? surroundEnables[channel] : true;
        surroundEnabledCount_ += surroundEnabled_[channel];
    }
    if (activeChannelMode_ == kSurroundChannelMode) processedChannels_ = surroundEnabledCount_;
    processedChannels_ = std::min(processedChannels_, ioChannels_);

    latency_ = GetLatency();
    bypassLatency_ = GetHostLatency();
    passThroughDelay_.SetDelay(latency_);
    for (YDelayLine& line : surroundDelays_) line.SetDelay(latency_);
    for (YDelayLine& line : bypassDelays_) line.SetDelay(bypassLatency_);
    for (YUpsampler& resampler : resamplers_) resampler.Reset();
    interpolationList_ = std::move(interpolated);
    interpolationFirstBlock_ = true;
    // Processing starts afresh: the fixed gain applies at once, as parameters jump.
    appliedFixedGain_ = fixedGain_.load();
    PrepareAGC();
}

void YAudioPlugin::PrepareAGC() {
    agc_.active = agcEnabled_.load();
    if (!agc_.active) return;
    agc_.SetInputDelay(bypassLatency_);
    agc_.Initialize(sampleRate_, ioChannels_);
}

void YAudioPlugin::SetAGCEnabled(bool on) {
    YGuarded("YAudioPlugin::SetAGCEnabled", [&] {
        YScopedLock parameters(parameterLock);
        YScopedLock editor(editorLock);
        YScopedLock processing(processingLock);
        // Switching off while the audio runs hands over at the processor's last gain,
        // from which the fixed gain then glides, instead of jumping.
        if (agc_.active && !on) appliedFixedGain_ = agc_.Gain();
        agcEnabled_ = on;
        PrepareAGC();
    });
}

void YAudioPlugin::SetFixedOutputGain(double gain) {
    fixedGain_ = std::clamp(gain, YAGCProcessor::kMinGain, YAGCProcessor::kMaxGain);
}

void YAudioPlugin::StoreFixedOutputGain(YStoreArchive& archive) {
    double gain = FixedOutputGain();
    archive.Number("FixedOutputGain", gain, 1.0);
    if (archive.Loading()) SetFixedOutputGain(gain > 0.0 ? gain : 1.0);
}

void YAudioPlugin::ApplyFixedGain(float* const* channels, int32_t frames) {
    const double gain = fixedGain_.load();
    // Unity that stays unity leaves the samples untouched.
    if (gain == 1.0 && appliedFixedGain_ == 1.0) return;
    YAGCProcessor::ApplyRamp(channels, ioChannels_, frames, appliedFixedGain_, gain);
    appliedFixedGain_ = gain;
}

void YAudioPlugin::FixAudioBuffers(float** table, float** fixed, int32_t connected, int32_t busCount, bool isInput,
                                   int32_t frames) {
    float* fill;
    if (isInput) {
        fill = inputScratch_.Ensure(static_cast<uint32_t>(frames));
        YVectorOps::Clear(fill, frames);
    } else {
        fill = outputScratch_.Ensure(static_cast<uint32_t>(frames));
    }
    std::fill(fixed, fixed + kMaxBuses * kTableStride, fill);
    for (int32_t bus = 0; bus < busCount; ++bus) {
        float** host = table + bus * kTableStride;
        float** out = fixed + bus * kTableStride;
        if (host[0] == nullptr) continue;  // the whole bus reads silence or writes nowhere
        out[0] = host[0];
        for (int32_t channel = 1; channel < channelsPerBus_; ++channel) {
            if (channel >= connected)
                out[channel] = fill;
            else
                out[channel] = host[channel] ? host[channel] : out[channel - 1];
        }
        // A mono input on a stereo bus is heard on both channels.
        if (isInput && connected == 1 && channelsPerBus_ >= 2 && bus == 0) {
            float* copy = monoCopy_.Ensure(static_cast<uint32_t>(frames));
            YVectorOps::Copy(copy, out[0], frames);
            out[1] = copy;
        }
    }
}

bool YAudioPlugin::ProcessAudio(float** inputs, float** outputs, int32_t frames, bool replacing) {
    // A busy parameter lock means somebody is preparing or loading: this block is
    // dropped, and the outputs keep what the host put there.
    if (parameterLock.Acquire(0)) return false;
    struct Release {
        YLock& lock;
        ~Release() { lock.Release(); }
    } releaseParameters{parameterLock};
    YScopedLock processing(processingLock);
    if (outputs == nullptr || outputs[0] == nullptr || frames <= 0) return true;

    const int32_t inputBuses = inputs ? GetNumInputBuses() : 0;
    const int32_t outputBuses = std::max(1, GetNumOutputBuses());
    float** in = fixedInputs_.data();
    float** out = fixedOutputs_.data();
    if (inputBuses > 0) FixAudioBuffers(inputs, in, inputBusChannels_, inputBuses, true, frames);
    else FixAudioBuffers(nullptr, in, 0, 0, true, frames);
    FixAudioBuffers(outputs, out, outputBusChannels_, outputBuses, false, frames);

    for (int32_t bus = 0; bus < inputBuses; ++bus) {
        float** host = inputs + bus * kTableStride;
        for (int32_t channel = 0; channel < std::min(inputBusChannels_, channelsPerBus_); ++channel) {
            bool repeated = channel > 0 && host[channel] == host[channel - 1];
            if (host[channel] && !repeated) YVectorOps::AddConstant(host[channel], frames, kDenormalOffset);
        }
    }

    if (bypass) {
        ProcessBypassed(in, out, frames, replacing);
        return true;
    }

    PreBlock(in, out, frames);
    if (agc_.active) {
        if (inputBuses > 0) agc_.MeasureInput(in, frames);
        else agc_.UseFixedInput();
    }
    // An accumulating host gets the engine's result through our buffers, so that the
    // gain compensation scales only what the plug-in adds.
    float** target = out;
    if (!replacing) {
        std::copy(fixedOutputs_.begin(), fixedOutputs_.end(), accumulatedOutputs_.begin());
        for (int32_t channel = 0; channel < ioChannels_; ++channel)
            accumulatedOutputs_[channel] = internalOutputs_[channel].Ensure(static_cast<uint32_t>(frames));
        target = accumulatedOutputs_.data();
    }
    if (upsamplingFactor_ >= 2 && inputBuses > 0) {
        ProcessThroughUpsamplers(in, target, frames);
    } else {
        float** source = in;
        if (activeChannelMode_ != 0 && in[0] == target[0]) {
            // Routing rewrites the inputs, which here are also the outputs.
            std::copy(fixedInputs_.begin(), fixedInputs_.end(), stageInputs_.begin());
            for (int32_t channel = 0; channel < ioChannels_; ++channel) {
                float* copy = internalInputs_[channel].Ensure(static_cast<uint32_t>(frames));
                YVectorOps::Copy(copy, in[channel], frames);
                stageInputs_[channel] = copy;
            }
            source = stageInputs_.data();
        }
        ProcessRouted(source, target, frames);
    }
    if (agc_.active) agc_.MeasureOutputAndApply(target, frames);
    else ApplyFixedGain(target, frames);
    if (!replacing)
        for (int32_t channel = 0; channel < ioChannels_; ++channel) YVectorOps::Add(out[channel], target[channel], frames);
    PostBlock();
    return true;
}

void YAudioPlugin::ProcessBypassed(float** inputs, float** outputs, int32_t frames, bool replacing) {
    const int32_t channels = std::min(GetNumInputBuses() > 0 ? channelsPerBus_ : 0, channelsPerBus_);
    for (int32_t channel = 0; channel < channels; ++channel) {
        YDelayLine& line = bypassDelays_[channel];
        if (replacing)
            line.Process(inputs[channel], outputs[channel], frames);
        else
            line.ProcessAdding(inputs[channel], outputs[channel], frames);
    }
}

void YAudioPlugin::ProcessThroughUpsamplers(float** inputs, float** outputs, int32_t frames) {
    const int32_t factor = upsamplingFactor_;
    const int32_t total = factor * frames;
    float* silence = upsampledScratch_.Ensure(static_cast<uint32_t>(total));
    YVectorOps::Clear(silence, total);
    std::fill(stageInputs_.begin(), stageInputs_.end(), silence);
    std::fill(stageOutputs_.begin(), stageOutputs_.end(), silence);
    // Every channel of the road goes through a resampler, the pass-through one of the
    // single-channel modes too, so that all channels share the resampler's delay.
    for (int32_t channel = 0; channel < ioChannels_; ++channel)
        resamplers_[channel].Configure(sampleRate_, factor, highQualityUpsampling_);
    YUpsampler::Up(resamplers_.data(), ioChannels_, inputs, frames);
    for (int32_t channel = 0; channel < ioChannels_; ++channel) {
        stageInputs_[channel] = resamplers_[channel].Input();
        stageOutputs_[channel] = resamplers_[channel].Output();
    }
    ProcessRouted(stageInputs_.data(), stageOutputs_.data(), total);
    YUpsampler::Down(resamplers_.data(), ioChannels_, outputs, frames, true);

    const double level = GetOutputClipLevel();
    if (level >= 0.0)
        for (int32_t channel = 0; channel < ioChannels_; ++channel)
            YVectorOps::Clamp(outputs[channel], frames, static_cast<float>(-level), static_cast<float>(level));
}

void YAudioPlugin::ProcessRouted(float** inputs, float** outputs, int32_t frames) {
    PrepareForProcessingOnce(inputs, outputs, frames);

    std::copy(inputs, inputs + kMaxBuses * kTableStride, routedInputs_.begin());
    std::copy(outputs, outputs + kMaxBuses * kTableStride, routedOutputs_.begin());
    float** in = routedInputs_.data();
    float** out = routedOutputs_.data();
    const int32_t mode = activeChannelMode_;
    const bool stereoRouting = mode != 0 && mode != kSurroundChannelMode && ioChannels_ >= 2 && in[0] != in[1] &&
                               out[0] != out[1];
    const bool surroundRouting = mode == kSurroundChannelMode && ioChannels_ == 8;

    if (stereoRouting) {
        switch (mode) {
            case 2:
                std::swap(in[0], in[1]);
                std::swap(out[0], out[1]);
                break;
            case 3:
            case 4:
            case 5:
                YVectorOps::MidSideEncode(in[0], in[1], frames);
                if (mode == 4) {
                    std::swap(in[0], in[1]);
                    std::swap(out[0], out[1]);
                }
                break;
            case 6: YVectorOps::Multiply(in[1], frames, -1.0f); break;
            default: break;
        }
    } else if (surroundRouting) {
        // Only the enabled channels reach the engine; the others pass, delayed alike.
        int32_t kept = 0;
        for (int32_t channel = 0; channel < 8; ++channel) {
            if (surroundEnabled_[channel]) {
                in[kept] = inputs[channel];
                out[kept] = outputs[channel];
                ++kept;
            } else if (inputs[channel] != outputs[channel]) {
                surroundDelays_[channel].Process(inputs[channel], outputs[channel], frames);
            }
        }
    }

    // The engine advances the table pointers sub-block by sub-block on copies.
    std::array<float*, kTableStride> mainIn, mainOut;
    std::copy(in, in + kTableStride, mainIn.begin());
    std::copy(out, out + kTableStride, mainOut.begin());
    RunSubBlocks(in, out, frames);

    if (stereoRouting) {
        if (mode >= 1 && mode <= 4) passThroughDelay_.Process(mainIn[1], mainOut[1], frames);
        if (mode == 2 || mode == 4) std::swap(mainOut[0], mainOut[1]);
        if (mode >= 3 && mode <= 5) YVectorOps::MidSideDecode(mainOut[0], mainOut[1], frames);
    }
}

void YAudioPlugin::RunSubBlocks(float** inputs, float** outputs, int32_t frames) {
    int32_t limit = subBlockLimit_;
    bool interpolating = false;
    if (frames > interpolationBlock_ && InterpolationPrepare(frames)) {
        interpolating = true;
        limit = std::min(limit, interpolationBlock_);
    }
    if (limit < 1) limit = 256;

    if (limit < frames) {
        const double startPosition = transport.ppqPosition;
        double position = needsHostSync ? startPosition : 0.0;
        const double perSample = needsHostSync ? transport.tempo / (60.0 * effectiveRate_) : 0.0;
        int32_t left = frames;
        for (;;) {
            const int32_t count = std::min(limit, left);
            transport.ppqPosition = position;
            Process(inputs, outputs, count);
            left -= count;
            if (left == 0) break;
            position += count * perSample;
            if (interpolating) InterpolationProcess(count);
            for (int32_t i = 0; i < kMaxBuses * kTableStride; ++i) {
                inputs[i] += count;
                outputs[i] += count;
            }
        }
        transport.ppqPosition = startPosition;
    } else {
        Process(inputs, outputs, frames);
    }
    if (interpolating) InterpolationFinish();
}

bool YAudioPlugin::InterpolationPrepare(int32_t frames) {
    if (interpolationFirstBlock_) {
        interpolationFirstBlock_ = false;
        for (InterpolatedParameter& entry : interpolationList_) entry.start = GetInterpolationValue(entry);
        return false;
    }
    bool moving = false;
    for (InterpolatedParameter& entry : interpolationList_) {
        entry.target = GetInterpolationValue(entry);
        entry.interpolating = std::fabs(entry.target - entry.start) > 1e-5;
        moving |= entry.interpolating;
    }
    if (!moving) return false;
    for (InterpolatedParameter& entry : interpolationList_) {
        if (entry.interpolating) {
            entry.step = (entry.target - entry.start) / frames;
            entry.current = entry.start;
            SetInterpolationValue(entry, entry.start, true);
        } else {
            entry.start = entry.target;
        }
    }
    UpdateFromParameters();
    return true;
}

void YAudioPlugin::InterpolationProcess(int32_t frames) {
    for (InterpolatedParameter& entry : interpolationList_) {
        if (!entry.interpolating) continue;
        entry.current += frames * entry.step;
        SetInterpolationValue(entry, entry.current, true);
    }
    UpdateFromParameters();
}

void YAudioPlugin::InterpolationFinish() {
    for (InterpolatedParameter& entry : interpolationList_) {
        entry.start = entry.target;
        if (entry.interpolating) {
            entry.interpolating = false;
            SetInterpolationValue(entry, entry.target, false);
        }
    }
    UpdateFromParameters();
}
