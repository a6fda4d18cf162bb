#include "PassThroughEffect.h"

#include "engine/Parameters.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class Owner final : public ParameterOwner {
public:
    void ParameterChanged(int32_t index) override { changed.push_back(index); }
    void MarkSettingsChanged() override { ++dirty; }
    std::vector<int32_t> changed;
    int dirty = 0;
};

class ParameterModel : public ::testing::Test {
protected:
    PassThroughEffect effect;
    Owner owner;
    ParameterDefinition& Def(int i) { return effect.Table()[static_cast<std::size_t>(i)]; }
};

TEST_F(ParameterModel, ShapeCurvesBothWays) {
    ParameterFloatT<ParameterBase> squared(&owner, 0, &Def(PassThroughEffect::kGain));
    ParameterDefinition unit = FloatParameter("x", "x", 0.0, 1.0, 0.0);
    unit.shape = ParameterShape::Squared;
    ParameterFloatT<ParameterBase> square(&owner, 9, &unit);
    unit.value = 0.25;
    EXPECT_DOUBLE_EQ(square.GetValue(0), 0.5);
    square.SetValue(0, 0.5, false);
    EXPECT_DOUBLE_EQ(unit.value, 0.25);

    ParameterFloatT<ParameterBase> fourth(&owner, 4, &Def(PassThroughEffect::kFourth));
    fourth.SetValue(0, 0.5, false);
    EXPECT_DOUBLE_EQ(Def(PassThroughEffect::kFourth).value, 0.0625);
    EXPECT_NEAR(fourth.GetValue(0), 0.5, 1e-15);

    // The normalised default skips the curve: 1 in 0..2 is 0.5 although its
    // squared position is sqrt(0.5).
    EXPECT_DOUBLE_EQ(squared.GetDefaultValue(0), 0.5);
    EXPECT_NEAR(squared.GetValue(0), std::sqrt(0.5), 1e-15);
}

TEST_F(ParameterModel, EnumerationBinsAndBooleanThreshold) {
    ParameterEnumT<ParameterBase> mode(&owner, 2, &Def(PassThroughEffect::kMode));
    ParameterBoolT<ParameterBase> toggle(&owner, 3, &Def(PassThroughEffect::kSwitch));
    for (auto [normalised, stored] : {std::pair{0.4, 1.0}, {0.5, 2.0}, {1.0, 3.0}, {0.0, 0.0}}) {
        mode.SetValue(0, normalised, false);
        EXPECT_EQ(Def(PassThroughEffect::kMode).value, stored) << normalised;
    }
    for (auto [normalised, stored] : {std::pair{0.49, 0.0}, {0.5, 1.0}}) {
        toggle.SetValue(0, normalised, false);
        EXPECT_EQ(Def(PassThroughEffect::kSwitch).value, stored) << normalised;
    }
    EXPECT_EQ(toggle.GetValueName(0), YString("on"));
    EXPECT_DOUBLE_EQ(toggle.GetDefaultValue(0), 0.5);  // the kinds without their own rule

    Def(PassThroughEffect::kMode).value = 1.0;
    EXPECT_DOUBLE_EQ(mode.GetValue(0), 1.0 / 3.0);
    mode.SetValue(0, mode.GetValue(0), false);
    EXPECT_EQ(Def(PassThroughEffect::kMode).value, 1.0);
    EXPECT_EQ(mode.GetValueName(0), YString("One"));
    EXPECT_DOUBLE_EQ(mode.ParseValueName(0, " three "), 1.0);

    ParameterIntT<ParameterBase> count(&owner, 1, &Def(PassThroughEffect::kCount));
    count.SetValue(0, 0.5, false);  // 1 + 99 * 0.5 = 50.5, rounded half up
    EXPECT_EQ(Def(PassThroughEffect::kCount).value, 51.0);
    EXPECT_EQ(count.GetValueName(0), YString("51"));
    EXPECT_NEAR(count.GetDefaultValue(0), 9.0 / 99.0, 1e-15);
}

TEST_F(ParameterModel, TextsAndParsing) {
    ParameterFloatT<ParameterBase> gain(&owner, 0, &Def(PassThroughEffect::kGain));
    Def(PassThroughEffect::kGain).value = 0.5;
    EXPECT_EQ(gain.GetValueName(0), YString("0.500000"));
    EXPECT_EQ(gain.GetValueNameFrom01(0, 1.0), YString("2.000000"));
    EXPECT_NEAR(gain.ParseValueName(0, "0.5"), std::sqrt(0.25), 1e-15);
    EXPECT_DOUBLE_EQ(gain.ParseValueName(0, "loud"), -1.0);  // not a number
    EXPECT_DOUBLE_EQ(gain.ParseValueName(0, "5"), 1.0);      // limited to the range
    Def(PassThroughEffect::kGain).formatMode = 1;
    Def(PassThroughEffect::kGain).format = "x{0;.1}";
    EXPECT_EQ(gain.GetValueName(0), YString("x0.5"));
}

TEST_F(ParameterModel, WritesNotifyUnlessSilentAndHonourTheAlternateSlot) {
    ParameterFloatT<ParameterBase> gain(&owner, 0, &Def(PassThroughEffect::kGain));
    ParameterFloatT<ParameterBase> fourth(&owner, 4, &Def(PassThroughEffect::kFourth));
    gain.SetValue(0, 1.0, false);
    fourth.SetValue(0, 1.0, false);  // does not mark the settings
    gain.SetValue(0, 0.0, true);     // silent
    EXPECT_EQ(owner.changed, (std::vector<int32_t>{0, 4}));
    EXPECT_EQ(owner.dirty, 1);

    ParameterDefinition& d = Def(PassThroughEffect::kGain);
    d.value = 1.5;
    d.SetAlternate(true);
    EXPECT_DOUBLE_EQ(d.alternateValue, 1.5);  // switching on copies the value
    gain.SetValue(0, 1.0, true);
    EXPECT_DOUBLE_EQ(d.alternateValue, 2.0);
    EXPECT_DOUBLE_EQ(d.value, 1.5);
    EXPECT_DOUBLE_EQ(d.EffectiveValue(), 2.0);
    d.SetAlternate(false);
    EXPECT_DOUBLE_EQ(d.EffectiveValue(), 1.5);
}

TEST_F(ParameterModel, ExternalSwitchLivesInItsObject) {
    ParameterGroupT<ParameterBase> sync(&effect.sync, &owner, 5, &Def(PassThroughEffect::kSync));
    sync.SetValue(0, 0.7, false);
    EXPECT_TRUE(effect.sync);
    effect.sync = false;
    EXPECT_DOUBLE_EQ(sync.GetValue(0), 0.0);
}

}  // namespace
