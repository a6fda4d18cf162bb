#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Audio files through libsndfile: interleaved 32-bit float samples in memory.
struct AudioFile {
    enum class SampleFormat { Same, Float, Pcm16, Pcm24 };

    int32_t channels = 0;
    double sampleRate = 0.0;
    int32_t format = 0;  // libsndfile's container | sample encoding of the file read
    std::vector<float> samples;

    int64_t Frames() const { return channels > 0 ? static_cast<int64_t>(samples.size()) / channels : 0; }

    // False with the reason in error: missing or unreadable file, unknown format.
    bool Read(const std::string& path, std::string& error);
    // The container follows the extension (.wav, .flac, .aif/.aiff); the sample
    // encoding is the one read (Same, falling back to the container's usual one), or
    // the one asked for. The file appears only when complete: it is written under a
    // temporary name and renamed at the end.
    bool Write(const std::string& path, SampleFormat encoding, std::string& error) const;
};

bool ParseSampleFormat(const std::string& text, AudioFile::SampleFormat& format);
