// presets: the user's preset file, read and changed by the product's own engine built
// into the tool, exactly as an instance in a host does it.
#include "CommandLine.h"

#include "engine/YYorvaneAudioEffectPlugin.h"
#include "foundation/YException.h"
#include "phaser/VortalisAudioEffectPlugin.h"
#include "shell/YStateChunk.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

// The product's engine; it opens the preset file while it is made.
std::unique_ptr<YYorvaneAudioEffectPlugin> OpenPresetEngine(std::string& error) {
    auto engine = std::make_unique<YYorvaneAudioEffectPlugin>();
    engine->Initialize("Vortalis", "Yorvane", &VortalisAudioEffectPluginInterface, 500, 100);
    const YPresetManagerBase& presets = engine->Presets();
    if (!presets.OpenError().IsEmpty()) {
        error = "the preset file \"" + presets.Path().ToUtf8() + "\" cannot be read: " + presets.OpenError().ToUtf8();
        return nullptr;
    }
    return engine;
}

// A preset by its path ("Folder/Name"), or by a name found once anywhere in the tree.
const YXMLItem* FindUserPreset(const YPresetManagerBase& presets, const std::string& path, std::string& error) {
    const YString wanted = YString::FromUtf8(path);
    if (const YXMLItem* preset = presets.FindPreset(wanted)) return preset;
    const YXMLItem* found = nullptr;
    if (wanted.Find(u'/') < 0) {
        for (const YXMLItem* preset : presets.StepOrder()) {
            if (!YString::EqualsNoCase(YPresetManagerBase::NameOf(*preset), wanted)) continue;
            if (found) {
                error = "more than one preset is called \"" + path + "\": name it with its folder, as \"" +
                        presets.PathOf(*preset).ToUtf8() + "\"";
                return nullptr;
            }
            found = preset;
        }
    }
    if (found == nullptr) error = "no preset \"" + path + "\" (\"vortalis presets list\" shows them)";
    return found;
}

namespace {

const YXMLItem* FindFolder(const YPresetManagerBase& presets, const std::string& path, std::string& error) {
    const YXMLItem* folder = presets.FindFolder(YString::FromUtf8(path));
    if (folder == nullptr) error = "no preset folder \"" + path + "\"";
    return folder;
}

// The tree, folders before their content, each preset with its place in the stepping
// order that the "next" and "previous" triggers follow.
int List() {
    std::string error;
    std::unique_ptr<YYorvaneAudioEffectPlugin> engine = OpenPresetEngine(error);
    if (!engine) return Fail(error);
    const YPresetManagerBase& presets = engine->Presets();
    std::printf("%s\n", presets.Path().ToUtf8().c_str());
    const std::vector<const YXMLItem*> order = presets.StepOrder();
    if (order.empty()) std::printf("no presets\n");
    std::function<void(const YXMLItem&, int)> print = [&](const YXMLItem& folder, int depth) {
        const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
        for (uint32_t i = 0; i < folder.GetSubItemCount(); ++i) {
            const YXMLItem& child = *folder.GetSubItemAt(i);
            if (YPresetManagerBase::IsPreset(child)) {
                const auto index = std::find(order.begin(), order.end(), &child) - order.begin();
                std::printf("%4ld  %s%s\n", static_cast<long>(index), indent.c_str(),
                            YPresetManagerBase::NameOf(child).ToUtf8().c_str());
            } else if (YPresetManagerBase::IsFolder(child)) {
                std::printf("      %s%s/\n", indent.c_str(), YPresetManagerBase::NameOf(child).ToUtf8().c_str());
                print(child, depth + 1);
            }
        }
    };
    print(presets.Root(), 0);
    return 0;
}

// What save and replace store: the settings a host would have for these options.
struct StoreArguments {
    SessionOptions options;
    PluginArguments plugin;
    SettingArguments settings;
    std::string name, folder;

    void AddTo(CLI::App& command) {
        plugin.AddTo(command, options);
        settings.AddTo(command);
        command.add_option("--state", options.stateIn, "start from a saved state");
    }
    // The engine holding those settings, with the preset file open.
    std::unique_ptr<YYorvaneAudioEffectPlugin> Engine(std::string& error) {
        plugin.Fill(options);
        if (!settings.Fill(options, error)) return nullptr;
        Session session;
        if (!session.Open(options, 48000.0, 2, error)) return nullptr;
        std::unique_ptr<YYorvaneAudioEffectPlugin> engine = OpenPresetEngine(error);
        if (engine) YStateChunk::Load(*engine, session.Plugin().GetState());
        return engine;
    }
};

int Save(StoreArguments& arguments) {
    std::string error;
    std::unique_ptr<YYorvaneAudioEffectPlugin> engine = arguments.Engine(error);
    if (!engine) return Fail(error);
    YPresetManagerBase& presets = engine->Presets();
    const YXMLItem* folder = FindFolder(presets, arguments.folder, error);
    if (folder == nullptr) return Fail(error);
    if (arguments.name.find('/') != std::string::npos) return Fail("a preset's name cannot hold \"/\"");
    const YString within = presets.PathOf(*folder);
    const YString path = (within.IsEmpty() ? within : within + YString("/")) + YString::FromUtf8(arguments.name);
    if (presets.FindPreset(path))
        return Fail("a preset \"" + path.ToUtf8() + "\" exists already (\"vortalis presets replace\" changes it)");
    try {
        presets.SaveNew(YString::FromUtf8(arguments.name), folder);
    } catch (const YException& e) {
        return Fail(e.Message().ToUtf8());
    }
    return 0;
}

int Replace(StoreArguments& arguments) {
    std::string error;
    std::unique_ptr<YYorvaneAudioEffectPlugin> engine = arguments.Engine(error);
    if (!engine) return Fail(error);
    const YXMLItem* preset = FindUserPreset(engine->Presets(), arguments.name, error);
    if (preset == nullptr) return Fail(error);
    try {
        engine->Presets().Replace(*preset);
    } catch (const YException& e) {
        return Fail(e.Message().ToUtf8());
    }
    return 0;
}

// The commands that only change the tree: each finds its node, then acts on it.
struct TreeArguments {
    std::string path, second;
};

using TreeAction = std::function<int(YPresetManagerBase&, const TreeArguments&, std::string&)>;

int RunTreeAction(const TreeArguments& arguments, const TreeAction& action) {
    std::string error;
    std::unique_ptr<YYorvaneAudioEffectPlugin> engine = OpenPresetEngine(error);
    if (!engine) return Fail(error);
    try {
        if (action(engine->Presets(), arguments, error) != 0) return Fail(error);
    } catch (const YException& e) {
        return Fail(e.Message().ToUtf8());
    }
    return 0;
}

void AddTreeCommand(CLI::App& presets, CommandList& commands, const char* name, const char* description,
                    std::vector<std::pair<const char*, const char*>> operands, TreeAction action) {
    auto arguments = std::make_shared<TreeArguments>();
    CLI::App* command = presets.add_subcommand(name, description);
    command->add_option(operands[0].first, arguments->path, operands[0].second)->required();
    if (operands.size() > 1) command->add_option(operands[1].first, arguments->second, operands[1].second)->required();
    commands.push_back({command, [arguments, action] { return RunTreeAction(*arguments, action); }});
}

}  // namespace

bool LoadPresetInto(YHostedPlugin& plugin, const std::string& name, std::string& error) {
    std::unique_ptr<YYorvaneAudioEffectPlugin> engine = OpenPresetEngine(error);
    if (!engine) return false;
    const YXMLItem* preset = FindUserPreset(engine->Presets(), name, error);
    if (preset == nullptr) return false;
    try {
        YStateChunk::Load(*engine, plugin.GetState());
        engine->Presets().Load(*preset);
    } catch (const YException& e) {
        error = "the preset \"" + name + "\" cannot be loaded: " + e.Message().ToUtf8();
        return false;
    }
    if (plugin.SetState(YStateChunk::Save(*engine))) return true;
    error = "the plug-in refused the state of the preset \"" + name + "\"";
    return false;
}

void AddPresetCommands(CLI::App& app, CommandList& commands) {
    CLI::App* presets = app.add_subcommand("presets", "the user's preset file that every instance shares");
    presets->require_subcommand(1);
    commands.push_back({presets->add_subcommand("list", "the folders and presets, with each preset's step index"),
                        [] { return List(); }});

    auto save = std::make_shared<StoreArguments>();
    CLI::App* command = presets->add_subcommand("save", "store the settings a host would have as a new preset");
    command->add_option("NAME", save->name, "the new preset's name")->required();
    command->add_option("--folder", save->folder, "the folder to save into, as Folder/Subfolder (default: the top)");
    save->AddTo(*command);
    commands.push_back({command, [save] { return Save(*save); }});

    auto replace = std::make_shared<StoreArguments>();
    command = presets->add_subcommand("replace", "store the settings a host would have in place of a preset");
    command->add_option("PRESET", replace->name, "Folder/Name, or a name found once in the tree")->required();
    replace->AddTo(*command);
    commands.push_back({command, [replace] { return Replace(*replace); }});

    AddTreeCommand(*presets, commands, "delete", "remove a preset", {{"PRESET", "Folder/Name, or a name found once"}},
                   [](YPresetManagerBase& tree, const TreeArguments& a, std::string& error) {
                       const YXMLItem* preset = FindUserPreset(tree, a.path, error);
                       if (preset == nullptr) return 1;
                       tree.DeletePreset(*preset);
                       return 0;
                   });
    AddTreeCommand(*presets, commands, "mkdir", "make a folder", {{"FOLDER", "Folder/New: the parent must exist"}},
                   [](YPresetManagerBase& tree, const TreeArguments& a, std::string& error) {
                       const std::string::size_type split = a.path.rfind('/');
                       const std::string parentPath = split == std::string::npos ? "" : a.path.substr(0, split);
                       const std::string name = split == std::string::npos ? a.path : a.path.substr(split + 1);
                       const YXMLItem* parent = FindFolder(tree, parentPath, error);
                       if (parent == nullptr) return 1;
                       const YXMLItem* existing = tree.FindFolder(YString::FromUtf8(a.path));
                       if (existing && existing != parent) {
                           error = "the folder \"" + a.path + "\" exists already";
                           return 1;
                       }
                       tree.NewFolder(YString::FromUtf8(name), parent);
                       return 0;
                   });
    AddTreeCommand(*presets, commands, "rename", "rename a folder",
                   {{"FOLDER", "Folder/Subfolder"}, {"NAME", "its new name"}},
                   [](YPresetManagerBase& tree, const TreeArguments& a, std::string& error) {
                       const YXMLItem* folder = FindFolder(tree, a.path, error);
                       if (folder == nullptr) return 1;
                       tree.RenameFolder(*folder, YString::FromUtf8(a.second));
                       return 0;
                   });
    AddTreeCommand(*presets, commands, "rmdir", "remove a folder with every preset and folder in it",
                   {{"FOLDER", "Folder/Subfolder"}}, [](YPresetManagerBase& tree, const TreeArguments& a, std::string& error) {
                       const YXMLItem* folder = FindFolder(tree, a.path, error);
                       if (folder == nullptr) return 1;
                       tree.DeleteFolder(*folder);
                       return 0;
                   });
    AddTreeCommand(*presets, commands, "export", "write a folder to a .ypresets file",
                   {{"FOLDER", "Folder/Subfolder, or / for everything"}, {"FILE", "the .ypresets file to write"}},
                   [](YPresetManagerBase& tree, const TreeArguments& a, std::string& error) {
                       const YXMLItem* folder = FindFolder(tree, a.path, error);
                       if (folder == nullptr) return 1;
                       tree.ExportFolder(*folder, YString::FromUtf8(a.second));
                       return 0;
                   });
    AddTreeCommand(*presets, commands, "import", "replace a folder's content by a .ypresets file",
                   {{"FOLDER", "Folder/Subfolder, or / for everything"}, {"FILE", "the .ypresets file to read"}},
                   [](YPresetManagerBase& tree, const TreeArguments& a, std::string& error) {
                       const YXMLItem* folder = FindFolder(tree, a.path, error);
                       if (folder == nullptr) return 1;
                       tree.ImportFolder(*folder, YString::FromUtf8(a.second));
                       return 0;
                   });
}
