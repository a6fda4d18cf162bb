// The product definitions of the test plug-in library: the plug-in CreateAudioPlugin
// makes and the effect export it is made with.
#include "host/plugin/TestPlugin.h"
#include "platform/PlatformAbi.h"
#include "shell/CreateAudioPlugin.h"

extern "C" Y_EXPORT intptr_t VortalisAudioEffectPluginInterface(void* effect, int64_t command, int64_t argument) noexcept {
    try {
        return TestProbeEffectFactory(effect, command, argument);
    } catch (...) {
        return 0;
    }
}

YAudioPlugin* CreateAudioPlugin() { return MakeTestAudioPlugin(&VortalisAudioEffectPluginInterface); }
