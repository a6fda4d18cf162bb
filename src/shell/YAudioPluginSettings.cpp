// The machine-wide settings of YAudioPlugin, kept in the two configuration files.
#include "shell/YAudioPlugin.h"

#include "foundation/YException.h"
#include "foundation/YFormat.h"
#include "foundation/YScan.h"
#include "shell/YConfiguration.h"

#include <algorithm>

namespace {

using File = YConfiguration::File;

constexpr int32_t kBuiltInEditorMode = 0;
constexpr int32_t kDefaultTabletMode = 0;

// "DefaultSize" followed by the product name without blanks or control characters.
YString DefaultSizeKey(const YString& product) {
    YString key("DefaultSize");
    for (uint32_t i = 0; i < product.Length(); ++i)
        if (product[i] > 32) key.Append(product[i]);
    return key;
}

}  // namespace

int32_t YAudioPlugin::GetSurroundSetting() { return YConfiguration::ReadInteger(File::Plugin, "Surround", 0); }
void YAudioPlugin::SetSurroundSetting(int32_t value) { YConfiguration::WriteInteger(File::Plugin, "Surround", value); }

int32_t YAudioPlugin::GetConfirmationEnabled() {
    return YConfiguration::ReadInteger(File::Plugin, "ConfirmationEnabled", 1);
}
void YAudioPlugin::SetConfirmationEnabled(int32_t value) {
    YConfiguration::WriteInteger(File::Plugin, "ConfirmationEnabled", value);
}

int32_t YAudioPlugin::GetTabletMode() {
    return YConfiguration::ReadInteger(File::Plugin, "TabletMode", kDefaultTabletMode);
}
void YAudioPlugin::SetTabletMode(int32_t value) { YConfiguration::WriteInteger(File::Plugin, "TabletMode", value); }

int32_t YAudioPlugin::GetEditorMode() {
    return YGuarded("YAudioPlugin::GetEditorMode", kBuiltInEditorMode,
                    [] { return YConfiguration::ReadInteger(File::Global, "EditorMode", kBuiltInEditorMode); });
}
void YAudioPlugin::SetEditorMode(int32_t mode) { YConfiguration::WriteInteger(File::Global, "EditorMode", mode); }

void YAudioPlugin::GetDefaultSize(int32_t& width, int32_t& height) {
    width = height = 0;
    std::unique_ptr<YXMLItem> root = YConfiguration::Read(File::Global);
    if (const YString* text = root->FindAttribute(DefaultSizeKey(productName))) YScan("{0},{1}", *text).Get(width).Get(height);
    // A size stored on a larger screen must not open beyond this one.
    int32_t desktopWidth = 0, desktopHeight = 0;
    if (width > 0 && YChildWindow::DesktopSize(desktopWidth, desktopHeight)) {
        width = std::min(width, desktopWidth - 31);
        height = std::min(height, desktopHeight);
    }
}

void YAudioPlugin::SetDefaultSize(int32_t width, int32_t height) {
    YConfiguration::WriteText(File::Global, DefaultSizeKey(productName), YFormat("{0},{1}").Arg(width).Arg(height));
}

void YAudioPlugin::ResetDefaultSize() { YConfiguration::Remove(File::Global, DefaultSizeKey(productName)); }

void YAudioPlugin::SetDefaultSettingsToCurrent() {
    YGuarded("YAudioPlugin::SetDefaultSettingsToCurrent", [&] {
        std::unique_ptr<YXMLItem> root = YConfiguration::Read(File::Global);
        YXMLItem settings("Settings");
        YStoreArchive saving(settings, false);
        Store(saving);
        YXMLItem* holder = root->GetOrAddSubItem("DefaultSettings");
        holder->RemoveAllSubItems();
        holder->SetText(YString());
        holder->AddSubItem("Settings")->CopyFrom(settings);
        YConfiguration::Write(File::Global, *root);
    });
}

bool YAudioPlugin::LoadDefaultSettings() {
    return YGuarded("YAudioPlugin::LoadDefaultSettings", false, [&] {
        std::unique_ptr<YXMLItem> root = YConfiguration::Read(File::Global);
        YXMLItem* holder = root->FindSubItem("DefaultSettings");
        if (holder == nullptr || holder->GetSubItemCount() == 0) return false;
        YStoreArchive loading(*holder->GetSubItemAt(0), true);
        Store(loading);
        return true;
    });
}
