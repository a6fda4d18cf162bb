#pragma once

#include "engine/ChannelMode.h"
#include "engine/Parameters.h"
#include "engine/YAudioEffectPlugin.h"
#include "engine/YMIDIControllers.h"
#include "engine/YMultiParameter.h"
#include "presets/YPresetManagerT.h"
#include "shell/YAudioPlugin.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// The engine: implements the host-neutral plug-in around one effect. It creates the
// effect and a parameter object per definition, prepares the effect and the block
// road, runs the effect per sub-block and adds what every effect of the family has:
// channel modes, bypass, the preset trigger parameters.
//
// Global parameter indices, which hosts store automation by and which therefore never
// change: the effect's parameters first, in the order of its definitions (0 .. N-1),
// then the engine's own, "Preset trigger - previous" (N) and "Preset trigger - next"
// (N + 1), then the four multiparameters "MultiParameter 1" .. "MultiParameter 4"
// (N + 2 .. N + 5). Anything the engine adds later goes after these.
class YAudioEffectPluginToAudioPluginAdapter : public YAudioPlugin, public ParameterOwner {
public:
    static constexpr int32_t kSettingsVersion = 461312;  // 7.10.0
    static constexpr int32_t kDefaultMaxLFOBlockSize = 256;
    static constexpr double kTriggerThreshold = 2.0 / 3.0;

    YAudioEffectPluginToAudioPluginAdapter();
    ~YAudioEffectPluginToAudioPluginAdapter() override;

    // Creates the effect through the factory, registers its parameters, loads the
    // default settings and runs the post-initialisation hook. Raises "Error creating
    // plugin." when the factory gives nothing.
    void Initialize(const YString& product, const YString& vendor, YEffectFactory factory, int32_t first, int32_t second);

    // Prepares the effect and the road under parameterLock, editorLock and
    // processingLock (in that order); then reports a changed latency.
    void InitProcessing() override;
    void ProcessUpdate() override;
    int32_t GetLatency() override;
    int32_t GetTailLength() override;

    // ---- State ------------------------------------------------------------------------
    // The engine's part of the state document: "Version", "ChannelMode" and the surround
    // enables, "Bypass", "MaxLFOBlockSize", then StoreSettings. Loading holds
    // parameterLock, editorLock and processingLock, makes parameters jump to their new
    // values and prepares again.
    void Store(YStoreArchive& archive) override;
    // The effect's parameters, shape and MIDI settings, then the standard settings.
    virtual void StoreSettings(YStoreArchive& archive);
    // The controller tables, the multiparameters, then (in subclasses, what follows
    // them in the document and) the preset index ("CurrentPresetIndex", always written).
    virtual void StoreStandardSettings(YStoreArchive& archive);
    void StoreControllers(YStoreArchive& archive);
    void StoreMultiParameters(YStoreArchive& archive);
    // The "ActivePreset" element: "Edit" and "CurrentActivePreset". Settings without it
    // open the full editor.
    void StoreActivePresets(YStoreArchive& archive);
    // After a load (the open editor re-reads everything: YAudioPlugin::Store asks it).
    void ActualiseAfterLoading() {}
    static constexpr int32_t kUnversionedSettings = 328448;  // 5.3.0

    // Surround is only kept when the host gives more than two channels.
    void SetChannelMode(ChannelMode mode);
    ChannelMode GetChannelMode() const { return channelMode_; }
    bool MidSideNeeded() const { return midSideNeeded_; }
    std::array<bool, 8>& SurroundChannelsEnable() { return surroundChannelsEnable_; }
    int32_t ChannelCount() const { return channelCount_; }
    int32_t MaxLFOBlockSize() const { return maxLFOBlockSize_; }
    void SetMaxLFOBlockSize(int32_t size) { maxLFOBlockSize_ = size > 0 ? size : kDefaultMaxLFOBlockSize; }

    // The bypass switch as the editor's button sets it: the binding learns of it.
    void SetBypassFromEditor(bool on);
    // Resets all processing state, as the editor's panic button does.
    void Panic();

    // Moves every parameter that takes part by up to amount of its normalised range
    // (amount >= 1: anywhere in it), drawing from the program-wide generator. Holds
    // parameterLock, editorLock and processingLock for the whole run, so no block sees
    // half of it; the parameters jump to their new values instead of gliding.
    void GenerateRandomSettings(double amount);
    // The same for the macros: each enabled multiparameter's own value is moved by the
    // definition rule (whatever its participation bit) and applied to its targets.
    void GenerateRandomSettingsForMultiParameters(double amount);
    // A setting built from the user's presets: one of the top-level folder "Randomizer",
    // or (an odd draw, when that folder exists too) one of "Randomizer Multi" whose
    // multiparameters come from further presets drawn from it. The result opens in edit
    // mode. Returns 1 when a setting was loaded, 0 when there was none to draw from
    // (then nothing changes).
    int32_t GenerateRandomSettingsSmart();

    // ---- Active presets (user-interface thread) -------------------------------------------
    // Whether the panel shows the full editor instead of the active preset's controls.
    bool ActivePresetEdit() const { return activePresetEdit_; }
    void SetActivePresetEdit(bool edit);
    int32_t CurrentActivePreset() const { return currentActivePreset_; }
    // The names of the "preset" entries of the list file, product + "presets.active",
    // beside the preset file; empty when the file is missing or cannot be read.
    std::vector<YString> ActivePresetNames() const;
    YString ActivePresetListPath() const;
    // Loads the preset the list's entry names (the first preset of that name in step
    // order), leaves edit mode and gives free controller slots the macros' default
    // assignments. False (nothing changes) when the entry or its preset is missing.
    bool LoadActivePreset(int32_t index);
    // The active preset's controls: the multiparameters (0..3) that are enabled and
    // named, but not with a name starting with "*"; empty in edit mode.
    const std::vector<int32_t>& ActivePresetControls() const { return activePresetControls_; }
    // After a load: rebuilds the controls for the mode the settings asked for.
    void ActualiseActivePresetsAfterLoading();

    // Preset steps asked for by the trigger parameters (and by other threads), kept
    // until the preset worker takes them. Any thread, the audio thread included: only
    // an atomic counter changes.
    void RequestPresetStep(int32_t step) { pendingPresetSteps_ += step; }
    int32_t PendingPresetSteps() const { return pendingPresetSteps_.load(); }
    int32_t TakePendingPresetSteps() { return pendingPresetSteps_.exchange(0); }
    // Loads the preset the pending steps lead to. The preset worker calls it (any
    // thread but the audio thread): unpacking a preset allocates, and loading takes
    // parameterLock, editorLock and processingLock like a state load.
    void CarryOutPresetSteps();

    // ---- Presets (user-interface thread) -------------------------------------------------
    // The user's preset file, opened in Initialize with the product's name as prefix.
    YPresetManagerBase& Presets() { return *presets_; }
    // The preset manager's owner: the settings (effect parameters and standard
    // settings) into a "preset" element, and back. A preset does not carry the
    // instance's "CurrentPresetIndex".
    bool StorePreset(YXMLItem& preset, YPresetManagerBase& manager, bool replacing);
    void LoadPreset(YXMLItem& preset, YPresetManagerBase& manager);

    // ---- Multiparameters and MIDI controllers ---------------------------------------------
    YMultiParameter& MultiParameter(int32_t number) { return *multiParameters_[static_cast<std::size_t>(number)]; }
    // The global parameter index of multiparameter number 0..3.
    int32_t MultiParameterIndex(int32_t number) const { return firstMultiParameter_ + number; }
    YMIDIControllers& MIDIControllers() { return *midiControllers_; }
    // "Attach MIDI controller" for a parameter (user-interface thread): the slot chosen,
    // or -1 when all are in use, for the editor to say YMIDIControllers::AllInUseMessage.
    int32_t AttachMIDIController(int32_t parameter);
    // Editor edits (user-interface thread). A multiparameter changes under its lock and
    // applies at once, so that its targets follow the new settings without waiting for
    // its value to move; the tables change under parameterLock and processingLock,
    // between blocks. Both mark the settings changed.
    void ChangeMultiParameter(int32_t number, const std::function<void(YMultiParameter&)>& change);
    void ChangeMIDIControllers(const std::function<void(YMIDIControllers&)>& change);

    // The last controller message (control change, aftertouch, pitch-bend) that arrived
    // while an editor existed, for MIDI learn and the controller display. The audio
    // thread posts it as one atomic word; sequence counts the posts.
    struct ControllerPost {
        uint32_t sequence = 0;
        int32_t channel = 0;      // 1..16
        int32_t controller = -1;  // a controller source number
    };
    ControllerPost LastControllerPost() const;

    // MIDI from YAudioPlugin's decoding (audio thread): the plug-in's own handling
    // first, then the controller tables and the preset trigger.
    bool ProcessMIDIController(int32_t offset, double time, int32_t channel, int32_t controller, double value) override;
    void ProcessPressure(int32_t offset, double time, int32_t channel, int32_t key, double value) override;
    void ProcessPitchBend(int32_t offset, double time, int32_t channel, double value) override;
    void ProcessNote(const YNoteEvent& note) override;
    // Channel pressure (0..1) as the controller source "Aftertouch".
    void ProcessAftertouch(int32_t channel, double value);

    YAudioEffectPlugin* Effect() const { return effect_; }
    ParameterMainBase* Parameter(int32_t index) const;
    int32_t SettingsVersion() const { return version_; }
    bool SettingsChanged() const { return settingsChanged_.load(); }

    // ParameterOwner
    void ParameterChanged(int32_t index) override;
    void MarkSettingsChanged() override { settingsChanged_ = true; }

protected:
    // The last step of Initialize, once the instance holds its starting settings.
    virtual void PostInitialize() {}
    // The halves of InitProcessing a subclass may extend.
    virtual void InitProcessing_LockedPart();
    virtual void InitProcessing_UnLockedPart() {}
    // The channels the host gives the plug-in.
    int32_t HostChannelCount() const;
    // "CurrentPresetIndex": always written, unchanged when absent.
    void StorePresetIndex(YStoreArchive& archive);

    void PreBlock(float** inputs, float** outputs, int32_t frames) override;
    void PrepareForProcessingOnce(float** inputs, float** outputs, int32_t frames) override;
    void Process(float** inputs, float** outputs, int32_t frames) override;
    double GetInterpolationValue(const InterpolatedParameter& parameter) override;
    void SetInterpolationValue(const InterpolatedParameter& parameter, double value, bool interpolating) override;
    void UpdateFromParameters() override;

    ChannelMode channelMode_ = ChannelMode::LeftRight;
    std::array<bool, 8> surroundChannelsEnable_{true, true, true, true, true, true, true, true};
    int32_t maxLFOBlockSize_ = kDefaultMaxLFOBlockSize;
    int32_t version_ = kSettingsVersion;

private:
    class PresetStepThread;

    void CreateParameters();
    // Runs change under parameterLock, editorLock and processingLock (in that order),
    // then prepares again with the parameters jumping to their new values, so that no
    // block sees half of the change.
    void ChangeAtOnce(const std::function<void()>& change);
    template <typename Body>
    void WithControllerTables(const YString& guardName, Body&& body);
    void OpenPresets();
    void PostController(int32_t channel, int32_t controller);

    std::unique_ptr<YPlugin> plugin_;
    YAudioEffectPlugin* effect_ = nullptr;
    YLock pluginMutex_;
    std::vector<ParameterMainBase*> parameters_;  // registered; the plug-in holds the references
    std::array<ParameterDefinition*, 2> triggers_{};
    std::array<std::unique_ptr<YMultiParameter>, YMultiParameter::kCount> multiParameters_;
    int32_t firstMultiParameter_ = 0;
    std::unique_ptr<YMIDIControllers> midiControllers_;
    bool midSideNeeded_ = false;
    int32_t effectBlockLimit_ = 2147483647;
    int32_t channelCount_ = 0;
    int32_t reportedLatency_ = 0;
    std::array<int32_t, 2> initializationPair_{};
    std::atomic<int32_t> pendingPresetSteps_{0};
    std::atomic<uint64_t> controllerPost_{0};  // sequence << 32 | channel << 16 | controller
    uint32_t postSequence_ = 0;                // audio thread only
    std::unique_ptr<YPresetManagerT<YAudioEffectPluginToAudioPluginAdapter>> presets_;
    std::unique_ptr<PresetStepThread> presetThread_;
    std::atomic<bool> settingsChanged_{false};
    std::atomic<bool> parametersChanged_{false};
    bool activePresetEdit_ = true;
    int32_t currentActivePreset_ = 0;
    std::vector<int32_t> activePresetControls_;
};
