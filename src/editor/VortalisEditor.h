#pragma once

#include "editor/YPlatformView.h"
#include "editor/YWindow.h"
#include "shell/YAudioPlugin.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

class YAGCMeasurement;
class YYorvaneAudioEffectPlugin;
class VortalisAudioEffectPlugin;
class YSignalGeneratorEditor;
class ProgramsPage;
class MacrosPage;
class ControllersPage;
class PresetsPage;
class PresetBar;

// The plug-in's editor: the phaser's parameters, the LFO shape editor with live
// views of the LFO and the sweep, the MIDI reset, the programs, the macros, the MIDI
// controller assignments, the preset browser and the engine's switches, drawn with the
// editor toolkit into the pixels of its YWindow.
//
// Made by CreateEditor on the user-interface thread, which is the only thread that
// calls it. It reads parameter values without locks, sends its edits as parameter
// writes inside host gestures and shape edits through the shape's changed state, and
// takes editorLock only to re-read a state that the host loaded. Its idle (the host's
// or the window's timer) takes the posted updates, follows the LFO and the meters and
// repaints what changed.
class VortalisEditor : public YAudioPlugin::YEditor {
public:
    static constexpr float kNaturalWidth = 980.0f;
    static constexpr float kNaturalHeight = 670.0f;
    static constexpr float kMinimumWidth = 900.0f;
    static constexpr float kMinimumHeight = 630.0f;
    enum class Page : int32_t { Phaser, Shape, MIDI, Programs, Macros, Controllers, Presets };

    explicit VortalisEditor(YYorvaneAudioEffectPlugin& plugin);
    ~VortalisEditor() override;

    // ---- YAudioPlugin::YEditor ---------------------------------------------------------------
    void GetSize(int32_t& width, int32_t& height) const override;
    // A size in pixels: the layout stretches (down to the minimum) at the current scale.
    void SetSize(int32_t width, int32_t height) override;
    void GetMinimumSize(int32_t& width, int32_t& height) const override;
    void Refresh() override;
    // In a window with a timer of its own the window's tick does the work; under a
    // host that drives the window through its idle calls this runs the window.
    void Idle() override;
    bool Attach(void* parentWindow, YChildWindowRunLoop* runLoop) override;
    void Detach() override;
    bool Attached() const override { return platformView_ != nullptr; }
    bool ResizeHostWindows(int32_t width, int32_t height) override;
    bool HostKey(int32_t kind, int32_t value) override;
    uint32_t Modifiers() const override;

    // ---- Headless use and tests ----------------------------------------------------------------
    YWindow& Window() { return window_; }
    // The screen's density: the logical size stays, the pixels follow.
    void SetScale(float scale);
    float Scale() const { return window_.Scale(); }
    void ShowPage(Page page);
    Page CurrentPage() const { return page_; }
    // "Phaser", "Shape", "MIDI", "Programs", "Macros", "Controllers", "Presets" (any case);
    // false for other names.
    static bool PageFromName(const YString& name, Page& page);
    static std::vector<YString> PageNames();
    // The control that shows a parameter; null when none does.
    YControl* ParameterControl(int32_t index) const;
    YSignalGeneratorEditor& ShapeEditor() const { return *shapeEditor_; }
    ProgramsPage& Programs() const { return *programsPage_; }
    MacrosPage& Macros() const;
    ControllersPage& Controllers() const;
    // "Attach MIDI controller": a controller slot on the parameter, learning, on the
    // Controllers page; when all slots are in use the user is told and nothing changes.
    void AttachMIDIController(int32_t parameter);
    PresetsPage& Presets() const { return *presetsPage_; }
    PresetBar& HeaderPresetBar() const { return *presetBar_; }
    // Paints the whole window now.
    const YPixelBuffer& PaintAll();

private:
    class View;
    class Header;
    void Build();
    // The work of one refresh: takes the posted updates, follows the plug-in and
    // repaints what changed.
    void Update();
    void UpdateLive(float seconds);
    void UpdateEnabled();
    void ChangeZoom(int32_t percent);
    // Loading an active preset (here or in a state) shows its panel on the programs page.
    void FollowActivePresetMode();
    // The "Set" button and the macros' "Compute bank gains": start measuring (the fixed
    // output gain, or the selected macro's banks), or cancel the measurement that runs.
    // The idle polls it; the buttons show the progress, "Set" otherwise the fixed gain.
    void ToggleGainMeasurement(bool banks);
    void FollowGainMeasurement();
    void ShowGainMeasurement();

    YYorvaneAudioEffectPlugin& plugin_;
    VortalisAudioEffectPlugin& effect_;
    YWindow window_;
    std::unique_ptr<YPlatformView> platformView_;  // while shown in a host window; goes before window_
    View* view_ = nullptr;
    YSignalGeneratorEditor* shapeEditor_ = nullptr;
    ProgramsPage* programsPage_ = nullptr;
    bool activePresetEdit_ = true;  // the engine's edit mode at the last update
    PresetsPage* presetsPage_ = nullptr;
    PresetBar* presetBar_ = nullptr;
    std::vector<YControl*> parameterControls_;
    Page page_ = Page::Phaser;
    bool touch_ = false;
    bool sizeChanged_ = false;  // by the host or the zoom while shown; stored on closing
    std::chrono::steady_clock::time_point lastIdle_;
    std::unique_ptr<YAGCMeasurement> gainMeasurement_;  // while "Set" or the bank gains measure
    bool measuringBanks_ = false;
};

// The product's editor factory (YAudioPlugin::EditorFactory): the editor of a Vortalis
// plug-in, or null for any other.
std::unique_ptr<YAudioPlugin::YEditor> CreateVortalisEditor(YAudioPlugin& plugin);
