#include "HostTestSupport.h"

#include <cstring>
#include <string>

using namespace HostTest;

namespace {

class Parameters : public ::testing::Test {
protected:
    void SetUp() override {
        library = Load();
        ASSERT_TRUE(library);
    }
    std::shared_ptr<YPluginLibrary> library;
    DirectEngine direct;  // the same plug-in, for the expected texts
};

TEST_F(Parameters, Vst2ListsTheEnginesParametersUnderTheirIdentifiers) {
    auto plugin = MakeVst2(library);
    ASSERT_TRUE(plugin);
    const std::vector<YHostedParameter> parameters = plugin->Parameters();
    ASSERT_EQ(static_cast<int32_t>(parameters.size()), direct.Plugin().GetParameterCount());
    const char* names[] = {"gain", "count", "mode", "switch", "fourthParameterWithALong", "sync", "PresetPrevious",
                           "PresetNext", "MultiParameter 1", "MultiParameter 2", "MultiParameter 3", "MultiParameter 4"};
    ASSERT_EQ(parameters.size(), std::size(names));
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        EXPECT_EQ(parameters[i].name.ToUtf8(), names[i]);  // identifiers, cut to 24 characters
        EXPECT_TRUE(parameters[i].automatable);
        EXPECT_NEAR(parameters[i].defaultValue, direct.Plugin().GetParameter(static_cast<int32_t>(i)), 1e-6);
    }
}

TEST_F(Parameters, Vst2ShowsAndTakesValues) {
    auto plugin = MakeVst2(library);
    ASSERT_TRUE(plugin);
    plugin->SetParameter(PassThroughEffect::kMode, 1.0);
    EXPECT_FLOAT_EQ(static_cast<float>(plugin->GetParameter(PassThroughEffect::kMode)), 1.0f);
    EXPECT_EQ(plugin->ValueText(PassThroughEffect::kMode).ToUtf8(), "Three");
    direct.Plugin().SetParameter(PassThroughEffect::kGain, 0.3f);
    plugin->SetParameter(PassThroughEffect::kGain, 0.3f);
    EXPECT_EQ(plugin->ValueText(PassThroughEffect::kGain), direct.Plugin().GetParameterValueName(PassThroughEffect::kGain));
    EXPECT_FALSE(plugin->SetParameterText(PassThroughEffect::kGain, "1.5"));  // VST 2 typing is not offered
    plugin->SetParameter(1000, 0.5);  // past the list: ignored
    EXPECT_EQ(plugin->GetParameter(1000), 0.0);
    char text[64];
    std::memset(text, 'x', sizeof text);
    plugin->Dispatch(Vst2::effGetParamName, 1000, 0, text);
    EXPECT_STREQ(text, "");
}

TEST_F(Parameters, Vst3ListsEngineBypassAndControllers) {
    auto plugin = MakeVst3(library);
    ASSERT_TRUE(plugin);
    ASSERT_TRUE(plugin->SingleComponent());
    const std::vector<YHostedParameter> parameters = plugin->Parameters();
    const int32_t count = direct.Plugin().GetParameterCount();
    ASSERT_EQ(static_cast<int32_t>(parameters.size()), count + 1 + 130);
    EXPECT_EQ(parameters[PassThroughEffect::kFourth].name, TestProbeEffect::kLongIdentifier);  // VST 3 keeps it whole
    EXPECT_EQ(parameters[PassThroughEffect::kSwitch].stepCount, 1);
    EXPECT_EQ(parameters[PassThroughEffect::kSync].stepCount, 1);
    EXPECT_EQ(parameters[PassThroughEffect::kMode].stepCount, 0);  // an enumeration counts as continuous
    EXPECT_EQ(parameters[static_cast<std::size_t>(count)].name.ToUtf8(), "Bypass");
    EXPECT_EQ(parameters[static_cast<std::size_t>(count) + 1].name.ToUtf8(), "Controller 1");
    EXPECT_EQ(plugin->ValueText(plugin->BypassId(), 1.0).ToUtf8(), "On");
    EXPECT_EQ(plugin->ValueText(10000, 1.0).ToUtf8(), "127");
    EXPECT_EQ(plugin->Tail(), -1);  // endless
    EXPECT_EQ(parameters[static_cast<std::size_t>(count)].id, 32767u);
    EXPECT_TRUE(parameters[static_cast<std::size_t>(count)].isBypass);
    EXPECT_EQ(plugin->BypassId(), 32767u);
    EXPECT_EQ(parameters.back().id, 10129u);
    EXPECT_FALSE(parameters.back().automatable);
}

TEST_F(Parameters, Vst3ShowsAnyValueAndReadsTypedText) {
    auto plugin = MakeVst3(library);
    ASSERT_TRUE(plugin);
    for (double value : {0.0, 0.25, 0.7, 1.0})
        EXPECT_EQ(plugin->ValueText(PassThroughEffect::kGain, value),
                  direct.Plugin().GetParameterValueNameFrom01(PassThroughEffect::kGain, value))
            << value;
    std::optional<double> two = plugin->TextToValue(PassThroughEffect::kMode, "Two");
    ASSERT_TRUE(two);
    EXPECT_DOUBLE_EQ(*two, direct.Plugin().ParseParameterValueName(PassThroughEffect::kMode, "Two"));
    EXPECT_FALSE(plugin->TextToValue(PassThroughEffect::kMode, "Seventeen"));
    ASSERT_TRUE(plugin->Prepare(48000.0, 64, 2, 2));
    ASSERT_TRUE(plugin->SetParameterText(PassThroughEffect::kMode, "Two"));
    ProcessSignal(*plugin, 64);
    EXPECT_EQ(plugin->ValueText(PassThroughEffect::kMode).ToUtf8(), "Two");
}

TEST_F(Parameters, Vst2IgnoresTheHostsEchoOfAnAutomation) {
    YVst2HostedPlugin::Options options;
    options.echoAutomation = true;
    options.echoValue = 0.9f;
    auto plugin = MakeVst2(library, options);
    ASSERT_TRUE(plugin);
    ASSERT_TRUE(plugin->Prepare(48000.0, 128, 2, 2));
    // Controller 20 moves "Fourth" and reports it as the plug-in's own change.
    plugin->AddMIDIEvent(0, 0xB0, TestAudioEffectPlugin::kAutomationController, 64);
    ProcessSignal(*plugin, 128);
    const std::vector<YHostAutomation> automation = plugin->TakeAutomation();
    ASSERT_EQ(automation.size(), 1u);
    EXPECT_EQ(automation[0].id, static_cast<uint32_t>(PassThroughEffect::kFourth));
    EXPECT_NEAR(automation[0].value, 64 / 127.0, 1e-6);
    EXPECT_NEAR(plugin->GetParameter(PassThroughEffect::kFourth), 64 / 127.0, 1e-6);  // not the echo's 0.9
    plugin->SetParameter(PassThroughEffect::kFourth, 0.5);  // outside the report the host's writes count
    EXPECT_NEAR(plugin->GetParameter(PassThroughEffect::kFourth), 0.5, 1e-6);
}

TEST_F(Parameters, Vst3ReportsOwnChangesToTheComponentHandler) {
    auto plugin = MakeVst3(library);
    ASSERT_TRUE(plugin);
    ASSERT_TRUE(plugin->Prepare(48000.0, 128, 2, 2));
    // The host maps controller 20 to its parameter through the plug-in's MIDI mapping.
    plugin->AddMIDIEvent(0, 0xB0, TestAudioEffectPlugin::kAutomationController, 127);
    ProcessSignal(*plugin, 128);
    const std::vector<YHostAutomation> automation = plugin->TakeAutomation();
    ASSERT_EQ(automation.size(), 1u);
    EXPECT_EQ(automation[0].id, static_cast<uint32_t>(PassThroughEffect::kFourth));
    EXPECT_DOUBLE_EQ(automation[0].value, 1.0);
    EXPECT_DOUBLE_EQ(plugin->GetParameter(PassThroughEffect::kFourth), 1.0);
    EXPECT_EQ(plugin->Handler().beginEdits, 0);  // no begin/end pair around it
}

}  // namespace
