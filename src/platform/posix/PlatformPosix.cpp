#include "platform/Platform.h"

#include <dirent.h>
#include <dlfcn.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

namespace Platform {

void DebugOutput(const char* utf8Line) noexcept {
    static const bool enabled = std::getenv("VORTALIS_DEBUG_LOG") != nullptr;
    if (enabled) std::fprintf(stderr, "%s\n", utf8Line);
}

bool SetThreadPriority(std::thread&, int) noexcept { return true; }

bool TerminateThread(std::thread&) noexcept { return false; }

char16_t PathSeparator() noexcept { return u'/'; }

std::FILE* OpenFile(const YString& path, const char* mode) {
    // POSIX files are never locked against other processes: opening is shared.
    return std::fopen(path.ToUtf8().c_str(), mode);
}

bool SeekFile(std::FILE* file, int64_t offset, int origin) noexcept {
    return fseeko(file, static_cast<off_t>(offset), origin) == 0;
}

int64_t TellFile(std::FILE* file) noexcept { return static_cast<int64_t>(ftello(file)); }

bool TruncateFile(std::FILE* file, int64_t size) noexcept {
    return ftruncate(fileno(file), static_cast<off_t>(size)) == 0;
}

bool CreateFolder(const YString& path) { return mkdir(path.ToUtf8().c_str(), 0777) == 0; }

bool MovePath(const YString& from, const YString& to) {
    // MoveFileW refuses to replace an existing target; keep that on POSIX.
    std::string target = to.ToUtf8();
    struct stat info;
    if (lstat(target.c_str(), &info) == 0) return false;
    return std::rename(from.ToUtf8().c_str(), target.c_str()) == 0;
}

bool ReplacePath(const YString& from, const YString& to) {
    return std::rename(from.ToUtf8().c_str(), to.ToUtf8().c_str()) == 0;
}

bool DeletePath(const YString& path) {
    // Write protection on POSIX lives in the folder, not the file: nothing to clear.
    std::string name = path.ToUtf8();
    struct stat info;
    if (lstat(name.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return false;
    return unlink(name.c_str()) == 0;
}

bool RemoveFolder(const YString& path) { return rmdir(path.ToUtf8().c_str()) == 0; }

int PathKind(const YString& path) {
    struct stat info;
    if (stat(path.ToUtf8().c_str(), &info) != 0) return 0;
    return S_ISDIR(info.st_mode) ? 2 : 1;
}

bool ListFolder(const YString& path, std::vector<FolderEntry>& entries) {
    std::string folder = path.ToUtf8();
    DIR* directory = opendir(folder.c_str());
    if (directory == nullptr) return false;
    while (dirent* entry = readdir(directory)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        bool isFolder;
        if (entry->d_type == DT_DIR) {
            isFolder = true;
        } else if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat info;
            isFolder = stat((folder + "/" + name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        } else {
            isFolder = false;
        }
        entries.push_back({YString::FromUtf8(name), isFolder});
    }
    closedir(directory);
    return true;
}

namespace {

// An environment variable that holds an absolute path (the XDG rules ignore
// relative ones), else nothing.
bool AbsoluteFromEnvironment(const char* name, std::string& value) {
    const char* text = std::getenv(name);
    if (text == nullptr || text[0] != '/') return false;
    value = text;
    return true;
}

bool Home(std::string& home) {
    if (AbsoluteFromEnvironment("HOME", home)) return true;
    struct passwd record;
    struct passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &record, buffer, sizeof buffer, &found) != 0 || found == nullptr) return false;
    if (found->pw_dir == nullptr || found->pw_dir[0] != '/') return false;
    home = found->pw_dir;
    return true;
}

// $name when it is set to an absolute path, else the home folder joined with
// fallback.
bool XdgFolder(const char* name, const char* fallback, std::string& folder) {
    if (AbsoluteFromEnvironment(name, folder)) return true;
    std::string home;
    if (!Home(home)) return false;
    folder = home + "/" + fallback;
    return true;
}

}  // namespace

// The XDG counterparts of the Windows shell folders (the README has the table).
bool GetSystemFolder(int index, YString& path) {
    std::string folder;
    bool found = true;
    switch (index) {
        case 0: found = XdgFolder("XDG_DATA_HOME", ".local/share", folder); break;   // data
        case 1: found = XdgFolder("XDG_CONFIG_HOME", ".config", folder); break;      // userdata
        case 2: found = Home(folder); break;                                         // user
        case 3:                                                                      // documents
        case 4: found = XdgFolder("XDG_DOCUMENTS_DIR", "Documents", folder); break;  // userdocuments
        case 5: folder = "/opt"; break;                                              // programfiles
        case 6: folder = "/usr/local/lib"; break;                                    // components
        case 7:                                                                      // startmenu
        case 9: folder = "/usr/share/applications"; break;                           // startmenuprograms
        case 8:                                                                      // userstartmenu
        case 10:                                                                     // userstartmenuprograms
            found = XdgFolder("XDG_DATA_HOME", ".local/share", folder);
            folder += "/applications";
            break;
        case 11:                                                                   // desktop
        case 12: found = XdgFolder("XDG_DESKTOP_DIR", "Desktop", folder); break;   // userdesktop
        case 13: folder = "/usr"; break;                                           // system
        case 14: folder = "/usr/share/fonts"; break;                               // fonts
        case 15:                                                                   // temp
            if (!AbsoluteFromEnvironment("TMPDIR", folder)) folder = "/tmp";
            break;
        default: found = false; break;
    }
    if (!found) return false;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    path = YString::FromUtf8(folder);
    return true;
}

namespace {

// Starts xdg-open on target without waiting for it. Everything the children need is
// prepared before fork: between fork and exec only async-signal-safe calls are allowed
// in a threaded process. The middle child exits at once, so xdg-open is adopted by
// init and never left a zombie.
bool StartXdgOpen(std::string target) {
    char program[] = "xdg-open";
    char* arguments[] = {program, target.data(), nullptr};
    pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        pid_t grandchild = fork();
        if (grandchild == 0) {
            execvp(program, arguments);
            _exit(127);
        }
        _exit(grandchild < 0 ? 1 : 0);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

bool OpenWithApplication(const YString& path) {
    std::string name = path.ToUtf8();
    if (access(name.c_str(), F_OK) != 0) return false;
    return StartXdgOpen(std::move(name));
}

bool OpenURL(const YString& url) { return StartXdgOpen(url.ToUtf8()); }

bool SetEnvironment(const char* name, const YString& value) { return setenv(name, value.ToUtf8().c_str(), 1) == 0; }

bool GetEnvironment(const char* name, YString& value) {
    const char* text = std::getenv(name);
    if (text == nullptr) return false;
    value = YString::FromUtf8(text);
    return true;
}

void ShowFatalMessage(const char* utf8Text) noexcept { std::fprintf(stderr, "%s\n", utf8Text); }

void* OpenLibrary(const YString& path, YString& error) {
    void* library = dlopen(path.ToUtf8().c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* reason = dlerror();
        error = YString::FromUtf8(reason ? reason : "dlopen failed");
    }
    return library;
}

void* LibrarySymbol(void* library, const char* name) noexcept { return library ? dlsym(library, name) : nullptr; }

void CloseLibrary(void* library) noexcept {
    if (library) dlclose(library);
}

}  // namespace Platform
