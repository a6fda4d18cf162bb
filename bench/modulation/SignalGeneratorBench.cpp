#include "modulation/YEnvelopeComputer.h"
#include "modulation/YGaussianSmoother.h"
#include "modulation/YSignalGenerator.h"
#include "support/EveryLayerShape.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

using Env = YEnvelopeComputer;

// The render runs on the audio thread in the block after a shape edit; the counter
// gives one render as a fraction of a 512-frame block at 48 kHz (10.7 ms).
void ReportBlockFraction(benchmark::State& state) {
    state.counters["of_block"] = benchmark::Counter(static_cast<double>(state.iterations()) * 512 / 48000,
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void RenderEverythingOn(benchmark::State& state) {
    auto g = std::make_unique<YSignalGenerator>();
    SetEveryLayer(*g, static_cast<double>(state.range(0)) / 100);
    for (auto _ : state) {
        g->SetChanged();
        benchmark::DoNotOptimize(g->Changed());
    }
    ReportBlockFraction(state);
}
// Smoothness 0, 0.05 (direct convolution) and 1.0 (radius 256, through the FFT), in hundredths.
BENCHMARK(RenderEverythingOn)->Arg(0)->Arg(5)->Arg(100)->Unit(benchmark::kMicrosecond);

void RenderHarmonics256(benchmark::State& state) {
    auto g = std::make_unique<YSignalGenerator>();
    g->SetMode(YSignalGenerator::kHarmonicsMode);
    g->SetHarmonicsCount(256);
    for (int32_t k = 1; k <= 256; ++k) g->SetHarmonic(k, 1.0f / static_cast<float>(k), 0.37f * static_cast<float>(k));
    for (auto _ : state) {
        g->SetChanged();
        benchmark::DoNotOptimize(g->Changed());
    }
    ReportBlockFraction(state);
}
BENCHMARK(RenderHarmonics256)->Unit(benchmark::kMicrosecond);

// Where the direct convolution stops paying: radius given as the argument.
void SmoothDirect(benchmark::State& state) {
    YGaussianSmoother smoother;
    std::vector<float> data(YGaussianSmoother::kSize);
    double smoothness = static_cast<double>(state.range(0)) / 256;
    for (auto _ : state) {
        smoother.ApplyDirect(data.data(), smoothness);
        benchmark::DoNotOptimize(data.data());
    }
}
BENCHMARK(SmoothDirect)->Arg(8)->Arg(24)->Arg(64)->Arg(256)->Unit(benchmark::kMicrosecond);

void SmoothFFT(benchmark::State& state) {
    YGaussianSmoother smoother;
    std::vector<float> data(YGaussianSmoother::kSize);
    double smoothness = static_cast<double>(state.range(0)) / 256;
    for (auto _ : state) {
        smoother.ApplyFFT(data.data(), smoothness);
        benchmark::DoNotOptimize(data.data());
    }
}
BENCHMARK(SmoothFFT)->Arg(8)->Arg(256)->Unit(benchmark::kMicrosecond);

// One drawn-curve layer: a run of 8192 values over a curve of every segment type.
void EnvelopeRun(benchmark::State& state) {
    Env curve;
    std::vector<Env::Point> points;
    for (int32_t i = 0; i <= 24; ++i) {
        Env::Point p = Env::NewPoint(i / 24.0, std::sin(i * 1.3));
        p.type = i % Env::kTypeCount;
        p.curvature = i % 2 ? 0.4 : -0.3;
        p.horizontalCurvature = 0.25;
        points.push_back(p);
    }
    curve.SetPoints(points);
    std::vector<double> out(8192);
    for (auto _ : state) {
        curve.Run(out.data(), 0, 1.0 / 8192, 8192);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["per_value"] = benchmark::Counter(static_cast<double>(state.iterations()) * 8192,
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(EnvelopeRun)->Unit(benchmark::kMicrosecond);

}  // namespace
