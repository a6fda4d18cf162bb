#include "engine/YMIDIControllers.h"

#include "engine/YMultiParameter.h"
#include "foundation/YFormat.h"

#include <algorithm>
#include <cmath>

YString YMIDIControllers::SourceName(int32_t controller) {
    static const YString extras[] = {"Aftertouch", "Pitch-bend", "Velocity (on & off)", "Velocity (on)"};
    if (controller >= kAftertouch && controller < kSourceCount) return extras[controller - kAftertouch];
    return YFormat("CC {0}").Arg(std::clamp(controller, 0, 127)).Result();
}

const YString& YMIDIControllers::NoteModeName(int32_t mode) {
    static const YString names[kNoteModeCount] = {"Linear", "Logarithmic", "On/Off", "On/Off (all octaves)", "Switch",
                                                  "Switch (all octaves)"};
    return names[mode >= 0 && mode < kNoteModeCount ? mode : 0];
}

double YMIDIControllers::NoteFrequency(int32_t note) { return 523.2511306011972 * std::pow(2.0, (note - 60) / 12.0); }

const YString& YMIDIControllers::AllInUseMessage() {
    static const YString message("Sorry, all controllers are already in use.");
    return message;
}

void YMIDIControllers::Write(int32_t parameter, double value) {
    if (parameter >= 0 && parameter < plugin_.GetParameterCount()) plugin_.SetParameter(parameter, std::clamp(value, 0.0, 1.0));
}

void YMIDIControllers::Trigger(int32_t channel, int32_t controller, double value) {
    if (!presetTrigger.enabled || !ChannelMatches(presetTrigger.channel, channel) || presetTrigger.controller != controller)
        return;
    // Crossing a third downwards steps back, two thirds upwards steps on; the gap
    // between keeps a wobbling controller from stepping twice.
    const double previous = triggerValue_;
    if (previous >= kLowerThird && value < kLowerThird) {
        if (presetStep_) presetStep_(context_, -1);
    } else if (previous < kUpperThird && value >= kUpperThird) {
        if (presetStep_) presetStep_(context_, 1);
    }
    triggerValue_ = value;
}

void YMIDIControllers::ProcessController(int32_t channel, int32_t controller, double value) {
    if (controllersEnabled)
        for (const Controller& slot : controllers)
            if (slot.enabled && ChannelMatches(slot.channel, channel) && slot.controller == controller)
                Write(slot.parameter,
                      MapRange(2.0 * value - 1.0, slot.value, slot.maxValue, slot.range, slot.rangeMode, slot.invert));
    Trigger(channel, controller, value);
}

void YMIDIControllers::ProcessNote(int32_t channel, int32_t key, double velocity, bool on) {
    if (controllersEnabled)
        for (const Controller& slot : controllers) {
            if (!slot.enabled || !ChannelMatches(slot.channel, channel)) continue;
            if (slot.controller == kVelocity || (slot.controller == kVelocityOn && on))
                Write(slot.parameter,
                      MapRange(2.0 * velocity - 1.0, slot.value, slot.maxValue, slot.range, slot.rangeMode, slot.invert));
        }
    Trigger(channel, kVelocity, velocity);
    if (on) Trigger(channel, kVelocityOn, velocity);
    if (!noteControllersEnabled) return;
    for (const NoteController& slot : noteControllers) {
        if (!slot.enabled || !ChannelMatches(slot.channel, channel)) continue;
        const bool exact = key == slot.note, sameClass = (key - slot.note) % 12 == 0;
        switch (slot.mode) {
            case kLinear:
            case kLogarithmic: {
                if (!on) break;
                const double f = NoteFrequency(key + noteOffset);
                const double t = slot.mode == kLinear ? (f - 20.0) / 19980.0 : (std::log10(f) - std::log10(20.0)) / 3.0;
                Write(slot.parameter, slot.value + (slot.maxValue - slot.value) * t);
                lastNote_ = key;
                break;
            }
            case kOnOff:
            case kOnOffAllOctaves:
                if (slot.mode == kOnOff ? exact : sameClass) Write(slot.parameter, on ? slot.maxValue : slot.value);
                break;
            case kSwitch:
            case kSwitchAllOctaves:
                if (on && (slot.mode == kSwitch ? exact : sameClass))
                    Write(slot.parameter, plugin_.GetParameter(slot.parameter) < 0.5 ? slot.maxValue : slot.value);
                break;
            default: break;
        }
    }
}

int32_t YMIDIControllers::AttachController(int32_t parameter) {
    Controller* chosen = nullptr;
    if (controllersEnabled) {
        for (Controller& slot : controllers)
            if (slot.enabled && slot.parameter == parameter) {
                chosen = &slot;
                break;
            }
        if (chosen == nullptr)
            for (Controller& slot : controllers)
                if (!slot.enabled) {
                    chosen = &slot;
                    break;
                }
        if (chosen == nullptr) return -1;
    } else {
        for (Controller& slot : controllers) slot.enabled = false;
        controllersEnabled = true;
        chosen = &controllers.front();
    }
    // A slot taken afresh sweeps the parameter's whole range, as the default
    // assignments do: its stored mapping belonged to whatever it drove before.
    if (!chosen->enabled || chosen->parameter != parameter) GiveWholeRange(*chosen, parameter);
    chosen->enabled = true;
    return static_cast<int32_t>(chosen - controllers.data());
}

void YMIDIControllers::GiveWholeRange(Controller& slot, int32_t parameter) {
    slot.parameter = parameter;
    slot.value = 0.0;
    slot.maxValue = 1.0;
    slot.rangeMode = static_cast<int32_t>(YRangeMode::Interval);
}

void YMIDIControllers::ApplyDefaultAssignments(const int32_t* multiParameters, const bool* inUse, int32_t count) {
    if (count < 1) return;
    auto assign = [](Controller& slot, int32_t parameter) {
        GiveWholeRange(slot, parameter);
        slot.enabled = true;
    };
    if (!controllers[0].enabled) assign(controllers[0], multiParameters[0]);
    int32_t next = 1;
    for (int32_t m = 1; m < count; ++m) {
        if (!inUse[m]) continue;
        while (next < kSlots && controllers[next].enabled) ++next;
        if (next >= kSlots) return;
        assign(controllers[next], multiParameters[m]);
        controllers[next].controller = 20 + next;
        ++next;
    }
}

// ---- Stored form ---------------------------------------------------------------------------

void YMIDIControllers::StoreSwitches(YStoreArchive& archive) {
    archive.Boolean("ControllersEnabled", controllersEnabled, false);
    archive.Boolean("NoteControllersEnabled", noteControllersEnabled, false);
    const PresetTrigger fresh;
    if (archive.Saving() && !presetTrigger.enabled && presetTrigger.controller == fresh.controller &&
        presetTrigger.channel == fresh.channel) {
        if (YXMLItem* stale = archive.Element().FindSubItem("PreviousNextPresetController"))
            archive.Element().RemoveSubItem(stale);
        return;
    }
    YXMLItem* element = archive.Child("PreviousNextPresetController");
    if (element == nullptr) {
        presetTrigger = fresh;
        return;
    }
    YStoreArchive trigger(*element, archive.Loading());
    trigger.Boolean("Enabled", presetTrigger.enabled, fresh.enabled);
    trigger.Integer("Controller", presetTrigger.controller, fresh.controller);
    trigger.Integer("Channel", presetTrigger.channel, fresh.channel);
    if (archive.Loading()) {
        presetTrigger.controller = std::clamp(presetTrigger.controller, 0, kSourceCount - 1);
        presetTrigger.channel = std::clamp(presetTrigger.channel, 0, 16);
    }
}

namespace {


// The target's id when saving; when loading, the index the stored id names.
template <class Slot>
void StoreTarget(YStoreArchive& archive, Slot& slot, YAudioPlugin& plugin) {
    YString id = archive.Saving() && slot.parameter >= 0 ? plugin.GetParameterID(slot.parameter) : YString();
    archive.Text("ParameterName", id, YString());
    if (archive.Loading()) slot.parameter = plugin.FindParameterByID(id);
}

}  // namespace

void YMIDIControllers::StoreTables(YStoreArchive& archive) {
    auto table = [&](const YString& name, const YString& prefix, auto& slots, auto&& each) {
        YXMLItem* element = archive.Child(name);
        if (archive.Saving()) element->RemoveAllSubItems();
        for (int32_t n = 0; n < kSlots; ++n) {
            auto& slot = slots[n];
            const YString childName = YFormat("{0}{1}").Arg(prefix).Arg(n);
            if (archive.Saving()) {
                if (!slot.enabled) continue;
                YStoreArchive child(*element->AddSubItem(childName), false);
                each(child, slot);
                continue;
            }
            YXMLItem* stored = element ? element->FindSubItem(childName) : nullptr;
            slot = std::remove_reference_t<decltype(slot)>();
            if (stored == nullptr) continue;  // disabled
            YStoreArchive child(*stored, true);
            each(child, slot);
        }
    };
    table("Controllers", "Controller", controllers, [&](YStoreArchive& child, Controller& slot) {
        const Controller fresh;
        child.Boolean("Enabled", slot.enabled, fresh.enabled);
        StoreTarget(child, slot, plugin_);
        child.Number("Value", slot.value, fresh.value);
        child.Number("MaxValue", slot.maxValue, fresh.maxValue);
        child.Number("Range", slot.range, fresh.range);
        child.Integer("Channel", slot.channel, fresh.channel);
        child.Integer("Controller", slot.controller, fresh.controller);
        child.IntegerAlways("FullRange", slot.rangeMode);
        child.Boolean("Invert", slot.invert, fresh.invert);
        if (child.Loading()) {
            slot.value = Held01(slot.value);
            slot.maxValue = Held01(slot.maxValue);
            slot.range = Held01(slot.range);
            slot.channel = std::clamp(slot.channel, 0, 16);
            slot.controller = std::clamp(slot.controller, 0, kSourceCount - 1);
        }
    });
    table("NoteControllers", "NoteController", noteControllers, [&](YStoreArchive& child, NoteController& slot) {
        const NoteController fresh;
        child.Boolean("Enabled", slot.enabled, fresh.enabled);
        StoreTarget(child, slot, plugin_);
        child.Enumeration("Mode", slot.mode, &NoteModeName(0), kNoteModeCount, fresh.mode);
        // The older switch, read last so that it wins over "Mode".
        if (child.Loading() && child.Element().FindAttribute("Logarithmic")) {
            int32_t logarithmic = 0;
            child.IntegerAlways("Logarithmic", logarithmic);
            slot.mode = logarithmic != 0 ? kLogarithmic : kLinear;
        }
        child.Integer("Channel", slot.channel, fresh.channel);
        child.Integer("Note", slot.note, fresh.note);
        child.Number("Value", slot.value, fresh.value);
        child.Number("MaxValue", slot.maxValue, fresh.maxValue);
        if (child.Loading()) {
            slot.value = Held01(slot.value);
            slot.maxValue = Held01(slot.maxValue);
            slot.channel = std::clamp(slot.channel, 0, 16);
            slot.note = std::clamp(slot.note, 0, 127);
        }
    });
}
