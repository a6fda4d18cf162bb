#include "modulation/LfoDeclicker.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// After an old curve rising by 0.01 per sample to 0.5.
LfoDeclicker AfterRamp(double sampleRate) {
    LfoDeclicker declicker;
    declicker.Reset(sampleRate);
    std::vector<float> old = {0.48f, 0.49f, 0.5f};
    declicker.Run(old.data(), 3);
    EXPECT_EQ(old[2], 0.5f);  // untriggered: untouched
    return declicker;
}

TEST(LfoDeclicker, ANewCurveContinuesTheOldSlopeAndGlidesOntoItselfInOneSecond) {
    const int rate = 100;
    LfoDeclicker declicker = AfterRamp(rate);
    declicker.Trigger();
    std::vector<float> curve;
    for (int size : {7, 1, 50, 64}) {  // the fade spans blocks of any size
        std::vector<float> block(size, -0.2f);
        declicker.Run(block.data(), size);
        curve.insert(curve.end(), block.begin(), block.end());
    }
    // Where the old ramp was heading (0.51), less one fade step, then linear...
    const float jump = 0.51f - -0.2f;
    EXPECT_NEAR(curve[0], 0.51f - jump / rate, 1e-5);
    for (int i = 1; i < rate; ++i) EXPECT_NEAR(curve[i] - curve[i - 1], -jump / rate, 1e-5) << i;
    // ...onto the new curve, exactly there from sample-rate samples on.
    EXPECT_NEAR(curve[rate - 1], -0.2f, 1e-5);
    for (size_t i = rate; i < curve.size(); ++i) ASSERT_EQ(curve[i], -0.2f) << i;
    EXPECT_EQ(declicker.value, 0.0f);
    EXPECT_EQ(declicker.step, 0.0f);
}

TEST(LfoDeclicker, SingleSampleAndEmptyBlocks) {
    LfoDeclicker declicker = AfterRamp(1000.0);
    float one = 0.9f;
    declicker.Run(&one, 1);

    // Empty blocks change nothing: the trigger waits for the next real block.
    declicker.Trigger();
    float untouched = 0.25f;
    declicker.Run(&untouched, 0);
    declicker.Run(&untouched, -3);
    EXPECT_EQ(untouched, 0.25f);

    float next = 0.0f;  // after 0.5, 0.9 the continuation is 1.3
    declicker.Run(&next, 1);
    EXPECT_NEAR(next, 1.3f - 1.3f / 1000, 1e-6);
    EXPECT_EQ(declicker.remaining, 999);
    EXPECT_EQ(declicker.last, next);
}

}  // namespace
