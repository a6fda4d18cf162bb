#pragma once

#include "editor/YPath.h"
#include "editor/YPixelBuffer.h"

#include <cstdint>
#include <vector>

// Fills paths into a pixel buffer with anti-aliasing: every edge adds the exact area
// it covers in each pixel cell to an accumulation row, and a running sum along the
// row gives each pixel's coverage (non-zero rule: the magnitude, limited to 1).
// Between the cells that edges touched the sum stays the same, so the inside of a
// shape is painted as runs without per-pixel work. Rows are done in bands, so the
// scratch memory stays one band of rows wide.
// Device pixels throughout; one rasteriser per drawing thread.
class YRasteriser {
public:
    static constexpr int32_t kBandRows = 32;

    // A clip rectangle in whole device pixels.
    struct Clip {
        int32_t left = 0, top = 0, right = 0, bottom = 0;
    };

    // Fills the path (its points in device pixels) inside the clip.
    void Fill(YPixelBuffer& target, const YPath& path, const YPaint& paint, Clip clip);
    // The coverage of each pixel of the clip as Fill computes it, row after row (for
    // the tests of the rasteriser itself).
    std::vector<float> Coverage(const YPath& path, Clip clip);

private:
    // Calls span(x, y, count, coverages) where the coverage varies from pixel to pixel
    // and run(x, y, count, coverage) for stretches of one coverage between edges.
    // The cells are summed over the shape's box within frame whatever the clip, so that
    // a pixel comes out the same (to the last bit) under every clip that shows it: a
    // repaint of a part matches a repaint of the whole.
    template <class Span, class Stretch>
    void Run(const YPath& path, Clip frame, Clip clip, Span&& span, Stretch&& run);
    void AddEdge(YPoint p, YPoint q, float top, float bottom);
    void AddClippedEdge(float x0, float y0, float x1, float y1);
    // A part of an edge left of every cell: each row it crosses is covered from its start.
    void AddCarry(float y0, float y1);

    std::vector<float> cells_;       // kBandRows rows of (width + 2) cells
    std::vector<float> coverage_;    // one row
    std::vector<std::vector<std::pair<int32_t, int32_t>>> touched_;  // per band row: the cell ranges edges touched
    std::vector<float> carry_;  // per band row: the area added at the row's start
    int32_t stride_ = 0;
    int32_t width_ = 0;
    int32_t originX_ = 0;
    int32_t bandTop_ = 0;
};
