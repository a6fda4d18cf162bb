// The controllers page: MIDI learn from messages the audio side posts, "Attach MIDI
// controller" from a parameter's control, and edits that reach the tables at once.
#include "PageFixture.h"
#include "editor/ControllersPage.h"
#include "editor/MacrosPage.h"
#include "editor/YLabel.h"
#include "support/AllocationCounter.h"

#include <gtest/gtest.h>

namespace {

class Controllers : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        editor->ShowPage(VortalisEditor::Page::Controllers);
        editor->PaintAll();
    }
    ControllersPage& Page() { return editor->Controllers(); }
    YMIDIControllers& Tables() { return Engine().MIDIControllers(); }
    // A control change as the host delivers it, channel 1..16.
    void ControlChange(int32_t channel, int32_t controller, int32_t value) {
        plugin->ProcessMIDIEvent(0, static_cast<uint8_t>(0xB0 | (channel - 1)), static_cast<uint8_t>(controller),
                                 static_cast<uint8_t>(value));
    }
    // Right-clicks a control and picks "Attach MIDI controller" from its menu.
    void AttachFrom(YControl& control) {
        RightClick(Center(control.Bounds()));
        auto* menu = dynamic_cast<YListBox*>(Window().TopPopup());
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(menu->Items(), std::vector<YString>{"Attach MIDI controller"});
        ChoosePopupItem(0);
    }
};

TEST_F(Controllers, LearnTakesTheNextPostedMessageAndThenTheSlotDrivesItsTarget) {
    Click(Center(Named<YSwitch>(Page(), "Controllers").Bounds()));
    ASSERT_TRUE(Tables().controllersEnabled);
    ClickLine(Page().Slots(), 2);
    ASSERT_EQ(Page().SelectedSlot(), 2);
    Pick(Named<YMenu>(Page(), "Target"), Index::kFeedback);
    Pick(Named<YMenu>(Page(), "Range mode"), static_cast<int32_t>(YRangeMode::FullRange));
    const YMIDIControllers::Controller& slot = Tables().controllers[2];
    EXPECT_TRUE(slot.enabled);
    EXPECT_EQ(slot.parameter, Index::kFeedback);

    ControlChange(3, 20, 0);  // before Learn: shown, not learnt
    editor->Idle();
    EXPECT_EQ(Page().LastReceived().Text(), YString("Last received: CC 20 on channel 3"));
    Click(Center(Page().Learn().Bounds()));
    ASSERT_EQ(Page().LearningSlot(), 2);
    editor->Idle();  // the old message does not count
    ASSERT_EQ(Page().LearningSlot(), 2);
    ControlChange(5, 74, 64);
    editor->Idle();
    EXPECT_EQ(Page().LearningSlot(), -1);
    EXPECT_EQ(slot.channel, 5);
    EXPECT_EQ(slot.controller, 74);
    ControlChange(5, 74, 127);
    EXPECT_NEAR(plugin->GetParameter(Index::kFeedback), 1.0, 1e-9);
    ControlChange(5, 74, 0);
    EXPECT_NEAR(plugin->GetParameter(Index::kFeedback), 0.0, 1e-9);
    ControlChange(6, 74, 127);  // another channel
    EXPECT_NEAR(plugin->GetParameter(Index::kFeedback), 0.0, 1e-9);
    EXPECT_EQ(Page().Slots().Items()[2], YString::FromUtf8("3   CC 74 \u00b7 ch 5  \u2192  Feedback"));

    Click(Center(Page().Clear().Bounds()));
    EXPECT_FALSE(slot.enabled);
    EXPECT_EQ(slot.parameter, -1);
    ControlChange(5, 74, 127);
    EXPECT_NEAR(plugin->GetParameter(Index::kFeedback), 0.0, 1e-9);
}

TEST_F(Controllers, AttachFromAKnobPicksAFreeSlotAndRefusesWhenAllAreUsed) {
    editor->ShowPage(VortalisEditor::Page::Phaser);
    editor->PaintAll();
    AttachFrom(Control(Index::kFeedback));
    EXPECT_EQ(editor->CurrentPage(), VortalisEditor::Page::Controllers);
    EXPECT_TRUE(Tables().controllersEnabled);
    EXPECT_TRUE(Tables().controllers[0].enabled);
    EXPECT_EQ(Tables().controllers[0].parameter, Index::kFeedback);
    EXPECT_EQ(Page().SelectedSlot(), 0);
    EXPECT_EQ(Page().LearningSlot(), 0);

    // A macro's knob offers it too; the next free slot is taken.
    editor->ShowPage(VortalisEditor::Page::Macros);
    editor->PaintAll();
    AttachFrom(*editor->Macros().StripOf(1).value);
    EXPECT_EQ(Tables().controllers[1].parameter, Engine().MultiParameterIndex(1));
    EXPECT_EQ(Page().LearningSlot(), 1);

    // Every slot in use: the user is told, nothing changes.
    Engine().ChangeMIDIControllers([](YMIDIControllers& tables) {
        for (auto& slot : tables.controllers)
            if (!slot.enabled) {
                slot.enabled = true;
                slot.parameter = Index::kRate;
            }
    });
    const auto before = Tables().controllers;
    editor->ShowPage(VortalisEditor::Page::Phaser);
    editor->PaintAll();
    AttachFrom(Control(Index::kDryWet));
    auto* question = dynamic_cast<YQuestion*>(Window().TopPopup());
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(question->Message(), YMIDIControllers::AllInUseMessage());
    Click(Center(question->ButtonRect(0)));
    EXPECT_FALSE(Window().HasPopup());
    EXPECT_EQ(editor->CurrentPage(), VortalisEditor::Page::Phaser);
    for (std::size_t n = 0; n < before.size(); ++n) EXPECT_EQ(Tables().controllers[n].parameter, before[n].parameter) << n;
}

TEST_F(Controllers, TheAudioSidePostsWithoutAllocatingAndOnlyWhileAnEditorExists) {
    Engine().ChangeMIDIControllers([](YMIDIControllers& tables) {
        tables.controllersEnabled = true;
        tables.controllers[0] = {true, Index::kFeedback, 0.0, 1.0, 1.0, static_cast<int32_t>(YRangeMode::Interval), false, 0, 7};
    });
    const uint32_t first = Engine().LastControllerPost().sequence;
    {
        AllocationWindow window(true);
        for (int32_t n = 0; n < 100; ++n) ControlChange(1 + n % 16, 7, n);
        plugin->ProcessMIDIEvent(0, 0xE3, 0x7F, 0x7F);  // pitch-bend, channel 4
        EXPECT_EQ(window.Count(), 0u);
    }
    EXPECT_NEAR(plugin->GetParameter(Index::kFeedback), 99.0 / 127.0, 1e-9);
    const auto post = Engine().LastControllerPost();
    EXPECT_EQ(post.sequence, first + 101);
    EXPECT_EQ(post.channel, 4);
    EXPECT_EQ(post.controller, YMIDIControllers::kPitchBend);
    plugin->DestroyEditor();
    ControlChange(1, 7, 0);
    EXPECT_EQ(Engine().LastControllerPost().sequence, first + 101);
    ASSERT_TRUE(plugin->CreateEditor(nullptr));  // for the fixture's tear-down
    plugin->FinishEditorCreation();
}

TEST_F(Controllers, NoteControllersAndThePresetStepAreEditedInTheTables) {
    Click(Center(Named<YSwitch>(Page(), "Note controllers").Bounds()));
    EXPECT_TRUE(Tables().noteControllersEnabled);
    ClickLine(Page().NoteSlots(), 4);
    ASSERT_EQ(Page().SelectedNoteSlot(), 4);
    // The note controller's own controls stand right of its list.
    const float right = Page().NoteSlots().Bounds().x;
    const auto noteMenu = [&](const char* caption) -> YMenu& {
        return Find<YMenu>(Page(), [&](YMenu& m) { return m.Caption() == YString::FromUtf8(caption) && m.Bounds().x > right; });
    };
    Pick(noteMenu("Target"), Index::kFeedback);
    Pick(noteMenu("Mode"), YMIDIControllers::kOnOff);
    Named<YSlider>(Page(), "Note").Model().Change(60.0 / 127.0);
    Find<YSlider>(Page(), [&](YSlider& s) { return s.Name() == YString("Max value") && s.Bounds().x > right; }).Model().Change(0.75);
    const YMIDIControllers::NoteController& slot = Tables().noteControllers[4];
    EXPECT_TRUE(slot.enabled);
    EXPECT_EQ(slot.mode, YMIDIControllers::kOnOff);
    EXPECT_EQ(slot.note, 60);
    plugin->ProcessMIDIEvent(0, 0x90, 60, 100);
    EXPECT_NEAR(plugin->GetParameter(Index::kFeedback), 0.75, 1e-9);

    Click(Center(Named<YSwitch>(Page(), "Preset step").Bounds()));
    Pick(Named<YMenu>(Page(), "Step controller"), 64);
    Pick(Named<YMenu>(Page(), "Step channel"), 2);
    EXPECT_TRUE(Tables().presetTrigger.enabled);
    EXPECT_EQ(Tables().presetTrigger.controller, 64);
    EXPECT_EQ(Tables().presetTrigger.channel, 2);
}

}  // namespace
