#include "editor/YSweepView.h"

#include <algorithm>
#include <cmath>

namespace {
const double kLowLog = std::log10(YSweepView::kLowHz);
const double kHighLog = std::log10(YSweepView::kHighHz);
// The stored frequencies are log10 hertz over this same range, so a normalised
// position is a position on the scale.
double HertzOf(double normalised) { return std::pow(10.0, kLowLog + (kHighLog - kLowLog) * normalised); }
}  // namespace

YSweepView::YSweepView(std::unique_ptr<YValueModel> minimum, std::unique_ptr<YValueModel> maximum)
    : minimum_(std::move(minimum)), maximum_(std::move(maximum)) {}

void YSweepView::SetSweep(std::vector<float> hertz) {
    if (hertz == sweep_) return;
    sweep_ = std::move(hertz);
    Invalidate();
}

void YSweepView::SetMarkers(std::vector<YPoint> markers) {
    const bool same = markers.size() == markers_.size() &&
                      std::equal(markers.begin(), markers.end(), markers_.begin(),
                                 [](const YPoint& a, const YPoint& b) { return a.x == b.x && a.y == b.y; });
    if (same) return;
    auto strips = [this] {
        for (const YPoint& marker : markers_) {
            const float x = Plot().x + Plot().width * std::clamp(marker.x, 0.0f, 1.0f);
            Invalidate({x - 10.0f, Bounds().y, 20.0f, Bounds().height});
        }
    };
    strips();
    markers_ = std::move(markers);
    strips();
}

YRect YSweepView::Plot() const {
    YRect plot = Bounds().Inset(6.0f);
    plot.TakeLeft(30.0f);  // the scale's labels
    return plot;
}

float YSweepView::YOf(double hertz) const {
    const YRect plot = Plot();
    const double t = (std::log10(std::max(hertz, 1e-3)) - kLowLog) / (kHighLog - kLowLog);
    return plot.Bottom() - plot.height * static_cast<float>(std::clamp(t, 0.0, 1.0));
}

double YSweepView::HertzAt(float y) const {
    const YRect plot = Plot();
    return HertzOf(std::clamp(static_cast<double>((plot.Bottom() - y) / plot.height), 0.0, 1.0));
}

double YSweepView::MinimumHz() const { return HertzOf(minimum_->Get()); }
double YSweepView::MaximumHz() const { return HertzOf(maximum_->Get()); }

YValueModel* YSweepView::EdgeNear(float y) const {
    const float low = YOf(MinimumHz()), high = YOf(MaximumHz());
    const float toLow = std::fabs(y - low), toHigh = std::fabs(y - high);
    if (std::min(toLow, toHigh) > 10.0f) return nullptr;
    return toLow <= toHigh ? minimum_.get() : maximum_.get();
}

YString YSweepView::HelpAt(float x, float y) const {
    if (EdgeNear(y)) return "Drag the edge of the band to set the <name>Min frequency</name> or the <name>Max frequency</name>.";
    return YControl::HelpAt(x, y);
}

bool YSweepView::OnMouseDown(const YMouseEvent& event) {
    dragging_ = event.button == 0 ? EdgeNear(event.y) : nullptr;
    if (dragging_ == nullptr) return false;
    dragging_->BeginEdit();
    OnMouseDrag(event);
    return true;
}

void YSweepView::OnMouseDrag(const YMouseEvent& event) {
    if (dragging_ == nullptr) return;
    const YRect plot = Plot();
    dragging_->Set(std::clamp(static_cast<double>((plot.Bottom() - event.y) / plot.height), 0.0, 1.0));
    Sync();
}

void YSweepView::OnMouseUp(const YMouseEvent& event) {
    (void)event;
    if (dragging_) dragging_->EndEdit();
    dragging_ = nullptr;
}

void YSweepView::Sync() {
    const double low = minimum_->Get(), high = maximum_->Get();
    if (low == shownMinimum_ && high == shownMaximum_) return;
    shownMinimum_ = low;
    shownMaximum_ = high;
    Invalidate();
}

void YSweepView::Draw(YCanvas& canvas) {
    const YStyle& style = Style();
    const YRect box = Bounds();
    canvas.FillRoundRect(box, style.sizes.controlRadius, YPaint::Solid(style.colors.well));
    canvas.StrokeRoundRect(box, style.sizes.controlRadius, 1.0f, style.colors.wellBorder);
    const YRect plot = Plot();
    static const struct {
        double hertz;
        YString text;
    } kMarks[] = {{50.0, "50"}, {100.0, "100"}, {200.0, "200"}, {500.0, "500"}, {1000.0, "1k"},
                  {2000.0, "2k"}, {5000.0, "5k"}, {10000.0, "10k"}};
    for (const auto& mark : kMarks) {
        const float y = std::round(YOf(mark.hertz));
        const bool decade = mark.text.Length() <= 3 && (mark.text[0] == u'1');
        canvas.FillRect({plot.x, y, plot.width, 1.0f}, YPaint::Solid(decade ? style.colors.grid : style.colors.grid.Faded(0.5f)));
        if (plot.height > 90.0f || decade)
            canvas.Text(mark.text, {box.x + 2.0f, y - 7.0f, 30.0f, 14.0f}, style.type.small, style.colors.textDim,
                        YCanvas::Align::Right);
    }
    const float low = YOf(MinimumHz()), high = YOf(MaximumHz());
    const float top = std::min(low, high), bottom = std::max(low, high);
    canvas.FillRect({plot.x, top, plot.width, std::max(1.0f, bottom - top)}, YPaint::Solid(style.colors.sweep.Faded(0.45f)));
    canvas.FillRect({plot.x, low - 0.75f, plot.width, 1.5f}, YPaint::Solid(style.colors.accent));
    canvas.FillRect({plot.x, high - 0.75f, plot.width, 1.5f}, YPaint::Solid(style.colors.accent));
    if (sweep_.size() > 1) {
        YPath path;
        for (std::size_t i = 0; i < sweep_.size(); ++i) {
            const float x = plot.x + plot.width * static_cast<float>(i) / static_cast<float>(sweep_.size() - 1);
            const float y = YOf(static_cast<double>(sweep_[i]));
            if (i == 0) path.MoveTo(x, y); else path.LineTo(x, y);
        }
        canvas.StrokePath(path, 1.5f, style.colors.accentBright);
    }
    for (const YPoint& marker : markers_) {
        const float x = plot.x + plot.width * std::clamp(marker.x, 0.0f, 1.0f);
        const float y = YOf(static_cast<double>(marker.y));
        canvas.FillCircle(x, y, 7.0f, YPaint::Solid(style.colors.accentBright.Faded(0.3f)));
        canvas.FillCircle(x, y, 3.5f, YPaint::Solid(style.colors.textBright));
    }
}
