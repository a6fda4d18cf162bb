#pragma once

#include "foundation/YVectorOps.h"
#include "modulation/LfoDeclicker.h"
#include "phaser/SoftClipper.h"
#include "phaser/VortalisAudioEffectPlugin.h"

#include <array>
#include <cmath>
#include <vector>

// A straightforward scalar phaser, written from the formulas one channel and one
// sample at a time: the reference the fast path is held against. It reads the
// parameter values of a real phaser (and its shape table) but keeps all of its own
// processing state, so that it checks the parameter update too.
class ReferencePhaser {
public:
    using P = VortalisAudioEffectPlugin;

    void Prepare(int channels, double rate) {
        channels_ = channels;
        rate_ = rate;
        phase_ = 0.0;
        memories_ = {};
        last_ = {};
        active_ = 0;
        for (LfoDeclicker& declicker : declickers_) declicker.Reset(rate);
        clipper_.Configure(SoftClipper::kPadeCurve, 0.0);
    }

    void Update(P& phaser) {
        const double f = phaser.Definition(P::kFeedback).EffectiveValue();
        feedback_ = phaser.Definition(P::kInvertFeedback).EffectiveValue() >= 0.5 ? -(f * f) : f * f;
        const int stages = static_cast<int>(std::lround(phaser.Definition(P::kMode).EffectiveValue()));
        for (int c = 0; c < channels_; ++c)
            for (int k = active_; k < stages; ++k) memories_[c][k] = 0.0;
        active_ = stages;
        const double p = phaser.Definition(P::kPhaseDifference).EffectiveValue();
        for (int c = 1; c < 8; ++c) offsets_[c] = offsets_[c - 1] + (p + 1.0);
        increment_ = std::pow(10.0, phaser.Definition(P::kRate).EffectiveValue()) / rate_;
        saturation_ = phaser.Definition(P::kSaturation).EffectiveValue();
    }

    void Process(P& phaser, float** in, float** out, int count) {
        double w1 = phaser.Definition(P::kDryWet).value, w0 = smoothedDryWet_;
        double start = w1, step = 0.0;
        if (std::fabs(w1 - w0) >= 1e-50) {
            start = w0;
            step = (w1 - w0) / count;
            smoothedDryWet_ = w1;
        }
        const int mode = static_cast<int>(std::lround(phaser.Definition(P::kShapeMode).EffectiveValue()));
        double lo = phaser.Definition(P::kMinFrequency).EffectiveValue(), hi = phaser.Definition(P::kMaxFrequency).EffectiveValue();
        if (mode != 2) {
            lo = std::pow(10.0, lo) * 2.0 / rate_;
            hi = std::pow(10.0, hi) * 2.0 / rate_;
        }
        std::vector<float> curve(static_cast<std::size_t>(count));
        for (int c = 0; c < channels_; ++c) {
            double phi = phase_ + offsets_[c];
            for (int i = 0; i < count; ++i) {
                curve[i] = static_cast<float>(phaser.Shape().Lookup(phi));
                phi += increment_;
            }
            // The phaser's own query of the block (it takes the shape's changed state).
            if (phaser.ShapeChangedThisBlock()) declickers_[c].Trigger();
            declickers_[c].Run(curve.data(), count);
            for (int i = 0; i < count; ++i) {
                float x = curve[i];
                if (mode == 1) {
                    x = x + 1.0f;
                    x = x * 0.5f;
                    x = x * x;
                    x = x * static_cast<float>(hi - lo);
                    x = x + static_cast<float>(lo);
                } else {
                    x = x * static_cast<float>((hi - lo) * 0.5);
                    x = x + static_cast<float>(lo + (hi - lo) * 0.5);
                    if (mode == 2) {
                        x = x * 2.3025851f;
                        YVectorOps::Exp(&x, 1);  // the product's exponential, held against std::exp on its own
                        x = x * static_cast<float>(2.0 / rate_);
                    }
                }
                curve[i] = x;
            }
            double wet = start;
            for (int i = 0; i < count; ++i) {
                const double u = static_cast<double>(in[c][i]) + static_cast<double>(1e-15f);
                double v = u + feedback_ * last_[c];
                const double w = curve[i];
                const double a = (1.0 - w) / (1.0 + w);
                for (int k = 0; k < active_; ++k) {
                    const double y = memories_[c][k] - a * v;
                    const double s = y * a + v;
                    memories_[c][k] = s < -10.0 ? -10.0 : s > 10.0 ? 10.0 : s;
                    v = y;
                }
                last_[c] = v;
                const double q = clipper_.Evaluate(v);
                const double saturated = saturation_ * (q + 1.0 * ((q - v) * (q - v))) + (1.0 - saturation_) * v;
                out[c][i] = static_cast<float>(saturated * wet + (1.0 - wet) * u);
                wet += step;
            }
        }
        phase_ = std::fmod(phase_ + count * increment_, 1.0);
    }

    double smoothedDryWet_ = 0.0;

private:
    int channels_ = 0;
    double rate_ = 0.0;
    double phase_ = 0.0;
    double increment_ = 0.0;
    double feedback_ = 0.0;
    double saturation_ = 0.0;
    int active_ = 0;
    std::array<double, 8> offsets_{};
    std::array<std::array<double, 100>, 8> memories_{};
    std::array<double, 8> last_{};
    std::array<LfoDeclicker, 8> declickers_{};
    SoftClipper clipper_;
};
