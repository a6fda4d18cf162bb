#include "editor/YCurveEditor.h"

#include "editor/YWindow.h"

#include <algorithm>
#include <cmath>

void YCurveEditor::SetCurve(const YEnvelopeComputer& curve) {
    curve_ = curve;
    if (selected_ >= curve_.PointCount()) selected_ = -1;
    Invalidate();
}

void YCurveEditor::Select(int32_t index) {
    if (index >= curve_.PointCount()) index = -1;
    if (index == selected_) return;
    selected_ = index;
    Invalidate();
    if (onSelect) onSelect(index);
}

void YCurveEditor::SetUnderlay(std::vector<float> values) {
    underlay_ = std::move(values);
    Invalidate();
}

void YCurveEditor::SetPlayheads(std::vector<double> positions, std::vector<YString> tags) {
    if (positions == playheads_ && tags == tags_) return;
    // Only the strips around the old and the new marks change.
    auto strips = [this](float half) {
        for (double position : playheads_) {
            const float x = ToScreen(position, 0.0).x;
            Invalidate({x - half, Bounds().y, 2.0f * half, Bounds().height});
        }
    };
    strips(kMarkReach);
    playheads_ = std::move(positions);
    tags_ = std::move(tags);
    strips(kMarkReach);
}

void YCurveEditor::SetShowCurve(bool show) {
    if (show == showCurve_) return;
    showCurve_ = show;
    Invalidate();
}

void YCurveEditor::SetCurveSounding(bool sounding) {
    if (sounding == sounding_) return;
    sounding_ = sounding;
    Invalidate();
}

YPoint YCurveEditor::ToScreen(double x, double y) const {
    const YRect plot = Plot();
    const double xSpan = curve_.XMax() - curve_.XMin(), ySpan = curve_.YMax() - curve_.YMin();
    const double tx = xSpan > 0.0 ? (x - curve_.XMin()) / xSpan : 0.0;
    const double ty = ySpan > 0.0 ? (y - curve_.YMin()) / ySpan : 0.0;
    return {plot.x + plot.width * static_cast<float>(tx), plot.Bottom() - plot.height * static_cast<float>(ty)};
}

void YCurveEditor::ToCurve(float sx, float sy, double& x, double& y) const {
    const YRect plot = Plot();
    const double tx = std::clamp(static_cast<double>((sx - plot.x) / plot.width), 0.0, 1.0);
    const double ty = std::clamp(static_cast<double>((plot.Bottom() - sy) / plot.height), 0.0, 1.0);
    x = curve_.XMin() + (curve_.XMax() - curve_.XMin()) * tx;
    y = curve_.YMin() + (curve_.YMax() - curve_.YMin()) * ty;
}

int32_t YCurveEditor::PointAt(float sx, float sy) const {
    const float reach = (touch_ ? Style().sizes.touchPointRadius : Style().sizes.pointRadius) + 4.0f;
    int32_t best = -1;
    float bestDistance = reach * reach;
    for (int32_t i = 0; i < curve_.PointCount(); ++i) {
        const YEnvelopeComputer::Point& p = curve_.GetPoint(i);
        const YPoint s = ToScreen(p.x, p.y);
        const float d = (s.x - sx) * (s.x - sx) + (s.y - sy) * (s.y - sy);
        if (d <= bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

int32_t YCurveEditor::SegmentAt(float sx) const {
    double x, y;
    ToCurve(sx, 0.0f, x, y);
    int32_t segment = -1;
    for (int32_t i = 0; i + 1 < curve_.PointCount(); ++i)
        if (curve_.GetPoint(i).x <= x) segment = i;
    return segment;
}

void YCurveEditor::Changed() {
    Invalidate();
    if (onChange) onChange(curve_);
}

int32_t YCurveEditor::AddPoint(double x, double y) {
    // A new point continues the segment it splits.
    const int32_t segment = std::max(0, SegmentAt(ToScreen(x, y).x));
    YEnvelopeComputer::Point point = YEnvelopeComputer::NewPoint(x, y);
    if (segment < curve_.PointCount()) point.type = curve_.GetPoint(segment).type;
    const int32_t index = curve_.InsertPoint(point);
    Changed();
    Select(index);
    return index;
}

void YCurveEditor::DeletePoint(int32_t index) {
    if (index < 0 || index >= curve_.PointCount() || IsEnd(index)) return;
    curve_.RemovePoint(index);
    selected_ = -1;
    Changed();
    if (onSelect) onSelect(-1);
}

void YCurveEditor::SetSegmentType(int32_t index, int32_t type) {
    if (index < 0 || index >= curve_.PointCount()) return;
    YEnvelopeComputer::Point point = curve_.GetPoint(index);
    if (point.type == type) return;
    point.type = type;
    curve_.SetPoint(index, point);
    Changed();
}

void YCurveEditor::SetCurvature(int32_t index, double curvature) {
    if (index < 0 || index >= curve_.PointCount()) return;
    YEnvelopeComputer::Point point = curve_.GetPoint(index);
    curvature = std::clamp(curvature, -1.0, 1.0);
    if (point.curvature == curvature) return;
    point.curvature = curvature;
    curve_.SetPoint(index, point);
    Changed();
}

double YCurveEditor::BendDirection(int32_t segment) const {
    const int32_t type = curve_.GetPoint(segment).type;
    // The pattern types count their stairs, pulses or waves by the curvature: up adds.
    if (type >= YEnvelopeComputer::kStairs) return 1.0;
    // The others bulge towards the mouse: upwards means curvature below zero on a
    // rising segment and above zero on a falling one.
    const double rise = curve_.GetPoint(segment + 1).y - curve_.GetPoint(segment).y;
    return rise >= 0.0 ? -1.0 : 1.0;
}

bool YCurveEditor::OnMouseDown(const YMouseEvent& event) {
    if (event.button != 0) return false;
    if (Window()) Window()->SetFocus(this);
    const int32_t hit = PointAt(event.x, event.y);
    if (event.clicks >= 2) {
        if (hit >= 0) {
            DeletePoint(hit);
            return false;
        }
        double x, y;
        ToCurve(event.x, event.y, x, y);
        dragged_ = AddPoint(x, y);
        drag_ = Drag::Point;
    } else if (hit >= 0) {
        Select(hit);
        dragged_ = hit;
        drag_ = Drag::Point;
    } else {
        dragged_ = SegmentAt(event.x);
        if (dragged_ < 0) return false;
        Select(dragged_);
        drag_ = Drag::Bend;
    }
    const YEnvelopeComputer::Point& p = curve_.GetPoint(dragged_);
    grabX_ = p.x;
    grabY_ = p.y;
    last_ = event;
    if (onGesture) onGesture(true);
    return true;
}

void YCurveEditor::OnMouseDrag(const YMouseEvent& event) {
    if (drag_ == Drag::None || dragged_ < 0 || dragged_ >= curve_.PointCount()) return;
    const float factor = event.Fine() ? 0.1f : 1.0f;
    const float dx = (event.x - last_.x) * factor, dy = (event.y - last_.y) * factor;
    last_ = event;
    if (drag_ == Drag::Bend) {
        if (dragged_ + 1 >= curve_.PointCount()) return;
        const double bend = static_cast<double>(-dy) * kBendPerPixel * BendDirection(dragged_);
        SetCurvature(dragged_, curve_.GetPoint(dragged_).curvature + bend);
        return;
    }
    // The point follows the mouse's motion (a tenth of it when fine).
    const YPoint at = ToScreen(grabX_, grabY_);
    double x, y;
    ToCurve(at.x + dx, at.y + dy, x, y);
    grabX_ = x;
    grabY_ = y;
    YEnvelopeComputer::Point point = curve_.GetPoint(dragged_);
    if (!IsEnd(dragged_)) point.x = x;
    point.y = y;
    curve_.SetPoint(dragged_, point);
    Changed();
}

void YCurveEditor::OnMouseUp(const YMouseEvent& event) {
    (void)event;
    if (drag_ == Drag::None) return;
    drag_ = Drag::None;
    dragged_ = -1;
    if (onGesture) onGesture(false);
}

void YCurveEditor::OnMouseMove(const YMouseEvent& event) {
    const int32_t hot = PointAt(event.x, event.y) >= 0 ? -1 : SegmentAt(event.x);
    if (hot != hotSegment_) {
        hotSegment_ = hot;
        Invalidate();
    }
}

void YCurveEditor::OnHover(bool inside) {
    if (!inside && hotSegment_ >= 0) {
        hotSegment_ = -1;
        Invalidate();
    }
}

bool YCurveEditor::OnWheel(const YMouseEvent& event) {
    const int32_t segment = SegmentAt(event.x);
    if (segment < 0 || segment + 1 >= curve_.PointCount()) return false;
    Select(segment);
    const double step = (event.Fine() ? 0.01 : 0.05) * static_cast<double>(event.wheel) * BendDirection(segment);
    if (onGesture) onGesture(true);
    SetCurvature(segment, curve_.GetPoint(segment).curvature + step);
    if (onGesture) onGesture(false);
    return true;
}

bool YCurveEditor::OnKey(const YKeyEvent& event) {
    if (event.kind != YKeyEvent::Kind::KeyDown) return false;
    if (event.key != kKeyDelete && event.key != kKeyBack) return false;
    DeletePoint(selected_);
    return true;
}

void YCurveEditor::Draw(YCanvas& canvas) {
    const YStyle& style = Style();
    const YRect box = Bounds();
    canvas.FillRoundRect(box, style.sizes.controlRadius, YPaint::Solid(style.colors.well));
    canvas.StrokeRoundRect(box, style.sizes.controlRadius, 1.0f, style.colors.wellBorder);
    const YRect plot = Plot();
    canvas.PushClip(box.Inset(1.0f));
    // Eighths of the period, quarters stronger; the zero line and the half levels.
    for (int32_t i = 1; i < 8; ++i) {
        const float x = std::round(plot.x + plot.width * static_cast<float>(i) / 8.0f);
        canvas.FillRect({x, plot.y, 1.0f, plot.height}, YPaint::Solid(i % 2 == 0 ? style.colors.grid : style.colors.grid.Faded(0.5f)));
    }
    for (double level : {-0.5, 0.0, 0.5}) {
        const double y = curve_.YMin() + (curve_.YMax() - curve_.YMin()) * (level + 1.0) * 0.5;
        const float sy = std::round(ToScreen(curve_.XMin(), y).y);
        canvas.FillRect({plot.x, sy, plot.width, 1.0f}, YPaint::Solid(level == 0.0 ? style.colors.controlBorder.Faded(0.6f) : style.colors.grid));
    }
    const float zeroY = ToScreen(0.0, 0.5 * (curve_.YMin() + curve_.YMax())).y;
    if (underlay_.size() > 1) {
        YPath line, area;
        const std::size_t n = underlay_.size();
        area.MoveTo(plot.x, zeroY);
        for (std::size_t i = 0; i < n; ++i) {
            const double x = curve_.XMin() + (curve_.XMax() - curve_.XMin()) * static_cast<double>(i) / static_cast<double>(n - 1);
            const YPoint s = ToScreen(x, static_cast<double>(underlay_[i]));
            if (i == 0) line.MoveTo(s.x, s.y); else line.LineTo(s.x, s.y);
            area.LineTo(s.x, s.y);
        }
        area.LineTo(plot.Right(), zeroY);
        area.Close();
        canvas.FillPath(area, YPaint::Linear({0.0f, plot.y}, style.colors.lfoFill, {0.0f, zeroY}, style.colors.lfoFill.Faded(0.3f)));
        canvas.StrokePath(line, style.sizes.curveLine, style.colors.lfo);
    }
    if (showCurve_ && curve_.PointCount() > 0) {
        const auto samples = static_cast<int32_t>(std::max(2.0f, plot.width));
        std::vector<double> values(static_cast<std::size_t>(samples));
        const double step = (curve_.XMax() - curve_.XMin()) / (samples - 1);
        curve_.Run(values.data(), curve_.XMin(), step, samples);
        YPath line;
        for (int32_t i = 0; i < samples; ++i) {
            const YPoint s = ToScreen(curve_.XMin() + step * i, values[static_cast<std::size_t>(i)]);
            if (i == 0) line.MoveTo(s.x, s.y); else line.LineTo(s.x, s.y);
        }
        canvas.StrokePath(line, 1.5f, sounding_ ? style.colors.accent : style.colors.accent.Faded(0.4f));
        if (hotSegment_ >= 0 && hotSegment_ + 1 < curve_.PointCount()) {
            const float x0 = ToScreen(curve_.GetPoint(hotSegment_).x, 0.0).x;
            const float x1 = ToScreen(curve_.GetPoint(hotSegment_ + 1).x, 0.0).x;
            canvas.FillRect({x0, plot.y, x1 - x0, plot.height}, YPaint::Solid(style.colors.accent.Faded(0.06f)));
        }
        const float radius = touch_ ? style.sizes.touchPointRadius : style.sizes.pointRadius;
        for (int32_t i = 0; i < curve_.PointCount(); ++i) {
            const YEnvelopeComputer::Point& p = curve_.GetPoint(i);
            const YPoint s = ToScreen(p.x, p.y);
            if (i == selected_) {
                canvas.FillCircle(s.x, s.y, radius + 4.0f, YPaint::Solid(style.colors.accent.Faded(0.3f)));
                canvas.FillCircle(s.x, s.y, radius, YPaint::Solid(style.colors.accentBright));
            } else {
                canvas.FillCircle(s.x, s.y, radius, YPaint::Solid(style.colors.well));
                canvas.StrokeCircle(s.x, s.y, radius - 0.75f, 1.5f, style.colors.accentBright);
            }
        }
    }
    for (std::size_t p = 0; p < playheads_.size(); ++p) {
        const double position = playheads_[p];
        const float x = ToScreen(position, 0.0).x;
        canvas.FillRect({x - 0.5f, plot.y, 1.5f, plot.height}, YPaint::Solid(style.colors.text.Faded(0.45f)));
        if (p < tags_.size() && !tags_[p].IsEmpty()) {
            const float width = YTextLayout::Measure(tags_[p], style.type.small) + 8.0f;
            const YRect tag{std::min(x - width * 0.5f, plot.Right() - width), plot.y - 6.0f, width, 13.0f};
            canvas.FillRoundRect(tag, 6.5f, YPaint::Solid(style.colors.controlTop));
            canvas.Text(tags_[p], tag, style.type.small, style.colors.textBright, YCanvas::Align::Center);
        }
        if (underlay_.size() > 1) {
            const double t = std::clamp((position - curve_.XMin()) / (curve_.XMax() - curve_.XMin()), 0.0, 1.0);
            const auto i = static_cast<std::size_t>(std::lround(t * static_cast<double>(underlay_.size() - 1)));
            const float y = ToScreen(position, static_cast<double>(underlay_[i])).y;
            canvas.FillCircle(x, y, 7.0f, YPaint::Solid(style.colors.lfo.Faded(0.3f)));
            canvas.FillCircle(x, y, 4.0f, YPaint::Solid(style.colors.textBright));
        }
    }
    canvas.PopClip();
}
