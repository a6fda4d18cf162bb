#pragma once

#include "foundation/YStoreArchive.h"
#include "foundation/YString.h"
#include "shell/YAudioPlugin.h"

#include <array>
#include <cstdint>

// MIDI driving parameters: 32 controller slots (a controller number and channel
// mapped onto one parameter through a range mapping), 32 note controllers, and the
// preset trigger that steps presets from one controller.
//
// Threads: the Process operations run on the audio thread under the plug-in's
// parameterLock and processingLock; the tables change on the user-interface thread
// under the same locks (state loading) or between blocks. Target writes go through
// the plug-in's parameter objects (SetParameter).
class YMIDIControllers {
public:
    static constexpr int32_t kSlots = 32;
    // Sources beyond the 128 control changes.
    static constexpr int32_t kAftertouch = 128;
    static constexpr int32_t kPitchBend = 129;
    static constexpr int32_t kVelocity = 130;        // note-on and note-off
    static constexpr int32_t kVelocityOn = 131;      // note-on only
    static constexpr int32_t kSourceCount = 132;
    static constexpr double kLowerThird = 1.0 / 3.0;
    static constexpr double kUpperThird = 2.0 / 3.0;

    enum NoteMode : int32_t { kLinear, kLogarithmic, kOnOff, kOnOffAllOctaves, kSwitch, kSwitchAllOctaves, kNoteModeCount };

    struct Controller {
        bool enabled = false;
        int32_t parameter = -1;  // global index; -1 while it names nothing
        double value = 0.0;
        double maxValue = 0.0;
        double range = 1.0;
        int32_t rangeMode = 0;
        bool invert = false;
        int32_t channel = 0;     // 0 any, 1..16 one channel
        int32_t controller = 1;  // 0..127 control change, or a source above
    };

    struct NoteController {
        bool enabled = false;
        int32_t parameter = -1;
        int32_t mode = kLogarithmic;
        int32_t channel = 0;
        int32_t note = 48;
        double value = 0.0;
        double maxValue = 0.0;
    };

    struct PresetTrigger {
        bool enabled = false;
        int32_t controller = 0;
        int32_t channel = 0;
    };

    // What a step of the preset trigger asks the owner to do.
    using PresetStep = void (*)(void* context, int32_t step);

    YMIDIControllers(YAudioPlugin& plugin, PresetStep presetStep, void* context)
        : plugin_(plugin), presetStep_(presetStep), context_(context) {}

    std::array<Controller, kSlots> controllers{};
    std::array<NoteController, kSlots> noteControllers{};
    bool controllersEnabled = false;
    bool noteControllersEnabled = false;
    PresetTrigger presetTrigger;
    int32_t noteOffset = 0;  // added to the note number in the frequency formula

    // "CC 7", "Aftertouch", ...: what a controller number stands for.
    static YString SourceName(int32_t controller);
    static const YString& NoteModeName(int32_t mode);
    // The frequency of a note number in hertz: 60 is 523.25 Hz, 57 is 440 Hz.
    static double NoteFrequency(int32_t note);

    // Audio thread. channel is 1..16; value 0..1.
    void ProcessController(int32_t channel, int32_t controller, double value);
    void ProcessNote(int32_t channel, int32_t key, double velocity, bool on);
    // The last note that drove a Linear or Logarithmic note controller; -1 before any.
    int32_t LastNote() const { return lastNote_; }

    // "Attach MIDI controller": the slot for the parameter (the one already on it, else
    // the first disabled one), set up and enabled; -1 when all are in use, and then
    // nothing changes. Enables the table (clearing every slot) when it was off.
    int32_t AttachController(int32_t parameter);
    static const YString& AllInUseMessage();
    // The assignments an active preset brings: the first slot onto multiparameter 1,
    // each further multiparameter in use onto the next free slot with controller 21, 22, ...
    // multiParameters holds the global indices of the four multiparameters.
    void ApplyDefaultAssignments(const int32_t* multiParameters, const bool* inUse, int32_t count);

    // The root's switches: "ControllersEnabled", "NoteControllersEnabled",
    // "PreviousNextPresetController".
    void StoreSwitches(YStoreArchive& archive);
    // The "Controllers" and "NoteControllers" elements: one child per enabled slot.
    void StoreTables(YStoreArchive& archive);

private:
    static bool ChannelMatches(int32_t wanted, int32_t channel) { return wanted == 0 || wanted == channel; }
    // Interval mapping over the whole of the parameter's range.
    static void GiveWholeRange(Controller& slot, int32_t parameter);
    void Write(int32_t parameter, double value);
    void Trigger(int32_t channel, int32_t controller, double value);

    YAudioPlugin& plugin_;
    PresetStep presetStep_;
    void* context_;
    double triggerValue_ = 0.0;
    int32_t lastNote_ = -1;
};
