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

    void SendAutomation(int32_t index, float value) override { automation.emplace_back(index, value); }
    void SendBypassAutomation(bool on) override { bypassReports.push_back(on); }
    void GenerateMIDIEvent(int32_t offset, uint8_t status, uint8_t data1, uint8_t data2) override {
        midi.push_back({offset, status, data1, data2});
    }
    void ReportLatency() override { ++latencyReports; }
    bool ChangeEditorSize(int32_t, int32_t) override { return false; }
};
