// The harmonics generator: magnitudes and phases from a formula or from an analysed
// sample, then the post-processors. The README's "Shapes from sound" gives the
// formulas; this is them, in that order.
#include "modulation/YSignalGenerator.h"

#include "foundation/YException.h"
#include "foundation/YFormat.h"
#include "foundation/YRandom.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kHarmonics = YSignalGenerator::kMaxHarmonics;
static_assert(kHarmonics == YSampleAnalyzer::kHarmonics);

// The generator's draws: the program's linear congruential step from "Seed", so that a
// seed always gives the same spectrum; bits 16 .. 30 of each new seed, over 32768.
class SeededDraws {
public:
    explicit SeededDraws(int32_t seed) : state_(static_cast<uint32_t>(seed)) {}
    double Next() {
        state_ = YRandom::Step(state_);
        return static_cast<double>((state_ >> 16) & 0x7FFF) / 32768.0;
    }

private:
    uint32_t state_;
};

// A setting held to low .. high; one that is not a number counts as fallback.
double Held(double value, double low, double high, double fallback) {
    return std::isnan(value) ? fallback : std::clamp(value, low, high);
}

double Largest(const std::array<double, kHarmonics>& a) { return *std::max_element(a.begin(), a.end()); }

}  // namespace

bool YSignalGenerator::HarmonicsGenerator::HasSample() const {
    return std::any_of(sampleAmplitudes.begin(), sampleAmplitudes.end(), [](float a) { return a > 0; });
}

void YSignalGenerator::FlushHarmonicsGenerator() noexcept {
    if (!harmonicsPending_) return;
    RunHarmonicsGenerator();
    harmonicsPending_ = false;
}

void YSignalGenerator::RunHarmonicsGenerator() noexcept {
    const HarmonicsGenerator& g = settings_.generator;
    const double harmonicity = Held(g.harmonicity, 0, 1, 1), slope = Held(g.slope, 0, 4, 1);
    const double fullness = Held(g.fullness, 0, 1, 1);
    const double sharpen = Held(g.sharpen, 0, 1, 0), noise = Held(g.noise, 0, 1, 0), clean = Held(g.clean, 0, 1, 0);
    const double compress = Held(g.compress, 0, 1, 0), harmonize = Held(g.harmonize, 0, 1, 0);
    const bool fromSample = g.HasSample();

    std::array<double, kHarmonics> a, p;  // amplitudes and phases (cycles) of harmonics 1 ..
    SeededDraws draws(g.seed);
    for (int32_t k = 1; k <= kHarmonics; ++k) {
        // Drawn for a sample too, so that the noise draws below stay where they are.
        const double u = draws.Next(), v = draws.Next();
        if (fromSample) {
            a[k - 1] = static_cast<double>(g.sampleAmplitudes[k - 1]);
            p[k - 1] = static_cast<double>(g.samplePhases[k - 1]);
        } else {
            a[k - 1] = std::pow(k, -slope) * (k % 2 == 0 ? fullness : 1.0) * (harmonicity + (1 - harmonicity) * u);
            p[k - 1] = (1 - harmonicity) * v;
        }
    }
    for (int32_t k = 1; k <= kHarmonics; ++k) {
        double& amplitude = a[k - 1];
        amplitude *= std::pow(k, sharpen);
        const double u = draws.Next(), v = draws.Next();
        amplitude *= std::max(0.0, 1 + noise * (2 * u - 1));
        p[k - 1] += noise * (v - 0.5);
    }
    const double threshold = clean * Largest(a);
    for (double& amplitude : a)
        if (amplitude < threshold) amplitude = 0;
    const double largest = Largest(a);
    for (int32_t k = 0; k < kHarmonics; ++k) {
        double relative = largest > 0 ? a[k] / largest : 0;
        if (relative > 0) relative = std::pow(relative, 1 - compress);
        double phase = p[k] - std::floor(p[k] + 0.5);  // -0.5 .. 0.5
        phase *= 1 - harmonize;
        phase -= std::floor(phase);
        // The render plays the square of a magnitude.
        settings_.magnitudes[k] = static_cast<float>(std::sqrt(relative));
        settings_.phases[k] = phase < 1 ? static_cast<float>(phase) : 0.0f;
    }
}

YSampleAnalyzer::Result YSignalGenerator::LoadSample(const YString& path) {
    return LoadSample(YAudioFileReader::ReadFile(path), path);
}

YSampleAnalyzer::Result YSignalGenerator::LoadSample(const YAudioData& sound, const YString& path) {
    YSampleAnalyzer::Settings analysis;
    {
        YScopedLock hold(Lock());
        analysis.position = settings_.generator.samplePosition;
        analysis.minimumPitch = settings_.generator.fundamentalMinimum;
        analysis.periods = settings_.generator.sampleRatio;
    }
    YSampleAnalyzer::Result result = YSampleAnalyzer::Analyze(sound, analysis);
    if (result.outcome != YSampleAnalyzer::Outcome::kAnalyzed) return result;
    YScopedLock hold(Lock());
    std::copy(result.table.begin(), result.table.end(), settings_.customTable.begin());
    settings_.generator.sampleAmplitudes = result.amplitudes;
    settings_.generator.samplePhases = result.phases;
    settings_.generator.sampleFilePath = path;
    harmonicsPending_ = true;
    changed_.store(true);
    return result;
}

YString YSignalGenerator::SampleMessage(const YSampleAnalyzer::Result& result) {
    switch (result.outcome) {
        case YSampleAnalyzer::Outcome::kTooShort:
            return TranslateText("Sample not loaded or too short.");
        case YSampleAnalyzer::Outcome::kNoPitch:
            return TranslateText("Unable to detect sample pitch.");
        case YSampleAnalyzer::Outcome::kAnalyzed:
            break;
    }
    return YFormat(TranslateText("Sample analyzed successfuly.\nDetected pitch {0}Hz, length of a period {1} samples"))
        .Arg(result.pitch)
        .Arg(result.period);
}
