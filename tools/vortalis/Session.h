#pragma once

#include "AudioFile.h"
#include "MidiFile.h"
#include "host/YPluginHost.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// What the command line asks of one plug-in instance.
struct SessionOptions {
    std::string plugin;  // a .vst3 bundle or a binary; empty: the bundle next to the tool
    YHostedPlugin::Format format = YHostedPlugin::Format::Vst3;
    int32_t block = 512;
    std::vector<std::pair<std::string, std::string>> texts;  // --set ID=TEXT
    std::vector<std::pair<std::string, double>> normalised;  // --norm ID=VALUE
    std::string stateIn;                                     // --state FILE
    std::string preset;                                      // --preset NAME|PATH, after the state
    std::string stateOut;                                    // --save-state FILE
    bool tail = false;                                       // --tail
    bool agc = false;                                        // --agc
    std::string midiFile;                                    // --midi FILE
    double tempo = 0.0;                                      // --tempo BPM; 0: no transport
    int32_t timeSigNumerator = 4, timeSigDenominator = 4;    // --time-signature N/D
    double startPpq = 0.0;                                   // --start-ppq Q
};

// One instance of the built plug-in, loaded and prepared as a host would, with the
// command line's state and settings applied. Sessions may live on several threads:
// instances are made, set up and destroyed one at a time, as a host does on its
// user-interface thread, and only render at the same time.
class Session {
public:
    // Reports progress as a fraction of the work, with the real-time factor so far.
    using Progress = std::function<void(double fraction, double realTimeFactor)>;

    Session() = default;
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Loads and prepares the plug-in and applies the state and settings. With a state
    // to save, the instance then continues from its own saved state, so that what it
    // renders is exactly what SaveState writes (stored numbers keep 12 digits).
    bool Open(const SessionOptions& options, double sampleRate, int32_t channels, std::string& error);
    // The whole input through the plug-in into output, one block at a time. The
    // plug-in's latency is taken out, as a host aligning its tracks would; with a
    // tail, what the plug-in keeps sounding after the input ends is appended.
    bool Render(AudioSource& input, AudioWriter& output, const Progress& progress, std::string& error);
    bool SaveState(const std::string& path, std::string& error);

    YHostedPlugin& Plugin() { return *plugin_; }

    // The bundle built next to the running tool.
    static std::string DefaultPluginPath();

private:
    bool ApplySettings(const SessionOptions& options, std::string& error);
    const YHostedParameter* Find(const std::string& id, std::string& error);

    std::unique_ptr<YHostedPlugin> plugin_;
    std::vector<YHostedParameter> parameters_;
    double sampleRate_ = 0.0;
    int32_t channels_ = 0;
    int32_t block_ = 512;
    bool tail_ = false;
    MidiFile midi_;
    YHostTransport transport_;
    bool playing_ = false;
    YByteBuffer savedState_;  // what the instance continues from, with a state to save
};

// A preset of the user's preset file ("Folder/Name", or a name found once in it)
// loaded into the plug-in, as an instance loads it.
bool LoadPresetInto(YHostedPlugin& plugin, const std::string& name, std::string& error);

bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);
bool WriteFileAtomically(const std::string& path, const void* bytes, std::size_t size, std::string& error);
