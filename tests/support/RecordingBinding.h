#pragma once

#include "shell/YAudioPlugin.h"

#include <array>
#include <atomic>
#include <utility>
#include <vector>

// A binding that records what the plug-in sends it.
class RecordingBinding : public YAudioPluginAdapter {
public:
    std::vector<std::pair<int32_t, float>> automation;
    std::vector<bool> bypassReports;
    std::vector<std::array<int, 4>> midi;
    std::atomic<int> latencyReports{0};
    // Gestures and automation in the order they came: 'b' begin, 'a' automation, 'e' end.
    std::vector<std::pair<char, int32_t>> edits;

    void SendAutomation(int32_t index, float value) override {
        automation.emplace_back(index, value);
        edits.emplace_back('a', index);
    }
    void BeginEdit(int32_t index) override { edits.emplace_back('b', index); }
    void EndEdit(int32_t index) override { edits.emplace_back('e', index); }
    void SendBypassAutomation(bool on) override { bypassReports.push_back(on); }
    void GenerateMIDIEvent(int32_t offset, uint8_t status, uint8_t data1, uint8_t data2) override {
        midi.push_back({offset, status, data1, data2});
    }
    void ReportLatency() override { ++latencyReports; }
    // The editor sizes asked for; the host agrees when told to.
    std::vector<std::pair<int32_t, int32_t>> resizes;
    bool agreesToResize = false;
    bool ChangeEditorSize(int32_t width, int32_t height) override {
        resizes.emplace_back(width, height);
        return agreesToResize;
    }
};
