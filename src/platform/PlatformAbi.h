#pragma once

// Binary-interface facts that differ between the two targets, for the host-interface
// declarations (everything else reaches the operating system through Platform.h).
namespace Platform {

#if defined(_WIN32)
inline constexpr bool kWindowsTarget = true;
#define Y_CDECL __cdecl
#define Y_STDCALL __stdcall
// Marks one of the library's exported entry points; everything else stays inside.
#define Y_EXPORT __declspec(dllexport)
// An entry point only Linux hosts look for: internal to the Windows library.
#define Y_EXPORT_LINUX
// The system's 16-bit wide character, what hosts hand over as UTF-16 text.
using WideChar16 = wchar_t;
#else
inline constexpr bool kWindowsTarget = false;
#define Y_CDECL
#define Y_STDCALL
#define Y_EXPORT __attribute__((visibility("default")))
#define Y_EXPORT_LINUX Y_EXPORT
using WideChar16 = char16_t;
#endif

static_assert(sizeof(WideChar16) == 2);

}  // namespace Platform
