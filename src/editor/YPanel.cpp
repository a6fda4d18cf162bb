#include "editor/YPanel.h"

YRect YPanel::Content() const {
    const YStyle& style = Style();
    YRect inside = Bounds().Inset(style.sizes.padding);
    if (!title_.IsEmpty()) inside.TakeTop(style.sizes.panelTitle - style.sizes.padding * 0.5f);
    return inside;
}

void YPanel::Draw(YCanvas& canvas) {
    const YStyle& style = Style();
    const YRect box = Bounds();
    canvas.FillRoundRect(box, style.sizes.radius,
                         YPaint::Linear({0.0f, box.y}, style.colors.panel, {0.0f, box.Bottom()}, style.colors.panelBottom));
    canvas.StrokeRoundRect(box, style.sizes.radius, 1.0f, style.colors.panelBorder);
    if (title_.IsEmpty()) return;
    const YRect strip{box.x + style.sizes.padding, box.y + 4.0f, box.width - 2.0f * style.sizes.padding,
                      style.sizes.panelTitle - 4.0f};
    canvas.FillRoundRect({strip.x, strip.CenterY() - 4.0f, 3.0f, 8.0f}, 1.5f, YPaint::Solid(style.colors.accent));
    canvas.Text(title_, strip.Inset(9.0f, 0.0f).Translated(0.0f, 0.0f), style.type.heading, style.colors.heading);
}
