#include "ReferencePhaser.h"

#include "foundation/YStoreArchive.h"
#include "foundation/YSynchronizer.h"
#include "foundation/YXMLItem.h"
#include "support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <random>
#include <vector>

namespace {

using P = VortalisAudioEffectPlugin;

// Silent channels, or noise in -0.5 .. 0.5 drawn from a seed.
struct Channels {
    std::vector<std::vector<float>> data;
    std::vector<float*> pointers;
    Channels(int channels, int frames, std::optional<unsigned> noiseSeed = {})
        : data(static_cast<std::size_t>(channels), std::vector<float>(static_cast<std::size_t>(frames))) {
        std::mt19937 random(noiseSeed.value_or(0));
        std::uniform_real_distribution<float> sample(-0.5f, 0.5f);
        for (auto& channel : data) {
            pointers.push_back(channel.data());
            if (noiseSeed)
                for (float& x : channel) x = sample(random);
        }
    }
    float** Table() { return pointers.data(); }
};

class Phaser : public ::testing::Test {
protected:
    void Prepare(int channels, double rate = 48000.0) {
        phaser->AttachHost(nullptr, &mutex);
        phaser->Prepare(channels, rate);
        phaser->UpdateFromParameters();
        phaser->ResetSmoothing();
        channels_ = channels;
    }
    void Set(P::Index index, double value) { phaser->Definition(index).value = value; }
    void Run(Channels& in, Channels& out, int count) { phaser->ProcessBlock(context, in.Table(), out.Table(), count); }

    std::unique_ptr<P> phaser = std::make_unique<P>();
    YLock mutex;
    HostTransport context;
    int channels_ = 0;
};

TEST_F(Phaser, ParameterTextsBothWays) {
    const struct {
        P::Index index;
        double value;
        const char* text;
    } shown[] = {{P::kDryWet, 0.4, "40.0%"}, {P::kMinFrequency, std::log10(400.0), "400 Hz"}, {P::kRate, std::log10(2.0), "2.00 Hz"},
                 {P::kFeedback, 0.7, "-6.20 dB"}, {P::kPhaseDifference, 0.5, "180\xC2\xB0 (50.0%)"}, {P::kSaturation, 0.0, "0.00%"},
                 {P::kMode, 10, "10"}, {P::kShapeMode, 2, "Logarithmic"}, {P::kMaxFrequency, std::log10(2000.0), "2000 Hz"},
                 {P::kMinFrequency, std::log10(20000.0), "20.0 kHz"}, {P::kSyncPhase, 0.0, "0\xC2\xB0 (0%)"}};
    for (const auto& c : shown) EXPECT_EQ(phaser->Definition(c.index).TextOf(c.value).ToUtf8(), c.text);
    const struct {
        P::Index index;
        const char* typed;
        double value;
    } typed[] = {{P::kFeedback, "-6.196 dB", 0.7}, {P::kMinFrequency, "300", std::log10(300.0)}, {P::kPhaseDifference, "90", 0.25},
                 {P::kDryWet, "25%", 0.25}};
    for (const auto& c : typed) {
        double value = 0.0;
        ASSERT_TRUE(phaser->Definition(c.index).Parse(YString::FromUtf8(c.typed), value)) << c.typed;
        EXPECT_NEAR(value, c.value, 1e-4) << c.typed;
    }
    EXPECT_EQ(phaser->GetTailSize(), 1024u);
}

TEST_F(Phaser, ParameterUpdate) {
    Prepare(2);
    Set(P::kInvertFeedback, 1.0);
    Set(P::kPhaseDifference, 0.5);
    phaser->UpdateFromParameters();
    EXPECT_NEAR(phaser->FeedbackCoefficient(), -0.49, 1e-15);
    EXPECT_DOUBLE_EQ(phaser->ChannelPhaseOffset(1), 1.5);
    EXPECT_DOUBLE_EQ(phaser->ChannelPhaseOffset(2), 3.0);
    Set(P::kPhaseDifference, -1.0);
    phaser->UpdateFromParameters();
    EXPECT_DOUBLE_EQ(phaser->ChannelPhaseOffset(1), 0.0);
}

TEST_F(Phaser, RaisingModeClearsOnlyTheNewStages) {
    Prepare(2);
    auto fill = [this](double value) {
        for (int k = 0; k < 100; ++k)
            for (int c = 0; c < 2; ++c) phaser->Chain().Memory(k, c) = value;
    };
    fill(1.0);
    Set(P::kMode, 20);
    phaser->UpdateFromParameters();
    EXPECT_EQ(phaser->ActiveStages(), 20);
    for (int k = 0; k < 100; ++k)
        for (int c = 0; c < 2; ++c) EXPECT_EQ(phaser->Chain().Memory(k, c), k >= 10 && k < 20 ? 0.0 : 1.0) << k << " " << c;
    fill(2.0);
    Set(P::kMode, 5);  // lowering keeps everything
    phaser->UpdateFromParameters();
    for (int k = 0; k < 100; ++k) EXPECT_EQ(phaser->Chain().Memory(k, 0), 2.0);
}

TEST_F(Phaser, SoftClipperValues) {
    Prepare(1);
    const SoftClipper& clipper = phaser->Clipper();
    const double q = clipper.Evaluate(0.5);
    EXPECT_NEAR(q, 0.5 * 3.25 / 1.75, 1e-15);
    EXPECT_NEAR(q + (q - 0.5) * (q - 0.5), 1.1122448979591837, 1e-15);
    for (const auto& [x, limit] : {std::pair{1.0, 1.0}, {7.5, 1.0}, {-2.0, -1.0}}) EXPECT_EQ(clipper.Evaluate(x), limit) << x;
    EXPECT_NEAR(clipper.Evaluate(-0.5), -q, 1e-15);
    EXPECT_NEAR(clipper.Evaluate(1e-6) / 1e-6, 3.0, 1e-9);  // slope 3 at zero
}

TEST_F(Phaser, DryOnlyPassesTheOffsetInput) {
    Set(P::kDryWet, 0.0);
    Set(P::kFeedback, 0.95);
    Set(P::kSaturation, 1.0);
    Prepare(2);
    Channels in(2, 256, 3), out(2, 256);
    in.data[1][10] = 0.0f;  // silence comes out as the offset, about 1e-15
    Run(in, out, 256);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 256; ++i)
            EXPECT_EQ(out.data[c][i], static_cast<float>(static_cast<double>(in.data[c][i]) + P::kInputOffset));
}

// With equal min and max frequency the sweep is constant and a single stage is a
// first-order all-pass: impulse response -a, then (1 - a^2) a^(n-1). At the Nyquist
// frequency (20 kHz at 40 kHz) w = 1, so a = 0 and the stage is a one-sample delay.
TEST_F(Phaser, ConstantSweepIsAFirstOrderAllPass) {
    Set(P::kDryWet, 1.0);
    Set(P::kFeedback, 0.0);
    Set(P::kMode, 1);
    for (const auto& [hertz, rate] : {std::pair{1000.0, 48000.0}, std::pair{20000.0, 40000.0}}) {
        for (int mode = 0; mode < 3; ++mode) {
            Set(P::kShapeMode, mode);
            Set(P::kMinFrequency, std::log10(hertz));
            Set(P::kMaxFrequency, std::log10(hertz));
            Prepare(1, rate);
            Channels in(1, 32), out(1, 32);
            in.data[0][0] = 1.0f;
            Run(in, out, 32);
            const double w = static_cast<float>(hertz * 2.0 / rate);
            const double a = (1 - w) / (1 + w);
            EXPECT_NEAR(out.data[0][0], -a, 1e-5) << hertz << " Hz, mode " << mode;
            for (int n = 1; n < 32; ++n)
                EXPECT_NEAR(out.data[0][n], (1 - a * a) * std::pow(a, n - 1), 1e-5) << hertz << " Hz, mode " << mode << " " << n;
        }
    }
}

TEST_F(Phaser, DryWetRampIsTheSameInEveryChannel) {
    Set(P::kFeedback, 0.0);
    Set(P::kPhaseDifference, 0.0);  // whole cycles apart: the same sweep in every channel
    Set(P::kMode, 1);
    Prepare(3);
    Channels in(3, 100), out(3, 100);
    for (auto& channel : in.data) std::fill(channel.begin(), channel.end(), 0.25f);
    Run(in, out, 100);
    Set(P::kDryWet, 0.9);
    Run(in, out, 100);
    // With a constant input the all-pass passes it unchanged, so every channel shows
    // the ramp from 0.4 to 0.9 identically.
    for (int c : {1, 2}) EXPECT_EQ(out.data[c], out.data[0]) << c;
    EXPECT_DOUBLE_EQ(phaser->Definition(P::kDryWet).smoothedValue, 0.9);
}

void CompareWithReference(AllPassChain::Implementation implementation, double tolerance) {
    // Settings drawn anew every few blocks, the shape mode and stage count included:
    // from low, across span, in whole steps where whole.
    // Saturation is exactly 0 for a third of its draws (the mix skips the clipper then).
    const struct {
        P::Index index;
        double low, span;
        bool whole;
    } ranges[] = {{P::kFeedback, 0, 1, false}, {P::kInvertFeedback, 0, 2, true}, {P::kMode, 1, 100, true},
                  {P::kPhaseDifference, -1, 2, false}, {P::kSaturation, -0.5, 1.5, false}, {P::kShapeMode, 0, 3, true},
                  {P::kMinFrequency, 1.3, 3, false}, {P::kMaxFrequency, 1.3, 3, false}, {P::kDryWet, 0, 1, false},
                  {P::kRate, -2, 3, false}};
    std::mt19937 random(11);
    for (int channels : {1, 2, 3, 5, 8}) {
        auto phaser = std::make_unique<P>();
        YLock mutex;
        phaser->AttachHost(nullptr, &mutex);
        phaser->Chain().SetImplementation(implementation);
        ReferencePhaser reference;
        HostTransport context;
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        for (int block = 0; block < 12; ++block) {
            if (block % 4 == 0) {
                for (const auto& r : ranges) {
                    const double x = unit(random) * r.span;
                    const double value = r.low + (r.whole ? std::floor(x) : x);
                    phaser->Definition(r.index).value = r.index == P::kSaturation ? std::max(0.0, value) : value;
                }
                if (block == 0) {
                    phaser->Prepare(channels, 44100.0);
                    reference.Prepare(channels, 44100.0);
                    phaser->ResetSmoothing();
                    reference.smoothedDryWet_ = phaser->Definition(P::kDryWet).value;
                }
                phaser->UpdateFromParameters();
                reference.Update(*phaser);
            }
            const int count = 1 + static_cast<int>(unit(random) * 700);
            Channels in(channels, count, random()), fast(channels, count), slow(channels, count);
            phaser->ProcessBlock(context, in.Table(), fast.Table(), count);
            reference.Process(*phaser, in.Table(), slow.Table(), count);
            for (int c = 0; c < channels; ++c)
                for (int i = 0; i < count; ++i) {
                    if (tolerance == 0.0)
                        ASSERT_EQ(fast.data[c][i], slow.data[c][i]) << channels << " channels, block " << block << " " << c << ":" << i;
                    else
                        ASSERT_NEAR(fast.data[c][i], slow.data[c][i], tolerance * std::max(1.0f, std::fabs(slow.data[c][i])))
                            << channels << " channels, block " << block;
                }
        }
    }
}

TEST(PhaserReference, PortablePathIsBitExact) { CompareWithReference(AllPassChain::Implementation::Portable, 0.0); }

TEST(PhaserReference, FusedPathWithinRounding) {
    if (AllPassChain::Best() != AllPassChain::Implementation::Fused) GTEST_SKIP() << "no AVX2 and FMA here";
    CompareWithReference(AllPassChain::Implementation::Fused, 1e-6);
}

TEST_F(Phaser, OneBlockOrManyGiveTheSameSound) {
    const int total = 4000;
    Channels in(2, total, 9), whole(2, total), pieces(2, total);
    for (Channels* out : {&whole, &pieces}) {
        phaser = std::make_unique<P>();
        Set(P::kFeedback, 0.8);
        Set(P::kSaturation, 0.5);
        Set(P::kMode, 24);
        Prepare(2);
        const int sizes[] = {1, 7, 64, 500, 333, 1024, 2, 999};
        for (int at = 0, k = 0; at < total; ++k) {
            const int n = out == &whole ? total : std::min(sizes[k % 8], total - at);
            float* inputs[2] = {in.data[0].data() + at, in.data[1].data() + at};
            float* outputs[2] = {out->data[0].data() + at, out->data[1].data() + at};
            phaser->ProcessBlock(context, inputs, outputs, n);
            at += n;
        }
    }
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < total; ++i) ASSERT_NEAR(pieces.data[c][i], whole.data[c][i], 1e-5) << c << ":" << i;
}

TEST_F(Phaser, ShapeEditGlidesInsteadOfJumping) {
    Set(P::kDryWet, 1.0);
    Prepare(1, 1000.0);
    Channels in(1, 700), out(1, 700);
    Run(in, out, 300);
    // The sweep curve of the block (mapped linearly, so continuations stay linear).
    const float* sweep = phaser->Buffer(0).data;
    const float beforeLast = sweep[298], last = sweep[299];
    phaser->Shape().SetMorph(5.0);  // a sine instead of the default shape
    Run(in, out, 300);
    EXPECT_EQ(phaser->ShapeChangeCount(), 2);  // a new instance's first block, then the edit
    // Off by no more than one step of the one-second fade.
    const float continuation = 2.0f * last - beforeLast;
    EXPECT_NEAR(sweep[0], continuation, 0.005);
    EXPECT_EQ(phaser->Declicker(0).remaining, 1000 - 300);
    Run(in, out, 699);
    EXPECT_EQ(phaser->Declicker(0).remaining, 1);
    Run(in, out, 1);  // the correction ends after exactly one second of samples
    EXPECT_EQ(phaser->Declicker(0).remaining, 0);
    EXPECT_EQ(phaser->Declicker(0).value, 0.0f);
}

// A loaded state counts as a new shape: the first block after it (the engine prepares
// again after every load) starts the LFO at the centre and glides it onto the curve
// over one second.
TEST_F(Phaser, AfterALoadTheLFOGlidesInFromTheCentre) {
    constexpr int kRate = 8000;
    Set(P::kMinFrequency, std::log10(100.0));
    Set(P::kMaxFrequency, std::log10(1000.0));
    phaser->Shape().SetPhase(0.25);  // the curve starts at its lowest
    YXMLItem state("settings");
    YStoreArchive saving(state, false);
    phaser->StoreParameters(saving);
    const double low = 100.0 * 2 / kRate, high = 1000.0 * 2 / kRate;
    Channels in(1, kRate), out(1, kRate);
    phaser = std::make_unique<P>();
    Prepare(1, kRate);
    for (int load = 0; load < 2; ++load) {
        YStoreArchive loading(state, true);
        phaser->StoreParameters(loading);
        Prepare(1, kRate);
        Run(in, out, kRate);
        const float* sweep = phaser->Buffer(0).data;
        EXPECT_NEAR(sweep[0], (low + high) / 2, 1e-4) << load;
        const double phase = phaser->Phase();
        Run(in, out, 1);  // one second on, the correction is over
        EXPECT_NEAR(sweep[0], low + (phaser->Shape().Lookup(phase) + 1) / 2 * (high - low), 1e-6) << load;
    }
}

TEST_F(Phaser, SkipClearsTheActiveStagesAndMovesTheLFO) {
    Set(P::kRate, std::log10(2.0));
    Prepare(2);
    Channels in(2, 256, 2), out(2, 256);
    Run(in, out, 256);
    const double phase = phaser->Phase();
    phaser->SkipSamples(24000);  // one whole cycle at 2 Hz
    EXPECT_NEAR(phaser->Phase(), phase, 1e-12);
    for (int k = 0; k < phaser->ActiveStages(); ++k) EXPECT_EQ(phaser->Chain().Memory(k, 1), 0.0);
    EXPECT_EQ(phaser->Chain().Last(0), 0.0);
}

// A NaN or an infinity in one channel's input: that channel starts again from silence
// with the next block, and sounds exactly as a phaser whose memories of that channel
// were cleared; the other channels are not touched.
TEST_F(Phaser, ANonFiniteInputResetsOnlyItsChannel) {
    const float bad[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity()};
    for (const float value : bad) {
        SCOPED_TRACE(value);
        for (const int stages : {1, 10, 100}) {
            phaser = std::make_unique<P>();
            Set(P::kMode, stages);
            Set(P::kFeedback, 0.95);
            Prepare(3);
            P twin;
            twin.Definition(P::kMode).value = stages;
            twin.Definition(P::kFeedback).value = 0.95;
            twin.AttachHost(nullptr, &mutex);
            twin.Prepare(3, 48000.0);
            twin.UpdateFromParameters();
            twin.ResetSmoothing();
            HostTransport twinContext;
            Channels in(3, 300, 5), out(3, 300), twinOut(3, 300);
            phaser->ProcessBlock(context, in.Table(), out.Table(), 300);
            twin.ProcessBlock(twinContext, in.Table(), twinOut.Table(), 300);

            Channels damaged(3, 300, 6);
            damaged.data[1][123] = value;
            phaser->ProcessBlock(context, damaged.Table(), out.Table(), 300);
            damaged.data[1][123] = 0.0f;
            twin.ProcessBlock(twinContext, damaged.Table(), twinOut.Table(), 300);
            EXPECT_FALSE(std::isfinite(out.data[1][299]));  // the block itself may carry it
            EXPECT_EQ(out.data[0], twinOut.data[0]);
            EXPECT_EQ(out.data[2], twinOut.data[2]);
            for (int k = 0; k < stages; ++k) twin.Chain().Memory(k, 1) = 0.0;
            twin.Chain().Last(1) = 0.0;

            for (int block = 0; block < 3; ++block) {
                Channels next(3, 300, 7 + block);
                phaser->ProcessBlock(context, next.Table(), out.Table(), 300);
                twin.ProcessBlock(twinContext, next.Table(), twinOut.Table(), 300);
                for (int c = 0; c < 3; ++c) EXPECT_EQ(out.data[c], twinOut.data[c]) << "block " << block << " channel " << c;
            }
            float energy = 0.0f;
            for (float x : out.data[1]) energy += x * x;
            EXPECT_GT(energy, 1.0f);  // sounding, not silent
        }
    }
}

TEST(AllPassChainReset, OnlyNonFiniteLanesAreCleared) {
    AllPassChain chain;
    for (int k = 0; k < AllPassChain::kMaxStages; ++k)
        for (int c = 0; c < AllPassChain::kMaxChannels; ++c) chain.Memory(k, c) = 0.25 * (c + 1);
    chain.Memory(7, 2) = std::numeric_limits<double>::infinity();
    chain.Last(5) = std::numeric_limits<double>::quiet_NaN();
    chain.Memory(50, 6) = std::numeric_limits<double>::quiet_NaN();  // beyond the active stages: left alone
    EXPECT_EQ(chain.ClearNonFinite(10), 2);
    for (int c = 0; c < AllPassChain::kMaxChannels; ++c) {
        const bool cleared = c == 2 || c == 5;
        EXPECT_EQ(chain.Memory(0, c), cleared ? 0.0 : 0.25 * (c + 1)) << c;
        EXPECT_EQ(chain.Memory(99, c), cleared ? 0.0 : 0.25 * (c + 1)) << c;
        EXPECT_EQ(chain.Last(c), 0.0) << c;
    }
    EXPECT_TRUE(std::isnan(chain.Memory(50, 6)));
    EXPECT_EQ(chain.ClearNonFinite(10), 0);
}

TEST_F(Phaser, ProcessBlockAllocatesNothingOnceGrown) {
    Set(P::kMode, 100);
    Prepare(8);
    Channels in(8, 1024, 4), out(8, 1024);
    Run(in, out, 1024);
    AllocationWindow window;
    for (int block = 0; block < 50; ++block) Run(in, out, 1 + block * 20);
    EXPECT_EQ(window.Count(), 0u);
}

}  // namespace
