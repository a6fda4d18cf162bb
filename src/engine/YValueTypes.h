#pragma once

#include "foundation/YString.h"

#include <cstdint>

// The display and editing vocabulary shared by parameters and editor controls: each
// type knows its range and turns a value into text and typed text back into a value.
// A type that shows a normalised position first maps it onto its range.
class YValueNumber {
public:
    YValueNumber(double low = 0.0, double high = 1.0) : minimum(low), maximum(high) {}
    virtual ~YValueNumber() = default;

    virtual YString Text(double value) const;
    // Reads typed text; false when it holds no value of this type.
    virtual bool Parse(const YString& text, double& value) const;
    YString TextAtPosition(double position) const { return Text(minimum + (maximum - minimum) * position); }

    double minimum;
    double maximum;
};

// A fraction shown in per cent: 0.005 reads 0.50%, 0.5 reads 50.0%.
class YValuePercents : public YValueNumber {
public:
    using YValueNumber::YValueNumber;
    YString Text(double value) const override;
    bool Parse(const YString& text, double& value) const override;
};

// A linear gain shown in decibels, or "silence".
class YValueVolume : public YValueNumber {
public:
    using YValueNumber::YValueNumber;
    YString Text(double value) const override;
    bool Parse(const YString& text, double& value) const override;
};

// Seconds shown in milliseconds.
class YValueTimeMS : public YValueNumber {
public:
    using YValueNumber::YValueNumber;
    YString Text(double value) const override;
    bool Parse(const YString& text, double& value) const override;
};

// -1..1 shown as "25% left", "center", "40% right".
class YValuePan : public YValueNumber {
public:
    YValuePan() : YValueNumber(-1.0, 1.0) {}
    YString Text(double value) const override;
    bool Parse(const YString& text, double& value) const override;
};

// A frequency whose value is its base-10 logarithm: the range is given in hertz and
// stored as logarithms, so positions are spread evenly in pitch.
class YValueFrequencyLog : public YValueNumber {
public:
    using YValueNumber::YValueNumber;
    YString Text(double value) const override;
    bool Parse(const YString& text, double& value) const override;
};

class YValueFrequency : public YValueFrequencyLog {
public:
    YValueFrequency(double lowestHz, double highestHz);
};

// A frequency in hertz.
class YValueFrequencyLinear : public YValueNumber {
public:
    using YValueNumber::YValueNumber;
    YString Text(double value) const override;
    bool Parse(const YString& text, double& value) const override;
};

// A number kept on a grid of steps, shown with as many decimals as the step needs.
class YValueStepDouble : public YValueNumber {
public:
    YValueStepDouble(double low, double high, double grid) : YValueNumber(low, high), step(grid) {}
    YString Text(double value) const override;
    bool Parse(const YString& text, double& value) const override;
    double step;
};

// A pitch offset in semitones.
class YValuePitch : public YValueNumber {
public:
    using YValueNumber::YValueNumber;
    YString Text(double value) const override;
    bool Parse(const YString& text, double& value) const override;
};

// An index into a list of names.
class YValueEnum : public YValueNumber {
public:
    YValueEnum(const YString* itemNames, int32_t itemCount)
        : YValueNumber(0.0, itemCount - 1), names(itemNames), count(itemCount) {}
    YString Text(double value) const override;
    bool Parse(const YString& text, double& value) const override;
    const YString* names;
    int32_t count;
};

// The hertz display rule: "0 Hz", 4 decimals below 1 Hz, 2 below 10, 1 below 100,
// whole hertz below 10 kHz, then kilohertz with one decimal.
YString HertzText(double hertz);
// Reads "440", "440 Hz", "12.0 kHz" or "12k" into hertz.
bool ParseHertz(const YString& text, double& hertz);
