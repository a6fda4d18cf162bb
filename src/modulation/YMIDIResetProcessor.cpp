#include "modulation/YMIDIResetProcessor.h"

#include "foundation/YStoreArchive.h"

void YMIDIResetProcessor::ProcessNote(const YNoteEvent& note) {
    YMIDIProcessorBase::ProcessNote(note);
    if (Qualifies(note)) ResetAction();
}

bool YMIDIResetProcessor::Qualifies(const YNoteEvent& note) const noexcept {
    if (!enabled) return false;
    if (note.on) {
        if (!noteOn) return false;
        if (noteOnOnlyFirst && note.heldCount > 1) return false;
    } else {
        if (!noteOff) return false;
        if (noteOffOnlyLast && note.heldCount > 0) return false;
    }
    if (note.key < minNote || note.key > maxNote) return false;
    const int32_t wanted = channel;
    if (wanted > 0 && wanted != note.channel + 1) return false;
    if (minVelocity - kVelocityTolerance > note.velocity || note.velocity - kVelocityTolerance > maxVelocity) return false;
    return true;
}

namespace {

// The archive works on plain values; the settings live in relaxed cells.
template <typename T, typename Call>
void Through(YRelaxed<T>& cell, Call&& call) {
    T value = cell;
    call(value);
    cell = value;
}

}  // namespace

void YMIDIResetProcessor::Store(YStoreArchive& archive) {
    Through(enabled, [&](bool& v) { archive.Boolean("Enabled", v, false); });
    Through(noteOn, [&](bool& v) { archive.Boolean("NoteOn", v, true); });
    Through(noteOnOnlyFirst, [&](bool& v) { archive.Boolean("NoteOnOnlyFirst", v, false); });
    Through(noteOff, [&](bool& v) { archive.Boolean("NoteOff", v, false); });
    Through(noteOffOnlyLast, [&](bool& v) { archive.Boolean("NoteOffOnlyLast", v, false); });
    Through(minVelocity, [&](double& v) { archive.Number("MinVelocity", v, 0.0); });
    Through(maxVelocity, [&](double& v) { archive.Number("MaxVelocity", v, 1.0); });
    Through(minNote, [&](int32_t& v) { archive.Integer("MinNote", v, 0); });
    Through(maxNote, [&](int32_t& v) { archive.Integer("MaxNote", v, 127); });
    Through(channel, [&](int32_t& v) { archive.Integer("Channel", v, 0); });
    Through(phase, [&](double& v) { archive.Number("Phase", v, 0.0); });
}

void YMIDIResetProcessor::ResetSettings() {
    // Every attribute missing: every setting its default.
    YXMLItem empty;
    YStoreArchive loading(empty, true);
    Store(loading);
}
