#pragma once

#include "foundation/YString.h"

#include <utility>
#include <vector>

// A fresh folder inside the temporary folder (on Windows under wine that lies in the
// wine prefix, inside the build folder). HOME and the XDG folders point into it while
// it exists, so that nothing touches the real user's folders; at the end it is removed
// with all its content and the variables get their old values back.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const YString& Path() const { return path_; }
    YString Path(const char* name) const;

private:
    YString path_;
    std::vector<std::pair<const char*, YString>> saved_;
};

void RemoveTree(const YString& folder);
