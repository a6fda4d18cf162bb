// The Presets page as a user meets it: its buttons and questions change the preset
// manager's tree and file (or, refused, nothing), the current preset follows steps
// made on the page, in the header and by the preset worker; and the editor's size.
#include "EditorFixture.h"
#include "editor/PresetsPage.h"
#include "support/PresetFiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

namespace {

using Manager = YPresetManagerBase;

class PresetsPageTest : public Editor {
protected:
    void SetUp() override {
        Editor::SetUp();
        YAudioPlugin::SetConfirmationEnabled(1);
        editor->ShowPage(VortalisEditor::Page::Presets);
        editor->PaintAll();
    }

    PresetsPage& Page() { return editor->Presets(); }
    Manager& Presets() { return static_cast<YYorvaneAudioEffectPlugin&>(*plugin).Presets(); }
    void Press(const YString& text) {
        YButton* button = Page().Button(text);
        ASSERT_NE(button, nullptr) << text.ToUtf8();
        Click(Center(button->Bounds()));
    }
    YQuestion* Question() { return dynamic_cast<YQuestion*>(Window().TopPopup()); }
    // The open question is this one; then its button is pressed.
    void Answer(const YString& message, int32_t button) {
        YQuestion* question = Question();
        ASSERT_NE(question, nullptr) << message.ToUtf8();
        EXPECT_EQ(question->Message().ToUtf8(), message.ToUtf8());
        Click(Center(question->ButtonRect(button)));
    }
    // The open prompt is this one and proposes proposed; then text is typed over it.
    void Reply(const YString& message, const YString& proposed, const std::string& text) {
        YQuestion* question = Question();
        ASSERT_NE(question, nullptr) << message.ToUtf8();
        EXPECT_EQ(question->Message().ToUtf8(), message.ToUtf8());
        EXPECT_EQ(question->FieldText().ToUtf8(), proposed.ToUtf8());
        Type(text.c_str());
        EXPECT_NE(Window().TopPopup(), question);
    }
    // A message is shown (an error); OK closes it.
    void ExpectMessage(const char* message) {
        YQuestion* question = Question();
        ASSERT_NE(question, nullptr) << message;
        EXPECT_EQ(question->Message().ToUtf8(), TranslateText(YString::FromUtf8(message)).ToUtf8());
        Click(Center(question->ButtonRect(0)));
        EXPECT_FALSE(Window().HasPopup());
    }
    // A click on the line of item in the tree.
    void ClickItem(const YXMLItem* item, int32_t clicks = 1) {
        ASSERT_NE(item, nullptr);
        const YTreeControl::Path path = Page().PathTo(item);
        ASSERT_FALSE(path.empty());
        const std::vector<YTreeControl::Row> rows = Page().Tree().Rows();
        for (int32_t row = 0; row < static_cast<int32_t>(rows.size()); ++row)
            if (rows[static_cast<std::size_t>(row)].path == path) return Click(Center(Page().Tree().RowRect(row)), clicks);
        FAIL() << "the item's line is folded away";
    }
    const YXMLItem* SelectedInTree() { return Page().ItemAt(Page().Tree().Selected()); }
    std::string FileText() const {
        std::ifstream in(files.Path().ToUtf8(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // A preset saved by the manager with the feedback parameter at value.
    const YXMLItem* Saved(const char* name, double feedback, const YXMLItem* folder = nullptr) {
        plugin->SetParameter(Index::kFeedback, feedback);
        return Presets().SaveNew(YString::FromUtf8(name), folder);
    }
    double Feedback() const { return plugin->GetParameter(Index::kFeedback); }

    PresetFiles files;  // made before the plug-in opens the file
};

TEST_F(PresetsPageTest, SavingThroughThePageStoresThePresetOrShowsWhyNot) {
    plugin->SetParameter(Index::kFeedback, 0.25);
    Press("Save new");
    Reply(TranslateText(Manager::kPromptNewPreset), TranslateText(Manager::kUnnamedPreset), "Wide");
    const YXMLItem* wide = Presets().FindPreset("Wide");
    ASSERT_NE(wide, nullptr);
    EXPECT_NE(FileText().find("name=\"Wide\""), std::string::npos);
    EXPECT_EQ(SelectedInTree(), wide);
    EXPECT_EQ(Page().CurrentName().ToUtf8(), "Wide");  // its settings are the current ones

    // A name of blanks is refused: a message, and the file and the tree stay.
    const std::string before = FileText();
    Press("Save new");
    Reply(TranslateText(Manager::kPromptNewPreset), TranslateText(Manager::kUnnamedPreset), "   ");
    ExpectMessage("A preset needs a name.");
    EXPECT_EQ(FileText(), before);
    EXPECT_EQ(Presets().StepOrder().size(), 1u);
    // Escape drops the prompt, and so does Cancel after typing (the field does not
    // commit when the click takes it away).
    Press("Save new");
    Window().Key({YKeyEvent::Kind::KeyDown, 0, kKeyEscape, 0});
    EXPECT_FALSE(Window().HasPopup());
    Press("Save new");
    YQuestion* prompt = Question();
    ASSERT_NE(prompt, nullptr);
    for (const char c : std::string("Kept")) Window().Key({YKeyEvent::Kind::Character, static_cast<char16_t>(c), 0, 0});
    EXPECT_EQ(prompt->FieldText().ToUtf8(), "Kept");
    Click(Center(prompt->ButtonRect(0)));
    EXPECT_FALSE(Window().HasPopup());
    EXPECT_EQ(Presets().FindPreset("Kept"), nullptr);
    EXPECT_EQ(FileText(), before);

    // Into the folder selected, or the folder of the preset selected.
    const YXMLItem* folder = Presets().NewFolder("Live", nullptr);
    editor->Idle();
    ClickItem(folder);
    Press("Save new");
    Reply(TranslateText(Manager::kPromptNewPreset), TranslateText(Manager::kUnnamedPreset), "");  // taken as proposed
    const YString unnamed = YString("Live/") + TranslateText(Manager::kUnnamedPreset);
    ClickItem(Presets().FindPreset(unnamed));
    Press("Save new");
    Reply(TranslateText(Manager::kPromptNewPreset), TranslateText(Manager::kUnnamedPreset) + YString(" 2"), "Stage");
    EXPECT_NE(Presets().FindPreset("Live/Stage"), nullptr);
    EXPECT_EQ(Presets().PathOf(*SelectedInTree()).ToUtf8(), "Live/Stage");
}

TEST_F(PresetsPageTest, ReplaceAndDeleteAskOnlyWhenConfirmationsAreOnAndANoChangesNothing) {
    const YXMLItem* preset = Saved("Mellow", 0.25);
    editor->Idle();
    plugin->SetParameter(Index::kFeedback, 0.75);
    for (const bool confirming : {true, false}) {
        SCOPED_TRACE(confirming);
        YAudioPlugin::SetConfirmationEnabled(confirming ? 1 : 0);
        ClickItem(preset);
        const std::string before = FileText();
        if (confirming) {
            Press("Replace");
            Answer(TranslateText(Manager::kConfirmReplacePreset), 0);
            EXPECT_EQ(FileText(), before);
            Press("Delete");
            Answer(TranslateText(Manager::kConfirmDeletePreset), 0);
            EXPECT_EQ(FileText(), before);
            ASSERT_EQ(Presets().FindPreset("Mellow"), preset);
        }
        Press("Replace");
        if (confirming) Answer(TranslateText(Manager::kConfirmReplacePreset), 1);
        EXPECT_FALSE(Window().HasPopup());
        EXPECT_NE(FileText(), before);
        plugin->SetParameter(Index::kFeedback, 0.5);
        Presets().Load(*Presets().FindPreset("Mellow"));
        EXPECT_NEAR(Feedback(), 0.75, 1e-4);  // the settings of the replace

        Press("Delete");
        if (confirming) Answer(TranslateText(Manager::kConfirmDeletePreset), 1);
        EXPECT_FALSE(Window().HasPopup());
        EXPECT_EQ(Presets().FindPreset("Mellow"), nullptr);
        EXPECT_EQ(FileText().find("Mellow"), std::string::npos);
        EXPECT_TRUE(Page().Tree().Roots().empty());
        preset = Saved("Mellow", 0.25);
        editor->Idle();
        plugin->SetParameter(Index::kFeedback, 0.75);
    }
    // Nothing selected: a message, nothing asked.
    YAudioPlugin::SetConfirmationEnabled(1);
    Presets().Select(nullptr);
    Press("Delete");
    ExpectMessage("Select a preset first.");
    EXPECT_NE(Presets().FindPreset("Mellow"), nullptr);
}

TEST_F(PresetsPageTest, FoldersAreMadeRenamedAndDeleted) {
    Press("New folder");
    Reply(TranslateText(Manager::kPromptNewFolder), TranslateText(Manager::kProposedFolderName) + YString("1"), "Slow");
    const YXMLItem* slow = Presets().FindFolder("Slow");
    ASSERT_NE(slow, nullptr);
    EXPECT_EQ(SelectedInTree(), slow);
    Press("New folder");  // inside the selected one
    Reply(TranslateText(Manager::kPromptNewFolder), TranslateText(Manager::kProposedFolderName) + YString("1"), "Inner");
    ASSERT_NE(Presets().FindFolder("Slow/Inner"), nullptr);
    ClickItem(Presets().FindFolder("Slow"));
    Press("New folder");  // the first free number
    Reply(TranslateText(Manager::kPromptNewFolder), TranslateText(Manager::kProposedFolderName) + YString("1"), "New folder 1");
    ClickItem(Presets().FindFolder("Slow"));
    Press("New folder");
    Reply(TranslateText(Manager::kPromptNewFolder), TranslateText(Manager::kProposedFolderName) + YString("2"), "Other");

    ClickItem(Presets().FindFolder("Slow/Inner"));
    Press("Rename folder");
    Reply(TranslateText(Manager::kPromptRenameFolder), "Inner", "Deep");
    EXPECT_EQ(Presets().FindFolder("Slow/Inner"), nullptr);
    ASSERT_NE(Presets().FindFolder("Slow/Deep"), nullptr);
    EXPECT_NE(FileText().find("Name=\"Deep\""), std::string::npos);
    const std::string before = FileText();
    Press("Rename folder");
    Reply(TranslateText(Manager::kPromptRenameFolder), "Deep", " ");
    ExpectMessage("A folder needs a name.");
    EXPECT_EQ(FileText(), before);

    Saved("Inside", 0.3, Presets().FindFolder("Slow/Deep"));
    editor->Idle();
    ClickItem(Presets().FindFolder("Slow"));
    Press("Delete folder");
    Answer(TranslateText(Manager::kConfirmDeleteFolder), 0);
    EXPECT_EQ(FileText().find("Inside") == std::string::npos, false);
    Press("Delete folder");
    Answer(TranslateText(Manager::kConfirmDeleteFolder), 1);
    EXPECT_EQ(Presets().FindFolder("Slow"), nullptr);
    EXPECT_EQ(FileText().find("Inside"), std::string::npos);
    EXPECT_TRUE(Page().Tree().Roots().empty());
    Press("Rename folder");
    ExpectMessage("Select a folder first.");
}

TEST_F(PresetsPageTest, ExportThenImportRoundTripsAFolder) {
    const YXMLItem* live = Presets().NewFolder("Live", nullptr);
    Saved("Verse", 0.2, live);
    Saved("Chorus", 0.8, Presets().FindFolder("Live"));
    Saved("Elsewhere", 0.5);
    editor->Idle();
    ClickItem(Presets().FindFolder("Live"));
    const YString folder = YFile::Join(scratch.Path(), "exports");
    YFile::CreatePath(folder);
    Press("Export folder");
    Reply(TranslateText(Manager::kTitleExportFolder),
          YFile::Join(YFile::GetSystemPath(YFile::SystemFolder::UserDocuments), "Live.ypresets"),
          YFile::Join(folder, "live").ToUtf8());
    const YString file = YFile::Join(folder, "live.ypresets");  // the extension added
    ASSERT_TRUE(YFile::Exists(file));
    EXPECT_EQ(YConfiguration::Read(YConfiguration::File::Plugin)->FindAttribute(Manager::kDialogFolderKey)->ToUtf8(),
              folder.ToUtf8());

    // The folder changes; the import brings back what was exported, and only there.
    Presets().DeletePreset(*Presets().FindPreset("Live/Chorus"));
    Saved("Bridge", 0.6, Presets().FindFolder("Live"));
    editor->Idle();
    ClickItem(Presets().FindFolder("Live"));
    Press("Import folder");
    Reply(TranslateText(Manager::kTitleImportFolder), YFile::Join(folder, "Live.ypresets"), file.ToUtf8());
    Answer(TranslateText(Manager::kConfirmImportFolder), 1);
    EXPECT_FALSE(Window().HasPopup());
    EXPECT_EQ(Presets().FindPreset("Live/Bridge"), nullptr);
    ASSERT_NE(Presets().FindPreset("Live/Chorus"), nullptr);
    ASSERT_NE(Presets().FindPreset("Live/Verse"), nullptr);
    EXPECT_NE(Presets().FindPreset("Elsewhere"), nullptr);
    ClickItem(Presets().FindPreset("Live/Chorus"), 2);  // a double click loads
    EXPECT_NEAR(Feedback(), 0.8, 1e-4);
    EXPECT_EQ(Page().CurrentName().ToUtf8(), "Live/Chorus");

    // A file that is not there: a message, the tree and the file stay.
    const std::string before = FileText();
    ClickItem(Presets().FindFolder("Live"));
    Press("Import folder");
    Reply(TranslateText(Manager::kTitleImportFolder), YFile::Join(folder, "Live.ypresets"),
          YFile::Join(folder, "missing.ypresets").ToUtf8());
    Answer(TranslateText(Manager::kConfirmImportFolder), 1);
    ASSERT_NE(Question(), nullptr);  // the read error
    Click(Center(Question()->ButtonRect(0)));
    EXPECT_EQ(FileText(), before);
    EXPECT_NE(Presets().FindPreset("Live/Chorus"), nullptr);
}

TEST_F(PresetsPageTest, NextAndPreviousStepInTheManagersOrderAndTheSelectionFollows) {
    // A at the top, B in a folder, C at the top: the order is A, C, B.
    Saved("A", 0.1);
    Saved("B", 0.2, Presets().NewFolder("Folder", nullptr));
    Saved("C", 0.3);
    editor->Idle();
    Presets().Load(*Presets().FindPreset("A"));
    editor->Idle();
    const struct {
        const char* button;
        const char* name;
        double feedback;
    } steps[] = {{"Next", "C", 0.3}, {"Next", "Folder/B", 0.2}, {"Next", "A", 0.1}, {"Previous", "Folder/B", 0.2}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        Press(YString::FromUtf8(step.button));
        EXPECT_EQ(Page().CurrentName().ToUtf8(), step.name);
        EXPECT_NEAR(Feedback(), step.feedback, 1e-4);
        EXPECT_EQ(SelectedInTree(), Presets().FindPreset(YString::FromUtf8(step.name)));
    }
    // The header's buttons step from every page.
    editor->ShowPage(VortalisEditor::Page::Phaser);
    Click(Center(editor->HeaderPresetBar().Next().Bounds()));
    EXPECT_EQ(Page().CurrentName().ToUtf8(), "A");
    Click(Center(editor->HeaderPresetBar().Previous().Bounds()));
    EXPECT_EQ(Page().CurrentName().ToUtf8(), "Folder/B");
}

TEST_F(PresetsPageTest, APresetStepOutsideTheEditorShowsAfterItsNextUpdate) {
    Saved("First", 0.1);
    Saved("Second", 0.9, Presets().NewFolder("Folder", nullptr));
    editor->Idle();
    Presets().Load(*Presets().FindPreset("First"));
    editor->Idle();
    ClickItem(Presets().FindFolder("Folder"));
    // What a MIDI or parameter trigger leads to: the preset worker steps.
    auto& engine = static_cast<YYorvaneAudioEffectPlugin&>(*plugin);
    engine.RequestPresetStep(1);
    std::thread worker([&engine] { engine.CarryOutPresetSteps(); });
    worker.join();
    EXPECT_NEAR(Feedback(), 0.9, 1e-4);
    EXPECT_EQ(Page().CurrentName().ToUtf8(), "First");  // not yet: the editor has not looked
    std::vector<YCanvas::DrawnText> texts;
    Window().RecordTexts(&texts);
    editor->Idle();
    Window().RecordTexts(nullptr);
    EXPECT_EQ(Page().CurrentName().ToUtf8(), "Folder/Second");
    EXPECT_EQ(SelectedInTree(), Presets().FindPreset("Folder/Second"));
    const auto shown = [&texts](const char* text) {
        for (const YCanvas::DrawnText& drawn : texts)
            if (drawn.text.ToUtf8() == text) return true;
        return false;
    };
    EXPECT_TRUE(shown("Folder/Second"));  // in the header
    EXPECT_TRUE(shown("Second"));         // on the page
}

TEST_F(PresetsPageTest, SizesBelowTheMinimumAreClampedAndRepaintLikeAWholePaint) {
    for (const float scale : {1.0f, 1.5f}) {
        SCOPED_TRACE(scale);
        editor->SetScale(scale);
        int32_t minimumWidth = 0, minimumHeight = 0, width = 0, height = 0;
        editor->GetMinimumSize(minimumWidth, minimumHeight);
        editor->SetSize(512, 384);
        editor->GetSize(width, height);
        EXPECT_EQ(width, minimumWidth);
        EXPECT_EQ(height, minimumHeight);
        EXPECT_EQ(Window().Pixels().Width(), minimumWidth);
        // Asked of the host too: its window is never asked for less, and one that
        // declines leaves the editor as it was.
        editor->SetSize(minimumWidth + 40, minimumHeight + 30);
        host.agreesToResize = false;
        EXPECT_FALSE(plugin->ResizeEditor(512, 384));
        editor->GetSize(width, height);
        EXPECT_EQ(width, minimumWidth + 40);
        host.agreesToResize = true;
        EXPECT_TRUE(plugin->ResizeEditor(512, 384));
        EXPECT_EQ(host.resizes.back(), std::make_pair(minimumWidth, minimumHeight));
        editor->GetSize(width, height);
        EXPECT_EQ(std::make_pair(width, height), std::make_pair(minimumWidth, minimumHeight));
        for (VortalisEditor::Page page : {VortalisEditor::Page::Phaser, VortalisEditor::Page::Presets}) {
            editor->ShowPage(page);
            editor->PaintAll();
            EffectOf(*plugin).SetPhase(0.37 * scale);
            plugin->SetParameter(Index::kMaxFrequency, 0.9);
            Saved("Partial", 0.4);  // the tree changes
            editor->Idle();
            const std::vector<uint32_t> partial = Window().Pixels().Pixels();
            Window().InvalidateAll();
            Window().Paint();
            EXPECT_TRUE(partial == Window().Pixels().Pixels()) << static_cast<int>(page);
        }
    }
}

}  // namespace
