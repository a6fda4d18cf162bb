#include "editor/MacrosPage.h"

#include "editor/PageFields.h"
#include "editor/YButton.h"
#include "editor/YKnob.h"
#include "editor/YListBox.h"
#include "editor/YMenu.h"
#include "editor/YPanel.h"
#include "editor/YParameterValue.h"
#include "editor/YSlider.h"
#include "editor/YSwitch.h"
#include "editor/YWindow.h"
#include "engine/YAudioEffectPluginToAudioPluginAdapter.h"
#include "foundation/YFormat.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kKnobWidth = 88.0f;

std::vector<YString> Names(const YString& (*name)(int32_t), int32_t count) {
    std::vector<YString> names;
    for (int32_t i = 0; i < count; ++i) names.push_back(name(i));
    return names;
}

}  // namespace

MacrosPage::MacrosPage(YAudioEffectPluginToAudioPluginAdapter& plugin)
    : plugin_(plugin), effectParameters_(plugin.Effect() ? plugin.Effect()->DefinitionCount() : 0) {
    for (int32_t number = 0; number < YMultiParameter::kCount; ++number) BuildStrip(number);
    BuildSettings();
    BuildTarget();
}

YMultiParameter& MacrosPage::Multi() const { return plugin_.MultiParameter(selected_); }

int32_t MacrosPage::SelectedTarget() const {
    return std::clamp(targets_->Selected(), 0, static_cast<int32_t>(Multi().targets.size()) - 1);
}

const YMultiParameterParameter* MacrosPage::Target() const {
    const std::vector<YMultiParameterParameter>& targets = Multi().targets;
    return targets.empty() ? nullptr : &targets[static_cast<std::size_t>(SelectedTarget())];
}

void MacrosPage::Edit(int32_t number, const std::function<void(YMultiParameter&)>& edit) {
    plugin_.ChangeMultiParameter(number, edit);
    SyncTree();
}

void MacrosPage::EditTarget(const std::function<void(YMultiParameterParameter&)>& edit) {
    const auto index = static_cast<std::size_t>(SelectedTarget());
    Edit(selected_, [&](YMultiParameter& multi) {
        if (index < multi.targets.size()) edit(multi.targets[index]);
    });
}

void MacrosPage::Select(int32_t number) {
    if (number < 0 || number >= YMultiParameter::kCount) return;
    if (number != selected_) targets_->SetSelected(0);
    selected_ = number;
    SyncTree();
    Invalidate();
}

void MacrosPage::SelectTarget(int32_t index) {
    targets_->SetSelected(index);
    SyncTree();
}

// ---- Building -------------------------------------------------------------------------------

void MacrosPage::BuildStrip(int32_t number) {
    Strip& strip = strips_[static_cast<std::size_t>(number)];
    YMultiParameter& multi = plugin_.MultiParameter(number);
    strip.panel = &Add<YPanel>(YFormat("MACRO {0}").Arg(number + 1));
    strip.name = &Add<YButton>(multi.name);
    strip.name->help = "<name>Name</name> of the macro, as the host lists it: click to type another.";
    strip.name->onClick = [this, number] {
        Select(number);
        if (Window() == nullptr) return;
        YButton& button = *strips_[static_cast<std::size_t>(number)].name;
        Window()->EditText(button.Bounds(), plugin_.MultiParameter(number).name, Style().type.label,
                           [this, number](const YString& typed) {
                               const YString name = typed.Trimmed();
                               Edit(number, [&](YMultiParameter& m) { m.name = name.IsEmpty() ? m.DefaultName() : name; });
                           });
    };
    strip.value = &Add<YKnob>(std::make_unique<YParameterValue>(plugin_, plugin_.MultiParameterIndex(number)), YString("Value"));
    strip.value->help = "<name>Value</name> of the macro: it moves every target at once. The host automates it.";
    strip.mode = &Add<YMenu>(YString("Mode"), Names(&YMultiParameter::ModeName, YMultiParameter::kModeCount));
    strip.mode->help = "<name>Mode</name>: Normal follows the value, Switch glides between off and on, Trigger glides up "
                       "and back once, Banks blends stored sets of target values.";
    strip.mode->selected = [this, number] { return plugin_.MultiParameter(number).mode; };
    strip.mode->choose = [this, number](int32_t mode) {
        Select(number);
        Edit(number, [mode](YMultiParameter& m) { m.mode = mode; });
    };
    strip.learn = &Add<YButton>(YString("Learn"));
    strip.learn->help = "<name>Learn</name>: while lit, every parameter you move becomes a target over the interval you "
                        "swept. Press again to finish.";
    strip.learn->lit = [this, number] { return plugin_.MultiParameter(number).learning; };
    strip.learn->onClick = [this, number] { ToggleLearn(number); };
}

void MacrosPage::BuildSettings() {
    settingsPanel_ = &Add<YPanel>(YString("MACRO SETTINGS"));
    enabled_ = &Add<YSwitch>(FieldValue(0.0, 1.0, 1, [this] { return Multi().enabled ? 1.0 : 0.0; },
                                        [this](double v) { Edit(selected_, [v](YMultiParameter& m) { m.enabled = v >= 0.5; }); }),
                             YString("Macro enabled"));
    enabled_->help = "<name>Macro enabled</name>: runs its switch and trigger glides; a named, enabled macro shows on the "
                     "active preset's panel.";
    switchTime_ = &Add<YSlider>(FieldValue(0.0, 10.0, 0, [this] { return Multi().switchTime; },
                                           [this](double v) { Edit(selected_, [v](YMultiParameter& m) { m.switchTime = v; }); },
                                           [](double v) { return YFormat("{0.2} s").Arg(v).Result(); }),
                                YString("Switch time"));
    switchTime_->help = "<name>Switch time</name>: how long a Switch or Trigger macro takes to glide.";
    bankCount_ = &Add<YSlider>(
        FieldValue(1.0, YMultiParameterParameter::kMaxBanks, YMultiParameterParameter::kMaxBanks - 1,
                   [this] { return static_cast<double>(Multi().bankCount); },
                   [this](double v) { Edit(selected_, [v](YMultiParameter& m) { m.bankCount = static_cast<int32_t>(std::lround(v)); }); }),
        YString("Bank count"));
    bankCount_->help = "<name>Bank count</name>: how many sets of target values a Banks macro moves through.";
    bank_ = &Add<YMenu>(YString("Bank"), std::vector<YString>{});
    bank_->help = "<name>Bank</name> that Store and Go to act on.";
    bank_->selected = [this] { return selectedBank_; };
    bank_->choose = [this](int32_t bank) { selectedBank_ = bank; };
    storeBank_ = &Add<YButton>(YString("Store"));
    storeBank_->help = "<name>Store</name>: the targets' current values become the bank's, and the macro moves there.";
    goToBank_ = &Add<YButton>(YString("Go to"));
    goToBank_->help = "<name>Go to</name>: moves the macro to the bank, to hear it.";
    const auto goToBank = [this] {
        YParameterValue value(plugin_, plugin_.MultiParameterIndex(selected_));
        value.Change(Multi().BankPosition(selectedBank_));
    };
    storeBank_->onClick = [this, goToBank] {
        Multi().StoreBank(selectedBank_);
        plugin_.MarkSettingsChanged();
        goToBank();
    };
    goToBank_->onClick = goToBank;
    bankGains_ = &Add<YButton>(YString(kBankGainsCaption));
    bankGains_->help = "<name>Compute bank gains</name> plays each bank for four seconds with the AGC on and stores what the "
                       "targets hold there; feed a broadband signal such as white noise. A second click cancels.";
}

void MacrosPage::BuildTarget() {
    targetsPanel_ = &Add<YPanel>(YString("TARGETS"));
    targets_ = &Add<YListBox>();
    targets_->help = "The parameters the macro drives; select one to edit how it follows.";
    targets_->onSelect = [this](int32_t) { SyncTree(); };
    addTarget_ = &Add<YMenu>(YString(), ParameterNames(plugin_, effectParameters_));
    addTarget_->placeholder = "Add target";
    addTarget_->help = "<name>Add target</name>: one more parameter for the macro to drive.";
    addTarget_->selected = [] { return -1; };
    addTarget_->choose = [this](int32_t parameter) {
        Edit(selected_, [parameter](YMultiParameter& m) { m.AddTarget(parameter); });
        SelectTarget(static_cast<int32_t>(Multi().targets.size()) - 1);
    };
    removeTarget_ = &Add<YButton>(YString("Remove"));
    removeTarget_->help = "<name>Remove</name> the selected target.";
    removeTarget_->onClick = [this] {
        const auto index = static_cast<std::size_t>(SelectedTarget());
        Edit(selected_, [index](YMultiParameter& m) { m.RemoveTarget(index); });
    };

    targetPanel_ = &Add<YPanel>(YString("TARGET"));
    targetParameter_ = &Add<YMenu>(YString("Parameter"), ParameterNames(plugin_, effectParameters_));
    targetParameter_->placeholder = "None";
    targetParameter_->help = "<name>Parameter</name> the target drives.";
    targetParameter_->selected = [this] {
        const YMultiParameterParameter* target = Target();
        return target && target->parameter < effectParameters_ ? target->parameter : -1;
    };
    targetParameter_->choose = [this](int32_t parameter) {
        EditTarget([parameter](YMultiParameterParameter& t) {
            t.parameter = parameter;
            t.enabled = true;
        });
    };
    const auto flag = [this](bool YMultiParameterParameter::*member, const char* label, const char* text) {
        YSwitch& toggle = Add<YSwitch>(
            FieldValue(0.0, 1.0, 1, [this, member] { return Target() && Target()->*member ? 1.0 : 0.0; },
                       [this, member](double v) { EditTarget([&](YMultiParameterParameter& t) { t.*member = v >= 0.5; }); }),
            YString::FromUtf8(label));
        toggle.help = YString::FromUtf8(text);
        return &toggle;
    };
    targetEnabled_ = flag(&YMultiParameterParameter::enabled, "Enabled", "<name>Enabled</name>: the macro drives this target.");
    invert_ = flag(&YMultiParameterParameter::invert, "Invert", "<name>Invert</name>: the target moves the other way.");
    interpolate_ = flag(&YMultiParameterParameter::interpolate, "Interpolate",
                        "<name>Interpolate</name>: between two banks the target blends; off, it takes the nearest bank.");
    useFirstRange_ = flag(&YMultiParameterParameter::useFirstRange, "First's range",
                          "<name>First's range</name>: the target follows the first target's mapping.");
    rangeMode_ = &Add<YMenu>(YString("Range mode"), Names(&RangeModeName, kRangeModeCount));
    rangeMode_->help = "<name>Range mode</name>: how the macro's value swings the target around Value.";
    rangeMode_->selected = [this] { return Target() ? Target()->rangeMode : -1; };
    rangeMode_->choose = [this](int32_t mode) { EditTarget([mode](YMultiParameterParameter& t) { t.rangeMode = mode; }); };
    const auto number = [this](double YMultiParameterParameter::*member, const char* name, const char* text, bool percent) {
        YSlider& slider = Add<YSlider>(
            FieldValue(0.0, 1.0, 0, [this, member] { return Target() ? Target()->*member : 0.0; },
                       [this, member](double v) { EditTarget([&](YMultiParameterParameter& t) { t.*member = v; }); },
                       [this, percent](double v) {
                           const YMultiParameterParameter* target = Target();
                           return !percent && target && target->parameter >= 0
                                      ? plugin_.GetParameterValueNameFrom01(target->parameter, v)
                                      : PercentText(v);
                       }),
            YString::FromUtf8(name));
        slider.help = YString::FromUtf8(text);
        return &slider;
    };
    value_ = number(&YMultiParameterParameter::value, "Value",
                    "<name>Value</name>: the centre of the swing, or where the interval starts.", false);
    maxValue_ = number(&YMultiParameterParameter::maxValue, "Max value", "<name>Max value</name>: where the interval ends.", false);
    range_ = number(&YMultiParameterParameter::range, "Range", "<name>Range</name>: how wide the swing is.", true);
}

// ---- Smart learn -----------------------------------------------------------------------------

void MacrosPage::ToggleLearn(int32_t number) {
    Select(number);
    const bool on = !plugin_.MultiParameter(number).learning;
    // One macro learns at a time.
    if (on && learning_ >= 0 && learning_ != number) Edit(learning_, [](YMultiParameter& m) { m.learning = false; });
    learning_ = on ? number : -1;
    swept_.clear();
    learnStart_.clear();
    if (on)
        for (int32_t i = 0; i < effectParameters_; ++i) learnStart_.push_back(plugin_.GetParameter(i));
    Edit(number, [on](YMultiParameter& m) { m.learning = on; });
}

void MacrosPage::ParameterEdited(int32_t parameter) {
    if (learning_ < 0 || parameter < 0 || parameter >= effectParameters_) return;
    if (!plugin_.MultiParameter(learning_).learning) {  // a loaded state ended it
        learning_ = -1;
        return;
    }
    const double start = learnStart_[static_cast<std::size_t>(parameter)];
    const double value = plugin_.GetParameter(parameter);
    auto& swept = swept_.try_emplace(parameter, start, start).first->second;
    swept = {std::min(swept.first, value), std::max(swept.second, value)};
    Edit(learning_, [&](YMultiParameter& m) {
        auto found = std::find_if(m.targets.begin(), m.targets.end(),
                                  [parameter](const YMultiParameterParameter& t) { return t.parameter == parameter; });
        YMultiParameterParameter& target = found != m.targets.end() ? *found : m.AddTarget(parameter);
        target.enabled = true;
        target.rangeMode = static_cast<int32_t>(YRangeMode::Interval);
        target.value = swept.first;
        target.maxValue = swept.second;
    });
}

// ---- Showing ---------------------------------------------------------------------------------

YString MacrosPage::TargetText(const YMultiParameterParameter& target) const {
    if (target.parameter < 0 || target.parameter >= plugin_.GetParameterCount()) return "No target";
    YString text = plugin_.GetParameterName(target.parameter);
    if (!target.enabled) return YFormat("{0}  (off)").Arg(text);
    if (Multi().mode == YMultiParameter::kBanks) return YFormat(YString::FromUtf8("{0}  \u00b7  banks")).Arg(text);
    return YFormat(YString::FromUtf8("{0}  \u00b7  {1}")).Arg(text).Arg(RangeModeName(target.rangeMode));
}

void MacrosPage::Sync() {
    YMultiParameter& multi = Multi();
    for (int32_t number = 0; number < YMultiParameter::kCount; ++number)
        strips_[static_cast<std::size_t>(number)].name->SetText(plugin_.MultiParameter(number).name);
    const int32_t banks = std::clamp(multi.bankCount, 1, YMultiParameterParameter::kMaxBanks);
    if (static_cast<int32_t>(bank_->Items().size()) != banks) {
        std::vector<YString> items;
        for (int32_t k = 0; k < banks; ++k) items.push_back(YFormat("Bank {0}").Arg(k + 1));
        bank_->SetItems(std::move(items));
    }
    selectedBank_ = std::min(selectedBank_, banks - 1);

    std::vector<YString> lines;
    for (const YMultiParameterParameter& target : multi.targets) lines.push_back(TargetText(target));
    if (lines != targets_->Items()) targets_->SetItems(std::move(lines));
    if (targets_->Selected() < 0) targets_->SetSelected(0);

    const YMultiParameterParameter* target = Target();
    const bool assigned = target && target->parameter >= 0;
    const bool banked = multi.mode == YMultiParameter::kBanks;
    const bool mapped = assigned && !banked && !(target->useFirstRange && SelectedTarget() > 0);
    const bool interval = mapped && target->rangeMode == static_cast<int32_t>(YRangeMode::Interval);
    switchTime_->SetEnabled(multi.mode == YMultiParameter::kSwitch || multi.mode == YMultiParameter::kTrigger);
    for (YControl* control : std::initializer_list<YControl*>{bankCount_, bank_, storeBank_, goToBank_, bankGains_})
        control->SetEnabled(banked);
    removeTarget_->SetEnabled(assigned || multi.targets.size() > 1);
    targetEnabled_->SetEnabled(assigned);
    for (YControl* control : std::initializer_list<YControl*>{invert_, rangeMode_, value_}) control->SetEnabled(mapped);
    maxValue_->SetEnabled(interval);
    range_->SetEnabled(mapped && !interval);
    interpolate_->SetEnabled(assigned && banked);
    useFirstRange_->SetEnabled(assigned && !banked && SelectedTarget() > 0);
}

bool MacrosPage::OnMouseDown(const YMouseEvent& event) {
    // A click on a macro's panel selects it.
    for (int32_t number = 0; number < YMultiParameter::kCount; ++number)
        if (event.button == 0 && strips_[static_cast<std::size_t>(number)].panel->Bounds().Contains(event.x, event.y))
            Select(number);
    return false;
}

void MacrosPage::Draw(YCanvas& canvas) {
    // The selected macro is underlined.
    const YRect panel = strips_[static_cast<std::size_t>(selected_)].panel->Bounds();
    canvas.FillRect({panel.x + 14.0f, panel.Bottom() + 3.0f, panel.width - 28.0f, 3.0f}, YPaint::Solid(Style().colors.accent));
}

void MacrosPage::Layout() {
    const YStyle& style = Style();
    const float gap = style.sizes.gap, row = style.sizes.rowHeight;
    const float menu = style.sizes.labelHeight + 2.0f + row;
    YRect area = Bounds();
    YRect top = area.TakeTop(std::clamp(area.height * 0.32f, 150.0f, 172.0f), gap);
    const float width = (top.width - 3.0f * gap) / 4.0f;
    for (Strip& strip : strips_) {
        strip.panel->SetBounds(top.TakeLeft(width, gap));
        YRect content = strip.panel->Content();
        strip.name->SetBounds(content.TakeTop(row, 4.0f));
        strip.value->SetBounds(content.TakeLeft(kKnobWidth, gap));
        YRect side = {content.x, content.CenterY() - (menu + 8.0f + row) * 0.5f, content.width, menu + 8.0f + row};
        strip.mode->SetBounds(side.TakeTop(menu, 8.0f));
        strip.learn->SetBounds(side.TakeTop(row));
    }

    settingsPanel_->SetBounds(area.TakeLeft(236.0f, gap));
    targetPanel_->SetBounds(area.TakeRight(std::min(380.0f, area.width * 0.42f), gap));
    targetsPanel_->SetBounds(area);

    YRect settings = settingsPanel_->Content();
    enabled_->SetBounds(settings.TakeTop(row, 10.0f));
    switchTime_->SetBounds(settings.TakeTop(30.0f, 10.0f));
    bankCount_->SetBounds(settings.TakeTop(30.0f, 10.0f));
    bank_->SetBounds(settings.TakeTop(menu, 8.0f));
    YRect bankButtons = settings.TakeTop(row, 10.0f);
    const float half = (bankButtons.width - gap) * 0.5f;
    storeBank_->SetBounds(bankButtons.TakeLeft(half, gap));
    goToBank_->SetBounds(bankButtons);
    bankGains_->SetBounds(settings.TakeTop(row, 10.0f));

    YRect list = targetsPanel_->Content();
    YRect buttons = list.TakeBottom(row, 8.0f);
    removeTarget_->SetBounds(buttons.TakeRight(80.0f, gap));
    addTarget_->SetBounds(buttons);
    targets_->SetBounds(list);

    YRect editor = targetPanel_->Content();
    const float pair = (editor.width - 2.0f * gap) * 0.5f;
    targetParameter_->SetBounds(editor.TakeTop(menu, 8.0f));
    YRect flags = editor.TakeTop(row, 8.0f);
    targetEnabled_->SetBounds(flags.TakeLeft(pair, 2.0f * gap));
    invert_->SetBounds(flags);
    rangeMode_->SetBounds(editor.TakeTop(menu, 8.0f));
    for (YSlider* slider : {value_, maxValue_, range_}) slider->SetBounds(editor.TakeTop(28.0f, 8.0f));
    YRect banks = editor.TakeTop(row);
    interpolate_->SetBounds(banks.TakeLeft(pair, 2.0f * gap));
    useFirstRange_->SetBounds(banks);
}
