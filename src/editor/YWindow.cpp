#include "editor/YWindow.h"

#include "editor/YListBox.h"
#include "editor/YQuestion.h"
#include "editor/YTextEntry.h"

#include <algorithm>
#include <cmath>

namespace {

bool IsWithin(const YControl* inner, const YControl* outer) {
    for (const YControl* c = inner; c != nullptr; c = c->Parent())
        if (c == outer) return true;
    return false;
}

}  // namespace

YWindow::YWindow(const YStyle& style) : style_(style), root_(std::make_unique<YControl>()) { root_->AttachTo(this); }

YWindow::~YWindow() {
    capture_ = hover_ = focus_ = helpLine_ = nullptr;
    popups_.clear();
    closed_.clear();
    root_.reset();
}

void YWindow::SetRoot(std::unique_ptr<YControl> root) {
    capture_ = hover_ = focus_ = nullptr;
    root_ = std::move(root);
    root_->AttachTo(this);
    root_->SetBounds({0.0f, 0.0f, width_, height_});
    InvalidateAll();
}

void YWindow::SetSize(float width, float height, float scale) {
    width_ = std::max(1.0f, width);
    height_ = std::max(1.0f, height);
    scale_ = std::max(0.25f, scale);
    pixels_.Resize(static_cast<int32_t>(std::ceil(width_ * scale_)), static_cast<int32_t>(std::ceil(height_ * scale_)));
    root_->SetBounds({0.0f, 0.0f, width_, height_});
    InvalidateAll();
}

void YWindow::Invalidate(const YRect& area) {
    // Whole device pixels, so that partial repaints meet without seams.
    const float left = std::floor(area.x * scale_) / scale_, top = std::floor(area.y * scale_) / scale_;
    const float right = std::ceil(area.Right() * scale_) / scale_, bottom = std::ceil(area.Bottom() * scale_) / scale_;
    YRect inside = YRect{left, top, right - left, bottom - top}.Intersect({0.0f, 0.0f, width_, height_});
    if (inside.IsEmpty()) return;
    // Areas that touch become one; too many become their union.
    for (auto it = dirty_.begin(); it != dirty_.end();) {
        if (it->Inset(-1.0f).Intersects(inside)) {
            inside = inside.Union(*it);
            it = dirty_.erase(it);
        } else {
            ++it;
        }
    }
    dirty_.push_back(inside);
    if (dirty_.size() > 8) {
        YRect all;
        for (const YRect& r : dirty_) all = all.Union(r);
        dirty_.assign(1, all);
    }
}

std::vector<YRect> YWindow::Paint() {
    DropClosed();
    std::vector<YRect> painted;
    painted.swap(dirty_);
    YCanvas canvas(pixels_, scale_);
    canvas.RecordTexts(record_);
    for (const YRect& area : painted) {
        canvas.PushClip(area);
        canvas.FillRect(area, YPaint::Solid(style_.colors.window));
        root_->DrawTree(canvas);
        for (Popup& popup : popups_) popup.control->DrawTree(canvas);
        canvas.PopClip();
    }
    return painted;
}

void YWindow::Sync() {
    root_->SyncTree();
    for (Popup& popup : popups_) popup.control->SyncTree();
}

YControl* YWindow::HitTest(float x, float y) {
    for (auto popup = popups_.rbegin(); popup != popups_.rend(); ++popup) {
        if (YControl* hit = popup->control->HitTest(x, y)) return hit;
        if (popup->modal) return popup->control.get();
    }
    return root_->HitTest(x, y);
}

void YWindow::UpdateHover(float x, float y) {
    YControl* hit = HitTest(x, y);
    if (hit != hover_) {
        if (hover_) {
            hover_->hovered_ = false;
            hover_->OnHover(false);
        }
        hover_ = hit;
        if (hover_) {
            hover_->hovered_ = true;
            hover_->OnHover(true);
        }
    }
    if (hover_) SetHelpText(hover_->HelpAt(x, y));
}

void YWindow::MouseDown(const YMouseEvent& event) {
    DropClosed();
    if (!popups_.empty()) {
        Popup& top = popups_.back();
        if (!top.control->Bounds().Contains(event.x, event.y)) {
            if (top.modal) return;
            // A click outside a menu or a text field closes it and goes no further.
            ClosePopup(top.control.get());
            return;
        }
    }
    YControl* target = HitTest(event.x, event.y);
    if (focus_ && !IsWithin(target, focus_)) SetFocus(nullptr);
    for (YControl* c = target; c != nullptr; c = c->Parent()) {
        if (c->OnMouseDown(event)) {
            capture_ = c;
            break;
        }
    }
}

void YWindow::MouseMove(const YMouseEvent& event) {
    DropClosed();
    if (capture_) {
        capture_->OnMouseDrag(event);
        return;
    }
    UpdateHover(event.x, event.y);
    if (hover_) hover_->OnMouseMove(event);
}

void YWindow::MouseUp(const YMouseEvent& event) {
    DropClosed();
    if (YControl* captured = capture_) {
        capture_ = nullptr;
        captured->OnMouseUp(event);
    }
    UpdateHover(event.x, event.y);
}

void YWindow::MouseLeave() {
    if (capture_) return;
    if (hover_) {
        hover_->hovered_ = false;
        hover_->OnHover(false);
    }
    hover_ = nullptr;
    SetHelpText(YString());
}

void YWindow::Wheel(const YMouseEvent& event) {
    DropClosed();
    for (YControl* c = HitTest(event.x, event.y); c != nullptr; c = c->Parent())
        if (c->OnWheel(event)) return;
}

bool YWindow::Key(const YKeyEvent& event) {
    DropClosed();
    if (focus_) return focus_->OnKey(event);
    if (!popups_.empty()) return popups_.back().control->OnKey(event);
    return hover_ != nullptr && hover_->OnKey(event);
}

void YWindow::SetFocus(YControl* control) {
    if (control == focus_) return;
    YControl* previous = focus_;
    focus_ = control;
    if (previous) previous->OnFocus(false);
    if (focus_) focus_->OnFocus(true);
}

void YWindow::SetHelpText(const YString& text) {
    if (text == helpText_) return;
    helpText_ = text;
    if (helpLine_) helpLine_->Invalidate();
}

void YWindow::OpenPopup(std::unique_ptr<YControl> popup, bool modal) {
    popup->AttachTo(this);
    popup->SetBounds(popup->Bounds());
    popups_.push_back({std::move(popup), modal});
}

void YWindow::ClosePopup(YControl* popup) {
    auto it = std::find_if(popups_.begin(), popups_.end(), [popup](const Popup& p) { return p.control.get() == popup; });
    if (it == popups_.end()) return;
    std::unique_ptr<YControl> closing = std::move(it->control);
    if (it->modal) InvalidateAll();
    popups_.erase(it);
    Invalidate(popup->Bounds());
    // Losing the focus may make a text field commit, which closes it again: by then
    // it is no longer listed.
    if (IsWithin(focus_, popup)) SetFocus(nullptr);
    Forget(popup);
    closed_.push_back(std::move(closing));
}

void YWindow::DropClosed() { closed_.clear(); }

void YWindow::Forget(YControl* control) {
    if (IsWithin(helpLine_, control)) helpLine_ = nullptr;
    if (IsWithin(capture_, control)) capture_ = nullptr;
    if (IsWithin(hover_, control)) {
        hover_ = nullptr;
        SetHelpText(YString());
    }
    if (IsWithin(focus_, control)) focus_ = nullptr;
}

void YWindow::EditText(const YRect& area, const YString& text, const YFontStyle& font,
                       std::function<void(const YString&)> commit) {
    auto entry = std::make_unique<YTextEntry>(font);
    YTextEntry* field = entry.get();
    entry->SetBounds(area);
    entry->SetText(text);
    entry->SelectAll();
    entry->onCommit = [this, field, commit](const YString& typed) {
        ClosePopup(field);
        if (commit) commit(typed);
    };
    entry->onCancel = [this, field] { ClosePopup(field); };
    OpenPopup(std::move(entry), false);
    SetFocus(field);
}

void YWindow::OpenMenu(const YRect& anchor, const std::vector<YString>& items, int32_t selected,
                       std::function<void(int32_t)> choose) {
    auto list = std::make_unique<YListBox>();
    YListBox* menu = list.get();
    const float rowHeight = style_.sizes.rowHeight;
    float width = anchor.width;
    for (const YString& item : items) width = std::max(width, YTextLayout::Measure(item, style_.type.label) + 28.0f);
    const float wanted = rowHeight * static_cast<float>(items.size()) + 6.0f;
    const float below = height_ - anchor.Bottom() - 4.0f, above = anchor.y - 4.0f;
    const float height = std::min(wanted, std::max(below, above));
    const float top = wanted <= below || below >= above ? anchor.Bottom() + 2.0f : anchor.y - 2.0f - height;
    const float left = std::clamp(anchor.x, 0.0f, std::max(0.0f, width_ - width));
    list->SetBounds({left, top, width, height});
    list->popup = true;
    list->SetItems(items);
    list->SetSelected(selected);
    list->ScrollTo(selected);
    list->onActivate = [this, menu, choose](int32_t index) {
        ClosePopup(menu);
        if (choose) choose(index);
    };
    list->onActivateOnRelease = true;
    OpenPopup(std::move(list), false);
}

void YWindow::Ask(const YString& question, const std::vector<YString>& buttons, std::function<void(int32_t)> answer) {
    OpenQuestion(std::make_unique<YQuestion>(question, buttons), [answer](YQuestion&, int32_t index) {
        if (answer) answer(index);
    });
}

void YWindow::Prompt(const YString& question, const YString& text, std::function<void(const YString&)> answer) {
    auto dialog = std::make_unique<YQuestion>(question, std::vector<YString>{"Cancel", "OK"});
    dialog->AddField(text);
    OpenQuestion(std::move(dialog), [answer](YQuestion& asked, int32_t index) {
        if (index == 1 && answer) answer(asked.FieldText());
    });
}

void YWindow::OpenQuestion(std::unique_ptr<YQuestion> dialog, std::function<void(YQuestion&, int32_t)> answer) {
    YQuestion* asked = dialog.get();
    dialog->SetBounds({0.0f, 0.0f, width_, height_});
    dialog->onAnswer = [this, asked, answer](int32_t index) {
        // Closed first (kept until the event ends), so that the answer may ask again.
        ClosePopup(asked);
        answer(*asked, index);
    };
    OpenPopup(std::move(dialog), true);
    InvalidateAll();
}
