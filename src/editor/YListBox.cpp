#include "editor/YListBox.h"

#include <algorithm>
#include <cmath>

void YListBox::SetItems(std::vector<YString> items) {
    items_ = std::move(items);
    selected_ = std::min(selected_, static_cast<int32_t>(items_.size()) - 1);
    first_ = 0;
    Invalidate();
}

void YListBox::SetSelected(int32_t index) {
    index = std::clamp(index, -1, static_cast<int32_t>(items_.size()) - 1);
    if (index == selected_) return;
    selected_ = index;
    Invalidate();
}

int32_t YListBox::VisibleRows() const {
    return std::max(1, static_cast<int32_t>((Bounds().height - 2.0f * Inner()) / RowHeight()));
}

void YListBox::ScrollTo(int32_t index) {
    if (index < 0) return;
    const int32_t rows = VisibleRows();
    if (index < first_) first_ = index;
    if (index >= first_ + rows) first_ = index - rows + 1;
    first_ = std::clamp(first_, 0, std::max(0, static_cast<int32_t>(items_.size()) - rows));
    Invalidate();
}

int32_t YListBox::ItemAt(float y) const {
    const float offset = y - Bounds().y - Inner();
    if (offset < 0.0f) return -1;
    const int32_t index = first_ + static_cast<int32_t>(offset / RowHeight());
    return index < static_cast<int32_t>(items_.size()) && index - first_ < VisibleRows() ? index : -1;
}

void YListBox::Choose(int32_t index) {
    if (index < 0) return;
    SetSelected(index);
    if (onSelect) onSelect(index);
}

bool YListBox::OnMouseDown(const YMouseEvent& event) {
    const int32_t index = ItemAt(event.y);
    if (onActivateOnRelease) {
        hot_ = index;
        Invalidate();
        return true;
    }
    Choose(index);
    if (event.clicks >= 2 && index >= 0 && onActivate) onActivate(index);
    return true;
}

void YListBox::OnMouseDrag(const YMouseEvent& event) {
    if (!onActivateOnRelease) return;
    const int32_t index = Bounds().Contains(event.x, event.y) ? ItemAt(event.y) : -1;
    if (index != hot_) {
        hot_ = index;
        Invalidate();
    }
}

void YListBox::OnMouseUp(const YMouseEvent& event) {
    if (!onActivateOnRelease || !Bounds().Contains(event.x, event.y)) return;
    const int32_t index = ItemAt(event.y);
    if (index >= 0 && onActivate) onActivate(index);
}

void YListBox::OnMouseMove(const YMouseEvent& event) {
    const int32_t index = ItemAt(event.y);
    if (index != hot_) {
        hot_ = index;
        Invalidate();
    }
}

void YListBox::OnHover(bool inside) {
    if (!inside && hot_ >= 0) {
        hot_ = -1;
        Invalidate();
    }
}

bool YListBox::OnWheel(const YMouseEvent& event) {
    const int32_t most = std::max(0, static_cast<int32_t>(items_.size()) - VisibleRows());
    first_ = std::clamp(first_ - static_cast<int32_t>(std::lround(event.wheel * 3.0f)), 0, most);
    Invalidate();
    return true;
}

bool YListBox::OnKey(const YKeyEvent& event) {
    if (event.kind != YKeyEvent::Kind::KeyDown) return false;
    const auto last = static_cast<int32_t>(items_.size()) - 1;
    const int32_t current = onActivateOnRelease ? std::max(hot_, selected_) : selected_;
    int32_t next = current;
    switch (event.key) {
        case kKeyUp: next = std::max(0, current - 1); break;
        case kKeyDown: next = std::min(last, current + 1); break;
        case kKeyHome: next = 0; break;
        case kKeyEnd: next = last; break;
        case kKeyReturn:
            if (current >= 0 && onActivate) onActivate(current);
            return true;
        default: return false;
    }
    if (onActivateOnRelease) {
        hot_ = next;
        Invalidate();
    } else {
        Choose(next);
    }
    ScrollTo(next);
    return true;
}

void YListBox::Draw(YCanvas& canvas) {
    const YStyle& style = Style();
    const YRect box = Bounds();
    if (popup) {
        canvas.FillRoundRect(box.Translated(0.0f, 3.0f).Inset(-2.0f), style.sizes.controlRadius + 2.0f,
                             YPaint::Solid(YColor::Hex(0x000000, 90)));
        canvas.FillRoundRect(box, style.sizes.controlRadius, YPaint::Solid(style.colors.control));
        canvas.StrokeRoundRect(box, style.sizes.controlRadius, 1.0f, style.colors.controlBorder);
    } else {
        canvas.FillRoundRect(box, style.sizes.controlRadius, YPaint::Solid(style.colors.well));
        canvas.StrokeRoundRect(box, style.sizes.controlRadius, 1.0f, style.colors.wellBorder);
    }
    canvas.PushClip(box.Inset(1.0f));
    const float row = RowHeight();
    const int32_t rows = VisibleRows();
    for (int32_t i = 0; i < rows && first_ + i < static_cast<int32_t>(items_.size()); ++i) {
        const int32_t index = first_ + i;
        const YRect line{box.x + Inner(), box.y + Inner() + row * static_cast<float>(i), box.width - 2.0f * Inner(), row};
        if (index == hot_)
            canvas.FillRoundRect(line.Inset(2.0f, 1.0f), 3.0f, YPaint::Solid(style.colors.selection));
        else if (index == selected_)
            canvas.FillRoundRect(line.Inset(2.0f, 1.0f), 3.0f, YPaint::Solid(style.colors.accentDim));
        canvas.Text(items_[static_cast<std::size_t>(index)], line.Inset(10.0f, 0.0f), style.type.label,
                    index == selected_ || index == hot_ ? style.colors.textBright : style.colors.text);
    }
    canvas.PopClip();
    // A thin bar shows where the visible part lies in a long list.
    const auto count = static_cast<int32_t>(items_.size());
    if (count > rows) {
        const float track = box.height - 8.0f;
        const float size = std::max(16.0f, track * static_cast<float>(rows) / static_cast<float>(count));
        const float top = box.y + 4.0f + (track - size) * static_cast<float>(first_) / static_cast<float>(count - rows);
        canvas.FillRoundRect({box.Right() - 5.0f, top, 3.0f, size}, 1.5f, YPaint::Solid(style.colors.controlBorder));
    }
}
