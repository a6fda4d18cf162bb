#pragma once

#include "editor/YControl.h"
#include "modulation/YEnvelopeComputer.h"

#include <functional>
#include <vector>

// Edits a curve of points (YEnvelopeComputer) with the mouse: dragging a point moves
// it (the end points only up and down), a double click on the background adds a
// point, a double click on a point (or Delete while it is selected) removes it,
// dragging the background bends the segment under the mouse, and the wheel bends it
// too. Behind the curve it can show another period (the rendered LFO) and play
// positions. The curve here is the editor's own copy; every edit hands the owner the
// new curve.
class YCurveEditor : public YControl {
public:
    static constexpr double kBendPerPixel = 0.01;
    static constexpr float kMarkReach = 20.0f;  // how far a play mark and its tag reach from its line

    void SetCurve(const YEnvelopeComputer& curve);
    const YEnvelopeComputer& Curve() const { return curve_; }
    int32_t Selected() const { return selected_; }
    void Select(int32_t index);

    // Values spread evenly over the x range, in the curve's y units.
    void SetUnderlay(std::vector<float> values);
    // x positions of the play marks (none hides them), each with an optional tag.
    void SetPlayheads(std::vector<double> positions, std::vector<YString> tags = {});
    void SetShowCurve(bool show);
    // A curve that does not sound (its layer's amount is zero) is drawn faintly.
    void SetCurveSounding(bool sounding);
    bool ShowCurve() const { return showCurve_; }
    // Larger point handles, for touch screens.
    void SetTouch(bool touch) { touch_ = touch; }

    std::function<void(const YEnvelopeComputer&)> onChange;
    std::function<void(bool)> onGesture;  // true when a drag begins, false when it ends
    std::function<void(int32_t)> onSelect;

    YRect Plot() const { return Bounds().Inset(10.0f); }
    YPoint ToScreen(double x, double y) const;
    void ToCurve(float sx, float sy, double& x, double& y) const;
    // The point whose handle is at a screen position, or -1.
    int32_t PointAt(float sx, float sy) const;
    // The segment (the index of the point it starts at) under a screen x.
    int32_t SegmentAt(float sx) const;

    // Edits, each handed to the owner.
    int32_t AddPoint(double x, double y);
    void DeletePoint(int32_t index);
    void SetSegmentType(int32_t index, int32_t type);
    void SetCurvature(int32_t index, double curvature);

    bool OnMouseDown(const YMouseEvent& event) override;
    void OnMouseDrag(const YMouseEvent& event) override;
    void OnMouseUp(const YMouseEvent& event) override;
    void OnMouseMove(const YMouseEvent& event) override;
    void OnHover(bool inside) override;
    bool OnWheel(const YMouseEvent& event) override;
    bool OnKey(const YKeyEvent& event) override;

protected:
    void Draw(YCanvas& canvas) override;

private:
    enum class Drag { None, Point, Bend };
    void Changed();
    bool IsEnd(int32_t index) const { return index == 0 || index + 1 == curve_.PointCount(); }
    // How a bend motion of the mouse (pixels upwards) changes a segment's curvature.
    double BendDirection(int32_t segment) const;

    YEnvelopeComputer curve_;
    std::vector<float> underlay_;
    std::vector<double> playheads_;
    std::vector<YString> tags_;
    bool showCurve_ = true;
    bool sounding_ = true;
    bool touch_ = false;
    int32_t selected_ = -1;
    int32_t hotSegment_ = -1;
    Drag drag_ = Drag::None;
    int32_t dragged_ = -1;
    YMouseEvent last_;
    double grabX_ = 0.0, grabY_ = 0.0;  // the dragged point where the drag began, curve units
};
