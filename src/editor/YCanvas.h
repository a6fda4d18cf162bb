#pragma once

#include "editor/YFont.h"
#include "editor/YGeometry.h"
#include "editor/YPath.h"
#include "editor/YPixelBuffer.h"
#include "editor/YRasteriser.h"
#include "editor/YTextLayout.h"
#include "foundation/YString.h"

#include <vector>

// Drawing on a pixel buffer in logical units: everything is multiplied by the scale
// (the screen's density) on the way to device pixels, and limited to the current clip.
// Paints given to the canvas have their gradient points in logical units too.
class YCanvas {
public:
    enum class Align { Left, Center, Right };

    // A text as drawn: what it said and where (logical units).
    struct DrawnText {
        YString text;
        YRect box;
    };

    YCanvas(YPixelBuffer& target, float scale);

    float Scale() const { return scale_; }
    YPixelBuffer& Target() { return target_; }

    // Narrows the clip to rect (logical) until the matching PopClip.
    void PushClip(const YRect& rect);
    void PopClip();
    bool IsVisible(const YRect& rect) const;

    void FillRect(const YRect& rect, const YPaint& paint);
    void FillRoundRect(const YRect& rect, float radius, const YPaint& paint);
    void StrokeRoundRect(const YRect& rect, float radius, float width, YColor color);
    void FillCircle(float cx, float cy, float radius, const YPaint& paint);
    void StrokeCircle(float cx, float cy, float radius, float width, YColor color);
    // An arc from angle a0 to a1 (radians, 0 pointing right, growing clockwise).
    void StrokeArc(float cx, float cy, float radius, float a0, float a1, float width, YColor color);
    void Line(float x0, float y0, float x1, float y1, float width, YColor color);
    void FillPath(const YPath& path, const YPaint& paint);
    void StrokePath(const YPath& path, float width, YColor color, YPath::Cap cap = YPath::Cap::Round);

    // One line of text centred vertically in box, aligned horizontally, shortened with
    // an ellipsis when it does not fit.
    void Text(const YString& text, const YRect& box, const YFontStyle& style, YColor color, Align align = Align::Left);
    // A laid-out text with its first line's top at (x, top).
    void DrawLayout(const YTextLayout& layout, float x, float top);

    // From now on every drawn text is also appended to record (null stops it).
    void RecordTexts(std::vector<DrawnText>* record) { record_ = record; }

private:
    YPaint ToDevice(const YPaint& paint) const;
    void FillDevicePath(const YPath& devicePath, const YPaint& paint);
    // Draws a text with its baseline at y, starting at x.
    void DrawRun(const YString& text, YFontFace face, float size, YColor color, float x, float baseline);

    YPixelBuffer& target_;
    float scale_;
    std::vector<YRasteriser::Clip> clips_;
    YRasteriser rasteriser_;
    std::vector<DrawnText>* record_ = nullptr;
};
