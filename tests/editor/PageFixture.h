#pragma once

// The editor with one of its settings pages shown, and ways to reach that page's
// controls as a user does.
#include "EditorFixture.h"
#include "editor/YSlider.h"

#include <functional>
#include <stdexcept>

class PageTest : public Editor {
protected:
    // The first shown control of a type under root that satisfies test.
    template <class Control>
    Control& Find(YControl& root, const std::function<bool(Control&)>& test) {
        Control* found = nullptr;
        std::function<void(YControl&)> walk = [&](YControl& control) {
            if (found || !control.Shown()) return;
            if (auto* typed = dynamic_cast<Control*>(&control); typed && test(*typed)) found = typed;
            for (const auto& child : control.Children()) walk(*child);
        };
        walk(root);
        if (found == nullptr) throw std::runtime_error("no such control");
        return *found;
    }
    template <class Control>
    Control& Named(YControl& root, const char* name) {
        const YString wanted = YString::FromUtf8(name);
        return Find<Control>(root, [&](Control& c) {
            if constexpr (std::is_same_v<Control, YMenu>) return c.Caption() == wanted;
            else if constexpr (std::is_same_v<Control, YSwitch>) return c.Label() == wanted;
            else if constexpr (std::is_same_v<Control, YButton>) return c.Text() == wanted;
            else return c.Name() == wanted;
        });
    }
    // Opens a menu and clicks one of its items.
    void Pick(YMenu& menu, int32_t item) {
        Click(Center(menu.Field()));
        ChoosePopupItem(item);
        EXPECT_FALSE(Window().HasPopup());
    }
    void ChoosePopupItem(int32_t item) {
        auto* list = dynamic_cast<YListBox*>(Window().TopPopup());
        ASSERT_NE(list, nullptr);
        list->ScrollTo(item);
        const float first = list->Bounds().y + 3.0f;
        const YRect row{list->Bounds().x, first + list->RowHeight() * static_cast<float>(item - list->ItemAt(first + 1.0f)),
                        list->Bounds().width, list->RowHeight()};
        Click(Center(row));
    }
    // Clicks the line of a list.
    void ClickLine(YListBox& list, int32_t line) {
        list.ScrollTo(line);
        const float top = list.Bounds().y;
        Click({list.Bounds().CenterX(), top + list.RowHeight() * (static_cast<float>(line - list.ItemAt(top + 1.0f)) + 0.5f)});
    }
    void RightClick(YPoint p) {
        YMouseEvent event = At(p);
        event.button = 1;
        Window().MouseDown(event);
        Window().MouseUp(event);
    }
    void RunBlock() {
        AudioBuffers input(2, 256, 0.25f), output(2, 256);
        plugin->ProcessAudio(input.Table(), output.Table(), 256, true);
    }
    YYorvaneAudioEffectPlugin& Engine() { return static_cast<YYorvaneAudioEffectPlugin&>(*plugin); }
};
