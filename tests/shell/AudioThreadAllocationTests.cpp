#include "support/AllocationCounter.h"
#include "AudioBuffers.h"
#include "RoadTestPlugin.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(AllocationWindow, CountsAllocations) {
    AllocationWindow window;
    auto* probe = new std::vector<int>(100);
    delete probe;
    EXPECT_GE(window.Count(), 2u);
}

struct RoadSetup {
    int factor;
    bool highQuality;
    int mode;
    bool replacing;
    bool agc = false;
    double fixedGain = 1.0;  // alternates with unity block by block when not 1
};

class SteadyState : public ::testing::TestWithParam<RoadSetup> {};

TEST_P(SteadyState, ProcessAudioDoesNotAllocate) {
    const RoadSetup s = GetParam();
    RoadTestPlugin plugin;
    if (s.mode == 7) plugin.SetupPins(1, true);
    plugin.channelMode = s.mode;
    plugin.latency = 16;
    plugin.SetSampleRate(48000.0);
    plugin.UpdateUpsamplingFactor(s.factor, s.highQuality);
    plugin.SetAGCEnabled(s.agc);
    plugin.InitProcessing();
    AudioBuffers in = AudioBuffers::Signal(8, 512), out(8, 512);
    for (int warm = 0; warm < 3; ++warm) plugin.ProcessAudio(in.Table(), out.Table(), 512, s.replacing);

    AllocationWindow window;
    for (int block = 0; block < 200; ++block) {
        plugin.gain = block % 2 ? 1.0 : 0.5;  // a moving parameter cuts sub-blocks
        if (s.fixedGain != 1.0) plugin.SetFixedOutputGain(block % 2 ? s.fixedGain : 1.0);
        plugin.ProcessAudio(in.Table(), out.Table(), block % 3 == 0 ? 384 : 512, s.replacing);
    }
    EXPECT_EQ(window.Count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Roads, SteadyState,
                         ::testing::Values(RoadSetup{1, false, 0, true}, RoadSetup{1, false, 3, true}, RoadSetup{1, false, 0, false},
                                           RoadSetup{1, false, 7, true}, RoadSetup{2, false, 0, true}, RoadSetup{2, true, 1, true},
                                           RoadSetup{4, true, 5, false},
                                           RoadSetup{1, false, 0, true, true}, RoadSetup{2, true, 7, false, true},
                                           RoadSetup{1, false, 0, true, false, 2.0}, RoadSetup{2, true, 5, false, false, 0.5}));

}  // namespace
