#pragma once

#include "foundation/YGrowableBuffer.h"
#include "shell/YDelayLine.h"

#include <array>
#include <cstdint>
#include <vector>

// Runs one channel at a multiple of the host rate: zero-stuffs and low-passes the
// host's samples up, and low-passes and decimates the engine's output back down.
//
// Normal quality uses a 20th-order Butterworth low-pass (ten cascaded second-order
// sections, cut-off 20 kHz at 44.1 kHz); high quality a linear-phase low-pass with
// cut-off 0.49 times the host rate, of 513 taps, or 2049 taps when the processing
// rate exceeds 200 kHz. The linear-phase designs are windowed sincs with a Kaiser
// window (beta 10, about 100 dB of stop-band rejection).
//
// The host is told a fixed latency for the resampler (ReportedLatency samples at the
// processing rate); a delay line in front of the way down tops the filters' own delay
// up to exactly that, so processed audio stays where the host expects it.
class YUpsampler {
public:
    static constexpr double kNormalCutoff = 0.45351473922902497;  // of the host rate
    static constexpr double kHighQualityCutoff = 0.49;
    static constexpr double kLongFilterRate = 200000.0;
    static constexpr int32_t kShortTaps = 513;
    static constexpr int32_t kLongTaps = 2049;
    static constexpr float kOffset = 1e-15f;

    // Latency reported for the resampler, in samples at the processing rate.
    static int32_t ReportedLatency(bool highQuality) { return highQuality ? 6144 : 1536; }

    // Brings the design in line with the settings; re-designs and clears the filter
    // states only when one of them changed. Allocates only on a change.
    void Configure(double hostRate, int32_t factor, bool highQuality);
    void Reset();

    // Way up: factor * frames samples into Input(); Output() is cleared for the engine.
    void Up(const float* input, int32_t frames);
    // Way down: the engine's factor * frames samples in Output() are filtered and every
    // factor-th sample, from the first, written to (or added to) output.
    void Down(float* output, int32_t frames, bool replacing);

    float* Input() { return up_.Data(); }
    float* Output() { return down_.Data(); }
    int32_t Factor() const { return factor_; }
    bool UsesLongFilter() const { return longFilter_; }
    // The delay of the up and down filters together, at the processing rate (for the
    // recursive design its delay at low frequencies).
    double FilterDelay() const;
    // Coefficients of the linear-phase design (empty in normal quality).
    const std::vector<float>& Taps() const { return taps_; }

private:
    struct Section {
        double b0, b1, b2, a1, a2;
    };
    struct SectionState {
        double z1 = 0.0, z2 = 0.0;
    };
    using Cascade = std::array<SectionState, 10>;

    void DesignButterworth();
    void DesignLinearPhase();
    void RunCascade(Cascade& state, float* data, int32_t count);

    double hostRate_ = 0.0;
    int32_t factor_ = 0;
    bool highQuality_ = false;
    bool longFilter_ = false;
    bool recursiveDesigned_ = false;

    std::array<Section, 10> sections_{};
    Cascade upState_{};
    Cascade downState_{};

    std::vector<float> taps_;
    // Taps of each polyphase branch of the way up, in ascending input order.
    std::vector<std::vector<float>> branches_;
    std::vector<float> branchOffsets_;  // what the stuffed 1e-15 samples add to each branch
    YGrowableBuffer<float> upHistory_;
    YGrowableBuffer<float> downHistory_;
    int32_t upHistoryLength_ = 0;
    int32_t downHistoryLength_ = 0;

    YDelayLine compensation_;
    YGrowableBuffer<float> up_;
    YGrowableBuffer<float> down_;
};
