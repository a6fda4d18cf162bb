// Random settings: the definition rule for every kind, and the engine's run over its
// parameters, including while audio runs on another thread.
#include "PassThroughEffect.h"

#include "engine/YAudioEffectPluginToAudioPluginAdapter.h"
#include "foundation/YFormat.h"
#include "foundation/YRandom.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

namespace {

// The draw the next Randomise or random setting will make from a seed.
double NextDraw(uint32_t seed) { return static_cast<double>((YRandom::Step(seed) >> 16) & 0x7FFF) / 32767.0; }

TEST(DefinitionRule, FullDrawCoversTheRangeThroughTheCurve) {
    YRandom::SetSeed(1234);
    ParameterDefinition f = FloatParameter("F", "f", 10.0, 20.0, 15.0);
    f.shape = ParameterShape::FourthPower;
    const double u = NextDraw(1234);
    f.Randomise(1.0);
    EXPECT_DOUBLE_EQ(f.value.Load(), 10.0 + 10.0 * u * u * u * u);

    ParameterDefinition i = IntegerParameter("I", "i", -5, 5, 0);
    const double v = NextDraw(YRandom::Seed());
    i.Randomise(1.0);
    EXPECT_EQ(i.value.Load(), std::floor(-5.0 + v * 10.0 + 0.5));

    static const YString names[3] = {"a", "b", "c"};
    ParameterDefinition e = EnumParameter("E", "e", names, 3, 0);
    const double w = NextDraw(YRandom::Seed());
    e.Randomise(1.0);
    EXPECT_EQ(e.value.Load(), std::floor(w * 3.0));

    ParameterDefinition b = BooleanParameter("B", "b", false);
    const uint32_t next = YRandom::Step(YRandom::Seed());
    b.Randomise(1.0);
    EXPECT_EQ(b.value.Load(), (next >> 16) & 1 ? 1.0 : 0.0);
}

TEST(DefinitionRule, PartialDrawStaysNearAndInsideTheRange) {
    static const YString names[5] = {"a", "b", "c", "d", "e"};
    YRandom::SetSeed(99);
    for (int run = 0; run < 2000; ++run) {
        ParameterDefinition f = FloatParameter("F", "f", 0.0, 4.0, 3.9);
        f.shape = ParameterShape::Squared;
        const double before = f.Normalise(3.9);
        f.Randomise(0.1);
        EXPECT_LE(std::fabs(f.Normalise(f.value.Load()) - before), 0.1 + 1e-12);
        EXPECT_LE(f.value.Load(), 4.0);

        ParameterDefinition i = IntegerParameter("I", "i", 0, 10, 10);
        i.Randomise(0.3);  // at most 3 steps away, never beyond 10
        EXPECT_GE(i.value.Load(), 7.0);
        EXPECT_LE(i.value.Load(), 10.0);
        EXPECT_EQ(i.value.Load(), std::floor(i.value.Load()));

        ParameterDefinition e = EnumParameter("E", "e", names, 5, 0);
        e.Randomise(0.25);  // within 1.25 items, rounded: 0 or 1
        EXPECT_GE(e.value.Load(), 0.0);
        EXPECT_LE(e.value.Load(), 1.0);

        ParameterDefinition b = BooleanParameter("B", "b", true);
        b.Randomise(0.49);
        EXPECT_EQ(b.value.Load(), 1.0);
    }
}

TEST(DefinitionRule, WholeNumbersWhenAsked) {
    YRandom::SetSeed(7);
    for (int run = 0; run < 200; ++run) {
        ParameterDefinition f = FloatParameter("F", "f", 0.0, 12.0, 6.0);
        f.SetFlag(1, ParameterDefinition::kWholeNumbersBit, true);
        f.Randomise(run % 2 ? 1.0 : 0.5);
        EXPECT_EQ(f.value.Load(), std::floor(f.value.Load()));
        EXPECT_GE(f.value.Load(), 0.0);
        EXPECT_LE(f.value.Load(), 12.0);
    }
}

class RandomSettings : public ::testing::Test {
protected:
    void SetUp() override {
        PrepareEngine(engine);
        effect = static_cast<PassThroughEffect*>(engine.Effect());
    }
    std::vector<double> Values() {
        std::vector<double> values;
        for (int32_t i = 0; i < engine.GetParameterCount(); ++i) values.push_back(engine.GetParameter(i));
        return values;
    }
    std::vector<float> RunBlock(int frames, float level) { return RunEngineBlock(engine, frames, level); }

    YAudioEffectPluginToAudioPluginAdapter engine;
    PassThroughEffect* effect = nullptr;
};

TEST_F(RandomSettings, AmountBoundsTheMove) {
    const std::vector<double> start = Values();
    engine.GenerateRandomSettings(0.0);
    EXPECT_EQ(Values(), start);
    for (int run = 0; run < 50; ++run) {
        const std::vector<double> before = Values();
        engine.GenerateRandomSettings(0.1);
        const std::vector<double> after = Values();
        for (std::size_t i = 0; i < after.size(); ++i) {
            // An integer lands on its nearest whole value: half a step more at most.
            const double slack = i == PassThroughEffect::kCount ? 0.5 / 99.0 : 1e-12;
            EXPECT_LE(std::fabs(after[i] - before[i]), 0.1 + slack) << i;
        }
    }
}

TEST_F(RandomSettings, FollowsTheSharedGeneratorAndSkipsNonParticipants) {
    effect->Table()[PassThroughEffect::kCount].SetFlag(0, ParameterDefinition::kRandomizableBit, false);
    const std::vector<double> before = Values();
    YRandom::SetSeed(2024);
    engine.GenerateRandomSettings(1.0);
    // "gain" is the first parameter and draws first: r / 32767 on its normalised scale.
    EXPECT_NEAR(engine.GetParameter(PassThroughEffect::kGain), NextDraw(2024), 1e-12);
    EXPECT_EQ(engine.GetParameter(PassThroughEffect::kCount), before[PassThroughEffect::kCount]);
    // The preset triggers never take part: a random setting does not step the preset.
    const int32_t triggers = effect->DefinitionCount();
    EXPECT_EQ(engine.GetParameter(triggers), 0.0);
    EXPECT_EQ(engine.GetParameter(triggers + 1), 0.0);
    EXPECT_EQ(engine.TakePendingPresetSteps(), 0);
    RunBlock(64, 1.0f);
    EXPECT_EQ(engine.TakePendingPresetSteps(), 0);
}

TEST_F(RandomSettings, ParametersJumpInsteadOfGliding) {
    engine.SetParameter(PassThroughEffect::kGain, 0.5);  // gain 0.5 on the squared curve
    RunBlock(1024, 1.0f);
    RunBlock(1024, 1.0f);
    engine.GenerateRandomSettings(1.0);
    const double gain = effect->Table()[PassThroughEffect::kGain].value.Load();
    const std::vector<float> out = RunBlock(1024, 1.0f);
    EXPECT_NEAR(out[0], gain, 1e-5);
    EXPECT_NEAR(out[1023], gain, 1e-5);
}

// Every processed block sees all values of one random setting, never a mix of two:
// the run holds the three locks throughout. Many parameters make the run long enough
// for a block to fall into it.
class SnapshotEffect : public PassThroughEffect {
public:
    static constexpr int kParameters = 2048;
    static constexpr int kSlots = 500;
    using Setting = std::array<double, kParameters>;

    SnapshotEffect() {
        for (int p = 0; p < kParameters; ++p) many_[static_cast<std::size_t>(p)] = FloatParameter(YFormat("P{0}").Arg(p), YFormat("p{0}").Arg(p), 0.0, 1.0, 0.5);
        definitions_ = many_.data();
        definitionCount_ = kParameters;
    }
    void ProcessBlock(HostTransport& context, float** inputs, float** outputs, int32_t count) override {
        PassThroughEffect::ProcessBlock(context, inputs, outputs, count);
        const int32_t slot = recorded.load();
        if (slot < kSlots) {
            snapshots[static_cast<std::size_t>(slot)] = Current();
            recorded = slot + 1;
        }
        // A block lasts a while; nothing may change under it.
        const Setting start = Current();
        const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(100);
        while (std::chrono::steady_clock::now() < until) {
        }
        if (Current() != start) ++changedDuringBlock;
    }
    Setting Current() const {
        Setting values{};
        for (int p = 0; p < kParameters; ++p) values[static_cast<std::size_t>(p)] = many_[static_cast<std::size_t>(p)].value.Load();
        return values;
    }
    std::vector<Setting> snapshots = std::vector<Setting>(kSlots);
    std::atomic<int32_t> recorded{0};
    std::atomic<int32_t> changedDuringBlock{0};

private:
    std::array<ParameterDefinition, kParameters> many_;
};

intptr_t SnapshotEffectFactory(void* effect, int64_t command, int64_t argument) {
    auto* object = effect ? static_cast<SnapshotEffect*>(effect) : new SnapshotEffect;
    if (command == kEffectCommandGetObject) return reinterpret_cast<intptr_t>(object);
    return object->Command(command, argument);
}

TEST(RandomSettingsWhileAudioRuns, EveryBlockSeesOneWholeSetting) {
    YAudioEffectPluginToAudioPluginAdapter engine;
    engine.Initialize("Test", "Maker", &SnapshotEffectFactory, 500, 100);
    engine.SetSampleRate(48000.0);
    engine.SetChannels(2, 2);
    engine.InitProcessing();
    auto* effect = static_cast<SnapshotEffect*>(engine.Effect());
    std::vector<SnapshotEffect::Setting> settings{effect->Current()};
    std::atomic<bool> done{false};
    std::thread audio([&] {
        std::vector<float> left(128, 1.0f), right(128, 1.0f), outLeft(128), outRight(128);
        float* inputs[32] = {left.data(), right.data()};
        float* outputs[32] = {outLeft.data(), outRight.data()};
        while (!done) {
            engine.ProcessAudio(inputs, outputs, 128, true);
            std::this_thread::yield();
        }
    });
    for (int run = 0; run < 200; ++run) {
        engine.GenerateRandomSettings(1.0);
        settings.push_back(effect->Current());
        std::this_thread::yield();
    }
    done = true;
    audio.join();
    const int32_t blocks = effect->recorded.load();
    ASSERT_GT(blocks, 0);
    EXPECT_EQ(effect->changedDuringBlock, 0);
    for (int32_t b = 0; b < blocks; ++b) {
        const SnapshotEffect::Setting& seen = effect->snapshots[static_cast<std::size_t>(b)];
        bool whole = false;
        for (const auto& setting : settings) whole |= setting[0] == seen[0] && setting == seen;
        ASSERT_TRUE(whole) << "block " << b;
    }
}

}  // namespace
