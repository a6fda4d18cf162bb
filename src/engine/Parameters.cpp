#include "engine/Parameters.h"

void ParameterMainBase::Notify() {
    owner_->ParameterChanged(index_);
    if (Definition().MarksDirty()) owner_->MarkSettingsChanged();
}

void ParameterMainBase::SetValue(int32_t, double value, bool silent) {
    StorePlain(Definition().Denormalise(value));
    if (!silent) Notify();
}

double ParameterMainBase::GetValue(int32_t) const { return Definition().Normalise(PlainValue()); }
YString ParameterMainBase::GetName(int32_t) const { return Definition().name; }
YString ParameterMainBase::GetID(int32_t) const { return Definition().id; }
YString ParameterMainBase::GetValueName(int32_t) const { return Definition().TextOf(PlainValue()); }

YString ParameterMainBase::GetValueNameFrom01(int32_t, double value) const {
    return Definition().TextOf(Definition().Denormalise(value));
}

double ParameterMainBase::ParseValueName(int32_t, const YString& text) const {
    double plain;
    if (!Definition().Parse(text, plain)) return -1.0;
    return Definition().Normalise(plain);
}

double ParameterMainBase::GetDefaultValue(int32_t) const { return Definition().NormalisedDefault(); }
