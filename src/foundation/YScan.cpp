#include "foundation/YScan.h"

#include <vector>

namespace {

struct Token {
    bool isField;
    char16_t literal;
    YFormatField field;
};

bool IsBlank(char16_t c) { return c <= 32; }

}  // namespace

YScan::YScan(const YString& pattern, const YString& input) {
    std::vector<Token> tokens;
    ParseFormatPattern(
        pattern, [&](char16_t c) { tokens.push_back(Token{false, c, {}}); },
        [&](const YFormatField& field) { tokens.push_back(Token{true, 0, field}); });

    const uint32_t length = input.Length();
    uint32_t at = 0;
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        const Token& token = tokens[k];
        if (!token.isField) {
            if (IsBlank(token.literal)) {
                // White space in the pattern requires white space in the input; runs
                // on both sides are skipped.
                if (at >= length || !IsBlank(input[at])) return;
                while (at < length && IsBlank(input[at])) ++at;
                while (k + 1 < tokens.size() && !tokens[k + 1].isField && IsBlank(tokens[k + 1].literal)) ++k;
            } else {
                if (at >= length || input[at] != token.literal) return;
                ++at;
            }
            continue;
        }
        if (at >= length) return;
        bool untilLiteral = k + 1 < tokens.size() && !tokens[k + 1].isField && !IsBlank(tokens[k + 1].literal);
        uint32_t end = at;
        if (untilLiteral) {
            int64_t found = input.Find(tokens[k + 1].literal, at);
            end = found < 0 ? length : static_cast<uint32_t>(found);
        } else {
            while (end < length && !IsBlank(input[end])) ++end;
        }
        if (token.field.index >= 0 && token.field.index < YFormat::kSlots) {
            Slot& slot = slots_[token.field.index];
            slot.reached = true;
            slot.hexadecimal = token.field.hexadecimal;
            slot.text = input.Substring(at, end - at);
        }
        at = end;
    }
}

bool YScan::NextInteger(int64_t& value) {
    if (next_ >= YFormat::kSlots) return false;
    const Slot& slot = slots_[next_++];
    if (failed_ || !slot.reached) return false;
    uint32_t consumed = 0;
    value = ToInteger(slot.text, slot.hexadecimal ? 16 : 10, &consumed);
    if (consumed == 0) {
        // Nothing readable: this target gets 0 and the rest of the scan is over.
        failed_ = true;
        value = 0;
    }
    return true;
}

YScan& YScan::Get(int64_t& target) {
    int64_t value;
    if (NextInteger(value)) target = value;
    return *this;
}

YScan& YScan::Get(int32_t& target) {
    int64_t value;
    if (NextInteger(value)) target = static_cast<int32_t>(value);
    return *this;
}

YScan& YScan::Get(int16_t& target) {
    int64_t value;
    if (NextInteger(value)) target = static_cast<int16_t>(value);
    return *this;
}

YScan& YScan::Get(int8_t& target) {
    int64_t value;
    if (NextInteger(value)) target = static_cast<int8_t>(value);
    return *this;
}

YScan& YScan::Get(YString& target) {
    if (next_ >= YFormat::kSlots) return *this;
    const Slot& slot = slots_[next_++];
    if (!failed_ && slot.reached) target = slot.text;
    return *this;
}
