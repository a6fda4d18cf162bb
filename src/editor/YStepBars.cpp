#include "editor/YStepBars.h"

#include <algorithm>
#include <cmath>

void YStepBars::SetValues(std::vector<double> values) {
    if (values == values_) return;
    values_ = std::move(values);
    Invalidate();
}

void YStepBars::Select(int32_t index) {
    if (index == selected_) return;
    selected_ = index;
    Invalidate();
    if (onSelect) onSelect(index);
}

YRect YStepBars::Plot() const {
    YRect box = Bounds().Inset(4.0f);
    if (label) box.TakeBottom(Style().sizes.labelHeight);
    return box;
}

YRect YStepBars::BarRect(int32_t index) const {
    const YRect plot = Plot();
    const float width = plot.width / static_cast<float>(std::max<std::size_t>(1, values_.size()));
    return {plot.x + width * static_cast<float>(index), plot.y, width, plot.height};
}

int32_t YStepBars::BarAt(float x) const {
    if (values_.empty()) return -1;
    const YRect plot = Plot();
    const auto index = static_cast<int32_t>(std::floor((x - plot.x) / plot.width * static_cast<float>(values_.size())));
    return std::clamp(index, 0, static_cast<int32_t>(values_.size()) - 1);
}

double YStepBars::ValueAt(float y) const {
    const YRect plot = Plot();
    const double t = std::clamp(static_cast<double>((plot.Bottom() - y) / plot.height), 0.0, 1.0);
    return bipolar_ ? t * 2.0 - 1.0 : t;
}

void YStepBars::SetBar(int32_t index, double value) {
    if (index < 0 || index >= static_cast<int32_t>(values_.size())) return;
    if (values_[static_cast<std::size_t>(index)] == value) return;
    values_[static_cast<std::size_t>(index)] = value;
    Invalidate();
    if (onChange) onChange(index, value);
}

bool YStepBars::OnMouseDown(const YMouseEvent& event) {
    if (event.button != 0 || values_.empty()) return false;
    const int32_t bar = BarAt(event.x);
    Select(bar);
    if (onGesture) onGesture(true);
    SetBar(bar, event.clicks >= 2 ? 0.0 : ValueAt(event.y));
    drawing_ = true;
    last_ = event;
    return true;
}

void YStepBars::OnMouseDrag(const YMouseEvent& event) {
    if (!drawing_) return;
    // A bar takes the stroke's height where the stroke crosses its middle; the bar under
    // the mouse follows the mouse until then.
    const int32_t from = BarAt(last_.x), to = BarAt(event.x);
    const float left = std::min(last_.x, event.x), right = std::max(last_.x, event.x);
    for (int32_t bar = std::min(from, to); bar <= std::max(from, to); ++bar) {
        const float middle = BarRect(bar).CenterX();
        if (middle >= left && middle <= right && right > left)
            SetBar(bar, ValueAt(last_.y + (event.y - last_.y) * (middle - last_.x) / (event.x - last_.x)));
        else if (bar == to)
            SetBar(bar, ValueAt(event.y));
    }
    Select(to);
    last_ = event;
}

void YStepBars::OnMouseUp(const YMouseEvent& event) {
    (void)event;
    if (!drawing_) return;
    drawing_ = false;
    if (onGesture) onGesture(false);
}

void YStepBars::Draw(YCanvas& canvas) {
    const YStyle& style = Style();
    const YRect box = Bounds();
    canvas.FillRoundRect(box, style.sizes.controlRadius, YPaint::Solid(style.colors.well));
    canvas.StrokeRoundRect(box, style.sizes.controlRadius, 1.0f, style.colors.wellBorder);
    const YRect plot = Plot();
    const float zero = bipolar_ ? plot.CenterY() : plot.Bottom();
    if (bipolar_) canvas.FillRect({plot.x, zero, plot.width, 1.0f}, YPaint::Solid(style.colors.grid));
    const YColor color = barColor.a == 0 ? style.colors.accent : barColor;
    const float gap = plot.width / static_cast<float>(std::max<std::size_t>(1, values_.size())) > 8.0f ? 2.0f : 1.0f;
    for (int32_t i = 0; i < static_cast<int32_t>(values_.size()); ++i) {
        const YRect rect = BarRect(i);
        const double value = values_[static_cast<std::size_t>(i)];
        const float level = bipolar_ ? static_cast<float>(std::clamp(value, -1.0, 1.0)) * plot.height * 0.5f
                                     : static_cast<float>(std::clamp(value, 0.0, 1.0)) * plot.height;
        const float top = std::min(zero, zero - level), height = std::max(1.0f, std::fabs(level));
        const bool selected = i == selected_;
        canvas.FillRect({rect.x + gap * 0.5f, top, rect.width - gap, height},
                        YPaint::Solid(selected ? style.colors.accentBright : color.Faded(0.85f)));
        if (label) {
            const YString text = label(i);
            if (!text.IsEmpty())
                canvas.Text(text, {rect.x - 6.0f, plot.Bottom() + 1.0f, rect.width + 12.0f, style.sizes.labelHeight},
                            style.type.small, selected ? style.colors.text : style.colors.textDim, YCanvas::Align::Center);
        }
    }
}
