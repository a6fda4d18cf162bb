// render and demo: audio through the built plug-in, streamed a block at a time from
// the input to the output.
#include "CommandLine.h"
#include "DemoSignal.h"

#include <memory>

namespace {

// What render takes. A new option is added in AddTo; what it changes in the sound
// belongs in SessionOptions, which the session receives.
struct RenderArguments {
    SessionOptions options;
    PluginArguments plugin;
    SettingArguments settings;
    std::vector<std::string> files;  // INPUT OUTPUT
    std::string format = "same";
    SampleFormat encoding = SampleFormat::Same;

    void AddTo(CLI::App& command) {
        command.add_option("FILES", files, "INPUT OUTPUT")->required()->expected(2);
        plugin.AddTo(command, options);
        settings.AddTo(command);
        command.add_option("--state", options.stateIn, "load a saved state first");
        command.add_option("--save-state", options.stateOut, "write the state once the settings are applied");
        command.add_flag("--tail", options.tail, "append what the plug-in keeps sounding after the input");
        command.add_option("--format", format, "same, float, pcm16 or pcm24");
    }

    // Completes the options once the line is parsed.
    bool Fill(std::string& error) {
        if (!ParseSampleFormat(format, encoding)) {
            error = "--format takes same, float, pcm16 or pcm24";
            return false;
        }
        plugin.Fill(options);
        return settings.Fill(options, error);
    }
};

// The input through a new instance into the file output. With saveState the state
// that the settings make is written as well.
bool RenderTo(AudioSource& input, const SessionOptions& options, bool saveState, const std::string& output,
              SampleFormat encoding, const Session::Progress& progress, std::string& error) {
    if (input.Channels() < 1 || input.Channels() > 8) {
        error = "the input has " + std::to_string(input.Channels()) + " channels; 1 to 8 are supported";
        return false;
    }
    Session session;
    AudioWriter writer;
    return session.Open(options, input.SampleRate(), input.Channels(), error) &&
           (!saveState || options.stateOut.empty() || session.SaveState(options.stateOut, error)) &&
           writer.Open(output, encoding, input, error) && session.Render(input, writer, progress, error) &&
           writer.Finish(error);
}

int RenderFile(const RenderArguments& render) {
    std::string error;
    AudioReader reader;
    if (!reader.Open(render.files[0], error) ||
        !RenderTo(reader, render.options, true, render.files[1], render.encoding, TerminalProgress(render.plugin.quiet),
                  error))
        return Fail(error);
    return 0;
}

struct DemoArguments {
    SessionOptions options;
    PluginArguments plugin;
    std::string output;
};

}  // namespace

void AddRenderCommands(CLI::App& app, CommandList& commands) {
    auto render = std::make_shared<RenderArguments>();
    CLI::App* command = app.add_subcommand("render", "render audio files through the plug-in");
    render->AddTo(*command);
    commands.push_back({command, [render] {
        std::string error;
        if (!render->Fill(error)) return Fail(error);
        return RenderFile(*render);
    }});

    auto demo = std::make_shared<DemoArguments>();
    command = app.add_subcommand("demo", "render the built-in demonstration signal with the default settings");
    command->add_option("OUTPUT", demo->output, "output audio file")->required();
    demo->plugin.AddTo(*command, demo->options);
    commands.push_back({command, [demo] {
        std::string error;
        demo->plugin.Fill(demo->options);
        DemoSignal signal(48000.0);
        if (!RenderTo(signal, demo->options, false, demo->output, SampleFormat::Pcm24,
                      TerminalProgress(demo->plugin.quiet), error))
            return Fail(error);
        return 0;
    }});
}
