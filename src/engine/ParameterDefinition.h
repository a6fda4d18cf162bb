#pragma once

#include "foundation/YRelaxed.h"
#include "foundation/YString.h"

#include <array>
#include <cstdint>

struct ParameterDefinition;

// A parameter's own text rules, replacing the built-in ones in both directions.
struct ParameterConverter {
    YString (*format)(const ParameterDefinition& definition, double value);
    // Reads typed text into a value in the parameter's units; false when it cannot.
    bool (*parse)(const ParameterDefinition& definition, const YString& text, double& value);
};

enum class ParameterKind : int32_t {
    Float = 1,
    Integer = 2,
    Enumeration = 3,
    Boolean = 4,
    ExternalBoolean = 5,  // a switch whose value lives in another object
    External = 6,         // a special parameter whose value lives in another object
    Text = 7,
};

enum class ParameterShape : int32_t { Linear = 0, Squared = 1, FourthPower = 2 };

// One effect parameter: identity, range, default, current value, response curve and
// display rules. The effect owns a fixed array of them. Values may be written from
// any thread and are read by the audio thread without a lock.
struct ParameterDefinition {
    // Flag bits as (byte, bit).
    static constexpr int kReportedBit = 3;     // byte 0: reported by the parameter's flag query
    static constexpr int kAlternateBit = 4;    // byte 0: writes go to the alternate slot
    static constexpr int kMarksDirtyBit = 5;   // byte 0: a change marks the settings as changed
    static constexpr int kRandomizableBit = 6; // byte 0: takes part in random settings
    static constexpr int kEnabledBit = 2;      // byte 1: the parameter is enabled
    static constexpr int kWholeNumbersBit = 6; // byte 1: rounded to whole numbers after randomising
    // A new record: bits 0, 5, 6 of byte 0, bits 0, 2 of byte 1, bit 2 of byte 2.
    static constexpr std::array<uint8_t, 4> kDefaultFlags = {0x61, 0x05, 0x04, 0x00};

    std::array<YRelaxed<uint8_t>, 4> flags{kDefaultFlags[0], kDefaultFlags[1], kDefaultFlags[2], kDefaultFlags[3]};
    ParameterKind kind = ParameterKind::Float;
    YString name;
    YString id;
    YString help;
    YString furtherText1;
    YString furtherText2;
    const ParameterConverter* converter = nullptr;
    YString format;
    int32_t formatMode = 0;
    double minimum = 0.0;
    double maximum = 1.0;
    double defaultValue = 0.0;
    YRelaxed<double> value = 0.0;
    YRelaxed<double> alternateValue = 0.0;
    YRelaxed<double> smoothedValue = 0.0;
    YString text;
    ParameterShape shape = ParameterShape::Linear;
    const YString* enumNames = nullptr;
    int32_t enumCount = 0;
    uint32_t furtherWord = 0;  // a word the effect may set; no text rule reads it

    bool Flag(int byte, int bit) const { return (flags[byte].Load() >> bit & 1) != 0; }
    void SetFlag(int byte, int bit, bool on);

    bool Alternate() const { return Flag(0, kAlternateBit); }
    // Switching the alternate slot on copies the value into it.
    void SetAlternate(bool on);
    bool MarksDirty() const { return Flag(0, kMarksDirtyBit); }
    bool Randomizable() const { return Flag(0, kRandomizableBit); }
    bool Enabled() const { return Flag(1, kEnabledBit); }

    // The value the effect uses: the alternate slot while it is switched on.
    double EffectiveValue() const { return Alternate() ? alternateValue.Load() : value.Load(); }
    // Stores into the slot that writes go to.
    void Write(double newValue);

    // Normalised 0..1 position of a value, with the response curve.
    double Normalise(double plain) const;
    // Value of a normalised position, rounded and limited as the kind requires.
    double Denormalise(double normalised) const;
    // The normalised default, without the response curve.
    double NormalisedDefault() const;

    // Draws a new value from the program-wide generator: anywhere in the range when
    // amount is 1, else up to amount of the range (of the item count) away from the
    // current value; booleans draw a bit when amount >= 0.5. A float is then rounded to
    // a whole number when the definition asks for it, and every result is held to the
    // range. Kinds whose value lives elsewhere keep it; every kind uses one draw.
    void Randomise(double amount);

    // Display text of a value by the kind's rules.
    YString TextOf(double plain) const;
    // Reads typed text into a value in the parameter's units.
    bool Parse(const YString& typed, double& plain) const;
    YString EnumName(int32_t index) const;
};

// Constructors for the common kinds, so that an effect's table reads as a table.
ParameterDefinition FloatParameter(const YString& name, const YString& id, double minimum, double maximum,
                                   double defaultValue, const YString& help = YString());
ParameterDefinition IntegerParameter(const YString& name, const YString& id, int32_t minimum, int32_t maximum,
                                     int32_t defaultValue, const YString& help = YString());
ParameterDefinition EnumParameter(const YString& name, const YString& id, const YString* names, int32_t count,
                                  int32_t defaultIndex, const YString& help = YString());
ParameterDefinition BooleanParameter(const YString& name, const YString& id, bool defaultValue,
                                     const YString& help = YString());
