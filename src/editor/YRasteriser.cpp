#include "editor/YRasteriser.h"

#include <algorithm>
#include <cmath>

void YRasteriser::AddEdge(YPoint p, YPoint q, float top, float bottom) {
    if (p.y == q.y) return;
    float x0 = p.x - static_cast<float>(originX_), y0 = p.y, x1 = q.x - static_cast<float>(originX_), y1 = q.y;
    // Only the part inside the band's rows.
    const float lowY = std::min(y0, y1), highY = std::max(y0, y1);
    if (highY <= top || lowY >= bottom) return;
    const float dxdy = (x1 - x0) / (y1 - y0);
    auto at = [&](float y) { return x0 + (y - y0) * dxdy; };
    if (lowY < top || highY > bottom) {
        const float from = std::max(lowY, top), to = std::min(highY, bottom);
        const float xFrom = at(from), xTo = at(to);
        if (y0 < y1) {
            x0 = xFrom, y0 = from, x1 = xTo, y1 = to;
        } else {
            x0 = xTo, y0 = to, x1 = xFrom, y1 = from;
        }
    }
    // Split where the edge crosses the left or right border: parts left of the clip
    // run down the border (they still cover every pixel right of them), parts right
    // of it fall into the unread cell at the row's end.
    const float w = static_cast<float>(width_);
    float cuts[4] = {0.0f, 1.0f, 1.0f, 1.0f};
    int32_t count = 1;
    if (x0 != x1) {
        for (float border : {0.0f, w}) {
            const float t = (border - x0) / (x1 - x0);
            if (t > 0.0f && t < 1.0f) cuts[count++] = t;
        }
    }
    cuts[count] = 1.0f;
    if (count == 3 && cuts[1] > cuts[2]) std::swap(cuts[1], cuts[2]);
    for (int32_t k = 0; k < count; ++k) {
        const float ta = cuts[k], tb = cuts[k + 1];
        const float xa = std::clamp(x0 + (x1 - x0) * ta, 0.0f, w), ya = y0 + (y1 - y0) * ta - static_cast<float>(bandTop_);
        const float xb = std::clamp(x0 + (x1 - x0) * tb, 0.0f, w), yb = y0 + (y1 - y0) * tb - static_cast<float>(bandTop_);
        if (xa == w && xb == w) continue;  // right of every pixel: no pixel sees it
        if (xa == 0.0f && xb == 0.0f)
            AddCarry(ya, yb);
        else
            AddClippedEdge(xa, ya, xb, yb);
    }
}

void YRasteriser::AddCarry(float y0, float y1) {
    const float direction = y0 < y1 ? 1.0f : -1.0f;
    if (y0 > y1) std::swap(y0, y1);
    const int32_t firstRow = std::max(0, static_cast<int32_t>(std::floor(y0)));
    const int32_t endRow = std::min(kBandRows, static_cast<int32_t>(std::ceil(y1)));
    for (int32_t row = firstRow; row < endRow; ++row) {
        const float dy = std::min(static_cast<float>(row + 1), y1) - std::max(static_cast<float>(row), y0);
        if (dy > 0.0f) carry_[static_cast<std::size_t>(row)] += dy * direction;
    }
}

// An edge inside the band (rows 0 .. kBandRows) and inside 0 .. width: its signed
// area contribution, cell by cell.
void YRasteriser::AddClippedEdge(float x0, float y0, float x1, float y1) {
    if (y0 == y1) return;
    float direction = 1.0f;
    if (y0 > y1) {
        std::swap(x0, x1);
        std::swap(y0, y1);
        direction = -1.0f;
    }
    const float dxdy = (x1 - x0) / (y1 - y0);
    float x = x0;
    const int32_t firstRow = std::max(0, static_cast<int32_t>(std::floor(y0)));
    const int32_t endRow = std::min(kBandRows, static_cast<int32_t>(std::ceil(y1)));
    for (int32_t row = firstRow; row < endRow; ++row) {
        const float rowTop = std::max(static_cast<float>(row), y0);
        const float rowBottom = std::min(static_cast<float>(row + 1), y1);
        const float dy = rowBottom - rowTop;
        if (dy <= 0.0f) continue;
        const float xNext = x + dxdy * dy;
        const float d = dy * direction;
        float* cells = cells_.data() + static_cast<std::ptrdiff_t>(row) * stride_;
        // Stepping may stray past the borders by a rounding error.
        const float w = static_cast<float>(width_);
        const float left = std::clamp(std::min(x, xNext), 0.0f, w), right = std::clamp(std::max(x, xNext), 0.0f, w);
        const int32_t leftCell = static_cast<int32_t>(std::floor(left));
        const int32_t rightCell = static_cast<int32_t>(std::ceil(right));
        int32_t last;
        if (rightCell <= leftCell + 1) {
            // Within one cell: the part right of the edge's mid x goes to the next cell.
            const float middle = 0.5f * (x + xNext) - static_cast<float>(leftCell);
            cells[leftCell] += d * (1.0f - middle);
            cells[leftCell + 1] += d * middle;
            last = leftCell + 1;
        } else {
            // Across cells: a triangle in the first, equal slices in between, and the
            // rest in the last, so the cells add up to d.
            const float slope = 1.0f / (right - left);
            const float enterFraction = left - static_cast<float>(leftCell);
            const float first = 0.5f * slope * (1.0f - enterFraction) * (1.0f - enterFraction);
            const float exitFraction = right - static_cast<float>(rightCell) + 1.0f;
            const float tail = 0.5f * slope * exitFraction * exitFraction;
            cells[leftCell] += d * first;
            if (rightCell == leftCell + 2) {
                cells[leftCell + 1] += d * (1.0f - first - tail);
            } else {
                const float second = slope * (1.5f - enterFraction);
                cells[leftCell + 1] += d * (second - first);
                for (int32_t c = leftCell + 2; c < rightCell - 1; ++c) cells[c] += d * slope;
                const float before = second + static_cast<float>(rightCell - leftCell - 3) * slope;
                cells[rightCell - 1] += d * (1.0f - before - tail);
            }
            cells[rightCell] += d * tail;
            last = rightCell;
        }
        touched_[static_cast<std::size_t>(row)].emplace_back(leftCell, last);
        x = xNext;
    }
}

template <class Span, class Stretch>
void YRasteriser::Run(const YPath& path, Clip frame, Clip clip, Span&& span, Stretch&& run) {
    // The bounding box of the points, limited to the frame.
    float minX = 1e30f, minY = 1e30f, maxX = -1e30f, maxY = -1e30f;
    for (const YPath::Contour& contour : path.Contours())
        for (const YPoint& p : contour.points) {
            minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
        }
    const int32_t right = std::min(frame.right, static_cast<int32_t>(std::ceil(std::min(maxX, 1e9f))) + 1);
    const int32_t top = std::max(frame.top, static_cast<int32_t>(std::floor(std::max(minY, -1e9f))));
    const int32_t bottom = std::min(frame.bottom, static_cast<int32_t>(std::ceil(std::min(maxY, 1e9f))));
    if (right <= clip.left || bottom <= clip.top || top >= clip.bottom || bottom <= top || minX > maxX) return;
    // Cells left of the shape's box are never touched, but the box may start left of
    // the frame, whose left border then takes the area of everything further left.
    originX_ = std::max(frame.left, static_cast<int32_t>(std::floor(std::max(minX, -1e9f))));
    if (originX_ >= std::min(right, clip.right)) return;
    width_ = right - originX_;
    stride_ = width_ + 2;
    cells_.assign(static_cast<std::size_t>(stride_) * kBandRows, 0.0f);
    coverage_.resize(static_cast<std::size_t>(width_));
    touched_.resize(kBandRows);
    for (auto& ranges : touched_) ranges.clear();
    carry_.assign(kBandRows, 0.0f);
    // Inside a shape the sum is 1 up to rounding.
    auto limited = [](float sum) {
        const float magnitude = std::fabs(sum);
        return magnitude > 0.9995f ? 1.0f : magnitude;
    };

    for (bandTop_ = top; bandTop_ < bottom && bandTop_ < clip.bottom; bandTop_ += kBandRows) {
        const int32_t rows = std::min(kBandRows, bottom - bandTop_);
        if (bandTop_ + rows <= clip.top) continue;
        const float bandTop = static_cast<float>(bandTop_), bandBottom = static_cast<float>(bandTop_ + rows);
        for (const YPath::Contour& contour : path.Contours()) {
            const std::size_t n = contour.points.size();
            for (std::size_t i = 0; i < n; ++i)  // open contours close for filling
                AddEdge(contour.points[i], contour.points[(i + 1) % n], bandTop, bandBottom);
        }
        for (int32_t r = 0; r < rows; ++r) {
            std::vector<std::pair<int32_t, int32_t>>& ranges = touched_[static_cast<std::size_t>(r)];
            float sum = carry_[static_cast<std::size_t>(r)];
            carry_[static_cast<std::size_t>(r)] = 0.0f;
            if (ranges.empty() && std::fabs(sum) < 1e-4f) continue;
            float* cells = cells_.data() + static_cast<std::ptrdiff_t>(r) * stride_;
            const int32_t y = bandTop_ + r;
            // Only what lies inside the clip is handed on (cells are in frame units).
            const bool shown = y >= clip.top && y < clip.bottom;
            const auto spanInside = [&](int32_t cell, int32_t count, const float* coverage) {
                const int32_t from = std::max(originX_ + cell, clip.left), to = std::min(originX_ + cell + count, clip.right);
                if (shown && to > from) span(from, y, to - from, coverage + (from - originX_ - cell));
            };
            const auto runInside = [&](int32_t cell, int32_t count, float coverage) {
                const int32_t from = std::max(originX_ + cell, clip.left), to = std::min(originX_ + cell + count, clip.right);
                if (shown && to > from) run(from, y, to - from, coverage);
            };
            std::sort(ranges.begin(), ranges.end());
            int32_t cursor = 0;
            for (std::size_t k = 0; k < ranges.size();) {
                const int32_t first = ranges[k].first;
                int32_t last = ranges[k].second;
                for (++k; k < ranges.size() && ranges[k].first <= last + 1; ++k) last = std::max(last, ranges[k].second);
                // Untouched cells between: the sum so far covers them all alike.
                const float between = limited(sum);
                if (first > cursor && between > 1e-4f) runInside(cursor, std::min(first, width_) - cursor, between);
                const int32_t end = std::min(last + 1, width_);
                for (int32_t c = first; c < end; ++c) {
                    sum += cells[c];
                    coverage_[static_cast<std::size_t>(c)] = limited(sum);
                }
                std::fill(cells + first, cells + std::min(last + 1, stride_), 0.0f);
                if (end > first) spanInside(first, end - first, coverage_.data() + first);
                cursor = std::max(cursor, end);
            }
            // A shape still open at the last touched cell covers the rest of the row.
            const float rest = limited(sum);
            if (rest > 1e-4f && cursor < width_) runInside(cursor, width_ - cursor, rest);
            ranges.clear();
        }
    }
}

void YRasteriser::Fill(YPixelBuffer& target, const YPath& path, const YPaint& paint, Clip clip) {
    clip.left = std::max(clip.left, 0);
    clip.top = std::max(clip.top, 0);
    clip.right = std::min(clip.right, target.Width());
    clip.bottom = std::min(clip.bottom, target.Height());
    Run(
        path, Clip{0, 0, target.Width(), target.Height()}, clip,
        [&](int32_t x, int32_t y, int32_t count, const float* coverage) {
            // Stretches of full coverage inside the span go in one run.
            int32_t i = 0;
            while (i < count) {
                int32_t j = i + 1;
                if (coverage[i] >= 1.0f) {
                    while (j < count && coverage[j] >= 1.0f) ++j;
                    target.BlendRun(x + i, y, j - i, 1.0f, paint);
                } else {
                    while (j < count && coverage[j] < 1.0f) ++j;
                    target.BlendSpan(x + i, y, j - i, coverage + i, paint);
                }
                i = j;
            }
        },
        [&](int32_t x, int32_t y, int32_t count, float coverage) { target.BlendRun(x, y, count, coverage, paint); });
}

std::vector<float> YRasteriser::Coverage(const YPath& path, Clip clip) {
    const int32_t width = std::max(0, clip.right - clip.left), height = std::max(0, clip.bottom - clip.top);
    std::vector<float> result(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0.0f);
    auto at = [&](int32_t x, int32_t y) { return result.begin() + static_cast<std::ptrdiff_t>(y - clip.top) * width + (x - clip.left); };
    Run(
        path, clip, clip, [&](int32_t x, int32_t y, int32_t count, const float* coverage) { std::copy(coverage, coverage + count, at(x, y)); },
        [&](int32_t x, int32_t y, int32_t count, float coverage) { std::fill(at(x, y), at(x, y) + count, coverage); });
    return result;
}
