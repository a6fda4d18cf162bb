#pragma once

#include "foundation/YString.h"
#include "foundation/YSynchronizer.h"
#include "media/YSampleAnalyzer.h"
#include "modulation/YEnvelopeComputer.h"
#include "modulation/YGaussianSmoother.h"
#include "modulation/YRealFFT.h"
#include "modulation/YSignalGeneratorTables.h"

class YStoreArchive;

#include <array>
#include <atomic>
#include <complex>
#include <cstdint>
#include <vector>

// The LFO's shape: settings edited on the editor thread, rendered into a table of
// 8192 samples (normalised to peak 1, plus a guard sample equal to the first) that
// the audio code reads with linear interpolation.
//
// Threads: every setter takes the render lock and sets the changed flag; the effect
// calls Changed() at the start of each block, which renders on the audio thread
// under the same lock. The render allocates nothing and throws nothing.
class YSignalGenerator {
public:
    static constexpr int32_t kSize = 8192;
    static constexpr int32_t kStepSlots = 32;
    static constexpr int32_t kShapeHarmonics = 7;  // overtones 2 .. 8
    static constexpr int32_t kMaxHarmonics = 256;
    static constexpr int32_t kWaveformCount = YSignalGeneratorTables::kWaveformCount;
    static constexpr int32_t kStepShapeCount = YSignalGeneratorTables::kStepShapeCount;

    enum Mode : int32_t { kShapeMode = 0, kHarmonicsMode = 1 };
    enum class CurveId { kEnvelope, kTransform, kAmplitudeTransform };

    // The tool that computes harmonic magnitudes and phases from a formula or from an
    // analysed sample (the README gives the formula and the post-processors). Its step
    // runs under the render lock, allocation-free, whenever one of these changed, and
    // replaces the magnitudes and phases of all kMaxHarmonics harmonics.
    struct HarmonicsGenerator {
        double harmonicity = 1;          // "Harmonicity"
        double slope = 1;                // "Slope"
        double fullness = 1;             // "Fullness"
        double fundamentalMinimum = 0;   // "FundamentalMinimum"
        int32_t seed = 0;                // "Seed"
        double sampleRatio = 1;          // "SampleRatio"
        double samplePosition = 0;       // "SamplePosition"
        YString sampleFilePath;          // "SampleFilePath"
        double sharpen = 0;              // "PostProcess.Sharpen"
        double noise = 0;                // "PostProcess.Noise"
        double clean = 0;                // "PostProcess.Clean"
        double compress = 0;             // "PostProcess.Compress"
        double harmonize = 0;            // "PostProcess.Harmonize"
        // Element "SampleHarmonics": the analysed sample's amplitudes (largest 1) and
        // phases, the generator's source while any amplitude is above 0; else the formula.
        std::array<float, kMaxHarmonics> sampleAmplitudes{};
        std::array<float, kMaxHarmonics> samplePhases{};

        bool HasSample() const;
        bool operator==(const HarmonicsGenerator&) const = default;
    };

    // Everything that is stored and loaded, under the names in the comments. The
    // constructor gives the reset values except the generator seed, which Reset draws.
    struct Settings {
        Settings();

        int32_t mode = kShapeMode;                       // "Mode"; other values render nothing
        double morph = -1;                               // "value": position over the built-in waveforms
        YEnvelopeComputer envelope;                      // element "Envelope": the drawn curve
        double envelopeDepth = 0;                        // "EnvelopeDepth"
        std::array<double, kStepSlots> stepLevels{};     // element "Step"
        int32_t stepItemCount = 8;                       // "StepItemCount"
        double stepDepth = 0;                            // "StepDepth"
        bool stepBaseLowest = true;                      // "StepBaseLowest"
        std::array<int32_t, kStepSlots> stepTypes{};     // "Types": an "Item" per slot, "Count" of them
        bool customSample = false;                       // "CustomSample"
        double customDepth = 0;                          // "Depth"
        std::vector<float> customTable;                  // element "CustomTable": kSize values in -1 .. 1
        double phase = 0;                                // "Phase"
        double skew = 0;                                 // "Skew"
        double fullSkew = 0;                             // "FullSkew"
        double halve = 0;                                // "Halve"
        double smoothness = 0;                           // "Smoothness"
        int32_t operations = 0;                          // "Operations": kept, the render does not read it
        std::array<double, kShapeHarmonics> harmonicLevels{};  // "Harmonic"
        std::array<double, kShapeHarmonics> harmonicPhases{};  // "HarmonicPhase", cycles
        bool transformEnable = false;                    // "TransformEnable"
        YEnvelopeComputer transform;                     // element "Transform": time -> read position (cycles)
        bool amplitudeTransformEnable = false;           // "AmplitudeTransformEnable"
        YEnvelopeComputer amplitudeTransform;            // element "AmplitudeTransform": value -> value
        // Element "Harmonics".
        int32_t harmonicsCount = 32;                     // "Count"
        std::array<float, kMaxHarmonics> magnitudes{};   // "Magnitudes", 0 .. 1
        std::array<float, kMaxHarmonics> phases{};       // "Phases", cycles
        HarmonicsGenerator generator;
    };

    // Constructs with the reset settings and renders.
    YSignalGenerator();
    YSignalGenerator(const YSignalGenerator&) = delete;
    YSignalGenerator& operator=(const YSignalGenerator&) = delete;

    // The changed query, once per block on the audio thread: false when nothing
    // changed; otherwise renders (after a pending harmonics-generator step) and
    // answers true. If the lock cannot be had the flag stays set for the next block.
    bool Changed() noexcept;

    // Linear interpolation in the table at a phase in cycles (phase >= 0), in single
    // precision, widened.
    double Lookup(double phase) const noexcept {
        double x = phase * kSize;
        int64_t i = static_cast<int64_t>(x);
        float f = static_cast<float>(x - static_cast<double>(i));
        int64_t j = i % kSize;
        if (j < 0) j += kSize;  // callers keep phase >= 0; this only keeps a stray one inside the table
        return static_cast<double>((1.0f - f) * table_[j] + f * table_[j + 1]);
    }

    // kSize + 1 values; the last repeats the first.
    const float* Table() const { return table_.data(); }

    // The render lock: the plug-in mutex once the effect is prepared, the generator's
    // own lock when given none.
    void SetLock(YSynchronizer* lock) { lock_.store(lock ? lock : &ownLock_); }
    YSynchronizer* Lock() const { return lock_.load(); }

    // Back to the settings after construction (a new seed included), then a render.
    void Reset();
    // Renders now under the lock (what Changed() does when the flag is set).
    void Render();
    void SetChanged() { changed_.store(true); }
    // Incremented by every render; an editor polls it to know when to redraw.
    uint32_t RenderCount() const { return renderCount_.load(); }
    bool HarmonicsPending() const { return harmonicsPending_; }

    // Read on the thread that edits; replaced as a whole when a state is loaded. The
    // curves in it are evaluated by the render: evaluate them elsewhere only under the
    // lock (EditCurve) or on a copy, since evaluation moves their cursor. A pending
    // generator step runs here first, so that the audio thread does not rewrite the
    // magnitudes and phases while they are read.
    const Settings& GetSettings() {
        YScopedLock hold(Lock());
        FlushHarmonicsGenerator();
        return settings_;
    }
    void SetSettings(const Settings& settings);

    // Stores the settings as attributes and child elements of the archive's element,
    // or loads them: a load replaces every setting (a missing one by its reset value,
    // a missing seed keeps the current one) and marks the shape changed. Stored
    // curves are sanitised on loading, so a malformed one still renders a bounded
    // table. User-interface thread.
    void Store(YStoreArchive& archive);
    // The routine behind Store, on a settings record of the caller's.
    static void StoreSettings(YStoreArchive& archive, Settings& settings);

    const YEnvelopeComputer& Curve(CurveId id) const;
    // Edits one curve under the lock: edit(YEnvelopeComputer&); marks the shape changed.
    template <class Edit>
    void EditCurve(CurveId id, Edit&& edit) {
        YScopedLock hold(Lock());
        edit(CurveOf(id));
        changed_.store(true);
    }

    // The custom sample layer's period, resampled cyclically to kSize values and held
    // to -1 .. 1.
    void SetCustomTable(const float* values, int32_t count);
    const float* CustomTable() const { return settings_.customTable.data(); }

    // The harmonics generator's sample analysis, on the user-interface thread: reads the
    // file and analyses the sound at "SamplePosition" with "FundamentalMinimum" and
    // "SampleRatio" (YSampleAnalyzer says how), without the lock. A success hands the
    // finished period to the custom table and its spectrum to the generator under the
    // lock and makes path the "SampleFilePath"; other outcomes change nothing. The mode
    // and the custom layer's switch stay as they are. A file that cannot be read raises
    // YException naming it.
    YSampleAnalyzer::Result LoadSample(const YString& path);
    // The same on a sound already read.
    YSampleAnalyzer::Result LoadSample(const YAudioData& sound, const YString& path);
    // The message that tells the user the outcome.
    static YString SampleMessage(const YSampleAnalyzer::Result& result);

    void SetMode(int32_t mode) { Update(&Settings::mode, mode); }
    void SetMorph(double value) { Update(&Settings::morph, value); }
    void SetEnvelopeDepth(double depth) { Update(&Settings::envelopeDepth, depth); }
    void SetStepItemCount(int32_t count) { Update(&Settings::stepItemCount, count); }
    void SetStepDepth(double depth) { Update(&Settings::stepDepth, depth); }
    void SetStepBaseLowest(bool on) { Update(&Settings::stepBaseLowest, on); }
    void SetStepLevel(int32_t slot, double level) { UpdateAt(&Settings::stepLevels, slot, level); }
    void SetStepType(int32_t slot, int32_t type) { UpdateAt(&Settings::stepTypes, slot, type); }
    void SetCustomSample(bool on) { Update(&Settings::customSample, on); }
    void SetCustomDepth(double depth) { Update(&Settings::customDepth, depth); }
    void SetPhase(double phase) { Update(&Settings::phase, phase); }
    void SetSkew(double skew) { Update(&Settings::skew, skew); }
    void SetFullSkew(double skew) { Update(&Settings::fullSkew, skew); }
    void SetHalve(double halve) { Update(&Settings::halve, halve); }
    void SetSmoothness(double smoothness) { Update(&Settings::smoothness, smoothness); }
    void SetOperations(int32_t operations) { Update(&Settings::operations, operations); }
    // overtone 2 .. 8
    void SetShapeHarmonic(int32_t overtone, double level, double phase) {
        UpdateAt(&Settings::harmonicLevels, overtone - 2, level);
        UpdateAt(&Settings::harmonicPhases, overtone - 2, phase);
    }
    void SetTransformEnable(bool on) { Update(&Settings::transformEnable, on); }
    void SetAmplitudeTransformEnable(bool on) { Update(&Settings::amplitudeTransformEnable, on); }
    void SetHarmonicsCount(int32_t count) { Update(&Settings::harmonicsCount, count); }
    // harmonic 1 .. kMaxHarmonics; the edit lands on what a pending generator step makes.
    void SetHarmonic(int32_t harmonic, float magnitude, float phase) {
        YScopedLock hold(Lock());
        FlushHarmonicsGenerator();
        settings_.magnitudes.at(static_cast<size_t>(harmonic - 1)) = magnitude;
        settings_.phases.at(static_cast<size_t>(harmonic - 1)) = phase;
        changed_.store(true);
    }

    // The harmonics generator's settings also mark its step pending; the formula's own
    // settings make the formula its source again.
    void SetHarmonicity(double v) { UpdateGenerator(&HarmonicsGenerator::harmonicity, v, true); }
    void SetSlope(double v) { UpdateGenerator(&HarmonicsGenerator::slope, v, true); }
    void SetFullness(double v) { UpdateGenerator(&HarmonicsGenerator::fullness, v, true); }
    void SetFundamentalMinimum(double v) { UpdateGenerator(&HarmonicsGenerator::fundamentalMinimum, v); }
    void SetSeed(int32_t v) { UpdateGenerator(&HarmonicsGenerator::seed, v); }
    void SetSampleRatio(double v) { UpdateGenerator(&HarmonicsGenerator::sampleRatio, v); }
    void SetSamplePosition(double v) { UpdateGenerator(&HarmonicsGenerator::samplePosition, v); }
    void SetSampleFilePath(const YString& v) { UpdateGenerator(&HarmonicsGenerator::sampleFilePath, v); }
    void SetPostProcessSharpen(double v) { UpdateGenerator(&HarmonicsGenerator::sharpen, v); }
    void SetPostProcessNoise(double v) { UpdateGenerator(&HarmonicsGenerator::noise, v); }
    void SetPostProcessClean(double v) { UpdateGenerator(&HarmonicsGenerator::clean, v); }
    void SetPostProcessCompress(double v) { UpdateGenerator(&HarmonicsGenerator::compress, v); }
    void SetPostProcessHarmonize(double v) { UpdateGenerator(&HarmonicsGenerator::harmonize, v); }

    static const YString& WaveformName(int32_t index) { return YSignalGeneratorTables::WaveformName(index); }
    static const YString& StepShapeName(int32_t index) { return YSignalGeneratorTables::StepShapeName(index); }

private:
    template <class T>
    void Update(T Settings::*field, const T& value) {
        YScopedLock hold(Lock());
        settings_.*field = value;
        changed_.store(true);
    }
    template <class T, size_t N>
    void UpdateAt(std::array<T, N> Settings::*field, int32_t index, const T& value) {
        YScopedLock hold(Lock());
        (settings_.*field).at(static_cast<size_t>(index)) = value;
        changed_.store(true);
    }
    template <class T>
    void UpdateGenerator(T HarmonicsGenerator::*field, const T& value, bool formula = false) {
        YScopedLock hold(Lock());
        settings_.generator.*field = value;
        if (formula) {
            settings_.generator.sampleAmplitudes.fill(0.0f);
            settings_.generator.samplePhases.fill(0.0f);
        }
        harmonicsPending_ = true;
        changed_.store(true);
    }

    YEnvelopeComputer& CurveOf(CurveId id);
    void RunHarmonicsGenerator() noexcept;
    // Runs a pending generator step now (lock held), so that what is read or stored is
    // what the next render plays.
    void FlushHarmonicsGenerator() noexcept;
    void RenderLocked() noexcept;
    void RenderHarmonics() noexcept;
    void Compose() noexcept;
    void ComputeLayer(int layer, float* out) noexcept;
    void ComputeSteps(float* out) noexcept;
    void Transform() noexcept;
    void Normalise() noexcept;
    void ApplyAmplitudeCurve() noexcept;

    Settings settings_;
    std::vector<float> table_;      // T: kSize + 1
    std::vector<float> work_;       // W
    std::vector<float> layer_;      // the layer being blended in
    std::vector<float> copy_;       // W before a transformation
    std::vector<double> curve_;     // a curve's run over the period
    std::vector<std::complex<double>> bins_;
    std::vector<double> synthesis_;
    YRealFFT fft_;
    YGaussianSmoother smoother_;
    YLock ownLock_;
    std::atomic<YSynchronizer*> lock_;
    std::atomic<bool> changed_{false};
    bool harmonicsPending_ = false;
    std::atomic<uint32_t> renderCount_{0};
};
