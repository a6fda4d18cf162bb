#include "engine/ParameterConverters.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(ParameterConverters, DegreesShowWholeDegreesAndPerCent) {
    EXPECT_EQ(DegreesText(0.25), YString(u"90\u00B0 (25.0%)"));
    EXPECT_EQ(DegreesText(0.0), YString(u"0\u00B0 (0%)"));
    EXPECT_EQ(DegreesText(-1.0), YString(u"-360\u00B0 (-100.0%)"));
    // Half degrees round up: 22.5 and -22.5.
    EXPECT_EQ(DegreesText(0.0625).Substring(0, 3), YString(u"23\u00B0"));
    EXPECT_EQ(DegreesText(-0.0625).Substring(0, 4), YString(u"-22\u00B0"));

    ParameterDefinition phase = FloatParameter("Phase", "syncphase", 0.0, 1.0, 0.25);
    phase.converter = &kDegreesConverter;
    double cycles = 0.0;
    for (const YString& typed : {YString(u"90\u00B0"), YString(" 90 deg "), YString("90"), YString(u"90\u00B0 (25.0%)")}) {
        ASSERT_TRUE(phase.Parse(typed, cycles)) << typed.ToUtf8();
        EXPECT_DOUBLE_EQ(cycles, 0.25);
    }
    EXPECT_FALSE(phase.Parse("quarter", cycles));
}

TEST(ParameterConverters, HertzOfLogarithmicFrequencies) {
    ParameterDefinition rate = FloatParameter("Rate", "rate", std::log10(0.01), std::log10(20.0), std::log10(2.0));
    rate.converter = &kHertzConverter;
    EXPECT_EQ(rate.TextOf(std::log10(2.0)), YString("2.00 Hz"));
    double value = 0.0;
    ASSERT_TRUE(rate.Parse("1.5 kHz", value));
    EXPECT_DOUBLE_EQ(value, std::log10(1500.0));
    EXPECT_FALSE(rate.Parse("0 Hz", value));  // no logarithm
}

}  // namespace
