#pragma once

// The VST 3 binding: one object is the component, the audio processor and the edit
// controller (with units and MIDI mapping) of one host-neutral plug-in, which it owns.

#include "foundation/YString.h"
#include "shell/YAudioPluginAdapter.h"
#include "shell/YPendingEvents.h"
#include "shell/vst3/IEventList.h"
#include "shell/vst3/IParameterChanges.h"
#include "shell/vst3/IPlugView.h"
#include "shell/vst3/YVst3RunLoop.h"
#include "shell/vst3/ProcessContext.h"
#include "shell/vst3/Speakers.h"
#include "shell/vst3/YVst3EffectBase.h"

#include <array>
#include <atomic>
#include <memory>
#include <cstdint>
#include <vector>

class YAudioPlugin;

class YAudioPluginVST3Adapter : public Vst3::YVst3EffectBase, public YAudioPluginAdapter {
public:
    // The class the factory offers: "YorvTagX" and the VST 2 identifier "YAe5" twice.
    static constexpr Vst3::Uid kClassId = Vst3::MakeUidFromBytes("YorvTagXYAe5YAe5");
    static constexpr Vst3::ParamID kBypassId = 32767;
    // Controllers 0..127 at 10000..10127, 128 (aftertouch) at 10128, pitch bend at 10129.
    static constexpr Vst3::ParamID kFirstControllerId = 10000;
    static constexpr int32_t kControllerCount = 130;
    static constexpr int32_t kPitchBendController = 129;
    static constexpr int32_t kStateReadPiece = 1024;

    class YEditor;

    // Takes ownership of plugin. Made by the factory; the host then initializes it.
    explicit YAudioPluginVST3Adapter(YAudioPlugin* plugin);

    YAudioPlugin& Plugin() const { return *plugin_; }
    const YString& HostName() const { return hostName_; }

    // ---- User-interface thread --------------------------------------------------------------
    Vst3::tresult SMTG_STDMETHODCALLTYPE initialize(Vst3::FUnknown* context) override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE setActive(Vst3::TBool state) override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE setState(Vst3::IBStream* state) override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE getState(Vst3::IBStream* state) override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE setComponentState(Vst3::IBStream*) override { return Vst3::kResultOk; }
    Vst3::tresult SMTG_STDMETHODCALLTYPE setBusArrangements(Vst3::SpeakerArrangement* inputs, int32_t numIns,
                                                            Vst3::SpeakerArrangement* outputs, int32_t numOuts) override;
    uint32_t SMTG_STDMETHODCALLTYPE getLatencySamples() override;
    uint32_t SMTG_STDMETHODCALLTYPE getTailSamples() override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE setupProcessing(Vst3::ProcessSetup& setup) override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE setProcessing(Vst3::TBool) override { return Vst3::kResultOk; }
    Vst3::tresult SMTG_STDMETHODCALLTYPE getParamStringByValue(Vst3::ParamID id, Vst3::ParamValue valueNormalized,
                                                               Vst3::String128 string) override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE getParamValueByString(Vst3::ParamID id, Vst3::TChar* string,
                                                               Vst3::ParamValue& valueNormalized) override;
    Vst3::ParamValue SMTG_STDMETHODCALLTYPE getParamNormalized(Vst3::ParamID id) override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE setParamNormalized(Vst3::ParamID id, Vst3::ParamValue value) override;
    Vst3::IPlugView* SMTG_STDMETHODCALLTYPE createView(Vst3::FIDString name) override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE setKnobMode(Vst3::KnobMode mode) override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE getMidiControllerAssignment(int32_t busIndex, int16_t channel,
                                                                     Vst3::CtrlNumber midiControllerNumber,
                                                                     Vst3::ParamID& id) override;

    // ---- Audio thread -------------------------------------------------------------------------
    Vst3::tresult SMTG_STDMETHODCALLTYPE process(Vst3::ProcessData& data) override;

    // ---- YAudioPluginAdapter (called by the plug-in) ---------------------------------------------
    // User-interface thread (the host records the edit).
    void SendAutomation(int32_t index, float value) override;
    void SendBypassAutomation(bool on) override;
    // Any thread; handed to the host's output event list in the next process call.
    void GenerateMIDIEvent(int32_t offset, uint8_t status, uint8_t data1, uint8_t data2) override;
    // User-interface thread.
    void ReportLatency() override;
    bool ChangeEditorSize(int32_t width, int32_t height) override;
    // The editor's gestures: the component handler's beginEdit and endEdit.
    void BeginEdit(int32_t index) override;
    void EndEdit(int32_t index) override;

    bool EchoGuard() const { return echoGuard_.load() != 0; }
    // The knob mode the host chose, shared by all instances.
    static Vst3::KnobMode KnobModeSetting();

protected:
    ~YAudioPluginVST3Adapter() override;

private:
    void BuildAudioBuses();
    void RegisterParameters();
    // One parameter change from the host (audio thread): false when the plug-in's
    // locks were busy and it must be tried again.
    bool ApplyParameterChange(Vst3::ParamID id, Vst3::ParamValue value);
    void ApplyParameterChanges(Vst3::IParameterChanges* changes);
    void ApplyDeferredChanges();
    void ApplyContext(const Vst3::ProcessContext& context);
    void ApplyInputEvents(Vst3::IEventList& events);
    // False when the plug-in dropped the block (a busy parameterLock).
    bool ProcessAudioBuses(Vst3::ProcessData& data);
    int32_t DeferredSlot(Vst3::ParamID id) const;

    YAudioPlugin* plugin_;
    YString hostName_;
    Vst3::SpeakerArrangement inputArrangement_ = Vst3::SpeakerArr::kStereo;
    Vst3::SpeakerArrangement outputArrangement_ = Vst3::SpeakerArr::kStereo;
    int32_t processMode_ = Vst3::kRealtime;
    double lastPpqPosition_ = 0.0;
    int32_t cachedLatency_ = 0;
    int32_t cachedTail_ = 0;
    bool activating_ = false;
    bool counted_ = false;
    std::atomic<int32_t> echoGuard_{0};
    YEditor* view_ = nullptr;
    Vst3::IPlugFrame* plugFrame_ = nullptr;
    bool resizing_ = false;
    YPendingEventsT<Vst3::Event> pendingMIDIOutput_;
    // Changes the plug-in's locks turned away, by slot (DeferredSlot); NaN where none.
    std::vector<double> deferred_;
    bool anyDeferred_ = false;
    std::array<float*, 4 * 8> inputTable_{};
    std::array<float*, 4 * 8> outputTable_{};
    int32_t connectedInputs_ = -1;
    int32_t connectedOutputs_ = -1;

    friend class YEditor;
};

// The editor view: the plug-in's editor in a child window of an HWND (Windows) or of an
// X11 window id (Linux, driven by the host's IRunLoop). Resizable; the size a user
// gives it is what the next editor opens with.
class YAudioPluginVST3Adapter::YEditor : public Vst3::YVst3Object<Vst3::IPlugView> {
public:
    explicit YEditor(YAudioPluginVST3Adapter* adapter);

    Vst3::tresult SMTG_STDMETHODCALLTYPE isPlatformTypeSupported(Vst3::FIDString type) override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE attached(void* parent, Vst3::FIDString type) override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE removed() override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE onWheel(float) override { return Vst3::kResultFalse; }
    Vst3::tresult SMTG_STDMETHODCALLTYPE onKeyDown(Vst3::TChar key, int16_t keyCode, int16_t modifiers) override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE onKeyUp(Vst3::TChar key, int16_t keyCode, int16_t modifiers) override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE getSize(Vst3::ViewRect* size) override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE onSize(Vst3::ViewRect* newSize) override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE onFocus(Vst3::TBool) override { return Vst3::kResultFalse; }
    Vst3::tresult SMTG_STDMETHODCALLTYPE setFrame(Vst3::IPlugFrame* frame) override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE canResize() override { return Vst3::kResultOk; }
    Vst3::tresult SMTG_STDMETHODCALLTYPE checkSizeConstraint(Vst3::ViewRect* rect) override;

protected:
    ~YEditor() override;

private:
    void Close();

    YAudioPluginVST3Adapter* adapter_;
    std::unique_ptr<YVst3RunLoop> runLoop_;
};
