#pragma once

#include "editor/YControl.h"

#include <functional>
#include <vector>

// A row of bars, each a value between -1 and 1 (bipolar) or 0 and 1: pressing sets
// the bar under the mouse, dragging draws across bars, a double click returns a bar
// to zero. One bar is selected (the last one touched).
class YStepBars : public YControl {
public:
    explicit YStepBars(bool bipolar) : bipolar_(bipolar) {}

    void SetValues(std::vector<double> values);
    const std::vector<double>& Values() const { return values_; }
    int32_t Selected() const { return selected_; }
    void Select(int32_t index);
    int32_t BarAt(float x) const;
    YRect BarRect(int32_t index) const;
    // The value a press at height y sets.
    double ValueAt(float y) const;

    std::function<void(int32_t bar, double value)> onChange;
    std::function<void(bool)> onGesture;  // true at the start of a stroke, false at its end
    std::function<void(int32_t)> onSelect;
    std::function<YString(int32_t)> label;  // text under a bar (none when empty)
    YColor barColor;                        // the accent when left transparent

    bool OnMouseDown(const YMouseEvent& event) override;
    void OnMouseDrag(const YMouseEvent& event) override;
    void OnMouseUp(const YMouseEvent& event) override;

protected:
    void Draw(YCanvas& canvas) override;

private:
    YRect Plot() const;
    void SetBar(int32_t index, double value);

    bool bipolar_;
    std::vector<double> values_;
    int32_t selected_ = -1;
    bool drawing_ = false;
    YMouseEvent last_;
};
