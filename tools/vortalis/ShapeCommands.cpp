// shape: LFO shapes made from sound, analysed by the engine linked into the tool.
#include "CommandLine.h"

#include "engine/YYorvaneAudioEffectPlugin.h"
#include "foundation/YException.h"
#include "modulation/YSignalGenerator.h"
#include "phaser/VortalisAudioEffectPlugin.h"
#include "shell/YStateChunk.h"

#include <cmath>
#include <cstdio>
#include <memory>

namespace {

// "A3 +0.2 cents": the nearest note and how far the pitch lies from it.
std::string NoteOf(double pitch) {
    static const char* const kNames[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    const double key = 69 + 12 * std::log2(pitch / 440);
    const long note = std::lround(key);
    char text[48];
    std::snprintf(text, sizeof text, "%s%ld %+.2f cents", kNames[((note % 12) + 12) % 12], note / 12 - 1, 100 * (key - note));
    return text;
}

int Analyze(const std::string& path, double position) {
    auto shape = std::make_unique<YSignalGenerator>();
    shape->SetSamplePosition(position);
    try {
        const YSampleAnalyzer::Result result = shape->LoadSample(YString::FromUtf8(path));
        const std::string message = YSignalGenerator::SampleMessage(result).ToUtf8();
        if (result.outcome != YSampleAnalyzer::Outcome::kAnalyzed) return Fail(message);
        std::printf("%s\n%.4f Hz, %s\n", message.c_str(), result.pitch, NoteOf(result.pitch).c_str());
    } catch (const YException& e) {
        return Fail(e.Message().ToUtf8());
    }
    return 0;
}

}  // namespace

void ShapeArguments::AddTo(CLI::App& command) {
    command.add_option("--shape-sample", sample, "audio file (WAV, AIFF) whose period becomes the LFO's shape");
    command.add_option("--position", position, "where in the file to take the period, in seconds")->needs("--shape-sample");
    command.add_flag("--harmonics", harmonics, "play the sample's harmonics (harmonics mode), not its period")->needs("--shape-sample");
}

bool ShapeArguments::Apply(Session& session, std::string& error) const {
    if (sample.empty()) return true;
    try {
        // The session's state through the engine, which makes the shape, and back.
        YYorvaneAudioEffectPlugin engine;
        engine.Initialize("Vortalis", "Yorvane", &VortalisAudioEffectPluginInterface, 500, 100);
        YStateChunk::Load(engine, session.Plugin().GetState());
        YSignalGenerator& shape = dynamic_cast<VortalisAudioEffectPlugin&>(*engine.Effect()).Shape();
        shape.SetSamplePosition(position);
        const YSampleAnalyzer::Result result = shape.LoadSample(YString::FromUtf8(sample));
        if (result.outcome != YSampleAnalyzer::Outcome::kAnalyzed) {
            error = "\"" + sample + "\": " + YSignalGenerator::SampleMessage(result).ToUtf8();
            return false;
        }
        if (harmonics) {
            shape.SetMode(YSignalGenerator::kHarmonicsMode);
            shape.SetHarmonicsCount(YSignalGenerator::kMaxHarmonics);
        } else {
            shape.SetMode(YSignalGenerator::kShapeMode);
            shape.SetCustomSample(true);
            shape.SetCustomDepth(1);
        }
        if (session.Plugin().SetState(YStateChunk::Save(engine))) return true;
        error = "the plug-in refused the state with the shape";
    } catch (const YException& e) {
        error = e.Message().ToUtf8();
    }
    return false;
}

void AddShapeCommands(CLI::App& app, CommandList& commands) {
    CLI::App* shape = app.add_subcommand("shape", "LFO shapes made from sound");
    shape->require_subcommand(1);
    struct AnalyzeArguments {
        std::string path;
        double position = 0;
    };
    auto analyze = std::make_shared<AnalyzeArguments>();
    CLI::App* command = shape->add_subcommand("analyze", "detect the pitch of a sample as the shape editor does");
    command->add_option("FILE", analyze->path, "audio file (WAV, AIFF)")->required();
    command->add_option("--position", analyze->position, "where in the file to look, in seconds");
    commands.push_back({command, [analyze] { return Analyze(analyze->path, analyze->position); }});
}
