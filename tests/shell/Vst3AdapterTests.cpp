// The VST 3 binding in-process, for what the whole-binary tests in tests/host cannot
// reach: the plug-in's side of parameter queues, MIDI and the process context, other
// pin layouts, latency restarts, the echo guard, busy locks and allocation.
#include "RoadTestPlugin.h"
#include "support/AllocationCounter.h"
#include "support/LockHeldElsewhere.h"
#include "host/YVst3HostObjects.h"
#include "host/plugin/TestPlugin.h"

#include "shell/vst3/YAudioPluginVST3Adapter.h"
#include "shell/vst3/Vst3Text.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Vst3;

namespace {

class Vst3Binding : public ::testing::Test {
protected:
    void Make(YAudioPlugin* made = nullptr) {
        plugin = made ? made : MakeTestAudioPlugin(&TestProbeEffectFactory);
        adapter = new YAudioPluginVST3Adapter(plugin);
        ASSERT_EQ(adapter->initialize(context.Get()), kResultOk);
        adapter->setComponentHandler(handler.Get());
    }
    void TearDown() override {
        if (adapter == nullptr) return;
        adapter->terminate();
        adapter->release();
    }
    TestAudioEffectPlugin& Engine() { return *static_cast<TestAudioEffectPlugin*>(plugin); }

    // One stereo block of level through the adapter, with the changes and events queued.
    tresult Run(int32_t frames, float level = 1.0f, IEventList* outputEvents = nullptr) {
        for (auto& channel : input) channel.assign(static_cast<std::size_t>(frames), level);  // no allocation once grown
        for (auto& channel : output) channel.assign(static_cast<std::size_t>(frames), 0.0f);
        float* inPointers[2] = {input[0].data(), input[1].data()};
        float* outPointers[2] = {output[0].data(), output[1].data()};
        AudioBusBuffers in{2, 0, {inPointers}};
        AudioBusBuffers out{2, 0, {outPointers}};
        ProcessData data{.processMode = kRealtime, .symbolicSampleSize = kSample32, .numSamples = frames, .numInputs = 1,
                         .numOutputs = 1, .inputs = &in, .outputs = &out, .inputParameterChanges = changes.Get(),
                         .outputParameterChanges = nullptr, .inputEvents = events.Get(), .outputEvents = outputEvents,
                         .processContext = contextEnabled ? &processContext : nullptr};
        const tresult result = adapter->process(data);
        changes->Clear();
        events->Clear();
        return result;
    }

    YVst3Ptr<FUnknown> context{(new YVst3Host::HostApplication("Test Host"))->Unknown()};
    YVst3Ptr<YVst3Host::ComponentHandler> handler{new YVst3Host::ComponentHandler};
    YVst3Ptr<YVst3Host::ParameterChanges> changes{new YVst3Host::ParameterChanges};
    YVst3Ptr<YVst3Host::EventList> events{new YVst3Host::EventList};
    YVst3Ptr<YVst3Host::EventList> outEvents{new YVst3Host::EventList};
    ProcessContext processContext{};
    bool contextEnabled = false;
    YAudioPlugin* plugin = nullptr;
    YAudioPluginVST3Adapter* adapter = nullptr;
    std::vector<std::vector<float>> input{2}, output{2};
};

TEST_F(Vst3Binding, SteadyProcessingAllocatesNothing) {
    Make();
    outEvents->Events().reserve(64);
    events->Events().reserve(64);
    contextEnabled = true;
    processContext.state = ProcessContext::kPlaying | ProcessContext::kTempoValid | ProcessContext::kProjectTimeMusicValid;
    processContext.tempo = 128.0;
    Run(256, 0.5f, outEvents.Get());
    int block = 0;
    auto run = [&] {  // Run reuses its buffers
        changes->Add(PassThroughEffect::kGain, 0, block % 2 ? 0.5 : 0.6);
        changes->Add(10007, 0, 0.25);
        Event note{};
        note.type = block % 2 ? Event::kNoteOffEvent : Event::kNoteOnEvent;
        note.noteOn.pitch = 62;
        note.noteOn.velocity = 0.5f;
        events->Events().push_back(note);
        Run(256, 0.5f, outEvents.Get());
        outEvents->Clear();
        processContext.projectTimeMusic += 0.1;
        ++block;
    };
    for (int warm = 0; warm < 4; ++warm) run();
    AllocationWindow window;
    for (int i = 0; i < 100; ++i) run();
    EXPECT_EQ(window.Count(), 0u);
}

TEST_F(Vst3Binding, OnlyTheLastPointOfAQueueIsApplied) {
    auto* road = new RoadTestPlugin;
    ParameterRun* parameters = road->AddRun(0, 4, "p");
    Make(road);
    changes->Add(1, 0, 0.1);
    changes->Add(1, 64, 0.2);
    changes->Add(1, 128, 0.3);
    EXPECT_EQ(Run(256), kResultOk);
    EXPECT_EQ(parameters->writes, 1);
    EXPECT_DOUBLE_EQ(parameters->values[1], 0.3);
    // An unchanged value is not written again; ids past the parameters go nowhere.
    changes->Add(1, 0, 0.3);
    changes->Add(9999, 0, 0.7);
    Run(64);
    EXPECT_EQ(parameters->writes, 1);
}

TEST_F(Vst3Binding, ControllerParametersReachTheMIDIPath) {
    Make();
    ParamID id = 0;
    EXPECT_EQ(adapter->getMidiControllerAssignment(0, 5, 7, id), kResultOk);
    EXPECT_EQ(id, 10007u);
    EXPECT_EQ(adapter->getMidiControllerAssignment(3, 15, kPitchBend, id), kResultOk);
    EXPECT_EQ(id, 10129u);
    EXPECT_NE(adapter->getMidiControllerAssignment(0, 0, kCountCtrlNumber, id), kResultOk);
    changes->Add(10007, 0, 0.75);
    changes->Add(10129, 0, 0.25);
    Run(32);
    EXPECT_DOUBLE_EQ(plugin->LastVolume(), 0.75);
    EXPECT_DOUBLE_EQ(plugin->LastPitchBend(), -0.5);
    EXPECT_DOUBLE_EQ(adapter->getParamNormalized(10007), 0.0);
}

TEST_F(Vst3Binding, TheSampleRateIsRoundedHalvesUpAndLowRatesAreIgnored) {
    Make();
    ProcessSetup setup{kRealtime, kSample32, 512, 44100.4};
    EXPECT_EQ(adapter->setupProcessing(setup), kResultOk);
    EXPECT_DOUBLE_EQ(plugin->SampleRate(), 44100.0);
    for (double ignored : {48000.5, 96.0}) {
        setup.sampleRate = ignored;
        adapter->setupProcessing(setup);
        EXPECT_DOUBLE_EQ(plugin->SampleRate(), 48001.0);
    }
    setup.symbolicSampleSize = kSample64;
    EXPECT_NE(adapter->setupProcessing(setup), kResultOk);
}

TEST_F(Vst3Binding, SurroundAndSideChainLayouts) {
    YAudioPlugin* made = MakeTestAudioPlugin(&TestProbeEffectFactory);
    made->SetupPins(1, true);
    Make(made);
    // Offered more than it has, a surround plug-in asks for its own layout.
    SpeakerArrangement tenChannels = SpeakerArr::k71Music | kSpeakerTfl | kSpeakerTfr;
    EXPECT_EQ(adapter->setBusArrangements(&tenChannels, 1, &tenChannels, 1), kResultFalse);
    SpeakerArrangement arrangement = 0;
    adapter->getBusArrangement(kInput, 0, arrangement);
    EXPECT_EQ(arrangement, 0x737u);
    BusInfo bus{};
    adapter->getBusInfo(kAudio, kInput, 0, bus);
    EXPECT_EQ(bus.channelCount, 8);

    // A side chain is an auxiliary input.
    TearDown();
    made = MakeTestAudioPlugin(&TestProbeEffectFactory);
    made->SetupPins(2, false);
    Make(made);
    ASSERT_EQ(adapter->getBusCount(kAudio, kInput), 2);
    adapter->getBusInfo(kAudio, kInput, 1, bus);
    EXPECT_EQ(TextFrom(bus.name), YString("Sidechain"));
    EXPECT_EQ(bus.busType, kAux);
    EXPECT_EQ(bus.flags, 0u);
    EXPECT_EQ(bus.channelCount, 2);
}

TEST_F(Vst3Binding, MIDIInAndOut) {
    Make();
    static const uint8_t bytes[3] = {0x92, 65, 100};  // raw MIDI in a data event
    Event data{};
    data.type = Event::kDataEvent;
    data.data.size = 3;
    data.data.bytes = bytes;
    events->Events().push_back(data);
    Run(64, 1.0f, outEvents.Get());
    EXPECT_EQ(plugin->held[2][65], 1);
    EXPECT_EQ(outEvents->getEventCount(), 1);  // the test plug-in's echo
    outEvents->Clear();

    adapter->GenerateMIDIEvent(5, 0xB0, 7, 100);  // a controller turns into a note-on
    adapter->GenerateMIDIEvent(6, 0x70, 1, 2);    // not a status byte: dropped
    adapter->GenerateMIDIEvent(7, 0x83, 60, 0);
    Run(64, 1.0f, outEvents.Get());
    ASSERT_EQ(outEvents->getEventCount(), 2);
    const Event& on = outEvents->Events()[0];
    EXPECT_EQ(on.type, Event::kNoteOnEvent);
    EXPECT_EQ(on.sampleOffset, 5);
    EXPECT_EQ(on.noteOn.pitch, 7);
    EXPECT_FLOAT_EQ(on.noteOn.velocity, 100 * 0.007874016f);
    EXPECT_EQ(on.noteOn.noteId, -1);
    const Event& off = outEvents->Events()[1];
    EXPECT_EQ(off.type, Event::kNoteOffEvent);
    EXPECT_EQ(off.noteOff.channel, 3);
    EXPECT_EQ(off.noteOff.noteId, -1);

    // Without a list to take them the events wait for the next call that brings one.
    adapter->GenerateMIDIEvent(0, 0x90, 61, 1);
    Run(64);
    outEvents->Clear();
    Run(64, 1.0f, outEvents.Get());
    ASSERT_EQ(outEvents->getEventCount(), 1);
    EXPECT_EQ(outEvents->Events()[0].noteOn.pitch, 61);
}

TEST_F(Vst3Binding, TheContextBecomesTheTransport) {
    Make();
    contextEnabled = true;
    processContext.state = ProcessContext::kPlaying | ProcessContext::kProjectTimeMusicValid | ProcessContext::kTempoValid |
                           ProcessContext::kTimeSigValid | ProcessContext::kBarPositionValid | ProcessContext::kCycleActive;
    processContext.projectTimeMusic = 1.0;
    processContext.tempo = 100.0;
    processContext.timeSigNumerator = 6;
    processContext.timeSigDenominator = 8;
    processContext.barPositionMusic = 0.76;
    processContext.cycleEndMusic = 16.0;
    Run(64, 0.0f);
    const HostTransport& transport = plugin->transport;
    EXPECT_TRUE(transport.playing);
    EXPECT_DOUBLE_EQ(transport.tempo, 100.0);
    EXPECT_EQ(transport.timeSigNumerator, 6);
    EXPECT_DOUBLE_EQ(transport.barStart, 1.0);
    EXPECT_DOUBLE_EQ(transport.loopEnd, 16.0);

    processContext.state &= ~static_cast<uint32_t>(ProcessContext::kCycleActive);
    processContext.projectTimeMusic = 40.0;
    Run(64, 0.0f);
    EXPECT_TRUE(transport.transportJumped);
    EXPECT_DOUBLE_EQ(transport.loopStart, -1.0);
}

TEST_F(Vst3Binding, LatencyChangesRestartTheComponentExceptWhileActivating) {
    Make();
    auto* effect = static_cast<TestProbeEffect*>(Engine().Effect());
    effect->latency = 100;
    EXPECT_EQ(adapter->setActive(1), kResultOk);
    EXPECT_TRUE(handler->restarts.empty());  // the host reads the latency after activating anyway
    EXPECT_EQ(adapter->getLatencySamples(), 100u);

    effect->latency = 200;
    Engine().InitProcessing();
    ASSERT_EQ(handler->restarts.size(), 1u);
    EXPECT_EQ(handler->restarts[0], kLatencyChanged);

    // A host that deactivates and activates again from inside the restart.
    handler->onRestart = [this](int32_t) {
        adapter->setActive(0);
        adapter->setActive(1);
    };
    effect->latency = 300;
    Engine().InitProcessing();
    EXPECT_EQ(handler->restarts.size(), 2u);
    EXPECT_EQ(adapter->getLatencySamples(), 300u);
    handler->onRestart = nullptr;
}

TEST_F(Vst3Binding, TheEchoOfAnOwnEditIsIgnored) {
    Make();
    Run(16);
    // A host that sends the edit straight back as a change of the same parameter.
    handler->onPerformEdit = [this](ParamID id, ParamValue) {
        YVst3Ptr<YVst3Host::ParameterChanges> echo(new YVst3Host::ParameterChanges);
        echo->Add(id, 0, 0.9);
        ProcessData data{};
        data.inputParameterChanges = echo.Get();
        adapter->process(data);
    };
    plugin->SetParameter(PassThroughEffect::kFourth, 0.25);
    Engine().Parameter(PassThroughEffect::kFourth)->SendAutomation(0);
    ASSERT_EQ(handler->edits.size(), 1u);
    EXPECT_EQ(handler->edits[0].id, static_cast<ParamID>(PassThroughEffect::kFourth));
    EXPECT_DOUBLE_EQ(plugin->GetParameter(PassThroughEffect::kFourth), 0.25);
    handler->onPerformEdit = nullptr;
    changes->Add(PassThroughEffect::kFourth, 0, 0.9);
    Run(16);
    EXPECT_DOUBLE_EQ(plugin->GetParameter(PassThroughEffect::kFourth), 0.9);
}

TEST_F(Vst3Binding, EditorGesturesFrameThePerformedEdit) {
    Make();
    int32_t beginsSeenByTheEdit = -1, endsSeenByTheEdit = -1;
    handler->onPerformEdit = [&](ParamID, ParamValue) {
        beginsSeenByTheEdit = handler->beginEdits;
        endsSeenByTheEdit = handler->endEdits;
    };
    plugin->BeginEdit(PassThroughEffect::kFourth);
    plugin->SetParameter(PassThroughEffect::kFourth, 0.25);
    Engine().Parameter(PassThroughEffect::kFourth)->SendAutomation(0);
    plugin->EndEdit(PassThroughEffect::kFourth);
    plugin->EndEdit(-1);  // no such parameter
    EXPECT_EQ(beginsSeenByTheEdit, 1);
    EXPECT_EQ(endsSeenByTheEdit, 0);
    EXPECT_EQ(handler->endEdits, 1);
    ASSERT_EQ(handler->edits.size(), 1u);
    EXPECT_EQ(handler->edits[0].id, static_cast<ParamID>(PassThroughEffect::kFourth));
    handler->onPerformEdit = nullptr;
}

// A call that finds parameterLock busy drops its block and does nothing more: the
// change waits for the next call, and so does the MIDI output.
TEST_F(Vst3Binding, ACallThatFindsTheParametersBusyLeavesItsWorkForTheNext) {
    Make();
    adapter->GenerateMIDIEvent(3, 0x90, 60, 100);
    {
        LockHeldElsewhere loader(plugin->parameterLock);
        changes->Add(PassThroughEffect::kMode, 0, 1.0);
        EXPECT_EQ(Run(32, 1.0f, outEvents.Get()), kResultOk);
        EXPECT_DOUBLE_EQ(plugin->GetParameter(PassThroughEffect::kMode), 0.0);
        EXPECT_EQ(outEvents->getEventCount(), 0);
    }
    Run(32, 1.0f, outEvents.Get());
    EXPECT_DOUBLE_EQ(plugin->GetParameter(PassThroughEffect::kMode), 1.0);
    ASSERT_EQ(outEvents->getEventCount(), 1);
    EXPECT_EQ(outEvents->Events()[0].noteOn.pitch, 60);
}

}  // namespace
