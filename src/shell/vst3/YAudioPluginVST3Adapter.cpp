#include "shell/vst3/YAudioPluginVST3Adapter.h"

#include "foundation/YException.h"
#include "foundation/YFormat.h"
#include "foundation/YMemoryStream.h"
#include "platform/PlatformAbi.h"
#include "shell/YAudioPlugin.h"
#include "shell/YModule.h"
#include "shell/YStateChunk.h"
#include "shell/vst2/YAudioPluginVSTAdapter.h"
#include "shell/vst3/IBStream.h"
#include "shell/vst3/IHostApplication.h"
#include "shell/vst3/Vst3Text.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

using namespace Vst3;

namespace {

std::atomic<KnobMode> knobMode{kCircularMode};

// Sets the flag for a scope, also when the body raises.
class EchoScope {
public:
    explicit EchoScope(std::atomic<int32_t>& flag) : flag_(flag) { flag_ = 1; }
    ~EchoScope() { flag_ = 0; }
    EchoScope(const EchoScope&) = delete;
    EchoScope& operator=(const EchoScope&) = delete;

private:
    std::atomic<int32_t>& flag_;
};

// A channel count from an arrangement for a plug-in whose buses carry perBus
// channels: stereo or the 8-channel layout when the host asks for more.
SpeakerArrangement Fitted(SpeakerArrangement arrangement, int32_t perBus, int32_t maxChannels) {
    if (perBus < maxChannels) return perBus == 2 ? SpeakerArr::kStereo : SpeakerArr::k80Music;
    return arrangement;
}

bool ParseNumber(const YString& text, double& value) {
    const std::string bytes = text.Trimmed().ToUtf8();
    char* end = nullptr;
    value = std::strtod(bytes.c_str(), &end);
    return end != bytes.c_str();
}

}  // namespace

YAudioPluginVST3Adapter::YAudioPluginVST3Adapter(YAudioPlugin* plugin) : plugin_(plugin) {
    pendingMIDIOutput_.Reserve(64);
}

YAudioPluginVST3Adapter::~YAudioPluginVST3Adapter() {
    YGuarded("YAudioPluginVST3Adapter::~YAudioPluginVST3Adapter", [&] {
        if (plugFrame_) plugFrame_->release();
        plugFrame_ = nullptr;
        plugin_->SetAdapter(nullptr);
        delete plugin_;
    });
    if (counted_) YLibrary::RemoveInstance(YPluginInterface::Vst3);
}

KnobMode YAudioPluginVST3Adapter::KnobModeSetting() { return knobMode.load(); }

// ---- Set-up ------------------------------------------------------------------------------------

tresult YAudioPluginVST3Adapter::initialize(FUnknown* context) {
    const tresult base = YVst3EffectBase::initialize(context);
    if (base != kResultOk) return base;
    return YGuarded("YAudioPluginVST3Adapter::initialize", kResultFalse, [&] {
        hostName_ = YString();
        IHostApplication* host = nullptr;
        if (context && context->queryInterface(IHostApplication::iid, reinterpret_cast<void**>(&host)) == kResultOk &&
            host) {
            String128 name{};
            if (host->getName(name) == kResultOk) hostName_ = TextFrom(name);
            host->release();
        }
        plugin_->bindingName = "VST3";
        if (!counted_) {
            YLibrary::AddInstance(YPluginInterface::Vst3);
            counted_ = true;
        }
        echoGuard_ = 0;
        plugin_->SetAdapter(this);
        inputArrangement_ = outputArrangement_ = SpeakerArr::kStereo;
        plugin_->SetChannels(2, 2);

        BuildAudioBuses();
        ClearEventBuses();
        if (plugin_->receivesMIDI) AddEventBus(kInput, "Midi In", 16, kMain, BusInfo::kDefaultActive);
        if (plugin_->sendsMIDI) AddEventBus(kOutput, "Midi Out", 16, kMain, BusInfo::kDefaultActive);
        RegisterParameters();

        plugin_->SetSampleRate(44100.0);
        plugin_->InitProcessing();
        return kResultOk;
    });
}

void YAudioPluginVST3Adapter::BuildAudioBuses() {
    ClearAudioBuses();
    const int32_t perBus = plugin_->ChannelsPerBus();
    const int32_t inputBuses = static_cast<int32_t>(plugin_->InputPins().size()) / perBus;
    const int32_t outputBuses = static_cast<int32_t>(plugin_->OutputPins().size()) / perBus;
    if (inputBuses >= 1) AddAudioBus(kInput, "Stereo In", inputArrangement_, kMain, BusInfo::kDefaultActive);
    if (inputBuses == 2) AddAudioBus(kInput, "Sidechain", inputArrangement_, kAux, 0);
    for (int32_t chain = 1; inputBuses > 2 && chain < inputBuses; ++chain)
        AddAudioBus(kInput, YFormat("Sidechain {0}").Arg(chain), inputArrangement_, kAux, 0);
    if (outputBuses == 1) AddAudioBus(kOutput, "Stereo Out", outputArrangement_, kMain, BusInfo::kDefaultActive);
    for (int32_t bus = 1; outputBuses > 1 && bus <= outputBuses; ++bus)
        AddAudioBus(kOutput, YFormat("Stereo Out {0}").Arg(bus), outputArrangement_, kMain, BusInfo::kDefaultActive);
}

void YAudioPluginVST3Adapter::RegisterParameters() {
    ClearParameters();
    const int32_t count = plugin_->GetParameterCount();
    for (int32_t id = 0; id < count; ++id) {
        const int32_t steps = plugin_->GetParameterType(id) == 4 ? 1 : 0;
        const auto defaultValue = static_cast<float>(plugin_->GetParameterDefaultValue(id));
        AddParameter(static_cast<ParamID>(id), plugin_->GetParameterID(id), steps, defaultValue,
                     ParameterInfo::kCanAutomate);
    }
    AddParameter(kBypassId, "Bypass", 1, 0.0, ParameterInfo::kCanAutomate | ParameterInfo::kIsBypass);
    for (int32_t n = 0; n < kControllerCount; ++n)
        AddParameter(kFirstControllerId + static_cast<ParamID>(n), YFormat("Controller {0}").Arg(n + 1), 0, 0.0,
                     ParameterInfo::kNoFlags);
    deferred_.assign(static_cast<std::size_t>(count + 1 + kControllerCount), std::numeric_limits<double>::quiet_NaN());
    anyDeferred_ = false;
}

tresult YAudioPluginVST3Adapter::setActive(TBool state) {
    return YGuarded("YAudioPluginVST3Adapter::setActive", kResultFalse, [&] {
        activating_ = true;
        struct Clear {
            bool& flag;
            ~Clear() { flag = false; }
        } clear{activating_};
        if (state) plugin_->InitProcessing();
        return kResultOk;
    });
}

tresult YAudioPluginVST3Adapter::setBusArrangements(SpeakerArrangement* inputs, int32_t numIns,
                                                    SpeakerArrangement* outputs, int32_t numOuts) {
    return YGuarded("YAudioPluginVST3Adapter::setBusArrangements", kResultFalse, [&] {
        if ((numIns > 0 && inputs == nullptr) || (numOuts > 0 && outputs == nullptr)) return kInvalidArgument;
        SpeakerArrangement in = numIns > 0 ? inputs[0] : inputArrangement_;
        SpeakerArrangement out = numOuts > 0 ? outputs[0] : outputArrangement_;
        int32_t maxIn = 0, maxOut = 0;
        for (int32_t i = 0; i < numIns; ++i) maxIn = std::max(maxIn, ChannelCount(inputs[i]));
        for (int32_t i = 0; i < numOuts; ++i) maxOut = std::max(maxOut, ChannelCount(outputs[i]));
        const int32_t perBus = plugin_->ChannelsPerBus();
        in = Fitted(in, perBus, maxIn);
        out = Fitted(out, perBus, maxOut);
        if (in == inputArrangement_ || out == outputArrangement_) return kResultOk;
        inputArrangement_ = in;
        outputArrangement_ = out;
        BuildAudioBuses();
        if (maxIn > perBus || maxOut > perBus) return kResultFalse;
        plugin_->SetChannels(maxIn, maxOut);
        return kResultOk;
    });
}

uint32_t YAudioPluginVST3Adapter::getLatencySamples() {
    return YGuarded("YAudioPluginVST3Adapter::getLatencySamples", 0u, [&] {
        cachedLatency_ = plugin_->GetHostLatency();
        return static_cast<uint32_t>(std::max(cachedLatency_, 0));
    });
}

uint32_t YAudioPluginVST3Adapter::getTailSamples() {
    return YGuarded("YAudioPluginVST3Adapter::getTailSamples", kNoTail, [&] {
        cachedTail_ = plugin_->GetHostTailLength();
        return cachedTail_ < 0 ? kInfiniteTail : static_cast<uint32_t>(cachedTail_);
    });
}

tresult YAudioPluginVST3Adapter::setupProcessing(ProcessSetup& setup) {
    return YGuarded("YAudioPluginVST3Adapter::setupProcessing", kResultFalse, [&] {
        processMode_ = setup.processMode;
        if (setup.sampleRate > 100.0) {
            plugin_->SetSampleRate(std::floor(setup.sampleRate + 0.5));
            plugin_->InitProcessing();
        }
        return YVst3EffectBase::setupProcessing(setup);
    });
}

// ---- State -------------------------------------------------------------------------------------------

tresult YAudioPluginVST3Adapter::getState(IBStream* state) {
    return YGuarded("YAudioPluginVST3Adapter::getState", kResultFalse, [&] {
        if (state == nullptr) return kInvalidArgument;
        YByteBuffer chunk = YStateChunk::Save(*plugin_);
        int32_t written = 0;
        const tresult result =
            state->write(const_cast<uint8_t*>(chunk.Data()), static_cast<int32_t>(chunk.Size()), &written);
        return result == kResultOk && written == static_cast<int32_t>(chunk.Size()) ? kResultOk : kResultFalse;
    });
}

tresult YAudioPluginVST3Adapter::setState(IBStream* state) {
    return YGuarded("YAudioPluginVST3Adapter::setState", kResultFalse, [&] {
        if (state == nullptr) return kInvalidArgument;
        YMemoryStream memory;
        uint8_t piece[kStateReadPiece];
        for (;;) {
            int32_t read = 0;
            if (state->read(piece, kStateReadPiece, &read) != kResultOk || read <= 0) break;
            memory.Write(piece, static_cast<uint32_t>(std::min(read, kStateReadPiece)));
        }
        YStateChunk::Load(*plugin_, memory.GetBuffer());
        return kResultOk;
    });
}

// ---- Controller --------------------------------------------------------------------------------------

tresult YAudioPluginVST3Adapter::getParamStringByValue(ParamID id, ParamValue valueNormalized, String128 string) {
    return YGuarded("YAudioPluginVST3Adapter::getParamStringByValue", kResultFalse, [&] {
        if (string == nullptr) return kInvalidArgument;
        if (id < static_cast<ParamID>(plugin_->GetParameterCount())) {
            CopyText(string, plugin_->GetParameterValueNameFrom01(static_cast<int32_t>(id), valueNormalized));
        } else if (id == kBypassId) {
            CopyText(string, valueNormalized > 0.5 ? "On" : "Off", 128);
        } else if (id >= kFirstControllerId && id < kFirstControllerId + kControllerCount) {
            const auto midiValue = static_cast<int32_t>(std::floor(std::clamp(valueNormalized, 0.0, 1.0) * 127.0 + 0.5));
            CopyText(string, YFormat("{0}").Arg(midiValue));
        } else {
            return kInvalidArgument;
        }
        return kResultOk;
    });
}

tresult YAudioPluginVST3Adapter::getParamValueByString(ParamID id, TChar* string, ParamValue& valueNormalized) {
    return YGuarded("YAudioPluginVST3Adapter::getParamValueByString", kResultFalse, [&] {
        if (string == nullptr) return kInvalidArgument;
        const YString text = TextFrom(string);
        double value = 0.0;
        if (id < static_cast<ParamID>(plugin_->GetParameterCount())) {
            value = plugin_->ParseParameterValueName(static_cast<int32_t>(id), text);
            if (value < 0.0) return kResultFalse;
        } else if (id == kBypassId) {
            const YString word = text.Trimmed();
            if (YString::EqualsNoCase(word, "On"))
                value = 1.0;
            else if (YString::EqualsNoCase(word, "Off"))
                value = 0.0;
            else if (!ParseNumber(text, value))
                return kResultFalse;
            value = value > 0.5 ? 1.0 : 0.0;
        } else if (id >= kFirstControllerId && id < kFirstControllerId + kControllerCount) {
            if (!ParseNumber(text, value)) return kResultFalse;
            value = std::clamp(value / 127.0, 0.0, 1.0);
        } else {
            return kInvalidArgument;
        }
        valueNormalized = value;
        return kResultOk;
    });
}

ParamValue YAudioPluginVST3Adapter::getParamNormalized(ParamID id) {
    return YGuarded("YAudioPluginVST3Adapter::getParamNormalized", 0.0, [&] {
        if (id == kBypassId) return plugin_->bypass ? 1.0 : 0.0;
        if (id >= kFirstControllerId) return 0.0;
        if (id >= static_cast<ParamID>(plugin_->GetParameterCount())) return 0.0;
        return plugin_->GetParameter(static_cast<int32_t>(id));
    });
}

tresult YAudioPluginVST3Adapter::setParamNormalized(ParamID id, ParamValue value) {
    return YGuarded("YAudioPluginVST3Adapter::setParamNormalized", kResultFalse, [&] {
        // The bypass switch has no controller-side copy: the controller shows the
        // plug-in's own switch, so the host's setting goes there.
        if (id == kBypassId) plugin_->bypass = value > 0.5;
        return YVst3EffectBase::setParamNormalized(id, value);
    });
}

IPlugView* YAudioPluginVST3Adapter::createView(FIDString name) {
    return YGuarded("YAudioPluginVST3Adapter::createView", static_cast<IPlugView*>(nullptr), [&]() -> IPlugView* {
        if (name == nullptr || std::strcmp(name, ViewType::kEditor) != 0) return nullptr;
        return new YEditor(this);
    });
}

tresult YAudioPluginVST3Adapter::setKnobMode(KnobMode mode) {
    knobMode = mode;
    return kResultOk;
}

tresult YAudioPluginVST3Adapter::getMidiControllerAssignment(int32_t, int16_t, CtrlNumber midiControllerNumber,
                                                             ParamID& id) {
    if (midiControllerNumber < 0 || midiControllerNumber >= kControllerCount) return kResultFalse;
    id = kFirstControllerId + static_cast<ParamID>(midiControllerNumber);
    return kResultOk;
}

// ---- Processing (audio thread) ----------------------------------------------------------------------

int32_t YAudioPluginVST3Adapter::DeferredSlot(ParamID id) const {
    const auto count = static_cast<ParamID>(plugin_->GetParameterCount());
    if (id < count) return static_cast<int32_t>(id);
    if (id == kBypassId) return static_cast<int32_t>(count);
    if (id >= kFirstControllerId && id < kFirstControllerId + kControllerCount)
        return static_cast<int32_t>(count + 1 + (id - kFirstControllerId));
    return -1;
}

bool YAudioPluginVST3Adapter::ApplyParameterChange(ParamID id, ParamValue value) {
    // Another thread preparing or loading holds parameterLock: the change waits for
    // the next call rather than blocking the audio thread.
    if (plugin_->parameterLock.Acquire(0)) return false;
    struct Release {
        YLock& lock;
        ~Release() { lock.Release(); }
    } releaseParameters{plugin_->parameterLock};
    YScopedLock processing(plugin_->processingLock);

    const double position = plugin_->transport.ppqPosition;
    if (id == kBypassId) {
        plugin_->bypass = value > 0.5;
    } else if (id >= kFirstControllerId) {
        const int32_t controller = static_cast<int32_t>(id - kFirstControllerId);
        if (controller == kPitchBendController)
            plugin_->ProcessPitchBend(0, position, 0, value * 2.0 - 1.0);
        else if (controller < kControllerCount)
            plugin_->ProcessMIDIController(0, position, 0, controller, value);
    } else if (echoGuard_ == 0 && id < static_cast<ParamID>(plugin_->GetParameterCount())) {
        plugin_->SetParameterIfChanged(static_cast<int32_t>(id), value, false);
    }
    return true;
}

void YAudioPluginVST3Adapter::ApplyDeferredChanges() {
    if (!anyDeferred_) return;
    anyDeferred_ = false;
    const auto count = static_cast<int32_t>(plugin_->GetParameterCount());
    for (std::size_t slot = 0; slot < deferred_.size(); ++slot) {
        const double value = deferred_[slot];
        if (std::isnan(value)) continue;
        const auto index = static_cast<int32_t>(slot);
        const ParamID id = index < count        ? static_cast<ParamID>(index)
                           : index == count ? kBypassId
                                            : kFirstControllerId + static_cast<ParamID>(index - count - 1);
        if (ApplyParameterChange(id, value)) {
            deferred_[slot] = std::numeric_limits<double>::quiet_NaN();
        } else {
            anyDeferred_ = true;
        }
    }
}

void YAudioPluginVST3Adapter::ApplyParameterChanges(IParameterChanges* changes) {
    ApplyDeferredChanges();
    if (changes == nullptr) return;
    const int32_t queues = changes->getParameterCount();
    for (int32_t q = 0; q < queues; ++q) {
        IParamValueQueue* queue = changes->getParameterData(q);
        if (queue == nullptr) continue;
        const int32_t points = queue->getPointCount();
        if (points < 1) continue;
        int32_t offset = 0;
        ParamValue value = 0.0;
        if (queue->getPoint(points - 1, offset, value) != kResultOk) continue;
        const ParamID id = queue->getParameterId();
        if (ApplyParameterChange(id, value)) continue;
        const int32_t slot = DeferredSlot(id);
        if (slot >= 0 && slot < static_cast<int32_t>(deferred_.size())) {
            deferred_[static_cast<std::size_t>(slot)] = value;
            anyDeferred_ = true;
        }
    }
}

void YAudioPluginVST3Adapter::ApplyContext(const ProcessContext& context) {
    HostTransport& transport = plugin_->transport;
    transport.timeInfoValid = 1;
    transport.tempoValid = 1;
    if (!plugin_->needsHostSync) return;
    transport.transportJumped = 0;
    const uint32_t state = context.state;
    if (state & ProcessContext::kProjectTimeMusicValid) transport.ppqPosition = context.projectTimeMusic;
    if (state & ProcessContext::kTempoValid) transport.tempo = context.tempo;
    if (state & ProcessContext::kTimeSigValid) {
        transport.timeSigNumerator = context.timeSigNumerator;
        transport.timeSigDenominator = context.timeSigDenominator;
    }
    if (state & ProcessContext::kBarPositionValid)
        transport.barStart = RoundedBarStart(context.barPositionMusic, transport.timeSigDenominator);
    if ((state & ProcessContext::kCycleActive) && context.cycleEndMusic - 1e-20 > context.cycleStartMusic) {
        transport.loopStart = context.cycleStartMusic;
        transport.loopEnd = context.cycleEndMusic;
    } else {
        transport.loopStart = transport.loopEnd = -1.0;
    }
    UpdatePlayingState(transport, lastPpqPosition_, (state & ProcessContext::kPlaying) != 0, transport.ppqPosition);
}

void YAudioPluginVST3Adapter::ApplyInputEvents(IEventList& events) {
    const int32_t count = events.getEventCount();
    const HostTransport& transport = plugin_->transport;
    for (int32_t i = 0; i < count; ++i) {
        Event event{};
        if (events.getEvent(i, event) != kResultOk) continue;
        const double time = plugin_->needsHostSync
                                ? event.sampleOffset * transport.tempo / (plugin_->ProcessingRate() * 60.0) +
                                      transport.ppqPosition
                                : 0.0;
        switch (event.type) {
            case Event::kNoteOnEvent:
            case Event::kNoteOffEvent: {
                const bool on = event.type == Event::kNoteOnEvent;
                YNoteEvent note;
                note.offset = event.sampleOffset;
                note.time = time;
                note.channel = static_cast<uint8_t>((on ? event.noteOn.channel : event.noteOff.channel) & 0x0F);
                note.key = static_cast<int8_t>((on ? event.noteOn.pitch : event.noteOff.pitch) & 0x7F);
                note.velocity = on ? event.noteOn.velocity : event.noteOff.velocity;
                note.on = on;
                plugin_->ProcessNoteEvent(note);
                break;
            }
            case Event::kDataEvent: {
                if (event.data.bytes == nullptr || event.data.size == 0) break;
                const uint8_t* bytes = event.data.bytes;
                plugin_->ProcessMIDIEvent(event.sampleOffset, bytes[0], event.data.size > 1 ? bytes[1] : 0,
                                          event.data.size > 2 ? bytes[2] : 0);
                break;
            }
            default: break;
        }
    }
}

bool YAudioPluginVST3Adapter::ProcessAudioBuses(ProcessData& data) {
    if (data.symbolicSampleSize != kSample32) return true;
    const int32_t perBus = plugin_->ChannelsPerBus();
    const int32_t inputBuses = std::min(plugin_->GetNumInputBuses(), YAudioPlugin::kMaxBuses);
    const int32_t outputBuses = std::min(plugin_->GetNumOutputBuses(), YAudioPlugin::kMaxBuses);
    auto fill = [](std::array<float*, 4 * 8>& table, const AudioBusBuffers* buses, int32_t given, int32_t wanted) {
        table.fill(nullptr);
        for (int32_t bus = 0; bus < std::min(given, wanted); ++bus) {
            const AudioBusBuffers& buffers = buses[bus];
            if (buffers.channelBuffers32 == nullptr) continue;
            const int32_t channels = std::min(buffers.numChannels, YAudioPlugin::kTableStride);
            for (int32_t channel = 0; channel < channels; ++channel)
                table[static_cast<std::size_t>(bus * YAudioPlugin::kTableStride + channel)] =
                    buffers.channelBuffers32[channel];
        }
    };
    fill(inputTable_, data.inputs, data.inputs ? data.numInputs : 0, inputBuses);
    fill(outputTable_, data.outputs, data.outputs ? data.numOutputs : 0, outputBuses);

    // Fewer channels than the bus has: the plug-in reads silence for the missing
    // inputs and writes the missing outputs nowhere.
    auto connected = [perBus](const AudioBusBuffers* buses, int32_t given) {
        if (buses == nullptr || given < 1 || buses[0].channelBuffers32 == nullptr) return perBus;
        return std::clamp(buses[0].numChannels, 0, perBus);
    };
    const int32_t in = connected(data.inputs, data.numInputs);
    const int32_t out = connected(data.outputs, data.numOutputs);
    if (in != connectedInputs_ || out != connectedOutputs_) {
        plugin_->SetConnectedChannels(in, out);
        connectedInputs_ = in;
        connectedOutputs_ = out;
    }
    return plugin_->ProcessAudio(inputTable_.data(), outputTable_.data(), data.numSamples, true);
}

tresult YAudioPluginVST3Adapter::process(ProcessData& data) {
    return YGuarded("YAudioPluginVST3Adapter::process", kResultOk, [&] {
        // A call without samples still carries parameter changes (a flush): take them.
        ApplyParameterChanges(data.inputParameterChanges);
        if (data.numSamples < 1) return kResultOk;
        if (data.processContext) ApplyContext(*data.processContext);
        if (data.inputEvents) ApplyInputEvents(*data.inputEvents);
        // A dropped block ends the call; the MIDI output waits for a call that
        // processes and brings a list to take it.
        if ((data.inputs || data.outputs) && !ProcessAudioBuses(data)) return kResultOk;
        if (IEventList* list = data.outputEvents) {
            pendingMIDIOutput_.Drain([list](const Event& event) {
                Event copy = event;
                list->addEvent(copy);
            });
        }
        return kResultOk;
    });
}

// ---- Calls from the plug-in --------------------------------------------------------------------------

void YAudioPluginVST3Adapter::SendAutomation(int32_t index, float value) {
    YGuarded("YAudioPluginVST3Adapter::SendAutomation", [&] {
        IComponentHandler* handler = ComponentHandler();
        if (index < 0 || index >= plugin_->GetParameterCount() || handler == nullptr) return;
        EchoScope echo(echoGuard_);
        handler->performEdit(static_cast<ParamID>(index), value);
    });
}

void YAudioPluginVST3Adapter::BeginEdit(int32_t index) {
    YGuarded("YAudioPluginVST3Adapter::BeginEdit", [&] {
        IComponentHandler* handler = ComponentHandler();
        if (index >= 0 && index < plugin_->GetParameterCount() && handler) handler->beginEdit(static_cast<ParamID>(index));
    });
}

void YAudioPluginVST3Adapter::EndEdit(int32_t index) {
    YGuarded("YAudioPluginVST3Adapter::EndEdit", [&] {
        IComponentHandler* handler = ComponentHandler();
        if (index >= 0 && index < plugin_->GetParameterCount() && handler) handler->endEdit(static_cast<ParamID>(index));
    });
}

void YAudioPluginVST3Adapter::SendBypassAutomation(bool on) {
    YGuarded("YAudioPluginVST3Adapter::SendBypassAutomation", [&] {
        IComponentHandler* handler = ComponentHandler();
        if (handler == nullptr) return;
        EchoScope echo(echoGuard_);
        handler->performEdit(kBypassId, on ? 1.0 : 0.0);
    });
}

void YAudioPluginVST3Adapter::GenerateMIDIEvent(int32_t offset, uint8_t status, uint8_t data1, uint8_t data2) {
    YGuarded("YAudioPluginVST3Adapter::GenerateMIDIEvent", [&] {
        if (status < 0x80) return;
        Event event{};
        event.busIndex = 0;
        event.sampleOffset = offset;
        const auto channel = static_cast<int16_t>(status & 0x0F);
        const float velocity = data2 * 0.007874016f;
        if ((status & 0x90) == 0x90) {
            event.type = Event::kNoteOnEvent;
            event.noteOn.channel = channel;
            event.noteOn.pitch = data1;
            event.noteOn.velocity = velocity;
            event.noteOn.noteId = -1;
        } else {
            event.type = Event::kNoteOffEvent;
            event.noteOff.channel = channel;
            event.noteOff.pitch = data1;
            event.noteOff.velocity = velocity;
            event.noteOff.noteId = -1;
        }
        pendingMIDIOutput_.Add(event);
    });
}

void YAudioPluginVST3Adapter::ReportLatency() {
    YGuarded("YAudioPluginVST3Adapter::ReportLatency", [&] {
        if (activating_) return;
        if (IComponentHandler* handler = ComponentHandler()) handler->restartComponent(kLatencyChanged);
    });
}

bool YAudioPluginVST3Adapter::ChangeEditorSize(int32_t width, int32_t height) {
    return YGuarded("YAudioPluginVST3Adapter::ChangeEditorSize", false, [&] {
        if (resizing_) return true;
        if (view_ == nullptr || plugFrame_ == nullptr) return false;
        resizing_ = true;
        struct Clear {
            bool& flag;
            ~Clear() { flag = false; }
        } clear{resizing_};
        ViewRect rect{0, 0, width, height};
        // A host that declines keeps its window: the editor keeps its size too.
        return plugFrame_->resizeView(view_, &rect) == kResultOk;
    });
}

// ---- View -----------------------------------------------------------------------------------------------

YAudioPluginVST3Adapter::YEditor::YEditor(YAudioPluginVST3Adapter* adapter) : adapter_(adapter) {
    adapter_->addRef();
    adapter_->view_ = this;
}

YAudioPluginVST3Adapter::YEditor::~YEditor() {
    // A host that releases the view without removing it first.
    Close();
    if (adapter_->view_ == this) {
        adapter_->view_ = nullptr;
        if (adapter_->plugFrame_) adapter_->plugFrame_->release();
        adapter_->plugFrame_ = nullptr;
    }
    adapter_->release();
}

void YAudioPluginVST3Adapter::YEditor::Close() {
    YAudioPlugin& plugin = adapter_->Plugin();
    if (plugin.EditorExists()) {
        plugin.SetEditorOpen(false);
        plugin.Editor()->Detach();
    }
    // After the window, which unregisters its handlers on the way out.
    runLoop_.reset();
}

tresult YAudioPluginVST3Adapter::YEditor::isPlatformTypeSupported(FIDString type) {
    const char* native = Platform::kWindowsTarget ? kPlatformTypeHWND : kPlatformTypeX11EmbedWindowID;
    return type && std::strcmp(type, native) == 0 ? kResultOk : kResultFalse;
}

tresult YAudioPluginVST3Adapter::YEditor::attached(void* parent, FIDString type) {
    return YGuarded("YAudioPluginVST3Adapter::YEditor::attached", kResultFalse, [&] {
        if (isPlatformTypeSupported(type) != kResultOk) return kResultFalse;
        YAudioPlugin& plugin = adapter_->Plugin();
        if (plugin.CreateEditor(parent)) plugin.FinishEditorCreation();
        if (!plugin.EditorExists()) return kResultFalse;
        // X11 has no event loop of its own: the host lends its run loop through the frame.
        if (!Platform::kWindowsTarget && adapter_->plugFrame_) {
            auto loop = YVst3Ptr<IRunLoop>::Query(adapter_->plugFrame_);
            if (loop) runLoop_ = std::make_unique<YVst3RunLoop>(loop.Get());
        }
        if (!plugin.Editor()->Attach(parent, runLoop_.get())) {
            runLoop_.reset();
            return kResultFalse;
        }
        plugin.SetEditorOpen(true);
        return kResultOk;
    });
}

tresult YAudioPluginVST3Adapter::YEditor::removed() {
    YGuarded("YAudioPluginVST3Adapter::YEditor::removed", [&] { Close(); });
    return kResultFalse;
}

tresult YAudioPluginVST3Adapter::YEditor::onKeyDown(TChar key, int16_t keyCode, int16_t) {
    return YGuarded("YAudioPluginVST3Adapter::YEditor::onKeyDown", kResultFalse, [&] {
        return ProcessVSTKeyDown(adapter_->Plugin(), key, keyCode, true) ? kResultOk : kResultFalse;
    });
}

tresult YAudioPluginVST3Adapter::YEditor::onKeyUp(TChar key, int16_t keyCode, int16_t) {
    return YGuarded("YAudioPluginVST3Adapter::YEditor::onKeyUp", kResultFalse, [&] {
        return ProcessVSTKeyDown(adapter_->Plugin(), key, keyCode, false) ? kResultOk : kResultFalse;
    });
}

tresult YAudioPluginVST3Adapter::YEditor::getSize(ViewRect* size) {
    return YGuarded("YAudioPluginVST3Adapter::YEditor::getSize", kResultFalse, [&] {
        if (size == nullptr) return kInvalidArgument;
        YAudioPlugin& plugin = adapter_->Plugin();
        if (!plugin.EditorExists()) {
            if (!plugin.CreateEditor(nullptr)) return kResultFalse;
            plugin.FinishEditorCreation();
        }
        int32_t width = 0, height = 0;
        plugin.Editor()->GetSize(width, height);
        *size = ViewRect{0, 0, width < 5 ? 0 : width, height < 5 ? 0 : height};
        return kResultOk;
    });
}

tresult YAudioPluginVST3Adapter::YEditor::onSize(ViewRect* newSize) {
    return YGuarded("YAudioPluginVST3Adapter::YEditor::onSize", kResultFalse, [&] {
        if (newSize == nullptr) return kInvalidArgument;
        YAudioPlugin& plugin = adapter_->Plugin();
        if (plugin.EditorExists()) plugin.Editor()->SetSize(newSize->right - newSize->left, newSize->bottom - newSize->top);
        return kResultOk;
    });
}

tresult YAudioPluginVST3Adapter::YEditor::setFrame(IPlugFrame* frame) {
    YGuarded("YAudioPluginVST3Adapter::YEditor::setFrame", [&] {
        if (frame) frame->addRef();
        if (adapter_->plugFrame_) adapter_->plugFrame_->release();
        adapter_->plugFrame_ = frame;
    });
    return kResultFalse;
}

tresult YAudioPluginVST3Adapter::YEditor::checkSizeConstraint(ViewRect* rect) {
    return YGuarded("YAudioPluginVST3Adapter::YEditor::checkSizeConstraint", kResultFalse, [&] {
        if (rect == nullptr || !adapter_->Plugin().EditorExists()) return kResultFalse;
        int32_t width = 0, height = 0;
        adapter_->Plugin().Editor()->GetMinimumSize(width, height);
        rect->right = std::max(rect->right, rect->left + width);
        rect->bottom = std::max(rect->bottom, rect->top + height);
        return kResultOk;
    });
}
