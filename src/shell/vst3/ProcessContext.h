#pragma once

// ProcessContext: the host's transport, tempo and position for one processing block,
// passed in ProcessData::processContext (may be null). Valid during process() only.
// The "...Valid" bits of state say which optional fields hold data. Audio thread.

#include "shell/vst3/Vst3Types.h"

namespace Vst3 {

// A SMPTE frame rate.
struct FrameRate {
    enum FrameRateFlags : uint32_t {
        kPullDownRate = 1 << 0,  // 29.97 instead of 30 etc.
        kDropRate = 1 << 1,      // drop-frame counting
    };
    uint32_t framesPerSecond;  // frames per second
    uint32_t flags;            // FrameRateFlags
};

// The chord the host's chord track plays.
struct Chord {
    uint8_t keyNote;    // key note, MIDI number
    uint8_t rootNote;   // lowest note, MIDI number
    int16_t chordMask;  // bit n set: interval of n+1 semitones above the key note is present
};

struct ProcessContext {
    enum StatesAndFlags : uint32_t {
        kPlaying = 1 << 1,                // the transport runs
        kCycleActive = 1 << 2,            // cycle (loop) is on
        kRecording = 1 << 3,              // recording
        kSystemTimeValid = 1 << 8,        // systemTime
        kProjectTimeMusicValid = 1 << 9,  // projectTimeMusic
        kTempoValid = 1 << 10,            // tempo
        kBarPositionValid = 1 << 11,      // barPositionMusic
        kCycleValid = 1 << 12,            // cycleStartMusic, cycleEndMusic
        kTimeSigValid = 1 << 13,          // timeSigNumerator, timeSigDenominator
        kSmpteValid = 1 << 14,            // smpteOffsetSubframes, frameRate
        kClockValid = 1 << 15,            // samplesToNextClock
        kContTimeValid = 1 << 17,         // continousTimeSamples
        kChordValid = 1 << 18,            // chord
    };

    uint32_t state;                    // StatesAndFlags
    double sampleRate;                 // Hz (always valid)
    TSamples projectTimeSamples;       // block start in the project, sample frames (always valid)
    int64_t systemTime;                // system time in ns (kSystemTimeValid)
    TSamples continousTimeSamples;     // block start ignoring loops, sample frames (kContTimeValid)
    TQuarterNotes projectTimeMusic;    // block start in quarter notes (kProjectTimeMusicValid)
    TQuarterNotes barPositionMusic;    // start of the current bar in quarter notes (kBarPositionValid)
    TQuarterNotes cycleStartMusic;     // loop start in quarter notes (kCycleValid)
    TQuarterNotes cycleEndMusic;       // loop end in quarter notes (kCycleValid)
    double tempo;                      // beats per minute (kTempoValid)
    int32_t timeSigNumerator;          // e.g. 3 for 3/4 (kTimeSigValid)
    int32_t timeSigDenominator;        // e.g. 4 for 3/4 (kTimeSigValid)
    Chord chord;                       // (kChordValid)
    int32_t smpteOffsetSubframes;      // SMPTE offset in 1/80 frames (kSmpteValid)
    FrameRate frameRate;               // (kSmpteValid)
    int32_t samplesToNextClock;        // frames to the next MIDI clock, 24 per quarter, +- (kClockValid)
};

}  // namespace Vst3
