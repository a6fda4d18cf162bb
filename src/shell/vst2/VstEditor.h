#pragma once

// What a VST 2.4 host and a plug-in editor exchange besides the parent window:
// the editor's rectangle (effEditGetRect) and keyboard events the host forwards
// (effEditKeyDown / effEditKeyUp). UI thread.

#include "shell/vst2/VstTypes.h"

namespace Vst2 {

// An editor rectangle in pixels. Note the order: top, left, bottom, right. For
// effEditGetRect the plug-in hands out a pointer to its own ERect, which the host
// reads at once (it must stay valid until the next call).
struct ERect {
    VstInt16 top;     // pixels, normally 0
    VstInt16 left;    // pixels, normally 0
    VstInt16 bottom;  // pixels: top + height
    VstInt16 right;   // pixels: left + width
};

// A key event as the host describes it. effEditKeyDown and effEditKeyUp carry the
// same three values spread over index (character), value (virt) and opt (modifier).
struct VstKeyCode {
    VstInt32 character;  // ASCII character, or 0 when virt names the key
    unsigned char virt;  // VstVirtualKey, or 0 for a character key
    unsigned char modifier;  // VstModifierKey bits
};

// VstKeyCode::virt: keys without a character.
enum VstVirtualKey : unsigned char {
    VKEY_BACK = 1,
    VKEY_TAB = 2,
    VKEY_CLEAR = 3,
    VKEY_RETURN = 4,
    VKEY_PAUSE = 5,
    VKEY_ESCAPE = 6,
    VKEY_SPACE = 7,
    VKEY_NEXT = 8,
    VKEY_END = 9,
    VKEY_HOME = 10,
    VKEY_LEFT = 11,
    VKEY_UP = 12,
    VKEY_RIGHT = 13,
    VKEY_DOWN = 14,
    VKEY_PAGEUP = 15,
    VKEY_PAGEDOWN = 16,
    VKEY_SELECT = 17,
    VKEY_PRINT = 18,
    VKEY_ENTER = 19,
    VKEY_SNAPSHOT = 20,
    VKEY_INSERT = 21,
    VKEY_DELETE = 22,
    VKEY_HELP = 23,
    VKEY_NUMPAD0 = 24,  // ... VKEY_NUMPAD9 = 33
    VKEY_NUMPAD9 = 33,
    VKEY_MULTIPLY = 34,
    VKEY_ADD = 35,
    VKEY_SEPARATOR = 36,
    VKEY_SUBTRACT = 37,
    VKEY_DECIMAL = 38,
    VKEY_DIVIDE = 39,
    VKEY_F1 = 40,  // ... VKEY_F12 = 51
    VKEY_F12 = 51,
    VKEY_NUMLOCK = 52,
    VKEY_SCROLL = 53,
    VKEY_SHIFT = 54,
    VKEY_CONTROL = 55,
    VKEY_ALT = 56,
    VKEY_EQUALS = 57,
};

// VstKeyCode::modifier bits.
enum VstModifierKey : unsigned char {
    MODIFIER_SHIFT = 1 << 0,
    MODIFIER_ALTERNATE = 1 << 1,  // Alt (Windows, Linux), Option (Mac)
    MODIFIER_COMMAND = 1 << 2,    // the Control key on a Mac; unused elsewhere
    MODIFIER_CONTROL = 1 << 3,    // Ctrl (Windows, Linux), the Apple key on a Mac
};

}  // namespace Vst2
