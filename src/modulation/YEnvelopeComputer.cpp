#include "modulation/YEnvelopeComputer.h"

#include "foundation/YStoreArchive.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

constexpr double kOpenEnd = 1.7e308;
constexpr double kPi = std::numbers::pi;

const YEnvelopeComputer::TypeInfo kTypes[YEnvelopeComputer::kTypeCount] = {
    {"Mode 1", "Fastest, minimal curvature freedom.", 6},
    {"Mode 2", "Fast, average curvature freedom.", 6},
    {"Mode 3", "Very slow, very high curvature freedom.", 6},
    {"Free 1", "Normal speed, curvature adjustable in both axes.", 3},
    {"Double 1", "Double curved shape.", 6},
    {"Smooth 1", "Fast, no curvature, provides smooth connection between neighboring segments.", 4},
    {"Smooth 2", "Fast, no curvature, provides smooth connection between neighboring segments.", 4},
    {"Stairs", "Stairs-like image, curvature controls number of stairs.", 2},
    {"Pulses", "Pulses, curvature controls number of pulses.", 2},
    {"Saw", "Saw, curvature controls number of saw teeth.", 2},
    {"Triangles", "Triangles, curvature controls number of triangles.", 2},
    {"Sines", "Sines, curvature controls number of waves.", 2},
};

// A vertical tangent (Mode 3 at its steep end, a Bezier turning back) would make the
// joining cubic shoot off; such a neighbour is joined flat instead.
double FiniteOr0(double slope) { return std::isfinite(slope) ? slope : 0.0; }

// How many of x, x + step, ... (at most limit, step > 0) lie below end. The estimate
// is corrected with the very expression the run evaluates, so run and single-point
// evaluation pick the same piece.
int32_t CountBelow(double x, double step, double end, int32_t limit) {
    if (end >= kOpenEnd) return limit;
    double estimate = std::ceil((end - x) / step);
    int32_t n = !(estimate > 0) ? 0 : estimate >= limit ? limit : static_cast<int32_t>(estimate);
    while (n > 0 && x + (n - 1) * step >= end) --n;
    while (n < limit && x + n * step < end) ++n;
    return n;
}

// Pattern pieces repeat n times; n grows with the square of the curvature.
double PatternCount(double curvature) { return std::max(1.0, std::floor(curvature * curvature * 64 + 0.5)); }

}  // namespace

namespace envelope_detail {

// Gives a piece its run and single-point operations from one inline Compute, so the
// run loop has no call per sample.
template <class Derived>
class ItemT : public YEnvelopeComputer::Item {
public:
    using Item::Item;

    void Fill(double* out, double x, double step, int32_t count) const noexcept override {
        const Derived& self = static_cast<const Derived&>(*this);
        for (int32_t k = 0; k < count; ++k) out[k] = self.Compute(x + k * step);
    }
    double Value(double x) const noexcept override { return static_cast<const Derived&>(*this).Compute(x); }
};

// y = y0 + sum over d of a[d] * t^d with t = (x - x0) / dx, in Horner form. Kept in t
// rather than in x so that the coefficients stay well scaled on short segments.
template <int Degree>
struct Polynomial {
    double x0 = 0, invDx = 1, y0 = 0;
    double a[Degree + 1] = {};

    double Eval(double x) const noexcept {
        double t = (x - x0) * invDx;
        double v = a[Degree];
        for (int d = Degree - 1; d >= 1; --d) v = v * t + a[d];
        return y0 + v * t;
    }
    double Slope(double x) const noexcept {
        double t = (x - x0) * invDx;
        double v = Degree * a[Degree];
        for (int d = Degree - 1; d >= 1; --d) v = v * t + d * a[d];
        return v * invDx;
    }
};

// f(t) coefficients of "Mode 2" scaled by dy, for curvature k.
inline Polynomial<4> FourthOrder(double x0, double dx, double y0, double dy, double k) {
    Polynomial<4> p;
    p.x0 = x0;
    p.invDx = 1 / dx;
    p.y0 = y0;
    if (k > 0) {
        // (1 - k) t + k t^4
        p.a[1] = dy * (1 - k);
        p.a[4] = dy * k;
    } else {
        // (1 + k) t - k (1 - (1 - t)^4), expanded
        p.a[1] = dy * (1 - 3 * k);
        p.a[2] = dy * 6 * k;
        p.a[3] = dy * -4 * k;
        p.a[4] = dy * k;
    }
    return p;
}

template <int Degree>
class PolynomialItem : public ItemT<PolynomialItem<Degree>> {
public:
    PolynomialItem(double endX, const Polynomial<Degree>& polynomial)
        : ItemT<PolynomialItem<Degree>>(endX), p_(polynomial) {}
    double Compute(double x) const noexcept { return p_.Eval(x); }
    double Slope(double x) const noexcept override { return p_.Slope(x); }

private:
    Polynomial<Degree> p_;
};

// Fills by stretches of equal index q = trunc((x - x0) / w), which never falls along
// a run: the end of each stretch is estimated, then settled with the same expression
// a single-point evaluation uses.
template <class ValueOf>
void FillByStretches(double* out, double x, double step, int32_t count, double x0, double w, ValueOf valueOf) {
    auto indexAt = [&](int32_t k) { return std::trunc((x + k * step - x0) / w); };
    int32_t k = 0;
    while (k < count) {
        double q = indexAt(k);
        int32_t next = k + 1;
        double estimate = std::ceil((x0 + (q + 1) * w - x) / step);
        if (estimate > next) next = estimate >= count ? count : static_cast<int32_t>(estimate);
        while (next > k + 1 && indexAt(next - 1) != q) --next;
        while (next < count && indexAt(next) == q) ++next;
        std::fill(out + k, out + next, valueOf(q));
        k = next;
    }
}

}  // namespace envelope_detail

using envelope_detail::ItemT;
using envelope_detail::Polynomial;
using envelope_detail::PolynomialItem;

class YEnvelopeComputer::ItemConstant final : public ItemT<ItemConstant> {
public:
    ItemConstant(double endX, double value) : ItemT(endX), value_(value) {}
    double Compute(double) const noexcept { return value_; }
    double Slope(double) const noexcept override { return 0; }
    void Fill(double* out, double, double, int32_t count) const noexcept override { std::fill(out, out + count, value_); }

private:
    double value_;
};

class YEnvelopeComputer::ItemLinear final : public PolynomialItem<1> {
    using PolynomialItem::PolynomialItem;
};
class YEnvelopeComputer::ItemQuadratic final : public PolynomialItem<2> {
    using PolynomialItem::PolynomialItem;
};
class YEnvelopeComputer::ItemCubic final : public PolynomialItem<3> {
    using PolynomialItem::PolynomialItem;
};
class YEnvelopeComputer::ItemFourthOrder final : public PolynomialItem<4> {
    using PolynomialItem::PolynomialItem;
};

// "Mode 3": f(t) = 1 - (1 - t^e)^(1/e), e = exp(3 k).
class YEnvelopeComputer::ItemExponencial final : public ItemT<ItemExponencial> {
public:
    ItemExponencial(double endX, double x0, double dx, double y0, double dy, double k)
        : ItemT(endX), x0_(x0), invDx_(1 / dx), y0_(y0), dy_(dy), e_(std::exp(3 * k)), invE_(1 / e_) {}

    double Compute(double x) const noexcept {
        double t = std::clamp((x - x0_) * invDx_, 0.0, 1.0);
        double base = 1 - std::pow(t, e_);
        return y0_ + dy_ * (base <= 0 ? 1 : 1 - std::pow(base, invE_));
    }
    double Slope(double x) const noexcept override {
        double t = std::clamp((x - x0_) * invDx_, 0.0, 1.0);
        double base = std::max(0.0, 1 - std::pow(t, e_));
        return dy_ * invDx_ * std::pow(t, e_ - 1) * std::pow(base, invE_ - 1);
    }

private:
    double x0_, invDx_, y0_, dy_, e_, invE_;
};

// "Free 1": a quadratic Bezier from P0 through control Q to P1; x(s) is solved for the
// parameter s in closed form, y(s) evaluated from it.
class YEnvelopeComputer::ItemBezier final : public ItemT<ItemBezier> {
public:
    ItemBezier(double endX, double x0, double y0, double x1, double y1, double h, double k) : ItemT(endX) {
        double dx = x1 - x0, dy = y1 - y0;
        double xq = x0 + dx * (h + 1) / 2;
        double yq = y0 + dy * (k + 1) / 2;
        a_ = x0 - 2 * xq + x1;
        solve_ = std::fabs(a_) >= 1e-10;
        invA_ = solve_ ? 1 / a_ : 0;
        b_ = solve_ ? (x0 - xq) / a_ : 0;
        c_ = xq * xq - x0 * x1;
        x0_ = x0;
        invDx_ = 1 / dx;
        xqMinusX0_ = xq - x0;
        y0_ = y0;
        c1_ = 2 * (yq - y0);
        c2_ = y0 - 2 * yq + y1;
    }

    double Compute(double x) const noexcept {
        double s = Parameter(x);
        return (c2_ * s + c1_) * s + y0_;
    }
    double Slope(double x) const noexcept override {
        double s = Parameter(x);
        return (2 * c2_ * s + c1_) / (2 * xqMinusX0_ + 2 * a_ * s);
    }

private:
    double Parameter(double x) const noexcept {
        if (!solve_) return (x - x0_) * invDx_;
        return b_ + std::sqrt(std::max(0.0, a_ * x + c_)) * invA_;
    }

    bool solve_;
    double a_, invA_, b_, c_, x0_, invDx_, xqMinusX0_, y0_, c1_, c2_;
};

// "Double 1": "Mode 2" with k up to the midpoint, with -k after it.
class YEnvelopeComputer::ItemDouble final : public ItemT<ItemDouble> {
public:
    ItemDouble(double endX, double x0, double y0, double x1, double y1, double k)
        : ItemT(endX),
          xm_((x0 + x1) / 2),
          first_(envelope_detail::FourthOrder(x0, xm_ - x0, y0, (y0 + y1) / 2 - y0, k)),
          second_(envelope_detail::FourthOrder(xm_, x1 - xm_, (y0 + y1) / 2, y1 - (y0 + y1) / 2, -k)) {}

    double Compute(double x) const noexcept { return x < xm_ ? first_.Eval(x) : second_.Eval(x); }
    double Slope(double x) const noexcept override { return x < xm_ ? first_.Slope(x) : second_.Slope(x); }

private:
    double xm_;
    Polynomial<4> first_, second_;
};

class YEnvelopeComputer::ItemStairs final : public ItemT<ItemStairs> {
public:
    ItemStairs(double endX, double x0, double y0, double dx, double dy, double n)
        : ItemT(endX), x0_(x0), w_(dx / n), y0_(y0), height_(dy / n) {}

    double Compute(double x) const noexcept { return Level(std::trunc((x - x0_) / w_)); }
    double Slope(double) const noexcept override { return 0; }
    void FillStretches(double* out, double x, double step, int32_t count) const noexcept override {
        envelope_detail::FillByStretches(out, x, step, count, x0_, w_, [this](double q) { return Level(q); });
    }

private:
    double Level(double q) const noexcept { return y0_ + q * height_; }
    double x0_, w_, y0_, height_;
};

class YEnvelopeComputer::ItemPulses final : public ItemT<ItemPulses> {
public:
    ItemPulses(double endX, double x0, double dx, double first, double second, double n)
        : ItemT(endX), x0_(x0), w_(dx / (2 * n)), first_(first), second_(second) {}

    double Compute(double x) const noexcept { return Level(std::trunc((x - x0_) / w_)); }
    double Slope(double) const noexcept override { return 0; }
    void FillStretches(double* out, double x, double step, int32_t count) const noexcept override {
        envelope_detail::FillByStretches(out, x, step, count, x0_, w_, [this](double q) { return Level(q); });
    }

private:
    double Level(double q) const noexcept { return std::fmod(q, 2.0) == 0 ? first_ : second_; }
    double x0_, w_, first_, second_;
};

class YEnvelopeComputer::ItemSaw final : public ItemT<ItemSaw> {
public:
    ItemSaw(double endX, double x0, double dx, double ya, double yb, double n)
        : ItemT(endX), x0_(x0), scale_(n / dx), ya_(ya), range_(yb - ya) {}

    double Compute(double x) const noexcept {
        double v = (x - x0_) * scale_;
        return ya_ + range_ * (v - std::floor(v));
    }
    double Slope(double) const noexcept override { return range_ * scale_; }

private:
    double x0_, scale_, ya_, range_;
};

class YEnvelopeComputer::ItemTriangles final : public ItemT<ItemTriangles> {
public:
    ItemTriangles(double endX, double x0, double dx, double ya, double yb, double n)
        : ItemT(endX), x0_(x0), omega_((2 * n - 1) / dx), ya_(ya), range_(yb - ya) {}

    double Compute(double x) const noexcept {
        return ya_ + range_ * (1 - std::fabs(std::fmod((x - x0_) * omega_, 2.0) - 1));
    }
    double Slope(double x) const noexcept override {
        return std::fmod((x - x0_) * omega_, 2.0) < 1 ? range_ * omega_ : -range_ * omega_;
    }

private:
    double x0_, omega_, ya_, range_;
};

class YEnvelopeComputer::ItemSines final : public ItemT<ItemSines> {
public:
    ItemSines(double endX, double x0, double dx, double ya, double yb, double n)
        : ItemT(endX), x0_(x0), omega_((2 * kPi * n - kPi) / dx), middle_((ya + yb) / 2), half_((yb - ya) / 2) {}

    double Compute(double x) const noexcept { return middle_ + half_ * std::sin((x - x0_) * omega_ - kPi / 2); }
    double Slope(double x) const noexcept override {
        return half_ * omega_ * std::cos((x - x0_) * omega_ - kPi / 2);
    }

private:
    double x0_, omega_, middle_, half_;
};

const YEnvelopeComputer::TypeInfo& YEnvelopeComputer::TypeInfoOf(int32_t type) noexcept {
    return kTypes[type >= 0 && type < kTypeCount ? type : kMode2];
}

YEnvelopeComputer::YEnvelopeComputer() : YEnvelopeComputer(0, 1, -1, 1, 0) {}

YEnvelopeComputer::YEnvelopeComputer(double xMin, double xMax, double yMin, double yMax, double endY) {
    NewCurve(xMin, xMax, yMin, yMax, endY);
}

YEnvelopeComputer::YEnvelopeComputer(const YEnvelopeComputer& other)
    : xMin_(other.xMin_), xMax_(other.xMax_), yMin_(other.yMin_), yMax_(other.yMax_), points_(other.points_) {
    Build();
}

YEnvelopeComputer& YEnvelopeComputer::operator=(const YEnvelopeComputer& other) {
    if (this != &other) {
        xMin_ = other.xMin_;
        xMax_ = other.xMax_;
        yMin_ = other.yMin_;
        yMax_ = other.yMax_;
        points_ = other.points_;
        Build();
    }
    return *this;
}

YEnvelopeComputer::~YEnvelopeComputer() = default;

void YEnvelopeComputer::NewCurve(double xMin, double xMax, double yMin, double yMax, double endY) {
    xMin_ = xMin;
    xMax_ = xMax;
    yMin_ = yMin;
    yMax_ = yMax;
    points_ = {NewPoint(xMin, endY), NewPoint(xMax, endY)};
    for (Point& point : points_) point.flags |= kPointEnd;
    Build();
}

void YEnvelopeComputer::SetXRange(double minimum, double maximum) {
    xMin_ = minimum;
    xMax_ = maximum;
}

void YEnvelopeComputer::SetYRange(double minimum, double maximum) {
    yMin_ = minimum;
    yMax_ = maximum;
    Build();  // a curve without points sits in the middle of the range
}

void YEnvelopeComputer::SetPoints(std::vector<Point> points) {
    std::stable_sort(points.begin(), points.end(), [](const Point& a, const Point& b) { return a.x < b.x; });
    points_ = std::move(points);
    Build();
}

void YEnvelopeComputer::SetPoint(int32_t index, const Point& point) {
    size_t i = static_cast<size_t>(index);
    Point& target = points_.at(i);
    target = point;
    if (i > 0) target.x = std::max(target.x, points_[i - 1].x);
    if (i + 1 < points_.size()) target.x = std::min(target.x, points_[i + 1].x);
    Build();
}

int32_t YEnvelopeComputer::InsertPoint(const Point& point) {
    auto at = std::upper_bound(points_.begin(), points_.end(), point.x,
                               [](double x, const Point& p) { return x < p.x; });
    at = points_.insert(at, point);
    Build();
    return static_cast<int32_t>(at - points_.begin());
}

void YEnvelopeComputer::RemovePoint(int32_t index) {
    (void)points_.at(static_cast<size_t>(index));  // range check
    points_.erase(points_.begin() + index);
    Build();
}

void YEnvelopeComputer::Build() {
    items_.clear();
    cursor_ = 0;
    if (points_.empty()) {
        items_.push_back(std::make_unique<ItemConstant>(kOpenEnd, (yMin_ + yMax_) / 2));
    } else if (points_.size() == 1) {
        items_.push_back(std::make_unique<ItemConstant>(kOpenEnd, points_[0].y));
    } else {
        items_.push_back(std::make_unique<ItemConstant>(points_.front().x, points_.front().y));
        for (size_t i = 0; i + 1 < points_.size(); ++i) items_.push_back(BuildSegment(i));
        items_.push_back(std::make_unique<ItemConstant>(kOpenEnd, points_.back().y));
        // The smooth segments come last, in order, because they take their end slopes
        // from the pieces around them; segment i is items_[i + 1].
        for (size_t i = 0; i + 1 < points_.size(); ++i) {
            int32_t type = points_[i].type;
            if ((type == kSmooth1 || type == kSmooth2) && points_[i + 1].x - points_[i].x > 1e-8)
                items_[i + 1] = BuildSmooth(i);
        }
    }
    ends_.resize(items_.size());
    for (size_t i = 0; i < items_.size(); ++i) ends_[i] = items_[i]->EndX();
}

std::unique_ptr<YEnvelopeComputer::Item> YEnvelopeComputer::BuildSegment(size_t index) const {
    const Point& p0 = points_[index];
    const Point& p1 = points_[index + 1];
    double x0 = p0.x, y0 = p0.y, x1 = p1.x, y1 = p1.y;
    double dx = x1 - x0, dy = y1 - y0;
    double k = p0.curvature, h = p0.horizontalCurvature;
    int32_t type = p0.type >= 0 && p0.type < kTypeCount ? p0.type : kMode2;

    if (dx <= 1e-8) return std::make_unique<ItemConstant>(x1, y0);

    auto linear = [&] {
        Polynomial<1> p;
        p.x0 = x0;
        p.invDx = 1 / dx;
        p.y0 = y0;
        p.a[1] = dy;
        return std::make_unique<ItemLinear>(x1, p);
    };
    // A smooth segment stands in as its chord until its neighbours are all built; a
    // smooth neighbour built before it then joins onto the chord's slope.
    if (type == kSmooth1 || type == kSmooth2) return linear();
    if (std::fabs(dy) < 1e-20) return std::make_unique<ItemConstant>(x1, y0);

    uint8_t flags = kTypes[type].flags;
    bool curved = ((flags & kUsesHorizontalCurvature) && std::fabs(h) >= 1e-20) ||
                  ((flags & kUsesCurvature) && std::fabs(k) >= 1e-20);
    if (!curved) return linear();

    double n = PatternCount(k);
    bool forward = k >= -1e-50;
    double ya = forward ? y0 : y1, yb = forward ? y1 : y0;
    switch (type) {
        case kMode1: {
            Polynomial<2> p;
            p.x0 = x0;
            p.invDx = 1 / dx;
            p.y0 = y0;
            p.a[1] = dy * (1 - k);
            p.a[2] = dy * k;
            return std::make_unique<ItemQuadratic>(x1, p);
        }
        case kMode2:
            return std::make_unique<ItemFourthOrder>(x1, envelope_detail::FourthOrder(x0, dx, y0, dy, k));
        case kMode3:
            return std::make_unique<ItemExponencial>(x1, x0, dx, y0, dy, k);
        case kFree1:
            return std::make_unique<ItemBezier>(x1, x0, y0, x1, y1, h, k);
        case kDouble1:
            return std::make_unique<ItemDouble>(x1, x0, y0, x1, y1, k);
        case kStairs:
            return std::make_unique<ItemStairs>(x1, x0, y0, dx, dy, n);
        case kPulses:
            return k > 1e-20 ? std::make_unique<ItemPulses>(x1, x0, dx, y1, y0, n)
                             : std::make_unique<ItemPulses>(x1, x0, dx, y0, y1, n);
        case kSaw:
            return std::make_unique<ItemSaw>(x1, x0, dx, ya, yb, n);
        case kTriangles:
            return std::make_unique<ItemTriangles>(x1, x0, dx, ya, yb, n);
        case kSines:
            return std::make_unique<ItemSines>(x1, x0, dx, ya, yb, n);
        default:
            return linear();
    }
}

std::unique_ptr<YEnvelopeComputer::Item> YEnvelopeComputer::BuildSmooth(size_t index) const {
    const Point& p0 = points_[index];
    const Point& p1 = points_[index + 1];
    double x0 = p0.x, y0 = p0.y, x1 = p1.x, y1 = p1.y;
    double dx = x1 - x0, dy = y1 - y0;
    double s0, s1;
    if (p0.type == kSmooth1) {
        s0 = FiniteOr0(items_[index]->Slope(x0));
        s1 = FiniteOr0(items_[index + 2]->Slope(x1));
    } else {
        // A missing neighbour counts as the end point itself, which gives a flat end.
        const Point& before = index > 0 ? points_[index - 1] : p0;
        const Point& after = index + 2 < points_.size() ? points_[index + 2] : p1;
        double xp = before.x, yp = before.y, xn = after.x, yn = after.y;
        bool flat0 = std::fabs(xp - x0) < 1e-50 || std::fabs(x0 - x1) < 1e-50 || y0 - 1e-20 <= std::min(yp, y1);
        bool flat1 = std::fabs(x0 - x1) < 1e-50 || std::fabs(x1 - xn) < 1e-50 || y1 - 1e-20 <= std::min(y0, yn);
        s0 = flat0 ? 0 : ((y0 - yp) / (x0 - xp) + (y1 - y0) / (x1 - x0)) * 0.5;
        s1 = flat1 ? 0 : ((y1 - y0) / (x1 - x0) + (yn - y1) / (xn - x1)) * 0.5;
    }
    // Hermite cubic in t with end slopes s0, s1 (dy/dt = dx * dy/dx).
    Polynomial<3> p;
    p.x0 = x0;
    p.invDx = 1 / dx;
    p.y0 = y0;
    p.a[1] = dx * s0;
    p.a[2] = 3 * dy - 2 * dx * s0 - dx * s1;
    p.a[3] = -2 * dy + dx * s0 + dx * s1;
    return std::make_unique<ItemCubic>(x1, p);
}

size_t YEnvelopeComputer::Locate(double x) const noexcept {
    size_t last = ends_.size() - 1;
    size_t p = std::min(cursor_, last);
    if (p > 0 && !(x >= ends_[p - 1])) {
        // Below the cursor's piece: search from the start.
        p = static_cast<size_t>(std::upper_bound(ends_.begin(), ends_.end(), x) - ends_.begin());
        p = std::min(p, last);
    } else {
        while (p < last && ends_[p] <= x) ++p;
    }
    cursor_ = p;
    return p;
}

double YEnvelopeComputer::Value(double x) const noexcept { return items_[Locate(x)]->Value(x); }

void YEnvelopeComputer::Run(double* out, double x, double step, int32_t count) const noexcept {
    if (count <= 0) return;
    if (!(step > 0)) {
        // A run that does not move forward gains nothing from the piece walk.
        for (int32_t k = 0; k < count; ++k) out[k] = Value(x + k * step);
        return;
    }
    size_t p = Locate(x);
    size_t last = items_.size() - 1;
    while (count > 0) {
        int32_t n = p == last ? count : CountBelow(x, step, ends_[p], count);
        if (n > 0) {
            items_[p]->FillStretches(out, x, step, n);
            out += n;
            count -= n;
            x += n * step;
        }
        if (count > 0 && p < last) ++p;
    }
    cursor_ = p;
}

// ---- Stored form ----------------------------------------------------------------------------------

namespace {

// More points than any editor makes; a document with more is not a curve.
constexpr int32_t kMaxCurvePoints = 4096;

const YString* SegmentTypeNames() {
    static const auto names = [] {
        std::array<YString, YEnvelopeComputer::kTypeCount> all;
        for (int32_t i = 0; i < YEnvelopeComputer::kTypeCount; ++i) all[i] = YEnvelopeComputer::TypeInfoOf(i).name;
        return all;
    }();
    return names.data();
}

void StorePoint(YStoreArchive& archive, YEnvelopeComputer::Point& point) {
    const YEnvelopeComputer::Point fresh;
    archive.Number("X", point.x, fresh.x);
    archive.Number("Y", point.y, fresh.y);
    archive.Enumeration("Type", point.type, SegmentTypeNames(), YEnvelopeComputer::kTypeCount, fresh.type);
    archive.Number("Curvature", point.curvature, fresh.curvature);
    archive.Number("HorizontalCurvature", point.horizontalCurvature, fresh.horizontalCurvature);
    archive.Number("Smoothness1", point.smoothness[0], fresh.smoothness[0]);
    archive.Number("Smoothness2", point.smoothness[1], fresh.smoothness[1]);
    int32_t flags = point.flags;
    archive.Integer("Flags", flags, fresh.flags);
    point.flags = static_cast<uint8_t>(flags);
    archive.Integer("Count", point.count, fresh.count);
}

// A loaded point inside the curve's box, with curvatures the segments are made for.
void Sanitise(YEnvelopeComputer::Point& point, const YEnvelopeComputer& curve) {
    point.x = std::clamp(point.x, std::min(curve.XMin(), curve.XMax()), std::max(curve.XMin(), curve.XMax()));
    point.y = std::clamp(point.y, std::min(curve.YMin(), curve.YMax()), std::max(curve.YMin(), curve.YMax()));
    point.curvature = std::clamp(point.curvature, -1.0, 1.0);
    point.horizontalCurvature = std::clamp(point.horizontalCurvature, -1.0, 1.0);
}

}  // namespace

void YEnvelopeComputer::Store(YStoreArchive& archive, const YString& name) {
    YXMLItem* element = archive.Child(name);
    if (element == nullptr) return;  // loading without it: the curve stays as it is
    if (archive.Saving()) {
        element->RemoveAllSubItems();
        for (Point point : points_) {
            YStoreArchive pointArchive(*element->AddSubItem("Point"), false);
            StorePoint(pointArchive, point);
        }
        return;
    }
    std::vector<Point> points;
    for (YXMLItem* item = element->First("Point"); item && points.size() < static_cast<size_t>(kMaxCurvePoints);
         item = element->Next()) {
        Point point;
        YStoreArchive pointArchive(*item, true);
        StorePoint(pointArchive, point);
        Sanitise(point, *this);
        points.push_back(point);
    }
    SetPoints(std::move(points));
}
