#include "modulation/YSignalGeneratorTables.h"

#include "foundation/YRandom.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

const YString kWaveformNames[YSignalGeneratorTables::kWaveformCount] = {
    "Exponencial", "Triangle", "Sine power 8", "Sine power 4", "Sine square", "Sine", "Harmonics", "More harmonics",
    "Disharmonics", "Sine square root", "Sine 4-root", "Rectangle", "Saw", "Full saw", "Noise", "Mess",
};

const YString kStepShapeNames[YSignalGeneratorTables::kStepShapeCount] = {
    "Default", "Linear up", "Linear down", "Sqr up", "Sqr down", "4th up", "4th down", "SqrRoot up", "SqrRoot down",
    "1/4th up", "1/4th down", "Sine up", "Sine down", "Step left smooth", "Step right smooth", "Step left",
    "Step right", "Saw", "Saw down", "Sine saw", "Sine saw down",
    "Wobble 1", "Wobble 2", "Wobble 3", "Wobble 4", "Wobble 1", "Wobble 2", "Wobble 3", "Wobble 4",
    "Wobble 1 mirror", "Wobble 2 mirror", "Wobble 3 mirror", "Wobble 4 mirror",
    "Wobble 1 mirror", "Wobble 2 mirror", "Wobble 3 mirror", "Wobble 4 mirror",
};

// Noise and Mess draw from a private generator with a fixed seed, so every process
// has the same tables and the program-wide random stream is left alone.
class FixedRandom {
public:
    double Unit() {
        seed_ = YRandom::Step(seed_);
        return static_cast<double>((seed_ >> 16) & 0x7FFF) / 32767;
    }

private:
    uint32_t seed_ = 0x5EED;
};

template <class F>
void FillWaveform(float* table, F f) {
    for (int32_t i = 0; i < YSignalGeneratorTables::kWaveformSize; ++i)
        table[i] = static_cast<float>(f(static_cast<double>(i) / YSignalGeneratorTables::kWaveformSize));
}

void NormalisePeak(float* table) {
    float peak = 0;
    for (int32_t i = 0; i < YSignalGeneratorTables::kWaveformSize; ++i) peak = std::max(peak, std::fabs(table[i]));
    for (int32_t i = 0; i < YSignalGeneratorTables::kWaveformSize; ++i) table[i] /= peak;
}

// sign(sin) * |sin|^p: p > 1 narrows the sine towards its peaks, p < 1 widens it
// towards the rectangle.
double SinePower(double x, double p) {
    double s = std::sin(2 * kPi * x);
    return std::copysign(std::pow(std::fabs(s), p), s);
}

double Exponencial(double x) {
    double half = x < 0.5 ? x : x - 0.5;
    double rise = half < 0.25 ? 4 * half : 4 * (0.5 - half);
    double value = rise * rise * rise * rise;
    return x < 0.5 ? value : -value;
}

double SumOfSines(double x, const double (*partials)[3], int count) {
    double sum = 0;
    for (int k = 0; k < count; ++k) sum += partials[k][1] * std::sin(2 * kPi * partials[k][0] * x + partials[k][2]);
    return sum;
}

// Raised-cosine edge from 0 to 1 between a and b.
double SmoothEdge(double t, double a, double b) {
    if (t <= a) return 0;
    if (t >= b) return 1;
    return 0.5 - 0.5 * std::cos(kPi * (t - a) / (b - a));
}

// k oscillations about 0.5 that die away towards the end of the step.
double Wobble(double t, int k) { return 0.5 + 0.5 * (1 - t) * std::cos(2 * kPi * k * t); }

double Frac(double v) { return v - std::floor(v); }

}  // namespace

const YSignalGeneratorTables& YSignalGeneratorTables::Get() {
    static const YSignalGeneratorTables tables;
    return tables;
}

const YString& YSignalGeneratorTables::WaveformName(int32_t index) {
    return kWaveformNames[std::clamp(index, 0, kWaveformCount - 1)];
}

const YString& YSignalGeneratorTables::StepShapeName(int32_t index) {
    return kStepShapeNames[std::clamp(index, 0, kStepShapeCount - 1)];
}

YSignalGeneratorTables::YSignalGeneratorTables() {
    // Morph order: from narrow peaks through the sine to wide, then edges and noise.
    FillWaveform(waveforms_[0], Exponencial);
    FillWaveform(waveforms_[1], [](double x) { return x < 0.25 ? 4 * x : x < 0.75 ? 2 - 4 * x : 4 * x - 4; });
    FillWaveform(waveforms_[2], [](double x) { return SinePower(x, 8); });
    FillWaveform(waveforms_[3], [](double x) { return SinePower(x, 4); });
    FillWaveform(waveforms_[4], [](double x) { return SinePower(x, 2); });
    FillWaveform(waveforms_[5], [](double x) { return SinePower(x, 1); });
    static const double harmonics[][3] = {{1, 1, 0}, {2, 0.5, 0}, {3, 0.25, 0}};
    FillWaveform(waveforms_[6], [](double x) { return SumOfSines(x, harmonics, 3); });
    static const double moreHarmonics[][3] = {{1, 1, 0},         {2, 1 / 2.0, 0}, {3, 1 / 3.0, 0}, {4, 1 / 4.0, 0},
                                              {5, 1 / 5.0, 0},   {6, 1 / 6.0, 0}, {7, 1 / 7.0, 0}, {8, 1 / 8.0, 0}};
    FillWaveform(waveforms_[7], [](double x) { return SumOfSines(x, moreHarmonics, 8); });
    // Sparse, unrelated overtones with scattered phases.
    static const double disharmonics[][3] = {{1, 1, 0}, {5, 0.7, 0.4}, {9, 0.5, 1.3}, {14, 0.35, 2.1}};
    FillWaveform(waveforms_[8], [](double x) { return SumOfSines(x, disharmonics, 4); });
    FillWaveform(waveforms_[9], [](double x) { return SinePower(x, 0.5); });
    FillWaveform(waveforms_[10], [](double x) { return SinePower(x, 0.25); });
    FillWaveform(waveforms_[11], [](double x) { return x < 0.5 ? 1.0 : -1.0; });
    FillWaveform(waveforms_[12], [](double x) { return x < 0.5 ? 2 * x : 2 * x - 2; });
    FillWaveform(waveforms_[13], [](double x) { return 2 * x - 1; });

    FixedRandom random;
    // Noise: 64 random levels joined by raised-cosine glides, periodic.
    double nodes[64];
    for (double& node : nodes) node = 2 * random.Unit() - 1;
    FillWaveform(waveforms_[14], [&nodes](double x) {
        double position = x * 64;
        int i = static_cast<int>(position);
        double glide = SmoothEdge(position - i, 0, 1);
        return nodes[i] * (1 - glide) + nodes[(i + 1) % 64] * glide;
    });
    // Mess: 24 partials with random levels (falling as 1/k) and random phases.
    double mess[24][3];
    for (int k = 0; k < 24; ++k) {
        mess[k][0] = k + 1;
        mess[k][1] = random.Unit() / (k + 1);
        mess[k][2] = 2 * kPi * random.Unit();
    }
    FillWaveform(waveforms_[15], [&mess](double x) { return SumOfSines(x, mess, 24); });
    for (int index : {6, 7, 8, 14, 15}) NormalisePeak(waveforms_[index]);

    // Step shapes run from the step's start (t = 0) to its end (t = 1).
    auto fillShape = [this](int32_t index, auto f) {
        for (int32_t j = 0; j < kStepShapeSize; ++j)
            stepShapes_[index][j] = static_cast<float>(f(static_cast<double>(j) / (kStepShapeSize - 1)));
    };
    fillShape(0, [](double) { return 1.0; });
    fillShape(1, [](double t) { return t; });
    fillShape(2, [](double t) { return 1 - t; });
    fillShape(3, [](double t) { return t * t; });
    fillShape(4, [](double t) { return (1 - t) * (1 - t); });
    fillShape(5, [](double t) { return t * t * t * t; });
    fillShape(6, [](double t) { return std::pow(1 - t, 4); });
    fillShape(7, [](double t) { return std::sqrt(t); });
    fillShape(8, [](double t) { return std::sqrt(1 - t); });
    fillShape(9, [](double t) { return std::pow(t, 0.25); });
    fillShape(10, [](double t) { return std::pow(1 - t, 0.25); });
    fillShape(11, [](double t) { return 0.5 - 0.5 * std::cos(kPi * t); });
    fillShape(12, [](double t) { return 0.5 + 0.5 * std::cos(kPi * t); });
    fillShape(13, [](double t) { return SmoothEdge(t, 0.125, 0.375); });
    fillShape(14, [](double t) { return SmoothEdge(t, 0.625, 0.875); });
    fillShape(15, [](double t) { return t < 0.25 ? 0.0 : 1.0; });
    fillShape(16, [](double t) { return t < 0.75 ? 0.0 : 1.0; });
    // Four teeth per step; the tooth position runs over j / 1024 so the teeth are equal.
    constexpr double kTeeth = 4.0 * (kStepShapeSize - 1) / kStepShapeSize;
    fillShape(17, [](double t) { return Frac(t * kTeeth); });
    fillShape(18, [](double t) { return 1 - Frac(t * kTeeth); });
    fillShape(19, [](double t) { return 0.5 - 0.5 * std::cos(kPi * Frac(t * kTeeth)); });
    fillShape(20, [](double t) { return 0.5 + 0.5 * std::cos(kPi * Frac(t * kTeeth)); });
    // The wobbles come twice under the same names; both copies are alike.
    for (int k = 1; k <= 4; ++k) {
        fillShape(20 + k, [k](double t) { return Wobble(t, k); });
        fillShape(24 + k, [k](double t) { return Wobble(t, k); });
        fillShape(28 + k, [k](double t) { return Wobble(1 - t, k); });
        fillShape(32 + k, [k](double t) { return Wobble(1 - t, k); });
    }
}
