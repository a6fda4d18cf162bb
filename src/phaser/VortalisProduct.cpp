// The product: Vortalis by Yorvane, the phaser in the maker's engine.
#include "engine/YYorvaneAudioEffectPlugin.h"
#include "phaser/VortalisAudioEffectPlugin.h"
#include "shell/CreateAudioPlugin.h"

#include <memory>

YAudioPlugin* CreateAudioPlugin() {
    auto plugin = std::make_unique<YYorvaneAudioEffectPlugin>();
    plugin->Initialize("Vortalis", "Yorvane", &VortalisAudioEffectPluginInterface, 500, 100);
    return plugin.release();
}
