#pragma once

// Parameter changes for one block: ProcessData::inputParameterChanges (host ->
// plug-in) and outputParameterChanges (plug-in -> host). One queue per parameter
// that changed, each holding points (sample offset, normalised value) in time order.
// Host-owned, valid during process() only. Audio thread.

#include "shell/vst3/FUnknown.h"

namespace Vst3 {

class IParamValueQueue : public FUnknown {
public:
    // The parameter this queue is for.
    virtual ParamID SMTG_STDMETHODCALLTYPE getParameterId() = 0;
    // Number of points.
    virtual int32_t SMTG_STDMETHODCALLTYPE getPointCount() = 0;
    // Point index: sampleOffset within the block, value 0..1. kResultFalse past the end.
    virtual tresult SMTG_STDMETHODCALLTYPE getPoint(int32_t index, int32_t& sampleOffset,
                                                    ParamValue& value) = 0;
    // Adds a point (output queues); index gets its position.
    virtual tresult SMTG_STDMETHODCALLTYPE addPoint(int32_t sampleOffset, ParamValue value,
                                                    int32_t& index) = 0;

    static constexpr Uid iid = MakeUid(0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA);

protected:
    ~IParamValueQueue() = default;
};

class IParameterChanges : public FUnknown {
public:
    // Number of queues (changed parameters).
    virtual int32_t SMTG_STDMETHODCALLTYPE getParameterCount() = 0;
    // Queue index, or null past the end. Not referenced: do not release it.
    virtual IParamValueQueue* SMTG_STDMETHODCALLTYPE getParameterData(int32_t index) = 0;
    // The queue for id, created if needed (output changes); index gets its position.
    virtual IParamValueQueue* SMTG_STDMETHODCALLTYPE addParameterData(const ParamID& id,
                                                                      int32_t& index) = 0;

    static constexpr Uid iid = MakeUid(0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D);

protected:
    ~IParameterChanges() = default;
};

}  // namespace Vst3
