#pragma once

#include <cstdint>

// What the plug-in asks of the binding that hosts it, without knowing whether that
// is VST 2.4 or VST 3. Implemented by both bindings.
class YAudioPluginAdapter {
public:
    virtual ~YAudioPluginAdapter() = default;

    // A parameter changed by the plug-in's own action; value 0..1. Any thread.
    virtual void SendAutomation(int32_t index, float value) = 0;
    // The bypass switch changed (only VST 3 hosts are told).
    virtual void SendBypassAutomation(bool on) = 0;
    // One MIDI message for the host, at a sample offset of the current block. Any thread.
    virtual void GenerateMIDIEvent(int32_t offset, uint8_t status, uint8_t data1, uint8_t data2) = 0;
    // The latency changed; the binding re-reads it through GetLatency.
    virtual void ReportLatency() = 0;
    // Asks the host to resize the editor window; true when it agreed.
    virtual bool ChangeEditorSize(int32_t width, int32_t height) = 0;
    // The user grabbed a parameter in the editor and let it go: the host records the
    // SendAutomation calls between the two as one edit. User-interface thread; a
    // binding whose host has no gestures ignores them.
    virtual void BeginEdit(int32_t index) { (void)index; }
    virtual void EndEdit(int32_t index) { (void)index; }
};
