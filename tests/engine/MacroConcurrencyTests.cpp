#include "PassThroughEffect.h"

#include "engine/YAudioEffectPluginToAudioPluginAdapter.h"
#include "foundation/YXMLItem.h"
#include "support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

namespace {

constexpr int kGain = PassThroughEffect::kGain;
constexpr int kFourth = PassThroughEffect::kFourth;
constexpr int kCount = PassThroughEffect::kCount;

// An engine with all four multiparameters driving targets (two ramping modes among
// them) and all 32 controller slots and note controllers in use.
struct BusyEngine {
    YAudioEffectPluginToAudioPluginAdapter engine;

    BusyEngine() {
        engine.Initialize("Test", "Maker", &PassThroughEffectFactory, 500, 100);
        engine.SetSampleRate(48000.0);
        engine.SetChannels(2, 2);
        engine.InitProcessing();
        const int modes[4] = {YMultiParameter::kSwitch, YMultiParameter::kTrigger, YMultiParameter::kNormal,
                              YMultiParameter::kBanks};
        for (int m = 0; m < 4; ++m) {
            YMultiParameter& multi = engine.MultiParameter(m);
            multi.enabled = true;
            multi.mode = modes[m];
            multi.switchTime = 0.05;
            multi.targets.resize(2);
            multi.targets[0].enabled = multi.targets[1].enabled = true;
            multi.targets[0].parameter = m % 2 ? kGain : kFourth;
            multi.targets[1].parameter = kCount;
            multi.targets[1].shapeEnabled = true;
            multi.targets[0].banks = {0.1f, 0.9f, 0.4f, 0.6f};
        }
        YMIDIControllers& tables = engine.MIDIControllers();
        tables.controllersEnabled = tables.noteControllersEnabled = true;
        for (int n = 0; n < YMIDIControllers::kSlots; ++n) {
            YMIDIControllers::Controller& slot = tables.controllers[n];
            slot.enabled = true;
            slot.controller = n < 30 ? 70 + n % 4 : YMIDIControllers::kVelocity + n % 2;
            slot.parameter = n % 8 == 0 ? engine.MultiParameterIndex(n / 8) : (n % 2 ? kFourth : kGain);
            slot.rangeMode = n % 5;
            slot.value = 0.3;
            slot.maxValue = 0.8;
            YMIDIControllers::NoteController& note = tables.noteControllers[n];
            note.enabled = true;
            note.mode = n % YMIDIControllers::kNoteModeCount;
            note.note = 48 + n;
            note.parameter = kFourth;
        }
        tables.presetTrigger = {true, 73, 0};
    }

    // One block as a binding delivers it: MIDI first, then the audio. The macros
    // that ramp are switched every few blocks.
    void Block(int index, std::vector<float>& buffer, int frames) {
        engine.ProcessMIDIEvent(0, 0xB0, static_cast<uint8_t>(70 + index % 4), static_cast<uint8_t>(index * 7 % 128));
        engine.ProcessMIDIEvent(0, 0xB0, 73, static_cast<uint8_t>(index * 13 % 128));
        engine.ProcessMIDIEvent(0, index % 2 ? 0x90 : 0x80, static_cast<uint8_t>(48 + index % 40), 90);
        engine.ProcessMIDIEvent(0, 0xE0, 0, static_cast<uint8_t>(index % 128));
        engine.ProcessMIDIEvent(0, 0xD0, static_cast<uint8_t>(index % 128), 0);
        if (index % 5 == 0) engine.MultiParameter(0).SetValue(index % 10 == 0 ? 1.0 : 0.0);
        if (index % 7 == 0) engine.MultiParameter(1).SetValue(1.0);
        float* inputs[32] = {buffer.data(), buffer.data() + frames};
        float* outputs[32] = {buffer.data(), buffer.data() + frames};
        engine.ProcessAudio(inputs, outputs, frames, true);
    }
};

TEST(MacrosOnTheAudioThread, RampsAndControllersDoNotAllocate) {
    BusyEngine busy;
    std::vector<float> buffer(2 * 1024, 0.25f);
    for (int warm = 0; warm < 4; ++warm) busy.Block(warm, buffer, 1024);
    AllocationWindow window(true);  // the preset trigger's steps are loaded by a worker, which may
    for (int block = 0; block < 300; ++block) busy.Block(block, buffer, block % 3 ? 1024 : 333);
    EXPECT_EQ(window.Count(), 0u);
    EXPECT_TRUE(busy.engine.MultiParameter(0).Switching() || busy.engine.MultiParameter(1).Switching() ||
                busy.engine.MultiParameter(0).Position() > 0.0);
}

// The audio thread runs ramps and MIDI while a host thread automates the macros and
// the targets and an editor thread loads states: every block finishes with finite
// audio, and the tables end as the last state gave them.
TEST(MacrosOnTheAudioThread, RampsAndMIDIWhileOthersAutomateAndLoad) {
    BusyEngine busy;
    YAudioEffectPluginToAudioPluginAdapter& engine = busy.engine;
    auto state = std::make_unique<YXMLItem>(YString("settings"));
    {
        YStoreArchive archive(*state, false);
        engine.Store(archive);
    }
    std::atomic<bool> done{false};
    std::atomic<int> blocks{0}, broken{0};
    std::thread audio([&] {
        std::vector<float> buffer(2 * 512);
        for (int index = 0; !done; ++index) {
            std::fill(buffer.begin(), buffer.end(), 0.25f);
            busy.Block(index, buffer, 512);
            if (!std::all_of(buffer.begin(), buffer.end(), [](float v) { return std::isfinite(v); })) ++broken;
            ++blocks;
        }
    });
    std::thread host([&] {
        for (int i = 0; i < 3000; ++i) {
            engine.SetParameter(engine.MultiParameterIndex(i % 4), (i % 11) / 10.0);
            engine.SetParameter(kGain, (i % 13) / 12.0);
            (void)engine.GetParameterName(engine.MultiParameterIndex(i % 4));
            (void)engine.GetParameterValueName(engine.MultiParameterIndex(i % 4));
        }
    });
    for (int i = 0; i < 40; ++i) {
        YStoreArchive archive(*state, true);
        engine.Store(archive);
        std::this_thread::yield();
    }
    host.join();
    while (blocks < 50) std::this_thread::yield();
    done = true;
    audio.join();
    EXPECT_EQ(broken, 0);
    EXPECT_EQ(engine.MIDIControllers().controllers[31].controller, YMIDIControllers::kVelocity + 1);
    EXPECT_EQ(engine.MultiParameter(3).mode, YMultiParameter::kBanks);
    EXPECT_EQ(engine.MultiParameter(2).targets.size(), 2u);
}

}  // namespace
