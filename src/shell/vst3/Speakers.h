#pragma once

// VST 3 speaker arrangements: a 64-bit set with one bit per loudspeaker. A bus's
// channel count is the number of bits set; channel i of the bus is the i-th set bit
// counted from bit 0.

#include "shell/vst3/Vst3Types.h"

#include <bit>

namespace Vst3 {

// Single speakers (bit positions fixed by the interface).
constexpr Speaker kSpeakerL = 1ull << 0;     // left
constexpr Speaker kSpeakerR = 1ull << 1;     // right
constexpr Speaker kSpeakerC = 1ull << 2;     // centre
constexpr Speaker kSpeakerLfe = 1ull << 3;   // sub-bass
constexpr Speaker kSpeakerLs = 1ull << 4;    // left surround
constexpr Speaker kSpeakerRs = 1ull << 5;    // right surround
constexpr Speaker kSpeakerLc = 1ull << 6;    // left of centre
constexpr Speaker kSpeakerRc = 1ull << 7;    // right of centre
constexpr Speaker kSpeakerS = 1ull << 8;     // surround / centre back
constexpr Speaker kSpeakerCs = kSpeakerS;
constexpr Speaker kSpeakerSl = 1ull << 9;    // side left
constexpr Speaker kSpeakerSr = 1ull << 10;   // side right
constexpr Speaker kSpeakerTc = 1ull << 11;   // top centre
constexpr Speaker kSpeakerTfl = 1ull << 12;  // top front left
constexpr Speaker kSpeakerTfc = 1ull << 13;  // top front centre
constexpr Speaker kSpeakerTfr = 1ull << 14;  // top front right
constexpr Speaker kSpeakerTrl = 1ull << 15;  // top rear left
constexpr Speaker kSpeakerTrc = 1ull << 16;  // top rear centre
constexpr Speaker kSpeakerTrr = 1ull << 17;  // top rear right
constexpr Speaker kSpeakerLfe2 = 1ull << 18;  // second sub-bass
constexpr Speaker kSpeakerM = 1ull << 19;    // mono

// Common arrangements.
namespace SpeakerArr {
constexpr SpeakerArrangement kEmpty = 0;
constexpr SpeakerArrangement kMono = kSpeakerM;
constexpr SpeakerArrangement kStereo = kSpeakerL | kSpeakerR;  // 0x3
constexpr SpeakerArrangement k50 = kSpeakerL | kSpeakerR | kSpeakerC | kSpeakerLs | kSpeakerRs;
constexpr SpeakerArrangement k51 = k50 | kSpeakerLfe;
constexpr SpeakerArrangement k70Music = k50 | kSpeakerSl | kSpeakerSr;
constexpr SpeakerArrangement k71Music = k70Music | kSpeakerLfe;
constexpr SpeakerArrangement k70Cine = k50 | kSpeakerLc | kSpeakerRc;
constexpr SpeakerArrangement k71Cine = k70Cine | kSpeakerLfe;
// Eight full-range channels, no sub-bass: our 8-channel bus (0x737).
constexpr SpeakerArrangement k80Music = k70Music | kSpeakerCs;
}  // namespace SpeakerArr

// Number of channels of an arrangement.
constexpr int32_t ChannelCount(SpeakerArrangement arrangement) {
    return static_cast<int32_t>(std::popcount(arrangement));
}

}  // namespace Vst3
