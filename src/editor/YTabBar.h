#pragma once

#include "editor/YControl.h"

#include <functional>
#include <vector>

// A row of tabs; the selected one is underlined in the accent colour.
class YTabBar : public YControl {
public:
    explicit YTabBar(std::vector<YString> tabs, bool small = false) : tabs_(std::move(tabs)), small_(small) {}

    std::function<void(int32_t)> onSelect;
    int32_t Selected() const { return selected_; }
    void Select(int32_t index);
    const std::vector<YString>& Tabs() const { return tabs_; }
    YRect TabRect(int32_t index) const;
    int32_t TabAt(float x, float y) const;

    bool OnMouseDown(const YMouseEvent& event) override;
    void OnMouseMove(const YMouseEvent& event) override;
    void OnHover(bool inside) override;

protected:
    void Draw(YCanvas& canvas) override;

private:
    const YFontStyle& Font() const { return small_ ? Style().type.label : Style().type.tab; }

    std::vector<YString> tabs_;
    bool small_;
    int32_t selected_ = 0;
    int32_t hot_ = -1;
};
