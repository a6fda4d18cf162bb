#pragma once

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
