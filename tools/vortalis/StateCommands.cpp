// params and state: what the plug-in holds, read and written as a host would.
#include "CommandLine.h"

#include "engine/YYorvaneAudioEffectPlugin.h"
#include "foundation/YException.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"
#include "foundation/YZLibStream.h"
#include "phaser/VortalisAudioEffectPlugin.h"

#include <cstdio>
#include <memory>

namespace {

// The XML document inside a saved state.
int DumpState(const std::string& path) {
    std::string error;
    std::vector<uint8_t> bytes;
    if (!ReadFile(path, bytes, error)) return Fail(error);
    try {
        YMemoryStream compressed(YByteBuffer::Borrow(bytes.data(), bytes.size()));
        YZLibStream inflating(&compressed, false, 100);
        YXMLDocument document;
        document.Load(inflating);
        YMemoryStream text;
        document.Save(text);
        std::fwrite(text.GetBuffer().Data(), 1, text.GetDataSize(), stdout);
    } catch (const YException& e) {
        return Fail("corrupt state file \"" + path + "\": " + e.Message().ToUtf8());
    }
    return 0;
}

// Every parameter with its identifier, name, default and range as the plug-in shows
// them, read from the product itself (hosts see only the identifiers).
int ListParameters() {
    YYorvaneAudioEffectPlugin plugin;
    plugin.Initialize("Vortalis", "Yorvane", &VortalisAudioEffectPluginInterface, 500, 100);
    std::printf("%-5s %-16s %-26s %-16s %s\n", "index", "id", "name", "default", "range");
    for (int32_t i = 0; i < plugin.GetParameterCount(); ++i) {
        const ParameterDefinition& definition = plugin.Parameter(i)->Definition();
        const std::string range = plugin.GetParameterValueNameFrom01(i, 0.0).ToUtf8() + " .. " +
                                  plugin.GetParameterValueNameFrom01(i, 1.0).ToUtf8();
        std::printf("%-5d %-16s %-26s %-16s %s\n", i, definition.id.ToUtf8().c_str(), definition.name.ToUtf8().c_str(),
                    definition.TextOf(definition.defaultValue).ToUtf8().c_str(), range.c_str());
    }
    return 0;
}

struct SaveArguments {
    SessionOptions options;
    PluginArguments plugin;
    SettingArguments settings;
    ShapeArguments shape;
    ControlArguments controls;
    std::string path;
};

}  // namespace

void AddStateCommands(CLI::App& app, CommandList& commands) {
    commands.push_back({app.add_subcommand("params", "list every parameter"), [] { return ListParameters(); }});

    CLI::App* state = app.add_subcommand("state", "read or write a saved state");
    state->require_subcommand(1);
    auto dumpPath = std::make_shared<std::string>();
    CLI::App* dump = state->add_subcommand("dump", "print the XML document inside a saved state");
    dump->add_option("FILE", *dumpPath, "state file")->required();
    commands.push_back({dump, [dumpPath] { return DumpState(*dumpPath); }});

    auto save = std::make_shared<SaveArguments>();
    CLI::App* command = state->add_subcommand("save", "write the state a host would save for these settings");
    command->add_option("FILE", save->path, "state file to write")->required();
    save->plugin.AddTo(*command, save->options);
    save->settings.AddTo(*command);
    save->shape.AddTo(*command);
    save->controls.AddTo(*command);
    commands.push_back({command, [save] {
        std::string error;
        save->plugin.Fill(save->options);
        if (!save->settings.Fill(save->options, error)) return Fail(error);
        Session session;
        if (!session.Open(save->options, 48000.0, 2, error) || !save->shape.Apply(session, error) ||
            !save->controls.Apply(session, error) ||
            !session.SaveState(save->path, error))
            return Fail(error);
        return 0;
    }});
}
