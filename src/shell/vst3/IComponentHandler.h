#pragma once

// IComponentHandler: the host's side of the edit controller. The controller reports
// user edits through it (so the host records automation and forwards the values to
// the processor as parameter changes), and asks for restarts when something the host
// cached has changed. Passed in IEditController::setComponentHandler. UI thread.

#include "shell/vst3/FUnknown.h"

namespace Vst3 {

// restartComponent flags: what the host must re-read.
enum RestartFlags : int32_t {
    kReloadComponent = 1 << 0,           // everything: the host deactivates, reloads and reactivates
    kIoChanged = 1 << 1,                 // bus count, arrangement or activation
    kParamValuesChanged = 1 << 2,        // all parameter values (after a preset load)
    kLatencyChanged = 1 << 3,            // getLatencySamples (the host may deactivate/activate)
    kParamTitlesChanged = 1 << 4,        // parameter titles, defaults, flags
    kMidiCCAssignmentChanged = 1 << 5,   // IMidiMapping answers
    kNoteExpressionChanged = 1 << 6,     // note expression types
    kIoTitlesChanged = 1 << 7,           // bus names
    kPrefetchableSupportChanged = 1 << 8,
    kRoutingInfoChanged = 1 << 9,        // getRoutingInfo
    kKeyswitchChanged = 1 << 10,         // key switches
    kParamIDMappingChanged = 1 << 11,    // parameter IDs
};

class IComponentHandler : public FUnknown {
public:
    // The user starts changing parameter id (mouse down).
    virtual tresult SMTG_STDMETHODCALLTYPE beginEdit(ParamID id) = 0;
    // Parameter id has the new normalised value (0..1). Belongs between beginEdit and
    // endEdit; hosts differ in what they record from an edit outside such a pair.
    virtual tresult SMTG_STDMETHODCALLTYPE performEdit(ParamID id, ParamValue valueNormalized) = 0;
    // The user stops changing parameter id (mouse up).
    virtual tresult SMTG_STDMETHODCALLTYPE endEdit(ParamID id) = 0;
    // Asks the host to re-read what flags (RestartFlags) names.
    virtual tresult SMTG_STDMETHODCALLTYPE restartComponent(int32_t flags) = 0;

    static constexpr Uid iid = MakeUid(0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6);

protected:
    ~IComponentHandler() = default;
};

}  // namespace Vst3
