// The plug-in's editor driven headless as a user would drive it: drags, clicks and
// typing reach the plug-in as parameter writes inside host gestures and shape edits
// through the shape; what the host changes shows; every page draws all it should.
#include "EditorFixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <functional>
#include <thread>

namespace {

TEST_F(Editor, KnobDragsMoveTheParameterByTheDistanceInOneGesture) {
    // The whole range is 200 pixels of vertical motion; a fine modifier makes it 2000.
    const struct {
        int32_t index;
        float dy;
        uint32_t modifiers;
        double change;
    } drags[] = {
        {Index::kMinFrequency, -50.0f, 0, 0.25},
        {Index::kFeedback, 40.0f, 0, -0.2},
        {Index::kDryWet, -50.0f, kModifierShift, 0.025},
        {Index::kSaturation, -60.0f, kModifierControl, 0.03},
    };
    for (const auto& d : drags) {
        SCOPED_TRACE(d.index);
        host.edits.clear();
        const double before = plugin->GetParameter(d.index);
        const YPoint knob = Center(static_cast<YKnob&>(Control(d.index)).Dial());
        Drag(knob, {knob.x + 7.0f, knob.y + d.dy}, d.modifiers);
        EXPECT_NEAR(plugin->GetParameter(d.index), before + d.change, 1e-6);
        ExpectOneGesture(d.index);
    }
}

TEST_F(Editor, ADoubleClickRestoresTheDefault) {
    plugin->SetParameter(Index::kFeedback, 0.2);
    host.edits.clear();
    const YPoint knob = Center(static_cast<YKnob&>(Control(Index::kFeedback)).Dial());
    Click(knob);
    Click(knob, 2);
    EXPECT_DOUBLE_EQ(plugin->GetParameter(Index::kFeedback), plugin->GetParameterDefaultValue(Index::kFeedback));
    // The first click is an empty gesture of its own; the double click one with a change.
    ASSERT_EQ(host.edits.size(), 5u);
    EXPECT_EQ(host.edits[0], std::make_pair('b', static_cast<int32_t>(Index::kFeedback)));
    EXPECT_EQ(host.edits[1], std::make_pair('e', static_cast<int32_t>(Index::kFeedback)));
}

TEST_F(Editor, TypedValuesAreReadByThePluginsOwnRules) {
    const struct {
        int32_t index;
        const char* typed;
        const char* shown;  // the value text afterwards
    } entries[] = {
        {Index::kMinFrequency, "300 Hz", "300 Hz"},
        {Index::kMaxFrequency, "1.5 kHz", "1500 Hz"},
        {Index::kFeedback, "-12 dB", "-12.0 dB"},
        {Index::kMode, "24", "24"},
        {Index::kPhaseDifference, "90", "90\u00b0 (25.0%)"},
        {Index::kRate, "not a number", nullptr},  // refused: the value stays
    };
    for (const auto& e : entries) {
        SCOPED_TRACE(e.typed);
        const YString before = plugin->GetParameterValueName(e.index);
        auto& knob = static_cast<YKnob&>(Control(e.index));
        Click(Center(knob.ValueRect()));
        ASSERT_NE(dynamic_cast<YTextEntry*>(Window().TopPopup()), nullptr);
        Window().Key({YKeyEvent::Kind::KeyDown, 0, kKeyBack, 0});  // the old text is selected: gone
        Type(e.typed);
        EXPECT_FALSE(Window().HasPopup());
        EXPECT_EQ(plugin->GetParameterValueName(e.index).ToUtf8(), e.shown ? std::string(e.shown) : before.ToUtf8());
        EXPECT_EQ(knob.ShownText(), plugin->GetParameterValueName(e.index));
    }
    EXPECT_NEAR(plugin->GetParameter(Index::kMinFrequency), (std::log10(300.0) - std::log10(20.0)) / 3.0, 1e-12);
    EXPECT_NEAR(plugin->GetParameter(Index::kPhaseDifference), 0.625, 1e-12);
}

TEST_F(Editor, SwitchesAndMenusAreGesturesToo) {
    Click(Center(Control(Index::kInvertFeedback).Bounds()));
    EXPECT_EQ(plugin->GetParameter(Index::kInvertFeedback), 1.0);
    ExpectOneGesture(Index::kInvertFeedback);

    host.edits.clear();
    auto& menu = static_cast<YMenu&>(Control(Index::kShapeMode));
    Click(Center(menu.Field()));
    auto* list = dynamic_cast<YListBox*>(Window().TopPopup());
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->Items().size(), 3u);
    const float rowY = list->Bounds().y + 3.0f + list->RowHeight() * 2.5f;  // "Logarithmic"
    Click({list->Bounds().CenterX(), rowY});
    EXPECT_FALSE(Window().HasPopup());
    EXPECT_EQ(plugin->GetParameterValueName(Index::kShapeMode), YString("Logarithmic"));
    ExpectOneGesture(Index::kShapeMode);
}

TEST_F(Editor, WhatTheHostChangesShowsAfterTheIdle) {
    plugin->SetParameter(Index::kMinFrequency, 0.8);
    plugin->SetParameter(Index::kSynchronization, 1.0);
    auto& knob = static_cast<YKnob&>(Control(Index::kMinFrequency));
    EXPECT_NE(knob.ShownText(), plugin->GetParameterValueName(Index::kMinFrequency));
    editor->Idle();
    EXPECT_EQ(knob.ShownText(), plugin->GetParameterValueName(Index::kMinFrequency));
    EXPECT_TRUE(static_cast<YSwitch&>(Control(Index::kSynchronization)).On());
    // Under sync the rate gives way to the note values.
    EXPECT_FALSE(Control(Index::kRate).Enabled());
    EXPECT_TRUE(Control(Index::kSyncLength).Enabled());
    EXPECT_FALSE(Window().NeedsPaint());
}

TEST_F(Editor, APartialRepaintDrawsWhatAWholeOneDraws) {
    for (const float scale : {1.0f, 1.5f}) {
        editor->SetScale(scale);
        editor->PaintAll();
        // The LFO moves on: only the strips around its marks are painted again.
        EffectOf(*plugin).SetPhase(0.37 * scale);
        plugin->SetParameter(Index::kMaxFrequency, 0.9);
        editor->Idle();
        const std::vector<uint32_t> partial = Window().Pixels().Pixels();
        Window().InvalidateAll();
        Window().Paint();
        EXPECT_TRUE(partial == Window().Pixels().Pixels()) << scale;
    }
}

TEST_F(Editor, AddingMovingAndDeletingCurvePointsChangesTheShape) {
    editor->ShowPage(VortalisEditor::Page::Shape);
    YSignalGeneratorEditor& shapeEditor = editor->ShapeEditor();
    YCurveEditor& curve = shapeEditor.CurveEditor();
    YSignalGenerator& shape = EffectOf(*plugin).Shape();
    auto points = [&] {
        YScopedLock hold(shape.Lock());
        return shape.GetSettings().envelope.Points();
    };
    ASSERT_EQ(points().size(), 4u);
    auto& engine = static_cast<YYorvaneAudioEffectPlugin&>(*plugin);
    EXPECT_FALSE(engine.SettingsChanged());

    // A point added in the middle of the falling segment, at 0.8: the curve sounds now
    // (its amount was zero), and the table passes through the point.
    Click(curve.ToScreen(0.5, 0.8), 2);
    ASSERT_EQ(points().size(), 5u);
    EXPECT_NEAR(points()[2].x, 0.5, 1e-3);
    EXPECT_NEAR(points()[2].y, 0.8, 1e-3);
    EXPECT_EQ(shape.GetSettings().envelopeDepth, 1.0);
    EXPECT_TRUE(engine.SettingsChanged());  // the shape is part of the state
    ASSERT_TRUE(shape.Changed());
    EXPECT_NEAR(shape.Table()[4096], points()[2].y, 1e-4);
    EXPECT_FLOAT_EQ(shapeEditor.Preview().Table()[4096], shape.Table()[4096]);

    // Dragged up by a tenth of the plot: a fifth of the value range higher.
    const YPoint from = curve.ToScreen(points()[2].x, points()[2].y);
    const float up = curve.Plot().height * 0.1f;
    Drag(from, {from.x, from.y - up});
    EXPECT_NEAR(points()[2].y, 1.0, 1e-3);
    ASSERT_TRUE(shape.Changed());
    EXPECT_NEAR(shape.Table()[4096], points()[2].y, 1e-4);
    EXPECT_TRUE(host.automation.empty());  // the shape is no host parameter

    // A double click on it removes it; end points stay.
    Click(curve.ToScreen(points()[2].x, points()[2].y), 2);
    EXPECT_EQ(points().size(), 4u);
    Click(curve.ToScreen(0.0, 0.0), 2);
    EXPECT_EQ(points().size(), 4u);
}

TEST_F(Editor, DrawingAcrossStepBarsSetsTheLevels) {
    editor->ShowPage(VortalisEditor::Page::Shape);
    YSignalGeneratorEditor& shapeEditor = editor->ShapeEditor();
    shapeEditor.ShowLayer(YSignalGeneratorEditor::Layer::Steps);
    YStepBars& bars = shapeEditor.StepBars();
    const YRect first = bars.BarRect(0), fourth = bars.BarRect(3);
    // From the top of the first bar to the bottom of the fourth: levels fall along the line.
    Drag({first.CenterX(), first.y}, {fourth.CenterX(), fourth.Bottom()});
    const YSignalGenerator::Settings settings = EffectOf(*plugin).Shape().GetSettings();
    EXPECT_DOUBLE_EQ(settings.stepLevels[0], 1.0);
    EXPECT_NEAR(settings.stepLevels[1], 1.0 / 3.0, 0.02);
    EXPECT_NEAR(settings.stepLevels[2], -1.0 / 3.0, 0.02);
    EXPECT_DOUBLE_EQ(settings.stepLevels[3], -1.0);
    EXPECT_EQ(settings.stepDepth, 1.0);
}

TEST_F(Editor, ResettingTheShapeAsksFirst) {
    YAudioPlugin::SetConfirmationEnabled(1);
    editor->ShowPage(VortalisEditor::Page::Shape);
    YSignalGeneratorEditor& shapeEditor = editor->ShapeEditor();
    shapeEditor.Edit([](YSignalGenerator::Settings& s) { s.morph = 5.0; });
    for (int32_t answer : {0, 1}) {
        Click(Center(shapeEditor.ResetButton().Bounds()));
        auto* question = dynamic_cast<YQuestion*>(Window().TopPopup());
        ASSERT_NE(question, nullptr);
        Click(Center(question->ButtonRect(answer)));
        EXPECT_FALSE(Window().HasPopup());
        EXPECT_EQ(EffectOf(*plugin).Shape().GetSettings().morph, answer == 1 ? -1.0 : 5.0);
    }
    YAudioPlugin::SetConfirmationEnabled(0);
    shapeEditor.Edit([](YSignalGenerator::Settings& s) { s.morph = 5.0; });
    Click(Center(shapeEditor.ResetButton().Bounds()));  // resets without asking
    EXPECT_FALSE(Window().HasPopup());
    EXPECT_EQ(EffectOf(*plugin).Shape().GetSettings().morph, -1.0);
}

TEST_F(Editor, ALoadedStateAndMeteredAudioShowAfterTheIdle) {
    std::unique_ptr<YAudioPlugin> other = MakePlugin();
    EffectOf(*other).Shape().SetMorph(7.0);
    other->SetParameter(Index::kMode, 0.5);
    YStateChunk::Load(*plugin, YStateChunk::Save(*other));
    editor->Idle();
    EXPECT_EQ(editor->ShapeEditor().EditedSettings().morph, 7.0);
    EXPECT_EQ(static_cast<YKnob&>(Control(Index::kMode)).ShownText(), other->GetParameterValueName(Index::kMode));

    // While the editor is open the engine feeds the meters from the audio thread.
    plugin->SetEditorOpen(true);
    std::vector<float> left(64, 0.5f), right(64, -0.25f);
    float* channels[2] = {left.data(), right.data()};
    plugin->FeedMeter(false, channels, 2, 64);
    float peaks[YAudioPlugin::kMeterChannels] = {};
    EXPECT_EQ(plugin->TakeMeterPeaks(false, peaks), 2);
    EXPECT_EQ(peaks[1], 0.25f);
    EXPECT_EQ(plugin->TakeMeterPeaks(false, peaks), 2);
    EXPECT_EQ(peaks[0], 0.0f);  // taken
}

TEST_F(Editor, EditingWhileTheAudioRunsLeavesTheAudioThreadAlone) {
    plugin->SetEditorOpen(true);
    std::atomic<bool> stop{false};
    std::atomic<int> blocks{0};
    std::thread audio([&] {
        AudioBuffers input = AudioBuffers::Signal(2, 128), output(2, 128);
        while (!stop.load()) {
            plugin->ProcessAudio(input.Table(), output.Table(), 128, true);
            ++blocks;
        }
    });
    editor->ShowPage(VortalisEditor::Page::Shape);
    YCurveEditor& curve = editor->ShapeEditor().CurveEditor();
    const YPoint knob = Center(static_cast<YKnob&>(Control(Index::kFeedback)).Dial());
    for (int round = 0; round < 10; ++round) {
        Click(curve.ToScreen(0.1 + 0.08 * round, 0.5), 2);
        Drag(knob, {knob.x, knob.y - 5.0f});
        editor->Idle();
    }
    // The audio kept running through the edits and rendered the last shape.
    const int before = blocks.load();
    while (blocks.load() < before + 2) std::this_thread::yield();
    stop = true;
    audio.join();
    EXPECT_EQ(EffectOf(*plugin).Shape().GetSettings().envelope.PointCount(), 14);
    EXPECT_FALSE(EffectOf(*plugin).Shape().Changed());
}

// The texts of every control on a page and the panels' ink, read back through the
// toolkit's own record of what it drew.
class Snapshot : public Editor, public ::testing::WithParamInterface<float> {};

TEST_P(Snapshot, EveryParameterShowsItsNameAndValueAndNoPanelIsBlank) {
    editor->SetScale(GetParam());
    std::vector<YCanvas::DrawnText> drawn;
    Window().RecordTexts(&drawn);
    const YPixelBuffer& pixels = editor->PaintAll();
    Window().RecordTexts(nullptr);
    const float scale = editor->Scale();
    auto inked = [&](const YRect& box) {
        // Pixels of the box unlike its top left corner.
        const auto x0 = static_cast<int32_t>(box.x * scale), y0 = static_cast<int32_t>(box.y * scale);
        const auto x1 = static_cast<int32_t>(box.Right() * scale), y1 = static_cast<int32_t>(box.Bottom() * scale);
        const uint32_t ground = pixels.Pixel(x0, y0);
        int32_t count = 0;
        for (int32_t y = y0; y < y1; ++y)
            for (int32_t x = x0; x < x1; ++x) {
                const uint32_t p = pixels.Pixel(x, y);
                int32_t difference = 0;
                for (int shift : {0, 8, 16}) difference += std::abs(static_cast<int32_t>(p >> shift & 0xFF) - static_cast<int32_t>(ground >> shift & 0xFF));
                if (difference > 60) ++count;
            }
        return count;
    };
    auto shows = [&](const YString& text) {
        for (const YCanvas::DrawnText& d : drawn)
            if (d.text == text) return d.box.x >= 0.0f && d.box.Right() <= Window().Width() && inked(d.box) > 10;
        return false;
    };
    for (int32_t index = 0; index < Index::kParameterCount; ++index) {
        EXPECT_TRUE(shows(plugin->GetParameterName(index))) << plugin->GetParameterName(index).ToUtf8();
        EXPECT_TRUE(shows(plugin->GetParameterValueName(index))) << plugin->GetParameterValueName(index).ToUtf8();
    }
    for (VortalisEditor::Page page : {VortalisEditor::Page::Phaser, VortalisEditor::Page::Shape, VortalisEditor::Page::MIDI}) {
        editor->ShowPage(page);
        editor->PaintAll();
        std::function<void(YControl&)> check = [&](YControl& control) {
            if (!control.Visible()) return;
            // Below a panel's title something must be drawn.
            const auto* panel = dynamic_cast<YPanel*>(&control);
            if (panel || dynamic_cast<YSignalGeneratorEditor*>(&control)) {
                const YRect box = panel ? panel->Content() : control.Bounds().Inset(12.0f);
                EXPECT_GT(inked(box), static_cast<int32_t>(box.width * box.height * scale * scale * 0.01f))
                    << "a blank panel at " << box.x << "," << box.y;
            }
            for (const auto& child : control.Children()) check(*child);
        };
        check(Window().Root());
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, Snapshot, ::testing::Values(1.0f, 2.0f));

TEST(EditorCreation, TheStoredSizeAndNoWindowSystem) {
    ScratchFolder scratch;
    std::unique_ptr<YAudioPlugin> plugin = MakePlugin();
    {
        KeptConfiguration configuration;  // other programs see the stored size only briefly
        plugin->SetDefaultSize(960, 650);  // within any desktop, which limits it
        EXPECT_FALSE(plugin->EditorExists());
        ASSERT_TRUE(plugin->CreateEditor(nullptr));
        plugin->FinishEditorCreation();
    }
    ASSERT_TRUE(plugin->EditorExists());
    // Not a window: the editor stays off-screen.
    EXPECT_FALSE(plugin->Editor()->Attach(reinterpret_cast<void*>(uintptr_t{0x3fffff07}), nullptr));
    EXPECT_FALSE(plugin->Editor()->Attached());
    int32_t width = 0, height = 0;
    plugin->Editor()->GetSize(width, height);
    EXPECT_EQ(width, 960);
    EXPECT_EQ(height, 650);
    // Smaller than the layout allows: the layout's minimum.
    plugin->Editor()->SetSize(300, 200);
    plugin->Editor()->GetSize(width, height);
    EXPECT_EQ(width, static_cast<int32_t>(VortalisEditor::kMinimumWidth));
    plugin->DestroyEditor();
    EXPECT_FALSE(plugin->EditorExists());
}

}  // namespace
