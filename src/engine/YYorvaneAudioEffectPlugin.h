#pragma once

#include "engine/YAudioEffectPluginToAudioPluginAdapter.h"
#include "foundation/YXMLItem.h"

#include <array>
#include <cstdint>
#include <memory>

// The maker's engine: adds the eight in-memory programs A-H, the upsampling setting
// and the automatic gain compensation switch to the state.
class YYorvaneAudioEffectPlugin : public YAudioEffectPluginToAudioPluginAdapter {
public:
    static constexpr int32_t kProgramCount = 8;
    static constexpr int32_t kMaxUpsampling = 16;

    // The whole state: upsampling, "AGC", "PresetIndex" and the other programs, then
    // the engine's part. Loading holds parameterLock, editorLock and processingLock
    // throughout, so the audio thread never meets a half-loaded state.
    void Store(YStoreArchive& archive) override;

    // Switches programs: the current settings go into the outgoing program, the
    // incoming one's are loaded. A program never used holds the settings the instance
    // had at the end of its initialisation (its defaults, or the saved default state).
    void SelectProgram(int32_t index);
    int32_t CurrentProgram() const { return currentProgram_; }
    // A program's stored settings; null for the current one.
    const YXMLItem* Program(int32_t index) const;

    // The automatic gain compensation switch, acting from the next block on.
    bool AGC() const { return AGCEnabled(); }
    void SetAGC(bool on) { SetAGCEnabled(on); }

protected:
    // Every program not yet filled (by the saved default state) starts as a copy of
    // the starting settings.
    void PostInitialize() override;

private:
    // The engine's settings (no programs, no upsampling) as a program holds them.
    std::unique_ptr<YXMLItem> CurrentSettings();

    std::array<std::unique_ptr<YXMLItem>, kProgramCount> programs_;
    int32_t currentProgram_ = 0;
};
