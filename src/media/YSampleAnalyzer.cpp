#include "media/YSampleAnalyzer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// A normalised difference below this is a period.
constexpr double kThreshold = 0.15;
constexpr int32_t kMaxMultiple = 64;
// The interpolation reads this many samples either side of a position.
constexpr int32_t kReach = 2;

using Result = YSampleAnalyzer::Result;

double Difference(const float* x, int64_t window, int64_t lag) {
    double sum = 0;
    for (int64_t j = 0; j < window; ++j) {
        const double e = static_cast<double>(x[j]) - static_cast<double>(x[j + lag]);
        sum += e * e;
    }
    return sum;
}

double Energy(const float* x, int64_t count) {
    double sum = 0;
    for (int64_t j = 0; j < count; ++j) sum += static_cast<double>(x[j]) * static_cast<double>(x[j]);
    return sum;
}

// Offset of the vertex of the parabola through (-1, a), (0, b), (1, c), within +-0.5.
double Vertex(double a, double b, double c) {
    const double curvature = a - 2 * b + c;
    return curvature > 0 ? std::clamp((a - c) / (2 * curvature), -0.5, 0.5) : 0.0;
}

// The first dip of the cumulative mean normalised difference below the threshold,
// refined; 0 when there is none.
double CoarsePeriod(const float* x, int64_t window, int64_t minLag, int64_t maxLag) {
    std::vector<double> d(static_cast<std::size_t>(maxLag + 2)), normalised(d.size(), 1.0);
    double running = 0;
    for (int64_t lag = 1; lag <= maxLag + 1; ++lag) {
        d[lag] = Difference(x, window, lag);
        running += d[lag];
        if (running > 0) normalised[lag] = d[lag] * static_cast<double>(lag) / running;
    }
    for (int64_t lag = minLag; lag <= maxLag; ++lag) {
        if (normalised[lag] >= kThreshold) continue;
        while (lag < maxLag && normalised[lag + 1] < normalised[lag]) ++lag;
        return static_cast<double>(lag) + Vertex(d[lag - 1], d[lag], d[lag + 1]);
    }
    return 0;
}

// The period measured over 2, 4, .. periods while the sound holds it.
double RefinePeriod(const float* x, int64_t available, int64_t window, double period) {
    const double energy = Energy(x, window);
    for (int32_t m = 2; m <= kMaxMultiple; m *= 2) {
        const auto centre = static_cast<int64_t>(std::llround(m * period));
        if (centre + 3 + window > available) break;
        double v[5];
        for (int32_t i = 0; i < 5; ++i) v[i] = Difference(x, window, centre + i - 2);
        const int32_t best = static_cast<int32_t>(std::min_element(v, v + 5) - v);
        if (best == 0 || best == 4) break;  // the dip left its neighbourhood: the pitch drifts
        const int64_t lag = centre + best - 2;
        if (v[best] > kThreshold * (energy + Energy(x + lag, window))) break;
        period = (static_cast<double>(lag) + Vertex(v[best - 1], v[best], v[best + 1])) / m;
    }
    return period;
}

// Catmull-Rom interpolation at position p of x (count values; the ends repeat).
double Interpolate(const float* x, int64_t count, double p) {
    const auto j = static_cast<int64_t>(std::floor(p));
    const double f = p - static_cast<double>(j);
    auto at = [&](int64_t k) { return static_cast<double>(x[std::clamp<int64_t>(k, 0, count - 1)]); };
    const double a = at(j - 1), b = at(j), c = at(j + 1), d = at(j + 2);
    return b + 0.5 * f * (c - a + f * (2 * a - 5 * b + 4 * c - d + f * (3 * (b - c) + d - a)));
}

}  // namespace

Result YSampleAnalyzer::Analyze(const YAudioData& audio, const Settings& settings) {
    Result result;
    const std::vector<float> mono = audio.Mono();
    const double rate = audio.sampleRate;
    const auto count = static_cast<int64_t>(mono.size());
    if (!(rate > 0) || count == 0) return result;

    const double lowest = std::isfinite(settings.minimumPitch)
                              ? std::clamp(settings.minimumPitch, kLowestPitch, kHighestPitch / 2)
                              : kLowestPitch;
    const auto maxLag = static_cast<int64_t>(std::ceil(rate / lowest));
    const int64_t minLag = std::max<int64_t>(2, static_cast<int64_t>(rate / kHighestPitch));
    const int64_t window = maxLag;
    const double start = std::round(std::max(0.0, settings.position) * rate);  // NaN gives 0
    if (!(start < static_cast<double>(count))) return result;
    const float* x = mono.data() + static_cast<int64_t>(start);
    const int64_t available = count - static_cast<int64_t>(start);
    if (available < window + maxLag + 2) return result;

    result.outcome = Outcome::kNoPitch;
    if (!(Energy(x, window + maxLag) > 1e-12 * static_cast<double>(window + maxLag))) return result;  // silence
    double period = CoarsePeriod(x, window, minLag, maxLag);
    if (period <= 0) return result;
    period = RefinePeriod(x, available, window, period);

    const double periods = std::isfinite(settings.periods) ? std::clamp(std::round(settings.periods), 1.0, 1.0 * kMaxPeriods) : 1.0;
    const double length = periods * period;
    const double first = std::max(start, 1.0 * kReach);
    if (first + length + kReach > static_cast<double>(count)) {
        result.outcome = Outcome::kTooShort;
        return result;
    }
    std::vector<double> table(kTableSize);
    double mean = 0;
    for (int32_t i = 0; i < kTableSize; ++i) {
        table[i] = Interpolate(mono.data(), count, first + i * length / kTableSize);
        mean += table[i];
    }
    mean /= kTableSize;
    double peak = 0;
    for (double& value : table) peak = std::max(peak, std::fabs(value -= mean));
    if (!(peak > 0)) return result;
    result.table.resize(kTableSize);
    for (int32_t i = 0; i < kTableSize; ++i) result.table[i] = static_cast<float>(table[i] / peak);
    Spectrum(result.table.data(), result.amplitudes.data(), result.phases.data());
    result.outcome = Outcome::kAnalyzed;
    result.period = period;
    result.pitch = rate / period;
    return result;
}

void YSampleAnalyzer::Spectrum(const float* table, float* amplitudes, float* phases) {
    constexpr int32_t kMask = kTableSize - 1;
    std::vector<double> cosine(kTableSize);
    for (int32_t i = 0; i < kTableSize; ++i) cosine[i] = std::cos(2 * std::numbers::pi * i / kTableSize);
    std::array<double, kHarmonics> magnitude{};
    double largest = 0;
    for (int32_t k = 1; k <= kHarmonics; ++k) {
        // Bin k: sum of t[i] e^(-2 pi i k i / N); the sine read a quarter period later.
        double re = 0, im = 0;
        for (int32_t i = 0; i < kTableSize; ++i) {
            const int32_t angle = (k * i) & kMask;
            re += static_cast<double>(table[i]) * cosine[angle];
            im -= static_cast<double>(table[i]) * cosine[(angle - kTableSize / 4) & kMask];
        }
        magnitude[k - 1] = std::hypot(re, im);
        largest = std::max(largest, magnitude[k - 1]);
        const auto phase = static_cast<float>(-std::atan2(im, re) / (2 * std::numbers::pi));
        phases[k - 1] = phase < 0 ? (phase + 1 < 1 ? phase + 1 : 0.0f) : phase;
    }
    for (int32_t k = 0; k < kHarmonics; ++k)
        amplitudes[k] = largest > 0 ? static_cast<float>(magnitude[k] / largest) : 0.0f;
}
