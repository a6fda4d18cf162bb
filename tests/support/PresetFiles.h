#pragma once

#include "foundation/YFile.h"
#include "foundation/YString.h"

// The user's preset files of a product (prefix + "presets.xml" in the maker's folder
// and in the older location above it), removed with what writing them leaves beside
// them. On Linux they lie in the scratch folder anyway; under wine the application-
// data folder is the prefix's own, shared by every test, so each test starts and ends
// without them.
class PresetFiles {
public:
    explicit PresetFiles(const YString& prefix = "Vortalis") {
        folder_ = YFile::GetSystemPath(YFile::SystemFolder::UserData);
        path_ = YFile::Join(folder_, prefix + YString("presets.xml"));
        uint32_t cut = folder_.Length();
        while (cut > 0 && folder_[cut - 1] != u'/' && folder_[cut - 1] != u'\\') --cut;
        older_ = YFile::Join(folder_.Substring(0, cut > 0 ? cut - 1 : 0), prefix + YString("presets.xml"));
        Remove();
    }
    ~PresetFiles() { Remove(); }
    PresetFiles(const PresetFiles&) = delete;
    PresetFiles& operator=(const PresetFiles&) = delete;

    const YString& Folder() const { return folder_; }
    const YString& Path() const { return path_; }
    const YString& OlderPath() const { return older_; }

private:
    void Remove() const {
        for (const YString& file : {path_, path_ + YString(".new"), path_ + YString(".damaged"), older_}) {
            if (YFile::IsDirectory(file)) YFile::DeleteDirectory(file);
            else if (YFile::Exists(file)) YFile::Delete(file);
        }
    }

    YString folder_, path_, older_;
};
