#include "TestStreams.h"

#include "foundation/YString.h"

#include <cmath>
#include <thread>
#include <vector>

namespace {

TEST(YString, ModifyingACopyLeavesTheOriginal) {
    YString original = YString::FromUtf8("shared text");
    YString copy = original;
    copy.Append(u'!');
    copy.Insert(0, "<");
    EXPECT_EQ(original.ToUtf8(), "shared text");
    EXPECT_EQ(copy.ToUtf8(), "<shared text!");
    // A literal is widened into a private copy on the first change.
    static constexpr char text[] = "hello";
    const YString literal = text;
    YString widened = literal;
    widened.SetAt(0, u'j');
    EXPECT_EQ(widened, YString("jello"));
    EXPECT_EQ(literal, YString("hello"));
    // Inserting a string into itself reads the old characters.
    original.Insert(6, original);
    EXPECT_EQ(original.ToUtf8(), "sharedshared text text");
}

TEST(YString, ConcurrentCopiesStayIndependent) {
    const YString source = YString::FromUtf8("copy-on-write");
    std::vector<std::thread> threads;
    std::vector<std::string> results(8);
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 2000; ++i) {
                YString copy = source;
                YString other = copy;
                copy.Append(static_cast<char16_t>(u'a' + t));
                if (i == 1999) results[t] = copy.ToUtf8();
                EXPECT_EQ(other.Length(), 13u);
            }
        });
    }
    for (auto& thread : threads) thread.join();
    for (int t = 0; t < 8; ++t) EXPECT_EQ(results[t], "copy-on-write" + std::string(1, static_cast<char>('a' + t)));
    EXPECT_EQ(source.ToUtf8(), "copy-on-write");
}

TEST(YString, EditingRules) {
    YString s = YString::FromUtf8("abcdef");
    s.Insert(100, "XY");  // beyond the end: appended
    EXPECT_EQ(s.ToUtf8(), "abcdefXY");
    s.Remove(-1, 3);  // negative position: nothing
    EXPECT_EQ(s.ToUtf8(), "abcdefXY");
    s.Remove(6, 100);  // at most to the end
    EXPECT_EQ(s.ToUtf8(), "abcdef");
    EXPECT_EQ(s.Substring(4, 10).ToUtf8(), "ef");
    EXPECT_EQ(s.Substring(10, 2).ToUtf8(), "");
    YString path = YString::FromUtf8("a/b/c");
    EXPECT_EQ(path.ReplaceChar(u'/', "::"), 2);
    EXPECT_EQ(path.ToUtf8(), "a::b::c");
    EXPECT_EQ(YString("  padded \t").Trimmed(), YString("padded"));
}

TEST(YString, CompareNoCaseFoldsAccentsAndCase) {
    EXPECT_EQ(YString::CompareNoCase(YString(u"\u00C9t\u00E9"), "ETE"), 0);  // Été
    EXPECT_EQ(YString::CompareNoCase("UTF-8", "utf-8"), 0);
    EXPECT_LT(YString::CompareNoCase("abc", "abd"), 0);
    EXPECT_GT(YString::CompareNoCase("abcd", "abc"), 0);
    EXPECT_EQ(YString::CompareNoCase("abcd", "ABCX", 3), 0);
    EXPECT_EQ(FoldCharacter(0x00C5), u'A');
    EXPECT_EQ(FoldCharacter(0x1E9B), 0x017F);
    EXPECT_EQ(FoldCharacter(0x0344), 0x0344);  // left out of the table on purpose
    EXPECT_EQ(FoldCharacter(0xAC01), 0xAC01);  // Hangul syllables are not folded
    EXPECT_EQ(FoldCharacter(0x00C6), 0x00C6);  // Æ has no decomposition
}

TEST(YString, NumbersFromText) {
    uint32_t used = 0;
    EXPECT_EQ(ToInteger("-12ab", 10, &used), -12);
    EXPECT_EQ(used, 3u);
    EXPECT_EQ(ToInteger("ff", 16), 255);
    EXPECT_EQ(ToInteger("+5", 10, &used), 0);  // no "+" is accepted
    EXPECT_EQ(used, 0u);
    EXPECT_EQ(ToInteger(" 5"), 0);  // no blanks are skipped
    EXPECT_DOUBLE_EQ(ToDouble("1.5e3x"), 1500.0);
    EXPECT_DOUBLE_EQ(ToDouble("-0.25"), -0.25);
    EXPECT_DOUBLE_EQ(ToDouble("+2"), 2.0);
    EXPECT_DOUBLE_EQ(ToDouble("abc"), 0.0);
    EXPECT_DOUBLE_EQ(ToDouble("1e999"), HUGE_VAL);
    // What the C runtime's conversion reads beyond plain decimals.
    const std::pair<const char*, double> runtime[] = {{"0x10", 16.0}, {"-0X1p3", -8.0}, {"0xg", 0.0}, {" \t2.5", 2.5},
                                                     {"0x1ep-99999", 0.0}};
    for (const auto& [text, value] : runtime) EXPECT_DOUBLE_EQ(ToDouble(YString::FromLatin1(text)), value) << text;
    EXPECT_TRUE(std::isinf(ToDouble("-Infinity")));
    EXPECT_EQ(HexDigitValue(u'b'), 11);
    ExpectYException([] { HexDigitValue(u'g'); }, "Invalid character to be converted to a number.");
}

TEST(YString, PrintfCutsAt8191Characters) {
    EXPECT_EQ(YString::Printf("%d-%s", 42, "x").ToUtf8(), "42-x");
    EXPECT_EQ(YString::Printf("%s", std::string(9000, 'z').c_str()).Length(), 8191u);
    // Each byte is widened to one unit.
    EXPECT_EQ(YString::Printf("%c", 0xE9)[0], 0xE9);
}

}  // namespace
