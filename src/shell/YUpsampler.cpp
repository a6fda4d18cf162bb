#include "shell/YUpsampler.h"

#include "foundation/YVectorOps.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Section quality factors of the 20th-order Butterworth: 1 / (2 sin((2k + 1) pi / 40)).
constexpr double kButterworthQ[10] = {6.372747, 2.141829, 1.306563, 0.956940, 0.769885,
                                      0.657543, 0.586414, 0.541196, 0.514208, 0.501546};
constexpr double kKaiserBeta = 10.0;

double BesselI0(double x) {
    double sum = 1.0, term = 1.0;
    for (int k = 1; k < 64; ++k) {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        sum += term;
        if (term < sum * 1e-17) break;
    }
    return sum;
}

}  // namespace

void YUpsampler::Configure(double hostRate, int32_t factor, bool highQuality) {
    if (hostRate == hostRate_ && factor == factor_ && highQuality == highQuality_) return;
    hostRate_ = hostRate;
    factor_ = factor;
    highQuality_ = highQuality;
    taps_.clear();
    branches_.clear();
    downTaps_.clear();
    recursiveDesigned_ = false;
    if (factor_ < 2) return;
    if (highQuality_)
        DesignLinearPhase();
    else
        DesignButterworth();
    compensation_.SetDelay(static_cast<int32_t>(std::lround(std::max(0.0, ReportedLatency(highQuality_) - FilterDelay()))));
    Reset();
}

void YUpsampler::Reset() {
    upState_ = Cascade{};
    downState_ = Cascade{};
    compensation_.Clear();
    if (upHistoryLength_ > 0) YVectorOps::Clear(upHistory_.Ensure(static_cast<uint32_t>(upHistoryLength_)), upHistoryLength_);
    if (downHistoryLength_ > 0) YVectorOps::Clear(downHistory_.Ensure(static_cast<uint32_t>(downHistoryLength_)), downHistoryLength_);
}

void YUpsampler::DesignButterworth() {
    const double omega = 2.0 * std::numbers::pi * kNormalCutoff * hostRate_ / (factor_ * hostRate_);
    const double cosine = std::cos(omega), sine = std::sin(omega);
    for (int k = 0; k < 10; ++k) {
        double alpha = sine / (2.0 * kButterworthQ[k]);
        double a0 = 1.0 + alpha;
        sections_[k] = Section{(1.0 - cosine) / 2.0 / a0, (1.0 - cosine) / a0, (1.0 - cosine) / 2.0 / a0,
                               -2.0 * cosine / a0, (1.0 - alpha) / a0};
    }
    for (int k = 0; k < 10; ++k) {
        const Section& s = sections_[k];
        const double values[5] = {s.b0, s.b1, s.b2, s.a1, s.a2};
        for (int j = 0; j < 5; ++j)
            for (int lane = 0; lane < 2; ++lane) lanes_.c[k % 5][j][2 * (k / 5) + lane] = values[j];
    }
    longFilter_ = false;
    upHistoryLength_ = downHistoryLength_ = 0;
    recursiveDesigned_ = true;
}

void YUpsampler::DesignLinearPhase() {
    longFilter_ = factor_ * hostRate_ > kLongFilterRate;
    const int32_t count = longFilter_ ? kLongTaps : kShortTaps;
    const double cutoff = kHighQualityCutoff / factor_;  // cycles per sample at the processing rate
    const double middle = (count - 1) / 2.0;
    const double norm = BesselI0(kKaiserBeta);
    std::vector<double> taps(static_cast<std::size_t>(count));
    double sum = 0.0;
    for (int32_t n = 0; n < count; ++n) {
        double t = n - middle;
        double sinc = t == 0.0 ? 2.0 * cutoff : std::sin(2.0 * std::numbers::pi * cutoff * t) / (std::numbers::pi * t);
        double r = (n - middle) / middle;
        double window = BesselI0(kKaiserBeta * std::sqrt(std::max(0.0, 1.0 - r * r))) / norm;
        taps[n] = sinc * window;
        sum += taps[n];
    }
    taps_.resize(static_cast<std::size_t>(count));
    for (int32_t n = 0; n < count; ++n) taps_[n] = static_cast<float>(taps[n] / sum);

    // Polyphase branches of the way up: output i F + p sees the taps p, p + F, ...
    // against the inputs from i back; each row in ascending input order.
    const int32_t perBranch = (count + factor_ - 1) / factor_;
    branchLength_ = (perBranch + 7) / 8 * 8;
    const int32_t rows = factor_ == 2 ? 2 : (factor_ + 3) / 4 * 4;
    branches_.assign(static_cast<std::size_t>(rows) * branchLength_, 0.0f);
    branchOffsets_.assign(static_cast<std::size_t>(rows), 0.0f);
    for (int32_t p = 0; p < factor_; ++p) {
        double offBranch = 0.0;
        for (int32_t k = 0; k < count; ++k)
            if (k % factor_ != p) offBranch += static_cast<double>(taps_[k]);
        branchOffsets_[p] = static_cast<float>(static_cast<double>(kOffset) * offBranch);
        for (int32_t q = 0; q < perBranch; ++q) {
            const int32_t k = p + q * factor_;
            if (k < count) branches_[static_cast<std::size_t>(p) * branchLength_ + perBranch - 1 - q] = taps_[k];
        }
    }
    // Whole chunks of 8, zeros on either side.
    const std::size_t padding = YUpsamplerKernels::kTapPadding;
    downTaps_.assign(padding + static_cast<std::size_t>(count + 7) / 8 * 8 + padding, 0.0f);
    std::copy(taps_.begin(), taps_.end(), downTaps_.begin() + static_cast<std::ptrdiff_t>(padding));
    upHistoryLength_ = perBranch - 1;
    downHistoryLength_ = count - 1;
}

double YUpsampler::FilterDelay() const {
    if (factor_ < 2) return 0.0;
    if (highQuality_) return static_cast<double>(taps_.size() - 1);
    // Group delay at DC of b(z)/a(z): sum(k b_k)/sum(b_k) - sum(k a_k)/sum(a_k).
    double delay = 0.0;
    for (const Section& s : sections_)
        delay += (s.b1 + 2.0 * s.b2) / (s.b0 + s.b1 + s.b2) - (s.a1 + 2.0 * s.a2) / (1.0 + s.a1 + s.a2);
    return 2.0 * delay;
}

void YUpsampler::RunCascades(const YUpsampler& design, Cascade& first, Cascade& second, double* samples,
                             int32_t count) {
    YUpsamplerKernels::CascadeState state;
    for (int k = 0; k < YUpsamplerKernels::kSections; ++k) {
        const int pair = k % 5, lane = 2 * (k / 5);
        state.z1[pair][lane] = first[k].z1;
        state.z2[pair][lane] = first[k].z2;
        state.z1[pair][lane + 1] = second[k].z1;
        state.z2[pair][lane + 1] = second[k].z2;
    }
    design.Kernels().cascade(design.lanes_, state, samples, count);
    for (int k = 0; k < YUpsamplerKernels::kSections; ++k) {
        const int pair = k % 5, lane = 2 * (k / 5);
        first[k] = SectionState{state.z1[pair][lane], state.z2[pair][lane]};
        second[k] = SectionState{state.z1[pair][lane + 1], state.z2[pair][lane + 1]};
    }
    // A NaN or an infinity among the samples would stay in the recursion for ever: such
    // a cascade starts again from silence with the next block (x - x is 0 only when finite).
    for (Cascade* cascade : {&first, &second}) {
        double probe = 0.0;
        for (const SectionState& section : *cascade) probe += (section.z1 - section.z1) + (section.z2 - section.z2);
        if (probe != 0.0) cascade->fill(SectionState{});
    }
}

void YUpsampler::Up(YUpsampler* group, int32_t channels, const float* const* inputs, int32_t frames) {
    const YUpsampler& design = group[0];
    const int32_t factor = design.factor_, total = factor * frames;
    for (int32_t c = 0; c < channels; ++c) {
        group[c].up_.Ensure(static_cast<uint32_t>(total) + 32);  // the way up writes past the block
        YVectorOps::Clear(group[c].down_.Ensure(static_cast<uint32_t>(total)), total);
    }
    if (design.highQuality_) {
        for (int32_t c = 0; c < channels; ++c) group[c].UpLinearPhase(inputs[c], frames);
        return;
    }
    // Two channels at a time; a lone last channel is paired with a stand-in.
    const float gain = static_cast<float>(factor);
    for (int32_t c = 0; c < channels; c += 2) {
        YUpsampler* pair[2] = {&group[c], c + 1 < channels ? &group[c + 1] : nullptr};
        double* samples = pair[0]->pairSamples_.Ensure(2 * static_cast<uint32_t>(total));
        for (int lane = 0; lane < 2; ++lane) {
            const float* input = inputs[pair[lane] ? c + lane : c];
            for (int32_t i = 0; i < frames; ++i) {
                double* at = samples + 2 * static_cast<std::ptrdiff_t>(i) * factor + lane;
                at[0] = static_cast<double>((input[i] + kOffset) * gain);
                for (int32_t p = 1; p < factor; ++p) at[2 * p] = static_cast<double>(kOffset);
            }
        }
        Cascade standIn{};
        RunCascades(design, pair[0]->upState_, pair[1] ? pair[1]->upState_ : standIn, samples, total);
        for (int lane = 0; lane < 2; ++lane)
            if (pair[lane]) {
                float* up = pair[lane]->up_.Data();
                for (int32_t m = 0; m < total; ++m) up[m] = static_cast<float>(samples[2 * m + lane]);
            }
    }
}

void YUpsampler::Down(YUpsampler* group, int32_t channels, float* const* outputs, int32_t frames, bool replacing) {
    const YUpsampler& design = group[0];
    const int32_t factor = design.factor_, total = factor * frames;
    if (design.highQuality_) {
        for (int32_t c = 0; c < channels; ++c) group[c].DownLinearPhase(outputs[c], frames, replacing);
        return;
    }
    for (int32_t c = 0; c < channels; c += 2) {
        YUpsampler* pair[2] = {&group[c], c + 1 < channels ? &group[c + 1] : nullptr};
        double* samples = pair[0]->pairSamples_.Ensure(2 * static_cast<uint32_t>(total));
        for (int lane = 0; lane < 2; ++lane) {
            YUpsampler& member = *pair[pair[lane] ? lane : 0];
            float* delayed = member.downHistory_.Ensure(static_cast<uint32_t>(total));
            if (pair[lane]) member.compensation_.Process(member.down_.Data(), delayed, total);
            for (int32_t m = 0; m < total; ++m) samples[2 * m + lane] = static_cast<double>(delayed[m]);
        }
        Cascade standIn{};
        if (design.recursiveDesigned_)
            RunCascades(design, pair[0]->downState_, pair[1] ? pair[1]->downState_ : standIn, samples, total);
        for (int lane = 0; lane < 2; ++lane) {
            if (!pair[lane]) continue;
            float* output = outputs[c + lane];
            for (int32_t i = 0; i < frames; ++i) {
                const float y = static_cast<float>(samples[2 * static_cast<std::ptrdiff_t>(i) * factor + lane]);
                if (replacing)
                    output[i] = y;
                else
                    output[i] += y;
            }
        }
    }
}

void YUpsampler::UpLinearPhase(const float* input, int32_t frames) {
    // The stuffed constants fall on the other taps of each branch: their share is
    // the branch offset, so only the host samples are filtered.
    const float gain = static_cast<float>(factor_);
    float* history = upHistory_.Ensure(static_cast<uint32_t>(upHistoryLength_ + frames) + 16);
    for (int32_t i = 0; i < frames; ++i) history[upHistoryLength_ + i] = (input[i] + kOffset) * gain;
    YVectorOps::Clear(history + upHistoryLength_ + frames, 16);  // the kernel reads past the block
    Kernels().up(branches_.data(), branchLength_, branchOffsets_.data(), factor_, history, up_.Data(), frames);
    YVectorOps::Copy(history, history + frames, upHistoryLength_);
}

void YUpsampler::DownLinearPhase(float* output, int32_t frames, bool replacing) {
    // Only the kept samples are computed; the ones decimation drops are never needed.
    const int32_t total = factor_ * frames, margin = 8 * factor_ + 56;  // the kernel reads past the block
    float* history = downHistory_.Ensure(static_cast<uint32_t>(downHistoryLength_ + total + margin));
    compensation_.Process(down_.Data(), history + downHistoryLength_, total);
    YVectorOps::Clear(history + downHistoryLength_ + total, margin);
    const int32_t padding = YUpsamplerKernels::kTapPadding;
    Kernels().down(downTaps_.data() + padding, (static_cast<int32_t>(downTaps_.size()) - 2 * padding) / 8, factor_, history,
                   output, frames, replacing);
    YVectorOps::Copy(history, history + total, downHistoryLength_);
}
