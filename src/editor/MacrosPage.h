#pragma once

#include "editor/YControl.h"
#include "engine/YMultiParameter.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <utility>
#include <vector>

class YAudioEffectPluginToAudioPluginAdapter;
class YButton;
class YKnob;
class YListBox;
class YMenu;
class YPanel;
class YSlider;
class YSwitch;

// The macros: the four multiparameters side by side (name, value, mode, smart learn)
// and, below, the settings and the targets of the selected one. Every edit goes to the
// engine at once (ChangeMultiParameter); the value knobs are host parameters and edit
// inside the host's gestures.
//
// Smart learn: while a macro's Learn is on, every effect parameter the editor's controls
// move becomes one of its targets (or updates the target already on it) in Interval
// mode, value the lowest and maxValue the highest value it took since Learn was
// pressed. What the host or MIDI moves meanwhile is not learnt. The macro itself does
// nothing while learning; turning Learn off applies it.
class MacrosPage : public YControl {
public:
    struct Strip {
        YPanel* panel = nullptr;
        YButton* name = nullptr;   // a click opens a field to type the name
        YKnob* value = nullptr;
        YMenu* mode = nullptr;
        YButton* learn = nullptr;
    };

    explicit MacrosPage(YAudioEffectPluginToAudioPluginAdapter& plugin);

    int32_t Selected() const { return selected_; }
    void Select(int32_t number);
    int32_t SelectedTarget() const;
    void SelectTarget(int32_t index);
    // An edit of the editor's control of a parameter: smart learn records it.
    void ParameterEdited(int32_t parameter);

    const Strip& StripOf(int32_t number) const { return strips_[static_cast<std::size_t>(number)]; }
    YListBox& Targets() const { return *targets_; }
    YMenu& AddTarget() const { return *addTarget_; }
    YButton& RemoveTarget() const { return *removeTarget_; }
    YMenu& Bank() const { return *bank_; }
    YButton& StoreBank() const { return *storeBank_; }
    // Measures the selected macro's banks with the AGC; the editor runs the measurement.
    YButton& BankGains() const { return *bankGains_; }
    static constexpr char kBankGainsCaption[] = "Compute bank gains";

    bool OnMouseDown(const YMouseEvent& event) override;

protected:
    void Draw(YCanvas& canvas) override;
    void Layout() override;
    void Sync() override;

private:
    YMultiParameter& Multi() const;
    // The selected target, null when the list has none at that place.
    const YMultiParameterParameter* Target() const;
    // Changes the selected target (or the macro) through the engine.
    void EditTarget(const std::function<void(YMultiParameterParameter&)>& edit);
    void Edit(int32_t number, const std::function<void(YMultiParameter&)>& edit);
    void BuildStrip(int32_t number);
    void BuildSettings();
    void BuildTarget();
    void ToggleLearn(int32_t number);
    YString TargetText(const YMultiParameterParameter& target) const;

    YAudioEffectPluginToAudioPluginAdapter& plugin_;
    int32_t effectParameters_;
    int32_t selected_ = 0;
    int32_t selectedBank_ = 0;
    std::array<Strip, YMultiParameter::kCount> strips_{};
    YPanel* settingsPanel_ = nullptr;
    YPanel* targetsPanel_ = nullptr;
    YPanel* targetPanel_ = nullptr;
    YSwitch* enabled_ = nullptr;
    YSlider* switchTime_ = nullptr;
    YSlider* bankCount_ = nullptr;
    YMenu* bank_ = nullptr;
    YButton* storeBank_ = nullptr;
    YButton* goToBank_ = nullptr;
    YButton* bankGains_ = nullptr;
    YListBox* targets_ = nullptr;
    YMenu* addTarget_ = nullptr;
    YButton* removeTarget_ = nullptr;
    YMenu* targetParameter_ = nullptr;
    YSwitch* targetEnabled_ = nullptr;
    YSwitch* invert_ = nullptr;
    YMenu* rangeMode_ = nullptr;
    YSlider* value_ = nullptr;
    YSlider* maxValue_ = nullptr;
    YSlider* range_ = nullptr;
    YSwitch* interpolate_ = nullptr;
    YSwitch* useFirstRange_ = nullptr;

    // Smart learn: the macro learning (-1 none), the values when it started and the
    // interval each moved parameter swept.
    int32_t learning_ = -1;
    std::vector<double> learnStart_;
    std::map<int32_t, std::pair<double, double>> swept_;
};
