// The bank procedure of a Banks multiparameter, stepped in audio time.
#include "PassThroughEffect.h"

#include "engine/YAudioEffectPluginToAudioPluginAdapter.h"
#include "engine/YBankGainSteps.h"
#include "foundation/YException.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int kGain = PassThroughEffect::kGain;
constexpr int kFourth = PassThroughEffect::kFourth;
constexpr double kRate = 48000.0;
constexpr int kBlock = 480;

class BankGains : public ::testing::Test {
protected:
    void SetUp() override {
        engine.Initialize("Test", "Maker", &PassThroughEffectFactory, 500, 100);
        engine.SetSampleRate(kRate);
        engine.SetChannels(2, 2);
        engine.InitProcessing();
        YMultiParameter& multi = engine.MultiParameter(1);
        multi.enabled = true;
        multi.mode = YMultiParameter::kBanks;
        multi.bankCount = 3;
        multi.targets.resize(2);
        const float banks[2][3] = {{0.2f, 0.5f, 0.9f}, {0.1f, 0.3f, 0.7f}};
        for (int t = 0; t < 2; ++t) {
            multi.targets[t].enabled = true;
            multi.targets[t].parameter = t == 0 ? kGain : kFourth;
            for (int b = 0; b < 3; ++b) multi.targets[t].banks[b] = banks[t][b];
        }
        multi.SetValue(0.25);
    }
    double Block() {
        std::vector<float> left(kBlock, 0.1f), right(kBlock, -0.1f), outLeft(kBlock), outRight(kBlock);
        float* inputs[32] = {left.data(), right.data()};
        float* outputs[32] = {outLeft.data(), outRight.data()};
        engine.ProcessAudio(inputs, outputs, kBlock, true);
        frames += kBlock;
        return static_cast<double>(frames) / kRate;
    }
    YMultiParameter& Multi() { return engine.MultiParameter(1); }

    YAudioEffectPluginToAudioPluginAdapter engine;
    int64_t frames = 0;
};

TEST_F(BankGains, VisitsEveryBankAndStoresWhatTheTargetsHoldThere) {
    auto procedure = YBankGainSteps::Start(engine, 1, 0.0);
    EXPECT_TRUE(engine.AGCEnabled());
    std::vector<double> positions;
    int step = -1;
    while (procedure->Running()) {
        // The step in progress, from the progress figure: a new one has just begun.
        const int current = static_cast<int>(procedure->Progress() * 3.0 + 1e-9);
        if (current != step) {
            step = current;
            positions.push_back(Multi().Value());
            // What the targets hold at this position...
            EXPECT_NEAR(engine.GetParameter(kGain), Multi().targets[0].banks[step], 1e-6) << step;
            // ...and something that moves one of them meanwhile: the bank takes it.
            engine.SetParameter(kFourth, 0.05 * (step + 1));
        }
        procedure->Poll(Block());
    }
    EXPECT_EQ(procedure->GetState(), YAGCMeasurement::State::Done);
    ASSERT_EQ(positions.size(), 3u);
    EXPECT_DOUBLE_EQ(positions[0], 0.0);
    EXPECT_DOUBLE_EQ(positions[1], 0.5);
    EXPECT_DOUBLE_EQ(positions[2], 1.0);
    const float gains[3] = {0.2f, 0.5f, 0.9f};
    for (int b = 0; b < 3; ++b) {
        EXPECT_NEAR(Multi().targets[0].banks[b], gains[b], 1e-6) << b;
        EXPECT_NEAR(Multi().targets[1].banks[b], 0.05 * (b + 1), 1e-6) << b;
    }
    // Three steps of 40 waits of 100 ms.
    EXPECT_NEAR(static_cast<double>(frames) / kRate, 12.0, 0.011);
    EXPECT_FALSE(engine.AGCEnabled());
}

TEST_F(BankGains, CancelPutsBackTheBanksTheValueAndTheSwitch) {
    engine.SetAGCEnabled(true);
    auto procedure = YBankGainSteps::Start(engine, 1, 0.0);
    engine.SetParameter(kFourth, 0.6);
    while (procedure->Progress() < 0.5) procedure->Poll(Block());
    EXPECT_NEAR(Multi().targets[1].banks[0], 0.6, 1e-6);  // the first bank was taken
    procedure->Cancel();
    EXPECT_NEAR(Multi().targets[1].banks[0], 0.1, 1e-6);
    EXPECT_DOUBLE_EQ(Multi().Value(), 0.25);
    EXPECT_TRUE(engine.AGCEnabled());
}

TEST_F(BankGains, OnlyForABanksMultiparameter) {
    Multi().mode = YMultiParameter::kSwitch;
    try {
        YBankGainSteps::Start(engine, 1, 0.0);
        FAIL() << "started";
    } catch (const YException& e) {
        EXPECT_NE(e.Message().ToUtf8().find("not in Banks mode"), std::string::npos) << e.Message().ToUtf8();
    }
    EXPECT_THROW(YBankGainSteps::Start(engine, 4, 0.0), YException);
    // Nothing was switched, and nothing stays claimed.
    EXPECT_FALSE(engine.AGCEnabled());
    EXPECT_FALSE(engine.AGCMeasuring());
}

}  // namespace
