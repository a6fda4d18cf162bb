// The editor's work per refresh: repainting the whole window (a page change, a resize,
// a state load) and one idle with the LFO moving (what every timer tick costs), at
// scale 1 and 2; and what the editor holds in memory.
#include "editor/VortalisEditor.h"
#include "editor/YWindow.h"
#include "engine/YYorvaneAudioEffectPlugin.h"
#include "phaser/VortalisAudioEffectPlugin.h"
#include "shell/CreateAudioPlugin.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <memory>

namespace {

struct OpenEditor {
    std::unique_ptr<YAudioPlugin> plugin;
    VortalisEditor* editor = nullptr;
    double megabytes = 0.0;  // what creating and painting the editor took from the heap

    OpenEditor(float scale, int page) : plugin(CreateAudioPlugin()) {
        plugin->SetSampleRate(48000.0);
        plugin->SetChannels(2, 2);
        const std::size_t before = mallinfo2().uordblks;
        plugin->CreateEditor(nullptr);
        plugin->FinishEditorCreation();
        editor = static_cast<VortalisEditor*>(plugin->Editor());
        editor->SetScale(scale);
        editor->ShowPage(static_cast<VortalisEditor::Page>(page));
        editor->PaintAll();
        megabytes = static_cast<double>(mallinfo2().uordblks - before) / (1024.0 * 1024.0);
    }
    VortalisAudioEffectPlugin& Effect() {
        return static_cast<VortalisAudioEffectPlugin&>(*static_cast<YYorvaneAudioEffectPlugin&>(*plugin).Effect());
    }
};

void Report(benchmark::State& state, const OpenEditor& open) {
    const YPixelBuffer& pixels = open.editor->Window().Pixels();
    state.counters["pixels"] = static_cast<double>(pixels.Width()) * pixels.Height();
    state.counters["editor_MB"] = open.megabytes;
    // The share of a 30 Hz refresh period one pass takes.
    state.counters["of_30Hz"] = benchmark::Counter(static_cast<double>(state.iterations()) / 30.0,
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Every page at scale 1, and the two busiest (phaser, shape) at scale 2.
void EveryPage(benchmark::internal::Benchmark* bench) {
    const auto pages = static_cast<int64_t>(VortalisEditor::PageNames().size());
    for (int64_t page = 0; page < pages; ++page) bench->Args({100, page});
    bench->Args({200, 0})->Args({200, 1});
}

// Args: scale in per cent, page (its place in VortalisEditor::PageNames()).
void RedrawWholeWindow(benchmark::State& state) {
    OpenEditor open(static_cast<float>(state.range(0)) / 100.0f, static_cast<int>(state.range(1)));
    for (auto _ : state) {
        open.editor->Window().InvalidateAll();
        benchmark::DoNotOptimize(open.editor->Window().Paint());
    }
    Report(state, open);
}
BENCHMARK(RedrawWholeWindow)->Apply(EveryPage)->Unit(benchmark::kMillisecond);

void IdleWithTheLFOMoving(benchmark::State& state) {
    OpenEditor open(static_cast<float>(state.range(0)) / 100.0f, static_cast<int>(state.range(1)));
    double phase = 0.0;
    for (auto _ : state) {
        phase += 1.0 / 60.0;
        open.Effect().SetPhase(phase - static_cast<int>(phase));
        open.editor->Idle();
    }
    Report(state, open);
}
BENCHMARK(IdleWithTheLFOMoving)->Apply(EveryPage)->Unit(benchmark::kMillisecond);

}  // namespace
