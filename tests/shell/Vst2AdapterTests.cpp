#include "host/plugin/TestPlugin.h"
#include "support/AllocationCounter.h"

#include "foundation/YException.h"
#include "shell/YStateChunk.h"
#include "shell/vst2/YAudioPluginVSTAdapter.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

using namespace Vst2;

namespace {

// A VST 2.4 host as the binding sees it through its callback: answers the version and
// time queries, records what the plug-in sends.
class FakeHost {
public:
    VstInt32 version = 2400;
    bool answerTime = true;
    VstTimeInfo time{};
    bool echo = false;
    float echoValue = 0.0f;
    // Counts and the last values only: the host must not allocate while the plug-in
    // processes, or the allocation test would count it.
    int timeRequests = 0;
    VstInt32 lastTimeRequest = 0;
    int midiLists = 0;
    std::vector<VstMidiEvent> lastMidiList;
    std::vector<std::pair<VstInt32, float>> automation;
    int ioChanged = 0;
    int wantMidi = 0;

    static VstIntPtr VSTCALLBACK Callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                          float opt) {
        FakeHost* host = effect && effect->user ? static_cast<FakeHost*>(effect->user) : current;
        return host ? host->Answer(effect, opcode, index, value, ptr, opt) : 0;
    }
    static inline FakeHost* current = nullptr;

    VstIntPtr Answer(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
        switch (opcode) {
            case audioMasterVersion: return version;
            case audioMasterGetTime:
                ++timeRequests;
                lastTimeRequest = static_cast<VstInt32>(value);
                return answerTime ? reinterpret_cast<VstIntPtr>(&time) : 0;
            case audioMasterProcessEvents: {
                auto* list = static_cast<VstEvents*>(ptr);
                ++midiLists;
                lastMidiList.clear();
                for (VstInt32 i = 0; i < list->numEvents; ++i)
                    lastMidiList.push_back(*reinterpret_cast<VstMidiEvent*>(list->events[i]));
                return 1;
            }
            case audioMasterAutomate:
                automation.emplace_back(index, opt);
                if (echo) effect->setParameter(effect, index, echoValue);
                return 1;
            case audioMasterIOChanged: ++ioChanged; return 1;
            case audioMasterWantMidi: ++wantMidi; return 1;
            default: return 0;
        }
    }
};

// A binding around the test plug-in, made with a fake host.
class Vst2Binding : public ::testing::Test {
protected:
    void Make(YAudioPlugin* made = nullptr) {
        plugin = static_cast<TestAudioEffectPlugin*>(made ? made : MakeTestAudioPlugin(&TestProbeEffectFactory));
        FakeHost::current = &host;
        adapter = new YAudioPluginVSTAdapter(&FakeHost::Callback, plugin);
        FakeHost::current = nullptr;
        effect = adapter->getAeffect();
        effect->user = &host;
    }
    void TearDown() override {
        if (effect) effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }
    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    void Run(int frames, float level = 1.0f) {
        buffers.assign(8, std::vector<float>(static_cast<std::size_t>(frames), level));
        for (std::size_t c = 0; c < 8; ++c) table[c] = buffers[c].data();
        effect->processReplacing(effect, table.data(), table.data() + 4, frames);
    }

    FakeHost host;
    TestAudioEffectPlugin* plugin = nullptr;
    YAudioPluginVSTAdapter* adapter = nullptr;
    AEffect* effect = nullptr;
    std::vector<std::vector<float>> buffers;
    std::array<float*, 8> table{};
};

TEST_F(Vst2Binding, AModernHostSeesTheWholeSurroundLayout) {
    YAudioPlugin* made = MakeTestAudioPlugin(&TestProbeEffectFactory);
    made->SetupPins(1, true);
    Make(made);
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
    YAudioPlugin* made = MakeTestAudioPlugin(&TestProbeEffectFactory);
    made->SetupPins(1, true);
    Make(made);
    EXPECT_EQ(effect->numInputs, 2);
    EXPECT_EQ(effect->numOutputs, 2);
    EXPECT_EQ(plugin->ChannelsPerBus(), 2);
    EXPECT_EQ(plugin->InputPins().size(), 2u);
    EXPECT_EQ(plugin->OutputPins().size(), 2u);
    VstPinProperties pin{};
    ASSERT_EQ(Dispatch(effGetInputProperties, 1, 0, &pin), 1);
    EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
    EXPECT_EQ(pin.arrangementType, kSpeakerArrStereo);
}

TEST_F(Vst2Binding, ASynthInAHostWithoutVersionStillGetsTwoInputs) {
    host.version = 0;  // counts as 1
    YAudioPlugin* made = MakeTestAudioPlugin(&TestProbeEffectFactory);
    made->TruncatePins(0, 2, 2);  // no inputs: an instrument
    Make(made);
    EXPECT_EQ(effect->numInputs, 2);
    EXPECT_EQ(effect->numOutputs, 2);
    EXPECT_TRUE(effect->flags & effFlagsIsSynth);
    EXPECT_EQ(Dispatch(effGetPlugCategory), kPlugCategSynth);
    EXPECT_GE(host.wantMidi, 1);
}

TEST_F(Vst2Binding, RecordValuesOfAnEffect) {
    Make();
    EXPECT_EQ(effect->magic, kEffectMagic);
    EXPECT_EQ(std::memcmp(&effect->uniqueID, "5eAY", 4), 0);
    EXPECT_EQ(effect->flags, effFlagsCanReplacing | effFlagsProgramChunks | effFlagsHasEditor);
    EXPECT_EQ(effect->numPrograms, 0);
    EXPECT_EQ(effect->numParams, plugin->GetParameterCount());
    EXPECT_EQ(effect->version, 1);
    EXPECT_FLOAT_EQ(effect->ioRatio, 1.0f);
    EXPECT_EQ(Dispatch(effGetPlugCategory), kPlugCategUnknown);
    EXPECT_EQ(plugin->bindingName, YString("VST"));
}

TEST_F(Vst2Binding, BarStartIsRoundedToTheBeatUnit) {
    Make();
    host.time.flags = kVstPpqPosValid | kVstTempoValid;
    struct Case {
        double barStart;
        int denominator;
        double expected;
    } cases[] = {{2.5, 4, 3.0}, {2.49, 4, 2.0}, {3.26, 8, 3.5}, {3.24, 8, 3.0}, {5.1, 16, 5.0}, {1.0, 2, 1.0}};
    for (const Case& c : cases) {
        host.time.barStartPos = c.barStart;
        host.time.timeSigNumerator = 3;
        host.time.timeSigDenominator = c.denominator;
        Run(16);
        EXPECT_DOUBLE_EQ(plugin->transport.barStart, c.expected) << c.barStart << " in /" << c.denominator;
        EXPECT_EQ(plugin->transport.timeSigNumerator, 3);
    }
    EXPECT_EQ(host.lastTimeRequest, YAudioPluginVSTAdapter::kBlockTimeRequest);
}

TEST_F(Vst2Binding, LoopsAndJumpsFollowTheHost) {
    Make();
    host.time.tempo = 140.0;
    host.time.flags = kVstTransportPlaying;
    host.time.cycleStartPos = 4.0;
    host.time.cycleEndPos = 8.0;
    host.time.ppqPos = 0.5;
    Run(32);
    EXPECT_TRUE(plugin->transport.playing);
    EXPECT_TRUE(plugin->transport.playingChanged);
    EXPECT_DOUBLE_EQ(plugin->transport.loopStart, 4.0);
    EXPECT_DOUBLE_EQ(plugin->transport.loopEnd, 8.0);
    EXPECT_DOUBLE_EQ(plugin->transport.tempo, 140.0);

    host.time.cycleEndPos = 4.0;  // an empty cycle is no loop
    host.time.ppqPos = 12.0;      // a jump of more than two quarters
    Run(32);
    EXPECT_TRUE(plugin->transport.transportJumped);
    EXPECT_TRUE(plugin->transport.playing);
    EXPECT_FALSE(plugin->transport.playingChanged);
    EXPECT_DOUBLE_EQ(plugin->transport.loopStart, -1.0);

    host.time.ppqPos = 12.1;
    Run(32);
    EXPECT_FALSE(plugin->transport.transportJumped);
    host.time.flags = 0;  // stopped
    Run(32);
    EXPECT_FALSE(plugin->transport.playing);
    EXPECT_TRUE(plugin->transport.playingChanged);
}

TEST_F(Vst2Binding, AStartFarFromTheLastPositionIsAJumpNotAStart) {
    Make();
    host.time.flags = kVstTransportPlaying;
    host.time.ppqPos = 64.0;
    Run(16);
    EXPECT_TRUE(plugin->transport.transportJumped);
    EXPECT_FALSE(plugin->transport.playing);
    host.time.ppqPos = 64.1;
    Run(16);
    EXPECT_TRUE(plugin->transport.playing);
}

TEST_F(Vst2Binding, WithoutHostSyncTheHostIsNotAsked) {
    Make();
    plugin->needsHostSync = false;
    plugin->transport.timeInfoValid = 0;
    Run(16);
    EXPECT_EQ(host.timeRequests, 0);
    EXPECT_TRUE(plugin->transport.timeInfoValid);
    EXPECT_TRUE(plugin->transport.tempoValid);
}

TEST_F(Vst2Binding, EventsAskForTheirTimeOnlyWhenThereAreAny) {
    Make();
    VstEvents empty{};
    EXPECT_EQ(Dispatch(effProcessEvents, 0, 0, &empty), 1);
    EXPECT_EQ(host.timeRequests, 0);

    host.time.ppqPos = 7.0;
    host.time.tempo = 90.0;
    VstMidiEvent note{};
    note.type = kVstMidiType;
    note.byteSize = sizeof note;
    note.midiData[0] = static_cast<char>(0x90);
    note.midiData[1] = 60;
    note.midiData[2] = 100;
    VstEvents list{};
    list.numEvents = 1;
    list.events[0] = reinterpret_cast<VstEvent*>(&note);
    EXPECT_EQ(Dispatch(effProcessEvents, 0, 0, &list), 1);
    ASSERT_EQ(host.timeRequests, 1);
    EXPECT_EQ(host.lastTimeRequest, YAudioPluginVSTAdapter::kEventTimeRequest);
    EXPECT_DOUBLE_EQ(plugin->transport.ppqPosition, 7.0);
    EXPECT_EQ(plugin->held[0][60], 1);
}

TEST_F(Vst2Binding, SpeakerArrangementsChooseTheChannels) {
    Make();
    VstSpeakerArrangement mono{};
    mono.numChannels = 1;
    VstSpeakerArrangement three{};
    three.numChannels = 3;
    EXPECT_EQ(Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&three), &three), 0);  // more than the pins

    VstSpeakerArrangement stereo{};
    stereo.numChannels = 2;
    ASSERT_EQ(Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&mono), &stereo), 1);
    EXPECT_EQ(plugin->GetNumInputChannels(), 1);
    EXPECT_EQ(plugin->GetNumOutputChannels(), 2);
    VstSpeakerArrangement none{};
    ASSERT_EQ(Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&stereo), &none), 1);
    EXPECT_EQ(plugin->GetNumOutputChannels(), 1);  // at least one output

    VstSpeakerArrangement* inputs = &stereo;
    VstSpeakerArrangement* outputs = &stereo;
    EXPECT_EQ(Dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&inputs), &outputs), 0);
    EXPECT_EQ(inputs, nullptr);
    EXPECT_EQ(outputs, nullptr);
}

TEST_F(Vst2Binding, ThreeOutputChannelsOnAStereoPluginGiveTwo) {
    YAudioPlugin* made = MakeTestAudioPlugin(&TestProbeEffectFactory);
    made->SetupPins(1, true);  // eight pins, so three channels are allowed ...
    Make(made);
    made->TruncatePins(8, 8, 2);  // ... on buses of two
    VstSpeakerArrangement three{};
    three.numChannels = 3;
    ASSERT_EQ(Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&three), &three), 1);
    EXPECT_EQ(plugin->GetNumOutputChannels(), 2);
    EXPECT_EQ(plugin->GetNumInputChannels(), 2);
}

TEST_F(Vst2Binding, ParameterTextsAreCutForTheHostsBuffers) {
    Make();
    char text[64];
    std::memset(text, 'x', sizeof text);
    Dispatch(effGetParamName, PassThroughEffect::kFourth, 0, text);
    EXPECT_STREQ(text, "fourthParameterWithALong");
    Dispatch(effGetParamName, PassThroughEffect::kGain, 0, text);
    EXPECT_STREQ(text, "gain");
    Dispatch(effGetParamDisplay, PassThroughEffect::kMode, 0, text);
    EXPECT_STREQ(text, "Zero");
    std::memset(text, 'x', sizeof text);
    Dispatch(effGetParamName, 1000, 0, text);  // no such parameter
    EXPECT_STREQ(text, "");
    EXPECT_EQ(Dispatch(effCanBeAutomated, 3), 1);
    EXPECT_EQ(Dispatch(effString2Parameter, 0, 0, text), 0);
}

TEST_F(Vst2Binding, TheHostsEchoOfAnAutomationIsIgnored) {
    Make();
    host.echo = true;
    host.echoValue = 0.9f;
    plugin->SetParameter(PassThroughEffect::kFourth, 0.25);
    plugin->Parameter(PassThroughEffect::kFourth)->SendAutomation(0);
    ASSERT_EQ(host.automation.size(), 1u);
    EXPECT_EQ(host.automation[0].first, PassThroughEffect::kFourth);
    EXPECT_FLOAT_EQ(host.automation[0].second, 0.25f);
    EXPECT_DOUBLE_EQ(plugin->GetParameter(PassThroughEffect::kFourth), 0.25);
    EXPECT_FALSE(adapter->EchoGuard());
    // Outside the report the host's writes count again.
    effect->setParameter(effect, PassThroughEffect::kFourth, 0.5f);
    EXPECT_DOUBLE_EQ(plugin->GetParameter(PassThroughEffect::kFourth), 0.5);
}

TEST_F(Vst2Binding, MIDIOutputGoesOutAsOneListPerBlock) {
    Make();
    for (int i = 0; i < 100; ++i) adapter->GenerateMIDIEvent(i, 0x90, static_cast<uint8_t>(i), 64);
    Run(128);
    ASSERT_EQ(host.midiLists, 1);
    ASSERT_EQ(host.lastMidiList.size(), 100u);
    for (int i = 0; i < 100; ++i) {
        const VstMidiEvent& event = host.lastMidiList[static_cast<std::size_t>(i)];
        EXPECT_EQ(event.type, kVstMidiType);
        EXPECT_EQ(event.byteSize, 32);
        EXPECT_EQ(event.deltaFrames, i);
        EXPECT_EQ(event.midiData[1], i);
    }
    Run(128);
    EXPECT_EQ(host.midiLists, 1);  // nothing new, no list
}

TEST_F(Vst2Binding, SteadyProcessingWithMIDIAllocatesNothing) {
    Make();
    host.lastMidiList.reserve(16);
    host.time.flags = kVstTransportPlaying;
    auto block = [&] {
        VstMidiEvent notes[2] = {};
        for (VstMidiEvent& note : notes) {
            note.type = kVstMidiType;
            note.byteSize = sizeof note;
            note.midiData[0] = static_cast<char>(0x90);
            note.midiData[1] = 64;
            note.midiData[2] = 90;
        }
        notes[1].midiData[0] = static_cast<char>(0x80);
        VstEvents list{};
        list.numEvents = 2;
        list.events[0] = reinterpret_cast<VstEvent*>(&notes[0]);
        list.events[1] = reinterpret_cast<VstEvent*>(&notes[1]);
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

TEST_F(Vst2Binding, LatencyIsReportedWithItsDiagnostic) {
    static std::vector<std::string> texts;
    texts.clear();
    YSystemExceptionSink previous = SetSystemExceptionSink([](const YString& text) { texts.push_back(text.ToUtf8()); });
    Make();
    EXPECT_EQ(effect->initialDelay, 0);
    const int changes = host.ioChanged;
    plugin->UpdateUpsamplingFactor(2, true);
    SetSystemExceptionSink(previous);
    EXPECT_EQ(effect->initialDelay, 3072);  // the long resampler at twice the rate
    EXPECT_GT(host.ioChanged, changes);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front(), "Latency: 0");
    EXPECT_EQ(texts.back(), "Latency: 3072");
}

TEST_F(Vst2Binding, ASideChainPluginGetsItsBusesInTablesOfEight) {
    YAudioPlugin* made = MakeTestAudioPlugin(&TestProbeEffectFactory);
    made->SetupPins(2, false);  // main and side chain, stereo
    Make(made);
    ASSERT_EQ(effect->numInputs, 4);
    plugin->SetParameter(PassThroughEffect::kGain, 0.5);  // gain 0.5 on the squared curve
    std::vector<std::vector<float>> inputs(4, std::vector<float>(64)), outputs(2, std::vector<float>(64));
    for (std::size_t c = 0; c < 4; ++c)
        for (std::size_t i = 0; i < 64; ++i) inputs[c][i] = static_cast<float>(c + 1) * 0.125f;
    float* in[4] = {inputs[0].data(), inputs[1].data(), inputs[2].data(), inputs[3].data()};
    float* out[2] = {outputs[0].data(), outputs[1].data()};
    for (int block = 0; block < 4; ++block) effect->processReplacing(effect, in, out, 64);
    EXPECT_NEAR(outputs[0][63], 0.125f * 0.5f, 1e-6f);  // the main bus, not the side chain
    EXPECT_NEAR(outputs[1][63], 0.25f * 0.5f, 1e-6f);
}

TEST_F(Vst2Binding, ACorruptChunkLeavesTheStateAlone) {
    Make();
    plugin->SetParameter(PassThroughEffect::kMode, 1.0);
    void* data = nullptr;
    const VstIntPtr size = Dispatch(effGetChunk, 0, 0, &data);
    ASSERT_GT(size, 0);
    std::vector<uint8_t> chunk(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
    plugin->SetParameter(PassThroughEffect::kMode, 0.0);

    std::vector<uint8_t> damaged = chunk;
    damaged.resize(damaged.size() - 5);
    EXPECT_EQ(Dispatch(effSetChunk, 0, static_cast<VstIntPtr>(damaged.size()), damaged.data()), 0);
    EXPECT_DOUBLE_EQ(plugin->GetParameter(PassThroughEffect::kMode), 0.0);
    EXPECT_EQ(Dispatch(effSetChunk, 0, 0, nullptr), 0);

    EXPECT_EQ(Dispatch(effSetChunk, 0, static_cast<VstIntPtr>(chunk.size()), chunk.data()), 1);
    EXPECT_DOUBLE_EQ(plugin->GetParameter(PassThroughEffect::kMode), 1.0);
}

TEST_F(Vst2Binding, QueuedMIDIReachesThePluginBeforeTheNextBlock) {
    Make();
    adapter->QueueMIDIInput(0, 0x91, 72, 127);
    EXPECT_EQ(plugin->held[1][72], 0);
    Run(16);
    EXPECT_EQ(plugin->held[1][72], 1);
}

TEST_F(Vst2Binding, WithoutAnEditorOpeningAndSizingFailCleanly) {
    Make();
    ERect* rect = reinterpret_cast<ERect*>(1);
    EXPECT_EQ(Dispatch(effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(rect, nullptr);
    EXPECT_EQ(Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(0x1234)), 0);
    EXPECT_FALSE(plugin->EditorOpen());
    Dispatch(effEditIdle);
    Dispatch(effEditClose);
    EXPECT_EQ(Dispatch(effEditKeyDown, 'a', 0, nullptr, 0.0f), 0);
    EXPECT_FALSE(adapter->ChangeEditorSize(400, 300));
}

}  // namespace
