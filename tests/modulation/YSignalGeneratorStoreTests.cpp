#include "modulation/YSignalGenerator.h"

#include "foundation/YMemoryStream.h"
#include "foundation/YStoreArchive.h"
#include "foundation/YXMLDocument.h"
#include "foundation/YXMLItem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace {

using Gen = YSignalGenerator;
using Env = YEnvelopeComputer;

void Store(Gen& g, YXMLItem& element, bool loading) {
    YStoreArchive archive(element, loading);
    g.Store(archive);
}

Env::Point P(double x, double y, int32_t type = Env::kMode2, double curvature = 0) {
    Env::Point p = Env::NewPoint(x, y);
    p.type = type;
    p.curvature = curvature;
    return p;
}

// Every setting away from its reset value.
void ChangeEverything(Gen& g) {
    Env::Point odd = P(0.4, -0.3, Env::kFree1, 0.6);
    odd.horizontalCurvature = -0.35;
    odd.smoothness[0] = 0.2;
    odd.smoothness[1] = 0.9;
    odd.flags = 0x4C;
    odd.count = 3;
    g.EditCurve(Gen::CurveId::kEnvelope, [&](Env& c) {
        c.SetPoints({P(0, 0.1, Env::kMode3, -0.5), P(0.2, 0.9, Env::kSines, 0.25), odd, P(0.8, -1, Env::kSmooth1), P(1, 0.1)});
    });
    g.EditCurve(Gen::CurveId::kTransform, [](Env& c) { c.SetPoints({P(0, 0, Env::kMode2, 0.3), P(0.5, 0.7, Env::kMode1, -0.2), P(1, 1)}); });
    g.EditCurve(Gen::CurveId::kAmplitudeTransform, [](Env& c) { c.SetPoints({P(-1, -0.5, Env::kDouble1, 0.4), P(1, 0.8)}); });
    for (int32_t slot = 0; slot < Gen::kStepSlots; ++slot) {
        g.SetStepLevel(slot, (slot % 7) * 0.25 - 0.75);
        g.SetStepType(slot, (slot * 5) % Gen::kStepShapeCount);
    }
    for (int32_t overtone = 2; overtone <= 8; ++overtone) g.SetShapeHarmonic(overtone, 0.0625 * overtone, 0.125 * overtone - 0.5);
    for (int32_t k = 1; k <= 200; k += 3) g.SetHarmonic(k, 1.0f / static_cast<float>(k), 0.01f * static_cast<float>(k % 50));
    g.SetHarmonic(256, 0.125f, 0.5f);
    g.SetMorph(6.25), g.SetEnvelopeDepth(0.7), g.SetStepItemCount(13), g.SetStepDepth(0.45), g.SetStepBaseLowest(false);
    g.SetCustomSample(true), g.SetCustomDepth(0.3), g.SetPhase(0.125), g.SetSkew(-0.4), g.SetFullSkew(0.2);
    g.SetHalve(-0.3), g.SetSmoothness(0.05), g.SetOperations(5), g.SetTransformEnable(true);
    g.SetAmplitudeTransformEnable(true), g.SetHarmonicsCount(200), g.SetHarmonicity(1.5), g.SetSlope(0.8);
    g.SetFullness(0.6), g.SetFundamentalMinimum(0.1), g.SetSeed(4242), g.SetSampleRatio(2.5), g.SetSamplePosition(0.35);
    g.SetSampleFilePath(YString(u"C:\\Samples\\\u00E9t\u00E9 <loop> & \"more\".wav"));
    g.SetPostProcessSharpen(0.1), g.SetPostProcessNoise(0.2), g.SetPostProcessClean(0.3);
    g.SetPostProcessCompress(0.4), g.SetPostProcessHarmonize(0.5), g.SetMode(Gen::kHarmonicsMode);
}

std::vector<float> TableOf(Gen& g) {
    g.Changed();
    return std::vector<float>(g.Table(), g.Table() + Gen::kSize + 1);
}

TEST(YSignalGeneratorStore, EverySettingSurvivesStoringAndLoading) {
    auto original = std::make_unique<Gen>(), loaded = std::make_unique<Gen>();
    ChangeEverything(*original);
    YXMLItem root("shape");
    Store(*original, root, false);
    // Through the document's text, as a state chunk goes.
    YMemoryStream text;
    YXMLDocument::Write(root, text);
    YMemoryStream in(text.GetBuffer());
    auto read = YXMLDocument::Read(in);

    loaded->Changed();
    Store(*loaded, *read, true);
    EXPECT_TRUE(loaded->Changed());
    // Every setting differs from its reset value, so one lost on loading would be
    // left out of a second save; saving into the same element also must not add.
    auto first = root.Clone();
    Store(*loaded, root, false);
    EXPECT_TRUE(root == *first);
    // What a lost attribute on saving would not show there: settings the render ignores.
    const Gen::Settings &a = loaded->GetSettings(), &b = original->GetSettings();
    EXPECT_TRUE(a.generator == b.generator);
    EXPECT_EQ(a.operations, b.operations);
    const Env::Point &p = a.envelope.GetPoint(2), &q = b.envelope.GetPoint(2);
    EXPECT_TRUE(p.smoothness[0] == q.smoothness[0] && p.smoothness[1] == q.smoothness[1] && p.flags == q.flags &&
                p.count == q.count && p.horizontalCurvature == q.horizontalCurvature);

    EXPECT_EQ(TableOf(*loaded), TableOf(*original));
    original->SetMode(Gen::kShapeMode);
    loaded->SetMode(Gen::kShapeMode);
    EXPECT_EQ(TableOf(*loaded), TableOf(*original));
}

TEST(YSignalGeneratorStore, ResetValuesAreLeftOutAndMissingOnesLoadAsThem) {
    auto fresh = std::make_unique<Gen>(), g = std::make_unique<Gen>();
    YXMLItem root("shape");
    Store(*fresh, root, false);
    EXPECT_EQ(root.GetAttributeCount(), 0u);
    EXPECT_EQ(root.FindSubItem("Harmonics")->GetAttributeCount(), 1u);  // the seed, always

    ChangeEverything(*g);
    YXMLItem empty("shape");
    Store(*g, empty, true);
    YXMLItem again("shape");
    Store(*g, again, false);
    again.FindSubItem("Harmonics")->RemoveAttribute("Seed");
    root.FindSubItem("Harmonics")->RemoveAttribute("Seed");
    EXPECT_TRUE(again == root);
    EXPECT_EQ(g->GetSettings().generator.seed, 4242);  // a shape without a seed keeps the current one
}

// ---- Malformed shapes ------------------------------------------------------------------

bool Bounded(Gen& g) {
    g.Changed();
    return std::all_of(g.Table(), g.Table() + Gen::kSize + 1, [](float v) { return std::fabs(v) <= 1.0f; });
}

void AddPoint(YXMLItem& curve, const YString& x, const YString& y, const YString& type, const YString& curvature) {
    YXMLItem* point = curve.AddSubItem("Point");
    point->SetAttribute("X", x);
    point->SetAttribute("Y", y);
    point->SetAttribute("Type", type);
    point->SetAttribute("Curvature", curvature);
    point->SetAttribute("HorizontalCurvature", curvature);
}

TEST(YSignalGeneratorStore, AMalformedShapeLoadsAndRendersBounded) {
    YXMLItem root("shape");
    for (const char* on : {"EnvelopeDepth", "TransformEnable", "AmplitudeTransformEnable"}) root.SetAttribute(YString::FromLatin1(on), "1");
    root.SetAttribute("StepItemCount", "1000");
    root.SetAttribute("Smoothness", "nan");
    YXMLItem* envelope = root.AddSubItem("Envelope");
    AddPoint(*envelope, "0.9", "0.5", "Mode 3", "1e300");
    AddPoint(*envelope, "nan", "0.2", "Mode 1", "0");
    AddPoint(*envelope, "0.1", "inf", "Sines", "-7");
    AddPoint(*envelope, "-5", "1e308", "no such type", "nan");
    AddPoint(*root.AddSubItem("Transform"), "1", "-1e9", "Stairs", "1");
    YXMLItem* types = root.AddSubItem("Types");
    types->SetAttribute("Count", "99999");
    for (int i = 0; i < 40; ++i) types->AddSubItem("Item")->SetAttribute("Value", "1000");
    root.AddSubItem("Step")->SetAttribute("Count", "-4");
    YXMLItem* harmonics = root.AddSubItem("Harmonics");
    harmonics->SetAttribute("Count", "100000");
    harmonics->SetAttribute("Magnitudes", "nan inf 1e300 0.5 -3");
    harmonics->SetAttribute("Phases", "inf,nan,,0.25");

    auto g = std::make_unique<Gen>();
    Store(*g, root, true);
    const Gen::Settings& s = g->GetSettings();
    EXPECT_EQ(s.stepItemCount, Gen::kStepSlots);
    EXPECT_EQ(s.harmonicsCount, Gen::kMaxHarmonics);
    EXPECT_EQ(s.smoothness, 0.0);
    // Points are sorted into the curve's box: "nan" and "-5" both read as x 0, in order.
    ASSERT_EQ(s.envelope.PointCount(), 4);
    EXPECT_TRUE(s.envelope.GetPoint(0).x == 0 && s.envelope.GetPoint(1).x == 0 && s.envelope.GetPoint(1).y == 1);
    EXPECT_TRUE(Bounded(*g));
    g->SetMode(Gen::kHarmonicsMode);
    EXPECT_TRUE(Bounded(*g));
}

TEST(YSignalGeneratorStore, AnOvershootingAmplitudeCurveIsHeldToItsRange) {
    auto g = std::make_unique<Gen>();
    // The smooth segment leaves (-0.99, 1) with its neighbours' slope and rises above 1.
    g->EditCurve(Gen::CurveId::kAmplitudeTransform,
                 [](Env& c) { c.SetPoints({P(-1, -1), P(-0.99, 1, Env::kSmooth2), P(0, 1), P(1, 1)}); });
    Env copy = g->Curve(Gen::CurveId::kAmplitudeTransform);
    ASSERT_GT(copy.Value(-0.5), 1.0);
    g->SetAmplitudeTransformEnable(true);
    EXPECT_TRUE(Bounded(*g));
    EXPECT_EQ(*std::max_element(g->Table(), g->Table() + Gen::kSize), 1.0f);
}

TEST(YSignalGeneratorStore, RandomGarbageCurvesStayBounded) {
    std::mt19937 random(7);
    const YString numbers[] = {"nan", "inf", "-inf", "1e308", "-1e308", "0", "1", "-1", "1e-300"};
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    auto number = [&]() -> YString {
        return pick(2) ? numbers[pick(9)] : YStoreArchive::NumberText(std::uniform_real_distribution<double>(-3, 3)(random));
    };
    auto g = std::make_unique<Gen>();
    for (int round = 0; round < 300; ++round) {
        YXMLItem root("shape");
        for (const char* on : {"EnvelopeDepth", "TransformEnable", "AmplitudeTransformEnable"}) root.SetAttribute(YString::FromLatin1(on), "1");
        for (const char* name : {"Envelope", "Transform", "AmplitudeTransform"}) {
            YXMLItem* curve = root.AddSubItem(YString::FromLatin1(name));
            for (int k = pick(12); k > 0; --k) AddPoint(*curve, number(), number(), Env::TypeInfoOf(pick(Env::kTypeCount)).name, number());
        }
        Store(*g, root, true);
        ASSERT_TRUE(Bounded(*g)) << "round " << round;
    }
}

}  // namespace
