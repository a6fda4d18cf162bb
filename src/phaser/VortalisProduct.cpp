// The product: Vortalis by Yorvane, the phaser in the maker's engine, with its editor.
#include "editor/VortalisEditor.h"
#include "engine/YYorvaneAudioEffectPlugin.h"
#include "phaser/VortalisAudioEffectPlugin.h"
#include "shell/CreateAudioPlugin.h"

#include <memory>

YAudioPlugin* CreateAudioPlugin() {
    auto plugin = std::make_unique<YYorvaneAudioEffectPlugin>();
    plugin->Initialize("Vortalis", "Yorvane", &VortalisAudioEffectPluginInterface, 500, 100);
    plugin->SetEditorFactory(&CreateVortalisEditor);
    return plugin.release();
}
