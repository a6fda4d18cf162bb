#pragma once

#include "editor/YControl.h"
#include "modulation/YSignalGenerator.h"

#include <functional>
#include <memory>
#include <vector>

class YButton;
class YCurveEditor;
class YKnob;
class YMenu;
class YSlider;
class YStepBars;
class YSwitch;
class YTabBar;
class YFunctionValue;
class YLabel;

// The editor of the LFO's shape: the drawn curve, the built-in waveform and its
// morph, the step sequencer, the harmonic spectrum, and the transformations, over a
// view of the period they make.
//
// It edits a copy of the shape's settings on the user-interface thread: every change
// goes to the copy, the copy is handed to the shape (which takes the plug-in mutex
// only to copy it; the audio thread renders it at its next block), and a preview
// generator of the editor's own renders the copy here for the views. Editing a layer
// whose amount is zero turns the layer fully on, so that the edit is heard.
class YSignalGeneratorEditor : public YControl {
public:
    enum class Layer : int32_t { Curve, Waveform, Steps, Harmonics };
    static constexpr int32_t kShownHarmonics = 64;

    // confirm answers whether to ask before a reset (the machine-wide setting, read
    // each time, so that a change in another instance holds at once).
    YSignalGeneratorEditor(YSignalGenerator& shape, std::function<bool()> confirm, bool touch);
    ~YSignalGeneratorEditor() override;

    // Takes the shape's settings anew (after a state was loaded) and renders them.
    void Refresh();
    const YSignalGenerator::Settings& EditedSettings() const { return settings_; }
    // Changes the editor's copy and hands it to the shape.
    void Edit(const std::function<void(YSignalGenerator::Settings&)>& change);
    const YSignalGenerator& Preview() const { return *preview_; }
    // The rendered period at count evenly spaced phases from 0 to 1.
    std::vector<float> PreviewValues(int32_t count) const;
    // Where the LFO is now (phases, one per channel shown).
    void SetPlayheads(const std::vector<double>& phases, const std::vector<YString>& tags);

    void ShowLayer(Layer layer);
    Layer CurrentLayer() const { return layer_; }
    YCurveEditor& CurveEditor() { return *curve_; }
    YStepBars& StepBars() { return *steps_; }
    YStepBars& HarmonicBars() { return *harmonics_; }
    YButton& ResetButton() { return *reset_; }
    // The part of the transformation row the knobs leave free (for a view beside them).
    YRect SpareArea() const { return spare_; }

    // After every render of the preview, and after every edit of the user's.
    std::function<void()> onPreviewChanged;
    std::function<void()> onEdit;

protected:
    void Draw(YCanvas& canvas) override;
    void Layout() override;

private:
    YRect Content() const;
    void Build();
    void ApplyToShape();
    void UpdateViews();
    void ResetShape();
    std::unique_ptr<YFunctionValue> SettingValue(double YSignalGenerator::Settings::*field, double minimum,
                                                 double maximum, double defaultValue);
    YKnob& AddKnob(std::unique_ptr<YFunctionValue> model, const YString& name, const YString& helpText, bool bipolar);
    void AddToLayer(Layer layer, YControl& control);

    YSignalGenerator& shape_;
    YSignalGenerator::Settings settings_;
    std::unique_ptr<YSignalGenerator> preview_;
    std::function<bool()> confirm_;
    Layer layer_ = Layer::Curve;

    YTabBar* tabs_ = nullptr;
    YButton* reset_ = nullptr;
    YCurveEditor* curve_ = nullptr;
    YCurveEditor* result_ = nullptr;  // the rendered period, for the layers without a curve
    YStepBars* steps_ = nullptr;
    YStepBars* harmonics_ = nullptr;
    std::vector<std::pair<Layer, YControl*>> layerControls_;
    std::vector<YKnob*> transformKnobs_;
    std::vector<YLabel*> summary_;  // what each layer adds, under the side column
    YRect spare_;
};
