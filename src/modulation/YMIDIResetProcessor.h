#pragma once

#include "foundation/YRelaxed.h"
#include "shell/YMIDIProcessor.h"

#include <cstdint>

class YStoreArchive;

// Restarts the LFO on qualifying MIDI notes: the note filters below decide, the
// derived class's reset action moves the phase. Notes arrive on the thread that
// delivers MIDI (in practice the audio thread) while the editor or a state load may
// write the settings, hence the relaxed cells.
class YMIDIResetProcessor : public YMIDIProcessorBase {
public:
    // Velocity bounds are inclusive up to this much rounding.
    static constexpr double kVelocityTolerance = 1e-20;

    YRelaxed<bool> enabled = false;          // "Enabled": the whole feature
    YRelaxed<bool> noteOn = true;            // "NoteOn"
    YRelaxed<bool> noteOnOnlyFirst = false;  // "NoteOnOnlyFirst": only when no other note is held
    YRelaxed<bool> noteOff = false;          // "NoteOff"
    YRelaxed<bool> noteOffOnlyLast = false;  // "NoteOffOnlyLast": only when the last held note goes
    YRelaxed<double> minVelocity = 0.0;      // "MinVelocity", 0 .. 1
    YRelaxed<double> maxVelocity = 1.0;      // "MaxVelocity"
    YRelaxed<int32_t> minNote = 0;           // "MinNote"
    YRelaxed<int32_t> maxNote = 127;         // "MaxNote"
    YRelaxed<int32_t> channel = 0;           // "Channel": 0 any, 1 .. 16 that channel only
    YRelaxed<double> phase = 0.0;            // "Phase": where a reset puts the LFO, cycles

    // Children first, then the filters; a note that passes them all resets.
    void ProcessNote(const YNoteEvent& note) override;
    // Whether a note passes the filters (the children play no part).
    bool Qualifies(const YNoteEvent& note) const noexcept;

    // The settings as attributes of the archive's element, in either direction.
    void Store(YStoreArchive& archive);
    void ResetSettings();

protected:
    // Sets the LFO phase to the "Phase" setting. Audio thread; must not throw.
    virtual void ResetAction() noexcept = 0;
};
