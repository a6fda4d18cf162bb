#include "host/YVst2HostedPlugin.h"

#include "host/YHostWindow.h"
#include "shell/vst2/VstEditor.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

using namespace Vst2;

namespace {

// The instance being made: callbacks during VSTPluginMain arrive before the record's
// user field can point back at it.
thread_local YVst2HostedPlugin* creating = nullptr;

}  // namespace

YVst2HostedPlugin::YVst2HostedPlugin(const std::shared_ptr<YPluginLibrary>& library, const Options& options)
    : library_(library), options_(options) {}

std::unique_ptr<YVst2HostedPlugin> YVst2HostedPlugin::Create(const std::shared_ptr<YPluginLibrary>& library,
                                                             YString& error, const Options& options) {
    auto entry = reinterpret_cast<VstPluginMainProc>(library ? library->Symbol("VSTPluginMain") : nullptr);
    if (entry == nullptr) {
        error = "no VSTPluginMain";
        return nullptr;
    }
    std::unique_ptr<YVst2HostedPlugin> plugin(new YVst2HostedPlugin(library, options));
    creating = plugin.get();
    plugin->effect_ = entry(&HostCallback);
    creating = nullptr;
    if (plugin->effect_ == nullptr || plugin->effect_->magic != kEffectMagic) {
        plugin->effect_ = nullptr;
        error = "VSTPluginMain gave no effect";
        return nullptr;
    }
    plugin->effect_->user = plugin.get();
    plugin->Dispatch(effOpen);
    for (VstInt32 i = 0; i < plugin->effect_->numParams; ++i)
        plugin->defaults_.push_back(plugin->effect_->getParameter(plugin->effect_, i));
    return plugin;
}

YVst2HostedPlugin::~YVst2HostedPlugin() {
    if (effect_ == nullptr) return;
    CloseEditor();
    Suspend();
    Dispatch(effClose);  // the plug-in deletes itself
    effect_ = nullptr;
}

VstIntPtr YVst2HostedPlugin::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

VstIntPtr VSTCALLBACK YVst2HostedPlugin::HostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                                      VstIntPtr value, void* ptr, float opt) {
    YVst2HostedPlugin* host = effect && effect->user ? static_cast<YVst2HostedPlugin*>(effect->user) : creating;
    if (host == nullptr) return opcode == audioMasterVersion ? kVstVersion : 0;
    return host->OnHostCall(opcode, index, value, ptr, opt);
}

VstIntPtr YVst2HostedPlugin::OnHostCall(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    switch (opcode) {
        case audioMasterVersion: return options_.hostVersion;
        case audioMasterAutomate:
            automation_.push_back(YHostAutomation{static_cast<uint32_t>(index), opt});
            gestures_.push_back(YHostGesture{'p', static_cast<uint32_t>(index)});
            if (options_.echoAutomation && effect_) effect_->setParameter(effect_, index, options_.echoValue);
            return 1;
        case audioMasterWantMidi: wantsMIDI_ = true; return 1;
        case audioMasterBeginEdit: gestures_.push_back(YHostGesture{'b', static_cast<uint32_t>(index)}); return 1;
        case audioMasterEndEdit: gestures_.push_back(YHostGesture{'e', static_cast<uint32_t>(index)}); return 1;
        case audioMasterSizeWindow:
            if (editorWindow_ == nullptr) return 0;
            editorWindow_->Resize(index, static_cast<int32_t>(value));
            return 1;
        case audioMasterGetTime: {
            ++timeRequests_;
            lastTimeRequest_ = static_cast<VstInt32>(value);
            if (!options_.answerTime) return 0;
            timeInfo_ = VstTimeInfo{};
            timeInfo_.samplePos = static_cast<double>(transport_.samplePosition);
            timeInfo_.sampleRate = sampleRate_;
            timeInfo_.ppqPos = transport_.ppqPosition;
            timeInfo_.tempo = transport_.tempo;
            timeInfo_.barStartPos = transport_.barStart;
            timeInfo_.cycleStartPos = transport_.cycleStart;
            timeInfo_.cycleEndPos = transport_.cycleEnd;
            timeInfo_.timeSigNumerator = transport_.timeSigNumerator;
            timeInfo_.timeSigDenominator = transport_.timeSigDenominator;
            timeInfo_.flags = kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid | kVstTimeSigValid;
            if (transport_.playing) timeInfo_.flags |= kVstTransportPlaying;
            if (transport_.cycleActive) timeInfo_.flags |= kVstTransportCycleActive;
            return reinterpret_cast<VstIntPtr>(&timeInfo_);
        }
        case audioMasterProcessEvents: {
            const auto* events = static_cast<const VstEvents*>(ptr);
            if (events == nullptr) return 0;
            for (VstInt32 i = 0; i < events->numEvents; ++i) {
                const VstEvent* event = events->events[i];
                if (event == nullptr || event->type != kVstMidiType) continue;
                const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
                midiOutput_.push_back(YHostMIDIEvent{midi->deltaFrames, static_cast<uint8_t>(midi->midiData[0]),
                                                     static_cast<uint8_t>(midi->midiData[1]),
                                                     static_cast<uint8_t>(midi->midiData[2])});
            }
            return 1;
        }
        case audioMasterIOChanged: ++ioChanged_; return 1;
        case audioMasterGetSampleRate: return static_cast<VstIntPtr>(sampleRate_);
        case audioMasterGetBlockSize: return maxBlock_;
        case audioMasterGetCurrentProcessLevel: return kVstProcessLevelUnknown;
        case audioMasterGetVendorString:
            if (ptr) std::strcpy(static_cast<char*>(ptr), "Yorvane");
            return ptr ? 1 : 0;
        case audioMasterGetProductString:
            if (ptr) std::strcpy(static_cast<char*>(ptr), "Vortalis Host");
            return ptr ? 1 : 0;
        case audioMasterGetVendorVersion: return 1;
        case audioMasterCanDo: {
            const char* text = static_cast<const char*>(ptr);
            if (text == nullptr) return 0;
            for (const char* yes : {"sendVstEvents", "sendVstMidiEvent", "sendVstTimeInfo", "receiveVstEvents",
                                    "receiveVstMidiEvent", "sizeWindow"})
                if (std::strcmp(text, yes) == 0) return 1;
            return 0;
        }
        default: return 0;
    }
}

void YVst2HostedPlugin::Suspend() {
    if (!active_) return;
    Dispatch(effStopProcess);
    Dispatch(effMainsChanged, 0, 0);
    active_ = false;
}

bool YVst2HostedPlugin::Prepare(double sampleRate, int32_t maxBlock, int32_t inputChannels, int32_t outputChannels) {
    Suspend();
    sampleRate_ = sampleRate;
    maxBlock_ = maxBlock;
    inputChannels_ = inputChannels;
    outputChannels_ = outputChannels;
    const auto frames = static_cast<std::size_t>(maxBlock);
    inputBuffers_.assign(static_cast<std::size_t>(std::max(effect_->numInputs, 0)), std::vector<float>(frames));
    outputScratch_.assign(static_cast<std::size_t>(std::max(effect_->numOutputs, 0)), std::vector<float>(frames));
    inputTable_.assign(inputBuffers_.size(), nullptr);
    outputTable_.assign(outputScratch_.size(), nullptr);
    Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    Dispatch(effSetBlockSize, 0, maxBlock);
    Dispatch(effMainsChanged, 0, 1);
    Dispatch(effStartProcess);
    active_ = true;
    return true;
}

std::vector<YHostedParameter> YVst2HostedPlugin::Parameters() {
    std::vector<YHostedParameter> parameters;
    for (VstInt32 i = 0; i < effect_->numParams; ++i) {
        char name[256] = {};
        char label[256] = {};
        Dispatch(effGetParamName, i, 0, name);
        Dispatch(effGetParamLabel, i, 0, label);
        YHostedParameter parameter;
        parameter.id = static_cast<uint32_t>(i);
        parameter.name = YString::FromLatin1(name);
        parameter.units = YString::FromLatin1(label);
        parameter.defaultValue = i < static_cast<VstInt32>(defaults_.size()) ? defaults_[static_cast<std::size_t>(i)] : 0.0;
        parameter.automatable = Dispatch(effCanBeAutomated, i) != 0;
        parameters.push_back(parameter);
    }
    return parameters;
}

double YVst2HostedPlugin::GetParameter(uint32_t id) {
    return effect_->getParameter(effect_, static_cast<VstInt32>(id));
}

void YVst2HostedPlugin::SetParameter(uint32_t id, double value) {
    effect_->setParameter(effect_, static_cast<VstInt32>(id), static_cast<float>(value));
}

YString YVst2HostedPlugin::ValueText(uint32_t id, std::optional<double>) {
    char text[256] = {};
    Dispatch(effGetParamDisplay, static_cast<VstInt32>(id), 0, text);
    return YString::FromLatin1(text);
}

std::optional<double> YVst2HostedPlugin::TextToValue(uint32_t, const YString&) { return std::nullopt; }

bool YVst2HostedPlugin::SetParameterText(uint32_t id, const YString& text) {
    std::string bytes = text.ToLatin1();
    return Dispatch(effString2Parameter, static_cast<VstInt32>(id), 0, bytes.data()) != 0;
}

void YVst2HostedPlugin::SendMIDIInput() {
    if (midiInput_.empty()) return;
    midiRecords_.assign(midiInput_.size(), VstMidiEvent{});
    for (std::size_t i = 0; i < midiInput_.size(); ++i) {
        VstMidiEvent& record = midiRecords_[i];
        record.type = kVstMidiType;
        record.byteSize = sizeof(VstMidiEvent);
        record.deltaFrames = midiInput_[i].offset;
        record.midiData[0] = static_cast<char>(midiInput_[i].status);
        record.midiData[1] = static_cast<char>(midiInput_[i].data1);
        record.midiData[2] = static_cast<char>(midiInput_[i].data2);
    }
    // A VstEvents record with room for every pointer behind it.
    const std::size_t head = offsetof(VstEvents, events) / sizeof(VstIntPtr);
    eventList_.assign(head + std::max<std::size_t>(midiRecords_.size(), 2), 0);
    auto* list = reinterpret_cast<VstEvents*>(eventList_.data());
    list->numEvents = static_cast<VstInt32>(midiRecords_.size());
    auto** slots = reinterpret_cast<VstEvent**>(eventList_.data() + head);
    for (std::size_t i = 0; i < midiRecords_.size(); ++i) slots[i] = reinterpret_cast<VstEvent*>(&midiRecords_[i]);
    Dispatch(effProcessEvents, 0, 0, list);
    midiInput_.clear();
}

void YVst2HostedPlugin::Process(const float* const* inputs, float* const* outputs, int32_t frames) {
    if (!active_ || frames > maxBlock_) return;
    SendMIDIInput();
    const auto count = static_cast<std::size_t>(frames);
    // The plug-in may write into its inputs (denormal offset): it gets copies.
    for (std::size_t c = 0; c < inputBuffers_.size(); ++c) {
        float* buffer = inputBuffers_[c].data();
        if (inputs && static_cast<int32_t>(c) < inputChannels_ && inputs[c])
            std::copy(inputs[c], inputs[c] + count, buffer);
        else
            std::fill(buffer, buffer + count, 0.0f);
        inputTable_[c] = buffer;
    }
    for (std::size_t c = 0; c < outputScratch_.size(); ++c) {
        const bool given = outputs && static_cast<int32_t>(c) < outputChannels_ && outputs[c];
        outputTable_[c] = given ? outputs[c] : outputScratch_[c].data();
        if (!given && options_.accumulating) std::fill(outputTable_[c], outputTable_[c] + count, 0.0f);
    }
    if (options_.accumulating)
        effect_->process(effect_, inputTable_.data(), outputTable_.data(), frames);
    else
        effect_->processReplacing(effect_, inputTable_.data(), outputTable_.data(), frames);
    AdvanceTransport(frames, sampleRate_);
}

YByteBuffer YVst2HostedPlugin::GetState() {
    void* data = nullptr;
    const VstIntPtr size = Dispatch(effGetChunk, 0, 0, &data);
    if (data == nullptr || size <= 0) return YByteBuffer();
    YByteBuffer copy(static_cast<std::size_t>(size));
    std::memcpy(copy.MutableData(), data, static_cast<std::size_t>(size));
    return copy;
}

bool YVst2HostedPlugin::SetState(const YByteBuffer& state) {
    YByteBuffer copy = state;
    return Dispatch(effSetChunk, 0, static_cast<VstIntPtr>(copy.Size()), copy.MutableData()) != 0;
}

int64_t YVst2HostedPlugin::Tail() { return Dispatch(effGetTailSize); }

// ---- Editor ------------------------------------------------------------------------------------

bool YVst2HostedPlugin::EditorSize(int32_t& width, int32_t& height) {
    if ((effect_->flags & effFlagsHasEditor) == 0) return false;
    ERect* rect = nullptr;
    if (Dispatch(effEditGetRect, 0, 0, &rect) == 0 || rect == nullptr) return false;
    width = rect->right - rect->left;
    height = rect->bottom - rect->top;
    return true;
}

bool YVst2HostedPlugin::OpenEditor(YHostWindow& window) {
    CloseEditor();
    int32_t width = 0, height = 0;
    if (!EditorSize(width, height)) return false;
    window.Resize(width, height);
    window.ProcessEvents();
    if (Dispatch(effEditOpen, 0, 0, window.Handle()) == 0) return false;
    editorWindow_ = &window;
    return true;
}

void YVst2HostedPlugin::CloseEditor() {
    if (editorWindow_ == nullptr) return;
    Dispatch(effEditClose);
    editorWindow_ = nullptr;
}

void YVst2HostedPlugin::IdleEditor() {
    if (editorWindow_ == nullptr) return;
    editorWindow_->ProcessEvents();
    Dispatch(effEditIdle);
}
