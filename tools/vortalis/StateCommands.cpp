// params and state: what the plug-in holds, read and written as a host would.
#include "CommandLine.h"

#include "engine/YYorvaneAudioEffectPlugin.h"
#include "foundation/YException.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"
#include "foundation/YZLibStream.h"
#include "foundation/YRandom.h"
#include "phaser/VortalisAudioEffectPlugin.h"
#include "shell/YStateChunk.h"

#include <cctype>
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

}  // namespace

std::unique_ptr<YYorvaneAudioEffectPlugin> MakeEngine(double sampleRate) {
    auto plugin = std::make_unique<YYorvaneAudioEffectPlugin>();
    plugin->Initialize("Vortalis", "Yorvane", &VortalisAudioEffectPluginInterface, 500, 100);
    plugin->SetSampleRate(sampleRate);
    plugin->SetChannels(2, 2);
    plugin->InitProcessing();
    return plugin;
}

bool LoadStateFile(YYorvaneAudioEffectPlugin& plugin, const std::string& path, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!ReadFile(path, bytes, error)) return false;
    try {
        YStateChunk::Load(plugin, bytes.data(), static_cast<uint32_t>(bytes.size()));
    } catch (const YException& e) {
        error = "corrupt state file \"" + path + "\": " + e.Message().ToUtf8();
        return false;
    }
    return true;
}

bool SaveStateFile(YYorvaneAudioEffectPlugin& plugin, const std::string& path, std::string& error) {
    const YByteBuffer state = YStateChunk::Save(plugin);
    return WriteFileAtomically(path, state.Data(), state.Size(), error);
}

namespace {

// A program named by its letter, A to H.
bool ProgramIndex(const std::string& name, int32_t& index) {
    if (name.size() != 1) return false;
    index = std::toupper(static_cast<unsigned char>(name[0])) - 'A';
    return index >= 0 && index < YYorvaneAudioEffectPlugin::kProgramCount;
}

struct RandomArguments {
    std::string from, output;
    double amount = 1.0;
    int64_t seed = -1;
    bool smart = false;
};

int RandomState(const RandomArguments& arguments) {
    std::string error;
    auto plugin = MakeEngine();
    if (!arguments.from.empty() && !LoadStateFile(*plugin, arguments.from, error)) return Fail(error);
    if (arguments.seed >= 0) YRandom::SetSeed(static_cast<uint32_t>(arguments.seed));
    if (arguments.smart) {
        if (plugin->GenerateRandomSettingsSmart() == 0)
            return Fail("no presets to draw from in the top-level preset folder \"Randomizer\"");
    } else {
        plugin->GenerateRandomSettings(arguments.amount);
    }
    if (!SaveStateFile(*plugin, arguments.output, error)) return Fail(error);
    return 0;
}

struct MorphArguments {
    std::vector<std::string> files;  // A B C D OUTPUT
    double x = 0.5, y = 0.5;
};

// The current programs of four states become programs A-D of one state, whose
// current program, E, is their blend at (x, y).
int MorphStates(const MorphArguments& arguments) {
    std::string error;
    auto plugin = MakeEngine();
    for (int32_t program = 0; program < 4; ++program) {
        auto source = MakeEngine();
        if (!LoadStateFile(*source, arguments.files[static_cast<std::size_t>(program)], error)) return Fail(error);
        plugin->SelectProgram(program);
        try {
            plugin->PasteProgramSettings(source->CopyProgramSettings());
        } catch (const YException& e) {
            return Fail(e.Message().ToUtf8());
        }
    }
    // Without an editor the tool answers the morph's question: keep A-D, morph into E.
    plugin->OnPresetMorph([](const YString&) { return true; });
    plugin->SelectProgram(4);
    plugin->MorphPrograms(arguments.x, arguments.y);
    if (!SaveStateFile(*plugin, arguments.files[4], error)) return Fail(error);
    return 0;
}

struct ProgramArguments {
    std::string program, input, output;
};

int SelectStateProgram(const ProgramArguments& arguments) {
    int32_t index = 0;
    if (!ProgramIndex(arguments.program, index)) return Fail("a program is named by a letter, A to H");
    std::string error;
    auto plugin = MakeEngine();
    if (!LoadStateFile(*plugin, arguments.input, error)) return Fail(error);
    plugin->SelectProgram(index);
    if (!SaveStateFile(*plugin, arguments.output.empty() ? arguments.input : arguments.output, error)) return Fail(error);
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

    auto random = std::make_shared<RandomArguments>();
    command = state->add_subcommand("random", "write a state with random settings");
    command->add_option("OUTPUT", random->output, "state file to write")->required();
    command->add_option("--from", random->from, "start from this state (default: the built-in settings)");
    CLI::Option* amount =
        command->add_option("--amount", random->amount, "how far every parameter may move, 0..1 of its range (1: anywhere)")
            ->check(CLI::Range(0.0, 1.0));
    command->add_flag("--smart", random->smart, "load a preset drawn from the preset folders \"Randomizer\" and \"Randomizer Multi\"")
        ->excludes(amount);
    command->add_option("--seed", random->seed, "seed of the random generator, for a repeatable result")
        ->check(CLI::Range(int64_t{0}, int64_t{4294967295}));
    commands.push_back({command, [random] { return RandomState(*random); }});

    auto morph = std::make_shared<MorphArguments>();
    command = state->add_subcommand("morph", "blend the settings of four states");
    command->add_option("FILES", morph->files, "A.state B.state C.state D.state OUTPUT.state")->required()->expected(5);
    command->add_option("--x", morph->x, "pad position from A/B (0) to C/D (1)")->check(CLI::Range(0.0, 1.0));
    command->add_option("--y", morph->y, "pad position from A/C (0) to B/D (1)")->check(CLI::Range(0.0, 1.0));
    commands.push_back({command, [morph] { return MorphStates(*morph); }});

    auto program = std::make_shared<ProgramArguments>();
    command = state->add_subcommand("program", "select a program, A to H, in a saved state");
    command->add_option("PROGRAM", program->program, "program letter, A to H")->required();
    command->add_option("STATE", program->input, "state file")->required();
    command->add_option("OUTPUT", program->output, "state file to write (default: STATE itself)");
    commands.push_back({command, [program] { return SelectStateProgram(*program); }});

    AddGainCommands(*state, commands);
}
