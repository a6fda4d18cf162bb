#pragma once

#include "media/YAudioFileReader.h"

#include <array>
#include <cstdint>
#include <vector>

// Turns a recorded sound into one period of the LFO's shape.
//
// Pitch: the channels are averaged, and from the position on the fundamental period is
// the first dip below 0.15 of the cumulative mean normalised difference
//   d(t) = sum over j < W of (x[j] - x[j + t])^2,  d'(t) = d(t) t / sum over u = 1 .. t of d(u)
// over lags from rate / 4000 Hz (at least 2) to W = rate / lowest pitch, followed down to
// its local minimum and refined by the parabola through d at the three lags around it.
// The estimate is then refined at 2, 4, 8, .. 64 periods (as far as the sound reaches
// and its dip stays below 0.15 of the two windows' energy), where the same parabola's
// error is divided by the number of periods.
//
// Table: "periods" whole periods from the position (at least 2 samples into the sound,
// which the interpolation reads before the period), resampled to kTableSize values by
// Catmull-Rom interpolation (it rings less at sharp edges than a windowed sinc, which
// matters for an LFO's shape), with their mean taken out and normalised to peak 1.
// Harmonics: the table's spectrum, harmonic k being bin k (k = 1 .. kHarmonics): the
// table is sum of a_k cos(2 pi (k i / kTableSize - phase_k)), a_k relative to the
// largest one.
//
// User-interface thread or a tool: allocates and takes milliseconds; never on the audio
// thread. Nothing shared.
class YSampleAnalyzer {
public:
    static constexpr int32_t kTableSize = 8192;
    static constexpr int32_t kHarmonics = 256;
    static constexpr double kLowestPitch = 20;     // Hz: no lower minimum is taken
    static constexpr double kHighestPitch = 4000;  // Hz
    static constexpr int32_t kMaxPeriods = 64;

    struct Settings {
        double position = 0;      // seconds from the start of the sound
        double minimumPitch = 0;  // Hz: the lowest pitch accepted, held to 20 .. 2000
        double periods = 1;       // periods in the table: rounded, held to 1 .. kMaxPeriods
    };

    enum class Outcome { kTooShort, kNoPitch, kAnalyzed };

    struct Result {
        Outcome outcome = Outcome::kTooShort;
        double pitch = 0;          // Hz
        double period = 0;         // samples of the sound
        std::vector<float> table;  // kTableSize values when analysed
        std::array<float, kHarmonics> amplitudes{};
        std::array<float, kHarmonics> phases{};  // cycles, 0 .. 1
    };

    // Too short: the sound ends before two windows of the lowest pitch's period (or the
    // periods of the table) from the position. No pitch: silence, or no dip.
    static Result Analyze(const YAudioData& audio, const Settings& settings);

    // Harmonics 1 .. kHarmonics of a table of kTableSize values, as Analyze gives them.
    static void Spectrum(const float* table, float* amplitudes, float* phases);
};
