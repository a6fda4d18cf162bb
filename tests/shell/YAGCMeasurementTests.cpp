// The fixed output gain on the block road and in the state, and the measurement that
// finds it with the gain compensation, stepped in audio time.
#include "AudioBuffers.h"
#include "RoadTestPlugin.h"
#include "foundation/YException.h"
#include "foundation/YXMLItem.h"
#include "shell/YAGCMeasurement.h"
#include "support/SampleSignals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

constexpr double kRate = 48000.0;
constexpr int kBlock = 480;  // 10 ms

double Db(double gain) { return 20.0 * std::log10(gain); }

// A road test plug-in with the gain compensation ready at 48 kHz, and white noise to
// feed it block after block while the clock advances in audio time.
class FixedGain : public ::testing::Test {
protected:
    void SetUp() override {
        plugin.SetSampleRate(kRate);
        plugin.InitProcessing();
    }
    // One block of noise through the road; answers the clock after it.
    double Block() {
        for (int c = 0; c < 2; ++c)
            for (float& v : input[c]) v = static_cast<float>(0.25 * noise.Next());
        output = AudioBuffers(2, kBlock);
        plugin.ProcessAudio(input.Table(), output.Table(), kBlock, true);
        frames += kBlock;
        return static_cast<double>(frames) / kRate;
    }
    // Polls the measurement after every block until it ends (at most a minute of audio).
    void RunToEnd(YAGCMeasurement& measurement) {
        for (int block = 0; block < 6000 && measurement.Poll(Block()); ++block) {
        }
    }
    double Now() const { return static_cast<double>(frames) / kRate; }
    // The gain from input to output over the first samples of the last block.
    double Ratio(int count = 16) {
        double cross = 0.0, power = 0.0;
        for (int i = 0; i < count; ++i) {
            cross += static_cast<double>(output[0][i]) * input[0][i];
            power += static_cast<double>(input[0][i]) * input[0][i];
        }
        return cross / power;
    }

    RoadTestPlugin plugin;
    TestNoise noise;
    AudioBuffers input{2, kBlock}, output{2, kBlock};
    int64_t frames = 0;
};

// ---- The stored attribute ------------------------------------------------------------------

TEST(FixedGainState, WrittenOnlyWhenNotUnityAndReadBackWithinTheLimits) {
    RoadTestPlugin plugin;
    YXMLItem element("settings");
    YStoreArchive saving(element, false);
    plugin.StoreFixedOutputGain(saving);
    EXPECT_EQ(element.FindAttribute("FixedOutputGain"), nullptr);

    plugin.SetFixedOutputGain(1.4125375446);
    plugin.StoreFixedOutputGain(saving);
    ASSERT_NE(element.FindAttribute("FixedOutputGain"), nullptr);
    RoadTestPlugin reader;
    YStoreArchive loading(element, true);
    reader.StoreFixedOutputGain(loading);
    EXPECT_DOUBLE_EQ(reader.FixedOutputGain(), 1.4125375446);

    // Back at unity, the attribute goes.
    plugin.SetFixedOutputGain(1.0);
    plugin.StoreFixedOutputGain(saving);
    EXPECT_EQ(element.FindAttribute("FixedOutputGain"), nullptr);

    const struct {
        const char* text;
        double expected;
    } cases[] = {{nullptr, 1.0}, {"abc", 1.0}, {"-3", 1.0}, {"0", 1.0}, {"nan", 1.0}, {"inf", 1.0},
                 {"1e9", YAGCProcessor::kMaxGain}, {"1e-9", YAGCProcessor::kMinGain}, {"0.5", 0.5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text ? c.text : "(missing)");
        YXMLItem stored("settings");
        if (c.text) stored.SetAttribute("FixedOutputGain", YString::FromLatin1(c.text));
        reader.SetFixedOutputGain(3.0);
        YStoreArchive load(stored, true);
        reader.StoreFixedOutputGain(load);
        EXPECT_DOUBLE_EQ(reader.FixedOutputGain(), c.expected);
    }
}

// ---- On the road ---------------------------------------------------------------------------

TEST_F(FixedGain, AppliedWithTheSwitchOffAfterOneRampingBlock) {
    plugin.SetFixedOutputGain(2.0);
    Block();
    // The first block glides from unity to the new gain, which its last sample reaches.
    for (int i = 0; i < kBlock; ++i) ASSERT_NEAR(output[0][i], input[0][i] * (1.0 + (i + 1.0) / kBlock), 1e-6) << i;
    Block();
    for (int i = 0; i < kBlock; ++i) ASSERT_FLOAT_EQ(output[1][i], 2.0f * input[1][i]) << i;
}

TEST_F(FixedGain, NotAppliedWhileBypassedOrWhileTheProcessorRuns) {
    plugin.SetFixedOutputGain(2.0);
    plugin.bypass = true;
    Block();
    for (int i = 0; i < kBlock; ++i) ASSERT_EQ(output[0][i], input[0][i]) << i;

    // With the switch on, the output is the processor's alone: a twin without a fixed
    // gain gives the same samples.
    plugin.bypass = false;
    RoadTestPlugin twin;
    twin.SetSampleRate(kRate);
    twin.InitProcessing();
    plugin.SetAGCEnabled(true);
    twin.SetAGCEnabled(true);
    for (int block = 0; block < 300; ++block) {
        Block();
        AudioBuffers twinOutput(2, kBlock);
        twin.ProcessAudio(input.Table(), twinOutput.Table(), kBlock, true);
        for (int i = 0; i < kBlock; ++i) ASSERT_EQ(output[0][i], twinOutput[0][i]) << block << " " << i;
    }
}

TEST_F(FixedGain, ChangesRampWithoutSteps) {
    // A constant input shows any step in the gain as a step in the output.
    for (int c = 0; c < 2; ++c) std::fill(input[c].begin(), input[c].end(), 0.5f);
    double previous = 0.5;
    double largest = 0.0;
    for (const double gain : {4.0, 4.0, 0.25, 1.0, 1.0}) {
        plugin.SetFixedOutputGain(gain);
        output = AudioBuffers(2, kBlock);
        plugin.ProcessAudio(input.Table(), output.Table(), kBlock, true);
        for (int i = 0; i < kBlock; ++i) {
            largest = std::max(largest, std::fabs(output[0][i] - previous));
            previous = output[0][i];
        }
        EXPECT_NEAR(output[0][kBlock - 1], 0.5 * gain, 0.5 * 4.0 / kBlock);
    }
    // The steepest ramp (4 to 0.25 over one block) moves 0.5 * 3.75 / kBlock per sample.
    EXPECT_LT(largest, 0.5 * 3.75 / kBlock * 1.01);
}

TEST_F(FixedGain, SwitchingTheProcessorOffHandsOverAtItsGain) {
    plugin.gain = 0.5;  // the processor settles at +6 dB
    plugin.SetFixedOutputGain(4.0);
    plugin.SetAGCEnabled(true);
    for (int block = 0; block < 400; ++block) Block();
    EXPECT_NEAR(Ratio(), 1.0, 0.01);
    plugin.SetAGCEnabled(false);
    Block();
    // No jump where the fixed gain takes over; it glides on to its own figure.
    EXPECT_NEAR(Ratio(), 1.0, 0.05);
    Block();
    EXPECT_NEAR(Ratio(), 2.0, 1e-4);
}

// ---- The measurement -----------------------------------------------------------------------

TEST_F(FixedGain, MeasuresUnityForAPassThroughAndSixDecibelsForAHalvingEffect) {
    for (const double effectGain : {1.0, 0.5}) {
        SCOPED_TRACE(effectGain);
        plugin.gain = effectGain;
        const double start = Now();
        auto measurement = YAGCMeasurement::FixedGain(plugin, start);
        EXPECT_TRUE(plugin.AGCEnabled());
        double last = 0.0;
        while (measurement->Running()) {
            measurement->Poll(Block());
            EXPECT_GE(measurement->Progress(), last);
            last = measurement->Progress();
        }
        EXPECT_EQ(measurement->GetState(), YAGCMeasurement::State::Done);
        EXPECT_EQ(last, 1.0);
        // 40 waits of 100 ms of audio, to the block.
        EXPECT_NEAR(Now() - start, 4.0, 0.011);
        EXPECT_NEAR(Db(plugin.FixedOutputGain()), -Db(effectGain), 0.1);
        EXPECT_FALSE(plugin.AGCEnabled());
        // And with the switch off again, the fixed gain compensates the effect.
        for (int block = 0; block < 2; ++block) Block();
        EXPECT_NEAR(Ratio(), plugin.FixedOutputGain() * effectGain, 1e-4);
    }
}

TEST_F(FixedGain, RestoresASwitchThatWasOn) {
    plugin.SetAGCEnabled(true);
    auto measurement = YAGCMeasurement::FixedGain(plugin, Now());
    RunToEnd(*measurement);
    EXPECT_EQ(measurement->GetState(), YAGCMeasurement::State::Done);
    EXPECT_TRUE(plugin.AGCEnabled());
    EXPECT_FALSE(plugin.AGCMeasuring());
}

TEST_F(FixedGain, CancelPutsBackTheSwitchAndKeepsTheOldGain) {
    plugin.gain = 0.5;
    plugin.SetFixedOutputGain(1.5);
    auto measurement = YAGCMeasurement::FixedGain(plugin, Now());
    for (int block = 0; block < 300; ++block) measurement->Poll(Block());
    EXPECT_NEAR(measurement->Progress(), 0.75, 0.01);
    measurement->Cancel();
    EXPECT_EQ(measurement->GetState(), YAGCMeasurement::State::Cancelled);
    EXPECT_FALSE(plugin.AGCEnabled());
    EXPECT_EQ(plugin.FixedOutputGain(), 1.5);
    EXPECT_FALSE(measurement->Poll(Block()));

    // Dropping a running measurement cancels it too.
    plugin.SetAGCEnabled(true);
    measurement = YAGCMeasurement::FixedGain(plugin, Now());
    measurement->Poll(Block());
    measurement.reset();
    EXPECT_TRUE(plugin.AGCEnabled());
    EXPECT_EQ(plugin.FixedOutputGain(), 1.5);
    EXPECT_FALSE(plugin.AGCMeasuring());
}

TEST_F(FixedGain, OneMeasurementAtATime) {
    auto first = YAGCMeasurement::FixedGain(plugin, Now());
    EXPECT_THROW(YAGCMeasurement::FixedGain(plugin, Now()), YException);
    first->Cancel();
    EXPECT_NO_THROW(YAGCMeasurement::FixedGain(plugin, Now()));
}

TEST_F(FixedGain, FailsWhenNoAudioRanAndChangesNothing) {
    plugin.SetFixedOutputGain(1.5);
    auto measurement = YAGCMeasurement::FixedGain(plugin, 0.0);
    EXPECT_TRUE(measurement->Poll(3.99));
    EXPECT_FALSE(measurement->Poll(4.0));
    EXPECT_EQ(measurement->GetState(), YAGCMeasurement::State::Failed);
    EXPECT_FALSE(measurement->Error().IsEmpty());
    EXPECT_EQ(plugin.FixedOutputGain(), 1.5);
    EXPECT_FALSE(plugin.AGCEnabled());
}

}  // namespace
