// render and demo: audio through the built plug-in, streamed a block at a time from
// the input to the output, one file or a batch of files rendered side by side.
#include "CommandLine.h"
#include "DemoSignal.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// What render takes, in its single and its batch form. A new option is added in
// AddTo; what it changes in the sound belongs in SessionOptions, which every file's
// session receives.
struct RenderArguments {
    SessionOptions options;
    PluginArguments plugin;
    SettingArguments settings;
    std::vector<std::string> files;  // INPUT OUTPUT, or a batch's inputs
    std::string outputDir;
    std::string type;  // a batch's output type; empty: each input's own
    std::string format = "same";
    std::string timeSignature = "4/4";
    SampleFormat encoding = SampleFormat::Same;
    unsigned jobs = 0;

    void AddTo(CLI::App& command) {
        command.add_option("FILES", files, "INPUT OUTPUT, or with --output-dir the inputs")->required();
        plugin.AddTo(command, options);
        settings.AddTo(command);
        command.add_option("--state", options.stateIn, "load a saved state first");
        command.add_option("--preset", options.preset, "load a preset of the user's preset file (Folder/Name, or its name)");
        command.add_option("--save-state", options.stateOut, "write the state once the settings are applied");
        command.add_flag("--tail", options.tail, "append what the plug-in keeps sounding after the input");
        command.add_flag("--agc", options.agc, "switch the automatic gain compensation on");
        command.add_option("--midi", options.midiFile, "play a standard MIDI file (format 0 or 1) along the input");
        CLI::Option* tempo = command.add_option("--tempo", options.tempo, "a playing host transport at this tempo (BPM)")
                                 ->check(CLI::Range(1.0, 999.0));
        command.add_option("--time-signature", timeSignature, "the transport's time signature, N/D (default 4/4)")
            ->needs(tempo);
        command.add_option("--start-ppq", options.startPpq, "the song position of the first sample, in quarter notes")
            ->check(CLI::Range(0.0, 1e9))
            ->needs(tempo);
        command.add_option("--format", format, "same, float, pcm16 or pcm24");
        CLI::Option* folder =
            command.add_option("--output-dir", outputDir, "render every input into this folder, named after the input");
        command.add_option("--type", type, "wav, flac or aiff: the outputs' type in a batch (default: the input's)")
            ->check(CLI::IsMember({"wav", "flac", "aiff"}))
            ->needs(folder);
        command.add_option("--jobs", jobs, "files rendered at the same time (default: one per core)")
            ->check(CLI::Range(1, 1024))
            ->needs(folder);
    }

    // Completes the options once the line is parsed.
    bool Fill(std::string& error) {
        if (outputDir.empty() && files.size() != 2) {
            error = "render takes INPUT OUTPUT, or --output-dir DIR and the inputs";
            return false;
        }
        int numerator = 0, denominator = 0;
        char slash = 0, extra = 0;
        if (std::sscanf(timeSignature.c_str(), "%d%c%d%c", &numerator, &slash, &denominator, &extra) != 3 || slash != '/' ||
            numerator < 1 || numerator > 99 || (denominator & (denominator - 1)) != 0 || denominator < 1 || denominator > 64) {
            error = "--time-signature takes N/D, for example 3/4 or 7/8";
            return false;
        }
        options.timeSigNumerator = numerator;
        options.timeSigDenominator = denominator;
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

// One progress line for a whole batch, fed from every worker: each file weighs the
// same, and the real-time factor sets the audio of all files against the time since
// the batch began. A failure is written at once, in place of the line.
class BatchProgress {
public:
    BatchProgress(std::size_t files, Session::Progress line)
        : fractions_(files, 0.0), seconds_(files, 0.0), line_(std::move(line)) {}

    // The progress of file index, whose audio lasts seconds.
    Session::Progress For(std::size_t index, double seconds) {
        if (!line_) return {};
        return [this, index, seconds](double fraction, double) {
            const std::lock_guard lock(mutex_);
            Update(index, fraction, fraction * seconds);
        };
    }

    // A file done, or given up with the reason in error.
    void Finished(std::size_t index, const std::string& error) {
        const std::lock_guard lock(mutex_);
        if (!error.empty()) {
            if (line_) std::fputs("\r\033[K", stderr);
            Fail(error);
        }
        Update(index, 1.0, seconds_[index]);
    }

private:
    // Called with the mutex held.
    void Update(std::size_t index, double fraction, double seconds) {
        fraction_ += fraction - fractions_[index];
        audio_ += seconds - seconds_[index];
        fractions_[index] = fraction;
        seconds_[index] = seconds;
        if (!line_) return;
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        line_(fraction_ / static_cast<double>(fractions_.size()), elapsed > 0.0 ? audio_ / elapsed : 0.0);
    }

    std::mutex mutex_;
    std::vector<double> fractions_, seconds_;
    double fraction_ = 0.0, audio_ = 0.0;  // sums of the above
    Session::Progress line_;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

std::string BatchOutput(const RenderArguments& render, const std::string& input) {
    std::filesystem::path name = std::filesystem::path(input).filename();
    if (!render.type.empty()) name.replace_extension(render.type);
    return (std::filesystem::path(render.outputDir) / name).string();
}

// Every input into the output folder, several at a time, each through its own
// instance. A file that fails is reported by name and the others go on.
int RenderBatch(const RenderArguments& render) {
    // The settings are checked, and their state saved, once before any file. This
    // instance outlives the workers, keeping the plug-in's library loaded: a thread
    // that has run the plug-in calls back into it when it ends.
    std::string error;
    Session first;
    if (!first.Open(render.options, 48000.0, 2, error) ||
        (!render.options.stateOut.empty() && !first.SaveState(render.options.stateOut, error)))
        return Fail(error);
    std::error_code failure;
    std::filesystem::create_directories(render.outputDir, failure);
    if (failure) return Fail("cannot make the folder \"" + render.outputDir + "\": " + failure.message());

    const std::vector<std::string>& inputs = render.files;
    std::vector<std::string> outputs, problems(inputs.size());
    std::map<std::string, std::size_t> claimed;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        outputs.push_back(BatchOutput(render, inputs[i]));
        const auto [owner, unclaimed] = claimed.emplace(outputs[i], i);
        if (!unclaimed)
            problems[i] = "\"" + inputs[i] + "\" and \"" + inputs[owner->second] + "\" would both be written to \"" +
                          outputs[i] + "\"";
        else if (std::filesystem::equivalent(inputs[i], outputs[i], failure))
            problems[i] = "\"" + outputs[i] + "\" would replace its own input";
    }

    BatchProgress progress(inputs.size(), TerminalProgress(render.plugin.quiet));
    std::atomic<std::size_t> next = 0, failed = 0;
    const auto work = [&] {
        for (std::size_t i; (i = next++) < inputs.size();) {
            std::string problem = problems[i];
            if (problem.empty()) {
                AudioReader reader;
                if (!reader.Open(inputs[i], problem) ||
                    !RenderTo(reader, render.options, false, outputs[i], render.encoding,
                              progress.For(i, static_cast<double>(reader.Frames()) / reader.SampleRate()), problem))
                    problem = inputs[i] + ": " + problem;
            }
            if (!problem.empty()) ++failed;
            progress.Finished(i, problem);
        }
    };
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t jobs = std::min<std::size_t>(render.jobs > 0 ? render.jobs : cores, inputs.size());
    std::vector<std::thread> workers;
    for (std::size_t j = 0; j < jobs; ++j) workers.emplace_back(work);
    for (std::thread& worker : workers) worker.join();

    if (failed > 0) return Fail(std::to_string(failed) + " of " + std::to_string(inputs.size()) + " files failed");
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
        return render->outputDir.empty() ? RenderFile(*render) : RenderBatch(*render);
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
