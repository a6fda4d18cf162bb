#include "platform/Platform.h"

#include <pthread.h>
#include <windows.h>

#include <string>

namespace Platform {

void DebugOutput(const char* utf8Line) noexcept {
    int units = MultiByteToWideChar(CP_UTF8, 0, utf8Line, -1, nullptr, 0);
    if (units <= 0) return;
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8Line, -1, wide.data(), units);
    OutputDebugStringW(wide.c_str());
}

bool SetThreadPriority(std::thread& thread, int windowsPriority) noexcept {
    HANDLE handle = pthread_gethandle(thread.native_handle());
    return handle != nullptr && ::SetThreadPriority(handle, windowsPriority) != 0;
}

bool TerminateThread(std::thread& thread) noexcept {
    HANDLE handle = pthread_gethandle(thread.native_handle());
    return handle != nullptr && ::TerminateThread(handle, static_cast<DWORD>(-1)) != 0;
}

}  // namespace Platform
