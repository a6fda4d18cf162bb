#pragma once

// A plug-in instance driven over VST 2.4: VSTPluginMain with our host callback, the
// AEffect record's entry points and dispatcher. The raw record stays reachable for
// tests and tools that need a call the common interface does not offer.

#include "host/YPluginHost.h"
#include "shell/vst2/AEffect.h"
#include "shell/vst2/VstEvents.h"
#include "shell/vst2/VstOpcodes.h"
#include "shell/vst2/VstTimeInfo.h"

#include <vector>

class YVst2HostedPlugin : public YHostedPlugin {
public:
    struct Options {
        int32_t hostVersion = 2400;     // answer to audioMasterVersion (0: the host does not answer)
        bool answerTime = true;         // answer audioMasterGetTime
        bool echoAutomation = false;    // call setParameter(echoValue) from inside audioMasterAutomate
        float echoValue = 0.0f;
        bool accumulating = false;      // process (adding) instead of processReplacing
    };

    // Null when VSTPluginMain is missing or gives no effect.
    static std::unique_ptr<YVst2HostedPlugin> Create(const std::shared_ptr<YPluginLibrary>& library, YString& error,
                                                     const Options& options);
    ~YVst2HostedPlugin() override;

    Format GetFormat() const override { return Format::Vst2; }
    bool Prepare(double sampleRate, int32_t maxBlock, int32_t inputChannels, int32_t outputChannels) override;
    std::vector<YHostedParameter> Parameters() override;
    double GetParameter(uint32_t id) override;
    void SetParameter(uint32_t id, double value) override;
    YString ValueText(uint32_t id, std::optional<double> value = {}) override;
    // VST 2 converts typed text only by setting it (effString2Parameter).
    std::optional<double> TextToValue(uint32_t id, const YString& text) override;
    bool SetParameterText(uint32_t id, const YString& text) override;
    void Process(const float* const* inputs, float* const* outputs, int32_t frames) override;
    YByteBuffer GetState() override;
    bool SetState(const YByteBuffer& state) override;
    int32_t Latency() override { return effect_->initialDelay; }
    int64_t Tail() override;
    bool OpenEditor(YHostWindow& window) override;
    void CloseEditor() override;
    bool EditorSize(int32_t& width, int32_t& height) override;
    bool ResizeEditor(int32_t&, int32_t&) override { return false; }
    void IdleEditor() override;

    // ---- Raw access ------------------------------------------------------------------------
    Vst2::AEffect* Effect() const { return effect_; }
    Vst2::VstIntPtr Dispatch(Vst2::VstInt32 opcode, Vst2::VstInt32 index = 0, Vst2::VstIntPtr value = 0,
                             void* ptr = nullptr, float opt = 0.0f);
    Options& GetOptions() { return options_; }
    // What the plug-in asked of the host.
    int32_t IOChangedCount() const { return ioChanged_; }
    bool WantsMIDI() const { return wantsMIDI_; }
    int32_t TimeRequestCount() const { return timeRequests_; }
    Vst2::VstInt32 LastTimeRequest() const { return lastTimeRequest_; }

private:
    YVst2HostedPlugin(const std::shared_ptr<YPluginLibrary>& library, const Options& options);
    static Vst2::VstIntPtr VSTCALLBACK HostCallback(Vst2::AEffect* effect, Vst2::VstInt32 opcode, Vst2::VstInt32 index,
                                                   Vst2::VstIntPtr value, void* ptr, float opt);
    Vst2::VstIntPtr OnHostCall(Vst2::VstInt32 opcode, Vst2::VstInt32 index, Vst2::VstIntPtr value, void* ptr, float opt);
    void Suspend();
    void SendMIDIInput();

    std::shared_ptr<YPluginLibrary> library_;
    Options options_;
    Vst2::AEffect* effect_ = nullptr;
    bool active_ = false;
    double sampleRate_ = 44100.0;
    int32_t maxBlock_ = 0;
    int32_t inputChannels_ = 0;
    int32_t outputChannels_ = 0;
    std::vector<std::vector<float>> inputBuffers_;
    std::vector<std::vector<float>> outputScratch_;
    std::vector<float*> inputTable_;
    std::vector<float*> outputTable_;
    std::vector<double> defaults_;
    Vst2::VstTimeInfo timeInfo_{};
    std::vector<Vst2::VstMidiEvent> midiRecords_;
    std::vector<Vst2::VstIntPtr> eventList_;
    int32_t ioChanged_ = 0;
    bool wantsMIDI_ = false;
    int32_t timeRequests_ = 0;
    Vst2::VstInt32 lastTimeRequest_ = 0;
    YHostWindow* editorWindow_ = nullptr;  // while the editor is open
};
