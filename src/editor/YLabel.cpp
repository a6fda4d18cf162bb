#include "editor/YLabel.h"

void YLabel::SetText(const YString& text) {
    if (text == text_) return;
    text_ = text;
    Invalidate();
}

void YLabel::Draw(YCanvas& canvas) {
    const YStyle& style = Style();
    switch (role_) {
        case Role::Dim: canvas.Text(text_, Bounds(), style.type.label, style.colors.textDim, align_); break;
        case Role::Normal: canvas.Text(text_, Bounds(), style.type.label, style.colors.text, align_); break;
        case Role::Bright: canvas.Text(text_, Bounds(), style.type.value, style.colors.textBright, align_); break;
        case Role::Heading: canvas.Text(text_, Bounds(), style.type.heading, style.colors.heading, align_); break;
    }
}
