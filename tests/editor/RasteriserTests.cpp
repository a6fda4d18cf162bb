// The toolkit's drawing: coverage of anti-aliased edges, areas of filled and stroked
// shapes, clipping at the buffer's edges, blending, and text set by the layout.
#include "editor/YCanvas.h"
#include "editor/YRasteriser.h"
#include "editor/YTextLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <numeric>

namespace {

constexpr float kPi = 3.14159265f;

YPath Polygon(std::initializer_list<YPoint> points) {
    YPath path;
    bool first = true;
    for (const YPoint& p : points) {
        if (first) path.MoveTo(p.x, p.y); else path.LineTo(p.x, p.y);
        first = false;
    }
    path.Close();
    return path;
}

float Sum(const std::vector<float>& coverage) { return std::accumulate(coverage.begin(), coverage.end(), 0.0f); }

YRasteriser::Clip Box(int32_t width, int32_t height) { return {0, 0, width, height}; }

TEST(Rasteriser, EdgesCoverTheirPixelsByArea) {
    YRasteriser rasteriser;
    // Each case: a shape on a 16 x 16 clip, a pixel and the part of it the shape covers.
    const struct {
        const char* what;
        YPath shape;
        int32_t x, y;
        float covered;
    } cases[] = {
        {"vertical edge at a quarter", Polygon({{2, 2}, {6.25f, 2}, {6.25f, 12}, {2, 12}}), 6, 5, 0.25f},
        {"inside", Polygon({{2, 2}, {6.25f, 2}, {6.25f, 12}, {2, 12}}), 4, 5, 1.0f},
        {"horizontal edge at three quarters", Polygon({{2, 2}, {12, 2}, {12, 8.75f}, {2, 8.75f}}), 5, 8, 0.75f},
        {"diagonal through the corners", Polygon({{0, 0}, {16, 16}, {0, 16}}), 7, 7, 0.5f},
        {"diagonal below", Polygon({{0, 0}, {16, 16}, {0, 16}}), 7, 8, 1.0f},
        {"corner of two edges", Polygon({{3.5f, 3.5f}, {10, 3.5f}, {10, 10}, {3.5f, 10}}), 3, 3, 0.25f},
        {"a sliver within one pixel", Polygon({{4.25f, 1}, {4.5f, 1}, {4.5f, 14}, {4.25f, 14}}), 4, 6, 0.25f},
    };
    for (const auto& c : cases) {
        const std::vector<float> coverage = rasteriser.Coverage(c.shape, Box(16, 16));
        EXPECT_NEAR(coverage[static_cast<std::size_t>(c.y * 16 + c.x)], c.covered, 1e-4f) << c.what;
    }
}

TEST(Rasteriser, FilledShapesCoverTheirArea) {
    YRasteriser rasteriser;
    YPath circle(0.01f);
    circle.AddCircle(32.3f, 30.7f, 20.0f);
    EXPECT_NEAR(Sum(rasteriser.Coverage(circle, Box(64, 64))), kPi * 400.0f, kPi * 400.0f * 0.001f);
    const YPath triangle = Polygon({{3.3f, 5.1f}, {40.7f, 9.9f}, {12.2f, 37.4f}});
    const float area = 0.5f * std::fabs((40.7f - 3.3f) * (37.4f - 5.1f) - (12.2f - 3.3f) * (9.9f - 5.1f));
    EXPECT_NEAR(Sum(rasteriser.Coverage(triangle, Box(64, 64))), area, 0.01f);
    // A hole (the inner contour runs the other way) is left out.
    YPath ring;
    ring.AddRect({4, 4, 20, 20});
    ring.MoveTo(8, 8);
    ring.LineTo(8, 16);
    ring.LineTo(16, 16);
    ring.LineTo(16, 8);
    ring.Close();
    const std::vector<float> coverage = rasteriser.Coverage(ring, Box(32, 32));
    EXPECT_NEAR(Sum(coverage), 400.0f - 64.0f, 1e-3f);
    EXPECT_EQ(coverage[12 * 32 + 12], 0.0f);
}

TEST(Rasteriser, ShapesAreClippedAtTheEdges) {
    YRasteriser rasteriser;
    // Half outside on the left and the top: only the inside part counts, exactly.
    const std::vector<float> corner = rasteriser.Coverage(Polygon({{-5.5f, -3}, {4.25f, -3}, {4.25f, 6.5f}, {-5.5f, 6.5f}}), Box(10, 10));
    EXPECT_NEAR(Sum(corner), 4.25f * 6.5f, 1e-4f);
    EXPECT_NEAR(corner[0], 1.0f, 1e-6f);
    EXPECT_NEAR(corner[4], 0.25f, 1e-5f);
    EXPECT_NEAR(corner[6 * 10 + 2], 0.5f, 1e-5f);
    // A circle around the clip's corner: a quarter of it, also when the clip is an
    // inner rectangle of the buffer.
    YPath circle(0.01f);
    circle.AddCircle(20.0f, 20.0f, 12.0f);
    EXPECT_NEAR(Sum(rasteriser.Coverage(circle, {20, 20, 60, 60})), kPi * 144.0f / 4.0f, 0.2f);
    EXPECT_NEAR(Sum(rasteriser.Coverage(circle, {0, 0, 20, 20})), kPi * 144.0f / 4.0f, 0.2f);
    // Beyond the right and bottom edges nothing is written.
    YPixelBuffer buffer(8, 8);
    buffer.Fill(YColor::Hex(0x000000));
    rasteriser.Fill(buffer, Polygon({{4, 4}, {40, 4}, {40, 40}, {4, 40}}), YPaint::Solid(YColor::Hex(0xffffff)), Box(8, 8));
    EXPECT_EQ(buffer.Pixel(7, 7), 0xFFFFFFFFu);
    EXPECT_EQ(buffer.Pixel(3, 7), 0xFF000000u);
}

TEST(Rasteriser, APixelComesOutTheSameUnderEveryClipThatShowsIt) {
    // Shapes at fractional positions, filled whole and then only inside clips that
    // start across them: the clipped pixels must match bit for bit, or a partial
    // repaint leaves seams of one step in the colour.
    YRasteriser rasteriser;
    YPath circle(0.05f);
    circle.AddCircle(61.37f, 47.81f, 33.3f);
    YPath slanted = Polygon({{3.3f, 90.1f}, {117.7f, 4.6f}, {121.9f, 11.2f}, {9.1f, 97.4f}});
    YPath wave;
    wave.MoveTo(0.5f, 60.0f);
    for (int32_t i = 1; i <= 60; ++i) wave.LineTo(0.5f + 2.1f * static_cast<float>(i), 60.0f + 37.0f * std::sin(0.173f * static_cast<float>(i)));
    const YPath shapes[] = {circle, slanted, wave.Stroked(2.5f)};
    const YRasteriser::Clip clips[] = {{37, 0, 128, 110}, {0, 29, 128, 110}, {41, 33, 77, 71}, {90, 61, 128, 110}, {5, 3, 6, 100}};
    for (std::size_t s = 0; s < std::size(shapes); ++s) {
        YPixelBuffer whole(128, 110);
        whole.Fill(YColor::Hex(0x102030));
        rasteriser.Fill(whole, shapes[s], YPaint::Solid(YColor::Hex(0xe0c0a0, 200)), Box(128, 110));
        for (const YRasteriser::Clip& clip : clips) {
            YPixelBuffer part(128, 110);
            part.Fill(YColor::Hex(0x102030));
            rasteriser.Fill(part, shapes[s], YPaint::Solid(YColor::Hex(0xe0c0a0, 200)), clip);
            int32_t different = 0;
            for (int32_t y = clip.top; y < clip.bottom; ++y)
                for (int32_t x = clip.left; x < clip.right; ++x) different += part.Pixel(x, y) != whole.Pixel(x, y);
            EXPECT_EQ(different, 0) << "shape " << s << ", clip from " << clip.left << "," << clip.top;
            EXPECT_EQ(part.Pixel(clip.left > 0 ? clip.left - 1 : clip.right, clip.top), YColor::Hex(0x102030).Packed());
        }
    }
}

TEST(Rasteriser, StrokesHaveTheirWidthAndCaps) {
    YRasteriser rasteriser;
    YPath line;
    line.MoveTo(4, 10);
    line.LineTo(24, 10);
    EXPECT_NEAR(Sum(rasteriser.Coverage(line.Stroked(2.0f), Box(32, 32))), 40.0f, 1e-3f);
    YPath rounded(0.01f);
    rounded.MoveTo(4, 10);
    rounded.LineTo(24, 10);
    // The caps' half circles, less what flattening them to chords leaves out.
    EXPECT_NEAR(Sum(rasteriser.Coverage(rounded.Stroked(4.0f, YPath::Cap::Round), Box(32, 32))), 80.0f + kPi * 4.0f, 0.15f);
    // Sharp turns: each join adds its outer sector and loses the inner corner where the
    // two segments overlap, and that overlap stays covered.
    YPath zigzag(0.01f);
    zigzag.MoveTo(2, 20);
    zigzag.LineTo(10, 4);
    zigzag.LineTo(18, 20);
    zigzag.LineTo(26, 4);
    const std::vector<float> coverage = rasteriser.Coverage(zigzag.Stroked(3.0f), Box(32, 32));
    const float turn = kPi - 2.0f * std::atan(0.5f), half = 1.5f;
    const float joins = 2.0f * half * half * (turn / 2.0f - std::tan(turn / 2.0f));
    EXPECT_NEAR(Sum(coverage), 3.0f * std::hypot(8.0f, 16.0f) * 3.0f + joins, 0.1f);
    EXPECT_NEAR(coverage[static_cast<std::size_t>(18 * 32 + 18)], 1.0f, 1e-4f);
    // A closed contour strokes as a ring.
    YPath circle(0.01f);
    circle.AddCircle(16, 16, 10);
    const std::vector<float> ring = rasteriser.Coverage(circle.Stroked(2.0f), Box(32, 32));
    EXPECT_NEAR(ring[16 * 32 + 16], 0.0f, 1e-5f);
    EXPECT_NEAR(Sum(ring), 2.0f * kPi * 10.0f * 2.0f, 0.2f);
}

TEST(Canvas, PaintsBlendAndScale) {
    YPixelBuffer buffer(40, 20);
    buffer.Fill(YColor::Hex(0x000000));
    YCanvas canvas(buffer, 2.0f);
    canvas.FillRect({1, 1, 5, 5}, YPaint::Solid(YColor::Hex(0xff0000, 128)));  // device pixels 2..12
    EXPECT_EQ(buffer.Pixel(2, 2) & 0xFFFFFF, 0x800000u);
    EXPECT_EQ(buffer.Pixel(11, 11) & 0xFFFFFF, 0x800000u);
    EXPECT_EQ(buffer.Pixel(12, 12) & 0xFFFFFF, 0u);
    // A horizontal gradient: its ends hold the end colours.
    canvas.FillRect({10, 0, 10, 10}, YPaint::Linear({10, 0}, YColor::Hex(0x0000ff), {20, 0}, YColor::Hex(0x00ff00)));
    EXPECT_GE(buffer.Pixel(20, 5) & 0xFF, 0xF0u);
    EXPECT_GE(buffer.Pixel(39, 5) >> 8 & 0xFF, 0xF0u);
    EXPECT_NEAR(static_cast<double>(buffer.Pixel(30, 5) >> 8 & 0xFF), 0x80, 8);
    // Nothing outside the clip.
    canvas.PushClip({0, 0, 4, 10});
    canvas.FillRect({0, 12, 40, 10}, YPaint::Solid(YColor::Hex(0xffffff)));
    canvas.FillRect({0, 5, 40, 10}, YPaint::Solid(YColor::Hex(0xffffff)));
    canvas.PopClip();
    EXPECT_EQ(buffer.Pixel(7, 15), 0xFFFFFFFFu);
    EXPECT_NE(buffer.Pixel(8, 15), 0xFFFFFFFFu);
}

TEST(TextLayout, MarkupSetsTheNameInBoldAndLinesBreakAtBlanks) {
    YTextLayout help = YTextLayout::FromMarkup("<name>Min frequency</name> defines minimal &lt;phaser&gt; frequency.", 12.0f,
                                               YColor::Hex(0x808080), YColor::Hex(0xffffff));
    EXPECT_EQ(help.Text(), YString("Min frequency defines minimal <phaser> frequency."));
    help.Layout(1000.0f);
    ASSERT_EQ(help.Pieces().size(), 2u);
    EXPECT_EQ(help.Pieces()[0].text, YString("Min frequency"));
    EXPECT_EQ(help.Pieces()[0].face, YFontFace::Bold);
    EXPECT_EQ(help.Pieces()[1].face, YFontFace::Regular);
    EXPECT_GT(help.Pieces()[0].width, YTextLayout::Measure("Min frequency", {YFontFace::Regular, 12.0f}));
    help.Layout(150.0f);
    EXPECT_GT(help.LineCount(), 1);
    for (const YTextLayout::Piece& piece : help.Pieces()) EXPECT_LE(piece.x + piece.width, 150.0f + 4.0f);
    help.Layout(150.0f, 1);
    EXPECT_EQ(help.LineCount(), 1);
    EXPECT_EQ(help.Pieces().back().text[help.Pieces().back().text.Length() - 1], 0x2026);
    const YString elided = YTextLayout::Elide("Invert feedback polarity", {YFontFace::Regular, 11.0f}, 60.0f);
    EXPECT_LE(YTextLayout::Measure(elided, {YFontFace::Regular, 11.0f}), 60.0f);
    EXPECT_LT(elided.Length(), 24u);
}

TEST(TextLayout, ParagraphMarksBreakLinesAndBoldIsSetApart) {
    YTextLayout question = YTextLayout::FromMarkup("It will replace it.<p><p><b>Select E?</b>", 12.0f, YColor::Hex(0x808080),
                                                   YColor::Hex(0xffffff));
    question.Layout(1000.0f);
    ASSERT_EQ(question.Pieces().size(), 2u);
    EXPECT_EQ(question.Pieces()[0].text, YString("It will replace it."));
    EXPECT_EQ(question.Pieces()[1].text, YString("Select E?"));
    EXPECT_EQ(question.Pieces()[1].line, 2);  // after an empty line
    EXPECT_EQ(question.Pieces()[1].x, 0.0f);
    EXPECT_EQ(question.Pieces()[1].face, YFontFace::Bold);
    question.Layout(1000.0f, 2);  // the line limit holds at a forced break too
    EXPECT_EQ(question.LineCount(), 1);
}

TEST(TextLayout, DrawnTextIsRecordedWhereItsInkIs) {
    YPixelBuffer buffer(200, 40);
    buffer.Fill(YColor::Hex(0x000000));
    YCanvas canvas(buffer, 1.0f);
    std::vector<YCanvas::DrawnText> drawn;
    canvas.RecordTexts(&drawn);
    canvas.Text("440 Hz", {10, 10, 180, 20}, {YFontFace::Regular, 14.0f}, YColor::Hex(0xffffff), YCanvas::Align::Center);
    ASSERT_EQ(drawn.size(), 1u);
    const YRect box = drawn[0].box;
    EXPECT_NEAR(box.CenterX(), 100.0f, 1.0f);
    int inside = 0, outside = 0;
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 200; ++x)
            if ((buffer.Pixel(x, y) & 0xFF) > 64) (box.Inset(-1.0f).Contains(static_cast<float>(x), static_cast<float>(y)) ? inside : outside)++;
    EXPECT_GT(inside, 40);
    EXPECT_EQ(outside, 0);
}

}  // namespace
