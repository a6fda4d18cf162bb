#include "platform/Platform.h"

#include <pthread.h>
#include <windows.h>

#include <io.h>
#include <share.h>
#include <shellapi.h>
#include <shlobj.h>
#include <stdlib.h>

#include <string>

namespace Platform {

namespace {

// YString holds UTF-16 code units, which is what the wide calls take.
std::wstring Wide(const YString& text) {
    std::wstring wide(text.Length(), L'\0');
    for (uint32_t i = 0; i < text.Length(); ++i) wide[i] = static_cast<wchar_t>(text[i]);
    return wide;
}

YString FromWide(const wchar_t* text) {
    std::size_t length = wcslen(text);
    return YString(reinterpret_cast<const char16_t*>(text), length);
}

}  // namespace

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

char16_t PathSeparator() noexcept { return u'\\'; }

std::FILE* OpenFile(const YString& path, const char* mode) {
    std::wstring wideMode;
    for (const char* c = mode; *c; ++c) wideMode += static_cast<wchar_t>(*c);
    // _SH_DENYNO: other processes may read and write the file meanwhile.
    return _wfsopen(Wide(path).c_str(), wideMode.c_str(), _SH_DENYNO);
}

bool SeekFile(std::FILE* file, int64_t offset, int origin) noexcept { return _fseeki64(file, offset, origin) == 0; }

int64_t TellFile(std::FILE* file) noexcept { return _ftelli64(file); }

bool TruncateFile(std::FILE* file, int64_t size) noexcept { return _chsize_s(_fileno(file), size) == 0; }

bool CreateFolder(const YString& path) { return CreateDirectoryW(Wide(path).c_str(), nullptr) != 0; }

bool MovePath(const YString& from, const YString& to) { return MoveFileW(Wide(from).c_str(), Wide(to).c_str()) != 0; }

bool ReplacePath(const YString& from, const YString& to) {
    return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool DeletePath(const YString& path) {
    std::wstring name = Wide(path);
    SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(name.c_str()) != 0;
}

bool RemoveFolder(const YString& path) { return RemoveDirectoryW(Wide(path).c_str()) != 0; }

int PathKind(const YString& path) {
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 2 : 1;
}

bool ListFolder(const YString& path, std::vector<FolderEntry>& entries) {
    std::wstring pattern = Wide(path);
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        if (wcscmp(found.cFileName, L".") == 0 || wcscmp(found.cFileName, L"..") == 0) continue;
        entries.push_back({FromWide(found.cFileName), (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return true;
}

namespace {

bool ShellFolder(int csidl, YString& path) {
    wchar_t buffer[MAX_PATH + 1] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer))) return false;
    path = FromWide(buffer);
    return !path.IsEmpty();
}

}  // namespace

bool GetSystemFolder(int index, YString& path) {
    static const int kShellFolders[16] = {
        CSIDL_COMMON_APPDATA,     CSIDL_APPDATA,        CSIDL_PERSONAL,        CSIDL_COMMON_DOCUMENTS,
        CSIDL_PERSONAL,           CSIDL_PROGRAM_FILES,  CSIDL_PROGRAM_FILES_COMMON, CSIDL_COMMON_STARTMENU,
        CSIDL_STARTMENU,          CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS,       CSIDL_COMMON_DESKTOPDIRECTORY,
        CSIDL_DESKTOPDIRECTORY,   CSIDL_WINDOWS,        CSIDL_FONTS,           -1,
    };
    if (index < 0 || index >= 16) return false;
    if (index == 15) {
        wchar_t buffer[MAX_PATH + 2] = {};
        DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
        if (length == 0 || length > MAX_PATH + 1) return false;
        while (length > 3 && buffer[length - 1] == L'\\') buffer[--length] = 0;
        path = FromWide(buffer);
        return true;
    }
    if (!ShellFolder(kShellFolders[index], path)) return false;
    if (index == 2) {
        // "user": the folder that holds the user's documents folder.
        int64_t cut = -1;
        for (uint32_t i = 0; i < path.Length(); ++i)
            if (path[i] == u'\\') cut = i;
        if (cut <= 0) return false;
        path = path.Substring(0, static_cast<uint32_t>(cut));
    }
    return true;
}

// The shell's open verb serves files and web addresses alike.
bool OpenWithApplication(const YString& path) {
    HINSTANCE result = ShellExecuteW(nullptr, L"open", Wide(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool OpenURL(const YString& url) { return OpenWithApplication(url); }

void ShowFatalMessage(const char* utf8Text) noexcept {
    int units = MultiByteToWideChar(CP_UTF8, 0, utf8Text, -1, nullptr, 0);
    if (units <= 0) return;
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8Text, -1, wide.data(), units);
    MessageBoxW(nullptr, wide.c_str(), nullptr, MB_ICONEXCLAMATION);
}

void* OpenLibrary(const YString& path, YString& error) {
    // LoadLibrary wants backslashes; callers may give either.
    std::wstring name = Wide(path);
    for (wchar_t& c : name)
        if (c == L'/') c = L'\\';
    HMODULE library = LoadLibraryW(name.c_str());
    if (library == nullptr) error = YString::FromUtf8("LoadLibraryW failed with error " + std::to_string(GetLastError()));
    return library;
}

void* LibrarySymbol(void* library, const char* name) noexcept {
    return library ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name)) : nullptr;
}

void CloseLibrary(void* library) noexcept {
    if (library) FreeLibrary(static_cast<HMODULE>(library));
}

bool GetEnvironment(const char* name, YString& value) {
    std::wstring wideName;
    for (const char* c = name; *c; ++c) wideName += static_cast<wchar_t>(*c);
    const wchar_t* text = _wgetenv(wideName.c_str());
    if (text == nullptr) return false;
    value = FromWide(text);
    return true;
}

bool SetEnvironment(const char* name, const YString& value) {
    std::wstring wideName;
    for (const char* c = name; *c; ++c) wideName += static_cast<wchar_t>(*c);
    return _wputenv_s(wideName.c_str(), Wide(value).c_str()) == 0;
}

}  // namespace Platform
