// state set-gain and state bank-gains: the editor's gain measurements run on a saved
// state in this process, with audio rendered through the product's engine and the
// procedure stepped in audio time, so a measurement of seconds takes a fraction of one.
#include "CommandLine.h"

#include "engine/YBankGainSteps.h"
#include "engine/YYorvaneAudioEffectPlugin.h"
#include "foundation/YException.h"
#include "shell/YAGCMeasurement.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int32_t kBlock = 512;
constexpr double kNoiseRate = 48000.0;

// Stereo white noise, uniform in -0.5 .. 0.5 (about -11 dB RMS), the same every run.
class WhiteNoise : public AudioSource {
public:
    int32_t Channels() const override { return 2; }
    double SampleRate() const override { return kNoiseRate; }
    int64_t Frames() const override { return -1; }  // endless
    bool Read(float* interleaved, int64_t frames, std::string&) override {
        for (int64_t i = 0; i < 2 * frames; ++i) {
            state_ = state_ * 1664525u + 1013904223u;
            interleaved[i] = static_cast<float>(state_ >> 8) / 16777216.0f - 0.5f;
        }
        return true;
    }

private:
    uint32_t state_ = 1;
};

// An audio file played over and over, as long as the measurement wants.
class LoopedFile : public AudioSource {
public:
    bool Open(const std::string& path, std::string& error) {
        if (!reader_.Open(path, error)) return false;
        if (reader_.Frames() <= 0) {
            error = "\"" + path + "\" holds no audio";
            return false;
        }
        return true;
    }
    int32_t Channels() const override { return reader_.Channels(); }
    double SampleRate() const override { return reader_.SampleRate(); }
    int64_t Frames() const override { return -1; }
    bool Read(float* interleaved, int64_t frames, std::string& error) override {
        while (frames > 0) {
            if (position_ == reader_.Frames()) {
                if (!reader_.Rewind(error)) return false;
                position_ = 0;
            }
            const int64_t count = std::min(frames, reader_.Frames() - position_);
            if (!reader_.Read(interleaved, count, error)) return false;
            interleaved += count * Channels();
            frames -= count;
            position_ += count;
        }
        return true;
    }

private:
    AudioReader reader_;
    int64_t position_ = 0;
};

// The source through the plug-in in blocks, the procedure polled after each on the
// clock of the audio rendered so far, until it ends. Mono is heard on both channels;
// of more channels the first two are used.
bool RunInAudioTime(YYorvaneAudioEffectPlugin& plugin, YAGCMeasurement& procedure, AudioSource& source,
                    std::string& error) {
    const int32_t channels = source.Channels();
    std::vector<float> interleaved(static_cast<std::size_t>(kBlock * channels));
    std::vector<float> left(kBlock), right(kBlock), outLeft(kBlock), outRight(kBlock);
    float* inputs[YAudioPlugin::kMaxBuses * YAudioPlugin::kTableStride] = {left.data(), right.data()};
    float* outputs[YAudioPlugin::kMaxBuses * YAudioPlugin::kTableStride] = {outLeft.data(), outRight.data()};
    int64_t frames = 0;
    do {
        if (!source.Read(interleaved.data(), kBlock, error)) return false;
        for (int32_t i = 0; i < kBlock; ++i) {
            left[i] = interleaved[static_cast<std::size_t>(i * channels)];
            right[i] = interleaved[static_cast<std::size_t>(i * channels + (channels > 1 ? 1 : 0))];
        }
        plugin.ProcessAudio(inputs, outputs, kBlock, true);
        frames += kBlock;
    } while (procedure.Poll(static_cast<double>(frames) / source.SampleRate()));
    if (procedure.GetState() == YAGCMeasurement::State::Failed) {
        error = procedure.Error().ToUtf8();
        return false;
    }
    return true;
}

struct GainArguments {
    std::string input, output, audio;
    int32_t macro = 0;  // 1..4 for bank-gains
};

// Loads the state into an engine at the audio's rate, starts the procedure the
// command asks for, runs it in audio time and writes the state.
int Measure(const GainArguments& arguments,
            const std::function<std::unique_ptr<YAGCMeasurement>(YYorvaneAudioEffectPlugin&)>& start,
            const std::function<void(YYorvaneAudioEffectPlugin&)>& report) {
    std::string error;
    std::unique_ptr<AudioSource> source;
    if (arguments.audio.empty()) {
        source = std::make_unique<WhiteNoise>();
    } else {
        auto file = std::make_unique<LoopedFile>();
        if (!file->Open(arguments.audio, error)) return Fail(error);
        source = std::move(file);
    }
    auto plugin = MakeEngine(source->SampleRate());
    if (!LoadStateFile(*plugin, arguments.input, error)) return Fail(error);
    std::unique_ptr<YAGCMeasurement> procedure;
    try {
        procedure = start(*plugin);
    } catch (const YException& e) {
        return Fail(e.Message().ToUtf8());
    }
    if (!RunInAudioTime(*plugin, *procedure, *source, error)) return Fail(error);
    if (!SaveStateFile(*plugin, arguments.output, error)) return Fail(error);
    report(*plugin);
    return 0;
}

void AddFiles(CLI::App& command, GainArguments& arguments) {
    command.add_option("INPUT", arguments.input, "state file to start from")->required();
    command.add_option("OUTPUT", arguments.output, "state file to write")->required();
    command.add_option("--input", arguments.audio,
                       "audio file played (looped) during the measurement (default: white noise at 48 kHz)");
}

}  // namespace

void AddGainCommands(CLI::App& state, CommandList& commands) {
    auto gain = std::make_shared<GainArguments>();
    CLI::App* command = state.add_subcommand(
        "set-gain", "measure the fixed output gain with the gain compensation and store it in the state");
    AddFiles(*command, *gain);
    commands.push_back({command, [gain] {
        return Measure(
            *gain, [](YYorvaneAudioEffectPlugin& plugin) { return YAGCMeasurement::FixedGain(plugin, 0.0); },
            [](YYorvaneAudioEffectPlugin& plugin) {
                std::printf("fixed output gain: %+.2f dB\n", 20.0 * std::log10(plugin.FixedOutputGain()));
            });
    }});

    auto banks = std::make_shared<GainArguments>();
    command = state.add_subcommand(
        "bank-gains", "run the bank procedure of a Banks multiparameter: each bank takes its targets' values");
    AddFiles(*command, *banks);
    command->add_option("--macro", banks->macro, "the multiparameter, 1 to 4")->required()->check(CLI::Range(1, 4));
    commands.push_back({command, [banks] {
        const int32_t number = banks->macro - 1;
        return Measure(
            *banks,
            [number](YYorvaneAudioEffectPlugin& plugin) { return YBankGainSteps::Start(plugin, number, 0.0); },
            [number](YYorvaneAudioEffectPlugin& plugin) {
                const YMultiParameter& multi = plugin.MultiParameter(number);
                for (int32_t bank = 0; bank < multi.bankCount; ++bank) {
                    std::printf("bank %d:", bank + 1);
                    for (const YMultiParameterParameter& target : multi.targets)
                        if (target.enabled && target.parameter >= 0)
                            std::printf(" %s=%.6g", plugin.GetParameterID(target.parameter).ToUtf8().c_str(),
                                        target.banks[static_cast<std::size_t>(bank)]);
                    std::printf("\n");
                }
            });
    }});
}
