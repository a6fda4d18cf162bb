#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

enum class YFontFace : int32_t { Regular, Bold };

// A face and a size in logical pixels per em.
struct YFontStyle {
    YFontFace face = YFontFace::Regular;
    float size = 12.0f;
};

// One of the typefaces built into the editor (DejaVu Sans, regular and bold), read
// with stb_truetype. Metrics scale linearly with the size; glyph masks are rendered
// on demand at a device size and a quarter-pixel horizontal phase and kept for the
// life of the process. Any thread: the cache is guarded.
class YFont {
public:
    struct Glyph {
        int32_t left = 0, top = 0;  // of the mask, from the pen position on the baseline
        int32_t width = 0, height = 0;
        std::vector<uint8_t> mask;
    };
    static constexpr int32_t kPhases = 4;

    static YFont& Get(YFontFace face);

    ~YFont();
    YFont(const YFont&) = delete;
    YFont& operator=(const YFont&) = delete;

    // Above and below the baseline (both positive) and between baselines, at a size.
    float Ascent(float size) const { return ascent_ * Scale(size); }
    float Descent(float size) const { return descent_ * Scale(size); }
    float LineHeight(float size) const { return (ascent_ + descent_ + lineGap_) * Scale(size); }

    int32_t GlyphIndex(char32_t character) const;
    float Advance(int32_t glyph, float size) const;
    float Kerning(int32_t left, int32_t right, float size) const;
    // The mask of a glyph at a device size, shifted right by phase / kPhases pixels.
    const Glyph& Render(int32_t glyph, float size, int32_t phase);

private:
    YFont(const unsigned char* data, std::size_t size);
    float Scale(float size) const { return size * unitsToEm_; }

    struct Info;
    std::unique_ptr<Info> info_;
    float ascent_ = 0, descent_ = 0, lineGap_ = 0;  // in ems
    float unitsToEm_ = 0;
    mutable std::mutex lock_;
    std::unordered_map<uint64_t, Glyph> glyphs_;
    mutable std::unordered_map<char32_t, int32_t> indices_;
};
