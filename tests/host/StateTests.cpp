#include "HostTestSupport.h"
#include <cstring>

using namespace HostTest;

namespace {

// Settings that differ from every default.
void Adjust(YHostedPlugin& plugin) {
    plugin.SetParameter(PassThroughEffect::kGain, 0.3);
    plugin.SetParameter(PassThroughEffect::kCount, 0.5);
    plugin.SetParameter(PassThroughEffect::kMode, 2.0 / 3.0);
    plugin.SetParameter(PassThroughEffect::kSwitch, 1.0);
}

void ExpectAdjusted(YHostedPlugin& plugin) {
    EXPECT_NEAR(plugin.GetParameter(PassThroughEffect::kGain), 0.3, 1e-6);
    EXPECT_NEAR(plugin.GetParameter(PassThroughEffect::kMode), 2.0 / 3.0, 1e-6);
    EXPECT_NEAR(plugin.GetParameter(PassThroughEffect::kSwitch), 1.0, 1e-9);
    EXPECT_EQ(plugin.ValueText(PassThroughEffect::kMode).ToUtf8(), "Two");
}

class State : public ::testing::Test {
protected:
    void SetUp() override {
        library = Load();
        ASSERT_TRUE(library);
        vst2 = MakeVst2(library);
        vst3 = MakeVst3(library);
        ASSERT_TRUE(vst2 && vst3);
        ASSERT_TRUE(vst2->Prepare(44100.0, 64, 2, 2));
        ASSERT_TRUE(vst3->Prepare(44100.0, 64, 2, 2));
    }
    std::shared_ptr<YPluginLibrary> library;
    std::unique_ptr<YVst2HostedPlugin> vst2;
    std::unique_ptr<YVst3HostedPlugin> vst3;
};

TEST_F(State, AVst2ChunkLoadsThroughVst3) {
    Adjust(*vst2);
    const YByteBuffer chunk = vst2->GetState();
    ASSERT_GT(chunk.Size(), 2u);
    EXPECT_EQ(std::memcmp(chunk.Data(), "\x78\xDA", 2), 0);  // a zlib stream
    ASSERT_TRUE(vst3->SetState(chunk));
    ExpectAdjusted(*vst3);
}

TEST_F(State, AVst3StateLoadsThroughVst2) {
    Adjust(*vst3);
    ProcessSignal(*vst3, 16);  // a VST 3 instance takes changes with its next block
    const YByteBuffer state = vst3->GetState();
    ASSERT_TRUE(vst2->SetState(state));
    ExpectAdjusted(*vst2);
    // Both interfaces write the same bytes for the same settings.
    const YByteBuffer again = vst2->GetState();
    ASSERT_EQ(again.Size(), state.Size());
    EXPECT_EQ(std::memcmp(again.Data(), state.Data(), state.Size()), 0);
}

TEST_F(State, ACorruptChunkChangesNothing) {
    Adjust(*vst2);
    Adjust(*vst3);
    ProcessSignal(*vst3, 16);  // a VST 3 instance takes changes with its next block
    const YByteBuffer good = vst2->GetState();
    std::vector<uint8_t> bytes(good.Data(), good.Data() + good.Size());
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 2));
    bytes[bytes.size() / 3] ^= 0xFF;
    for (const std::vector<uint8_t>& damaged : {bytes, cut, std::vector<uint8_t>{1, 2, 3}}) {
        YByteBuffer chunk(damaged.size());
        std::memcpy(chunk.MutableData(), damaged.data(), damaged.size());
        EXPECT_FALSE(vst2->SetState(chunk));
        EXPECT_FALSE(vst3->SetState(chunk));
        ExpectAdjusted(*vst2);
        ExpectAdjusted(*vst3);
    }
    EXPECT_FALSE(vst2->SetState(YByteBuffer()));
    EXPECT_FALSE(vst3->SetState(YByteBuffer()));
    ExpectAdjusted(*vst2);
    ExpectAdjusted(*vst3);
}

TEST(StateBeforeProcessing, AFreshInstanceHasAState) {
    auto library = Load();
    auto vst3 = MakeVst3(library);
    ASSERT_TRUE(vst3);
    const YByteBuffer state = vst3->GetState();  // neither set up nor activated
    ASSERT_GT(state.Size(), 2u);
    auto vst2 = MakeVst2(library);
    ASSERT_TRUE(vst2);
    EXPECT_TRUE(vst2->SetState(state));
}

}  // namespace
