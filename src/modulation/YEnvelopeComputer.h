#pragma once

#include "foundation/YString.h"

#include <cstdint>
#include <memory>
#include <vector>

class YStoreArchive;

// An edited curve (points in ascending x, each starting a segment of some type and
// curvature) turned into a chain of closed-form pieces that evaluate fast at one x
// or over a run of equally spaced x.
//
// Every edit rebuilds the pieces, which allocates: edit on the editor thread, under
// the owner's lock. Evaluation never allocates. One thread evaluates at a time (the
// evaluation cursor is shared state).
//
// Not implemented: the corner-rounding pass that the two smoothness values of a
// point would trigger; the values are kept and stored, the curve ignores them.
class YEnvelopeComputer {
public:
    // Point flags.
    static constexpr uint8_t kPointEnd = 0x01;       // first and last point of the curve
    static constexpr uint8_t kPointNewBits = 0x0C;   // set on a new point
    static constexpr uint8_t kPointBit6 = 0x40;      // cleared on a new point

    // Segment type flags.
    static constexpr uint8_t kUsesHorizontalCurvature = 0x01;
    static constexpr uint8_t kUsesCurvature = 0x02;
    static constexpr uint8_t kSmoothCapable = 0x04;

    enum Type : int32_t {
        kMode1, kMode2, kMode3, kFree1, kDouble1, kSmooth1, kSmooth2,
        kStairs, kPulses, kSaw, kTriangles, kSines,
        kTypeCount
    };

    struct TypeInfo {
        YString name;
        YString help;
        uint8_t flags;
    };

    struct Point {
        double x = 0;
        double y = 0;
        uint8_t flags = kPointNewBits;
        double horizontalCurvature = 0;  // "Free 1" only
        double curvature = 0;            // of the segment starting here
        double smoothness[2] = {0, 0};   // corner rounding (not implemented)
        int32_t type = kMode2;           // of the segment starting here
        int32_t count = 0;               // kept for storing; no meaning to the curve
    };

    static Point NewPoint(double x, double y) {
        Point point;
        point.x = x;
        point.y = y;
        return point;
    }

    // Name, help text and flags of a segment type; an unknown type answers "Mode 2".
    static const TypeInfo& TypeInfoOf(int32_t type) noexcept;

    class Item;
    class ItemConstant;
    class ItemLinear;
    class ItemQuadratic;
    class ItemFourthOrder;
    class ItemCubic;
    class ItemExponencial;
    class ItemBezier;
    class ItemDouble;
    class ItemStairs;
    class ItemPulses;
    class ItemSaw;
    class ItemTriangles;
    class ItemSines;

    // A new curve over x 0 .. 1, y -1 .. 1 with end points at y 0.
    YEnvelopeComputer();
    YEnvelopeComputer(double xMin, double xMax, double yMin, double yMax, double endY);
    // Copies rebuild their pieces; there is no move, so no curve is ever left without pieces.
    YEnvelopeComputer(const YEnvelopeComputer& other);
    YEnvelopeComputer& operator=(const YEnvelopeComputer& other);
    ~YEnvelopeComputer();

    // Replaces the curve by its two end points at both ends of the x range, both at endY.
    void NewCurve(double xMin, double xMax, double yMin, double yMax, double endY);

    double XMin() const { return xMin_; }
    double XMax() const { return xMax_; }
    double YMin() const { return yMin_; }
    double YMax() const { return yMax_; }
    void SetXRange(double minimum, double maximum);
    void SetYRange(double minimum, double maximum);

    const std::vector<Point>& Points() const { return points_; }
    int32_t PointCount() const { return static_cast<int32_t>(points_.size()); }
    const Point& GetPoint(int32_t index) const { return points_.at(static_cast<size_t>(index)); }
    // The points are sorted by x (stably, so points sharing an x keep their order).
    void SetPoints(std::vector<Point> points);
    // x is held between the neighbours' x so the order stays.
    void SetPoint(int32_t index, const Point& point);
    // Inserts after any points at the same x; answers the new index.
    int32_t InsertPoint(const Point& point);
    void RemovePoint(int32_t index);

    // The value at x: the first piece whose end lies beyond x answers.
    double Value(double x) const noexcept;
    // out[k] for x, x + step, ... (count values), piece by piece from the cursor.
    void Run(double* out, double x, double step, int32_t count) const noexcept;

    // Stores the points as "Point" children of the child element name, or loads them
    // back (held inside the curve's box). The ranges belong to where the curve is used
    // and are not stored; loading without the child leaves the curve as it is.
    void Store(YStoreArchive& archive, const YString& name);

    int32_t ItemCount() const { return static_cast<int32_t>(items_.size()); }
    const Item& ItemAt(int32_t index) const { return *items_.at(static_cast<size_t>(index)); }

private:
    void Build();
    std::unique_ptr<Item> BuildSegment(size_t index) const;
    std::unique_ptr<Item> BuildSmooth(size_t index) const;
    size_t Locate(double x) const noexcept;

    double xMin_ = 0, xMax_ = 1, yMin_ = -1, yMax_ = 1;
    std::vector<Point> points_;
    std::vector<std::unique_ptr<Item>> items_;
    std::vector<double> ends_;      // items_[i]->EndX(), contiguous for the search
    mutable size_t cursor_ = 0;     // piece of the last evaluation
};

// One closed-form piece, valid for x below its end (and at or above the previous
// piece's end).
class YEnvelopeComputer::Item {
public:
    explicit Item(double endX) : endX_(endX) {}
    Item(const Item&) = delete;
    Item& operator=(const Item&) = delete;
    virtual ~Item() = default;

    // out[k] = value at x + k * step, each sample evaluated.
    virtual void Fill(double* out, double x, double step, int32_t count) const noexcept = 0;
    // The same values; pieces made of flat stretches fill each stretch at once.
    virtual void FillStretches(double* out, double x, double step, int32_t count) const noexcept {
        Fill(out, x, step, count);
    }
    virtual double Value(double x) const noexcept = 0;
    // dy/dx at x; the smooth segments take their neighbours' end slopes from it.
    virtual double Slope(double x) const noexcept = 0;

    double EndX() const { return endX_; }

private:
    double endX_;
};
