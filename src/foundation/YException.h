#pragma once

#include "foundation/YString.h"

#include <utility>

// The one error type of the framework. Every raise passes an empty context; the
// message is already formatted and, where a user may see it, translated.
class YException {
public:
    // Codes other than 0.
    static constexpr int32_t kNotImplemented = 1;
    static constexpr int32_t kInvalidSeekOrigin = 2;
    static constexpr int32_t kCompressedData = 256;
    static constexpr int32_t kCompressionStart = 257;

    explicit YException(const YString& message, int32_t code = 0) : message_(message), code_(code) {}
    YException(const YString& context, const YString& message, int32_t code)
        : context_(context), message_(message), code_(code) {}
    virtual ~YException() = default;

    const YString& Context() const noexcept { return context_; }
    const YString& Message() const noexcept { return message_; }
    int32_t Code() const noexcept { return code_; }

private:
    YString context_;
    YString message_;
    int32_t code_ = 0;
};

// The message from the loaded user-interface language table; with no table loaded
// (the product ships none) the message itself.
YString TranslateText(const YString& message, const YString& context = YString());

[[noreturn]] void ThrowOutOfMemory();
[[noreturn]] void ThrowIndexOutOfRange();

// Hands a diagnostic text to the debug log. Never throws, never shows anything.
void ReportSystemException(const YString& text) noexcept;

// Where ReportSystemException sends its texts; tests install their own sink.
// The default writes to the platform's debug output.
using YSystemExceptionSink = void (*)(const YString& text);
YSystemExceptionSink SetSystemExceptionSink(YSystemExceptionSink sink) noexcept;

// Reports "SYSTEM EXCEPTION! {0}" with the guarded operation's qualified name.
void ReportGuardFailure(const YString& guardName) noexcept;

// The guard around every operation a host, a window or a thread start can enter:
// a YException is swallowed, anything else is reported under the guard's name,
// and nothing leaves. The version with a result answers fallback after a failure.
template <typename Body>
void YGuarded(const YString& guardName, Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
    } catch (const YException&) {
    } catch (...) {
        ReportGuardFailure(guardName);
    }
}

template <typename Result, typename Body>
Result YGuarded(const YString& guardName, Result fallback, Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (const YException&) {
    } catch (...) {
        ReportGuardFailure(guardName);
    }
    return fallback;
}
