// The programs page as a user meets it: programs A-H with A/B, copy and paste, the
// ABCD pad and its question, random settings, active presets with their macros, and
// changes made elsewhere showing at the next update.
#include "EditorFixture.h"
#include "editor/ProgramsPage.h"
#include "editor/YLabel.h"
#include "editor/YXYPad.h"
#include "foundation/YRandom.h"
#include "foundation/YStdFileStream.h"
#include "support/PresetFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Programs : public Editor {
protected:
    void SetUp() override {
        ProgramsPage::Clipboard() = YString();
        Editor::SetUp();
        editor->ShowPage(VortalisEditor::Page::Programs);
        editor->PaintAll();
    }
    void TearDown() override {
        const YString list = Engine().ActivePresetListPath();
        Editor::TearDown();
        if (YFile::Exists(list)) YFile::Delete(list);
        ProgramsPage::Clipboard() = YString();
    }

    YYorvaneAudioEffectPlugin& Engine() { return static_cast<YYorvaneAudioEffectPlugin&>(*plugin); }
    ProgramsPage& Page() { return editor->Programs(); }
    void Press(YControl& control) { Click(Center(control.Bounds())); }
    std::vector<double> Values() {
        std::vector<double> values;
        for (int32_t i = 0; i < plugin->GetParameterCount(); ++i) values.push_back(plugin->GetParameter(i));
        return values;
    }
    std::vector<bool> Lit() {
        std::vector<bool> lit;
        for (int32_t p = 0; p < YYorvaneAudioEffectPlugin::kProgramCount; ++p) lit.push_back(Page().ProgramButton(p).ShownLit());
        return lit;
    }
    static std::vector<bool> Only(int32_t program) {
        std::vector<bool> lit(YYorvaneAudioEffectPlugin::kProgramCount, false);
        lit[static_cast<std::size_t>(program)] = true;
        return lit;
    }
    // Programs A-D with dry/wet, feedback and mode of their own; their values, in order.
    std::vector<std::vector<double>> FillABCD() {
        std::vector<std::vector<double>> programs;
        for (int32_t p = 0; p < 4; ++p) {
            Engine().SelectProgram(p);
            plugin->SetParameter(Index::kDryWet, 0.1 + 0.2 * p);
            plugin->SetParameter(Index::kFeedback, 0.9 - 0.25 * p);
            plugin->SetParameter(Index::kMode, p / 3.0);
            programs.push_back(Values());
        }
        return programs;
    }
    // A point of the pad beyond one of its plot's corners: the pad takes the corner.
    YPoint PadCorner(bool right, bool top) {
        const YRect pad = Page().Pad().Bounds();
        return {right ? pad.Right() - 3.0f : pad.x + 3.0f, top ? pad.y + 3.0f : pad.Bottom() - 3.0f};
    }
    // Each value as the morph leaves it: a step below its threshold is not written.
    void ExpectValues(const std::vector<double>& expected) {
        const std::vector<double> values = Values();
        ASSERT_EQ(values.size(), expected.size());
        for (std::size_t i = 0; i < values.size(); ++i) EXPECT_NEAR(values[i], expected[i], YYorvaneAudioEffectPlugin::kMorphThreshold) << i;
    }
    YQuestion* Question() { return dynamic_cast<YQuestion*>(Window().TopPopup()); }
    void Pick(YMenu& menu, int32_t item) {
        Click(Center(menu.Field()));
        auto* list = dynamic_cast<YListBox*>(Window().TopPopup());
        ASSERT_NE(list, nullptr);
        const float y = list->Bounds().y + 3.0f + list->RowHeight() * (static_cast<float>(item) + 0.5f);
        Click({list->Bounds().CenterX(), y});
        ASSERT_FALSE(Window().HasPopup());
    }
    void ClickRow(YListBox& list, int32_t row) {
        Click({list.Bounds().x + 20.0f, list.Bounds().y + list.RowHeight() * (static_cast<float>(row) + 0.5f)});
    }
    void WriteActiveList(const std::string& text) {
        YStdFileStream stream(Engine().ActivePresetListPath(), YStdFileStream::kWrite | YStdFileStream::kCreate);
        stream.Write(text.data(), static_cast<uint32_t>(text.size()));
    }
    YMultiParameter& Macro(int32_t number, int32_t target, const char* name, const char* group) {
        YMultiParameter& macro = Engine().MultiParameter(number);
        macro.enabled = true;
        macro.name = YString::FromUtf8(name);
        macro.group = YString::FromUtf8(group);
        macro.targets[0].parameter = target;
        macro.targets[0].enabled = true;
        return macro;
    }

    PresetFiles presets;
};

TEST_F(Programs, AProgramButtonSwitchesAndLightsAloneAndABGoesBack) {
    EXPECT_EQ(Lit(), Only(0));
    plugin->SetParameter(Index::kDryWet, 0.2);
    Press(Page().ProgramButton(2));
    EXPECT_EQ(Engine().CurrentProgram(), 2);
    EXPECT_EQ(Lit(), Only(2));
    plugin->SetParameter(Index::kDryWet, 0.7);

    Press(Page().ABButton());
    EXPECT_EQ(Engine().CurrentProgram(), 0);
    EXPECT_NEAR(plugin->GetParameter(Index::kDryWet), 0.2, 1e-9);
    EXPECT_EQ(Lit(), Only(0));
    EXPECT_EQ(Page().ProgramNote().Text().ToUtf8(), "Program A plays; A/B returns to C.");
    Press(Page().ABButton());
    EXPECT_EQ(Engine().CurrentProgram(), 2);
    EXPECT_NEAR(plugin->GetParameter(Index::kDryWet), 0.7, 1e-9);
}

TEST_F(Programs, CopyAndPasteCarryTheSettingsButNotTheOversampling) {
    EXPECT_FALSE(Page().PasteButton().Enabled());  // nothing copied yet
    Engine().UpdateUpsamplingFactor(2, false);
    plugin->SetParameter(Index::kDryWet, 0.9);
    plugin->SetParameter(Index::kFeedback, 0.3);
    Press(Page().CopyButton());
    EXPECT_TRUE(Page().PasteButton().Enabled());

    Press(Page().ProgramButton(3));
    plugin->SetParameter(Index::kDryWet, 0.1);
    Engine().UpdateUpsamplingFactor(4, true);
    Press(Page().PasteButton());
    EXPECT_EQ(Engine().CurrentProgram(), 3);
    EXPECT_NEAR(plugin->GetParameter(Index::kDryWet), 0.9, 1e-9);
    EXPECT_NEAR(plugin->GetParameter(Index::kFeedback), 0.3, 1e-9);
    EXPECT_EQ(Engine().UpsamplingFactor(), 4);

    // The pasted program keeps its settings when another one plays in between.
    Press(Page().ProgramButton(5));
    Press(Page().ProgramButton(3));
    EXPECT_NEAR(plugin->GetParameter(Index::kDryWet), 0.9, 1e-9);
}

TEST_F(Programs, PadCornersGiveTheirProgramsAndTheMiddleTheMean) {
    const std::vector<std::vector<double>> programs = FillABCD();
    Press(Page().ProgramButton(5));  // F: no source of the morph, so no question
    const YPoint corners[4] = {PadCorner(false, false), PadCorner(false, true), PadCorner(true, false), PadCorner(true, true)};
    for (std::size_t corner = 0; corner < 4; ++corner) {
        Click(corners[corner]);
        SCOPED_TRACE(corner);
        ExpectValues(programs[corner]);
    }
    Click(Center(Page().Pad().Bounds()), 2);  // a double click: the middle
    EXPECT_EQ(Engine().MorphX(), 0.5);
    for (int32_t i : {Index::kDryWet, Index::kFeedback}) {
        double mean = 0.0;
        for (const auto& values : programs) mean += values[static_cast<std::size_t>(i)] / 4.0;
        EXPECT_NEAR(plugin->GetParameter(i), mean, 1e-9) << i;
    }
    EXPECT_FALSE(Window().HasPopup());
    EXPECT_EQ(Engine().CurrentProgram(), 5);
}

TEST_F(Programs, TheMorphAsksWhenASourcePlaysAndNoChangesNothing) {
    YAudioPlugin::SetConfirmationEnabled(1);
    const std::vector<std::vector<double>> programs = FillABCD();
    Press(Page().ProgramButton(1));
    const std::vector<double> before = Values();

    Click(PadCorner(false, false));
    YQuestion* question = Question();
    ASSERT_NE(question, nullptr);
    EXPECT_NE(question->Message().ToUtf8().find("Preset B is currently selected"), std::string::npos);
    Click(Center(question->ButtonRect(0)));  // No
    EXPECT_FALSE(Window().HasPopup());
    EXPECT_EQ(Engine().CurrentProgram(), 1);
    EXPECT_EQ(Values(), before);
    EXPECT_EQ(Engine().MorphX(), 0.5);
    EXPECT_EQ(Page().Pad().X(), 0.5);  // the puck went back

    // Having said no, the user morphs into B without being asked again.
    Click(PadCorner(false, false));
    EXPECT_FALSE(Window().HasPopup());
    ExpectValues(programs[0]);

    // Yes: E plays and takes the morph at the pressed corner.
    Press(Page().ProgramButton(2));
    Click(PadCorner(true, true));
    ASSERT_NE(Question(), nullptr);
    Click(Center(Question()->ButtonRect(1)));
    EXPECT_EQ(Engine().CurrentProgram(), 4);
    ExpectValues(programs[3]);
    Press(Page().ProgramButton(3));
    ExpectValues(programs[3]);  // D itself untouched

    // Without confirmations the sources are kept without asking.
    YAudioPlugin::SetConfirmationEnabled(0);
    Press(Page().ProgramButton(0));
    Click(PadCorner(true, false));
    EXPECT_FALSE(Window().HasPopup());
    EXPECT_EQ(Engine().CurrentProgram(), 4);
    ExpectValues(programs[2]);  // C, kept by the yes (B took A's values when the user said no)
}

TEST_F(Programs, RandomMovesByTheRememberedAmount) {
    YKnob& amount = Page().AmountKnob();
    Click(Center(amount.ValueRect()));
    Type("0");
    EXPECT_EQ(YConfiguration::ReadInteger(YConfiguration::File::Global, "RandomAmount", -1), 0);
    const std::vector<double> before = Values();
    Press(Page().RandomButton());
    EXPECT_EQ(Values(), before);

    // The next editor starts with the amount; at 100% the settings move.
    plugin->DestroyEditor();
    ASSERT_TRUE(plugin->CreateEditor(nullptr));
    editor = static_cast<VortalisEditor*>(plugin->Editor());
    editor->ShowPage(VortalisEditor::Page::Programs);
    editor->PaintAll();
    EXPECT_EQ(Page().AmountKnob().ShownText().ToUtf8(), "0%");
    Click(Center(Page().AmountKnob().ValueRect()));
    Type("100");
    YRandom::SetSeed(7);
    Press(Page().RandomButton());
    EXPECT_NE(plugin->GetParameter(Index::kDryWet), before[Index::kDryWet]);
    const int32_t macro = Engine().MultiParameterIndex(0);
    EXPECT_EQ(plugin->GetParameter(macro), before[static_cast<std::size_t>(macro)]);  // macros keep theirs

    // Random macros moves the macros that are on, and what they drive, only.
    Macro(0, Index::kFeedback, "Sweep", "");
    const std::vector<double> settled = Values();
    Press(Page().RandomMacrosButton());
    EXPECT_NE(plugin->GetParameter(macro), settled[static_cast<std::size_t>(macro)]);
    EXPECT_EQ(plugin->GetParameter(Index::kDryWet), settled[Index::kDryWet]);
    EXPECT_EQ(plugin->GetParameter(Engine().MultiParameterIndex(1)), settled[static_cast<std::size_t>(macro + 1)]);
}

TEST_F(Programs, SmartRandomSaysWhatItNeeds) {
    const std::vector<double> before = Values();
    EXPECT_FALSE(Page().SmartRandomButton().Enabled());
    EXPECT_NE(Page().RandomStatus().Text().ToUtf8().find("Randomizer"), std::string::npos);

    const YXMLItem* folder = Engine().Presets().NewFolder("Randomizer", nullptr);
    editor->Idle();
    ASSERT_TRUE(Page().SmartRandomButton().Enabled());
    Press(Page().SmartRandomButton());
    EXPECT_EQ(Page().RandomStatus().Text().ToUtf8(), "The \u201cRandomizer\u201d folder holds no presets.");
    EXPECT_EQ(Values(), before);

    plugin->SetParameter(Index::kDryWet, 0.35);
    ASSERT_NE(Engine().Presets().SaveNew("Wide", folder), nullptr);
    plugin->SetParameter(Index::kDryWet, 0.8);
    Press(Page().SmartRandomButton());
    EXPECT_NEAR(plugin->GetParameter(Index::kDryWet), 0.35, 1e-9);
    EXPECT_EQ(Page().RandomStatus().Text().ToUtf8(), "Drawn from your \u201cRandomizer\u201d presets.");
}

TEST_F(Programs, AnActivePresetLoadsWithItsNamedMacrosAsKnobs) {
    Macro(0, Index::kFeedback, "Sweep", "Tone");
    Macro(1, Index::kSaturation, "Grit", "");
    Macro(2, Index::kMode, "Depth", "Tone");
    Macro(3, Index::kMode, "*Hidden", "");
    plugin->SetParameter(Index::kDryWet, 0.6);
    ASSERT_NE(Engine().Presets().SaveNew("Lead", nullptr), nullptr);
    for (int32_t number = 0; number < 4; ++number) Engine().MultiParameter(number).Reset();
    plugin->SetParameter(Index::kDryWet, 0.1);
    WriteActiveList("<Vortalispresets><preset Name=\"Lead\"/><preset Name=\"Gone\"/></Vortalispresets>");
    editor->ShowPage(VortalisEditor::Page::Programs);  // reads the list
    editor->PaintAll();
    YListBox& list = Page().ActivePresetList();
    ASSERT_EQ(list.Items().size(), 3u);
    EXPECT_EQ(list.Selected(), 0);  // Edit
    EXPECT_TRUE(Page().ShownMacroKnobs().empty());

    ClickRow(list, 1);
    EXPECT_FALSE(Engine().ActivePresetEdit());
    EXPECT_NEAR(plugin->GetParameter(Index::kDryWet), 0.6, 1e-9);
    EXPECT_EQ(Page().ActivePresetTitle().Text(), YString("Lead"));
    // One knob per named macro, those of a group side by side.
    std::vector<std::string> names;
    for (YKnob* knob : Page().ShownMacroKnobs()) {
        EXPECT_TRUE(knob->Shown());
        names.push_back(knob->Name().ToUtf8());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Sweep", "Depth", "Grit"}));

    // A knob is the macro's host parameter, edited in one gesture.
    YKnob& sweep = *Page().ShownMacroKnobs()[0];
    host.edits.clear();
    Drag(Center(sweep.Dial()), {sweep.Dial().CenterX(), sweep.Dial().CenterY() - 40.0f});
    ExpectOneGesture(Engine().MultiParameterIndex(0));

    ClickRow(list, 2);  // its preset is missing: the panel says so and stays
    EXPECT_EQ(Engine().CurrentActivePreset(), 0);
    EXPECT_EQ(list.Selected(), 1);
    EXPECT_EQ(Page().ShownMacroKnobs().size(), 3u);

    ClickRow(list, 0);  // Edit
    EXPECT_TRUE(Engine().ActivePresetEdit());
    EXPECT_TRUE(Page().ShownMacroKnobs().empty());
}

TEST_F(Programs, AStateWithAnActivePresetOpensItsPanel) {
    Macro(0, Index::kFeedback, "Sweep", "");
    ASSERT_NE(Engine().Presets().SaveNew("Lead", nullptr), nullptr);
    WriteActiveList("<Vortalispresets><preset Name=\"Lead\"/></Vortalispresets>");
    ASSERT_TRUE(Engine().LoadActivePreset(0));
    const YByteBuffer state = YStateChunk::Save(*plugin);
    Engine().SetActivePresetEdit(true);
    editor->ShowPage(VortalisEditor::Page::Phaser);
    editor->Idle();

    YStateChunk::Load(*plugin, state);
    editor->Idle();
    EXPECT_EQ(editor->CurrentPage(), VortalisEditor::Page::Programs);
    ASSERT_EQ(Page().ShownMacroKnobs().size(), 1u);
    EXPECT_EQ(Page().ShownMacroKnobs()[0]->Name(), YString("Sweep"));
}

TEST_F(Programs, ProgramsChangedElsewhereShowAtTheNextUpdate) {
    Engine().SelectProgram(5);
    EXPECT_EQ(Lit(), Only(0));  // not yet
    editor->Idle();
    EXPECT_EQ(Lit(), Only(5));

    std::unique_ptr<YAudioPlugin> other = MakePlugin();
    static_cast<YYorvaneAudioEffectPlugin&>(*other).SelectProgram(6);
    YStateChunk::Load(*plugin, YStateChunk::Save(*other));
    editor->Idle();
    EXPECT_EQ(Lit(), Only(6));
    EXPECT_EQ(Page().ProgramNote().Text().ToUtf8(), "Program G plays.");
}

}  // namespace
