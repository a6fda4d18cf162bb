#pragma once

#include "editor/YControl.h"

#include <array>
#include <cstdint>

// Level meters, one bar per channel on a decibel scale (-60 .. +6 dB): the bar falls
// back at a fixed rate, a peak mark holds for a while, a red top marks a clip.
class YMeter : public YControl {
public:
    static constexpr int32_t kMaxChannels = 8;
    static constexpr float kFloorDb = -60.0f;
    static constexpr float kTopDb = 6.0f;
    static constexpr float kFallDbPerSecond = 24.0f;
    static constexpr float kHoldSeconds = 1.5f;

    explicit YMeter(const YString& caption) : caption_(caption) {}

    // The peaks (linear) measured since the last update, seconds later.
    void Update(const float* peaks, int32_t channels, float seconds);
    int32_t Channels() const { return channels_; }
    float LevelDb(int32_t channel) const { return levels_[static_cast<std::size_t>(channel)]; }
    float HoldDb(int32_t channel) const { return holds_[static_cast<std::size_t>(channel)]; }
    // Height (0..1) of a level on the scale.
    static float Position(float db);

protected:
    void Draw(YCanvas& canvas) override;

private:
    YString caption_;
    int32_t channels_ = 2;
    std::array<float, kMaxChannels> levels_{kFloorDb, kFloorDb, kFloorDb, kFloorDb, kFloorDb, kFloorDb, kFloorDb, kFloorDb};
    std::array<float, kMaxChannels> holds_ = levels_;
    std::array<float, kMaxChannels> holdAge_{};
    bool clipped_ = false;
};
