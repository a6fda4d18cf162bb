#pragma once

#include "foundation/YString.h"

#include <cstdint>
#include <functional>

// What a value control edits: one number as a normalised 0..1 position, its text both
// ways, its default, and the edit gesture around a change (the plug-in's parameters
// tell the host when a gesture begins and ends, so that automation records it).
class YValueModel {
public:
    virtual ~YValueModel() = default;

    virtual double Get() const = 0;
    virtual void BeginEdit() {}
    // A change inside a gesture.
    virtual void Set(double normalised) = 0;
    virtual void EndEdit() {}
    virtual YString Text(double normalised) const = 0;
    // Typed text to a normalised position; false when the text cannot be read.
    virtual bool Parse(const YString& text, double& normalised) const = 0;
    virtual double Default() const = 0;
    // The number of distinct values (an item list, whole numbers); 0 when continuous.
    virtual int32_t Steps() const { return 0; }

    // One change as a gesture of its own.
    void Change(double normalised) {
        BeginEdit();
        Set(normalised);
        EndEdit();
    }
};

// A value in its own units between a minimum and a maximum, read and written through
// functions: for settings that are not host parameters (the LFO shape's).
class YFunctionValue : public YValueModel {
public:
    double minimum = 0.0;
    double maximum = 1.0;
    double defaultValue = 0.0;
    int32_t steps = 0;                           // whole steps between minimum and maximum
    std::function<double()> read;                // the value in its own units
    std::function<void(double)> write;
    std::function<YString(double)> format;       // value to text; a plain number when empty
    std::function<void(bool)> gesture;           // true at the start of an edit, false at its end

    double Get() const override;
    void BeginEdit() override {
        if (gesture) gesture(true);
    }
    void Set(double normalised) override;
    void EndEdit() override {
        if (gesture) gesture(false);
    }
    YString Text(double normalised) const override;
    // A number in the value's units; a trailing "%" divides it by 100.
    bool Parse(const YString& text, double& normalised) const override;
    double Default() const override { return Normalise(defaultValue); }
    int32_t Steps() const override { return steps; }

    double Normalise(double value) const;
    double Plain(double normalised) const;
};
