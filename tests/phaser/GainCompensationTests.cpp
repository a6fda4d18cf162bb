// The phaser with gain compensation: its loudness follows its input's.
#include "engine/YYorvaneAudioEffectPlugin.h"
#include "phaser/VortalisAudioEffectPlugin.h"
#include "shell/YAGCProcessor.h"
#include "support/SampleSignals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

using P = VortalisAudioEffectPlugin;

// Pink noise: white noise through a sum of first-order low-passes spread over the
// octaves (within about 0.5 dB of -3 dB per octave over the audible range).
std::vector<float> PinkNoise(int frames) {
    TestNoise white;
    const double poles[6] = {0.99886, 0.99332, 0.96900, 0.86650, 0.55000, -0.7616};
    const double gains[6] = {0.0555179, 0.0750759, 0.1538520, 0.3104856, 0.5329522, -0.0168980};
    double state[6] = {};
    std::vector<float> out(static_cast<std::size_t>(frames));
    for (float& v : out) {
        const double w = white.Next();
        double sum = 0.5362 * w;
        for (int k = 0; k < 6; ++k) sum += state[k] = poles[k] * state[k] + gains[k] * w;
        v = static_cast<float>(0.1 * sum);
    }
    return out;
}

// Weighted loudness in dB over windows of 0.4 s, one every 0.1 s.
std::vector<double> Loudness(const std::vector<float>& left, const std::vector<float>& right, double rate) {
    YAGCProcessor::Weighting weighting;
    weighting.Design(rate);
    YAGCProcessor::Weighting::State states[2];
    std::vector<float> l(left.size()), r(right.size());
    weighting.Process(states[0], left.data(), l.data(), static_cast<int32_t>(l.size()));
    weighting.Process(states[1], right.data(), r.data(), static_cast<int32_t>(r.size()));
    const auto window = static_cast<std::size_t>(0.4 * rate), hop = static_cast<std::size_t>(0.1 * rate);
    std::vector<double> result;
    for (std::size_t end = window; end <= l.size(); end += hop) {
        double power = 0;
        for (std::size_t i = end - window; i < end; ++i) power += l[i] * static_cast<double>(l[i]) + r[i] * static_cast<double>(r[i]);
        result.push_back(10.0 * std::log10(power / (2.0 * static_cast<double>(window))));
    }
    return result;
}

TEST(PhaserGainCompensation, LoudnessFollowsTheInputAfterTheHold) {
    constexpr double kRate = 48000.0;
    constexpr int kBlock = 512, kFrames = 938 * kBlock;  // ten seconds
    const std::vector<float> left = PinkNoise(kFrames);
    std::vector<float> right(left.rbegin(), left.rend());
    const std::vector<double> input = Loudness(left, right, kRate);

    struct Setting {
        double depth, feedback, stages, saturation;
    };
    for (const Setting& setting : {Setting{1.0, 0.95, 0.3, 0.0}, Setting{0.6, 0.1, 0.05, 0.0}, Setting{1.0, 0.8, 1.0, 0.3}}) {
        SCOPED_TRACE(testing::Message() << setting.depth << " " << setting.feedback << " " << setting.stages);
        auto plugin = std::make_unique<YYorvaneAudioEffectPlugin>();
        plugin->Initialize("Vortalis", "Yorvane", &VortalisAudioEffectPluginInterface, 500, 100);
        plugin->SetSampleRate(kRate);
        plugin->SetChannels(2, 2);
        plugin->SetParameter(P::kDryWet, setting.depth);
        plugin->SetParameter(P::kFeedback, setting.feedback);
        plugin->SetParameter(P::kMode, setting.stages);
        plugin->SetParameter(P::kSaturation, setting.saturation);
        plugin->SetAGC(true);
        plugin->InitProcessing();

        std::vector<float> outLeft(kFrames), outRight(kFrames), blockLeft(kBlock), blockRight(kBlock);
        for (int start = 0; start < kFrames; start += kBlock) {
            std::copy_n(left.begin() + start, kBlock, blockLeft.begin());
            std::copy_n(right.begin() + start, kBlock, blockRight.begin());
            float* in[32] = {blockLeft.data(), blockRight.data()};
            float* out[32] = {outLeft.data() + start, outRight.data() + start};
            plugin->ProcessAudio(in, out, kBlock, true);
        }
        const std::vector<double> output = Loudness(outLeft, outRight, kRate);
        // Windows that begin after the first two seconds and the block in which the
        // hold ends.
        double worst = 0;
        for (std::size_t w = 21; w < output.size(); ++w) worst = std::max(worst, std::fabs(output[w] - input[w]));
        EXPECT_LT(worst, 0.5);
        // And the setting does change the level without the compensation.
        EXPECT_GT(std::fabs(20.0 * std::log10(plugin->AGCProcessor().Gain())), 0.5);
    }
}

}  // namespace
