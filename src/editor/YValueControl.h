#pragma once

#include "editor/YControl.h"
#include "editor/YValueModel.h"

#include <memory>

// The behaviour knobs and sliders share: dragging moves the value relative to where
// the press began (a fine modifier, Shift or Control, divides the motion by 10), a
// double click returns to the default, the wheel nudges, and a click on the value
// text opens a field to type a value, which the model reads by its own text rules.
// Every change is one gesture of the model.
class YValueControl : public YControl {
public:
    static constexpr float kDragRange = 200.0f;  // logical pixels for the whole range
    static constexpr float kFineFactor = 0.1f;
    static constexpr double kWheelStep = 0.01;

    YValueControl(std::unique_ptr<YValueModel> model, const YString& name);

    YValueModel& Model() { return *model_; }
    const YString& Name() const { return name_; }
    void SetName(const YString& name);
    double ShownValue() const { return shown_; }
    const YString& ShownText() const { return shownText_; }
    // Where the value text sits; a click there starts typing.
    virtual YRect ValueRect() const = 0;
    void BeginTyping();

    bool OnMouseDown(const YMouseEvent& event) override;
    void OnMouseDrag(const YMouseEvent& event) override;
    void OnMouseUp(const YMouseEvent& event) override;
    bool OnWheel(const YMouseEvent& event) override;

protected:
    // How far the mouse moved towards larger values between two events.
    virtual float Travel(const YMouseEvent& from, const YMouseEvent& to) const = 0;
    void Sync() override;

private:
    std::unique_ptr<YValueModel> model_;
    YString name_;
    double shown_ = -1.0;
    YString shownText_;
    bool dragging_ = false;
    double dragValue_ = 0.0;
    YMouseEvent last_;
};
