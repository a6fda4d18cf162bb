#pragma once

#include "platform/PlatformAbi.h"

// Basic types of the VST 2.4 host interface. VST 2.4 is a plain C interface: a
// record of function pointers (AEffect.h) plus one callback into the host, all
// talking through 32-bit ints, pointer-sized ints and fixed-size 8-bit strings.
// These declarations are our own; they follow the published binary layout for
// x86-64 Linux and Windows (natural alignment, 8-byte pointers).

#include <cstdint>

namespace Vst2 {

using VstInt16 = int16_t;
using VstInt32 = int32_t;
using VstInt64 = int64_t;
// Pointer-sized signed integer: the dispatcher's value argument and return value.
// 64 bits on both of our targets (on Windows "long" would be 32 bits: never use it).
using VstIntPtr = intptr_t;

static_assert(sizeof(VstIntPtr) == 8, "the declarations assume a 64-bit target");

// Four characters packed the way the interface writes them ('VstP', 'YAe5'): the
// first character is the most significant byte, so on a little-endian machine the
// bytes in memory read backwards ("PtsV", "5eAY").
constexpr VstInt32 FourCC(char a, char b, char c, char d) {
    return static_cast<VstInt32>((static_cast<uint32_t>(static_cast<uint8_t>(a)) << 24) |
                                 (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 16) |
                                 (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 8) |
                                 static_cast<uint32_t>(static_cast<uint8_t>(d)));
}

// The interface version a plug-in or host reports (effGetVstVersion, audioMasterVersion).
constexpr VstInt32 kVstVersion = 2400;

// Buffer sizes for the strings exchanged through the dispatcher, in characters
// without the terminating zero. The receiving side allocates; hosts do not check
// what the plug-in writes, and many hand out larger buffers than these (a plug-in
// that writes up to 24 characters of a parameter name relies on that).
constexpr int kVstMaxProgNameLen = 24;     // effGetProgramName, effSetProgramName, effGetProgramNameIndexed
constexpr int kVstMaxParamStrLen = 8;      // effGetParamLabel, effGetParamDisplay, effGetParamName
constexpr int kVstMaxVendorStrLen = 64;    // effGetVendorString, audioMasterGetVendorString
constexpr int kVstMaxProductStrLen = 64;   // effGetProductString, audioMasterGetProductString
constexpr int kVstMaxEffectNameLen = 32;   // effGetEffectName
constexpr int kVstMaxNameLen = 64;         // names in general
constexpr int kVstMaxLabelLen = 64;        // VstPinProperties::label
constexpr int kVstMaxShortLabelLen = 8;    // VstPinProperties::shortLabel
constexpr int kVstMaxCategLabelLen = 24;   // parameter category labels
constexpr int kVstMaxFileNameLen = 100;    // file names

}  // namespace Vst2

// Calling convention of every function crossing the interface: __cdecl on Windows.
// On x86-64 Windows there is only one convention and the keyword changes nothing; it
// is kept so the declarations say what the interface says. Nothing on Linux.
#define VSTCALLBACK Y_CDECL
