#include "modulation/YSignalGenerator.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

// Counts the allocations this program makes while counting is on: the render runs on
// the audio thread and must not allocate.
namespace {
std::atomic<bool> counting{false};
std::atomic<int> allocations{0};

void* Allocate(std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
// The nothrow forms too (std::stable_sort's buffer), so that every delete below meets
// an allocation of ours.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

using Env = YEnvelopeComputer;

int AllocationsOfOneRender(YSignalGenerator& g) {
    g.SetChanged();
    allocations = 0;
    counting = true;
    bool rendered = g.Changed();
    counting = false;
    EXPECT_TRUE(rendered);
    return allocations.load();
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
