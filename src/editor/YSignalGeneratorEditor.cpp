#include "editor/YSignalGeneratorEditor.h"

#include "editor/YButton.h"
#include "editor/YCurveEditor.h"
#include "editor/YKnob.h"
#include "editor/YLabel.h"
#include "editor/YMenu.h"
#include "editor/YSlider.h"
#include "editor/YStepBars.h"
#include "editor/YSwitch.h"
#include "editor/YTabBar.h"
#include "editor/YWindow.h"
#include "engine/ParameterConverters.h"
#include "foundation/YFormat.h"

#include <algorithm>
#include <cmath>

namespace {

using Settings = YSignalGenerator::Settings;

constexpr float kSideWidth = 206.0f;
constexpr float kKnobCell = 78.0f;

YString Percent(double value) { return YFormat("{0.1}%").Arg(value * 100.0); }

std::vector<YString> TypeNames() {
    std::vector<YString> names;
    for (int32_t t = 0; t < YEnvelopeComputer::kTypeCount; ++t) names.push_back(YEnvelopeComputer::TypeInfoOf(t).name);
    return names;
}

}  // namespace

YSignalGeneratorEditor::YSignalGeneratorEditor(YSignalGenerator& shape, std::function<bool()> confirm, bool touch)
    : shape_(shape), preview_(std::make_unique<YSignalGenerator>()), confirm_(std::move(confirm)) {
    help = "<name>LFO shape</name>: one period of the oscillator that sweeps the phaser, made of layers and transformations.";
    Build();
    curve_->SetTouch(touch);
    Refresh();
}

YSignalGeneratorEditor::~YSignalGeneratorEditor() = default;

std::unique_ptr<YFunctionValue> YSignalGeneratorEditor::SettingValue(double Settings::*field, double minimum,
                                                                     double maximum, double defaultValue) {
    auto value = std::make_unique<YFunctionValue>();
    value->minimum = minimum;
    value->maximum = maximum;
    value->defaultValue = defaultValue;
    value->read = [this, field] { return settings_.*field; };
    value->write = [this, field](double v) { Edit([field, v](Settings& s) { s.*field = v; }); };
    return value;
}

YKnob& YSignalGeneratorEditor::AddKnob(std::unique_ptr<YFunctionValue> model, const YString& name,
                                       const YString& helpText, bool bipolar) {
    YKnob& knob = Add<YKnob>(std::move(model), name, bipolar);
    knob.help = helpText;
    knob.SetArcColor(Style().colors.lfo);
    return knob;
}

void YSignalGeneratorEditor::AddToLayer(Layer layer, YControl& control) { layerControls_.emplace_back(layer, &control); }

void YSignalGeneratorEditor::Build() {
    tabs_ = &Add<YTabBar>(std::vector<YString>{"Curve", "Waveform", "Steps", "Harmonics"}, true);
    tabs_->help = "Choose the layer of the shape to edit.";
    tabs_->onSelect = [this](int32_t index) { ShowLayer(static_cast<Layer>(index)); };
    reset_ = &Add<YButton>(YString("Reset shape"));
    reset_->help = "<name>Reset shape</name> returns every layer and transformation of the LFO shape to its default.";
    reset_->onClick = [this] {
        if (!confirm_ || !confirm_() || Window() == nullptr) {
            ResetShape();
            return;
        }
        Window()->Ask("Reset the LFO shape? The drawn curve, the steps, the harmonics and the transformations return to their defaults.",
                      {"Cancel", "Reset"}, [this](int32_t answer) {
                          if (answer == 1) ResetShape();
                      });
    };

    // The views.
    curve_ = &Add<YCurveEditor>();
    curve_->help = "<name>Curve</name>: double-click to add a point, drag a point to move it, double-click it or press "
                   "Delete to remove it, drag between points (or turn the wheel) to bend the segment. Shift drags finely.";
    curve_->onChange = [this](const YEnvelopeComputer& curve) {
        Edit([&curve](Settings& s) {
            s.envelope = curve;
            if (s.envelopeDepth < 1e-5) s.envelopeDepth = 1.0;
        });
    };
    curve_->onSelect = [this](int32_t) { Window() ? Window()->Sync() : void(); };
    result_ = &Add<YCurveEditor>();
    result_->SetShowCurve(false);
    result_->SetEnabled(false);
    steps_ = &Add<YStepBars>(true);
    steps_->help = "<name>Steps</name>: click or draw across the bars to set the level of each step; double-click a bar to zero it.";
    steps_->barColor = Style().colors.lfo;
    steps_->label = [](int32_t i) { return (i + 1) % 4 == 1 ? YFormat("{0}").Arg(i + 1).Result() : YString(); };
    steps_->onChange = [this](int32_t bar, double value) {
        Edit([bar, value](Settings& s) {
            s.stepLevels[static_cast<std::size_t>(bar)] = value;
            if (s.stepDepth < 1e-5) s.stepDepth = 1.0;
        });
    };
    steps_->onSelect = [this](int32_t) { Window() ? Window()->Sync() : void(); };
    harmonics_ = &Add<YStepBars>(false);
    harmonics_->help = "<name>Harmonics</name>: the level of each harmonic of the period; drawing here switches the shape to harmonics mode.";
    harmonics_->barColor = Style().colors.lfo;
    harmonics_->label = [](int32_t i) { return i == 0 || (i + 1) % 8 == 0 ? YFormat("{0}").Arg(i + 1).Result() : YString(); };
    harmonics_->onChange = [this](int32_t bar, double value) {
        Edit([bar, value](Settings& s) {
            s.magnitudes[static_cast<std::size_t>(bar)] = static_cast<float>(value);
            s.mode = YSignalGenerator::kHarmonicsMode;
        });
    };
    AddToLayer(Layer::Curve, *curve_);
    AddToLayer(Layer::Steps, *steps_);
    AddToLayer(Layer::Harmonics, *harmonics_);

    // Curve: its amount, and the selected segment's type and curvature.
    auto envelopeDepth = SettingValue(&Settings::envelopeDepth, 0.0, 1.0, 0.0);
    envelopeDepth->format = Percent;
    YKnob& curveAmount = AddKnob(std::move(envelopeDepth), "Amount",
                                 "<name>Amount</name> blends the drawn curve over the waveform below it.", false);
    AddToLayer(Layer::Curve, curveAmount);
    YMenu& segment = Add<YMenu>(YString("Segment"), TypeNames());
    segment.placeholder = "Select a point";
    segment.help = "<name>Segment</name>: the kind of curve from the selected point to the next.";
    segment.selected = [this] {
        const int32_t point = curve_->Selected();
        return point >= 0 && point + 1 < settings_.envelope.PointCount() ? settings_.envelope.GetPoint(point).type : -1;
    };
    segment.choose = [this](int32_t type) { curve_->SetSegmentType(curve_->Selected(), type); };
    AddToLayer(Layer::Curve, segment);
    auto curvature = std::make_unique<YFunctionValue>();
    curvature->minimum = -1.0;
    curvature->maximum = 1.0;
    curvature->read = [this] {
        const int32_t point = curve_->Selected();
        return point >= 0 && point < settings_.envelope.PointCount() ? settings_.envelope.GetPoint(point).curvature : 0.0;
    };
    curvature->write = [this](double v) { curve_->SetCurvature(curve_->Selected(), v); };
    YSlider& bend = Add<YSlider>(std::move(curvature), YString("Curvature"), true);
    bend.help = "<name>Curvature</name> bends the selected segment (or sets how many stairs, pulses or waves it has).";
    AddToLayer(Layer::Curve, bend);
    YButton& remove = Add<YButton>(YString("Delete point"));
    remove.help = "<name>Delete point</name> removes the selected point (the end points stay).";
    remove.onClick = [this] { curve_->DeletePoint(curve_->Selected()); };
    AddToLayer(Layer::Curve, remove);

    // Waveform: the built-in tables and the morph between them.
    std::vector<YString> waveforms;
    for (int32_t w = 0; w < YSignalGenerator::kWaveformCount; ++w) waveforms.push_back(YSignalGenerator::WaveformName(w));
    YMenu& waveform = Add<YMenu>(YString("Waveform"), waveforms);
    waveform.help = "<name>Waveform</name>: the built-in period the other layers are laid over.";
    waveform.selected = [this] { return static_cast<int32_t>(std::lround(std::clamp(settings_.morph, 0.0, 15.0))); };
    waveform.choose = [this](int32_t index) { Edit([index](Settings& s) { s.morph = index; }); };
    AddToLayer(Layer::Waveform, waveform);
    auto morph = SettingValue(&Settings::morph, 0.0, 15.0, 0.0);
    morph->format = [](double v) {
        return YFormat("{0.1} {1}").Arg(v).Arg(YSignalGenerator::WaveformName(static_cast<int32_t>(std::lround(v)))).Result();
    };
    YSlider& morphSlider = Add<YSlider>(std::move(morph), YString("Morph"));
    morphSlider.help = "<name>Morph</name> blends smoothly from one built-in waveform to the next.";
    AddToLayer(Layer::Waveform, morphSlider);

    // Steps.
    auto stepDepth = SettingValue(&Settings::stepDepth, 0.0, 1.0, 0.0);
    stepDepth->format = Percent;
    YKnob& stepAmount = AddKnob(std::move(stepDepth), "Amount",
                                "<name>Amount</name> scales the steps and blends them over the layers below.", false);
    AddToLayer(Layer::Steps, stepAmount);
    auto count = std::make_unique<YFunctionValue>();
    count->minimum = 1.0;
    count->maximum = YSignalGenerator::kStepSlots;
    count->defaultValue = 8.0;
    count->steps = YSignalGenerator::kStepSlots - 1;
    count->read = [this] { return static_cast<double>(settings_.stepItemCount); };
    count->write = [this](double v) { Edit([v](Settings& s) { s.stepItemCount = static_cast<int32_t>(std::lround(v)); }); };
    YSlider& stepCount = Add<YSlider>(std::move(count), YString("Steps"));
    stepCount.help = "<name>Steps</name>: how many steps make one period.";
    AddToLayer(Layer::Steps, stepCount);
    auto lowest = std::make_unique<YFunctionValue>();
    lowest->read = [this] { return settings_.stepBaseLowest ? 1.0 : 0.0; };
    lowest->write = [this](double v) { Edit([v](Settings& s) { s.stepBaseLowest = v >= 0.5; }); };
    lowest->steps = 1;
    YSwitch& base = Add<YSwitch>(std::move(lowest), YString("Rise from lowest"));
    base.help = "<name>Rise from lowest</name>: shaped steps start at the bottom instead of at zero.";
    AddToLayer(Layer::Steps, base);
    std::vector<YString> stepShapes;
    for (int32_t t = 0; t < YSignalGenerator::kStepShapeCount; ++t) stepShapes.push_back(YSignalGenerator::StepShapeName(t));
    YMenu& stepShape = Add<YMenu>(YString("Step shape"), stepShapes);
    stepShape.placeholder = "Select a step";
    stepShape.help = "<name>Step shape</name>: how the selected step moves within its time.";
    stepShape.selected = [this] {
        const int32_t bar = steps_->Selected();
        return bar >= 0 ? settings_.stepTypes[static_cast<std::size_t>(bar)] : -1;
    };
    stepShape.choose = [this](int32_t type) {
        const int32_t bar = std::max(0, steps_->Selected());
        Edit([bar, type](Settings& s) { s.stepTypes[static_cast<std::size_t>(bar)] = type; });
    };
    AddToLayer(Layer::Steps, stepShape);

    // Harmonics.
    auto mode = std::make_unique<YFunctionValue>();
    mode->steps = 1;
    mode->read = [this] { return settings_.mode == YSignalGenerator::kHarmonicsMode ? 1.0 : 0.0; };
    mode->write = [this](double v) {
        Edit([v](Settings& s) { s.mode = v >= 0.5 ? YSignalGenerator::kHarmonicsMode : YSignalGenerator::kShapeMode; });
    };
    YSwitch& harmonicsMode = Add<YSwitch>(std::move(mode), YString("Harmonics mode"));
    harmonicsMode.help = "<name>Harmonics mode</name> builds the period from the harmonic levels alone.";
    AddToLayer(Layer::Harmonics, harmonicsMode);
    auto harmonicsCount = std::make_unique<YFunctionValue>();
    harmonicsCount->minimum = 1.0;
    harmonicsCount->maximum = kShownHarmonics;
    harmonicsCount->defaultValue = 32.0;
    harmonicsCount->steps = kShownHarmonics - 1;
    harmonicsCount->read = [this] { return static_cast<double>(std::min(settings_.harmonicsCount, kShownHarmonics)); };
    harmonicsCount->write = [this](double v) { Edit([v](Settings& s) { s.harmonicsCount = static_cast<int32_t>(std::lround(v)); }); };
    YSlider& harmonicsSlider = Add<YSlider>(std::move(harmonicsCount), YString("Harmonics"));
    harmonicsSlider.help = "<name>Harmonics</name>: how many harmonics take part.";
    AddToLayer(Layer::Harmonics, harmonicsSlider);

    // The transformations, always at hand.
    auto phase = SettingValue(&Settings::phase, 0.0, 1.0, 0.0);
    phase->format = DegreesText;
    transformKnobs_.push_back(&AddKnob(std::move(phase), "Phase", "<name>Phase</name> moves the shape later in the period.", false));
    transformKnobs_.push_back(&AddKnob(SettingValue(&Settings::skew, -2.0, 2.0, 0.0), "Skew",
                                       "<name>Skew</name> speeds up the middle of the period and slows its ends, or the other way round.", true));
    transformKnobs_.push_back(&AddKnob(SettingValue(&Settings::fullSkew, -1.0, 1.0, 0.0), "Full skew",
                                       "<name>Full skew</name> pushes the whole shape towards the end or the start of the period.", true));
    transformKnobs_.push_back(&AddKnob(SettingValue(&Settings::halve, -1.0, 1.0, 0.0), "Halve",
                                       "<name>Halve</name> moves the border between the period's halves.", true));
    auto smooth = SettingValue(&Settings::smoothness, 0.0, 1.0, 0.0);
    smooth->format = Percent;
    transformKnobs_.push_back(&AddKnob(std::move(smooth), "Smoothness", "<name>Smoothness</name> rounds off edges and corners of the shape.", false));

    summary_.push_back(&Add<YLabel>(YString("SOUNDING"), YLabel::Role::Heading));
    for (int32_t line = 0; line < 4; ++line) summary_.push_back(&Add<YLabel>(YString(), YLabel::Role::Normal));
    for (YLabel* label : summary_) label->help = "What each layer adds to the period now.";
}

YRect YSignalGeneratorEditor::Content() const {
    const YStyle& style = Style();
    return Bounds().Inset(style.sizes.padding);
}

void YSignalGeneratorEditor::Layout() {
    const YStyle& style = Style();
    YRect content = Content();
    YRect top = content.TakeTop(style.sizes.rowHeight + 4.0f, style.sizes.gap);
    tabs_->SetBounds({top.x + 90.0f, top.y, 420.0f, top.height});
    reset_->SetBounds(top.TakeRight(110.0f).Inset(0.0f, 2.0f));
    const YRect transforms = content.TakeBottom(92.0f, style.sizes.gap);
    YRect side = content.TakeRight(kSideWidth, style.sizes.gap);
    const YRect view = content;
    const bool bars = layer_ == Layer::Steps || layer_ == Layer::Harmonics;
    YRect upper = view;
    const YRect lower = bars ? upper.TakeBottom(view.height * 0.38f, style.sizes.gap) : view;
    curve_->SetBounds(view);
    steps_->SetBounds(upper);
    harmonics_->SetBounds(upper);
    result_->SetBounds(lower);
    result_->SetVisible(layer_ != Layer::Curve);

    // The side column: each layer's controls from the top.
    for (Layer layer : {Layer::Curve, Layer::Waveform, Layer::Steps, Layer::Harmonics}) {
        YRect column = side;
        for (auto& [owner, control] : layerControls_) {
            if (owner != layer || control == curve_ || control == steps_ || control == harmonics_) continue;
            float height = style.sizes.labelHeight + style.sizes.rowHeight + 4.0f;  // menus
            if (dynamic_cast<YKnob*>(control)) height = 96.0f;
            if (dynamic_cast<YSwitch*>(control) || dynamic_cast<YButton*>(control)) height = style.sizes.rowHeight;
            if (dynamic_cast<YSlider*>(control)) height = 34.0f;
            YRect slot = column.TakeTop(height, 12.0f);
            if (dynamic_cast<YKnob*>(control)) slot = {slot.CenterX() - kKnobCell * 0.5f, slot.y, kKnobCell, slot.height};
            control->SetBounds(slot);
        }
    }
    for (auto& [owner, control] : layerControls_) control->SetVisible(owner == layer_);
    YRect summary = side.TakeBottom(style.sizes.labelHeight * 5.0f + 8.0f);
    for (YLabel* label : summary_) label->SetBounds(summary.TakeTop(style.sizes.labelHeight, 2.0f));

    const float cell = std::min(kKnobCell + 16.0f, transforms.width / static_cast<float>(transformKnobs_.size()));
    float x = transforms.x + 84.0f;
    for (YKnob* knob : transformKnobs_) {
        knob->SetBounds({x, transforms.y, cell - 6.0f, transforms.height});
        x += cell;
    }
    spare_ = {x + style.sizes.gap, transforms.y + 4.0f, transforms.Right() - x - style.sizes.gap, transforms.height - 4.0f};
}

void YSignalGeneratorEditor::Draw(YCanvas& canvas) {
    const YStyle& style = Style();
    const YRect box = Bounds();
    canvas.FillRoundRect(box, style.sizes.radius,
                         YPaint::Linear({0.0f, box.y}, style.colors.panel, {0.0f, box.Bottom()}, style.colors.panelBottom));
    canvas.StrokeRoundRect(box, style.sizes.radius, 1.0f, style.colors.panelBorder);
    const YRect content = Content();
    canvas.FillRoundRect({content.x, content.y + 8.0f, 3.0f, 8.0f}, 1.5f, YPaint::Solid(style.colors.lfo));
    canvas.Text("LFO SHAPE", {content.x + 9.0f, content.y, 90.0f, style.sizes.rowHeight + 4.0f}, style.type.heading,
                style.colors.heading);
    if (!transformKnobs_.empty()) {
        const YRect first = transformKnobs_.front()->Bounds();
        canvas.FillRect({content.x, first.y - 6.0f, content.width, 1.0f}, YPaint::Solid(style.colors.panelBorder));
        canvas.Text("TRANSFORM", {content.x, first.y + 4.0f, 80.0f, style.sizes.labelHeight}, style.type.heading,
                    style.colors.heading);
    }
}

void YSignalGeneratorEditor::ShowLayer(Layer layer) {
    layer_ = layer;
    tabs_->Select(static_cast<int32_t>(layer));
    Layout();
    Invalidate();
}

void YSignalGeneratorEditor::Refresh() {
    {
        // The render evaluates the curves (moving their cursors): copy under its lock.
        YScopedLock hold(shape_.Lock());
        settings_ = shape_.GetSettings();
    }
    curve_->SetCurve(settings_.envelope);
    preview_->SetSettings(settings_);
    preview_->Render();
    UpdateViews();
}

void YSignalGeneratorEditor::Edit(const std::function<void(Settings&)>& change) {
    change(settings_);
    ApplyToShape();
    if (onEdit) onEdit();
}

void YSignalGeneratorEditor::ApplyToShape() {
    shape_.SetSettings(settings_);
    preview_->SetSettings(settings_);
    preview_->Render();
    UpdateViews();
}

void YSignalGeneratorEditor::ResetShape() {
    const int32_t seed = settings_.generator.seed;
    settings_ = Settings();
    settings_.generator.seed = seed;
    curve_->SetCurve(settings_.envelope);
    ApplyToShape();
    if (onEdit) onEdit();
}

std::vector<float> YSignalGeneratorEditor::PreviewValues(int32_t count) const {
    std::vector<float> values(static_cast<std::size_t>(std::max(2, count)));
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<float>(preview_->Lookup(static_cast<double>(i) / static_cast<double>(values.size() - 1)));
    return values;
}

void YSignalGeneratorEditor::SetPlayheads(const std::vector<double>& phases, const std::vector<YString>& tags) {
    curve_->SetPlayheads(phases, tags);
    result_->SetPlayheads(phases, tags);
}

void YSignalGeneratorEditor::UpdateViews() {
    const auto points = static_cast<int32_t>(std::max(64.0f, curve_->Plot().width));
    std::vector<float> values = PreviewValues(points);
    curve_->SetUnderlay(values);
    curve_->SetCurveSounding(settings_.envelopeDepth >= 1e-5 && settings_.mode == YSignalGenerator::kShapeMode);
    result_->SetUnderlay(std::move(values));
    steps_->SetValues(std::vector<double>(settings_.stepLevels.begin(),
                                          settings_.stepLevels.begin() + std::clamp(settings_.stepItemCount, 1, YSignalGenerator::kStepSlots)));
    const bool harmonicsMode = settings_.mode == YSignalGenerator::kHarmonicsMode;
    auto amount = [&](double depth) { return harmonicsMode ? YString("off") : Percent(depth); };
    summary_[1]->SetText(harmonicsMode ? YFormat("Harmonics: {0} of them").Arg(settings_.harmonicsCount).Result()
                                       : YFormat("Waveform: {0}").Arg(YSignalGenerator::WaveformName(
                                             static_cast<int32_t>(std::lround(std::clamp(settings_.morph, 0.0, 15.0))))).Result());
    summary_[2]->SetText(YString("Curve: ") + amount(settings_.envelopeDepth));
    summary_[3]->SetText(YString("Steps: ") + amount(settings_.stepDepth));
    summary_[4]->SetText(YString("Smoothness: ") + amount(settings_.smoothness));
    // The transformations shape the composed layers; the harmonics make the period alone.
    for (YKnob* knob : transformKnobs_) knob->SetEnabled(!harmonicsMode);
    const int32_t shown = std::clamp(settings_.harmonicsCount, 1, kShownHarmonics);
    harmonics_->SetValues(std::vector<double>(settings_.magnitudes.begin(), settings_.magnitudes.begin() + shown));
    if (onPreviewChanged) onPreviewChanged();
}
