#pragma once

#include "AudioFile.h"

#include <cstdint>
#include <vector>

// The built-in demonstration signal: a bright, slowly changing sawtooth chord with
// short noise bursts on every half beat, the kind of broadband material on which a
// phaser's moving notches are plainly audible. Deterministic for a given rate.
class DemoSignal : public AudioSource {
public:
    static constexpr double kSeconds = 8.0;
    static constexpr int32_t kChannels = 2;

    explicit DemoSignal(double sampleRate);

    int32_t Channels() const override { return kChannels; }
    double SampleRate() const override { return sampleRate_; }
    int64_t Frames() const override { return static_cast<int64_t>(samples_.size()) / kChannels; }
    bool Read(float* interleaved, int64_t frames, std::string& error) override;

private:
    double sampleRate_;
    std::vector<float> samples_;  // interleaved
    std::size_t position_ = 0;
};
