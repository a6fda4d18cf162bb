#pragma once

#include "editor/YControl.h"

#include <functional>
#include <vector>

// A scrolling list of lines, one of them selected. A click selects, a double click
// or Return activates; as a menu (activate on release) letting go over a line picks it.
class YListBox : public YControl {
public:
    void SetItems(std::vector<YString> items);
    const std::vector<YString>& Items() const { return items_; }
    void SetSelected(int32_t index);
    int32_t Selected() const { return selected_; }
    // Scrolls so that the line is visible.
    void ScrollTo(int32_t index);
    int32_t ItemAt(float y) const;
    float RowHeight() const { return Style().sizes.rowHeight; }

    std::function<void(int32_t)> onSelect;
    std::function<void(int32_t)> onActivate;
    bool onActivateOnRelease = false;
    bool popup = false;  // drawn as a floating menu

    bool OnMouseDown(const YMouseEvent& event) override;
    void OnMouseDrag(const YMouseEvent& event) override;
    void OnMouseUp(const YMouseEvent& event) override;
    void OnMouseMove(const YMouseEvent& event) override;
    void OnHover(bool inside) override;
    bool OnWheel(const YMouseEvent& event) override;
    bool OnKey(const YKeyEvent& event) override;

protected:
    void Draw(YCanvas& canvas) override;

private:
    float Inner() const { return popup ? 3.0f : 0.0f; }
    int32_t VisibleRows() const;
    void Choose(int32_t index);

    std::vector<YString> items_;
    int32_t selected_ = -1;
    int32_t hot_ = -1;
    int32_t first_ = 0;  // the first line shown
};
