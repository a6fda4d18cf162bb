#pragma once

#include <complex>
#include <cstdint>
#include <vector>

// Real FFT of N = 2^order points in double precision: a half-size complex radix-2
// transform of the even/odd samples packed as one complex signal, then split.
//
// Forward gives bins 0 .. N/2 of X[k] = sum x[n] e^(-2 pi i k n / N). Inverse takes
// such bins and gives x[n] = sum over all N bins of X[k] e^(+2 pi i k n / N), the
// upper bins being the conjugates of the lower ones; it is unscaled, so
// Inverse(Forward(x)) = N x. Tables and the work buffer are made at construction;
// the transforms do not allocate.
class YRealFFT {
public:
    explicit YRealFFT(int order);

    int32_t Size() const { return n_; }
    void Forward(const double* in, std::complex<double>* out) noexcept;
    void Inverse(const std::complex<double>* in, double* out) noexcept;

private:
    void Transform(bool inverse) noexcept;

    int32_t n_, half_;
    std::vector<std::complex<double>> twiddle_;  // e^(-2 pi i k / N), k < N/2
    std::vector<uint32_t> reversed_;             // bit reversal over N/2
    std::vector<std::complex<double>> work_;
};
