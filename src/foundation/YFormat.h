#pragma once

#include "foundation/YException.h"
#include "foundation/YString.h"

#include <array>
#include <concepts>
#include <cstdint>
#include <memory>

// One "{...}" argument field of a format or scan pattern.
struct YFormatField {
    int index = 0;  // argument slot; outside 0..31 the argument field has no slot
    bool hexadecimal = false;
    bool plus = false;
    int width = 0;
    char16_t fill = u' ';
    int precision = 4;
};

// Walks a pattern, handing literal characters and argument fields to the caller in
// order ("{{" is a literal "{"; "}" is dropped and the character after it taken
// literally). Raises the unfinished-format error when the pattern stops inside a field.
template <typename OnLiteral, typename OnSpec>
void ParseFormatPattern(const YString& pattern, OnLiteral&& onLiteral, OnSpec&& onField);

// The formatter: literal text with argument fields in braces; arguments are
// appended in index order and each is inserted where its argument field stood.
// Copies share one compiled state, so a formatter may be passed along by value.
class YFormat {
public:
    static constexpr int kSlots = 32;

    explicit YFormat(const YString& format);

    YFormat& Arg(const YString& text);
    YFormat& Arg(double value);
    template <std::signed_integral T>
    YFormat& Arg(T value) {
        return ArgSigned(static_cast<int64_t>(value));
    }
    template <std::unsigned_integral T>
        requires(!std::same_as<T, bool>)
    YFormat& Arg(T value) {
        return ArgUnsigned(static_cast<uint64_t>(value));
    }

    YString Result() const { return state_->result; }
    operator YString() const { return Result(); }

private:
    struct Slot {
        int32_t position = -1;  // -1: the format does not name this index
        int32_t rank = 0;
        YFormatField field;
    };
    struct State {
        YString result;
        std::array<Slot, kSlots> slots;
        int next = 0;
    };

    YFormat& ArgSigned(int64_t value);
    YFormat& ArgUnsigned(uint64_t value);
    YFormat& Insert(const YString& text);
    const YFormatField* NextField() const;

    std::shared_ptr<State> state_;
};

// Integer text by the format rules: digits padded to the width with the fill, a
// minus sign in front of the fill, "+" in front of everything with the plus option.
YString FormatInteger(uint64_t magnitude, bool negative, bool positive, const YFormatField& field);
// Double text: %.pf below 10 decimals, %.pg from 10 on (always with a decimal point,
// whatever locale the host runs in); "+" for values above 1e-20 with the plus option.
YString FormatDouble(double value, const YFormatField& field);

// "{0} min, {1} sec", "{0} hours, {1} min" or "{0} days, {1} hours".
YString FormatDuration(int64_t seconds);

template <typename OnLiteral, typename OnSpec>
void ParseFormatPattern(const YString& pattern, OnLiteral&& onLiteral, OnSpec&& onField) {
    const uint32_t length = pattern.Length();
    auto isDigit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    auto readNumber = [&](uint32_t& i, uint32_t maxCharacters) {
        int value = 0;
        uint32_t limit = i + maxCharacters < length ? i + maxCharacters : length;
        while (i < limit && isDigit(pattern[i])) value = value * 10 + (pattern[i++] - u'0');
        return value;
    };
    uint32_t i = 0;
    while (i < length) {
        char16_t c = pattern[i];
        if (c == u'}') {
            if (++i < length) onLiteral(pattern[i++]);
            continue;
        }
        if (c != u'{') {
            onLiteral(c);
            ++i;
            continue;
        }
        if (i + 1 < length && pattern[i + 1] == u'{') {
            onLiteral(u'{');
            i += 2;
            continue;
        }
        ++i;
        YFormatField field;
        uint32_t indexEnd = i + 3 < length ? i + 3 : length;
        bool negative = i < indexEnd && pattern[i] == u'-';
        if (negative) ++i;
        field.index = readNumber(i, indexEnd - i);
        if (negative) field.index = -field.index;  // "{-0}" is argument 0
        for (;;) {
            if (i >= length) throw YException(YString("Formatting string ends in an argument speci" "fication."));
            char16_t option = pattern[i++];
            if (option == u'}') break;
            switch (option) {
                case u'x': field.hexadecimal = true; break;
                case u'+': field.plus = true; break;
                case u'0':
                case u' ':
                    field.fill = option;
                    field.width = readNumber(i, 2);
                    break;
                case u'.': field.precision = readNumber(i, 2); break;
                default: break;
            }
        }
        onField(field);
    }
}
