#include "foundation/YFormat.h"

#include <charconv>
#include <cmath>

YFormat::YFormat(const YString& format) : state_(std::make_shared<State>()) {
    State& state = *state_;
    // Compiling copies the literal text and records, per argument index, where its
    // value goes and its rank among the argument fields at that same position.
    int32_t lastPosition = -1, specsAtLastPosition = 0;
    ParseFormatPattern(
        format, [&](char16_t c) { state.result.Append(c); },
        [&](const YFormatField& field) {
            int32_t position = static_cast<int32_t>(state.result.Length());
            if (position != lastPosition) {
                lastPosition = position;
                specsAtLastPosition = 0;
            }
            int32_t rank = specsAtLastPosition++;
            if (field.index < 0 || field.index >= kSlots) return;
            state.slots[field.index] = Slot{position, rank, field};
        });
}

const YFormatField* YFormat::NextField() const {
    if (state_->next >= kSlots || state_->slots[state_->next].position < 0) return nullptr;
    return &state_->slots[state_->next].field;
}

YFormat& YFormat::Insert(const YString& text) {
    State& state = *state_;
    int index = state.next++;
    if (index >= kSlots) return *this;
    const Slot& slot = state.slots[index];
    if (slot.position < 0) return *this;
    uint32_t at = std::min<uint32_t>(static_cast<uint32_t>(slot.position), state.result.Length());
    state.result.Insert(at, text);
    int32_t inserted = static_cast<int32_t>(text.Length());
    for (int later = index + 1; later < kSlots; ++later) {
        Slot& other = state.slots[later];
        if (other.position < 0) continue;
        if (other.position > slot.position || (other.position == slot.position && other.rank > slot.rank))
            other.position += inserted;
    }
    return *this;
}

YFormat& YFormat::Arg(const YString& text) { return Insert(text); }

YFormat& YFormat::Arg(double value) {
    const YFormatField* field = NextField();
    return Insert(field ? FormatDouble(value, *field) : YString());
}

YFormat& YFormat::ArgSigned(int64_t value) {
    const YFormatField* field = NextField();
    if (field == nullptr) return Insert(YString());
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    return Insert(FormatInteger(magnitude, value < 0, value > 0, *field));
}

YFormat& YFormat::ArgUnsigned(uint64_t value) {
    const YFormatField* field = NextField();
    if (field == nullptr) return Insert(YString());
    return Insert(FormatInteger(value, false, value != 0, *field));
}

YString FormatInteger(uint64_t magnitude, bool negative, bool positive, const YFormatField& field) {
    char digits[80];
    auto [end, error] = std::to_chars(digits, digits + sizeof digits, magnitude, field.hexadecimal ? 16 : 10);
    (void)error;
    int count = static_cast<int>(end - digits);
    if (field.hexadecimal)
        for (char* p = digits; p < end; ++p)
            if (*p >= 'a' && *p <= 'f') *p = static_cast<char>(*p - 'a' + 'A');
    int width = field.width > 62 ? 62 : field.width;
    YString result;
    result.Reserve(static_cast<uint32_t>(std::max(width, count) + 1));
    if (negative)
        result.Append(u'-');
    else if (field.plus && positive)
        result.Append(u'+');
    for (int i = count; i < width; ++i) result.Append(field.fill);
    for (int i = 0; i < count; ++i) result.Append(static_cast<char16_t>(digits[i]));
    return result;
}

YString FormatDouble(double value, const YFormatField& field) {
    // std::to_chars gives what printf gives in the "C" locale, on both targets.
    char buffer[400];
    int precision = field.precision;
    std::to_chars_result written =
        precision < 10 ? std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision)
                       : std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
    if (written.ec != std::errc()) return YString("?");
    YString result;
    if (field.plus && value > 1e-20) result.Append(u'+');
    result.Append(YString::FromLatin1(std::string_view(buffer, static_cast<std::size_t>(written.ptr - buffer))));
    return result;
}

YString FormatDuration(int64_t seconds) {
    int64_t days = seconds / 86400, hours = seconds % 86400 / 3600;
    int64_t minutes = seconds % 3600 / 60, rest = seconds % 60;
    if (days > 0) return YFormat("{0} days, {1} hours").Arg(days).Arg(hours);
    if (hours > 0) return YFormat("{0} hours, {1} min").Arg(hours).Arg(minutes);
    return YFormat("{0} min, {1} sec").Arg(minutes).Arg(rest);
}
