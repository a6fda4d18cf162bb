#pragma once

#include "engine/ParameterDefinition.h"
#include "foundation/YObject.h"
#include "foundation/YRelaxed.h"
#include "shell/HostTransport.h"

#include <cstdint>

// Locks a modulation effect's LFO to the host: speed from the tempo, position from
// the song position.
class YAudioPluginHostSyncBase : public YEventTarget {
public:
    // Declares the synchronisation parameters at definitions[0 ..] and binds them.
    virtual void DeclareParameters(ParameterDefinition* definitions) = 0;
    // Recomputes what derives from the bound parameters (under the plug-in mutex).
    virtual void UpdateFromParameters() noexcept = 0;
    // At the start of a block, while synchronised: the increment (cycles per sample)
    // from the tempo and the phase from the song position, each only when the host
    // reports it (not negative). Audio thread, before the plug-in mutex is taken.
    virtual void UpdateBlock(const HostTransport& time, double& phase, double& increment,
                             double sampleRate) const noexcept = 0;
};

class YAudioPluginHostSync : public YAudioPluginHostSyncBase {
public:
    static constexpr int32_t kParameterCount = 4;  // "Synchronization", "Length", "Type", "Phase"
    static constexpr int32_t kLengthCount = 15;
    static constexpr int32_t kDefaultLength = 9;   // "1 / 4"
    static constexpr int32_t kTypeCount = 4;
    static const YString kLengthNames[kLengthCount];
    static const YString kTypeNames[kTypeCount];

    // Cycles per whole note: 2^(length - 7) times 1, 1.5, 4/3 or 1.25 by type; both
    // indices are held to their items.
    static double Multiplier(int32_t length, int32_t type) noexcept;

    void DeclareParameters(ParameterDefinition* definitions) override;
    // Binds already declared definitions (sync, length, type, phase in that order).
    void Bind(ParameterDefinition* definitions) noexcept;
    void UpdateFromParameters() noexcept override;
    void UpdateBlock(const HostTransport& time, double& phase, double& increment,
                     double sampleRate) const noexcept override;

    // Read from the definition's relaxed copy when bound: the parameter object writes
    // both, and the audio thread must not read the plain switch.
    bool Synchronised() const noexcept;
    // Sets the switch and its definition's copy alike.
    void SetSynchronised(bool on) noexcept;
    double CyclesPerWholeNote() const noexcept { return cyclesPerWholeNote_.Load(); }
    // The "Phase" value in cycles, 0 while unbound.
    double PhaseOffset() const noexcept;

    // The "Synchronization" parameter's value: its external switch. Host automation
    // writes it from any thread while a state is saved on another.
    YRelaxed<bool> sync{false};
    ParameterDefinition* syncDefinition = nullptr;
    ParameterDefinition* lengthDefinition = nullptr;
    ParameterDefinition* typeDefinition = nullptr;
    ParameterDefinition* phaseDefinition = nullptr;

private:
    YRelaxed<double> cyclesPerWholeNote_ = Multiplier(kDefaultLength, 0);
};
