#include "shell/YUpsampler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdio>
#include <deque>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace {

struct Design {
    double rate;
    int factor;
    bool highQuality;
};

std::string Name(const Design& d) {
    return (d.highQuality ? "high quality x" : "normal x") + std::to_string(d.factor) + " at " + std::to_string(int(d.rate)) + " Hz";
}

// Magnitude in dB of an impulse response at a frequency (hertz at the given rate).
double MagnitudeDb(const std::vector<double>& response, double frequency, double rate) {
    std::complex<double> sum = 0.0;
    const double w = 2.0 * std::numbers::pi * frequency / rate;
    for (std::size_t n = 0; n < response.size(); ++n) sum += response[n] * std::polar(1.0, -w * static_cast<double>(n));
    return 20.0 * std::log10(std::abs(sum) + 1e-300);
}

// The way up's impulse response at the processing rate, without the zero-stuffing gain.
std::vector<double> UpResponse(const Design& d) {
    YUpsampler resampler;
    resampler.Configure(d.rate, d.factor, d.highQuality);
    const int frames = 1024;
    std::vector<float> input(frames, 0.0f);
    input[0] = 1.0f;
    std::vector<double> response;
    for (int block = 0; block < 4; ++block) {
        resampler.Up(input.data(), frames);
        for (int i = 0; i < frames * d.factor; ++i) response.push_back(resampler.Input()[i] / d.factor);
        input[0] = 0.0f;
    }
    return response;
}

class UpsamplerQuality : public ::testing::TestWithParam<Design> {};

TEST_P(UpsamplerQuality, PassbandFlatAndImagesRejected) {
    const Design d = GetParam();
    const std::vector<double> response = UpResponse(d);
    const double processingRate = d.rate * d.factor;
    double low = 1e9, high = -1e9;
    const double flatTo = d.highQuality ? 20000.0 : 16000.0;
    for (double f = 20.0; f <= flatTo; f += 125.0) {
        double db = MagnitudeDb(response, f, processingRate);
        low = std::min(low, db);
        high = std::max(high, db);
    }
    // Images of the audible band land from rate - 20 kHz up.
    double worstImage = -1e9;
    for (double f = d.rate - 20000.0; f <= processingRate / 2; f += 125.0)
        worstImage = std::max(worstImage, MagnitudeDb(response, f, processingRate));
    std::printf("[ quality  ] %-28s passband ripple %.4f dB up to %.0f Hz, images at most %.1f dB\n", Name(d).c_str(),
                high - low, flatTo, worstImage);
    if (d.highQuality) {
        EXPECT_LT(high - low, 0.01);
        EXPECT_LT(worstImage, -90.0);
    } else {
        EXPECT_LT(high - low, 0.1);
        EXPECT_LT(worstImage, -25.0);
        EXPECT_NEAR(MagnitudeDb(response, YUpsampler::kNormalCutoff * d.rate, processingRate), -3.01, 0.05);
    }
}

TEST_P(UpsamplerQuality, SineComesBackDelayedByTheReportedLatency) {
    const Design d = GetParam();
    YUpsampler resampler;
    resampler.Configure(d.rate, d.factor, d.highQuality);
    const int frames = 512, blocks = 40;
    const int latency = YUpsampler::ReportedLatency(d.highQuality) / d.factor;
    std::vector<float> input(frames * blocks), output(frames * blocks);
    for (std::size_t i = 0; i < input.size(); ++i)
        input[i] = static_cast<float>(0.5 * std::sin(2.0 * std::numbers::pi * 1000.0 * static_cast<double>(i) / d.rate));
    for (int b = 0; b < blocks; ++b) {
        resampler.Up(input.data() + b * frames, frames);
        std::copy(resampler.Input(), resampler.Input() + frames * d.factor, resampler.Output());  // an identity effect
        resampler.Down(output.data() + b * frames, frames, true);
    }
    double error = 0.0, signal = 0.0;
    for (std::size_t i = static_cast<std::size_t>(latency) + 4000; i < output.size(); ++i) {
        double expected = input[i - static_cast<std::size_t>(latency)];
        error += (output[i] - expected) * (output[i] - expected);
        signal += expected * expected;
    }
    const double errorDb = 10.0 * std::log10(error / signal);
    std::printf("[ quality  ] %-28s 1 kHz round trip error %.1f dB at latency %d\n", Name(d).c_str(), errorDb, latency);
    // The recursive design's delay is topped up in whole processing-rate samples, so
    // up to half a sample of misalignment remains: about -30 dB at 1 kHz.
    EXPECT_LT(errorDb, d.highQuality ? -100.0 : -30.0);
}

INSTANTIATE_TEST_SUITE_P(AllDesigns, UpsamplerQuality,
                         ::testing::Values(Design{44100, 2, false}, Design{44100, 2, true}, Design{44100, 4, false},
                                           Design{44100, 4, true}, Design{48000, 2, false}, Design{48000, 2, true},
                                           Design{48000, 4, false}, Design{48000, 4, true}, Design{48000, 8, true}));

// The resampler of one channel written plainly from its description, with the
// designed coefficients (the quality tests above check the designs): zero-stuffing
// with gain and offset, the filter over every processing-rate sample (the recursive
// one in double precision, the linear-phase one as a direct convolution summed in
// double precision), the delay line, and every F-th sample kept.
class ReferenceUpsampler {
public:
    ReferenceUpsampler(const YUpsampler& design, const Design& d)
        : factor_(d.factor), taps_(design.Taps()), sections_(design.Sections()) {
        const auto delay = static_cast<std::size_t>(std::lround(YUpsampler::ReportedLatency(d.highQuality) - design.FilterDelay()));
        delayLine_.assign(delay, 0.0f);
        upHistory_.assign(taps_.size(), 0.0f);
        downHistory_.assign(taps_.size(), 0.0f);
    }

    std::vector<float> Up(const float* input, int frames) {
        std::vector<float> stuffed;
        for (int i = 0; i < frames; ++i) {
            stuffed.push_back((input[i] + YUpsampler::kOffset) * static_cast<float>(factor_));
            for (int p = 1; p < factor_; ++p) stuffed.push_back(YUpsampler::kOffset);
        }
        return Filter(stuffed, upState_, upHistory_);
    }

    void Down(const std::vector<float>& processed, float* output, int frames) {
        std::vector<float> delayed;
        for (float x : processed) {
            delayLine_.push_back(x);
            delayed.push_back(delayLine_.front());
            delayLine_.pop_front();
        }
        const std::vector<float> filtered = Filter(delayed, downState_, downHistory_);
        for (int i = 0; i < frames; ++i) output[i] = filtered[static_cast<std::size_t>(i) * factor_];
    }

private:
    std::vector<float> Filter(const std::vector<float>& x, std::vector<double>& state, std::deque<float>& history) const {
        std::vector<float> y;
        for (float sample : x) {
            if (taps_.empty()) {
                state.resize(20, 0.0);
                double v = sample;
                for (std::size_t k = 0; k < 10; ++k) {
                    const YUpsampler::Section& s = sections_[k];
                    const double out = s.b0 * v + state[2 * k];
                    state[2 * k] = s.b1 * v - s.a1 * out + state[2 * k + 1];
                    state[2 * k + 1] = s.b2 * v - s.a2 * out;
                    v = out;
                }
                y.push_back(static_cast<float>(v));
            } else {
                history.push_front(sample);
                history.pop_back();
                double sum = 0.0;
                for (std::size_t k = 0; k < taps_.size(); ++k) sum += static_cast<double>(taps_[k]) * history[k];
                y.push_back(static_cast<float>(sum));
            }
        }
        return y;
    }

    int factor_;
    std::vector<float> taps_;
    std::array<YUpsampler::Section, 10> sections_;
    std::vector<double> upState_, downState_;
    std::deque<float> upHistory_, downHistory_, delayLine_;
};

// Three channels (a pair and a lone one) over blocks of uneven sizes, the engine
// between the ways scaling by -0.7, against the plain reference: the SSE2 recursive
// filter gives its bits; the others (float sums in another order, fused
// multiply-adds in double precision) stay within 4e-7, about three units in the last
// place of a full-scale float.
TEST(Upsampler, FastPathsFollowThePlainReference) {
    const Design designs[] = {{48000, 2, false}, {44100, 4, false}, {48000, 3, false}, {48000, 2, true},
                              {44100, 4, true},  {48000, 3, true},  {48000, 8, true},  {44100, 16, true}};
    std::vector<YUpsampler::Implementation> implementations = {YUpsampler::Implementation::Portable};
    if (YVectorOps::Best() == YUpsampler::Implementation::Fused) implementations.push_back(YUpsampler::Implementation::Fused);
    const int sizes[] = {64, 1, 7, 333, 512, 3, 250};
    for (const Design& d : designs)
        for (YUpsampler::Implementation implementation : implementations) {
            constexpr int kChannels = 3;
            YUpsampler group[kChannels];
            std::vector<ReferenceUpsampler> references;
            for (YUpsampler& r : group) {
                r.SetImplementation(implementation);
                r.Configure(d.rate, d.factor, d.highQuality);
                references.emplace_back(r, d);
            }
            const bool exact = !d.highQuality && implementation == YUpsampler::Implementation::Portable;
            std::mt19937 random(7);
            std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
            double worst = 0.0;
            auto compare = [&](float fast, float plain) {
                if (exact) {
                    ASSERT_EQ(fast, plain);
                }
                worst = std::max(worst, std::fabs(static_cast<double>(fast) - plain));
            };
            for (int frames : sizes) {
                std::vector<std::vector<float>> in(kChannels, std::vector<float>(static_cast<std::size_t>(frames)));
                std::vector<std::vector<float>> out(kChannels, std::vector<float>(static_cast<std::size_t>(frames), 0.25f));
                const float* inputs[kChannels];
                float* outputs[kChannels];
                for (int c = 0; c < kChannels; ++c) {
                    for (float& x : in[c]) x = noise(random);
                    inputs[c] = in[c].data();
                    outputs[c] = out[c].data();
                }
                YUpsampler::Up(group, kChannels, inputs, frames);
                std::vector<std::vector<float>> processed;
                for (int c = 0; c < kChannels; ++c) {
                    const std::vector<float> up = references[c].Up(inputs[c], frames);
                    for (int m = 0; m < frames * d.factor; ++m) {
                        compare(group[c].Input()[m], up[m]);
                        group[c].Output()[m] = -0.7f * group[c].Input()[m];
                    }
                    processed.emplace_back(group[c].Output(), group[c].Output() + frames * d.factor);
                }
                // The last channel accumulates into what the host left there.
                YUpsampler::Down(group, kChannels - 1, outputs, frames, true);
                YUpsampler::Down(group + kChannels - 1, 1, outputs + kChannels - 1, frames, false);
                for (int c = 0; c < kChannels; ++c) {
                    std::vector<float> expected(static_cast<std::size_t>(frames));
                    references[c].Down(processed[c], expected.data(), frames);
                    for (int i = 0; i < frames; ++i) compare(out[c][i], c == kChannels - 1 ? expected[i] + 0.25f : expected[i]);
                }
            }
            const char* build = implementation == YUpsampler::Implementation::Fused ? "fused" : "portable";
            std::printf("[ matches  ] %-28s %-8s largest difference %.2g\n", Name(d).c_str(), build, worst);
            EXPECT_LT(worst, 4e-7) << Name(d) << " " << build;
        }
}

TEST(Upsampler, FilterChoiceFollowsRateAndQuality) {
    YUpsampler resampler;
    resampler.Configure(48000, 4, true);
    EXPECT_FALSE(resampler.UsesLongFilter());  // 192 kHz
    resampler.Configure(44100, 8, true);
    EXPECT_TRUE(resampler.UsesLongFilter());  // 352.8 kHz
    resampler.Configure(44100, 2, false);
    EXPECT_TRUE(resampler.Taps().empty());  // the recursive design
}

}  // namespace
