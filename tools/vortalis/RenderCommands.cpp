// render and demo: audio through the built plug-in.
#include "CommandLine.h"
#include "DemoSignal.h"

#include <memory>

namespace {

int Render(const AudioFile& input, const SessionOptions& options, bool tail, const std::string& output,
           AudioFile::SampleFormat encoding, bool quiet) {
    std::string error;
    if (input.channels < 1 || input.channels > 8) return Fail("the input has " + std::to_string(input.channels) + " channels; 1 to 8 are supported");
    Session session;
    if (!session.Open(options, input.sampleRate, input.channels, error)) return Fail(error);
    AudioFile rendered;
    session.Render(input, tail, rendered, TerminalProgress(quiet));
    if (!rendered.Write(output, encoding, error)) return Fail(error);
    return 0;
}

struct RenderArguments {
    SessionOptions options;
    PluginArguments plugin;
    SettingArguments settings;
    std::string input, output;
    std::string format = "same";
    bool tail = false;
};

struct DemoArguments {
    SessionOptions options;
    PluginArguments plugin;
    std::string output;
};

}  // namespace

void AddRenderCommands(CLI::App& app, CommandList& commands) {
    auto render = std::make_shared<RenderArguments>();
    CLI::App* command = app.add_subcommand("render", "render an audio file through the plug-in");
    command->add_option("INPUT", render->input, "input audio file")->required();
    command->add_option("OUTPUT", render->output, "output audio file (.wav, .flac, .aiff)")->required();
    render->plugin.AddTo(*command, render->options);
    render->settings.AddTo(*command);
    command->add_option("--state", render->options.stateIn, "load a saved state first");
    command->add_option("--save-state", render->options.stateOut, "write the state once the settings are applied");
    command->add_flag("--tail", render->tail, "append what the plug-in keeps sounding after the input");
    command->add_option("--format", render->format, "same, float, pcm16 or pcm24");
    commands.push_back({command, [render] {
        std::string error;
        AudioFile::SampleFormat encoding;
        if (!ParseSampleFormat(render->format, encoding)) return Fail("--format takes same, float, pcm16 or pcm24");
        render->plugin.Fill(render->options);
        if (!render->settings.Fill(render->options, error)) return Fail(error);
        AudioFile audio;
        if (!audio.Read(render->input, error)) return Fail(error);
        return Render(audio, render->options, render->tail, render->output, encoding, render->plugin.quiet);
    }});

    auto demo = std::make_shared<DemoArguments>();
    command = app.add_subcommand("demo", "render the built-in demonstration signal with the default settings");
    command->add_option("OUTPUT", demo->output, "output audio file")->required();
    demo->plugin.AddTo(*command, demo->options);
    commands.push_back({command, [demo] {
        demo->plugin.Fill(demo->options);
        AudioFile audio;
        audio.channels = DemoSignal::kChannels;
        audio.sampleRate = 48000.0;
        audio.format = 0;
        audio.samples = DemoSignal::Render(audio.sampleRate);
        return Render(audio, demo->options, false, demo->output, AudioFile::SampleFormat::Pcm24, demo->plugin.quiet);
    }});
}
