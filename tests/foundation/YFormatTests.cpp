#include "TestStreams.h"

#include "foundation/YFormat.h"
#include "foundation/YScan.h"

namespace {

std::string F(YFormat format) { return format.Result().ToUtf8(); }

TEST(YFormat, EscapesAndArgumentOrder) {
    EXPECT_EQ(F(YFormat("{{0}}")), "{0}");
    EXPECT_EQ(F(YFormat("a}}b")), "a}b");
    EXPECT_EQ(F(YFormat("a}xb")), "axb");  // "}" drops itself and keeps the next character
    EXPECT_EQ(F(YFormat("{1}{0}").Arg(YString("A")).Arg(YString("B"))), "BA");
    EXPECT_EQ(F(YFormat("x{1}y{0}z").Arg(YString("first")).Arg(YString("second"))), "xsecondyfirstz");
    EXPECT_EQ(F(YFormat("{2}-{0}-{1}").Arg(1).Arg(2).Arg(3)), "3-1-2");
    // An index named twice keeps only its last place.
    EXPECT_EQ(F(YFormat("[{0}]({0})").Arg(7)), "[](7)");
    // An index is a sign and digits: minus zero is argument 0, minus one has no slot.
    EXPECT_EQ(F(YFormat("<{-0}>{-1}").Arg(5)), "<5>");
}

TEST(YFormat, IntegerOptions) {
    EXPECT_EQ(F(YFormat("{0 5}").Arg(42)), "   42");
    EXPECT_EQ(F(YFormat("{0;05}").Arg(-42)), "-00042");
    EXPECT_EQ(F(YFormat("{0x}").Arg(255)), "FF");
    EXPECT_EQ(F(YFormat("{0;+}").Arg(0)), "0");
    EXPECT_EQ(F(YFormat("{0;+}").Arg(3u)), "+3");
    EXPECT_EQ(F(YFormat("{0;+03}").Arg(7)), "+007");
    EXPECT_EQ(F(YFormat("{0x;02}{1x;02}{2x;02}{3x;02}").Arg(255).Arg(0).Arg(160).Arg(255)), "FF00A0FF");
    EXPECT_EQ(F(YFormat("{0:02}:{1:02}:{2:02}.{3}").Arg(5).Arg(7).Arg(9).Arg(YString("1"))), "05:07:09.1");
    EXPECT_EQ(F(YFormat("{0}").Arg(INT64_MIN)), "-9223372036854775808");
    EXPECT_EQ(F(YFormat("{0}").Arg(UINT64_MAX)), "18446744073709551615");
    EXPECT_EQ(F(YFormat("{0;099}").Arg(1)).size(), 62u);  // widths stop at 62 digits
}

TEST(YFormat, DoubleOptions) {
    EXPECT_EQ(F(YFormat("{0}").Arg(1.5)), "1.5000");
    EXPECT_EQ(F(YFormat("{0;.0}").Arg(1.5)), "2");
    EXPECT_EQ(F(YFormat("{0;.0}").Arg(2.5)), "2");  // printf rounds halves to even
    EXPECT_EQ(F(YFormat("{0;+.02}").Arg(1.5)), "+1.50");
    EXPECT_EQ(F(YFormat("{0;+.02}").Arg(-1.5)), "-1.50");
    EXPECT_EQ(F(YFormat("{0;.12}").Arg(0.1)), "0.1");
    EXPECT_EQ(F(YFormat("{0;.12}").Arg(1234567.891)), "1234567.891");
    EXPECT_EQ(F(YFormat("{0;.10}").Arg(1e-7)), "1e-07");
    EXPECT_EQ(F(YFormat("{0 8.1}").Arg(3.25)), "3.2");  // no width for doubles
    EXPECT_EQ(F(YFormat("{0}{1} ({2.1}%)").Arg(90.0).Arg(YString(u"\u00B0")).Arg(25.0)), "90.0000\xC2\xB0 (25.0%)");
}

TEST(YFormat, UnterminatedFieldRaises) {
    for (const char* pattern : {"abc{0", "{0;+", "{"})
        ExpectYException([&] { YFormat{YString::FromLatin1(pattern)}; }, "Formatting string ends in an argument speci" "fication.");
    EXPECT_THROW(YScan("{1", "1"), YException);
}

TEST(YFormat, Durations) {
    EXPECT_EQ(FormatDuration(59).ToUtf8(), "0 min, 59 sec");
    EXPECT_EQ(FormatDuration(3600).ToUtf8(), "1 hours, 0 min");
    EXPECT_EQ(FormatDuration(90000).ToUtf8(), "1 days, 1 hours");
    EXPECT_EQ(FormatDuration(3 * 86400 + 3599).ToUtf8(), "3 days, 0 hours");
}

// Reads into the targets, which start with the given values, in order.
template <typename T>
std::vector<T> Scan(const YString& pattern, const YString& input, std::vector<T> targets) {
    YScan scan(pattern, input);
    for (T& target : targets) scan.Get(target);
    return targets;
}

TEST(YScan, ReadsArgumentsInOrder) {
    EXPECT_EQ(Scan<int32_t>("{0},{1}", "12,34", {-1, -1}), (std::vector<int32_t>{12, 34}));
    // 12 is read from the whole input "12;34", and the second target is never reached.
    EXPECT_EQ(Scan<int32_t>("{0},{1}", "12;34", {-1, -1}), (std::vector<int32_t>{12, -1}));
    EXPECT_EQ(Scan<int64_t>("{0} x  {1}", "640   x 480", {0, 0}), (std::vector<int64_t>{640, 480}));
    EXPECT_EQ(Scan<int16_t>("#{0x}", "#7fZ", {0}), std::vector<int16_t>{0x7F});
    EXPECT_EQ(Scan<YString>("{0} {1}", "hello world", {"", ""}), (std::vector<YString>{"hello", "world"}));
}

TEST(YScan, UnreadableValueOrLiteralMismatchEndsTheScan) {
    // Nothing readable: 0, and the later targets stay untouched.
    EXPECT_EQ(Scan<int32_t>("{0},{1},{2}", "x,2,3", {5, 5, 5}), (std::vector<int32_t>{0, 5, 5}));
    int8_t small = 1;
    YString text("unchanged");
    YScan("{0}:{1}", "-:word").Get(small).Get(text);
    EXPECT_EQ(small, 0);
    EXPECT_EQ(text, YString("unchanged"));
    // "3+4" is read up to the end, then "-" is missing.
    EXPECT_EQ(Scan<int32_t>("v{0}-{1}", "v3+4", {0, 9}), (std::vector<int32_t>{3, 9}));
    EXPECT_EQ(Scan<int32_t>("size={0}", "SIZE=3", {9}), std::vector<int32_t>{9});  // literals keep their case
}

}  // namespace
