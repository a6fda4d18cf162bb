#include "LfoTestEffect.h"

#include "engine/YAudioEffectPluginToAudioPluginAdapter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

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

YNoteEvent Note(bool on, int held = 1, int channel = 0, int key = 60, double velocity = 0.5) {
    return {.channel = static_cast<uint8_t>(channel), .key = static_cast<int8_t>(key), .velocity = velocity, .on = on,
            .heldCount = held};
}

bool Resets(CountingReset& reset, const YNoteEvent& note) {
    const int before = reset.resets;
    reset.ProcessNote(note);
    return reset.resets > before;
}

TEST(YMIDIResetProcessor, EnabledDefaultsResetOnEveryNoteOnOnly) {
    CountingReset reset;
    EXPECT_FALSE(Resets(reset, Note(true)));
    reset.enabled = true;
    for (int channel : {0, 15})
        for (int key : {0, 127})
            for (double velocity : {0.0, 1.0}) EXPECT_TRUE(Resets(reset, Note(true, 5, channel, key, velocity)));
    EXPECT_FALSE(Resets(reset, Note(false, 0)));
}

TEST(YMIDIResetProcessor, Filters) {
    CountingReset reset;
    reset.enabled = true;
    reset.noteOnOnlyFirst = true;  // by the held counts the events report
    EXPECT_FALSE(Resets(reset, Note(true, 2)));
    EXPECT_TRUE(Resets(reset, Note(true, 1)) && Resets(reset, Note(true, 0)));
    reset.noteOff = true;
    reset.noteOffOnlyLast = true;
    EXPECT_FALSE(Resets(reset, Note(false, 1)));
    EXPECT_TRUE(Resets(reset, Note(false, 0)));
    reset.minNote = 40;
    reset.maxNote = 50;
    EXPECT_FALSE(Resets(reset, Note(true, 1, 0, 39)));
    EXPECT_TRUE(Resets(reset, Note(true, 1, 0, 50)));
    reset.channel = 1;  // the first MIDI channel, 0-based 0
    EXPECT_TRUE(Resets(reset, Note(true, 1, 0, 45)));
    EXPECT_FALSE(Resets(reset, Note(true, 1, 1, 45)));
    reset.minVelocity = 0.3;
    reset.maxVelocity = 0.7;
    EXPECT_TRUE(Resets(reset, Note(true, 1, 0, 45, 0.3)) && Resets(reset, Note(true, 1, 0, 45, 0.7)));
    EXPECT_FALSE(Resets(reset, Note(true, 1, 0, 45, 0.2999999)) || Resets(reset, Note(true, 1, 0, 45, 0.7000001)));
}

TEST(YMIDIResetProcessor, ChildrenHearEveryNoteWhateverTheFilters) {
    CountingReset reset;
    Recorder child, deaf;
    reset.AddChild(&child);
    reset.AddChild(&deaf);
    deaf.SetChannelMask(0);
    reset.ProcessNote(Note(true, 1, 3));
    reset.enabled = true;
    reset.ProcessNote(Note(false, 0, 3));
    EXPECT_EQ(child.notes.size(), 2u);
    EXPECT_TRUE(deaf.notes.empty());
}

// ---- In the effect ---------------------------------------------------------------------

intptr_t LfoTestEffectFactory(void* effect, int64_t command, int64_t argument) {
    auto* object = effect ? static_cast<LfoTestEffect*>(effect) : new LfoTestEffect;
    if (command == kEffectCommandGetObject) return reinterpret_cast<intptr_t>(object);
    return object->Command(command, argument);
}

TEST(MIDIResetInTheEffect, AHostNoteStartsTheNextBlockAtTheResetPhase) {
    YAudioEffectPluginToAudioPluginAdapter engine;
    engine.Initialize("Test", "Maker", &LfoTestEffectFactory, 1, 1);
    engine.SetSampleRate(48000.0);
    engine.SetChannels(2, 2);
    engine.InitProcessing();
    EXPECT_TRUE(engine.receivesMIDI);
    auto* effect = static_cast<LfoTestEffect*>(engine.Effect());
    effect->SetPhase(0.5);
    effect->MIDIReset().enabled = true;
    effect->MIDIReset().phase = 0.25;
    engine.ProcessMIDIEvent(0, 0x90, 60, 100);
    EXPECT_EQ(effect->Phase(), 0.25);
    EXPECT_DOUBLE_EQ(effect->PhaseIncrement(), 1.0 / 24000.0);  // untouched
    effect->Shape().Changed();
    EXPECT_EQ(effect->Run(4)[0], static_cast<float>(effect->Shape().Lookup(0.25)));
}

TEST(MIDIResetInTheEffect, NotesAndEditsFromAnotherThreadKeepThePhaseInACycle) {
    YLock mutex;
    auto effect = std::make_unique<LfoTestEffect>();
    effect->AttachHost(nullptr, &mutex);
    effect->Prepare(2, 48000.0);
    std::atomic<bool> stop{false};
    std::thread other([&] {
        for (int i = 0; !stop.load(); ++i) {
            effect->MIDIReset().enabled = i % 10 < 5;
            effect->MIDIReset().phase = (i % 9) * 0.125 - 0.125;  // -0.125 wraps to 0.875
            effect->MIDIReset().ProcessNote(Note(true));
            effect->HostSynchronization().SetSynchronised(i % 3 == 0);
            effect->Definition(LfoTestEffect::kRate).Write(i % 2 == 0 ? 1.0 : -1.0);
        }
    });
    for (int block = 0; block < 2000; ++block) {
        effect->UpdateFromParameters();
        effect->Run(32, HostTransport{120.0, block * 0.05});
        const double phase = effect->Phase();
        ASSERT_TRUE(phase >= 0.0 && phase < 1.0) << block << " " << phase;
    }
    stop = true;
    other.join();
}

}  // namespace
