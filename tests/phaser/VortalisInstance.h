#pragma once

// The product's engine with the Vortalis effect, prepared at 48 kHz, as a host
// would have it after loading the plug-in.
#include "engine/YYorvaneAudioEffectPlugin.h"
#include "phaser/VortalisAudioEffectPlugin.h"

#include <memory>

inline std::unique_ptr<YYorvaneAudioEffectPlugin> MakeInstance(int channels = 2) {
    auto plugin = std::make_unique<YYorvaneAudioEffectPlugin>();
    plugin->Initialize("Vortalis", "Yorvane", &VortalisAudioEffectPluginInterface, 500, 100);
    if (channels > 2) plugin->SetupPins(1, true);
    plugin->SetSampleRate(48000.0);
    plugin->SetChannels(channels, channels);
    plugin->InitProcessing();
    return plugin;
}
