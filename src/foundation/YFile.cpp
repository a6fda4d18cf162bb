#include "foundation/YFile.h"

#include "foundation/YException.h"
#include "foundation/YFormat.h"
#include "platform/Platform.h"

#include <algorithm>
#include <vector>

namespace {

const YString kSystemFolderNames[YFile::kSystemFolderCount] = {
    "data",         "userdata",          "user",
    "documents",    "userdocuments",     "programfiles",
    "components",   "startmenu",         "userstartmenu",
    "startmenuprograms", "userstartmenuprograms", "desktop",
    "userdesktop",  "system",            "fonts",
    "temp",
};

const YString kMakerFolder = "Yorvane";

bool IsSeparator(char16_t c) { return c == u'/' || c == Platform::PathSeparator(); }

[[noreturn]] void ThrowNoSystemPath() { throw YException(TranslateText("Could not retrieve system path.")); }

}  // namespace

YString YFile::SystemFolderName(SystemFolder folder) {
    auto index = static_cast<int32_t>(folder);
    if (index < 0 || index >= kSystemFolderCount) ThrowIndexOutOfRange();
    return kSystemFolderNames[index];
}

bool YFile::SystemFolderFromName(const YString& name, SystemFolder& folder) {
    for (int32_t i = 0; i < kSystemFolderCount; ++i) {
        if (YString::EqualsNoCase(name, kSystemFolderNames[i])) {
            folder = static_cast<SystemFolder>(i);
            return true;
        }
    }
    return false;
}

YString YFile::GetSystemPath(SystemFolder folder) {
    YString path;
    if (Platform::GetSystemFolder(static_cast<int>(folder), path)) {
        if (folder == SystemFolder::Data || folder == SystemFolder::UserData) return Join(path, kMakerFolder);
        return path;
    }
    if (folder == SystemFolder::Documents) return GetSystemPath(SystemFolder::UserDocuments);
    if (folder == SystemFolder::Temp) return Join(GetSystemPath(SystemFolder::System), "temp");
    ThrowNoSystemPath();
}

YString YFile::GetDataPath(const YString& name) {
    YString path = Join(GetSystemPath(SystemFolder::UserData), name);
    CreatePath(path);
    return path;
}

YString YFile::GetGlobalDataPath() { return GetDataPath("Data"); }

void YFile::CreatePath(const YString& path) {
    if (IsDirectory(path)) return;
    // Walk up to the first folder that exists, then create downwards.
    std::vector<YString> missing;
    YString current = path;
    while (!current.IsEmpty() && !IsDirectory(current)) {
        missing.push_back(current);
        int64_t cut = -1;
        for (uint32_t i = current.Length(); i > 0; --i) {
            if (IsSeparator(current[i - 1])) {
                cut = i - 1;
                break;
            }
        }
        while (cut > 0 && IsSeparator(current[static_cast<uint32_t>(cut - 1)])) --cut;
        if (cut <= 0) break;
        current = current.Substring(0, static_cast<uint32_t>(cut));
    }
    for (auto folder = missing.rbegin(); folder != missing.rend(); ++folder) Platform::CreateFolder(*folder);
    if (!IsDirectory(path)) throw YException(YFormat(TranslateText("Could not create path \"{0}\".")).Arg(path));
}

void YFile::Rename(const YString& from, const YString& to) {
    if (!Platform::MovePath(from, to))
        throw YException(YFormat(TranslateText("Could not rename file \"{0}\" to \"{1}\".")).Arg(from).Arg(to));
}

void YFile::Replace(const YString& from, const YString& to) {
    if (!Platform::ReplacePath(from, to))
        throw YException(YFormat(TranslateText("Could not rename file \"{0}\" to \"{1}\".")).Arg(from).Arg(to));
}

void YFile::Delete(const YString& path) {
    if (!Platform::DeletePath(path)) throw YException(YFormat(TranslateText("Could not delete file \"{0}\".")).Arg(path));
}

void YFile::DeleteDirectory(const YString& path) {
    if (!Platform::RemoveFolder(path))
        throw YException(YFormat(TranslateText("Could not remove directory \"{0}\".")).Arg(path));
}

YStringList YFile::GetFileList(const YString& folder, bool folders) {
    std::vector<Platform::FolderEntry> entries;
    if (!Platform::ListFolder(folder, entries))
        throw YException(YFormat(TranslateText("Could not access path \"{0}\" to get file list.")).Arg(folder));
    YStringList names;
    for (auto& entry : entries)
        if (entry.isFolder == folders) names.push_back(std::move(entry.name));
    std::sort(names.begin(), names.end(),
              [](const YString& a, const YString& b) { return YString::CompareNoCase(a, b) < 0; });
    return names;
}

bool YFile::Exists(const YString& path) { return Platform::PathKind(path) != 0; }

bool YFile::IsDirectory(const YString& path) { return Platform::PathKind(path) == 2; }

void YFile::Execute(const YString& path) {
    if (!Platform::OpenWithApplication(path))
        throw YException(YFormat(TranslateText("Could not execute file \"{0}\".")).Arg(path));
}

char16_t YFile::PathSeparator() { return Platform::PathSeparator(); }

namespace {
// Where the name part of a path starts: just after its last separator, else 0.
uint32_t NameStart(const YString& path) {
    uint32_t start = path.Length();
    while (start > 0 && !IsSeparator(path[start - 1])) --start;
    return start;
}
}  // namespace

YString YFile::FolderOf(const YString& path) {
    const uint32_t start = NameStart(path);
    return start > 0 ? path.Substring(0, start - 1) : YString();
}

YString YFile::NameOf(const YString& path) { return path.Substring(NameStart(path)); }

YString YFile::Join(const YString& folder, const YString& name) {
    if (folder.IsEmpty()) return name;
    YString result = folder;
    uint32_t start = 0;
    while (start < name.Length() && IsSeparator(name[start])) ++start;
    if (!IsSeparator(folder[folder.Length() - 1])) result.Append(PathSeparator());
    return result.Append(name.Substring(start));
}
