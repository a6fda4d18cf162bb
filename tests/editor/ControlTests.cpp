// The toolkit's controls in a window of their own: text entry, lists, trees, the X/Y
// pad, menus, meters, help texts and value models.
#include "editor/YButton.h"
#include "editor/YListBox.h"
#include "editor/YMenu.h"
#include "editor/YMeter.h"
#include "editor/YTextLayout.h"
#include "editor/YTextEntry.h"
#include "editor/YTreeControl.h"
#include "editor/YValueModel.h"
#include "editor/YWindow.h"
#include "editor/YXYPad.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class Controls : public ::testing::Test {
protected:
    Controls() { window.SetSize(400.0f, 300.0f, 1.0f); }

    template <class Control, class... Arguments>
    Control& Place(const YRect& bounds, Arguments&&... arguments) {
        Control& control = window.Root().Add<Control>(std::forward<Arguments>(arguments)...);
        control.SetBounds(bounds);
        return control;
    }
    static YMouseEvent At(float x, float y, int32_t clicks = 1) {
        YMouseEvent event;
        event.x = x;
        event.y = y;
        event.clicks = clicks;
        return event;
    }
    void Click(float x, float y, int32_t clicks = 1) {
        window.MouseDown(At(x, y, clicks));
        window.MouseUp(At(x, y, clicks));
    }
    void Key(int32_t key) { window.Key({YKeyEvent::Kind::KeyDown, 0, key, 0}); }
    void Type(const char* text) {
        for (const char* c = text; *c; ++c) window.Key({YKeyEvent::Kind::Character, static_cast<char16_t>(*c), 0, 0});
    }

    YWindow window;
};

TEST_F(Controls, ALitButtonsLampGlowsInTheAccentUnlessGivenAColour) {
    const YStyle& style = window.Style();
    auto& plain = Place<YButton>(YRect{10, 10, 120, 24}, YString("AGC"));
    auto& warning = Place<YButton>(YRect{10, 50, 120, 24}, YString("AGC"));
    plain.lit = warning.lit = [] { return true; };
    warning.litColor = style.colors.warning;
    window.Paint();
    // The lamp's centre: the lamp and the text are centred together in the button.
    const float lampX = 70.0f - (YTextLayout::Measure(YString("AGC"), style.type.label) + 14.0f) * 0.5f + 3.5f;
    for (const auto& [y, expected] : {std::pair{22, style.colors.accent}, std::pair{62, style.colors.warning}}) {
        const YColor lamp = YColor::FromPacked(window.Pixels().Pixel(static_cast<int32_t>(lampX), y));
        EXPECT_EQ(lamp.r, expected.r) << y;
        EXPECT_EQ(lamp.g, expected.g) << y;
        EXPECT_EQ(lamp.b, expected.b) << y;
    }
    EXPECT_TRUE(plain.ShownLit());
}

TEST_F(Controls, TextEntryEditsAndCommitsOrCancels) {
    std::vector<YString> committed;
    window.EditText({10, 10, 200, 24}, "old", window.Style().type.value, [&](const YString& t) { committed.push_back(t); });
    Type("abc");  // replaces the selected old text
    Key(kKeyLeft);
    Key(kKeyBack);
    Key(kKeyHome);
    Type("x");
    Key(kKeyEnd);
    Key(kKeyDelete);  // nothing after the caret
    Key(kKeyReturn);
    ASSERT_EQ(committed.size(), 1u);
    EXPECT_EQ(committed[0], YString("xac"));
    EXPECT_FALSE(window.HasPopup());

    window.EditText({10, 10, 200, 24}, "old", window.Style().type.value, [&](const YString& t) { committed.push_back(t); });
    Type("new");
    Key(kKeyEscape);
    EXPECT_EQ(committed.size(), 1u);
    // A click elsewhere commits what was typed.
    window.EditText({10, 10, 200, 24}, "old", window.Style().type.value, [&](const YString& t) { committed.push_back(t); });
    Type("7");
    Click(300, 200);
    ASSERT_EQ(committed.size(), 2u);
    EXPECT_EQ(committed[1], YString("7"));
}

TEST_F(Controls, ListsSelectScrollAndActivate) {
    auto& list = Place<YListBox>(YRect{10, 10, 150, 4 * 24});
    std::vector<YString> items;
    for (int i = 0; i < 10; ++i) items.push_back(YString::FromUtf8(std::to_string(i)));
    list.SetItems(items);
    int32_t activated = -1;
    list.onActivate = [&](int32_t i) { activated = i; };
    Click(50, 10 + 24 * 1.5f);
    EXPECT_EQ(list.Selected(), 1);
    window.MouseMove(At(50, 40));  // the keys go to the list under the mouse
    for (int i = 0; i < 4; ++i) Key(kKeyDown);
    EXPECT_EQ(list.Selected(), 5);
    EXPECT_EQ(list.ItemAt(10 + 24 * 3.5f), 5);  // scrolled so that it shows, as the last row
    Key(kKeyReturn);
    EXPECT_EQ(activated, 5);
    window.Wheel(YMouseEvent{50, 40, 0, 0, 1, 5.0f});
    EXPECT_EQ(list.ItemAt(10 + 12), 0);
    Click(50, 10 + 24 * 2.5f, 2);
    EXPECT_EQ(activated, 2);
}

TEST_F(Controls, TreesFoldAndMoveWithKeys) {
    auto& tree = Place<YTreeControl>(YRect{10, 10, 200, 200});
    tree.SetRoots({{"Factory", {{"Slow", {}, false}, {"Fast", {}, false}}, false}, {"User", {}, false}});
    std::vector<YTreeControl::Path> activated;
    tree.onActivate = [&](const YTreeControl::Path& path) { activated.push_back(path); };
    EXPECT_EQ(tree.Rows().size(), 2u);
    const YRect first = tree.RowRect(0);
    Click(first.x + 8, first.CenterY());  // on the arrow
    ASSERT_EQ(tree.Rows().size(), 4u);
    EXPECT_EQ(tree.Rows()[2].path, (YTreeControl::Path{0, 1}));
    window.MouseMove(At(100, 100));
    Key(kKeyDown);
    Key(kKeyDown);
    EXPECT_EQ(tree.Selected(), (YTreeControl::Path{0, 1}));
    Key(kKeyReturn);
    Key(kKeyLeft);  // a leaf: up to its branch
    EXPECT_EQ(tree.Selected(), (YTreeControl::Path{0}));
    Key(kKeyLeft);  // folds it
    EXPECT_EQ(tree.Rows().size(), 2u);
    ASSERT_EQ(activated.size(), 1u);
    EXPECT_EQ(activated[0], (YTreeControl::Path{0, 1}));
}

TEST_F(Controls, TheXYPadFollowsTheMouseInOneGesture) {
    auto& pad = Place<YXYPad>(YRect{100, 50, 120, 120});
    std::vector<int> gestures;
    pad.onGesture = [&](bool begin) { gestures.push_back(begin ? 1 : 0); };
    window.MouseDown(At(110, 60));  // the plot is inset by 10: its top left corner
    EXPECT_NEAR(pad.X(), 0.0, 1e-9);
    EXPECT_NEAR(pad.Y(), 1.0, 1e-9);
    window.MouseMove(At(400, 400));  // held at the edges
    window.MouseUp(At(400, 400));
    EXPECT_NEAR(pad.X(), 1.0, 1e-9);
    EXPECT_NEAR(pad.Y(), 0.0, 1e-9);
    Click(160, 110, 2);
    EXPECT_EQ(pad.X(), 0.5);
    EXPECT_EQ(gestures, (std::vector<int>{1, 0, 1, 0}));
}

TEST_F(Controls, MenusPickFromTheirListOrTheWheel) {
    int32_t current = 1;
    auto& menu = Place<YMenu>(YRect{10, 10, 120, 41}, YString("Mode"), std::vector<YString>{"One", "Two", "Three"});
    menu.selected = [&] { return current; };
    menu.choose = [&](int32_t i) { current = i; };
    Click(menu.Field().CenterX(), menu.Field().CenterY());
    ASSERT_TRUE(window.HasPopup());
    Click(390, 290);  // outside: closes, picks nothing
    EXPECT_FALSE(window.HasPopup());
    EXPECT_EQ(current, 1);
    window.Wheel(YMouseEvent{50, 40, 0, 0, 1, -1.0f});
    EXPECT_EQ(current, 2);
    window.Wheel(YMouseEvent{50, 40, 0, 0, 1, -1.0f});
    EXPECT_EQ(current, 2);  // the last stays the last
}

TEST_F(Controls, HelpFollowsTheMouseAndFallsBackToTheParent) {
    auto& outer = Place<YControl>(YRect{0, 0, 200, 200});
    outer.help = "<name>Outer</name> help.";
    YControl& inner = outer.Add<YControl>();
    inner.SetBounds({20, 20, 50, 50});
    YControl& quiet = outer.Add<YControl>();
    quiet.SetBounds({100, 100, 50, 50});
    inner.help = "<name>Inner</name> help.";
    window.MouseMove(At(30, 30));
    EXPECT_EQ(window.HelpText(), YString("<name>Inner</name> help."));
    window.MouseMove(At(120, 120));
    EXPECT_EQ(window.HelpText(), YString("<name>Outer</name> help."));
    window.MouseLeave();
    EXPECT_TRUE(window.HelpText().IsEmpty());
}

TEST(Meter, LevelsFallHoldAndScale) {
    YMeter meter("IN");
    const float full[2] = {1.0f, 0.1f}, silence[2] = {0.0f, 0.0f};
    meter.Update(full, 2, 0.02f);
    EXPECT_NEAR(meter.LevelDb(0), 0.0f, 1e-4f);
    EXPECT_NEAR(meter.LevelDb(1), -20.0f, 1e-4f);
    meter.Update(silence, 2, 0.5f);
    EXPECT_NEAR(meter.LevelDb(0), -YMeter::kFallDbPerSecond * 0.5f, 1e-4f);
    EXPECT_NEAR(meter.HoldDb(0), 0.0f, 1e-4f);
    meter.Update(silence, 2, 1.2f);  // the hold lets go after its time
    EXPECT_LT(meter.HoldDb(0), -20.0f);
    EXPECT_EQ(YMeter::Position(YMeter::kFloorDb - 10.0f), 0.0f);
    EXPECT_EQ(YMeter::Position(YMeter::kTopDb), 1.0f);
}

TEST(FunctionValue, TextsAndStepsInItsOwnUnits) {
    double stored = 0.0;
    YFunctionValue value;
    value.minimum = 1.0;
    value.maximum = 33.0;
    value.steps = 32;
    value.read = [&] { return stored; };
    value.write = [&](double v) { stored = v; };
    value.Change(0.26);  // 9.32 rounds to the whole step 9
    EXPECT_EQ(stored, 9.0);
    EXPECT_EQ(value.Text(value.Get()), YString("9"));
    double normalised = 0.0;
    EXPECT_TRUE(value.Parse(" 17 ", normalised));
    EXPECT_DOUBLE_EQ(normalised, 0.5);
    EXPECT_FALSE(value.Parse("many", normalised));
    YFunctionValue percent;
    EXPECT_TRUE(percent.Parse("40%", normalised));
    EXPECT_DOUBLE_EQ(normalised, 0.4);
}

}  // namespace
