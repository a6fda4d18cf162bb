#include "foundation/YHexaStream.h"

#include "foundation/YString.h"

#include <algorithm>
#include <array>

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

// Digit values by character; 0xFF marks a character that is no digit.
constexpr std::array<uint8_t, 256> MakeDigitTable() {
    std::array<uint8_t, 256> table{};
    for (auto& entry : table) entry = 0xFF;
    for (int i = 0; i < 10; ++i) table['0' + i] = static_cast<uint8_t>(i);
    for (int i = 0; i < 6; ++i) {
        table['A' + i] = static_cast<uint8_t>(10 + i);
        table['a' + i] = static_cast<uint8_t>(10 + i);
    }
    return table;
}
constexpr std::array<uint8_t, 256> kDigitValues = MakeDigitTable();

uint8_t DigitValue(uint8_t c) {
    uint8_t value = kDigitValues[c];
    if (value == 0xFF) HexDigitValue(static_cast<char16_t>(c));  // raises the conversion error
    return value;
}

}  // namespace

void YHexaStream::Write(const void* bytes, uint32_t count) {
    const auto* next = static_cast<const uint8_t*>(bytes);
    char text[2 * kPieceBytes];
    while (count > 0) {
        uint32_t piece = std::min(count, kPieceBytes);
        for (uint32_t i = 0; i < piece; ++i) {
            text[2 * i] = kDigits[next[i] >> 4];
            text[2 * i + 1] = kDigits[next[i] & 15];
        }
        YDispatchStream::Write(text, 2 * piece);
        next += piece;
        count -= piece;
    }
}

uint32_t YHexaStream::Read(void* bytes, uint32_t count) {
    auto* out = static_cast<uint8_t*>(bytes);
    uint8_t text[2 * kPieceBytes];
    uint32_t made = 0;
    while (made < count) {
        const uint32_t wanted = 2 * std::min(count - made, kPieceBytes);
        // A target may deliver less than asked without being at its end.
        uint32_t got = 0;
        while (got < wanted) {
            uint32_t n = YDispatchStream::Read(text + got, wanted - got);
            if (n == 0) break;
            got += n;
        }
        for (uint32_t i = 0; i + 1 < got; i += 2) out[made++] = static_cast<uint8_t>(DigitValue(text[i]) << 4 | DigitValue(text[i + 1]));
        if (got % 2 != 0) DigitValue(text[got - 1]);
        if (got < wanted) break;
    }
    return made;
}

void YHexaStream::Seek(int64_t offset, int origin) { YDispatchStream::Seek(offset * 2, origin); }
