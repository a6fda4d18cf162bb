#include "shell/vst2/YAudioPluginVSTAdapter.h"

#include <gtest/gtest.h>

namespace {

// What the editor gets for a key from the host: a character (only on the way down)
// and a key event with the Windows key code, either of them, both or none.
TEST(VSTKeys, KeysBecomeCharactersAndKeyEvents) {
    const uint32_t shift = YVSTKeyEvents::kShiftModifier;
    const struct {
        int32_t character, virtualKey;
        uint32_t modifiers;
        bool down, sendCharacter;
        char16_t sent;
        bool sendKey;
        int32_t keyCode;
    } cases[] = {
        {'q', 0, 0, true, true, u'q', true, 'Q'},     {'q', 0, 0, false, false, 0, true, 'Q'},
        {'a', 0, shift, true, true, u'A', true, 'A'}, {'7', 0, 0, true, true, u'7', true, '7'},
        {'0', 0, shift, true, true, u')', false, 0},  {'3', 0, shift, true, true, u'#', false, 0},  // punctuation: no key
        {'9', 0, shift, true, true, u'(', false, 0},  {0, 11, 0, true, false, 0, true, 37},        // left arrow
        {0, 1, 0, false, false, 0, true, 8},          {0, 15, 0, true, false, 0, true, 33},        // back, page up
        {0, 19, 0, true, false, 0, true, 13},         {0, 23, 0, true, false, 0, true, 47},        // enter, help
        {0, 7, 0, true, true, u' ', false, 0},                                                     // space: a character only
        {0, 17, 0, true, false, 0, false, 0},         {0, 40, 0, true, false, 0, false, 0},        // unknown keys
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "character " << c.character << " key " << c.virtualKey << (c.down ? " down" : " up"));
        const YVSTKeyEvents events = TranslateVSTKey(c.character, c.virtualKey, c.modifiers, c.down);
        EXPECT_EQ(events.sendCharacter, c.sendCharacter);
        if (c.sendCharacter) { EXPECT_EQ(events.character, c.sent); }
        EXPECT_EQ(events.sendKey, c.sendKey);
        if (!c.sendKey) continue;
        EXPECT_EQ(events.keyType, c.down ? YVSTKeyEvents::kKeyDownEvent : YVSTKeyEvents::kKeyUpEvent);
        EXPECT_EQ(events.keyCode, c.keyCode);
    }
}

}  // namespace
