#include "editor/YPath.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

YPoint Lerp(YPoint a, YPoint b, float t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }

}  // namespace

YPath::Contour& YPath::Current() {
    if (!open_) {
        contours_.emplace_back();
        open_ = true;
    }
    return contours_.back();
}

void YPath::AddPoint(YPoint point) {
    Contour& contour = Current();
    if (!contour.points.empty()) {
        const YPoint& last = contour.points.back();
        if (last.x == point.x && last.y == point.y) return;
    }
    contour.points.push_back(point);
}

void YPath::MoveTo(float x, float y) {
    open_ = false;
    AddPoint({x, y});
}

void YPath::LineTo(float x, float y) { AddPoint({x, y}); }

void YPath::QuadTo(float cx, float cy, float x, float y) {
    const YPoint p0 = Current().points.empty() ? YPoint{cx, cy} : Current().points.back();
    const YPoint c{cx, cy}, p1{x, y};
    // The distance of the control point from the chord bounds the error: n segments
    // keep it within the tolerance.
    const float deviation = std::hypot(p0.x - 2.0f * c.x + p1.x, p0.y - 2.0f * c.y + p1.y) * 0.25f;
    const int32_t n = std::clamp(static_cast<int32_t>(std::ceil(std::sqrt(deviation / tolerance_))), 1, 256);
    for (int32_t i = 1; i <= n; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(n);
        AddPoint(Lerp(Lerp(p0, c, t), Lerp(c, p1, t), t));
    }
}

void YPath::CubicTo(float c1x, float c1y, float c2x, float c2y, float x, float y) {
    const YPoint p0 = Current().points.empty() ? YPoint{c1x, c1y} : Current().points.back();
    const YPoint c1{c1x, c1y}, c2{c2x, c2y}, p1{x, y};
    const float d1 = std::hypot(p0.x - 2.0f * c1.x + c2.x, p0.y - 2.0f * c1.y + c2.y);
    const float d2 = std::hypot(c1.x - 2.0f * c2.x + p1.x, c1.y - 2.0f * c2.y + p1.y);
    const float deviation = std::max(d1, d2) * 0.75f;
    const int32_t n = std::clamp(static_cast<int32_t>(std::ceil(std::sqrt(deviation / tolerance_))), 1, 512);
    for (int32_t i = 1; i <= n; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(n);
        const YPoint a = Lerp(c1, c2, t);
        AddPoint(Lerp(Lerp(Lerp(p0, c1, t), a, t), Lerp(a, Lerp(c2, p1, t), t), t));
    }
}

int32_t YPath::ArcSegments(float radius, float sweep) const {
    if (radius <= tolerance_) return 1;
    // A chord of angle s deviates r(1 - cos(s/2)) from the arc.
    const float step = 2.0f * std::acos(std::max(-1.0f, 1.0f - tolerance_ / radius));
    return std::clamp(static_cast<int32_t>(std::ceil(std::fabs(sweep) / std::max(step, 1e-3f))), 2, 1024);
}

void YPath::Arc(float cx, float cy, float radius, float a0, float a1) {
    const int32_t n = ArcSegments(radius, a1 - a0);
    for (int32_t i = 0; i <= n; ++i) {
        const float a = a0 + (a1 - a0) * static_cast<float>(i) / static_cast<float>(n);
        AddPoint({cx + radius * std::cos(a), cy + radius * std::sin(a)});
    }
}

void YPath::Close() {
    if (open_) {
        Contour& contour = contours_.back();
        if (contour.points.size() > 1 && contour.points.front().x == contour.points.back().x &&
            contour.points.front().y == contour.points.back().y)
            contour.points.pop_back();
        contour.closed = true;
    }
    open_ = false;
}

void YPath::AddRect(const YRect& rect) {
    MoveTo(rect.x, rect.y);
    LineTo(rect.Right(), rect.y);
    LineTo(rect.Right(), rect.Bottom());
    LineTo(rect.x, rect.Bottom());
    Close();
}

void YPath::AddRoundRect(const YRect& rect, float radius) {
    radius = std::min({radius, rect.width * 0.5f, rect.height * 0.5f});
    if (radius <= 0.0f) {
        AddRect(rect);
        return;
    }
    open_ = false;
    Arc(rect.Right() - radius, rect.y + radius, radius, -kPi * 0.5f, 0.0f);
    Arc(rect.Right() - radius, rect.Bottom() - radius, radius, 0.0f, kPi * 0.5f);
    Arc(rect.x + radius, rect.Bottom() - radius, radius, kPi * 0.5f, kPi);
    Arc(rect.x + radius, rect.y + radius, radius, kPi, kPi * 1.5f);
    Close();
}

void YPath::AddCircle(float cx, float cy, float radius) {
    open_ = false;
    Arc(cx, cy, radius, 0.0f, 2.0f * kPi);
    Close();
}

YPath YPath::Transformed(float scale, float dx, float dy) const {
    YPath result(tolerance_ * scale);
    result.contours_ = contours_;
    for (Contour& contour : result.contours_)
        for (YPoint& p : contour.points) p = {p.x * scale + dx, p.y * scale + dy};
    return result;
}

namespace {

YPoint Direction(YPoint a, YPoint b) {
    const float dx = b.x - a.x, dy = b.y - a.y;
    const float length = std::hypot(dx, dy);
    return length > 0.0f ? YPoint{dx / length, dy / length} : YPoint{1.0f, 0.0f};
}

// The offset of one side (left: +normal) of a polyline with round outer joins. On
// the inner side of a turn the two offset lines meet at a point, which ends the one
// and starts the other; where the segments are too short to reach it, the side goes
// through the vertex itself instead, so the overlap there never cancels out.
void OffsetSide(const std::vector<YPoint>& points, bool closed, float half, float side, std::vector<YPoint>& out,
                float tolerance) {
    const std::size_t n = points.size();
    const std::size_t segments = closed ? n : n - 1;
    auto normal = [&](std::size_t s) {
        const YPoint d = Direction(points[s], points[(s + 1) % n]);
        return YPoint{-d.y * side, d.x * side};
    };
    auto length = [&](std::size_t s) {
        const YPoint a = points[s], b = points[(s + 1) % n];
        return std::hypot(b.x - a.x, b.y - a.y);
    };
    bool skipStart = false;
    bool closedByMeeting = false;
    for (std::size_t s = 0; s < segments; ++s) {
        const YPoint nrm = normal(s);
        const YPoint a = points[s], b = points[(s + 1) % n];
        if (!skipStart) out.push_back({a.x + nrm.x * half, a.y + nrm.y * half});
        skipStart = false;
        out.push_back({b.x + nrm.x * half, b.y + nrm.y * half});
        if (!closed && s + 1 == segments) break;
        const std::size_t following = (s + 1) % segments;
        const YPoint next = normal(following);
        // Positive when the line turns towards the left side, whichever side this is.
        const float turn = nrm.x * next.y - nrm.y * next.x;
        const float cosine = nrm.x * next.x + nrm.y * next.y;
        if (cosine > 0.9999f) continue;
        if (turn * side < 0.0f) {
            // Outer side: an arc around the vertex from this normal to the next.
            float a0 = std::atan2(nrm.y, nrm.x), a1 = std::atan2(next.y, next.x);
            if (turn > 0.0f && a1 < a0) a1 += 2.0f * kPi;
            if (turn < 0.0f && a1 > a0) a1 -= 2.0f * kPi;
            const float step = 2.0f * std::acos(std::max(-1.0f, 1.0f - tolerance / std::max(half, tolerance)));
            const int32_t count = std::clamp(static_cast<int32_t>(std::ceil(std::fabs(a1 - a0) / std::max(step, 1e-3f))), 1, 64);
            for (int32_t i = 1; i < count; ++i) {
                const float angle = a0 + (a1 - a0) * static_cast<float>(i) / static_cast<float>(count);
                out.push_back({b.x + std::cos(angle) * half, b.y + std::sin(angle) * half});
            }
            continue;
        }
        // Inner side: the offset lines meet this far before (and after) the vertex.
        const float back = half * std::fabs(turn) / (1.0f + cosine);
        if (back <= length(s) && back <= length(following)) {
            const YPoint d = Direction(a, b);
            out.back() = {b.x + nrm.x * half - d.x * back, b.y + nrm.y * half - d.y * back};
            skipStart = true;
            closedByMeeting = closed && following == 0;
        } else {
            out.push_back(b);
        }
    }
    // The last join of a closed side may have moved the first point.
    if (closedByMeeting) {
        out.front() = out.back();
        out.pop_back();
    }
}

// The contour without points that (nearly) repeat the one before: a segment needs a
// direction to be offset.
YPath::Contour WithoutRepeats(const YPath::Contour& contour) {
    YPath::Contour result;
    result.closed = contour.closed;
    for (const YPoint& p : contour.points) {
        if (!result.points.empty() && std::hypot(p.x - result.points.back().x, p.y - result.points.back().y) < 1e-3f) continue;
        result.points.push_back(p);
    }
    while (contour.closed && result.points.size() > 2 &&
           std::hypot(result.points.front().x - result.points.back().x, result.points.front().y - result.points.back().y) < 1e-3f)
        result.points.pop_back();
    return result;
}

}  // namespace

YPath YPath::Stroked(float width, Cap cap) const {
    YPath result(tolerance_);
    const float half = width * 0.5f;
    for (const Contour& original : contours_) {
        const Contour contour = WithoutRepeats(original);
        if (contour.points.empty()) continue;
        if (contour.points.size() == 1) {
            if (cap == Cap::Round) result.AddCircle(contour.points[0].x, contour.points[0].y, half);
            continue;
        }
        std::vector<YPoint> left, right;
        OffsetSide(contour.points, contour.closed, half, 1.0f, left, tolerance_);
        if (contour.closed) {
            // Two loops of opposite direction: the ring between them.
            OffsetSide(contour.points, true, half, -1.0f, right, tolerance_);
            std::reverse(right.begin(), right.end());
            for (const std::vector<YPoint>* loop : {&left, &right}) {
                result.open_ = false;
                for (const YPoint& p : *loop) result.AddPoint(p);
                result.Close();
            }
            continue;
        }
        OffsetSide(contour.points, false, half, -1.0f, right, tolerance_);
        result.open_ = false;
        for (const YPoint& p : left) result.AddPoint(p);
        const YPoint end = contour.points.back(), start = contour.points.front();
        if (cap == Cap::Round) {
            const YPoint d = Direction(contour.points[contour.points.size() - 2], end);
            const float a = std::atan2(d.x, -d.y);  // the left normal's angle
            result.Arc(end.x, end.y, half, a, a - kPi);
        }
        for (auto p = right.rbegin(); p != right.rend(); ++p) result.AddPoint(*p);
        if (cap == Cap::Round) {
            const YPoint d = Direction(start, contour.points[1]);
            const float a = std::atan2(-d.x, d.y);  // the right normal's angle
            result.Arc(start.x, start.y, half, a, a - kPi);
        }
        result.Close();
    }
    return result;
}
