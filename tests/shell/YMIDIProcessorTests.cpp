#include "RoadTestPlugin.h"

#include "support/RecordingBinding.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

// A child processor that writes down what reaches it.
class Recorder : public YMIDIProcessorBase {
public:
    std::vector<YNoteEvent> notes;
    std::vector<std::string> events;

    void ProcessNote(const YNoteEvent& note) override { notes.push_back(note); }
    void ProcessAllNotesOff(int32_t, double) override { events.push_back("all notes off"); }
    void ProcessMonoModeOn(int32_t, double, int32_t channel) override { events.push_back("mono " + std::to_string(channel)); }
    void ProcessPressure(int32_t, double, int32_t, int32_t key, double value) override {
        events.push_back("pressure " + std::to_string(key) + " " + std::to_string(value));
    }
    void ProcessProgramChange(int32_t, double, int32_t, int32_t program) override {
        events.push_back("program " + std::to_string(program));
    }
    void ProcessVolume(int32_t, double, int32_t, double value) override { events.push_back("volume " + std::to_string(value)); }
    void ProcessPan(int32_t, double, int32_t, double value) override { events.push_back("pan " + std::to_string(value)); }
    void ProcessPitchBend(int32_t, double, int32_t, double value) override { bend = value; }
    bool ProcessMIDIController(int32_t, double, int32_t, int32_t controller, double) override {
        events.push_back("controller " + std::to_string(controller));
        return controller == 1;
    }
    double bend = 0.0;
};

class MIDIDecoding : public ::testing::Test {
protected:
    void SetUp() override { plugin.AddChild(&child); }
    RoadTestPlugin plugin;
    Recorder child;
};

TEST_F(MIDIDecoding, NotesVelocitiesAndTimes) {
    plugin.transport.tempo = 120.0;
    plugin.transport.ppqPosition = 8.0;
    plugin.SetSampleRate(48000.0);
    EXPECT_TRUE(plugin.ProcessMIDIEvent(0, 0x91, 60, 1));
    EXPECT_TRUE(plugin.ProcessMIDIEvent(25, 0x91, 62, 127));
    EXPECT_TRUE(plugin.ProcessMIDIEvent(3, 0x91, 60, 0));  // velocity 0: a note-off
    EXPECT_TRUE(plugin.ProcessMIDIEvent(0, 0x81, 62, 64));
    ASSERT_EQ(child.notes.size(), 4u);
    const std::pair<bool, int> onAndHeld[] = {{true, 1}, {true, 2}, {false, 1}, {false, 0}};
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(std::make_pair(child.notes[i].on, child.notes[i].heldCount), onAndHeld[i]) << i;
    EXPECT_EQ(child.notes[0].channel, 1);
    EXPECT_DOUBLE_EQ(child.notes[0].velocity, 0.0);
    EXPECT_DOUBLE_EQ(child.notes[0].time, 8.0);
    EXPECT_DOUBLE_EQ(child.notes[1].velocity, 126.0 / 127.0);
    EXPECT_EQ(child.notes[1].offset, 24);  // the offset counts from one less
    EXPECT_DOUBLE_EQ(child.notes[1].time, 8.0 + 24 * 120.0 / (48000.0 * 60.0));
}

TEST_F(MIDIDecoding, ChannelMessages) {
    plugin.ProcessMIDIEvent(0, 0xE0, 0x00, 0x40);
    EXPECT_DOUBLE_EQ(child.bend, 8192.0 / 8191.5 - 1.0);  // the centre lies just above 0
    plugin.ProcessMIDIEvent(0, 0xE0, 0x00, 0x00);
    EXPECT_DOUBLE_EQ(child.bend, -1.0);
    plugin.ProcessMIDIEvent(0, 0xE0, 0x7F, 0x7F);
    EXPECT_DOUBLE_EQ(child.bend, 16383.0 / 8191.5 - 1.0);
    plugin.ProcessMIDIEvent(0, 0xA0, 60, 127);
    plugin.ProcessMIDIEvent(0, 0xD0, 64, 0);
    plugin.ProcessMIDIEvent(0, 0xC0, 5, 0);
    EXPECT_FALSE(plugin.ProcessMIDIEvent(0, 0xF8, 0, 0));  // system messages are not handled
    EXPECT_EQ(child.events, (std::vector<std::string>{"pressure 60 1.000000", "pressure 255 0.503937", "program 5"}));
}

TEST_F(MIDIDecoding, ControllerRules) {
    EXPECT_TRUE(plugin.ProcessMIDIEvent(0, 0xB0, 7, 127));
    EXPECT_TRUE(plugin.ProcessMIDIEvent(0, 0xB0, 10, 0));
    EXPECT_TRUE(plugin.ProcessMIDIEvent(0, 0xB0, 123, 0));
    EXPECT_TRUE(plugin.ProcessMIDIEvent(0, 0xB2, 126, 0));
    EXPECT_TRUE(plugin.ProcessMIDIEvent(0, 0xB0, 1, 5));    // handled by the child
    EXPECT_FALSE(plugin.ProcessMIDIEvent(0, 0xB0, 2, 5));   // nobody handles it
    EXPECT_EQ(child.events, (std::vector<std::string>{"controller 7", "volume 1.000000", "controller 10", "pan -1.000000",
                                                      "controller 123", "all notes off", "controller 126", "mono 2",
                                                      "all notes off", "controller 1", "controller 2"}));
    EXPECT_DOUBLE_EQ(plugin.LastVolume(), 1.0);
    EXPECT_DOUBLE_EQ(plugin.LastPan(), -1.0);
}

TEST_F(MIDIDecoding, SustainReleaseSendsOneNoteOffPerHeldNote) {
    for (int i = 0; i < 3; ++i) plugin.ProcessMIDIEvent(0, 0x90, 60, 100);
    plugin.ProcessMIDIEvent(0, 0x90, 64, 100);
    plugin.ProcessMIDIEvent(0, 0xB0, 64, 127);  // pedal down
    for (int i = 0; i < 3; ++i) plugin.ProcessMIDIEvent(0, 0x80, 60, 0);
    EXPECT_EQ(child.notes.size(), 4u);  // the note-offs wait for the pedal
    plugin.ProcessMIDIEvent(0, 0xB0, 64, 0);  // pedal up
    ASSERT_EQ(child.notes.size(), 8u);
    std::multiset<int> released;
    for (std::size_t i = 4; i < 8; ++i) {
        EXPECT_FALSE(child.notes[i].on);
        EXPECT_DOUBLE_EQ(child.notes[i].velocity, 0.0);
        released.insert(child.notes[i].key);
    }
    EXPECT_EQ(released, (std::multiset<int>{60, 60, 60, 64}));
    EXPECT_EQ(child.notes.back().heldCount, 0);
    EXPECT_EQ(plugin.channelHeld[0], 0);
    plugin.ProcessMIDIEvent(0, 0xB0, 64, 0);  // a second release sends nothing
    EXPECT_EQ(child.notes.size(), 8u);
}

TEST_F(MIDIDecoding, ChildrenListenByChannelMaskAndEnableSwitch) {
    Recorder second;
    uint8_t enabled = 0;
    second.SetChannelMask(1u << 3);
    second.SetEnableSwitch(&enabled);
    plugin.AddChild(&second);
    plugin.ProcessMIDIEvent(0, 0x93, 60, 100);
    EXPECT_TRUE(second.notes.empty());  // switched off
    enabled = 1;
    plugin.ProcessMIDIEvent(0, 0x93, 61, 100);
    plugin.ProcessMIDIEvent(0, 0x94, 62, 100);  // channel 4 is not in the mask
    ASSERT_EQ(second.notes.size(), 1u);
    EXPECT_EQ(second.notes[0].key, 61);
    EXPECT_EQ(child.notes.size(), 3u);
    plugin.RemoveChild(&second);
}


TEST(MIDIGeneration, NoteEventsBecomeMessagesForTheBinding) {
    RoadTestPlugin plugin;
    RecordingBinding binding;
    plugin.GenerateNoteEvent(5, 2, 60, 0.5, true);  // no binding yet: dropped
    plugin.SetAdapter(&binding);
    plugin.GenerateNoteEvent(5, 2, 60, 0.5, true);
    plugin.GenerateNoteEvent(9, 15, 61, 1.0, false);
    ASSERT_EQ(binding.midi.size(), 2u);
    EXPECT_EQ(binding.midi[0], (std::array<int, 4>{5, 0x92, 60, 63}));
    EXPECT_EQ(binding.midi[1], (std::array<int, 4>{9, 0x8F, 61, 127}));
}

}  // namespace
