#include "editor/YMenu.h"

#include "editor/YWindow.h"

#include <algorithm>

void YMenu::SetItems(std::vector<YString> items) {
    items_ = std::move(items);
    Invalidate();
}

YRect YMenu::Field() const {
    YRect box = Bounds();
    if (!caption_.IsEmpty()) box.TakeTop(Style().sizes.labelHeight, 2.0f);
    return box;
}

void YMenu::Pick(int32_t index) {
    if (index < 0 || index >= static_cast<int32_t>(items_.size())) return;
    if (choose) choose(index);
    Sync();
}

void YMenu::Open() {
    if (Window()) Window()->OpenMenu(Field(), items_, shown_, [this](int32_t index) { Pick(index); });
}

bool YMenu::OnMouseDown(const YMouseEvent& event) {
    if (event.button != 0 || items_.empty()) return false;
    Open();
    return false;
}

bool YMenu::OnWheel(const YMouseEvent& event) {
    const auto last = static_cast<int32_t>(items_.size()) - 1;
    const int32_t current = selected ? selected() : shown_;
    Pick(std::clamp(current - (event.wheel > 0.0f ? 1 : -1), 0, last));
    return true;
}

void YMenu::Sync() {
    const int32_t current = selected ? selected() : -1;
    if (current == shown_) return;
    shown_ = current;
    Invalidate();
}

void YMenu::Draw(YCanvas& canvas) {
    const YStyle& style = Style();
    shown_ = selected ? selected() : -1;
    if (!caption_.IsEmpty())
        canvas.Text(caption_, {Bounds().x, Bounds().y, Bounds().width, style.sizes.labelHeight}, style.type.label,
                    Hovered() ? style.colors.text : style.colors.textDim);
    const YRect field = Field();
    canvas.FillRoundRect(field, style.sizes.controlRadius,
                         YPaint::Linear({0.0f, field.y}, Hovered() ? style.colors.controlHover : style.colors.controlTop,
                                        {0.0f, field.Bottom()}, style.colors.control));
    canvas.StrokeRoundRect(field, style.sizes.controlRadius, 1.0f, style.colors.controlBorder);
    const bool current = shown_ >= 0 && shown_ < static_cast<int32_t>(items_.size());
    canvas.Text(current ? items_[static_cast<std::size_t>(shown_)] : placeholder,
                {field.x + 9.0f, field.y, field.width - 28.0f, field.height}, style.type.label,
                Enabled() && current ? style.colors.textBright : style.colors.textDim);
    // The chevron.
    const float cx = field.Right() - 12.0f, cy = field.CenterY();
    YPath chevron;
    chevron.MoveTo(cx - 4.0f, cy - 2.0f);
    chevron.LineTo(cx, cy + 2.0f);
    chevron.LineTo(cx + 4.0f, cy - 2.0f);
    canvas.StrokePath(chevron, 1.5f, style.colors.textDim);
}
