// The harmonics generator (formula, post-processors, analysed samples) and the shape's
// self-contained storage of what a sample made.
#include "modulation/YSignalGenerator.h"

#include "foundation/YException.h"
#include "foundation/YStoreArchive.h"
#include "foundation/YXMLItem.h"
#include "support/AudioFileWriter.h"
#include "support/SampleSignals.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <numbers>
#include <thread>
#include <vector>

namespace {

using Gen = YSignalGenerator;
constexpr int kN = Gen::kSize;

std::unique_ptr<Gen> Make() { return std::make_unique<Gen>(); }

// The amplitude harmonic k plays: the square of its magnitude.
double Amplitude(Gen& g, int k) {
    const double m = g.GetSettings().magnitudes[k - 1];
    return m * m;
}
double Phase(Gen& g, int k) { return g.GetSettings().phases[k - 1]; }

std::vector<float> Rendered(Gen& g) {
    g.Changed();
    return std::vector<float>(g.Table(), g.Table() + kN + 1);
}

TEST(YSignalGeneratorHarmonics, FormulaAndPostProcessors) {
    struct Case {
        const char* name;
        std::function<void(Gen&)> set;
        std::function<double(int)> amplitude;  // expected for k = 1 .. 256 (relative to the largest); null: not checked
    };
    const Case cases[] = {
        {"default: 1/k", [](Gen&) {}, [](int k) { return 1.0 / k; } },
        {"Slope 2", [](Gen& g) { g.SetSlope(2); }, [](int k) { return 1.0 / (k * k); } },
        {"Fullness 0: odd only", [](Gen& g) { g.SetFullness(0); }, [](int k) { return k % 2 ? 1.0 / k : 0.0; } },
        {"Fullness 0.5", [](Gen& g) { g.SetFullness(0.5); }, [](int k) { return (k % 2 ? 1.0 : 0.5) / k; } },
        {"Sharpen 1: flat", [](Gen& g) { g.SetPostProcessSharpen(1); }, [](int) { return 1.0; } },
        {"Clean 0.3", [](Gen& g) { g.SetPostProcessClean(0.3); }, [](int k) { return k <= 3 ? 1.0 / k : 0.0; } },
        {"Compress 0.5", [](Gen& g) { g.SetPostProcessCompress(0.5); }, [](int k) { return std::sqrt(1.0 / k); } },
        {"Compress 1 after Clean", [](Gen& g) { g.SetPostProcessClean(0.1), g.SetPostProcessCompress(1); },
         [](int k) { return k <= 10 ? 1.0 : 0.0; } },
        {"Harmonize 1 aligns random phases", [](Gen& g) { g.SetHarmonicity(0), g.SetPostProcessHarmonize(1); }, nullptr },
        {"Slope held to 0 .. 4", [](Gen& g) { g.SetSlope(9); }, [](int k) { return std::pow(k, -4.0); } },
    };
    for (const Case& c : cases) {
        auto g = Make();
        g->SetSeed(1);  // a generator step even where the case sets nothing
        c.set(*g);
        g->Changed();
        for (int k = 1; k <= Gen::kMaxHarmonics; ++k) {
            if (c.amplitude) {
                ASSERT_NEAR(Amplitude(*g, k), c.amplitude(k), 1e-6) << c.name << ", harmonic " << k;
            }
            ASSERT_EQ(Phase(*g, k), 0) << c.name << ", harmonic " << k;  // all in cosine phase
        }
    }
}

TEST(YSignalGeneratorHarmonics, RandomnessFollowsTheSeedOnly) {
    auto spectrum = [](int32_t seed, double harmonize) {
        auto g = Make();
        g->SetSeed(seed);
        g->SetHarmonicity(0.3);
        g->SetPostProcessNoise(0.5);
        g->SetPostProcessHarmonize(harmonize);
        g->Changed();
        return std::make_pair(g->GetSettings().magnitudes, g->GetSettings().phases);
    };
    const auto a = spectrum(77, 0), b = spectrum(77, 0), c = spectrum(78, 0), half = spectrum(77, 0.5);
    EXPECT_EQ(a, b);
    EXPECT_NE(a.first, c.first);
    EXPECT_NE(a.second, c.second);
    // Harmonize halves each phase's distance from 0 (phases read in -0.5 .. 0.5).
    EXPECT_EQ(half.first, a.first);
    for (int k = 0; k < Gen::kMaxHarmonics; ++k) {
        const double centred = a.second[k] - std::floor(a.second[k] + 0.5);
        const double expected = 0.5 * centred - std::floor(0.5 * centred);
        ASSERT_NEAR(half.second[k], expected, 1e-6) << k;
    }
    // Randomness bounded by Harmonicity 0.3 and Noise 0.5: within a factor 0.3 .. 1.5 of 1/k
    // before the largest becomes 1, and magnitudes in 0 .. 1.
    for (float m : a.first) ASSERT_TRUE(m >= 0 && m <= 1);
}

// Sound files written to a scratch folder and made into shapes.
class SampleShape : public ::testing::Test {
protected:
    std::string Write(const char* name, const std::vector<float>& samples) {
        const std::string path = scratch.Path(name).ToUtf8();
        EXPECT_TRUE(SaveFile(path, WriteAudioFile(samples, 1, 48000, {"WAV float", AudioFileFormat::kWav, 32, true, ""})));
        return path;
    }
    YString Load(Gen& g, const std::string& path) { return Gen::SampleMessage(g.LoadSample(YString::FromUtf8(path))); }

    ScratchFolder scratch;
};

TEST_F(SampleShape, MessagesAndWhatASampleChanges) {
    const auto square = [](double p) { return p < 0.5 ? 1.0 : -1.0; };
    auto g = Make();
    g->SetSamplePosition(0.1);
    const std::vector<float> before = Rendered(*g);
    EXPECT_EQ(Load(*g, Write("short.wav", Periodic(250, 48000, 0.005, square))), YString("Sample not loaded or too short."));
    EXPECT_EQ(Load(*g, Write("noise.wav", WhiteNoise(48000, 1))), YString("Unable to detect sample pitch."));
    EXPECT_FALSE(g->Changed());
    EXPECT_EQ(g->GetSettings().generator.sampleFilePath, YString());

    const std::string path = Write("square.wav", Periodic(250, 48000, 0.5, square));
    EXPECT_EQ(Load(*g, path),
              YString("Sample analyzed successfuly.\nDetected pitch 250.0000Hz, length of a period 192.0000 samples"));
    EXPECT_TRUE(g->HarmonicsPending());
    EXPECT_EQ(g->GetSettings().generator.sampleFilePath, YString::FromUtf8(path));
    // The custom table is the period (the square starts its period at 0.1 s), peak 1 at
    // the overshoot of the interpolated edges.
    EXPECT_NEAR(g->CustomTable()[kN / 4], 0.87, 0.01);
    EXPECT_NEAR(g->CustomTable()[3 * kN / 4], -0.87, 0.01);
    // The generator's step (run by reading the settings) takes the sample's spectrum:
    // odd harmonics at 1/n.
    EXPECT_FALSE(g->HarmonicsPending());
    EXPECT_EQ(Rendered(*g), before);  // mode and layer untouched
    for (int n = 1; n <= 9; ++n) EXPECT_NEAR(Amplitude(*g, n), n % 2 ? 1.0 / n : 0.0, 0.01 / n) << n;

    // Both ways to play it: the layer in shape mode, the spectrum in harmonics mode.
    g->SetCustomSample(true);
    g->SetCustomDepth(1);
    const std::vector<float> layer = Rendered(*g);
    for (int i = 0; i < kN; i += 101) ASSERT_NEAR(layer[i], g->CustomTable()[i], 1e-6) << i;
    g->SetMode(Gen::kHarmonicsMode);
    g->SetHarmonicsCount(256);
    const std::vector<float> harmonics = Rendered(*g);
    EXPECT_NEAR(harmonics[kN / 4], 0.87, 0.01);
    EXPECT_NEAR(harmonics[3 * kN / 4], -0.87, 0.01);

    // A post-processor works on the sample; a formula setting brings the formula back
    // and keeps the custom table.
    g->SetPostProcessCompress(1);
    g->Changed();
    EXPECT_NEAR(Amplitude(*g, 7), 1, 1e-6);
    g->SetSlope(1);
    g->Changed();
    EXPECT_FALSE(g->GetSettings().generator.HasSample());
    EXPECT_NEAR(Amplitude(*g, 2), 1, 1e-6);  // the formula's 1/2, compressed to 1
    EXPECT_NEAR(g->CustomTable()[kN / 4], 0.87, 0.01);
}

// The analysis on this thread, the renders on an audio thread: the hand-over and the
// generator's steps meet only under the render lock (the thread sanitizer build checks).
TEST(YSignalGeneratorHarmonics, SamplesLoadWhileTheAudioThreadRenders) {
    auto g = Make();
    g->SetCustomSample(true);
    g->SetCustomDepth(1);
    g->SetFundamentalMinimum(100);  // a short window keeps the sanitizer builds quick
    const YAudioData sound = MonoSound(Periodic(180, 48000, 0.25, [](double p) { return BandLimitedSaw(p, 12); }), 48000);
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        while (!stop.load()) g->Changed();
    });
    for (int i = 0; i < 8; ++i) {
        g->SetSamplePosition(0.01 * i);
        EXPECT_EQ(g->LoadSample(sound, "saw").outcome, YSampleAnalyzer::Outcome::kAnalyzed);
        g->SetPostProcessNoise(0.01 * i);
        EXPECT_LE(g->GetSettings().magnitudes[3], 1.0f);
    }
    stop.store(true);
    audio.join();
    g->Changed();
    for (int i = 0; i < kN; i += 97) ASSERT_NEAR(g->Table()[i], g->CustomTable()[i], 1e-6) << i;
}

void Store(Gen& g, YXMLItem& element, bool loading) {
    YStoreArchive archive(element, loading);
    g.Store(archive);
}

TEST_F(SampleShape, TheStoredShapeNeedsNoSampleFile) {
    auto original = Make();
    original->SetSampleRatio(2);
    const std::string path = Write("saw.wav", Periodic(110, 48000, 1, [](double p) { return BandLimitedSaw(p, 30); }));
    ASSERT_EQ(original->LoadSample(YString::FromUtf8(path)).outcome, YSampleAnalyzer::Outcome::kAnalyzed);
    original->SetPostProcessNoise(0.2);
    original->SetCustomSample(true);
    original->SetCustomDepth(0.7);
    YXMLItem root("shape");
    Store(*original, root, false);
    std::remove(path.c_str());

    auto loaded = Make();
    Store(*loaded, root, true);
    EXPECT_TRUE(loaded->GetSettings().generator == original->GetSettings().generator);
    EXPECT_EQ(Rendered(*loaded), Rendered(*original));
    // The next generator step (another seed) works from the stored spectrum, as it
    // would with the sound at hand.
    original->SetSeed(5), loaded->SetSeed(5);
    original->SetMode(Gen::kHarmonicsMode), loaded->SetMode(Gen::kHarmonicsMode);
    EXPECT_EQ(Rendered(*loaded), Rendered(*original));

    // Damaged tables: values out of range are held, data of the wrong size fails the
    // load and leaves the shape as it was.
    YXMLItem damaged("shape");
    std::vector<float> table(kN, 3.0f);
    table[1] = std::nanf("");
    table[2] = -7;
    damaged.AddSubItem("CustomTable")->SetData(table.data(), kN * sizeof(float), true);
    std::vector<float> spectrum(2 * Gen::kMaxHarmonics, 0.25f);
    spectrum[0] = 9;
    spectrum[Gen::kMaxHarmonics] = -1.25f;
    damaged.AddSubItem("Harmonics")->AddSubItem("SampleHarmonics")->SetData(spectrum.data(), 2 * Gen::kMaxHarmonics * 4, true);
    Store(*loaded, damaged, true);
    EXPECT_EQ(loaded->CustomTable()[0], 1.0f);
    EXPECT_EQ(loaded->CustomTable()[1], 0.0f);
    EXPECT_EQ(loaded->CustomTable()[2], -1.0f);
    EXPECT_EQ(loaded->GetSettings().generator.sampleAmplitudes[0], 1.0f);
    EXPECT_EQ(loaded->GetSettings().generator.samplePhases[0], 0.75f);

    damaged.FindSubItem("CustomTable")->SetData(table.data(), 100, true);
    EXPECT_THROW(Store(*loaded, damaged, true), YException);
    EXPECT_EQ(loaded->CustomTable()[2], -1.0f);
    EXPECT_EQ(loaded->GetSettings().generator.sampleAmplitudes[0], 1.0f);

    // A shape without them (an older state) loads silent ones and the formula.
    YXMLItem older("shape");
    Store(*loaded, older, true);
    EXPECT_EQ(loaded->CustomTable()[0], 0.0f);
    EXPECT_FALSE(loaded->GetSettings().generator.HasSample());
}

}  // namespace
