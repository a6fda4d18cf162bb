#pragma once

#include "foundation/YString.h"

#include <cstdint>
#include <vector>

class YStream;

// Sound read from a file: interleaved samples, integers scaled to -1 .. 1.
struct YAudioData {
    int32_t channels = 0;
    double sampleRate = 0;
    std::vector<float> samples;

    int64_t Frames() const { return channels > 0 ? static_cast<int64_t>(samples.size()) / channels : 0; }
    // The channels averaged into one.
    std::vector<float> Mono() const;
};

// Our own readers for the files users make shapes from, on both targets:
//   WAV: PCM with 8 (unsigned), 16, 24 or 32 bits, IEEE float with 32 or 64 bits, also
//        as WAVE_FORMAT_EXTENSIBLE;
//   AIFF: big-endian PCM of 1 to 32 bits; AIFF-C: "NONE"/"twos", "in24", "in32"
//        (big-endian), "sowt", "42ni" (also as "42n1", which libsndfile writes),
//        "23ni" (little-endian), "raw " (unsigned 8 bits), "fl32"/"FL32" and
//        "fl64"/"FL64" (big-endian floats).
// The kind of file is told by its content, not its name. A file that is none of these,
// is truncated or damaged raises YException naming the file and what is wrong.
// Any thread; nothing shared. Allocates: never on the audio thread.
namespace YAudioFileReader {

// name is what the messages call the file.
YAudioData Read(YStream& stream, const YString& name);
YAudioData ReadFile(const YString& path);

}  // namespace YAudioFileReader
