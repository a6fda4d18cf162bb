#include "engine/ParameterDefinition.h"

#include "foundation/YFormat.h"
#include "foundation/YRandom.h"

#include <algorithm>
#include <cmath>

void ParameterDefinition::SetFlag(int byte, int bit, bool on) {
    uint8_t bits = flags[byte].Load();
    bits = on ? static_cast<uint8_t>(bits | (1u << bit)) : static_cast<uint8_t>(bits & ~(1u << bit));
    flags[byte].Store(bits);
}

void ParameterDefinition::SetAlternate(bool on) {
    if (on && !Alternate()) alternateValue.Store(value.Load());
    SetFlag(0, kAlternateBit, on);
}

void ParameterDefinition::Write(double newValue) {
    if (Alternate())
        alternateValue.Store(newValue);
    else
        value.Store(newValue);
}

double ParameterDefinition::Normalise(double plain) const {
    switch (kind) {
        case ParameterKind::Float: {
            double span = maximum - minimum;
            double x = span != 0.0 ? std::clamp((plain - minimum) / span, 0.0, 1.0) : 0.0;
            if (shape == ParameterShape::Squared) return std::sqrt(x);
            if (shape == ParameterShape::FourthPower) return std::sqrt(std::sqrt(x));
            return x;
        }
        case ParameterKind::Integer: {
            double span = maximum - minimum;
            return span != 0.0 ? std::clamp((plain - minimum) / span, 0.0, 1.0) : 0.0;
        }
        case ParameterKind::Enumeration:
            return enumCount > 1 ? std::clamp(plain / (enumCount - 1), 0.0, 1.0) : 0.0;
        case ParameterKind::Boolean:
        case ParameterKind::ExternalBoolean: return plain >= 0.5 ? 1.0 : 0.0;
        default: return 0.0;
    }
}

double ParameterDefinition::Denormalise(double normalised) const {
    const double x = std::clamp(normalised, 0.0, 1.0);
    switch (kind) {
        case ParameterKind::Float: {
            double y = shape == ParameterShape::Squared ? x * x : shape == ParameterShape::FourthPower ? x * x * x * x : x;
            return minimum + (maximum - minimum) * y;
        }
        case ParameterKind::Integer: return std::floor(minimum + (maximum - minimum) * x + 0.5);
        case ParameterKind::Enumeration: {
            // The equal-width bin x falls into.
            double index = std::floor(enumCount * x);
            return std::clamp(index, 0.0, static_cast<double>(std::max(enumCount - 1, 0)));
        }
        case ParameterKind::Boolean:
        case ParameterKind::ExternalBoolean: return x >= 0.5 ? 1.0 : 0.0;
        default: return 0.0;
    }
}

void ParameterDefinition::Randomise(double amount) {
    const uint32_t seed = YRandom::NextSeed();
    const double u = static_cast<double>((seed >> 16) & 0x7FFF) / 32767.0;
    const bool full = std::fabs(amount - 1.0) < 1e-50;
    const double current = Alternate() ? alternateValue.Load() : value.Load();
    double result;
    switch (kind) {
        case ParameterKind::Float: {
            const double x = full ? u : std::clamp(Normalise(current) + (2.0 * u - 1.0) * amount, 0.0, 1.0);
            result = Denormalise(x);
            if (Flag(1, kWholeNumbersBit)) result = std::floor(result + 0.5);
            result = std::clamp(result, std::min(minimum, maximum), std::max(minimum, maximum));
            break;
        }
        case ParameterKind::Integer: {
            const double span = maximum - minimum;
            result = std::floor((full ? minimum + u * span : current + (2.0 * u - 1.0) * amount * span) + 0.5);
            result = std::clamp(result, std::min(minimum, maximum), std::max(minimum, maximum));
            break;
        }
        case ParameterKind::Enumeration: {
            if (enumCount < 1) return;
            result = full ? std::floor(u * enumCount) : std::floor(current + (2.0 * u - 1.0) * amount * enumCount + 0.5);
            result = std::clamp(result, 0.0, static_cast<double>(enumCount - 1));
            break;
        }
        case ParameterKind::Boolean:
            if (amount < 0.5) return;
            result = (seed >> 16) & 1 ? 1.0 : 0.0;
            break;
        default: return;
    }
    Write(result);
}

double ParameterDefinition::NormalisedDefault() const {
    switch (kind) {
        case ParameterKind::Float:
        case ParameterKind::Integer: {
            double span = maximum - minimum;
            return span != 0.0 ? (defaultValue - minimum) / span : 0.0;
        }
        case ParameterKind::Enumeration: return enumCount > 1 ? defaultValue / (enumCount - 1) : 0.0;
        default: return 0.5;
    }
}

YString ParameterDefinition::EnumName(int32_t index) const {
    if (enumNames == nullptr || index < 0 || index >= enumCount) return YString();
    return enumNames[index];
}

YString ParameterDefinition::TextOf(double plain) const {
    if (converter) return converter->format(*this, plain);
    const bool whole = kind == ParameterKind::Integer || kind == ParameterKind::Enumeration;
    if (formatMode != 0) {
        if (whole) return YFormat(format).Arg(static_cast<int64_t>(std::lround(plain)));
        return YFormat(format).Arg(plain);
    }
    switch (kind) {
        case ParameterKind::Float: return YFormat("{0;.6}").Arg(plain);
        case ParameterKind::Integer: return YFormat("{0}").Arg(static_cast<int64_t>(std::lround(plain)));
        case ParameterKind::Enumeration: return EnumName(static_cast<int32_t>(std::lround(plain)));
        case ParameterKind::Boolean:
        case ParameterKind::ExternalBoolean: return plain >= 0.5 ? YString("on") : YString("off");
        case ParameterKind::Text: return text;
        default: return YString();
    }
}

bool ParameterDefinition::Parse(const YString& typed, double& plain) const {
    if (converter) return converter->parse(*this, typed, plain);
    const YString trimmed = typed.Trimmed();
    switch (kind) {
        case ParameterKind::Float: return TryToDouble(trimmed, plain);
        case ParameterKind::Integer: {
            double number;
            if (!TryToDouble(trimmed, number)) return false;
            plain = std::floor(number + 0.5);
            return true;
        }
        case ParameterKind::Enumeration: {
            for (int32_t i = 0; i < enumCount; ++i) {
                if (YString::EqualsNoCase(enumNames[i], trimmed)) {
                    plain = i;
                    return true;
                }
            }
            double number;
            if (!TryToDouble(trimmed, number)) return false;
            plain = std::floor(number + 0.5);
            return true;
        }
        case ParameterKind::Boolean:
        case ParameterKind::ExternalBoolean: {
            static const YString kOn[] = {"on", "true", "yes"};
            static const YString kOff[] = {"off", "false", "no"};
            for (int i = 0; i < 3; ++i) {
                if (YString::EqualsNoCase(trimmed, kOn[i]) || YString::EqualsNoCase(trimmed, kOff[i])) {
                    plain = YString::EqualsNoCase(trimmed, kOn[i]) ? 1.0 : 0.0;
                    return true;
                }
            }
            double number;
            if (!TryToDouble(trimmed, number)) return false;
            plain = number >= 0.5 ? 1.0 : 0.0;
            return true;
        }
        default: return false;
    }
}

namespace {
ParameterDefinition Named(const YString& name, const YString& id, const YString& help) {
    ParameterDefinition definition;
    definition.name = name;
    definition.id = id;
    definition.help = help;
    return definition;
}
}  // namespace

ParameterDefinition FloatParameter(const YString& name, const YString& id, double minimum, double maximum,
                                   double defaultValue, const YString& help) {
    ParameterDefinition d = Named(name, id, help);
    d.kind = ParameterKind::Float;
    d.minimum = minimum;
    d.maximum = maximum;
    d.defaultValue = defaultValue;
    d.value = d.alternateValue = d.smoothedValue = defaultValue;
    return d;
}

ParameterDefinition IntegerParameter(const YString& name, const YString& id, int32_t minimum, int32_t maximum,
                                     int32_t defaultValue, const YString& help) {
    ParameterDefinition d = FloatParameter(name, id, minimum, maximum, defaultValue, help);
    d.kind = ParameterKind::Integer;
    return d;
}

ParameterDefinition EnumParameter(const YString& name, const YString& id, const YString* names, int32_t count,
                                  int32_t defaultIndex, const YString& help) {
    ParameterDefinition d = FloatParameter(name, id, 0, count - 1, defaultIndex, help);
    d.kind = ParameterKind::Enumeration;
    d.enumNames = names;
    d.enumCount = count;
    return d;
}

ParameterDefinition BooleanParameter(const YString& name, const YString& id, bool defaultValue, const YString& help) {
    ParameterDefinition d = FloatParameter(name, id, 0, 1, defaultValue ? 1 : 0, help);
    d.kind = ParameterKind::Boolean;
    return d;
}
