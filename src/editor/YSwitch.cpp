#include "editor/YSwitch.h"

bool YSwitch::OnMouseDown(const YMouseEvent& event) {
    if (event.button != 0) return false;
    model_->Change(on_ ? 0.0 : 1.0);
    Sync();
    return false;
}

void YSwitch::Sync() {
    const bool on = model_->Get() >= 0.5;
    if (on == on_) return;
    on_ = on;
    Invalidate();
}

void YSwitch::Draw(YCanvas& canvas) {
    const YStyle& style = Style();
    const YRect box = Bounds();
    const float width = style.sizes.switchWidth, height = 16.0f;
    const YRect pill{box.x, box.CenterY() - height * 0.5f, width, height};
    canvas.FillRoundRect(pill, height * 0.5f, YPaint::Solid(on_ ? style.colors.accent : style.colors.well));
    canvas.StrokeRoundRect(pill, height * 0.5f, 1.0f, on_ ? style.colors.accentBright.Faded(0.6f) : style.colors.controlBorder);
    const float knob = height * 0.5f - 2.5f;
    const float x = on_ ? pill.Right() - height * 0.5f : pill.x + height * 0.5f;
    canvas.FillCircle(x, pill.CenterY(), knob, YPaint::Solid(on_ ? style.colors.textBright : (Hovered() ? style.colors.text : style.colors.textDim)));
    YRect text{pill.Right() + 8.0f, box.y, box.Right() - pill.Right() - 8.0f, box.height};
    if (showValue_) {
        const YString value = model_->Text(on_ ? 1.0 : 0.0);
        const float room = YTextLayout::Measure(value, style.type.small) + 6.0f;
        canvas.Text(value, text.TakeRight(room), style.type.small, on_ ? style.colors.accentBright : style.colors.textDim,
                    YCanvas::Align::Right);
    }
    canvas.Text(label_, text, style.type.label, on_ || Hovered() ? style.colors.text : style.colors.textDim);
}
