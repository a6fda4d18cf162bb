#include "editor/YQuestion.h"

#include <algorithm>

namespace {
constexpr float kBoxWidth = 380.0f;
constexpr float kPromptWidth = 560.0f;  // room for a file's path
constexpr float kButtonWidth = 96.0f;
}  // namespace

YQuestion::YQuestion(const YString& message, std::vector<YString> buttons)
    : message_(message), buttons_(std::move(buttons)) {}

YTextLayout YQuestion::Text() const {
    const YStyle& style = Style();
    return YTextLayout::FromMarkup(message_, style.type.label.size + 1.0f, style.colors.text, style.colors.textBright);
}

void YQuestion::AddField(const YString& text) {
    if (field_ == nullptr) {
        field_ = &Add<YTextEntry>(Style().type.label);
        // Clicks go to the question, keys come through it.
        field_->SetEnabled(false);
    }
    field_->SetText(text);
    field_->SelectAll();
    Layout();
}

float YQuestion::BoxWidth() const { return field_ ? kPromptWidth : kBoxWidth; }

float YQuestion::MessageHeight() const {
    YTextLayout layout = Text();
    layout.Layout(BoxWidth() - 40.0f);
    return layout.LineHeight() * static_cast<float>(layout.LineCount());
}

YRect YQuestion::Box() const {
    const YStyle& style = Style();
    float height = 36.0f + MessageHeight() + 20.0f + style.sizes.rowHeight + 4.0f;
    if (field_) height += style.sizes.rowHeight + 14.0f;
    return {Bounds().CenterX() - BoxWidth() * 0.5f, Bounds().CenterY() - height * 0.5f, BoxWidth(), height};
}

void YQuestion::Layout() {
    if (field_ == nullptr) return;
    const YRect box = Box();
    field_->SetBounds({box.x + 20.0f, box.y + 30.0f + MessageHeight(), box.width - 40.0f, Style().sizes.rowHeight});
}

YRect YQuestion::ButtonRect(int32_t index) const {
    const YRect box = Box();
    const auto count = static_cast<float>(buttons_.size());
    const float right = box.Right() - 20.0f - (count - 1.0f - static_cast<float>(index)) * (kButtonWidth + 8.0f);
    return {right - kButtonWidth, box.Bottom() - 20.0f - Style().sizes.rowHeight, kButtonWidth, Style().sizes.rowHeight};
}

void YQuestion::Answer(int32_t index) {
    if (onAnswer) onAnswer(index);
}

bool YQuestion::OnMouseDown(const YMouseEvent& event) {
    for (int32_t i = 0; i < static_cast<int32_t>(buttons_.size()); ++i)
        if (ButtonRect(i).Contains(event.x, event.y)) {
            Answer(i);
            return true;
        }
    return true;  // modal: nothing below gets the click
}

bool YQuestion::OnKey(const YKeyEvent& event) {
    if (event.kind == YKeyEvent::Kind::Character && field_) return field_->OnKey(event);
    if (event.kind != YKeyEvent::Kind::KeyDown || buttons_.empty()) return true;
    if (event.key == kKeyReturn) {
        Answer(static_cast<int32_t>(buttons_.size()) - 1);
    } else if (event.key == kKeyEscape) {
        Answer(0);
    } else if (field_) {
        field_->OnKey(event);
    }
    return true;
}

void YQuestion::Draw(YCanvas& canvas) {
    const YStyle& style = Style();
    canvas.FillRect(Bounds(), YPaint::Solid(style.colors.shade));
    const YRect box = Box();
    canvas.FillRoundRect(box.Translated(0.0f, 4.0f).Inset(-3.0f), style.sizes.radius + 3.0f,
                         YPaint::Solid(YColor::Hex(0x000000, 110)));
    canvas.FillRoundRect(box, style.sizes.radius,
                         YPaint::Linear({0.0f, box.y}, style.colors.header, {0.0f, box.Bottom()}, style.colors.panelBottom));
    canvas.StrokeRoundRect(box, style.sizes.radius, 1.0f, style.colors.panelBorder);
    YTextLayout layout = Text();
    layout.Layout(box.width - 40.0f);
    canvas.DrawLayout(layout, box.x + 20.0f, box.y + 22.0f);
    for (int32_t i = 0; i < static_cast<int32_t>(buttons_.size()); ++i) {
        const YRect button = ButtonRect(i);
        const bool main = i + 1 == static_cast<int32_t>(buttons_.size());
        canvas.FillRoundRect(button, style.sizes.controlRadius,
                             YPaint::Solid(main ? style.colors.accentDim : style.colors.control));
        canvas.StrokeRoundRect(button, style.sizes.controlRadius, 1.0f, main ? style.colors.accent : style.colors.controlBorder);
        canvas.Text(buttons_[static_cast<std::size_t>(i)], button, style.type.label, style.colors.textBright,
                    YCanvas::Align::Center);
    }
}
