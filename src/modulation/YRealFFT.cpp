#include "modulation/YRealFFT.h"

#include <cmath>
#include <numbers>

namespace {

using Complex = std::complex<double>;

// Spelled out: the library's operator* checks for infinities on every product.
inline Complex Mul(Complex a, Complex b) {
    return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

}  // namespace

YRealFFT::YRealFFT(int order) : n_(1 << order), half_(n_ / 2), twiddle_(half_), reversed_(half_), work_(half_) {
    for (int32_t k = 0; k < half_; ++k) {
        double angle = -2 * std::numbers::pi * k / n_;
        twiddle_[k] = {std::cos(angle), std::sin(angle)};
    }
    int bits = order - 1;
    for (int32_t i = 0; i < half_; ++i) {
        uint32_t r = 0;
        for (int b = 0; b < bits; ++b)
            if (i & (1 << b)) r |= 1u << (bits - 1 - b);
        reversed_[i] = r;
    }
}

// In place over work_, whose samples already stand in bit-reversed order.
void YRealFFT::Transform(bool inverse) noexcept {
    Complex* data = work_.data();
    for (int32_t length = 2; length <= half_; length <<= 1) {
        int32_t halfLength = length / 2;
        int32_t stride = 2 * (half_ / length);  // twiddle_ is over N, the transform over N/2
        for (int32_t start = 0; start < half_; start += length) {
            for (int32_t j = 0; j < halfLength; ++j) {
                Complex w = twiddle_[j * stride];
                if (inverse) w = std::conj(w);
                Complex u = data[start + j];
                Complex v = Mul(data[start + j + halfLength], w);
                data[start + j] = u + v;
                data[start + j + halfLength] = u - v;
            }
        }
    }
}

void YRealFFT::Forward(const double* in, Complex* out) noexcept {
    for (int32_t n = 0; n < half_; ++n) work_[reversed_[n]] = {in[2 * n], in[2 * n + 1]};
    Transform(false);
    const Complex* z = work_.data();
    out[0] = {z[0].real() + z[0].imag(), 0};
    out[half_] = {z[0].real() - z[0].imag(), 0};
    for (int32_t k = 1; k < half_; ++k) {
        // Split the packed transform into those of the even and the odd samples.
        Complex a = z[k], b = std::conj(z[half_ - k]);
        Complex even = (a + b) * 0.5;
        Complex difference = a - b;
        Complex odd = {difference.imag() * 0.5, -difference.real() * 0.5};  // (a - b) / 2i
        out[k] = even + Mul(twiddle_[k], odd);
    }
}

void YRealFFT::Inverse(const Complex* in, double* out) noexcept {
    for (int32_t k = 0; k < half_; ++k) {
        // Twice the even and odd samples' transforms, packed as even + i odd.
        Complex a = in[k], b = std::conj(in[half_ - k]);
        Complex even = a + b;
        Complex odd = Mul(a - b, std::conj(twiddle_[k]));
        work_[reversed_[k]] = {even.real() - odd.imag(), even.imag() + odd.real()};
    }
    Transform(true);
    for (int32_t n = 0; n < half_; ++n) {
        out[2 * n] = work_[n].real();
        out[2 * n + 1] = work_[n].imag();
    }
}
