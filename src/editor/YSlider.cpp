#include "editor/YSlider.h"

#include <algorithm>
#include <cmath>

YRect YSlider::ValueRect() const {
    const YRect box = Bounds();
    const float width = std::min(box.width * 0.5f, 90.0f);
    return {box.Right() - width, box.y, width, Style().sizes.labelHeight};
}

YRect YSlider::Track() const {
    const YRect box = Bounds();
    const float top = box.y + Style().sizes.labelHeight + 2.0f;
    return {box.x + 6.0f, top, box.width - 12.0f, std::max(6.0f, box.Bottom() - top)};
}

float YSlider::Travel(const YMouseEvent& from, const YMouseEvent& to) const {
    return (to.x - from.x) * kDragRange / std::max(1.0f, Track().width);
}

void YSlider::Draw(YCanvas& canvas) {
    const YStyle& style = Style();
    const YRect box = Bounds();
    const float label = style.sizes.labelHeight;
    canvas.Text(Name(), {box.x, box.y, box.width * 0.6f, label}, style.type.label,
                Hovered() ? style.colors.text : style.colors.textDim);
    canvas.Text(ShownText(), ValueRect(), style.type.value, style.colors.text, YCanvas::Align::Right);
    const YRect track = Track();
    const float cy = track.CenterY();
    const auto value = static_cast<float>(std::clamp(ShownValue(), 0.0, 1.0));
    const float x = track.x + track.width * value;
    const float from = bipolar_ ? track.CenterX() : track.x;
    canvas.FillRoundRect({track.x, cy - 2.0f, track.width, 4.0f}, 2.0f, YPaint::Solid(style.colors.well));
    canvas.FillRoundRect({std::min(from, x), cy - 2.0f, std::fabs(x - from), 4.0f}, 2.0f,
                         YPaint::Solid(Enabled() ? style.colors.accent : style.colors.controlBorder));
    const float thumb = 6.0f;
    canvas.FillCircle(x, cy, thumb, YPaint::Linear({x, cy - thumb}, Hovered() ? style.colors.pointer : style.colors.text,
                                                   {x, cy + thumb}, style.colors.textDim));
}
