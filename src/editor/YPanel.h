#pragma once

#include "editor/YControl.h"

// A framed group of controls with a title strip; the owner places the children in
// Content().
class YPanel : public YControl {
public:
    explicit YPanel(const YString& title = YString()) : title_(title) {}

    const YString& Title() const { return title_; }
    // The inside, below the title, less the padding.
    YRect Content() const;

protected:
    void Draw(YCanvas& canvas) override;
    bool Hits(float, float) const override { return false; }

private:
    YString title_;
};
