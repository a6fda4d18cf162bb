#include "ChainBlock.h"
#include "foundation/YSynchronizer.h"
#include "phaser/AllPassChain.h"
#include "phaser/VortalisAudioEffectPlugin.h"

#include <benchmark/benchmark.h>
#include <immintrin.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kFrames = 512;

void ReportPerStageSampleChannel(benchmark::State& state, int channels, int stages) {
    // Seconds per 1e-9 units of work: nanoseconds per stage per sample per channel.
    state.counters["ns_per_stage_sample_channel"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kFrames * stages * channels * 1e-9,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The fastest any all-pass cascade with feedback can go on this processor: per
// sample, a chain of N dependent multiply-adds on two channels held in one register
// (fused where the processor can, as the phaser is).
__attribute__((target("fma"))) double SerialChainFused(int stages, double* state) {
    __m128d v = _mm_loadu_pd(state), a = _mm_set1_pd(0.999), c = _mm_set1_pd(1e-3);
    for (int i = 0; i < kFrames; ++i)
        for (int k = 0; k < stages; ++k) v = _mm_fmadd_pd(v, a, c);
    _mm_storeu_pd(state, v);
    return state[0];
}

double SerialChainPortable(int stages, double* state) {
    __m128d v = _mm_loadu_pd(state), a = _mm_set1_pd(0.999), c = _mm_set1_pd(1e-3);
    for (int i = 0; i < kFrames; ++i)
        for (int k = 0; k < stages; ++k) v = _mm_add_pd(_mm_mul_pd(v, a), c);
    _mm_storeu_pd(state, v);
    return state[0];
}

void SerialMultiplyAddBound(benchmark::State& state) {
    const int stages = static_cast<int>(state.range(0));
    const bool fused = AllPassChain::Best() == AllPassChain::Implementation::Fused;
    alignas(16) double chainState[2] = {0.1, 0.2};
    for (auto _ : state) benchmark::DoNotOptimize(fused ? SerialChainFused(stages, chainState) : SerialChainPortable(stages, chainState));
    ReportPerStageSampleChannel(state, 2, stages);
}
BENCHMARK(SerialMultiplyAddBound)->Arg(10)->Arg(100);

void AllPassChainRun(benchmark::State& state) {
    const int channels = static_cast<int>(state.range(0)), stages = static_cast<int>(state.range(1));
    AllPassChain chain;
    ChainBlock block(channels, kFrames);
    for (auto _ : state) {
        block.Run(chain, stages);
        benchmark::DoNotOptimize(block.out[0].data());
    }
    ReportPerStageSampleChannel(state, channels, stages);
}
BENCHMARK(AllPassChainRun)->Args({2, 10})->Args({2, 100})->Args({8, 10})->Args({8, 100});

// The whole effect per 512-frame block at 48 kHz with default settings but the
// stage count: LFO, sweep, coefficients, chain, saturation and mix.
void PhaserProcessBlock(benchmark::State& state) {
    const int channels = static_cast<int>(state.range(0)), stages = static_cast<int>(state.range(1));
    VortalisAudioEffectPlugin phaser;
    YLock mutex;
    phaser.AttachHost(nullptr, &mutex);
    phaser.Definition(VortalisAudioEffectPlugin::kMode).value = stages;
    phaser.Definition(VortalisAudioEffectPlugin::kSaturation).value = 0.3;
    phaser.Prepare(channels, 48000.0);
    phaser.UpdateFromParameters();
    std::vector<std::vector<float>> buffers(static_cast<std::size_t>(channels), std::vector<float>(kFrames));
    std::vector<float*> pointers;
    for (auto& buffer : buffers) {
        for (int i = 0; i < kFrames; ++i) buffer[i] = static_cast<float>(0.5 * std::sin(0.05 * i));
        pointers.push_back(buffer.data());
    }
    HostTransport context;
    for (auto _ : state) {
        phaser.ProcessBlock(context, pointers.data(), pointers.data(), kFrames);
        benchmark::DoNotOptimize(buffers[0].data());
    }
    ReportPerStageSampleChannel(state, channels, stages);
}
BENCHMARK(PhaserProcessBlock)->Args({2, 10})->Args({2, 100})->Args({8, 10})->Args({8, 100});

}  // namespace
