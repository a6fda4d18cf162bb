#pragma once

// The AEffect record: the one object a VST 2.4 host sees of a plug-in. The plug-in's
// entry point (VSTPluginMain, also exported as "main") receives the host callback and
// returns a pointer to its AEffect, which must stay valid until the host dispatches
// effClose. Everything else goes through the function pointers in the record and the
// host callback, with the opcodes of VstOpcodes.h.
//
// Threads: the host fills nothing in this record except `user`. The plug-in writes the
// counts, flags and initialDelay on the user-interface thread (at creation, or before
// it tells the host audioMasterIOChanged); the host reads them on its own schedule.

#include "shell/vst2/VstTypes.h"

namespace Vst2 {

struct AEffect;

// The host callback. opcode is one of the audioMaster... values (VstOpcodes.h); index,
// value, ptr and opt carry that opcode's arguments; the meaning of the result depends
// on the opcode (0 usually means "not supported"). The plug-in may call it from any
// thread the opcode allows (audioMasterGetTime and audioMasterProcessEvents from the
// audio thread, the rest from the user-interface thread).
using audioMasterCallback = VstIntPtr(VSTCALLBACK*)(AEffect* effect, VstInt32 opcode,
                                                    VstInt32 index, VstIntPtr value, void* ptr,
                                                    float opt);

// The plug-in's dispatcher: the host's way to call every operation that has no slot of
// its own (effOpen, effGetChunk, effCanDo, ...). Same argument convention as the host
// callback. Mostly called on the user-interface thread; effProcessEvents, effStartProcess
// and effStopProcess come on the audio thread.
using AEffectDispatcherProc = VstIntPtr(VSTCALLBACK*)(AEffect* effect, VstInt32 opcode,
                                                      VstInt32 index, VstIntPtr value,
                                                      void* ptr, float opt);

// Audio processing: inputs and outputs are arrays of numInputs / numOutputs channel
// pointers, each pointing at sampleFrames samples. Audio thread.
// `process` (deprecated) adds into the outputs; the replacing variants overwrite them.
using AEffectProcessProc = void(VSTCALLBACK*)(AEffect* effect, float** inputs, float** outputs,
                                              VstInt32 sampleFrames);
using AEffectProcessDoubleProc = void(VSTCALLBACK*)(AEffect* effect, double** inputs,
                                                    double** outputs, VstInt32 sampleFrames);

// Parameter access, value normalised to 0..1. Any thread: automation playback calls
// them from the audio thread, the host's generic editor from the user-interface thread.
using AEffectSetParameterProc = void(VSTCALLBACK*)(AEffect* effect, VstInt32 index,
                                                   float parameter);
using AEffectGetParameterProc = float(VSTCALLBACK*)(AEffect* effect, VstInt32 index);

// The plug-in's exported entry point: VSTPluginMain (and "main" for old hosts).
// Returns the effect record, or null when the plug-in cannot run in this host.
using VstPluginMainProc = AEffect*(VSTCALLBACK*)(audioMasterCallback host);

// AEffect::magic: 'VstP' (bytes "PtsV" in memory).
constexpr VstInt32 kEffectMagic = FourCC('V', 's', 't', 'P');

// AEffect::flags bits. The gaps are retired bits that must stay clear.
enum VstAEffectFlags : VstInt32 {
    effFlagsHasEditor = 1 << 0,            // the plug-in has its own editor (effEditOpen ...)
    effFlagsCanReplacing = 1 << 4,         // processReplacing is set (mandatory in 2.4)
    effFlagsProgramChunks = 1 << 5,        // state travels as one opaque chunk (effGetChunk)
    effFlagsIsSynth = 1 << 8,              // an instrument: the host treats it as a source
    effFlagsNoSoundInStop = 1 << 9,        // silence in, silence out: the host may skip it
    effFlagsCanDoubleReplacing = 1 << 12,  // processDoubleReplacing is set
};

// The record itself. 192 bytes on x86-64; the offsets are fixed by the interface.
struct AEffect {
    VstInt32 magic;                       // kEffectMagic; hosts reject anything else
    AEffectDispatcherProc dispatcher;     // opcodes effOpen ... (host -> plug-in)
    AEffectProcessProc process;           // accumulating process; deprecated, may point at a stub
    AEffectSetParameterProc setParameter; // index 0..numParams-1, value 0..1
    AEffectGetParameterProc getParameter; // index 0..numParams-1, returns 0..1
    VstInt32 numPrograms;                 // number of programs (0: none)
    VstInt32 numParams;                   // number of parameters, the same in every program
    VstInt32 numInputs;                   // audio input channels (not buses)
    VstInt32 numOutputs;                  // audio output channels
    VstInt32 flags;                       // VstAEffectFlags
    VstIntPtr resvd1;                     // reserved for the host; the plug-in leaves it 0
    VstIntPtr resvd2;                     // reserved for the host; the plug-in leaves it 0
    VstInt32 initialDelay;                // latency in sample frames; re-read after audioMasterIOChanged
    VstInt32 realQualities;               // unused, 0
    VstInt32 offQualities;                // unused, 0
    float ioRatio;                        // output/input sample ratio; 1.0 for ordinary effects
    void* object;                         // the plug-in's own object behind this record
    void* user;                           // free for the host
    VstInt32 uniqueID;                    // four-character plug-in id (FourCC); hosts key presets on it
    VstInt32 version;                     // plug-in version (an integer, e.g. 1)
    AEffectProcessProc processReplacing;  // 32-bit processing, outputs overwritten
    AEffectProcessDoubleProc processDoubleReplacing;  // 64-bit processing, or null
    char future[56];                      // reserved, zero
};

}  // namespace Vst2
