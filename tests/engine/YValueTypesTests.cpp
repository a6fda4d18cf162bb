#include "engine/YValueTypes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

const YString kSyncNames[] = {"Straight", "Triplets", "Dotted"};

class YValueTypes : public ::testing::Test {
protected:
    const YValuePercents percent;
    const YValueVolume volume;
    const YValueTimeMS time;
    const YValuePan pan;
    const YValueFrequencyLinear hertz;
    const YValueFrequencyLog logarithm;
    const YValueStepDouble steps{0.0, 10.0, 0.25};
    const YValuePitch pitch{-24.0, 24.0};
    const YValueEnum items{kSyncNames, 3};
};

TEST_F(YValueTypes, DisplayExamples) {
    const YValueNumber plain;
    const struct {
        const YValueNumber& type;
        double value;
        const char* text;
    } examples[] = {
        {percent, 0.005, "0.50%"}, {percent, 0.5, "50.0%"}, {percent, -0.004, "-0.40%"},
        {volume, 1.0, "0.00 dB"}, {volume, 0.0, "silence"}, {volume, 0.01, "-40.0 dB"}, {volume, 0.49, "-6.20 dB"},
        {time, 0.00005, "0.050 ms"}, {time, 0.0005, "0.50 ms"}, {time, 0.005, "5.0 ms"}, {time, 0.25, "250 ms"},
        {time, 0.0, "0 ms"}, {time, 0.0125, "13 ms"},  // whole milliseconds rounded half up
        {pan, -0.257, "25% left"}, {pan, 0.0, "center"}, {pan, 0.999, "99% right"},
        {hertz, 0.5, "0.5000 Hz"}, {hertz, 5.0, "5.00 Hz"}, {hertz, 50.0, "50.0 Hz"}, {hertz, 440.0, "440 Hz"},
        {hertz, 12000.0, "12.0 kHz"}, {hertz, 0.0, "0 Hz"}, {hertz, 9999.5, "10000 Hz"},
        {logarithm, std::log10(400.0), "400 Hz"}, {steps, 3.3, "3.25"}, {pitch, 7.0, "+7.00 st"},
        {items, 1.0, "Triplets"}, {plain, 0.125, "0.12"},  // printf keeps an exact half even
    };
    for (const auto& e : examples) EXPECT_EQ(e.type.Text(e.value).ToUtf8(), e.text) << e.value;

    YValueFrequency range(20.0, 20000.0);
    EXPECT_EQ(range.TextAtPosition(0.0).ToUtf8(), "20.0 Hz");
    EXPECT_EQ(range.TextAtPosition(1.0).ToUtf8(), "20.0 kHz");
    EXPECT_EQ(range.TextAtPosition(0.5).ToUtf8(), "632 Hz");
}

TEST_F(YValueTypes, ParseThenFormatRoundTrips) {
    const std::pair<const YValueNumber*, std::vector<double>> cases[] = {
        {&percent, {0.005, 0.5, 1.0, 0.0}}, {&volume, {1.0, 0.0, 0.01, 0.49, 2.0}},
        {&time, {0.00005, 0.0005, 0.005, 0.25, 0.0}}, {&pan, {-0.25, 0.0, 0.4}}, {&hertz, {0.5, 5, 50, 440, 12000}},
        {&logarithm, {std::log10(20.0), std::log10(2000.0)}}, {&steps, {3.25, 0.0}}, {&pitch, {-12.0, 7.0}},
        {&items, {0, 2}},
    };
    for (const auto& [type, values] : cases) {
        for (double value : values) {
            const YString text = type->Text(value);
            double parsed = -999.0;
            ASSERT_TRUE(type->Parse(text, parsed)) << text.ToUtf8();
            EXPECT_EQ(type->Text(parsed), text) << text.ToUtf8();
        }
    }
    double value = 0.0;
    EXPECT_TRUE(hertz.Parse("12k", value));
    EXPECT_DOUBLE_EQ(value, 12000.0);
    EXPECT_TRUE(time.Parse("2 s", value));
    EXPECT_DOUBLE_EQ(value, 2.0);
    EXPECT_FALSE(volume.Parse("loud", value));
    EXPECT_FALSE(logarithm.Parse("0 Hz", value));  // no logarithm of zero
}

}  // namespace
