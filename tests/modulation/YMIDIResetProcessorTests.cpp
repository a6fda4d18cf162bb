#include "modulation/YMIDIResetProcessor.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Counts resets instead of moving a phase.
class CountingReset : public YMIDIResetProcessor {
public:
    int resets = 0;

protected:
    void ResetAction() noexcept override { ++resets; }
};

class Recorder : public YMIDIProcessorBase {
public:
    std::vector<YNoteEvent> notes;
    void ProcessNote(const YNoteEvent& note) override { notes.push_back(note); }
};

YNoteEvent Note(bool on, int channel = 0, int key = 60, double velocity = 0.5, int held = 1) {
    YNoteEvent note;
    note.on = on;
    note.channel = static_cast<uint8_t>(channel);
    note.key = static_cast<int8_t>(key);
    note.velocity = velocity;
    note.heldCount = held;
    return note;
}

// Whether one event resets.
bool Resets(CountingReset& reset, const YNoteEvent& note) {
    const int before = reset.resets;
    reset.ProcessNote(note);
    return reset.resets > before;
}

TEST(YMIDIResetProcessor, DefaultsDoNothingUntilEnabled) {
    CountingReset reset;
    EXPECT_FALSE(Resets(reset, Note(true)));
    reset.enabled = true;
    for (int channel : {0, 9, 15})
        for (int key : {0, 64, 127})
            for (double velocity : {0.0, 0.5, 1.0})
                EXPECT_TRUE(Resets(reset, Note(true, channel, key, velocity, 5))) << channel << " " << key;
    EXPECT_FALSE(Resets(reset, Note(false, 0, 60, 0.5, 0)));
}

TEST(YMIDIResetProcessor, OnlyTheFirstNoteOn) {
    CountingReset reset;
    reset.enabled = true;
    reset.noteOnOnlyFirst = true;
    EXPECT_FALSE(Resets(reset, Note(true, 0, 60, 0.5, 2)));
    EXPECT_TRUE(Resets(reset, Note(true, 0, 60, 0.5, 1)));
    EXPECT_TRUE(Resets(reset, Note(true, 0, 60, 0.5, 0)));
}

TEST(YMIDIResetProcessor, OnlyTheLastNoteOff) {
    CountingReset reset;
    reset.enabled = true;
    reset.noteOff = true;
    EXPECT_TRUE(Resets(reset, Note(false, 0, 60, 0.5, 3)));
    reset.noteOffOnlyLast = true;
    EXPECT_FALSE(Resets(reset, Note(false, 0, 60, 0.5, 1)));
    EXPECT_TRUE(Resets(reset, Note(false, 0, 60, 0.5, 0)));
    reset.noteOn = false;
    EXPECT_FALSE(Resets(reset, Note(true, 0, 60, 0.5, 1)));
}

TEST(YMIDIResetProcessor, NoteRangeAndChannel) {
    CountingReset reset;
    reset.enabled = true;
    reset.minNote = 40;
    reset.maxNote = 50;
    EXPECT_FALSE(Resets(reset, Note(true, 0, 39)));
    EXPECT_TRUE(Resets(reset, Note(true, 0, 40)));
    EXPECT_TRUE(Resets(reset, Note(true, 0, 50)));
    EXPECT_FALSE(Resets(reset, Note(true, 0, 51)));
    reset.channel = 1;  // the first MIDI channel, 0-based 0
    EXPECT_TRUE(Resets(reset, Note(true, 0, 45)));
    EXPECT_FALSE(Resets(reset, Note(true, 1, 45)));
    reset.channel = 16;
    EXPECT_TRUE(Resets(reset, Note(true, 15, 45)));
    EXPECT_FALSE(Resets(reset, Note(true, 0, 45)));
}

TEST(YMIDIResetProcessor, VelocityBoundsAreInclusive) {
    CountingReset reset;
    reset.enabled = true;
    reset.minVelocity = 0.3;
    reset.maxVelocity = 0.7;
    EXPECT_TRUE(Resets(reset, Note(true, 0, 60, 0.3)));
    EXPECT_TRUE(Resets(reset, Note(true, 0, 60, 0.7)));
    EXPECT_FALSE(Resets(reset, Note(true, 0, 60, 0.2999999)));
    EXPECT_FALSE(Resets(reset, Note(true, 0, 60, 0.7000001)));
}

TEST(YMIDIResetProcessor, ChildrenHearEveryNoteWhateverTheFilters) {
    CountingReset reset;
    Recorder child, deaf;
    reset.AddChild(&child);
    reset.AddChild(&deaf);
    deaf.SetChannelMask(0);
    reset.ProcessNote(Note(true, 3, 70));
    reset.enabled = true;
    reset.channel = 2;
    reset.ProcessNote(Note(false, 3, 71));
    ASSERT_EQ(child.notes.size(), 2u);
    EXPECT_EQ(child.notes[1].key, 71);
    EXPECT_TRUE(deaf.notes.empty());
    EXPECT_EQ(reset.resets, 0);
}

}  // namespace
