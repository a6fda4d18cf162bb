#pragma once

class YAudioPlugin;

// Makes the product's plug-in: the engine subclass around the product's effect,
// initialised with its names and its effect export. Both entry points call it on
// whatever thread the host creates instances on; null when it could not be made
// (it may also raise). Defined by each product (src/phaser for Vortalis, the test
// glue for the test plug-in), never here: the shell is shared.
YAudioPlugin* CreateAudioPlugin();
