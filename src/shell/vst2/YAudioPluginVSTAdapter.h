#pragma once

// The VST 2.4 binding: lets a VST 2.4 host drive the host-neutral plug-in. One
// binding object wraps one plug-in and owns it; the host sees its AEffect record.

#include "foundation/YByteBuffer.h"
#include "foundation/YSynchronizer.h"
#include "shell/YAudioPlugin.h"
#include "shell/YAudioPluginAdapter.h"
#include "shell/YPendingEvents.h"
#include "shell/vst2/YVstAudioEffectBase.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

// What a key the host forwards to the editor becomes: an optional character event
// (type 15, key down only) and an optional key event (type 13 down, 14 up) with a
// Windows key code.
struct YVSTKeyEvents {
    static constexpr int32_t kCharacterEvent = YAudioPlugin::YEditor::kCharacterEvent;
    static constexpr int32_t kKeyDownEvent = YAudioPlugin::YEditor::kKeyDownEvent;
    static constexpr int32_t kKeyUpEvent = YAudioPlugin::YEditor::kKeyUpEvent;
    static constexpr uint32_t kShiftModifier = 64;  // the editor toolkit's Shift bit

    bool sendCharacter = false;
    char16_t character = 0;
    bool sendKey = false;
    int32_t keyType = 0;
    int32_t keyCode = 0;
};

// The Windows key code of a VST virtual key (VstVirtualKey, also VST 3's key codes);
// 0 for keys the editor does not take.
int32_t VSTVirtualKeyToWindowsKey(int32_t virtualKey);
// The events a key press or release makes: character (0 when the host gives only a
// virtual key), the host's virtual key, the editor's modifier state, down or up.
YVSTKeyEvents TranslateVSTKey(int32_t character, int32_t virtualKey, uint32_t modifiers, bool down);
// Sends those events to the plug-in's open editor; true when the editor used the key.
bool ProcessVSTKeyDown(YAudioPlugin& plugin, int32_t character, int32_t virtualKey, bool down);

class YAudioPluginVSTAdapter : public Vst2::YVstAudioEffectBase, public YAudioPluginAdapter {
public:
    // The unique identifier "YAe5" (bytes "5eAY" in memory).
    static constexpr Vst2::VstInt32 kUniqueID = Vst2::FourCC('Y', 'A', 'e', '5');
    // What PrepareProcessing and processEvents ask the host for (VstTimeInfoFlags).
    static constexpr Vst2::VstInt32 kBlockTimeRequest = 16071;  // 0x3EC7
    static constexpr Vst2::VstInt32 kEventTimeRequest = 11776;  // 0x2E00
    static constexpr int32_t kMaxParameterText = 24;

    class YEditor;

    // Takes ownership of plugin; made by VSTPluginMain on the host's thread, already
    // resumed and prepared.
    YAudioPluginVSTAdapter(Vst2::audioMasterCallback host, YAudioPlugin* plugin);
    ~YAudioPluginVSTAdapter() override;

    YAudioPlugin& Plugin() const { return *plugin_; }

    // ---- Host operations (user-interface thread unless noted) -------------------------
    void open() override {}
    void close() override {}
    void suspend() override {}
    void resume() override;
    void setSampleRate(float rate) override;
    void setBlockSize(Vst2::VstInt32 size) override;
    // Any thread (automation playback comes on the audio thread).
    void setParameter(Vst2::VstInt32 index, float value) override;
    float getParameter(Vst2::VstInt32 index) override;
    void setProgram(Vst2::VstInt32) override {}
    void setProgramName(char*) override {}
    void getProgramName(char* name) override { name[0] = 0; }
    void getParameterName(Vst2::VstInt32 index, char* text) override;
    void getParameterDisplay(Vst2::VstInt32 index, char* text) override;
    void getParameterLabel(Vst2::VstInt32 index, char* label) override;
    bool canParameterBeAutomated(Vst2::VstInt32) override { return true; }
    Vst2::VstInt32 getChunk(void** data, bool isPreset) override;
    Vst2::VstInt32 setChunk(void* data, Vst2::VstInt32 size, bool isPreset) override;
    bool getInputProperties(Vst2::VstInt32 index, Vst2::VstPinProperties* properties) override;
    bool getOutputProperties(Vst2::VstInt32 index, Vst2::VstPinProperties* properties) override;
    bool setSpeakerArrangement(Vst2::VstSpeakerArrangement* input, Vst2::VstSpeakerArrangement* output) override;
    bool getSpeakerArrangement(Vst2::VstSpeakerArrangement** input, Vst2::VstSpeakerArrangement** output) override;
    // Audio thread.
    Vst2::VstInt32 processEvents(Vst2::VstEvents* events) override;
    void process(float** inputs, float** outputs, Vst2::VstInt32 frames) override;
    void processReplacing(float** inputs, float** outputs, Vst2::VstInt32 frames) override;
    void processDoubleReplacing(double**, double**, Vst2::VstInt32) override {}
    bool getEffectName(char* name) override;
    bool getProductString(char* text) override;
    bool getVendorString(char* text) override;
    Vst2::VstInt32 getVendorVersion() override { return 1; }
    Vst2::VstInt32 canDo(char* text) override;
    Vst2::VstInt32 getTailSize() override { return 0; }

    // ---- YAudioPluginAdapter (called by the plug-in) --------------------------------------
    // Any thread.
    void SendAutomation(int32_t index, float value) override;
    void SendBypassAutomation(bool) override {}
    // Any thread; sent to the host after the current block.
    void GenerateMIDIEvent(int32_t offset, uint8_t status, uint8_t data1, uint8_t data2) override;
    // User-interface thread.
    void ReportLatency() override;
    bool ChangeEditorSize(int32_t width, int32_t height) override;
    // The editor's gestures: audioMasterBeginEdit and audioMasterEndEdit.
    void BeginEdit(int32_t index) override;
    void EndEdit(int32_t index) override;

    // Queues one MIDI message for the plug-in, delivered before the next block. Any thread.
    void QueueMIDIInput(int32_t offset, uint8_t status, uint8_t data1, uint8_t data2);
    bool EchoGuard() const { return echoGuard_.load(); }

private:
    // Transport for the block (audio thread).
    void PrepareProcessing();
    void PerformProcessing(float** inputs, float** outputs, Vst2::VstInt32 frames, bool replacing);
    void SendPendingMIDIOutput();
    void TakeTimeSignature(const Vst2::VstTimeInfo& info);
    bool IsSynth() const;
    bool PinProperties(Vst2::VstInt32 index, bool input, Vst2::VstPinProperties* properties);

    YAudioPlugin* plugin_;
    YEditor* editorObject_ = nullptr;
    YByteBuffer chunkBuffer_;
    YPendingEventsT<Vst2::VstMidiEvent> pendingMIDIOutput_;
    std::vector<Vst2::VstMidiEvent> sendingMIDI_;
    std::vector<Vst2::VstIntPtr> eventListStorage_;  // a VstEvents record with room for n pointers
    YPendingEventsT<Vst2::VstMidiEvent> incomingMIDI_;
    std::vector<Vst2::VstMidiEvent> deliveringMIDI_;
    std::array<float*, 4 * 8> inputTable_{};
    std::array<float*, 4 * 8> outputTable_{};
    double lastPpqPosition_ = 0.0;
    std::atomic<bool> echoGuard_{false};
};

// The editor object the dispatcher reaches. Size queries make the plug-in's editor and
// report its size; open shows it in a child window of the host's window, and the host's
// idle calls drive that window (X11 has no event loop of its own).
class YAudioPluginVSTAdapter::YEditor : public Vst2::YVstEditorBase {
public:
    explicit YEditor(YAudioPluginVSTAdapter* adapter) : YVstEditorBase(adapter), adapter_(adapter) {}

    bool getRect(Vst2::ERect** rect) override;
    bool open(void* parent) override;
    void close() override;
    bool isOpen() override { return systemWindow_ != nullptr; }
    void idle() override;
    bool onKeyDown(Vst2::VstKeyCode& key) override;
    bool onKeyUp(Vst2::VstKeyCode& key) override;

private:
    YAudioPluginVSTAdapter* adapter_;
};
