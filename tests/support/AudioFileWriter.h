#pragma once

// A small writer of the audio files the readers take, so that tests on both targets
// (libsndfile is not in the Windows build) can make them: WAV (also extensible) and
// AIFF / AIFF-C with the sample codings below.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

struct AudioFileFormat {
    const char* name;
    enum Container { kWav, kWavExtensible, kAiff, kAiffC } container;
    int bits;
    bool isFloat;
    const char* compression;  // AIFF-C only: "NONE", "sowt", "fl32", "fl64"
};

namespace audio_file_writer {

inline void Put(std::vector<uint8_t>& out, uint64_t value, int bytes, bool bigEndian) {
    for (int b = 0; b < bytes; ++b)
        out.push_back(static_cast<uint8_t>(value >> (8 * (bigEndian ? bytes - 1 - b : b))));
}
inline void Id(std::vector<uint8_t>& out, const char* id) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(id[i]));
}

// The 80-bit extended float of a whole sample rate.
inline void Extended(std::vector<uint8_t>& out, double rate) {
    int exponent = 0;
    const double mantissa = std::frexp(rate, &exponent);  // rate = mantissa * 2^exponent, mantissa in [0.5, 1)
    Put(out, static_cast<uint64_t>(16382 + exponent), 2, true);
    Put(out, static_cast<uint64_t>(std::ldexp(mantissa, 64)), 8, true);
}

inline void Sample(std::vector<uint8_t>& out, float value, const AudioFileFormat& f, bool bigEndian) {
    if (f.isFloat && f.bits == 64) {
        const double d = value;
        uint64_t u;
        std::memcpy(&u, &d, 8);
        return Put(out, u, 8, bigEndian);
    }
    if (f.isFloat) {
        uint32_t u;
        std::memcpy(&u, &value, 4);
        return Put(out, u, 4, bigEndian);
    }
    const double scale = std::ldexp(1.0, f.bits - 1);
    const auto q = static_cast<int64_t>(std::clamp(std::round(static_cast<double>(value) * scale), -scale, scale - 1));
    const bool unsignedBytes = f.bits == 8 && f.container != AudioFileFormat::kAiff && f.container != AudioFileFormat::kAiffC;
    Put(out, static_cast<uint64_t>(unsignedBytes ? q + 128 : q), f.bits / 8, bigEndian);
}

}  // namespace audio_file_writer

// The whole file for interleaved samples.
inline std::vector<uint8_t> WriteAudioFile(const std::vector<float>& samples, int channels, double rate,
                                           const AudioFileFormat& f) {
    using namespace audio_file_writer;
    const bool aiff = f.container == AudioFileFormat::kAiff || f.container == AudioFileFormat::kAiffC;
    const bool bigEndian = aiff && std::strcmp(f.compression, "sowt") != 0;
    std::vector<uint8_t> data;
    for (float value : samples) Sample(data, value, f, bigEndian);
    if (data.size() % 2) data.push_back(0);
    const uint64_t frames = samples.size() / static_cast<std::size_t>(channels);
    const int frameBytes = channels * f.bits / 8;
    std::vector<uint8_t> out;
    if (!aiff) {
        const bool extensible = f.container == AudioFileFormat::kWavExtensible;
        const int tag = f.isFloat ? 3 : 1;
        Id(out, "RIFF");
        Put(out, 4 + 8 + (extensible ? 40 : 16) + 8 + data.size(), 4, false);
        Id(out, "WAVE");
        Id(out, "fmt ");
        Put(out, extensible ? 40 : 16, 4, false);
        Put(out, extensible ? 0xFFFE : tag, 2, false);
        Put(out, channels, 2, false);
        Put(out, static_cast<uint64_t>(rate), 4, false);
        Put(out, static_cast<uint64_t>(rate) * frameBytes, 4, false);
        Put(out, frameBytes, 2, false);
        Put(out, f.bits, 2, false);
        if (extensible) {
            static const uint8_t kSuffix[14] = {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
            Put(out, 22, 2, false);
            Put(out, f.bits, 2, false);
            Put(out, 0, 4, false);  // channel mask
            Put(out, tag, 2, false);
            out.insert(out.end(), kSuffix, kSuffix + 14);
        }
        Id(out, "data");
        Put(out, frames * frameBytes, 4, false);
    } else {
        const bool aiffC = f.container == AudioFileFormat::kAiffC;
        const uint64_t commSize = aiffC ? 24 : 18;  // AIFF-C: the type and an empty name (count + pad)
        Id(out, "FORM");
        Put(out, 4 + 8 + commSize + 8 + 8 + data.size(), 4, true);
        Id(out, aiffC ? "AIFC" : "AIFF");
        Id(out, "COMM");
        Put(out, commSize, 4, true);
        Put(out, channels, 2, true);
        Put(out, frames, 4, true);
        Put(out, f.bits, 2, true);
        Extended(out, rate);
        if (aiffC) {
            Id(out, f.compression);
            Put(out, 0, 2, true);
        }
        Id(out, "SSND");
        Put(out, 8 + data.size(), 4, true);
        Put(out, 0, 8, true);  // offset and block size
    }
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

inline bool SaveFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}
