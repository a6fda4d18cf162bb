#pragma once

#include "foundation/YGrowableBuffer.h"
#include "foundation/YObject.h"
#include "foundation/YStoreArchive.h"
#include "foundation/YString.h"
#include "foundation/YSynchronizer.h"
#include "foundation/YThread.h"
#include "platform/YChildWindow.h"
#include "shell/HostTransport.h"
#include "shell/YAGCProcessor.h"
#include "shell/YAudioPluginAdapter.h"
#include "shell/YDelayLine.h"
#include "shell/YMIDIProcessor.h"
#include "shell/YUpsampler.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

// One smoothed parameter of the block road: it glides from its value at the start
// of a host block to its value at the end in steps at sub-block boundaries.
struct InterpolatedParameter {
    int32_t owner = 0;  // which parameter set the index belongs to
    int32_t index = 0;
    double start = 0.0;
    double target = 0.0;
    double current = 0.0;
    double step = 0.0;  // per sample
    bool interpolating = false;
};

// The host-neutral plug-in that both bindings drive. It exposes parameters by one
// flat global index, takes MIDI as raw messages, processes blocks of 32-bit float
// audio given as channel-pointer tables (bus after bus, kTableStride pointers per
// bus), and talks back to its binding through YAudioPluginAdapter. The engine
// derives from it and supplies the operations marked as engine hooks.
//
// Threads: the audio thread runs ProcessAudio, ProcessMIDIEvent and the parameter
// writes of a VST 3 process call; the user-interface thread runs initialisation,
// state and editor work. Four locks: the audio thread takes parameterLock without
// waiting (a busy lock drops the block) and processingLock with an unlimited wait;
// preparation takes parameterLock, editorLock and processingLock in that order.
class YAudioPlugin : public YMIDIProcessor {
public:
    class AutomationAdapter;
    class AutomationUpdateRequestThread;
    class YEditor;
    // Makes the product's editor for a plug-in (the product installs it).
    using EditorFactory = std::unique_ptr<YEditor> (*)(YAudioPlugin& plugin);

    static constexpr int32_t kTableStride = 8;  // channel pointers per bus in the tables the bindings pass
    static constexpr int32_t kMaxBuses = 4;
    static constexpr int32_t kChannelModeCount = 8;
    static constexpr int32_t kSurroundChannelMode = 7;
    static constexpr float kDenormalOffset = 1e-15f;

    YAudioPlugin();
    ~YAudioPlugin() override;

    // ---- Identity and binding ------------------------------------------------------
    YString productName;
    YString vendorName;
    YString bindingName;  // "VST" or "VST3", set by the binding
    void SetAdapter(YAudioPluginAdapter* adapter) { adapter_ = adapter; }
    YAudioPluginAdapter* GetAdapter() const { return adapter_; }

    // ---- MIDI (audio thread) ---------------------------------------------------------
    bool receivesMIDI = false;
    bool sendsMIDI = false;
    // Decodes one raw message; answers whether it was handled. Dropped (false) while
    // another thread holds parameterLock.
    bool ProcessMIDIEvent(int32_t sampleOffset, uint8_t status, uint8_t data1, uint8_t data2);
    // A decoded note from a binding, under the same locks.
    void ProcessNoteEvent(const YNoteEvent& note);
    bool ProcessMIDIController(int32_t offset, double time, int32_t channel, int32_t controller, double value) override;
    void GenerateNoteEvent(int32_t offset, int32_t channel, int32_t key, double velocity, bool on);
    virtual void GenerateMIDIEvent(int32_t offset, uint8_t status, uint8_t data1, uint8_t data2);

    // ---- Parameters by global index (any thread) -------------------------------------
    virtual int32_t GetParameterCount() const;
    virtual void SetParameter(int32_t index, double value, bool flag = false);
    virtual void SetParameterIfChanged(int32_t index, double value, bool flag = false);
    virtual double GetParameter(int32_t index) const;
    virtual YString GetParameterName(int32_t index) const;
    virtual YString GetParameterID(int32_t index) const;
    // The index of the parameter with this id; -1 for none (and for an empty id).
    int32_t FindParameterByID(const YString& id) const;
    virtual YString GetParameterValueName(int32_t index) const;
    virtual YString GetParameterValueNameFrom01(int32_t index, double value) const;
    virtual double ParseParameterValueName(int32_t index, const YString& text) const;
    virtual YString GetParameterUnitsName(int32_t index) const;
    virtual int32_t GetParameterType(int32_t index) const;
    virtual double GetParameterDefaultValue(int32_t index) const;

    // Registers an adapter (kept sorted by first index; the plug-in takes a reference).
    void AddAutomationAdapter(AutomationAdapter* adapter);
    // Stops the automation thread, then releases the adapters, last to first.
    void ClearAutomationAdapters();
    // The adapter owning a global index, or null.
    AutomationAdapter* FindAutomationAdapter(int32_t index) const;
    // Tells the binding that a parameter changed by the plug-in's own action.
    virtual void AutomationChanged(int32_t index, double value);
    void StartAutomationUpdates();

    // ---- Channels, rate, pins (user-interface thread) ------------------------------------
    void SetChannels(int32_t inputs, int32_t outputs);
    void SetSampleRate(double rate);
    // Bus 1 is the main bus, buses 2..busCount side chains; the surround layout gives
    // 8 channels per bus, the stereo layout 2.
    void SetupPins(int32_t busCount, bool surround);
    const YStringList& InputPins() const { return inputPins_; }
    const YStringList& OutputPins() const { return outputPins_; }
    // Cuts the pin lists (a host too old for more than stereo).
    void TruncatePins(int32_t inputs, int32_t outputs, int32_t channelsPerBus);
    int32_t ChannelsPerBus() const { return channelsPerBus_; }
    int32_t GetNumInputChannels() const;
    int32_t GetNumOutputChannels() const;
    int32_t GetNumInputBuses() const { return static_cast<int32_t>(inputPins_.size()) / channelsPerBus_; }
    int32_t GetNumOutputBuses() const { return static_cast<int32_t>(outputPins_.size()) / channelsPerBus_; }
    // Channels the host actually connected per bus (set by the binding).
    void SetConnectedChannels(int32_t inputsPerBus, int32_t outputsPerBus);
    // The channel count the host asked for through SetChannels; -1 before it did.
    int32_t RequestedChannels() const { return requestedChannels_; }
    double SampleRate() const { return sampleRate_; }
    double ProcessingRate() const { return sampleRate_ * upsamplingFactor_; }

    // ---- Latency and tail as the bindings report them, in host samples -------------
    int32_t GetHostLatency();
    int32_t GetHostTailLength();

    // ---- Upsampling ------------------------------------------------------------------------
    int32_t UpsamplingFactor() const { return upsamplingFactor_; }
    bool HighQualityUpsampling() const { return highQualityUpsampling_; }
    // Stores a new factor or quality under the three locks and prepares again.
    void UpdateUpsamplingFactor(int32_t factor, bool highQuality);

    // ---- Processing (audio thread) --------------------------------------------------------
    std::atomic<bool> bypass{false};
    bool needsHostSync = false;
    HostTransport transport;
    // The binding's entry for one block; replacing is false when the host wants the
    // result added to its output buffers. False when the block was dropped because
    // another thread holds parameterLock: the outputs keep what the host put there,
    // and the binding does nothing more in that call (its queued MIDI output waits).
    // Where the failed lock would raise, this answers instead: the audio thread
    // neither throws nor allocates.
    bool ProcessAudio(float** inputs, float** outputs, int32_t frames, bool replacing);

    // ---- Automatic gain compensation ----------------------------------------------------
    // The "AGC" switch (any thread may read it). Switching takes parameterLock,
    // editorLock and processingLock and prepares the processor, or idles it; the
    // effect keeps its state, so switching does not interrupt the sound beyond the
    // processor's own fade-in.
    bool AGCEnabled() const { return agcEnabled_.load(); }
    void SetAGCEnabled(bool on);
    // Read between blocks or under processingLock.
    const YAGCProcessor& AGCProcessor() const { return agc_; }
    // The fixed output gain (linear): what the road applies instead of the processor's
    // gain while the switch is off and the plug-in is not bypassed, so that a gain
    // measured once ("Set") keeps compensating without the processor. Belongs to the
    // instance, like the switch. Any thread; a change glides over the next block.
    double FixedOutputGain() const { return fixedGain_.load(); }
    // Limited to the processor's gain range.
    void SetFixedOutputGain(double gain);
    // "FixedOutputGain" in the state: written only when it is not 1, so that older
    // documents stay as they were; a missing, unreadable or non-positive value reads as 1.
    void StoreFixedOutputGain(YStoreArchive& archive);
    // One gain measurement at a time per instance: false while another runs.
    bool BeginAGCMeasurement() { return !agcMeasuring_.exchange(true); }
    void EndAGCMeasurement() { agcMeasuring_ = false; }
    bool AGCMeasuring() const { return agcMeasuring_.load(); }

    // ---- Editor (user-interface thread unless noted) --------------------------------------
    void SetEditorFactory(EditorFactory factory) { editorFactory_ = factory; }
    // Creates the editor through the factory when there is none (off-screen until the
    // binding attaches it to the host's window). True when there is one, after which
    // the binding runs FinishEditorCreation. Takes editorLock.
    bool CreateEditor(void* parentWindow);
    // Under editorLock: the editor re-reads the state and takes the stored default size.
    void FinishEditorCreation();
    void DestroyEditor();
    void SetEditorOpen(bool open) { editorOpen_ = open; }
    bool EditorOpen() const { return editorOpen_; }
    // Any thread.
    bool EditorExists() const { return editorExists_.load(); }
    YEditor* Editor() const { return editor_.get(); }
    // Asks the host for a new editor size, no smaller than the editor's minimum; the
    // editor takes it when the host agreed.
    bool ResizeEditor(int32_t width, int32_t height);
    // An edit gesture of the editor on a parameter, passed to the host.
    void BeginEdit(int32_t index);
    void EndEdit(int32_t index);
    // Any thread: the editor should re-read the parameters on its next idle, or
    // everything (a loaded state replaced what it shows).
    void NeedUpdateEditor(bool wholeState = false);
    // What the editor's idle should re-read: 0 nothing, 1 parameters, 2 everything.
    int32_t TakeEditorUpdate() { return editorUpdate_.exchange(0); }

    // ---- Meters ------------------------------------------------------------------------------
    // While an editor is open the engine feeds the peaks of the processed channels from
    // the audio thread and the editor takes them; no lock on either side.
    static constexpr int32_t kMeterChannels = 8;
    bool MeteringOn() const { return editorOpen_ && editorExists_.load(); }
    void FeedMeter(bool output, float* const* channels, int32_t count, int32_t frames);
    // The largest peak of each channel since the last call; answers the channel count.
    int32_t TakeMeterPeaks(bool output, float* peaks);

    // ---- State (user-interface thread) ---------------------------------------------------
    // Stores the whole state into, or loads it from, the archive's element (the root
    // "settings" of a chunk). The engine adds the state document; here a load only
    // refreshes the open editor.
    virtual void Store(YStoreArchive& archive) {
        if (archive.Loading()) NeedUpdateEditor(true);
    }

    // ---- Machine-wide settings (user-interface thread) ---------------------------------
    // Surround pins (8 channels per bus) instead of stereo, for every instance.
    static int32_t GetSurroundSetting();
    static void SetSurroundSetting(int32_t value);
    static int32_t GetConfirmationEnabled();
    static void SetConfirmationEnabled(int32_t value);
    static int32_t GetTabletMode();
    static void SetTabletMode(int32_t value);
    int32_t GetEditorMode();
    void SetEditorMode(int32_t mode);
    // The size a new editor opens with; 0, 0 when none is stored.
    void GetDefaultSize(int32_t& width, int32_t& height);
    void SetDefaultSize(int32_t width, int32_t height);
    void ResetDefaultSize();
    // Saves the complete current state as the one new instances start with.
    void SetDefaultSettingsToCurrent();
    // Loads that saved state; false (and nothing changed) when there is none.
    bool LoadDefaultSettings();

    // ---- Engine hooks ----------------------------------------------------------------------
    // Prepares for processing (any time between blocks; user-interface thread).
    virtual void InitProcessing() = 0;
    // Applies changed parameters; the VST 2.4 editor idle calls it.
    virtual void ProcessUpdate() {}
    // The plug-in's latency and tail at the processing rate (-1: unbounded tail).
    virtual int32_t GetLatency() { return 0; }
    virtual int32_t GetTailLength() { return -1; }

    YLock parameterLock;
    YLock processingLock;
    YLock editorLock;
    YLock automationLock;

protected:
    // Called at the start of every block: sets the sub-block limits.
    virtual void PreBlock(float** inputs, float** outputs, int32_t frames) { (void)inputs, (void)outputs, (void)frames; }
    // Once per host block, before the first sub-block.
    virtual void PrepareForProcessingOnce(float** inputs, float** outputs, int32_t frames) {
        (void)inputs, (void)outputs, (void)frames;
    }
    // One sub-block through the engine; the tables hold the processed channels first.
    virtual void Process(float** inputs, float** outputs, int32_t frames) = 0;
    virtual void PostBlock() {}
    // Output clipping level; negative disables clipping.
    virtual double GetOutputClipLevel() { return -1.0; }
    // Parameter smoothing between sub-blocks: the current value of a listed parameter,
    // and writing an interpolated value (interpolating) or the final one.
    virtual double GetInterpolationValue(const InterpolatedParameter& parameter) { (void)parameter; return 0.0; }
    virtual void SetInterpolationValue(const InterpolatedParameter& parameter, double value, bool interpolating) {
        (void)parameter, (void)value, (void)interpolating;
    }
    // Recomputes the effect's derived values after parameters moved.
    virtual void UpdateFromParameters() {}

    // Recomputes the road for a prepared engine: the channel mode and its surround
    // enables, the smoothed parameters. Runs under the three locks.
    void PrepareRoad(int32_t channelMode, const bool* surroundEnables, std::vector<InterpolatedParameter> interpolated);
    // The sub-block limits the pre-block hook hands over.
    void SetSubBlockLimits(int32_t subBlockLimit, int32_t interpolationBlock) {
        subBlockLimit_ = subBlockLimit;
        interpolationBlock_ = interpolationBlock;
    }
    int32_t ProcessedChannels() const { return processedChannels_; }
    void RequestFirstInterpolationBlock() { interpolationFirstBlock_ = true; }

    // The bindings deliver MIDI before the block, outside ProcessAudio: the held-note
    // state and what the messages drive are touched under the block's locks, and a
    // message that meets a preparation or a state load (holding parameterLock) is
    // dropped rather than waiting; the preparation resets the held notes anyway.
    // False when dropped, else what body answers.
    template <typename Body>
    bool UnderBlockLocks(Body&& body) {
        if (parameterLock.Acquire(0)) return false;
        struct Release {
            YLock& lock;
            ~Release() { lock.Release(); }
        } release{parameterLock};
        YScopedLock processing(processingLock);
        return body();
    }

private:
    bool DecodeMIDIEvent(int32_t sampleOffset, uint8_t status, uint8_t data1, uint8_t data2);
    void FixAudioBuffers(float** table, float** fixed, int32_t connected, int32_t busCount, bool isInput, int32_t frames);
    void ProcessRouted(float** inputs, float** outputs, int32_t frames);
    void RunSubBlocks(float** inputs, float** outputs, int32_t frames);
    // Writes (replaces) the outputs.
    void ProcessThroughUpsamplers(float** inputs, float** outputs, int32_t frames);
    void ProcessBypassed(float** inputs, float** outputs, int32_t frames, bool replacing);
    bool InterpolationPrepare(int32_t frames);
    void InterpolationProcess(int32_t frames);
    void InterpolationFinish();
    void ResizePins(YStringList& pins, int32_t count);
    // Copies the switch into the processor and initialises it when on; the measured
    // input is delayed by the latency the host sees, so that it lines up with the output.
    void PrepareAGC();
    // Audio thread, with the switch off: the fixed gain, ramped from the last one applied.
    void ApplyFixedGain(float* const* channels, int32_t frames);

    YAudioPluginAdapter* adapter_ = nullptr;
    std::vector<AutomationAdapter*> adapters_;
    std::unique_ptr<AutomationUpdateRequestThread> automationThread_;
    std::atomic<int32_t> pendingAutomation_{0};
    EditorFactory editorFactory_ = nullptr;
    std::unique_ptr<YEditor> editor_;
    std::atomic<bool> editorExists_{false};
    std::atomic<int32_t> editorUpdate_{0};
    std::atomic<bool> editorOpen_{false};
    struct MeterBlock {
        std::array<std::atomic<float>, kMeterChannels> peaks{};
        std::atomic<int32_t> channels{0};
    };
    std::array<MeterBlock, 2> meters_;  // input, output

    YStringList inputPins_;
    YStringList outputPins_;
    int32_t requestedChannels_ = -1;
    int32_t requestedInputChannels_ = -1;
    int32_t requestedOutputChannels_ = -1;
    int32_t channelsPerBus_ = 2;
    int32_t inputBusChannels_ = 2;
    int32_t outputBusChannels_ = 2;
    double sampleRate_ = 44100.0;
    int32_t upsamplingFactor_ = 1;
    bool highQualityUpsampling_ = true;

    // The road, recomputed by PrepareRoad.
    double effectiveRate_ = 44100.0;
    int32_t activeChannelMode_ = 0;
    int32_t processedChannels_ = 2;
    int32_t ioChannels_ = 2;
    std::array<bool, 8> surroundEnabled_{};
    int32_t surroundEnabledCount_ = 0;
    int32_t latency_ = 0;           // the engine's, at the processing rate
    int32_t bypassLatency_ = 0;     // everything the host sees, at the host rate
    YDelayLine passThroughDelay_;
    std::array<YDelayLine, 8> surroundDelays_;
    std::array<YDelayLine, 8> bypassDelays_;
    std::array<YUpsampler, 8> resamplers_;
    int32_t subBlockLimit_ = 2147483647;
    int32_t interpolationBlock_ = 256;
    std::vector<InterpolatedParameter> interpolationList_;
    bool interpolationFirstBlock_ = true;
    YAGCProcessor agc_;
    std::atomic<bool> agcEnabled_{false};
    std::atomic<bool> agcMeasuring_{false};
    std::atomic<double> fixedGain_{1.0};
    double appliedFixedGain_ = 1.0;  // audio thread, or under processingLock

    // Per-block working tables and buffers, grown on first use of a block size.
    std::array<float*, kMaxBuses * kTableStride> fixedInputs_{};
    std::array<float*, kMaxBuses * kTableStride> fixedOutputs_{};
    std::array<float*, kMaxBuses * kTableStride> stageInputs_{};
    std::array<float*, kMaxBuses * kTableStride> stageOutputs_{};
    std::array<float*, kMaxBuses * kTableStride> routedInputs_{};
    std::array<float*, kMaxBuses * kTableStride> routedOutputs_{};
    std::array<float*, kMaxBuses * kTableStride> accumulatedOutputs_{};
    YGrowableBuffer<float> inputScratch_;
    YGrowableBuffer<float> monoCopy_;
    YGrowableBuffer<float> outputScratch_;
    YGrowableBuffer<float> upsampledScratch_;
    std::array<YGrowableBuffer<float>, 8> internalInputs_;
    std::array<YGrowableBuffer<float>, 8> internalOutputs_;
};

// The base of every parameter object: a contiguous run of global parameter indices.
// Local index = global index - firstIndex. Reference counted; the plug-in holds
// one reference while the adapter is registered.
class YAudioPlugin::AutomationAdapter : public YEventTarget {
public:
    int32_t count = 1;
    int32_t firstIndex = 0;
    YAudioPlugin* plugin = nullptr;  // null while not registered

    virtual void SetValue(int32_t local, double value, bool silent) = 0;
    virtual double GetValue(int32_t local) const = 0;
    virtual YString GetName(int32_t local) const = 0;
    virtual YString GetID(int32_t local) const = 0;
    virtual YString GetValueName(int32_t local) const = 0;
    virtual YString GetValueNameFrom01(int32_t local, double value) const = 0;
    virtual double ParseValueName(int32_t local, const YString& text) const = 0;
    virtual YString GetUnitsName(int32_t local) const { (void)local; return YString(); }
    virtual int32_t GetType(int32_t local) const = 0;
    virtual double GetDefaultValue(int32_t local) const { (void)local; return 0.5; }

    // Report the current value (or a given one) to the host as the plug-in's own change.
    void SendAutomation(int32_t local);
    void SendAutomationValue(int32_t local, double value);
    // Sends a nudged value first, so that a host ignoring unchanged values records the point.
    void SendAutomationValueWithChange(int32_t local, double value);
    void SendAllAutomation();
};

// The plug-in's editor as the plug-in and the bindings see it; the editor toolkit
// implements it. Every call comes on the user-interface thread.
class YAudioPlugin::YEditor {
public:
    // The key events a binding forwards (Windows key codes): a typed character, a key
    // going down, a key going up.
    static constexpr int32_t kCharacterEvent = 15;
    static constexpr int32_t kKeyDownEvent = 13;
    static constexpr int32_t kKeyUpEvent = 14;

    virtual ~YEditor() = default;
    // The size in pixels.
    virtual void GetSize(int32_t& width, int32_t& height) const = 0;
    virtual void SetSize(int32_t width, int32_t height) = 0;
    // The smallest size in pixels the layout takes.
    virtual void GetMinimumSize(int32_t& width, int32_t& height) const = 0;
    // Re-reads everything it shows from the plug-in.
    virtual void Refresh() = 0;
    // The periodic idle of the host or the window: takes the posted updates, follows
    // the LFO and the meters, repaints what changed.
    virtual void Idle() = 0;
    // Shows the editor in a child window of the host's window (an HWND, an X11 window
    // id); runLoop is the host's event loop where the system has none (X11 under a VST 3
    // host), else null and the host's editor idle drives the window. False where there
    // is no window system or no such parent.
    virtual bool Attach(void* parentWindow, YChildWindowRunLoop* runLoop) = 0;
    // Closes the child window; the editor stays, off-screen, until it is destroyed.
    virtual void Detach() = 0;
    virtual bool Attached() const = 0;
    // For a host that declined a resize: resizes the host's windows around the shown
    // editor to fit width x height pixels; false where that is left to the host.
    virtual bool ResizeHostWindows(int32_t width, int32_t height) = 0;
    // A key the host forwarded (kind one of the event constants above; value the
    // character or the key code). True when the editor used it.
    virtual bool HostKey(int32_t kind, int32_t value) = 0;
    // The modifier keys held with the last mouse or key event (the toolkit's bits).
    virtual uint32_t Modifiers() const = 0;
};

// Posts pending automation to the editor every 100 ms: the editor's next idle re-reads
// the parameters.
class YAudioPlugin::AutomationUpdateRequestThread : public YWorkerThread {
public:
    explicit AutomationUpdateRequestThread(YAudioPlugin& plugin) : YWorkerThread(100), plugin_(plugin) {}

protected:
    void Pass() override;

private:
    YAudioPlugin& plugin_;
};
