#include "editor/YTabBar.h"

YRect YTabBar::TabRect(int32_t index) const {
    const float pad = small_ ? 12.0f : 16.0f;
    float x = Bounds().x;
    for (int32_t i = 0; i < static_cast<int32_t>(tabs_.size()); ++i) {
        const float width = YTextLayout::Measure(tabs_[static_cast<std::size_t>(i)], Font()) + 2.0f * pad;
        if (i == index) return {x, Bounds().y, width, Bounds().height};
        x += width + 2.0f;
    }
    return {};
}

int32_t YTabBar::TabAt(float x, float y) const {
    for (int32_t i = 0; i < static_cast<int32_t>(tabs_.size()); ++i)
        if (TabRect(i).Contains(x, y)) return i;
    return -1;
}

void YTabBar::Select(int32_t index) {
    if (index < 0 || index >= static_cast<int32_t>(tabs_.size()) || index == selected_) return;
    selected_ = index;
    Invalidate();
    if (onSelect) onSelect(index);
}

bool YTabBar::OnMouseDown(const YMouseEvent& event) {
    Select(TabAt(event.x, event.y));
    return false;
}

void YTabBar::OnMouseMove(const YMouseEvent& event) {
    const int32_t hot = TabAt(event.x, event.y);
    if (hot != hot_) {
        hot_ = hot;
        Invalidate();
    }
}

void YTabBar::OnHover(bool inside) {
    if (!inside && hot_ >= 0) {
        hot_ = -1;
        Invalidate();
    }
}

void YTabBar::Draw(YCanvas& canvas) {
    const YStyle& style = Style();
    for (int32_t i = 0; i < static_cast<int32_t>(tabs_.size()); ++i) {
        const YRect tab = TabRect(i);
        const bool selected = i == selected_;
        if (small_ && selected) canvas.FillRoundRect(tab.Inset(0.0f, 2.0f), style.sizes.controlRadius, YPaint::Solid(style.colors.control));
        canvas.Text(tabs_[static_cast<std::size_t>(i)], tab, Font(),
                    selected ? style.colors.textBright : (i == hot_ ? style.colors.text : style.colors.textDim),
                    YCanvas::Align::Center);
        if (selected)
            canvas.FillRoundRect({tab.x + 10.0f, tab.Bottom() - (small_ ? 3.0f : 4.0f), tab.width - 20.0f, 2.5f}, 1.25f,
                                 YPaint::Solid(style.colors.accent));
    }
}
