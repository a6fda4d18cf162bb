#pragma once

#include "foundation/YGrowableBuffer.h"
#include "foundation/YVectorOps.h"
#include "shell/YDelayLine.h"
#include "shell/YUpsamplerKernels.h"

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
// The filters run as the arithmetic they stand for, only faster: the linear-phase
// ones as polyphase filters (on the way up only every F-th input is not a stuffed
// constant; on the way down only every F-th output is kept), the recursive one with
// two channels side by side in SIMD lanes (Up and Down over a group of resamplers).
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
    void Up(const float* input, int32_t frames) { Up(this, 1, &input, frames); }
    // Way down: the engine's factor * frames samples in Output() are filtered and every
    // factor-th sample, from the first, written to (or added to) output.
    void Down(float* output, int32_t frames, bool replacing) { Down(this, 1, &output, frames, replacing); }
    // The same for channels resamplers configured alike, the recursive filter two
    // channels at a time.
    static void Up(YUpsampler* group, int32_t channels, const float* const* inputs, int32_t frames);
    static void Down(YUpsampler* group, int32_t channels, float* const* outputs, int32_t frames, bool replacing);

    float* Input() { return up_.Data(); }
    float* Output() { return down_.Data(); }
    int32_t Factor() const { return factor_; }
    bool UsesLongFilter() const { return longFilter_; }
    // The delay of the up and down filters together, at the processing rate (for the
    // recursive design its delay at low frequencies).
    double FilterDelay() const;
    // Coefficients of the linear-phase design (empty in normal quality).
    const std::vector<float>& Taps() const { return taps_; }
    // The recursive design's sections (a0 = 1).
    struct Section {
        double b0, b1, b2, a1, a2;
    };
    const std::array<Section, YUpsamplerKernels::kSections>& Sections() const { return sections_; }

    using Implementation = YVectorOps::Implementation;
    void SetImplementation(Implementation implementation) { implementation_ = implementation; }

private:
    struct SectionState {
        double z1 = 0.0, z2 = 0.0;
    };
    using Cascade = std::array<SectionState, YUpsamplerKernels::kSections>;
    // A pair of channels' cascades (the second may be a stand-in), in and out of the
    // kernels' lanes.
    static void RunCascades(const YUpsampler& design, Cascade& first, Cascade& second, double* samples, int32_t count);

    void DesignButterworth();
    void DesignLinearPhase();
    void UpLinearPhase(const float* input, int32_t frames);
    void DownLinearPhase(float* output, int32_t frames, bool replacing);
    const YUpsamplerKernels::Set& Kernels() const { return YUpsamplerKernels::For(implementation_); }

    double hostRate_ = 0.0;
    int32_t factor_ = 0;
    bool highQuality_ = false;
    bool longFilter_ = false;
    bool recursiveDesigned_ = false;
    Implementation implementation_ = YVectorOps::Best();

    std::array<Section, YUpsamplerKernels::kSections> sections_{};
    YUpsamplerKernels::CascadeLanes lanes_{};
    Cascade upState_{};
    Cascade downState_{};
    YGrowableBuffer<double> pairSamples_;  // a pair of channels interleaved, in double precision

    std::vector<float> taps_;
    // The way up's polyphase branches, one row of branchLength_ taps per output phase
    // (rows up to a multiple of 8 when the factor does not divide 8), in ascending
    // input order, zero-padded at the end; what the stuffed 1e-15 samples add to each.
    std::vector<float> branches_;
    std::vector<float> branchOffsets_;
    int32_t branchLength_ = 0;
    std::vector<float> downTaps_;  // taps_ zero-padded to a multiple of 8
    YGrowableBuffer<float> upHistory_;
    YGrowableBuffer<float> downHistory_;  // in normal quality, the delayed block
    int32_t upHistoryLength_ = 0;
    int32_t downHistoryLength_ = 0;

    YDelayLine compensation_;
    YGrowableBuffer<float> up_;
    YGrowableBuffer<float> down_;
};
