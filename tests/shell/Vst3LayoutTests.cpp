// The VST 3 records must match the published x86-64 layout (the same on Linux and
// Windows): hosts fill and read them at fixed offsets.

#include "shell/vst3/IAudioProcessor.h"
#include "shell/vst3/IComponent.h"
#include "shell/vst3/IEditController.h"
#include "shell/vst3/IEventList.h"
#include "shell/vst3/IPlugView.h"
#include "shell/vst3/IPluginFactory.h"
#include "shell/vst3/IUnitInfo.h"
#include "shell/vst3/ProcessContext.h"
#include "shell/vst3/Speakers.h"

#include <cstddef>

namespace {

// One assertion per record: its size, then each field at its offset.
#define AT(type, field, offset) (offsetof(type, field) == (offset))

using namespace Vst3;

// Factory records
static_assert(sizeof(PFactoryInfo) == 452 && AT(PFactoryInfo, url, 64) && AT(PFactoryInfo, email, 320) &&
              AT(PFactoryInfo, flags, 448));
static_assert(sizeof(PClassInfo) == 116 && AT(PClassInfo, cardinality, 16) && AT(PClassInfo, category, 20) &&
              AT(PClassInfo, name, 52));
static_assert(sizeof(PClassInfo2) == 440 && AT(PClassInfo2, classFlags, 116) && AT(PClassInfo2, subCategories, 120) &&
              AT(PClassInfo2, vendor, 248) && AT(PClassInfo2, version, 312) && AT(PClassInfo2, sdkVersion, 376));
static_assert(sizeof(PClassInfoW) == 696 && AT(PClassInfoW, name, 52) && AT(PClassInfoW, classFlags, 180) &&
              AT(PClassInfoW, subCategories, 184) && AT(PClassInfoW, vendor, 312) && AT(PClassInfoW, version, 440) &&
              AT(PClassInfoW, sdkVersion, 568) && alignof(PClassInfoW) == 4);

// Component records
static_assert(sizeof(BusInfo) == 276 && AT(BusInfo, channelCount, 8) && AT(BusInfo, name, 12) &&
              AT(BusInfo, busType, 268) && AT(BusInfo, flags, 272));
static_assert(sizeof(RoutingInfo) == 12);

// Processing records
static_assert(sizeof(ProcessSetup) == 24 && AT(ProcessSetup, maxSamplesPerBlock, 8) &&
              AT(ProcessSetup, sampleRate, 16));
static_assert(sizeof(AudioBusBuffers) == 24 && AT(AudioBusBuffers, silenceFlags, 8) &&
              AT(AudioBusBuffers, channelBuffers32, 16) && AT(AudioBusBuffers, channelBuffers64, 16));
static_assert(sizeof(ProcessData) == 80 && AT(ProcessData, numOutputs, 16) && AT(ProcessData, inputs, 24) &&
              AT(ProcessData, outputs, 32) && AT(ProcessData, inputParameterChanges, 40) &&
              AT(ProcessData, outputParameterChanges, 48) && AT(ProcessData, inputEvents, 56) &&
              AT(ProcessData, outputEvents, 64) && AT(ProcessData, processContext, 72));

// Process context
static_assert(sizeof(FrameRate) == 8 && sizeof(Chord) == 4);
static_assert(sizeof(ProcessContext) == 112 && AT(ProcessContext, sampleRate, 8) &&
              AT(ProcessContext, projectTimeSamples, 16) && AT(ProcessContext, systemTime, 24) &&
              AT(ProcessContext, continousTimeSamples, 32) && AT(ProcessContext, projectTimeMusic, 40) &&
              AT(ProcessContext, barPositionMusic, 48) && AT(ProcessContext, cycleStartMusic, 56) &&
              AT(ProcessContext, cycleEndMusic, 64) && AT(ProcessContext, tempo, 72) &&
              AT(ProcessContext, timeSigNumerator, 80) && AT(ProcessContext, timeSigDenominator, 84) &&
              AT(ProcessContext, chord, 88) && AT(ProcessContext, smpteOffsetSubframes, 92) &&
              AT(ProcessContext, frameRate, 96) && AT(ProcessContext, samplesToNextClock, 104));

// Events: a 24-byte head (with padding before the union) and a 24-byte union.
static_assert(sizeof(Event) == 48 && alignof(Event) == 8 && AT(Event, ppqPosition, 8) && AT(Event, flags, 16) &&
              AT(Event, type, 18) && AT(Event, noteOn, 24) && AT(Event, data, 24));
static_assert(sizeof(NoteOnEvent) == 20 && AT(NoteOnEvent, velocity, 8) && AT(NoteOnEvent, noteId, 16));
static_assert(sizeof(NoteOffEvent) == 16 && AT(NoteOffEvent, noteId, 8));
static_assert(sizeof(DataEvent) == 16 && AT(DataEvent, bytes, 8));

// Controller records
static_assert(sizeof(ParameterInfo) == 792 && AT(ParameterInfo, title, 4) && AT(ParameterInfo, shortTitle, 260) &&
              AT(ParameterInfo, units, 516) && AT(ParameterInfo, stepCount, 772) &&
              AT(ParameterInfo, defaultNormalizedValue, 776) && AT(ParameterInfo, unitId, 784) &&
              AT(ParameterInfo, flags, 788));
static_assert(sizeof(UnitInfo) == 268 && AT(UnitInfo, name, 8) && AT(UnitInfo, programListId, 264));
static_assert(sizeof(ProgramListInfo) == 264 && AT(ProgramListInfo, programCount, 260));
static_assert(sizeof(ViewRect) == 16 && AT(ViewRect, right, 8) && sizeof(String128) == 256);

// Interfaces carry nothing but their virtual table pointer.
static_assert(sizeof(FUnknown) == sizeof(void*) && sizeof(IComponent) == sizeof(void*) &&
              sizeof(IPluginFactory3) == sizeof(void*));

// The speaker sets hosts send: one bit per speaker.
static_assert(ChannelCount(SpeakerArr::kEmpty) == 0 && ChannelCount(SpeakerArr::kMono) == 1 &&
              ChannelCount(SpeakerArr::kStereo) == 2 && ChannelCount(SpeakerArr::k51) == 6 &&
              ChannelCount(SpeakerArr::k71Cine) == 8 && ChannelCount(SpeakerArr::k80Music) == 8 &&
              ChannelCount(~SpeakerArrangement{0}) == 64);

}  // namespace
