#include "modulation/YSignalGenerator.h"

#include "support/AllocationCounter.h"
#include "support/EveryLayerShape.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <initializer_list>
#include <future>
#include <memory>
#include <numbers>
#include <thread>
#include <vector>

namespace {

using Gen = YSignalGenerator;
using Env = YEnvelopeComputer;
constexpr int kN = Gen::kSize;

std::vector<float> TableOf(const Gen& g) { return std::vector<float>(g.Table(), g.Table() + kN + 1); }
std::vector<float> Rendered(Gen& g) {
    g.Changed();
    return TableOf(g);
}

double Peak(const Gen& g) {
    double peak = 0;
    for (int i = 0; i < kN; ++i) peak = std::max(peak, std::fabs(static_cast<double>(g.Table()[i])));
    return peak;
}

// Generators are large; keep them off the (1 MB on Windows) stack.
std::unique_ptr<Gen> Make() { return std::make_unique<Gen>(); }

// Table values at sample positions.
void ExpectAt(const float* t, std::initializer_list<std::pair<int, float>> points) {
    for (auto [i, value] : points) EXPECT_FLOAT_EQ(t[i], value) << "at " << i;
}

void SetEnvelope(Gen& g, std::vector<Env::Point> points) {
    g.EditCurve(Gen::CurveId::kEnvelope, [&](Env& curve) { curve.SetPoints(points); });
}

TEST(YSignalGenerator, DrawnCurveAloneRendersTheDefaultTriangle) {
    auto g = Make();
    g->SetEnvelopeDepth(1);
    ASSERT_TRUE(g->Changed());
    ExpectAt(g->Table(), {{0, 0}, {1024, 0.5f}, {2048, 1}, {4096, 0}, {6144, -1}, {kN, 0}});

    // A shape with peak 0.05 is amplified by 10 only; one with peak 0.2 to full scale.
    for (auto [level, peak] : {std::pair{0.05, 0.5}, {0.2, 1.0}}) {
        SetEnvelope(*g, {Env::NewPoint(0, 0), Env::NewPoint(0.25, level), Env::NewPoint(0.75, -level), Env::NewPoint(1, 0)});
        EXPECT_NEAR(Rendered(*g)[2048], peak, 1e-6) << level;
        EXPECT_NEAR(Peak(*g), peak, 1e-6) << level;
    }
}

TEST(YSignalGenerator, BuiltInWaveformsAndMorph) {
    const YSignalGeneratorTables& tables = YSignalGeneratorTables::Get();
    for (int n = 0; n < Gen::kWaveformCount; ++n) {
        float peak = 0;
        for (int i = 0; i < kN; ++i) peak = std::max(peak, std::fabs(tables.Waveform(n)[i]));
        EXPECT_NEAR(peak, 1, 1e-6) << Gen::WaveformName(n).ToUtf8();
    }
    for (int n = 0; n < Gen::kStepShapeCount; ++n)
        for (int j = 0; j < YSignalGeneratorTables::kStepShapeSize; ++j)
            ASSERT_TRUE(tables.StepShape(n)[j] >= 0 && tables.StepShape(n)[j] <= 1) << n;

    // The constructed shape is "Exponencial": (4x)^4 up to a quarter, mirrored, then negated.
    auto g = Make();
    const float* t = g->Table();
    ExpectAt(t, {{0, 0}, {1024, 0.0625f}, {2048, 1}, {3072, 0.0625f}, {4096, 0}, {5120, -0.0625f}, {6144, -1}});

    // "value" is held to 0 .. 15; between two tables it blends them.
    g->SetMorph(40);
    g->Changed();
    for (int i = 0; i < kN; i += 61) ASSERT_FLOAT_EQ(t[i], tables.Waveform(15)[i]) << i;
    g->SetMorph(11.5);  // rectangle and saw: peak -1 at sample 4096, so no rescaling
    g->Changed();
    for (int i : {100, 3000, 5000, 8000})
        EXPECT_NEAR(t[i], 0.5f * (tables.Waveform(11)[i] + tables.Waveform(12)[i]), 1e-6) << i;
}

TEST(YSignalGenerator, LookupInterpolatesAndWraps) {
    auto g = Make();
    const float* t = g->Table();
    EXPECT_EQ(g->Lookup(1.0), g->Lookup(0.0));
    EXPECT_EQ(g->Lookup(3.0), static_cast<double>(t[0]));
    EXPECT_FLOAT_EQ(static_cast<float>(g->Lookup(0.5 / kN)), 0.5f * (t[0] + t[1]));
    EXPECT_FLOAT_EQ(static_cast<float>(g->Lookup(2 + 1024.25 / kN)), 0.75f * t[1024] + 0.25f * t[1025]);
    // The guard sample serves the last interval.
    EXPECT_FLOAT_EQ(static_cast<float>(g->Lookup((kN - 0.5) / kN)), 0.5f * (t[kN - 1] + t[0]));
}

TEST(YSignalGenerator, HarmonicsMode) {
    auto g = Make();
    g->SetMode(Gen::kHarmonicsMode);
    g->Changed();
    for (int i = 0; i < kN; i += 7)
        ASSERT_NEAR(g->Table()[i], std::cos(2 * std::numbers::pi * i / kN), 1e-6) << i;
    EXPECT_EQ(g->Table()[kN], g->Table()[0]);

    // Phases in cycles: a quarter turns the cosine into a sine.
    g->SetHarmonic(1, 1, 0.25f);
    g->Changed();
    for (int i = 0; i < kN; i += 7) ASSERT_NEAR(g->Table()[i], std::sin(2 * std::numbers::pi * i / kN), 1e-6) << i;

    // Amplitudes are squared magnitudes: 1 and 0.5 give cos + 0.25 cos(2x), peak 1.25.
    g->SetHarmonic(1, 1, 0);
    g->SetHarmonic(2, 0.5f, 0);
    g->Changed();
    EXPECT_NEAR(g->Table()[0], 1, 1e-6);
    EXPECT_NEAR(g->Table()[2048], -0.25 / 1.25, 1e-6);

    // Harmonics above Count are silent; a silent spectrum stays unscaled at zero.
    g->SetHarmonicsCount(1);
    EXPECT_NEAR(Rendered(*g)[2048], 0, 1e-6);
    g->SetHarmonicsCount(0);
    g->Changed();
    for (int i = 0; i <= kN; ++i) ASSERT_EQ(g->Table()[i], 0) << i;
}

TEST(YSignalGenerator, Transformations) {
    // No symmetry that could hide a shift, and the peak on sample 0, which the
    // transformations below keep, so that normalising does not rescale.
    auto g = Make();
    g->SetEnvelopeDepth(1);
    SetEnvelope(*g, {Env::NewPoint(0, 1), Env::NewPoint(0.5, -0.5), Env::NewPoint(1, 0)});
    const std::vector<float> before = Rendered(*g);

    g->SetPhase(0.25);
    g->Changed();
    for (int i = 0; i < kN; ++i) ASSERT_EQ(g->Table()[(i + 2048) % kN], before[i]) << i;
    g->SetPhase(0);

    // Zero amounts leave the shape alone, whatever ran before.
    for (auto set : {&Gen::SetSkew, &Gen::SetFullSkew, &Gen::SetHalve}) {
        (g.get()->*set)(0.4);
        EXPECT_NE(Rendered(*g), before);
        (g.get()->*set)(0);
        EXPECT_EQ(Rendered(*g), before);
    }

    // Where a full amount reads the shape from, exactly where the tolerance is 0.
    const struct {
        void (Gen::*set)(double);
        double amount;
        int at, from;
        double tolerance;
    } reads[] = {
        {&Gen::SetSkew, 1, 2048, 3584, 2e-3},  // p(x) = 4x^3 - 6x^2 + 3x: a quarter of the way reads at 0.4375
        {&Gen::SetFullSkew, 1, 4096, 8, 1e-3},  // x^10: early samples come late
        {&Gen::SetFullSkew, -1, 4096, 8183, 1e-3},  // 1 - (1 - x)^10
        // Halve 0.5 puts the middle at 4096 + 2047; both halves keep their end samples.
        {&Gen::SetHalve, 0.5, 0, 0, 0}, {&Gen::SetHalve, 0.5, 6142, 4095, 0}, {&Gen::SetHalve, 0.5, 6143, 4096, 0},
        {&Gen::SetHalve, 0.5, kN - 1, kN - 1, 0},
    };
    for (const auto& r : reads) {
        (g.get()->*r.set)(r.amount);
        EXPECT_NEAR(Rendered(*g)[r.at], before[r.from], r.tolerance) << r.amount << " at " << r.at;
        (g.get()->*r.set)(0);
    }

    // Overtone m adds level * W(m i + phase * 8192), interpolated for a fractional offset.
    for (double phase : {0.25, 0.25 + 0.5 / kN}) {
        g->SetShapeHarmonic(3, 0.5, phase);
        g->Changed();
        std::vector<double> expected(kN);
        double peak = 0.1;
        for (int i = 0; i < kN; ++i) {
            int j = (3 * i + 2048) % kN;
            auto at = [&before](int k) { return static_cast<double>(before[k % kN]); };
            double read = phase == 0.25 ? at(j) : 0.5 * (at(j) + at(j + 1));
            expected[i] = at(i) + 0.5 * read;
            peak = std::max(peak, std::fabs(expected[i]));
        }
        for (int i = 0; i < kN; ++i) ASSERT_NEAR(g->Table()[i], expected[i] / peak, 1e-6) << phase << " at " << i;
    }
}

TEST(YSignalGenerator, LayersBlendAndFullAmountsReplace) {
    auto g = Make();
    // Half rectangle, half triangle: W = 0.5 + 0.5 * triangle over the first half.
    g->SetMorph(11);
    g->SetEnvelopeDepth(0.5);
    g->Changed();
    EXPECT_NEAR(g->Table()[0], 0.5, 1e-6);
    EXPECT_NEAR(g->Table()[1024], 0.75, 1e-6);
    EXPECT_NEAR(g->Table()[2048], 1, 1e-6);

    // Steps at full amount replace the layers below: the morph no longer matters.
    g->SetStepDepth(1);
    g->SetStepItemCount(4);
    for (int slot = 0; slot < 4; ++slot) g->SetStepLevel(slot, std::vector<double>{1, -0.5, 0.25, 1}[slot]);
    g->SetStepType(1, 1);  // "Linear up"
    g->SetStepType(3, 2);  // "Linear down"
    const std::vector<float> steps = Rendered(*g);
    g->SetMorph(3);
    EXPECT_EQ(Rendered(*g), steps);
    const float* t = g->Table();
    // With the lowest base a shaped step rises from -1 to its level (type 0 is flat
    // whatever the base) ...
    ExpectAt(t, {{0, 1}, {2047, 1}, {2048, -1}, {4095, -0.5f}, {4096, 0.25f}, {6144, 1}, {8191, -1}});
    // ... without it, from 0.
    g->SetStepBaseLowest(false);
    g->Changed();
    ExpectAt(t, {{2048, 0}, {4095, -0.5f}, {8191, 0}});

    // The step amount scales the levels and blends them: 0.5 * rect + 0.5 * (0.5 * level),
    // peak 0.5 + 0.25 in the first step.
    g->SetStepDepth(0.5);
    g->SetEnvelopeDepth(0);
    g->SetMorph(11);
    g->Changed();
    EXPECT_NEAR(t[4196], (-0.5 + 0.5 * 0.125) / 0.75, 1e-6);

    // The custom table counts only while enabled.
    std::vector<float> custom(16);
    for (int i = 0; i < 16; ++i) custom[i] = static_cast<float>(std::sin(2 * std::numbers::pi * i / 16));
    g->SetCustomTable(custom.data(), 16);
    g->SetCustomDepth(1);
    EXPECT_NEAR(Rendered(*g)[4196], (-0.5 + 0.5 * 0.125) / 0.75, 1e-6);
    g->SetCustomSample(true);
    g->Changed();
    EXPECT_NEAR(t[2048], 1, 1e-6);
    EXPECT_NEAR(t[1024], custom[2], 1e-6);
    EXPECT_NEAR(t[1280], (custom[2] + custom[3]) / 2, 1e-6);
}

TEST(YSignalGenerator, EverySettingTheRenderReadsChangesTheTable) {
    using Edit = std::function<void(Gen&)>;
    auto pointEdit = [](Gen::CurveId id, double x, double y) {
        return [=](Gen& g) { g.EditCurve(id, [=](Env& c) { c.InsertPoint(Env::NewPoint(x, y)); }); };
    };
    const std::vector<std::pair<const char*, Edit>> shapeEdits = {
        {"value", [](Gen& g) { g.SetMorph(3.6); }},
        {"EnvelopeDepth", [](Gen& g) { g.SetEnvelopeDepth(0.5); }},
        {"Envelope", pointEdit(Gen::CurveId::kEnvelope, 0.6, 0.9)},
        {"StepItemCount", [](Gen& g) { g.SetStepItemCount(5); }},
        {"StepDepth", [](Gen& g) { g.SetStepDepth(0.35); }},
        {"StepBaseLowest", [](Gen& g) { g.SetStepBaseLowest(false); }},
        {"Step", [](Gen& g) { g.SetStepLevel(2, 0.3); }},
        {"Types", [](Gen& g) { g.SetStepType(4, 20); }},
        {"CustomSample", [](Gen& g) { g.SetCustomSample(false); }},
        {"Depth", [](Gen& g) { g.SetCustomDepth(0.5); }},
        {"custom table", [](Gen& g) { float one = 1; g.SetCustomTable(&one, 1); }},
        {"Phase", [](Gen& g) { g.SetPhase(0.2); }},
        {"Skew", [](Gen& g) { g.SetSkew(-0.3); }},
        {"FullSkew", [](Gen& g) { g.SetFullSkew(0.2); }},
        {"Halve", [](Gen& g) { g.SetHalve(-0.2); }},
        {"Harmonic", [](Gen& g) { g.SetShapeHarmonic(5, 0.3, 0); }},
        {"HarmonicPhase", [](Gen& g) { g.SetShapeHarmonic(3, 0.2, 0.3); }},
        {"TransformEnable", [](Gen& g) { g.SetTransformEnable(false); }},
        {"Transform", pointEdit(Gen::CurveId::kTransform, 0.7, 0.9)},
        {"Smoothness", [](Gen& g) { g.SetSmoothness(0.5); }},
        {"AmplitudeTransformEnable", [](Gen& g) { g.SetAmplitudeTransformEnable(false); }},
        {"AmplitudeTransform", pointEdit(Gen::CurveId::kAmplitudeTransform, 0.5, 0.2)},
        {"Mode", [](Gen& g) { g.SetMode(Gen::kHarmonicsMode); }},
    };
    auto base = Make();
    SetEveryLayer(*base);
    const std::vector<float> reference = Rendered(*base);
    for (const auto& [name, edit] : shapeEdits) {
        auto g = Make();
        SetEveryLayer(*g);
        ASSERT_EQ(Rendered(*g), reference) << "render is not deterministic";
        edit(*g);
        EXPECT_TRUE(g->Changed()) << name;
        EXPECT_NE(TableOf(*g), reference) << name;
    }
    // In the harmonics mode the amplitude curve applies too (its other settings are
    // held by HarmonicsMode).
    auto g = Make();
    g->SetMode(Gen::kHarmonicsMode);
    g->SetAmplitudeTransformEnable(true);
    const std::vector<float> cosine = Rendered(*g);
    pointEdit(Gen::CurveId::kAmplitudeTransform, 0.5, 0.2)(*g);
    EXPECT_TRUE(g->Changed());
    EXPECT_NE(TableOf(*g), cosine);
}

// The render runs on the audio thread whenever the shape changes.
TEST(YSignalGenerator, RenderAllocatesNothing) {
    auto g = Make();
    auto allocations = [&g] {
        g->SetChanged();
        AllocationWindow window;
        EXPECT_TRUE(g->Changed());
        return window.Count();
    };
    EXPECT_EQ(allocations(), 0u);
    SetEveryLayer(*g);
    for (double smoothness : {0.05, 1.0, 2.0}) {  // direct and FFT smoothing, new kernels
        g->SetSmoothness(smoothness);
        EXPECT_EQ(allocations(), 0u) << smoothness;
    }
    g->SetMode(Gen::kHarmonicsMode);
    g->SetHarmonicsCount(256);
    g->SetSlope(0.5);  // a pending generator step too
    EXPECT_EQ(allocations(), 0u);
}

TEST(YSignalGenerator, ChangedQueryResetAndSettings) {
    auto g = Make();
    EXPECT_TRUE(g->Changed());
    EXPECT_FALSE(g->Changed());
    const std::vector<float> exponencial = TableOf(*g);

    // An unknown mode renders nothing: the table keeps its content.
    g->SetMode(7);
    g->SetEnvelopeDepth(1);
    EXPECT_TRUE(g->Changed());
    EXPECT_EQ(TableOf(*g), exponencial);

    // A harmonics-generator setting marks its step pending; the changed query runs it.
    g->SetMode(Gen::kHarmonicsMode);
    const std::vector<float> cosine = Rendered(*g);
    g->SetSlope(0.3);
    EXPECT_TRUE(g->HarmonicsPending());
    EXPECT_TRUE(g->Changed());
    EXPECT_FALSE(g->HarmonicsPending());
    const std::vector<float> generated = TableOf(*g);
    EXPECT_NE(generated, cosine);

    // Settings copied to another generator render the same table, without a generator
    // step of their own: the pending one of the receiver is dropped.
    auto copy = Make();
    copy->SetSettings(g->GetSettings());
    EXPECT_FALSE(copy->HarmonicsPending());
    EXPECT_TRUE(copy->Changed());
    EXPECT_EQ(TableOf(*copy), generated);
    copy->SetFullness(0.5);
    copy->SetSettings(g->GetSettings());
    EXPECT_TRUE(copy->Changed());
    EXPECT_EQ(TableOf(*copy), generated);

    // Reset: the constructed state, with a new seed.
    g->Reset();
    EXPECT_EQ(TableOf(*g), exponencial);
    EXPECT_NE(Make()->GetSettings().generator.seed, g->GetSettings().generator.seed);
}

TEST(YSignalGenerator, RenderWaitsForTheLockItIsGiven) {
    using namespace std::chrono_literals;
    auto g = Make();
    YLock pluginMutex;
    g->SetLock(&pluginMutex);
    g->SetSmoothness(0.2);

    std::promise<void> held, release;
    std::thread holder([&] {
        pluginMutex.Acquire(YSynchronizer::kInfinite);
        held.set_value();
        release.get_future().wait();
        pluginMutex.Release();
    });
    held.get_future().wait();
    auto rendered = std::async(std::launch::async, [&] { return g->Changed(); });
    EXPECT_EQ(rendered.wait_for(100ms), std::future_status::timeout);
    release.set_value();
    EXPECT_TRUE(rendered.get());
    holder.join();
}

}  // namespace
