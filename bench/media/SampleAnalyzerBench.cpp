// A shape made from a 10 s recording, as the editor's sample button makes it on the
// user-interface thread: the file read from memory, then the analysis.
#include "foundation/YMemoryStream.h"
#include "media/YAudioFileReader.h"
#include "media/YSampleAnalyzer.h"
#include "support/AudioFileWriter.h"
#include "support/SampleSignals.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr double kRate = 48000;

// 10 s of a 110 Hz sawtooth with noise at -30 dB, stereo.
std::vector<float> TenSeconds() {
    const std::vector<float> mono = Periodic(110, kRate, 10, [](double p) { return BandLimitedSaw(p, 40); }, -30);
    std::vector<float> stereo;
    for (float v : mono) stereo.insert(stereo.end(), {v, 0.5f * v});
    return stereo;
}

void ReadTenSecondWav(benchmark::State& state) {
    const std::vector<uint8_t> file = WriteAudioFile(TenSeconds(), 2, kRate, {"WAV 24-bit", AudioFileFormat::kWav, 24, false, ""});
    for (auto _ : state) {
        YMemoryStream stream(YByteBuffer::Borrow(file.data(), file.size()));
        benchmark::DoNotOptimize(YAudioFileReader::Read(stream, "bench.wav"));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}
BENCHMARK(ReadTenSecondWav)->Unit(benchmark::kMillisecond);

// The lowest pitch accepted sets the window: 20 Hz (the default) and 100 Hz.
void AnalyseTenSeconds(benchmark::State& state) {
    YAudioData sound;
    sound.channels = 2;
    sound.sampleRate = kRate;
    sound.samples = TenSeconds();
    YSampleAnalyzer::Settings settings;
    settings.position = 2.5;
    settings.minimumPitch = static_cast<double>(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(YSampleAnalyzer::Analyze(sound, settings));
}
BENCHMARK(AnalyseTenSeconds)->Arg(20)->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace
