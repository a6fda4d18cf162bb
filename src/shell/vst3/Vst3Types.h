#pragma once

#include "platform/PlatformAbi.h"

// Basic types of the VST 3 interfaces, as they cross the binary boundary.
//
// VST 3 is a set of COM-style interfaces: pure-virtual classes whose virtual tables
// the host and the plug-in share. On Windows the interfaces are real COM (same IDs,
// same result codes, same string type as the system); on Linux they are the same
// shapes with a few values spelled differently. This file, Vst3Results.h and
// Vst3Uid.h hold every such per-target difference; the interface headers are the
// same for both targets. Records use natural alignment on x86-64 (pointers 8 bytes).

#include <cstdint>

// Calling convention of every interface method: __stdcall on Windows, where x86-64
// has a single convention and the keyword changes nothing (it matters only to 32-bit
// builds, which we do not make). Nothing on Linux.
#define SMTG_STDMETHODCALLTYPE Y_STDCALL

namespace Vst3 {

// Result of most interface methods; see Vst3Results.h for the values.
using tresult = int32_t;

// Boolean as the interfaces pass it: one byte, 0 = false, anything else = true.
using TBool = uint8_t;

// UTF-16 code unit. The same two bytes on both targets; the C++ type follows the
// platform's own wide strings so the text can go straight to system calls
// (wchar_t is 16 bits on Windows only).
using TChar = Platform::WideChar16;
static_assert(sizeof(TChar) == 2);

// A fixed UTF-16 buffer of 128 code units, zero-terminated: names, titles, units.
using String128 = TChar[128];

// A zero-terminated 8-bit identifier (view types, attribute and message IDs). When it
// is used to pass an interface or class ID it points at the 16 raw bytes of a TUID.
using FIDString = const char*;

// Interface and class identifiers: 16 raw bytes (layout in Vst3Uid.h).
using TUID = char[16];

// Parameter identifier: 0 .. 0x7FFFFFFF chosen by the plug-in; kNoParamId = none.
using ParamID = uint32_t;
constexpr ParamID kNoParamId = 0xFFFFFFFF;

// Normalised parameter value, 0.0 .. 1.0.
using ParamValue = double;

// Speaker set of a bus, one bit per speaker (Speakers.h).
using SpeakerArrangement = uint64_t;
using Speaker = uint64_t;

using TSamples = int64_t;       // a time or duration in sample frames
using TQuarterNotes = double;    // a musical position or duration in quarter notes
using SampleRate = double;      // Hz
using Sample32 = float;         // one 32-bit audio sample
using Sample64 = double;        // one 64-bit audio sample

using MediaType = int32_t;      // MediaTypes (IComponent.h)
using BusDirection = int32_t;   // BusDirections (IComponent.h)
using BusType = int32_t;        // BusTypes (IComponent.h)
using IoMode = int32_t;         // IoModes (IComponent.h)
using UnitID = int32_t;         // unit identifier (IUnitInfo.h)
using ProgramListID = int32_t;  // program list identifier (IUnitInfo.h)
using CtrlNumber = int16_t;     // MIDI controller number, 0..127 plus the extras in IMidiMapping.h
using KnobMode = int32_t;       // KnobModes (IEditController.h)

}  // namespace Vst3
