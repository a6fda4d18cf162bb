#pragma once

#include "foundation/YString.h"

#include <cstdint>
#include <cstdio>
#include <thread>
#include <vector>

// What the framework takes from the operating system. Each function has a POSIX
// and a Win32 implementation (src/platform/posix, src/platform/win32); the build
// picks one, so no other file needs to know which system it runs on.
//
// Paths are YString everywhere: Windows receives them as UTF-16 through the wide
// calls, POSIX as UTF-8 bytes.
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

// --- Files -------------------------------------------------------------------

// '\\' on Windows, '/' elsewhere.
char16_t PathSeparator() noexcept;

// fopen with a runtime-library mode ("rb", "w+b", "r+b"); the file is opened shared,
// so other processes may read and write it meanwhile. Null on failure.
std::FILE* OpenFile(const YString& path, const char* mode);
// 64-bit positioning; origin is SEEK_SET, SEEK_CUR or SEEK_END. False on failure.
bool SeekFile(std::FILE* file, int64_t offset, int origin) noexcept;
// -1 on failure.
int64_t TellFile(std::FILE* file) noexcept;
// Cuts (or extends) the file to size bytes; the caller flushes first.
bool TruncateFile(std::FILE* file, int64_t size) noexcept;

// Names avoid those of Windows API macros (MoveFile, DeleteFile, ...).

// Creates one folder; its parent must exist. False when it could not be created
// (also when something of that name exists already).
bool CreateFolder(const YString& path);
bool MovePath(const YString& from, const YString& to);
// Moves a file onto another in one step, replacing it when it exists, so that readers
// see either the old or the new file and never a missing or partial one. Both paths lie
// in the same folder. Windows: MoveFileExW with MOVEFILE_REPLACE_EXISTING; POSIX: rename.
bool ReplacePath(const YString& from, const YString& to);
// Clears a read-only attribute first, so that protected files go too.
bool DeletePath(const YString& path);
bool RemoveFolder(const YString& path);
// 0: nothing there, 1: a file, 2: a folder.
int PathKind(const YString& path);

struct FolderEntry {
    YString name;
    bool isFolder = false;
};
// The entries of a folder, without "." and "..". False when it cannot be read.
bool ListFolder(const YString& path, std::vector<FolderEntry>& entries);

// The system folder of the given index (see YFile::SystemFolder, which documents
// the mapping of each index on both systems). False when it cannot be determined.
bool GetSystemFolder(int index, YString& path);

// Opens the file with the application the desktop associates with it. False when
// that could not be started.
bool OpenWithApplication(const YString& path);

// Opens a web address in the system's browser (ShellExecute on Windows, xdg-open on
// Linux). False when that could not be started.
bool OpenURL(const YString& url);

// Sets an environment variable of this process (tests point HOME and friends at
// scratch folders with it).
bool SetEnvironment(const char* name, const YString& value);


// --- Sockets -------------------------------------------------------------------
//
// TCP connections of the online services. Sockets are kept non-blocking and every
// wait for the network is bounded by a time-out in milliseconds, so that a server
// that never answers cannot hang its caller.

// A SOCKET on Windows, a descriptor on POSIX; kNoSocket for none.
using SocketHandle = intptr_t;
inline constexpr SocketHandle kNoSocket = -1;

// Starts the system's socket library once per process (WSAStartup on Windows, nothing
// on POSIX). False when the system refuses.
bool StartSockets() noexcept;

// The step at which ConnectTCP failed, and the system's error code there.
enum class SocketStep { kStartup, kResolve, kProtocol, kCreate, kConnect };
struct SocketFailure {
    SocketStep step = SocketStep::kConnect;
    int code = 0;
};

// Resolves host and connects to its addresses in turn until one accepts; all of it
// within timeoutMs. kProtocol: the name resolved, but to no address a TCP stream can
// use. kNoSocket on failure, with failure filled in.
SocketHandle ConnectTCP(const YString& host, uint16_t port, int timeoutMs, SocketFailure& failure);

enum class SocketStatus {
    kDone,      // some bytes moved (count > 0)
    kTimedOut,  // nothing moved within the time-out
    kClosed,    // the other side has ended or reset the connection
    kFailed,    // any other error
};
// Sends a part of bytes, waiting at most timeoutMs for room; sent receives the count.
SocketStatus SendSome(SocketHandle socket, const void* bytes, std::size_t count, std::size_t& sent,
                      int timeoutMs) noexcept;
// Receives what has arrived, up to count bytes, waiting at most timeoutMs for the first.
SocketStatus ReceiveSome(SocketHandle socket, void* bytes, std::size_t count, std::size_t& received,
                         int timeoutMs) noexcept;
void CloseSocket(SocketHandle socket) noexcept;

// --- Processor ----------------------------------------------------------------

// What CPUID leaf 1 reports of the SSE family, for choosing vectorised code.
struct CpuFeatures {
    bool sse = false;    // EDX bit 25
    bool sse2 = false;   // EDX bit 26
    bool sse3 = false;   // ECX bit 0
    bool ssse3 = false;  // ECX bit 9
    bool sse41 = false;  // ECX bit 19
    bool sse42 = false;  // ECX bit 20
    // AVX2 (leaf 7 EBX bit 5) and fused multiply-add (leaf 1 ECX bit 12), with the
    // system saving the 256-bit registers (OSXSAVE and XCR0 bits 1 and 2).
    bool avx2Fma = false;
};
// Asks the processor (any thread, any time).
CpuFeatures QueryCpuFeatures() noexcept;

// --- The library this code is linked into ------------------------------------
//
// The library's entry routine (DllMain on Windows; constructor and destructor
// functions on Linux, src/platform/*/PlatformLibraryEntry.cpp) runs when the loader
// attaches the library to the process and when it detaches it. On attach it keeps the
// library's handle and reads the processor features; on detach it sets the process-
// detaching flag (YThread) and runs the detach handler. Its failures show
// ShowFatalMessage and answer false to the loader.

// The library's handle (HMODULE on Windows, the load address on Linux); null before
// attach. Referencing it is what links the entry routine into a library.
void* LibraryHandle() noexcept;
// The features read on attach.
const CpuFeatures& LibraryCpuFeatures() noexcept;
// The file the library was loaded from (the program's file for code linked into a
// program); empty when unknown.
YString LibraryPath();
// The handle of the process's main program (for code not running in a library).
void* MainProgramHandle() noexcept;
// What detach runs after setting the detaching flag (the module entry destroys the
// framework's module object there). Loader context: no waiting, no loading.
using LibraryDetachHandler = void (*)();
void SetLibraryDetachHandler(LibraryDetachHandler handler) noexcept;

// A message box without owner and caption, with the exclamation icon; Linux writes
// one line on standard error instead. Never throws.
void ShowFatalMessage(const char* utf8Text) noexcept;

// --- Loading other libraries (the plug-in host) --------------------------------

// dlopen / LoadLibraryW. Null on failure, with the system's reason in error.
void* OpenLibrary(const YString& path, YString& error);
// The address of an exported symbol, or null.
void* LibrarySymbol(void* library, const char* name) noexcept;
void CloseLibrary(void* library) noexcept;

// The value of an environment variable of this process; false when it is not set.
bool GetEnvironment(const char* name, YString& value);

}  // namespace Platform
