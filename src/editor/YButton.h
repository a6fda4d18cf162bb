#pragma once

#include "editor/YControl.h"

#include <functional>

// A push button; with lit it also shows a state (a switch that looks like a button,
// Bypass for one). Acts on release inside it.
class YButton : public YControl {
public:
    explicit YButton(const YString& text) : text_(text) {}

    std::function<void()> onClick;
    std::function<bool()> lit;  // shown lit while true
    YColor litColor{0, 0, 0, 0};  // lit colour; the accent when left transparent
    void SetText(const YString& text);
    const YString& Text() const { return text_; }
    // Whether it shows lit now (it follows lit when the window syncs or paints).
    bool ShownLit() const { return shownLit_; }

    bool OnMouseDown(const YMouseEvent& event) override;
    void OnMouseDrag(const YMouseEvent& event) override;
    void OnMouseUp(const YMouseEvent& event) override;
    void OnHover(bool inside) override { (void)inside; Invalidate(); }

protected:
    void Draw(YCanvas& canvas) override;
    void Sync() override;

private:
    YString text_;
    bool pressed_ = false;
    bool shownLit_ = false;
};
