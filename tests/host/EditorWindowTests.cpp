// The built plug-in's editor in a real window of the host (X11 on Linux, Win32 under
// wine), opened over both formats as hosts open it. Needs a window system: the test
// programs run under a private X server (scripts/with-xvfb); without one they skip.
#include "HostTestSupport.h"

#include "editor/VortalisEditor.h"
#include "editor/YKnob.h"
#include "host/YHostWindow.h"
#include "phaser/VortalisAudioEffectPlugin.h"
#include "platform/YChildWindow.h"
#include "shell/CreateAudioPlugin.h"
#include "support/KeptConfiguration.h"
#include "support/ScratchFolder.h"

#include <chrono>
#include <cstdlib>
#include <map>
#include <thread>

using namespace HostTest;

namespace {

using Format = YHostedPlugin::Format;
using Index = VortalisAudioEffectPlugin::Index;

class EditorWindow : public ::testing::TestWithParam<Format> {
protected:
    void SetUp() override {
        if (!PluginBuilt(kProduct)) GTEST_SKIP() << "the product plug-in is not built";
        YString error;
        window = YHostWindow::Create(400, 300, error);
        if (!window) GTEST_SKIP() << "no window system to open the editor in: " << error.ToUtf8();
        library = Load(kProduct);
        ASSERT_TRUE(library);
        YString made;
        plugin = YHostedPlugin::Create(library, GetParam(), made);
        ASSERT_TRUE(plugin) << made.ToUtf8();
        ASSERT_TRUE(plugin->Prepare(48000.0, 256, 2, 2));
    }
    void TearDown() override {
        plugin.reset();
        window.reset();
    }

    // The host's user-interface loop for a while.
    void Run(int milliseconds) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < end) {
            plugin->IdleEditor();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        plugin->IdleEditor();
    }

    // The editor as the plug-in draws it off-screen, in this process.
    struct Headless {
        std::unique_ptr<YAudioPlugin> plugin{CreateAudioPlugin()};
        VortalisEditor* editor = nullptr;
        Headless() {
            plugin->SetSampleRate(48000.0);
            plugin->SetChannels(2, 2);
            if (plugin->CreateEditor(nullptr)) plugin->FinishEditorCreation();
            editor = static_cast<VortalisEditor*>(plugin->Editor());
        }
    };

    ScratchFolder scratch;            // the stored editor size lives there on Linux,
    KeptConfiguration configuration;  // and in the wine prefix's own folder on Windows
    std::unique_ptr<YHostWindow> window;
    std::shared_ptr<YPluginLibrary> library;
    std::unique_ptr<YHostedPlugin> plugin;
};

TEST_P(EditorWindow, TheWindowShowsWhatTheEditorDrawsOffScreen) {
    ASSERT_TRUE(plugin->OpenEditor(*window));
    int32_t width = 0, height = 0;
    ASSERT_TRUE(plugin->EditorSize(width, height));
    Run(400);
    std::vector<uint32_t> shown;
    ASSERT_TRUE(window->Capture(width, height, shown));

    Headless headless;
    ASSERT_NE(headless.editor, nullptr);
    const YPixelBuffer& drawn = headless.editor->PaintAll();
    ASSERT_EQ(drawn.Width(), width);
    ASSERT_EQ(drawn.Height(), height);
    // Nothing moves in an editor whose plug-in is not playing; the pointer may light
    // up one control, so a few pixels may differ.
    int64_t differing = 0;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t a = shown[static_cast<std::size_t>(y * width + x)], b = drawn.Pixel(x, y) & 0xFFFFFFu;
            for (int shift : {0, 8, 16}) {
                if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > 2) {
                    ++differing;
                    break;
                }
            }
        }
    }
    EXPECT_LT(differing, static_cast<int64_t>(width) * height / 200) << "of " << width * height << " pixels";
    plugin->CloseEditor();
}

TEST_P(EditorWindow, AMouseDragThroughTheWindowSystemMovesAKnobInOneGesture) {
    std::map<uint32_t, double> before;
    for (const YHostedParameter& parameter : plugin->Parameters()) before[parameter.id] = plugin->GetParameter(parameter.id);
    ASSERT_TRUE(plugin->OpenEditor(*window));
    Run(200);
    plugin->TakeGestures();
    plugin->TakeAutomation();

    Headless headless;  // where the knob is
    const YRect dial = static_cast<YKnob*>(headless.editor->ParameterControl(Index::kMinFrequency))->Dial();
    const auto x = static_cast<int32_t>(dial.CenterX()), y = static_cast<int32_t>(dial.CenterY());
    // A whole turn is 200 pixels up: 50 pixels are a quarter of the range.
    const YString how = window->Drag(x, y, x + 7, y - 50, 10);
    Run(200);

    const std::vector<YHostGesture> gestures = plugin->TakeGestures();
    std::string seen;
    for (const YHostGesture& g : gestures) seen += std::string(1, g.kind) + std::to_string(g.id) + " ";
    ASSERT_GE(gestures.size(), 3u) << "through " << how.ToUtf8() << ": " << seen;
    EXPECT_EQ(gestures.front().kind, 'b');
    EXPECT_EQ(gestures.back().kind, 'e');
    const uint32_t id = gestures.front().id;
    for (std::size_t i = 1; i + 1 < gestures.size(); ++i) {
        EXPECT_EQ(gestures[i].kind, 'p') << i;
        EXPECT_EQ(gestures[i].id, id) << i;
    }
    EXPECT_EQ(gestures.back().id, id);
    EXPECT_NEAR(plugin->GetParameter(id), before[id] + 0.25, 1e-3);
    plugin->CloseEditor();
}

TEST_P(EditorWindow, KeysTheHostForwardsTypeAValue) {
    ASSERT_TRUE(plugin->OpenEditor(*window));
    Run(100);
    // A click on the value text opens a field for typing.
    Headless headless;
    const YRect text = static_cast<YKnob*>(headless.editor->ParameterControl(Index::kMinFrequency))->ValueRect();
    const auto x = static_cast<int32_t>(text.CenterX()), y = static_cast<int32_t>(text.CenterY());
    window->Drag(x, y, x, y, 1);
    Run(100);
    // The host hands on keys as its own key events: characters, then Return (virtual key 4).
    auto forward = [&](char character, int32_t virtualKey) {
        if (GetParam() == Format::Vst2) {
            static_cast<YVst2HostedPlugin&>(*plugin).Dispatch(Vst2::effEditKeyDown, character, virtualKey);
        } else {
            static_cast<YVst3HostedPlugin&>(*plugin).EditorView()->onKeyDown(static_cast<Vst3::TChar>(character),
                                                                            static_cast<int16_t>(virtualKey), 0);
        }
    };
    for (char c : std::string("300 Hz")) forward(c, 0);
    forward(0, 4);
    Run(100);
    uint32_t id = Index::kMinFrequency;  // VST 2 numbers parameters by index
    if (GetParam() == Format::Vst3) {
        for (const YHostedParameter& parameter : plugin->Parameters())
            if (parameter.name == headless.plugin->GetParameterName(Index::kMinFrequency)) id = parameter.id;
    }
    EXPECT_EQ(plugin->ValueText(id).ToUtf8().rfind("300", 0), 0u) << plugin->ValueText(id).ToUtf8();
    plugin->CloseEditor();
}

TEST_P(EditorWindow, OpensResizesAndClosesTwentyTimes) {
    int32_t minimumWidth = 0, minimumHeight = 0;
    {
        Headless headless;
        headless.editor->GetMinimumSize(minimumWidth, minimumHeight);
    }
    int32_t lastWidth = 0, lastHeight = 0;
    for (int32_t round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(plugin->OpenEditor(*window));
        int32_t width = 0, height = 0;
        ASSERT_TRUE(plugin->EditorSize(width, height));
        // The size the user left it at last time.
        if (round > 0 && GetParam() == Format::Vst3) {
            EXPECT_EQ(width, lastWidth);
            EXPECT_EQ(height, lastHeight);
        }
        Run(50);
        if (GetParam() == Format::Vst3) {
            auto* frame = static_cast<YVst3HostedPlugin&>(*plugin).EditorFrame();
            Vst3::YVst3Ptr<YVst3Host::PlugFrame> kept(frame);
            frame->addRef();
            // Too small for the layout: the plug-in answers its minimum.
            int32_t w = 300, h = 200;
            ASSERT_TRUE(plugin->ResizeEditor(w, h));
            EXPECT_EQ(w, minimumWidth);
            EXPECT_EQ(h, minimumHeight);
            w = minimumWidth + 10 * round;
            h = minimumHeight + 5 * round;
            ASSERT_TRUE(plugin->ResizeEditor(w, h));
            Run(50);
            ASSERT_TRUE(plugin->EditorSize(lastWidth, lastHeight));
            EXPECT_EQ(lastWidth, w);
            EXPECT_EQ(lastHeight, h);
            // The new area is drawn: the bottom-right corner is the editor's, not the window's white.
            std::vector<uint32_t> shown;
            ASSERT_TRUE(window->Capture(w, h, shown));
            EXPECT_NE(shown.back(), 0xFFFFFFu);
            plugin->CloseEditor();
            // The view took back what it registered with the host's run loop.
            EXPECT_EQ(kept->Registrations(), 0u);
            if (!Platform::kWindowsTarget) {
                EXPECT_GT(kept->TimerCalls(), 0);
            }
        } else {
            plugin->CloseEditor();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, EditorWindow, ::testing::Values(Format::Vst2, Format::Vst3),
                         [](const auto& test) { return test.param == Format::Vst2 ? "Vst2" : "Vst3"; });

// When a VST 2 host declines to resize its window, Windows lets the plug-in resize the
// host's windows around its own; on X11 they stay the host's.
TEST(EditorWindowSize, TheHostsWindowsAreResizedByHandWhereTheSystemAllowsIt) {
    struct Blank final : YChildWindowClient {
        uint32_t pixel = 0;
        Pixels CurrentPixels() override { return {&pixel, 1, 1}; }
        void MouseDown(const YChildWindowMouse&) override {}
        void MouseMove(const YChildWindowMouse&) override {}
        void MouseUp(const YChildWindowMouse&) override {}
        void MouseLeave() override {}
        void Wheel(const YChildWindowMouse&) override {}
        bool Key(const YChildWindowKey&) override { return false; }
        void Tick() override {}
    } client;
    YString error;
    auto window = YHostWindow::Create(400, 300, error);
    if (!window) GTEST_SKIP() << "no window system: " << error.ToUtf8();
    auto child = YChildWindow::Create(window->Handle(), 400, 300, client, nullptr);
    ASSERT_TRUE(child);
    const bool resized = child->ResizeHostWindows(640, 480);
    window->ProcessEvents();
    int32_t width = 0, height = 0;
    window->InsideSize(width, height);
    if (Platform::kWindowsTarget) {
        EXPECT_TRUE(resized);
        // The frame around the inside is added, and one pixel.
        EXPECT_EQ(width, 641);
        EXPECT_EQ(height, 481);
    } else {
        EXPECT_FALSE(resized);
        EXPECT_EQ(width, 400);
        EXPECT_EQ(height, 300);
    }
}

TEST(EditorWindowSize, AStoredSizeNeverOpensLargerThanTheDesktop) {
    ScratchFolder scratch;
    KeptConfiguration configuration;
    int32_t desktopWidth = 0, desktopHeight = 0;
    if (!YChildWindow::DesktopSize(desktopWidth, desktopHeight)) GTEST_SKIP() << "no desktop";
    std::unique_ptr<YAudioPlugin> plugin(CreateAudioPlugin());
    plugin->SetDefaultSize(desktopWidth + 500, desktopHeight + 400);
    int32_t width = 0, height = 0;
    plugin->GetDefaultSize(width, height);
    EXPECT_EQ(width, desktopWidth - 31);
    EXPECT_EQ(height, desktopHeight);
    // A size that fits stays as it is.
    plugin->SetDefaultSize(desktopWidth / 2, desktopHeight / 2);
    plugin->GetDefaultSize(width, height);
    EXPECT_EQ(width, desktopWidth / 2);
    EXPECT_EQ(height, desktopHeight / 2);
}

}  // namespace
