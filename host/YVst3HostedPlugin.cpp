#include "host/YVst3HostedPlugin.h"

#include "host/YHostWindow.h"
#include "platform/PlatformAbi.h"

#include "shell/vst3/IMidiMapping.h"
#include "shell/vst3/Speakers.h"
#include "shell/vst3/Vst3Text.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace Vst3;

namespace {

SpeakerArrangement ArrangementFor(int32_t channels, SpeakerArrangement current) {
    switch (channels) {
        case 1: return SpeakerArr::kMono;
        case 2: return SpeakerArr::kStereo;
        case 6: return SpeakerArr::k51;
        case 8: return SpeakerArr::k80Music;
        default: return current;
    }
}

}  // namespace

std::unique_ptr<YVst3HostedPlugin> YVst3HostedPlugin::Create(const std::shared_ptr<YPluginLibrary>& library,
                                                             YString& error) {
    auto getFactory = reinterpret_cast<GetFactoryProc>(library ? library->Symbol("GetPluginFactory") : nullptr);
    if (getFactory == nullptr) {
        error = "no GetPluginFactory";
        return nullptr;
    }
    std::unique_ptr<YVst3HostedPlugin> plugin(new YVst3HostedPlugin(library));
    plugin->factory_ = YVst3Ptr<IPluginFactory>(getFactory());
    if (!plugin->factory_) {
        error = "GetPluginFactory gave nothing";
        return nullptr;
    }
    PClassInfo info{};
    bool found = false;
    for (int32_t i = 0; i < plugin->factory_->countClasses() && !found; ++i)
        found = plugin->factory_->getClassInfo(i, &info) == kResultOk &&
                std::strcmp(info.category, kVstAudioEffectClass) == 0;
    if (!found) {
        error = "no audio effect class";
        return nullptr;
    }
    if (plugin->factory_->createInstance(info.cid, IComponent::iid, plugin->component_.Out()) != kResultOk ||
        !plugin->component_) {
        error = "createInstance failed";
        return nullptr;
    }
    auto* application = new YVst3Host::HostApplication(kHostName);
    plugin->hostContext_ = YVst3Ptr<FUnknown>(application->Unknown());
    if (plugin->component_->initialize(plugin->hostContext_.Get()) != kResultOk) {
        plugin->component_.Reset();
        error = "initialize failed";
        return nullptr;
    }
    plugin->processor_ = YVst3Ptr<IAudioProcessor>::Query(plugin->component_.Get());
    if (!plugin->processor_) {
        error = "no IAudioProcessor";
        return nullptr;
    }

    // The controller: the component itself, or a separate object of its controller class.
    plugin->controller_ = YVst3Ptr<IEditController>::Query(plugin->component_.Get());
    if (plugin->controller_) {
        plugin->singleComponent_ = YVst3Ptr<FUnknown>::Query(plugin->controller_.Get()).Get() ==
                                   YVst3Ptr<FUnknown>::Query(plugin->component_.Get()).Get();
    } else {
        TUID controllerClass{};
        if (plugin->component_->getControllerClassId(controllerClass) == kResultOk &&
            plugin->factory_->createInstance(controllerClass, IEditController::iid, plugin->controller_.Out()) ==
                kResultOk &&
            plugin->controller_) {
            plugin->controllerInitialized_ = plugin->controller_->initialize(plugin->hostContext_.Get()) == kResultOk;
        }
    }
    plugin->handler_ = YVst3Ptr<YVst3Host::ComponentHandler>(new YVst3Host::ComponentHandler);
    plugin->changes_ = YVst3Ptr<YVst3Host::ParameterChanges>(new YVst3Host::ParameterChanges);
    plugin->inputEvents_ = YVst3Ptr<YVst3Host::EventList>(new YVst3Host::EventList);
    plugin->outputEvents_ = YVst3Ptr<YVst3Host::EventList>(new YVst3Host::EventList);
    if (plugin->controller_) {
        plugin->controller_->setComponentHandler(plugin->handler_.Get());
        for (const YHostedParameter& parameter : plugin->Parameters())
            if (parameter.isBypass) plugin->bypassId_ = parameter.id;
    }
    return plugin;
}

YVst3HostedPlugin::~YVst3HostedPlugin() {
    CloseEditor();
    Deactivate();
    if (controller_) controller_->setComponentHandler(nullptr);
    if (controller_ && !singleComponent_ && controllerInitialized_) controller_->terminate();
    if (component_) component_->terminate();
    controller_.Reset();
    processor_.Reset();
    component_.Reset();
    handler_.Reset();
    changes_.Reset();
    inputEvents_.Reset();
    outputEvents_.Reset();
    hostContext_.Reset();
    factory_.Reset();
}

void YVst3HostedPlugin::Deactivate() {
    if (!active_) return;
    processor_->setProcessing(0);
    component_->setActive(0);
    active_ = false;
}

int32_t YVst3HostedPlugin::BusChannels(BusDirection direction, int32_t bus) const {
    SpeakerArrangement arrangement = 0;
    if (processor_->getBusArrangement(direction, bus, arrangement) != kResultOk) return 0;
    return ChannelCount(arrangement);
}

bool YVst3HostedPlugin::Prepare(double sampleRate, int32_t maxBlock, int32_t inputChannels, int32_t outputChannels) {
    Deactivate();
    sampleRate_ = sampleRate;
    maxBlock_ = maxBlock;
    inputChannels_ = inputChannels;
    outputChannels_ = outputChannels;

    const int32_t inputBuses = component_->getBusCount(kAudio, kInput);
    const int32_t outputBuses = component_->getBusCount(kAudio, kOutput);
    std::vector<SpeakerArrangement> ins(static_cast<std::size_t>(inputBuses)), outs(static_cast<std::size_t>(outputBuses));
    for (int32_t i = 0; i < inputBuses; ++i) processor_->getBusArrangement(kInput, i, ins[static_cast<std::size_t>(i)]);
    for (int32_t i = 0; i < outputBuses; ++i) processor_->getBusArrangement(kOutput, i, outs[static_cast<std::size_t>(i)]);
    if (inputBuses > 0) ins[0] = ArrangementFor(inputChannels, ins[0]);
    if (outputBuses > 0) outs[0] = ArrangementFor(outputChannels, outs[0]);
    processor_->setBusArrangements(ins.data(), inputBuses, outs.data(), outputBuses);

    auto makeBuses = [&](BusDirection direction, int32_t count, std::vector<AudioBusBuffers>& buses,
                         std::vector<std::vector<float*>>& pointers, std::vector<std::vector<float>>& storage) {
        buses.assign(static_cast<std::size_t>(count), AudioBusBuffers{});
        pointers.assign(static_cast<std::size_t>(count), {});
        storage.clear();
        for (int32_t bus = 0; bus < count; ++bus) {
            const int32_t channels = BusChannels(direction, bus);
            for (int32_t c = 0; c < channels; ++c) {
                storage.emplace_back(static_cast<std::size_t>(maxBlock), 0.0f);
                pointers[static_cast<std::size_t>(bus)].push_back(storage.back().data());
            }
        }
        // Storage no longer moves: point the buses at it.
        std::size_t next = 0;
        for (int32_t bus = 0; bus < count; ++bus) {
            auto& list = pointers[static_cast<std::size_t>(bus)];
            for (float*& pointer : list) pointer = storage[next++].data();
            buses[static_cast<std::size_t>(bus)].numChannels = static_cast<int32_t>(list.size());
            buses[static_cast<std::size_t>(bus)].channelBuffers32 = list.data();
        }
        if (count > 0) component_->activateBus(kAudio, direction, 0, 1);
    };
    makeBuses(kInput, inputBuses, inputBuses_, inputPointers_, inputStorage_);
    makeBuses(kOutput, outputBuses, outputBuses_, outputPointers_, outputStorage_);
    hasEventOutput_ = component_->getBusCount(kEvent, kOutput) > 0;

    ProcessSetup setup{kRealtime, kSample32, maxBlock, sampleRate};
    if (processor_->setupProcessing(setup) != kResultOk) return false;
    if (component_->setActive(1) != kResultOk) return false;
    processor_->setProcessing(1);
    active_ = true;
    return true;
}

std::vector<YHostedParameter> YVst3HostedPlugin::Parameters() {
    std::vector<YHostedParameter> parameters;
    if (!controller_) return parameters;
    const int32_t count = controller_->getParameterCount();
    for (int32_t i = 0; i < count; ++i) {
        ParameterInfo info{};
        if (controller_->getParameterInfo(i, info) != kResultOk) continue;
        YHostedParameter parameter;
        parameter.id = info.id;
        parameter.name = TextFrom(info.title);
        parameter.units = TextFrom(info.units);
        parameter.defaultValue = info.defaultNormalizedValue;
        parameter.stepCount = info.stepCount;
        parameter.automatable = (info.flags & ParameterInfo::kCanAutomate) != 0;
        parameter.isBypass = (info.flags & ParameterInfo::kIsBypass) != 0;
        parameters.push_back(parameter);
    }
    return parameters;
}

double YVst3HostedPlugin::GetParameter(uint32_t id) { return controller_ ? controller_->getParamNormalized(id) : 0.0; }

void YVst3HostedPlugin::SetParameter(uint32_t id, double value) {
    if (controller_) controller_->setParamNormalized(id, value);
    changes_->Add(id, 0, value);
}

void YVst3HostedPlugin::QueueParameterChange(ParamID id, int32_t offset, ParamValue value) {
    changes_->Add(id, offset, value);
}

void YVst3HostedPlugin::QueueEvent(const Event& event) { inputEvents_->Events().push_back(event); }

YString YVst3HostedPlugin::ValueText(uint32_t id, std::optional<double> value) {
    if (!controller_) return YString();
    String128 text{};
    const double shown = value ? *value : controller_->getParamNormalized(id);
    if (controller_->getParamStringByValue(id, shown, text) != kResultOk) return YString();
    return TextFrom(text);
}

std::optional<double> YVst3HostedPlugin::TextToValue(uint32_t id, const YString& text) {
    if (!controller_) return std::nullopt;
    String128 units{};
    CopyText(units, text);
    ParamValue value = 0.0;
    if (controller_->getParamValueByString(id, units, value) != kResultOk) return std::nullopt;
    return value;
}

void YVst3HostedPlugin::SendMIDIInput() {
    // Controllers, pitch bend and channel pressure become parameter changes through
    // the plug-in's MIDI mapping; notes become note events.
    auto mapping = YVst3Ptr<IMidiMapping>::Query(controller_.Get());
    for (const YHostMIDIEvent& midi : midiInput_) {
        const int32_t kind = midi.status & 0xF0;
        const auto channel = static_cast<int16_t>(midi.status & 0x0F);
        auto mapped = [&](CtrlNumber controller, double value) {
            ParamID id = kNoParamId;
            if (mapping && mapping->getMidiControllerAssignment(0, channel, controller, id) == kResultOk)
                changes_->Add(id, midi.offset, value);
        };
        Event event{};
        event.busIndex = 0;
        event.sampleOffset = midi.offset;
        event.ppqPosition = transport_.ppqPosition;
        if (kind == 0x90 && midi.data2 > 0) {
            event.type = Event::kNoteOnEvent;
            event.noteOn.channel = channel;
            event.noteOn.pitch = midi.data1;
            event.noteOn.velocity = midi.data2 / 127.0f;
            event.noteOn.noteId = -1;
            inputEvents_->Events().push_back(event);
        } else if (kind == 0x80 || kind == 0x90) {
            event.type = Event::kNoteOffEvent;
            event.noteOff.channel = channel;
            event.noteOff.pitch = midi.data1;
            event.noteOff.velocity = midi.data2 / 127.0f;
            event.noteOff.noteId = -1;
            inputEvents_->Events().push_back(event);
        } else if (kind == 0xB0) {
            mapped(static_cast<CtrlNumber>(midi.data1 & 0x7F), midi.data2 / 127.0);
        } else if (kind == 0xE0) {
            mapped(kPitchBend, ((midi.data2 << 7) | midi.data1) / 16383.0);
        } else if (kind == 0xD0) {
            mapped(kAfterTouch, midi.data1 / 127.0);
        }
    }
    midiInput_.clear();
}

void YVst3HostedPlugin::FillContext() {
    context_ = ProcessContext{};
    context_.state = ProcessContext::kProjectTimeMusicValid | ProcessContext::kTempoValid |
                     ProcessContext::kTimeSigValid | ProcessContext::kBarPositionValid | ProcessContext::kCycleValid;
    if (transport_.playing) context_.state |= ProcessContext::kPlaying;
    if (transport_.cycleActive) context_.state |= ProcessContext::kCycleActive;
    context_.sampleRate = sampleRate_;
    context_.projectTimeSamples = transport_.samplePosition;
    context_.projectTimeMusic = transport_.ppqPosition;
    context_.barPositionMusic = transport_.barStart;
    context_.cycleStartMusic = transport_.cycleStart;
    context_.cycleEndMusic = transport_.cycleEnd;
    context_.tempo = transport_.tempo;
    context_.timeSigNumerator = transport_.timeSigNumerator;
    context_.timeSigDenominator = transport_.timeSigDenominator;
}

void YVst3HostedPlugin::Process(const float* const* inputs, float* const* outputs, int32_t frames) {
    if (!active_ || frames > maxBlock_ || frames < 0) return;
    const auto count = static_cast<std::size_t>(frames);
    // Caller's channels fill the buses in order; the plug-in works on the host's copies.
    for (std::size_t c = 0; c < inputStorage_.size(); ++c) {
        float* buffer = inputStorage_[c].data();
        if (inputs && static_cast<int32_t>(c) < inputChannels_ && inputs[c])
            std::copy(inputs[c], inputs[c] + count, buffer);
        else
            std::fill(buffer, buffer + count, 0.0f);
    }
    SendMIDIInput();
    FillContext();

    ProcessData data{};
    data.processMode = kRealtime;
    data.symbolicSampleSize = kSample32;
    data.numSamples = frames;
    data.numInputs = static_cast<int32_t>(inputBuses_.size());
    data.numOutputs = static_cast<int32_t>(outputBuses_.size());
    data.inputs = inputBuses_.empty() ? nullptr : inputBuses_.data();
    data.outputs = outputBuses_.empty() ? nullptr : outputBuses_.data();
    data.inputParameterChanges = changes_.Get();
    data.inputEvents = inputEvents_.Get();
    data.outputEvents = hasEventOutput_ ? outputEvents_.Get() : nullptr;
    data.processContext = contextEnabled_ ? &context_ : nullptr;
    processor_->process(data);

    for (std::size_t c = 0; c < outputStorage_.size() && static_cast<int32_t>(c) < outputChannels_; ++c)
        if (outputs && outputs[c]) std::copy(outputStorage_[c].data(), outputStorage_[c].data() + count, outputs[c]);
    for (const Event& event : outputEvents_->Events()) {
        if (event.type == Event::kNoteOnEvent)
            midiOutput_.push_back(YHostMIDIEvent{event.sampleOffset, static_cast<uint8_t>(0x90 | (event.noteOn.channel & 0x0F)),
                                                 static_cast<uint8_t>(event.noteOn.pitch & 0x7F),
                                                 static_cast<uint8_t>(std::lround(event.noteOn.velocity * 127.0f))});
        else if (event.type == Event::kNoteOffEvent)
            midiOutput_.push_back(YHostMIDIEvent{event.sampleOffset, static_cast<uint8_t>(0x80 | (event.noteOff.channel & 0x0F)),
                                                 static_cast<uint8_t>(event.noteOff.pitch & 0x7F),
                                                 static_cast<uint8_t>(std::lround(event.noteOff.velocity * 127.0f))});
    }
    changes_->Clear();
    inputEvents_->Clear();
    outputEvents_->Clear();
    AdvanceTransport(frames, sampleRate_);
}

std::vector<YHostAutomation> YVst3HostedPlugin::TakeAutomation() {
    std::vector<YHostAutomation> taken = std::exchange(automation_, {});
    const auto& edits = handler_->edits;
    for (; editsTaken_ < edits.size(); ++editsTaken_)
        taken.push_back(YHostAutomation{edits[editsTaken_].id, edits[editsTaken_].value});
    return taken;
}

YByteBuffer YVst3HostedPlugin::GetState() {
    YVst3Ptr<YVst3Host::MemoryStream> stream(new YVst3Host::MemoryStream);
    if (component_->getState(stream.Get()) != kResultOk) return YByteBuffer();
    const std::vector<uint8_t>& bytes = stream->Bytes();
    YByteBuffer state(bytes.size());
    if (!bytes.empty()) std::memcpy(state.MutableData(), bytes.data(), bytes.size());
    return state;
}

bool YVst3HostedPlugin::SetState(const YByteBuffer& state) {
    std::vector<uint8_t> bytes(state.Data(), state.Data() + state.Size());
    YVst3Ptr<YVst3Host::MemoryStream> stream(new YVst3Host::MemoryStream(bytes));
    const bool loaded = component_->setState(stream.Get()) == kResultOk;
    if (loaded && controller_) {
        stream->seek(0, IBStream::kIBSeekSet, nullptr);
        controller_->setComponentState(stream.Get());
    }
    return loaded;
}

int32_t YVst3HostedPlugin::Latency() { return static_cast<int32_t>(processor_->getLatencySamples()); }

int64_t YVst3HostedPlugin::Tail() {
    const uint32_t tail = processor_->getTailSamples();
    return tail == kInfiniteTail ? -1 : static_cast<int64_t>(tail);
}

// ---- Editor ------------------------------------------------------------------------------------

namespace {

const char* NativeWindowType() {
    return Platform::kWindowsTarget ? kPlatformTypeHWND : kPlatformTypeX11EmbedWindowID;
}

}  // namespace

bool YVst3HostedPlugin::EditorSize(int32_t& width, int32_t& height) {
    YVst3Ptr<IPlugView> view = view_;
    if (!view) view = YVst3Ptr<IPlugView>(controller_->createView(ViewType::kEditor));
    ViewRect rect{};
    if (!view || view->getSize(&rect) != kResultOk) return false;
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
    return true;
}

bool YVst3HostedPlugin::OpenEditor(YHostWindow& window) {
    CloseEditor();
    view_ = YVst3Ptr<IPlugView>(controller_->createView(ViewType::kEditor));
    if (!view_ || view_->isPlatformTypeSupported(NativeWindowType()) != kResultOk) {
        view_.Reset();
        return false;
    }
    frame_ = YVst3Ptr<YVst3Host::PlugFrame>(new YVst3Host::PlugFrame(window));
    view_->setFrame(frame_.Get());
    ViewRect rect{};
    if (view_->getSize(&rect) == kResultOk) window.Resize(rect.right - rect.left, rect.bottom - rect.top);
    window.ProcessEvents();
    if (view_->attached(window.Handle(), NativeWindowType()) != kResultOk) {
        view_->setFrame(nullptr);
        view_.Reset();
        frame_.Reset();
        return false;
    }
    editorWindow_ = &window;
    return true;
}

void YVst3HostedPlugin::CloseEditor() {
    if (!view_) return;
    if (editorWindow_) view_->removed();
    view_->setFrame(nullptr);
    view_.Reset();
    frame_.Reset();
    editorWindow_ = nullptr;
}

bool YVst3HostedPlugin::ResizeEditor(int32_t& width, int32_t& height) {
    if (!view_ || editorWindow_ == nullptr || view_->canResize() != kResultOk) return false;
    ViewRect rect{0, 0, width, height};
    if (view_->checkSizeConstraint(&rect) != kResultOk) return false;
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
    editorWindow_->Resize(width, height);
    return view_->onSize(&rect) == kResultOk;
}

void YVst3HostedPlugin::IdleEditor() {
    if (editorWindow_ == nullptr) return;
    editorWindow_->ProcessEvents();
    frame_->Dispatch();
}

std::vector<YHostGesture> YVst3HostedPlugin::TakeGestures() {
    std::vector<YHostGesture> taken;
    for (const auto& [kind, id] : handler_->gestures) taken.push_back(YHostGesture{kind, id});
    handler_->gestures.clear();
    return taken;
}
