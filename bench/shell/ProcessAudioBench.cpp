#include "foundation/YSynchronizer.h"
#include "shell/YAudioPlugin.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

// The road around an effect that copies its input: what the road itself costs.
class IdentityPlugin : public YAudioPlugin {
public:
    void InitProcessing() override {
        YScopedLock parameters(parameterLock);
        YScopedLock editor(editorLock);
        YScopedLock processing(processingLock);
        PrepareRoad(0, nullptr, {});
    }

protected:
    void Process(float** inputs, float** outputs, int32_t frames) override {
        for (int32_t channel = 0; channel < ProcessedChannels(); ++channel)
            for (int32_t i = 0; i < frames; ++i) outputs[channel][i] = inputs[channel][i];
    }
};

// Arguments: upsampling factor, high quality (0/1), gain compensation (0/1).
// 512-frame stereo blocks at 48 kHz.
void ProcessAudioRoad(benchmark::State& state) {
    const int frames = 512;
    IdentityPlugin plugin;
    plugin.SetSampleRate(48000.0);
    plugin.UpdateUpsamplingFactor(static_cast<int32_t>(state.range(0)), state.range(1) != 0);
    plugin.SetAGCEnabled(state.range(2) != 0);
    plugin.InitProcessing();
    std::vector<float> left(frames), right(frames), outLeft(frames), outRight(frames);
    for (int i = 0; i < frames; ++i) left[i] = right[i] = static_cast<float>(std::sin(0.01 * i));
    float* inputs[YAudioPlugin::kMaxBuses * YAudioPlugin::kTableStride] = {left.data(), right.data()};
    float* outputs[YAudioPlugin::kMaxBuses * YAudioPlugin::kTableStride] = {outLeft.data(), outRight.data()};
    for (auto _ : state) {
        plugin.ProcessAudio(inputs, outputs, frames, true);
        benchmark::DoNotOptimize(outLeft.data());
    }
    // Seconds per 1e-9 frames: nanoseconds per frame.
    state.counters["ns_per_frame"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * frames * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(ProcessAudioRoad)
    ->Args({1, 0, 0})
    ->Args({1, 0, 1})
    ->Args({2, 0, 0})
    ->Args({2, 1, 0})
    ->Args({4, 0, 0})
    ->Args({4, 1, 0});

}  // namespace
