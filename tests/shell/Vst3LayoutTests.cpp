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

#include <gtest/gtest.h>

#include <cstddef>

namespace {

using namespace Vst3;

// Factory records
static_assert(sizeof(PFactoryInfo) == 452);
static_assert(offsetof(PFactoryInfo, url) == 64);
static_assert(offsetof(PFactoryInfo, email) == 320);
static_assert(offsetof(PFactoryInfo, flags) == 448);
static_assert(sizeof(PClassInfo) == 116);
static_assert(offsetof(PClassInfo, cardinality) == 16);
static_assert(offsetof(PClassInfo, category) == 20);
static_assert(offsetof(PClassInfo, name) == 52);
static_assert(sizeof(PClassInfo2) == 440);
static_assert(offsetof(PClassInfo2, classFlags) == 116);
static_assert(offsetof(PClassInfo2, subCategories) == 120);
static_assert(offsetof(PClassInfo2, vendor) == 248);
static_assert(offsetof(PClassInfo2, version) == 312);
static_assert(offsetof(PClassInfo2, sdkVersion) == 376);
static_assert(sizeof(PClassInfoW) == 696);
static_assert(offsetof(PClassInfoW, name) == 52);
static_assert(offsetof(PClassInfoW, classFlags) == 180);
static_assert(offsetof(PClassInfoW, subCategories) == 184);
static_assert(offsetof(PClassInfoW, vendor) == 312);
static_assert(offsetof(PClassInfoW, version) == 440);
static_assert(offsetof(PClassInfoW, sdkVersion) == 568);
static_assert(alignof(PClassInfoW) == 4);

// Component records
static_assert(sizeof(BusInfo) == 276);
static_assert(offsetof(BusInfo, channelCount) == 8);
static_assert(offsetof(BusInfo, name) == 12);
static_assert(offsetof(BusInfo, busType) == 268);
static_assert(offsetof(BusInfo, flags) == 272);
static_assert(sizeof(RoutingInfo) == 12);

// Processing records
static_assert(sizeof(ProcessSetup) == 24);
static_assert(offsetof(ProcessSetup, maxSamplesPerBlock) == 8);
static_assert(offsetof(ProcessSetup, sampleRate) == 16);
static_assert(sizeof(AudioBusBuffers) == 24);
static_assert(offsetof(AudioBusBuffers, silenceFlags) == 8);
static_assert(offsetof(AudioBusBuffers, channelBuffers32) == 16);
static_assert(offsetof(AudioBusBuffers, channelBuffers64) == 16);
static_assert(sizeof(ProcessData) == 80);
static_assert(offsetof(ProcessData, numOutputs) == 16);
static_assert(offsetof(ProcessData, inputs) == 24);
static_assert(offsetof(ProcessData, outputs) == 32);
static_assert(offsetof(ProcessData, inputParameterChanges) == 40);
static_assert(offsetof(ProcessData, outputParameterChanges) == 48);
static_assert(offsetof(ProcessData, inputEvents) == 56);
static_assert(offsetof(ProcessData, outputEvents) == 64);
static_assert(offsetof(ProcessData, processContext) == 72);

// Process context
static_assert(sizeof(FrameRate) == 8);
static_assert(sizeof(Chord) == 4);
static_assert(sizeof(ProcessContext) == 112);
static_assert(offsetof(ProcessContext, sampleRate) == 8);
static_assert(offsetof(ProcessContext, projectTimeSamples) == 16);
static_assert(offsetof(ProcessContext, systemTime) == 24);
static_assert(offsetof(ProcessContext, continousTimeSamples) == 32);
static_assert(offsetof(ProcessContext, projectTimeMusic) == 40);
static_assert(offsetof(ProcessContext, barPositionMusic) == 48);
static_assert(offsetof(ProcessContext, cycleStartMusic) == 56);
static_assert(offsetof(ProcessContext, cycleEndMusic) == 64);
static_assert(offsetof(ProcessContext, tempo) == 72);
static_assert(offsetof(ProcessContext, timeSigNumerator) == 80);
static_assert(offsetof(ProcessContext, timeSigDenominator) == 84);
static_assert(offsetof(ProcessContext, chord) == 88);
static_assert(offsetof(ProcessContext, smpteOffsetSubframes) == 92);
static_assert(offsetof(ProcessContext, frameRate) == 96);
static_assert(offsetof(ProcessContext, samplesToNextClock) == 104);

// Events: a 24-byte head (with padding before the union) and a 24-byte union.
static_assert(sizeof(NoteOnEvent) == 20);
static_assert(sizeof(NoteOffEvent) == 16);
static_assert(sizeof(DataEvent) == 16);
static_assert(sizeof(Event) == 48);
static_assert(alignof(Event) == 8);
static_assert(offsetof(Event, ppqPosition) == 8);
static_assert(offsetof(Event, flags) == 16);
static_assert(offsetof(Event, type) == 18);
static_assert(offsetof(Event, noteOn) == 24);
static_assert(offsetof(Event, data) == 24);
static_assert(offsetof(NoteOnEvent, velocity) == 8);
static_assert(offsetof(NoteOnEvent, noteId) == 16);
static_assert(offsetof(NoteOffEvent, noteId) == 8);
static_assert(offsetof(DataEvent, bytes) == 8);

// Controller records
static_assert(sizeof(ParameterInfo) == 792);
static_assert(offsetof(ParameterInfo, title) == 4);
static_assert(offsetof(ParameterInfo, shortTitle) == 260);
static_assert(offsetof(ParameterInfo, units) == 516);
static_assert(offsetof(ParameterInfo, stepCount) == 772);
static_assert(offsetof(ParameterInfo, defaultNormalizedValue) == 776);
static_assert(offsetof(ParameterInfo, unitId) == 784);
static_assert(offsetof(ParameterInfo, flags) == 788);
static_assert(sizeof(UnitInfo) == 268);
static_assert(offsetof(UnitInfo, name) == 8);
static_assert(offsetof(UnitInfo, programListId) == 264);
static_assert(sizeof(ProgramListInfo) == 264);
static_assert(offsetof(ProgramListInfo, programCount) == 260);
static_assert(sizeof(ViewRect) == 16);
static_assert(sizeof(String128) == 256);
static_assert(offsetof(ViewRect, right) == 8);

// Interfaces carry nothing but their virtual table pointer.
static_assert(sizeof(FUnknown) == sizeof(void*));
static_assert(sizeof(IComponent) == sizeof(void*));
static_assert(sizeof(IPluginFactory3) == sizeof(void*));

TEST(Vst3Speakers, ChannelCountIsTheNumberOfSpeakers) {
    EXPECT_EQ(ChannelCount(SpeakerArr::kEmpty), 0);
    EXPECT_EQ(ChannelCount(SpeakerArr::kMono), 1);
    EXPECT_EQ(ChannelCount(SpeakerArr::kStereo), 2);
    EXPECT_EQ(ChannelCount(SpeakerArr::k51), 6);
    EXPECT_EQ(ChannelCount(SpeakerArr::k71Cine), 8);
    EXPECT_EQ(ChannelCount(SpeakerArr::k80Music), 8);
    EXPECT_EQ(ChannelCount(~SpeakerArrangement{0}), 64);
}

}  // namespace
