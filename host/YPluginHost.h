#pragma once

// A small plug-in host: loads a built plug-in library through its exported entry
// points and drives one instance over VST 2.4 or VST 3 with the same calls. The
// command-line tool renders audio files through it; the tests load the plug-in
// exactly as a host does.
//
//   auto library = YPluginLibrary::Open(path, error);
//   auto plugin = YHostedPlugin::Create(library, YHostedPlugin::Format::Vst3, error);
//   plugin->Prepare(48000.0, 512, 2, 2);
//   plugin->SetParameter(id, 0.5);               // normalised; takes effect with the next block
//   plugin->SetTransport(transport);             // tempo, position, playing
//   plugin->AddMIDIEvent(0, 0x90, 60, 100);      // for the next block
//   plugin->Process(inputs, outputs, frames);    // channel arrays as given to Prepare
//   YByteBuffer state = plugin->GetState();
//
// One thread drives an instance (the calls stand for both the host's user-interface
// and audio threads, in the order a host makes them).

#include "foundation/YByteBuffer.h"
#include "foundation/YString.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// One loaded plug-in library. VST 3 entries are called as hosts do: ModuleEntry
// (Linux) or InitDll (Windows) after loading, ModuleExit / ExitDll before unloading.
// Shared by the instances made from it; unloaded with the last of them.
class YPluginLibrary {
public:
    // path: the binary itself, or a .vst3 bundle folder (its binary for this system
    // is taken). Null on failure, with the reason in error.
    static std::shared_ptr<YPluginLibrary> Open(const YString& path, YString& error);
    ~YPluginLibrary();
    YPluginLibrary(const YPluginLibrary&) = delete;
    YPluginLibrary& operator=(const YPluginLibrary&) = delete;

    // An exported symbol, or null.
    void* Symbol(const char* name) const;
    const YString& Path() const { return path_; }

    // The binary inside a bundle for this system: Contents/x86_64-linux/<name>.so or
    // Contents/x86_64-win/<name>.vst3.
    static YString BundleBinary(const YString& bundle);

private:
    YPluginLibrary() = default;
    void* handle_ = nullptr;
    YString path_;
    bool entered_ = false;
};

struct YHostedParameter {
    uint32_t id = 0;          // VST 2: the index; VST 3: the parameter id
    YString name;
    YString units;
    double defaultValue = 0.0;  // normalised; VST 2: the value when the instance was made
    int32_t stepCount = 0;    // 0 continuous, n: n + 1 values
    bool automatable = true;
    bool isBypass = false;
};

struct YHostTransport {
    double tempo = 120.0;          // beats per minute
    double ppqPosition = 0.0;      // block start, quarter notes
    double barStart = 0.0;         // quarter notes
    int32_t timeSigNumerator = 4;
    int32_t timeSigDenominator = 4;
    bool playing = false;
    bool cycleActive = false;
    double cycleStart = 0.0;       // quarter notes
    double cycleEnd = 0.0;
    int64_t samplePosition = 0;    // block start, samples
};

// An edit gesture of the plug-in's editor as the host saw it: 'b' begin, 'p' a value
// (VST 3 performEdit, VST 2 automate), 'e' end.
struct YHostGesture {
    char kind = 0;
    uint32_t id = 0;
};

class YHostWindow;

struct YHostMIDIEvent {
    int32_t offset = 0;  // samples into the block
    uint8_t status = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;
};

// A parameter change the plug-in reported as its own (automation to record).
struct YHostAutomation {
    uint32_t id = 0;
    double value = 0.0;
};

class YHostedPlugin {
public:
    enum class Format { Vst2, Vst3 };

    // A new instance from the library (VST 3: of its first audio effect class).
    static std::unique_ptr<YHostedPlugin> Create(const std::shared_ptr<YPluginLibrary>& library, Format format,
                                                 YString& error);
    virtual ~YHostedPlugin() = default;

    virtual Format GetFormat() const = 0;
    // Sets the rate, the largest block and the channel counts, and activates the
    // instance. May be called again (the instance is deactivated first). False when
    // the plug-in refused.
    virtual bool Prepare(double sampleRate, int32_t maxBlock, int32_t inputChannels, int32_t outputChannels) = 0;

    // ---- Parameters ----------------------------------------------------------------------
    virtual std::vector<YHostedParameter> Parameters() = 0;
    virtual double GetParameter(uint32_t id) = 0;
    // The plug-in learns the value at the start of the next block (VST 3) or at once (VST 2).
    virtual void SetParameter(uint32_t id, double value) = 0;
    // Display text of the current value, or of a given one (VST 3 only; VST 2 plug-ins
    // show only their current value).
    virtual YString ValueText(uint32_t id, std::optional<double> value = {}) = 0;
    // The normalised value of typed text; empty when the plug-in cannot read it.
    virtual std::optional<double> TextToValue(uint32_t id, const YString& text) = 0;
    // Typed text: converted, then set. False when it could not be read.
    virtual bool SetParameterText(uint32_t id, const YString& text);

    // ---- Processing ----------------------------------------------------------------------
    // The transport of the next block; after each block the host moves it on by the
    // block's length (the musical position only while playing).
    virtual void SetTransport(const YHostTransport& transport) { transport_ = transport; }
    const YHostTransport& Transport() const { return transport_; }
    // Queued for the next block.
    void AddMIDIEvent(int32_t offset, uint8_t status, uint8_t data1, uint8_t data2) {
        midiInput_.push_back(YHostMIDIEvent{offset, status, data1, data2});
    }
    // inputs and outputs: as many channel arrays as Prepare was given, frames samples each.
    virtual void Process(const float* const* inputs, float* const* outputs, int32_t frames) = 0;
    // The plug-in's MIDI output and automation since the last call.
    std::vector<YHostMIDIEvent> TakeMIDIOutput() { return std::exchange(midiOutput_, {}); }
    virtual std::vector<YHostAutomation> TakeAutomation() { return std::exchange(automation_, {}); }

    // ---- Editor (the host's user-interface thread) --------------------------------------------
    // Opens the plug-in's editor in window, sized to what the plug-in asks (VST 2:
    // effEditGetRect, effEditOpen; VST 3: createView, setFrame, getSize, attached). False
    // when the plug-in has none or refused. The window must outlive the editor.
    virtual bool OpenEditor(YHostWindow& window) = 0;
    virtual void CloseEditor() = 0;
    // The editor's size as the plug-in reports it.
    virtual bool EditorSize(int32_t& width, int32_t& height) = 0;
    // The user drags the window's border to width x height: the plug-in corrects the
    // size (checkSizeConstraint), the window takes it, the editor follows (onSize).
    // False where the format has no resizing by the host (VST 2).
    virtual bool ResizeEditor(int32_t& width, int32_t& height) = 0;
    // One pass of the host's user-interface loop: the window system's events, then
    // effEditIdle (VST 2) or the run loop's ready handlers and due timers (VST 3).
    virtual void IdleEditor() = 0;
    // The editor's gestures since the last call.
    virtual std::vector<YHostGesture> TakeGestures() { return std::exchange(gestures_, {}); }

    // ---- State, latency, tail -------------------------------------------------------------
    virtual YByteBuffer GetState() = 0;
    virtual bool SetState(const YByteBuffer& state) = 0;
    virtual int32_t Latency() = 0;
    // Samples; -1 for an endless tail.
    virtual int64_t Tail() = 0;

protected:
    void AdvanceTransport(int32_t frames, double sampleRate) {
        transport_.samplePosition += frames;
        if (transport_.playing && sampleRate > 0.0) transport_.ppqPosition += frames * transport_.tempo / (60.0 * sampleRate);
    }

    YHostTransport transport_;
    std::vector<YHostMIDIEvent> midiInput_;
    std::vector<YHostMIDIEvent> midiOutput_;
    std::vector<YHostAutomation> automation_;
    std::vector<YHostGesture> gestures_;
};
