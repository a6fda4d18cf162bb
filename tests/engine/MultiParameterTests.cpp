#include "PassThroughEffect.h"

#include "engine/YAudioEffectPluginToAudioPluginAdapter.h"
#include "engine/YMultiParameter.h"
#include "foundation/YFormat.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"
#include "foundation/YXMLItem.h"

#include <memory>

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int kGain = PassThroughEffect::kGain;
constexpr int kFourth = PassThroughEffect::kFourth;
constexpr int kCount = PassThroughEffect::kCount;

class MultiParameters : public ::testing::Test {
protected:
    void SetUp() override { PrepareEngine(engine); }
    void RunBlock(int frames) { RunEngineBlock(engine, frames); }
    void RunFrames(int frames, int block = 480) {
        for (; frames > 0; frames -= block) RunBlock(std::min(block, frames));
    }
    YMultiParameterParameter& Target(YMultiParameter& multi, int parameter, std::size_t at = 0) {
        if (multi.targets.size() <= at) multi.targets.resize(at + 1);
        YMultiParameterParameter& target = multi.targets[at];
        target.parameter = parameter;
        target.enabled = true;
        return target;
    }

    YAudioEffectPluginToAudioPluginAdapter engine;
};

YMultiParameterParameter Mapping(int mode, double value, double range, double maxValue = 1.0, bool invert = false) {
    YMultiParameterParameter target;
    target.rangeMode = mode;
    target.value = value;
    target.range = range;
    target.maxValue = maxValue;
    target.invert = invert;
    return target;
}

TEST(RangeMapping, EachModeAtItsEdges) {
    const auto upDown = Mapping(0, 0.9, 1.0);
    EXPECT_NEAR(upDown.Map(0.0), 0.8, 1e-12);  // narrowed so it stays inside 0..1
    EXPECT_NEAR(upDown.Map(1.0), 1.0, 1e-12);
    const auto full = Mapping(1, 0.9, 0.5);
    EXPECT_NEAR(full.Map(0.0), 0.5, 1e-12);  // the centre moved to keep the width
    EXPECT_NEAR(full.Map(1.0), 1.0, 1e-12);
    EXPECT_NEAR(Mapping(1, 0.5, 1.0).Map(0.25), 0.25, 1e-12);
    const auto up = Mapping(2, 0.7, 0.5);
    EXPECT_NEAR(up.Map(0.0), 0.7, 1e-12);
    EXPECT_NEAR(up.Map(1.0), 1.0, 1e-12);
    EXPECT_NEAR(Mapping(3, 0.2, 0.5).Map(1.0), 0.0, 1e-12);
    EXPECT_NEAR(Mapping(3, 0.2, 0.5).Map(0.0), 0.2, 1e-12);
    EXPECT_NEAR(Mapping(4, 0.2, 1.0, 0.6).Map(0.5), 0.4, 1e-12);
    EXPECT_NEAR(Mapping(4, 0.2, 1.0, 0.6, true).Map(0.0), 0.6, 1e-12);
    EXPECT_NEAR(Mapping(9, 0.3, 1.0).Map(1.0), 0.3, 1e-12);  // unknown mode: the value
    EXPECT_EQ(RangeModeName(4), YString("Interval"));
}

TEST_F(MultiParameters, RegisteredAfterTheTriggersWithTheirNames) {
    const int first = PassThroughEffect::kParameterCount + 2;
    EXPECT_EQ(engine.GetParameterCount(), first + 4);
    for (int m = 0; m < 4; ++m) {
        EXPECT_EQ(engine.MultiParameterIndex(m), first + m);
        EXPECT_EQ(engine.GetParameterName(first + m), YFormat("MultiParameter {0}").Arg(m + 1).Result());
        EXPECT_EQ(engine.GetParameterType(first + m), 1);
        EXPECT_DOUBLE_EQ(engine.GetParameter(first + m), 0.5);
    }
    EXPECT_EQ(engine.GetParameterName(PassThroughEffect::kParameterCount + 1), YString("Preset trigger - next"));
    engine.MultiParameter(1).name = "Sweep";
    EXPECT_EQ(engine.GetParameterName(first + 1), YString("Sweep"));
    EXPECT_EQ(engine.GetParameterValueName(first + 1), YString("50.0%"));
}

TEST_F(MultiParameters, ANormalMacroDrivesEveryEnabledTargetThroughItsMapping) {
    YMultiParameter& multi = engine.MultiParameter(0);
    Target(multi, kGain) = Mapping(4, 0.2, 1.0, 0.6);
    multi.targets[0].parameter = kGain;
    Target(multi, kFourth, 1) = Mapping(0, 0.9, 1.0);
    multi.targets[1].parameter = kFourth;
    Target(multi, kCount, 2).enabled = false;
    const double countBefore = engine.GetParameter(kCount);
    engine.SetParameter(engine.MultiParameterIndex(0), 0.5);
    EXPECT_NEAR(engine.GetParameter(kGain), 0.4, 1e-9);
    EXPECT_NEAR(engine.GetParameter(kFourth), 0.9, 1e-9);
    EXPECT_EQ(engine.GetParameter(kCount), countBefore);
    engine.SetParameter(engine.MultiParameterIndex(0), 0.0);
    EXPECT_NEAR(engine.GetParameter(kFourth), 0.8, 1e-9);
    // While learning nothing moves.
    multi.learning = true;
    engine.SetParameter(engine.MultiParameterIndex(0), 1.0);
    EXPECT_NEAR(engine.GetParameter(kFourth), 0.8, 1e-9);
}

TEST_F(MultiParameters, UseFirstRangeTakesTheFirstMappingButKeepsItsParameter) {
    YMultiParameter& multi = engine.MultiParameter(0);
    Target(multi, kGain) = Mapping(4, 0.2, 1.0, 0.6);
    multi.targets[0].parameter = kGain;
    YMultiParameterParameter& second = Target(multi, kFourth, 1);
    second.rangeMode = 2;
    second.value = 0.9;
    second.useFirstRange = true;
    multi.SetValue(0.25);
    EXPECT_NEAR(engine.GetParameter(kGain), 0.3, 1e-9);
    EXPECT_NEAR(engine.GetParameter(kFourth), 0.3, 1e-9);
    second.useFirstRange = false;
    multi.SetValue(0.25);
    EXPECT_NEAR(engine.GetParameter(kFourth), 0.925, 1e-9);
}

TEST_F(MultiParameters, TheShapeBendsTheInputFirst) {
    YMultiParameter& multi = engine.MultiParameter(0);
    YMultiParameterParameter& target = Target(multi, kFourth);
    target.rangeMode = 4;
    target.value = 0.0;
    target.maxValue = 1.0;
    multi.SetValue(0.3);
    EXPECT_NEAR(engine.GetParameter(kFourth), 0.3, 1e-9);  // the new shape is a straight line
    target.shapeEnabled = true;
    multi.SetValue(0.3);
    EXPECT_NEAR(engine.GetParameter(kFourth), 0.3, 1e-9);
    // A curve that holds 1 from the middle on.
    target.shape.InsertPoint(YEnvelopeComputer::NewPoint(0.5, 1.0));
    multi.SetValue(0.75);
    EXPECT_NEAR(engine.GetParameter(kFourth), 1.0, 1e-9);
    multi.SetValue(0.25);
    EXPECT_NEAR(engine.GetParameter(kFourth), 0.5, 1e-9);
}

TEST_F(MultiParameters, BanksBlendOrPickTheNearest) {
    YMultiParameter& multi = engine.MultiParameter(0);
    multi.mode = YMultiParameter::kBanks;
    multi.bankCount = 4;
    YMultiParameterParameter& blended = Target(multi, kGain);
    blended.banks = {0.1f, 0.3f, 0.7f, 0.9f};
    YMultiParameterParameter& picked = Target(multi, kFourth, 1);
    picked.banks = {0.1f, 0.3f, 0.7f, 0.9f};
    picked.interpolate = false;
    multi.SetValue(0.5);
    EXPECT_NEAR(engine.GetParameter(kGain), 0.5, 1e-6);   // midway between banks 1 and 2
    EXPECT_NEAR(engine.GetParameter(kFourth), 0.7, 1e-6);  // bank 2
    multi.SetValue(1.0);
    EXPECT_NEAR(engine.GetParameter(kGain), 0.9, 1e-6);
    EXPECT_NEAR(engine.GetParameter(kFourth), 0.9, 1e-6);
    multi.SetValue(0.1);
    EXPECT_NEAR(engine.GetParameter(kFourth), 0.1, 1e-6);
}

TEST_F(MultiParameters, ASwitchRampsOverItsTimeAndBack) {
    YMultiParameter& multi = engine.MultiParameter(0);
    multi.enabled = true;
    multi.mode = YMultiParameter::kSwitch;
    multi.SetValue(0.0);
    YMultiParameterParameter& target = Target(multi, kFourth);
    target.rangeMode = 4;
    target.value = 0.0;
    target.maxValue = 1.0;
    RunFrames(960);
    EXPECT_EQ(multi.Position(), 0.0);
    EXPECT_FALSE(multi.Switching());

    multi.SetValue(1.0);
    RunFrames(48000 - 480);
    EXPECT_TRUE(multi.Switching());
    EXPECT_NEAR(multi.Position(), 1.0 - 480.0 / 48000.0, 1e-9);
    EXPECT_NEAR(engine.GetParameter(kFourth), multi.Position(), 1e-9);
    RunFrames(480);
    EXPECT_EQ(multi.Position(), 1.0);
    EXPECT_FALSE(multi.Switching());
    EXPECT_EQ(multi.Value(), 1.0);
    EXPECT_NEAR(engine.GetParameter(kFourth), 1.0, 1e-9);
    RunFrames(4800);
    EXPECT_EQ(multi.Value(), 1.0);

    multi.SetValue(0.2);
    RunFrames(24000);
    EXPECT_NEAR(multi.Position(), 0.5, 1e-9);
    EXPECT_EQ(multi.Value(), 0.0);
    RunFrames(24000);
    EXPECT_EQ(multi.Position(), 0.0);
    EXPECT_FALSE(multi.Switching());
    EXPECT_NEAR(engine.GetParameter(kFourth), 0.0, 1e-9);
}

TEST_F(MultiParameters, ASwitchTurnedMidwayReversesAndTheRampUsesSmallSubBlocks) {
    YMultiParameter& multi = engine.MultiParameter(0);
    multi.enabled = true;
    multi.mode = YMultiParameter::kSwitch;
    multi.switchTime = 0.1;  // 4800 frames
    multi.SetValue(0.0);
    RunFrames(480);
    multi.SetValue(1.0);
    RunBlock(2400);  // cut into sub-blocks of 256: the ramp moves inside the block
    EXPECT_NEAR(multi.Position(), 0.5, 1e-9);
    multi.SetValue(0.0);
    RunBlock(1200);
    EXPECT_NEAR(multi.Position(), 0.25, 1e-9);
    EXPECT_TRUE(multi.Switching());
    EXPECT_LT(multi.Direction(), 0.0);
    RunBlock(1200);
    EXPECT_EQ(multi.Position(), 0.0);
}

TEST_F(MultiParameters, ATriggerResetsItselfRisesAndFallsBack) {
    YMultiParameter& multi = engine.MultiParameter(0);
    multi.enabled = true;
    multi.mode = YMultiParameter::kTrigger;
    multi.SetValue(0.0);
    RunFrames(480);
    multi.SetValue(1.0);
    RunBlock(480);
    EXPECT_EQ(multi.Value(), 0.0);  // reset at once
    EXPECT_NEAR(multi.Position(), 0.01, 1e-9);
    RunFrames(48000 - 480);
    EXPECT_EQ(multi.Position(), 1.0);
    EXPECT_TRUE(multi.Switching());
    EXPECT_LT(multi.Direction(), 0.0);
    RunFrames(24000);
    EXPECT_NEAR(multi.Position(), 0.5, 1e-9);
    // Pressed again while falling: it rises again.
    multi.SetValue(1.0);
    RunFrames(4800);
    EXPECT_NEAR(multi.Position(), 0.6, 1e-9);
    RunFrames(19200 + 48000);
    EXPECT_EQ(multi.Position(), 0.0);
    EXPECT_FALSE(multi.Switching());
}

TEST_F(MultiParameters, ADisabledMacroDoesNotRamp) {
    YMultiParameter& multi = engine.MultiParameter(2);
    multi.mode = YMultiParameter::kSwitch;
    multi.SetValue(1.0);
    RunFrames(4800);
    EXPECT_TRUE(multi.Switching());
    EXPECT_EQ(multi.Position(), 0.0);
}

// ---- Stored form ---------------------------------------------------------------------------

std::unique_ptr<YXMLItem> Stored(YAudioEffectPluginToAudioPluginAdapter& engine) {
    auto root = std::make_unique<YXMLItem>(YString("settings"));
    YStoreArchive archive(*root, false);
    engine.Store(archive);
    return root;
}

std::string Text(const YXMLItem& root) {
    YMemoryStream stream;
    YXMLDocument::Write(root, stream);
    return std::string(reinterpret_cast<const char*>(stream.GetBuffer().Data()), stream.GetDataSize());
}

void Load(YAudioEffectPluginToAudioPluginAdapter& engine, YXMLItem& root) {
    YStoreArchive archive(root, true);
    engine.Store(archive);
}

TEST_F(MultiParameters, DefaultsAreNotStoredAndAStoredSetUpComesBackTheSame) {
    {
        auto root = Stored(engine);
        ASSERT_NE(root->FindSubItem("MultiParameters"), nullptr);
        EXPECT_EQ(root->FindSubItem("MultiParameters")->GetSubItemCount(), 0u);
    }
    YMultiParameter& normal = engine.MultiParameter(0);
    normal.enabled = true;
    Target(normal, kGain);
    YMultiParameterParameter& shaped = Target(normal, kFourth, 1);
    shaped.rangeMode = 2;
    shaped.invert = true;
    shaped.shapeEnabled = true;
    shaped.shape.InsertPoint(YEnvelopeComputer::NewPoint(0.25, 0.75));
    normal.SetValue(0.3);
    YMultiParameter& banks = engine.MultiParameter(3);
    banks.name = "Scenes";
    banks.group = "Main";
    banks.mode = YMultiParameter::kBanks;
    banks.bankCount = 3;
    YMultiParameterParameter& banked = Target(banks, kCount);
    banked.interpolate = false;
    banked.banks = {0.25f, 0.5f, 0.75f};

    auto root = Stored(engine);
    const YXMLItem& multis = *root->FindSubItem("MultiParameters");
    ASSERT_EQ(multis.GetSubItemCount(), 2u);
    const YXMLItem& first = *multis.FindSubItem("MultiParameter0");
    EXPECT_EQ(first.GetAttribute("Mode"), YString("Normal"));
    EXPECT_EQ(first.GetAttribute("ValueMode"), YString("Percents"));
    EXPECT_EQ(first.GetAttribute("Value"), YString("0.3"));
    EXPECT_EQ(first.FindAttribute("Name"), nullptr);
    EXPECT_EQ(first.FindAttribute("SwitchTime"), nullptr);
    EXPECT_EQ(first.FindAttribute("BankCount"), nullptr);
    const YXMLItem& plain = *first.GetSubItemAt(0);
    EXPECT_EQ(plain.GetAttribute("ParameterName"), YString("gain"));
    EXPECT_EQ(plain.GetAttribute("FullRange"), YString("0"));
    for (const char* omitted : {"ParameterEnabled", "Value", "MaxValue", "Range", "Invert", "UseFirstRange", "Interpolate"})
        EXPECT_EQ(plain.FindAttribute(YString::FromUtf8(omitted)), nullptr) << omitted;
    EXPECT_EQ(multis.FindSubItem("MultiParameter3")->GetAttribute("BankCount"), YString("3"));

    YAudioEffectPluginToAudioPluginAdapter other;
    other.Initialize("Test", "Maker", &PassThroughEffectFactory, 500, 100);
    other.MultiParameter(1).enabled = true;  // no child for it: reset
    Target(other.MultiParameter(1), kGain);
    Load(other, *root);
    EXPECT_FALSE(other.MultiParameter(1).enabled);
    EXPECT_EQ(other.MultiParameter(1).targets.size(), 1u);
    EXPECT_FALSE(other.MultiParameter(1).targets[0].enabled);
    const YMultiParameter& loaded = other.MultiParameter(3);
    EXPECT_EQ(loaded.name, YString("Scenes"));
    EXPECT_EQ(loaded.mode, YMultiParameter::kBanks);
    EXPECT_EQ(loaded.targets[0].parameter, kCount);
    EXPECT_FALSE(loaded.targets[0].interpolate);
    EXPECT_EQ(loaded.targets[0].banks[2], 0.75f);
    EXPECT_EQ(other.MultiParameter(0).targets[1].shape.PointCount(), 3);
    EXPECT_DOUBLE_EQ(other.MultiParameter(0).Value(), 0.3);
    EXPECT_EQ(Text(*Stored(other)), Text(*Stored(engine)));
}

TEST_F(MultiParameters, AHandWrittenMinimalDocumentGivesTheDefaults) {
    YXMLItem root("settings");
    YXMLItem* multi = root.AddSubItem("MultiParameters")->AddSubItem("MultiParameter2");
    multi->SetAttribute("Mode", "trigger");
    multi->SetAttribute("ShapeEnabled", "1");
    YXMLItem* target = multi->AddSubItem("Parameter");
    target->SetAttribute("ParameterName", "fourth");
    target->SetAttribute("ShapeEnabled", "1");  // without a "Shape" child: not read
    target->SetAttribute("Value", "7");
    multi->AddSubItem("Parameter")->SetAttribute("ParameterName", "nothing such");
    Load(engine, root);
    const YMultiParameter& loaded = engine.MultiParameter(2);
    EXPECT_EQ(loaded.mode, YMultiParameter::kTrigger);
    EXPECT_EQ(loaded.name, YString("MultiParameter 3"));
    EXPECT_DOUBLE_EQ(loaded.switchTime, 1.0);
    EXPECT_DOUBLE_EQ(loaded.Value(), 0.5);
    ASSERT_EQ(loaded.targets.size(), 2u);
    const YMultiParameterParameter& first = loaded.targets[0];
    EXPECT_TRUE(first.enabled);
    EXPECT_EQ(first.parameter, kFourth);
    EXPECT_DOUBLE_EQ(first.value, 1.0);
    EXPECT_DOUBLE_EQ(first.maxValue, 1.0);
    EXPECT_DOUBLE_EQ(first.range, 1.0);
    EXPECT_FALSE(first.shapeEnabled);
    EXPECT_EQ(loaded.targets[1].parameter, -1);
}

TEST_F(MultiParameters, BankDataOfTheWrongSizeLeavesTheMultiParameterAsItWas) {
    YMultiParameter& banks = engine.MultiParameter(0);
    banks.mode = YMultiParameter::kBanks;
    Target(banks, kGain).banks[1] = 0.5f;
    auto root = Stored(engine);
    root->FindSubItem("MultiParameters")->FindSubItem("MultiParameter0")->SetAttribute("BankCount", "5");
    Load(engine, *root);
    EXPECT_EQ(engine.MultiParameter(0).bankCount, 4);
    EXPECT_EQ(engine.MultiParameter(0).targets[0].banks[1], 0.5f);
    EXPECT_EQ(engine.MultiParameter(0).targets[0].parameter, kGain);
    // Values outside 0..1 come back held.
    YMultiParameterParameter& target = engine.MultiParameter(0).targets[0];
    target.banks[2] = 3.0f;
    target.value = 0.25;
    auto good = Stored(engine);
    good->FindSubItem("MultiParameters")->FindSubItem("MultiParameter0")->GetSubItemAt(0)->SetAttribute("Value", "-2");
    Load(engine, *good);
    EXPECT_EQ(engine.MultiParameter(0).targets[0].banks[2], 1.0f);
    EXPECT_EQ(engine.MultiParameter(0).targets[0].value, 0.0);
}

}  // namespace
