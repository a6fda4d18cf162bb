#pragma once

// The base of a single-component VST 3 plug-in: one object that is the component,
// the audio processor and the edit controller (with units and MIDI mapping). It keeps
// what the interfaces ask about — the host context and component handler, the audio
// and event bus lists, a parameter container of ParameterInfo records with
// normalised values — and answers with neutral defaults. The binding overrides what
// it does differently.
//
// Threads: everything on the host's user-interface thread except process (audio
// thread) and setProcessing (either). The parameter container is for the controller
// side only; the audio thread never touches it.

#include "foundation/YString.h"
#include "shell/vst3/IAudioProcessor.h"
#include "shell/vst3/IComponent.h"
#include "shell/vst3/IComponentHandler.h"
#include "shell/vst3/IEditController.h"
#include "shell/vst3/IMidiMapping.h"
#include "shell/vst3/IUnitInfo.h"
#include "shell/vst3/Vst3Object.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace Vst3 {

class YVst3EffectBase
    : public YVst3Object<IComponent, IAudioProcessor, IEditController, IEditController2, IUnitInfo, IMidiMapping> {
public:
    // ---- IPluginBase ---------------------------------------------------------------------
    // Keeps the context (referenced); a second initialize without terminate is refused.
    tresult SMTG_STDMETHODCALLTYPE initialize(FUnknown* context) override;
    // Releases the context and the handler, empties the bus lists and the parameters.
    tresult SMTG_STDMETHODCALLTYPE terminate() override;

    // ---- IComponent ----------------------------------------------------------------------
    tresult SMTG_STDMETHODCALLTYPE getControllerClassId(TUID classId) override;
    tresult SMTG_STDMETHODCALLTYPE setIoMode(IoMode mode) override;
    int32_t SMTG_STDMETHODCALLTYPE getBusCount(MediaType type, BusDirection dir) override;
    tresult SMTG_STDMETHODCALLTYPE getBusInfo(MediaType type, BusDirection dir, int32_t index, BusInfo& bus) override;
    tresult SMTG_STDMETHODCALLTYPE getRoutingInfo(RoutingInfo& inInfo, RoutingInfo& outInfo) override;
    tresult SMTG_STDMETHODCALLTYPE activateBus(MediaType type, BusDirection dir, int32_t index, TBool state) override;
    tresult SMTG_STDMETHODCALLTYPE setActive(TBool state) override;
    // Shared by IComponent and IEditController (same signature, one override).
    tresult SMTG_STDMETHODCALLTYPE setState(IBStream* state) override;
    tresult SMTG_STDMETHODCALLTYPE getState(IBStream* state) override;

    // ---- IAudioProcessor -------------------------------------------------------------------
    // Takes the arrangements as given when there is one per bus.
    tresult SMTG_STDMETHODCALLTYPE setBusArrangements(SpeakerArrangement* inputs, int32_t numIns,
                                                      SpeakerArrangement* outputs, int32_t numOuts) override;
    tresult SMTG_STDMETHODCALLTYPE getBusArrangement(BusDirection dir, int32_t index, SpeakerArrangement& arr) override;
    // 32-bit float only.
    tresult SMTG_STDMETHODCALLTYPE canProcessSampleSize(int32_t symbolicSampleSize) override;
    uint32_t SMTG_STDMETHODCALLTYPE getLatencySamples() override { return 0; }
    // Keeps the setup when its sample size is supported.
    tresult SMTG_STDMETHODCALLTYPE setupProcessing(ProcessSetup& setup) override;
    tresult SMTG_STDMETHODCALLTYPE setProcessing(TBool state) override;
    uint32_t SMTG_STDMETHODCALLTYPE getTailSamples() override { return kNoTail; }

    // ---- IEditController ---------------------------------------------------------------------
    tresult SMTG_STDMETHODCALLTYPE setComponentState(IBStream* state) override;
    int32_t SMTG_STDMETHODCALLTYPE getParameterCount() override;
    tresult SMTG_STDMETHODCALLTYPE getParameterInfo(int32_t paramIndex, ParameterInfo& info) override;
    tresult SMTG_STDMETHODCALLTYPE getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                                         String128 string) override;
    tresult SMTG_STDMETHODCALLTYPE getParamValueByString(ParamID id, TChar* string,
                                                         ParamValue& valueNormalized) override;
    ParamValue SMTG_STDMETHODCALLTYPE normalizedParamToPlain(ParamID id, ParamValue valueNormalized) override;
    ParamValue SMTG_STDMETHODCALLTYPE plainParamToNormalized(ParamID id, ParamValue plainValue) override;
    ParamValue SMTG_STDMETHODCALLTYPE getParamNormalized(ParamID id) override;
    tresult SMTG_STDMETHODCALLTYPE setParamNormalized(ParamID id, ParamValue value) override;
    // Keeps the handler (referenced); null lets it go.
    tresult SMTG_STDMETHODCALLTYPE setComponentHandler(IComponentHandler* handler) override;
    IPlugView* SMTG_STDMETHODCALLTYPE createView(FIDString name) override;

    // ---- IEditController2 ----------------------------------------------------------------------
    tresult SMTG_STDMETHODCALLTYPE setKnobMode(KnobMode mode) override;
    tresult SMTG_STDMETHODCALLTYPE openHelp(TBool onlyCheck) override;
    tresult SMTG_STDMETHODCALLTYPE openAboutBox(TBool onlyCheck) override;

    // ---- IUnitInfo: the root unit only, no program lists ----------------------------------------
    int32_t SMTG_STDMETHODCALLTYPE getUnitCount() override { return 1; }
    tresult SMTG_STDMETHODCALLTYPE getUnitInfo(int32_t unitIndex, UnitInfo& info) override;
    int32_t SMTG_STDMETHODCALLTYPE getProgramListCount() override { return 0; }
    tresult SMTG_STDMETHODCALLTYPE getProgramListInfo(int32_t listIndex, ProgramListInfo& info) override;
    tresult SMTG_STDMETHODCALLTYPE getProgramName(ProgramListID listId, int32_t programIndex, String128 name) override;
    tresult SMTG_STDMETHODCALLTYPE getProgramInfo(ProgramListID listId, int32_t programIndex, const char* attributeId,
                                                  String128 attributeValue) override;
    tresult SMTG_STDMETHODCALLTYPE hasProgramPitchNames(ProgramListID listId, int32_t programIndex) override;
    tresult SMTG_STDMETHODCALLTYPE getProgramPitchName(ProgramListID listId, int32_t programIndex, int16_t midiPitch,
                                                       String128 name) override;
    UnitID SMTG_STDMETHODCALLTYPE getSelectedUnit() override { return selectedUnit_; }
    tresult SMTG_STDMETHODCALLTYPE selectUnit(UnitID unitId) override;
    tresult SMTG_STDMETHODCALLTYPE getUnitByBus(MediaType type, BusDirection dir, int32_t busIndex, int32_t channel,
                                                UnitID& unitId) override;
    tresult SMTG_STDMETHODCALLTYPE setUnitProgramData(int32_t listOrUnitId, int32_t programIndex, IBStream* data) override;

    // ---- IMidiMapping ------------------------------------------------------------------------------
    tresult SMTG_STDMETHODCALLTYPE getMidiControllerAssignment(int32_t busIndex, int16_t channel,
                                                               CtrlNumber midiControllerNumber, ParamID& id) override;

protected:
    struct AudioBus {
        YString name;
        BusType type = kMain;
        uint32_t flags = 0;
        SpeakerArrangement arrangement = 0;
        bool active = false;
    };
    struct EventBus {
        YString name;
        BusType type = kMain;
        uint32_t flags = 0;
        int32_t channels = 16;
        bool active = false;
    };
    struct Parameter {
        ParameterInfo info;
        ParamValue value = 0.0;
    };

    YVst3EffectBase();
    ~YVst3EffectBase() override;

    void AddAudioBus(BusDirection dir, const YString& name, SpeakerArrangement arrangement, BusType type, uint32_t flags);
    void AddEventBus(BusDirection dir, const YString& name, int32_t channels, BusType type, uint32_t flags);
    void ClearAudioBuses();
    void ClearEventBuses();
    std::vector<AudioBus>& AudioBuses(BusDirection dir) { return dir == kInput ? audioInputs_ : audioOutputs_; }
    std::vector<EventBus>& EventBuses(BusDirection dir) { return dir == kInput ? eventInputs_ : eventOutputs_; }

    void AddParameter(ParamID id, const YString& title, int32_t stepCount, ParamValue defaultValue, int32_t flags);
    void ClearParameters();
    Parameter* FindParameter(ParamID id);
    int32_t ParameterIndex(ParamID id) const;

    FUnknown* HostContext() const { return hostContext_; }
    IComponentHandler* ComponentHandler() const { return componentHandler_; }
    const ProcessSetup& Setup() const { return processSetup_; }

private:
    FUnknown* hostContext_ = nullptr;
    IComponentHandler* componentHandler_ = nullptr;
    std::vector<AudioBus> audioInputs_, audioOutputs_;
    std::vector<EventBus> eventInputs_, eventOutputs_;
    std::vector<Parameter> parameters_;
    std::unordered_map<ParamID, int32_t> parameterIndex_;
    ProcessSetup processSetup_{kRealtime, kSample32, 1024, 44100.0};
    UnitID selectedUnit_ = kRootUnitId;
};

}  // namespace Vst3
