#pragma once

// The per-sample loops of PhaserKernels.h, written once over a vector-operations
// type with kLanes lanes of floats (F), doubles (D) and 32-bit integers (I).
// Included only by the kernel files, after their target selection; everything here
// has internal linkage, so that no build stands in for another at link time.

#include "phaser/PhaserKernels.h"

#include <algorithm>

namespace PhaserKernels {
namespace {

// YSignalGenerator::Lookup, kLanes phases at a time.
template <class Ops>
[[gnu::always_inline]] inline typename Ops::F Lookup(const float* table, int32_t size, typename Ops::D phase) {
    const auto x = Ops::Mul(phase, Ops::Set(static_cast<double>(size)));
    const auto whole = Ops::Truncate(x);
    const auto fraction = Ops::ToFloat(Ops::Sub(x, Ops::ToDouble(whole)));
    typename Ops::F here, next;
    Ops::GatherPairs(table, Ops::And(whole, size - 1), here, next);
    return Ops::Add(Ops::Mul(Ops::Sub(Ops::Set(1.0f), fraction), here), Ops::Mul(fraction, next));
}

template <class Ops>
int32_t SampleShapes(const float* table, int32_t size, double* phases, double increment, float* const* curves,
                     int32_t channels, int32_t count) {
    // The phases accumulate one addition at a time, as the scalar loop does; two
    // vectors per channel and every channel in one pass keep those chains overlapped.
    constexpr int32_t L = Ops::kLanes, kBlock = 2 * L;
    const int32_t whole = count - count % kBlock;
    for (int32_t i = 0; i < whole; i += kBlock)
        for (int32_t c = 0; c < channels; ++c) {
            double at[kBlock];
            double phase = phases[c];
            for (int32_t l = 0; l < kBlock; ++l) {
                at[l] = phase;
                phase += increment;
            }
            phases[c] = phase;
            Ops::Store(curves[c] + i, Lookup<Ops>(table, size, Ops::Load(at)));
            Ops::Store(curves[c] + i + L, Lookup<Ops>(table, size, Ops::Load(at + L)));
        }
    return whole;
}

// A tail of n < L values copied into a zero-padded vector's worth.
template <int32_t L, class T>
struct Padded {
    T values[L] = {};
    Padded(const T* p, int32_t n) { std::copy(p, p + n, values); }
};

// Runs step(i) over whole vectors, two to an iteration so that their long chains of
// dependent operations overlap, and tail(i, n) over the n left, if any.
template <int32_t L, class Step, class Tail>
void Blocks(int32_t count, Step step, Tail tail) {
    int32_t i = 0;
    for (; i + 2 * L <= count; i += 2 * L) {
        step(i);
        step(i + L);
    }
    if (i + L <= count) {
        step(i);
        i += L;
    }
    if (i < count) tail(i, count - i);
}

template <class Ops>
void Coefficients(const float* sweep, const float* input, double offset, double* u, double* a, int32_t count) {
    constexpr int32_t L = Ops::kLanes;
    auto step = [offset](const float* s, const float* in, double* uo, double* ao) {
        const auto w = Ops::ToDouble(Ops::Load(s));
        const auto one = Ops::Set(1.0);
        Ops::Store(ao, Ops::Div(Ops::Sub(one, w), Ops::Add(one, w)));
        Ops::Store(uo, Ops::Add(Ops::ToDouble(Ops::Load(in)), Ops::Set(offset)));
    };
    Blocks<L>(
        count, [&](int32_t i) { step(sweep + i, input + i, u + i, a + i); },
        [&](int32_t i, int32_t n) {
            Padded<L, float> s(sweep + i, n), in(input + i, n);
            double uo[L], ao[L];
            step(s.values, in.values, uo, ao);
            std::copy(uo, uo + n, u + i);
            std::copy(ao, ao + n, a + i);
        });
}

template <class Ops, bool Ramp, bool Saturate>
void MixLoop(const Mix& m, const double* chain, const double* u, float* out, int32_t count) {
    constexpr int32_t L = Ops::kLanes;
    const auto one = Ops::Set(1.0), zero = Ops::Set(0.0), threshold = Ops::Set(m.threshold), gain = Ops::Set(m.gain),
               scale = Ops::Set(m.scale), range = Ops::Set(m.range), nine = Ops::Set(9.0), twentySeven = Ops::Set(27.0),
               saturation = Ops::Set(m.saturation), squareWeight = Ops::Set(m.squareWeight), clean = Ops::Set(m.clean),
               fixedWet = Ops::Set(m.wet);
    auto step = [&](const double* vs, const double* us, const double* ws, float* o) {
        const auto v = Ops::Load(vs);
        // The soft clipper: a straight line below the threshold, the Padé curve up to
        // one, one beyond; the sign of v restored.
        const auto a = Ops::Abs(v);
        const auto z = Ops::Mul(scale, Ops::Sub(a, threshold));
        const auto curve = Ops::Div(Ops::Mul(Ops::Mul(range, z), Ops::Add(Ops::Mul(z, z), twentySeven)),
                                    Ops::Add(Ops::Mul(Ops::Mul(nine, z), z), twentySeven));
        const auto clipped = Ops::Select(Ops::Less(a, threshold), Ops::Mul(a, gain),
                                         Ops::Select(Ops::Less(a, one), Ops::Mul(Ops::Add(curve, threshold), gain), one));
        const auto q = Ops::NegateWhere(Ops::Less(v, zero), clipped);
        const auto difference = Ops::Sub(q, v);
        const auto saturated =
            Saturate ? Ops::Add(Ops::Mul(saturation, Ops::Add(q, Ops::Mul(squareWeight, Ops::Mul(difference, difference)))),
                                Ops::Mul(clean, v))
                     : Ops::Add(v, zero);
        const auto wet = Ramp ? Ops::Load(ws) : fixedWet;
        Ops::Store(o, Ops::ToFloat(Ops::Add(Ops::Mul(saturated, wet), Ops::Mul(Ops::Sub(one, wet), Ops::Load(us)))));
    };
    Blocks<L>(
        count, [&](int32_t i) { step(chain + i, u + i, Ramp ? m.wets + i : nullptr, out + i); },
        [&](int32_t i, int32_t n) {
            Padded<L, double> vs(chain + i, n), us(u + i, n), ws(Ramp ? m.wets + i : u, Ramp ? n : 0);
            float o[L];
            step(vs.values, us.values, ws.values, o);
            std::copy(o, o + n, out + i);
        });
}

// With no saturation the mix's 0 (q + ...) + 1 v equals v + 0 for every finite chain
// output v (the zero turns a -0 into +0 as the full sum does), so the clipper is
// skipped.
template <class Ops>
void MixBlock(const Mix& m, const double* chain, const double* u, float* out, int32_t count) {
    const bool saturate = m.saturation != 0.0 || m.clean != 1.0;
    if (m.wets)
        saturate ? MixLoop<Ops, true, true>(m, chain, u, out, count) : MixLoop<Ops, true, false>(m, chain, u, out, count);
    else
        saturate ? MixLoop<Ops, false, true>(m, chain, u, out, count) : MixLoop<Ops, false, false>(m, chain, u, out, count);
}

template <class Ops>
constexpr Set kKernelSet{&SampleShapes<Ops>, &Coefficients<Ops>, &MixBlock<Ops>};

}  // namespace
}  // namespace PhaserKernels
