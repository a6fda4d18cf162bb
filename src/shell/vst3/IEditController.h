#pragma once

// IEditController: the parameter and editor side of a VST 3 plug-in. The host reads
// the parameter list through it, converts values to text and back, and opens the
// editor view. Values here are normalised (0..1). All calls: UI thread.
//
// When the component also implements this interface ("single component") the host
// calls initialize / terminate only once, on the component; setState and getState
// of both interfaces then reach the same object.

#include "shell/vst3/IPluginBase.h"

namespace Vst3 {

class IBStream;
class IComponentHandler;
class IPlugView;

// One parameter as the host lists it (getParameterInfo).
struct ParameterInfo {
    enum ParameterFlags : int32_t {
        kNoFlags = 0,
        kCanAutomate = 1 << 0,       // the host may record and play automation
        kIsReadOnly = 1 << 1,        // shown, not editable
        kIsWrapAround = 1 << 2,      // a knob that wraps from max to min
        kIsList = 1 << 3,            // discrete values shown as a list (stepCount > 0)
        kIsHidden = 1 << 4,          // not shown to the user
        kIsProgramChange = 1 << 15,  // program-change parameter of a unit
        kIsBypass = 1 << 16,         // the plug-in's own bypass switch (at most one)
    };

    ParamID id;                         // identifier, stable across versions (saved in projects)
    String128 title;                    // full name ("Feedback")
    String128 shortTitle;               // short name ("Fb"), may be empty
    String128 units;                    // unit text ("dB"), may be empty
    int32_t stepCount;                  // 0 continuous, 1 on/off, n: n+1 discrete values
    ParamValue defaultNormalizedValue;  // default, 0..1
    UnitID unitId;                      // the unit it belongs to (kRootUnitId)
    int32_t flags;                      // ParameterFlags
};

// The view type createView is asked for.
namespace ViewType {
constexpr const char* kEditor = "editor";
}

// setKnobMode values: how the editor's knobs follow the mouse.
enum KnobModes : KnobMode {
    kCircularMode = 0,          // circular, jumps to the clicked angle
    kRelativCircularMode = 1,   // circular, relative to the click
    kLinearMode = 2,            // vertical / horizontal drag
};

class IEditController : public IPluginBase {
public:
    // The component's state after the host loaded it into the component, so a
    // separate controller can follow. A single component has nothing to do.
    virtual tresult SMTG_STDMETHODCALLTYPE setComponentState(IBStream* state) = 0;
    // The controller's own state (GUI settings), saved separately by the host.
    virtual tresult SMTG_STDMETHODCALLTYPE setState(IBStream* state) = 0;
    virtual tresult SMTG_STDMETHODCALLTYPE getState(IBStream* state) = 0;

    // Number of parameters and their descriptions, index 0 .. count-1.
    virtual int32_t SMTG_STDMETHODCALLTYPE getParameterCount() = 0;
    virtual tresult SMTG_STDMETHODCALLTYPE getParameterInfo(int32_t paramIndex,
                                                            ParameterInfo& info) = 0;

    // Text of a normalised value, and back (string is zero-terminated UTF-16).
    virtual tresult SMTG_STDMETHODCALLTYPE getParamStringByValue(ParamID id,
                                                                 ParamValue valueNormalized,
                                                                 String128 string) = 0;
    virtual tresult SMTG_STDMETHODCALLTYPE getParamValueByString(ParamID id, TChar* string,
                                                                 ParamValue& valueNormalized) = 0;

    // Between the normalised value and the plain (unit) value.
    virtual ParamValue SMTG_STDMETHODCALLTYPE normalizedParamToPlain(ParamID id,
                                                                     ParamValue valueNormalized) = 0;
    virtual ParamValue SMTG_STDMETHODCALLTYPE plainParamToNormalized(ParamID id,
                                                                     ParamValue plainValue) = 0;

    // The controller's current value of a parameter, and the host setting it (after
    // automation or a state load; must not be reported back through performEdit).
    virtual ParamValue SMTG_STDMETHODCALLTYPE getParamNormalized(ParamID id) = 0;
    virtual tresult SMTG_STDMETHODCALLTYPE setParamNormalized(ParamID id, ParamValue value) = 0;

    // The host's handler for edits and restarts (borrowed; null on shutdown).
    virtual tresult SMTG_STDMETHODCALLTYPE setComponentHandler(IComponentHandler* handler) = 0;

    // A new view of the given type (ViewType::kEditor), referenced for the caller, or
    // null when there is none.
    virtual IPlugView* SMTG_STDMETHODCALLTYPE createView(FIDString name) = 0;

    static constexpr Uid iid = MakeUid(0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E);

protected:
    ~IEditController() = default;
};

// Optional extras of the edit controller.
class IEditController2 : public FUnknown {
public:
    // The host's knob preference (KnobModes).
    virtual tresult SMTG_STDMETHODCALLTYPE setKnobMode(KnobMode mode) = 0;
    // Opens the plug-in's help; onlyCheck = 1: only answer whether it could.
    virtual tresult SMTG_STDMETHODCALLTYPE openHelp(TBool onlyCheck) = 0;
    // Opens the plug-in's about box; onlyCheck = 1: only answer whether it could.
    virtual tresult SMTG_STDMETHODCALLTYPE openAboutBox(TBool onlyCheck) = 0;

    static constexpr Uid iid = MakeUid(0x7F4EFE59, 0xF3204967, 0xAC27A3AE, 0xAFB63038);

protected:
    ~IEditController2() = default;
};

}  // namespace Vst3
