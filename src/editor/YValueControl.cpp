#include "editor/YValueControl.h"

#include "editor/YWindow.h"

#include <algorithm>

YValueControl::YValueControl(std::unique_ptr<YValueModel> model, const YString& name)
    : model_(std::move(model)), name_(name) {
    shown_ = model_->Get();
    shownText_ = model_->Text(shown_);
}

void YValueControl::Sync() {
    const double value = model_->Get();
    if (value == shown_) return;
    shown_ = value;
    shownText_ = model_->Text(value);
    Invalidate();
}

void YValueControl::BeginTyping() {
    if (Window() == nullptr) return;
    const YRect field = ValueRect().Inset(-4.0f, -3.0f);
    Window()->EditText(field, shownText_, Style().type.value, [this](const YString& typed) {
        double value;
        if (model_->Parse(typed, value)) model_->Change(std::clamp(value, 0.0, 1.0));
        Sync();
    });
}

bool YValueControl::OnMouseDown(const YMouseEvent& event) {
    if (event.button != 0) return false;
    if (event.clicks >= 2) {
        model_->Change(model_->Default());
        Sync();
        return false;
    }
    if (ValueRect().Contains(event.x, event.y)) {
        BeginTyping();
        return false;
    }
    dragging_ = true;
    dragValue_ = model_->Get();
    last_ = event;
    model_->BeginEdit();
    return true;
}

void YValueControl::OnMouseDrag(const YMouseEvent& event) {
    if (!dragging_) return;
    const float travel = Travel(last_, event) * (event.Fine() ? kFineFactor : 1.0f);
    last_ = event;
    const double next = std::clamp(dragValue_ + static_cast<double>(travel / kDragRange), 0.0, 1.0);
    if (next == dragValue_) return;
    dragValue_ = next;
    model_->Set(next);
    Sync();
}

void YValueControl::OnMouseUp(const YMouseEvent& event) {
    (void)event;
    if (!dragging_) return;
    dragging_ = false;
    model_->EndEdit();
}

bool YValueControl::OnWheel(const YMouseEvent& event) {
    const int32_t steps = model_->Steps();
    const double step = steps > 0 ? 1.0 / steps : kWheelStep * (event.Fine() ? static_cast<double>(kFineFactor) : 1.0);
    model_->Change(std::clamp(model_->Get() + step * static_cast<double>(event.wheel), 0.0, 1.0));
    Sync();
    return true;
}

void YValueControl::SetName(const YString& name) {
    if (name == name_) return;
    name_ = name;
    Invalidate();
}
