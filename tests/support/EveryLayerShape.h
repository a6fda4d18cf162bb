#pragma once

// A shape with every layer and transformation of the generator at work: the
// generator tests check that each setting reaches the table, the benchmark times it.
#include "modulation/YEnvelopeComputer.h"
#include "modulation/YSignalGenerator.h"

#include <cmath>
#include <vector>

inline void SetEveryLayer(YSignalGenerator& g, double smoothness = 0.05) {
    using Env = YEnvelopeComputer;
    g.SetMorph(3.3);
    g.SetEnvelopeDepth(0.4);
    g.EditCurve(YSignalGenerator::CurveId::kEnvelope, [](Env& c) {
        for (int32_t type = 0; type < Env::kTypeCount; ++type) {
            Env::Point p = Env::NewPoint(0.05 + type * 0.07, std::sin(type));
            p.type = type;
            p.curvature = 0.3;
            p.horizontalCurvature = 0.2;
            c.InsertPoint(p);
        }
    });
    g.SetStepDepth(0.3);
    g.SetStepItemCount(16);
    for (int32_t slot = 0; slot < 16; ++slot) g.SetStepType(slot, (slot * 5 + 1) % YSignalGenerator::kStepShapeCount);
    std::vector<float> custom(1000);
    for (std::size_t i = 0; i < custom.size(); ++i) custom[i] = static_cast<float>(std::sin(0.01 * static_cast<double>(i * i)));
    g.SetCustomTable(custom.data(), static_cast<int32_t>(custom.size()));
    g.SetCustomSample(true);
    g.SetCustomDepth(0.3);
    g.SetPhase(0.1);
    g.SetSkew(0.3);
    g.SetFullSkew(-0.2);
    g.SetHalve(0.2);
    for (int32_t m = 2; m <= 8; ++m) g.SetShapeHarmonic(m, 0.1, 0.013 * m);
    g.SetTransformEnable(true);
    g.EditCurve(YSignalGenerator::CurveId::kTransform, [](Env& c) { c.InsertPoint(Env::NewPoint(0.5, 0.3)); });
    g.SetSmoothness(smoothness);
    g.SetAmplitudeTransformEnable(true);
    g.EditCurve(YSignalGenerator::CurveId::kAmplitudeTransform, [](Env& c) { c.InsertPoint(Env::NewPoint(0, 0.4)); });
}
