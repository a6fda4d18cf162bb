#pragma once

#include "editor/YColor.h"
#include "editor/YFont.h"
#include "foundation/YString.h"

#include <cstdint>
#include <functional>
#include <vector>

// Text set in the built-in faces: runs of one face and colour, broken into lines. The
// canvas draws what a layout places, and measuring goes through the same glyph walk,
// so what is measured is what is drawn. Sizes and positions in logical pixels.
class YTextLayout {
public:
    struct Piece {
        YString text;
        YFontFace face = YFontFace::Regular;
        YColor color;
        float x = 0.0f;  // from the layout's left edge
        int32_t line = 0;
        float width = 0.0f;
    };

    explicit YTextLayout(float size) : size_(size) {}

    void Add(const YString& text, YFontFace face, YColor color);
    // The help texts' markup: "<name>...</name>" and "<b>...</b>" set in bold in
    // nameColor, "<p>" starting a new line, other tags left out, the entities &lt; &gt;
    // &amp; &quot; &apos; replaced.
    static YTextLayout FromMarkup(const YString& markup, float size, YColor color, YColor nameColor);

    // Lines no wider than maxWidth, broken after blanks and at line feeds (a word longer
    // than a line is cut). With maxLines > 0 the text stops there, ending in an ellipsis.
    void Layout(float maxWidth, int32_t maxLines = 0);

    float Size() const { return size_; }
    float Width() const;
    int32_t LineCount() const;
    float LineHeight() const;
    float Ascent() const;
    const std::vector<Piece>& Pieces() const { return pieces_; }
    // The runs' text as added (before line breaks), without markup.
    YString Text() const;

    // Width of one line of text in one style.
    static float Measure(const YString& text, const YFontStyle& style);
    // Calls place(glyph, pen x) for each glyph of text from pen x 0 at a size;
    // answers the advance of the whole text.
    static float WalkGlyphs(const YString& text, YFont& font, float size,
                            const std::function<void(int32_t glyph, float x)>& place);
    // The longest start of text that, followed by an ellipsis, fits maxWidth.
    static YString Elide(const YString& text, const YFontStyle& style, float maxWidth);

private:
    struct Run {
        YString text;
        YFontFace face;
        YColor color;
    };

    float size_;
    std::vector<Run> runs_;
    std::vector<Piece> pieces_;
};
