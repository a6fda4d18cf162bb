#include "support/AllocationCounter.h"
#include "modulation/YSignalGenerator.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <vector>

namespace {

using Env = YEnvelopeComputer;

int AllocationsOfOneRender(YSignalGenerator& g) {
    g.SetChanged();
    AllocationWindow window;
    bool rendered = g.Changed();
    EXPECT_TRUE(rendered);
    return static_cast<int>(window.Count());
}

TEST(YSignalGeneratorRender, AllocatesNothing) {
    auto g = std::make_unique<YSignalGenerator>();
    EXPECT_EQ(AllocationsOfOneRender(*g), 0);

    g->SetMorph(7.5);
    g->SetEnvelopeDepth(0.5);
    g->EditCurve(YSignalGenerator::CurveId::kEnvelope, [](Env& c) {
        for (int32_t type = 0; type < Env::kTypeCount; ++type) {
            Env::Point p = Env::NewPoint(0.05 + type * 0.07, std::sin(type));
            p.type = type;
            p.curvature = 0.3;
            c.InsertPoint(p);
        }
    });
    g->SetStepDepth(0.5);
    for (int32_t slot = 0; slot < 8; ++slot) g->SetStepType(slot, slot * 4);
    std::vector<float> custom(50, 0.5f);
    g->SetCustomTable(custom.data(), 50);
    g->SetCustomSample(true);
    g->SetCustomDepth(0.5);
    g->SetPhase(0.3);
    g->SetSkew(0.2);
    g->SetFullSkew(0.3);
    g->SetHalve(-0.3);
    g->SetShapeHarmonic(4, 0.3, 0.123);
    g->SetTransformEnable(true);
    g->SetAmplitudeTransformEnable(true);
    for (double smoothness : {0.05, 1.0, 2.0}) {  // direct and FFT smoothing, new kernels
        g->SetSmoothness(smoothness);
        EXPECT_EQ(AllocationsOfOneRender(*g), 0) << smoothness;
    }
    g->SetMode(YSignalGenerator::kHarmonicsMode);
    g->SetHarmonicsCount(256);
    g->SetSlope(0.5);  // a pending generator step too
    EXPECT_EQ(AllocationsOfOneRender(*g), 0);
}

}  // namespace
