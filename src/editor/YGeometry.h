#pragma once

#include <algorithm>
#include <cstdint>

// Points and rectangles of the editor toolkit, in logical units (pixels at scale 1)
// unless a function says device pixels.
struct YPoint {
    float x = 0.0f;
    float y = 0.0f;
};

struct YRect {
    float x = 0.0f;
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;

    float Right() const { return x + width; }
    float Bottom() const { return y + height; }
    float CenterX() const { return x + width * 0.5f; }
    float CenterY() const { return y + height * 0.5f; }
    bool IsEmpty() const { return width <= 0.0f || height <= 0.0f; }
    bool Contains(float px, float py) const { return px >= x && py >= y && px < Right() && py < Bottom(); }
    bool Intersects(const YRect& other) const { return !Intersect(other).IsEmpty(); }

    YRect Inset(float dx, float dy) const { return {x + dx, y + dy, width - 2.0f * dx, height - 2.0f * dy}; }
    YRect Inset(float d) const { return Inset(d, d); }
    YRect Translated(float dx, float dy) const { return {x + dx, y + dy, width, height}; }
    YRect Intersect(const YRect& other) const {
        const float left = std::max(x, other.x), top = std::max(y, other.y);
        const float right = std::min(Right(), other.Right()), bottom = std::min(Bottom(), other.Bottom());
        return {left, top, std::max(0.0f, right - left), std::max(0.0f, bottom - top)};
    }
    YRect Union(const YRect& other) const {
        if (IsEmpty()) return other;
        if (other.IsEmpty()) return *this;
        const float left = std::min(x, other.x), top = std::min(y, other.y);
        return {left, top, std::max(Right(), other.Right()) - left, std::max(Bottom(), other.Bottom()) - top};
    }

    // Layout helpers: cut a strip off one side (and a gap after it); this rectangle
    // keeps the rest.
    YRect TakeTop(float size, float gap = 0.0f) {
        const YRect strip{x, y, width, std::min(size, height)};
        const float used = std::min(height, size + gap);
        y += used;
        height -= used;
        return strip;
    }
    YRect TakeBottom(float size, float gap = 0.0f) {
        const YRect strip{x, Bottom() - std::min(size, height), width, std::min(size, height)};
        height = std::max(0.0f, height - size - gap);
        return strip;
    }
    YRect TakeLeft(float size, float gap = 0.0f) {
        const YRect strip{x, y, std::min(size, width), height};
        const float used = std::min(width, size + gap);
        x += used;
        width -= used;
        return strip;
    }
    YRect TakeRight(float size, float gap = 0.0f) {
        const YRect strip{Right() - std::min(size, width), y, std::min(size, width), height};
        width = std::max(0.0f, width - size - gap);
        return strip;
    }
};
