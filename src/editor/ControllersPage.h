#pragma once

#include "editor/YControl.h"

#include "engine/YMIDIControllers.h"

#include <cstdint>
#include <functional>

class YAudioEffectPluginToAudioPluginAdapter;
class YButton;
class YLabel;
class YListBox;
class YMenu;
class YPanel;
class YSlider;
class YSwitch;

// The MIDI controller assignments: the 32 controller slots and the 32 note controllers
// (each a list with the selected slot's settings beside it), the tables' switches, the
// preset step controller and the last controller message received. Learn takes the
// next controller message the engine posts to the editor as the slot's channel and
// controller. Every edit goes to the engine at once (ChangeMIDIControllers).
class ControllersPage : public YControl {
public:
    explicit ControllersPage(YAudioEffectPluginToAudioPluginAdapter& plugin);

    int32_t SelectedSlot() const;
    void SelectSlot(int32_t slot);
    int32_t SelectedNoteSlot() const;
    // The slot waiting for a controller message; -1 when none is.
    int32_t LearningSlot() const { return learning_; }
    void StartLearn(int32_t slot);
    // "Attach MIDI controller" for a parameter: a slot on it, selected and learning.
    // False when all slots are in use; the user is told so.
    bool Attach(int32_t parameter);
    // The editor's idle: takes the posted controller message.
    void Idle();

    YListBox& Slots() const { return *slots_; }
    YListBox& NoteSlots() const { return *noteSlots_; }
    YButton& Learn() const { return *learn_; }
    YButton& Clear() const { return *clear_; }
    YLabel& LastReceived() const { return *lastReceived_; }

protected:
    void Layout() override;
    void Sync() override;

private:
    void BuildSwitches();
    void BuildSlotEditor();
    void BuildNoteEditor();
    const YMIDIControllers::Controller& Slot() const;
    const YMIDIControllers::NoteController& NoteSlot() const;
    void EditTables(const std::function<void(YMIDIControllers&)>& edit);
    void EditSlot(const std::function<void(YMIDIControllers::Controller&)>& edit);
    void EditNoteSlot(const std::function<void(YMIDIControllers::NoteController&)>& edit);

    YAudioEffectPluginToAudioPluginAdapter& plugin_;
    int32_t learning_ = -1;
    uint32_t seen_ = 0;  // the sequence of the last post taken

    YPanel* topPanel_ = nullptr;
    YSwitch* controllersOn_ = nullptr;
    YSwitch* notesOn_ = nullptr;
    YSwitch* presetStep_ = nullptr;
    YMenu* presetController_ = nullptr;
    YMenu* presetChannel_ = nullptr;
    YLabel* lastReceived_ = nullptr;

    YPanel* slotPanel_ = nullptr;
    YListBox* slots_ = nullptr;
    YSwitch* slotEnabled_ = nullptr;
    YButton* learn_ = nullptr;
    YButton* clear_ = nullptr;
    YMenu* slotTarget_ = nullptr;
    YMenu* slotChannel_ = nullptr;
    YMenu* slotController_ = nullptr;
    YMenu* slotRangeMode_ = nullptr;
    YSlider* slotValue_ = nullptr;
    YSlider* slotMaxValue_ = nullptr;
    YSlider* slotRange_ = nullptr;
    YSwitch* slotInvert_ = nullptr;

    YPanel* notePanel_ = nullptr;
    YListBox* noteSlots_ = nullptr;
    YSwitch* noteEnabled_ = nullptr;
    YButton* noteClear_ = nullptr;
    YMenu* noteTarget_ = nullptr;
    YMenu* noteMode_ = nullptr;
    YMenu* noteChannel_ = nullptr;
    YSlider* note_ = nullptr;
    YSlider* noteValue_ = nullptr;
    YSlider* noteMaxValue_ = nullptr;
};
