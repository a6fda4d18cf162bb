// A NaN or an infinity from the host must not silence the plug-in, or fill it with
// NaN, for the rest of the session: once the input is finite again, so is the output
// (one block later, or once the reported latency has passed with upsampling on).
#include "HostTestSupport.h"

#include "shell/CreateAudioPlugin.h"
#include "shell/YStateChunk.h"

#include <limits>

using namespace HostTest;

namespace {

constexpr double kRate = 44100.0;
constexpr int32_t kBlock = 512;

// A state of the product with upsampling as given (factor 1: none).
YByteBuffer ProductState(int32_t factor, bool highQuality) {
    DirectEngine engine(kRate, CreateAudioPlugin());
    if (factor > 1) engine.Plugin().UpdateUpsamplingFactor(factor, highQuality);
    return YStateChunk::Save(engine.Plugin());
}

TEST(NonFiniteInput, TheOutputRecoversOnceTheInputIsFinite) {
    if (!PluginBuilt(kProduct)) GTEST_SKIP() << kProduct << " is not built";
    auto library = Load(kProduct);
    ASSERT_TRUE(library);
    struct Case {
        int32_t factor;
        bool highQuality;
    };
    for (const Case setting : {Case{1, false}, Case{2, false}, Case{2, true}}) {
        for (const bool vst3 : {false, true}) {
            SCOPED_TRACE(testing::Message() << (vst3 ? "vst3" : "vst2") << " upsampling " << setting.factor
                                            << (setting.highQuality ? " high quality" : ""));
            std::unique_ptr<YHostedPlugin> plugin;
            if (vst3)
                plugin = MakeVst3(library);
            else
                plugin = MakeVst2(library);
            ASSERT_TRUE(plugin && plugin->Prepare(kRate, kBlock, 2, 2));
            ASSERT_TRUE(plugin->SetState(ProductState(setting.factor, setting.highQuality)));
            std::vector<float> left(kBlock), right(kBlock);
            float* out[2] = {left.data(), right.data()};
            for (int block = 0; block < 4; ++block) {
                Signal signal(kBlock, block * kBlock);
                const float* in[2] = {signal.channels[0].data(), signal.channels[1].data()};
                plugin->Process(in, out, kBlock);
            }
            Signal damaged(kBlock, 4 * kBlock);
            damaged.channels[0][100] = std::numeric_limits<float>::quiet_NaN();
            damaged.channels[1][200] = std::numeric_limits<float>::infinity();
            const float* in[2] = {damaged.channels[0].data(), damaged.channels[1].data()};
            plugin->Process(in, out, kBlock);
            // What was in the pipeline when the bad samples came still comes out.
            // Without latency the very next block is whole again.
            const int32_t delayBlocks = plugin->Latency() == 0 ? 0 : (plugin->Latency() + kBlock - 1) / kBlock + 1;
            for (int block = 0; block < delayBlocks; ++block) {
                Signal signal(kBlock, (5 + block) * kBlock);
                const float* next[2] = {signal.channels[0].data(), signal.channels[1].data()};
                plugin->Process(next, out, kBlock);
            }
            for (int block = 0; block < 3; ++block) {
                Signal signal(kBlock, (6 + delayBlocks + block) * kBlock);
                const float* next[2] = {signal.channels[0].data(), signal.channels[1].data()};
                plugin->Process(next, out, kBlock);
                double energy[2] = {0.0, 0.0};
                for (int32_t i = 0; i < kBlock; ++i) {
                    ASSERT_TRUE(std::isfinite(left[i]) && std::isfinite(right[i])) << "block " << block << " sample " << i;
                    energy[0] += left[i] * left[i];
                    energy[1] += right[i] * right[i];
                }
                EXPECT_GT(energy[0], 1.0) << "block " << block;
                EXPECT_GT(energy[1], 1.0) << "block " << block;
            }
        }
    }
}

}  // namespace
