// Settings built from presets: smart random settings, random macros, and active presets
// with their list file and edit mode.
#include "PassThroughEffect.h"

#include "engine/YAudioEffectPluginToAudioPluginAdapter.h"
#include "foundation/YFile.h"
#include "foundation/YRandom.h"
#include "foundation/YStdFileStream.h"
#include "foundation/YStoreArchive.h"
#include "support/PresetFiles.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cmath>

#include <string>
#include <vector>

namespace {

using Gain = PassThroughEffect;

// The value of the next draw from a seed, 0..32767.
uint32_t DrawAfter(uint32_t seed) { return (YRandom::Step(seed) >> 16) & 0x7FFF; }

class PresetSettings : public ::testing::Test {
protected:
    void SetUp() override { PrepareEngine(engine, "Vortalis", "Yorvane"); }
    void TearDown() override {
        if (YFile::Exists(engine.ActivePresetListPath())) YFile::Delete(engine.ActivePresetListPath());
    }
    std::vector<double> Values() {
        std::vector<double> values;
        for (int32_t i = 0; i < engine.GetParameterCount(); ++i) values.push_back(engine.GetParameter(i));
        return values;
    }
    void SaveWithGain(const char* name, double gain, const YXMLItem* folder) {
        engine.SetParameter(Gain::kGain, gain);
        ASSERT_NE(engine.Presets().SaveNew(YString::FromUtf8(name), folder), nullptr);
    }
    YMultiParameter& Macro(int32_t number, int32_t target, const char* name = "") {
        YMultiParameter& multi = engine.MultiParameter(number);
        multi.enabled = true;
        multi.name = YString::FromUtf8(name);
        multi.targets[0].parameter = target;
        multi.targets[0].enabled = true;
        return multi;
    }
    std::unique_ptr<YXMLItem> Stored() {
        auto root = std::make_unique<YXMLItem>(YString("Vortalis"));
        YStoreArchive archive(*root, false);
        engine.Store(archive);
        return root;
    }
    void Load(YXMLItem& root) {
        YStoreArchive archive(root, true);
        engine.Store(archive);
    }
    void WriteList(const std::string& text) {
        YStdFileStream stream(engine.ActivePresetListPath(), YStdFileStream::kWrite | YStdFileStream::kCreate);
        stream.Write(text.data(), static_cast<uint32_t>(text.size()));
    }

    ScratchFolder scratch;
    PresetFiles files;
    YAudioEffectPluginToAudioPluginAdapter engine;
};

TEST_F(PresetSettings, SmartRandomNeedsTheRandomizerFolder) {
    SaveWithGain("Elsewhere", 0.9, engine.Presets().NewFolder("Other", nullptr));
    engine.SetParameter(Gain::kGain, 0.3);
    engine.SetActivePresetEdit(false);
    const std::vector<double> before = Values();
    YRandom::SetSeed(11);
    EXPECT_EQ(engine.GenerateRandomSettingsSmart(), 0);
    EXPECT_EQ(Values(), before);
    EXPECT_FALSE(engine.ActivePresetEdit());
    EXPECT_EQ(YRandom::Seed(), 11u);  // nothing drawn either

    // An empty "Randomizer" gives nothing to draw from.
    engine.Presets().NewFolder("Randomizer", nullptr);
    EXPECT_EQ(engine.GenerateRandomSettingsSmart(), 0);
    EXPECT_EQ(Values(), before);
}

TEST_F(PresetSettings, SmartRandomPicksFromRandomizerByTheSharedGenerator) {
    const YXMLItem* folder = engine.Presets().NewFolder("Randomizer", nullptr);
    const double gains[3] = {0.2, 0.4, 0.6};
    SaveWithGain("First", gains[0], folder);
    SaveWithGain("Second", gains[1], engine.Presets().FindFolder("Randomizer"));
    SaveWithGain("Third", gains[2], engine.Presets().FindFolder("Randomizer"));
    SaveWithGain("Outside", 0.95, nullptr);
    for (uint32_t seed : {1u, 2u, 3u, 4u, 5u, 6u}) {
        engine.SetParameter(Gain::kGain, 0.1);
        engine.SetActivePresetEdit(false);
        YRandom::SetSeed(seed);
        // The first draw chooses the folder (no "Randomizer Multi": always this one),
        // the second the preset.
        const uint32_t pick = DrawAfter(YRandom::Step(seed)) % 3;
        EXPECT_EQ(engine.GenerateRandomSettingsSmart(), 1);
        EXPECT_NEAR(engine.GetParameter(Gain::kGain), gains[pick], 1e-9) << seed;
        EXPECT_TRUE(engine.ActivePresetEdit());
    }
}

TEST_F(PresetSettings, SmartRandomCombinesRandomizerMultiPresets) {
    SaveWithGain("Plain", 0.2, engine.Presets().NewFolder("Randomizer", nullptr));
    const YXMLItem* multi = engine.Presets().NewFolder("Randomizer Multi", nullptr);
    Macro(0, Gain::kCount, "Sweep");
    SaveWithGain("Macro one", 0.7, multi);
    engine.MultiParameter(0).Reset();
    Macro(1, Gain::kFourth, "Other");
    SaveWithGain("Macro two", 0.8, engine.Presets().FindFolder("Randomizer Multi"));
    engine.MultiParameter(1).Reset();

    bool sawPlain = false, sawMulti = false, sawDonatedFirst = false;
    for (uint32_t seed = 1; seed < 40 && !(sawPlain && sawMulti && sawDonatedFirst); ++seed) {
        YRandom::SetSeed(seed);
        const bool odd = DrawAfter(seed) & 1;
        ASSERT_EQ(engine.GenerateRandomSettingsSmart(), 1);
        const double gain = engine.GetParameter(Gain::kGain);
        if (!odd) {
            sawPlain = true;
            EXPECT_NEAR(gain, 0.2, 1e-9);
            EXPECT_FALSE(engine.MultiParameter(0).enabled);
            continue;
        }
        sawMulti = true;
        EXPECT_TRUE(std::fabs(gain - 0.7) < 1e-9 || std::fabs(gain - 0.8) < 1e-9) << gain;
        // The first macro too is drawn: "Macro two"'s settings with "Macro one"'s macro.
        if (std::fabs(gain - 0.8) < 1e-9 && engine.MultiParameter(0).enabled) sawDonatedFirst = true;
        // Every macro slot comes from one of the folder's presets: slot 1 only from
        // "Macro one", slot 2 only from "Macro two", never both from a preset without them.
        for (int32_t number : {0, 1}) {
            if (engine.MultiParameter(number).enabled) {
                EXPECT_EQ(engine.MultiParameter(number).targets[0].parameter, number == 0 ? Gain::kCount : Gain::kFourth);
            }
        }
        EXPECT_FALSE(engine.MultiParameter(2).enabled);
    }
    EXPECT_TRUE(sawPlain);
    EXPECT_TRUE(sawMulti);
    EXPECT_TRUE(sawDonatedFirst);
}

TEST_F(PresetSettings, RandomMacrosMoveOnlyTheEnabledMacrosAndTheirTargets) {
    Macro(0, Gain::kGain).Apply();
    YMultiParameter& off = engine.MultiParameter(1);
    off.targets[0].parameter = Gain::kFourth;
    off.targets[0].enabled = true;  // its macro is off: neither moves
    const int32_t first = engine.MultiParameterIndex(0), second = engine.MultiParameterIndex(1);
    const std::vector<double> before = Values();

    engine.GenerateRandomSettingsForMultiParameters(0.0);
    EXPECT_EQ(Values(), before);

    YRandom::SetSeed(77);
    engine.GenerateRandomSettingsForMultiParameters(1.0);
    const std::vector<double> after = Values();
    EXPECT_NEAR(after[static_cast<std::size_t>(first)], DrawAfter(77) / 32767.0, 1e-12);
    EXPECT_NE(after[Gain::kGain], before[Gain::kGain]);
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (static_cast<int32_t>(i) != first && i != Gain::kGain) {
            EXPECT_EQ(after[i], before[i]) << i;
        }
    }
    EXPECT_EQ(after[static_cast<std::size_t>(second)], before[static_cast<std::size_t>(second)]);

    // The effect's own random run leaves the macros alone.
    engine.GenerateRandomSettings(1.0);
    EXPECT_EQ(engine.GetParameter(first), after[static_cast<std::size_t>(first)]);
    EXPECT_EQ(engine.GetParameter(second), before[static_cast<std::size_t>(second)]);
}

TEST_F(PresetSettings, ActivePresetStateAndEditMode) {
    EXPECT_TRUE(engine.ActivePresetEdit());
    engine.SetActivePresetEdit(false);
    auto root = Stored();
    const YXMLItem* active = root->FindSubItem("ActivePreset");
    ASSERT_NE(active, nullptr);
    EXPECT_EQ(active->FindAttribute("Edit"), nullptr);  // off is the default inside the element

    root->FindSubItem("ActivePreset")->SetAttribute("CurrentActivePreset", "2");
    engine.SetActivePresetEdit(true);
    Load(*root);
    EXPECT_FALSE(engine.ActivePresetEdit());
    EXPECT_EQ(engine.CurrentActivePreset(), 2);

    // Settings without the element open the full editor; with it, "Edit" defaults off.
    root->RemoveSubItem(root->FindSubItem("ActivePreset"));
    Load(*root);
    EXPECT_TRUE(engine.ActivePresetEdit());
    EXPECT_EQ(engine.CurrentActivePreset(), 0);
    root->AddSubItem(YString("ActivePreset"));
    Load(*root);
    EXPECT_FALSE(engine.ActivePresetEdit());
}

TEST_F(PresetSettings, LoadingAnActivePresetPlaysItThroughItsNamedMacros) {
    Macro(0, Gain::kCount, "Sweep");
    Macro(2, Gain::kFourth);  // in use but unnamed: no control of its own
    Macro(3, Gain::kFourth, "*Hidden");  // kept off the panel by its name
    SaveWithGain("Lead", 0.6, nullptr);
    engine.MultiParameter(0).Reset();
    engine.MultiParameter(2).Reset();
    engine.MultiParameter(3).Reset();
    SaveWithGain("Pad", 0.3, engine.Presets().NewFolder("Pads", nullptr));
    engine.SetParameter(Gain::kGain, 0.1);

    EXPECT_TRUE(engine.ActivePresetNames().empty());  // no list file
    EXPECT_FALSE(engine.LoadActivePreset(0));
    WriteList("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Vortalispresets>"
              "<preset Name=\"pad\"/><other Name=\"Lead\"/><preset Name=\"Lead\"/><preset Name=\"Gone\"/></Vortalispresets>");
    const std::vector<YString> names = engine.ActivePresetNames();
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[1], YString("Lead"));

    EXPECT_FALSE(engine.LoadActivePreset(2));  // its preset is missing: nothing changes
    EXPECT_FALSE(engine.LoadActivePreset(3));
    EXPECT_TRUE(engine.ActivePresetEdit());
    EXPECT_NEAR(engine.GetParameter(Gain::kGain), 0.1, 1e-9);

    ASSERT_TRUE(engine.LoadActivePreset(1));
    EXPECT_NEAR(engine.GetParameter(Gain::kGain), 0.6, 1e-9);
    EXPECT_FALSE(engine.ActivePresetEdit());
    EXPECT_EQ(engine.CurrentActivePreset(), 1);
    EXPECT_EQ(engine.ActivePresetControls(), std::vector<int32_t>{0});
    const auto& slot = engine.MIDIControllers().controllers[0];
    EXPECT_TRUE(slot.enabled);
    EXPECT_EQ(slot.parameter, engine.MultiParameterIndex(0));

    // The state keeps the active preset; edit mode hides its controls.
    auto root = Stored();
    engine.SetActivePresetEdit(true);
    EXPECT_TRUE(engine.ActivePresetControls().empty());
    Load(*root);
    EXPECT_EQ(engine.CurrentActivePreset(), 1);
    EXPECT_EQ(engine.ActivePresetControls(), std::vector<int32_t>{0});

    ASSERT_TRUE(engine.LoadActivePreset(0));  // names are matched without case, in any folder
    EXPECT_NEAR(engine.GetParameter(Gain::kGain), 0.3, 1e-9);
    EXPECT_TRUE(engine.ActivePresetControls().empty());

    WriteList("<Vortalispresets><preset Name=");  // a damaged list offers nothing
    EXPECT_TRUE(engine.ActivePresetNames().empty());
}

}  // namespace
