#pragma once

#include "engine/ParameterDefinition.h"
#include "shell/YAudioPlugin.h"

#include <cstdint>

// What a parameter object tells the plug-in that owns it.
class ParameterOwner {
public:
    // A parameter's value changed (not for silent writes).
    virtual void ParameterChanged(int32_t index) = 0;
    virtual void MarkSettingsChanged() = 0;

protected:
    ~ParameterOwner() = default;
};

// A parameter as the plug-in exposes it: an automation adapter over one definition.
// Hosts, controllers and the editor read and write it as a normalised 0..1 number;
// writes are plain stores followed by notifications, without a lock.
class ParameterMainBase : public YAudioPlugin::AutomationAdapter {
public:
    ParameterMainBase(ParameterOwner* owner, int32_t index) : owner_(owner), index_(index) {}

    virtual ParameterDefinition& Definition() = 0;
    const ParameterDefinition& Definition() const { return const_cast<ParameterMainBase*>(this)->Definition(); }
    int32_t Index() const { return index_; }

    void SetValue(int32_t local, double value, bool silent) override;
    double GetValue(int32_t local) const override;
    YString GetName(int32_t local) const override;
    YString GetID(int32_t local) const override;
    YString GetValueName(int32_t local) const override;
    YString GetValueNameFrom01(int32_t local, double value) const override;
    // The normalised value of typed text, or -1 when the text cannot be read.
    double ParseValueName(int32_t local, const YString& text) const override;
    double GetDefaultValue(int32_t local) const override;
    // The definition's reported flag, for the kinds that carry one.
    virtual bool FlagQuery() const { return false; }

protected:
    // The plain value this parameter shows and normalises.
    virtual double PlainValue() const { return Definition().value.Load(); }
    virtual void StorePlain(double plain) { Definition().Write(plain); }
    void Notify();

private:
    ParameterOwner* owner_;
    int32_t index_;
};

// A parameter over a definition of the effect's table.
class ParameterBase : public ParameterMainBase {
public:
    ParameterBase(ParameterOwner* owner, int32_t index, ParameterDefinition* definition)
        : ParameterMainBase(owner, index), definition_(definition) {}
    using ParameterMainBase::Definition;
    ParameterDefinition& Definition() override { return *definition_; }

private:
    ParameterDefinition* definition_;
};

// A parameter that carries its own definition (the engine's own parameters).
class ParameterBaseCustom : public ParameterMainBase {
public:
    ParameterBaseCustom(ParameterOwner* owner, int32_t index, ParameterDefinition definition)
        : ParameterMainBase(owner, index), definition_(std::move(definition)) {}
    using ParameterMainBase::Definition;
    ParameterDefinition& Definition() override { return definition_; }

private:
    ParameterDefinition definition_;
};

template <typename Base>
class ParameterFloatT : public Base {
public:
    using Base::Base;
    int32_t GetType(int32_t) const override { return 1; }
    bool FlagQuery() const override { return this->Definition().Flag(0, ParameterDefinition::kReportedBit); }
};

template <typename Base>
class ParameterIntT : public Base {
public:
    using Base::Base;
    int32_t GetType(int32_t) const override { return 2; }
    bool FlagQuery() const override { return this->Definition().Flag(0, ParameterDefinition::kReportedBit); }
};

template <typename Base>
class ParameterEnumT : public Base {
public:
    using Base::Base;
    int32_t GetType(int32_t) const override { return 3; }
};

template <typename Base>
class ParameterBoolT : public Base {
public:
    using Base::Base;
    int32_t GetType(int32_t) const override { return 4; }
};

// A switch whose value lives in another object (the host-sync object's sync flag).
template <typename Base>
class ParameterGroupT : public Base {
public:
    template <typename... Arguments>
    ParameterGroupT(YRelaxed<bool>* target, Arguments&&... arguments)
        : Base(std::forward<Arguments>(arguments)...), target_(target) {}
    int32_t GetType(int32_t) const override { return 4; }

protected:
    double PlainValue() const override { return target_->Load() ? 1.0 : 0.0; }
    void StorePlain(double plain) override {
        *target_ = plain >= 0.5;
        this->Definition().value = plain >= 0.5 ? 1.0 : 0.0;
    }

private:
    YRelaxed<bool>* target_;
};
