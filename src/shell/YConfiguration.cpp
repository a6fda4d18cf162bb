#include "shell/YConfiguration.h"

#include "foundation/YException.h"
#include "foundation/YFile.h"
#include "foundation/YFormat.h"
#include "foundation/YXMLDocument.h"

namespace {
const YString kRootName = "Configuration";
}

YString YConfiguration::PathOf(File file) {
    if (file == File::Plugin) {
        YString folder = YFile::GetSystemPath(YFile::SystemFolder::UserData);
        YFile::CreatePath(folder);
        return YFile::Join(folder, "YPluginConfiguration.xml");
    }
    return YFile::Join(YFile::GetGlobalDataPath(), "GlobalConfiguration.xml");
}

std::unique_ptr<YXMLItem> YConfiguration::Read(File file) {
    try {
        std::unique_ptr<YXMLItem> root = YXMLDocument::ReadFile(PathOf(file));
        root->SetName(kRootName);
        return root;
    } catch (const YException&) {
        return std::make_unique<YXMLItem>(kRootName);
    }
}

void YConfiguration::Write(File file, YXMLItem& root) {
    root.SetName(kRootName);
    YXMLDocument::WriteFile(root, PathOf(file));
}

int32_t YConfiguration::ReadInteger(File file, const YString& key, int32_t defaultValue) {
    std::unique_ptr<YXMLItem> root = Read(file);
    const YString* text = root->FindAttribute(key);
    return text ? static_cast<int32_t>(ToInteger(*text, 10)) : defaultValue;
}

void YConfiguration::WriteText(File file, const YString& key, const YString& value) {
    std::unique_ptr<YXMLItem> root = Read(file);
    root->SetAttribute(key, value);
    Write(file, *root);
}

void YConfiguration::WriteInteger(File file, const YString& key, int32_t value) {
    WriteText(file, key, YFormat("{0}").Arg(value));
}

void YConfiguration::Remove(File file, const YString& key) {
    std::unique_ptr<YXMLItem> root = Read(file);
    if (root->RemoveAttribute(key)) Write(file, *root);
}
