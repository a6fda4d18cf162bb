#include "editor/YMeter.h"

#include <algorithm>
#include <cmath>

float YMeter::Position(float db) { return std::clamp((db - kFloorDb) / (kTopDb - kFloorDb), 0.0f, 1.0f); }

void YMeter::Update(const float* peaks, int32_t channels, float seconds) {
    channels = std::clamp(channels, 1, kMaxChannels);
    bool changed = channels != channels_;
    if (changed) {
        levels_.fill(kFloorDb);
        holds_.fill(kFloorDb);
    }
    channels_ = channels;
    for (std::size_t c = 0; c < static_cast<std::size_t>(channels); ++c) {
        const float db = peaks[c] > 1e-6f ? 20.0f * std::log10(peaks[c]) : kFloorDb;
        const float fallen = std::max(kFloorDb, levels_[c] - kFallDbPerSecond * seconds);
        const float level = std::max(fallen, std::min(db, kTopDb));
        holdAge_[c] += seconds;
        float hold = holds_[c];
        if (level >= hold || holdAge_[c] > kHoldSeconds) {
            hold = level;
            holdAge_[c] = 0.0f;
        }
        if (db >= 0.0f) clipped_ = true;
        changed = changed || std::fabs(level - levels_[c]) > 0.05f || hold != holds_[c];
        levels_[c] = level;
        holds_[c] = hold;
    }
    if (changed) Invalidate();
}

void YMeter::Draw(YCanvas& canvas) {
    const YStyle& style = Style();
    YRect box = Bounds();
    const YRect caption = box.TakeBottom(style.sizes.labelHeight, 4.0f);
    canvas.Text(caption_, caption, style.type.small, style.colors.textDim, YCanvas::Align::Center);
    canvas.FillRoundRect(box, 3.0f, YPaint::Solid(style.colors.well));
    const YRect inner = box.Inset(3.0f);
    const float gap = 2.0f;
    const float width = (inner.width - gap * static_cast<float>(channels_ - 1)) / static_cast<float>(channels_);
    const YPaint gradient = YPaint::Linear({0.0f, inner.Bottom()}, style.colors.meterLow,
                                           {0.0f, inner.y + inner.height * (1.0f - Position(-3.0f))}, style.colors.meterMid);
    for (int32_t c = 0; c < channels_; ++c) {
        const float x = inner.x + static_cast<float>(c) * (width + gap);
        const float top = inner.Bottom() - inner.height * Position(levels_[static_cast<std::size_t>(c)]);
        if (top < inner.Bottom()) canvas.FillRect({x, top, width, inner.Bottom() - top}, gradient);
        const float zero = inner.Bottom() - inner.height * Position(0.0f);
        if (top < zero) canvas.FillRect({x, top, width, zero - top}, YPaint::Solid(style.colors.meterHigh));
        const float hold = inner.Bottom() - inner.height * Position(holds_[static_cast<std::size_t>(c)]);
        if (holds_[static_cast<std::size_t>(c)] > kFloorDb)
            canvas.FillRect({x, hold - 1.0f, width, 1.5f}, YPaint::Solid(style.colors.text));
    }
    // Marks at 0, -12, -24 and -48 dB.
    for (float db : {0.0f, -12.0f, -24.0f, -48.0f}) {
        const float y = inner.Bottom() - inner.height * Position(db);
        canvas.FillRect({box.x, y, box.width, 1.0f}, YPaint::Solid(YColor::Hex(0x000000, db == 0.0f ? 150 : 90)));
    }
    if (clipped_) canvas.FillRect({box.x, box.y, box.width, 2.0f}, YPaint::Solid(style.colors.meterHigh));
}
