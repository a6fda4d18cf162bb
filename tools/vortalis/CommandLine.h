#pragma once

#include "AudioFile.h"
#include "Session.h"

#include <CLI/CLI.hpp>

class YPresetManagerBase;
class YXMLItem;
class YYorvaneAudioEffectPlugin;

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The tool's subcommands: each file adds its own to the application, and main runs
// the one the user chose.
struct Command {
    CLI::App* app = nullptr;
    std::function<int()> run;
};
using CommandList = std::vector<Command>;

void AddRenderCommands(CLI::App& app, CommandList& commands);
void AddStateCommands(CLI::App& app, CommandList& commands);
void AddOnlineCommands(CLI::App& app, CommandList& commands);
void AddShapeCommands(CLI::App& app, CommandList& commands);
void AddSnapshotCommand(CLI::App& app, CommandList& commands);
void AddPresetCommands(CLI::App& app, CommandList& commands);

// The gain commands of "state": set-gain and bank-gains.
void AddGainCommands(CLI::App& state, CommandList& commands);

// The product's engine in this process, prepared for stereo at the rate, for the
// commands that change saved states without the built plug-in; and saved states
// loaded into it and written from it.
std::unique_ptr<YYorvaneAudioEffectPlugin> MakeEngine(double sampleRate = 48000.0);
bool LoadStateFile(YYorvaneAudioEffectPlugin& plugin, const std::string& path, std::string& error);
bool SaveStateFile(YYorvaneAudioEffectPlugin& plugin, const std::string& path, std::string& error);

// The product's engine, which opens the user's preset file while it is made; null with
// an error when that file cannot be read.
std::unique_ptr<YYorvaneAudioEffectPlugin> OpenPresetEngine(std::string& error);
// A preset by its path ("Folder/Name"), or by a name found once anywhere in the tree.
const YXMLItem* FindUserPreset(const YPresetManagerBase& presets, const std::string& path, std::string& error);

// One line on stderr, exit status 1.
int Fail(const std::string& message);

// The options every command that loads the plug-in shares: --plugin, --api, --block,
// --quiet. Fill completes the session options once the line is parsed.
struct PluginArguments {
    std::string api = "vst3";
    bool quiet = false;

    void AddTo(CLI::App& command, SessionOptions& options);
    void Fill(SessionOptions& options) const;
};

// --set ID=TEXT and --norm ID=VALUE.
struct SettingArguments {
    std::vector<std::string> texts, normalised;

    void AddTo(CLI::App& command);
    bool Fill(SessionOptions& options, std::string& error) const;
};

// --shape-sample FILE [--position SECONDS] [--harmonics]: the LFO's shape made from a
// sample. Apply puts it into the session's state (nothing without a sample).
struct ShapeArguments {
    std::string sample;
    double position = 0;
    bool harmonics = false;

    void AddTo(CLI::App& command);
    bool Apply(Session& session, std::string& error) const;
};

// --macro N:TARGET:MAPPING and --cc CHANNEL:CONTROLLER:TARGET[:MAPPING]: multiparameter
// targets and MIDI controller slots (the syntax is in the README). Apply puts them into
// the session's state, the macros' targets written for their current values.
struct ControlArguments {
    std::vector<std::string> macros, controllers;

    void AddTo(CLI::App& command);
    bool Apply(Session& session, std::string& error) const;
};

// A progress line on the terminal: percentage and real-time factor; nothing when quiet
// or when standard error is not a terminal.
Session::Progress TerminalProgress(bool quiet);
