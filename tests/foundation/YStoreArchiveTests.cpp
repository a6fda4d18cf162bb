#include "foundation/YStoreArchive.h"

#include <gtest/gtest.h>

namespace {

// What tests/engine does not reach through the parameter tables: the "Always" form,
// booleans, text and child elements.
struct Settings {
    int32_t count = 3;
    int32_t always = 0;
    bool flag = false;
    double level = 0.25;
    YString label;

    void Store(YStoreArchive& archive) {
        archive.Integer("Count", count, 3);
        archive.IntegerAlways("Always", always);
        archive.Boolean("Flag", flag, false);
        archive.Number("Level", level, 0.25);
        archive.Text("Label", label, "");
    }
};

TEST(YStoreArchive, AlwaysRowsAreWrittenAndOtherRowsReadForgivingly) {
    YXMLItem element("settings");
    Settings defaults;
    YStoreArchive saving(element, false);
    defaults.Store(saving);
    ASSERT_EQ(element.GetAttributeCount(), 1u);  // only the "always" row
    EXPECT_EQ(element.GetAttribute("Always"), YString("0"));

    Settings changed;
    changed.flag = true;
    changed.label = "a b";
    changed.Store(saving);
    EXPECT_EQ(element.GetAttribute("Flag"), YString("1"));
    EXPECT_EQ(element.GetAttribute("Label"), YString("a b"));

    element.RemoveAttribute("Always");
    element.SetAttribute("Flag", "2.0");  // any decimal text
    element.SetAttribute("Count", "12abc");
    element.SetAttribute("Level", "1e999");  // not finite: as if missing
    Settings loaded;
    loaded.always = 5;
    YStoreArchive loading(element, true);
    loaded.Store(loading);
    EXPECT_TRUE(loaded.flag);
    EXPECT_EQ(loaded.count, 12);
    EXPECT_EQ(loaded.label, YString("a b"));
    EXPECT_EQ(loaded.always, 5);  // a missing "always" row leaves the value alone
    EXPECT_DOUBLE_EQ(loaded.level, 0.25);

    EXPECT_EQ(loading.Child("Shape"), nullptr);
    YXMLItem* child = saving.Child("Shape");
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(saving.Child("Shape"), child);
}

}  // namespace
