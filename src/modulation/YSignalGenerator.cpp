#include "modulation/YSignalGenerator.h"

#include "foundation/YException.h"
#include "foundation/YRandom.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int32_t kSize = YSignalGenerator::kSize;
constexpr int32_t kMask = kSize - 1;
constexpr int32_t kStepShapeSize = YSignalGeneratorTables::kStepShapeSize;

// A transformation whose amount is this close to 0 is skipped (and so is NaN).
bool Active(double amount) { return std::fabs(amount) > 1e-50; }

// Linear interpolation at read position r (samples), wrapping at the period.
float ReadWrapped(const float* source, double r) {
    if (!(std::fabs(r) < 1e15)) r = 0;  // a broken curve must not index outside
    double whole = std::floor(r);
    float f = static_cast<float>(r - whole);
    int32_t j = static_cast<int32_t>(static_cast<int64_t>(whole) & kMask);
    return (1 - f) * source[j] + f * source[(j + 1) & kMask];
}

// Linear resampling with both ends aligned: output i reads i * (in - 1) / (out - 1).
void Resample(const float* source, int32_t sourceLength, float* target, int32_t targetLength) {
    double scale = targetLength > 1 ? static_cast<double>(sourceLength - 1) / (targetLength - 1) : 0;
    for (int32_t i = 0; i < targetLength; ++i) {
        double position = i * scale;
        int32_t whole = static_cast<int32_t>(position);
        if (whole >= sourceLength - 1) {
            target[i] = source[sourceLength - 1];
        } else {
            float f = static_cast<float>(position - whole);
            target[i] = (1 - f) * source[whole] + f * source[whole + 1];
        }
    }
}

}  // namespace

YSignalGenerator::Settings::Settings()
    : envelope(0, 1, -1, 1, 0),
      customTable(kSize),
      transform(0, 1, 0, 1, 0),
      amplitudeTransform(-1, 1, -1, 1, -1) {
    // The drawn curve: a triangle rising to 1 at a quarter and falling to -1 at three quarters.
    std::vector<YEnvelopeComputer::Point> points = envelope.Points();
    points.insert(points.begin() + 1, {YEnvelopeComputer::NewPoint(0.25, 1), YEnvelopeComputer::NewPoint(0.75, -1)});
    envelope.SetPoints(points);
    // The time and amplitude curves start as the identity.
    YEnvelopeComputer::Point last = transform.GetPoint(1);
    last.y = 1;
    transform.SetPoint(1, last);
    last = amplitudeTransform.GetPoint(1);
    last.y = 1;
    amplitudeTransform.SetPoint(1, last);

    for (int32_t slot = 0; slot < kStepSlots; ++slot) stepLevels[slot] = slot % 2 == 0 ? 1 : -1;
    magnitudes[0] = 1;
}

YSignalGenerator::YSignalGenerator()
    : table_(kSize + 1),
      work_(kSize),
      layer_(kSize),
      copy_(kSize),
      curve_(kSize),
      bins_(kSize / 2 + 1),
      synthesis_(kSize),
      fft_(13),
      lock_(&ownLock_) {
    YSignalGeneratorTables::Get();  // built here, never first on the audio thread
    Reset();
}

void YSignalGenerator::Reset() {
    YScopedLock hold(Lock());
    settings_ = Settings();
    settings_.generator.seed = YRandom::Draw();
    harmonicsPending_ = false;
    RenderLocked();
    changed_.store(true);
}

void YSignalGenerator::Render() {
    YScopedLock hold(Lock());
    RenderLocked();
}

bool YSignalGenerator::Changed() noexcept {
    if (!changed_.exchange(false)) return false;
    try {
        YScopedLock hold(Lock());
        if (harmonicsPending_) {
            RunHarmonicsGenerator();
            harmonicsPending_ = false;
        }
        RenderLocked();
        return true;
    } catch (const YException&) {
        changed_.store(true);
        return false;
    }
}

void YSignalGenerator::SetSettings(const Settings& settings) {
    YScopedLock hold(Lock());
    // A loaded state brings its magnitudes and phases along: no generator step.
    settings_ = settings;
    harmonicsPending_ = false;
    settings_.customTable.resize(kSize);  // the render reads kSize values
    changed_.store(true);
}

const YEnvelopeComputer& YSignalGenerator::Curve(CurveId id) const {
    return const_cast<YSignalGenerator*>(this)->CurveOf(id);
}

YEnvelopeComputer& YSignalGenerator::CurveOf(CurveId id) {
    switch (id) {
        case CurveId::kTransform:
            return settings_.transform;
        case CurveId::kAmplitudeTransform:
            return settings_.amplitudeTransform;
        case CurveId::kEnvelope:
            break;
    }
    return settings_.envelope;
}

void YSignalGenerator::SetCustomTable(const float* values, int32_t count) {
    YScopedLock hold(Lock());
    std::vector<float>& custom = settings_.customTable;
    if (count <= 0) {
        std::fill(custom.begin(), custom.end(), 0.0f);
    } else {
        // Cyclic: the period's end glides back to its first value.
        for (int32_t i = 0; i < kSize; ++i) {
            double position = static_cast<double>(i) * count / kSize;
            int32_t whole = static_cast<int32_t>(position);
            float f = static_cast<float>(position - whole);
            const float value = (1 - f) * values[whole] + f * values[(whole + 1) % count];
            custom[i] = std::isnan(value) ? 0.0f : std::clamp(value, -1.0f, 1.0f);
        }
    }
    changed_.store(true);
}

void YSignalGenerator::RenderLocked() noexcept {
    if (settings_.mode == kHarmonicsMode) {
        RenderHarmonics();
    } else if (settings_.mode == kShapeMode) {
        Compose();
        Transform();
        Normalise();
    } else {
        return;  // an unknown mode leaves the table as it is
    }
    if (settings_.amplitudeTransformEnable) ApplyAmplitudeCurve();
    // Settings from a damaged document can overflow single precision; the effect reads
    // this table on every sample, so it never holds anything but finite values.
    for (int32_t i = 0; i < kSize; ++i)
        if (!std::isfinite(table_[i])) table_[i] = 0.0f;
    table_[kSize] = table_[0];
    renderCount_.fetch_add(1);
}

void YSignalGenerator::RenderHarmonics() noexcept {
    std::fill(bins_.begin(), bins_.end(), std::complex<double>());
    int32_t count = std::clamp(settings_.harmonicsCount, 0, kMaxHarmonics);
    for (int32_t k = 1; k <= count; ++k) {
        float magnitude = settings_.magnitudes[k - 1];
        float amplitude = magnitude * magnitude;
        float angle = 6.2831855f * settings_.phases[k - 1];
        double a = static_cast<double>(amplitude), theta = static_cast<double>(angle);
        bins_[k] = {a * std::cos(theta), -a * std::sin(theta)};
    }
    fft_.Inverse(bins_.data(), synthesis_.data());
    float peak = 0;
    for (int32_t i = 0; i < kSize; ++i) {
        table_[i] = static_cast<float>(synthesis_[i]);
        peak = std::max(peak, std::fabs(table_[i]));
    }
    if (peak > 1e-10f) {
        float scale = 1 / peak;
        for (int32_t i = 0; i < kSize; ++i) table_[i] *= scale;
    }
}

void YSignalGenerator::Compose() noexcept {
    const Settings& s = settings_;
    const double depths[4] = {1, s.envelopeDepth, s.stepDepth, s.customSample ? s.customDepth : 0};
    // A layer at full amount hides everything below it, which is then not computed.
    int top = 0;
    for (int layer = 3; layer > 0; --layer) {
        if (depths[layer] >= 0.99999) {
            top = layer;
            break;
        }
    }
    float* w = work_.data();
    ComputeLayer(top, w);
    for (int layer = top + 1; layer < 4; ++layer) {
        if (!(depths[layer] >= 1e-5)) continue;
        ComputeLayer(layer, layer_.data());
        const float* l = layer_.data();
        float d = static_cast<float>(depths[layer]);
        for (int32_t i = 0; i < kSize; ++i) w[i] = w[i] * (1 - d) + l[i] * d;
    }
}

void YSignalGenerator::ComputeLayer(int layer, float* out) noexcept {
    switch (layer) {
        case 0: {
            double p = settings_.morph;
            p = !(p > 0) ? 0 : std::min(p, 15.0);
            int32_t n = static_cast<int32_t>(p);
            float f = static_cast<float>(p - n);
            if (n >= 15) {
                n = 14;
                f = 1;
            }
            const float* a = YSignalGeneratorTables::Get().Waveform(n);
            const float* b = YSignalGeneratorTables::Get().Waveform(n + 1);
            for (int32_t i = 0; i < kSize; ++i) out[i] = a[i] * (1 - f) + b[i] * f;
            break;
        }
        case 1:
            settings_.envelope.Run(curve_.data(), 0, 1.0 / kSize, kSize);
            for (int32_t i = 0; i < kSize; ++i) out[i] = static_cast<float>(curve_[i]);
            break;
        case 2:
            ComputeSteps(out);
            break;
        default:
            std::memcpy(out, settings_.customTable.data(), kSize * sizeof(float));
            break;
    }
}

void YSignalGenerator::ComputeSteps(float* out) noexcept {
    const Settings& s = settings_;
    // Slots beyond the 32 do not exist; the count is held to them.
    int32_t n = std::clamp(s.stepItemCount, 1, kStepSlots);
    for (int32_t k = 0; k < n; ++k) {
        int32_t begin = static_cast<int32_t>(static_cast<int64_t>(k) * kSize / n);
        int32_t end = static_cast<int32_t>(static_cast<int64_t>(k + 1) * kSize / n);
        int32_t length = end - begin;
        // The amount scales the levels here as well as blending the layer.
        float level = static_cast<float>(s.stepLevels[k] * s.stepDepth);
        int32_t type = std::clamp(s.stepTypes[k], 0, kStepShapeCount - 1);
        float* step = out + begin;
        if (type == 0) {
            std::fill(step, step + length, level);
            continue;
        }
        const float* shape = YSignalGeneratorTables::Get().StepShape(type);
        if (s.stepBaseLowest) {
            // The step rises from -1 instead of from 0.
            for (int32_t j = 0; j < length; ++j) step[j] = shape[j * kStepShapeSize / length] * (level + 1) - 1;
        } else {
            for (int32_t j = 0; j < length; ++j) step[j] = shape[j * kStepShapeSize / length] * level;
        }
    }
}

void YSignalGenerator::Transform() noexcept {
    const Settings& s = settings_;
    float* w = work_.data();
    float* c = copy_.data();
    auto keepCopy = [&] { std::memcpy(c, w, kSize * sizeof(float)); };
    constexpr double kLast = kSize - 1;

    if (Active(s.phase)) {
        double n = std::floor(s.phase * kSize + 0.5);
        if (n < 0) n += kSize;
        if (n >= 1 && n <= kSize - 1) {
            // Later in the period by n samples.
            int32_t shift = static_cast<int32_t>(n);
            keepCopy();
            std::memcpy(w + shift, c, (kSize - shift) * sizeof(float));
            std::memcpy(w, c + (kSize - shift), shift * sizeof(float));
        }
    }
    if (Active(s.skew)) {
        // A cubic time warp through (0, 0), (0.5, 0.5), (1, 1) with slope 3^skew at both ends.
        double slope = std::pow(3.0, s.skew);
        double a3 = 2 * slope - 2, a2 = 3 - 3 * slope;
        keepCopy();
        for (int32_t i = 0; i < kSize; ++i) {
            double x = i / kLast;
            float p = static_cast<float>(((a3 * x + a2) * x + slope) * x);
            w[i] = ReadWrapped(c, static_cast<double>(p) * kLast);
        }
    }
    if (Active(s.fullSkew)) {
        double e = std::pow(10.0, std::fabs(s.fullSkew));
        bool late = s.fullSkew > 0;
        keepCopy();
        for (int32_t i = 0; i < kSize; ++i) {
            double x = i / kLast;
            double r = late ? std::pow(x, e) : 1 - std::pow(1 - x, e);
            w[i] = ReadWrapped(c, r * kLast);
        }
    }
    if (Active(s.halve)) {
        // Held so that neither half is shorter than two samples.
        double split = std::clamp(kSize / 2 + std::trunc(4094 * s.halve), 2.0, kSize - 2.0);
        int32_t at = static_cast<int32_t>(split);
        if (at != kSize / 2) {
            keepCopy();
            Resample(c, kSize / 2, w, at);
            Resample(c + kSize / 2, kSize / 2, w + at, kSize - at);
        }
    }
    bool overtones = false;
    for (double level : s.harmonicLevels) overtones = overtones || Active(level);
    if (overtones) {
        keepCopy();
        for (int32_t m = 2; m < 2 + kShapeHarmonics; ++m) {
            double level = s.harmonicLevels[m - 2];
            if (!Active(level)) continue;
            float g = static_cast<float>(level);
            double offset = std::fmod(s.harmonicPhases[m - 2] * kSize, static_cast<double>(kSize));
            if (!std::isfinite(offset)) offset = 0;
            double whole = std::floor(offset);
            float f = static_cast<float>(offset - whole);
            int64_t base = static_cast<int64_t>(whole);
            if (f == 0) {
                for (int32_t i = 0; i < kSize; ++i) w[i] += g * c[(m * i + base) & kMask];
            } else {
                for (int32_t i = 0; i < kSize; ++i) {
                    int64_t j = (m * i + base) & kMask;
                    w[i] += g * ((1 - f) * c[j] + f * c[(j + 1) & kMask]);
                }
            }
        }
    }
    if (s.transformEnable) {
        s.transform.Run(curve_.data(), 0, 1 / kLast, kSize);
        keepCopy();
        for (int32_t i = 0; i < kSize; ++i) w[i] = ReadWrapped(c, curve_[i] * kSize);
    }
    if (Active(s.smoothness)) smoother_.Apply(w, s.smoothness);
}

void YSignalGenerator::Normalise() noexcept {
    const float* w = work_.data();
    // A nearly silent shape is amplified by at most 10, not to full scale.
    float peak = 0.1f;
    for (int32_t i = 0; i < kSize; ++i)
        if (std::isfinite(w[i])) peak = std::max(peak, std::fabs(w[i]));
    for (int32_t i = 0; i < kSize; ++i) table_[i] = w[i] / peak;
}

void YSignalGenerator::ApplyAmplitudeCurve() noexcept {
    const YEnvelopeComputer& curve = settings_.amplitudeTransform;
    // Smooth segments can overshoot their points; the table stays within the curve's
    // value range so that the effect's frequency mapping gets what it expects.
    const double low = std::min(curve.YMin(), curve.YMax()), high = std::max(curve.YMin(), curve.YMax());
    for (int32_t i = 0; i < kSize; ++i) {
        const double value = curve.Value(static_cast<double>(table_[i]));
        table_[i] = static_cast<float>(std::isnan(value) ? 0.0 : std::clamp(value, low, high));
    }
}
