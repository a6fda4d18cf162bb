#pragma once

// The plug-in with its editor, made and driven headless as the editor tests need it.
#include "editor/VortalisEditor.h"
#include "editor/YButton.h"
#include "editor/YCurveEditor.h"
#include "editor/YKnob.h"
#include "editor/YListBox.h"
#include "editor/YMenu.h"
#include "editor/YMeter.h"
#include "editor/YPanel.h"
#include "editor/YQuestion.h"
#include "editor/YSignalGeneratorEditor.h"
#include "editor/YStepBars.h"
#include "editor/YSwitch.h"
#include "editor/YTextEntry.h"
#include "engine/YYorvaneAudioEffectPlugin.h"
#include "foundation/YFile.h"
#include "phaser/VortalisAudioEffectPlugin.h"
#include "shell/AudioBuffers.h"
#include "shell/CreateAudioPlugin.h"
#include "shell/YConfiguration.h"
#include "shell/YStateChunk.h"
#include "support/KeptConfiguration.h"
#include "support/RecordingBinding.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <memory>

using Index = VortalisAudioEffectPlugin::Index;

inline std::unique_ptr<YAudioPlugin> MakePlugin() {
    std::unique_ptr<YAudioPlugin> plugin(CreateAudioPlugin());
    plugin->SetSampleRate(48000.0);
    plugin->SetChannels(2, 2);
    return plugin;
}

inline VortalisAudioEffectPlugin& EffectOf(YAudioPlugin& plugin) {
    return static_cast<VortalisAudioEffectPlugin&>(*static_cast<YYorvaneAudioEffectPlugin&>(plugin).Effect());
}

class Editor : public ::testing::Test {
protected:
    void SetUp() override {
        plugin = MakePlugin();
        plugin->SetAdapter(&host);
        ASSERT_TRUE(plugin->CreateEditor(nullptr));
        plugin->FinishEditorCreation();
        editor = static_cast<VortalisEditor*>(plugin->Editor());
        editor->PaintAll();
    }
    void TearDown() override { plugin->DestroyEditor(); }

    YWindow& Window() { return editor->Window(); }
    YControl& Control(int32_t index) { return *editor->ParameterControl(index); }
    static YMouseEvent At(YPoint p, uint32_t modifiers = 0, int32_t clicks = 1) {
        YMouseEvent event;
        event.x = p.x;
        event.y = p.y;
        event.modifiers = modifiers;
        event.clicks = clicks;
        return event;
    }
    void Click(YPoint p, int32_t clicks = 1) {
        Window().MouseDown(At(p, 0, clicks));
        Window().MouseUp(At(p, 0, clicks));
    }
    // A press, a drag in steps, a release.
    void Drag(YPoint from, YPoint to, uint32_t modifiers = 0) {
        Window().MouseDown(At(from, modifiers));
        for (int i = 1; i <= 5; ++i)
            Window().MouseMove(At({from.x + (to.x - from.x) * static_cast<float>(i) / 5.0f, from.y + (to.y - from.y) * static_cast<float>(i) / 5.0f}, modifiers));
        Window().MouseUp(At(to, modifiers));
    }
    void Type(const char* text) {
        for (const char* c = text; *c; ++c) Window().Key({YKeyEvent::Kind::Character, static_cast<char16_t>(*c), 0, 0});
        Window().Key({YKeyEvent::Kind::KeyDown, 0, kKeyReturn, 0});
    }
    static YPoint Center(const YRect& r) { return {r.CenterX(), r.CenterY()}; }
    // The recorded calls are one gesture on index: begin, automation, end.
    void ExpectOneGesture(int32_t index) {
        ASSERT_GE(host.edits.size(), 3u);
        EXPECT_EQ(host.edits.front(), std::make_pair('b', index));
        EXPECT_EQ(host.edits.back(), std::make_pair('e', index));
        for (std::size_t i = 1; i + 1 < host.edits.size(); ++i) EXPECT_EQ(host.edits[i], std::make_pair('a', index)) << i;
        EXPECT_FLOAT_EQ(host.automation.back().second, static_cast<float>(plugin->GetParameter(index)));
    }

    ScratchFolder scratch;
    KeptConfiguration configuration;
    RecordingBinding host;
    std::unique_ptr<YAudioPlugin> plugin;
    VortalisEditor* editor = nullptr;
};
