#include "engine/YValueTypes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

std::string Text(const YValueNumber& type, double value) { return type.Text(value).ToUtf8(); }

TEST(YValueTypes, DisplayExamples) {
    YValuePercents percent;
    EXPECT_EQ(Text(percent, 0.005), "0.50%");
    EXPECT_EQ(Text(percent, 0.5), "50.0%");
    EXPECT_EQ(Text(percent, -0.004), "-0.40%");

    YValueVolume volume;
    EXPECT_EQ(Text(volume, 1.0), "0.00 dB");
    EXPECT_EQ(Text(volume, 0.0), "silence");
    EXPECT_EQ(Text(volume, 0.01), "-40.0 dB");
    EXPECT_EQ(Text(volume, 0.49), "-6.20 dB");

    YValueTimeMS time;
    EXPECT_EQ(Text(time, 0.00005), "0.050 ms");
    EXPECT_EQ(Text(time, 0.0005), "0.50 ms");
    EXPECT_EQ(Text(time, 0.005), "5.0 ms");
    EXPECT_EQ(Text(time, 0.25), "250 ms");
    EXPECT_EQ(Text(time, 0.0), "0 ms");
    EXPECT_EQ(Text(time, 0.0125), "13 ms");  // whole milliseconds rounded half up

    YValuePan pan;
    EXPECT_EQ(Text(pan, -0.257), "25% left");
    EXPECT_EQ(Text(pan, 0.0), "center");
    EXPECT_EQ(Text(pan, 0.999), "99% right");

    YValueFrequencyLinear hertz;
    EXPECT_EQ(Text(hertz, 0.5), "0.5000 Hz");
    EXPECT_EQ(Text(hertz, 5.0), "5.00 Hz");
    EXPECT_EQ(Text(hertz, 50.0), "50.0 Hz");
    EXPECT_EQ(Text(hertz, 440.0), "440 Hz");
    EXPECT_EQ(Text(hertz, 12000.0), "12.0 kHz");
    EXPECT_EQ(Text(hertz, 0.0), "0 Hz");
    EXPECT_EQ(Text(hertz, 9999.5), "10000 Hz");

    YValueFrequencyLog logarithm;
    EXPECT_EQ(Text(logarithm, std::log10(400.0)), "400 Hz");
    YValueFrequency range(20.0, 20000.0);
    EXPECT_EQ(range.TextAtPosition(0.0).ToUtf8(), "20.0 Hz");
    EXPECT_EQ(range.TextAtPosition(1.0).ToUtf8(), "20.0 kHz");
    EXPECT_EQ(range.TextAtPosition(0.5).ToUtf8(), "632 Hz");

    YValueStepDouble steps(0.0, 10.0, 0.25);
    EXPECT_EQ(Text(steps, 3.3), "3.25");
    YValuePitch pitch;
    EXPECT_EQ(Text(pitch, 7.0), "+7.00 st");
    static const YString names[] = {"Linear", "Squared"};
    YValueEnum items(names, 2);
    EXPECT_EQ(Text(items, 1.0), "Squared");
    EXPECT_EQ(Text(YValueNumber(), 0.125), "0.12");  // printf keeps an exact half even
}

TEST(YValueTypes, ParseThenFormatRoundTrips) {
    static const YString names[] = {"Straight", "Triplets", "Dotted"};
    std::vector<std::pair<std::unique_ptr<YValueNumber>, std::vector<double>>> cases;
    cases.emplace_back(std::make_unique<YValuePercents>(), std::vector<double>{0.005, 0.5, 1.0, 0.0});
    cases.emplace_back(std::make_unique<YValueVolume>(), std::vector<double>{1.0, 0.0, 0.01, 0.49, 2.0});
    cases.emplace_back(std::make_unique<YValueTimeMS>(), std::vector<double>{0.00005, 0.0005, 0.005, 0.25, 0.0});
    cases.emplace_back(std::make_unique<YValuePan>(), std::vector<double>{-0.25, 0.0, 0.4});
    cases.emplace_back(std::make_unique<YValueFrequencyLinear>(), std::vector<double>{0.5, 5, 50, 440, 12000});
    cases.emplace_back(std::make_unique<YValueFrequencyLog>(), std::vector<double>{std::log10(20.0), std::log10(2000.0)});
    cases.emplace_back(std::make_unique<YValueStepDouble>(0.0, 10.0, 0.25), std::vector<double>{3.25, 0.0});
    cases.emplace_back(std::make_unique<YValuePitch>(-24.0, 24.0), std::vector<double>{-12.0, 7.0});
    cases.emplace_back(std::make_unique<YValueEnum>(names, 3), std::vector<double>{0, 2});
    for (const auto& [type, values] : cases) {
        for (double value : values) {
            YString text = type->Text(value);
            double parsed = -999.0;
            ASSERT_TRUE(type->Parse(text, parsed)) << text.ToUtf8();
            EXPECT_EQ(type->Text(parsed), text) << text.ToUtf8();
        }
    }
    double value = 0.0;
    EXPECT_TRUE(YValueFrequencyLinear().Parse("12k", value));
    EXPECT_DOUBLE_EQ(value, 12000.0);
    EXPECT_TRUE(YValueTimeMS().Parse("2 s", value));
    EXPECT_DOUBLE_EQ(value, 2.0);
    EXPECT_FALSE(YValueVolume().Parse("loud", value));
    EXPECT_FALSE(YValueFrequencyLog().Parse("0 Hz", value));  // no logarithm of zero
}

}  // namespace
