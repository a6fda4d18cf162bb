#include "editor/YKnob.h"

#include <algorithm>
#include <cmath>

YRect YKnob::ValueRect() const {
    const YRect box = Bounds();
    const float height = Style().sizes.labelHeight;
    return {box.x, box.Bottom() - height, box.width, height};
}

YRect YKnob::Dial() const {
    const YStyle& style = Style();
    const YRect box = Bounds();
    const float label = style.sizes.labelHeight;
    const float room = box.height - 2.0f * label - 8.0f;
    const float size = std::max(8.0f, std::min({box.width - 4.0f, room}));
    return {box.CenterX() - size * 0.5f, box.y + label + 4.0f + (room - size) * 0.5f, size, size};
}

void YKnob::Draw(YCanvas& canvas) {
    const YStyle& style = Style();
    const YRect box = Bounds();
    const float label = style.sizes.labelHeight;
    canvas.Text(Name(), {box.x - 6.0f, box.y, box.width + 12.0f, label}, style.type.label,
                Hovered() ? style.colors.text : style.colors.textDim, YCanvas::Align::Center);

    const YRect dial = Dial();
    const float cx = dial.CenterX(), cy = dial.CenterY();
    const float track = style.sizes.knobTrack * std::clamp(dial.width / style.sizes.knob, 0.75f, 1.0f);
    const float radius = dial.width * 0.5f - track * 0.5f;
    const auto value = static_cast<float>(std::clamp(ShownValue(), 0.0, 1.0));
    const float end = kStartAngle + kSweep;
    const float at = kStartAngle + kSweep * value;
    const YColor arc = hasArcColor_ ? arcColor_ : style.colors.accent;
    canvas.StrokeArc(cx, cy, radius, kStartAngle, end, track, style.colors.well);
    const float from = bipolar_ ? kStartAngle + kSweep * 0.5f : kStartAngle;
    canvas.StrokeArc(cx, cy, radius, std::min(from, at), std::max(from, at), track, Enabled() ? arc : style.colors.controlBorder);

    // The body: a soft shadow, a lit top, and the pointer.
    const float body = radius - track * 0.5f - 4.0f;
    canvas.FillCircle(cx, cy + 1.5f, body + 1.0f, YPaint::Solid(YColor::Hex(0x000000, 90)));
    const YColor top = Hovered() ? style.colors.controlHover : style.colors.controlTop;
    canvas.FillCircle(cx, cy, body,
                      YPaint::Linear({cx, cy - body}, top, {cx, cy + body}, style.colors.control));
    canvas.StrokeCircle(cx, cy, body - 0.5f, 1.0f, style.colors.controlBorder.Faded(0.8f));
    const float c = std::cos(at), s = std::sin(at);
    canvas.Line(cx + c * body * 0.3f, cy + s * body * 0.3f, cx + c * body * 0.85f, cy + s * body * 0.85f, 2.0f,
                Enabled() ? style.colors.pointer : style.colors.textDim);

    canvas.Text(ShownText(), ValueRect().Inset(-6.0f, 0.0f), style.type.value,
                Enabled() ? style.colors.text : style.colors.textDim, YCanvas::Align::Center);
}
