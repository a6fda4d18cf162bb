#include "editor/YButton.h"

void YButton::SetText(const YString& text) {
    if (text == text_) return;
    text_ = text;
    Invalidate();
}

bool YButton::OnMouseDown(const YMouseEvent& event) {
    if (event.button != 0) return false;
    pressed_ = true;
    Invalidate();
    return true;
}

void YButton::OnMouseDrag(const YMouseEvent& event) {
    const bool inside = Bounds().Contains(event.x, event.y);
    if (inside != pressed_) {
        pressed_ = inside;
        Invalidate();
    }
}

void YButton::OnMouseUp(const YMouseEvent& event) {
    const bool clicked = pressed_ && Bounds().Contains(event.x, event.y);
    pressed_ = false;
    Invalidate();
    if (clicked && onClick) onClick();
    Sync();
}

void YButton::Sync() {
    const bool on = lit && lit();
    if (on == shownLit_) return;
    shownLit_ = on;
    Invalidate();
}

void YButton::Draw(YCanvas& canvas) {
    const YStyle& style = Style();
    const YRect box = Bounds();
    shownLit_ = lit && lit();
    const YColor glow = litColor.a == 0 ? style.colors.accent : litColor;
    YColor top = Hovered() ? style.colors.controlHover : style.colors.controlTop;
    if (pressed_) top = style.colors.control;
    canvas.FillRoundRect(box, style.sizes.controlRadius,
                         YPaint::Linear({0.0f, box.y}, top, {0.0f, box.Bottom()}, style.colors.control));
    canvas.StrokeRoundRect(box, style.sizes.controlRadius, 1.0f, shownLit_ ? glow : style.colors.controlBorder);
    YRect text = box;
    if (lit) {
        // A lamp in front of the text.
        const float lamp = 3.5f;
        const float textWidth = YTextLayout::Measure(text_, style.type.label);
        const float left = box.CenterX() - (textWidth + 2.0f * lamp + 7.0f) * 0.5f;
        if (shownLit_) canvas.FillCircle(left + lamp, box.CenterY(), lamp + 2.5f, YPaint::Solid(glow.Faded(0.25f)));
        canvas.FillCircle(left + lamp, box.CenterY(), lamp, YPaint::Solid(shownLit_ ? glow : style.colors.well));
        text = {left + 2.0f * lamp + 7.0f, box.y, textWidth + 2.0f, box.height};
    }
    canvas.Text(text_, text, style.type.label, Enabled() ? style.colors.textBright : style.colors.textDim,
                lit ? YCanvas::Align::Left : YCanvas::Align::Center);
}
