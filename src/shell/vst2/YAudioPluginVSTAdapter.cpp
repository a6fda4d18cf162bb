#include "shell/vst2/YAudioPluginVSTAdapter.h"

#include "foundation/YException.h"
#include "foundation/YFormat.h"
#include "shell/YAudioPlugin.h"
#include "shell/YModule.h"
#include "shell/YStateChunk.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

using namespace Vst2;

namespace {

// 8-bit text into a host buffer of room + 1 bytes: cut to room characters, terminated.
void CopyText(char* target, const YString& text, std::size_t room) {
    const std::string bytes = text.ToLatin1();
    const std::size_t count = std::min(bytes.size(), room);
    std::memcpy(target, bytes.data(), count);
    target[count] = 0;
}

// Clears the flag when the scope ends, also when the body raises.
class EchoScope {
public:
    explicit EchoScope(std::atomic<bool>& flag) : flag_(flag) { flag_ = true; }
    ~EchoScope() { flag_ = false; }
    EchoScope(const EchoScope&) = delete;
    EchoScope& operator=(const EchoScope&) = delete;

private:
    std::atomic<bool>& flag_;
};

// Host tables carry channelsPerBus pointers per bus; the plug-in takes 8 per bus. A
// bus whose first pointer is null stays all null; otherwise the slots after the
// host's channels repeat its last channel.
void Repack(float** host, int32_t buses, int32_t perBus, std::array<float*, 4 * 8>& table) {
    table.fill(nullptr);
    if (host == nullptr) return;
    buses = std::min(buses, YAudioPlugin::kMaxBuses);
    for (int32_t bus = 0; bus < buses; ++bus) {
        float** from = host + bus * perBus;
        float** to = table.data() + bus * YAudioPlugin::kTableStride;
        if (from[0] == nullptr) continue;
        for (int32_t channel = 0; channel < YAudioPlugin::kTableStride; ++channel)
            to[channel] = channel < perBus ? from[channel] : to[channel - 1];
    }
}

}  // namespace

// ---- Keys -----------------------------------------------------------------------------------

int32_t VSTVirtualKeyToWindowsKey(int32_t virtualKey) {
    switch (virtualKey) {
        case 1: return 8;     // back
        case 2: return 9;     // tab
        case 4: return 13;    // return
        case 6: return 27;    // escape
        case 7: return 32;    // space
        case 8: return 34;    // next
        case 9: return 35;    // end
        case 10: return 36;   // home
        case 11: return 37;   // left
        case 12: return 38;   // up
        case 13: return 39;   // right
        case 14: return 40;   // down
        case 15: return 33;   // page up
        case 16: return 34;   // page down
        case 18: return 42;   // print
        case 19: return 13;   // enter
        case 21: return 45;   // insert
        case 22: return 46;   // delete
        case 23: return 47;   // help
        default: return 0;
    }
}

YVSTKeyEvents TranslateVSTKey(int32_t character, int32_t virtualKey, uint32_t modifiers, bool down) {
    YVSTKeyEvents events;
    const int32_t keyType = down ? YVSTKeyEvents::kKeyDownEvent : YVSTKeyEvents::kKeyUpEvent;
    if (character == 0) {
        const int32_t key = VSTVirtualKeyToWindowsKey(virtualKey);
        if (key != 32) {
            // No character: only the key event, and only for a key the editor knows.
            if (key != 0) {
                events.sendKey = true;
                events.keyType = keyType;
                events.keyCode = key;
            }
            return events;
        }
        character = ' ';
    }
    if (modifiers & YVSTKeyEvents::kShiftModifier) {
        static constexpr char kShiftedDigits[] = ")!@#$%^&*(";
        if (character >= 'a' && character <= 'z')
            character -= 'a' - 'A';
        else if (character >= '0' && character <= '9')
            character = kShiftedDigits[character - '0'];
    }
    if (down) {
        events.sendCharacter = true;
        events.character = static_cast<char16_t>(character);
    }
    int32_t keyCode;
    if (character >= 'a' && character <= 'z')
        keyCode = character - ('a' - 'A');
    else if ((character >= 'A' && character <= 'Z') || (character >= '0' && character <= '9'))
        keyCode = character;
    else
        return events;
    events.sendKey = true;
    events.keyType = keyType;
    events.keyCode = keyCode;
    return events;
}

bool ProcessVSTKeyDown(YAudioPlugin& plugin, int32_t character, int32_t virtualKey, bool down) {
    YAudioPlugin::YEditor* editor = plugin.Editor();
    if (editor == nullptr || !editor->Attached()) return false;
    // The editor knows where the mouse is and which modifiers are held.
    const YVSTKeyEvents events = TranslateVSTKey(character, virtualKey, editor->Modifiers(), down);
    bool handled = false;
    if (events.sendCharacter) handled = editor->HostKey(YVSTKeyEvents::kCharacterEvent, events.character);
    if (events.sendKey && editor->HostKey(events.keyType, events.keyCode)) handled = true;
    return handled;
}

// ---- Construction -----------------------------------------------------------------------------

YAudioPluginVSTAdapter::YAudioPluginVSTAdapter(audioMasterCallback host, YAudioPlugin* plugin)
    : YVstAudioEffectBase(host, 0, plugin->GetParameterCount()), plugin_(plugin) {
    effect_.numPrograms = 0;
    effect_.numParams = plugin_->GetParameterCount();
    effect_.flags = effFlagsCanReplacing | effFlagsProgramChunks;
    effect_.initialDelay = 0;
    effect_.ioRatio = 1.0f;
    effect_.version = 1;
    sampleRate_ = 44100.0f;
    blockSize_ = 1024;
    plugin_->bindingName = "VST";
    YLibrary::AddInstance(YPluginInterface::Vst2);
    plugin_->SetAdapter(this);

    const VstInt32 hostVersion = HasHost() ? getMasterVersion() : 1;
    VstInt32 inputs = static_cast<VstInt32>(plugin_->InputPins().size());
    VstInt32 outputs = static_cast<VstInt32>(plugin_->OutputPins().size());
    if (hostVersion < 2300 && inputs > 0) {
        // Hosts before 2.3 know stereo at most.
        inputs = std::min(inputs, inputs / plugin_->ChannelsPerBus() * 2);
        outputs = std::min(outputs, 2);
        plugin_->TruncatePins(inputs, std::min(static_cast<VstInt32>(plugin_->OutputPins().size()), inputs), 2);
    }
    if (hostVersion < 100) inputs = std::max(inputs, 2);
    setNumInputs(inputs);
    setNumOutputs(outputs);
    setUniqueID(kUniqueID);
    setFlag(effFlagsIsSynth, IsSynth());

    ReportLatency();
    resume();

    // Allocation needs no guard: VSTPluginMain catches what the constructor raises.
    pendingMIDIOutput_.Reserve(64);
    incomingMIDI_.Reserve(64);
    sendingMIDI_.reserve(64);
    deliveringMIDI_.reserve(64);
    eventListStorage_.resize(2 + 64);
    editorObject_ = new YEditor(this);
    setEditor(editorObject_);
    setFlag(effFlagsHasEditor, true);
    plugin_->InitProcessing();
}

YAudioPluginVSTAdapter::~YAudioPluginVSTAdapter() {
    YGuarded("YAudioPluginVSTAdapter::~YAudioPluginVSTAdapter", [&] {
        setEditor(nullptr);
        delete editorObject_;
        plugin_->SetAdapter(nullptr);
        delete plugin_;
    });
    YLibrary::RemoveInstance(YPluginInterface::Vst2);
}

bool YAudioPluginVSTAdapter::IsSynth() const { return plugin_->receivesMIDI && plugin_->InputPins().empty(); }

// ---- Host operations --------------------------------------------------------------------------

void YAudioPluginVSTAdapter::resume() {
    YGuarded("YAudioPluginVSTAdapter::resume", [&] {
        char query[] = "receiveVstMidiEvent";
        if (IsSynth() || canDo(query) == 1) wantEvents();
        plugin_->InitProcessing();
    });
}

void YAudioPluginVSTAdapter::setSampleRate(float rate) {
    YGuarded("YAudioPluginVSTAdapter::setSampleRate", [&] {
        sampleRate_ = rate;
        if (rate > 100.0f) {
            plugin_->SetSampleRate(rate);
            plugin_->InitProcessing();
        }
    });
}

void YAudioPluginVSTAdapter::setBlockSize(VstInt32 size) {
    YGuarded("YAudioPluginVSTAdapter::setBlockSize", [&] { blockSize_ = size; });
}

void YAudioPluginVSTAdapter::setParameter(VstInt32 index, float value) {
    YGuarded("YAudioPluginVSTAdapter::setParameter", [&] {
        if (echoGuard_) return;  // the host echoing our own report
        if (index >= 0 && index < plugin_->GetParameterCount()) plugin_->SetParameter(index, value, false);
    });
}

float YAudioPluginVSTAdapter::getParameter(VstInt32 index) {
    return YGuarded("YAudioPluginVSTAdapter::getParameter", 0.0f, [&] {
        if (index < 0 || index >= plugin_->GetParameterCount()) return 0.0f;
        return static_cast<float>(plugin_->GetParameter(index));
    });
}

void YAudioPluginVSTAdapter::getParameterName(VstInt32 index, char* text) {
    text[0] = 0;
    YGuarded("YAudioPluginVSTAdapter::getParameterName", [&] {
        if (index >= 0 && index < plugin_->GetParameterCount())
            CopyText(text, plugin_->GetParameterID(index), kMaxParameterText);
    });
}

void YAudioPluginVSTAdapter::getParameterDisplay(VstInt32 index, char* text) {
    text[0] = 0;
    YGuarded("YAudioPluginVSTAdapter::getParameterDisplay", [&] {
        if (index >= 0 && index < plugin_->GetParameterCount())
            CopyText(text, plugin_->GetParameterValueName(index), kMaxParameterText);
    });
}

void YAudioPluginVSTAdapter::getParameterLabel(VstInt32 index, char* label) {
    label[0] = 0;
    YGuarded("YAudioPluginVSTAdapter::getParameterLabel", [&] {
        if (index >= 0 && index < plugin_->GetParameterCount())
            CopyText(label, plugin_->GetParameterUnitsName(index), kMaxParameterText);
    });
}

VstInt32 YAudioPluginVSTAdapter::getChunk(void** data, bool) {
    *data = nullptr;
    return YGuarded("YAudioPluginVSTAdapter::getChunk", 0, [&] {
        // The previous chunk stays valid until here: the host may still be copying it.
        chunkBuffer_ = YStateChunk::Save(*plugin_);
        *data = const_cast<uint8_t*>(chunkBuffer_.Data());
        return static_cast<VstInt32>(chunkBuffer_.Size());
    });
}

VstInt32 YAudioPluginVSTAdapter::setChunk(void* data, VstInt32 size, bool) {
    return YGuarded("YAudioPluginVSTAdapter::setChunk", 0, [&] {
        if (data == nullptr || size <= 0) throw YException("Invalid chunk.");
        YStateChunk::Load(*plugin_, data, static_cast<uint32_t>(size));
        return 1;
    });
}

bool YAudioPluginVSTAdapter::PinProperties(VstInt32 index, bool input, VstPinProperties* properties) {
    const YStringList& pins = input ? plugin_->InputPins() : plugin_->OutputPins();
    if (index < 0 || index >= static_cast<VstInt32>(pins.size())) return false;
    CopyText(properties->label, pins[static_cast<std::size_t>(index)], kVstMaxLabelLen - 1);
    switch (plugin_->ChannelsPerBus()) {
        case 1:
            properties->flags = kVstPinIsActive;
            properties->arrangementType = kSpeakerArrMono;
            break;
        case 2:
            properties->flags = kVstPinIsActive | kVstPinIsStereo;
            properties->arrangementType = kSpeakerArrStereo;
            break;
        default:
            properties->flags = kVstPinIsActive | kVstPinUseSpeaker;
            properties->arrangementType = kSpeakerArr80Music;
            break;
    }
    return true;
}

bool YAudioPluginVSTAdapter::getInputProperties(VstInt32 index, VstPinProperties* properties) {
    return YGuarded("YAudioPluginVSTAdapter::getInputProperties", false,
                    [&] { return PinProperties(index, true, properties); });
}

bool YAudioPluginVSTAdapter::getOutputProperties(VstInt32 index, VstPinProperties* properties) {
    return YGuarded("YAudioPluginVSTAdapter::getOutputProperties", false,
                    [&] { return PinProperties(index, false, properties); });
}

bool YAudioPluginVSTAdapter::setSpeakerArrangement(VstSpeakerArrangement* input, VstSpeakerArrangement* output) {
    return YGuarded("YAudioPluginVSTAdapter::setSpeakerArrangement", false, [&] {
        const int32_t inputPins = static_cast<int32_t>(plugin_->InputPins().size());
        const int32_t outputPins = static_cast<int32_t>(plugin_->OutputPins().size());
        if ((input && input->numChannels > inputPins) || (output && output->numChannels > outputPins)) return false;
        const int32_t perBus = plugin_->ChannelsPerBus();
        int32_t inputs;
        if (inputPins / perBus == 0)
            inputs = 0;
        else
            inputs = input ? std::min(input->numChannels, perBus) : -1;
        const int32_t outputs = output ? std::max(1, std::min(output->numChannels, perBus)) : 1;
        plugin_->SetChannels(inputs, outputs);
        return true;
    });
}

bool YAudioPluginVSTAdapter::getSpeakerArrangement(VstSpeakerArrangement** input, VstSpeakerArrangement** output) {
    *input = nullptr;
    *output = nullptr;
    return false;
}

bool YAudioPluginVSTAdapter::getEffectName(char* name) {
    name[0] = 0;
    return YGuarded("YAudioPluginVSTAdapter::getEffectName", false, [&] {
        CopyText(name, plugin_->productName, kVstMaxEffectNameLen);
        return true;
    });
}

bool YAudioPluginVSTAdapter::getProductString(char* text) {
    text[0] = 0;
    return YGuarded("YAudioPluginVSTAdapter::getProductString", false, [&] {
        CopyText(text, plugin_->productName, kVstMaxProductStrLen);
        return true;
    });
}

bool YAudioPluginVSTAdapter::getVendorString(char* text) {
    text[0] = 0;
    return YGuarded("YAudioPluginVSTAdapter::getVendorString", false, [&] {
        CopyText(text, plugin_->vendorName, kVstMaxVendorStrLen);
        return true;
    });
}

VstInt32 YAudioPluginVSTAdapter::canDo(char* text) {
    return YGuarded("YAudioPluginVSTAdapter::canDo", 0, [&]() -> VstInt32 {
        auto is = [text](const char* name) { return std::strcmp(text, name) == 0; };
        if (is("receiveVstEvents") || is("receiveVstEvent") || is("receiveVstMidiEvents") || is("receiveVstMidiEvent"))
            return plugin_->receivesMIDI ? 1 : -1;
        if (is("sendVstEvents") || is("sendVstEvent") || is("sendVstMidiEvents") || is("sendVstMidiEvent"))
            return plugin_->sendsMIDI ? 1 : -1;
        if (is("plugAsChannelInsert") || is("canMono") || is("plugAsSend") || is("receiveVstTimeInfo")) return 1;
        if (is("bypass")) return -1;
        return 0;
    });
}

// ---- Processing (audio thread) ------------------------------------------------------------------

void YAudioPluginVSTAdapter::TakeTimeSignature(const VstTimeInfo& info) {
    HostTransport& transport = plugin_->transport;
    transport.timeInfoValid = 1;
    transport.tempoValid = 1;
    transport.ppqPosition = info.ppqPos;
    transport.tempo = info.tempo;
    transport.transportJumped = 0;
    transport.timeSigNumerator = info.timeSigNumerator;
    transport.timeSigDenominator = info.timeSigDenominator;
    transport.barStart = RoundedBarStart(info.barStartPos, info.timeSigDenominator);
}

void YAudioPluginVSTAdapter::PrepareProcessing() {
    HostTransport& transport = plugin_->transport;
    if (!plugin_->needsHostSync) {
        transport.timeInfoValid = 1;
        transport.tempoValid = 1;
        return;
    }
    const VstTimeInfo* info = getTimeInfo(kBlockTimeRequest);
    if (info == nullptr) return;
    TakeTimeSignature(*info);
    if (info->cycleEndPos - 1e-20 > info->cycleStartPos) {
        transport.loopStart = info->cycleStartPos;
        transport.loopEnd = info->cycleEndPos;
    } else {
        transport.loopStart = transport.loopEnd = -1.0;
    }
    UpdatePlayingState(transport, lastPpqPosition_, (info->flags & kVstTransportPlaying) != 0, info->ppqPos);
}

VstInt32 YAudioPluginVSTAdapter::processEvents(VstEvents* events) {
    return YGuarded("YAudioPluginVSTAdapter::processEvents", 0, [&] {
        if (events->numEvents >= 1)
            if (const VstTimeInfo* info = getTimeInfo(kEventTimeRequest)) TakeTimeSignature(*info);
        for (VstInt32 i = 0; i < events->numEvents; ++i) {
            const VstEvent* event = events->events[i];
            if (event == nullptr || event->type != kVstMidiType) continue;
            const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
            plugin_->ProcessMIDIEvent(midi->deltaFrames, static_cast<uint8_t>(midi->midiData[0]),
                                      static_cast<uint8_t>(midi->midiData[1]), static_cast<uint8_t>(midi->midiData[2]));
        }
        return 1;
    });
}

void YAudioPluginVSTAdapter::PerformProcessing(float** inputs, float** outputs, VstInt32 frames, bool replacing) {
    if (frames <= 0 || outputs == nullptr) return;
    PrepareProcessing();

    incomingMIDI_.TakeAll(deliveringMIDI_);
    for (const VstMidiEvent& midi : deliveringMIDI_)
        plugin_->ProcessMIDIEvent(midi.deltaFrames, static_cast<uint8_t>(midi.midiData[0]),
                                  static_cast<uint8_t>(midi.midiData[1]), static_cast<uint8_t>(midi.midiData[2]));

    const int32_t perBus = plugin_->ChannelsPerBus();
    bool processed;
    if (perBus == YAudioPlugin::kTableStride || (plugin_->GetNumInputBuses() == 1 && plugin_->GetNumOutputBuses() == 1)) {
        processed = plugin_->ProcessAudio(inputs, outputs, frames, replacing);
    } else {
        Repack(inputs, plugin_->GetNumInputBuses(), perBus, inputTable_);
        Repack(outputs, plugin_->GetNumOutputBuses(), perBus, outputTable_);
        processed = plugin_->ProcessAudio(inputTable_.data(), outputTable_.data(), frames, replacing);
    }
    // A dropped block ends the call: the MIDI output goes with the next one.
    if (processed) SendPendingMIDIOutput();
}

void YAudioPluginVSTAdapter::SendPendingMIDIOutput() {
    pendingMIDIOutput_.TakeAll(sendingMIDI_);
    if (sendingMIDI_.empty()) return;
    // The record declares two event pointers; the list needs room for all of them.
    const std::size_t count = sendingMIDI_.size();
    const std::size_t words = offsetof(VstEvents, events) / sizeof(VstIntPtr) + std::max<std::size_t>(count, 2);
    if (eventListStorage_.size() < words) eventListStorage_.resize(YPendingEventsT<VstMidiEvent>::NextPowerOfTwo(words));
    auto* list = reinterpret_cast<VstEvents*>(eventListStorage_.data());
    list->numEvents = static_cast<VstInt32>(count);
    list->reserved = 0;
    auto** slots = reinterpret_cast<VstEvent**>(reinterpret_cast<char*>(list) + offsetof(VstEvents, events));
    for (std::size_t i = 0; i < count; ++i) slots[i] = reinterpret_cast<VstEvent*>(&sendingMIDI_[i]);
    sendVstEventsToHost(list);
}

void YAudioPluginVSTAdapter::process(float** inputs, float** outputs, VstInt32 frames) {
    YGuarded("YAudioPluginVSTAdapter::process", [&] { PerformProcessing(inputs, outputs, frames, false); });
}

void YAudioPluginVSTAdapter::processReplacing(float** inputs, float** outputs, VstInt32 frames) {
    YGuarded("YAudioPluginVSTAdapter::processReplacing", [&] { PerformProcessing(inputs, outputs, frames, true); });
}

// ---- Calls from the plug-in ---------------------------------------------------------------------

void YAudioPluginVSTAdapter::SendAutomation(int32_t index, float value) {
    YGuarded("YAudioPluginVSTAdapter::SendAutomation", [&] {
        if (index < 0 || index >= plugin_->GetParameterCount()) return;
        EchoScope echo(echoGuard_);
        setParameterAutomated(index, value);
    });
}

void YAudioPluginVSTAdapter::GenerateMIDIEvent(int32_t offset, uint8_t status, uint8_t data1, uint8_t data2) {
    YGuarded("YAudioPluginVSTAdapter::GenerateMIDIEvent", [&] {
        VstMidiEvent event{};
        event.type = kVstMidiType;
        event.byteSize = sizeof(VstMidiEvent);
        event.deltaFrames = offset;
        event.midiData[0] = static_cast<char>(status);
        event.midiData[1] = static_cast<char>(data1);
        event.midiData[2] = static_cast<char>(data2);
        pendingMIDIOutput_.Add(event);
    });
}

void YAudioPluginVSTAdapter::QueueMIDIInput(int32_t offset, uint8_t status, uint8_t data1, uint8_t data2) {
    YGuarded("YAudioPluginVSTAdapter::QueueMIDIInput", [&] {
        VstMidiEvent event{};
        event.type = kVstMidiType;
        event.byteSize = sizeof(VstMidiEvent);
        event.deltaFrames = offset;
        event.midiData[0] = static_cast<char>(status);
        event.midiData[1] = static_cast<char>(data1);
        event.midiData[2] = static_cast<char>(data2);
        incomingMIDI_.Add(event);
    });
}

void YAudioPluginVSTAdapter::ReportLatency() {
    YGuarded("YAudioPluginVSTAdapter::PrepareProcessing", [&] {
        const int32_t latency = plugin_->GetHostLatency();
        ReportSystemException(YFormat("Latency: {0}").Arg(latency));
        setInitialDelay(latency);
        ioChanged();
    });
}

bool YAudioPluginVSTAdapter::ChangeEditorSize(int32_t width, int32_t height) {
    return YGuarded("YAudioPluginVSTAdapter::ChangeEditorSize", false, [&] {
        if (!plugin_->EditorExists() || !plugin_->EditorOpen()) return false;
        if (sizeWindow(width, height)) return true;
        // A host without audioMasterSizeWindow: its windows are resized by hand.
        return plugin_->Editor()->ResizeHostWindows(width, height);
    });
}

void YAudioPluginVSTAdapter::BeginEdit(int32_t index) {
    YGuarded("YAudioPluginVSTAdapter::BeginEdit", [&] {
        if (index >= 0 && index < plugin_->GetParameterCount()) CallHost(audioMasterBeginEdit, index);
    });
}

void YAudioPluginVSTAdapter::EndEdit(int32_t index) {
    YGuarded("YAudioPluginVSTAdapter::EndEdit", [&] {
        if (index >= 0 && index < plugin_->GetParameterCount()) CallHost(audioMasterEndEdit, index);
    });
}

// ---- Editor ---------------------------------------------------------------------------------------

bool YAudioPluginVSTAdapter::YEditor::getRect(ERect** rect) {
    *rect = nullptr;
    return YGuarded("YAudioPluginVSTAdapter::YEditor::getRect", false, [&] {
        YAudioPlugin& plugin = adapter_->Plugin();
        if (!plugin.EditorExists()) {
            if (!plugin.CreateEditor(nullptr)) return false;
            plugin.FinishEditorCreation();
        }
        // One rectangle for all instances: hosts copy it at once.
        static ERect shared{};
        int32_t width = 0, height = 0;
        plugin.Editor()->GetSize(width, height);
        shared = {0, 0, static_cast<VstInt16>(height < 5 ? 0 : height), static_cast<VstInt16>(width < 5 ? 0 : width)};
        *rect = &shared;
        return true;
    });
}

bool YAudioPluginVSTAdapter::YEditor::open(void* parent) {
    return YGuarded("YAudioPluginVSTAdapter::YEditor::open", false, [&] {
        YAudioPlugin& plugin = adapter_->Plugin();
        if (plugin.CreateEditor(parent)) plugin.FinishEditorCreation();
        // No run loop: the host's editor idle drives the window.
        if (!plugin.EditorExists() || !plugin.Editor()->Attach(parent, nullptr)) return false;
        systemWindow_ = parent;
        plugin.SetEditorOpen(true);
        return true;
    });
}

void YAudioPluginVSTAdapter::YEditor::close() {
    YGuarded("YAudioPluginVSTAdapter::YEditor::close", [&] {
        YAudioPlugin& plugin = adapter_->Plugin();
        plugin.SetEditorOpen(false);
        if (plugin.EditorExists()) plugin.Editor()->Detach();
        systemWindow_ = nullptr;
    });
}

void YAudioPluginVSTAdapter::YEditor::idle() {
    YGuarded("YAudioPluginVSTAdapter::YEditor::idle", [&] {
        YAudioPlugin& plugin = adapter_->Plugin();
        plugin.ProcessUpdate();
        if (plugin.EditorExists() && plugin.Editor()->Attached()) plugin.Editor()->Idle();
    });
}

bool YAudioPluginVSTAdapter::YEditor::onKeyDown(VstKeyCode& key) {
    return YGuarded("YAudioPluginVSTAdapter::YEditor::onKeyDown", false,
                    [&] { return ProcessVSTKeyDown(adapter_->Plugin(), key.character, key.virt, true); });
}

bool YAudioPluginVSTAdapter::YEditor::onKeyUp(VstKeyCode& key) {
    return YGuarded("YAudioPluginVSTAdapter::YEditor::onKeyUp", false,
                    [&] { return ProcessVSTKeyDown(adapter_->Plugin(), key.character, key.virt, false); });
}
