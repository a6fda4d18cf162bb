#pragma once

#include <sndfile.h>

#include <cstdint>
#include <string>

// Audio files through libsndfile, read and written a block of interleaved 32-bit
// float frames at a time, so that a render needs the same memory whatever the
// length of the file. Each reader and writer belongs to one thread at a time.

enum class SampleFormat { Same, Float, Pcm16, Pcm24 };

bool ParseSampleFormat(const std::string& text, SampleFormat& format);

// Where the audio of a render comes from.
class AudioSource {
public:
    virtual ~AudioSource() = default;
    virtual int32_t Channels() const = 0;
    virtual double SampleRate() const = 0;
    virtual int64_t Frames() const = 0;
    // libsndfile's container | sample encoding; 0 for audio that is not from a file.
    virtual int32_t Format() const { return 0; }
    // The next frames frames, interleaved; false with the reason when they cannot all be had.
    virtual bool Read(float* interleaved, int64_t frames, std::string& error) = 0;
};

class AudioReader : public AudioSource {
public:
    AudioReader() = default;
    ~AudioReader() override;
    AudioReader(const AudioReader&) = delete;
    AudioReader& operator=(const AudioReader&) = delete;

    // False with the reason: missing or unreadable file, unknown format.
    bool Open(const std::string& path, std::string& error);

    int32_t Channels() const override { return info_.channels; }
    double SampleRate() const override { return info_.samplerate; }
    int64_t Frames() const override { return info_.frames; }
    int32_t Format() const override { return info_.format; }
    bool Read(float* interleaved, int64_t frames, std::string& error) override;
    // Back to the first frame.
    bool Rewind(std::string& error);

private:
    std::string path_;
    SNDFILE* file_ = nullptr;
    SF_INFO info_{};
};

// A file written block by block under a temporary name ("<path>.partial") that
// becomes path only when Finish succeeds. A writer dropped before that removes the
// temporary file, so a failed render leaves nothing behind.
class AudioWriter {
public:
    AudioWriter() = default;
    ~AudioWriter();
    AudioWriter(const AudioWriter&) = delete;
    AudioWriter& operator=(const AudioWriter&) = delete;

    // The source's channels and rate. The container follows the extension (.wav,
    // .flac, .aif/.aiff); the sample encoding is the source's (Same, falling back to
    // 24-bit integers where the container cannot hold it), or the one asked for.
    bool Open(const std::string& path, SampleFormat encoding, const AudioSource& source, std::string& error);
    bool Write(const float* interleaved, int64_t frames, std::string& error);
    // Completes the file and gives it its name.
    bool Finish(std::string& error);

private:
    void Discard();

    std::string path_;
    SNDFILE* file_ = nullptr;
};

// Moves a completely written temporary file to path, or removes it when it was not
// written completely or cannot be moved.
bool CommitTemporary(const std::string& temporary, const std::string& path, bool written, std::string& error);
