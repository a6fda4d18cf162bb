#pragma once

#include "engine/ParameterDefinition.h"
#include "foundation/YObject.h"
#include "foundation/YRelaxed.h"
#include "foundation/YSynchronizer.h"
#include "shell/HostTransport.h"

#include <cstdint>

class YAudioEffectPluginToAudioPluginAdapter;
class YMIDIProcessorBase;
class YStoreArchive;

// The shape of the export that creates an effect and forwards commands to it:
// (effect or null, command, argument) -> pointer-sized result. Command 7 answers
// the effect object itself (made anew when the pointer is null).
using YEffectFactory = intptr_t (*)(void* effect, int64_t command, int64_t argument);
constexpr int64_t kEffectCommandGetObject = 7;

// An effect as the engine drives it: it owns its parameter definitions, and the
// engine reads them directly.
class YPlugin : public YObject {
public:
    // A command the export forwards; the base knows none.
    virtual intptr_t Command(int64_t command, int64_t argument) {
        (void)command, (void)argument;
        return 0;
    }
    // The engine and the plug-in mutex the effect takes for its parameter updates,
    // its processing and its shape rendering.
    virtual void AttachHost(YAudioEffectPluginToAudioPluginAdapter* engine, YSynchronizer* mutex) {
        engine_ = engine;
        mutex_ = mutex;
    }
    // Copies every float definition's value into its smoothed value.
    virtual void ResetSmoothing();
    // Recomputes what derives from the parameter values; may take the plug-in mutex.
    virtual void UpdateFromParameters() {}
    // Refreshes the definitions bound to special editors.
    virtual void RefreshSpecialParameters() {}
    // The value of an external switch definition (kind ExternalBoolean).
    virtual YRelaxed<bool>* ExternalSwitch(int32_t index) {
        (void)index;
        return nullptr;
    }

    // Stores one attribute per definition, "parameter" followed by its id, or reads
    // them back; the archive says which. Values equal to their default are not
    // written. Read floats are held to their range and integers to theirs; a missing
    // float reads as its default rounded to the 6 decimals of its text. Loading
    // writes values only, never flags. User-interface thread, under the engine's locks.
    virtual void StoreParameters(YStoreArchive& archive);
    // Stores the effect's MIDI settings as child elements of the archive's element.
    virtual void StoreMIDISettings(YStoreArchive& archive) { (void)archive; }
    // The effect's receiver of MIDI notes, if it has one: the engine makes it a child
    // of the plug-in and asks the host for MIDI input. Must live as long as the effect.
    virtual YMIDIProcessorBase* MIDIProcessor() { return nullptr; }

    ParameterDefinition* Definitions() { return definitions_; }
    int32_t DefinitionCount() const { return definitionCount_; }

protected:
    ParameterDefinition* definitions_ = nullptr;
    int32_t definitionCount_ = 0;
    YAudioEffectPluginToAudioPluginAdapter* engine_ = nullptr;
    YSynchronizer* mutex_ = nullptr;
};

class YAudioEffectPlugin : public YPlugin {
public:
    // Resets all per-channel state for this many channels and remembers the rate.
    virtual int32_t Prepare(int32_t channels, double sampleRate) = 0;
    // One block in place or out of place; the tables hold the processed channels.
    virtual void ProcessBlock(HostTransport& context, float** inputs, float** outputs, int32_t count) = 0;
    // Called from the engine's update while an editor is open.
    virtual void BlockUpdate() {}
    // The largest block the effect accepts.
    virtual int32_t BlockLimit() const { return 2147483647; }
    // Samples the effect keeps sounding after its input stops; 0xFFFFFFFF: unbounded.
    virtual uint32_t GetTailSize() { return 0; }
    // Samples of delay the effect adds.
    virtual int32_t GetLatency() { return 0; }
    // Whether the effect follows the host's tempo and position: the bindings then fetch
    // the transport for every block.
    virtual bool NeedsHostSync() const { return false; }
    // Moves time on as if that many samples had been processed.
    virtual void SkipSamples(int32_t count) { (void)count; }
};
