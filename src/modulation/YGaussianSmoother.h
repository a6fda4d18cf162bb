#pragma once

#include "modulation/YRealFFT.h"

#include <complex>
#include <cstdint>
#include <vector>

// Gaussian smoothing of one 8192-sample period, treated as cyclic. Amount A =
// smoothness * 256, radius r = ceil(A), weights w0 = 1 and w(+-j) = exp(-(2j/A)^2),
// normalised to sum 1 in single precision. Large radii are convolved through the
// FFT (the symmetric kernel's spectrum is real), small ones directly; both give the
// direct sum to double precision. All buffers are made at construction.
class YGaussianSmoother {
public:
    static constexpr int32_t kSize = 8192;
    // A kernel wider than the period would overlap itself; smoothness is held below 16.
    static constexpr int32_t kMaxRadius = kSize / 2 - 1;
    // From this radius on the FFT route is the faster one.
    static constexpr int32_t kFFTRadius = 48;

    YGaussianSmoother();

    void Apply(float* data, double smoothness) noexcept;
    void ApplyDirect(float* data, double smoothness) noexcept;
    void ApplyFFT(float* data, double smoothness) noexcept;

    // Radius and weights w0 .. wr of the kernel for a smoothness.
    int32_t Radius(double smoothness) noexcept { return MakeKernel(smoothness); }
    const float* Weights() const { return weights_.data(); }

private:
    int32_t MakeKernel(double smoothness) noexcept;

    std::vector<float> weights_;
    std::vector<double> padded_, sum_, signal_, response_;
    std::vector<std::complex<double>> spectrum_;
    YRealFFT fft_;
    double kernelSmoothness_, responseSmoothness_;
    int32_t radius_ = 0;
};
