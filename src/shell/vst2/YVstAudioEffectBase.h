#pragma once

// The small base every VST 2.4 plug-in object of ours derives from: it owns the
// AEffect record the host sees, routes the record's C entry points and the
// dispatcher's opcodes to virtual operations with neutral defaults, and wraps the
// host callback in helpers. The binding (YAudioPluginVSTAdapter) overrides what it
// answers. Threads are those of the host's calls (VstOpcodes.h): the dispatcher on
// the user-interface thread except effProcessEvents and the start/stop pair, the
// process entries on the audio thread, the parameter entries on either.

#include "shell/vst2/AEffect.h"
#include "shell/vst2/VstEditor.h"
#include "shell/vst2/VstEvents.h"
#include "shell/vst2/VstOpcodes.h"
#include "shell/vst2/VstPins.h"
#include "shell/vst2/VstTimeInfo.h"

namespace Vst2 {

class YVstAudioEffectBase;

// The editor as the dispatcher's effEdit... opcodes reach it. Defaults: no editor.
class YVstEditorBase {
public:
    explicit YVstEditorBase(YVstAudioEffectBase* effect) : effect_(effect) {}
    virtual ~YVstEditorBase() = default;

    // The editor's rectangle (effEditGetRect): *rect points at a record the editor
    // keeps until the next call. False when there is none.
    virtual bool getRect(ERect** rect) {
        *rect = nullptr;
        return false;
    }
    // Opens the editor inside the host's parent window (effEditOpen).
    virtual bool open(void* parent) {
        (void)parent;
        return false;
    }
    virtual void close() { systemWindow_ = nullptr; }
    virtual bool isOpen() { return systemWindow_ != nullptr; }
    // Periodic idle while open (effEditIdle).
    virtual void idle() {}
    // Keys the host forwards; true when used.
    virtual bool onKeyDown(VstKeyCode& key) {
        (void)key;
        return false;
    }
    virtual bool onKeyUp(VstKeyCode& key) {
        (void)key;
        return false;
    }
    virtual bool setKnobMode(VstInt32 mode) {
        (void)mode;
        return false;
    }

protected:
    YVstAudioEffectBase* effect_;
    void* systemWindow_ = nullptr;
};

class YVstAudioEffectBase {
public:
    YVstAudioEffectBase(audioMasterCallback host, VstInt32 numPrograms, VstInt32 numParams);
    virtual ~YVstAudioEffectBase();
    YVstAudioEffectBase(const YVstAudioEffectBase&) = delete;
    YVstAudioEffectBase& operator=(const YVstAudioEffectBase&) = delete;

    AEffect* getAeffect() { return &effect_; }
    static YVstAudioEffectBase* FromEffect(AEffect* effect);

    // The dispatcher: opcode to operation. effClose deletes the object.
    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    // ---- Host -> plug-in (defaults answer "not supported") ------------------------------
    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}
    virtual void setSampleRate(float rate) { sampleRate_ = rate; }
    virtual void setBlockSize(VstInt32 size) { blockSize_ = size; }

    virtual void process(float** inputs, float** outputs, VstInt32 frames) { (void)inputs, (void)outputs, (void)frames; }
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 frames) {
        (void)inputs, (void)outputs, (void)frames;
    }
    virtual void processDoubleReplacing(double** inputs, double** outputs, VstInt32 frames) {
        (void)inputs, (void)outputs, (void)frames;
    }

    virtual void setParameter(VstInt32 index, float value) { (void)index, (void)value; }
    virtual float getParameter(VstInt32 index) {
        (void)index;
        return 0.0f;
    }
    // setParameter, then tells the host (audioMasterAutomate) so it records the value.
    virtual void setParameterAutomated(VstInt32 index, float value);

    virtual VstInt32 getProgram() { return currentProgram_; }
    virtual void setProgram(VstInt32 program) { currentProgram_ = program; }
    virtual void setProgramName(char* name) { (void)name; }
    virtual void getProgramName(char* name) { name[0] = 0; }
    virtual bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) {
        (void)category, (void)index, (void)text;
        return false;
    }
    virtual void getParameterLabel(VstInt32 index, char* label) { (void)index, label[0] = 0; }
    virtual void getParameterDisplay(VstInt32 index, char* text) { (void)index, text[0] = 0; }
    virtual void getParameterName(VstInt32 index, char* text) { (void)index, text[0] = 0; }
    virtual bool canParameterBeAutomated(VstInt32 index) {
        (void)index;
        return true;
    }
    virtual bool string2parameter(VstInt32 index, char* text) {
        (void)index, (void)text;
        return false;
    }
    virtual bool getParameterProperties(VstInt32 index, void* properties) {
        (void)index, (void)properties;
        return false;
    }

    // Chunks: *data points at bytes the plug-in keeps until the next call; the answer is their size.
    virtual VstInt32 getChunk(void** data, bool isPreset) {
        (void)isPreset;
        *data = nullptr;
        return 0;
    }
    virtual VstInt32 setChunk(void* data, VstInt32 size, bool isPreset) {
        (void)data, (void)size, (void)isPreset;
        return 0;
    }

    virtual VstInt32 processEvents(VstEvents* events) {
        (void)events;
        return 0;
    }
    virtual bool getInputProperties(VstInt32 index, VstPinProperties* properties) {
        (void)index, (void)properties;
        return false;
    }
    virtual bool getOutputProperties(VstInt32 index, VstPinProperties* properties) {
        (void)index, (void)properties;
        return false;
    }
    virtual bool setSpeakerArrangement(VstSpeakerArrangement* input, VstSpeakerArrangement* output) {
        (void)input, (void)output;
        return false;
    }
    virtual bool getSpeakerArrangement(VstSpeakerArrangement** input, VstSpeakerArrangement** output) {
        *input = nullptr;
        *output = nullptr;
        return false;
    }
    virtual bool setBypass(bool on) {
        (void)on;
        return false;
    }
    virtual bool processVariableIo(void* io) {
        (void)io;
        return false;
    }
    virtual bool setProcessPrecision(VstInt32 precision) {
        (void)precision;
        return false;
    }
    virtual VstInt32 startProcess() { return 0; }
    virtual VstInt32 stopProcess() { return 0; }

    virtual bool getEffectName(char* name) {
        (void)name;
        return false;
    }
    virtual bool getVendorString(char* text) {
        (void)text;
        return false;
    }
    virtual bool getProductString(char* text) {
        (void)text;
        return false;
    }
    virtual VstInt32 getVendorVersion() { return 0; }
    virtual VstIntPtr vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) {
        (void)index, (void)value, (void)ptr, (void)opt;
        return 0;
    }
    // 1 yes, -1 no, 0 don't know.
    virtual VstInt32 canDo(char* text) {
        (void)text;
        return 0;
    }
    virtual VstInt32 getTailSize() { return 0; }
    virtual VstPlugCategory getPlugCategory() {
        return (effect_.flags & effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
    }
    virtual VstInt32 getVstVersion() { return kVstVersion; }
    virtual VstInt32 getNumMidiInputChannels() { return 0; }
    virtual VstInt32 getNumMidiOutputChannels() { return 0; }

    // ---- Plug-in -> host ------------------------------------------------------------------
    VstIntPtr CallHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f);
    bool HasHost() const { return host_ != nullptr; }
    // audioMasterVersion; 0 when the host does not answer.
    VstInt32 getMasterVersion();
    // audioMasterGetTime with the fields wanted (VstTimeInfoFlags); null when none.
    VstTimeInfo* getTimeInfo(VstInt32 filter);
    // audioMasterProcessEvents: MIDI out during the process call.
    bool sendVstEventsToHost(VstEvents* events);
    // audioMasterIOChanged: numInputs, numOutputs or initialDelay changed.
    bool ioChanged();
    // audioMasterSizeWindow.
    bool sizeWindow(VstInt32 width, VstInt32 height);
    // audioMasterWantMidi: the plug-in wants MIDI events.
    void wantEvents(VstInt32 filter = 1);

    // ---- Record values ----------------------------------------------------------------------
    void setNumInputs(VstInt32 count) { effect_.numInputs = count; }
    void setNumOutputs(VstInt32 count) { effect_.numOutputs = count; }
    void setInitialDelay(VstInt32 delay) { effect_.initialDelay = delay; }
    void setUniqueID(VstInt32 id) { effect_.uniqueID = id; }
    void setFlag(VstInt32 flag, bool on) { effect_.flags = on ? (effect_.flags | flag) : (effect_.flags & ~flag); }
    void setEditor(YVstEditorBase* editor) { editor_ = editor; }
    YVstEditorBase* getEditor() const { return editor_; }
    float getSampleRate() const { return sampleRate_; }
    VstInt32 getBlockSize() const { return blockSize_; }

protected:
    audioMasterCallback host_;
    AEffect effect_;
    YVstEditorBase* editor_ = nullptr;
    float sampleRate_ = 44100.0f;
    VstInt32 blockSize_ = 1024;
    VstInt32 currentProgram_ = 0;
};

}  // namespace Vst2
