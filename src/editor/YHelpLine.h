#pragma once

#include "editor/YControl.h"

// The strip that explains what the mouse is over: the window's help text with its
// "<name>" markup set in bold, or a hint when there is none.
class YHelpLine : public YControl {
public:
    explicit YHelpLine(const YString& hint) : hint_(hint) {}

protected:
    void Draw(YCanvas& canvas) override;
    bool Hits(float, float) const override { return false; }

private:
    YString hint_;
};
