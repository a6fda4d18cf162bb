#include "editor/YCanvas.h"

#include <algorithm>
#include <cmath>

YCanvas::YCanvas(YPixelBuffer& target, float scale) : target_(target), scale_(scale) {
    clips_.push_back({0, 0, target.Width(), target.Height()});
}

void YCanvas::PushClip(const YRect& rect) {
    const YRasteriser::Clip& current = clips_.back();
    YRasteriser::Clip clip;
    clip.left = std::max(current.left, static_cast<int32_t>(std::floor(rect.x * scale_)));
    clip.top = std::max(current.top, static_cast<int32_t>(std::floor(rect.y * scale_)));
    clip.right = std::min(current.right, static_cast<int32_t>(std::ceil(rect.Right() * scale_)));
    clip.bottom = std::min(current.bottom, static_cast<int32_t>(std::ceil(rect.Bottom() * scale_)));
    clip.right = std::max(clip.right, clip.left);
    clip.bottom = std::max(clip.bottom, clip.top);
    clips_.push_back(clip);
}

void YCanvas::PopClip() {
    if (clips_.size() > 1) clips_.pop_back();
}

bool YCanvas::IsVisible(const YRect& rect) const {
    const YRasteriser::Clip& clip = clips_.back();
    return rect.x * scale_ < static_cast<float>(clip.right) && rect.Right() * scale_ > static_cast<float>(clip.left) &&
           rect.y * scale_ < static_cast<float>(clip.bottom) && rect.Bottom() * scale_ > static_cast<float>(clip.top);
}

YPaint YCanvas::ToDevice(const YPaint& paint) const {
    YPaint device = paint;
    device.from = {paint.from.x * scale_, paint.from.y * scale_};
    device.to = {paint.to.x * scale_, paint.to.y * scale_};
    return device;
}

void YCanvas::FillDevicePath(const YPath& devicePath, const YPaint& paint) {
    rasteriser_.Fill(target_, devicePath, ToDevice(paint), clips_.back());
}

void YCanvas::FillRect(const YRect& rect, const YPaint& paint) {
    const float left = rect.x * scale_, top = rect.y * scale_, right = rect.Right() * scale_, bottom = rect.Bottom() * scale_;
    const YRasteriser::Clip& clip = clips_.back();
    // Whole pixels need no coverage: most backgrounds are.
    if (left == std::floor(left) && top == std::floor(top) && right == std::floor(right) && bottom == std::floor(bottom)) {
        const int32_t x0 = std::max(clip.left, static_cast<int32_t>(left));
        const int32_t x1 = std::min(clip.right, static_cast<int32_t>(right));
        const int32_t y0 = std::max(clip.top, static_cast<int32_t>(top));
        const int32_t y1 = std::min(clip.bottom, static_cast<int32_t>(bottom));
        const YPaint device = ToDevice(paint);
        for (int32_t y = y0; y < y1 && x1 > x0; ++y) target_.BlendRun(x0, y, x1 - x0, 1.0f, device);
        return;
    }
    YPath path;
    path.AddRect({left, top, right - left, bottom - top});
    FillDevicePath(path, paint);
}

void YCanvas::FillRoundRect(const YRect& rect, float radius, const YPaint& paint) {
    YPath path(0.2f);
    path.AddRoundRect({rect.x * scale_, rect.y * scale_, rect.width * scale_, rect.height * scale_}, radius * scale_);
    FillDevicePath(path, paint);
}

void YCanvas::StrokeRoundRect(const YRect& rect, float radius, float width, YColor color) {
    YPath path(0.2f);
    const float half = width * 0.5f;
    path.AddRoundRect({(rect.x + half) * scale_, (rect.y + half) * scale_, (rect.width - width) * scale_,
                       (rect.height - width) * scale_},
                      std::max(0.0f, radius - half) * scale_);
    FillDevicePath(path.Stroked(width * scale_), YPaint::Solid(color));
}

void YCanvas::FillCircle(float cx, float cy, float radius, const YPaint& paint) {
    YPath path(0.2f);
    path.AddCircle(cx * scale_, cy * scale_, radius * scale_);
    FillDevicePath(path, paint);
}

void YCanvas::StrokeCircle(float cx, float cy, float radius, float width, YColor color) {
    YPath path(0.2f);
    path.AddCircle(cx * scale_, cy * scale_, radius * scale_);
    FillDevicePath(path.Stroked(width * scale_), YPaint::Solid(color));
}

void YCanvas::StrokeArc(float cx, float cy, float radius, float a0, float a1, float width, YColor color) {
    if (std::fabs(a1 - a0) < 1e-4f) return;
    YPath path(0.2f);
    path.Arc(cx * scale_, cy * scale_, radius * scale_, a0, a1);
    FillDevicePath(path.Stroked(width * scale_, YPath::Cap::Round), YPaint::Solid(color));
}

void YCanvas::Line(float x0, float y0, float x1, float y1, float width, YColor color) {
    YPath path;
    path.MoveTo(x0 * scale_, y0 * scale_);
    path.LineTo(x1 * scale_, y1 * scale_);
    FillDevicePath(path.Stroked(width * scale_, YPath::Cap::Butt), YPaint::Solid(color));
}

void YCanvas::FillPath(const YPath& path, const YPaint& paint) { FillDevicePath(path.Transformed(scale_, 0.0f, 0.0f), paint); }

void YCanvas::StrokePath(const YPath& path, float width, YColor color, YPath::Cap cap) {
    FillDevicePath(path.Transformed(scale_, 0.0f, 0.0f).Stroked(width * scale_, cap), YPaint::Solid(color));
}

void YCanvas::DrawRun(const YString& text, YFontFace face, float size, YColor color, float x, float baseline) {
    YFont& font = YFont::Get(face);
    const float deviceSize = size * scale_;
    const float penX = x * scale_;
    const auto baseY = static_cast<int32_t>(std::lround(baseline * scale_));
    const YRasteriser::Clip& clip = clips_.back();
    YTextLayout::WalkGlyphs(text, font, deviceSize, [&](int32_t glyph, float gx) {
        const float at = penX + gx;
        const float whole = std::floor(at);
        const auto phase = std::min(YFont::kPhases - 1, static_cast<int32_t>((at - whole) * YFont::kPhases));
        const YFont::Glyph& mask = font.Render(glyph, deviceSize, phase);
        const int32_t left = static_cast<int32_t>(whole) + mask.left, top = baseY + mask.top;
        const int32_t x0 = std::max(left, clip.left), y0 = std::max(top, clip.top);
        const int32_t x1 = std::min(left + mask.width, clip.right), y1 = std::min(top + mask.height, clip.bottom);
        if (x1 <= x0 || y1 <= y0) return;
        target_.BlendMask(x0, y0, x1 - x0, y1 - y0,
                          mask.mask.data() + static_cast<std::ptrdiff_t>(y0 - top) * mask.width + (x0 - left), mask.width,
                          color);
    });
}

void YCanvas::Text(const YString& text, const YRect& box, const YFontStyle& style, YColor color, Align align) {
    if (text.IsEmpty() || !IsVisible(box)) return;
    const YString shown = YTextLayout::Elide(text, style, box.width);
    const float width = YTextLayout::Measure(shown, style);
    const YFont& font = YFont::Get(style.face);
    float x = box.x;
    if (align == Align::Center) x = box.CenterX() - width * 0.5f;
    if (align == Align::Right) x = box.Right() - width;
    // Cap height centred: ascent less the internal leading looks centred for digits and capitals.
    const float capHeight = font.Ascent(style.size) * 0.72f;
    const float baseline = box.CenterY() + capHeight * 0.5f;
    DrawRun(shown, style.face, style.size, color, x, baseline);
    if (record_)
        record_->push_back({shown, {x, baseline - font.Ascent(style.size), width, font.Ascent(style.size) + font.Descent(style.size)}});
}

void YCanvas::DrawLayout(const YTextLayout& layout, float x, float top) {
    const float lineHeight = layout.LineHeight();
    const float ascent = layout.Ascent();
    for (const YTextLayout::Piece& piece : layout.Pieces()) {
        const float lineTop = top + lineHeight * static_cast<float>(piece.line);
        DrawRun(piece.text, piece.face, layout.Size(), piece.color, x + piece.x, lineTop + ascent);
        if (record_) record_->push_back({piece.text, {x + piece.x, lineTop, piece.width, lineHeight}});
    }
}
