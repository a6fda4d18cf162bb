#pragma once

#include "foundation/YFormat.h"
#include "foundation/YString.h"

#include <array>

// Reads values back out of a text with a pattern of the formatter's kind. The scan
// runs when the reader is made; the getters then take the arguments in index order.
class YScan {
public:
    YScan(const YString& pattern, const YString& input);

    YScan& Get(int64_t& target);
    YScan& Get(int32_t& target);
    YScan& Get(int16_t& target);
    YScan& Get(int8_t& target);
    YScan& Get(YString& target);

private:
    struct Slot {
        bool reached = false;
        bool hexadecimal = false;
        YString text;
    };
    // Reads the next argument as an integer; false leaves the target unchanged.
    bool NextInteger(int64_t& value);

    std::array<Slot, YFormat::kSlots> slots_;
    int next_ = 0;
    bool failed_ = false;
};
