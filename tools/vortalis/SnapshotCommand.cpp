// snapshot: the editor drawn off-screen into a PNG file, through the product built
// into the tool.
#include "CommandLine.h"

#include "editor/VortalisEditor.h"
#include "foundation/YException.h"
#include "shell/CreateAudioPlugin.h"
#include "shell/YStateChunk.h"

#include <cstdio>
#include <memory>

namespace {

struct SnapshotArguments {
    std::string path;
    std::string state;
    std::string size;
    std::string panel = "phaser";
    float scale = 1.0f;
};

int Snapshot(const SnapshotArguments& arguments) {
    VortalisEditor::Page page;
    if (!VortalisEditor::PageFromName(YString::FromUtf8(arguments.panel), page)) {
        std::string names;
        for (const YString& name : VortalisEditor::PageNames()) names += (names.empty() ? "" : ", ") + name.ToUtf8();
        return Fail("unknown panel \"" + arguments.panel + "\" (one of " + names + ")");
    }
    int width = 0, height = 0;
    if (!arguments.size.empty() && (std::sscanf(arguments.size.c_str(), "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0))
        return Fail("--size wants WIDTHxHEIGHT in pixels, not \"" + arguments.size + "\"");
    if (!(arguments.scale >= 0.5f && arguments.scale <= 4.0f)) return Fail("--scale wants a factor from 0.5 to 4");

    std::unique_ptr<YAudioPlugin> plugin(CreateAudioPlugin());
    plugin->SetSampleRate(48000.0);
    plugin->SetChannels(2, 2);
    if (!arguments.state.empty()) {
        std::string error;
        std::vector<uint8_t> bytes;
        if (!ReadFile(arguments.state, bytes, error)) return Fail(error);
        try {
            YStateChunk::Load(*plugin, bytes.data(), static_cast<uint32_t>(bytes.size()));
        } catch (const YException& e) {
            return Fail("corrupt state file \"" + arguments.state + "\": " + e.Message().ToUtf8());
        }
    }
    if (!plugin->CreateEditor(nullptr)) return Fail("the editor could not be made");
    plugin->FinishEditorCreation();
    auto& editor = static_cast<VortalisEditor&>(*plugin->Editor());
    editor.SetScale(arguments.scale);
    if (width > 0) editor.SetSize(width, height);
    editor.ShowPage(page);
    const std::vector<uint8_t> png = editor.PaintAll().EncodePNG();
    std::string error;
    if (png.empty() || !WriteFileAtomically(arguments.path, png.data(), png.size(), error)) return Fail(error);
    return 0;
}

}  // namespace

void AddSnapshotCommand(CLI::App& app, CommandList& commands) {
    auto arguments = std::make_shared<SnapshotArguments>();
    CLI::App* command = app.add_subcommand("snapshot", "draw the editor into a PNG file");
    command->add_option("OUT", arguments->path, "PNG file to write")->required();
    command->add_option("--state", arguments->state, "a saved state to show");
    command->add_option("--size", arguments->size, "window size in pixels, WIDTHxHEIGHT (default: the editor's own)");
    command->add_option("--panel", arguments->panel, "page to show: phaser, shape, midi or presets");
    command->add_option("--scale", arguments->scale, "screen density, 1 to 4 (2 for high-density screens)");
    commands.push_back({command, [arguments] { return Snapshot(*arguments); }});
}
