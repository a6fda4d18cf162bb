#pragma once

#include "editor/YGeometry.h"

#include <cstdint>
#include <vector>

// A shape made of contours of straight segments: curves and arcs are flattened as
// they are added, to within a tolerance of the unit the points are given in. Filling
// uses the non-zero rule; a contour's direction does not matter unless contours
// overlap with opposite directions (a hole).
class YPath {
public:
    enum class Cap { Butt, Round };

    struct Contour {
        std::vector<YPoint> points;
        bool closed = false;
    };

    explicit YPath(float tolerance = 0.05f) : tolerance_(tolerance) {}

    void MoveTo(float x, float y);
    void LineTo(float x, float y);
    void QuadTo(float cx, float cy, float x, float y);
    void CubicTo(float c1x, float c1y, float c2x, float c2y, float x, float y);
    // An arc of a circle from angle a0 to a1 (radians, clockwise on screen since y
    // points down), joined to the current contour by a line; starts a contour when
    // there is none.
    void Arc(float cx, float cy, float radius, float a0, float a1);
    void Close();

    void AddRect(const YRect& rect);
    void AddRoundRect(const YRect& rect, float radius);
    void AddCircle(float cx, float cy, float radius);

    const std::vector<Contour>& Contours() const { return contours_; }
    bool IsEmpty() const { return contours_.empty(); }
    // Every point mapped by p * scale + offset.
    YPath Transformed(float scale, float dx, float dy) const;
    // The outline of a line of the given width drawn along every contour, as closed
    // contours to fill: round joins, the chosen caps on open contours.
    YPath Stroked(float width, Cap cap = Cap::Butt) const;

private:
    Contour& Current();
    void AddPoint(YPoint point);
    int32_t ArcSegments(float radius, float sweep) const;

    float tolerance_;
    std::vector<Contour> contours_;
    bool open_ = false;  // a contour is being added to
};
