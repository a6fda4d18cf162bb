#include "shell/vst2/YVstAudioEffectBase.h"

#include <cstring>

namespace Vst2 {

namespace {

// The record's C entry points. Nothing may leave them: the derived operations carry
// their own guards, and these catch what gets past.
VstIntPtr VSTCALLBACK DispatchEntry(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                    float opt) {
    try {
        YVstAudioEffectBase* object = YVstAudioEffectBase::FromEffect(effect);
        return object ? object->dispatcher(opcode, index, value, ptr, opt) : 0;
    } catch (...) {
        return 0;
    }
}

void VSTCALLBACK ProcessEntry(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
    try {
        if (YVstAudioEffectBase* object = YVstAudioEffectBase::FromEffect(effect)) object->process(inputs, outputs, frames);
    } catch (...) {
    }
}

void VSTCALLBACK ProcessReplacingEntry(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
    try {
        if (YVstAudioEffectBase* object = YVstAudioEffectBase::FromEffect(effect))
            object->processReplacing(inputs, outputs, frames);
    } catch (...) {
    }
}

void VSTCALLBACK ProcessDoubleReplacingEntry(AEffect* effect, double** inputs, double** outputs, VstInt32 frames) {
    try {
        if (YVstAudioEffectBase* object = YVstAudioEffectBase::FromEffect(effect))
            object->processDoubleReplacing(inputs, outputs, frames);
    } catch (...) {
    }
}

void VSTCALLBACK SetParameterEntry(AEffect* effect, VstInt32 index, float value) {
    try {
        if (YVstAudioEffectBase* object = YVstAudioEffectBase::FromEffect(effect)) object->setParameter(index, value);
    } catch (...) {
    }
}

float VSTCALLBACK GetParameterEntry(AEffect* effect, VstInt32 index) {
    try {
        YVstAudioEffectBase* object = YVstAudioEffectBase::FromEffect(effect);
        return object ? object->getParameter(index) : 0.0f;
    } catch (...) {
        return 0.0f;
    }
}

}  // namespace

YVstAudioEffectBase::YVstAudioEffectBase(audioMasterCallback host, VstInt32 numPrograms, VstInt32 numParams)
    : host_(host) {
    std::memset(&effect_, 0, sizeof effect_);
    effect_.magic = kEffectMagic;
    effect_.dispatcher = &DispatchEntry;
    effect_.process = &ProcessEntry;
    effect_.setParameter = &SetParameterEntry;
    effect_.getParameter = &GetParameterEntry;
    effect_.numPrograms = numPrograms;
    effect_.numParams = numParams;
    effect_.numInputs = 1;
    effect_.numOutputs = 2;
    effect_.flags = effFlagsCanReplacing;
    effect_.ioRatio = 1.0f;
    effect_.object = this;
    effect_.uniqueID = FourCC('N', 'o', 'E', 'f');
    effect_.version = 1;
    effect_.processReplacing = &ProcessReplacingEntry;
    effect_.processDoubleReplacing = &ProcessDoubleReplacingEntry;
}

YVstAudioEffectBase::~YVstAudioEffectBase() { effect_.object = nullptr; }

YVstAudioEffectBase* YVstAudioEffectBase::FromEffect(AEffect* effect) {
    return effect && effect->magic == kEffectMagic ? static_cast<YVstAudioEffectBase*>(effect->object) : nullptr;
}

VstIntPtr YVstAudioEffectBase::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    switch (opcode) {
        case effOpen: open(); return 0;
        case effClose:
            close();
            delete this;
            return 1;
        case effSetProgram:
            if (value >= 0 && value < effect_.numPrograms) setProgram(static_cast<VstInt32>(value));
            return 0;
        case effGetProgram: return getProgram();
        case effSetProgramName:
            if (ptr) setProgramName(static_cast<char*>(ptr));
            return 0;
        case effGetProgramName:
            if (ptr) getProgramName(static_cast<char*>(ptr));
            return 0;
        case effGetParamLabel:
            if (ptr) getParameterLabel(index, static_cast<char*>(ptr));
            return 0;
        case effGetParamDisplay:
            if (ptr) getParameterDisplay(index, static_cast<char*>(ptr));
            return 0;
        case effGetParamName:
            if (ptr) getParameterName(index, static_cast<char*>(ptr));
            return 0;
        case effSetSampleRate: setSampleRate(opt); return 0;
        case effSetBlockSize: setBlockSize(static_cast<VstInt32>(value)); return 0;
        case effMainsChanged:
            if (value)
                resume();
            else
                suspend();
            return 0;
        case effEditGetRect:
            if (ptr == nullptr) return 0;
            *static_cast<ERect**>(ptr) = nullptr;
            return editor_ && editor_->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
        case effEditOpen: return editor_ && editor_->open(ptr) ? 1 : 0;
        case effEditClose:
            if (editor_) editor_->close();
            return 0;
        case effEditIdle:
            if (editor_) editor_->idle();
            return 0;
        case effGetChunk: return ptr ? getChunk(static_cast<void**>(ptr), index != 0) : 0;
        case effSetChunk: return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
        case effProcessEvents: return ptr ? processEvents(static_cast<VstEvents*>(ptr)) : 0;
        case effCanBeAutomated: return canParameterBeAutomated(index) ? 1 : 0;
        case effString2Parameter: return string2parameter(index, static_cast<char*>(ptr)) ? 1 : 0;
        case effGetProgramNameIndexed:
            return ptr && getProgramNameIndexed(static_cast<VstInt32>(value), index, static_cast<char*>(ptr)) ? 1 : 0;
        case effGetInputProperties:
            return ptr && getInputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
        case effGetOutputProperties:
            return ptr && getOutputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
        case effGetPlugCategory: return getPlugCategory();
        case effOfflineNotify:
        case effOfflinePrepare:
        case effOfflineRun: return 0;
        case effProcessVarIo: return processVariableIo(ptr) ? 1 : 0;
        case effSetSpeakerArrangement:
            return setSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value),
                                         static_cast<VstSpeakerArrangement*>(ptr))
                       ? 1
                       : 0;
        case effGetSpeakerArrangement: {
            VstSpeakerArrangement* unusedInput = nullptr;
            VstSpeakerArrangement* unusedOutput = nullptr;
            auto** input = value ? reinterpret_cast<VstSpeakerArrangement**>(value) : &unusedInput;
            auto** output = ptr ? static_cast<VstSpeakerArrangement**>(ptr) : &unusedOutput;
            return getSpeakerArrangement(input, output) ? 1 : 0;
        }
        case effSetBypass: return setBypass(value != 0) ? 1 : 0;
        case effGetEffectName: return ptr && getEffectName(static_cast<char*>(ptr)) ? 1 : 0;
        case effGetVendorString: return ptr && getVendorString(static_cast<char*>(ptr)) ? 1 : 0;
        case effGetProductString: return ptr && getProductString(static_cast<char*>(ptr)) ? 1 : 0;
        case effGetVendorVersion: return getVendorVersion();
        case effVendorSpecific: return vendorSpecific(index, value, ptr, opt);
        case effCanDo: return ptr ? canDo(static_cast<char*>(ptr)) : 0;
        case effGetTailSize: return getTailSize();
        case effGetParameterProperties: return ptr && getParameterProperties(index, ptr) ? 1 : 0;
        case effGetVstVersion: return getVstVersion();
        case effEditKeyDown:
        case effEditKeyUp: {
            if (editor_ == nullptr) return 0;
            VstKeyCode key{index, static_cast<unsigned char>(value), static_cast<unsigned char>(opt)};
            return (opcode == effEditKeyDown ? editor_->onKeyDown(key) : editor_->onKeyUp(key)) ? 1 : 0;
        }
        case effSetEditKnobMode: return editor_ && editor_->setKnobMode(static_cast<VstInt32>(value)) ? 1 : 0;
        case effStartProcess: return startProcess();
        case effStopProcess: return stopProcess();
        case effSetProcessPrecision: return setProcessPrecision(static_cast<VstInt32>(value)) ? 1 : 0;
        case effGetNumMidiInputChannels: return getNumMidiInputChannels();
        case effGetNumMidiOutputChannels: return getNumMidiOutputChannels();
        default: return 0;
    }
}

void YVstAudioEffectBase::setParameterAutomated(VstInt32 index, float value) {
    setParameter(index, value);
    CallHost(audioMasterAutomate, index, 0, nullptr, value);
}

VstIntPtr YVstAudioEffectBase::CallHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    return host_ ? host_(&effect_, opcode, index, value, ptr, opt) : 0;
}

VstInt32 YVstAudioEffectBase::getMasterVersion() {
    const VstIntPtr version = CallHost(audioMasterVersion);
    return version == 0 ? 1 : static_cast<VstInt32>(version);
}

VstTimeInfo* YVstAudioEffectBase::getTimeInfo(VstInt32 filter) {
    return reinterpret_cast<VstTimeInfo*>(CallHost(audioMasterGetTime, 0, filter));
}

bool YVstAudioEffectBase::sendVstEventsToHost(VstEvents* events) {
    return CallHost(audioMasterProcessEvents, 0, 0, events) == 1;
}

bool YVstAudioEffectBase::ioChanged() { return CallHost(audioMasterIOChanged) != 0; }

bool YVstAudioEffectBase::sizeWindow(VstInt32 width, VstInt32 height) {
    return CallHost(audioMasterSizeWindow, width, height) != 0;
}

void YVstAudioEffectBase::wantEvents(VstInt32 filter) { CallHost(audioMasterWantMidi, 0, filter); }

}  // namespace Vst2
