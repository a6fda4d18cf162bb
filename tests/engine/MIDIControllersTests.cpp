#include "PassThroughEffect.h"

#include "engine/YAudioEffectPluginToAudioPluginAdapter.h"
#include "foundation/YXMLItem.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int kGain = PassThroughEffect::kGain;
constexpr int kFourth = PassThroughEffect::kFourth;
constexpr int kCount = PassThroughEffect::kCount;
using Controllers = YMIDIControllers;

class MIDIControllers : public ::testing::Test {
protected:
    void SetUp() override {
        engine.Initialize("Test", "Maker", &PassThroughEffectFactory, 500, 100);
        engine.SetSampleRate(48000.0);
        engine.InitProcessing();
        table().controllersEnabled = true;
        table().noteControllersEnabled = true;
    }
    Controllers& table() { return engine.MIDIControllers(); }
    Controllers::Controller& Slot(int n, int parameter, int controller, int channel = 0) {
        Controllers::Controller& slot = table().controllers[n];
        slot.enabled = true;
        slot.parameter = parameter;
        slot.controller = controller;
        slot.channel = channel;
        slot.rangeMode = 4;
        slot.value = 0.0;
        slot.maxValue = 1.0;
        return slot;
    }
    Controllers::NoteController& Note(int n, int parameter, int mode, int note = 48) {
        Controllers::NoteController& slot = table().noteControllers[n];
        slot.enabled = true;
        slot.parameter = parameter;
        slot.mode = mode;
        slot.note = note;
        slot.value = 0.0;
        slot.maxValue = 1.0;
        return slot;
    }
    // A control change on channel 1..16 as the host sends it.
    void CC(int channel, int controller, int value) {
        engine.ProcessMIDIEvent(0, static_cast<uint8_t>(0xB0 | (channel - 1)), static_cast<uint8_t>(controller),
                                static_cast<uint8_t>(value));
    }
    void Key(int key, bool on, int velocity = 100, int channel = 1) {
        engine.ProcessMIDIEvent(0, static_cast<uint8_t>((on ? 0x90 : 0x80) | (channel - 1)), static_cast<uint8_t>(key),
                                static_cast<uint8_t>(velocity));
    }

    YAudioEffectPluginToAudioPluginAdapter engine;
};

TEST_F(MIDIControllers, ChannelFiltersAndTheMasterSwitch) {
    Slot(0, kGain, 74);
    Slot(1, kFourth, 74, 3);
    for (int channel = 1; channel <= 16; ++channel) {
        engine.SetParameter(kGain, 0.0);
        CC(channel, 74, 127);
        EXPECT_DOUBLE_EQ(engine.GetParameter(kGain), 1.0) << channel;
    }
    engine.SetParameter(kFourth, 0.0);
    CC(4, 74, 127);
    EXPECT_DOUBLE_EQ(engine.GetParameter(kFourth), 0.0);
    CC(3, 74, 127);
    EXPECT_DOUBLE_EQ(engine.GetParameter(kFourth), 1.0);
    CC(3, 75, 0);  // another controller
    EXPECT_DOUBLE_EQ(engine.GetParameter(kFourth), 1.0);
    table().controllersEnabled = false;
    CC(3, 74, 0);
    EXPECT_DOUBLE_EQ(engine.GetParameter(kFourth), 1.0);
}

TEST_F(MIDIControllers, TwoSlotsOnOneControllerWriteInSlotOrder) {
    Slot(0, kFourth, 1).maxValue = 0.5;
    Slot(1, kFourth, 1).maxValue = 0.25;  // written last: this one stays
    Slot(2, kGain, 1);
    CC(1, 1, 127);
    EXPECT_DOUBLE_EQ(engine.GetParameter(kFourth), 0.25);
    EXPECT_DOUBLE_EQ(engine.GetParameter(kGain), 1.0);
    table().controllers[1].enabled = false;
    CC(1, 1, 127);
    EXPECT_DOUBLE_EQ(engine.GetParameter(kFourth), 0.5);
}

TEST_F(MIDIControllers, TheRangeMappingOfASlot) {
    Controllers::Controller& slot = Slot(0, kFourth, 1);
    slot.rangeMode = 0;
    slot.value = 0.5;
    slot.range = 0.4;
    CC(1, 1, 0);
    EXPECT_NEAR(engine.GetParameter(kFourth), 0.3, 1e-9);
    CC(1, 1, 127);
    EXPECT_NEAR(engine.GetParameter(kFourth), 0.7, 1e-9);
    slot.invert = true;
    CC(1, 1, 127);
    EXPECT_NEAR(engine.GetParameter(kFourth), 0.3, 1e-9);
}

TEST_F(MIDIControllers, AftertouchPitchBendAndVelocitySources) {
    Slot(0, kGain, Controllers::kAftertouch);
    Slot(1, kFourth, Controllers::kPitchBend);
    engine.ProcessMIDIEvent(0, 0xD0, 127, 0);
    EXPECT_DOUBLE_EQ(engine.GetParameter(kGain), 1.0);
    engine.ProcessMIDIEvent(0, 0xE0, 0, 0);  // full bend down
    EXPECT_NEAR(engine.GetParameter(kFourth), 0.0, 1e-9);
    engine.ProcessMIDIEvent(0, 0xE0, 0x7F, 0x7F);
    EXPECT_NEAR(engine.GetParameter(kFourth), 1.0, 1e-9);

    table().controllers = {};
    Slot(0, kGain, Controllers::kVelocity);
    Slot(1, kFourth, Controllers::kVelocityOn);
    Key(60, true, 101);  // velocity 100/127 after the decoder's step down
    EXPECT_NEAR(engine.GetParameter(kGain), 100.0 / 127.0, 1e-9);
    EXPECT_NEAR(engine.GetParameter(kFourth), 100.0 / 127.0, 1e-9);
    Key(60, false, 33);
    EXPECT_NEAR(engine.GetParameter(kGain), 32.0 / 127.0, 1e-9);
    EXPECT_NEAR(engine.GetParameter(kFourth), 100.0 / 127.0, 1e-9);  // note-on only
}

TEST_F(MIDIControllers, ThePresetTriggerStepsWithHysteresis) {
    table().presetTrigger = {true, 16, 2};
    auto send = [&](double value) { CC(2, 16, static_cast<int>(value * 127.0 + 0.5)); };
    send(0.5);
    EXPECT_EQ(engine.PendingPresetSteps(), 0);
    send(0.9);
    EXPECT_EQ(engine.TakePendingPresetSteps(), 1);
    send(0.95);
    send(0.5);  // between the thirds: nothing
    EXPECT_EQ(engine.PendingPresetSteps(), 0);
    send(0.9);
    EXPECT_EQ(engine.TakePendingPresetSteps(), 1);
    send(0.2);
    EXPECT_EQ(engine.TakePendingPresetSteps(), -1);
    send(0.5);  // back up, but not past two thirds
    send(0.4);
    EXPECT_EQ(engine.TakePendingPresetSteps(), 0);
    send(0.1);
    EXPECT_EQ(engine.TakePendingPresetSteps(), -1);
    CC(3, 16, 127);  // another channel
    EXPECT_EQ(engine.PendingPresetSteps(), 0);
    // A velocity source steps too.
    table().presetTrigger = {true, Controllers::kVelocityOn, 0};
    Key(50, true, 127);
    EXPECT_EQ(engine.TakePendingPresetSteps(), 1);
}

TEST_F(MIDIControllers, NoteControllerValuesInEachMode) {
    Note(0, kGain, Controllers::kLogarithmic);
    Note(1, kFourth, Controllers::kLinear);
    Key(60, true);
    EXPECT_NEAR(engine.GetParameter(kGain), 0.4726, 1e-4);
    EXPECT_NEAR(engine.GetParameter(kFourth), 0.0252, 1e-4);
    Key(60, false);  // note-offs move nothing in these modes
    Key(57, true);
    EXPECT_NEAR(engine.GetParameter(kGain), 0.4475, 1e-4);
    EXPECT_NEAR(engine.GetParameter(kFourth), 0.0210, 1e-4);
    EXPECT_EQ(table().LastNote(), 57);
    EXPECT_NEAR(Controllers::NoteFrequency(57), 440.0, 1e-9);
}

TEST_F(MIDIControllers, OnOffAndSwitchNotes) {
    Note(0, kGain, Controllers::kOnOffAllOctaves, 48);
    for (int key : {36, 60, 72}) {
        engine.SetParameter(kGain, 0.5);
        Key(key, true);
        EXPECT_DOUBLE_EQ(engine.GetParameter(kGain), 1.0) << key;
        Key(key, false);
        EXPECT_DOUBLE_EQ(engine.GetParameter(kGain), 0.0) << key;
    }
    engine.SetParameter(kGain, 0.5);
    Key(61, true);
    EXPECT_DOUBLE_EQ(engine.GetParameter(kGain), 0.5);
    table().noteControllers[0].mode = Controllers::kOnOff;
    Key(60, true);
    EXPECT_DOUBLE_EQ(engine.GetParameter(kGain), 0.5);
    Key(48, true);
    EXPECT_DOUBLE_EQ(engine.GetParameter(kGain), 1.0);

    Controllers::NoteController& toggle = Note(1, kFourth, Controllers::kSwitch, 50);
    toggle.value = 0.2;
    toggle.maxValue = 0.8;
    engine.SetParameter(kFourth, 0.0);
    Key(50, true);
    EXPECT_DOUBLE_EQ(engine.GetParameter(kFourth), 0.8);
    Key(50, false);
    EXPECT_DOUBLE_EQ(engine.GetParameter(kFourth), 0.8);
    Key(62, true);  // another octave: only the all-octaves mode hears it
    EXPECT_DOUBLE_EQ(engine.GetParameter(kFourth), 0.8);
    Key(50, true);
    EXPECT_DOUBLE_EQ(engine.GetParameter(kFourth), 0.2);
    toggle.mode = Controllers::kSwitchAllOctaves;
    Key(62, true);
    EXPECT_DOUBLE_EQ(engine.GetParameter(kFourth), 0.8);
    toggle.channel = 2;
    Key(50, true);
    EXPECT_DOUBLE_EQ(engine.GetParameter(kFourth), 0.8);
}

TEST_F(MIDIControllers, AControllerCanDriveAMultiParameter) {
    YMultiParameter& multi = engine.MultiParameter(1);
    multi.targets[0].enabled = true;
    multi.targets[0].parameter = kFourth;
    multi.targets[0].rangeMode = 4;
    multi.targets[0].value = 0.0;
    Slot(0, engine.MultiParameterIndex(1), 21);
    CC(1, 21, 127);
    EXPECT_DOUBLE_EQ(multi.Value(), 1.0);
    EXPECT_DOUBLE_EQ(engine.GetParameter(kFourth), 1.0);
}

TEST_F(MIDIControllers, AttachingChoosesASlotOrSaysAllAreInUse) {
    table().controllersEnabled = false;
    table().controllers[5].enabled = true;
    EXPECT_EQ(engine.AttachMIDIController(kGain), 0);  // enabling clears every slot
    EXPECT_TRUE(table().controllersEnabled);
    EXPECT_FALSE(table().controllers[5].enabled);
    EXPECT_EQ(engine.AttachMIDIController(kFourth), 1);
    // A slot taken afresh sweeps the whole range; the slot already on the parameter
    // keeps the mapping the user gave it.
    EXPECT_EQ(table().controllers[1].rangeMode, static_cast<int32_t>(YRangeMode::Interval));
    EXPECT_DOUBLE_EQ(table().controllers[1].value, 0.0);
    EXPECT_DOUBLE_EQ(table().controllers[1].maxValue, 1.0);
    table().controllers[0].maxValue = 0.5;
    EXPECT_EQ(engine.AttachMIDIController(kGain), 0);  // the slot already on it
    EXPECT_DOUBLE_EQ(table().controllers[0].maxValue, 0.5);
    for (int n = 2; n < Controllers::kSlots; ++n) Slot(n, kCount, 7);
    const auto before = table().controllers;
    EXPECT_EQ(engine.AttachMIDIController(engine.MultiParameterIndex(0)), -1);
    for (int n = 0; n < Controllers::kSlots; ++n) EXPECT_EQ(table().controllers[n].parameter, before[n].parameter);
    EXPECT_EQ(Controllers::AllInUseMessage(), YString("Sorry, all controllers are already in use."));
}

TEST_F(MIDIControllers, DefaultAssignmentsForTheMultiParametersInUse) {
    const int32_t multis[4] = {engine.MultiParameterIndex(0), engine.MultiParameterIndex(1), engine.MultiParameterIndex(2),
                               engine.MultiParameterIndex(3)};
    const bool inUse[4] = {true, false, true, true};
    table().controllers[0].controller = 11;
    Slot(2, kGain, 5);
    table().ApplyDefaultAssignments(multis, inUse, 4);
    const auto& slots = table().controllers;
    EXPECT_TRUE(slots[0].enabled);
    EXPECT_EQ(slots[0].parameter, multis[0]);
    EXPECT_EQ(slots[0].controller, 11);  // keeps its controller
    EXPECT_EQ(slots[0].rangeMode, 4);
    EXPECT_EQ(slots[1].parameter, multis[2]);
    EXPECT_EQ(slots[1].controller, 21);
    EXPECT_EQ(slots[2].parameter, kGain);  // in use already: skipped
    EXPECT_EQ(slots[3].parameter, multis[3]);
    EXPECT_EQ(slots[3].controller, 23);
    EXPECT_DOUBLE_EQ(slots[3].maxValue, 1.0);
}

std::unique_ptr<YXMLItem> Stored(YAudioEffectPluginToAudioPluginAdapter& engine) {
    auto root = std::make_unique<YXMLItem>(YString("settings"));
    YStoreArchive archive(*root, false);
    engine.Store(archive);
    return root;
}

TEST_F(MIDIControllers, StoredTablesComeBackAndMissingSlotsAreDisabled) {
    Controllers::Controller& slot = Slot(3, kFourth, 74, 5);
    slot.invert = true;
    slot.range = 0.5;
    Note(7, engine.MultiParameterIndex(2), Controllers::kSwitch, 61);
    table().presetTrigger = {true, 130, 0};
    auto root = Stored(engine);
    EXPECT_EQ(root->GetAttribute("ControllersEnabled"), YString("1"));
    const YXMLItem& stored = *root->FindSubItem("Controllers")->FindSubItem("Controller3");
    EXPECT_EQ(root->FindSubItem("Controllers")->GetSubItemCount(), 1u);
    EXPECT_EQ(stored.GetAttribute("ParameterName"), YString("fourth"));
    EXPECT_EQ(stored.GetAttribute("FullRange"), YString("4"));
    EXPECT_EQ(stored.FindAttribute("Value"), nullptr);
    const YXMLItem& note = *root->FindSubItem("NoteControllers")->FindSubItem("NoteController7");
    EXPECT_EQ(note.GetAttribute("Mode"), YString("Switch"));
    EXPECT_EQ(note.GetAttribute("ParameterName"), YString("MultiParameter 3"));
    EXPECT_EQ(root->FindSubItem("PreviousNextPresetController")->GetAttribute("Controller"), YString("130"));

    YAudioEffectPluginToAudioPluginAdapter other;
    other.Initialize("Test", "Maker", &PassThroughEffectFactory, 500, 100);
    other.MIDIControllers().controllers[0].enabled = true;
    YStoreArchive load(*root, true);
    other.Store(load);
    const Controllers& loaded = other.MIDIControllers();
    EXPECT_TRUE(loaded.controllersEnabled);
    EXPECT_FALSE(loaded.controllers[0].enabled);
    EXPECT_TRUE(loaded.controllers[3].enabled);
    EXPECT_EQ(loaded.controllers[3].parameter, kFourth);
    EXPECT_EQ(loaded.controllers[3].channel, 5);
    EXPECT_TRUE(loaded.controllers[3].invert);
    EXPECT_DOUBLE_EQ(loaded.controllers[3].range, 0.5);
    EXPECT_EQ(loaded.noteControllers[7].parameter, engine.MultiParameterIndex(2));
    EXPECT_EQ(loaded.noteControllers[7].note, 61);
    EXPECT_TRUE(loaded.presetTrigger.enabled);
    EXPECT_EQ(loaded.presetTrigger.controller, 130);

    // The older switch wins over "Mode"; an instance without tables stores none of the switches.
    root->FindSubItem("NoteControllers")->FindSubItem("NoteController7")->SetAttribute("Logarithmic", "0");
    YStoreArchive again(*root, true);
    other.Store(again);
    EXPECT_EQ(other.MIDIControllers().noteControllers[7].mode, Controllers::kLinear);
    YAudioEffectPluginToAudioPluginAdapter fresh;
    fresh.Initialize("Test", "Maker", &PassThroughEffectFactory, 500, 100);
    auto plain = Stored(fresh);
    for (const char* absent : {"ControllersEnabled", "NoteControllersEnabled"})
        EXPECT_EQ(plain->FindAttribute(YString::FromUtf8(absent)), nullptr) << absent;
    EXPECT_EQ(plain->FindSubItem("PreviousNextPresetController"), nullptr);
}

}  // namespace
