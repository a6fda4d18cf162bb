// What any VST 3 host may do, and what a conformance checker tries, on the raw
// interfaces of the loaded test plug-in.
#include "HostTestSupport.h"

#include "shell/vst3/IAttributeList.h"
#include "shell/vst3/IConnectionPoint.h"
#include "shell/vst3/IPlugView.h"
#include "shell/vst3/Speakers.h"
#include "shell/vst3/IMidiMapping.h"
#include "shell/vst3/IUnitInfo.h"
#include "shell/vst3/Vst3Text.h"

using namespace HostTest;
using namespace Vst3;

namespace {

class Conformance : public ::testing::Test {
protected:
    void SetUp() override {
        library = Load();
        ASSERT_TRUE(library);
        auto getFactory = reinterpret_cast<GetFactoryProc>(library->Symbol("GetPluginFactory"));
        ASSERT_NE(getFactory, nullptr);
        factory = YVst3Ptr<IPluginFactory>(getFactory());
        ASSERT_EQ(factory->createInstance("YorvTagXYAe5YAe5", IComponent::iid, component.Out()), kResultOk);
        processor = YVst3Ptr<IAudioProcessor>::Query(component.Get());
        controller = YVst3Ptr<IEditController>::Query(component.Get());
        ASSERT_TRUE(processor && controller);
    }

    tresult Process(int32_t frames, int32_t inChannels, int32_t outChannels, bool buffers = true) {
        storage.assign(static_cast<std::size_t>(inChannels + outChannels), std::vector<float>(static_cast<std::size_t>(std::max(frames, 1)), 0.25f));
        ins.clear();
        outs.clear();
        for (int32_t c = 0; c < inChannels; ++c) ins.push_back(storage[static_cast<std::size_t>(c)].data());
        for (int32_t c = 0; c < outChannels; ++c) outs.push_back(storage[static_cast<std::size_t>(inChannels + c)].data());
        AudioBusBuffers in{inChannels, 0, {buffers ? ins.data() : nullptr}};
        AudioBusBuffers out{outChannels, 0, {buffers ? outs.data() : nullptr}};
        ProcessData data{};
        data.symbolicSampleSize = kSample32;
        data.numSamples = frames;
        data.numInputs = data.numOutputs = 1;
        data.inputs = &in;
        data.outputs = &out;
        data.inputParameterChanges = changes.Get();
        const tresult result = processor->process(data);
        changes->Clear();
        return result;
    }
    void Activate() {
        ASSERT_EQ(component->initialize(context.Get()), kResultOk);
        ProcessSetup setup{kRealtime, kSample32, 1024, 48000.0};
        ASSERT_EQ(processor->setupProcessing(setup), kResultOk);
        ASSERT_EQ(component->setActive(1), kResultOk);
        ASSERT_EQ(processor->setProcessing(1), kResultOk);
    }
    void Deactivate() {
        processor->setProcessing(0);
        component->setActive(0);
        component->terminate();
    }
    // Every bus's channel count agrees with its arrangement.
    void ExpectConsistentBuses() {
        for (BusDirection direction : {kInput, kOutput}) {
            for (int32_t bus = 0; bus < component->getBusCount(kAudio, direction); ++bus) {
                BusInfo info{};
                SpeakerArrangement arrangement = 0;
                ASSERT_EQ(component->getBusInfo(kAudio, direction, bus, info), kResultOk);
                ASSERT_EQ(processor->getBusArrangement(direction, bus, arrangement), kResultOk);
                EXPECT_EQ(info.channelCount, ChannelCount(arrangement));
            }
        }
    }

    // Declared so that the plug-in's objects go before the library that holds their code.
    std::shared_ptr<YPluginLibrary> library;
    YVst3Ptr<IPluginFactory> factory;
    YVst3Ptr<IComponent> component;
    YVst3Ptr<IAudioProcessor> processor;
    YVst3Ptr<IEditController> controller;
    YVst3Ptr<FUnknown> context{(new YVst3Host::HostApplication("Conformance"))->Unknown()};
    YVst3Ptr<YVst3Host::ParameterChanges> changes{new YVst3Host::ParameterChanges};
    std::vector<std::vector<float>> storage;
    std::vector<float*> ins, outs;
};

TEST_F(Conformance, InitializeAndTerminateRepeatedly) {
    for (int round = 0; round < 5; ++round) {
        ASSERT_EQ(component->initialize(context.Get()), kResultOk) << round;
        EXPECT_EQ(component->getBusCount(kAudio, kInput), 1);
        EXPECT_GT(controller->getParameterCount(), 0);
        ASSERT_EQ(component->terminate(), kResultOk) << round;
        EXPECT_EQ(component->getBusCount(kAudio, kInput), 0);
    }
}

TEST_F(Conformance, ActivateAndDeactivateRepeatedly) {
    Activate();
    for (int round = 0; round < 10; ++round) {
        EXPECT_EQ(component->setActive(0), kResultOk);
        EXPECT_EQ(component->setActive(1), kResultOk);
        EXPECT_EQ(Process(128, 2, 2), kResultOk);
    }
    Deactivate();
}

TEST_F(Conformance, AFlushWithoutSamplesOrBuffersTakesTheChanges) {
    Activate();
    changes->Add(PassThroughEffect::kMode, 0, 1.0);
    ProcessData data{};
    data.inputParameterChanges = changes.Get();
    EXPECT_EQ(processor->process(data), kResultOk);
    changes->Clear();
    EXPECT_DOUBLE_EQ(controller->getParamNormalized(PassThroughEffect::kMode), 1.0);
    // Buses announced, buffers missing.
    EXPECT_EQ(Process(64, 2, 2, false), kResultOk);
    EXPECT_EQ(Process(0, 0, 0), kResultOk);
    Deactivate();
}

TEST_F(Conformance, MoreOrFewerChannelsThanTheBusesHave) {
    Activate();
    EXPECT_EQ(Process(64, 1, 1), kResultOk);
    EXPECT_EQ(Process(64, 6, 8), kResultOk);
    EXPECT_EQ(Process(64, 0, 2), kResultOk);
    EXPECT_EQ(Process(64, 2, 0), kResultOk);
    EXPECT_EQ(Process(64, 2, 2), kResultOk);
    EXPECT_FLOAT_EQ(outs[1][63], 0.25f);  // after all that, still the plain pass-through
    Deactivate();
}

TEST_F(Conformance, DoublePrecisionIsDeclinedAndNeverTouched) {
    Activate();
    EXPECT_EQ(processor->canProcessSampleSize(kSample64), kResultFalse);
    std::vector<double> left(64, 0.5), right(64, 0.5);
    double* channels[2] = {left.data(), right.data()};
    AudioBusBuffers bus{2, 0, {nullptr}};
    bus.channelBuffers64 = channels;
    ProcessData data{};
    data.symbolicSampleSize = kSample64;
    data.numSamples = 64;
    data.numInputs = data.numOutputs = 1;
    data.inputs = data.outputs = &bus;
    EXPECT_EQ(processor->process(data), kResultOk);
    EXPECT_DOUBLE_EQ(left[10], 0.5);
    Deactivate();
}

TEST_F(Conformance, BusArrangementsFollowTheirRules) {
    ASSERT_EQ(component->initialize(context.Get()), kResultOk);
    BusInfo bus{};
    ASSERT_EQ(component->getBusInfo(kEvent, kInput, 0, bus), kResultOk);
    EXPECT_EQ(TextFrom(bus.name), YString("Midi In"));
    EXPECT_EQ(bus.channelCount, 16);
    EXPECT_EQ(bus.flags, BusInfo::kDefaultActive);
    ASSERT_EQ(component->getBusInfo(kEvent, kOutput, 0, bus), kResultOk);
    EXPECT_EQ(TextFrom(bus.name), YString("Midi Out"));
    EXPECT_NE(component->getBusInfo(kAudio, kInput, 1, bus), kResultOk);
    EXPECT_NE(component->getBusInfo(kAudio, kInput, -1, bus), kResultOk);
    SpeakerArrangement surround = SpeakerArr::k51, stereo = SpeakerArr::kStereo, mono = SpeakerArr::kMono, arrangement = 0;
    EXPECT_EQ(processor->setBusArrangements(&surround, 1, &surround, 1), kResultOk);
    processor->getBusArrangement(kOutput, 0, arrangement);
    EXPECT_EQ(arrangement, SpeakerArr::kStereo);  // more channels than a bus holds: stereo it stays
    EXPECT_EQ(processor->setBusArrangements(&stereo, 1, &mono, 1), kResultOk);
    processor->getBusArrangement(kOutput, 0, arrangement);
    EXPECT_EQ(arrangement, SpeakerArr::kStereo);  // the input repeats the current one: nothing changes
    EXPECT_EQ(processor->setBusArrangements(&mono, 1, &mono, 1), kResultOk);
    processor->getBusArrangement(kInput, 0, arrangement);
    EXPECT_EQ(arrangement, SpeakerArr::kMono);
    ASSERT_EQ(component->getBusInfo(kAudio, kOutput, 0, bus), kResultOk);
    EXPECT_EQ(bus.channelCount, 1);
    EXPECT_EQ(TextFrom(bus.name), YString("Stereo Out"));
    // Unsupported layouts keep every bus consistent.
    const SpeakerArrangement layouts[] = {SpeakerArr::k51, SpeakerArr::kEmpty, SpeakerArr::kMono, SpeakerArr::k71Cine,
                                          SpeakerArr::kStereo};
    for (SpeakerArrangement in : layouts) {
        for (SpeakerArrangement out : layouts) {
            SpeakerArrangement inputs[1] = {in}, outputs[1] = {out};
            processor->setBusArrangements(inputs, 1, outputs, 1);
            ExpectConsistentBuses();
        }
    }
    processor->setBusArrangements(nullptr, 0, nullptr, 0);
    ExpectConsistentBuses();
    SpeakerArrangement two[2] = {SpeakerArr::kStereo, SpeakerArr::kStereo};
    processor->setBusArrangements(two, 2, two, 2);  // more buses than there are
    ExpectConsistentBuses();
    ProcessSetup setup{kRealtime, kSample32, 256, 44100.0};
    ASSERT_EQ(processor->setupProcessing(setup), kResultOk);
    ASSERT_EQ(component->setActive(1), kResultOk);
    EXPECT_EQ(Process(256, 2, 2), kResultOk);
    Deactivate();
}

TEST_F(Conformance, TheStateIsThereBeforeAnyProcessing) {
    ASSERT_EQ(component->initialize(context.Get()), kResultOk);
    YVst3Ptr<YVst3Host::MemoryStream> stream(new YVst3Host::MemoryStream);
    ASSERT_EQ(component->getState(stream.Get()), kResultOk);
    EXPECT_GT(stream->Bytes().size(), 2u);
    // The controller's half answers the same bytes.
    YVst3Ptr<YVst3Host::MemoryStream> controllerStream(new YVst3Host::MemoryStream);
    ASSERT_EQ(controller->getState(controllerStream.Get()), kResultOk);
    EXPECT_EQ(controllerStream->Bytes(), stream->Bytes());
    stream->seek(0, IBStream::kIBSeekSet, nullptr);
    EXPECT_EQ(controller->setComponentState(stream.Get()), kResultOk);
    // Written at once, read back in pieces of 1024 bytes until a read gives nothing.
    EXPECT_EQ(stream->WriteCalls(), 1);
    const std::size_t size = stream->Bytes().size();
    YVst3Ptr<YVst3Host::MemoryStream> reader(new YVst3Host::MemoryStream(stream->Bytes()));
    ASSERT_EQ(component->setState(reader.Get()), kResultOk);
    EXPECT_EQ(reader->LargestRead(), 1024);
    EXPECT_EQ(reader->ReadCalls(), static_cast<int32_t>(size / 1024 + 1 + (size % 1024 != 0)));
    EXPECT_NE(component->setState(nullptr), kResultOk);
    component->terminate();
}

TEST_F(Conformance, InterfacesUnitsAndViews) {
    ASSERT_EQ(component->initialize(context.Get()), kResultOk);
    const Uid unknown = MakeUid(0x12345678, 0x9ABCDEF0, 0x0FEDCBA9, 0x87654321);
    for (FUnknown* object : {static_cast<FUnknown*>(component.Get()), static_cast<FUnknown*>(controller.Get())}) {
        for (const char* id : {IConnectionPoint::iid.data(), IPlugView::iid.data(), IMessage::iid.data(),
                               IAttributeList::iid.data(), IPluginFactory::iid.data(), unknown.data()}) {
            void* obj = reinterpret_cast<void*>(1);
            EXPECT_EQ(object->queryInterface(id, &obj), kNoInterface);
            EXPECT_EQ(obj, nullptr);
        }
    }
    EXPECT_EQ(component->queryInterface(IConnectionPoint::iid, nullptr), kInvalidArgument);
    for (const char* id : {IEditController2::iid.data(), IUnitInfo::iid.data(), IMidiMapping::iid.data()}) {
        YVst3Ptr<FUnknown> served;
        EXPECT_EQ(component->queryInterface(id, served.Out()), kResultOk);
    }
    TUID controllerClass{};
    EXPECT_EQ(component->getControllerClassId(controllerClass), kResultFalse);
    // The root unit is the only unit.
    auto units = YVst3Ptr<IUnitInfo>::Query(controller.Get());
    ASSERT_EQ(units->getUnitCount(), 1);
    UnitInfo unit{};
    ASSERT_EQ(units->getUnitInfo(0, unit), kResultOk);
    EXPECT_EQ(unit.id, kRootUnitId);
    EXPECT_EQ(unit.parentUnitId, kNoParentUnitId);
    EXPECT_EQ(units->getProgramListCount(), 0);
    // A plug-in without an editor: the view takes the system's window type only and
    // attaches nowhere.
    IPlugView* view = controller->createView("editor");
    EXPECT_EQ(controller->createView("other"), nullptr);
    ASSERT_NE(view, nullptr);
    const char* native = Platform::kWindowsTarget ? kPlatformTypeHWND : kPlatformTypeX11EmbedWindowID;
    const char* foreign = Platform::kWindowsTarget ? kPlatformTypeX11EmbedWindowID : kPlatformTypeHWND;
    EXPECT_EQ(view->isPlatformTypeSupported(native), kResultOk);
    EXPECT_EQ(view->isPlatformTypeSupported(foreign), kResultFalse);
    EXPECT_EQ(view->attached(reinterpret_cast<void*>(0x10), native), kResultFalse);
    ViewRect rect{};
    EXPECT_EQ(view->getSize(&rect), kResultFalse);
    EXPECT_EQ(view->checkSizeConstraint(&rect), kResultFalse);
    EXPECT_EQ(view->removed(), kResultFalse);
    view->release();
    component->terminate();
}

TEST_F(Conformance, TheHalvesThroughTheirOwnPointersAreOneObject) {
    // The component and the controller, each queried for itself, as hosts that keep
    // them apart do.
    ASSERT_EQ(component->initialize(context.Get()), kResultOk);
    auto controllerOnly = YVst3Ptr<IEditController>::Query(processor.Get());
    auto componentAgain = YVst3Ptr<IComponent>::Query(controllerOnly.Get());
    ASSERT_TRUE(controllerOnly && componentAgain);
    EXPECT_EQ(componentAgain.Get(), component.Get());
    EXPECT_EQ(YVst3Ptr<FUnknown>::Query(controllerOnly.Get()).Get(), YVst3Ptr<FUnknown>::Query(processor.Get()).Get());
    // A host that also initializes the controller half is refused the second time.
    EXPECT_EQ(controllerOnly->initialize(context.Get()), kResultFalse);
    controllerOnly->setComponentHandler(nullptr);
    EXPECT_EQ(controllerOnly->getParameterCount(), 12 + 1 + 130);
    component->terminate();
}

}  // namespace
