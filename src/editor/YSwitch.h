#pragma once

#include "editor/YControl.h"
#include "editor/YValueModel.h"

#include <memory>

// An on/off switch with its label: a click flips it (one gesture of the model, which
// is on at 0.5 and above).
class YSwitch : public YControl {
public:
    YSwitch(std::unique_ptr<YValueModel> model, const YString& label) : model_(std::move(model)), label_(label) {
        on_ = model_->Get() >= 0.5;
    }

    bool On() const { return on_; }
    YValueModel& Model() { return *model_; }
    const YString& Label() const { return label_; }

    // Shows the model's text of its value at the right end (the parameters' "on" and "off").
    void ShowValue(bool show) { showValue_ = show; }

    bool OnMouseDown(const YMouseEvent& event) override;

protected:
    void Draw(YCanvas& canvas) override;
    void Sync() override;

private:
    std::unique_ptr<YValueModel> model_;
    YString label_;
    bool on_ = false;
    bool showValue_ = false;
};
