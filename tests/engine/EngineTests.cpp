#include "PassThroughEffect.h"

#include "engine/YAudioEffectPluginToAudioPluginAdapter.h"
#include "foundation/YException.h"
#include "support/RecordingBinding.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

namespace {

class Engine : public ::testing::Test {
protected:
    void SetUp() override {
        engine.Initialize("Test", "Maker", &PassThroughEffectFactory, 500, 100);
        engine.SetAdapter(&binding);
        engine.SetSampleRate(48000.0);
        engine.SetChannels(2, 2);
        effect = static_cast<PassThroughEffect*>(engine.Effect());
    }
    std::vector<float> RunBlock(int frames, float level) { return RunEngineBlock(engine, frames, level); }

    ScratchFolder scratch;  // the instance reads the user's settings and presets
    YAudioEffectPluginToAudioPluginAdapter engine;
    RecordingBinding binding;
    PassThroughEffect* effect = nullptr;
};

TEST(EngineCreation, AFactoryThatGivesNothingRaises) {
    YAudioEffectPluginToAudioPluginAdapter engine;
    auto nothing = [](void*, int64_t, int64_t) -> intptr_t { return 0; };
    try {
        engine.Initialize("Test", "Maker", nothing, 500, 100);
        FAIL();
    } catch (const YException& e) {
        EXPECT_EQ(e.Message(), YString("Error creating plugin."));
    }
    EXPECT_EQ(engine.GetParameterCount(), 0);
}

TEST_F(Engine, SurroundNeedsMoreThanTwoChannels) {
    engine.SetChannelMode(ChannelMode::Surround);
    EXPECT_EQ(engine.GetChannelMode(), ChannelMode::LeftRight);
    engine.SetupPins(1, true);
    engine.SetChannels(8, 8);
    engine.SetChannelMode(ChannelMode::Surround);  // now taken: every enabled channel
    engine.SurroundChannelsEnable()[3] = false;
    engine.InitProcessing();
    EXPECT_EQ(engine.ChannelCount(), 7);
    EXPECT_EQ(effect->Channels(), 7);
}

TEST_F(Engine, MidSideIsNeededForTheMidAndSideModes) {
    const bool expected[8] = {false, false, false, true, true, true, false, false};
    for (int mode = 0; mode < 7; ++mode) {
        engine.SetChannelMode(static_cast<ChannelMode>(mode));
        engine.InitProcessing();
        EXPECT_EQ(engine.MidSideNeeded(), expected[mode]) << mode;
        EXPECT_EQ(engine.ChannelCount(), mode == 0 || mode >= 5 ? 2 : 1) << mode;
    }
    EXPECT_EQ(ChannelModeFromName("nonsense"), ChannelMode::LeftRight);
}

TEST_F(Engine, BypassFromTheEditorTellsTheBinding) {
    engine.SetBypassFromEditor(true);
    EXPECT_NEAR(RunBlock(16, 0.5f)[0], 0.5f, 1e-6);
    const int blocks = effect->blocks;
    engine.SetBypassFromEditor(false);
    RunBlock(16, 0.5f);
    EXPECT_EQ(effect->blocks, blocks + 1);
    EXPECT_EQ(binding.bypassReports, (std::vector<bool>{true, false}));
}

// A write reaches the effect at the next block: gliding in sub-blocks of 256 across
// a long one, at once in a short one.
TEST_F(Engine, ParameterWritesReachTheEffectAtTheNextBlock) {
    RunBlock(1024, 1.0f);  // the first long block records where glides start
    engine.SetParameter(PassThroughEffect::kGain, 0.0);  // gain 1 -> 0 across the next block
    EXPECT_TRUE(engine.SettingsChanged());
    std::vector<float> out = RunBlock(1024, 1.0f);
    EXPECT_NEAR(out[0], 1.0f, 1e-6);
    EXPECT_NEAR(out[300], 0.75f, 1e-6);  // the sub-block from 256 runs at 1 - 256/1024
    EXPECT_NEAR(out[1000], 0.25f, 1e-6);
    EXPECT_FALSE(effect->Table()[PassThroughEffect::kGain].Alternate());
    EXPECT_NEAR(RunBlock(1024, 1.0f)[0], 0.0f, 1e-6);
    engine.SetParameter(PassThroughEffect::kGain, 1.0);  // gain 2 (squared curve: 1 -> 2)
    EXPECT_NEAR(RunBlock(64, 1.0f)[63], 2.0f, 1e-6);
}

// The audio thread keeps processing while another thread writes parameters,
// prepares again and switches bypass: blocks are either processed whole or dropped.
TEST_F(Engine, ConcurrentParameterWritesPreparationAndBypass) {
    effect->prepareMilliseconds = 3;
    std::atomic<bool> done{false};
    std::atomic<int> processed{0}, dropped{0}, torn{0};
    std::thread audio([&] {
        const int frames = 256;
        std::vector<float> left(frames), right(frames), outLeft(frames), outRight(frames);
        float* inputs[32] = {left.data(), right.data()};
        float* outputs[32] = {outLeft.data(), outRight.data()};
        while (!done) {
            std::fill(left.begin(), left.end(), 1.0f);
            std::fill(right.begin(), right.end(), 1.0f);
            std::fill(outLeft.begin(), outLeft.end(), -5.0f);
            engine.ProcessAudio(inputs, outputs, frames, true);
            const auto untouched = std::count(outLeft.begin(), outLeft.end(), -5.0f);
            const bool finite = std::all_of(outLeft.begin(), outLeft.end(), [](float v) { return std::isfinite(v); });
            ++(untouched == frames ? dropped : untouched == 0 && finite ? processed : torn);
            std::this_thread::sleep_for(std::chrono::microseconds(50));  // a host paces its blocks
        }
    });
    std::thread writer([&] {
        for (int i = 0; i < 2000; ++i) {
            engine.SetParameter(PassThroughEffect::kGain, (i % 100) / 100.0);
            engine.SetParameter(PassThroughEffect::kCount, (i % 7) / 7.0);
            if (i % 100 == 0) engine.bypass = !engine.bypass;
            std::this_thread::yield();
        }
    });
    for (int i = 0; i < 30; ++i) {
        engine.InitProcessing();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    writer.join();
    done = true;
    audio.join();
    EXPECT_EQ(effect->violations, 0);
    EXPECT_EQ(torn, 0);
    EXPECT_GT(processed, 0);
    EXPECT_GT(dropped, 0);
}

}  // namespace
