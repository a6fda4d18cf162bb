#include "media/YSampleAnalyzer.h"

#include "support/SampleSignals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

namespace {

using Analyzer = YSampleAnalyzer;
using Outcome = Analyzer::Outcome;
constexpr double kRate = 48000;

double Cents(double detected, double actual) { return 1200 * std::log2(detected / actual); }

// Mean out and peak 1, as the analyser leaves its table.
std::vector<double> Normalised(std::vector<double> v) {
    double mean = 0, peak = 0;
    for (double x : v) mean += x;
    mean /= static_cast<double>(v.size());
    for (double& x : v) peak = std::max(peak, std::fabs(x -= mean));
    for (double& x : v) x /= peak;
    return v;
}

TEST(YSampleAnalyzer, FindsThePitchWithinHalfACentAndTakesThePeriod) {
    struct Case {
        const char* name;
        double frequency;
        std::function<double(double)> wave;  // one period over 0 .. 1
        double noiseDb;                      // below the signal's RMS; 0: none
        double tableTolerance;               // largest difference of the normalised tables; 0: not compared
    };
    const Case cases[] = {
        {"band-limited sawtooth 220 Hz", 220, [](double p) { return BandLimitedSaw(p, 22); }, 0, 0.003},
        {"sine 110 Hz, noise at -30 dB", 110, [](double p) { return std::sin(2 * std::numbers::pi * p); }, -30, 0.12},
        {"naive sawtooth 220 Hz", 220, [](double p) { return 2 * p - 1; }, 0, 0},
        {"sawtooth 61.7 Hz", 61.7, [](double p) { return BandLimitedSaw(p, 60); }, 0, 0.003},
    };
    for (const Case& c : cases) {
        const std::vector<float> x = Periodic(c.frequency, kRate, 1.0, c.wave, c.noiseDb);
        Analyzer::Settings settings;
        settings.position = 0.25;
        const Analyzer::Result r = Analyzer::Analyze(MonoSound(x, kRate), settings);
        ASSERT_EQ(r.outcome, Outcome::kAnalyzed) << c.name;
        EXPECT_LT(std::fabs(Cents(r.pitch, c.frequency)), 0.5) << c.name << ": " << r.pitch;
        EXPECT_NEAR(r.period, kRate / c.frequency, kRate / c.frequency * 3e-4) << c.name;
        if (c.tableTolerance == 0) continue;
        // The table is the period that starts at the position.
        std::vector<double> expected(Analyzer::kTableSize);
        for (int i = 0; i < Analyzer::kTableSize; ++i) {
            const double phase = c.frequency * 0.25 + static_cast<double>(i) / Analyzer::kTableSize;
            expected[i] = c.wave(phase - std::floor(phase));
        }
        expected = Normalised(expected);
        double worst = 0;
        for (int i = 0; i < Analyzer::kTableSize; ++i)
            worst = std::max(worst, std::fabs(static_cast<double>(r.table[i]) - expected[i]));
        EXPECT_LT(worst, c.tableTolerance) << c.name;
    }
}

TEST(YSampleAnalyzer, ShortSilentAndPitchlessSoundsAreRefused) {
    const auto sine = [](double p) { return std::sin(2 * std::numbers::pi * p); };
    Analyzer::Settings settings;
    // 5 ms of a clear tone: shorter than two windows of the lowest pitch (20 Hz).
    EXPECT_EQ(Analyzer::Analyze(MonoSound(Periodic(440, kRate, 0.005, sine), kRate), settings).outcome, Outcome::kTooShort);
    EXPECT_EQ(Analyzer::Analyze(YAudioData{}, settings).outcome, Outcome::kTooShort);
    // A position near the end leaves too little; a higher lowest pitch needs less.
    const YAudioData tone = MonoSound(Periodic(440, kRate, 0.1, sine), kRate);
    settings.position = 0.09;
    EXPECT_EQ(Analyzer::Analyze(tone, settings).outcome, Outcome::kTooShort);
    settings.minimumPitch = 400;
    EXPECT_EQ(Analyzer::Analyze(tone, settings).outcome, Outcome::kAnalyzed);
    // ... but then a lower tone is not found.
    EXPECT_EQ(Analyzer::Analyze(MonoSound(Periodic(110, kRate, 0.5, sine), kRate), settings).outcome, Outcome::kNoPitch);

    settings = {};
    EXPECT_EQ(Analyzer::Analyze(MonoSound(WhiteNoise(kRate, 1.0), kRate), settings).outcome, Outcome::kNoPitch);
    EXPECT_EQ(Analyzer::Analyze(MonoSound(std::vector<float>(48000, 0.0f), kRate), settings).outcome, Outcome::kNoPitch);
    // More periods than the sound holds.
    settings.periods = 64;
    EXPECT_EQ(Analyzer::Analyze(MonoSound(Periodic(20.5, kRate, 0.2, sine), kRate), settings).outcome, Outcome::kTooShort);
}

TEST(YSampleAnalyzer, SquareWaveHasOddHarmonicsAtOneOverN) {
    // 250 Hz: 192 samples a period at 48 kHz, the edges on samples.
    const std::vector<float> x = Periodic(250, kRate, 0.5, [](double p) { return p < 0.5 ? 1.0 : -1.0; });
    Analyzer::Settings settings;
    settings.position = 0.1;  // 25 whole periods
    const Analyzer::Result r = Analyzer::Analyze(MonoSound(x, kRate), settings);
    ASSERT_EQ(r.outcome, Outcome::kAnalyzed);
    for (int n = 1; n <= 15; ++n) {
        if (n % 2 == 1) {
            // Within 1 % up to the 11th (sampling raises the higher ones a little).
            if (n <= 11) {
                EXPECT_NEAR(r.amplitudes[n - 1], 1.0 / n, 0.01 / n) << n;
            }
            // sin(2 pi n x) = cos(2 pi (n x - 1/4)), the sampled edges half a sample early.
            EXPECT_NEAR(r.phases[n - 1], 0.25 - n * 0.5 / 192, 1e-4) << n;
        } else {
            EXPECT_LT(r.amplitudes[n - 1], 1e-3) << n;
        }
    }
}

TEST(YSampleAnalyzer, SeveralPeriodsMakeOneTable) {
    const auto sine = [](double p) { return std::sin(2 * std::numbers::pi * p); };
    Analyzer::Settings settings;
    settings.periods = 3.2;  // rounds to 3
    settings.position = 0.1;  // a whole number of periods: the table starts at phase 0
    const Analyzer::Result r = Analyzer::Analyze(MonoSound(Periodic(150, kRate, 0.5, sine), kRate), settings);
    ASSERT_EQ(r.outcome, Outcome::kAnalyzed);
    EXPECT_NEAR(r.amplitudes[2], 1.0, 1e-4);  // the sound's fundamental is the table's third harmonic
    EXPECT_LT(r.amplitudes[0], 1e-3);
    EXPECT_NEAR(r.table[Analyzer::kTableSize / 12], 1.0, 1e-3);
}

TEST(YSampleAnalyzer, StereoIsAnalysedAsTheMeanOfItsChannels) {
    const std::vector<float> left = Periodic(220, kRate, 0.5, [](double p) { return BandLimitedSaw(p, 10); });
    YAudioData stereo;
    stereo.channels = 2;
    stereo.sampleRate = kRate;
    for (float v : left) stereo.samples.insert(stereo.samples.end(), {v, -0.5f * v});
    const Analyzer::Result a = Analyzer::Analyze(stereo, {}), b = Analyzer::Analyze(MonoSound(left, kRate), {});
    ASSERT_EQ(a.outcome, Outcome::kAnalyzed);
    EXPECT_NEAR(a.pitch, b.pitch, 1e-9);
    for (int i = 0; i < Analyzer::kTableSize; i += 97) EXPECT_NEAR(a.table[i], b.table[i], 1e-5) << i;
}

}  // namespace
