// vortalis: renders audio files through the built plug-in the way a host does,
// lists its parameters, and reads and writes saved states.
#include "AudioFile.h"
#include "DemoSignal.h"
#include "Session.h"

#include "engine/YYorvaneAudioEffectPlugin.h"
#include "foundation/YException.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"
#include "foundation/YZLibStream.h"
#include "phaser/VortalisAudioEffectPlugin.h"

#include <CLI/CLI.hpp>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <iostream>

namespace {

int Fail(const std::string& message) {
    std::cerr << "vortalis: error: " << message << "\n";
    return 1;
}

// "ID=VALUE" into its two halves.
bool Split(const std::string& setting, std::string& id, std::string& value) {
    const std::size_t equals = setting.find('=');
    if (equals == std::string::npos || equals == 0) return false;
    id = setting.substr(0, equals);
    value = setting.substr(equals + 1);
    return true;
}

struct SettingArguments {
    std::vector<std::string> texts, normalised;

    void AddTo(CLI::App& command) {
        command.add_option("--set", texts, "ID=TEXT: typed text the plug-in parses, e.g. MinFreq=300 or feedback=-6");
        command.add_option("--norm", normalised, "ID=VALUE: a normalised value 0..1, as automation sends it");
    }
    bool Fill(SessionOptions& options, std::string& error) const {
        for (const std::string& setting : texts) {
            std::string id, text;
            if (!Split(setting, id, text)) {
                error = "--set needs ID=TEXT, not \"" + setting + "\"";
                return false;
            }
            options.texts.emplace_back(id, text);
        }
        for (const std::string& setting : normalised) {
            std::string id, text;
            char* end = nullptr;
            double value = 0.0;
            if (Split(setting, id, text)) value = std::strtod(text.c_str(), &end);
            if (end == nullptr || end == text.c_str() || *end != 0) {
                error = "--norm needs ID=VALUE with a number, not \"" + setting + "\"";
                return false;
            }
            options.normalised.emplace_back(id, value);
        }
        return true;
    }
};

// A progress line on the terminal: percentage and real-time factor.
Session::Progress TerminalProgress(bool quiet) {
    if (quiet || !isatty(fileno(stderr))) return {};
    return [last = -1](double fraction, double factor) mutable {
        const int percent = static_cast<int>(fraction * 100.0);
        if (percent == last) return;
        last = percent;
        const int filled = percent / 5;
        std::fprintf(stderr, "\r[%.*s%*s] %3d%%  %.1fx real time", filled, "####################", 20 - filled, "",
                     percent, factor);
        if (percent >= 100) std::fprintf(stderr, "\n");
    };
}

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

int main(int argc, char** argv) {
    CLI::App app{"Vortalis: renders audio through the built plug-in, lists its parameters, reads and writes states."};
    app.require_subcommand(1);

    SessionOptions options;
    std::string api = "vst3";
    std::string formatName = "same";
    bool quiet = false, tail = false;
    auto addSessionOptions = [&](CLI::App& command) {
        command.add_option("--plugin", options.plugin, "plug-in bundle or binary (default: the Vortalis.vst3 next to the tool)");
        command.add_option("--api", api, "vst3 or vst2")->check(CLI::IsMember({"vst2", "vst3"}));
        command.add_option("--block", options.block, "frames per block")->check(CLI::Range(1, 65536));
        command.add_flag("--quiet", quiet, "no progress line");
    };

    std::string input, output;
    SettingArguments renderSettings;
    CLI::App* render = app.add_subcommand("render", "render an audio file through the plug-in");
    render->add_option("INPUT", input, "input audio file")->required();
    render->add_option("OUTPUT", output, "output audio file (.wav, .flac, .aiff)")->required();
    addSessionOptions(*render);
    renderSettings.AddTo(*render);
    render->add_option("--state", options.stateIn, "load a saved state first");
    render->add_option("--save-state", options.stateOut, "write the state once the settings are applied");
    render->add_flag("--tail", tail, "append what the plug-in keeps sounding after the input");
    render->add_option("--format", formatName, "same, float, pcm16 or pcm24");

    std::string demoOutput;
    CLI::App* demo = app.add_subcommand("demo", "render the built-in demonstration signal with the default settings");
    demo->add_option("OUTPUT", demoOutput, "output audio file")->required();
    addSessionOptions(*demo);

    CLI::App* params = app.add_subcommand("params", "list every parameter");

    CLI::App* state = app.add_subcommand("state", "read or write a saved state");
    state->require_subcommand(1);
    std::string dumpPath, savePath;
    CLI::App* dump = state->add_subcommand("dump", "print the XML document inside a saved state");
    dump->add_option("FILE", dumpPath, "state file")->required();
    SettingArguments stateSettings;
    CLI::App* save = state->add_subcommand("save", "write the state a host would save for these settings");
    save->add_option("FILE", savePath, "state file to write")->required();
    addSessionOptions(*save);
    stateSettings.AddTo(*save);

    CLI11_PARSE(app, argc, argv);
    options.format = api == "vst2" ? YHostedPlugin::Format::Vst2 : YHostedPlugin::Format::Vst3;
    std::string error;

    if (*render) {
        AudioFile::SampleFormat encoding;
        if (!ParseSampleFormat(formatName, encoding)) return Fail("--format takes same, float, pcm16 or pcm24");
        if (!renderSettings.Fill(options, error)) return Fail(error);
        AudioFile audio;
        if (!audio.Read(input, error)) return Fail(error);
        return Render(audio, options, tail, output, encoding, quiet);
    }
    if (*demo) {
        AudioFile audio;
        audio.channels = DemoSignal::kChannels;
        audio.sampleRate = 48000.0;
        audio.format = 0;
        audio.samples = DemoSignal::Render(audio.sampleRate);
        return Render(audio, options, false, demoOutput, AudioFile::SampleFormat::Pcm24, quiet);
    }
    if (*params) return ListParameters();
    if (*dump) return DumpState(dumpPath);
    if (*save) {
        if (!stateSettings.Fill(options, error)) return Fail(error);
        Session session;
        if (!session.Open(options, 48000.0, 2, error) || !session.SaveState(savePath, error)) return Fail(error);
        return 0;
    }
    return 0;
}
