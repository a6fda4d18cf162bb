#pragma once

#include "engine/Parameters.h"
#include "foundation/YStoreArchive.h"
#include "foundation/YSynchronizer.h"
#include "modulation/YEnvelopeComputer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

// How a control input swings a target around its settings. Stored by number
// ("FullRange"); the names are for display.
enum class YRangeMode : int32_t { UpAndDown = 0, FullRange = 1, UpOnly = 2, DownOnly = 3, Interval = 4 };

// A stored normalised value read back: limited to 0..1, a NaN giving 0.
inline double Held01(double value) { return std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0); }
inline constexpr int32_t kRangeModeCount = 5;
const YString& RangeModeName(int32_t mode);

// The mapping shared by multiparameter targets and MIDI controller slots: input y in
// -1..1 (reversed when invert is set), centre or start value, interval end maxValue,
// depth range. An unknown mode answers value.
double MapRange(double y, double value, double maxValue, double range, int32_t rangeMode, bool invert);

// One target of a multiparameter: a parameter of the plug-in and how the
// multiparameter's value moves it.
struct YMultiParameterParameter {
    static constexpr int32_t kMaxBanks = 33;

    YMultiParameterParameter();

    int32_t parameter = -1;  // global index; -1 while it names nothing
    bool enabled = true;
    double value = 0.5;
    double maxValue = 1.0;
    double range = 1.0;
    int32_t rangeMode = 0;
    bool invert = false;
    bool useFirstRange = false;
    bool shapeEnabled = false;
    YEnvelopeComputer shape;  // transfer curve 0..1 -> 0..1, a straight line when new
    bool interpolate = true;
    std::array<float, kMaxBanks> banks{};

    // The target's value for the input x in 0..1 with these mapping settings.
    double Map(double x) const { return MapRange(2.0 * x - 1.0, value, maxValue, range, rangeMode, invert); }
};

// A macro control: one automatable value in 0..1 driving any number of the plug-in's
// parameters, or a smooth switch, a self-resetting trigger, or a selector of stored
// banks of target values.
//
// Threads: the value is written by the host (any thread), by MIDI controllers and by
// the editor; ramps run on the audio thread. Applying, starting switches, advancing
// ramps and changing or loading the target list all take the one process-wide
// GlobalLock (re-entrant, unlimited wait). Target writes go through the plug-in's
// parameter objects while it is held.
class YMultiParameter {
public:
    enum Mode : int32_t { kNormal = 0, kSwitch = 1, kTrigger = 2, kBanks = 3, kModeCount };
    enum ValueMode : int32_t { kPercents = 0, kByFirstParameter = 1, kValueModeCount };
    static constexpr int32_t kCount = 4;

    class Automation;

    // The plug-in whose parameters the targets name; number is 0..3.
    YMultiParameter(YAudioPlugin& plugin, int32_t number);
    YMultiParameter(const YMultiParameter&) = delete;
    YMultiParameter& operator=(const YMultiParameter&) = delete;

    static YSynchronizer& GlobalLock();
    static const YString& ModeName(int32_t mode);
    static const YString& ValueModeName(int32_t mode);

    int32_t Number() const { return number_; }
    YString DefaultName() const;
    // The automation object for the plug-in to register at global index: a new
    // reference the caller hands over. It must be unregistered before this object goes.
    ParameterMainBase* CreateParameter(ParameterOwner* owner, int32_t index);
    ParameterDefinition& Definition() { return definition_; }

    // Settings; change them under GlobalLock while the audio may run.
    YString name;
    bool enabled = false;
    YString group;
    YString info;
    int32_t mode = kNormal;
    int32_t valueMode = kPercents;
    double switchTime = 1.0;
    double defaultValue = 0.5;
    int32_t bankCount = 4;
    std::vector<YMultiParameterParameter> targets;  // never empty
    bool learning = false;

    // The host-visible value (the alternate slot while the parameter glides).
    double Value() const { return definition_.EffectiveValue(); }
    // Writes the value as the host does and applies it.
    void SetValue(double value);
    double Position() const { return position_; }
    bool Switching() const { return switching_; }
    double Direction() const { return direction_; }

    // Back to a new multiparameter's settings (one disabled target), value at default.
    void Reset();
    // Call under GlobalLock. A new enabled target on parameter: the unassigned target
    // of a new multiparameter when that is the only one, else one more at the end.
    YMultiParameterParameter& AddTarget(int32_t parameter);
    // Call under GlobalLock. The list never empties: the last target goes back to a
    // new, disabled one.
    void RemoveTarget(std::size_t index);
    // Copies every enabled target's current normalised value into bank 0..kMaxBanks-1.
    void StoreBank(int32_t bank);
    // The value at which the multiparameter plays bank (0..bankCount-1) as it is.
    double BankPosition(int32_t bank) const;
    void SetSampleRate(double rate) { sampleRate_ = rate > 0 ? rate : 44100.0; }

    // Writes every enabled target for the current input. Does nothing while learning
    // or while already applying on this thread.
    void Apply();
    // Audio thread: starts or turns a Switch or Trigger ramp when the value asks for it.
    void CheckSwitch();
    // Audio thread: moves a running ramp over frames samples and applies it.
    void Advance(int32_t frames);
    // Whether a ramp is running that the block road should cut into small steps.
    bool Ramping() const { return switching_ && !learning; }

    // The "MultiParameter" + number element of "MultiParameters": not written while the
    // only target is disabled; a load without it resets.
    void Store(YStoreArchive& parent);
    // The name of multiparameter number (0..3)'s element inside "MultiParameters".
    static YString ElementName(int32_t number);

    // The value's text: a percentage, or the first target's value text.
    YString ValueText(double value) const;

private:
    void StoreElement(YXMLItem& element, bool loading);
    void StoreTarget(YStoreArchive& archive, YMultiParameterParameter& target);
    double Input() const { return mode == kSwitch || mode == kTrigger ? position_ : definition_.value.Load(); }
    void WriteTargets(double x);
    void SetValueSilently(double value) { definition_.Write(value); }

    YAudioPlugin& plugin_;
    int32_t number_;
    ParameterDefinition definition_;
    double sampleRate_ = 44100.0;
    double position_ = 0.0;
    double direction_ = 1.0;
    bool switching_ = false;
    bool applying_ = false;
};
