#include "foundation/YStoreArchive.h"

#include <gtest/gtest.h>

namespace {

struct Settings {
    int32_t count = 3;
    int32_t always = 0;
    bool flag = false;
    double level = 0.25;
    YString label;
    int32_t mode = 0;

    void Store(YStoreArchive& archive) {
        static const YString modes[] = {"Left + Right", "Left", "Mono + Stereo"};
        archive.Integer("Count", count, 3);
        archive.IntegerAlways("Always", always);
        archive.Boolean("Flag", flag, false);
        archive.Number("Level", level, 0.25);
        archive.Text("Label", label, "");
        archive.Enumeration("Mode", mode, modes, 3, 0);
    }
};

TEST(YStoreArchive, DefaultsAreNotWrittenAndReadBack) {
    YXMLItem element("settings");
    element.SetAttribute("Count", "9");  // a stale value equal to nothing we hold
    Settings defaults;
    YStoreArchive saving(element, false);
    defaults.Store(saving);
    ASSERT_EQ(element.GetAttributeCount(), 1u);  // only the "always" row
    EXPECT_EQ(element.GetAttribute("Always"), YString("0"));

    Settings changed;
    changed.count = -7;
    changed.flag = true;
    changed.level = 1.0 / 3.0;
    changed.label = "a b";
    changed.mode = 2;
    changed.Store(saving);
    EXPECT_EQ(element.GetAttribute("Count"), YString("-7"));
    EXPECT_EQ(element.GetAttribute("Flag"), YString("1"));
    EXPECT_EQ(element.GetAttribute("Level"), YString("0.333333333333"));
    EXPECT_EQ(element.GetAttribute("Mode"), YString("Mono + Stereo"));

    Settings loaded;
    loaded.always = 42;
    YStoreArchive loading(element, true);
    loaded.Store(loading);
    EXPECT_EQ(loaded.count, -7);
    EXPECT_TRUE(loaded.flag);
    EXPECT_NEAR(loaded.level, 1.0 / 3.0, 1e-12);
    EXPECT_EQ(loaded.label, YString("a b"));
    EXPECT_EQ(loaded.mode, 2);
    EXPECT_EQ(loaded.always, 0);
}

TEST(YStoreArchive, ReadingIsForgiving) {
    YXMLItem element("settings");
    element.SetAttribute("mode", "LEFT");     // names compare without case
    element.SetAttribute("Flag", "2.0");      // any decimal text
    element.SetAttribute("Count", "12abc");
    Settings s;
    s.always = 5;
    s.level = 9.0;
    YStoreArchive loading(element, true);
    s.Store(loading);
    EXPECT_EQ(s.mode, 1);
    EXPECT_TRUE(s.flag);
    EXPECT_EQ(s.count, 12);
    EXPECT_EQ(s.always, 5);        // missing "always" rows leave the value alone
    EXPECT_DOUBLE_EQ(s.level, 0.25);  // missing rows read the default
    element.SetAttribute("Mode", "Sideways");
    s.Store(loading);
    EXPECT_EQ(s.mode, 0);  // unknown names are item 0

    EXPECT_EQ(loading.Child("Missing"), nullptr);
    YStoreArchive saving(element, false);
    YXMLItem* child = saving.Child("Shape");
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(saving.Child("Shape"), child);
}

}  // namespace
