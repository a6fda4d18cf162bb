#pragma once

// IMidiMapping: how a VST 3 host turns incoming MIDI controllers into parameter
// changes. VST 3 has no MIDI controller events: the host asks, per event bus,
// channel and controller, which parameter receives the controller, and sends its
// value as an ordinary parameter change in process(). Queried from the edit
// controller. UI thread.

#include "shell/vst3/FUnknown.h"

namespace Vst3 {

// Controller numbers beyond the 128 MIDI controllers.
enum ControllerNumbers : CtrlNumber {
    kAfterTouch = 128,        // channel pressure
    kPitchBend = 129,         // pitch bend (value 0.5 = centre)
    kCountCtrlNumber = 130,   // how many numbers getMidiControllerAssignment is asked about
    kCtrlProgramChange = 130,  // LegacyMIDICCOutEvent only
    kCtrlPolyPressure = 131,   // LegacyMIDICCOutEvent only
    kCtrlQuarterFrame = 132,   // LegacyMIDICCOutEvent only
};

class IMidiMapping : public FUnknown {
public:
    // Which parameter receives controller midiControllerNumber (0..129) of channel
    // (0..15) on event bus busIndex: kResultTrue with id, or kResultFalse for none.
    virtual tresult SMTG_STDMETHODCALLTYPE getMidiControllerAssignment(
        int32_t busIndex, int16_t channel, CtrlNumber midiControllerNumber, ParamID& id) = 0;

    static constexpr Uid iid = MakeUid(0xDF0FF9F7, 0x49B74669, 0xB63AB732, 0x7ADBF5E5);

protected:
    ~IMidiMapping() = default;
};

}  // namespace Vst3
