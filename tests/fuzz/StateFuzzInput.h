#pragma once

// The state targets' input and check. An input whose first byte is odd carries a
// "settings" document that the target compresses into a chunk itself, so that the
// fuzzer's changes reach the document's loading instead of dying at the zlib
// checksum; an even first byte carries the chunk's bytes as a host hands them over.
// After every load the plug-in must still give finite audio.

#include "FuzzTarget.h"

#include "foundation/YByteBuffer.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YZLibStream.h"
#include "shell/YAudioPlugin.h"

#include <cmath>
#include <vector>

inline YByteBuffer StateChunkFromInput(const uint8_t* data, size_t size) {
    if (size == 0) return YByteBuffer();
    if ((data[0] & 1) == 0) {
        YByteBuffer chunk(size - 1);
        for (size_t i = 1; i < size; ++i) chunk.MutableData()[i - 1] = data[i];
        return chunk;
    }
    YMemoryStream compressed;
    {
        YZLibStream zlib(&compressed, true);
        zlib.Write(data + 1, static_cast<uint32_t>(size - 1));
        zlib.Finish();
    }
    return compressed.GetBuffer();
}

// The plug-in as a host sets it up: stereo at 48 kHz.
inline void PrepareForFuzzing(YAudioPlugin& plugin) {
    plugin.SetSampleRate(48000.0);
    plugin.SetChannels(2, 2);
    plugin.InitProcessing();
}

// A block of a sine through the plug-in: every output sample finite.
inline void CheckFiniteAudio(YAudioPlugin& plugin) {
    constexpr int kFrames = 64;
    static std::vector<float> left(kFrames), right(kFrames), outLeft(kFrames), outRight(kFrames);
    for (int i = 0; i < kFrames; ++i) left[i] = right[i] = static_cast<float>(0.5 * std::sin(0.1 * i));
    float* in[2] = {left.data(), right.data()};
    float* out[2] = {outLeft.data(), outRight.data()};
    plugin.ProcessAudio(in, out, kFrames, true);
    for (int i = 0; i < kFrames; ++i) FuzzCheck(std::isfinite(outLeft[i]) && std::isfinite(outRight[i]), "finite audio after a load");
}
