#include "editor/YPixelBuffer.h"

#include <algorithm>
#include <cstring>

#define STBIW_WINDOWS_UTF8
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
// The optimiser's null analysis looks into stb's own code, which checks its allocations
// its own way.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnull-dereference"
#include <stb_image_write.h>
#pragma GCC diagnostic pop

YColor YPaint::At(float x, float y) const {
    if (!gradient) return color0;
    const float dx = to.x - from.x, dy = to.y - from.y;
    const float length2 = dx * dx + dy * dy;
    const float t = length2 > 0.0f ? ((x - from.x) * dx + (y - from.y) * dy) / length2 : 0.0f;
    return color0.Mix(color1, std::clamp(t, 0.0f, 1.0f));
}

void YPixelBuffer::Resize(int32_t width, int32_t height) {
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    pixels_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0u);
}

void YPixelBuffer::Fill(YColor color) { std::fill(pixels_.begin(), pixels_.end(), color.Packed()); }

namespace {

uint32_t Weight(float coverage, uint8_t alpha) {
    const float w = std::clamp(coverage, 0.0f, 1.0f) * static_cast<float>(alpha) * (256.0f / 255.0f) + 0.5f;
    return static_cast<uint32_t>(w);
}

// The colours of a paint along part of a row: a vertical gradient (or a solid paint)
// gives one colour for the whole row, any other one a position that moves linearly
// with x and mixes the end colours in integers.
class RowColors {
public:
    RowColors(const YPaint& paint, int32_t x, int32_t y) : paint_(paint) {
        const float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
        constant_ = !paint.gradient || paint.to.x == paint.from.x;
        if (constant_) {
            color_ = paint.At(px, py);
            return;
        }
        const float dx = paint.to.x - paint.from.x, dy = paint.to.y - paint.from.y;
        const float length2 = dx * dx + dy * dy;
        t_ = ((px - paint.from.x) * dx + (py - paint.from.y) * dy) / length2 * 256.0f;
        step_ = dx / length2 * 256.0f;
    }
    bool Constant() const { return constant_; }
    const YColor& Color() const { return color_; }
    YColor At(int32_t i) const {
        const auto w = static_cast<int32_t>(std::clamp(t_ + step_ * static_cast<float>(i), 0.0f, 256.0f));
        auto mix = [w](uint8_t a, uint8_t b) { return static_cast<uint8_t>(a + (((b - a) * w) >> 8)); };
        const YColor& a = paint_.color0;
        const YColor& b = paint_.color1;
        return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b), mix(a.a, b.a)};
    }

private:
    const YPaint& paint_;
    bool constant_ = true;
    YColor color_;
    float t_ = 0.0f, step_ = 0.0f;
};

}  // namespace

void YPixelBuffer::BlendSpan(int32_t x, int32_t y, int32_t count, const float* coverage, const YPaint& paint) {
    uint32_t* row = Row(y) + x;
    const RowColors colors(paint, x, y);
    if (colors.Constant()) {
        const YColor color = colors.Color();
        const uint32_t opaque = color.Packed();
        for (int32_t i = 0; i < count; ++i) {
            const uint32_t weight = Weight(coverage[i], color.a);
            if (weight >= 256)
                row[i] = opaque;
            else if (weight > 0)
                row[i] = YBlendPixel(row[i], color, weight);
        }
        return;
    }
    for (int32_t i = 0; i < count; ++i) {
        if (coverage[i] <= 0.0f) continue;
        const YColor color = colors.At(i);
        row[i] = YBlendPixel(row[i], color, std::min(256u, Weight(coverage[i], color.a)));
    }
}

void YPixelBuffer::BlendRun(int32_t x, int32_t y, int32_t count, float coverage, const YPaint& paint) {
    uint32_t* row = Row(y) + x;
    const RowColors colors(paint, x, y);
    if (colors.Constant()) {
        const YColor color = colors.Color();
        const uint32_t weight = Weight(coverage, color.a);
        if (weight >= 256) {
            std::fill(row, row + count, color.Packed());
        } else if (weight > 0) {
            for (int32_t i = 0; i < count; ++i) row[i] = YBlendPixel(row[i], color, weight);
        }
        return;
    }
    for (int32_t i = 0; i < count; ++i) {
        const YColor color = colors.At(i);
        row[i] = YBlendPixel(row[i], color, std::min(256u, Weight(coverage, color.a)));
    }
}

void YPixelBuffer::BlendMask(int32_t x, int32_t y, int32_t width, int32_t height, const uint8_t* mask, int32_t pitch,
                             YColor color) {
    for (int32_t j = 0; j < height; ++j) {
        const uint8_t* from = mask + static_cast<std::ptrdiff_t>(j) * pitch;
        uint32_t* row = Row(y + j) + x;
        for (int32_t i = 0; i < width; ++i) {
            if (from[i] == 0) continue;
            const uint32_t weight = (static_cast<uint32_t>(from[i]) * color.a * 257u + 32768u) >> 16;  // 0..256
            row[i] = YBlendPixel(row[i], color, weight + (weight >> 7));
        }
    }
}

std::vector<uint8_t> YPixelBuffer::EncodePNG() const {
    std::vector<uint8_t> rgba(pixels_.size() * 4);
    for (std::size_t i = 0; i < pixels_.size(); ++i) {
        const uint32_t p = pixels_[i];
        rgba[i * 4 + 0] = static_cast<uint8_t>(p >> 16);
        rgba[i * 4 + 1] = static_cast<uint8_t>(p >> 8);
        rgba[i * 4 + 2] = static_cast<uint8_t>(p);
        rgba[i * 4 + 3] = static_cast<uint8_t>(p >> 24);
    }
    std::vector<uint8_t> png;
    auto append = [](void* context, void* data, int size) {
        auto* out = static_cast<std::vector<uint8_t>*>(context);
        const auto* bytes = static_cast<const uint8_t*>(data);
        out->insert(out->end(), bytes, bytes + size);
    };
    if (width_ > 0 && height_ > 0) stbi_write_png_to_func(append, &png, width_, height_, 4, rgba.data(), width_ * 4);
    return png;
}
