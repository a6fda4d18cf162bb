#include "editor/YHelpLine.h"

#include "editor/YWindow.h"

void YHelpLine::Draw(YCanvas& canvas) {
    const YStyle& style = Style();
    const YRect box = Bounds();
    canvas.FillRect(box, YPaint::Solid(style.colors.headerBottom));
    canvas.FillRect({box.x, box.y, box.width, 1.0f}, YPaint::Solid(style.colors.panelBorder));
    const YString& text = Window() ? Window()->HelpText() : YString();
    YTextLayout layout = text.IsEmpty() ? YTextLayout::FromMarkup(hint_, style.type.help.size, style.colors.textDim, style.colors.text)
                                        : YTextLayout::FromMarkup(text, style.type.help.size, style.colors.text, style.colors.textBright);
    const float margin = style.sizes.padding + 2.0f;
    layout.Layout(box.width - 2.0f * margin, 1);
    canvas.DrawLayout(layout, box.x + margin, box.CenterY() - layout.LineHeight() * 0.5f);
}
