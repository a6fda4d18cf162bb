#include "HostTestSupport.h"

#include "engine/YYorvaneAudioEffectPlugin.h"
#include "foundation/YFile.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"
#include "foundation/YZLibStream.h"
#include "phaser/VortalisAudioEffectPlugin.h"
#include "support/PresetFiles.h"
#include "support/ScratchFolder.h"

#include <chrono>
#include <thread>

using namespace HostTest;

namespace {

// The saved state's document.
std::unique_ptr<YXMLItem> StateOf(YHostedPlugin& plugin) {
    const YByteBuffer chunk = plugin.GetState();
    YMemoryStream compressed(chunk);
    YZLibStream inflating(&compressed, false);
    return YXMLDocument::Read(inflating);
}

uint32_t IdOf(YHostedPlugin& plugin, const char* name) {
    for (const YHostedParameter& parameter : plugin.Parameters())
        if (parameter.name == YString::FromUtf8(name)) return parameter.id;
    ADD_FAILURE() << "no parameter " << name;
    return 0;
}

// The user's preset file as the product writes it: A (Depth 10%) and C (30%) at the
// top, B (20%) in a folder between them.
class ProductPresets : public ::testing::Test {
protected:
    void SetUp() override {
        if (!PluginBuilt(kProduct)) GTEST_SKIP() << "the product is not built";
        maker.Initialize("Vortalis", "Yorvane", &VortalisAudioEffectPluginInterface, 500, 100);
        YPresetManagerBase& presets = maker.Presets();
        Save("A", 0.1, nullptr);
        Save("B", 0.2, presets.NewFolder("Folder", nullptr));
        Save("C", 0.3, nullptr);
        library = Load(kProduct);
    }
    void Save(const char* name, double depth, const YXMLItem* folder) {
        maker.SetParameter(0, depth);  // "Depth"
        ASSERT_NE(maker.Presets().SaveNew(YString::FromUtf8(name), folder), nullptr);
    }

    // The trigger rises in one block and falls in the next, as a host's automation
    // of a button does; then blocks run until the instance's state shows the preset.
    void Step(YHostedPlugin& plugin, const char* trigger, int32_t expectedIndex, double expectedDepth) {
        const uint32_t id = IdOf(plugin, trigger);
        plugin.SetParameter(id, 1.0);
        ProcessSignal(plugin, 256);
        plugin.SetParameter(id, 0.0);
        ProcessSignal(plugin, 256);
        const auto give = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        int64_t index = -1;
        for (;;) {
            index = StateOf(plugin)->GetAttributeInteger("CurrentPresetIndex");
            if (index == expectedIndex || std::chrono::steady_clock::now() > give) break;
            ProcessSignal(plugin, 256);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        EXPECT_EQ(index, expectedIndex) << trigger;
        EXPECT_NEAR(plugin.GetParameter(IdOf(plugin, "Depth")), expectedDepth, 1e-6) << trigger;
    }
    void StepThroughAll(YHostedPlugin& plugin) {
        ASSERT_TRUE(plugin.Prepare(48000.0, 256, 2, 2));
        ProcessSignal(plugin, 256);
        EXPECT_EQ(StateOf(plugin)->GetAttributeInteger("CurrentPresetIndex"), 0);
        Step(plugin, "PresetNext", 1, 0.3);  // A, C, B: the folder's preset comes last
        Step(plugin, "PresetNext", 2, 0.2);
        Step(plugin, "PresetNext", 0, 0.1);  // past the end
        Step(plugin, "PresetPrevious", 2, 0.2);  // before the first
    }

    ScratchFolder scratch;
    PresetFiles files;
    YYorvaneAudioEffectPlugin maker;
    std::shared_ptr<YPluginLibrary> library;
};

TEST_F(ProductPresets, TriggerParametersStepThroughThePresetsOverVst3) {
    auto plugin = MakeVst3(library);
    ASSERT_TRUE(plugin);
    StepThroughAll(*plugin);
}

TEST_F(ProductPresets, TriggerParametersStepThroughThePresetsOverVst2) {
    auto plugin = MakeVst2(library);
    ASSERT_TRUE(plugin);
    StepThroughAll(*plugin);
}

}  // namespace
