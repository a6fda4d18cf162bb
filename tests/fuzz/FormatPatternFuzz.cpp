// Any text as a YFormat pattern with arguments of every kind, and as a YScan pattern
// over any text: a result, or YException for a pattern that is not one.
#include "FuzzTarget.h"

#include "foundation/YException.h"
#include "foundation/YFormat.h"
#include "foundation/YScan.h"
#include "foundation/YString.h"

#include <algorithm>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The pattern, then after the first zero byte the text to scan and the arguments.
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const size_t split = std::min(all.find('\0'), all.size());
    YString pattern, input;
    try {
        pattern = YString::FromUtf8(all.substr(0, split));
        input = YString::FromUtf8(split < all.size() ? all.substr(split + 1) : std::string_view());
    } catch (const YException&) {
        return 0;
    }
    int64_t number = 0;
    double real = 0.0;
    if (size > 0) {
        std::memcpy(&number, data, std::min<size_t>(size, sizeof number));
        std::memcpy(&real, data + size / 2, std::min<size_t>(size - size / 2, sizeof real));
    }

    try {
        YFormat format(pattern);
        const YString result = format.Arg(number).Arg(real).Arg(input).Arg(static_cast<uint64_t>(number)).Arg(-real).Result();
        (void)result.ToUtf8();
    } catch (const YException&) {
    }
    try {
        int64_t a = 0;
        int32_t b = 0;
        int16_t c = 0;
        int8_t d = 0;
        YString e;
        YScan(pattern, input).Get(a).Get(e).Get(b).Get(c).Get(d).Get(a);
    } catch (const YException&) {
    }
    return 0;
}
