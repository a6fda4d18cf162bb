#include "HostTestSupport.h"

#include "engine/YAudioEffectPluginToAudioPluginAdapter.h"
#include "shell/CreateAudioPlugin.h"
#include "shell/YStateChunk.h"

#include <algorithm>
#include <functional>

using namespace HostTest;

namespace {

constexpr double kRate = 48000.0;
constexpr int32_t kBlock = 512;
constexpr int32_t kBlocks = 24;

// The product's engine run directly, to prepare states for the hosted instances.
struct Product {
    std::unique_ptr<YAudioPlugin> plugin{CreateAudioPlugin()};
    YAudioEffectPluginToAudioPluginAdapter& engine = dynamic_cast<YAudioEffectPluginToAudioPluginAdapter&>(*plugin);

    int32_t Index(const char* id) const {
        for (int32_t i = 0; i < engine.GetParameterCount(); ++i)
            if (engine.GetParameterID(i) == YString::FromUtf8(id)) return i;
        ADD_FAILURE() << id;
        return 0;
    }
};

// Every block of a stereo signal through the plug-in; before each block, what the
// host does then.
std::vector<float> Render(YHostedPlugin& plugin, const std::function<void(int32_t block)>& before) {
    Signal signal(kBlock * kBlocks);
    std::vector<float> result(static_cast<std::size_t>(kBlock * kBlocks * 2));
    std::vector<float> left(kBlock), right(kBlock);
    for (int32_t b = 0; b < kBlocks; ++b) {
        before(b);
        const float* in[2] = {signal.channels[0].data() + b * kBlock, signal.channels[1].data() + b * kBlock};
        float* out[2] = {left.data(), right.data()};
        plugin.Process(in, out, kBlock);
        std::copy(left.begin(), left.end(), result.begin() + 2 * b * kBlock);
        std::copy(right.begin(), right.end(), result.begin() + (2 * b + 1) * kBlock);
    }
    return result;
}

float MaxDifference(const std::vector<float>& a, const std::vector<float>& b) {
    float worst = 0.0f;
    for (std::size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::fabs(a[i] - b[i]));
    return worst;
}

float Peak(const std::vector<float>& a) {
    float peak = 0.0f;
    for (float v : a) peak = std::max(peak, std::fabs(v));
    return peak;
}

class Macros : public ::testing::TestWithParam<YHostedPlugin::Format> {
protected:
    void SetUp() override {
        if (!PluginBuilt(kProduct)) GTEST_SKIP() << "the product was not built";
        library = Load(kProduct);
    }
    std::unique_ptr<YHostedPlugin> Make() {
        std::unique_ptr<YHostedPlugin> plugin;
        if (GetParam() == YHostedPlugin::Format::Vst2)
            plugin = MakeVst2(library);
        else
            plugin = MakeVst3(library);
        if (plugin) {
            EXPECT_TRUE(plugin->Prepare(kRate, kBlock, 2, 2));
        }
        return plugin;
    }

    std::shared_ptr<YPluginLibrary> library;
};

TEST_P(Macros, AMacroDrivingThreeParametersSoundsAsSettingThem) {
    Product product;
    const int32_t depth = product.Index("Depth"), feedback = product.Index("feedback"), low = product.Index("MinFreq");
    YMultiParameter& macro = product.engine.MultiParameter(0);
    macro.enabled = true;
    macro.targets.resize(3);
    const int32_t targets[3] = {depth, feedback, low};
    for (int k = 0; k < 3; ++k) {
        YMultiParameterParameter& target = macro.targets[static_cast<std::size_t>(k)];
        target.enabled = true;
        target.parameter = targets[k];
        target.rangeMode = k == 0 ? 4 : 0;
        target.value = 0.2 + 0.1 * k;
        target.maxValue = 0.9;
        target.invert = k == 2;
    }
    const YByteBuffer state = YStateChunk::Save(*product.plugin);
    // What the macro writes at 0.8, worked out by the engine itself.
    macro.SetValue(0.8);
    double expected[3];
    for (int k = 0; k < 3; ++k) expected[k] = product.engine.GetParameter(targets[k]);
    EXPECT_NEAR(expected[0], 0.2 + 0.7 * 0.8, 1e-9);  // the interval 0.2 .. 0.9

    auto driven = Make();
    auto direct = Make();
    ASSERT_TRUE(driven && direct);
    ASSERT_TRUE(driven->SetState(state));
    ASSERT_TRUE(direct->SetState(state));
    const auto macroIndex = static_cast<uint32_t>(product.engine.MultiParameterIndex(0));
    const std::vector<float> a = Render(*driven, [&](int32_t block) {
        if (block == 6) driven->SetParameter(macroIndex, 0.8);
    });
    const std::vector<float> b = Render(*direct, [&](int32_t block) {
        if (block == 6)
            for (int k = 0; k < 3; ++k) direct->SetParameter(static_cast<uint32_t>(targets[k]), expected[k]);
    });
    EXPECT_GT(Peak(a), 0.05f);
    EXPECT_LE(MaxDifference(a, b), 1e-6f);
    EXPECT_NEAR(driven->GetParameter(static_cast<uint32_t>(feedback)), expected[1], 1e-6);
    EXPECT_NEAR(driven->GetParameter(macroIndex), 0.8, 1e-6);

    // The same render without the macro's move differs: the comparison can fail.
    const std::vector<float> still = Render(*Make(), [](int32_t) {});
    EXPECT_GT(MaxDifference(a, still), 1e-3f);
}

TEST_P(Macros, DryWetFollowingAControllerSweepSoundsAsAutomatingIt) {
    Product product;
    const int32_t depth = product.Index("Depth");
    YMIDIControllers& table = product.engine.MIDIControllers();
    table.controllersEnabled = true;
    YMIDIControllers::Controller& slot = table.controllers[4];
    slot.enabled = true;
    slot.parameter = depth;
    slot.controller = 74;
    slot.rangeMode = 4;
    slot.value = 0.0;
    slot.maxValue = 1.0;
    const YByteBuffer state = YStateChunk::Save(*product.plugin);

    auto swept = Make();
    auto automated = Make();
    ASSERT_TRUE(swept && automated);
    ASSERT_TRUE(swept->SetState(state));
    ASSERT_TRUE(automated->SetState(state));
    auto level = [](int32_t block) { return static_cast<uint8_t>((block * 11) % 128); };
    const std::vector<float> a = Render(*swept, [&](int32_t block) { swept->AddMIDIEvent(0, 0xB0, 74, level(block)); });
    const std::vector<float> b = Render(*automated, [&](int32_t block) {
        automated->SetParameter(static_cast<uint32_t>(depth), level(block) / 127.0);
    });
    EXPECT_GT(Peak(a), 0.05f);
    EXPECT_LE(MaxDifference(a, b), 1e-6f);
    EXPECT_NEAR(swept->GetParameter(static_cast<uint32_t>(depth)), level(kBlocks - 1) / 127.0, 1e-6);
}

std::string BindingName(const ::testing::TestParamInfo<YHostedPlugin::Format>& format) {
    return format.param == YHostedPlugin::Format::Vst2 ? "Vst2" : "Vst3";
}

INSTANTIATE_TEST_SUITE_P(BothBindings, Macros, ::testing::Values(YHostedPlugin::Format::Vst2, YHostedPlugin::Format::Vst3),
                         BindingName);

}  // namespace
