#pragma once

// Note and MIDI events for one block: ProcessData::inputEvents and outputEvents.
// An Event is a 48-byte record: a common head and a union selected by type. Events
// are copied in and out (getEvent fills the caller's record, addEvent copies it);
// pointers inside an event (sysex bytes, texts) stay valid only during process().
// Host-owned lists, audio thread.

#include "shell/vst3/FUnknown.h"

namespace Vst3 {

struct NoteOnEvent {
    int16_t channel;   // channel 0..15 within the event bus
    int16_t pitch;     // MIDI note 0..127 (60 = middle C)
    float tuning;      // cents, +-
    float velocity;    // 0.0 .. 1.0
    int32_t length;    // note length in sample frames if known, else 0
    int32_t noteId;    // identifies the note for its note-off and expressions; -1 if none
};

struct NoteOffEvent {
    int16_t channel;   // channel 0..15
    int16_t pitch;     // MIDI note 0..127
    float velocity;    // release velocity 0.0 .. 1.0
    int32_t noteId;    // the note-on's noteId, or -1
    float tuning;      // cents, +-
};

struct DataEvent {
    enum DataTypes : uint32_t {
        kMidiSysEx = 0,  // a system-exclusive message, F0 ... F7
    };
    uint32_t size;         // bytes at `bytes`
    uint32_t type;         // DataTypes
    const uint8_t* bytes;  // the data, the sender's
};

struct PolyPressureEvent {
    int16_t channel;   // channel 0..15
    int16_t pitch;     // MIDI note 0..127
    float pressure;    // 0.0 .. 1.0
    int32_t noteId;    // the note it applies to, or -1
};

struct NoteExpressionValueEvent {
    uint32_t typeId;   // which expression (volume, pan, tuning, ...)
    int32_t noteId;    // the note it applies to
    double value;      // normalised 0.0 .. 1.0
};

struct NoteExpressionTextEvent {
    uint32_t typeId;     // text or phonetic
    int32_t noteId;      // the note it applies to
    uint32_t textLen;    // UTF-16 code units, without the terminating zero
    const TChar* text;   // zero-terminated UTF-16, the sender's
};

struct ChordEvent {
    int16_t root;        // MIDI note of the root
    int16_t bassNote;    // MIDI note of the bass
    int16_t mask;        // bit 0 = root, then one bit per semitone
    uint16_t textLen;    // UTF-16 code units of text, without the zero
    const TChar* text;   // the chord's name as the host shows it
};

struct ScaleEvent {
    int16_t root;        // root note / transposition
    int16_t mask;        // bit 0 = C, bit 1 = C#, ...
    uint16_t textLen;    // UTF-16 code units of text, without the zero
    const TChar* text;   // the scale's name
};

// A MIDI controller sent out on an event bus (outputs only).
struct LegacyMIDICCOutEvent {
    uint8_t controlNumber;  // 0..127, or kAfterTouch / kPitchBend ... (IMidiMapping.h)
    int8_t channel;         // 0..15
    int8_t value;           // 0..127
    int8_t value2;          // second byte for pitch bend and poly pressure
};

struct Event {
    enum EventFlags : uint16_t {
        kIsLive = 1 << 0,          // played live (from a keyboard), not from a track
        kUserReserved1 = 1 << 14,  // free for the plug-in's own use
        kUserReserved2 = 1 << 15,  // free for the plug-in's own use
    };
    enum EventTypes : uint16_t {
        kNoteOnEvent = 0,
        kNoteOffEvent = 1,
        kDataEvent = 2,
        kPolyPressureEvent = 3,
        kNoteExpressionValueEvent = 4,
        kNoteExpressionTextEvent = 5,
        kChordEvent = 6,
        kScaleEvent = 7,
        kLegacyMIDICCOutEvent = 65535,
    };

    int32_t busIndex;            // event bus index
    int32_t sampleOffset;        // sample frames from the start of the block
    TQuarterNotes ppqPosition;   // position in the project, quarter notes
    uint16_t flags;              // EventFlags
    uint16_t type;               // EventTypes: selects the union member
    union {
        NoteOnEvent noteOn;                            // kNoteOnEvent
        NoteOffEvent noteOff;                          // kNoteOffEvent
        DataEvent data;                                // kDataEvent
        PolyPressureEvent polyPressure;                // kPolyPressureEvent
        NoteExpressionValueEvent noteExpressionValue;  // kNoteExpressionValueEvent
        NoteExpressionTextEvent noteExpressionText;    // kNoteExpressionTextEvent
        ChordEvent chord;                              // kChordEvent
        ScaleEvent scale;                              // kScaleEvent
        LegacyMIDICCOutEvent midiCCOut;                // kLegacyMIDICCOutEvent
    };
};

class IEventList : public FUnknown {
public:
    // Number of events in the list.
    virtual int32_t SMTG_STDMETHODCALLTYPE getEventCount() = 0;
    // Copies event index into e; kResultFalse (or an error) past the end.
    virtual tresult SMTG_STDMETHODCALLTYPE getEvent(int32_t index, Event& e) = 0;
    // Appends a copy of e (output lists), in sampleOffset order.
    virtual tresult SMTG_STDMETHODCALLTYPE addEvent(Event& e) = 0;

    static constexpr Uid iid = MakeUid(0x3A2C4214, 0x346349FE, 0xB2C4F397, 0xB9695A44);

protected:
    ~IEventList() = default;
};

}  // namespace Vst3
