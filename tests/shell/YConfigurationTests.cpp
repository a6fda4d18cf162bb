#include "RoadTestPlugin.h"

#include "foundation/YFile.h"
#include "foundation/YStdFileStream.h"
#include "foundation/YXMLDocument.h"
#include "shell/YConfiguration.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

using File = YConfiguration::File;

// A plug-in whose whole state is one number.
class StatefulPlugin : public RoadTestPlugin {
public:
    int32_t state = 3;
    int loads = 0;
    void Store(YStoreArchive& archive) override {
        archive.Integer("State", state, 3);
        loads += archive.Loading();
    }
};

// Linux keeps the files under the scratch folder's XDG folders; Windows in the wine
// prefix's application data, which the tests clear instead.
class Configuration : public ::testing::Test {
protected:
    void SetUp() override { Clear(); }
    void TearDown() override { Clear(); }
    static void Clear() {
        for (File file : {File::Plugin, File::Global})
            if (YFile::Exists(YConfiguration::PathOf(file))) YFile::Delete(YConfiguration::PathOf(file));
    }
    static std::pair<int32_t, int32_t> DefaultSize(YAudioPlugin& plugin) {
        int32_t width = -1, height = -1;
        plugin.GetDefaultSize(width, height);
        return {width, height};
    }
    static std::unique_ptr<YXMLItem> Load(File file) {
        YStdFileStream stream(YConfiguration::PathOf(file), YStdFileStream::kRead);
        return YXMLDocument::Read(stream);
    }

    ScratchFolder scratch;
};

TEST_F(Configuration, MissingFilesGiveTheDefaults) {
    EXPECT_EQ(YAudioPlugin::GetSurroundSetting(), 0);
    EXPECT_EQ(YAudioPlugin::GetConfirmationEnabled(), 1);
    StatefulPlugin plugin;
    EXPECT_EQ(plugin.GetEditorMode(), 0);
    EXPECT_EQ(DefaultSize(plugin), std::make_pair(0, 0));
    EXPECT_FALSE(YFile::Exists(YConfiguration::PathOf(File::Plugin)));
}

TEST_F(Configuration, WritingCreatesTheFileAtOnce) {
    YAudioPlugin::SetConfirmationEnabled(0);
    std::unique_ptr<YXMLItem> root = Load(File::Plugin);
    EXPECT_EQ(root->GetName(), YString("Configuration"));
    EXPECT_EQ(root->GetAttribute("ConfirmationEnabled"), YString("0"));
    EXPECT_EQ(YAudioPlugin::GetConfirmationEnabled(), 0);
    YAudioPlugin::SetSurroundSetting(1);
    EXPECT_EQ(YAudioPlugin::GetSurroundSetting(), 1);
    EXPECT_EQ(YAudioPlugin::GetConfirmationEnabled(), 0);  // the other setting survives
    YConfiguration::WriteText(File::Plugin, "TabletMode", "-12abc");
    EXPECT_EQ(YAudioPlugin::GetTabletMode(), -12);
}

TEST_F(Configuration, DefaultSizeIsKeptPerProduct) {
    StatefulPlugin plugin;
    plugin.productName = "Vor talis";
    plugin.SetDefaultSize(640, 480);
    EXPECT_EQ(Load(File::Global)->GetAttribute("DefaultSizeVortalis"), YString("640,480"));
    EXPECT_EQ(DefaultSize(plugin), std::make_pair(640, 480));
    plugin.ResetDefaultSize();
    EXPECT_EQ(DefaultSize(plugin), std::make_pair(0, 0));
}

TEST_F(Configuration, DefaultStateForNewInstances) {
    StatefulPlugin plugin;
    EXPECT_FALSE(plugin.LoadDefaultSettings());
    EXPECT_EQ(plugin.loads, 0);
    plugin.state = 42;
    plugin.SetDefaultSettingsToCurrent();
    plugin.SetDefaultSettingsToCurrent();  // replaces, never adds a second one
    std::unique_ptr<YXMLItem> root = Load(File::Global);
    ASSERT_NE(root->FindSubItem("DefaultSettings"), nullptr);
    EXPECT_EQ(root->FindSubItem("DefaultSettings")->GetSubItemCount(), 1u);

    StatefulPlugin fresh;
    EXPECT_TRUE(fresh.LoadDefaultSettings());
    EXPECT_EQ(fresh.state, 42);

    // A broken file counts as empty.
    YConfiguration::WriteText(File::Global, "EditorMode", "2");
    {
        YStdFileStream stream(YConfiguration::PathOf(File::Global), YStdFileStream::kWrite | YStdFileStream::kCreate);
        stream.WriteString("<Configuration EditorMode=\"2\"><Default");
    }
    StatefulPlugin other;
    EXPECT_EQ(other.GetEditorMode(), 0);
    EXPECT_FALSE(other.LoadDefaultSettings());
}

}  // namespace
