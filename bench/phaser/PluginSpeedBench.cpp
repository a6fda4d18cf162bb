// The speed of the whole plug-in, each figure next to what bounds it. Every case
// times its subject and its reference alternately, iteration by iteration, and
// reports the medians and their ratio: load from other processes hits both alike.
//
//   Plugin/<stages>/<factor>/<hq>   ProcessAudio of the whole plug-in (phaser at its
//                                   defaults but the stage count) against the effect's
//                                   ProcessBlock alone on the same work (factor x the
//                                   frames at factor x the rate)
//   Resampler/<factor>/<hq>         the way up and down of a stereo block against the
//                                   same number of multiply-adds at the processor's
//                                   peak (single precision for the linear-phase
//                                   filters, double for the recursive one)
//   Macros                          ProcessAudio with all four multiparameters ramping
//                                   (three targets each) and 32 controller slots
//                                   answering a controller every block, against the
//                                   plain plug-in
//   EffectVsChain/2/10              ProcessBlock against its all-pass chain alone
//   EffectVsSerialBound/2/100       ProcessBlock against a bare chain of dependent
//                                   multiply-adds, as many as the stages
//   DenormalInput/<stages>          ProcessAudio of three instances fed silence,
//                                   noise at -300 dB and noise at -6 dB, timed in
//                                   turn: ns per sample per channel of each, and the
//                                   quiet inputs' cost against the loud one's
//
// Stereo, 512-frame blocks at 48 kHz; ns_per_frame counts host frames.
#include "ChainBlock.h"
#include "engine/YAudioEffectPluginToAudioPluginAdapter.h"
#include "foundation/YSynchronizer.h"
#include "phaser/VortalisAudioEffectPlugin.h"
#include "shell/CreateAudioPlugin.h"
#include "shell/YUpsampler.h"

#include <benchmark/benchmark.h>
#include <immintrin.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kFrames = 512;
constexpr double kRate = 48000.0;
using P = VortalisAudioEffectPlugin;

double Median(std::vector<double>& values) {
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2), values.end());
    return values[values.size() / 2];
}

template <class Subject, class Reference>
void Paired(benchmark::State& state, Subject subject, Reference reference) {
    using Clock = std::chrono::steady_clock;
    std::vector<double> subjectTimes, referenceTimes;
    for (auto _ : state) {
        const auto start = Clock::now();
        subject();
        const auto middle = Clock::now();
        reference();
        const auto end = Clock::now();
        const double s = std::chrono::duration<double>(middle - start).count();
        subjectTimes.push_back(s);
        referenceTimes.push_back(std::chrono::duration<double>(end - middle).count());
        state.SetIterationTime(s);
    }
    const double s = Median(subjectTimes), r = Median(referenceTimes);
    state.counters["ns_per_frame"] = s * 1e9 / kFrames;
    state.counters["reference_ns_per_frame"] = r * 1e9 / kFrames;
    state.counters["ratio"] = s / r;
}

struct StereoBlock {
    std::vector<float> left, right;
    float* table[16] = {};
    explicit StereoBlock(int frames) : left(static_cast<std::size_t>(frames)), right(static_cast<std::size_t>(frames)) {
        for (int i = 0; i < frames; ++i) {
            left[i] = static_cast<float>(0.5 * std::sin(0.05 * i));
            right[i] = static_cast<float>(0.5 * std::cos(0.031 * i));
        }
        table[0] = left.data();
        table[1] = right.data();
    }
};

void Plugin(benchmark::State& state) {
    const int stages = static_cast<int>(state.range(0)), factor = static_cast<int>(state.range(1));
    const bool highQuality = state.range(2) != 0;
    std::unique_ptr<YAudioPlugin> plugin(CreateAudioPlugin());
    auto& engine = static_cast<YAudioEffectPluginToAudioPluginAdapter&>(*plugin);
    static_cast<P*>(engine.Effect())->Definition(P::kMode).value = stages;
    plugin->SetSampleRate(kRate);
    plugin->SetChannels(2, 2);
    plugin->UpdateUpsamplingFactor(factor, highQuality);
    plugin->InitProcessing();

    P effect;
    YLock mutex;
    effect.AttachHost(nullptr, &mutex);
    effect.Definition(P::kMode).value = stages;
    effect.Prepare(2, kRate * factor);
    effect.UpdateFromParameters();

    // Both see a fixed input and write elsewhere: the plug-in's road adds the
    // denormal offset to its inputs in place, so its input drifts by 1e-15 a block.
    StereoBlock in(kFrames), out(kFrames), effectIn(kFrames * factor), effectOut(kFrames * factor);
    HostTransport context;
    Paired(
        state, [&] { plugin->ProcessAudio(in.table, out.table, kFrames, true); },
        [&] { effect.ProcessBlock(context, effectIn.table, effectOut.table, kFrames * factor); });
}
BENCHMARK(Plugin)
    ->ArgNames({"stages", "factor", "hq"})
    ->ArgsProduct({{10, 100}, {1}, {0}})
    ->ArgsProduct({{10, 100}, {2, 4}, {0, 1}})
    ->UseManualTime();

// One instance of the product, prepared for stereo at kRate.
std::unique_ptr<YAudioPlugin> Prepared() {
    std::unique_ptr<YAudioPlugin> plugin(CreateAudioPlugin());
    plugin->SetSampleRate(kRate);
    plugin->SetChannels(2, 2);
    plugin->InitProcessing();
    return plugin;
}

void Macros(benchmark::State& state) {
    std::unique_ptr<YAudioPlugin> busy = Prepared(), plain = Prepared();
    auto& engine = static_cast<YAudioEffectPluginToAudioPluginAdapter&>(*busy);
    const int targets[3] = {P::kDryWet, P::kFeedback, P::kMinFrequency};
    for (int m = 0; m < YMultiParameter::kCount; ++m) {
        YMultiParameter& multi = engine.MultiParameter(m);
        multi.enabled = true;
        multi.mode = m % 2 ? YMultiParameter::kTrigger : YMultiParameter::kSwitch;
        multi.switchTime = 0.05;  // a ramp every few blocks
        multi.targets.resize(3);
        for (int k = 0; k < 3; ++k) {
            multi.targets[k].enabled = true;
            multi.targets[k].parameter = targets[k];
            multi.targets[k].rangeMode = k;
        }
    }
    YMIDIControllers& tables = engine.MIDIControllers();
    tables.controllersEnabled = true;
    for (int n = 0; n < YMIDIControllers::kSlots; ++n) {
        tables.controllers[n].enabled = true;
        tables.controllers[n].controller = 74;
        tables.controllers[n].parameter = targets[n % 3];
    }
    StereoBlock in(kFrames), out(kFrames), plainOut(kFrames);
    int block = 0;
    Paired(
        state,
        [&] {
            // Every macro switches on or fires every eight blocks, off again four later.
            for (int m = 0; m < YMultiParameter::kCount; ++m)
                if ((block + m) % 4 == 0) engine.MultiParameter(m).SetValue((block + m) % 8 == 0 ? 1.0 : 0.0);
            busy->ProcessMIDIEvent(0, 0xB0, 74, static_cast<uint8_t>(block % 128));
            busy->ProcessAudio(in.table, out.table, kFrames, true);
            ++block;
        },
        [&] { plain->ProcessAudio(in.table, plainOut.table, kFrames, true); });
}
BENCHMARK(Macros)->UseManualTime();

// Denormal-range work must cost no more than loud input: silence and noise far below
// hearing decay through the feedback and the all-pass memories towards the smallest
// numbers the processor has, where some processors slow down many times over.
void DenormalInput(benchmark::State& state) {
    const int stages = static_cast<int>(state.range(0));
    constexpr int kChannels = 2, kBlocks = 16;
    const double levels[3] = {0.0, std::pow(10.0, -300.0 / 20.0), std::pow(10.0, -6.0 / 20.0)};
    std::unique_ptr<YAudioPlugin> plugins[3];
    std::vector<std::vector<float>> sources[3];  // kBlocks blocks of noise per level, channel after channel
    uint32_t seed = 1;
    for (int level = 0; level < 3; ++level) {
        plugins[level].reset(CreateAudioPlugin());
        auto& engine = static_cast<YAudioEffectPluginToAudioPluginAdapter&>(*plugins[level]);
        static_cast<P*>(engine.Effect())->Definition(P::kMode).value = stages;
        static_cast<P*>(engine.Effect())->Definition(P::kFeedback).value = 0.9;
        plugins[level]->SetSampleRate(kRate);
        plugins[level]->SetChannels(kChannels, kChannels);
        plugins[level]->InitProcessing();
        sources[level].assign(kBlocks * kChannels, std::vector<float>(kFrames));
        for (auto& channel : sources[level])
            for (float& x : channel) {
                seed = seed * 1664525u + 1013904223u;
                x = static_cast<float>(levels[level] * (static_cast<double>(seed >> 8) / 8388608.0 - 1.0));
            }
    }
    // The road adds its offset to the inputs in place: each block is copied in first.
    std::vector<float> inputs(kChannels * kFrames), outputs(kChannels * kFrames);
    float* in[kChannels] = {inputs.data(), inputs.data() + kFrames};
    float* out[kChannels] = {outputs.data(), outputs.data() + kFrames};
    using Clock = std::chrono::steady_clock;
    std::vector<double> times[3];
    int block = 0;
    for (auto _ : state) {
        double total = 0.0;
        for (int level = 0; level < 3; ++level) {
            for (int c = 0; c < kChannels; ++c)
                std::copy(sources[level][block * kChannels + c].begin(), sources[level][block * kChannels + c].end(), in[c]);
            const auto start = Clock::now();
            plugins[level]->ProcessAudio(in, out, kFrames, true);
            const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
            times[level].push_back(seconds);
            total += seconds;
        }
        block = (block + 1) % kBlocks;
        state.SetIterationTime(total);
    }
    const char* names[3] = {"silence", "minus300dB", "minus6dB"};
    double medians[3];
    for (int level = 0; level < 3; ++level) {
        medians[level] = Median(times[level]);
        state.counters[std::string(names[level]) + "_ns_per_sample_channel"] = medians[level] * 1e9 / (kFrames * kChannels);
    }
    state.counters["silence_ratio"] = medians[0] / medians[2];
    state.counters["minus300dB_ratio"] = medians[1] / medians[2];
}
BENCHMARK(DenormalInput)->ArgNames({"stages"})->Arg(10)->Arg(100)->UseManualTime()->MinTime(2.0);

namespace portable {
#include "PeakLoop.h"
}  // namespace portable

struct PortableSingle {
    using Vector = __m128;
    static constexpr int kLanes = 4;
    static Vector Set(double x) { return _mm_set1_ps(static_cast<float>(x)); }
    static Vector MultiplyAdd(Vector x, Vector a, Vector b) { return _mm_add_ps(_mm_mul_ps(x, a), b); }
};
struct PortableDouble {
    using Vector = __m128d;
    static constexpr int kLanes = 2;
    static Vector Set(double x) { return _mm_set1_pd(x); }
    static Vector MultiplyAdd(Vector x, Vector a, Vector b) { return _mm_add_pd(_mm_mul_pd(x, a), b); }
};

void PeakPortable(int64_t multiplyAdds, bool singlePrecision) {
    singlePrecision ? portable::PeakLoop<PortableSingle>(multiplyAdds) : portable::PeakLoop<PortableDouble>(multiplyAdds);
}

#pragma GCC push_options
#pragma GCC target("avx2,fma")
namespace fused {
#include "PeakLoop.h"
}  // namespace fused

struct FusedSingle {
    using Vector = __m256;
    static constexpr int kLanes = 8;
    static Vector Set(double x) { return _mm256_set1_ps(static_cast<float>(x)); }
    static Vector MultiplyAdd(Vector x, Vector a, Vector b) { return _mm256_fmadd_ps(x, a, b); }
};
struct FusedDouble {
    using Vector = __m256d;
    static constexpr int kLanes = 4;
    static Vector Set(double x) { return _mm256_set1_pd(x); }
    static Vector MultiplyAdd(Vector x, Vector a, Vector b) { return _mm256_fmadd_pd(x, a, b); }
};

void PeakFused(int64_t multiplyAdds, bool singlePrecision) {
    singlePrecision ? fused::PeakLoop<FusedSingle>(multiplyAdds) : fused::PeakLoop<FusedDouble>(multiplyAdds);
}

// Per sample, as many dependent multiply-adds as stages on two channels in one
// register: no all-pass cascade with feedback can run faster on this processor.
void SerialFused(int stages, double* state) {
    __m128d v = _mm_loadu_pd(state), a = _mm_set1_pd(0.999), c = _mm_set1_pd(1e-3);
    for (int i = 0; i < kFrames; ++i)
        for (int k = 0; k < stages; ++k) v = _mm_fmadd_pd(v, a, c);
    _mm_storeu_pd(state, v);
}
#pragma GCC pop_options

void SerialPortable(int stages, double* state) {
    __m128d v = _mm_loadu_pd(state), a = _mm_set1_pd(0.999), c = _mm_set1_pd(1e-3);
    for (int i = 0; i < kFrames; ++i)
        for (int k = 0; k < stages; ++k) v = _mm_add_pd(_mm_mul_pd(v, a), c);
    _mm_storeu_pd(state, v);
}

void Resampler(benchmark::State& state) {
    const int factor = static_cast<int>(state.range(0));
    const bool highQuality = state.range(1) != 0;
    YUpsampler resamplers[2];
    for (YUpsampler& r : resamplers) r.Configure(kRate, factor, highQuality);
    StereoBlock in(kFrames), out(kFrames);
    // Multiply-adds per host frame and channel: the polyphase branches on the way
    // up and the kept outputs on the way down, or ten second-order sections (five
    // multiply-adds each) over every processing-rate sample in both directions.
    const auto taps = static_cast<int64_t>(resamplers[0].Taps().size());
    const int64_t perFrame = highQuality ? factor * ((taps + factor - 1) / factor) + taps : 2 * factor * 10 * 5;
    const int64_t multiplyAdds = 2 * perFrame * kFrames;
    const bool fused = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    Paired(
        state,
        [&] {
            YUpsampler::Up(resamplers, 2, in.table, kFrames);
            YUpsampler::Down(resamplers, 2, out.table, kFrames, true);
        },
        [&] { fused ? PeakFused(multiplyAdds, highQuality) : PeakPortable(multiplyAdds, highQuality); });
}
BENCHMARK(Resampler)->ArgNames({"factor", "hq"})->ArgsProduct({{2, 4}, {0, 1}})->UseManualTime();

struct Effect {
    P effect;
    YLock mutex;
    StereoBlock in{kFrames}, out{kFrames};
    HostTransport context;
    explicit Effect(int stages) {
        effect.AttachHost(nullptr, &mutex);
        effect.Definition(P::kMode).value = stages;
        effect.Prepare(2, kRate);
        effect.UpdateFromParameters();
    }
    void Run() { effect.ProcessBlock(context, in.table, out.table, kFrames); }
};

void EffectVsChain(benchmark::State& state) {
    const int channels = static_cast<int>(state.range(0)), stages = static_cast<int>(state.range(1));
    Effect effect(stages);
    AllPassChain chain;
    ChainBlock block(channels, kFrames);
    Paired(state, [&] { effect.Run(); }, [&] { block.Run(chain, stages); });
}
BENCHMARK(EffectVsChain)->ArgNames({"channels", "stages"})->Args({2, 10})->UseManualTime();

void EffectVsSerialBound(benchmark::State& state) {
    const int stages = static_cast<int>(state.range(1));
    Effect effect(stages);
    const bool fused = AllPassChain::Best() == AllPassChain::Implementation::Fused;
    double chainState[2] = {0.1, 0.2};
    Paired(state, [&] { effect.Run(); },
           [&] { fused ? SerialFused(stages, chainState) : SerialPortable(stages, chainState); });
}
BENCHMARK(EffectVsSerialBound)->ArgNames({"channels", "stages"})->Args({2, 100})->UseManualTime();

}  // namespace
