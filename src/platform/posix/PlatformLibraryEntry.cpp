// The library's attach and detach on Linux: constructor and destructor functions,
// which the loader runs after mapping the library (dlopen) and before unmapping it
// (dlclose, or process exit).
#include "foundation/YThread.h"
#include "platform/Platform.h"

#include <dlfcn.h>

#include <atomic>
#include <cstdio>

namespace Platform {

namespace {

void* libraryHandle = nullptr;
CpuFeatures cpuFeatures;
std::atomic<LibraryDetachHandler> detachHandler{nullptr};

// Constructor and destructor functions cannot report failure to the loader; an
// exception is shown and swallowed.
__attribute__((constructor)) void LibraryAttach() {
    try {
        Dl_info info{};
        if (dladdr(reinterpret_cast<void*>(&LibraryAttach), &info) != 0) libraryHandle = info.dli_fbase;
        cpuFeatures = QueryCpuFeatures();
        SetProcessDetaching(false);
    } catch (...) {
        ShowFatalMessage("Fatal exception occured. Please contact the developer.");
    }
}

__attribute__((destructor)) void LibraryDetach() {
    try {
        SetProcessDetaching(true);
        if (LibraryDetachHandler handler = detachHandler.load()) handler();
    } catch (...) {
        ShowFatalMessage("Fatal exception occured. Please contact the developer.");
    }
}

}  // namespace

void* LibraryHandle() noexcept { return libraryHandle; }

const CpuFeatures& LibraryCpuFeatures() noexcept { return cpuFeatures; }

YString LibraryPath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&LibraryAttach), &info) == 0 || info.dli_fname == nullptr) return YString();
    return YString::FromUtf8(info.dli_fname);
}

void* MainProgramHandle() noexcept { return dlopen(nullptr, RTLD_LAZY | RTLD_NOLOAD); }

void SetLibraryDetachHandler(LibraryDetachHandler handler) noexcept { detachHandler.store(handler); }

}  // namespace Platform
