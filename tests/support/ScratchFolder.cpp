#include "support/ScratchFolder.h"

#include "foundation/YFile.h"
#include "platform/Platform.h"

#include <chrono>
#include <cstdlib>
#include <random>
#include <string>

void RemoveTree(const YString& folder) {
    if (!YFile::IsDirectory(folder)) return;
    for (const YString& name : YFile::GetFileList(folder, true)) RemoveTree(YFile::Join(folder, name));
    for (const YString& name : YFile::GetFileList(folder)) YFile::Delete(YFile::Join(folder, name));
    YFile::DeleteDirectory(folder);
}

ScratchFolder::ScratchFolder() {
    std::mt19937 random(static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    path_ = YFile::Join(YFile::GetSystemPath(YFile::SystemFolder::Temp),
                        YString::FromLatin1("vortalis-tests-" + std::to_string(random())));
    YFile::CreatePath(path_);
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DOCUMENTS_DIR", "XDG_DESKTOP_DIR"}) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old ? YString::FromUtf8(old) : YString());
        Platform::SetEnvironment(name, Path(name));
    }
}

ScratchFolder::~ScratchFolder() {
    for (const auto& [name, value] : saved_) Platform::SetEnvironment(name, value);
    try {
        RemoveTree(path_);
    } catch (...) {
    }
}

YString ScratchFolder::Path(const char* name) const { return YFile::Join(path_, YString::FromUtf8(name)); }
