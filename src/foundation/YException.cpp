#include "foundation/YException.h"

#include "foundation/YFormat.h"
#include "platform/Platform.h"

#include <atomic>

YString TranslateText(const YString& message, const YString& context) {
    (void)context;
    return message;
}

void ThrowOutOfMemory() { throw YException(YString("Out of memory.")); }

void ThrowIndexOutOfRange() { throw YException(TranslateText("Index out of range.")); }

namespace {

void WriteToDebugOutput(const YString& text) { Platform::DebugOutput(text.ToUtf8().c_str()); }

std::atomic<YSystemExceptionSink> systemExceptionSink{&WriteToDebugOutput};

}  // namespace

YSystemExceptionSink SetSystemExceptionSink(YSystemExceptionSink sink) noexcept {
    return systemExceptionSink.exchange(sink ? sink : &WriteToDebugOutput);
}

void ReportSystemException(const YString& text) noexcept {
    try {
        systemExceptionSink.load()(text);
    } catch (...) {
    }
}

void ReportGuardFailure(const YString& guardName) noexcept {
    try {
        ReportSystemException(YFormat("SYSTEM EXCEPTION! {0}").Arg(guardName));
    } catch (...) {
    }
}
