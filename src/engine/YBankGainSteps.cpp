#include "engine/YBankGainSteps.h"

#include "engine/YAudioEffectPluginToAudioPluginAdapter.h"
#include "foundation/YException.h"
#include "foundation/YFormat.h"

#include <algorithm>

std::unique_ptr<YAGCMeasurement> YBankGainSteps::Start(YAudioEffectPluginToAudioPluginAdapter& engine, int32_t number,
                                                       double now) {
    return std::make_unique<YAGCMeasurement>(engine, std::make_unique<YBankGainSteps>(engine, number), now);
}

YBankGainSteps::YBankGainSteps(YAudioEffectPluginToAudioPluginAdapter& engine, int32_t number)
    : engine_(engine), number_(number) {
    if (number < 0 || number >= YMultiParameter::kCount)
        throw YException(YFormat("There is no multiparameter {0}.").Arg(number + 1));
    YMultiParameter& multi = engine_.MultiParameter(number);
    YScopedLock lock(YMultiParameter::GlobalLock());
    if (multi.mode != YMultiParameter::kBanks)
        throw YException(YFormat("{0} is not in Banks mode: only a Banks multiparameter has bank gains.").Arg(multi.name));
    count_ = std::clamp(multi.bankCount, 1, YMultiParameterParameter::kMaxBanks);
    savedValue_ = multi.Value();
    for (const YMultiParameterParameter& target : multi.targets) savedBanks_.push_back(target.banks);
}

void YBankGainSteps::Begin(int32_t step) {
    const int32_t index = engine_.MultiParameterIndex(number_);
    const double position = Position(step);
    engine_.SetParameter(index, position);
    engine_.AutomationChanged(index, position);
}

void YBankGainSteps::Finish(int32_t step) { engine_.MultiParameter(number_).StoreBank(step); }

void YBankGainSteps::Undo() {
    YMultiParameter& multi = engine_.MultiParameter(number_);
    {
        YScopedLock lock(YMultiParameter::GlobalLock());
        const std::size_t kept = std::min(savedBanks_.size(), multi.targets.size());
        for (std::size_t i = 0; i < kept; ++i) multi.targets[i].banks = savedBanks_[i];
    }
    const int32_t index = engine_.MultiParameterIndex(number_);
    engine_.SetParameter(index, savedValue_);
    engine_.AutomationChanged(index, savedValue_);
}
