#include "shell/vst3/YVst3EffectBase.h"

#include "shell/vst3/Speakers.h"
#include "shell/vst3/Vst3Text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace Vst3 {

YVst3EffectBase::YVst3EffectBase() = default;

YVst3EffectBase::~YVst3EffectBase() {
    if (componentHandler_) componentHandler_->release();
    if (hostContext_) hostContext_->release();
}

// ---- IPluginBase ------------------------------------------------------------------------------

tresult YVst3EffectBase::initialize(FUnknown* context) {
    if (hostContext_ != nullptr) return kResultFalse;
    hostContext_ = context;
    if (hostContext_) hostContext_->addRef();
    return kResultOk;
}

tresult YVst3EffectBase::terminate() {
    ClearAudioBuses();
    ClearEventBuses();
    ClearParameters();
    if (componentHandler_) componentHandler_->release();
    componentHandler_ = nullptr;
    if (hostContext_) hostContext_->release();
    hostContext_ = nullptr;
    return kResultOk;
}

// ---- IComponent --------------------------------------------------------------------------------

tresult YVst3EffectBase::getControllerClassId(TUID) { return kResultFalse; }

tresult YVst3EffectBase::setIoMode(IoMode) { return kNotImplemented; }

int32_t YVst3EffectBase::getBusCount(MediaType type, BusDirection dir) {
    if (dir != kInput && dir != kOutput) return 0;
    if (type == kAudio) return static_cast<int32_t>(AudioBuses(dir).size());
    if (type == kEvent) return static_cast<int32_t>(EventBuses(dir).size());
    return 0;
}

tresult YVst3EffectBase::getBusInfo(MediaType type, BusDirection dir, int32_t index, BusInfo& bus) {
    if (index < 0 || index >= getBusCount(type, dir)) return kInvalidArgument;
    bus.mediaType = type;
    bus.direction = dir;
    if (type == kAudio) {
        const AudioBus& audio = AudioBuses(dir)[static_cast<std::size_t>(index)];
        bus.channelCount = ChannelCount(audio.arrangement);
        CopyText(bus.name, audio.name);
        bus.busType = audio.type;
        bus.flags = audio.flags;
    } else {
        const EventBus& event = EventBuses(dir)[static_cast<std::size_t>(index)];
        bus.channelCount = event.channels;
        CopyText(bus.name, event.name);
        bus.busType = event.type;
        bus.flags = event.flags;
    }
    return kResultOk;
}

tresult YVst3EffectBase::getRoutingInfo(RoutingInfo&, RoutingInfo&) { return kResultFalse; }

tresult YVst3EffectBase::activateBus(MediaType type, BusDirection dir, int32_t index, TBool state) {
    if (index < 0 || index >= getBusCount(type, dir)) return kInvalidArgument;
    if (type == kAudio)
        AudioBuses(dir)[static_cast<std::size_t>(index)].active = state != 0;
    else
        EventBuses(dir)[static_cast<std::size_t>(index)].active = state != 0;
    return kResultOk;
}

tresult YVst3EffectBase::setActive(TBool) { return kResultOk; }

tresult YVst3EffectBase::setState(IBStream*) { return kNotImplemented; }

tresult YVst3EffectBase::getState(IBStream*) { return kNotImplemented; }

// ---- IAudioProcessor ----------------------------------------------------------------------------

tresult YVst3EffectBase::setBusArrangements(SpeakerArrangement* inputs, int32_t numIns, SpeakerArrangement* outputs,
                                            int32_t numOuts) {
    if (numIns != static_cast<int32_t>(audioInputs_.size()) || numOuts != static_cast<int32_t>(audioOutputs_.size()))
        return kResultFalse;
    if ((numIns > 0 && inputs == nullptr) || (numOuts > 0 && outputs == nullptr)) return kInvalidArgument;
    for (int32_t i = 0; i < numIns; ++i) audioInputs_[static_cast<std::size_t>(i)].arrangement = inputs[i];
    for (int32_t i = 0; i < numOuts; ++i) audioOutputs_[static_cast<std::size_t>(i)].arrangement = outputs[i];
    return kResultTrue;
}

tresult YVst3EffectBase::getBusArrangement(BusDirection dir, int32_t index, SpeakerArrangement& arr) {
    if ((dir != kInput && dir != kOutput) || index < 0 || index >= static_cast<int32_t>(AudioBuses(dir).size()))
        return kInvalidArgument;
    arr = AudioBuses(dir)[static_cast<std::size_t>(index)].arrangement;
    return kResultOk;
}

tresult YVst3EffectBase::canProcessSampleSize(int32_t symbolicSampleSize) {
    return symbolicSampleSize == kSample32 ? kResultTrue : kResultFalse;
}

tresult YVst3EffectBase::setupProcessing(ProcessSetup& setup) {
    if (canProcessSampleSize(setup.symbolicSampleSize) != kResultTrue) return kResultFalse;
    processSetup_ = setup;
    return kResultOk;
}

tresult YVst3EffectBase::setProcessing(TBool) { return kResultOk; }

// ---- IEditController ------------------------------------------------------------------------------

tresult YVst3EffectBase::setComponentState(IBStream*) { return kResultOk; }

int32_t YVst3EffectBase::getParameterCount() { return static_cast<int32_t>(parameters_.size()); }

tresult YVst3EffectBase::getParameterInfo(int32_t paramIndex, ParameterInfo& info) {
    if (paramIndex < 0 || paramIndex >= getParameterCount()) return kInvalidArgument;
    info = parameters_[static_cast<std::size_t>(paramIndex)].info;
    return kResultOk;
}

tresult YVst3EffectBase::getParamStringByValue(ParamID id, ParamValue valueNormalized, String128 string) {
    if (FindParameter(id) == nullptr || string == nullptr) return kInvalidArgument;
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", valueNormalized);
    CopyText(string, text, 128);
    return kResultOk;
}

tresult YVst3EffectBase::getParamValueByString(ParamID id, TChar* string, ParamValue& valueNormalized) {
    if (FindParameter(id) == nullptr || string == nullptr) return kInvalidArgument;
    const std::string text = TextFrom(string).ToUtf8();
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end == text.c_str()) return kResultFalse;
    valueNormalized = value;
    return kResultOk;
}

ParamValue YVst3EffectBase::normalizedParamToPlain(ParamID, ParamValue valueNormalized) { return valueNormalized; }

ParamValue YVst3EffectBase::plainParamToNormalized(ParamID, ParamValue plainValue) { return plainValue; }

ParamValue YVst3EffectBase::getParamNormalized(ParamID id) {
    const Parameter* parameter = FindParameter(id);
    return parameter ? parameter->value : 0.0;
}

tresult YVst3EffectBase::setParamNormalized(ParamID id, ParamValue value) {
    Parameter* parameter = FindParameter(id);
    if (parameter == nullptr) return kResultFalse;
    parameter->value = value < 0.0 ? 0.0 : value > 1.0 ? 1.0 : value;
    return kResultOk;
}

tresult YVst3EffectBase::setComponentHandler(IComponentHandler* handler) {
    if (handler == componentHandler_) return kResultOk;
    if (handler) handler->addRef();
    if (componentHandler_) componentHandler_->release();
    componentHandler_ = handler;
    return kResultOk;
}

IPlugView* YVst3EffectBase::createView(FIDString) { return nullptr; }

// ---- IEditController2 ------------------------------------------------------------------------------

tresult YVst3EffectBase::setKnobMode(KnobMode) { return kResultFalse; }

tresult YVst3EffectBase::openHelp(TBool) { return kResultFalse; }

tresult YVst3EffectBase::openAboutBox(TBool) { return kResultFalse; }

// ---- IUnitInfo ------------------------------------------------------------------------------------------

tresult YVst3EffectBase::getUnitInfo(int32_t unitIndex, UnitInfo& info) {
    if (unitIndex != 0) return kInvalidArgument;
    info.id = kRootUnitId;
    info.parentUnitId = kNoParentUnitId;
    CopyText(info.name, "Root", 128);
    info.programListId = kNoProgramListId;
    return kResultOk;
}

tresult YVst3EffectBase::getProgramListInfo(int32_t, ProgramListInfo&) { return kResultFalse; }

tresult YVst3EffectBase::getProgramName(ProgramListID, int32_t, String128) { return kResultFalse; }

tresult YVst3EffectBase::getProgramInfo(ProgramListID, int32_t, const char*, String128) { return kResultFalse; }

tresult YVst3EffectBase::hasProgramPitchNames(ProgramListID, int32_t) { return kResultFalse; }

tresult YVst3EffectBase::getProgramPitchName(ProgramListID, int32_t, int16_t, String128) { return kResultFalse; }

tresult YVst3EffectBase::selectUnit(UnitID unitId) {
    selectedUnit_ = unitId;
    return kResultOk;
}

tresult YVst3EffectBase::getUnitByBus(MediaType, BusDirection, int32_t, int32_t, UnitID&) { return kResultFalse; }

tresult YVst3EffectBase::setUnitProgramData(int32_t, int32_t, IBStream*) { return kResultFalse; }

// ---- IMidiMapping -----------------------------------------------------------------------------------------

tresult YVst3EffectBase::getMidiControllerAssignment(int32_t, int16_t, CtrlNumber, ParamID&) { return kResultFalse; }

// ---- Buses and parameters ----------------------------------------------------------------------------------

void YVst3EffectBase::AddAudioBus(BusDirection dir, const YString& name, SpeakerArrangement arrangement, BusType type,
                                  uint32_t flags) {
    AudioBuses(dir).push_back(AudioBus{name, type, flags, arrangement, (flags & BusInfo::kDefaultActive) != 0});
}

void YVst3EffectBase::AddEventBus(BusDirection dir, const YString& name, int32_t channels, BusType type,
                                  uint32_t flags) {
    EventBuses(dir).push_back(EventBus{name, type, flags, channels, (flags & BusInfo::kDefaultActive) != 0});
}

void YVst3EffectBase::ClearAudioBuses() {
    audioInputs_.clear();
    audioOutputs_.clear();
}

void YVst3EffectBase::ClearEventBuses() {
    eventInputs_.clear();
    eventOutputs_.clear();
}

void YVst3EffectBase::AddParameter(ParamID id, const YString& title, int32_t stepCount, ParamValue defaultValue,
                                   int32_t flags) {
    Parameter parameter;
    parameter.info = ParameterInfo{};
    parameter.info.id = id;
    CopyText(parameter.info.title, title);
    parameter.info.shortTitle[0] = 0;
    parameter.info.units[0] = 0;
    parameter.info.stepCount = stepCount;
    parameter.info.defaultNormalizedValue = defaultValue;
    parameter.info.unitId = kRootUnitId;
    parameter.info.flags = flags;
    parameter.value = defaultValue;
    parameterIndex_[id] = static_cast<int32_t>(parameters_.size());
    parameters_.push_back(parameter);
}

void YVst3EffectBase::ClearParameters() {
    parameters_.clear();
    parameterIndex_.clear();
}

YVst3EffectBase::Parameter* YVst3EffectBase::FindParameter(ParamID id) {
    const int32_t index = ParameterIndex(id);
    return index < 0 ? nullptr : &parameters_[static_cast<std::size_t>(index)];
}

int32_t YVst3EffectBase::ParameterIndex(ParamID id) const {
    auto found = parameterIndex_.find(id);
    return found == parameterIndex_.end() ? -1 : found->second;
}

}  // namespace Vst3
