#pragma once

#include <thread>

// What the framework takes from the operating system. Each function has a POSIX
// and a Win32 implementation (src/platform/posix, src/platform/win32); the build
// picks one, so no other file needs to know which system it runs on.
namespace Platform {

// One diagnostic line (UTF-8) for the debug log. Windows: OutputDebugString;
// POSIX: standard error, but only when VORTALIS_DEBUG_LOG is set. Never throws.
void DebugOutput(const char* utf8Line) noexcept;

// Sets a thread's priority given as a Windows thread priority (-15 .. 15). Linux
// leaves thread priorities to the host (an unprivileged process may not raise them),
// so there this only reports success.
bool SetThreadPriority(std::thread& thread, int windowsPriority) noexcept;

// Ends a thread that did not stop when asked, when the process unloads the library.
// Windows terminates it; POSIX has no safe equivalent and answers false.
bool TerminateThread(std::thread& thread) noexcept;

}  // namespace Platform
