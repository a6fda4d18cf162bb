#include "engine/YValueTypes.h"

#include "foundation/YFormat.h"

#include <cmath>

namespace {

// The text with a trailing unit word removed (compared without case), trimmed.
YString WithoutSuffix(const YString& text, const YString& suffix, bool* found = nullptr) {
    YString trimmed = text.Trimmed();
    bool has = trimmed.Length() >= suffix.Length() &&
               YString::EqualsNoCase(trimmed.Substring(trimmed.Length() - suffix.Length()), suffix);
    if (found) *found = has;
    return has ? trimmed.Substring(0, trimmed.Length() - suffix.Length()).Trimmed() : trimmed;
}

double RoundHalfUp(double value) { return std::floor(value + 0.5); }

}  // namespace

YString YValueNumber::Text(double value) const { return YFormat("{0;.2}").Arg(value); }
bool YValueNumber::Parse(const YString& text, double& value) const { return TryToDouble(text.Trimmed(), value); }

YString YValuePercents::Text(double value) const {
    return YFormat(std::fabs(value) < 0.01 ? YString("{0.2}%") : YString("{0.1}%")).Arg(value * 100.0);
}

bool YValuePercents::Parse(const YString& text, double& value) const {
    double percent;
    if (!TryToDouble(WithoutSuffix(text, "%"), percent)) return false;
    value = percent / 100.0;
    return true;
}

YString YValueVolume::Text(double value) const {
    if (std::fabs(value) < 1e-50) return "silence";
    double decibels = 20.0 * std::log10(std::fabs(value));
    return YFormat(std::fabs(decibels) < 10.0 ? YString("{0;.2} dB") : YString("{0;.1} dB")).Arg(decibels);
}

bool YValueVolume::Parse(const YString& text, double& value) const {
    if (YString::EqualsNoCase(text.Trimmed(), "silence")) {
        value = 0.0;
        return true;
    }
    double decibels;
    if (!TryToDouble(WithoutSuffix(text, "dB"), decibels)) return false;
    value = std::pow(10.0, decibels / 20.0);
    return true;
}

YString YValueTimeMS::Text(double value) const {
    if (std::fabs(value) < 1e-50) return "0 ms";
    const double ms = value * 1000.0, magnitude = std::fabs(value);
    if (magnitude < 0.0001) return YFormat("{0;.3} ms").Arg(ms);
    if (magnitude < 0.001) return YFormat("{0;.2} ms").Arg(ms);
    if (magnitude < 0.01) return YFormat("{0;.1} ms").Arg(ms);
    return YFormat("{0} ms").Arg(static_cast<int64_t>(RoundHalfUp(ms)));
}

bool YValueTimeMS::Parse(const YString& text, double& value) const {
    bool milliseconds = false, seconds = false;
    YString number = WithoutSuffix(text, "ms", &milliseconds);
    if (!milliseconds) number = WithoutSuffix(text, "s", &seconds);
    double amount;
    if (!TryToDouble(number, amount)) return false;
    value = seconds ? amount : amount / 1000.0;
    return true;
}

YString YValuePan::Text(double value) const {
    if (std::fabs(value) < 1e-50) return "center";
    if (value < 0.0) return YFormat("{0}% left").Arg(static_cast<int64_t>(-value * 100.0));
    return YFormat("{0}% right").Arg(static_cast<int64_t>(value * 100.0));
}

bool YValuePan::Parse(const YString& text, double& value) const {
    if (YString::EqualsNoCase(text.Trimmed(), "center")) {
        value = 0.0;
        return true;
    }
    bool left = false, right = false;
    YString number = WithoutSuffix(text, "left", &left);
    if (!left) number = WithoutSuffix(text, "right", &right);
    double percent;
    if (!TryToDouble(WithoutSuffix(number, "%"), percent)) return false;
    value = (left ? -percent : percent) / 100.0;
    return true;
}

YString HertzText(double hertz) {
    const double magnitude = std::fabs(hertz);
    if (magnitude < 1e-5) return "0 Hz";
    if (hertz < 1.0) return YFormat("{0;.4} Hz").Arg(hertz);
    if (hertz < 10.0) return YFormat("{0;.2} Hz").Arg(hertz);
    if (hertz < 100.0) return YFormat("{0;.1} Hz").Arg(hertz);
    if (hertz < 10000.0) return YFormat("{0} Hz").Arg(static_cast<int64_t>(RoundHalfUp(hertz)));
    return YFormat("{0;.1} kHz").Arg(hertz / 1000.0);
}

bool ParseHertz(const YString& text, double& hertz) {
    bool kilo = false, plain = false;
    YString number = WithoutSuffix(text, "kHz", &kilo);
    if (!kilo) number = WithoutSuffix(text, "k", &kilo);
    if (!kilo) number = WithoutSuffix(text, "Hz", &plain);
    double amount;
    if (!TryToDouble(number, amount)) return false;
    hertz = kilo ? amount * 1000.0 : amount;
    return true;
}

YString YValueFrequencyLog::Text(double value) const { return HertzText(std::pow(10.0, value)); }

bool YValueFrequencyLog::Parse(const YString& text, double& value) const {
    double hertz;
    if (!ParseHertz(text, hertz) || hertz <= 0.0) return false;
    value = std::log10(hertz);
    return true;
}

YValueFrequency::YValueFrequency(double lowestHz, double highestHz)
    : YValueFrequencyLog(std::log10(lowestHz), std::log10(highestHz)) {}

YString YValueFrequencyLinear::Text(double value) const { return HertzText(value); }
bool YValueFrequencyLinear::Parse(const YString& text, double& value) const { return ParseHertz(text, value); }

YString YValueStepDouble::Text(double value) const {
    int decimals = 0;
    for (double s = step; decimals < 9 && s > 0.0 && std::fabs(s - std::round(s)) > 1e-9; s *= 10.0) ++decimals;
    YFormatField field;
    field.precision = decimals;
    return FormatDouble(step > 0.0 ? RoundHalfUp(value / step) * step : value, field);
}

bool YValueStepDouble::Parse(const YString& text, double& value) const {
    if (!TryToDouble(text.Trimmed(), value)) return false;
    if (step > 0.0) value = RoundHalfUp(value / step) * step;
    return true;
}

YString YValuePitch::Text(double value) const { return YFormat("{0;+.2} st").Arg(value); }

bool YValuePitch::Parse(const YString& text, double& value) const {
    return TryToDouble(WithoutSuffix(text, "st"), value);
}

YString YValueEnum::Text(double value) const {
    const int64_t index = static_cast<int64_t>(RoundHalfUp(value));
    return index >= 0 && index < count ? names[index] : YString();
}

bool YValueEnum::Parse(const YString& text, double& value) const {
    const YString trimmed = text.Trimmed();
    for (int32_t i = 0; i < count; ++i) {
        if (YString::EqualsNoCase(names[i], trimmed)) {
            value = i;
            return true;
        }
    }
    return false;
}
