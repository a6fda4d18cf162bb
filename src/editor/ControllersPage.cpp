#include "editor/ControllersPage.h"

#include "editor/PageFields.h"
#include "editor/YButton.h"
#include "editor/YLabel.h"
#include "editor/YListBox.h"
#include "editor/YMenu.h"
#include "editor/YPanel.h"
#include "editor/YSlider.h"
#include "editor/YSwitch.h"
#include "editor/YWindow.h"
#include "engine/YAudioEffectPluginToAudioPluginAdapter.h"
#include "foundation/YFormat.h"

#include <algorithm>
#include <cmath>

namespace {

using Controller = YMIDIControllers::Controller;
using NoteController = YMIDIControllers::NoteController;

std::vector<YString> SourceTexts() {
    std::vector<YString> texts;
    for (int32_t c = 0; c < YMIDIControllers::kSourceCount; ++c) texts.push_back(YMIDIControllers::SourceName(c));
    return texts;
}

// The channel in a list line: "any" or "ch 5".
YString ShortChannelText(int32_t channel) { return channel <= 0 ? YString("any") : YFormat("ch {0}").Arg(channel).Result(); }

// A menu whose items are chosen by number.
YMenu& NumberMenu(YControl& page, const char* caption, std::vector<YString> items, std::function<int32_t()> selected,
                  std::function<void(int32_t)> choose, const char* text) {
    YMenu& menu = page.Add<YMenu>(YString::FromUtf8(caption), std::move(items));
    menu.selected = std::move(selected);
    menu.choose = std::move(choose);
    menu.help = YString::FromUtf8(text);
    return menu;
}

}  // namespace

ControllersPage::ControllersPage(YAudioEffectPluginToAudioPluginAdapter& plugin) : plugin_(plugin) {
    seen_ = plugin_.LastControllerPost().sequence;
    BuildSwitches();
    BuildSlotEditor();
    BuildNoteEditor();
}

const Controller& ControllersPage::Slot() const {
    return plugin_.MIDIControllers().controllers[static_cast<std::size_t>(SelectedSlot())];
}

const NoteController& ControllersPage::NoteSlot() const {
    return plugin_.MIDIControllers().noteControllers[static_cast<std::size_t>(SelectedNoteSlot())];
}

int32_t ControllersPage::SelectedSlot() const { return std::max(0, slots_->Selected()); }

int32_t ControllersPage::SelectedNoteSlot() const { return std::max(0, noteSlots_->Selected()); }

void ControllersPage::SelectSlot(int32_t slot) {
    slots_->SetSelected(slot);
    slots_->ScrollTo(slot);
    SyncTree();
}

void ControllersPage::EditTables(const std::function<void(YMIDIControllers&)>& edit) {
    plugin_.ChangeMIDIControllers(edit);
    SyncTree();
}

void ControllersPage::EditSlot(const std::function<void(Controller&)>& edit) {
    const auto slot = static_cast<std::size_t>(SelectedSlot());
    EditTables([&](YMIDIControllers& tables) { edit(tables.controllers[slot]); });
}

void ControllersPage::EditNoteSlot(const std::function<void(NoteController&)>& edit) {
    const auto slot = static_cast<std::size_t>(SelectedNoteSlot());
    EditTables([&](YMIDIControllers& tables) { edit(tables.noteControllers[slot]); });
}

// ---- Learn and attach --------------------------------------------------------------------------

void ControllersPage::StartLearn(int32_t slot) {
    // Only a message that comes after the press counts.
    seen_ = plugin_.LastControllerPost().sequence;
    learning_ = slot;
    SyncTree();
}

bool ControllersPage::Attach(int32_t parameter) {
    const int32_t slot = plugin_.AttachMIDIController(parameter);
    if (slot < 0) {
        if (Window()) Window()->Ask(YMIDIControllers::AllInUseMessage(), {"OK"}, nullptr);
        return false;
    }
    SelectSlot(slot);
    StartLearn(slot);
    return true;
}

void ControllersPage::Idle() {
    const YAudioEffectPluginToAudioPluginAdapter::ControllerPost post = plugin_.LastControllerPost();
    if (post.sequence == seen_) return;
    seen_ = post.sequence;
    lastReceived_->SetText(YFormat("Last received: {0} on channel {1}").Arg(YMIDIControllers::SourceName(post.controller)).Arg(post.channel));
    if (learning_ < 0) return;
    const auto slot = static_cast<std::size_t>(learning_);
    learning_ = -1;
    EditTables([&](YMIDIControllers& tables) {
        tables.controllers[slot].channel = std::clamp(post.channel, 0, 16);
        tables.controllers[slot].controller = std::clamp(post.controller, 0, YMIDIControllers::kSourceCount - 1);
    });
}

// ---- Building ------------------------------------------------------------------------------------

void ControllersPage::BuildSwitches() {
    topPanel_ = &Add<YPanel>(YString("MIDI CONTROL"));
    const auto tableSwitch = [this](bool YMIDIControllers::*member, const char* label, const char* text) {
        YSwitch& toggle = Add<YSwitch>(
            FieldValue(0.0, 1.0, 1, [this, member] { return plugin_.MIDIControllers().*member ? 1.0 : 0.0; },
                       [this, member](double v) { EditTables([&](YMIDIControllers& t) { t.*member = v >= 0.5; }); }),
            YString::FromUtf8(label));
        toggle.help = YString::FromUtf8(text);
        return &toggle;
    };
    controllersOn_ = tableSwitch(&YMIDIControllers::controllersEnabled, "Controllers",
                                 "<name>Controllers</name>: the controller assignments below follow MIDI.");
    notesOn_ = tableSwitch(&YMIDIControllers::noteControllersEnabled, "Note controllers",
                           "<name>Note controllers</name>: the note assignments below follow MIDI notes.");
    presetStep_ = &Add<YSwitch>(
        FieldValue(0.0, 1.0, 1, [this] { return plugin_.MIDIControllers().presetTrigger.enabled ? 1.0 : 0.0; },
                   [this](double v) { EditTables([&](YMIDIControllers& t) { t.presetTrigger.enabled = v >= 0.5; }); }),
        YString("Preset step"));
    presetStep_->help = "<name>Preset step</name>: a controller that steps through the presets: up past two thirds "
                        "for the next, down past a third for the previous.";
    presetController_ = &NumberMenu(
        *this, "Step controller", SourceTexts(), [this] { return plugin_.MIDIControllers().presetTrigger.controller; },
        [this](int32_t c) { EditTables([c](YMIDIControllers& t) { t.presetTrigger.controller = c; }); },
        "<name>Step controller</name>: the controller that steps the presets.");
    presetChannel_ = &NumberMenu(
        *this, "Step channel", ChannelNames(), [this] { return plugin_.MIDIControllers().presetTrigger.channel; },
        [this](int32_t c) { EditTables([c](YMIDIControllers& t) { t.presetTrigger.channel = c; }); },
        "<name>Step channel</name> the step controller must come on.");
    lastReceived_ = &Add<YLabel>(YString("Last received: nothing yet"), YLabel::Role::Normal);
    lastReceived_->help = "The last controller message that arrived: what Learn would take.";
}

void ControllersPage::BuildSlotEditor() {
    slotPanel_ = &Add<YPanel>(YString("CONTROLLER ASSIGNMENTS"));
    slots_ = &Add<YListBox>();
    slots_->help = "The 32 controller assignments; select one to edit it.";
    slots_->onSelect = [this](int32_t) { SyncTree(); };
    slots_->SetSelected(0);
    slotEnabled_ = &Add<YSwitch>(
        FieldValue(0.0, 1.0, 1, [this] { return Slot().enabled ? 1.0 : 0.0; },
                   [this](double v) { EditSlot([v](Controller& s) { s.enabled = v >= 0.5; }); }),
        YString("Enabled"));
    slotEnabled_->help = "<name>Enabled</name>: the assignment follows its controller.";
    learn_ = &Add<YButton>(YString("Learn"));
    learn_->help = "<name>Learn</name>: the next controller you move becomes this assignment's controller and channel.";
    learn_->lit = [this] { return learning_ >= 0; };
    learn_->onClick = [this] {
        if (learning_ >= 0) {
            learning_ = -1;
            return;
        }
        StartLearn(SelectedSlot());
    };
    clear_ = &Add<YButton>(YString("Clear"));
    clear_->help = "<name>Clear</name> the assignment back to a new, disabled one.";
    clear_->onClick = [this] {
        if (learning_ == SelectedSlot()) learning_ = -1;
        EditSlot([](Controller& s) { s = Controller(); });
    };
    slotTarget_ = &NumberMenu(
        *this, "Target", ParameterNames(plugin_, plugin_.GetParameterCount()), [this] { return Slot().parameter; },
        [this](int32_t p) {
            EditSlot([p](Controller& s) {
                s.parameter = p;
                s.enabled = true;
            });
        },
        "<name>Target</name>: the parameter the controller moves.");
    slotTarget_->placeholder = "None";
    slotChannel_ = &NumberMenu(
        *this, "Channel", ChannelNames(), [this] { return Slot().channel; },
        [this](int32_t c) { EditSlot([c](Controller& s) { s.channel = c; }); }, "<name>Channel</name> the controller must come on.");
    slotController_ = &NumberMenu(
        *this, "Controller", SourceTexts(), [this] { return Slot().controller; },
        [this](int32_t c) { EditSlot([c](Controller& s) { s.controller = c; }); },
        "<name>Controller</name>: a control change number, aftertouch, pitch-bend or note velocity.");
    std::vector<YString> modes;
    for (int32_t m = 0; m < kRangeModeCount; ++m) modes.push_back(RangeModeName(m));
    slotRangeMode_ = &NumberMenu(
        *this, "Range mode", modes, [this] { return Slot().rangeMode; },
        [this](int32_t m) { EditSlot([m](Controller& s) { s.rangeMode = m; }); },
        "<name>Range mode</name>: how the controller swings the target around Value.");
    const auto number = [this](double Controller::*member, const char* name, const char* text, bool percent) {
        YSlider& slider = Add<YSlider>(
            FieldValue(0.0, 1.0, 0, [this, member] { return Slot().*member; },
                       [this, member](double v) { EditSlot([&](Controller& s) { s.*member = v; }); },
                       [this, percent](double v) {
                           const int32_t target = Slot().parameter;
                           return !percent && target >= 0 ? plugin_.GetParameterValueNameFrom01(target, v) : PercentText(v);
                       }),
            YString::FromUtf8(name));
        slider.help = YString::FromUtf8(text);
        return &slider;
    };
    slotValue_ = number(&Controller::value, "Value", "<name>Value</name>: the centre of the swing, or where the interval starts.", false);
    slotMaxValue_ = number(&Controller::maxValue, "Max value", "<name>Max value</name>: where the interval ends.", false);
    slotRange_ = number(&Controller::range, "Range", "<name>Range</name>: how wide the swing is.", true);
    slotInvert_ = &Add<YSwitch>(FieldValue(0.0, 1.0, 1, [this] { return Slot().invert ? 1.0 : 0.0; },
                                           [this](double v) { EditSlot([v](Controller& s) { s.invert = v >= 0.5; }); }),
                                YString("Invert"));
    slotInvert_->help = "<name>Invert</name>: the controller's top becomes the target's bottom.";
}

void ControllersPage::BuildNoteEditor() {
    notePanel_ = &Add<YPanel>(YString("NOTE CONTROLLERS"));
    noteSlots_ = &Add<YListBox>();
    noteSlots_->help = "The 32 note controllers; select one to edit it.";
    noteSlots_->onSelect = [this](int32_t) { SyncTree(); };
    noteSlots_->SetSelected(0);
    noteEnabled_ = &Add<YSwitch>(
        FieldValue(0.0, 1.0, 1, [this] { return NoteSlot().enabled ? 1.0 : 0.0; },
                   [this](double v) { EditNoteSlot([v](NoteController& s) { s.enabled = v >= 0.5; }); }),
        YString("Enabled"));
    noteEnabled_->help = "<name>Enabled</name>: the note controller follows its notes.";
    noteClear_ = &Add<YButton>(YString("Clear"));
    noteClear_->help = "<name>Clear</name> the note controller back to a new, disabled one.";
    noteClear_->onClick = [this] { EditNoteSlot([](NoteController& s) { s = NoteController(); }); };
    noteTarget_ = &NumberMenu(
        *this, "Target", ParameterNames(plugin_, plugin_.GetParameterCount()), [this] { return NoteSlot().parameter; },
        [this](int32_t p) {
            EditNoteSlot([p](NoteController& s) {
                s.parameter = p;
                s.enabled = true;
            });
        },
        "<name>Target</name>: the parameter the notes move.");
    noteTarget_->placeholder = "None";
    std::vector<YString> modes;
    for (int32_t m = 0; m < YMIDIControllers::kNoteModeCount; ++m) modes.push_back(YMIDIControllers::NoteModeName(m));
    noteMode_ = &NumberMenu(
        *this, "Mode", modes, [this] { return NoteSlot().mode; },
        [this](int32_t m) { EditNoteSlot([m](NoteController& s) { s.mode = m; }); },
        "<name>Mode</name>: Linear and Logarithmic follow the pitch of any note; On/Off and Switch react to one note "
        "(or its pitch in every octave).");
    noteChannel_ = &NumberMenu(
        *this, "Channel", ChannelNames(), [this] { return NoteSlot().channel; },
        [this](int32_t c) { EditNoteSlot([c](NoteController& s) { s.channel = c; }); },
        "<name>Channel</name> the notes must come on.");
    note_ = &Add<YSlider>(FieldValue(0.0, 127.0, 127, [this] { return static_cast<double>(NoteSlot().note); },
                                     [this](double v) { EditNoteSlot([v](NoteController& s) { s.note = static_cast<int32_t>(std::lround(v)); }); },
                                     [](double v) { return NoteName(static_cast<int32_t>(std::lround(v))); }),
                          YString("Note"));
    note_->help = "<name>Note</name> that the On/Off and Switch modes react to.";
    const auto number = [this](double NoteController::*member, const char* name, const char* text) {
        YSlider& slider = Add<YSlider>(
            FieldValue(0.0, 1.0, 0, [this, member] { return NoteSlot().*member; },
                       [this, member](double v) { EditNoteSlot([&](NoteController& s) { s.*member = v; }); },
                       [this](double v) {
                           const int32_t target = NoteSlot().parameter;
                           return target >= 0 ? plugin_.GetParameterValueNameFrom01(target, v) : PercentText(v);
                       }),
            YString::FromUtf8(name));
        slider.help = YString::FromUtf8(text);
        return &slider;
    };
    noteValue_ = number(&NoteController::value, "Value", "<name>Value</name>: the value for off, or the lowest note's.");
    noteMaxValue_ = number(&NoteController::maxValue, "Max value", "<name>Max value</name>: the value for on, or the highest note's.");
}

// ---- Showing --------------------------------------------------------------------------------------

void ControllersPage::Sync() {
    const YMIDIControllers& tables = plugin_.MIDIControllers();
    const auto targetName = [this](int32_t parameter) {
        return parameter >= 0 && parameter < plugin_.GetParameterCount() ? plugin_.GetParameterName(parameter) : YString("no target");
    };
    std::vector<YString> lines;
    for (int32_t n = 0; n < YMIDIControllers::kSlots; ++n) {
        const Controller& slot = tables.controllers[static_cast<std::size_t>(n)];
        lines.push_back(slot.enabled ? YFormat(YString::FromUtf8("{0}   {1} \u00b7 {2}  \u2192  {3}"))
                                           .Arg(n + 1).Arg(YMIDIControllers::SourceName(slot.controller)).Arg(ShortChannelText(slot.channel))
                                           .Arg(targetName(slot.parameter)).Result()
                                     : YFormat("{0}   off").Arg(n + 1).Result());
    }
    if (lines != slots_->Items()) slots_->SetItems(std::move(lines));
    lines.clear();
    for (int32_t n = 0; n < YMIDIControllers::kSlots; ++n) {
        const NoteController& slot = tables.noteControllers[static_cast<std::size_t>(n)];
        lines.push_back(slot.enabled ? YFormat(YString::FromUtf8("{0}   {1} \u00b7 {2}  \u2192  {3}"))
                                           .Arg(n + 1).Arg(slot.mode == YMIDIControllers::kLinear        ? YString("lin")
                                                : slot.mode == YMIDIControllers::kLogarithmic ? YString("log")
                                                                                             : NoteName(slot.note))
                                           .Arg(ShortChannelText(slot.channel))
                                           .Arg(targetName(slot.parameter)).Result()
                                     : YFormat("{0}   off").Arg(n + 1).Result());
    }
    if (lines != noteSlots_->Items()) noteSlots_->SetItems(std::move(lines));

    const Controller& slot = Slot();
    const bool interval = slot.rangeMode == static_cast<int32_t>(YRangeMode::Interval);
    slotMaxValue_->SetEnabled(interval);
    slotRange_->SetEnabled(!interval);
    learn_->SetText(learning_ >= 0 ? YFormat("Learning {0}").Arg(learning_ + 1).Result() : YString("Learn"));
    const NoteController& noteSlot = NoteSlot();
    note_->SetEnabled(noteSlot.mode != YMIDIControllers::kLinear && noteSlot.mode != YMIDIControllers::kLogarithmic);
    presetController_->SetEnabled(tables.presetTrigger.enabled);
    presetChannel_->SetEnabled(tables.presetTrigger.enabled);
}

void ControllersPage::Layout() {
    const YStyle& style = Style();
    const float gap = style.sizes.gap, row = style.sizes.rowHeight;
    const float menu = style.sizes.labelHeight + 2.0f + row;
    YRect area = Bounds();
    topPanel_->SetBounds(area.TakeTop(style.sizes.panelTitle + 2.0f * style.sizes.padding + menu - 6.0f, gap));
    YRect top = topPanel_->Content();
    const auto middle = [&](YRect cell) { return YRect{cell.x, cell.Bottom() - row, cell.width, row}; };
    controllersOn_->SetBounds(middle(top.TakeLeft(110.0f, gap)));
    notesOn_->SetBounds(middle(top.TakeLeft(150.0f, 2.0f * gap)));
    presetStep_->SetBounds(middle(top.TakeLeft(110.0f, gap)));
    presetController_->SetBounds(top.TakeLeft(110.0f, gap));
    presetChannel_->SetBounds(top.TakeLeft(100.0f, 2.0f * gap));
    lastReceived_->SetBounds(middle(top));

    const float half = (area.width - gap) * 0.5f;
    slotPanel_->SetBounds(area.TakeLeft(half, gap));
    notePanel_->SetBounds(area);

    const float listWidth = std::clamp(slotPanel_->Content().width * 0.45f, 170.0f, 210.0f);
    YRect slots = slotPanel_->Content();
    slots_->SetBounds(slots.TakeLeft(listWidth, gap));
    YRect first = slots.TakeTop(row, 8.0f);
    clear_->SetBounds(first.TakeRight(62.0f, gap));
    slotEnabled_->SetBounds(first);
    slotTarget_->SetBounds(slots.TakeTop(menu, 8.0f));
    YRect pair = slots.TakeTop(menu, 8.0f);
    slotChannel_->SetBounds(pair.TakeLeft((pair.width - gap) * 0.5f, gap));
    slotController_->SetBounds(pair);
    slotRangeMode_->SetBounds(slots.TakeTop(menu, 8.0f));
    for (YSlider* slider : {slotValue_, slotMaxValue_, slotRange_}) slider->SetBounds(slots.TakeTop(28.0f, 8.0f));
    YRect last = slots.TakeTop(row);
    learn_->SetBounds(last.TakeRight(96.0f, gap));
    slotInvert_->SetBounds(last);

    YRect notes = notePanel_->Content();
    noteSlots_->SetBounds(notes.TakeLeft(listWidth, gap));
    YRect noteFirst = notes.TakeTop(row, 8.0f);
    noteClear_->SetBounds(noteFirst.TakeRight(62.0f, gap));
    noteEnabled_->SetBounds(noteFirst);
    noteTarget_->SetBounds(notes.TakeTop(menu, 8.0f));
    YRect choices = notes.TakeTop(menu, 8.0f);
    noteMode_->SetBounds(choices.TakeLeft((choices.width - gap) * 0.5f, gap));
    noteChannel_->SetBounds(choices);
    for (YSlider* slider : {note_, noteValue_, noteMaxValue_}) slider->SetBounds(notes.TakeTop(28.0f, 8.0f));
}
