#include "modulation/YGaussianSmoother.h"

#include <algorithm>
#include <cmath>
#include <limits>

YGaussianSmoother::YGaussianSmoother()
    : weights_(kMaxRadius + 1),
      padded_(kSize + 2 * kMaxRadius),
      sum_(kSize),
      signal_(kSize),
      response_(kSize / 2 + 1),
      spectrum_(kSize / 2 + 1),
      fft_(13),
      kernelSmoothness_(std::numeric_limits<double>::quiet_NaN()),
      responseSmoothness_(std::numeric_limits<double>::quiet_NaN()) {}

int32_t YGaussianSmoother::MakeKernel(double smoothness) noexcept {
    // Renders mostly repeat the smoothness of the one before.
    if (smoothness == kernelSmoothness_) return radius_;
    double amount = smoothness * 256;
    double radius = std::ceil(amount);
    radius_ = !(radius > 0) ? 0 : radius >= kMaxRadius ? kMaxRadius : static_cast<int32_t>(radius);
    double total = 1;
    for (int32_t j = 1; j <= radius_; ++j) {
        double u = 2 * j / amount;
        total += 2 * static_cast<double>(static_cast<float>(std::exp(-u * u)));
    }
    weights_[0] = static_cast<float>(1 / total);
    for (int32_t j = 1; j <= radius_; ++j) {
        double u = 2 * j / amount;
        weights_[j] = static_cast<float>(static_cast<double>(static_cast<float>(std::exp(-u * u))) / total);
    }
    kernelSmoothness_ = smoothness;
    return radius_;
}

void YGaussianSmoother::Apply(float* data, double smoothness) noexcept {
    if (MakeKernel(smoothness) < kFFTRadius)
        ApplyDirect(data, smoothness);
    else
        ApplyFFT(data, smoothness);
}

void YGaussianSmoother::ApplyDirect(float* data, double smoothness) noexcept {
    int32_t r = MakeKernel(smoothness);
    // The period with r samples of wrap-around on both sides, so no index wraps.
    double* p = padded_.data();
    for (int32_t t = 0; t < kSize + 2 * r; ++t) p[t] = data[(t - r + kSize) % kSize];
    double* sum = sum_.data();
    const double* centre = p + r;
    double w0 = weights_[0];
    for (int32_t i = 0; i < kSize; ++i) sum[i] = w0 * centre[i];
    // The kernel is symmetric: one product per pair of taps.
    for (int32_t j = 1; j <= r; ++j) {
        double w = weights_[j];
        const double* left = centre - j;
        const double* right = centre + j;
        for (int32_t i = 0; i < kSize; ++i) sum[i] += w * (left[i] + right[i]);
    }
    for (int32_t i = 0; i < kSize; ++i) data[i] = static_cast<float>(sum[i]);
}

void YGaussianSmoother::ApplyFFT(float* data, double smoothness) noexcept {
    int32_t r = MakeKernel(smoothness);
    if (smoothness != responseSmoothness_) {
        // The kernel laid out cyclically around sample 0; its spectrum is real.
        std::fill(signal_.begin(), signal_.end(), 0.0);
        signal_[0] = weights_[0];
        for (int32_t j = 1; j <= r; ++j) signal_[j] = signal_[kSize - j] = weights_[j];
        fft_.Forward(signal_.data(), spectrum_.data());
        for (int32_t k = 0; k <= kSize / 2; ++k) response_[k] = spectrum_[k].real() / kSize;
        responseSmoothness_ = smoothness;
    }
    for (int32_t i = 0; i < kSize; ++i) signal_[i] = data[i];
    fft_.Forward(signal_.data(), spectrum_.data());
    for (int32_t k = 0; k <= kSize / 2; ++k) spectrum_[k] *= response_[k];
    fft_.Inverse(spectrum_.data(), signal_.data());
    for (int32_t i = 0; i < kSize; ++i) data[i] = static_cast<float>(signal_[i]);
}
