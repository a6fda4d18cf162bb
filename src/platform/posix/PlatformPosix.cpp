#include "platform/Platform.h"

#include <cstdio>
#include <cstdlib>

namespace Platform {

void DebugOutput(const char* utf8Line) noexcept {
    static const bool enabled = std::getenv("VORTALIS_DEBUG_LOG") != nullptr;
    if (enabled) std::fprintf(stderr, "%s\n", utf8Line);
}

bool SetThreadPriority(std::thread&, int) noexcept { return true; }

bool TerminateThread(std::thread&) noexcept { return false; }

}  // namespace Platform
