#pragma once

#include <cmath>

// The saturation curve: below the threshold a straight line, above it a Padé
// approximant of the hyperbolic tangent scaled so that the output reaches exactly 1
// at an input of 1, and 1 beyond. The phaser uses curve 5 with threshold 0, which
// gives q = v (3 + v^2) / (1 + 3 v^2) for |v| < 1: slope 3 at zero, slope 0 at 1.
class SoftClipper {
public:
    static constexpr int kPadeCurve = 5;

    // Curve 5 narrows the range to a third and steepens the input three times.
    void Configure(int curve, double threshold) {
        threshold_ = threshold;
        scale_ = threshold == 1.0 ? 1.0 : 1.0 / (1.0 - threshold);
        range_ = 1.0 - threshold;
        if (curve == kPadeCurve) {
            range_ *= 1.0 / 3.0;
            scale_ *= 3.0;
        }
        gain_ = 1.0 / (Curve(1.0 - threshold) + threshold);
    }

    double Evaluate(double v) const {
        const double a = std::fabs(v);
        double result;
        if (a < threshold_)
            result = a * gain_;
        else if (a < 1.0)
            result = (Curve(a - threshold_) + threshold_) * gain_;
        else
            result = 1.0;
        return v < 0.0 ? -result : result;
    }

    double Threshold() const { return threshold_; }
    double Gain() const { return gain_; }
    double Scale() const { return scale_; }
    double Range() const { return range_; }

private:
    double Curve(double t) const {
        const double z = scale_ * t;
        return range_ * z * (z * z + 27.0) / (9.0 * z * z + 27.0);
    }

    double threshold_ = 0.0;
    double gain_ = 1.0;
    double scale_ = 1.0;
    double range_ = 1.0;
};
