#pragma once

#include "editor/YColor.h"
#include "editor/YGeometry.h"

#include <cstdint>
#include <vector>

// What a filled area is painted with: one colour, or a linear gradient between two
// points (device pixels) that holds its end colours beyond them.
struct YPaint {
    YColor color0;
    YColor color1;
    YPoint from;
    YPoint to;
    bool gradient = false;

    static YPaint Solid(YColor color) { return {color, color, {}, {}, false}; }
    static YPaint Linear(YPoint from, YColor color0, YPoint to, YColor color1) {
        return {color0, color1, from, to, true};
    }
    YColor At(float x, float y) const;
};

// The editor's drawing surface: 32-bit pixels packed as 0xAARRGGBB, row after row,
// which is what the platform windows copy to the screen.
class YPixelBuffer {
public:
    YPixelBuffer() = default;
    YPixelBuffer(int32_t width, int32_t height) { Resize(width, height); }

    // New size; every pixel becomes transparent black.
    void Resize(int32_t width, int32_t height);
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    uint32_t* Row(int32_t y) { return pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_); }
    const uint32_t* Row(int32_t y) const {
        return pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
    }
    uint32_t Pixel(int32_t x, int32_t y) const { return Row(y)[x]; }
    const std::vector<uint32_t>& Pixels() const { return pixels_; }

    void Fill(YColor color);
    // Paints count pixels of row y from x on, each with its coverage (0..1) times the
    // paint's opacity.
    void BlendSpan(int32_t x, int32_t y, int32_t count, const float* coverage, const YPaint& paint);
    // Paints count pixels of row y from x on with one coverage.
    void BlendRun(int32_t x, int32_t y, int32_t count, float coverage, const YPaint& paint);
    // Paints one colour through an 8-bit mask (a glyph), mask rows `pitch` bytes apart.
    void BlendMask(int32_t x, int32_t y, int32_t width, int32_t height, const uint8_t* mask, int32_t pitch,
                   YColor color);

    // The pixels as a PNG file (RGBA, 8 bits per channel).
    std::vector<uint8_t> EncodePNG() const;

private:
    int32_t width_ = 0;
    int32_t height_ = 0;
    std::vector<uint32_t> pixels_;
};

// dst over-painted by src with weight 0..256.
inline uint32_t YBlendPixel(uint32_t dst, YColor src, uint32_t weight) {
    const uint32_t keep = 256 - weight;
    const uint32_t r = ((dst >> 16 & 0xFF) * keep + src.r * weight) >> 8;
    const uint32_t g = ((dst >> 8 & 0xFF) * keep + src.g * weight) >> 8;
    const uint32_t b = ((dst & 0xFF) * keep + src.b * weight) >> 8;
    const uint32_t a = ((dst >> 24) * keep + 255u * weight) >> 8;
    return a << 24 | r << 16 | g << 8 | b;
}
