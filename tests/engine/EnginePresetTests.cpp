#include "PassThroughEffect.h"

#include "engine/YAudioEffectPluginToAudioPluginAdapter.h"
#include "foundation/YFile.h"
#include "foundation/YStdFileStream.h"
#include "support/AllocationCounter.h"
#include "support/RecordingBinding.h"
#include "support/PresetFiles.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

namespace {

constexpr int kPrevious = PassThroughEffect::kParameterCount;
constexpr int kNext = PassThroughEffect::kParameterCount + 1;

class EnginePresets : public ::testing::Test {
protected:
    void SetUp() override {
        engine.Initialize("Vortalis", "Yorvane", &PassThroughEffectFactory, 500, 100);
        engine.SetAdapter(&binding);
        engine.SetSampleRate(48000.0);
        engine.SetChannels(2, 2);
        engine.InitProcessing();
    }
    // One block of 64 frames through buffers made once.
    void RunBlock() {
        float* inputs[32] = {buffers[0].data(), buffers[1].data()};
        float* outputs[32] = {buffers[2].data(), buffers[3].data()};
        engine.ProcessAudio(inputs, outputs, 64, true);
    }
    // The preset worker loads in its own time: wait (boundedly) until every step
    // asked for is carried out and the index is the one expected.
    void ExpectPresetIndex(int32_t expected) {
        const auto give = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while ((engine.PendingPresetSteps() != 0 || engine.Presets().CurrentPresetIndex() != expected) &&
               std::chrono::steady_clock::now() < give)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_EQ(engine.Presets().CurrentPresetIndex(), expected);
        EXPECT_EQ(engine.PendingPresetSteps(), 0);
    }
    double Gain() { return engine.GetParameter(PassThroughEffect::kGain); }
    void SaveWithGain(const char* name, double gain, const YXMLItem* folder = nullptr) {
        engine.SetParameter(PassThroughEffect::kGain, gain);
        ASSERT_NE(engine.Presets().SaveNew(YString::FromUtf8(name), folder), nullptr);
    }
    // A trigger parameter rising through two thirds in a block of its own.
    void Press(int trigger) {
        engine.SetParameter(trigger, 1.0);
        RunBlock();
        engine.SetParameter(trigger, 0.0);
        RunBlock();
    }

    ScratchFolder scratch;
    PresetFiles files;
    YAudioEffectPluginToAudioPluginAdapter engine;
    RecordingBinding binding;
    std::vector<std::vector<float>> buffers{4, std::vector<float>(64, 1.0f)};
};

TEST_F(EnginePresets, ThePresetFileIsTheProductsAndPresetsHoldTheSettings) {
    EXPECT_EQ(engine.Presets().Path(), files.Path());
    engine.SetParameter(PassThroughEffect::kCount, 0.5);
    SaveWithGain("Loud", 0.9);
    std::unique_ptr<YXMLItem> content = YPresetManagerBase::Unpack(*engine.Presets().FindPreset("Loud"));
    EXPECT_NE(content->FindAttribute("parametergain"), nullptr);
    EXPECT_NE(content->FindAttribute("parametercount"), nullptr);
    // The index belongs to the instance, not to a preset.
    EXPECT_EQ(content->FindAttribute("CurrentPresetIndex"), nullptr);

    engine.SetParameter(PassThroughEffect::kGain, 0.1);
    engine.SetParameter(PassThroughEffect::kCount, 0.0);
    engine.Presets().Load(*engine.Presets().FindPreset("Loud"));
    EXPECT_NEAR(Gain(), 0.9, 1e-9);
    EXPECT_NEAR(engine.GetParameter(PassThroughEffect::kCount), 0.5, 0.02);
}

TEST_F(EnginePresets, TriggerParametersStepThroughTheTreeInOrderAndTheStateKeepsTheIndex) {
    SaveWithGain("A", 0.1);
    SaveWithGain("B", 0.2, engine.Presets().NewFolder("Folder", nullptr));
    SaveWithGain("C", 0.3);
    engine.Presets().SetCurrentPresetIndex(0);

    // Held high for many blocks, a trigger steps once; it steps again only after it
    // fell below two thirds.
    engine.SetParameter(kNext, 1.0);
    for (int block = 0; block < 8; ++block) RunBlock();
    for (double level : {0.7, 0.6, 0.0}) {
        engine.SetParameter(kNext, level);
        RunBlock();
    }
    ExpectPresetIndex(1);
    EXPECT_NEAR(Gain(), 0.3, 1e-9);  // A, C, B: the folder's preset comes last
    Press(kNext);
    ExpectPresetIndex(2);
    EXPECT_NEAR(Gain(), 0.2, 1e-9);
    Press(kNext);  // past the end
    ExpectPresetIndex(0);
    EXPECT_NEAR(Gain(), 0.1, 1e-9);
    Press(kPrevious);  // before the first
    ExpectPresetIndex(2);
    EXPECT_NEAR(Gain(), 0.2, 1e-9);

    // The state always carries the index, and a loaded state brings it back.
    YXMLItem state("settings");
    YStoreArchive saving(state, false);
    engine.Store(saving);
    EXPECT_EQ(state.GetAttribute("CurrentPresetIndex"), YString("2"));
    engine.Presets().SetCurrentPresetIndex(0);
    YStoreArchive saved(state, true);
    engine.Store(saved);
    EXPECT_EQ(engine.Presets().CurrentPresetIndex(), 2);
    YXMLItem older("settings");  // a state without the index leaves it alone
    YStoreArchive loading(older, true);
    engine.Store(loading);
    EXPECT_EQ(engine.Presets().CurrentPresetIndex(), 2);
    Press(kPrevious);
    ExpectPresetIndex(1);
    EXPECT_NEAR(Gain(), 0.3, 1e-9);
}

TEST_F(EnginePresets, TheAudioThreadOnlyRecordsAStep) {
    SaveWithGain("A", 0.1);
    SaveWithGain("B", 0.2);
    RunBlock();  // the first block of this size may allocate
    engine.SetParameter(kNext, 1.0);
    {
        AllocationWindow window(true);
        RunBlock();
        EXPECT_EQ(window.Count(), 0u);
    }
    ExpectPresetIndex(1);
}

TEST(EnginePresetFile, ADamagedPresetFileDoesNotStopTheInstance) {
    ScratchFolder scratch;
    PresetFiles files;
    YFile::CreatePath(files.Folder());
    {
        YStdFileStream file(files.Path(), YStdFileStream::kWrite | YStdFileStream::kCreate);
        file.Write("<Vortalispresets><preset", 24);
    }
    YAudioEffectPluginToAudioPluginAdapter engine;
    engine.Initialize("Vortalis", "Yorvane", &PassThroughEffectFactory, 500, 100);
    EXPECT_NE(engine.Presets().OpenError(), YString());
    EXPECT_TRUE(engine.Presets().StepOrder().empty());
    EXPECT_EQ(engine.GetParameterCount(), kNext + 1 + YMultiParameter::kCount);  // the multiparameters last
    engine.RequestPresetStep(1);
    engine.CarryOutPresetSteps();  // nothing to step through: nothing happens
    EXPECT_EQ(engine.Presets().CurrentPresetIndex(), 0);
}

}  // namespace
