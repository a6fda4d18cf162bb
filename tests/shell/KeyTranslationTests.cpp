#include "shell/vst2/YAudioPluginVSTAdapter.h"

#include <gtest/gtest.h>

namespace {

TEST(VSTKeys, VirtualKeysMapToWindowsKeyCodes) {
    const std::pair<int, int> table[] = {{1, 8},   {2, 9},   {4, 13},  {6, 27},  {7, 32},  {8, 34},  {9, 35},
                                         {10, 36}, {11, 37}, {12, 38}, {13, 39}, {14, 40}, {15, 33}, {16, 34},
                                         {18, 42}, {19, 13}, {21, 45}, {22, 46}, {23, 47}};
    for (auto [virtualKey, windowsKey] : table) EXPECT_EQ(VSTVirtualKeyToWindowsKey(virtualKey), windowsKey) << virtualKey;
    for (int unmapped : {0, 3, 5, 17, 20, 24, 40, 57, 255}) EXPECT_EQ(VSTVirtualKeyToWindowsKey(unmapped), 0) << unmapped;
}

TEST(VSTKeys, ALetterGivesACharacterAndItsKey) {
    YVSTKeyEvents down = TranslateVSTKey('q', 0, 0, true);
    EXPECT_TRUE(down.sendCharacter);
    EXPECT_EQ(down.character, u'q');
    EXPECT_TRUE(down.sendKey);
    EXPECT_EQ(down.keyType, YVSTKeyEvents::kKeyDownEvent);
    EXPECT_EQ(down.keyCode, 'Q');

    YVSTKeyEvents up = TranslateVSTKey('q', 0, 0, false);
    EXPECT_FALSE(up.sendCharacter);  // characters only on the way down
    EXPECT_EQ(up.keyType, YVSTKeyEvents::kKeyUpEvent);
    EXPECT_EQ(up.keyCode, 'Q');
}

TEST(VSTKeys, ShiftRaisesLettersAndDigits) {
    const uint32_t shift = YVSTKeyEvents::kShiftModifier;
    EXPECT_EQ(TranslateVSTKey('a', 0, shift, true).character, u'A');
    const char16_t shifted[] = u")!@#$%^&*(";
    for (int digit = 0; digit < 10; ++digit) {
        YVSTKeyEvents events = TranslateVSTKey('0' + digit, 0, shift, true);
        EXPECT_EQ(events.character, shifted[digit]) << digit;
        EXPECT_FALSE(events.sendKey) << digit;  // a punctuation character has no key event
    }
    // Without Shift a digit is its own key.
    YVSTKeyEvents plain = TranslateVSTKey('7', 0, 0, true);
    EXPECT_EQ(plain.character, u'7');
    EXPECT_EQ(plain.keyCode, '7');
}

TEST(VSTKeys, AVirtualKeyWithoutCharacterGivesOnlyTheKeyEvent) {
    YVSTKeyEvents left = TranslateVSTKey(0, 11, 0, true);
    EXPECT_FALSE(left.sendCharacter);
    EXPECT_TRUE(left.sendKey);
    EXPECT_EQ(left.keyCode, 37);
    // The space bar types a space and has no key event of its own.
    YVSTKeyEvents space = TranslateVSTKey(0, 7, 0, true);
    EXPECT_TRUE(space.sendCharacter);
    EXPECT_EQ(space.character, u' ');
    EXPECT_FALSE(space.sendKey);
    // Keys the editor does not know send nothing.
    YVSTKeyEvents unknown = TranslateVSTKey(0, 40, 0, true);
    EXPECT_FALSE(unknown.sendCharacter);
    EXPECT_FALSE(unknown.sendKey);
}

}  // namespace
