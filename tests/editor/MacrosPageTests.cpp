// The macros page as a user meets it: targets added and edited on the page drive the
// effect's parameters at once, banks store and recall, smart learn records what moved.
#include "PageFixture.h"
#include "editor/MacrosPage.h"

#include <gtest/gtest.h>

namespace {

class Macros : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        editor->ShowPage(VortalisEditor::Page::Macros);
        editor->PaintAll();
    }
    MacrosPage& Page() { return editor->Macros(); }
    YMultiParameter& Multi(int32_t number) { return Engine().MultiParameter(number); }
    double Feedback() { return plugin->GetParameter(Index::kFeedback); }
    // The macro's value as the host would set it.
    void MoveMacro(int32_t number, double value) { plugin->SetParameter(Engine().MultiParameterIndex(number), value); }
    void SetSlider(const char* name, double value) { Named<YSlider>(Page(), name).Model().Change(value); }
};

TEST_F(Macros, ATargetAddedOnThePageFollowsTheMacroAtOnce) {
    MoveMacro(0, 0.5);
    Pick(Page().AddTarget(), Index::kFeedback);
    ASSERT_EQ(Multi(0).targets.size(), 1u);  // the new macro's empty target took it
    EXPECT_EQ(Multi(0).targets[0].parameter, Index::kFeedback);
    EXPECT_TRUE(Multi(0).targets[0].enabled);
    // An interval 0.2 .. 0.8 set on the page: the target moves without the macro moving.
    Pick(Named<YMenu>(Page(), "Range mode"), static_cast<int32_t>(YRangeMode::Interval));
    SetSlider("Value", 0.2);
    SetSlider("Max value", 0.8);
    EXPECT_NEAR(Feedback(), 0.5, 1e-9);
    MoveMacro(0, 1.0);
    RunBlock();
    EXPECT_NEAR(Feedback(), 0.8, 1e-9);
    EXPECT_TRUE(Engine().SettingsChanged());

    // A second target; removing the first leaves the second driving.
    Pick(Page().AddTarget(), Index::kDryWet);
    ASSERT_EQ(Multi(0).targets.size(), 2u);
    EXPECT_EQ(Page().SelectedTarget(), 1);
    Page().SelectTarget(0);
    Click(Center(Page().RemoveTarget().Bounds()));
    ASSERT_EQ(Multi(0).targets.size(), 1u);
    EXPECT_EQ(Multi(0).targets[0].parameter, Index::kDryWet);
    // The last target removed leaves the macro driving nothing.
    Click(Center(Page().RemoveTarget().Bounds()));
    ASSERT_EQ(Multi(0).targets.size(), 1u);
    EXPECT_FALSE(Multi(0).targets[0].enabled);
    plugin->SetParameter(Index::kFeedback, 0.3);
    MoveMacro(0, 0.0);
    EXPECT_NEAR(Feedback(), 0.3, 1e-9);
}

TEST_F(Macros, ModeRangeModeAndInvertChangeTheMappingTheEngineApplies) {
    Page().Select(1);
    MoveMacro(1, 0.25);
    Pick(Page().AddTarget(), Index::kFeedback);
    SetSlider("Value", 0.5);
    SetSlider("Range", 0.4);
    EXPECT_NEAR(Feedback(), 0.4, 1e-9);  // up and down: 0.5 + 0.2 * (2 * 0.25 - 1)
    Click(Center(Named<YSwitch>(Page(), "Invert").Bounds()));
    EXPECT_NEAR(Feedback(), 0.6, 1e-9);
    Pick(Named<YMenu>(Page(), "Range mode"), static_cast<int32_t>(YRangeMode::UpOnly));
    EXPECT_NEAR(Feedback(), 0.5 + 0.75 * 0.4, 1e-9);  // inverted: t = 0.75
    // A switch starts from its rest position: the target sits at the swing's start.
    Pick(*Page().StripOf(1).mode, YMultiParameter::kSwitch);
    EXPECT_EQ(Multi(1).mode, YMultiParameter::kSwitch);
    EXPECT_NEAR(Feedback(), 0.5 + 0.4, 1e-9);  // position 0, inverted: t = 1
    // The disabled target is left alone.
    Click(Center(Named<YSwitch>(Page(), "Enabled").Bounds()));
    EXPECT_FALSE(Multi(1).targets[0].enabled);
    plugin->SetParameter(Index::kFeedback, 0.1);
    Pick(*Page().StripOf(1).mode, YMultiParameter::kNormal);
    EXPECT_NEAR(Feedback(), 0.1, 1e-9);
}

TEST_F(Macros, TheNameAndTheValueKnobReachTheHost) {
    Click(Center(Page().StripOf(2).name->Bounds()));
    ASSERT_NE(dynamic_cast<YTextEntry*>(Window().TopPopup()), nullptr);
    Type("Sweep");
    EXPECT_EQ(Multi(2).name, YString("Sweep"));
    EXPECT_EQ(plugin->GetParameterName(Engine().MultiParameterIndex(2)), YString("Sweep"));
    EXPECT_EQ(Page().Selected(), 2);
    host.edits.clear();
    const YRect dial = Page().StripOf(2).value->Dial();
    Drag(Center(dial), {dial.CenterX(), dial.CenterY() - 60.0f});
    EXPECT_GT(Multi(2).Value(), 0.6);
    ExpectOneGesture(Engine().MultiParameterIndex(2));
}

TEST_F(Macros, BanksStoreTheCurrentValuesAndRecallThemAtTheirPositions) {
    Pick(Page().AddTarget(), Index::kFeedback);
    Pick(Page().AddTarget(), Index::kDryWet);
    Pick(*Page().StripOf(0).mode, YMultiParameter::kBanks);
    SetSlider("Bank count", 0.0625);  // 1 + 32 * 0.0625 = 3 banks
    ASSERT_EQ(Multi(0).bankCount, 3);
    ASSERT_EQ(Page().Bank().Items().size(), 3u);
    const double stored[3][2] = {{0.1, 0.9}, {0.4, 0.5}, {0.7, 0.2}};
    for (int32_t k : {0, 2, 1}) {
        plugin->SetParameter(Index::kFeedback, stored[k][0]);
        plugin->SetParameter(Index::kDryWet, stored[k][1]);
        Pick(Page().Bank(), k);
        Click(Center(Page().StoreBank().Bounds()));
        // Storing moves the macro to the bank, so nothing jumps.
        EXPECT_NEAR(Multi(0).Value(), k * 0.5, 1e-9);
        EXPECT_NEAR(Feedback(), stored[k][0], 1e-6);
    }
    for (int32_t k : {0, 1, 2}) {
        MoveMacro(0, k / 2.0);
        RunBlock();
        EXPECT_NEAR(Feedback(), stored[k][0], 1e-6) << k;
        EXPECT_NEAR(plugin->GetParameter(Index::kDryWet), stored[k][1], 1e-6) << k;
    }
    MoveMacro(0, 0.25);  // halfway between the first two banks
    EXPECT_NEAR(Feedback(), 0.25, 1e-6);

    // Compute bank gains: the AGC on and the macro at bank 0 while it measures; a
    // second click cancels, giving back the switch, the banks and the macro's value.
    YButton& gains = Page().BankGains();
    ASSERT_TRUE(gains.Enabled());
    Click(Center(gains.Bounds()));
    EXPECT_TRUE(Engine().AGCMeasuring());
    EXPECT_TRUE(Engine().AGC());
    EXPECT_NEAR(Multi(0).Value(), 0.0, 1e-9);
    editor->Idle();
    EXPECT_EQ(gains.Text(), YString("0%"));
    EXPECT_EQ(Named<YButton>(Window().Root(), "Set").Text(), YString("Set"));
    Click(Center(gains.Bounds()));
    EXPECT_FALSE(Engine().AGCMeasuring());
    EXPECT_FALSE(Engine().AGC());
    EXPECT_NEAR(Multi(0).Value(), 0.25, 1e-9);
    EXPECT_NEAR(Feedback(), 0.25, 1e-6);
    EXPECT_EQ(gains.Text(), YString(MacrosPage::kBankGainsCaption));
    Pick(*Page().StripOf(0).mode, YMultiParameter::kNormal);
    editor->PaintAll();
    EXPECT_FALSE(gains.Enabled());
}

TEST_F(Macros, SmartLearnRecordsTheSweptIntervalOfEachMovedParameter) {
    plugin->SetParameter(Index::kFeedback, 0.5);
    plugin->SetParameter(Index::kDryWet, 0.6);
    MoveMacro(3, 1.0);
    Click(Center(Page().StripOf(3).learn->Bounds()));
    ASSERT_TRUE(Multi(3).learning);
    EXPECT_EQ(Page().Selected(), 3);
    // Moved by the editor's knobs; what the host moves meanwhile is not learnt.
    YValueModel& feedbackKnob = dynamic_cast<YValueControl&>(Control(Index::kFeedback)).Model();
    for (double value : {0.3, 0.8, 0.45}) {
        feedbackKnob.Change(value);
        plugin->SetParameter(Index::kRate, value);
    }
    dynamic_cast<YValueControl&>(Control(Index::kDryWet)).Model().Change(0.65);
    // Learning, the macro leaves its targets where the user put them.
    EXPECT_NEAR(Feedback(), 0.45, 1e-9);
    Click(Center(Page().StripOf(3).learn->Bounds()));
    EXPECT_FALSE(Multi(3).learning);
    ASSERT_EQ(Multi(3).targets.size(), 2u);
    const YMultiParameterParameter& feedback = Multi(3).targets[0];
    EXPECT_EQ(feedback.parameter, Index::kFeedback);
    EXPECT_EQ(feedback.rangeMode, static_cast<int32_t>(YRangeMode::Interval));
    EXPECT_NEAR(feedback.value, 0.3, 1e-9);
    EXPECT_NEAR(feedback.maxValue, 0.8, 1e-9);
    EXPECT_NEAR(Multi(3).targets[1].value, 0.6, 1e-9);
    EXPECT_NEAR(Multi(3).targets[1].maxValue, 0.65, 1e-9);
    // Learned, the macro drives the intervals.
    EXPECT_NEAR(Feedback(), 0.8, 1e-9);
    MoveMacro(3, 0.0);
    EXPECT_NEAR(Feedback(), 0.3, 1e-9);
    EXPECT_NEAR(plugin->GetParameter(Index::kDryWet), 0.6, 1e-9);
    // Untouched parameters did not become targets, and the other macros learnt nothing.
    EXPECT_FALSE(Multi(0).targets[0].enabled);
}

}  // namespace
