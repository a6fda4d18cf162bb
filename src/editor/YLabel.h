#pragma once

#include "editor/YControl.h"

// A line of text in one of the style's roles.
class YLabel : public YControl {
public:
    enum class Role { Dim, Normal, Bright, Heading };

    YLabel(const YString& text, Role role = Role::Dim, YCanvas::Align align = YCanvas::Align::Left)
        : text_(text), role_(role), align_(align) {}

    void SetText(const YString& text);
    const YString& Text() const { return text_; }

protected:
    void Draw(YCanvas& canvas) override;
    bool Hits(float, float) const override { return !help.IsEmpty(); }

private:
    YString text_;
    Role role_;
    YCanvas::Align align_;
};
