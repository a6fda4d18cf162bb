// vortalis: renders audio files through the built plug-in the way a host does,
// lists its parameters, and reads and writes saved states.
#include "CommandLine.h"

int main(int argc, char** argv) {
    CLI::App app{"Vortalis: renders audio through the built plug-in, lists its parameters, reads and writes states."};
    app.require_subcommand(1);
    CommandList commands;
    AddRenderCommands(app, commands);
    AddStateCommands(app, commands);
    AddOnlineCommands(app, commands);
    AddShapeCommands(app, commands);
    AddSnapshotCommand(app, commands);
    AddPresetCommands(app, commands);

    CLI11_PARSE(app, argc, argv);
    for (const Command& command : commands)
        if (*command.app) return command.run();
    return 0;
}
