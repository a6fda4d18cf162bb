// One instance of the product under every kind of concurrent use a host and a user
// produce at once, for a fixed amount of work. Its real value is in the thread
// sanitizer build, which reports any data race it meets; everywhere it also checks
// that nothing deadlocks, every block is finite and the last saved state survives.
#include "VortalisInstance.h"
#include "engine/YYorvaneAudioEffectPlugin.h"
#include "phaser/VortalisAudioEffectPlugin.h"
#include "shell/YStateChunk.h"
#include "support/PresetFiles.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using P = VortalisAudioEffectPlugin;

constexpr int32_t kFrames = 64;
constexpr int kAudioBlocks = 3000;     // at least; the audio goes on until the others are done
constexpr int kAutomationSweeps = 400;  // every parameter once per sweep
constexpr int kUserRounds = 200;        // each round: state, programs, random, morph, presets

// A reproducible generator per thread, values in 0 .. 1.
struct Draw {
    uint32_t state;
    double operator()() {
        state = state * 1664525u + 1013904223u;
        return static_cast<double>(state >> 8) / 16777216.0;
    }
};

// Macros driving effect parameters, controller and note assignments, the preset
// trigger by controller, and a few presets to step through.
void Prepare(YYorvaneAudioEffectPlugin& plugin) {
    for (int m = 0; m < 4; ++m) {
        YMultiParameter& multi = plugin.MultiParameter(m);
        multi.enabled = true;
        multi.mode = m % 2 ? YMultiParameter::kNormal : YMultiParameter::kSwitch;
        multi.switchTime = 0.01;
        multi.targets.resize(2);
        multi.targets[0].enabled = multi.targets[1].enabled = true;
        multi.targets[0].parameter = m % 2 ? P::kDryWet : P::kFeedback;
        multi.targets[1].parameter = P::kRate;
    }
    YMIDIControllers& tables = plugin.MIDIControllers();
    tables.controllersEnabled = tables.noteControllersEnabled = true;
    for (int n = 0; n < 8; ++n) {
        YMIDIControllers::Controller& slot = tables.controllers[n];
        slot.enabled = true;
        slot.controller = 70 + n % 4;
        slot.parameter = n == 0 ? plugin.MultiParameterIndex(1) : n % P::kParameterCount;
        slot.rangeMode = n % 5;
        YMIDIControllers::NoteController& note = tables.noteControllers[n];
        note.enabled = true;
        note.mode = n % YMIDIControllers::kNoteModeCount;
        note.note = 48 + n;
        note.parameter = P::kMinFrequency;
    }
    tables.presetTrigger = {true, 75, 0};
    // The tables as a loaded state leaves them: each macro has put its targets where
    // its value says, each controller slot its parameter.
    const YByteBuffer prepared = YStateChunk::Save(plugin);
    YStateChunk::Load(plugin, prepared);
    for (int i = 0; i < 4; ++i) {
        plugin.SetParameter(P::kDryWet, 0.2 * i + 0.1);
        ASSERT_NE(plugin.Presets().SaveNew(YString::FromUtf8("Soak " + std::to_string(i)), nullptr), nullptr);
    }
}

std::string Bytes(const YByteBuffer& chunk) {
    return std::string(reinterpret_cast<const char*>(chunk.Data()), chunk.Size());
}

TEST(Soak, EveryKindOfUseAtOnceKeepsAudioFiniteAndTheStateWhole) {
    ScratchFolder scratch;
    PresetFiles files;
    auto plugin = MakeInstance();
    Prepare(*plugin);
    const int32_t parameterCount = plugin->GetParameterCount();

    std::atomic<int> working{2};
    std::atomic<int> nonFiniteBlocks{0};
    std::atomic<int> blocks{0};
    std::string lastSaved;

    // The audio thread: MIDI first, as a binding delivers it, then the block.
    std::thread audio([&] {
        std::vector<float> buffer(4 * kFrames);
        Draw draw{1};
        for (int block = 0; block < kAudioBlocks || working.load() > 0; ++block) {
            const auto value = static_cast<uint8_t>(block * 7 % 128);
            plugin->ProcessMIDIEvent(0, 0xB0, static_cast<uint8_t>(70 + block % 4), value);
            plugin->ProcessMIDIEvent(1, block % 2 ? 0x90 : 0x80, static_cast<uint8_t>(48 + block % 8), 100);
            if (block % 50 == 0) plugin->ProcessMIDIEvent(2, 0xB0, 75, block % 100 ? 127 : 0);
            if (block % 97 == 0) plugin->ProcessMIDIEvent(3, 0xD0, value, 0);
            for (int i = 0; i < 2 * kFrames; ++i) buffer[i] = static_cast<float>(draw() - 0.5);
            float* inputs[32] = {buffer.data(), buffer.data() + kFrames};
            float* outputs[32] = {buffer.data() + 2 * kFrames, buffer.data() + 3 * kFrames};
            plugin->ProcessAudio(inputs, outputs, kFrames, true);
            for (int i = 2 * kFrames; i < 4 * kFrames; ++i)
                if (!std::isfinite(buffer[i])) {
                    ++nonFiniteBlocks;
                    break;
                }
            ++blocks;
        }
    });

    // The host automates every parameter, the macros and preset triggers included.
    std::thread automation([&] {
        Draw draw{2};
        for (int sweep = 0; sweep < kAutomationSweeps; ++sweep) {
            for (int32_t index = 0; index < parameterCount; ++index) plugin->SetParameter(index, draw());
            if (sweep % 10 == 0) plugin->RequestPresetStep(sweep % 20 ? 1 : -1);
            std::this_thread::yield();
        }
        --working;
    });

    // The user (and the host's state calls) on the user-interface thread.
    std::thread user([&] {
        Draw draw{3};
        for (int round = 0; round < kUserRounds; ++round) {
            lastSaved = Bytes(YStateChunk::Save(*plugin));
            plugin->SelectProgram(round % YYorvaneAudioEffectPlugin::kProgramCount);
            plugin->GenerateRandomSettings(round % 3 ? 0.3 : 1.0);
            plugin->SelectPreviousProgram();
            plugin->OnPresetMorph([round](const YString&) { return round % 2 == 0; });
            for (int step = 0; step < 5; ++step) plugin->MorphPrograms(draw(), draw());
            plugin->RequestPresetStep(round % 4 == 3 ? -1 : 1);
            if (round % 5 == 4) YStateChunk::Load(*plugin, lastSaved.data(), static_cast<uint32_t>(lastSaved.size()));
        }
        lastSaved = Bytes(YStateChunk::Save(*plugin));
        --working;
    });

    automation.join();
    user.join();
    audio.join();
    EXPECT_GE(blocks.load(), kAudioBlocks);
    EXPECT_EQ(nonFiniteBlocks.load(), 0);

    // The preset worker finishes the steps still asked for.
    const auto give = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (plugin->PendingPresetSteps() != 0 && std::chrono::steady_clock::now() < give)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(plugin->PendingPresetSteps(), 0);

    // What was under way when the threads stopped settles first: a macro ramps for a
    // few blocks after its value moves, and a state saved during the ramp holds the
    // target's passing value, which a load replaces by the macro's own.
    {
        std::vector<float> buffer(4 * kFrames, 0.0f);
        float* inputs[32] = {buffer.data(), buffer.data() + kFrames};
        float* outputs[32] = {buffer.data() + 2 * kFrames, buffer.data() + 3 * kFrames};
        for (int block = 0; block < 32; ++block) plugin->ProcessAudio(inputs, outputs, kFrames, true);
    }
    lastSaved = Bytes(YStateChunk::Save(*plugin));
    auto fresh = MakeInstance();
    YStateChunk::Load(*fresh, lastSaved.data(), static_cast<uint32_t>(lastSaved.size()));
    EXPECT_EQ(Bytes(YStateChunk::Save(*fresh)), lastSaved);
}

// Found by the soak: the declicker's glide after a shape change carries the LFO curve
// past 1, and a reversed range (minimum above maximum) then swept below 0 Hz, where
// the all-pass coefficient exceeds 1 and full feedback ran to infinity within a block.
TEST(Soak, AReversedRangeAtFullFeedbackStaysFiniteWhileTheLFOGlidesIn) {
    for (const double shapeMode : {0.0, 0.5}) {
        auto plugin = MakeInstance();
        const std::pair<int32_t, double> settings[] = {
            {P::kMinFrequency, 0.825}, {P::kMaxFrequency, 0.228}, {P::kRate, 1.0},          {P::kFeedback, 1.0},
            {P::kMode, 0.81},          {P::kShapeMode, shapeMode}, {P::kPhaseDifference, 0.41}, {P::kSaturation, 0.12}};
        for (const auto& [index, value] : settings) plugin->SetParameter(index, value);
        std::vector<float> buffer(4 * kFrames);
        Draw draw{1};
        int nonFinite = 0;
        for (int block = 0; block < 400; ++block) {
            for (int i = 0; i < 2 * kFrames; ++i) buffer[i] = static_cast<float>(draw() - 0.5);
            float* inputs[32] = {buffer.data(), buffer.data() + kFrames};
            float* outputs[32] = {buffer.data() + 2 * kFrames, buffer.data() + 3 * kFrames};
            plugin->ProcessAudio(inputs, outputs, kFrames, true);
            for (int i = 2 * kFrames; i < 4 * kFrames; ++i) nonFinite += std::isfinite(buffer[i]) ? 0 : 1;
        }
        EXPECT_EQ(nonFinite, 0) << "shape mode " << shapeMode;
    }
}

}  // namespace
