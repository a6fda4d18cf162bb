#include "editor/YTextEntry.h"

#include "editor/YWindow.h"

void YTextEntry::SetText(const YString& text) {
    text_ = text;
    caret_ = text_.Length();
    allSelected_ = false;
    Invalidate();
}

void YTextEntry::SelectAll() {
    allSelected_ = !text_.IsEmpty();
    caret_ = text_.Length();
    Invalidate();
}

void YTextEntry::Replace(const YString& inserted) {
    if (allSelected_) {
        text_ = inserted;
        caret_ = inserted.Length();
        allSelected_ = false;
    } else {
        text_.Insert(caret_, inserted);
        caret_ += inserted.Length();
    }
    Invalidate();
}

void YTextEntry::Finish(bool commit) {
    if (finished_) return;
    finished_ = true;
    if (commit && onCommit) onCommit(text_);
    if (!commit && onCancel) onCancel();
}

bool YTextEntry::OnMouseDown(const YMouseEvent& event) {
    if (Window()) Window()->SetFocus(this);
    allSelected_ = false;
    // The caret goes to the character boundary nearest the click.
    caret_ = text_.Length();
    float previous = 0.0f;
    for (uint32_t i = 1; i <= text_.Length(); ++i) {
        const float width = YTextLayout::Measure(text_.Substring(0, i), font_);
        if (TextLeft() + (previous + width) * 0.5f > event.x) {
            caret_ = i - 1;
            break;
        }
        previous = width;
    }
    Invalidate();
    return true;
}

bool YTextEntry::OnKey(const YKeyEvent& event) {
    if (finished_) return false;
    if (event.kind == YKeyEvent::Kind::Character) {
        if (event.character >= 32 && event.character != 127) Replace(YString(event.character));
        return true;
    }
    if (event.kind != YKeyEvent::Kind::KeyDown) return true;
    switch (event.key) {
        case kKeyReturn: Finish(true); return true;
        case kKeyEscape: Finish(false); return true;
        case kKeyBack:
            if (allSelected_) {
                Replace(YString());
            } else if (caret_ > 0) {
                text_.Remove(--caret_, 1);
            }
            break;
        case kKeyDelete:
            if (allSelected_) {
                Replace(YString());
            } else if (caret_ < text_.Length()) {
                text_.Remove(caret_, 1);
            }
            break;
        case kKeyLeft: caret_ = allSelected_ ? 0 : (caret_ > 0 ? caret_ - 1 : 0); allSelected_ = false; break;
        case kKeyRight: caret_ = caret_ < text_.Length() ? caret_ + 1 : caret_; allSelected_ = false; break;
        case kKeyHome: caret_ = 0; allSelected_ = false; break;
        case kKeyEnd: caret_ = text_.Length(); allSelected_ = false; break;
        default: break;
    }
    Invalidate();
    return true;
}

void YTextEntry::OnFocus(bool focused) {
    if (!focused) Finish(true);
}

void YTextEntry::Draw(YCanvas& canvas) {
    const YStyle& style = Style();
    const YRect box = Bounds();
    canvas.FillRoundRect(box, style.sizes.controlRadius, YPaint::Solid(style.colors.well));
    canvas.StrokeRoundRect(box, style.sizes.controlRadius, 1.0f, style.colors.accent);
    const float textWidth = YTextLayout::Measure(text_, font_);
    canvas.PushClip(box.Inset(2.0f));
    if (allSelected_)
        canvas.FillRect({TextLeft() - 1.0f, box.y + 4.0f, textWidth + 2.0f, box.height - 8.0f},
                        YPaint::Solid(style.colors.selection));
    canvas.Text(text_, {TextLeft(), box.y, box.width, box.height}, font_, style.colors.textBright);
    if (!allSelected_) {
        const float x = TextLeft() + YTextLayout::Measure(text_.Substring(0, caret_), font_);
        canvas.FillRect({x, box.y + 4.0f, 1.0f, box.height - 8.0f}, YPaint::Solid(style.colors.accentBright));
    }
    canvas.PopClip();
}
