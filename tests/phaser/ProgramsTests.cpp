// The eight programs of the product's engine: A/B, copy and paste, ABCD morphing.
#include "VortalisInstance.h"
#include "engine/YYorvaneAudioEffectPlugin.h"
#include "foundation/YException.h"
#include "phaser/VortalisAudioEffectPlugin.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

using P = VortalisAudioEffectPlugin;

std::vector<double> Values(YYorvaneAudioEffectPlugin& plugin) {
    std::vector<double> values;
    for (int32_t i = 0; i < plugin.Effect()->DefinitionCount(); ++i) values.push_back(plugin.GetParameter(i));
    return values;
}

// Programs A-D each with their own dry/wet, feedback, stage count and shape mode.
void FillABCD(YYorvaneAudioEffectPlugin& plugin) {
    for (int32_t program = 0; program < 4; ++program) {
        plugin.SelectProgram(program);
        plugin.SetParameter(P::kDryWet, 0.1 + 0.2 * program);
        plugin.SetParameter(P::kFeedback, 0.9 - 0.25 * program);
        plugin.SetParameter(P::kMode, program / 3.0);
        plugin.SetParameter(P::kShapeMode, program % 2 ? 1.0 : 0.0);
    }
}

// Programs A-D filled as above, with the parameter values of each.
std::vector<std::vector<double>> FilledABCD(YYorvaneAudioEffectPlugin& plugin) {
    FillABCD(plugin);
    std::vector<std::vector<double>> programs;
    for (int32_t program = 0; program < 4; ++program) {
        plugin.SelectProgram(program);
        programs.push_back(Values(plugin));
    }
    return programs;
}

TEST(Programs, ABSwitchesBetweenTheLastTwo) {
    auto plugin = MakeInstance();
    plugin->SetParameter(P::kDryWet, 0.2);
    plugin->SelectProgram(2);
    plugin->SetParameter(P::kDryWet, 0.7);
    plugin->SelectPreviousProgram();
    EXPECT_EQ(plugin->CurrentProgram(), 0);
    EXPECT_NEAR(plugin->GetParameter(P::kDryWet), 0.2, 1e-12);
    plugin->SelectPreviousProgram();
    EXPECT_EQ(plugin->CurrentProgram(), 2);
    EXPECT_NEAR(plugin->GetParameter(P::kDryWet), 0.7, 1e-12);
}

TEST(Programs, CopyAndPasteCarryOnlyTheCurrentProgram) {
    auto plugin = MakeInstance();
    plugin->UpdateUpsamplingFactor(2, false);
    plugin->SetParameter(P::kDryWet, 0.9);
    const YString copied = plugin->CopyProgramSettings();
    const std::string text = copied.ToUtf8();
    EXPECT_EQ(text.find("upsampling"), std::string::npos);
    EXPECT_EQ(text.find("Preset1"), std::string::npos);
    EXPECT_EQ(text.find(" PresetIndex="), std::string::npos);  // the program index; "CurrentPresetIndex" may stay

    plugin->SelectProgram(1);
    plugin->UpdateUpsamplingFactor(4, true);
    plugin->PasteProgramSettings(copied);
    EXPECT_NEAR(plugin->GetParameter(P::kDryWet), 0.9, 1e-12);
    EXPECT_EQ(plugin->UpsamplingFactor(), 4);  // not part of a program
    EXPECT_EQ(plugin->CurrentProgram(), 1);

    // Text that is no settings document changes nothing.
    plugin->SetParameter(P::kDryWet, 0.3);
    for (const char* bad : {"not xml at all", "<other Depth=\"1\"/>", "<settings"}) {
        EXPECT_THROW(plugin->PasteProgramSettings(YString::FromUtf8(bad)), YException) << bad;
        EXPECT_NEAR(plugin->GetParameter(P::kDryWet), 0.3, 1e-12) << bad;
    }
}

TEST(Morph, CornersGiveTheProgramsAndTheCentreTheirMean) {
    auto plugin = MakeInstance();
    const std::vector<std::vector<double>> programs = FilledABCD(*plugin);
    plugin->SelectProgram(5);
    // (x, y) = (0, 0) is A, (0, 1) B, (1, 0) C, (1, 1) D.
    const double corners[4][2] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};
    for (int32_t program = 0; program < 4; ++program) {
        plugin->MorphPrograms(corners[program][0], corners[program][1]);
        EXPECT_EQ(Values(*plugin), programs[static_cast<std::size_t>(program)]) << program;
    }
    plugin->MorphPrograms(0.5, 0.5);
    const std::vector<double> centre = Values(*plugin);
    for (int32_t i : {P::kDryWet, P::kFeedback}) {
        double mean = 0;
        for (const auto& values : programs) mean += values[static_cast<std::size_t>(i)] / 4.0;
        EXPECT_NEAR(centre[static_cast<std::size_t>(i)], mean, 1e-12) << i;
    }
    EXPECT_EQ(plugin->MorphX(), 0.5);
    EXPECT_EQ(plugin->CurrentProgram(), 5);  // morphing changes no program
}

TEST(Morph, StepsBelowTheThresholdAreNotWritten) {
    auto plugin = MakeInstance();
    FillABCD(*plugin);
    plugin->SelectProgram(4);
    plugin->MorphPrograms(0.25, 0.75);
    const double morphed = plugin->GetParameter(P::kDryWet);
    plugin->SetParameter(P::kDryWet, morphed + 0.8e-5);
    plugin->MorphPrograms(0.25, 0.75);
    EXPECT_NEAR(plugin->GetParameter(P::kDryWet), morphed + 0.8e-5, 1e-12);  // left alone
    plugin->SetParameter(P::kDryWet, morphed + 1.2e-5);
    plugin->MorphPrograms(0.25, 0.75);
    EXPECT_NEAR(plugin->GetParameter(P::kDryWet), morphed, 1e-12);  // written back
}

TEST(Morph, ProgramsFromALoadedStateMorphWithTheirValues) {
    auto original = MakeInstance();
    FillABCD(*original);
    std::vector<double> a;
    original->SelectProgram(0);
    a = Values(*original);
    original->SelectProgram(6);
    auto root = std::make_unique<YXMLItem>(YString("settings"));
    YStoreArchive saving(*root, false);
    original->Store(saving);
    const std::vector<double> current = Values(*original);

    auto copy = MakeInstance();
    YStoreArchive loading(*root, true);
    copy->Store(loading);
    EXPECT_EQ(Values(*copy), current);  // reading the programs' values left no trace
    copy->MorphPrograms(0.0, 0.0);
    EXPECT_EQ(Values(*copy), a);
}

TEST(Morph, QuestionWhenTheCurrentProgramIsASource) {
    auto plugin = MakeInstance();
    plugin->SelectProgram(2);
    YString asked;
    EXPECT_TRUE(plugin->OnPresetMorph([&](const YString& question) {
        asked = question;
        return false;
    }));
    EXPECT_EQ(asked.ToUtf8().rfind("Preset C is currently selected, which means", 0), 0u);
    EXPECT_NE(asked.ToUtf8().find("<b>Would you like to select preset E, so that the ABCD settings will be preseved?"), std::string::npos);
    EXPECT_EQ(plugin->CurrentProgram(), 2);
    EXPECT_TRUE(plugin->OnPresetMorph([](const YString&) { return true; }));
    EXPECT_EQ(plugin->CurrentProgram(), 4);
    EXPECT_FALSE(plugin->OnPresetMorph([](const YString&) -> bool { ADD_FAILURE() << "asked from E"; return true; }));
}

}  // namespace
