#include "RoadTestPlugin.h"
#include "support/AllocationCounter.h"
#include "host/YVst3HostObjects.h"
#include "host/plugin/TestPlugin.h"

#include "shell/YStateChunk.h"
#include "shell/vst3/IConnectionPoint.h"
#include "shell/vst3/IPlugView.h"
#include "shell/vst3/YAudioPluginVST3Adapter.h"
#include "shell/vst3/Vst3Text.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

using namespace Vst3;

namespace {

// Four parameters that count their writes; the last one is a switch.
class CountingParameters : public YAudioPlugin::AutomationAdapter {
public:
    CountingParameters() {
        firstIndex = 0;
        count = 4;
    }
    void SetValue(int32_t local, double value, bool) override {
        values[local] = value;
        ++writes[local];
    }
    double GetValue(int32_t local) const override { return values[local]; }
    YString GetName(int32_t) const override { return "name"; }
    YString GetID(int32_t) const override { return "id"; }
    YString GetValueName(int32_t) const override { return YString(); }
    YString GetValueNameFrom01(int32_t, double) const override { return "shown"; }
    double ParseValueName(int32_t, const YString&) const override { return 0.5; }
    int32_t GetType(int32_t local) const override { return local == 3 ? 4 : 1; }

    double values[4] = {};
    int writes[4] = {};
};

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
        input.assign(2, std::vector<float>(static_cast<std::size_t>(frames), level));
        output.assign(2, std::vector<float>(static_cast<std::size_t>(frames), 0.0f));
        inPointers = {input[0].data(), input[1].data()};
        outPointers = {output[0].data(), output[1].data()};
        AudioBusBuffers in{2, 0, {inPointers.data()}};
        AudioBusBuffers out{2, 0, {outPointers.data()}};
        ProcessData data{};
        data.numSamples = frames;
        data.numInputs = data.numOutputs = 1;
        data.inputs = &in;
        data.outputs = &out;
        data.inputParameterChanges = changes.Get();
        data.inputEvents = events.Get();
        data.outputEvents = outputEvents;
        data.processContext = contextEnabled ? &processContext : nullptr;
        const tresult result = adapter->process(data);
        changes->Clear();
        events->Clear();
        return result;
    }

    YVst3Ptr<FUnknown> context{(new YVst3Host::HostApplication("Test Host"))->Unknown()};
    YVst3Ptr<YVst3Host::ComponentHandler> handler{new YVst3Host::ComponentHandler};
    YVst3Ptr<YVst3Host::ParameterChanges> changes{new YVst3Host::ParameterChanges};
    YVst3Ptr<YVst3Host::EventList> events{new YVst3Host::EventList};
    ProcessContext processContext{};
    bool contextEnabled = false;
    YAudioPlugin* plugin = nullptr;
    YAudioPluginVST3Adapter* adapter = nullptr;
    std::vector<std::vector<float>> input, output;
    std::vector<float*> inPointers, outPointers;
    bool echoSeen = false;
};

TEST_F(Vst3Binding, SteadyProcessingAllocatesNothing) {
    Make();
    YVst3Ptr<YVst3Host::EventList> out(new YVst3Host::EventList);
    out->Events().reserve(64);
    events->Events().reserve(64);
    std::vector<float> left(256, 0.5f), right(256, 0.5f), outLeft(256), outRight(256);
    float* ins[2] = {left.data(), right.data()};
    float* outs[2] = {outLeft.data(), outRight.data()};
    AudioBusBuffers in{2, 0, {ins}};
    AudioBusBuffers outBus{2, 0, {outs}};
    processContext.state = ProcessContext::kPlaying | ProcessContext::kTempoValid | ProcessContext::kProjectTimeMusicValid;
    processContext.tempo = 128.0;
    ProcessData data{};
    data.numSamples = 256;
    data.numInputs = data.numOutputs = 1;
    data.inputs = &in;
    data.outputs = &outBus;
    data.inputParameterChanges = changes.Get();
    data.inputEvents = events.Get();
    data.outputEvents = out.Get();
    data.processContext = &processContext;
    int block = 0;
    auto run = [&] {
        changes->Add(PassThroughEffect::kGain, 0, block % 2 ? 0.5 : 0.6);
        changes->Add(10007, 0, 0.25);
        Event note{};
        note.type = block % 2 ? Event::kNoteOffEvent : Event::kNoteOnEvent;
        note.noteOn.pitch = 62;
        note.noteOn.velocity = 0.5f;
        events->Events().push_back(note);
        adapter->process(data);
        changes->Clear();
        events->Clear();
        out->Clear();
        processContext.projectTimeMusic += 0.1;
        ++block;
    };
    for (int warm = 0; warm < 4; ++warm) run();
    AllocationWindow window;
    for (int i = 0; i < 100; ++i) run();
    EXPECT_EQ(window.Count(), 0u);
}

TEST_F(Vst3Binding, RegistersTheEffectBypassAndControllerParameters) {
    Make();
    const int32_t count = plugin->GetParameterCount();
    ASSERT_EQ(adapter->getParameterCount(), count + 1 + 130);
    ParameterInfo info{};
    ASSERT_EQ(adapter->getParameterInfo(PassThroughEffect::kGain, info), kResultOk);
    EXPECT_EQ(TextFrom(info.title), YString("gain"));
    EXPECT_EQ(info.stepCount, 0);
    EXPECT_EQ(info.flags, ParameterInfo::kCanAutomate);
    EXPECT_DOUBLE_EQ(info.defaultNormalizedValue, static_cast<float>(plugin->GetParameterDefaultValue(0)));
    EXPECT_EQ(info.units[0], 0);
    EXPECT_EQ(info.unitId, kRootUnitId);
    adapter->getParameterInfo(PassThroughEffect::kSwitch, info);
    EXPECT_EQ(info.stepCount, 1);  // a boolean
    adapter->getParameterInfo(PassThroughEffect::kMode, info);
    EXPECT_EQ(info.stepCount, 0);  // an enumeration counts as continuous
    adapter->getParameterInfo(count, info);
    EXPECT_EQ(info.id, 32767u);
    EXPECT_EQ(TextFrom(info.title), YString("Bypass"));
    EXPECT_EQ(info.stepCount, 1);
    EXPECT_EQ(info.flags, 0x10001);
    adapter->getParameterInfo(count + 1, info);
    EXPECT_EQ(info.id, 10000u);
    EXPECT_EQ(TextFrom(info.title), YString("Controller 1"));
    EXPECT_EQ(info.flags, 0);
    adapter->getParameterInfo(count + 130, info);
    EXPECT_EQ(info.id, 10129u);
    EXPECT_EQ(TextFrom(info.title), YString("Controller 130"));
    EXPECT_NE(adapter->getParameterInfo(count + 131, info), kResultOk);
}

TEST_F(Vst3Binding, OnlyTheLastPointOfAQueueIsApplied) {
    auto* road = new RoadTestPlugin;
    auto* parameters = new CountingParameters;
    road->AddAutomationAdapter(parameters);
    parameters->ReleaseReference();
    Make(road);
    changes->Add(1, 0, 0.1);
    changes->Add(1, 64, 0.2);
    changes->Add(1, 128, 0.3);
    EXPECT_EQ(Run(256), kResultOk);
    EXPECT_EQ(parameters->writes[1], 1);
    EXPECT_DOUBLE_EQ(parameters->values[1], 0.3);
    // An unchanged value is not written again; ids past the parameters go nowhere.
    changes->Add(1, 0, 0.3);
    changes->Add(9999, 0, 0.7);
    Run(64);
    EXPECT_EQ(parameters->writes[1], 1);
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

TEST_F(Vst3Binding, TheBypassParameterIsThePluginsSwitch) {
    Make();
    changes->Add(YAudioPluginVST3Adapter::kBypassId, 0, 1.0);
    Run(32, 0.5f);
    EXPECT_TRUE(plugin->bypass);
    EXPECT_DOUBLE_EQ(adapter->getParamNormalized(YAudioPluginVST3Adapter::kBypassId), 1.0);
    EXPECT_NEAR(output[0][31], 0.5f, 1e-6f);  // passed through
    adapter->setParamNormalized(YAudioPluginVST3Adapter::kBypassId, 0.0);
    EXPECT_FALSE(plugin->bypass);
    String128 text{};
    adapter->getParamStringByValue(YAudioPluginVST3Adapter::kBypassId, 1.0, text);
    EXPECT_EQ(TextFrom(text), YString("On"));
    adapter->getParamStringByValue(10000, 1.0, text);
    EXPECT_EQ(TextFrom(text), YString("127"));
    EXPECT_NE(adapter->getParamStringByValue(20000, 0.5, text), kResultOk);
}

TEST_F(Vst3Binding, TheSampleRateIsRoundedHalvesUpAndLowRatesAreIgnored) {
    Make();
    ProcessSetup setup{kRealtime, kSample32, 512, 44100.4};
    EXPECT_EQ(adapter->setupProcessing(setup), kResultOk);
    EXPECT_DOUBLE_EQ(plugin->SampleRate(), 44100.0);
    setup.sampleRate = 48000.5;
    adapter->setupProcessing(setup);
    EXPECT_DOUBLE_EQ(plugin->SampleRate(), 48001.0);
    setup.sampleRate = 96.0;
    adapter->setupProcessing(setup);
    EXPECT_DOUBLE_EQ(plugin->SampleRate(), 48001.0);
    setup.symbolicSampleSize = kSample64;
    EXPECT_NE(adapter->setupProcessing(setup), kResultOk);
    EXPECT_EQ(adapter->canProcessSampleSize(kSample64), kResultFalse);
}

TEST_F(Vst3Binding, BusArrangementsFollowTheirRules) {
    Make();
    SpeakerArrangement surround = SpeakerArr::k51;
    SpeakerArrangement stereo = SpeakerArr::kStereo;
    SpeakerArrangement mono = SpeakerArr::kMono;
    SpeakerArrangement arrangement = 0;

    // More channels than a bus holds: stereo it stays, and that is fine.
    EXPECT_EQ(adapter->setBusArrangements(&surround, 1, &surround, 1), kResultOk);
    adapter->getBusArrangement(kOutput, 0, arrangement);
    EXPECT_EQ(arrangement, SpeakerArr::kStereo);

    // The input repeats the current one: nothing changes, not even the output.
    EXPECT_EQ(adapter->setBusArrangements(&stereo, 1, &mono, 1), kResultOk);
    adapter->getBusArrangement(kOutput, 0, arrangement);
    EXPECT_EQ(arrangement, SpeakerArr::kStereo);

    EXPECT_EQ(adapter->setBusArrangements(&mono, 1, &mono, 1), kResultOk);
    adapter->getBusArrangement(kInput, 0, arrangement);
    EXPECT_EQ(arrangement, SpeakerArr::kMono);
    BusInfo bus{};
    ASSERT_EQ(adapter->getBusInfo(kAudio, kOutput, 0, bus), kResultOk);
    EXPECT_EQ(bus.channelCount, 1);
    EXPECT_EQ(TextFrom(bus.name), YString("Stereo Out"));
    EXPECT_EQ(plugin->GetNumInputChannels(), 1);
    EXPECT_EQ(plugin->GetNumOutputChannels(), 1);
    EXPECT_EQ(Run(64, 0.25f), kResultOk);  // the host still hands over two channels
}

TEST_F(Vst3Binding, ASurroundPluginAsksForItsOwnLayoutWhenOfferedMore) {
    YAudioPlugin* made = MakeTestAudioPlugin(&TestProbeEffectFactory);
    made->SetupPins(1, true);
    Make(made);
    SpeakerArrangement tenChannels = SpeakerArr::k71Music | kSpeakerTfl | kSpeakerTfr;
    EXPECT_EQ(adapter->setBusArrangements(&tenChannels, 1, &tenChannels, 1), kResultFalse);
    SpeakerArrangement arrangement = 0;
    adapter->getBusArrangement(kInput, 0, arrangement);
    EXPECT_EQ(arrangement, 0x737u);
    BusInfo bus{};
    adapter->getBusInfo(kAudio, kInput, 0, bus);
    EXPECT_EQ(bus.channelCount, 8);
}

TEST_F(Vst3Binding, BusesAndEventBusesAsThePluginAsks) {
    Make();
    EXPECT_EQ(adapter->getBusCount(kAudio, kInput), 1);
    EXPECT_EQ(adapter->getBusCount(kAudio, kOutput), 1);
    BusInfo bus{};
    ASSERT_EQ(adapter->getBusInfo(kEvent, kInput, 0, bus), kResultOk);
    EXPECT_EQ(TextFrom(bus.name), YString("Midi In"));
    EXPECT_EQ(bus.channelCount, 16);
    EXPECT_EQ(bus.flags, BusInfo::kDefaultActive);
    ASSERT_EQ(adapter->getBusInfo(kEvent, kOutput, 0, bus), kResultOk);
    EXPECT_EQ(TextFrom(bus.name), YString("Midi Out"));
    EXPECT_NE(adapter->getBusInfo(kAudio, kInput, 1, bus), kResultOk);
    EXPECT_NE(adapter->getBusInfo(kAudio, kInput, -1, bus), kResultOk);
}

TEST_F(Vst3Binding, ASideChainIsAnAuxiliaryInput) {
    YAudioPlugin* made = MakeTestAudioPlugin(&TestProbeEffectFactory);
    made->SetupPins(2, false);
    Make(made);
    ASSERT_EQ(adapter->getBusCount(kAudio, kInput), 2);
    BusInfo bus{};
    adapter->getBusInfo(kAudio, kInput, 1, bus);
    EXPECT_EQ(TextFrom(bus.name), YString("Sidechain"));
    EXPECT_EQ(bus.busType, kAux);
    EXPECT_EQ(bus.flags, 0u);
    EXPECT_EQ(bus.channelCount, 2);
}

TEST_F(Vst3Binding, GeneratedMIDIBecomesNoteEvents) {
    Make();
    YVst3Ptr<YVst3Host::EventList> out(new YVst3Host::EventList);
    adapter->GenerateMIDIEvent(5, 0xB0, 7, 100);  // a controller turns into a note-on
    adapter->GenerateMIDIEvent(6, 0x70, 1, 2);    // not a status byte: dropped
    adapter->GenerateMIDIEvent(7, 0x83, 60, 0);
    Run(64, 1.0f, out.Get());
    ASSERT_EQ(out->getEventCount(), 2);
    Event event{};
    out->getEvent(0, event);
    EXPECT_EQ(event.type, Event::kNoteOnEvent);
    EXPECT_EQ(event.sampleOffset, 5);
    EXPECT_EQ(event.busIndex, 0);
    EXPECT_EQ(event.noteOn.pitch, 7);
    EXPECT_FLOAT_EQ(event.noteOn.velocity, 100 * 0.007874016f);
    EXPECT_EQ(event.noteOn.noteId, -1);
    out->getEvent(1, event);
    EXPECT_EQ(event.type, Event::kNoteOffEvent);
    EXPECT_EQ(event.noteOff.channel, 3);
    EXPECT_EQ(event.noteOff.noteId, -1);

    // Without a list to take them the events of a block are dropped.
    adapter->GenerateMIDIEvent(0, 0x90, 61, 1);
    Run(64);
    out->Clear();
    Run(64, 1.0f, out.Get());
    EXPECT_EQ(out->getEventCount(), 0);
}

TEST_F(Vst3Binding, InputEventsAreNotesAndMIDIData) {
    Make();
    Event on{};
    on.type = Event::kNoteOnEvent;
    on.noteOn.channel = 2;
    on.noteOn.pitch = 64;
    on.noteOn.velocity = 0.5f;
    events->Events().push_back(on);
    static const uint8_t bytes[3] = {0x90, 65, 100};
    Event data{};
    data.type = Event::kDataEvent;
    data.data.size = 3;
    data.data.bytes = bytes;
    events->Events().push_back(data);
    YVst3Ptr<YVst3Host::EventList> out(new YVst3Host::EventList);
    Run(64, 1.0f, out.Get());
    EXPECT_EQ(plugin->held[2][64], 1);
    EXPECT_EQ(plugin->held[0][65], 1);
    EXPECT_EQ(out->getEventCount(), 2);  // the test plug-in echoes its notes
}

TEST_F(Vst3Binding, TheContextBecomesTheTransport) {
    Make();
    contextEnabled = true;
    processContext.state = ProcessContext::kPlaying | ProcessContext::kProjectTimeMusicValid | ProcessContext::kTempoValid |
                           ProcessContext::kTimeSigValid | ProcessContext::kBarPositionValid |
                           ProcessContext::kCycleActive;
    processContext.projectTimeMusic = 1.0;
    processContext.tempo = 100.0;
    processContext.timeSigNumerator = 6;
    processContext.timeSigDenominator = 8;
    processContext.barPositionMusic = 0.76;
    processContext.cycleStartMusic = 0.0;
    processContext.cycleEndMusic = 16.0;
    Run(64, 0.0f);
    const HostTransport& transport = plugin->transport;
    EXPECT_TRUE(transport.playing);
    EXPECT_DOUBLE_EQ(transport.tempo, 100.0);
    EXPECT_EQ(transport.timeSigNumerator, 6);
    EXPECT_DOUBLE_EQ(transport.barStart, 1.0);
    EXPECT_DOUBLE_EQ(transport.loopEnd, 16.0);
    EXPECT_NEAR(output[0][63], 0.1f, 1e-6f);  // the probe: tempo / 1000 while playing

    processContext.state &= ~static_cast<uint32_t>(ProcessContext::kCycleActive);
    processContext.projectTimeMusic = 40.0;
    Run(64, 0.0f);
    EXPECT_TRUE(transport.transportJumped);
    EXPECT_DOUBLE_EQ(transport.loopStart, -1.0);
}

TEST_F(Vst3Binding, AnEndlessTailIsReportedAsSuch) {
    Make();
    EXPECT_EQ(adapter->getTailSamples(), kInfiniteTail);
    Engine().UpdateUpsamplingFactor(2, true);
    EXPECT_EQ(adapter->getLatencySamples(), 3072u);
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
    auto* binding = adapter;
    handler->onRestart = [binding](int32_t) {
        binding->setActive(0);
        binding->setActive(1);
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
    auto* binding = adapter;
    auto* self = this;
    handler->onPerformEdit = [binding, self](ParamID id, ParamValue) {
        YVst3Ptr<YVst3Host::ParameterChanges> echo(new YVst3Host::ParameterChanges);
        echo->Add(id, 0, 0.9);
        ProcessData data{};
        data.numSamples = 0;
        data.inputParameterChanges = echo.Get();
        binding->process(data);
        self->echoSeen = true;
    };
    plugin->SetParameter(PassThroughEffect::kFourth, 0.25);
    Engine().Parameter(PassThroughEffect::kFourth)->SendAutomation(0);
    EXPECT_TRUE(echoSeen);
    ASSERT_EQ(handler->edits.size(), 1u);
    EXPECT_EQ(handler->edits[0].id, static_cast<ParamID>(PassThroughEffect::kFourth));
    EXPECT_DOUBLE_EQ(plugin->GetParameter(PassThroughEffect::kFourth), 0.25);
    handler->onPerformEdit = nullptr;
    changes->Add(PassThroughEffect::kFourth, 0, 0.9);
    Run(16);
    EXPECT_DOUBLE_EQ(plugin->GetParameter(PassThroughEffect::kFourth), 0.9);
}

TEST_F(Vst3Binding, AChangeThatFindsTheParametersBusyIsAppliedLater) {
    Make();
    std::mutex mutex;
    std::condition_variable signal;
    bool held = false, done = false;
    std::thread loader([&] {
        YScopedLock lock(plugin->parameterLock);
        std::unique_lock guard(mutex);
        held = true;
        signal.notify_all();
        signal.wait(guard, [&] { return done; });
    });
    {
        std::unique_lock guard(mutex);
        signal.wait(guard, [&] { return held; });
    }
    changes->Add(PassThroughEffect::kMode, 0, 1.0);
    EXPECT_EQ(Run(32), kResultOk);
    EXPECT_DOUBLE_EQ(plugin->GetParameter(PassThroughEffect::kMode), 0.0);
    {
        std::lock_guard guard(mutex);
        done = true;
    }
    signal.notify_all();
    loader.join();
    Run(32);
    EXPECT_DOUBLE_EQ(plugin->GetParameter(PassThroughEffect::kMode), 1.0);
}

TEST_F(Vst3Binding, AFlushWithoutAudioStillTakesTheChanges) {
    Make();
    changes->Add(PassThroughEffect::kMode, 0, 1.0);
    ProcessData data{};
    data.inputParameterChanges = changes.Get();
    EXPECT_EQ(adapter->process(data), kResultOk);
    EXPECT_DOUBLE_EQ(plugin->GetParameter(PassThroughEffect::kMode), 1.0);

    // Buses without buffers, and buses with fewer or more channels than they should.
    AudioBusBuffers empty{2, 0, {nullptr}};
    data.numSamples = 64;
    data.numInputs = data.numOutputs = 1;
    data.inputs = data.outputs = &empty;
    EXPECT_EQ(adapter->process(data), kResultOk);
    std::vector<float> a(64, 0.5f), b(64), c(64), d(64);
    float* one[1] = {a.data()};
    float* four[4] = {b.data(), c.data(), d.data(), d.data()};
    AudioBusBuffers monoIn{1, 0, {one}};
    AudioBusBuffers wideOut{4, 0, {four}};
    data.inputs = &monoIn;
    data.outputs = &wideOut;
    EXPECT_EQ(adapter->process(data), kResultOk);
    EXPECT_NEAR(b[63], 0.5f, 1e-6f);  // a mono input is heard on both channels
    EXPECT_NEAR(c[63], 0.5f, 1e-6f);
}

TEST_F(Vst3Binding, OneObjectServesEveryInterfaceOnce) {
    Make();
    FUnknown* self = adapter->Unknown();
    auto component = YVst3Ptr<IComponent>::Query(self);
    auto controller = YVst3Ptr<IEditController>::Query(self);
    ASSERT_TRUE(component && controller);
    EXPECT_EQ(YVst3Ptr<FUnknown>::Query(component.Get()).Get(), YVst3Ptr<FUnknown>::Query(controller.Get()).Get());
    EXPECT_EQ(YVst3Ptr<IPluginBase>::Query(controller.Get()).Get(), YVst3Ptr<IPluginBase>::Query(component.Get()).Get());
    for (bool served : {bool(YVst3Ptr<IAudioProcessor>::Query(self)), bool(YVst3Ptr<IEditController2>::Query(self)),
                        bool(YVst3Ptr<IUnitInfo>::Query(self)), bool(YVst3Ptr<IMidiMapping>::Query(self))})
        EXPECT_TRUE(served);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(self->queryInterface(IConnectionPoint::iid, &object), kNoInterface);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(self->queryInterface(IPlugView::iid, &object), kNoInterface);
    EXPECT_EQ(self->queryInterface(IConnectionPoint::iid, nullptr), kInvalidArgument);
    TUID classId{};
    EXPECT_EQ(component->getControllerClassId(classId), kResultFalse);
}

TEST_F(Vst3Binding, TheStateStreamIsTheChunkReadInPieces) {
    Make();
    plugin->SetParameter(PassThroughEffect::kGain, 0.125);
    YVst3Ptr<YVst3Host::MemoryStream> saved(new YVst3Host::MemoryStream);
    ASSERT_EQ(adapter->getState(saved.Get()), kResultOk);
    EXPECT_EQ(saved->WriteCalls(), 1);
    ASSERT_GT(saved->Bytes().size(), 16u);
    EXPECT_EQ(saved->Bytes()[0], 0x78);

    plugin->SetParameter(PassThroughEffect::kGain, 0.75);
    std::vector<uint8_t> damaged = saved->Bytes();
    damaged[damaged.size() / 2] ^= 0x33;
    YVst3Ptr<YVst3Host::MemoryStream> broken(new YVst3Host::MemoryStream(damaged));
    EXPECT_NE(adapter->setState(broken.Get()), kResultOk);
    EXPECT_DOUBLE_EQ(plugin->GetParameter(PassThroughEffect::kGain), 0.75);

    // Read in pieces of 1024 bytes until a read gives nothing.
    std::vector<uint8_t> bytes = saved->Bytes();
    YVst3Ptr<YVst3Host::MemoryStream> stream(new YVst3Host::MemoryStream(bytes));
    ASSERT_EQ(adapter->setState(stream.Get()), kResultOk);
    EXPECT_NEAR(plugin->GetParameter(PassThroughEffect::kGain), 0.125, 1e-9);
    EXPECT_EQ(stream->LargestRead(), 1024);
    EXPECT_EQ(stream->ReadCalls(), static_cast<int32_t>(bytes.size() / 1024 + 1 + (bytes.size() % 1024 != 0)));
    EXPECT_NE(adapter->setState(nullptr), kResultOk);
}

TEST_F(Vst3Binding, TheEditorViewFailsCleanlyWithoutAnEditor) {
    Make();
    IPlugView* view = adapter->createView("editor");
    EXPECT_EQ(adapter->createView("other"), nullptr);
    if (!Platform::kWindowsTarget) {
        EXPECT_EQ(view, nullptr);  // no window type a Linux host offers
        return;
    }
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultOk);
    EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultFalse);
    EXPECT_EQ(view->attached(reinterpret_cast<void*>(0x10), kPlatformTypeHWND), kResultFalse);
    ViewRect rect{};
    EXPECT_EQ(view->getSize(&rect), kResultFalse);
    EXPECT_EQ(view->removed(), kResultFalse);
    EXPECT_FALSE(adapter->ChangeEditorSize(300, 200));
    view->release();
}

TEST_F(Vst3Binding, TheRootUnitIsTheOnlyUnit) {
    Make();
    auto units = YVst3Ptr<IUnitInfo>::Query(adapter->Unknown());
    ASSERT_EQ(units->getUnitCount(), 1);
    UnitInfo unit{};
    ASSERT_EQ(units->getUnitInfo(0, unit), kResultOk);
    EXPECT_EQ(unit.id, kRootUnitId);
    EXPECT_EQ(unit.parentUnitId, kNoParentUnitId);
    EXPECT_EQ(units->getProgramListCount(), 0);
    UnitID owner = 0;
    EXPECT_EQ(units->getUnitByBus(kAudio, kInput, 0, 0, owner), kResultFalse);
    EXPECT_EQ(units->setUnitProgramData(0, 0, nullptr), kResultFalse);
}

TEST_F(Vst3Binding, InitializeTwiceIsRefusedAndTerminateAllowsIt) {
    Make();
    EXPECT_EQ(adapter->initialize(context.Get()), kResultFalse);
    EXPECT_EQ(adapter->terminate(), kResultOk);
    EXPECT_EQ(adapter->getBusCount(kAudio, kInput), 0);
    EXPECT_EQ(adapter->initialize(context.Get()), kResultOk);
    EXPECT_EQ(adapter->getBusCount(kAudio, kInput), 1);
    EXPECT_EQ(adapter->HostName(), YString("Test Host"));
    EXPECT_EQ(plugin->bindingName, YString("VST3"));
}

}  // namespace
