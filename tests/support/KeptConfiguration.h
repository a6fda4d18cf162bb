#pragma once

#include "foundation/YFile.h"
#include "foundation/YXMLItem.h"
#include "shell/YConfiguration.h"

#include <cstddef>
#include <memory>

// The machine-wide configuration files as they were, put back at the end: under wine
// the test programs share them (on Linux the scratch folder holds them).
class KeptConfiguration {
public:
    KeptConfiguration() {
        for (std::size_t i = 0; i < 2; ++i) {
            existed_[i] = YFile::Exists(YConfiguration::PathOf(kFiles[i]));
            if (existed_[i]) roots_[i] = YConfiguration::Read(kFiles[i]);
        }
    }
    ~KeptConfiguration() {
        for (std::size_t i = 0; i < 2; ++i) {
            const YString path = YConfiguration::PathOf(kFiles[i]);
            if (existed_[i])
                YConfiguration::Write(kFiles[i], *roots_[i]);
            else if (YFile::Exists(path))
                YFile::Delete(path);
        }
    }

private:
    static constexpr YConfiguration::File kFiles[2] = {YConfiguration::File::Plugin, YConfiguration::File::Global};
    bool existed_[2] = {};
    std::unique_ptr<YXMLItem> roots_[2];
};
