// The gain compensation measured from the outside: the weighting filter's response
// to sines against the cookbook's analogue prototypes, and the gain the processor
// settles at for effects of known loudness.
#include "shell/YAGCProcessor.h"
#include "support/SampleSignals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <vector>

namespace {

double Db(double ratio) { return 20.0 * std::log10(ratio); }

// The cookbook's sections are their analogue prototypes through the bilinear transform
// warped at f0: the digital response at f is the prototype's at tan(pi f/fs)/tan(pi f0/fs).
double PrototypeDb(double frequency, double rate) {
    auto warped = [&](double f0) { return std::tan(std::numbers::pi * frequency / rate) / std::tan(std::numbers::pi * f0 / rate); };
    using C = std::complex<double>;
    const C s1(0.0, warped(1501.5));
    const double a = std::pow(10.0, 4.0 / 40.0), q = 0.7072;
    const C shelf = a * (a * s1 * s1 + std::sqrt(a) / q * s1 + 1.0) / (s1 * s1 + std::sqrt(a) / q * s1 + a);
    const C s2(0.0, warped(38.05));
    const C highPass = std::pow(10.0, 0.00216) * s2 * s2 / (s2 * s2 + s2 / 0.5 + 1.0);
    return Db(std::abs(shelf * highPass));
}

// The gain of the weighting at one frequency: a sine through it, RMS out over RMS in
// once the filter has settled.
double MeasuredDb(double frequency, double rate) {
    YAGCProcessor::Weighting weighting;
    weighting.Design(rate);
    YAGCProcessor::Weighting::State state;
    const int count = static_cast<int>(rate * 2.0);
    std::vector<float> x(static_cast<std::size_t>(count)), y(x.size());
    for (int i = 0; i < count; ++i) x[static_cast<std::size_t>(i)] = static_cast<float>(0.5 * std::sin(2 * std::numbers::pi * frequency * i / rate));
    weighting.Process(state, x.data(), y.data(), count);
    double in = 0, out = 0;
    for (int i = count / 2; i < count; ++i) {
        in += x[static_cast<std::size_t>(i)] * static_cast<double>(x[static_cast<std::size_t>(i)]);
        out += y[static_cast<std::size_t>(i)] * static_cast<double>(y[static_cast<std::size_t>(i)]);
    }
    return 10.0 * std::log10(out / in);
}

TEST(AGCWeighting, ResponseFollowsTheShelfAndHighPassPrototypes) {
    for (double rate : {44100.0, 48000.0, 96000.0}) {
        for (double frequency : {20.0, 38.05, 1000.0, 1500.0, 10000.0}) {
            EXPECT_NEAR(MeasuredDb(frequency, rate), PrototypeDb(frequency, rate), 0.02) << frequency << " Hz at " << rate;
        }
    }
    // Anchors that do not depend on the prototype formulas: the high-pass is 6 dB down
    // at its corner (Q 0.5), the shelf is half-way at its corner and full well above.
    EXPECT_NEAR(MeasuredDb(38.05, 48000.0), -6.02 + 0.0216, 0.05);
    EXPECT_NEAR(MeasuredDb(1501.5, 48000.0), 2.0, 0.1);
    EXPECT_NEAR(MeasuredDb(10000.0, 48000.0), 4.0, 0.2);
    EXPECT_LT(MeasuredDb(20.0, 48000.0), -12.0);
}

TEST(AGCWeighting, NonFiniteSampleDoesNotSilenceTheFilterForGood) {
    YAGCProcessor::Weighting weighting;
    weighting.Design(48000.0);
    YAGCProcessor::Weighting::State state;
    std::vector<float> block(512, 0.25f), out(4800);
    block[100] = std::numeric_limits<float>::quiet_NaN();
    weighting.Process(state, block.data(), out.data(), 512);
    std::vector<float> tone(4800);
    for (std::size_t i = 0; i < tone.size(); ++i) tone[i] = static_cast<float>(std::sin(2 * std::numbers::pi * 1000.0 * i / 48000.0));
    weighting.Process(state, tone.data(), out.data(), 4800);
    for (float v : out) ASSERT_TRUE(std::isfinite(v));
    EXPECT_GT(std::fabs(out[4799]) + std::fabs(out[4790]), 0.1);
}

// An effect of fixed gain around the processor, fed block by block like the road.
class AGCRun {
public:
    explicit AGCRun(double rate = 48000.0, int channels = 2) : rate_(rate), channels_(channels) {
        agc.Initialize(rate, channels);
    }

    // Runs seconds of white noise through an effect of the given gain; answers the
    // largest gain seen while running.
    double Run(double seconds, double effectGain, int frames = 512, double inputLevel = 0.5) {
        std::vector<std::vector<float>> in(static_cast<std::size_t>(channels_), std::vector<float>(static_cast<std::size_t>(frames)));
        auto out = in;
        std::vector<float*> inTable, outTable;
        for (int c = 0; c < channels_; ++c) {
            inTable.push_back(in[static_cast<std::size_t>(c)].data());
            outTable.push_back(out[static_cast<std::size_t>(c)].data());
        }
        double largest = 0;
        for (int done = 0; done < seconds * rate_; done += frames) {
            for (int c = 0; c < channels_; ++c)
                for (int i = 0; i < frames; ++i) {
                    const float x = static_cast<float>(inputLevel * noise_.Next());
                    in[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)] = x;
                    out[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)] = static_cast<float>(x * effectGain);
                }
            agc.MeasureInput(inTable.data(), frames);
            agc.MeasureOutputAndApply(outTable.data(), frames);
            largest = std::max(largest, agc.Gain());
            lastOut = out;
            lastIn = in;
        }
        return largest;
    }

    YAGCProcessor agc;
    std::vector<std::vector<float>> lastIn, lastOut;

private:
    double rate_;
    int channels_;
    TestNoise noise_;
};

TEST(AGCProcessor, PassThroughSettlesAtUnity) {
    AGCRun run;
    run.Run(0.5, 1.0);
    EXPECT_NEAR(run.agc.Gain(), 1.0, 1e-3);
    EXPECT_EQ(run.agc.InputMeter().Window(), 19200);  // 0.4 s at 48 kHz
}

TEST(AGCProcessor, HalvedLevelIsRestoredAfterTheHoldOnly) {
    AGCRun run(44100.0);
    // During the two seconds of hold the gain only attenuates.
    EXPECT_LE(run.Run(1.9, 0.5), 1.0);
    EXPECT_DOUBLE_EQ(run.agc.Gain(), 1.0);
    run.Run(1.0, 0.5);
    EXPECT_NEAR(Db(run.agc.Gain()), 6.02, 0.05);
    // The block's output is the effect's times the gain: back at the input's level.
    for (int i = 0; i < 512; i += 37) EXPECT_NEAR(run.lastOut[0][static_cast<std::size_t>(i)], run.lastIn[0][static_cast<std::size_t>(i)], 1e-3);
}

TEST(AGCProcessor, LoudEffectIsAttenuatedDuringTheHold) {
    AGCRun run;
    run.Run(1.0, 4.0);
    EXPECT_NEAR(Db(run.agc.Gain()), -12.04, 0.05);
}

TEST(AGCProcessor, GainStaysWithinFortyDecibels) {
    AGCRun quiet;
    EXPECT_LE(quiet.Run(3.0, std::pow(10.0, -50.0 / 20.0)), 100.0);
    EXPECT_DOUBLE_EQ(quiet.agc.Gain(), 100.0);
    AGCRun loud;
    loud.Run(1.0, std::pow(10.0, 50.0 / 20.0));
    EXPECT_DOUBLE_EQ(loud.agc.Gain(), 0.01);
}

TEST(AGCProcessor, SilenceGetsNoBoost) {
    AGCRun silentOutput;
    silentOutput.Run(3.0, 0.0);
    EXPECT_DOUBLE_EQ(silentOutput.agc.Gain(), 1.0);
    AGCRun silentInput;
    silentInput.Run(3.0, 1.0, 512, 0.0);
    EXPECT_DOUBLE_EQ(silentInput.agc.Gain(), 1.0);
}

TEST(AGCProcessor, FirstBlockFadesInFromSilence) {
    YAGCProcessor agc;
    agc.Initialize(48000.0, 1);
    std::vector<float> in(100, 0.5f), out(100, 0.5f);
    float* i = in.data();
    float* o = out.data();
    agc.MeasureInput(&i, 100);
    agc.MeasureOutputAndApply(&o, 100);
    ASSERT_DOUBLE_EQ(agc.Gain(), 1.0);
    for (int k = 0; k < 100; ++k) EXPECT_NEAR(out[static_cast<std::size_t>(k)], 0.5f * (k + 1) / 100.0f, 1e-6) << k;
}

TEST(AGCProcessor, FixedInputTargetsItsPower) {
    // Without input the target power is 0.05: a full-scale sine at 1 kHz weighs in at
    // 0.5 times the weighting's power gain there, and settles at the matching gain.
    YAGCProcessor agc;
    const double rate = 48000.0;
    agc.Initialize(rate, 1);
    std::vector<float> out(480);
    float* o = out.data();
    int64_t n = 0;
    for (int block = 0; block < 400; ++block) {
        for (float& v : out) v = static_cast<float>(std::sin(2 * std::numbers::pi * 1000.0 * static_cast<double>(n++) / rate));
        agc.UseFixedInput();
        agc.MeasureOutputAndApply(&o, 480);
    }
    const double weighted = 0.5 * std::pow(10.0, MeasuredDb(1000.0, rate) / 10.0);
    EXPECT_NEAR(agc.Gain(), std::sqrt(0.05 / weighted), 1e-3);
}

TEST(AGCProcessor, NonFiniteBlockLeavesTheGainFiniteAndRecovers) {
    AGCRun run;
    run.Run(2.5, 0.5);
    const double settled = run.agc.Gain();
    std::vector<float> bad(512, std::numeric_limits<float>::infinity());
    bad[3] = std::numeric_limits<float>::quiet_NaN();
    std::vector<float*> table{bad.data(), bad.data()};
    run.agc.MeasureInput(table.data(), 512);
    std::vector<float> badOut = bad;
    std::vector<float*> outTable{badOut.data(), badOut.data()};
    run.agc.MeasureOutputAndApply(outTable.data(), 512);
    EXPECT_TRUE(std::isfinite(run.agc.Gain()));
    run.Run(1.0, 0.5);
    EXPECT_NEAR(run.agc.Gain(), settled, 0.01);
}

TEST(AGCProcessor, WeightingDecidesWhatCountsAsLoud) {
    // A 30 Hz tone and a 1 kHz tone of equal level: equally loud without the weighting,
    // the low one far quieter with it, so the AGC boosts it.
    for (bool weighted : {false, true}) {
        YAGCProcessor agc;
        agc.SetWeightingEnabled(weighted);
        agc.Initialize(48000.0, 1);
        std::vector<float> in(480), out(480);
        float* i = in.data();
        float* o = out.data();
        int64_t n = 0;
        for (int block = 0; block < 300; ++block) {
            for (std::size_t k = 0; k < 480; ++k, ++n) {
                in[k] = static_cast<float>(0.5 * std::sin(2 * std::numbers::pi * 1000.0 * static_cast<double>(n) / 48000.0));
                out[k] = static_cast<float>(0.5 * std::sin(2 * std::numbers::pi * 30.0 * static_cast<double>(n) / 48000.0));
            }
            agc.MeasureInput(&i, 480);
            agc.MeasureOutputAndApply(&o, 480);
        }
        if (weighted)
            EXPECT_GT(Db(agc.Gain()), 6.0);
        else
            EXPECT_NEAR(agc.Gain(), 1.0, 0.01);
    }
}

TEST(AGCProcessor, InputDelayLinesUpALatentOutput) {
    // An effect that delays by 2400 samples and halves, across a drop in level: with the
    // input delayed alike the gain stays at 2 through the drop; without, it strays.
    for (int delay : {0, 2400}) {
        YAGCProcessor agc;
        agc.SetInputDelay(delay);
        agc.Initialize(48000.0, 1);
        std::vector<float> history(48000 * 4);
        TestNoise noise;
        for (std::size_t k = 0; k < history.size(); ++k) history[k] = static_cast<float>((k < 48000 * 3 ? 0.5 : 0.05) * noise.Next());
        std::vector<float> in(480), out(480);
        float* i = in.data();
        float* o = out.data();
        double stray = 0;
        for (std::size_t block = 0; block * 480 < history.size(); ++block) {
            for (std::size_t k = 0; k < 480; ++k) {
                const std::size_t n = block * 480 + k;
                in[k] = history[n];
                out[k] = n >= 2400 ? 0.5f * history[n - 2400] : 0.0f;
            }
            agc.MeasureInput(&i, 480);
            agc.MeasureOutputAndApply(&o, 480);
            if (block * 480 > 48000 * 5 / 2) stray = std::max(stray, std::fabs(agc.Gain() - 2.0));
        }
        if (delay > 0)
            EXPECT_LT(stray, 1e-3);
        else
            EXPECT_GT(stray, 0.1);
    }
}

}  // namespace
