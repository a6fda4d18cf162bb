#include "TestStreams.h"

#include "foundation/YXMLItem.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> AttributeNames(const YXMLItem& item) {
    std::vector<std::string> names;
    for (uint32_t i = 0; i < item.GetAttributeCount(); ++i) names.push_back(item.GetAttributeAt(i).name.ToUtf8());
    return names;
}

std::vector<std::string> ChildNames(const YXMLItem& item) {
    std::vector<std::string> names;
    for (uint32_t i = 0; i < item.GetSubItemCount(); ++i) names.push_back(item.GetSubItemAt(i)->GetName().ToUtf8());
    return names;
}

TEST(YXMLItem, AttributesStaySortedAndLookupsIgnoreCaseAndAccents) {
    YXMLItem item("p");
    item.SetAttribute("b", "2");
    item.SetAttribute("A", "1");
    item.SetAttribute("name", "n");
    item.SetAttribute(YString(u"\u00C9t\u00E9"), "summer");
    EXPECT_EQ(AttributeNames(item), (std::vector<std::string>{"A", "b", "\xC3\x89t\xC3\xA9", "name"}));

    EXPECT_TRUE(item.HasAttribute("NAME"));
    EXPECT_EQ(item.GetCachedAttribute().ToUtf8(), "n");
    EXPECT_TRUE(item.HasAttribute("ete"));
    EXPECT_EQ(item.GetCachedAttribute().ToUtf8(), "summer");
    item.SetAttribute("B", "two");  // replaces, keeping the stored spelling
    EXPECT_EQ(AttributeNames(item).at(1), "b");
    EXPECT_EQ(item.GetAttribute("b").ToUtf8(), "two");

    // The cache follows its attribute when others are inserted or removed before it.
    ASSERT_TRUE(item.HasAttribute("name"));
    item.SetAttribute("aa", "x");
    item.RemoveAttribute("A");
    EXPECT_EQ(item.GetCachedAttribute().ToUtf8(), "n");
    EXPECT_TRUE(item.RemoveAttribute("NAME"));
    EXPECT_FALSE(item.RemoveAttribute("name"));
    const std::string noCache = "There is no attribute in the cache. Previous call to HasAttribute probably did not succeed.";
    ExpectYException([&] { item.GetCachedAttribute(); }, noCache);
    EXPECT_FALSE(item.HasAttribute("zz"));
    ExpectYException([&] { item.GetCachedAttribute(); }, noCache);
    ExpectYException([&] { YXMLItem("fresh").GetCachedAttribute(); }, noCache);

    EXPECT_EQ(item.FindAttribute("zz"), nullptr);
    ExpectYException([&] { item.GetAttribute("zz"); }, "Could not find required attribute (zz).");
    ExpectYException([&] { item.GetAttributeAt(9); }, "Index out of range.");
}

TEST(YXMLItem, SubItemsCachesAndIteration) {
    YXMLItem root("settings");
    YXMLItem* first = root.AddSubItem("param");
    root.AddSubItem("midi");
    YXMLItem* second = root.AddSubItem("Param");
    EXPECT_TRUE(root.HasSubItem("PARAM"));
    EXPECT_EQ(root.GetCachedSubItem(), first);  // the first in document order
    EXPECT_EQ(root.GetSubItem("midi"), root.GetSubItemAt(1));
    EXPECT_EQ(root.GetOrAddSubItem("param"), first);
    YXMLItem* added = root.GetOrAddSubItem("lfo");
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"param", "midi", "Param", "lfo"}));
    EXPECT_EQ(root.FindSubItem("none"), nullptr);
    ExpectYException([&] { root.GetSubItem("none"); }, "Could not find required subitem (none).");
    ExpectYException([&] { root.GetSubItemAt(4); }, "Index out of range.");
    const std::string noCache = "There is no subitem in the cache. Previous call to HasSubItem probably did not succeed.";
    EXPECT_FALSE(root.HasSubItem("none"));
    ExpectYException([&] { root.GetCachedSubItem(); }, noCache);

    YXMLItem fresh("x");
    fresh.AddSubItem("y");
    ExpectYException([&] { fresh.Next(); }, "XML item iterator has not been initialized.");

    std::vector<YXMLItem*> params;
    for (YXMLItem* it = root.First("param"); it; it = root.Next()) params.push_back(it);
    EXPECT_EQ(params, (std::vector<YXMLItem*>{first, second}));
    EXPECT_EQ(root.Current(), nullptr);

    // Removing the current item keeps the walk going with the one after it.
    std::vector<std::string> seen;
    for (YXMLItem* it = root.First(); it; it = root.Next()) {
        seen.push_back(it->GetName().ToUtf8());
        if (it == first) root.RemoveSubItem(it);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"param", "midi", "Param", "lfo"}));
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"midi", "Param", "lfo"}));

    ASSERT_TRUE(root.HasSubItem("lfo"));
    std::unique_ptr<YXMLItem> detached = root.DetachSubItem(added);
    EXPECT_EQ(detached.get(), added);
    EXPECT_EQ(detached->GetParent(), nullptr);
    ExpectYException([&] { root.GetCachedSubItem(); }, noCache);
    EXPECT_EQ(root.DetachSubItem(added), nullptr);
    root.RemoveSubItem(added);  // not a child: nothing happens
    EXPECT_EQ(root.GetSubItemCount(), 2u);
}

TEST(YXMLItem, WalkCopyAndClone) {
    YXMLItem root("r");
    YXMLItem* a = root.AddSubItem("a");
    a->AddSubItem("a1")->AddSubItem("a11");
    a->AddSubItem("a2");
    root.AddSubItem("b")->SetAttribute("k", "v");
    std::vector<std::string> order;
    root.Walk([&](YXMLItem& item) {
        order.push_back(item.GetName().ToUtf8());
        if (item.GetName() == YString("a2")) item.AddSubItem("added");  // visited as well
    });
    EXPECT_EQ(order, (std::vector<std::string>{"r", "a", "a1", "a11", "a2", "added", "b"}));

    std::unique_ptr<YXMLItem> copy = root.Clone();
    EXPECT_TRUE(*copy == root);
    copy->GetSubItemAt(1)->SetAttribute("k", "changed");
    EXPECT_FALSE(*copy == root);
    EXPECT_EQ(root.GetSubItemAt(1)->GetAttribute("k").ToUtf8(), "v");

    // Copying a descendant into its ancestor replaces everything but the parent.
    YXMLItem holder("holder");
    YXMLItem* target = holder.AddSubItem("t");
    target->SetText("old");
    target->AddSubItem("inner")->AddSubItem("deep")->SetText("kept");
    target->SetAttribute("gone", "1");
    target->CopyFrom(*target->GetSubItemAt(0));
    EXPECT_EQ(target->GetParent(), &holder);
    EXPECT_EQ(target->GetName().ToUtf8(), "inner");
    EXPECT_EQ(target->GetText().ToUtf8(), "");
    EXPECT_EQ(target->GetAttributeCount(), 0u);
    ASSERT_EQ(target->GetSubItemCount(), 1u);
    EXPECT_EQ(target->GetSubItemAt(0)->GetParent(), target);
    EXPECT_EQ(target->GetSubItemAt(0)->GetText().ToUtf8(), "kept");
}

TEST(YXMLItem, DeepTreesNeedNoCallStack) {
    // Far deeper than any call stack would take with one frame per level.
    auto root = std::make_unique<YXMLItem>(YString("d"));
    YXMLItem* leaf = root.get();
    for (int i = 0; i < 300000; ++i) leaf = leaf->AddSubItem("d");
    leaf->SetText("bottom");
    std::unique_ptr<YXMLItem> copy = root->Clone();
    EXPECT_TRUE(*copy == *root);
    int count = 0;
    copy->Walk([&](YXMLItem&) { ++count; });
    EXPECT_EQ(count, 300001);
    copy->RemoveAllSubItems();
    root.reset();
}

}  // namespace
