#include "editor/YTextLayout.h"

#include <algorithm>

namespace {

constexpr char16_t kEllipsis = 0x2026;

// The code points of UTF-16 text, pairs of surrogates joined.
template <class Visit>
void ForEachCodePoint(const YString& text, Visit&& visit) {
    for (uint32_t i = 0; i < text.Length(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.Length() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        visit(c);
    }
}

}  // namespace

float YTextLayout::WalkGlyphs(const YString& text, YFont& font, float size,
                              const std::function<void(int32_t glyph, float x)>& place) {
    float x = 0.0f;
    int32_t previous = -1;
    ForEachCodePoint(text, [&](char32_t c) {
        const int32_t glyph = font.GlyphIndex(c);
        if (previous >= 0) x += font.Kerning(previous, glyph, size);
        if (place) place(glyph, x);
        x += font.Advance(glyph, size);
        previous = glyph;
    });
    return x;
}

float YTextLayout::Measure(const YString& text, const YFontStyle& style) {
    return WalkGlyphs(text, YFont::Get(style.face), style.size, nullptr);
}

YString YTextLayout::Elide(const YString& text, const YFontStyle& style, float maxWidth) {
    if (Measure(text, style) <= maxWidth) return text;
    const float room = maxWidth - Measure(YString(kEllipsis), style);
    uint32_t count = text.Length();
    while (count > 0 && Measure(text.Substring(0, count), style) > room) --count;
    return text.Substring(0, count).Trimmed() + YString(kEllipsis);
}

void YTextLayout::Add(const YString& text, YFontFace face, YColor color) {
    if (!text.IsEmpty()) runs_.push_back({text, face, color});
}

YTextLayout YTextLayout::FromMarkup(const YString& markup, float size, YColor color, YColor nameColor) {
    YTextLayout layout(size);
    YString pending;
    bool inName = false;
    auto flush = [&] {
        layout.Add(pending, inName ? YFontFace::Bold : YFontFace::Regular, inName ? nameColor : color);
        pending.Clear();
    };
    static const struct {
        YString entity;
        char16_t character;
    } kEntities[] = {{"&lt;", u'<'}, {"&gt;", u'>'}, {"&amp;", u'&'}, {"&quot;", u'"'}, {"&apos;", u'\''}};
    for (uint32_t i = 0; i < markup.Length(); ++i) {
        const char16_t c = markup[i];
        if (c == u'<') {
            const int64_t close = markup.Find(u'>', i);
            if (close < 0) {
                pending.Append(c);
                continue;
            }
            const YString tag = markup.Substring(i + 1, static_cast<uint32_t>(close) - i - 1).Trimmed();
            if (YString::EqualsNoCase(tag, "name") || YString::EqualsNoCase(tag, "/name") || YString::EqualsNoCase(tag, "b") ||
                YString::EqualsNoCase(tag, "/b")) {
                flush();
                inName = tag[0] != u'/';
            } else if (YString::EqualsNoCase(tag, "p")) {
                pending.Append(u'\n');
            }
            i = static_cast<uint32_t>(close);
            continue;
        }
        if (c == u'&') {
            bool replaced = false;
            for (const auto& e : kEntities) {
                if (YString::CompareNoCase(markup.Substring(i, e.entity.Length()), e.entity) == 0) {
                    pending.Append(e.character);
                    i += e.entity.Length() - 1;
                    replaced = true;
                    break;
                }
            }
            if (replaced) continue;
        }
        pending.Append(c == u'\n' || c == u'\t' ? u' ' : c);
    }
    flush();
    return layout;
}

void YTextLayout::Layout(float maxWidth, int32_t maxLines) {
    pieces_.clear();
    float x = 0.0f;
    int32_t line = 0;
    bool stopped = false;
    for (const Run& run : runs_) {
        if (stopped) break;
        const YFontStyle style{run.face, size_};
        // Words with the blanks after them.
        uint32_t start = 0;
        while (start < run.text.Length() && !stopped) {
            if (run.text[start] == u'\n') {
                if (maxLines > 0 && line + 1 >= maxLines) {
                    stopped = true;
                    break;
                }
                ++line;
                x = 0.0f;
                ++start;
                continue;
            }
            uint32_t end = start;
            while (end < run.text.Length() && run.text[end] != u' ' && run.text[end] != u'\n') ++end;
            while (end < run.text.Length() && run.text[end] == u' ') ++end;
            YString word = run.text.Substring(start, end - start);
            float width = Measure(word, style);
            const float inkWidth = Measure(word.Trimmed(), style);
            if (x > 0.0f && x + inkWidth > maxWidth) {
                if (maxLines > 0 && line + 1 >= maxLines) {
                    stopped = true;
                    break;
                }
                ++line;
                x = 0.0f;
            }
            if (x == 0.0f && inkWidth > maxWidth) {
                word = Elide(word, style, maxWidth);
                width = Measure(word, style);
            }
            if (!pieces_.empty() && pieces_.back().line == line && pieces_.back().face == run.face &&
                pieces_.back().color == run.color) {
                pieces_.back().text += word;
                pieces_.back().width += width;
            } else {
                pieces_.push_back({word, run.face, run.color, x, line, width});
            }
            x += width;
            start = end;
        }
    }
    if (stopped && !pieces_.empty()) {
        // The last line ends in an ellipsis, shortened until both fit.
        Piece& last = pieces_.back();
        const YFontStyle style{last.face, size_};
        const YString ellipsis(kEllipsis);
        YString text = last.text.Trimmed();
        while (!text.IsEmpty() && last.x + Measure(text + ellipsis, style) > maxWidth)
            text = text.Substring(0, text.Length() - 1);
        last.text = text.Trimmed() + ellipsis;
        last.width = Measure(last.text, style);
    }
}

float YTextLayout::Width() const {
    float width = 0.0f;
    for (const Piece& piece : pieces_) width = std::max(width, piece.x + piece.width);
    return width;
}

int32_t YTextLayout::LineCount() const { return pieces_.empty() ? 0 : pieces_.back().line + 1; }

float YTextLayout::LineHeight() const { return YFont::Get(YFontFace::Regular).LineHeight(size_); }

float YTextLayout::Ascent() const { return YFont::Get(YFontFace::Regular).Ascent(size_); }

YString YTextLayout::Text() const {
    YString text;
    for (const Run& run : runs_) text += run.text;
    return text;
}
