#pragma once

// The host's transport and tempo, as answered to audioMasterGetTime. The plug-in
// passes in `value` the VstTimeInfoFlags of the fields it needs (a host may fill in
// more, or fewer: check the flags of the answer), and gets back a pointer to a record
// the host owns, valid until the end of the current process call. Audio thread.

#include "shell/vst2/VstTypes.h"

namespace Vst2 {

// VstTimeInfo::flags. The transport and automation bits describe state; the
// "...Valid" bits say which optional fields hold data (and, in the request, which
// fields the plug-in wants).
enum VstTimeInfoFlags : VstInt32 {
    kVstTransportChanged = 1,        // play, cycle or record state changed since the last block
    kVstTransportPlaying = 1 << 1,   // the transport is running
    kVstTransportCycleActive = 1 << 2,  // cycle (loop) is on
    kVstTransportRecording = 1 << 3,    // recording
    kVstAutomationWriting = 1 << 6,  // automation is being recorded
    kVstAutomationReading = 1 << 7,  // automation is being played back
    kVstNanosValid = 1 << 8,         // nanoSeconds
    kVstPpqPosValid = 1 << 9,        // ppqPos
    kVstTempoValid = 1 << 10,        // tempo
    kVstBarsValid = 1 << 11,         // barStartPos
    kVstCyclePosValid = 1 << 12,     // cycleStartPos, cycleEndPos
    kVstTimeSigValid = 1 << 13,      // timeSigNumerator, timeSigDenominator
    kVstSmpteValid = 1 << 14,        // smpteOffset, smpteFrameRate
    kVstClockValid = 1 << 15,        // samplesToNextClock
};

// VstTimeInfo::smpteFrameRate.
enum VstSmpteFrameRate : VstInt32 {
    kVstSmpte24fps = 0,
    kVstSmpte25fps = 1,
    kVstSmpte2997fps = 2,
    kVstSmpte30fps = 3,
    kVstSmpte2997dfps = 4,   // drop frame
    kVstSmpte30dfps = 5,     // drop frame
    kVstSmpteFilm16mm = 6,
    kVstSmpteFilm35mm = 7,
    kVstSmpte239fps = 10,
    kVstSmpte249fps = 11,
    kVstSmpte599fps = 12,
    kVstSmpte60fps = 13,
};

struct VstTimeInfo {
    double samplePos;           // position of the block start in sample frames (always valid)
    double sampleRate;          // Hz (always valid)
    double nanoSeconds;         // system time in ns (kVstNanosValid)
    double ppqPos;              // block start in quarter notes (kVstPpqPosValid)
    double tempo;               // beats per minute (kVstTempoValid)
    double barStartPos;         // start of the current bar in quarter notes (kVstBarsValid)
    double cycleStartPos;       // loop start in quarter notes (kVstCyclePosValid)
    double cycleEndPos;         // loop end in quarter notes (kVstCyclePosValid)
    VstInt32 timeSigNumerator;    // e.g. 3 for 3/4 (kVstTimeSigValid)
    VstInt32 timeSigDenominator;  // e.g. 4 for 3/4 (kVstTimeSigValid)
    VstInt32 smpteOffset;       // SMPTE offset in 1/80 frames (kVstSmpteValid)
    VstInt32 smpteFrameRate;    // VstSmpteFrameRate (kVstSmpteValid)
    VstInt32 samplesToNextClock;  // frames to the next MIDI clock (24 per quarter), +- (kVstClockValid)
    VstInt32 flags;             // VstTimeInfoFlags
};

}  // namespace Vst2
