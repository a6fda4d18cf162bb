// The VST 2.4 binding in-process, for what the whole-binary tests in tests/host cannot
// reach: pin layouts of other plug-ins, the transport as the plug-in sees it, speaker
// arrangements, the event list, allocation and the latency diagnostic.
#include "host/plugin/TestPlugin.h"
#include "support/AllocationCounter.h"
#include "support/LockHeldElsewhere.h"

#include "foundation/YException.h"
#include "shell/vst2/YAudioPluginVSTAdapter.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

using namespace Vst2;

namespace {

// A VST 2.4 host as the binding sees it through its callback: answers the version and
// time queries, records what the plug-in sends. It keeps counts and the last list
// only, so that it allocates nothing while the plug-in processes.
class FakeHost {
public:
    VstInt32 version = 2400;
    VstTimeInfo time{};
    int timeRequests = 0;
    VstInt32 lastTimeRequest = 0;
    int midiLists = 0;
    std::vector<VstMidiEvent> lastMidiList;
    int wantMidi = 0;
    std::vector<std::pair<VstInt32, VstInt32>> edits;  // gesture and automation opcodes with their index

    // The host of the test running; the binding calls before its AEffect exists.
    static inline FakeHost* current = nullptr;
    static VstIntPtr VSTCALLBACK Callback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float) {
        return current->Answer(opcode, index, value, ptr);
    }

    VstIntPtr Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr) {
        switch (opcode) {
            case audioMasterAutomate:
            case audioMasterBeginEdit:
            case audioMasterEndEdit: edits.emplace_back(opcode, index); return 1;
            case audioMasterVersion: return version;
            case audioMasterGetTime:
                ++timeRequests;
                lastTimeRequest = static_cast<VstInt32>(value);
                return reinterpret_cast<VstIntPtr>(&time);
            case audioMasterProcessEvents: {
                auto* list = static_cast<VstEvents*>(ptr);
                ++midiLists;
                lastMidiList.clear();
                for (VstInt32 i = 0; i < list->numEvents; ++i) lastMidiList.push_back(*reinterpret_cast<VstMidiEvent*>(list->events[i]));
                return 1;
            }
            case audioMasterWantMidi: ++wantMidi; return 1;
            default: return 0;
        }
    }
};

VstMidiEvent Midi(int status, int data1, int data2) {
    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = sizeof event;
    event.midiData[0] = static_cast<char>(status);
    event.midiData[1] = static_cast<char>(data1);
    event.midiData[2] = static_cast<char>(data2);
    return event;
}

// A host's event list around the given events (two at most).
VstEvents List(std::initializer_list<VstMidiEvent*> events) {
    VstEvents list{};
    for (VstMidiEvent* event : events) list.events[list.numEvents++] = reinterpret_cast<VstEvent*>(event);
    return list;
}

// A binding around the test plug-in (pins as set up by pins), made with a fake host.
class Vst2Binding : public ::testing::Test {
protected:
    void Make(const std::function<void(YAudioPlugin&)>& pins = nullptr) {
        plugin = static_cast<TestAudioEffectPlugin*>(MakeTestAudioPlugin(&TestProbeEffectFactory));
        if (pins) pins(*plugin);
        FakeHost::current = &host;
        adapter = new YAudioPluginVSTAdapter(&FakeHost::Callback, plugin);
        effect = adapter->getAeffect();
    }
    void TearDown() override {
        if (effect) effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }
    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr) {
        return effect->dispatcher(effect, opcode, index, value, ptr, 0.0f);
    }
    void Run(int frames, float level = 1.0f) {
        buffers.assign(8, std::vector<float>(static_cast<std::size_t>(frames), level));
        for (std::size_t c = 0; c < 8; ++c) table[c] = buffers[c].data();
        effect->processReplacing(effect, table.data(), table.data() + 4, frames);
    }
    VstIntPtr Arrange(int inputs, int outputs) {
        VstSpeakerArrangement in{}, out{};
        in.numChannels = inputs;
        out.numChannels = outputs;
        return Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out);
    }

    FakeHost host;
    TestAudioEffectPlugin* plugin = nullptr;
    YAudioPluginVSTAdapter* adapter = nullptr;
    AEffect* effect = nullptr;
    std::vector<std::vector<float>> buffers;
    std::array<float*, 8> table{};
};

TEST_F(Vst2Binding, PinsFollowThePluginAndTheHostVersion) {
    Make([](YAudioPlugin& p) { p.SetupPins(1, true); });  // surround for a modern host
    EXPECT_EQ(effect->numInputs, 8);
    EXPECT_EQ(effect->numOutputs, 8);
    VstPinProperties pin{};
    ASSERT_EQ(Dispatch(effGetOutputProperties, 7, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Out 7");
    EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinUseSpeaker);
    EXPECT_EQ(pin.arrangementType, 25);
    EXPECT_EQ(Dispatch(effGetOutputProperties, 8, 0, &pin), 0);
}

TEST_F(Vst2Binding, AHostBefore2300GetsStereoAtMost) {
    host.version = 2200;
    Make([](YAudioPlugin& p) { p.SetupPins(1, true); });
    EXPECT_EQ(effect->numInputs, 2);
    EXPECT_EQ(effect->numOutputs, 2);
    EXPECT_EQ(plugin->ChannelsPerBus(), 2);
    VstPinProperties pin{};
    ASSERT_EQ(Dispatch(effGetInputProperties, 1, 0, &pin), 1);
    EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
    EXPECT_EQ(pin.arrangementType, kSpeakerArrStereo);
}

TEST_F(Vst2Binding, ASynthInAHostWithoutVersionStillGetsTwoInputs) {
    host.version = 0;  // counts as 1
    Make([](YAudioPlugin& p) { p.TruncatePins(0, 2, 2); });  // no inputs: an instrument
    EXPECT_EQ(effect->numInputs, 2);
    EXPECT_TRUE(effect->flags & effFlagsIsSynth);
    EXPECT_EQ(Dispatch(effGetPlugCategory), kPlugCategSynth);
    EXPECT_GE(host.wantMidi, 1);
}

TEST_F(Vst2Binding, ASideChainPluginGetsItsBusesInTablesOfEight) {
    Make([](YAudioPlugin& p) { p.SetupPins(2, false); });  // main and side chain, stereo
    ASSERT_EQ(effect->numInputs, 4);
    plugin->SetParameter(PassThroughEffect::kGain, 0.5);  // gain 0.5 on the squared curve
    Run(64);  // settles the gain
    std::vector<float> inputs[4] = {std::vector<float>(64, 0.125f), std::vector<float>(64, 0.25f),
                                    std::vector<float>(64, 0.375f), std::vector<float>(64, 0.5f)};
    float* in[4] = {inputs[0].data(), inputs[1].data(), inputs[2].data(), inputs[3].data()};
    effect->processReplacing(effect, in, table.data(), 64);
    EXPECT_NEAR(buffers[0][63], 0.125f * 0.5f, 1e-6f);  // the main bus, not the side chain
    EXPECT_NEAR(buffers[1][63], 0.25f * 0.5f, 1e-6f);
}

TEST_F(Vst2Binding, SpeakerArrangementsChooseTheChannels) {
    Make();
    EXPECT_EQ(Arrange(3, 3), 0);  // more than the pins
    ASSERT_EQ(Arrange(1, 2), 1);
    EXPECT_EQ(plugin->GetNumInputChannels(), 1);
    EXPECT_EQ(plugin->GetNumOutputChannels(), 2);
    ASSERT_EQ(Arrange(2, 0), 1);
    EXPECT_EQ(plugin->GetNumOutputChannels(), 1);  // at least one output
    VstSpeakerArrangement stereo{};
    VstSpeakerArrangement *inputs = &stereo, *outputs = &stereo;
    EXPECT_EQ(Dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&inputs), &outputs), 0);
    EXPECT_EQ(inputs, nullptr);
    EXPECT_EQ(outputs, nullptr);

    // Eight pins allow three channels; on buses of two the plug-in takes two.
    plugin->SetupPins(1, true);
    plugin->TruncatePins(8, 8, 2);
    ASSERT_EQ(Arrange(3, 3), 1);
    EXPECT_EQ(plugin->GetNumOutputChannels(), 2);
    EXPECT_EQ(plugin->GetNumInputChannels(), 2);
}

TEST_F(Vst2Binding, TheTransportFollowsTheHost) {
    Make();
    // The bar start is rounded to the beat unit.
    host.time.flags = kVstPpqPosValid | kVstTempoValid;
    host.time.timeSigNumerator = 3;
    const struct {
        double barStart;
        int denominator;
        double expected;
    } bars[] = {{2.5, 4, 3.0}, {2.49, 4, 2.0}, {3.26, 8, 3.5}, {3.24, 8, 3.0}, {5.1, 16, 5.0}, {1.0, 2, 1.0}};
    for (const auto& c : bars) {
        host.time.barStartPos = c.barStart;
        host.time.timeSigDenominator = c.denominator;
        Run(16);
        EXPECT_DOUBLE_EQ(plugin->transport.barStart, c.expected) << c.barStart << " in /" << c.denominator;
        EXPECT_EQ(plugin->transport.timeSigNumerator, 3);
    }
    EXPECT_EQ(host.lastTimeRequest, YAudioPluginVSTAdapter::kBlockTimeRequest);

    // A start far from the last position is a jump, not a start; then a loop; an
    // empty cycle is none; a jump of more than two quarters while playing; a stop.
    host.time = {};
    host.time.tempo = 140.0;
    host.time.cycleStartPos = 4.0;
    const struct {
        VstInt32 flags;
        double ppq, cycleEnd;
        bool playing, changed, jumped;
        double loopStart, loopEnd;
    } steps[] = {{kVstTransportPlaying, 64.0, 0.0, false, false, true, -1.0, -1.0},
                 {kVstTransportPlaying, 64.1, 8.0, true, true, false, 4.0, 8.0},
                 {kVstTransportPlaying, 12.0, 4.0, true, false, true, -1.0, -1.0},
                 {0, 12.0, 4.0, false, true, false, -1.0, -1.0}};
    for (const auto& step : steps) {
        host.time.flags = step.flags;
        host.time.ppqPos = step.ppq;
        host.time.cycleEndPos = step.cycleEnd;
        Run(32);
        const HostTransport& t = plugin->transport;
        EXPECT_EQ(t.playing, step.playing) << step.ppq;
        EXPECT_EQ(t.playingChanged, step.changed) << step.ppq;
        EXPECT_EQ(t.transportJumped, step.jumped) << step.ppq;
        EXPECT_DOUBLE_EQ(t.loopStart, step.loopStart) << step.ppq;
        EXPECT_DOUBLE_EQ(t.loopEnd, step.loopEnd) << step.ppq;
        EXPECT_DOUBLE_EQ(t.tempo, 140.0);
    }
}

TEST_F(Vst2Binding, TheHostIsAskedForTimeOnlyWhenNeeded) {
    Make();
    VstEvents empty{};
    EXPECT_EQ(Dispatch(effProcessEvents, 0, 0, &empty), 1);
    EXPECT_EQ(host.timeRequests, 0);  // events ask for their time only when there are any

    host.time.ppqPos = 7.0;
    host.time.tempo = 90.0;
    VstMidiEvent note = Midi(0x90, 60, 100);
    VstEvents list = List({&note});
    EXPECT_EQ(Dispatch(effProcessEvents, 0, 0, &list), 1);
    ASSERT_EQ(host.timeRequests, 1);
    EXPECT_EQ(host.lastTimeRequest, YAudioPluginVSTAdapter::kEventTimeRequest);
    EXPECT_DOUBLE_EQ(plugin->transport.ppqPosition, 7.0);
    EXPECT_EQ(plugin->held[0][60], 1);

    // Queued MIDI reaches the plug-in before the next block.
    adapter->QueueMIDIInput(0, 0x91, 72, 127);
    EXPECT_EQ(plugin->held[1][72], 0);
    plugin->needsHostSync = false;  // and without host sync the host is not asked
    plugin->transport.timeInfoValid = 0;
    Run(16);
    EXPECT_EQ(plugin->held[1][72], 1);
    EXPECT_EQ(host.timeRequests, 1);
    EXPECT_TRUE(plugin->transport.timeInfoValid);
    EXPECT_TRUE(plugin->transport.tempoValid);
}

TEST_F(Vst2Binding, MIDIOutputGoesOutAsOneListPerBlock) {
    Make();
    for (int i = 0; i < 100; ++i) adapter->GenerateMIDIEvent(i, 0x90, static_cast<uint8_t>(i), 64);
    {
        // A block dropped by a busy parameterLock ends the call: the output waits.
        LockHeldElsewhere loader(plugin->parameterLock);
        Run(128);
        EXPECT_EQ(host.midiLists, 0);
    }
    Run(128);
    ASSERT_EQ(host.midiLists, 1);
    ASSERT_EQ(host.lastMidiList.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(host.lastMidiList[static_cast<std::size_t>(i)].deltaFrames, i);
    Run(128);
    EXPECT_EQ(host.midiLists, 1);  // nothing new, no list
}

TEST_F(Vst2Binding, SteadyProcessingWithMIDIAllocatesNothing) {
    Make();
    host.lastMidiList.reserve(16);
    host.time.flags = kVstTransportPlaying;
    auto block = [&] {
        VstMidiEvent notes[2] = {Midi(0x90, 64, 90), Midi(0x80, 64, 90)};
        VstEvents list = List({&notes[0], &notes[1]});
        Dispatch(effProcessEvents, 0, 0, &list);
        adapter->QueueMIDIInput(3, 0xB0, 1, 20);
        effect->processReplacing(effect, table.data(), table.data() + 4, 256);
        host.time.ppqPos += 0.1;
    };
    Run(256);
    for (int warm = 0; warm < 4; ++warm) block();
    AllocationWindow window;
    for (int i = 0; i < 100; ++i) block();
    EXPECT_EQ(window.Count(), 0u);
    EXPECT_EQ(host.lastMidiList.size(), 2u);  // the echoed notes
}

TEST_F(Vst2Binding, EditorGesturesFrameTheAutomation) {
    Make();
    plugin->BeginEdit(PassThroughEffect::kFourth);
    plugin->SetParameter(PassThroughEffect::kFourth, 0.25);
    plugin->Parameter(PassThroughEffect::kFourth)->SendAutomation(0);
    plugin->EndEdit(PassThroughEffect::kFourth);
    plugin->BeginEdit(plugin->GetParameterCount());  // no such parameter: the host hears nothing
    const VstInt32 index = PassThroughEffect::kFourth;
    EXPECT_EQ(host.edits, (std::vector<std::pair<VstInt32, VstInt32>>{
                              {audioMasterBeginEdit, index}, {audioMasterAutomate, index}, {audioMasterEndEdit, index}}));
}

TEST_F(Vst2Binding, LatencyIsReportedWithItsDiagnostic) {
    static std::vector<std::string> texts;
    texts.clear();
    YSystemExceptionSink previous = SetSystemExceptionSink([](const YString& text) { texts.push_back(text.ToUtf8()); });
    Make();
    plugin->UpdateUpsamplingFactor(2, true);
    SetSystemExceptionSink(previous);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front(), "Latency: 0");
    EXPECT_EQ(texts.back(), "Latency: 3072");
}

}  // namespace
