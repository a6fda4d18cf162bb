#include "shell/YUpsampler.h"

#include "foundation/YVectorOps.h"

#include <immintrin.h>

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

float Dot(const float* a, const float* b, int32_t count) {
    __m128 sum0 = _mm_setzero_ps(), sum1 = _mm_setzero_ps();
    int32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        sum0 = _mm_add_ps(sum0, _mm_mul_ps(_mm_loadu_ps(a + i), _mm_loadu_ps(b + i)));
        sum1 = _mm_add_ps(sum1, _mm_mul_ps(_mm_loadu_ps(a + i + 4), _mm_loadu_ps(b + i + 4)));
    }
    alignas(16) float lanes[4];
    _mm_store_ps(lanes, _mm_add_ps(sum0, sum1));
    float sum = (lanes[0] + lanes[1]) + (lanes[2] + lanes[3]);
    for (; i < count; ++i) sum += a[i] * b[i];
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

    // Polyphase branches of the way up: output i*F + p sees the taps p, p + F, ...
    const int32_t perBranch = (count + factor_ - 1) / factor_;
    branches_.assign(static_cast<std::size_t>(factor_), std::vector<float>(static_cast<std::size_t>(perBranch), 0.0f));
    branchOffsets_.assign(static_cast<std::size_t>(factor_), 0.0f);
    for (int32_t p = 0; p < factor_; ++p) {
        double offBranch = 0.0;
        for (int32_t k = 0; k < count; ++k)
            if (k % factor_ != p) offBranch += static_cast<double>(taps_[k]);
        branchOffsets_[p] = static_cast<float>(static_cast<double>(kOffset) * offBranch);
        for (int32_t q = 0; q < perBranch; ++q) {
            int32_t k = p + q * factor_;
            if (k < count) branches_[p][perBranch - 1 - q] = taps_[k];
        }
    }
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

void YUpsampler::RunCascade(Cascade& state, float* data, int32_t count) {
    // Sample by sample through all ten sections: section k of one sample overlaps with
    // section k - 1 of the next, which a section-by-section pass would serialise.
    std::array<double, 10> z1, z2;
    for (int k = 0; k < 10; ++k) {
        z1[k] = state[k].z1;
        z2[k] = state[k].z2;
    }
    for (int32_t i = 0; i < count; ++i) {
        double x = data[i];
        for (int k = 0; k < 10; ++k) {
            const Section& s = sections_[k];
            double y = s.b0 * x + z1[k];
            z1[k] = s.b1 * x - s.a1 * y + z2[k];
            z2[k] = s.b2 * x - s.a2 * y;
            x = y;
        }
        data[i] = static_cast<float>(x);
    }
    for (int k = 0; k < 10; ++k) {
        state[k].z1 = z1[k];
        state[k].z2 = z2[k];
    }
}

void YUpsampler::Up(const float* input, int32_t frames) {
    const int32_t total = factor_ * frames;
    float* up = up_.Ensure(static_cast<uint32_t>(total));
    YVectorOps::Clear(down_.Ensure(static_cast<uint32_t>(total)), total);
    const float gain = static_cast<float>(factor_);

    if (!highQuality_) {
        for (int32_t i = 0; i < frames; ++i) {
            up[i * factor_] = (input[i] + kOffset) * gain;
            for (int32_t p = 1; p < factor_; ++p) up[i * factor_ + p] = kOffset;
        }
        RunCascade(upState_, up, total);
        return;
    }

    // Only every factor-th sample carries signal, so each output phase is a short
    // filter over the host samples.
    const int32_t perBranch = upHistoryLength_ + 1;
    float* history = upHistory_.Ensure(static_cast<uint32_t>(upHistoryLength_ + frames));
    for (int32_t i = 0; i < frames; ++i) history[upHistoryLength_ + i] = (input[i] + kOffset) * gain;
    for (int32_t i = 0; i < frames; ++i)
        for (int32_t p = 0; p < factor_; ++p)
            up[i * factor_ + p] = Dot(branches_[p].data(), history + i, perBranch) + branchOffsets_[p];
    YVectorOps::Copy(history, history + frames, upHistoryLength_);
}

void YUpsampler::Down(float* output, int32_t frames, bool replacing) {
    const int32_t total = factor_ * frames;
    float* down = down_.Data();
    compensation_.Process(down, down, total);

    if (!highQuality_) {
        if (recursiveDesigned_) RunCascade(downState_, down, total);
        for (int32_t i = 0; i < frames; ++i) {
            if (replacing)
                output[i] = down[i * factor_];
            else
                output[i] += down[i * factor_];
        }
        return;
    }

    // Only the kept samples are computed; the ones decimation drops are never needed.
    const int32_t count = downHistoryLength_ + 1;
    float* history = downHistory_.Ensure(static_cast<uint32_t>(downHistoryLength_ + total));
    YVectorOps::Copy(history + downHistoryLength_, down, total);
    for (int32_t i = 0; i < frames; ++i) {
        float y = Dot(taps_.data(), history + i * factor_, count);
        if (replacing)
            output[i] = y;
        else
            output[i] += y;
    }
    YVectorOps::Copy(history, history + total, downHistoryLength_);
}
