#pragma once

// Opcodes of the VST 2.4 interface: what the host asks through AEffect::dispatcher
// (AEffectOpcodes) and what the plug-in asks through the host callback
// (AudioMasterOpcodes), with the small value sets some of them carry.
//
// Each line gives the arguments as [index] [value] [ptr] [opt] and the answer, then
// the thread the call arrives on ("UI" = the host's user-interface thread, "audio" =
// its processing thread). Numbers are fixed by the interface; retired opcodes keep
// their numbers so nothing is ever reused.

#include "shell/vst2/VstTypes.h"

namespace Vst2 {

// Host -> plug-in, through AEffect::dispatcher.
enum AEffectOpcodes : VstInt32 {
    effOpen = 0,                 // after creation, before anything else. UI
    effClose = 1,                // last call; the plug-in deletes itself. UI
    effSetProgram = 2,           // [value] program index. UI
    effGetProgram = 3,           // answer: current program index. UI
    effSetProgramName = 4,       // [ptr] char[kVstMaxProgNameLen+1] in. UI
    effGetProgramName = 5,       // [ptr] char[kVstMaxProgNameLen+1] out. UI
    effGetParamLabel = 6,        // [index] [ptr] unit text out ("dB"). UI
    effGetParamDisplay = 7,      // [index] [ptr] value text out. UI
    effGetParamName = 8,         // [index] [ptr] parameter name out. UI
    effGetVu = 9,                // retired
    effSetSampleRate = 10,       // [opt] sample rate in Hz. UI, while suspended
    effSetBlockSize = 11,        // [value] largest block in sample frames. UI, while suspended
    effMainsChanged = 12,        // [value] 0 = suspend, 1 = resume. UI
    effEditGetRect = 13,         // [ptr] ERect** out: the editor's size; answer 1 if given. UI
    effEditOpen = 14,            // [ptr] parent window (HWND / X11 window). UI
    effEditClose = 15,           // UI
    effEditDraw = 16,            // retired
    effEditMouse = 17,           // retired
    effEditKey = 18,             // retired
    effEditIdle = 19,            // periodic editor idle while the editor is open. UI
    effEditTop = 20,             // retired
    effEditSleep = 21,           // retired
    effIdentify = 22,            // retired
    effGetChunk = 23,            // [index] 0 = bank, 1 = program; [ptr] void** out; answer: byte size. UI
    effSetChunk = 24,            // [index] as above; [value] byte size; [ptr] the bytes. UI

    // VST 2.x additions
    effProcessEvents = 25,              // [ptr] VstEvents* for the next block. audio
    effCanBeAutomated = 26,             // [index]; answer 1 if automatable. UI
    effString2Parameter = 27,           // [index] [ptr] text in; answer 1 if parsed. UI
    effGetNumProgramCategories = 28,    // retired
    effGetProgramNameIndexed = 29,      // [index] program [ptr] name out; answer 1 if given. UI
    effCopyProgram = 30,                // retired
    effConnectInput = 31,               // retired
    effConnectOutput = 32,              // retired
    effGetInputProperties = 33,         // [index] input channel [ptr] VstPinProperties* out; answer 1. UI
    effGetOutputProperties = 34,        // [index] output channel [ptr] VstPinProperties* out; answer 1. UI
    effGetPlugCategory = 35,            // answer: VstPlugCategory. UI
    effGetCurrentPosition = 36,         // retired
    effGetDestinationBuffer = 37,       // retired
    effOfflineNotify = 38,              // offline processing (unused here)
    effOfflinePrepare = 39,             // offline processing (unused here)
    effOfflineRun = 40,                 // offline processing (unused here)
    effProcessVarIo = 41,               // [ptr] VstVariableIo* (unused here). audio
    // [value] input VstSpeakerArrangement* [ptr] output one; answer 1 if accepted. UI
    effSetSpeakerArrangement = 42,
    effSetBlockSizeAndSampleRate = 43,  // retired
    effSetBypass = 44,                  // [value] 1 = bypass; answer 1 if the plug-in bypasses itself
    effGetEffectName = 45,              // [ptr] char[kVstMaxEffectNameLen+1] out. UI
    effGetErrorText = 46,               // retired
    effGetVendorString = 47,            // [ptr] char[kVstMaxVendorStrLen+1] out. UI
    effGetProductString = 48,           // [ptr] char[kVstMaxProductStrLen+1] out. UI
    effGetVendorVersion = 49,           // answer: vendor-specific version number. UI
    effVendorSpecific = 50,             // free-form; answer 0 when not understood
    effCanDo = 51,                      // [ptr] capability text; answer 1 yes, -1 no, 0 don't know. UI
    effGetTailSize = 52,                // answer: tail in sample frames (0: default, 1: none)
    effIdle = 53,                       // retired
    effGetIcon = 54,                    // retired
    effSetViewPosition = 55,            // retired
    effGetParameterProperties = 56,     // [index] [ptr] VstParameterProperties* out; answer 1 if given. UI
    effKeysRequired = 57,               // retired
    effGetVstVersion = 58,              // answer: kVstVersion (2400). UI
    // [index] character [value] VstVirtualKey [opt] VstModifierKey; answer 1 if used. UI
    effEditKeyDown = 59,
    effEditKeyUp = 60,                  // as effEditKeyDown
    effSetEditKnobMode = 61,            // [value] 0 circular, 1 circular relative, 2 linear. UI
    effGetMidiProgramName = 62,         // MIDI program names (unused here)
    effGetCurrentMidiProgram = 63,      // MIDI program names (unused here)
    effGetMidiProgramCategory = 64,     // MIDI program names (unused here)
    effHasMidiProgramsChanged = 65,     // MIDI program names (unused here)
    effGetMidiKeyName = 66,             // MIDI key names (unused here)
    effBeginSetProgram = 67,            // before a program change. UI
    effEndSetProgram = 68,              // after a program change. UI

    // VST 2.3 additions
    effGetSpeakerArrangement = 69,      // [value] VstSpeakerArrangement** input out [ptr] output out. UI
    effShellGetNextPlugin = 70,         // shell plug-ins only
    effStartProcess = 71,               // processing is about to start. audio or UI
    effStopProcess = 72,                // processing stopped. audio or UI
    effSetTotalSampleToProcess = 73,    // offline: [value] total frames
    effSetPanLaw = 74,                  // [value] pan law type [opt] gain
    effBeginLoadBank = 75,              // [ptr] VstPatchChunkInfo*; answer -1 refuses the bank
    effBeginLoadProgram = 76,           // [ptr] VstPatchChunkInfo*; answer -1 refuses the program

    // VST 2.4 additions
    effSetProcessPrecision = 77,        // [value] VstProcessPrecision; answer 1 if supported. UI
    effGetNumMidiInputChannels = 78,    // answer: MIDI input channels used (0: default 16). UI
    effGetNumMidiOutputChannels = 79,   // answer: MIDI output channels used. UI
};

// Plug-in -> host, through audioMasterCallback.
enum AudioMasterOpcodes : VstInt32 {
    audioMasterAutomate = 0,               // [index] parameter [opt] new value 0..1: a user edit to record
    audioMasterVersion = 1,                // answer: host's interface version (2400; 0 from very old hosts)
    audioMasterCurrentId = 2,              // answer: unique id of the shell plug-in being loaded
    audioMasterIdle = 3,                   // let the host idle (retired in spirit, still answered)
    audioMasterPinConnected = 4,           // retired
    // 5 was never assigned
    audioMasterWantMidi = 6,               // [value] 1: the plug-in wants MIDI events (retired, still honoured)
    audioMasterGetTime = 7,                // [value] VstTimeInfoFlags wanted; answer VstTimeInfo* or 0. audio
    audioMasterProcessEvents = 8,          // [ptr] VstEvents* sent to the host (MIDI out). audio
    audioMasterSetTime = 9,                // retired
    audioMasterTempoAt = 10,               // retired
    audioMasterGetNumAutomatableParameters = 11,  // retired
    audioMasterGetParameterQuantization = 12,     // retired
    audioMasterIOChanged = 13,             // channel counts or initialDelay changed; answer 1 if taken. UI
    audioMasterNeedIdle = 14,              // retired
    audioMasterSizeWindow = 15,            // [index] width [value] height in pixels; answer 1 if resized. UI
    audioMasterGetSampleRate = 16,         // answer: host sample rate in Hz
    audioMasterGetBlockSize = 17,          // answer: host block size in frames
    audioMasterGetInputLatency = 18,       // answer: input latency in frames
    audioMasterGetOutputLatency = 19,      // answer: output latency in frames
    audioMasterGetPreviousPlug = 20,       // retired
    audioMasterGetNextPlug = 21,           // retired
    audioMasterWillReplaceOrAccumulate = 22,  // retired
    audioMasterGetCurrentProcessLevel = 23,   // answer: VstProcessLevels
    audioMasterGetAutomationState = 24,    // answer: VstAutomationStates
    audioMasterOfflineStart = 25,          // offline processing
    audioMasterOfflineRead = 26,           // offline processing
    audioMasterOfflineWrite = 27,          // offline processing
    audioMasterOfflineGetCurrentPass = 28,      // offline processing
    audioMasterOfflineGetCurrentMetaPass = 29,  // offline processing
    audioMasterSetOutputSampleRate = 30,   // retired
    audioMasterGetOutputSpeakerArrangement = 31,  // retired
    audioMasterGetVendorString = 32,       // [ptr] char[kVstMaxVendorStrLen+1] out
    audioMasterGetProductString = 33,      // [ptr] char[kVstMaxProductStrLen+1] out
    audioMasterGetVendorVersion = 34,      // answer: host's version number
    audioMasterVendorSpecific = 35,        // free-form
    audioMasterSetIcon = 36,               // retired
    audioMasterCanDo = 37,                 // [ptr] capability text; answer 1 yes, -1 no, 0 don't know
    audioMasterGetLanguage = 38,           // answer: VstHostLanguage
    audioMasterOpenWindow = 39,            // retired
    audioMasterCloseWindow = 40,           // retired
    audioMasterGetDirectory = 41,          // answer: the plug-in's folder as char* (FSSpec on old Mac OS)
    audioMasterUpdateDisplay = 42,         // something shown by the host changed (names, programs)
    audioMasterBeginEdit = 43,             // [index] parameter: the user grabbed it. UI
    audioMasterEndEdit = 44,               // [index] parameter: the user let go. UI
    audioMasterOpenFileSelector = 45,      // [ptr] VstFileSelect*
    audioMasterCloseFileSelector = 46,     // [ptr] VstFileSelect*
    audioMasterEditFile = 47,              // retired
    audioMasterGetChunkFile = 48,          // retired
    audioMasterGetInputSpeakerArrangement = 49,  // retired
};

// Answer of effGetPlugCategory.
enum VstPlugCategory : VstInt32 {
    kPlugCategUnknown = 0,  // let the host decide
    kPlugCategEffect = 1,
    kPlugCategSynth = 2,
    kPlugCategAnalysis = 3,
    kPlugCategMastering = 4,
    kPlugCategSpacializer = 5,
    kPlugCategRoomFx = 6,
    kPlugSurroundFx = 7,
    kPlugCategRestoration = 8,
    kPlugCategOfflineProcess = 9,
    kPlugCategShell = 10,
    kPlugCategGenerator = 11,
};

// Answer of audioMasterGetCurrentProcessLevel: which thread the caller is on.
enum VstProcessLevels : VstInt32 {
    kVstProcessLevelUnknown = 0,   // the host cannot tell
    kVstProcessLevelUser = 1,      // user-interface thread
    kVstProcessLevelRealtime = 2,  // audio thread
    kVstProcessLevelPrefetch = 3,  // ahead-of-time processing thread
    kVstProcessLevelOffline = 4,   // offline processing
};

// Answer of audioMasterGetAutomationState.
enum VstAutomationStates : VstInt32 {
    kVstAutomationUnsupported = 0,
    kVstAutomationOff = 1,
    kVstAutomationRead = 2,
    kVstAutomationWrite = 3,
    kVstAutomationReadWrite = 4,
};

// Argument of effSetProcessPrecision.
enum VstProcessPrecision : VstInt32 {
    kVstProcessPrecision32 = 0,  // processReplacing
    kVstProcessPrecision64 = 1,  // processDoubleReplacing
};

// Answers of effCanDo and audioMasterCanDo.
constexpr VstIntPtr kVstCanDoYes = 1;
constexpr VstIntPtr kVstCanDoNo = -1;
constexpr VstIntPtr kVstCanDoUnknown = 0;

}  // namespace Vst2
