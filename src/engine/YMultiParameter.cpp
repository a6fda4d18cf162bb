#include "engine/YMultiParameter.h"

#include "foundation/YException.h"
#include "foundation/YFormat.h"

#include <algorithm>
#include <cmath>

const YString& RangeModeName(int32_t mode) {
    static const YString names[kRangeModeCount + 1] = {"Up and down", "Full range", "Up only", "Down only", "Interval", ""};
    return names[mode >= 0 && mode < kRangeModeCount ? mode : kRangeModeCount];
}

double MapRange(double y, double value, double maxValue, double range, int32_t rangeMode, bool invert) {
    if (invert) y = -y;
    const double t = (y + 1.0) * 0.5;
    switch (static_cast<YRangeMode>(rangeMode)) {
        case YRangeMode::UpAndDown: {
            // The swing narrows so that it never leaves 0..1.
            const double half = std::min({range * 0.5, value, 1.0 - value});
            return value + half * y;
        }
        case YRangeMode::FullRange: {
            // The swing keeps its width by moving its centre.
            const double half = range * 0.5;
            const double centre = half > 1.0 - half ? half : std::clamp(value, half, 1.0 - half);
            return centre + half * y;
        }
        case YRangeMode::UpOnly: return value + t * std::min(range, 1.0 - value);
        case YRangeMode::DownOnly: return value - t * std::min(range, value);
        case YRangeMode::Interval: return value + (maxValue - value) * t;
    }
    return value;
}

YMultiParameterParameter::YMultiParameterParameter() : shape(0.0, 1.0, 0.0, 1.0, 0.0) {
    YEnvelopeComputer::Point end = shape.GetPoint(1);
    end.y = 1.0;
    shape.SetPoint(1, end);
}

// ---- The automation object -----------------------------------------------------------------

// The multiparameter as the host sees it: a float parameter whose writes apply the
// targets, named after the multiparameter.
class YMultiParameter::Automation : public ParameterMainBase {
public:
    Automation(YMultiParameter& multi, ParameterOwner* owner, int32_t index) : ParameterMainBase(owner, index), multi_(multi) {}
    using ParameterMainBase::Definition;
    ParameterDefinition& Definition() override { return multi_.definition_; }
    int32_t GetType(int32_t) const override { return 1; }
    YString GetName(int32_t) const override {
        YScopedLock lock(GlobalLock());  // a load may be replacing it
        return multi_.name;
    }
    YString GetValueName(int32_t) const override { return multi_.ValueText(multi_.Value()); }
    YString GetValueNameFrom01(int32_t, double value) const override { return multi_.ValueText(value); }
    double GetDefaultValue(int32_t) const override { return multi_.defaultValue; }
    void SetValue(int32_t local, double value, bool silent) override {
        ParameterMainBase::SetValue(local, value, silent);
        multi_.Apply();
    }

private:
    YMultiParameter& multi_;
};

// ---- Multiparameter ------------------------------------------------------------------------

YMultiParameter::YMultiParameter(YAudioPlugin& plugin, int32_t number) : plugin_(plugin), number_(number) {
    definition_ = FloatParameter(DefaultName(), DefaultName(), 0.0, 1.0, 0.5);
    // Random settings of the effect leave the macros alone; they have a run of their own.
    definition_.SetFlag(0, ParameterDefinition::kRandomizableBit, false);
    Reset();
}

YSynchronizer& YMultiParameter::GlobalLock() {
    static YMutex lock;
    return lock;
}

const YString& YMultiParameter::ModeName(int32_t mode) {
    static const YString names[kModeCount] = {"Normal", "Switch", "Trigger", "Banks"};
    return names[mode >= 0 && mode < kModeCount ? mode : 0];
}

const YString& YMultiParameter::ValueModeName(int32_t mode) {
    static const YString names[kValueModeCount] = {"Percents", "By first parameter"};
    return names[mode >= 0 && mode < kValueModeCount ? mode : 0];
}

YString YMultiParameter::DefaultName() const { return YFormat("MultiParameter {0}").Arg(number_ + 1); }

ParameterMainBase* YMultiParameter::CreateParameter(ParameterOwner* owner, int32_t index) {
    return new Automation(*this, owner, index);
}

void YMultiParameter::Reset() {
    YScopedLock lock(GlobalLock());
    name = DefaultName();
    enabled = false;
    group = YString();
    info = YString();
    mode = kNormal;
    valueMode = kPercents;
    switchTime = 1.0;
    defaultValue = 0.5;
    bankCount = 4;
    targets.assign(1, YMultiParameterParameter());
    targets.front().enabled = false;  // a new multiparameter drives nothing
    learning = false;
    switching_ = false;
    position_ = 0.0;
    direction_ = 1.0;
    definition_.value = defaultValue;
}

YMultiParameterParameter& YMultiParameter::AddTarget(int32_t parameter) {
    if (targets.size() != 1 || targets.front().enabled || targets.front().parameter >= 0) targets.emplace_back();
    YMultiParameterParameter& target = targets.back();
    target.parameter = parameter;
    target.enabled = true;
    return target;
}

void YMultiParameter::RemoveTarget(std::size_t index) {
    if (index >= targets.size()) return;
    if (targets.size() == 1) {
        targets.front() = YMultiParameterParameter();
        targets.front().enabled = false;
        return;
    }
    targets.erase(targets.begin() + static_cast<std::ptrdiff_t>(index));
}

void YMultiParameter::StoreBank(int32_t bank) {
    if (bank < 0 || bank >= YMultiParameterParameter::kMaxBanks) return;
    YScopedLock lock(GlobalLock());
    const int32_t parameterCount = plugin_.GetParameterCount();
    for (YMultiParameterParameter& target : targets)
        if (target.enabled && target.parameter >= 0 && target.parameter < parameterCount)
            target.banks[static_cast<std::size_t>(bank)] =
                static_cast<float>(std::clamp(plugin_.GetParameter(target.parameter), 0.0, 1.0));
}

double YMultiParameter::BankPosition(int32_t bank) const {
    const int32_t count = std::max(1, bankCount);
    return count > 1 ? static_cast<double>(bank) / (count - 1) : 0.0;
}

void YMultiParameter::SetValue(double value) {
    definition_.Write(std::clamp(value, 0.0, 1.0));
    Apply();
}

void YMultiParameter::Apply() {
    YScopedLock lock(GlobalLock());
    // A target that leads back here (through another multiparameter) stops the loop.
    if (learning || applying_) return;
    applying_ = true;
    struct Clear {
        bool& flag;
        ~Clear() { flag = false; }
    } clear{applying_};
    WriteTargets(Input());
}

void YMultiParameter::WriteTargets(double x) {
    const int32_t parameterCount = plugin_.GetParameterCount();
    if (mode == kBanks) {
        const int32_t count = std::clamp(bankCount, 1, YMultiParameterParameter::kMaxBanks);
        const double s = std::clamp(x, 0.0, 1.0) * (count - 1);
        const int32_t k = std::min(static_cast<int32_t>(s), count - 1);
        const double f = s - k;
        const int32_t nearest = std::min(static_cast<int32_t>(std::floor(s + 0.5)), count - 1);
        for (const YMultiParameterParameter& target : targets) {
            if (!target.enabled || target.parameter < 0 || target.parameter >= parameterCount) continue;
            const auto bank = [&](int32_t index) { return static_cast<double>(target.banks[index]); };
            const double result = target.interpolate && k + 1 < count ? (1.0 - f) * bank(k) + f * bank(k + 1)
                                                                      : bank(target.interpolate ? k : nearest);
            plugin_.SetParameter(target.parameter, result);
        }
        return;
    }
    const YMultiParameterParameter& first = targets.front();
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const YMultiParameterParameter& target = targets[i];
        if (!target.enabled || target.parameter < 0 || target.parameter >= parameterCount) continue;
        const double u = target.shapeEnabled ? std::clamp(target.shape.Value(x), 0.0, 1.0) : x;
        const YMultiParameterParameter& mapping = target.useFirstRange && i > 0 ? first : target;
        plugin_.SetParameter(target.parameter, std::clamp(mapping.Map(u), 0.0, 1.0));
    }
}

void YMultiParameter::CheckSwitch() {
    if (mode != kSwitch && mode != kTrigger) return;
    const bool below = Value() < 0.5;
    const bool on = mode == kSwitch && (switching_ ? direction_ > 0 : position_ >= 0.5);
    if (on != below) return;
    YScopedLock lock(GlobalLock());
    if (switching_) {
        if (mode == kSwitch)
            direction_ = -direction_;
        else if (direction_ < 0)
            direction_ = 1.0;
    } else {
        direction_ = position_ < 0.5 ? 1.0 : -1.0;
        switching_ = true;
    }
    // The value shows where the switch is going; a trigger resets itself at once.
    SetValueSilently(mode == kSwitch && direction_ > 0 ? 1.0 : 0.0);
}

void YMultiParameter::Advance(int32_t frames) {
    if (!enabled || learning || !switching_) return;
    {
        YScopedLock lock(GlobalLock());
        if (!switching_) return;
        // A ramp over whole blocks lands on its end within rounding: a sample's
        // fraction of a billionth counts as arrived.
        constexpr double kArrived = 1e-9;
        position_ += direction_ / (std::max(switchTime, 1e-6) * sampleRate_) * frames;
        if (position_ <= kArrived) {
            position_ = 0.0;
            switching_ = false;
        } else if (position_ >= 1.0 - kArrived) {
            position_ = 1.0;
            if (mode == kTrigger)
                direction_ = -1.0;  // the trigger falls back
            else
                switching_ = false;
        }
    }
    Apply();
}

YString YMultiParameter::ValueText(double value) const {
    YScopedLock lock(GlobalLock());
    if (valueMode == kByFirstParameter && !targets.empty()) {
        const YMultiParameterParameter& first = targets.front();
        // Without a first target to speak for it, the value shows as a percentage.
        if (first.enabled && first.parameter >= 0 && first.parameter < plugin_.GetParameterCount()) {
            const double x = first.shapeEnabled ? first.shape.Value(value) : value;
            return plugin_.GetParameterValueNameFrom01(first.parameter, std::clamp(first.Map(x), 0.0, 1.0));
        }
    }
    return YFormat(std::fabs(value) < 0.01 ? YString("{0.2}%") : YString("{0.1}%")).Arg(value * 100.0);
}

// ---- Stored form ---------------------------------------------------------------------------


void YMultiParameter::StoreTarget(YStoreArchive& archive, YMultiParameterParameter& target) {
    const YMultiParameterParameter fresh;
    if (archive.Saving()) {
        archive.Boolean("ParameterEnabled", target.enabled, true);
        YString id = target.parameter >= 0 ? plugin_.GetParameterID(target.parameter) : YString();
        archive.Text("ParameterName", id, YString());
    } else {
        archive.Boolean("ParameterEnabled", target.enabled, true);
        YString id;
        archive.Text("ParameterName", id, YString());
        target.parameter = plugin_.FindParameterByID(id);
    }
    archive.Number("Value", target.value, fresh.value);
    archive.Number("MaxValue", target.maxValue, fresh.maxValue);
    archive.Number("Range", target.range, fresh.range);
    archive.IntegerAlways("FullRange", target.rangeMode);
    archive.Boolean("Invert", target.invert, fresh.invert);
    archive.Boolean("UseFirstRange", target.useFirstRange, fresh.useFirstRange);
    if (archive.Saving() || archive.Element().FindSubItem("Shape"))
        archive.Boolean("ShapeEnabled", target.shapeEnabled, fresh.shapeEnabled);
    target.shape.Store(archive, "Shape");
    if (archive.Loading()) {
        target.value = Held01(target.value);
        target.maxValue = Held01(target.maxValue);
        target.range = Held01(target.range);
    }
    if (mode != kBanks) return;
    archive.Boolean("Interpolate", target.interpolate, true);
    const auto bytes = static_cast<uint32_t>(bankCount * sizeof(float));
    if (archive.Saving()) {
        archive.Element().SetData(target.banks.data(), bytes, true);
        return;
    }
    if (archive.Element().GetText().IsEmpty()) return;
    archive.Element().GetData(target.banks.data(), bytes, true);
    for (int32_t k = 0; k < bankCount; ++k) target.banks[k] = static_cast<float>(Held01(target.banks[k]));
}

YString YMultiParameter::ElementName(int32_t number) { return YFormat("MultiParameter{0}").Arg(number); }

void YMultiParameter::Store(YStoreArchive& parent) {
    const YString elementName = ElementName(number_);
    YScopedLock lock(GlobalLock());
    if (parent.Saving()) {
        if (targets.size() == 1 && !targets.front().enabled) {
            if (YXMLItem* stale = parent.Element().FindSubItem(elementName)) parent.Element().RemoveSubItem(stale);
            return;
        }
    } else if (parent.Element().FindSubItem(elementName) == nullptr) {
        Reset();
        return;
    }
    if (parent.Saving()) {
        StoreElement(*parent.Child(elementName), false);
        return;
    }
    // A load that fails half-way leaves the multiparameter as it was.
    struct Saved {
        YString name, group, info;
        bool enabled;
        int32_t mode, valueMode, bankCount;
        double switchTime, defaultValue, value;
        std::vector<YMultiParameterParameter> targets;
    } saved{name, group, info, enabled, mode, valueMode, bankCount, switchTime, defaultValue, definition_.value.Load(), targets};
    try {
        StoreElement(*parent.Child(elementName), true);
    } catch (...) {
        name = saved.name;
        group = saved.group;
        info = saved.info;
        enabled = saved.enabled;
        mode = saved.mode;
        valueMode = saved.valueMode;
        bankCount = saved.bankCount;
        switchTime = saved.switchTime;
        defaultValue = saved.defaultValue;
        definition_.value = saved.value;
        targets = saved.targets;
        throw;
    }
}

void YMultiParameter::StoreElement(YXMLItem& element, bool loading) {
    YStoreArchive archive(element, loading);
    archive.Text("Name", name, DefaultName());
    archive.Boolean("Enabled", enabled, false);
    archive.Text("Group", group, YString());
    archive.Text("Info", info, YString());
    archive.EnumerationAlways("Mode", mode, &ModeName(0), kModeCount);
    archive.EnumerationAlways("ValueMode", valueMode, &ValueModeName(0), kValueModeCount);
    archive.Number("SwitchTime", switchTime, 1.0);
    archive.Number("DefaultValue", defaultValue, 0.5);
    double value = definition_.value.Load();
    if (archive.Saving()) {
        archive.Element().SetAttribute("Value", YStoreArchive::NumberText(value));
    } else {
        defaultValue = Held01(defaultValue);
        value = defaultValue;
        archive.Number("Value", value, defaultValue);
    }
    if (mode == kBanks) {
        archive.Integer("BankCount", bankCount, 4);
        bankCount = std::clamp(bankCount, 1, YMultiParameterParameter::kMaxBanks);
    }
    if (archive.Saving()) {
        element.RemoveAllSubItems();
        for (YMultiParameterParameter& target : targets) {
            YStoreArchive child(*element.AddSubItem("Parameter"), false);
            StoreTarget(child, target);
        }
        return;
    }
    if (targets.empty()) throw YException(TranslateText("Index out of range."));
    // The first target object stays (the editor may hold it); the rest are replaced.
    targets.resize(1);
    targets.front() = YMultiParameterParameter();
    bool first = true;
    for (YXMLItem* item = element.First("Parameter"); item; item = element.Next()) {
        if (!first) targets.emplace_back();
        YStoreArchive child(*item, true);
        StoreTarget(child, first ? targets.front() : targets.back());
        first = false;
    }
    if (first) targets.front().enabled = false;  // no stored target: it drives nothing
    switching_ = false;
    position_ = mode == kSwitch && value >= 0.5 ? 1.0 : 0.0;
    definition_.value = Held01(value);
}
