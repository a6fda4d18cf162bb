#pragma once

// Timed events (MIDI) exchanged with a VST 2.4 host. The host hands a VstEvents list
// to effProcessEvents just before the process call it belongs to; the plug-in sends
// its own list with audioMasterProcessEvents from inside its process call. A list and
// the events it points to belong to the sender and are valid only during that call:
// copy what you keep. Audio thread in both directions.

#include "shell/vst2/VstTypes.h"

namespace Vst2 {

// VstEvent::type.
enum VstEventTypes : VstInt32 {
    kVstMidiType = 1,     // VstMidiEvent
    kVstAudioType = 2,    // retired
    kVstVideoType = 3,    // retired
    kVstParameterType = 4,  // retired
    kVstTriggerType = 5,  // retired
    kVstSysExType = 6,    // VstMidiSysexEvent
};

// The common head of every event; byteSize tells how big the whole event is.
struct VstEvent {
    VstInt32 type;         // VstEventTypes
    VstInt32 byteSize;     // size of the concrete event in bytes (in practice its sizeof)
    VstInt32 deltaFrames;  // sample frames from the start of the current block
    VstInt32 flags;        // type-specific flags
    char data[16];         // type-specific payload
};

// A list of events. The interface declares room for two pointers and lets the
// sender allocate more behind the record: events[] really has numEvents entries.
struct VstEvents {
    VstInt32 numEvents;     // number of pointers in events
    VstIntPtr reserved;     // zero
    VstEvent* events[2];    // numEvents pointers (flexible: may run past the record)
};

// VstMidiEvent::flags.
enum VstMidiEventFlags : VstInt32 {
    kVstMidiEventIsRealtime = 1 << 0,  // played live, not from a track: process at once
};

// One short MIDI message (up to three bytes).
struct VstMidiEvent {
    VstInt32 type;          // kVstMidiType
    VstInt32 byteSize;      // sizeof(VstMidiEvent) = 32
    VstInt32 deltaFrames;   // sample frames from the start of the current block
    VstInt32 flags;         // VstMidiEventFlags
    VstInt32 noteLength;    // note length in sample frames if known, else 0
    VstInt32 noteOffset;    // frames into the note the playback starts at, else 0
    char midiData[4];       // status byte, two data bytes, and 0
    char detune;            // -64..63 cents, for scales other than equal temperament; else 0
    char noteOffVelocity;   // release velocity 0..127 for note-off, else 0
    char reserved1;         // zero
    char reserved2;         // zero
};

// A system-exclusive dump; the bytes stay the sender's.
struct VstMidiSysexEvent {
    VstInt32 type;          // kVstSysExType
    VstInt32 byteSize;      // sizeof(VstMidiSysexEvent)
    VstInt32 deltaFrames;   // sample frames from the start of the current block
    VstInt32 flags;         // zero
    VstInt32 dumpBytes;     // number of bytes in sysexDump
    VstIntPtr resvd1;       // zero
    char* sysexDump;        // the dump, F0 ... F7
    VstIntPtr resvd2;       // zero
};

}  // namespace Vst2
