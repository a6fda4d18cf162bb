// The library's attach and detach on Windows: the DLL entry routine. The C runtime's
// own start-up (static constructors) has run before DllMain sees process attach.
#include "foundation/YThread.h"
#include "platform/Platform.h"

#include <windows.h>

#include <atomic>
#include <string>

namespace Platform {

namespace {

HINSTANCE libraryHandle = nullptr;
CpuFeatures cpuFeatures;
std::atomic<LibraryDetachHandler> detachHandler{nullptr};

}  // namespace

void* LibraryHandle() noexcept { return libraryHandle; }

const CpuFeatures& LibraryCpuFeatures() noexcept { return cpuFeatures; }

YString LibraryPath() {
    // Without a library handle (code linked into a program) this is the program's file.
    std::wstring buffer(32768, L'\0');
    DWORD length = GetModuleFileNameW(libraryHandle, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0 || length >= buffer.size()) return YString();
    return YString(reinterpret_cast<const char16_t*>(buffer.data()), length);
}

void* MainProgramHandle() noexcept { return GetModuleHandleW(nullptr); }

void SetLibraryDetachHandler(LibraryDetachHandler handler) noexcept { detachHandler.store(handler); }

}  // namespace Platform

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    try {
        switch (reason) {
            case DLL_PROCESS_ATTACH:
                Platform::cpuFeatures = Platform::QueryCpuFeatures();
                Platform::libraryHandle = instance;
                SetProcessDetaching(false);
                break;
            case DLL_PROCESS_DETACH:
                SetProcessDetaching(true);
                if (Platform::LibraryDetachHandler handler = Platform::detachHandler.load()) handler();
                break;
            default: break;
        }
        return TRUE;
    } catch (...) {
        Platform::ShowFatalMessage("Fatal exception occured. Please contact the developer.");
        return FALSE;
    }
}
