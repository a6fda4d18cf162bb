#pragma once

#include "foundation/YString.h"
#include "foundation/YXMLItem.h"

#include <cstdint>
#include <memory>

// The two machine-wide configuration files: XML documents whose root "Configuration"
// carries simple settings as attributes (and, in the global file, the default state).
// They are read when needed and written at once when changed; two writers are not
// coordinated, the last one wins.
class YConfiguration {
public:
    enum class File {
        Plugin,  // "YPluginConfiguration.xml" in the maker's folder of the user's application data
        Global,  // "GlobalConfiguration.xml" in the module's global data folder
    };

    static YString PathOf(File file);
    // The file's document; a missing or unreadable file gives an empty "Configuration".
    static std::unique_ptr<YXMLItem> Read(File file);
    // Writes through a temporary file that then replaces the old one, so that a failed
    // write never leaves half a configuration behind.
    static void Write(File file, YXMLItem& root);

    // An optional "-" and digits, reading stops at the first other character; a
    // missing attribute (or file) gives the default.
    static int32_t ReadInteger(File file, const YString& key, int32_t defaultValue);
    static void WriteInteger(File file, const YString& key, int32_t value);
    static void WriteText(File file, const YString& key, const YString& value);
    static void Remove(File file, const YString& key);
};
