#pragma once

#include "editor/YControl.h"

#include <array>
#include <functional>

// Two values 0..1 on one surface (x to the right, y upwards): dragging moves the
// puck, a double click returns it to the centre. Optional labels sit in the corners
// (lower left, lower right, upper left, upper right).
class YXYPad : public YControl {
public:
    std::function<void(double x, double y)> onChange;
    std::function<void(bool)> onGesture;
    std::array<YString, 4> corners;

    void SetPosition(double x, double y);
    double X() const { return x_; }
    double Y() const { return y_; }
    YPoint PuckCenter() const;

    bool OnMouseDown(const YMouseEvent& event) override;
    void OnMouseDrag(const YMouseEvent& event) override;
    void OnMouseUp(const YMouseEvent& event) override;

protected:
    void Draw(YCanvas& canvas) override;

private:
    YRect Plot() const { return Bounds().Inset(10.0f); }
    void MoveTo(double x, double y);

    double x_ = 0.5, y_ = 0.5;
    bool dragging_ = false;
};
