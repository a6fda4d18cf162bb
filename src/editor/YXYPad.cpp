#include "editor/YXYPad.h"

#include <algorithm>

void YXYPad::SetPosition(double x, double y) {
    x = std::clamp(x, 0.0, 1.0);
    y = std::clamp(y, 0.0, 1.0);
    if (x == x_ && y == y_) return;
    x_ = x;
    y_ = y;
    Invalidate();
}

YPoint YXYPad::PuckCenter() const {
    const YRect plot = Plot();
    return {plot.x + plot.width * static_cast<float>(x_), plot.Bottom() - plot.height * static_cast<float>(y_)};
}

void YXYPad::MoveTo(double x, double y) {
    const double oldX = x_, oldY = y_;
    SetPosition(x, y);
    if ((x_ != oldX || y_ != oldY) && onChange) onChange(x_, y_);
}

bool YXYPad::OnMouseDown(const YMouseEvent& event) {
    if (event.button != 0) return false;
    if (onGesture) onGesture(true);
    const YRect plot = Plot();
    if (event.clicks >= 2)
        MoveTo(0.5, 0.5);
    else
        MoveTo((event.x - plot.x) / plot.width, (plot.Bottom() - event.y) / plot.height);
    dragging_ = true;
    return true;
}

void YXYPad::OnMouseDrag(const YMouseEvent& event) {
    if (!dragging_) return;
    const YRect plot = Plot();
    MoveTo((event.x - plot.x) / plot.width, (plot.Bottom() - event.y) / plot.height);
}

void YXYPad::OnMouseUp(const YMouseEvent& event) {
    (void)event;
    if (!dragging_) return;
    dragging_ = false;
    if (onGesture) onGesture(false);
}

void YXYPad::Draw(YCanvas& canvas) {
    const YStyle& style = Style();
    const YRect box = Bounds();
    canvas.FillRoundRect(box, style.sizes.controlRadius, YPaint::Solid(style.colors.well));
    canvas.StrokeRoundRect(box, style.sizes.controlRadius, 1.0f, style.colors.wellBorder);
    const YRect plot = Plot();
    for (int32_t i = 1; i < 4; ++i) {
        const float t = static_cast<float>(i) / 4.0f;
        canvas.FillRect({plot.x + plot.width * t, plot.y, 1.0f, plot.height}, YPaint::Solid(style.colors.grid));
        canvas.FillRect({plot.x, plot.y + plot.height * t, plot.width, 1.0f}, YPaint::Solid(style.colors.grid));
    }
    const YRect cornerBoxes[4] = {{box.x + 6.0f, box.Bottom() - 18.0f, 40.0f, 14.0f},
                                  {box.Right() - 46.0f, box.Bottom() - 18.0f, 40.0f, 14.0f},
                                  {box.x + 6.0f, box.y + 4.0f, 40.0f, 14.0f},
                                  {box.Right() - 46.0f, box.y + 4.0f, 40.0f, 14.0f}};
    for (int32_t i = 0; i < 4; ++i)
        canvas.Text(corners[static_cast<std::size_t>(i)], cornerBoxes[i], style.type.heading, style.colors.textDim,
                    i % 2 == 0 ? YCanvas::Align::Left : YCanvas::Align::Right);
    const YPoint puck = PuckCenter();
    canvas.FillRect({puck.x, plot.y, 1.0f, plot.height}, YPaint::Solid(style.colors.accentDim));
    canvas.FillRect({plot.x, puck.y, plot.width, 1.0f}, YPaint::Solid(style.colors.accentDim));
    canvas.FillCircle(puck.x, puck.y, 11.0f, YPaint::Solid(style.colors.accent.Faded(0.25f)));
    canvas.FillCircle(puck.x, puck.y, 6.5f, YPaint::Solid(style.colors.accentBright));
}
