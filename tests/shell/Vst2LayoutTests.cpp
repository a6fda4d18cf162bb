// The VST 2.4 records must match the published binary layout byte for byte: a host
// built with the original headers reads our AEffect and events at fixed offsets.
// The numbers below are the x86-64 layout (the same on Linux and Windows).

#include "shell/vst2/AEffect.h"
#include "shell/vst2/VstEditor.h"
#include "shell/vst2/VstEvents.h"
#include "shell/vst2/VstOpcodes.h"
#include "shell/vst2/VstPins.h"
#include "shell/vst2/VstTimeInfo.h"

#include <gtest/gtest.h>

#include <cstddef>

namespace {

// One assertion per record: its size, then each field at its offset.
#define AT(type, field, offset) (offsetof(type, field) == (offset))

using namespace Vst2;

// AEffect
static_assert(sizeof(AEffect) == 192 && AT(AEffect, magic, 0) && AT(AEffect, dispatcher, 8) &&
              AT(AEffect, process, 16) && AT(AEffect, setParameter, 24) && AT(AEffect, getParameter, 32) &&
              AT(AEffect, numPrograms, 40) && AT(AEffect, numParams, 44) && AT(AEffect, numInputs, 48) &&
              AT(AEffect, numOutputs, 52) && AT(AEffect, flags, 56) && AT(AEffect, resvd1, 64) &&
              AT(AEffect, resvd2, 72) && AT(AEffect, initialDelay, 80) && AT(AEffect, realQualities, 84) &&
              AT(AEffect, offQualities, 88) && AT(AEffect, ioRatio, 92) && AT(AEffect, object, 96) &&
              AT(AEffect, user, 104) && AT(AEffect, uniqueID, 112) && AT(AEffect, version, 116) &&
              AT(AEffect, processReplacing, 120) && AT(AEffect, processDoubleReplacing, 128) &&
              AT(AEffect, future, 136));

// Events
static_assert(sizeof(VstEvent) == 32 && AT(VstEvent, deltaFrames, 8) && AT(VstEvent, data, 16));
static_assert(sizeof(VstEvents) == 32 && AT(VstEvents, reserved, 8) && AT(VstEvents, events, 16));
static_assert(sizeof(VstMidiEvent) == 32 && AT(VstMidiEvent, deltaFrames, 8) && AT(VstMidiEvent, flags, 12) &&
              AT(VstMidiEvent, noteLength, 16) && AT(VstMidiEvent, noteOffset, 20) && AT(VstMidiEvent, midiData, 24) &&
              AT(VstMidiEvent, detune, 28) && AT(VstMidiEvent, noteOffVelocity, 29) && AT(VstMidiEvent, reserved2, 31));
static_assert(sizeof(VstMidiSysexEvent) == 48 && AT(VstMidiSysexEvent, dumpBytes, 16) &&
              AT(VstMidiSysexEvent, resvd1, 24) && AT(VstMidiSysexEvent, sysexDump, 32));

// Time info
static_assert(sizeof(VstTimeInfo) == 88 && AT(VstTimeInfo, ppqPos, 24) && AT(VstTimeInfo, tempo, 32) &&
              AT(VstTimeInfo, barStartPos, 40) && AT(VstTimeInfo, cycleStartPos, 48) &&
              AT(VstTimeInfo, cycleEndPos, 56) && AT(VstTimeInfo, timeSigNumerator, 64) &&
              AT(VstTimeInfo, timeSigDenominator, 68) && AT(VstTimeInfo, samplesToNextClock, 80) &&
              AT(VstTimeInfo, flags, 84));

// Pins and speakers
static_assert(sizeof(VstPinProperties) == 128 && AT(VstPinProperties, flags, 64) &&
              AT(VstPinProperties, arrangementType, 68) && AT(VstPinProperties, shortLabel, 72) &&
              AT(VstPinProperties, future, 80));
static_assert(sizeof(VstSpeakerProperties) == 112 && AT(VstSpeakerProperties, name, 16) &&
              AT(VstSpeakerProperties, type, 80));
static_assert(sizeof(VstSpeakerArrangement) == 8 + 8 * 112 && AT(VstSpeakerArrangement, speakers, 8));

// Editor
static_assert(sizeof(ERect) == 8 && AT(ERect, top, 0) && AT(ERect, left, 2) && AT(ERect, bottom, 4) &&
              AT(ERect, right, 6));
static_assert(sizeof(VstKeyCode) == 8 && AT(VstKeyCode, virt, 4) && AT(VstKeyCode, modifier, 5));

// The magic and the unique ID as they lie in memory ("PtsV", "5eAY") are checked on
// the built binaries in tests/host.
TEST(Vst2FourCC, HighBitCharactersDoNotSignExtend) {
    EXPECT_EQ(static_cast<uint32_t>(FourCC('\xFF', 'a', '\x80', 'b')), 0xFF618062u);
}

}  // namespace
