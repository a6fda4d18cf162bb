#pragma once

#include <cmath>
#include <cstdint>

// The host's transport as the binding filled it for the current block; the engine
// hands it to the effect with every sub-block, with ppqPosition advanced per
// sub-block. The first two fields are the tempo and the position, in that order.
struct HostTransport {
    double tempo = 120.0;        // beats per minute; negative when the host gives none
    double ppqPosition = 0.0;    // quarter notes; negative when the host does not report it
    double barStart = 0.0;       // quarter notes
    double loopStart = -1.0;     // quarter notes, -1 without a loop
    double loopEnd = -1.0;
    int32_t timeSigNumerator = 4;
    int32_t timeSigDenominator = 4;
    uint8_t playing = 0;
    uint8_t transportJumped = 0;
    uint8_t playingChanged = 0;
    uint8_t timeInfoValid = 0;
    uint8_t tempoValid = 0;
};

// The start of the bar as the plug-in keeps it: the host's value rounded to the
// nearest 1/q quarter note, halves up, with q = max(1, denominator / 4) (so to whole
// quarters in x/4, to eighths in x/8).
inline double RoundedBarStart(double barStartPosition, int32_t timeSigDenominator) {
    const int32_t q = timeSigDenominator / 4 > 1 ? timeSigDenominator / 4 : 1;
    const double x = q * barStartPosition;
    const double whole = std::floor(x);
    return (whole + (x - whole >= 0.5 ? 1.0 : 0.0)) / q;
}

// The playing state after a block whose start the host reported at ppqPosition.
// While the host plays, a move of more than two quarter notes from the previous
// block is a jump: transportJumped is set and playing keeps its value; otherwise
// playing is set. playingChanged tells whether playing differs from before.
inline void UpdatePlayingState(HostTransport& transport, double& lastPpqPosition, bool hostPlaying,
                               double ppqPosition) {
    const uint8_t before = transport.playing;
    if (hostPlaying) {
        const double distance = lastPpqPosition - ppqPosition;
        if (distance > 2.0 || distance < -2.0)
            transport.transportJumped = 1;
        else
            transport.playing = 1;
        lastPpqPosition = ppqPosition;
    } else {
        transport.playing = 0;
    }
    transport.playingChanged = transport.playing != before;
}
