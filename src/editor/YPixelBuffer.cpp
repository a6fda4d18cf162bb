#include "editor/YPixelBuffer.h"

#include <algorithm>
#include <cstring>

#define STBIW_WINDOWS_UTF8
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

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

}  // namespace

void YPixelBuffer::BlendSpan(int32_t x, int32_t y, int32_t count, const float* coverage, const YPaint& paint) {
    uint32_t* row = Row(y) + x;
    if (!paint.gradient) {
        const YColor color = paint.color0;
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
    const float py = static_cast<float>(y) + 0.5f;
    for (int32_t i = 0; i < count; ++i) {
        if (coverage[i] <= 0.0f) continue;
        const YColor color = paint.At(static_cast<float>(x + i) + 0.5f, py);
        row[i] = YBlendPixel(row[i], color, std::min(256u, Weight(coverage[i], color.a)));
    }
}

void YPixelBuffer::BlendRun(int32_t x, int32_t y, int32_t count, float coverage, const YPaint& paint) {
    uint32_t* row = Row(y) + x;
    if (!paint.gradient) {
        const uint32_t weight = Weight(coverage, paint.color0.a);
        if (weight >= 256) {
            std::fill(row, row + count, paint.color0.Packed());
        } else if (weight > 0) {
            for (int32_t i = 0; i < count; ++i) row[i] = YBlendPixel(row[i], paint.color0, weight);
        }
        return;
    }
    const float py = static_cast<float>(y) + 0.5f;
    for (int32_t i = 0; i < count; ++i) {
        const YColor color = paint.At(static_cast<float>(x + i) + 0.5f, py);
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
