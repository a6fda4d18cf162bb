#include "engine/YAudioEffectPlugin.h"

void YPlugin::ResetSmoothing() {
    for (int32_t i = 0; i < definitionCount_; ++i)
        if (definitions_[i].kind == ParameterKind::Float) definitions_[i].smoothedValue = definitions_[i].value.Load();
}
