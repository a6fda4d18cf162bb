// The rest of the editor as a user meets it: the header's engine switches and zoom,
// the sweep view, the shape's layer controls and keys, the MIDI page, the help line
// and the meters the engine feeds.
#include "EditorFixture.h"
#include "editor/YSlider.h"
#include "editor/YSweepView.h"
#include "editor/YTabBar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

class Pages : public Editor {
protected:
    // The first shown control of a type that satisfies test.
    template <class Control>
    Control& Find(const std::function<bool(Control&)>& test) {
        Control* found = nullptr;
        std::function<void(YControl&)> walk = [&](YControl& control) {
            if (found || !control.Shown()) return;
            if (auto* typed = dynamic_cast<Control*>(&control); typed && test(*typed)) found = typed;
            for (const auto& child : control.Children()) walk(*child);
        };
        walk(Window().Root());
        if (found == nullptr) throw std::runtime_error("no such control");
        return *found;
    }
    YMenu& Menu(const char* caption) { return Find<YMenu>([&](YMenu& m) { return m.Caption() == YString::FromUtf8(caption); }); }
    YButton& Button(const char* text) { return Find<YButton>([&](YButton& b) { return b.Text() == YString::FromUtf8(text); }); }
    YSlider& Slider(const char* name) { return Find<YSlider>([&](YSlider& s) { return s.Name() == YString::FromUtf8(name); }); }
    YSwitch& Switch(const char* label) { return Find<YSwitch>([&](YSwitch& s) { return s.Label() == YString::FromUtf8(label); }); }
    // Opens a menu and clicks one of its items.
    void Pick(YMenu& menu, int32_t item) {
        Click(Center(menu.Field()));
        auto* list = dynamic_cast<YListBox*>(Window().TopPopup());
        ASSERT_NE(list, nullptr);
        list->ScrollTo(item);
        const YRect row{list->Bounds().x, list->Bounds().y + 3.0f + list->RowHeight() * static_cast<float>(item - list->ItemAt(list->Bounds().y + 4.0f)),
                        list->Bounds().width, list->RowHeight()};
        Click(Center(row));
        EXPECT_FALSE(Window().HasPopup());
    }
    YYorvaneAudioEffectPlugin& Engine() { return static_cast<YYorvaneAudioEffectPlugin&>(*plugin); }
};

TEST_F(Pages, TheHeaderSwitchesReachTheEngine) {
    Pick(Menu("Channels"), 5);
    EXPECT_EQ(Engine().GetChannelMode(), ChannelMode::MonoStereo);
    Pick(Menu("Oversampling"), 2);
    EXPECT_EQ(Engine().UpsamplingFactor(), 4);
    Click(Center(Button("Bypass").Bounds()));
    Click(Center(Button("AGC").Bounds()));
    EXPECT_TRUE(Engine().bypass.load());
    EXPECT_TRUE(Engine().AGC());
    Click(Center(Button("Bypass").Bounds()));
    EXPECT_EQ(host.bypassReports, (std::vector<bool>{true, false}));  // the host hears of the bypass
}

TEST_F(Pages, SetMeasuresWithTheAGCAndASecondClickCancels) {
    YButton& set = Button("Set");
    const YRect bounds = set.Bounds();
    EXPECT_GT(bounds.x, Button("AGC").Bounds().Right());
    EXPECT_LT(bounds.Right(), Button("Bypass").Bounds().x);
    Click(Center(bounds));
    EXPECT_TRUE(Engine().AGC());  // switched on for the measurement
    EXPECT_TRUE(Engine().AGCMeasuring());
    editor->Idle();
    EXPECT_EQ(set.Text(), YString("0%"));
    EXPECT_NE(Window().HelpText().ToUtf8().find("Computing optimal output gain using AGC"), std::string::npos);
    Click(Center(bounds));
    EXPECT_FALSE(Engine().AGC());
    EXPECT_FALSE(Engine().AGCMeasuring());
    EXPECT_EQ(Engine().FixedOutputGain(), 1.0);
    EXPECT_EQ(set.Text(), YString("Set"));
    // The figure in use shows in the caption.
    Engine().SetFixedOutputGain(std::pow(10.0, 3.1 / 20.0));
    editor->Idle();
    EXPECT_EQ(set.Text(), YString("Set +3.1 dB"));
}

TEST_F(Pages, TheZoomTakesTheSizeTheHostGives) {
    YMenu& zoom = Menu("Zoom");
    Pick(zoom, 4);  // 200%: refused
    ASSERT_EQ(host.resizes.size(), 1u);
    EXPECT_EQ(host.resizes[0], std::make_pair(static_cast<int32_t>(VortalisEditor::kNaturalWidth * 2), static_cast<int32_t>(VortalisEditor::kNaturalHeight * 2)));
    EXPECT_EQ(editor->Scale(), 1.0f);
    host.agreesToResize = true;
    Pick(zoom, 2);  // 125%
    EXPECT_EQ(editor->Scale(), 1.25f);
    EXPECT_EQ(plugin->GetEditorMode(), 125);  // for every instance
    EXPECT_EQ(Window().Pixels().Width(), host.resizes.back().first);
}

TEST_F(Pages, DraggingTheSweepBandsEdgesSetsMinAndMax) {
    auto& sweep = Find<YSweepView>([](YSweepView&) { return true; });
    Drag({sweep.Bounds().CenterX(), sweep.YOf(sweep.MinimumHz())}, {sweep.Bounds().CenterX(), sweep.YOf(100.0)});
    EXPECT_NEAR(std::pow(10.0, EffectOf(*plugin).Definition(Index::kMinFrequency).value.Load()), 100.0, 3.0);
    ExpectOneGesture(Index::kMinFrequency);
    host.edits.clear();
    Drag({sweep.Bounds().CenterX(), sweep.YOf(sweep.MaximumHz())}, {sweep.Bounds().CenterX(), sweep.YOf(8000.0)});
    EXPECT_NEAR(std::pow(10.0, EffectOf(*plugin).Definition(Index::kMaxFrequency).value.Load()), 8000.0, 200.0);
    ExpectOneGesture(Index::kMaxFrequency);
}

TEST_F(Pages, LayerTabsAndControlsEditTheShape) {
    editor->ShowPage(VortalisEditor::Page::Shape);
    YSignalGeneratorEditor& shapeEditor = editor->ShapeEditor();
    YSignalGenerator& shape = EffectOf(*plugin).Shape();
    auto& layers = Find<YTabBar>([](YTabBar& t) { return t.Tabs().size() == 4; });
    Click(Center(layers.TabRect(1)));
    ASSERT_EQ(shapeEditor.CurrentLayer(), YSignalGeneratorEditor::Layer::Waveform);
    Pick(Menu("Waveform"), 12);
    EXPECT_EQ(shape.GetSettings().morph, 12.0);
    editor->Idle();
    EXPECT_EQ(Slider("Morph").ShownText().ToUtf8(), "12.0 Saw");

    Click(Center(layers.TabRect(2)));
    YSlider& steps = Slider("Steps");
    Drag(Center(steps.Track()), {steps.Track().CenterX() + steps.Track().width * 0.25f, steps.Track().CenterY()});
    EXPECT_EQ(shape.GetSettings().stepItemCount, 8 + 8);  // a quarter of 1 .. 32 more
    Click(Center(Switch("Rise from lowest").Bounds()));
    EXPECT_FALSE(shape.GetSettings().stepBaseLowest);

    Click(Center(layers.TabRect(3)));
    Click(Center(Switch("Harmonics mode").Bounds()));
    EXPECT_EQ(shape.GetSettings().mode, YSignalGenerator::kHarmonicsMode);
}

TEST_F(Pages, TheSelectedSegmentTakesItsTypeCurvatureAndDeleteKey) {
    editor->ShowPage(VortalisEditor::Page::Shape);
    YCurveEditor& curve = editor->ShapeEditor().CurveEditor();
    YSignalGenerator& shape = EffectOf(*plugin).Shape();
    Click(curve.ToScreen(0.25, 1.0));  // the second point
    ASSERT_EQ(curve.Selected(), 1);
    Pick(Menu("Segment"), YEnvelopeComputer::kSines);
    EXPECT_EQ(shape.GetSettings().envelope.GetPoint(1).type, YEnvelopeComputer::kSines);
    YSlider& curvature = Slider("Curvature");
    Drag(Center(curvature.Track()), {curvature.Track().CenterX() + curvature.Track().width * 0.25f, curvature.Track().CenterY()});
    EXPECT_NEAR(shape.GetSettings().envelope.GetPoint(1).curvature, 0.5, 1e-6);
    Window().MouseMove(At(curve.ToScreen(0.6, 0.0)));  // keys go to what the mouse is over
    Window().Key({YKeyEvent::Kind::KeyDown, 0, kKeyDelete, 0});
    EXPECT_EQ(shape.GetSettings().envelope.PointCount(), 3);
}

TEST_F(Pages, TheMIDIPageWritesTheResetSettings) {
    editor->ShowPage(VortalisEditor::Page::MIDI);
    YMIDIResetProcessor& reset = EffectOf(*plugin).MIDIReset();
    YMenu& channel = Menu("MIDI channel");
    EXPECT_FALSE(channel.Enabled());  // the filters wait for the reset to be on
    Click(Center(Switch("Restart the LFO from MIDI notes").Bounds()));
    EXPECT_TRUE(reset.enabled.Load());
    editor->Idle();
    ASSERT_TRUE(channel.Enabled());
    Pick(channel, 3);
    EXPECT_EQ(reset.channel.Load(), 3);
    YSlider& highest = Slider("Highest note");
    EXPECT_EQ(highest.ShownText(), YString("G9"));
    Drag(Center(highest.Track()), {highest.Track().x, highest.Track().CenterY()});
    EXPECT_EQ(reset.maxNote.Load(), 64);
    EXPECT_EQ(highest.ShownText(), YString("E4"));
}

TEST_F(Pages, TheHelpLineSetsTheParametersNameInBold) {
    const YPoint knob = Center(static_cast<YKnob&>(Control(Index::kFeedback)).Dial());
    Window().MouseMove(At(knob));
    EXPECT_EQ(Window().HelpText(), EffectOf(*plugin).Definition(Index::kFeedback).help);
    std::vector<YCanvas::DrawnText> drawn;
    Window().RecordTexts(&drawn);
    Window().Paint();
    Window().RecordTexts(nullptr);
    // The name and the rest are pieces of their own: the name in the bold face.
    auto at = std::find_if(drawn.begin(), drawn.end(), [](const YCanvas::DrawnText& d) { return d.text == YString("Feedback"); });
    ASSERT_NE(at, drawn.end());
    ASSERT_NE(at + 1, drawn.end());
    EXPECT_EQ((at + 1)->text, YString(" defines phase signal feedback."));
    EXPECT_GT(at->box.width, YTextLayout::Measure("Feedback", {YFontFace::Regular, Window().Style().type.help.size}));
}

TEST_F(Pages, TheEngineFeedsTheMetersOnlyWhileTheEditorIsOpen) {
    AudioBuffers input(2, 256, 0.5f), output(2, 256);
    float peaks[YAudioPlugin::kMeterChannels] = {};
    plugin->ProcessAudio(input.Table(), output.Table(), 256, true);
    EXPECT_EQ(plugin->TakeMeterPeaks(false, peaks), 0);
    plugin->SetEditorOpen(true);
    plugin->ProcessAudio(input.Table(), output.Table(), 256, true);
    ASSERT_EQ(plugin->TakeMeterPeaks(false, peaks), 2);
    EXPECT_NEAR(peaks[0], 0.5f, 1e-6f);
    plugin->ProcessAudio(input.Table(), output.Table(), 256, true);
    editor->Idle();
    EXPECT_NEAR(Find<YMeter>([](YMeter&) { return true; }).LevelDb(0), 20.0f * std::log10(0.5f), 0.01f);
}

}  // namespace
