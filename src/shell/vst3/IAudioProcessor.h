#pragma once

// IAudioProcessor: the audio side of a VST 3 component (same object as IComponent).
//
// Order of calls: after initialize the host negotiates buses (setBusArrangements),
// then setupProcessing, then IComponent::setActive(1), then setProcessing(1) and
// process() once per block, and the reverse to stop. setupProcessing and
// setBusArrangements only arrive while the component is inactive. process() runs
// on the audio thread; everything else here on the UI thread (setProcessing on
// either).

#include "shell/vst3/FUnknown.h"

namespace Vst3 {

class IEventList;
class IParameterChanges;
struct ProcessContext;

// PClassInfo2::classFlags of an audio effect class.
enum ComponentFlags : uint32_t {
    kDistributable = 1 << 0,        // processor and controller may run on different computers
    kSimpleModeSupported = 1 << 1,  // supports kSimple IoMode
};

// ProcessSetup::symbolicSampleSize, ProcessData::symbolicSampleSize.
enum SymbolicSampleSizes : int32_t {
    kSample32 = 0,  // float buffers (channelBuffers32)
    kSample64 = 1,  // double buffers (channelBuffers64)
};

// ProcessSetup::processMode, ProcessData::processMode.
enum ProcessModes : int32_t {
    kRealtime = 0,  // live processing
    kPrefetch = 1,  // ahead of time, still bounded
    kOffline = 2,   // rendering, no time limit
};

// getTailSamples answers.
constexpr uint32_t kNoTail = 0;
constexpr uint32_t kInfiniteTail = 0xFFFFFFFF;

// What setupProcessing announces.
struct ProcessSetup {
    int32_t processMode;         // ProcessModes
    int32_t symbolicSampleSize;  // SymbolicSampleSizes
    int32_t maxSamplesPerBlock;  // largest numSamples process() will see
    SampleRate sampleRate;       // Hz
};

// The channels of one bus for one block. The array always has numChannels entries;
// for an inactive bus the pointers may be null.
struct AudioBusBuffers {
    int32_t numChannels;    // channels, as the bus's arrangement says (0 when flushing parameters)
    uint64_t silenceFlags;  // bit n set: channel n is all zeros (inputs from the host, outputs from us)
    union {
        Sample32** channelBuffers32;  // kSample32: numChannels pointers to numSamples floats
        Sample64** channelBuffers64;  // kSample64: numChannels pointers to numSamples doubles
    };
};

// Everything one process() call gets. Owned by the host, valid during the call.
struct ProcessData {
    int32_t processMode;         // ProcessModes
    int32_t symbolicSampleSize;  // SymbolicSampleSizes
    int32_t numSamples;          // frames in this block; 0 = only parameters to take
    int32_t numInputs;           // audio input buses in inputs
    int32_t numOutputs;          // audio output buses in outputs
    AudioBusBuffers* inputs;     // numInputs buses (may be null when 0)
    AudioBusBuffers* outputs;    // numOutputs buses (may be null when 0)
    IParameterChanges* inputParameterChanges;   // host -> plug-in parameter changes, or null
    IParameterChanges* outputParameterChanges;  // plug-in -> host changes, or null
    IEventList* inputEvents;                    // incoming events, or null
    IEventList* outputEvents;                   // outgoing events, or null
    ProcessContext* processContext;             // transport and tempo, or null
};

class IAudioProcessor : public FUnknown {
public:
    // The host proposes one arrangement per audio bus. kResultTrue: accepted as
    // given. kResultFalse: refused; the host then reads back what the plug-in chose
    // with getBusArrangement and may propose again. Inactive only.
    virtual tresult SMTG_STDMETHODCALLTYPE setBusArrangements(SpeakerArrangement* inputs,
                                                              int32_t numIns,
                                                              SpeakerArrangement* outputs,
                                                              int32_t numOuts) = 0;
    // The current arrangement of bus index.
    virtual tresult SMTG_STDMETHODCALLTYPE getBusArrangement(BusDirection dir, int32_t index,
                                                             SpeakerArrangement& arr) = 0;
    // kResultTrue if the sample size (SymbolicSampleSizes) is supported.
    virtual tresult SMTG_STDMETHODCALLTYPE canProcessSampleSize(int32_t symbolicSampleSize) = 0;
    // Latency in sample frames. Asked again after restartComponent(kLatencyChanged).
    virtual uint32_t SMTG_STDMETHODCALLTYPE getLatencySamples() = 0;
    // Sample rate, block size, sample size and mode for the coming activation.
    virtual tresult SMTG_STDMETHODCALLTYPE setupProcessing(ProcessSetup& setup) = 0;
    // Processing starts (1) or stops (0). May arrive on the audio thread.
    virtual tresult SMTG_STDMETHODCALLTYPE setProcessing(TBool state) = 0;
    // One block. Audio thread: no allocation, no blocking.
    virtual tresult SMTG_STDMETHODCALLTYPE process(ProcessData& data) = 0;
    // Tail in sample frames after the input falls silent; kNoTail or kInfiniteTail.
    virtual uint32_t SMTG_STDMETHODCALLTYPE getTailSamples() = 0;

    static constexpr Uid iid = MakeUid(0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D);

protected:
    ~IAudioProcessor() = default;
};

}  // namespace Vst3
