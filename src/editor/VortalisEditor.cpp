#include "editor/VortalisEditor.h"

#include "editor/ControllersPage.h"
#include "editor/MacrosPage.h"
#include "editor/PageFields.h"
#include "editor/PresetsPage.h"
#include "editor/ProgramsPage.h"
#include "editor/YButton.h"
#include "editor/YCurveEditor.h"
#include "editor/YHelpLine.h"
#include "editor/YKnob.h"
#include "editor/YLabel.h"
#include "editor/YMenu.h"
#include "editor/YMeter.h"
#include "editor/YPanel.h"
#include "editor/YParameterValue.h"
#include "editor/YSignalGeneratorEditor.h"
#include "editor/YSlider.h"
#include "editor/YSweepView.h"
#include "editor/YSwitch.h"
#include "editor/YTabBar.h"
#include "engine/ParameterConverters.h"
#include "engine/YBankGainSteps.h"
#include "engine/YYorvaneAudioEffectPlugin.h"
#include "foundation/YException.h"
#include "foundation/YFormat.h"
#include "phaser/VortalisAudioEffectPlugin.h"
#include "shell/YAGCMeasurement.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <type_traits>

namespace {

using Index = VortalisAudioEffectPlugin::Index;

constexpr float kKnobWidth = 88.0f;
constexpr float kKnobHeight = 100.0f;
constexpr int32_t kZoomSteps[] = {75, 100, 125, 150, 200};
constexpr int32_t kOversampling[] = {1, 2, 4, 8, 16};

const YString kHint = "Drag a control to change it: Shift drags finely, a double click restores the default, a click "
                      "on a value lets you type one.";

// The frequencies (hertz) of LFO values in place, as the effect maps them.
void ToHertz(VortalisAudioEffectPlugin& effect, float* values, int32_t count) {
    using Mode = VortalisAudioEffectPlugin::ShapeMode;
    const auto mode = static_cast<Mode>(std::lround(effect.Definition(Index::kShapeMode).value.Load()));
    double low = effect.Definition(Index::kMinFrequency).value.Load();
    double high = effect.Definition(Index::kMaxFrequency).value.Load();
    if (mode != Mode::Logarithmic) {
        low = std::pow(10.0, low);
        high = std::pow(10.0, high);
    }
    // At a "sample rate" of 2 the normalised frequency is the frequency in hertz.
    VortalisAudioEffectPlugin::MapSweep(values, count, mode, low, high, 2.0);
}

// A value read and written through functions on one of the effect's relaxed cells.
template <class Cell>
std::unique_ptr<YFunctionValue> CellValue(Cell& cell, double minimum, double maximum, double defaultValue, int32_t steps,
                                          const std::function<void()>& changed) {
    auto value = std::make_unique<YFunctionValue>();
    value->minimum = minimum;
    value->maximum = maximum;
    value->defaultValue = defaultValue;
    value->steps = steps;
    value->read = [&cell] { return static_cast<double>(cell.Load()); };
    value->write = [&cell, changed](double v) {
        using T = decltype(cell.Load());
        if constexpr (std::is_same_v<T, bool>)
            cell = v >= 0.5;
        else if constexpr (std::is_integral_v<T>)
            cell = static_cast<T>(std::lround(v));
        else
            cell = static_cast<T>(v);
        changed();
    };
    return value;
}

}  // namespace

// ---- The header ----------------------------------------------------------------------------------

// The top bar (the mark, the name, the engine's switches; its middle is kept for the
// preset bar) and under it the row of page tabs.
class VortalisEditor::Header : public YControl {
protected:
    void Draw(YCanvas& canvas) override {
        const YStyle& style = Style();
        YRect tabs = Bounds();
        const YRect box = tabs.TakeTop(style.sizes.headerHeight);
        canvas.FillRect(box, YPaint::Linear({0.0f, box.y}, style.colors.header, {0.0f, box.Bottom()}, style.colors.headerBottom));
        canvas.FillRect(tabs, YPaint::Solid(style.colors.headerBottom));
        canvas.FillRect({box.x, box.Bottom() - 1.0f, box.width, 1.0f}, YPaint::Solid(style.colors.panelBorder.Faded(0.5f)));
        canvas.FillRect({tabs.x, tabs.Bottom() - 1.0f, tabs.width, 1.0f}, YPaint::Solid(style.colors.panelBorder));
        // The mark: three arcs turning around a dot, the sweep of a phaser.
        const float cx = box.x + 30.0f, cy = box.CenterY();
        const float turn = 3.14159265f / 3.0f;
        for (int32_t ring = 0; ring < 3; ++ring) {
            const float radius = 6.0f + 4.5f * static_cast<float>(ring);
            const float start = -1.6f + turn * static_cast<float>(ring);
            canvas.StrokeArc(cx, cy, radius, start, start + 3.8f, 2.2f,
                             style.colors.accent.Mix(style.colors.lfo, static_cast<float>(ring) * 0.5f));
        }
        canvas.FillCircle(cx, cy, 2.5f, YPaint::Solid(style.colors.textBright));
        canvas.Text("VORTALIS", {box.x + 56.0f, box.y + 8.0f, 140.0f, 22.0f}, style.type.title, style.colors.textBright);
        static const YString kSubtitle = YString::FromUtf8("PHASER  \u00b7  YORVANE");
        canvas.Text(kSubtitle, {box.x + 57.0f, box.y + 30.0f, 140.0f, 13.0f}, style.type.small,
                    style.colors.textDim);
    }
    bool Hits(float, float) const override { return false; }
};

// ---- The view: header, pages, help line ---------------------------------------------------------

class VortalisEditor::View : public YControl {
public:
    explicit View(VortalisEditor& editor);

    VortalisEditor& editor;
    Header* header = nullptr;
    YTabBar* tabs = nullptr;
    YMenu* channels = nullptr;
    YMenu* oversampling = nullptr;
    YButton* agc = nullptr;
    YButton* setGain = nullptr;
    YButton* bypass = nullptr;
    YMenu* zoom = nullptr;
    std::array<YControl*, 7> pages{};
    YHelpLine* helpLine = nullptr;

    // The phaser page.
    YPanel* sweepPanel = nullptr;
    YPanel* lfoPanel = nullptr;
    YPanel* phaserPanel = nullptr;
    YPanel* outputPanel = nullptr;
    YSweepView* sweep = nullptr;
    YCurveEditor* lfoView = nullptr;
    YButton* editShape = nullptr;
    YMeter* inputMeter = nullptr;
    YMeter* outputMeter = nullptr;
    // The shape page.
    YSweepView* shapeSweep = nullptr;
    // The MIDI page.
    YPanel* midiPanel = nullptr;
    std::vector<YControl*> midiSwitches, midiSliders;
    YMenu* midiChannel = nullptr;
    YKnob* midiPhase = nullptr;
    YLabel* midiNote = nullptr;
    YPanel* restartPanel = nullptr;
    YCurveEditor* restartView = nullptr;
    MacrosPage* macros = nullptr;
    ControllersPage* controllers = nullptr;

    // A right click on a parameter's control offers "Attach MIDI controller".
    bool OnMouseDown(const YMouseEvent& event) override;

protected:
    void Layout() override;

private:
    YKnob& ParameterKnob(YControl& page, int32_t index, bool bipolar = false);
    YMenu& ParameterMenu(YControl& page, int32_t index);
    YSwitch& ParameterSwitch(YControl& page, int32_t index);
    void Bind(YControl& control, int32_t index);
    std::unique_ptr<YParameterValue> Value(int32_t index);
    void BuildHeader();
    void BuildPhaserPage(YControl& page);
    void BuildMIDIPage(YControl& page);
    void LayoutPhaserPage(const YRect& body);
    void LayoutMIDIPage(const YRect& body);
};

std::unique_ptr<YParameterValue> VortalisEditor::View::Value(int32_t index) {
    auto value = std::make_unique<YParameterValue>(editor.plugin_, index);
    value->onSet = [this](int32_t edited) {
        if (macros) macros->ParameterEdited(edited);
    };
    return value;
}

void VortalisEditor::View::Bind(YControl& control, int32_t index) {
    control.help = editor.plugin_.Parameter(index)->Definition().help;
    if (index >= static_cast<int32_t>(editor.parameterControls_.size())) editor.parameterControls_.resize(static_cast<std::size_t>(index) + 1, nullptr);
    editor.parameterControls_[static_cast<std::size_t>(index)] = &control;
}

YKnob& VortalisEditor::View::ParameterKnob(YControl& page, int32_t index, bool bipolar) {
    YKnob& knob = page.Add<YKnob>(Value(index), editor.plugin_.GetParameterName(index), bipolar);
    Bind(knob, index);
    return knob;
}

YMenu& VortalisEditor::View::ParameterMenu(YControl& page, int32_t index) {
    const ParameterDefinition& d = editor.plugin_.Parameter(index)->Definition();
    std::vector<YString> items(d.enumNames, d.enumNames + d.enumCount);
    YMenu& menu = page.Add<YMenu>(d.name, std::move(items));
    auto value = std::shared_ptr<YParameterValue>(Value(index));
    const int32_t last = std::max(1, d.enumCount - 1);
    menu.selected = [value, last] { return static_cast<int32_t>(std::lround(value->Get() * last)); };
    menu.choose = [value, last](int32_t item) { value->Change(static_cast<double>(item) / last); };
    Bind(menu, index);
    return menu;
}

YSwitch& VortalisEditor::View::ParameterSwitch(YControl& page, int32_t index) {
    YSwitch& toggle = page.Add<YSwitch>(Value(index), editor.plugin_.GetParameterName(index));
    toggle.ShowValue(true);
    Bind(toggle, index);
    return toggle;
}

VortalisEditor::View::View(VortalisEditor& owner) : editor(owner) {
    for (std::size_t i = 0; i < 3; ++i) pages[i] = &Add<YControl>();
    // Before the header: its preset bar steps through this page.
    pages[6] = editor.presetsPage_ =
        &Add<PresetsPage>(editor.plugin_.Presets(), [] { return YAudioPlugin::GetConfirmationEnabled() != 0; });
    BuildHeader();
    BuildPhaserPage(*pages[0]);
    editor.shapeEditor_ = &pages[1]->Add<YSignalGeneratorEditor>(
        editor.effect_.Shape(), [] { return YAudioPlugin::GetConfirmationEnabled() != 0; }, editor.touch_);
    shapeSweep = &pages[1]->Add<YSweepView>(Value(Index::kMinFrequency), Value(Index::kMaxFrequency));
    shapeSweep->help = "<name>Sweep</name>: where the phaser's notches travel during one LFO period.";
    BuildMIDIPage(*pages[2]);
    pages[3] = editor.programsPage_ = &Add<ProgramsPage>(editor.plugin_);
    pages[4] = macros = &Add<MacrosPage>(editor.plugin_);
    macros->BankGains().lit = [this] { return editor.gainMeasurement_ != nullptr && editor.measuringBanks_; };
    macros->BankGains().onClick = [this] { editor.ToggleGainMeasurement(true); };
    pages[5] = controllers = &Add<ControllersPage>(editor.plugin_);
    helpLine = &Add<YHelpLine>(kHint);
}

void VortalisEditor::View::BuildHeader() {
    header = &Add<Header>();
    tabs = &Add<YTabBar>(PageNames());
    tabs->help = "Pages of the editor: the phaser, the LFO shape, the MIDI reset, the programs, the macros, the MIDI controllers and the presets.";
    tabs->onSelect = [this](int32_t index) { editor.ShowPage(static_cast<Page>(index)); };

    std::vector<YString> modes;
    for (int32_t m = 0; m < kChannelModeCount; ++m) modes.push_back(ChannelModeInformation(static_cast<ChannelMode>(m)).menu);
    channels = &Add<YMenu>(YString("Channels"), modes);
    channels->help = "<name>Channels</name>: which channels the phaser processes (mid and side, one side, all of a surround bus).";
    channels->selected = [this] { return static_cast<int32_t>(editor.plugin_.GetChannelMode()); };
    channels->choose = [this](int32_t mode) {
        editor.plugin_.SetChannelMode(static_cast<ChannelMode>(mode));
        editor.plugin_.InitProcessing();
    };

    oversampling = &Add<YMenu>(YString("Oversampling"), std::vector<YString>{"Off", "2x", "4x", "8x", "16x"});
    oversampling->help = "<name>Oversampling</name> runs the phaser at a multiple of the host's rate: cleaner saturation and "
                         "feedback at high frequencies, more processor time and latency.";
    oversampling->selected = [this] {
        const int32_t factor = editor.plugin_.UpsamplingFactor();
        for (int32_t i = 0; i < 5; ++i)
            if (kOversampling[i] == factor) return i;
        return 0;
    };
    oversampling->choose = [this](int32_t item) {
        editor.plugin_.UpdateUpsamplingFactor(kOversampling[item], editor.plugin_.HighQualityUpsampling());
    };

    editor.presetBar_ = &Add<PresetBar>(*editor.presetsPage_);

    agc = &Add<YButton>(YString("AGC"));
    agc->help = "<name>AGC</name>: automatic gain compensation keeps the output as loud as the input.";
    agc->lit = [this] { return editor.plugin_.AGC(); };
    agc->onClick = [this] { editor.plugin_.SetAGC(!editor.plugin_.AGC()); };

    setGain = &Add<YButton>(YString("Set"));
    setGain->help = "<name>Set</name> measures a fixed output gain with the AGC, used while the AGC is off: play a "
                    "broadband signal such as white noise through the plug-in, click, and wait four seconds. A click "
                    "while it measures cancels.";
    setGain->lit = [this] { return editor.gainMeasurement_ != nullptr && !editor.measuringBanks_; };
    setGain->onClick = [this] { editor.ToggleGainMeasurement(false); };

    bypass = &Add<YButton>(YString("Bypass"));
    bypass->help = "<name>Bypass</name> passes the input through unprocessed, delayed by the plug-in's latency.";
    bypass->lit = [this] { return editor.plugin_.bypass.load(); };
    bypass->litColor = Style().colors.warning;
    bypass->onClick = [this] { editor.plugin_.SetBypassFromEditor(!editor.plugin_.bypass.load()); };

    std::vector<YString> zooms;
    for (int32_t percent : kZoomSteps) zooms.push_back(YFormat("{0}%").Arg(percent));
    zoom = &Add<YMenu>(YString("Zoom"), zooms);
    zoom->help = "<name>Zoom</name>: the size of the editor on the screen, kept for every instance.";
    zoom->selected = [this] {
        const auto percent = static_cast<int32_t>(std::lround(editor.Scale() * 100.0f));
        for (int32_t i = 0; i < 5; ++i)
            if (kZoomSteps[i] == percent) return i;
        return -1;
    };
    zoom->choose = [this](int32_t item) { editor.ChangeZoom(kZoomSteps[item]); };
}

void VortalisEditor::View::BuildPhaserPage(YControl& page) {
    sweepPanel = &page.Add<YPanel>(YString("SWEEP"));
    ParameterKnob(page, Index::kMinFrequency);
    ParameterKnob(page, Index::kMaxFrequency);
    ParameterMenu(page, Index::kShapeMode);
    sweep = &page.Add<YSweepView>(Value(Index::kMinFrequency), Value(Index::kMaxFrequency));
    sweep->help = "<name>Sweep</name>: where the phaser's notches travel during one LFO period, and where they are now.";

    lfoPanel = &page.Add<YPanel>(YString("LFO"));
    lfoView = &page.Add<YCurveEditor>();
    lfoView->SetShowCurve(false);
    lfoView->SetEnabled(false);
    editShape = &page.Add<YButton>(YString("Edit shape"));
    editShape->help = "Opens the <name>LFO shape</name> editor.";
    editShape->onClick = [this] { editor.ShowPage(Page::Shape); };
    ParameterKnob(page, Index::kRate);
    ParameterSwitch(page, Index::kSynchronization);
    ParameterMenu(page, Index::kSyncLength);
    ParameterMenu(page, Index::kSyncType);
    ParameterKnob(page, Index::kSyncPhase);

    phaserPanel = &page.Add<YPanel>(YString("PHASER"));
    ParameterKnob(page, Index::kFeedback);
    ParameterKnob(page, Index::kMode);
    ParameterKnob(page, Index::kSaturation);
    ParameterKnob(page, Index::kPhaseDifference, true);
    ParameterSwitch(page, Index::kInvertFeedback);

    outputPanel = &page.Add<YPanel>(YString("OUTPUT"));
    ParameterKnob(page, Index::kDryWet);
    inputMeter = &page.Add<YMeter>(YString("IN"));
    inputMeter->help = "<name>Input</name> level of the processed channels.";
    outputMeter = &page.Add<YMeter>(YString("OUT"));
    outputMeter->help = "<name>Output</name> level of the processed channels.";
}

void VortalisEditor::View::BuildMIDIPage(YControl& page) {
    YMIDIResetProcessor& reset = editor.effect_.MIDIReset();
    // These settings are the state's but no host parameters: the plug-in marks them changed.
    const std::function<void()> changed = [this] { editor.plugin_.MarkSettingsChanged(); };
    midiPanel = &page.Add<YPanel>(YString("MIDI RESET"));
    const struct {
        YRelaxed<bool>* cell;
        YString label;
        YString help;
    } switches[] = {
        {&reset.enabled, "Restart the LFO from MIDI notes", "<name>MIDI reset</name> restarts the LFO when a note passes the filters below."},
        {&reset.noteOn, "On note on", "<name>Note on</name>: a pressed key restarts the LFO."},
        {&reset.noteOnOnlyFirst, "Only the first note", "<name>Only the first note</name>: only a key pressed while no other is held."},
        {&reset.noteOff, "On note off", "<name>Note off</name>: a released key restarts the LFO."},
        {&reset.noteOffOnlyLast, "Only the last note", "<name>Only the last note</name>: only when the last held key is released."},
    };
    for (const auto& s : switches) {
        YSwitch& toggle = page.Add<YSwitch>(CellValue(*s.cell, 0.0, 1.0, 0.0, 1, changed), s.label);
        toggle.help = s.help;
        midiSwitches.push_back(&toggle);
    }
    auto velocity = [](double v) { return YFormat("{0}").Arg(static_cast<int32_t>(std::lround(v * 127.0))).Result(); };
    auto note = [](double v) { return NoteName(static_cast<int32_t>(std::lround(v))); };
    const struct {
        std::unique_ptr<YFunctionValue> value;
        YString name;
        YString help;
        std::function<YString(double)> format;
    } sliders[] = {
        {CellValue(reset.minVelocity, 0.0, 1.0, 0.0, 127, changed), "Lowest velocity", "<name>Lowest velocity</name> a note needs to restart the LFO.", velocity},
        {CellValue(reset.maxVelocity, 0.0, 1.0, 1.0, 127, changed), "Highest velocity", "<name>Highest velocity</name> a note may have to restart the LFO.", velocity},
        {CellValue(reset.minNote, 0.0, 127.0, 0.0, 127, changed), "Lowest note", "<name>Lowest note</name> that restarts the LFO.", note},
        {CellValue(reset.maxNote, 0.0, 127.0, 127.0, 127, changed), "Highest note", "<name>Highest note</name> that restarts the LFO.", note},
    };
    for (const auto& s : sliders) {
        auto& value = const_cast<std::unique_ptr<YFunctionValue>&>(s.value);
        value->format = s.format;
        YSlider& slider = page.Add<YSlider>(std::move(value), s.name);
        slider.help = s.help;
        midiSliders.push_back(&slider);
    }
    midiChannel = &page.Add<YMenu>(YString("MIDI channel"), ChannelNames());
    midiChannel->help = "<name>MIDI channel</name> the notes must come on.";
    midiChannel->selected = [&reset] { return reset.channel.Load(); };
    midiChannel->choose = [&reset, changed](int32_t c) {
        reset.channel = c;
        changed();
    };
    auto phase = CellValue(reset.phase, 0.0, 1.0, 0.0, 0, changed);
    phase->format = DegreesText;
    midiPhase = &page.Add<YKnob>(std::move(phase), YString("Restart phase"));
    midiPhase->help = "<name>Restart phase</name>: where in its period a note puts the LFO.";
    midiNote = &page.Add<YLabel>(YString("A qualifying note restarts the LFO at this phase."), YLabel::Role::Dim);
    restartPanel = &page.Add<YPanel>(YString("RESTART POINT"));
    restartView = &page.Add<YCurveEditor>();
    restartView->SetShowCurve(false);
    restartView->SetEnabled(false);
    restartView->help = "Where in the LFO's period a qualifying note puts it.";
}

void VortalisEditor::View::Layout() {
    const YStyle& style = Style();
    YRect rest = Bounds();
    header->SetBounds({rest.x, rest.y, rest.width, style.sizes.headerHeight + style.sizes.tabsHeight});
    const YRect top = rest.TakeTop(style.sizes.headerHeight);
    const YRect tabRow = rest.TakeTop(style.sizes.tabsHeight);
    // The tabs have the row to themselves: room for the pages still to come.
    tabs->SetBounds(tabRow.Inset(style.sizes.padding - 4.0f, 0.0f));
    YRect bar = top.Inset(style.sizes.padding, 0.0f);
    bar.TakeLeft(200.0f);
    const float field = style.sizes.labelHeight + 2.0f + style.sizes.rowHeight;
    const float fieldTop = top.CenterY() - field * 0.5f;
    YRect right = {bar.x, fieldTop, bar.width, field};
    zoom->SetBounds(right.TakeRight(70.0f, style.sizes.gap));
    const YRect buttons = right.TakeRight(284.0f, style.sizes.gap);
    bypass->SetBounds({buttons.Right() - 88.0f, buttons.Bottom() - style.sizes.rowHeight, 88.0f, style.sizes.rowHeight});
    agc->SetBounds({buttons.x, buttons.Bottom() - style.sizes.rowHeight, 82.0f, style.sizes.rowHeight});
    setGain->SetBounds({buttons.x + 88.0f, buttons.Bottom() - style.sizes.rowHeight, 100.0f, style.sizes.rowHeight});
    oversampling->SetBounds(right.TakeRight(92.0f, style.sizes.gap));
    // The middle of the bar, from just after the name: the preset bar, at the height
    // of the buttons; in a narrow window the channel menu gives way to it.
    const float middleLeft = top.x + 172.0f;
    const float spare = right.Right() - middleLeft - style.sizes.gap;
    channels->SetBounds(right.TakeRight(std::clamp(spare - 200.0f, 110.0f, 150.0f), style.sizes.gap));
    const float middleRight = right.Right() - style.sizes.gap;
    const float barWidth = std::min(middleRight - middleLeft, 280.0f);
    editor.presetBar_->SetBounds({(middleLeft + middleRight - barWidth) * 0.5f, right.Bottom() - style.sizes.rowHeight, barWidth,
                                  style.sizes.rowHeight});

    helpLine->SetBounds(rest.TakeBottom(style.sizes.helpHeight));
    const YRect body = rest.Inset(style.sizes.gap);
    for (YControl* page : pages) page->SetBounds(body);
    LayoutPhaserPage(body);
    YRect shape = body;
    editor.shapeEditor_->SetBounds(shape);
    shapeSweep->SetBounds(editor.shapeEditor_->SpareArea());
    LayoutMIDIPage(body);
}

namespace {

// Controls in a row of cells of one width, centred in the area.
void PlaceRow(const std::vector<YControl*>& controls, const std::vector<float>& widths, const YRect& area) {
    float total = 0.0f;
    for (float w : widths) total += w;
    const float gap = controls.size() > 1 ? std::min(18.0f, (area.width - total) / static_cast<float>(controls.size() - 1)) : 0.0f;
    float x = area.CenterX() - (total + gap * static_cast<float>(controls.size() - 1)) * 0.5f;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        controls[i]->SetBounds({x, area.y, widths[i], area.height});
        x += widths[i] + gap;
    }
}

// A control of the row vertically centred in its cell, at a height of its own.
YRect Centered(const YRect& cell, float height) { return {cell.x, cell.CenterY() - height * 0.5f, cell.width, height}; }

}  // namespace

void VortalisEditor::View::LayoutPhaserPage(const YRect& body) {
    const YStyle& style = Style();
    // Every parameter of the page has its control (made in BuildPhaserPage).
    const auto control = [this](int32_t index) {
        YControl* made = editor.ParameterControl(index);
        if (made == nullptr) throw YException(YFormat("No control for parameter {0}.").Arg(index));
        return made;
    };
    YRect rest = body;
    YRect lower = rest.TakeBottom(kKnobHeight + style.sizes.panelTitle + 2.0f * style.sizes.padding - 6.0f, style.sizes.gap);
    YRect upper = rest;

    sweepPanel->SetBounds(upper.TakeLeft(262.0f, style.sizes.gap));
    lfoPanel->SetBounds(upper);
    outputPanel->SetBounds(lower.TakeRight(262.0f, style.sizes.gap));
    phaserPanel->SetBounds(lower);

    YRect sweepArea = sweepPanel->Content();
    const YRect knobs = sweepArea.TakeTop(kKnobHeight, 8.0f);
    PlaceRow({control(Index::kMinFrequency), control(Index::kMaxFrequency)}, {kKnobWidth, kKnobWidth}, knobs);
    control(Index::kShapeMode)->SetBounds(sweepArea.TakeTop(style.sizes.labelHeight + 2.0f + style.sizes.rowHeight, 12.0f));
    sweep->SetBounds(sweepArea);

    YRect lfoArea = lfoPanel->Content();
    const YRect lfoControls = lfoArea.TakeBottom(kKnobHeight, 8.0f);
    lfoView->SetBounds(lfoArea);
    const YRect panel = lfoPanel->Bounds();
    editShape->SetBounds({panel.Right() - style.sizes.padding - 96.0f, panel.y + 6.0f, 96.0f, 22.0f});
    const float menuHeight = style.sizes.labelHeight + 2.0f + style.sizes.rowHeight;
    PlaceRow({control(Index::kRate), control(Index::kSynchronization), control(Index::kSyncLength),
              control(Index::kSyncType), control(Index::kSyncPhase)},
             {kKnobWidth, 150.0f, 96.0f, 100.0f, kKnobWidth}, lfoControls);
    for (int32_t index : {Index::kSynchronization, Index::kSyncLength, Index::kSyncType})
        control(index)->SetBounds(Centered(control(index)->Bounds(), index == Index::kSynchronization ? style.sizes.rowHeight : menuHeight));

    const YRect phaserRow = phaserPanel->Content();
    PlaceRow({control(Index::kFeedback), control(Index::kMode), control(Index::kSaturation), control(Index::kPhaseDifference),
              control(Index::kInvertFeedback)},
             {kKnobWidth, kKnobWidth, kKnobWidth, kKnobWidth + 16.0f, 210.0f}, phaserRow);
    control(Index::kInvertFeedback)->SetBounds(Centered(control(Index::kInvertFeedback)->Bounds(), style.sizes.rowHeight));

    YRect output = outputPanel->Content();
    control(Index::kDryWet)->SetBounds(output.TakeLeft(kKnobWidth + 20.0f, style.sizes.gap).Inset(10.0f, 0.0f));
    const YRect meters = output.TakeRight(80.0f);
    inputMeter->SetBounds({meters.x + 8.0f, meters.y, 26.0f, meters.height});
    outputMeter->SetBounds({meters.x + 44.0f, meters.y, 26.0f, meters.height});
}

void VortalisEditor::View::LayoutMIDIPage(const YRect& body) {
    const YStyle& style = Style();
    YRect panelArea = body;
    midiPanel->SetBounds(panelArea.TakeTop(250.0f));
    YRect content = midiPanel->Content();
    YRect first = content.TakeLeft(250.0f, 2.0f * style.sizes.gap);
    for (YControl* toggle : midiSwitches) toggle->SetBounds(first.TakeTop(style.sizes.rowHeight, 12.0f));
    YRect second = content.TakeLeft(280.0f, 2.0f * style.sizes.gap);
    for (YControl* slider : midiSliders) slider->SetBounds(second.TakeTop(30.0f, 10.0f));
    midiChannel->SetBounds(second.TakeTop(style.sizes.labelHeight + 2.0f + style.sizes.rowHeight).TakeLeft(160.0f));
    YRect third = content;
    midiPhase->SetBounds(third.TakeTop(kKnobHeight, 8.0f).TakeLeft(kKnobWidth + 20.0f));
    midiNote->SetBounds(third.TakeTop(style.sizes.labelHeight));
    restartPanel->SetBounds(panelArea.Inset(0.0f, style.sizes.gap * 0.5f).Translated(0.0f, style.sizes.gap * 0.5f));
    restartView->SetBounds(restartPanel->Content());
}

bool VortalisEditor::View::OnMouseDown(const YMouseEvent& event) {
    if (event.button != 1 || Window() == nullptr) return false;
    // The parameter of the control under the mouse, or of the control it is part of.
    int32_t parameter = -1;
    for (YControl* c = HitTest(event.x, event.y); c != nullptr && parameter < 0; c = c->Parent()) {
        const auto& bound = editor.parameterControls_;
        const auto found = std::find(bound.begin(), bound.end(), c);
        if (found != bound.end()) {
            parameter = static_cast<int32_t>(found - bound.begin());
        } else if (auto* valueControl = dynamic_cast<YValueControl*>(c)) {
            if (auto* value = dynamic_cast<YParameterValue*>(&valueControl->Model())) parameter = value->Index();
        }
    }
    if (parameter < 0) return false;
    Window()->OpenMenu({event.x, event.y, 1.0f, 1.0f}, {"Attach MIDI controller"}, -1,
                       [this, parameter](int32_t) { editor.AttachMIDIController(parameter); });
    return false;
}

// ---- The editor ------------------------------------------------------------------------------------

std::vector<YString> VortalisEditor::PageNames() {
    return {"Phaser", "Shape", "MIDI", "Programs", "Macros", "Controllers", "Presets"};
}

bool VortalisEditor::PageFromName(const YString& name, Page& page) {
    const std::vector<YString> names = PageNames();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (YString::EqualsNoCase(names[i], name)) {
            page = static_cast<Page>(i);
            return true;
        }
    }
    return false;
}

VortalisEditor::VortalisEditor(YYorvaneAudioEffectPlugin& plugin)
    : plugin_(plugin), effect_(dynamic_cast<VortalisAudioEffectPlugin&>(*plugin.Effect())) {
    touch_ = YAudioPlugin::GetTabletMode() != 0;
    // The editor mode is the zoom in per cent chosen in the editor; 0 leaves it to the screen.
    const int32_t zoom = plugin_.GetEditorMode();
    const float scale = zoom >= 50 && zoom <= 400 ? static_cast<float>(zoom) / 100.0f : 1.0f;
    Build();
    window_.SetSize(kNaturalWidth, kNaturalHeight, scale);
    lastIdle_ = std::chrono::steady_clock::now();
}

VortalisEditor::~VortalisEditor() { Detach(); }

void VortalisEditor::Build() {
    auto view = std::make_unique<View>(*this);
    view_ = view.get();
    window_.SetRoot(std::move(view));
    window_.SetHelpLine(view_->helpLine);
    shapeEditor_->onPreviewChanged = [this] {
        for (YCurveEditor* period : {view_->lfoView, view_->restartView})
            period->SetUnderlay(shapeEditor_->PreviewValues(static_cast<int32_t>(std::max(64.0f, period->Plot().width))));
    };
    shapeEditor_->onPreviewChanged();
    shapeEditor_->onEdit = [this] { plugin_.MarkSettingsChanged(); };
    ShowPage(Page::Phaser);
    FollowActivePresetMode();
}

void VortalisEditor::FollowActivePresetMode() {
    const bool edit = plugin_.ActivePresetEdit();
    if (activePresetEdit_ && !edit) ShowPage(Page::Programs);
    activePresetEdit_ = edit;
}

void VortalisEditor::GetSize(int32_t& width, int32_t& height) const {
    width = static_cast<int32_t>(std::ceil(window_.Width() * window_.Scale()));
    height = static_cast<int32_t>(std::ceil(window_.Height() * window_.Scale()));
}

void VortalisEditor::SetSize(int32_t width, int32_t height) {
    const float scale = window_.Scale();
    window_.SetSize(std::max(kMinimumWidth, static_cast<float>(width) / scale),
                    std::max(kMinimumHeight, static_cast<float>(height) / scale), scale);
    shapeEditor_->onPreviewChanged();
    if (platformView_) {
        platformView_->Resize();
        // The size a user gives the open editor is the one the next editor opens with;
        // stored when the window closes, not at every step of a drag on its border.
        sizeChanged_ = true;
    }
}

void VortalisEditor::GetMinimumSize(int32_t& width, int32_t& height) const {
    width = static_cast<int32_t>(std::ceil(kMinimumWidth * window_.Scale()));
    height = static_cast<int32_t>(std::ceil(kMinimumHeight * window_.Scale()));
}

void VortalisEditor::SetScale(float scale) {
    window_.SetSize(window_.Width(), window_.Height(), scale);
    shapeEditor_->onPreviewChanged();
}

void VortalisEditor::ChangeZoom(int32_t percent) {
    const float old = window_.Scale();
    const float scale = static_cast<float>(percent) / 100.0f;
    window_.SetSize(window_.Width(), window_.Height(), scale);
    int32_t width, height;
    GetSize(width, height);
    // The host decides; the zoom stays only when it gave the window its new size.
    if (!plugin_.ResizeEditor(width, height)) {
        window_.SetSize(window_.Width(), window_.Height(), old);
        return;
    }
    plugin_.SetEditorMode(percent);
}

bool VortalisEditor::Attach(void* parentWindow, YChildWindowRunLoop* runLoop) {
    return YGuarded("VortalisEditor::Attach", false, [&] {
        Detach();
        platformView_ = YPlatformView::Open(parentWindow, runLoop, window_, [this] { Update(); });
        if (!platformView_) return false;
        Update();
        platformView_->Present();
        return true;
    });
}

void VortalisEditor::Detach() {
    // Events, captures and popups belong to the window that goes.
    window_.MouseLeave();
    platformView_.reset();
    if (!sizeChanged_) return;
    sizeChanged_ = false;
    int32_t width, height;
    GetSize(width, height);
    YGuarded("VortalisEditor::Detach", [&] { plugin_.SetDefaultSize(width, height); });
}

bool VortalisEditor::HostKey(int32_t kind, int32_t value) {
    return YGuarded("VortalisEditor::HostKey", false, [&] {
        YKeyEvent event;
        event.modifiers = Modifiers();
        if (kind == kCharacterEvent) {
            event.kind = YKeyEvent::Kind::Character;
            event.character = static_cast<char16_t>(value);
        } else {
            event.kind = kind == kKeyUpEvent ? YKeyEvent::Kind::KeyUp : YKeyEvent::Kind::KeyDown;
            event.key = value;
        }
        const bool used = window_.Key(event);
        if (platformView_) platformView_->Present();
        return used;
    });
}

bool VortalisEditor::ResizeHostWindows(int32_t width, int32_t height) {
    return platformView_ != nullptr && platformView_->ResizeHostWindows(width, height);
}

uint32_t VortalisEditor::Modifiers() const { return platformView_ ? platformView_->Modifiers() : 0; }

void VortalisEditor::ShowPage(Page page) {
    page_ = page;
    for (std::size_t i = 0; i < view_->pages.size(); ++i) view_->pages[i]->SetVisible(static_cast<int32_t>(i) == static_cast<int32_t>(page));
    view_->tabs->Select(static_cast<int32_t>(page));
    if (page == Page::Programs) programsPage_->ReadActivePresets();
    window_.InvalidateAll();
}

MacrosPage& VortalisEditor::Macros() const { return *view_->macros; }

ControllersPage& VortalisEditor::Controllers() const { return *view_->controllers; }

void VortalisEditor::AttachMIDIController(int32_t parameter) {
    if (view_->controllers->Attach(parameter)) ShowPage(Page::Controllers);
}

YControl* VortalisEditor::ParameterControl(int32_t index) const {
    return index >= 0 && index < static_cast<int32_t>(parameterControls_.size()) ? parameterControls_[static_cast<std::size_t>(index)] : nullptr;
}

void VortalisEditor::Refresh() {
    shapeEditor_->Refresh();
    presetsPage_->Update(true);
    ShowGainMeasurement();
    UpdateEnabled();
    window_.Sync();
    UpdateLive(0.0f);
    window_.InvalidateAll();
}

void VortalisEditor::Idle() {
    if (platformView_) {
        platformView_->PumpEvents();
        return;
    }
    Update();
    window_.Paint();
}

void VortalisEditor::Update() {
    YGuarded("VortalisEditor::Update", [&] {
        const auto now = std::chrono::steady_clock::now();
        const float seconds = std::chrono::duration<float>(now - lastIdle_).count();
        lastIdle_ = now;
        const bool loaded = (plugin_.TakeEditorUpdate() & 2) != 0;
        if (loaded) {
            YScopedLock editor(plugin_.editorLock);
            shapeEditor_->Refresh();
        }
        FollowActivePresetMode();
        view_->controllers->Idle();
        // A loaded preset or state (from a step elsewhere too) shows as the current one.
        presetsPage_->Update(loaded);
        FollowGainMeasurement();
        UpdateEnabled();
        window_.Sync();
        UpdateLive(std::min(seconds, 1.0f));
    });
}

namespace {
double ClockSeconds() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }
}  // namespace

void VortalisEditor::ToggleGainMeasurement(bool banks) {
    if (gainMeasurement_) {
        gainMeasurement_.reset();  // cancels
    } else {
        try {
            const double now = ClockSeconds();
            gainMeasurement_ = banks ? YBankGainSteps::Start(plugin_, view_->macros->Selected(), now)
                                     : YAGCMeasurement::FixedGain(plugin_, now);
            measuringBanks_ = banks;
        } catch (const YException& e) {
            window_.SetHelpText(e.Message());
        }
    }
    FollowGainMeasurement();
}

void VortalisEditor::FollowGainMeasurement() {
    if (gainMeasurement_ && !gainMeasurement_->Poll(ClockSeconds())) {
        if (gainMeasurement_->GetState() == YAGCMeasurement::State::Failed) window_.SetHelpText(gainMeasurement_->Error());
        if (gainMeasurement_->GetState() == YAGCMeasurement::State::Done) plugin_.MarkSettingsChanged();
        gainMeasurement_.reset();
    }
    ShowGainMeasurement();
}

void VortalisEditor::ShowGainMeasurement() {
    YString text("Set");
    YString banks(MacrosPage::kBankGainsCaption);
    if (gainMeasurement_) {
        const auto percent = static_cast<int32_t>(std::lround(gainMeasurement_->Progress() * 100.0));
        (measuringBanks_ ? banks : text) = YFormat("{0}%").Arg(percent);
        window_.SetHelpText(YFormat("{0}: {1}%").Arg(YAGCMeasurement::ProgressText()).Arg(percent));
    } else if (plugin_.FixedOutputGain() != 1.0) {
        text = YFormat("Set {0;+.1} dB").Arg(20.0 * std::log10(plugin_.FixedOutputGain()));
    }
    view_->setGain->SetText(text);
    view_->macros->BankGains().SetText(banks);
}

const YPixelBuffer& VortalisEditor::PaintAll() {
    ShowGainMeasurement();
    UpdateEnabled();
    window_.Sync();
    UpdateLive(0.0f);
    window_.InvalidateAll();
    window_.Paint();
    return window_.Pixels();
}

void VortalisEditor::UpdateEnabled() {
    // The rate applies while the LFO runs free, the note values while it follows the host.
    const bool synchronised = plugin_.GetParameter(Index::kSynchronization) >= 0.5;
    if (YControl* rate = ParameterControl(Index::kRate)) rate->SetEnabled(effect_.Definition(Index::kRate).Enabled() && !synchronised);
    for (int32_t index : {Index::kSyncLength, Index::kSyncType, Index::kSyncPhase})
        if (YControl* control = ParameterControl(index)) control->SetEnabled(synchronised);
    // The note filters matter only while the MIDI reset is on.
    const bool resetting = effect_.MIDIReset().enabled.Load();
    for (std::size_t i = 1; i < view_->midiSwitches.size(); ++i) view_->midiSwitches[i]->SetEnabled(resetting);
    for (YControl* slider : view_->midiSliders) slider->SetEnabled(resetting);
    view_->midiChannel->SetEnabled(resetting);
    view_->midiPhase->SetEnabled(resetting);
}

void VortalisEditor::UpdateLive(float seconds) {
    // Where each channel's LFO is (the first two channels), and where that puts the sweep.
    // Each channel runs (phase difference + 1) cycles behind the one before, as the
    // effect offsets them; read from the parameter, since the effect's own offsets
    // belong to the audio thread.
    const int32_t channels = std::clamp(effect_.ChannelCount(), 1, 2);
    const double offset = effect_.Definition(Index::kPhaseDifference).value.Load() + 1.0;
    std::vector<double> heads;
    std::vector<float> values;
    for (int32_t c = 0; c < channels; ++c) {
        const double phase = effect_.Phase() + offset * c;
        heads.push_back(phase - std::floor(phase));
        values.push_back(static_cast<float>(shapeEditor_->Preview().Lookup(heads.back())));
    }
    ToHertz(effect_, values.data(), static_cast<int32_t>(values.size()));
    std::vector<YPoint> markers;
    for (std::size_t c = 0; c < heads.size(); ++c) markers.push_back({static_cast<float>(heads[c]), values[c]});
    std::vector<float> trace = shapeEditor_->PreviewValues(160);
    ToHertz(effect_, trace.data(), static_cast<int32_t>(trace.size()));
    for (YSweepView* view : {view_->sweep, view_->shapeSweep}) {
        view->SetSweep(trace);
        view->SetMarkers(markers);
    }
    // The marks carry the channels' names: left and right, or mid and side.
    std::vector<YString> tags;
    const ChannelMode mode = plugin_.GetChannelMode();
    if (heads.size() == 1) {
        tags.push_back(ChannelModeInformation(mode).shortName);
    } else if (mode == ChannelMode::MonoStereo) {
        tags = {"M", "S"};
    } else {
        tags = {"L", "R"};
    }
    view_->lfoView->SetPlayheads(heads, tags);
    shapeEditor_->SetPlayheads(heads, tags);
    view_->restartView->SetPlayheads({effect_.MIDIReset().phase.Load()});

    float peaks[YAudioPlugin::kMeterChannels];
    for (const bool output : {false, true}) {
        const int32_t count = plugin_.TakeMeterPeaks(output, peaks);
        if (count == 0) std::fill(peaks, peaks + 2, 0.0f);
        (output ? view_->outputMeter : view_->inputMeter)->Update(peaks, count == 0 ? 2 : count, seconds);
    }
}

std::unique_ptr<YAudioPlugin::YEditor> CreateVortalisEditor(YAudioPlugin& plugin) {
    auto* engine = dynamic_cast<YYorvaneAudioEffectPlugin*>(&plugin);
    if (engine == nullptr || dynamic_cast<VortalisAudioEffectPlugin*>(engine->Effect()) == nullptr) return nullptr;
    return std::make_unique<VortalisEditor>(*engine);
}
