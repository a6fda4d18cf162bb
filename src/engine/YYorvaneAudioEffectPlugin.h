#pragma once

#include "engine/YAudioEffectPluginToAudioPluginAdapter.h"
#include "foundation/YXMLItem.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// The maker's engine: adds the eight in-memory programs A-H, the upsampling setting
// and the automatic gain compensation switch and fixed output gain to the state. The
// switch and the fixed gain belong to the instance: switching programs keeps them.
class YYorvaneAudioEffectPlugin : public YAudioEffectPluginToAudioPluginAdapter {
public:
    static constexpr int32_t kProgramCount = 8;
    static constexpr int32_t kMaxUpsampling = 16;

    // The whole state: upsampling, "AGC", "FixedOutputGain", "PresetIndex" and the
    // other programs, then the engine's part. Loading holds parameterLock, editorLock and processingLock
    // throughout, so the audio thread never meets a half-loaded state.
    void Store(YStoreArchive& archive) override;

    // Switches programs: the current settings go into the outgoing program, the
    // incoming one's are loaded. A program never used holds the settings the instance
    // had at the end of its initialisation (its defaults, or the saved default state).
    void SelectProgram(int32_t index);
    int32_t CurrentProgram() const { return currentProgram_; }
    // A program's stored settings; null for the current one.
    const YXMLItem* Program(int32_t index) const;
    // A/B: the program that was current before the last switch goes back.
    int32_t PreviousProgram() const { return previousProgram_; }
    void SelectPreviousProgram() { SelectProgram(previousProgram_); }

    // Copy and paste of the current program as "settings" XML text, without the other
    // programs and the upsampling settings. Pasting text that is no such document
    // raises its error and changes nothing.
    YString CopyProgramSettings();
    void PasteProgramSettings(const YString& text);

    // ABCD morphing. Before the user moves the pad: when the current program is one of
    // A-D, the morph would overwrite one of its own sources, so the question is put to
    // answer (the editor asks the user; without an editor the caller answers); on yes
    // program E becomes current. Answers whether it asked.
    bool OnPresetMorph(const std::function<bool(const YString& question)>& answer);
    // Moves the pad to (x, y), each 0..1, and writes the blend of programs A-D into
    // every parameter that moves by more than kMorphThreshold, under processingLock.
    void MorphPrograms(double x, double y);
    double MorphX() const { return morphX_; }
    double MorphY() const { return morphY_; }
    static constexpr double kMorphThreshold = 1e-5;

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
    // The normalised values of the effect's parameters as they are now.
    std::vector<double> CurrentValues() const;
    // The values a stored program holds, read by loading its parameters alone; only
    // while the three locks are held and the current settings are reloaded after.
    std::vector<double> StoredValues(YXMLItem& program);
    // Whether the effect parameter takes part in morphing (kinds with a normalised value).
    bool Morphable(int32_t index) const;

    std::array<std::unique_ptr<YXMLItem>, kProgramCount> programs_;
    // The normalised parameter values of every stored program, for morphing.
    std::array<std::vector<double>, kProgramCount> programValues_;
    int32_t currentProgram_ = 0;
    int32_t previousProgram_ = 0;
    double morphX_ = 0.5, morphY_ = 0.5;
};
