#pragma once

#include "foundation/YString.h"

#include <cstdint>

// Small file-system helpers on YString paths. Failures raise YException with the
// path(s) in the message, translated, code 0.
class YFile {
public:
    // The system folders, a storable enumeration: the value names below are what
    // resources and configuration texts use. Windows maps each to a shell folder;
    // Linux to the XDG folders in the README's table.
    enum class SystemFolder : int32_t {
        Data,                   // "data": machine-wide application data + "Yorvane"
        UserData,               // "userdata": the user's roaming application data + "Yorvane"
        User,                   // "user": the folder holding the user's documents folder
        Documents,              // "documents": common documents (else userdocuments)
        UserDocuments,          // "userdocuments"
        ProgramFiles,           // "programfiles"
        Components,             // "components": common program files
        StartMenu,              // "startmenu"
        UserStartMenu,          // "userstartmenu"
        StartMenuPrograms,      // "startmenuprograms"
        UserStartMenuPrograms,  // "userstartmenuprograms"
        Desktop,                // "desktop"
        UserDesktop,            // "userdesktop"
        System,                 // "system": the Windows folder
        Fonts,                  // "fonts"
        Temp,                   // "temp" (else "temp" inside system)
    };
    static constexpr int32_t kSystemFolderCount = 16;

    static YString SystemFolderName(SystemFolder folder);
    // Names compare without case; false for an unknown name.
    static bool SystemFolderFromName(const YString& name, SystemFolder& folder);
    // Raises "Could not retrieve system path.".
    static YString GetSystemPath(SystemFolder folder);

    // userdata joined with name, created when missing.
    static YString GetDataPath(const YString& name);
    // userdata joined with "Data", created when missing.
    static YString GetGlobalDataPath();

    // Creates the folder and every missing folder above it. Raises "Could not create
    // path "{0}".".
    static void CreatePath(const YString& path);
    // Raises "Could not rename file "{0}" to "{1}"." (also when the target exists).
    static void Rename(const YString& from, const YString& to);
    // Moves from onto to, replacing an existing file in one step (both in the same
    // folder). Raises "Could not rename file "{0}" to "{1}".".
    static void Replace(const YString& from, const YString& to);
    // Clears a write protection first. Raises "Could not delete file "{0}".".
    static void Delete(const YString& path);
    // The folder must be empty. Raises "Could not remove directory "{0}".".
    static void DeleteDirectory(const YString& path);
    // The names of the files (or, with folders set, of the subfolders) in a folder,
    // sorted without case. Raises "Could not access path "{0}" to get file list.".
    static YStringList GetFileList(const YString& folder, bool folders = false);
    static bool Exists(const YString& path);
    static bool IsDirectory(const YString& path);
    // Opens the file with its application. Raises "Could not execute file "{0}".".
    static void Execute(const YString& path);

    static char16_t PathSeparator();
    // folder + separator + name; no separator is doubled.
    static YString Join(const YString& folder, const YString& name);
    // The parts of a path before and after its last separator (of either kind); without
    // one, the folder is empty and the name the whole path.
    static YString FolderOf(const YString& path);
    static YString NameOf(const YString& path);
};
