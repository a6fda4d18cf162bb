#pragma once

#include "editor/YControl.h"

#include <functional>

// A one-line text field: typing replaces a selection or inserts at the caret;
// Backspace, Delete, the arrows, Home and End edit; Return commits, Escape cancels,
// and losing the focus commits.
class YTextEntry : public YControl {
public:
    explicit YTextEntry(const YFontStyle& font) : font_(font) {}

    void SetText(const YString& text);
    const YString& Text() const { return text_; }
    void SelectAll();
    uint32_t Caret() const { return caret_; }

    std::function<void(const YString&)> onCommit;
    std::function<void()> onCancel;

    bool OnMouseDown(const YMouseEvent& event) override;
    bool OnKey(const YKeyEvent& event) override;
    void OnFocus(bool focused) override;

protected:
    void Draw(YCanvas& canvas) override;

private:
    void Finish(bool commit);
    void Replace(const YString& inserted);
    float TextLeft() const { return Bounds().x + 6.0f; }

    YFontStyle font_;
    YString text_;
    uint32_t caret_ = 0;
    bool allSelected_ = false;
    bool finished_ = false;
};
