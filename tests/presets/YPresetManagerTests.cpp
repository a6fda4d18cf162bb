#include "presets/YPresetManagerT.h"

#include "foundation/YException.h"
#include "foundation/YFile.h"
#include "foundation/YStdFileStream.h"
#include "foundation/YXMLDocument.h"
#include "support/PresetFiles.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// An owner whose whole setting is one text: what it stores and what it was handed.
struct Owner {
    YString value = "0";
    bool accept = true;
    bool lastReplacing = false;
    std::vector<std::string> loaded;

    bool StorePreset(YXMLItem& preset, YPresetManagerBase&, bool replacing) {
        lastReplacing = replacing;
        preset.SetAttribute("value", value);
        preset.AddSubItem("Controllers")->SetAttribute("Enabled", "1");
        return accept;
    }
    void LoadPreset(YXMLItem& preset, YPresetManagerBase&) {
        loaded.push_back(preset.GetAttribute("value").ToUtf8());
        EXPECT_NE(preset.FindSubItem("Controllers"), nullptr);
    }
};

std::string Bytes(const YString& path) {
    YStdFileStream stream(path, YStdFileStream::kRead);
    std::string bytes(static_cast<std::size_t>(stream.GetSize()), '\0');
    if (!bytes.empty()) stream.Read(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return bytes;
}

void WriteBytes(const YString& path, const std::string& bytes) {
    YStdFileStream stream(path, YStdFileStream::kWrite | YStdFileStream::kCreate);
    if (!bytes.empty()) stream.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

std::unique_ptr<YXMLItem> ReadXML(const YString& path) {
    YStdFileStream stream(path, YStdFileStream::kRead);
    return YXMLDocument::Read(stream);
}

template <typename Body>
std::string MessageOf(Body&& body) {
    try {
        body();
    } catch (const YException& e) {
        return e.Message().ToUtf8();
    }
    return "no exception";
}

class Presets : public ::testing::Test {
protected:
    void SetUp() override { manager.SetPrefix("Vortalis"); }
    // Writes the preset file as older versions or other tools left it, then opens it.
    void OpenWith(const std::string& text) {
        YFile::CreatePath(makerFolder);
        WriteBytes(path, text);
        manager.Open();
    }
    const YXMLItem* Save(const char* name, const char* value, const YXMLItem* into = nullptr) {
        owner.value = YString::FromUtf8(value);
        return manager.SaveNew(YString::FromUtf8(name), into);
    }
    std::vector<std::string> Order() {
        std::vector<std::string> names;
        for (const YXMLItem* preset : manager.StepOrder()) names.push_back(YPresetManagerBase::NameOf(*preset).ToUtf8());
        return names;
    }

    ScratchFolder scratch;
    PresetFiles files;
    const YString makerFolder = files.Folder(), path = files.Path();
    Owner owner;
    YPresetManagerT<Owner> manager{owner};
};

TEST_F(Presets, AFreshFileHoldsTheRootAndOnePackedPreset) {
    manager.Open();
    EXPECT_EQ(manager.OpenError(), YString());
    EXPECT_EQ(manager.Path(), path);
    EXPECT_FALSE(YFile::Exists(path));

    const YXMLItem* saved = Save("First", "0.25");
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(manager.Selected(), saved);
    EXPECT_FALSE(owner.lastReplacing);
    const std::string text = Bytes(path);
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"utf-8\"?>", 0), 0u);
    EXPECT_FALSE(YFile::Exists(path + YString(".new")));

    std::unique_ptr<YXMLItem> root = ReadXML(path);
    EXPECT_EQ(root->GetName(), YString("Vortalispresets"));
    ASSERT_EQ(root->GetSubItemCount(), 1u);
    const YXMLItem& preset = *root->GetSubItemAt(0);
    EXPECT_EQ(preset.GetName(), YString("preset"));
    EXPECT_EQ(preset.GetAttributeCount(), 2u);
    EXPECT_EQ(preset.GetAttribute("name"), YString("First"));
    EXPECT_EQ(preset.GetAttribute("compressed"), YString("1"));
    EXPECT_EQ(preset.GetSubItemCount(), 0u);
    const std::string hex = preset.GetText().Trimmed().ToUtf8();
    ASSERT_FALSE(hex.empty());
    EXPECT_EQ(hex.size() % 2, 0u);
    EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos) << hex;
    // zlib's header at level 9.
    EXPECT_EQ(hex.substr(0, 4), "78DA");

    // The packed content is the whole element, settings included.
    std::unique_ptr<YXMLItem> content = YPresetManagerBase::Unpack(preset);
    EXPECT_EQ(content->GetName(), YString("preset"));
    EXPECT_EQ(content->GetAttribute("name"), YString("First"));
    EXPECT_EQ(content->GetAttribute("value"), YString("0.25"));
    EXPECT_NE(content->FindSubItem("Controllers"), nullptr);

    // A second instance reads what the first wrote.
    Owner other;
    YPresetManagerT<Owner> second(other);
    second.SetPrefix("Vortalis");
    second.Open();
    second.Load(*second.FindPreset("first"));
    EXPECT_EQ(other.loaded, std::vector<std::string>{"0.25"});
}

TEST_F(Presets, SteppingTakesAFoldersOwnPresetsBeforeItsSubfoldersAndWraps) {
    manager.Open();
    Save("A", "a");
    const YXMLItem* folder = manager.NewFolder("Folder", nullptr);
    Save("B", "b", folder);
    const YXMLItem* inner = manager.NewFolder("Inner", manager.FindFolder("Folder"));
    Save("D", "d", inner);
    Save("E", "e", manager.FindFolder("folder"));
    Save("C", "c");
    EXPECT_EQ(Order(), (std::vector<std::string>{"A", "C", "B", "E", "D"}));
    EXPECT_EQ(manager.PathOf(*manager.FindPreset("Folder/Inner/D")), YString("Folder/Inner/D"));

    manager.DeleteFolder(*manager.FindFolder("Folder/Inner"));
    manager.DeletePreset(*manager.FindPreset("Folder/E"));
    ASSERT_EQ(Order(), (std::vector<std::string>{"A", "C", "B"}));

    manager.SetCurrentPresetIndex(0);
    EXPECT_TRUE(manager.Step(1));
    EXPECT_TRUE(manager.Step(1));
    EXPECT_EQ(manager.CurrentPresetIndex(), 2);
    EXPECT_TRUE(manager.Step(1));  // past the end: the first
    EXPECT_EQ(manager.CurrentPresetIndex(), 0);
    EXPECT_TRUE(manager.Step(-1));  // before the first: the last
    EXPECT_EQ(manager.CurrentPresetIndex(), 2);
    EXPECT_EQ(owner.loaded, (std::vector<std::string>{"c", "b", "a", "b"}));

    // Several steps at once; a step so far back that a hundred rounds do not reach
    // the list lands on the first preset.
    manager.SetCurrentPresetIndex(0);
    manager.Step(-7);
    EXPECT_EQ(manager.CurrentPresetIndex(), 2);
    manager.Step(-1000);
    EXPECT_EQ(manager.CurrentPresetIndex(), 0);
    manager.SetCurrentPresetIndex(-5);  // as a state may carry it
    manager.Step(4);
    EXPECT_EQ(manager.CurrentPresetIndex(), 2);

    // Loading a preset from the tree makes it the one the next step starts from.
    manager.Load(*manager.FindPreset("A"));
    EXPECT_EQ(manager.CurrentPresetIndex(), 0);
    EXPECT_EQ(owner.loaded.back(), "a");
}

TEST_F(Presets, WithoutPresetsAStepDoesNothing) {
    manager.Open();
    manager.NewFolder("Empty", nullptr);
    manager.SetCurrentPresetIndex(3);
    EXPECT_FALSE(manager.Step(1));
    EXPECT_FALSE(manager.Step(-1));
    EXPECT_EQ(manager.CurrentPresetIndex(), 3);
    EXPECT_TRUE(owner.loaded.empty());
}

TEST_F(Presets, AnUnpackedOlderPresetLoadsAndIsPackedByTheNextChange) {
    OpenWith("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Vortalispresets>\n"
             "\t<preset name=\"Old\" value=\"7\"><Controllers Enabled=\"1\"/></preset>\n"
             "\t<preset value=\"8\"><Controllers/></preset>\n</Vortalispresets>\n");
    EXPECT_EQ(manager.OpenError(), YString());
    EXPECT_EQ(Order(), (std::vector<std::string>{"Old", "Unnamed preset"}));
    const std::string before = Bytes(path);
    manager.Load(*manager.FindPreset("Old"));
    manager.Step(1);
    EXPECT_EQ(owner.loaded, (std::vector<std::string>{"7", "8"}));
    EXPECT_EQ(Bytes(path), before);  // loading changes nothing

    manager.NewFolder("New", nullptr);
    std::unique_ptr<YXMLItem> root = ReadXML(path);
    const YXMLItem* old = root->GetSubItemAt(0);
    EXPECT_EQ(old->GetAttribute("compressed"), YString("1"));
    EXPECT_EQ(old->GetSubItemCount(), 0u);
    EXPECT_EQ(YPresetManagerBase::Unpack(*old)->GetAttribute("value"), YString("7"));
    // A preset without a name has nothing to be packed under: it stays as it was.
    EXPECT_EQ(root->GetSubItemAt(1)->FindAttribute("compressed"), nullptr);
    EXPECT_EQ(root->GetSubItemAt(1)->GetAttribute("value"), YString("8"));
}

TEST_F(Presets, MergingAddsOnlyPresetsWhoseNamesAreNewWithTheirExchangeIndex) {
    manager.Open();
    Save("Pad", "mine");
    manager.NewFolder("Bass", nullptr);

    YXMLItem source("Vortalispresets");
    auto add = [](YXMLItem& into, const char* name, const char* value) {
        YXMLItem* preset = into.AddSubItem("preset");
        preset->SetAttribute("name", YString::FromUtf8(name));
        preset->SetAttribute("value", YString::FromUtf8(value));
        preset->AddSubItem("Controllers");
        YPresetManagerBase::Pack(*preset);
    };
    add(source, "PAD", "theirs");
    add(source, "Lead", "lead");
    YXMLItem* bass = source.AddSubItem("Directory");
    bass->SetAttribute("Name", "bass");
    add(*bass, "Sub", "sub");
    YXMLItem* keys = source.AddSubItem("Directory");
    keys->SetAttribute("Name", "Keys");
    add(*keys, "Pad", "keys pad");  // same name, other folder: new there

    EXPECT_EQ(manager.Merge(source, 42), 3);
    EXPECT_EQ(Order(), (std::vector<std::string>{"Pad", "Lead", "Sub", "Pad"}));
    std::unique_ptr<YXMLItem> root = ReadXML(path);
    EXPECT_EQ(root->GetSubItemAt(0)->FindAttribute("ExchangeIndex"), nullptr);
    EXPECT_EQ(root->GetSubItemAt(2)->GetAttribute("ExchangeIndex"), YString("42"));
    manager.Load(*manager.FindPreset("Pad"));
    EXPECT_EQ(owner.loaded.back(), "mine");
    manager.Load(*manager.FindPreset("Keys/Pad"));
    EXPECT_EQ(owner.loaded.back(), "keys pad");
    EXPECT_EQ(manager.FindFolder("Keys")->GetAttribute("Name"), YString("Keys"));

    // Nothing new: the file is not written again.
    const std::string before = Bytes(path);
    YFile::Delete(path);
    EXPECT_EQ(manager.Merge(source, 43), 0);
    EXPECT_FALSE(YFile::Exists(path));
    WriteBytes(path, before);
}

TEST_F(Presets, TheOlderLocationIsMergedOnceAndRemoved) {
    YFile::CreatePath(makerFolder);
    WriteBytes(path, "<Vortalispresets><preset name=\"Mine\" value=\"1\"><Controllers/></preset></Vortalispresets>");
    const YString older = files.OlderPath();
    WriteBytes(older, "<Vortalispresets><preset name=\"MINE\" value=\"2\"/><Directory Name=\"Old\">"
                      "<preset name=\"Legacy\" value=\"3\"><Controllers/></preset></Directory></Vortalispresets>");
    manager.Open();
    EXPECT_EQ(manager.OpenError(), YString());
    EXPECT_FALSE(YFile::Exists(older));
    EXPECT_EQ(Order(), (std::vector<std::string>{"Mine", "Legacy"}));
    manager.Load(*manager.FindPreset("Old/Legacy"));
    EXPECT_EQ(owner.loaded.back(), "3");
    // Written packed: the exchange index travels inside the packed element.
    std::unique_ptr<YXMLItem> root = ReadXML(path);
    const YXMLItem* legacy = root->GetSubItemAt(1)->GetSubItemAt(0);
    EXPECT_EQ(legacy->GetAttribute("compressed"), YString("1"));
    EXPECT_EQ(YPresetManagerBase::Unpack(*legacy)->GetAttribute("ExchangeIndex"), YString("0"));

    // A damaged older file stays where it is, for the user to rescue.
    WriteBytes(older, "<Vortalispresets><preset name=");
    manager.Open();
    EXPECT_NE(manager.OpenError(), YString());
    EXPECT_TRUE(YFile::Exists(older));
    EXPECT_EQ(Order(), (std::vector<std::string>{"Mine", "Legacy"}));
}

TEST_F(Presets, FolderOperationsChangeOnlyTheirFolder) {
    manager.Open();
    Save("Root", "r");
    const YXMLItem* first = manager.NewFolder("First", nullptr);
    Save("One", "1", first);
    Save("Two", "2", manager.FindFolder("First"));
    const YXMLItem* second = manager.NewFolder("Second", nullptr);
    Save("Three", "3", second);
    manager.NewFolder("Deep", manager.FindFolder("Second"));

    const YString exported = scratch.Path("second.ypresets");
    manager.ExportFolder(*manager.FindFolder("Second"), exported);
    std::unique_ptr<YXMLItem> file = ReadXML(exported);
    EXPECT_EQ(file->GetName(), YString("Directory"));
    EXPECT_EQ(file->GetAttribute("Name"), YString("Second"));
    EXPECT_EQ(file->GetSubItemCount(), 2u);

    manager.ImportFolder(*manager.FindFolder("First"), exported);
    EXPECT_EQ(Order(), (std::vector<std::string>{"Root", "Three", "Three"}));
    EXPECT_NE(manager.FindFolder("First/Deep"), nullptr);
    EXPECT_EQ(manager.FindFolder("First")->GetAttribute("Name"), YString("First"));
    EXPECT_EQ(manager.FindPreset("One"), nullptr);

    manager.RenameFolder(*manager.FindFolder("Second"), "Renamed");
    EXPECT_EQ(manager.FindFolder("Second"), nullptr);
    manager.DeleteFolder(*manager.FindFolder("Renamed"));
    std::unique_ptr<YXMLItem> root = ReadXML(path);
    EXPECT_EQ(root->GetSubItemCount(), 2u);  // "Root" and "First"
    EXPECT_EQ(Order(), (std::vector<std::string>{"Root", "Three"}));

    // Replacing stores anew in place; the preset becomes the user's own.
    owner.value = "new";
    manager.Replace(*manager.FindPreset("Root"));
    EXPECT_TRUE(owner.lastReplacing);
    manager.Load(*manager.FindPreset("Root"));
    EXPECT_EQ(owner.loaded.back(), "new");

    // What is not a preset directory is refused, and nothing changes.
    const std::string before = Bytes(path);
    const YString foreign = scratch.Path("foreign.ypresets");
    WriteBytes(foreign, "<settings/>");
    EXPECT_EQ(MessageOf([&] { manager.ImportFolder(*manager.FindFolder("First"), foreign); }),
              "File \"" + foreign.ToUtf8() + "\" holds no preset directory.");
    WriteBytes(foreign, "<Directory><preset name=\"x\"");
    EXPECT_NE(MessageOf([&] { manager.ImportFolder(*manager.FindFolder("First"), foreign); }), "no exception");
    EXPECT_EQ(MessageOf([&] { manager.ImportFolder(*manager.FindFolder("First"), scratch.Path("none")); }),
              "File \"" + scratch.Path("none").ToUtf8() + "\" could not be open. Make sure it exists.");
    EXPECT_EQ(Bytes(path), before);
    EXPECT_EQ(Order(), (std::vector<std::string>{"Root", "Three"}));
}

TEST_F(Presets, RefusedAndFailedOperationsLeaveTreeAndFileAsTheyWere) {
    manager.Open();
    Save("Kept", "k");
    const std::string before = Bytes(path);

    EXPECT_EQ(MessageOf([&] { manager.SaveNew("  ", nullptr); }), "A preset needs a name.");
    EXPECT_EQ(MessageOf([&] { manager.NewFolder("", nullptr); }), "A folder needs a name.");
    EXPECT_EQ(MessageOf([&] { manager.DeleteFolder(*manager.FindPreset("Kept")); }), "The item is not a folder.");
    YXMLItem stranger("preset");
    EXPECT_EQ(MessageOf([&] { manager.Load(stranger); }), "The item is not part of the preset tree.");
    owner.accept = false;
    EXPECT_EQ(Save("Declined", "d"), nullptr);
    owner.accept = true;

    // The file cannot be written: the temporary file's place is taken by a folder.
    YFile::CreatePath(path + YString(".new"));
    EXPECT_NE(MessageOf([&] { Save("Lost", "l"); }), "no exception");
    EXPECT_NE(MessageOf([&] { manager.DeletePreset(*manager.FindPreset("Kept")); }), "no exception");
    EXPECT_EQ(Bytes(path), before);
    EXPECT_EQ(Order(), std::vector<std::string>{"Kept"});
    YFile::DeleteDirectory(path + YString(".new"));
    Save("Now", "n");
    EXPECT_EQ(Order(), (std::vector<std::string>{"Kept", "Now"}));
}

TEST_F(Presets, DamagedPackedContentGivesItsErrorAndChangesNothing) {
    manager.Open();
    Save("Good", "g");
    std::unique_ptr<YXMLItem> root = ReadXML(path);
    const std::string good = root->GetSubItemAt(0)->GetText().Trimmed().ToUtf8();
    auto withContent = [&](const std::string& hex) {
        return "<Vortalispresets><preset name=\"Good\" compressed=\"1\">" + good +
               "</preset><preset name=\"Bad\" compressed=\"1\">" + hex + "</preset></Vortalispresets>";
    };
    const struct {
        std::string hex, message;
    } cases[] = {
        {"00FF00FF00FF", "Source compressed stream has invalid content."},
        {good.substr(0, 6) + "G" + good.substr(7), "Invalid character to be converted to a number."},
        {good.substr(0, good.size() / 2), ""},  // the deflated data ends early
    };
    for (const auto& c : cases) {
        OpenWith(withContent(c.hex));
        ASSERT_EQ(manager.OpenError(), YString());
        const std::string file = Bytes(path);
        manager.Load(*manager.FindPreset("Good"));
        owner.loaded.clear();
        const std::string message = MessageOf([&] { manager.Load(*manager.FindPreset("Bad")); });
        if (c.message.empty()) EXPECT_NE(message, "no exception");
        else EXPECT_EQ(message, c.message);
        EXPECT_NE(MessageOf([&] { manager.Step(1); }), "no exception");
        EXPECT_EQ(manager.CurrentPresetIndex(), 0);
        EXPECT_TRUE(owner.loaded.empty());
        EXPECT_EQ(Bytes(path), file);
    }

    // Packed content that inflates to something other than XML.
    YXMLItem notXML("preset");
    notXML.SetAttribute("name", "x");
    notXML.AddSubItem("a");
    YPresetManagerBase::Pack(notXML);
    EXPECT_NE(notXML.GetText(), YString());
    notXML.SetText(notXML.GetText().Substring(0, 8));
    EXPECT_NE(MessageOf([&] { YPresetManagerBase::Unpack(notXML); }), "no exception");
}

TEST_F(Presets, AFileCutAtAnyByteGivesAnErrorAndStaysOnDisk) {
    manager.Open();
    Save("A", "a");
    const YXMLItem* folder = manager.NewFolder("F", nullptr);
    Save("B", "b", folder);
    const std::string whole = Bytes(path);
    const std::size_t end = whole.rfind("</Vortalispresets>") + std::string("</Vortalispresets>").size();
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        const std::string part = whole.substr(0, cut);
        WriteBytes(path, part);
        manager.Open();
        if (cut >= end) {
            EXPECT_EQ(manager.OpenError(), YString()) << cut;
            EXPECT_EQ(Order(), (std::vector<std::string>{"A", "B"})) << cut;
        } else {
            EXPECT_NE(manager.OpenError(), YString()) << cut;
            EXPECT_TRUE(manager.StepOrder().empty()) << cut;
        }
        EXPECT_EQ(Bytes(path), part) << cut;
    }

    // Malformed XML; the first change keeps the damaged file beside the new one.
    const std::string malformed = "<Vortalispresets><preset name=\"A\" compressed=\"1\">78DA</Directory></Vortalispresets>";
    WriteBytes(path, malformed);
    manager.Open();
    EXPECT_NE(manager.OpenError(), YString());
    EXPECT_EQ(Bytes(path), malformed);
    Save("Fresh", "f");
    EXPECT_EQ(Bytes(path + YString(".damaged")), malformed);
    EXPECT_EQ(ReadXML(path)->GetSubItemCount(), 1u);
}

}  // namespace
