#pragma once

// How a VST 2.4 plug-in describes its audio channels ("pins") and how host and
// plug-in agree on speaker layouts. effGetInputProperties / effGetOutputProperties
// ask for one channel's VstPinProperties; effSetSpeakerArrangement proposes a layout
// for all inputs and all outputs at once. UI thread, while the plug-in is suspended
// for arrangements.

#include "shell/vst2/VstTypes.h"

namespace Vst2 {

// VstPinProperties::flags.
enum VstPinPropertiesFlags : VstInt32 {
    kVstPinIsActive = 1 << 0,    // the channel is in use
    kVstPinIsStereo = 1 << 1,    // first channel of a stereo pair (the next pin is its partner)
    kVstPinUseSpeaker = 1 << 2,  // arrangementType is meaningful
};

// Speaker layouts (VstPinProperties::arrangementType, VstSpeakerArrangement::type).
enum VstSpeakerArrangementType : VstInt32 {
    kSpeakerArrUserDefined = -2,  // speakers[] says it all
    kSpeakerArrEmpty = -1,        // no channels
    kSpeakerArrMono = 0,          // M
    kSpeakerArrStereo = 1,        // L R
    kSpeakerArrStereoSurround = 2,  // Ls Rs
    kSpeakerArrStereoCenter = 3,  // Lc Rc
    kSpeakerArrStereoSide = 4,    // Sl Sr
    kSpeakerArrStereoCLfe = 5,    // C Lfe
    kSpeakerArr30Cine = 6,        // L R C
    kSpeakerArr30Music = 7,       // L R S
    kSpeakerArr31Cine = 8,        // L R C Lfe
    kSpeakerArr31Music = 9,       // L R Lfe S
    kSpeakerArr40Cine = 10,       // L R C S
    kSpeakerArr40Music = 11,      // L R Ls Rs
    kSpeakerArr41Cine = 12,       // L R C Lfe S
    kSpeakerArr41Music = 13,      // L R Lfe Ls Rs
    kSpeakerArr50 = 14,           // L R C Ls Rs
    kSpeakerArr51 = 15,           // L R C Lfe Ls Rs
    kSpeakerArr60Cine = 16,       // L R C Ls Rs Cs
    kSpeakerArr60Music = 17,      // L R Ls Rs Sl Sr
    kSpeakerArr61Cine = 18,       // L R C Lfe Ls Rs Cs
    kSpeakerArr61Music = 19,      // L R Lfe Ls Rs Sl Sr
    kSpeakerArr70Cine = 20,       // L R C Ls Rs Lc Rc
    kSpeakerArr70Music = 21,      // L R C Ls Rs Sl Sr
    kSpeakerArr71Cine = 22,       // L R C Lfe Ls Rs Lc Rc
    kSpeakerArr71Music = 23,      // L R C Lfe Ls Rs Sl Sr
    kSpeakerArr80Cine = 24,       // L R C Ls Rs Lc Rc Cs
    kSpeakerArr80Music = 25,      // L R C Ls Rs Cs Sl Sr  (our 8-channel bus)
    kSpeakerArr81Cine = 26,       // L R C Lfe Ls Rs Lc Rc Cs
    kSpeakerArr81Music = 27,      // L R C Lfe Ls Rs Cs Sl Sr
    kSpeakerArr102 = 28,          // 10.2
    kNumSpeakerArr = 29,
};

// Properties of one input or output channel.
struct VstPinProperties {
    char label[kVstMaxLabelLen];  // channel name shown by the host, zero-terminated
    VstInt32 flags;               // VstPinPropertiesFlags
    VstInt32 arrangementType;     // VstSpeakerArrangementType (with kVstPinUseSpeaker)
    char shortLabel[kVstMaxShortLabelLen];  // short name, zero-terminated if it fits
    char future[48];              // reserved, zero
};

// VstSpeakerProperties::type: which loudspeaker a channel feeds.
enum VstSpeakerType : VstInt32 {
    kSpeakerUndefined = 0x7FFFFFFF,
    kSpeakerM = 0,    // mono
    kSpeakerL = 1,    // left
    kSpeakerR = 2,    // right
    kSpeakerC = 3,    // centre
    kSpeakerLfe = 4,  // sub-bass
    kSpeakerLs = 5,   // left surround
    kSpeakerRs = 6,   // right surround
    kSpeakerLc = 7,   // left of centre
    kSpeakerRc = 8,   // right of centre
    kSpeakerS = 9,    // surround (centre back)
    kSpeakerCs = kSpeakerS,
    kSpeakerSl = 10,  // side left
    kSpeakerSr = 11,  // side right
    kSpeakerTm = 12,  // top middle
    kSpeakerTfl = 13,  // top front left
    kSpeakerTfc = 14,  // top front centre
    kSpeakerTfr = 15,  // top front right
    kSpeakerTrl = 16,  // top rear left
    kSpeakerTrc = 17,  // top rear centre
    kSpeakerTrr = 18,  // top rear right
    kSpeakerLfe2 = 19,  // second sub-bass
};

// One loudspeaker of an arrangement.
struct VstSpeakerProperties {
    float azimuth;      // radians, -pi..pi, 0 = straight ahead; 10.0 marks a sub-bass channel
    float elevation;    // radians, -pi/2..pi/2, 0 = ear level; 10.0 for a sub-bass channel
    float radius;       // metres from the listener; 0 for a sub-bass channel
    float reserved;     // zero
    char name[kVstMaxNameLen];  // speaker name, zero-terminated
    VstInt32 type;      // VstSpeakerType
    char future[28];    // reserved, zero
};

// A layout for a set of channels. Like VstEvents the record declares 8 speakers and
// the sender allocates as many as numChannels needs.
struct VstSpeakerArrangement {
    VstInt32 type;         // VstSpeakerArrangementType
    VstInt32 numChannels;  // number of channels, entries in speakers
    VstSpeakerProperties speakers[8];  // numChannels entries (flexible)
};

}  // namespace Vst2
