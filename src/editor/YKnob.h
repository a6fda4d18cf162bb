#pragma once

#include "editor/YValueControl.h"

// A rotary control: its name above, the knob with an arc showing the value (from the
// left end, or from the top when bipolar), the value text below. Dragging up turns
// it up.
class YKnob : public YValueControl {
public:
    static constexpr float kStartAngle = 0.75f * 3.14159265f;  // lower left
    static constexpr float kSweep = 1.5f * 3.14159265f;

    YKnob(std::unique_ptr<YValueModel> model, const YString& name, bool bipolar = false)
        : YValueControl(std::move(model), name), bipolar_(bipolar) {}

    YRect ValueRect() const override;
    // The knob itself (a square around its circle).
    YRect Dial() const;
    // The colour of the value arc (the accent when not given).
    void SetArcColor(YColor color) { arcColor_ = color; hasArcColor_ = true; }

protected:
    void Draw(YCanvas& canvas) override;
    float Travel(const YMouseEvent& from, const YMouseEvent& to) const override { return from.y - to.y; }

private:
    bool bipolar_;
    YColor arcColor_;
    bool hasArcColor_ = false;
};
