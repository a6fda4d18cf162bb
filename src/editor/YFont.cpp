#include "editor/YFont.h"

#include "foundation/YException.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#define STBTT_STATIC
#define STB_TRUETYPE_IMPLEMENTATION
// The optimiser's null analysis looks into stb's own code, which checks its allocations
// its own way.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnull-dereference"
#include <stb_truetype.h>
#pragma GCC diagnostic pop

// The embedded typefaces, made at build time from Debian's fonts-dejavu-core.
extern const unsigned char kDejaVuSans[];
extern const std::size_t kDejaVuSansSize;
extern const unsigned char kDejaVuSansBold[];
extern const std::size_t kDejaVuSansBoldSize;

struct YFont::Info {
    stbtt_fontinfo font;
};

YFont& YFont::Get(YFontFace face) {
    static YFont regular(kDejaVuSans, kDejaVuSansSize);
    static YFont bold(kDejaVuSansBold, kDejaVuSansBoldSize);
    return face == YFontFace::Bold ? bold : regular;
}

YFont::YFont(const unsigned char* data, std::size_t size) : info_(std::make_unique<Info>()) {
    (void)size;
    if (!stbtt_InitFont(&info_->font, data, stbtt_GetFontOffsetForIndex(data, 0)))
        throw YException(YString("The built-in font cannot be read."));
    int ascent = 0, descent = 0, gap = 0;
    stbtt_GetFontVMetrics(&info_->font, &ascent, &descent, &gap);
    unitsToEm_ = stbtt_ScaleForMappingEmToPixels(&info_->font, 1.0f);
    ascent_ = static_cast<float>(ascent);
    descent_ = static_cast<float>(-descent);
    lineGap_ = static_cast<float>(gap);
}

YFont::~YFont() = default;

int32_t YFont::GlyphIndex(char32_t character) const {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = indices_.find(character);
    if (found != indices_.end()) return found->second;
    const int32_t index = stbtt_FindGlyphIndex(&info_->font, static_cast<int>(character));
    indices_.emplace(character, index);
    return index;
}

float YFont::Advance(int32_t glyph, float size) const {
    int advance = 0, bearing = 0;
    stbtt_GetGlyphHMetrics(&info_->font, glyph, &advance, &bearing);
    return static_cast<float>(advance) * Scale(size);
}

float YFont::Kerning(int32_t left, int32_t right, float size) const {
    return static_cast<float>(stbtt_GetGlyphKernAdvance(&info_->font, left, right)) * Scale(size);
}

const YFont::Glyph& YFont::Render(int32_t glyph, float size, int32_t phase) {
    const auto size64 = static_cast<uint64_t>(std::lround(size * 64.0f));
    const uint64_t key = static_cast<uint64_t>(glyph) << 32 | size64 << 2 | static_cast<uint64_t>(phase & 3);
    std::lock_guard<std::mutex> hold(lock_);
    auto found = glyphs_.find(key);
    if (found != glyphs_.end()) return found->second;
    Glyph& made = glyphs_[key];
    const float scale = Scale(static_cast<float>(size64) / 64.0f);
    const float shift = static_cast<float>(phase) / static_cast<float>(kPhases);
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    stbtt_GetGlyphBitmapBoxSubpixel(&info_->font, glyph, scale, scale, shift, 0.0f, &x0, &y0, &x1, &y1);
    made.left = x0;
    made.top = y0;
    made.width = std::max(0, x1 - x0);
    made.height = std::max(0, y1 - y0);
    made.mask.assign(static_cast<std::size_t>(made.width) * static_cast<std::size_t>(made.height), 0);
    if (!made.mask.empty())
        stbtt_MakeGlyphBitmapSubpixel(&info_->font, made.mask.data(), made.width, made.height, made.width, scale, scale,
                                      shift, 0.0f, glyph);
    return made;
}
