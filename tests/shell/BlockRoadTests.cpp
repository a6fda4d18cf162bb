#include "AudioBuffers.h"
#include "RoadTestPlugin.h"
#include "support/LockHeldElsewhere.h"
#include "support/SampleSignals.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr float kOffset = YAudioPlugin::kDenormalOffset;

class BlockRoad : public ::testing::Test {
protected:
    void Prepare(int32_t mode = 0, int32_t latency = 0) {
        plugin.channelMode = mode;
        plugin.latency = latency;
        plugin.SetSampleRate(48000.0);
        plugin.InitProcessing();
    }
    // One replacing block into fresh outputs, all -7 as the host gave them; returns the outputs.
    AudioBuffers Run(AudioBuffers& in, int frames) {
        AudioBuffers out(8, frames, -7.0f);
        plugin.ProcessAudio(in.Table(), out.Table(), frames, true);
        return out;
    }

    RoadTestPlugin plugin;
};

TEST_F(BlockRoad, MovingParameterGlidesAcrossSubBlocks) {
    Prepare();
    AudioBuffers in(2, 1000, 1.0f);
    Run(in, 1000);  // the first block only records start values
    ASSERT_EQ(plugin.calls.size(), 1u);
    plugin.calls.clear();

    plugin.gain = 2.0;  // glides from 1 to 2 over the block, one step per sub-block
    AudioBuffers out = Run(in, 1000);
    ASSERT_EQ(plugin.calls.size(), 4u);
    const int expectedFrames[4] = {256, 256, 256, 232};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(plugin.calls[k].frames, expectedFrames[k]);
        EXPECT_NEAR(plugin.calls[k].gain, 1.0 + 256 * k / 1000.0, 1e-12) << k;
    }
    EXPECT_NEAR(out[1][999], 1.0 + 768 / 1000.0, 1e-6);
    EXPECT_FALSE(plugin.gainInterpolating);
    EXPECT_DOUBLE_EQ(plugin.smoothedGain, 2.0);  // at the target after the block

    plugin.calls.clear();
    out = Run(in, 1000);  // no movement: one call at the new value
    ASSERT_EQ(plugin.calls.size(), 1u);
    EXPECT_EQ(plugin.calls[0].frames, 1000);
    EXPECT_NEAR(out[1][999], 2.0, 1e-6);
}

TEST_F(BlockRoad, WholeBlockInOneCallWithoutMovement) {
    Prepare();
    AudioBuffers in(2, 4096, 0.5f);
    for (int block = 0; block < 3; ++block) Run(in, 4096);
    ASSERT_EQ(plugin.calls.size(), 3u);
    for (const auto& call : plugin.calls) EXPECT_EQ(call.frames, 4096);
    EXPECT_EQ(plugin.prepareOnceCalls, 3);
}

TEST_F(BlockRoad, SubBlockLimitAdvancesTheMusicalPosition) {
    plugin.subBlockLimit = 100;
    plugin.needsHostSync = true;
    Prepare();
    plugin.transport.tempo = 120.0;
    plugin.transport.ppqPosition = 4.0;
    AudioBuffers in(2, 250, 0.0f);
    Run(in, 250);
    ASSERT_EQ(plugin.calls.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(plugin.calls[k].frames, k < 2 ? 100 : 50) << k;
        EXPECT_DOUBLE_EQ(plugin.calls[k].ppq, 4.0 + 100 * k * 120.0 / (60.0 * 48000.0)) << k;  // 120 bpm at 48 kHz
    }

    plugin.calls.clear();
    plugin.needsHostSync = false;  // without host sync the position stays at 0
    Run(in, 250);
    EXPECT_DOUBLE_EQ(plugin.calls[1].ppq, 0.0);
}

// Every stereo channel mode over two blocks (the delay lines carry over): the
// engine multiplies what it is given by the gain; what it is not given passes,
// delayed by the latency.
TEST_F(BlockRoad, ChannelModesRouteAndDelay) {
    const struct {
        int mode, latency;
        double gain;
    } cases[] = {{1, 3, 2.0}, {2, 0, 3.0}, {3, 0, 1.0}, {3, 2, 1.0}, {4, 0, 3.0}, {5, 0, 1.0}, {6, 0, 1.0}};
    for (const auto& c : cases) {
        plugin.gain = c.gain;
        Prepare(c.mode, c.latency);
        AudioBuffers source = AudioBuffers::Signal(2, 128);
        auto at = [&](int channel, int n) { return n < 0 ? 0.0 : source[channel][static_cast<std::size_t>(n)] + double(kOffset); };
        for (int block = 0; block < 2; ++block) {
            AudioBuffers in(2, 64);
            for (int ch = 0; ch < 2; ++ch) std::copy_n(source[ch].begin() + 64 * block, 64, in[ch].begin());
            AudioBuffers out = Run(in, 64);
            for (int i = 0; i < 64; ++i) {
                const int n = 64 * block + i, d = n - c.latency;
                const double l = at(0, n), r = at(1, n), m = (l + r) / 2, s = (l - r) / 2, g = c.gain;
                const double dl = at(0, d), dr = at(1, d), dm = (dl + dr) / 2, ds = (dl - dr) / 2;
                double left = dl, right = -r;  // mode 6: the right channel leaves inverted
                switch (c.mode) {
                    case 1: left = g * l, right = dr; break;           // Left
                    case 2: right = g * r; break;                      // Right
                    case 3: left = g * m + ds, right = g * m - ds; break;  // Mid: the side passes
                    case 4: left = dm + g * s, right = dm - g * s; break;  // Side: the mid passes
                    case 5: right = r; break;                          // Mid/Side, both through the identity
                }
                EXPECT_NEAR(out[0][i], left, 1e-5) << "mode " << c.mode << " latency " << c.latency << " at " << n;
                EXPECT_NEAR(out[1][i], right, 1e-5) << "mode " << c.mode << " latency " << c.latency << " at " << n;
            }
        }
    }
}

TEST_F(BlockRoad, InPlaceRoutingReadsTheOriginalInput) {
    Prepare(3, 1);
    AudioBuffers io = AudioBuffers::Signal(2, 32), source = io;
    plugin.ProcessAudio(io.Table(), io.Table(), 32, true);
    for (int i = 1; i < 32; ++i) {
        double m = (source[0][i] + source[1][i]) / 2 + kOffset;
        double s = (source[0][i - 1] - source[1][i - 1]) / 2;
        EXPECT_NEAR(io[0][i], m + s, 1e-6);
        EXPECT_NEAR(io[1][i], m - s, 1e-6);
    }
}

TEST_F(BlockRoad, SurroundModeProcessesOnlyEnabledChannels) {
    plugin.SetupPins(1, true);
    plugin.gain = 2.0;
    plugin.surroundEnables[2] = plugin.surroundEnables[5] = false;
    Prepare(7, 4);
    AudioBuffers in = AudioBuffers::Signal(8, 40), source = in;
    AudioBuffers out = Run(in, 40);
    EXPECT_EQ(plugin.calls.back().channels, 6);
    for (int c = 0; c < 8; ++c) {
        for (int i = 0; i < 40; ++i) {
            if (c == 2 || c == 5)
                EXPECT_FLOAT_EQ(out[c][i], i < 4 ? 0.0f : source[c][i - 4] + kOffset) << c << " " << i;
            else
                EXPECT_NEAR(out[c][i], 2.0 * (source[c][i] + kOffset), 1e-6) << c << " " << i;
        }
    }
}

TEST_F(BlockRoad, MissingChannelsAreFilledIn) {
    Prepare();
    AudioBuffers in(2, 16, 1.0f), out(2, 16);
    // A mono input is heard on both channels.
    plugin.SetConnectedChannels(1, 2);
    plugin.ProcessAudio(in.Table(), out.Table(), 16, true);
    EXPECT_NEAR(out[1][3], 1.0f, 1e-6);
    // A null channel pointer repeats the previous channel; a null bus reads silence.
    plugin.SetConnectedChannels(2, 2);
    in.table[1] = nullptr;
    plugin.ProcessAudio(in.Table(), out.Table(), 16, true);
    EXPECT_NEAR(out[1][3], 1.0f, 1e-6);
    in.table[0] = nullptr;
    plugin.ProcessAudio(in.Table(), out.Table(), 16, true);
    EXPECT_EQ(out[0][3], 0.0f);
    // A null second output writes into a discard buffer.
    AudioBuffers in2(2, 16, 1.0f);
    out.table[1] = nullptr;
    plugin.ProcessAudio(in2.Table(), out.Table(), 16, true);
    EXPECT_NEAR(out[0][3], 1.0f, 1e-6);
    // A null output table processes nothing.
    const auto calls = plugin.calls.size();
    plugin.ProcessAudio(in2.Table(), nullptr, 16, true);
    EXPECT_EQ(plugin.calls.size(), calls);
}

TEST_F(BlockRoad, UpsamplingHandsTheEngineMoreFramesAtAHigherRate) {
    plugin.SetSampleRate(44100.0);
    plugin.UpdateUpsamplingFactor(2, false);
    AudioBuffers in(2, 100, 0.25f);
    Run(in, 100);
    ASSERT_EQ(plugin.calls.size(), 1u);
    EXPECT_EQ(plugin.calls[0].frames, 200);
    EXPECT_EQ(plugin.ProcessingRate(), 88200.0);
}

TEST_F(BlockRoad, BypassDelaysTheInputByTheLatency) {
    Prepare(0, 64);
    plugin.bypass = true;
    AudioBuffers in = AudioBuffers::Signal(2, 200), source = in;
    AudioBuffers out = Run(in, 200);
    EXPECT_TRUE(plugin.calls.empty());
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 200; ++i) EXPECT_FLOAT_EQ(out[c][i], i < 64 ? 0.0f : source[c][i - 64] + kOffset);
}

TEST_F(BlockRoad, BusyParameterLockDropsTheBlock) {
    Prepare();
    AudioBuffers in(2, 64, 1.0f);
    AudioBuffers out(2, 64, -7.0f);
    {
        LockHeldElsewhere preparer(plugin.parameterLock);
        EXPECT_FALSE(plugin.ProcessAudio(in.Table(), out.Table(), 64, true));  // the binding learns of it
    }
    EXPECT_TRUE(plugin.calls.empty());
    EXPECT_EQ(out[0][0], -7.0f);  // as the host gave it
    EXPECT_EQ(in[0][0], 1.0f);  // not even the denormal offset was added
    Run(in, 64);
    EXPECT_EQ(plugin.calls.size(), 1u);
}

// Gain compensation in the road: noise through an engine that halves it.
class AGCRoad : public BlockRoad {
protected:
    void SetUp() override {
        plugin.gain = 0.5;
        plugin.SetAGCEnabled(true);
        Prepare();
    }
    // Seconds of noise in blocks of 512; the last block's input and output.
    void Feed(double seconds, bool replacing = true, float prefill = 0.0f) {
        for (int done = 0; done < seconds * 48000; done += 512) {
            in = AudioBuffers(2, 512);
            for (int c = 0; c < 2; ++c)
                for (float& v : in[c]) v = static_cast<float>(0.3 * noise.Next());
            source = in;
            out = AudioBuffers(2, 512, prefill);
            plugin.ProcessAudio(in.Table(), out.Table(), 512, replacing);
        }
    }
    AudioBuffers in{2, 512}, source{2, 512}, out{2, 512};
    TestNoise noise;
};

TEST_F(AGCRoad, RestoresTheInputLevelAndSwitchesCleanly) {
    Feed(3.0);
    EXPECT_NEAR(plugin.AGCProcessor().Gain(), 2.0, 0.01);
    for (int i = 0; i < 512; i += 17) EXPECT_NEAR(out[1][i], source[1][i], 0.01) << i;

    plugin.SetAGCEnabled(false);
    Feed(0.02);
    for (int i = 0; i < 512; i += 17) EXPECT_NEAR(out[0][i], 0.5f * (source[0][i] + kOffset), 1e-6) << i;

    // Switched on again it starts afresh: a fade-in from silence, then only attenuation.
    plugin.SetAGCEnabled(true);
    EXPECT_EQ(plugin.AGCProcessor().Gain(), 0.0);
    Feed(0.01);
    EXPECT_LT(std::fabs(out[0][0]), std::fabs(0.5f * source[0][0]) + 1e-6f);
    Feed(1.0);
    EXPECT_DOUBLE_EQ(plugin.AGCProcessor().Gain(), 1.0);
}

TEST_F(AGCRoad, AccumulatingHostKeepsWhatItHad) {
    // Only the plug-in's part is scaled; the host's own content passes unchanged.
    Feed(3.0, false, 0.25f);
    for (int i = 0; i < 512; i += 17) EXPECT_NEAR(out[0][i] - 0.25f, source[0][i], 0.01) << i;
}

TEST_F(AGCRoad, FixedTargetWithoutInputBuses) {
    AudioBuffers outputs(2, 64);
    plugin.ProcessAudio(nullptr, outputs.Table(), 64, true);
    EXPECT_DOUBLE_EQ(plugin.AGCProcessor().InputMeter().Power(), 0.05);
}

TEST_F(AGCRoad, BypassIsNotCompensated) {
    Feed(3.0);
    plugin.bypass = true;
    Feed(0.02);
    for (int i = 0; i < 512; i += 17) EXPECT_FLOAT_EQ(out[0][i], source[0][i] + kOffset) << i;
}

}  // namespace
