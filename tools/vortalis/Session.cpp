#include "Session.h"

#include "engine/YYorvaneAudioEffectPlugin.h"
#include "foundation/YException.h"
#include "phaser/VortalisAudioEffectPlugin.h"
#include "shell/YStateChunk.h"

#include <algorithm>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <mutex>

std::string Session::DefaultPluginPath() {
    std::error_code failure;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", failure);
    return (failure ? std::filesystem::path(".") : executable.parent_path()) / "Vortalis.vst3";
}

namespace {

// A VST 2.4 host cannot hand a plug-in typed text (the plug-in answers no to
// string2parameter), so the tool reads it with the product's own text rules through
// the engine it links. -1 when the text is no value of that parameter, or the product
// has no parameter of that id.
double ParseWithProduct(const YString& id, const YString& text) {
    YYorvaneAudioEffectPlugin product;
    product.Initialize("Vortalis", "Yorvane", &VortalisAudioEffectPluginInterface, 500, 100);
    for (int32_t i = 0; i < product.GetParameterCount(); ++i)
        if (YString::EqualsNoCase(product.GetParameterID(i), id)) return product.ParseParameterValueName(i, text);
    return -1.0;
}

}  // namespace

bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = "cannot read \"" + path + "\"";
        return false;
    }
    bytes.clear();
    uint8_t piece[65536];
    for (std::size_t got; (got = std::fread(piece, 1, sizeof piece, file)) > 0;) bytes.insert(bytes.end(), piece, piece + got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) error = "cannot read \"" + path + "\"";
    return !failed;
}

bool WriteFileAtomically(const std::string& path, const void* bytes, std::size_t size, std::string& error) {
    const std::string temporary = path + ".partial";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    bool written = file != nullptr && std::fwrite(bytes, 1, size, file) == size;
    if (file != nullptr) written = std::fclose(file) == 0 && written;
    return CommitTemporary(temporary, path, written, error);
}

namespace {

// Held while an instance is made, set up or destroyed.
std::mutex hostThread;

}  // namespace

Session::~Session() {
    const std::lock_guard lock(hostThread);
    plugin_.reset();
}

bool Session::Open(const SessionOptions& options, double sampleRate, int32_t channels, std::string& error) {
    const std::lock_guard lock(hostThread);
    const std::string path = options.plugin.empty() ? DefaultPluginPath() : options.plugin;
    YString reason;
    std::shared_ptr<YPluginLibrary> library = YPluginLibrary::Open(YString::FromUtf8(path), reason);
    if (library) plugin_ = YHostedPlugin::Create(library, options.format, reason);
    if (!plugin_) {
        error = "cannot load the plug-in \"" + path + "\": " + reason.ToUtf8();
        return false;
    }
    sampleRate_ = sampleRate;
    channels_ = channels;
    block_ = std::max(1, options.block);
    tail_ = options.tail;
    if (!options.midiFile.empty() && !midi_.Load(options.midiFile, error)) return false;
    playing_ = options.tempo > 0.0;
    transport_.tempo = playing_ ? options.tempo : 120.0;
    transport_.timeSigNumerator = options.timeSigNumerator;
    transport_.timeSigDenominator = options.timeSigDenominator;
    transport_.ppqPosition = options.startPpq;
    transport_.playing = playing_;
    if (!plugin_->Prepare(sampleRate, block_, channels, channels)) {
        error = "the plug-in refused " + std::to_string(channels) + " channels at " +
                std::to_string(static_cast<int>(sampleRate)) + " Hz";
        return false;
    }
    parameters_ = plugin_->Parameters();
    if (!ApplySettings(options, error)) return false;
    if (!options.stateOut.empty()) {
        // SaveState writes this very state: saved again once read back, it would
        // differ in the last digits.
        savedState_ = plugin_->GetState();
        plugin_->SetState(savedState_);
    }
    // Activated anew, as a host does before rendering: the settings apply from the
    // first sample instead of gliding in over the first block.
    if (!plugin_->Prepare(sampleRate, block_, channels, channels)) {
        error = "the plug-in refused to start again";
        return false;
    }
    return true;
}

const YHostedParameter* Session::Find(const std::string& id, std::string& error) {
    const YString wanted = YString::FromUtf8(id);
    for (const YHostedParameter& parameter : parameters_)
        if (YString::EqualsNoCase(parameter.name, wanted)) return &parameter;
    error = "unknown parameter \"" + id + "\" (\"vortalis params\" lists them)";
    return nullptr;
}

bool Session::ApplySettings(const SessionOptions& options, std::string& error) {
    if (!options.stateIn.empty()) {
        std::vector<uint8_t> bytes;
        if (!ReadFile(options.stateIn, bytes, error)) return false;
        YByteBuffer state(bytes.size());
        std::copy(bytes.begin(), bytes.end(), state.MutableData());
        if (!plugin_->SetState(state)) {
            error = "corrupt state file \"" + options.stateIn + "\"";
            return false;
        }
    }
    if (!options.preset.empty() && !LoadPresetInto(*plugin_, options.preset, error)) return false;
    for (const auto& [id, text] : options.texts) {
        const YHostedParameter* parameter = Find(id, error);
        if (parameter == nullptr) return false;
        const YString typed = YString::FromUtf8(text);
        if (plugin_->SetParameterText(parameter->id, typed)) continue;
        const double value = ParseWithProduct(parameter->name, typed);
        if (!(value >= 0.0 && value <= 1.0)) {
            error = "parameter \"" + id + "\" does not take \"" + text + "\"";
            return false;
        }
        plugin_->SetParameter(parameter->id, value);
    }
    for (const auto& [id, value] : options.normalised) {
        const YHostedParameter* parameter = Find(id, error);
        if (parameter == nullptr) return false;
        if (!(value >= 0.0 && value <= 1.0)) {
            error = "normalised value for \"" + id + "\" outside 0..1";
            return false;
        }
        plugin_->SetParameter(parameter->id, value);
    }
    if (options.agc) {
        // The gain compensation switch is no parameter: it travels in the state.
        try {
            std::unique_ptr<YXMLItem> root = YStateChunk::ReadDocument(plugin_->GetState());
            root->SetAttributeInteger("AGC", 1);
            if (!plugin_->SetState(YStateChunk::WriteDocument(*root))) throw YException(YString("the state was refused"));
        } catch (const YException& e) {
            error = "cannot switch the gain compensation on: " + e.Message().ToUtf8();
            return false;
        }
    }
    // A block of no samples hands the new values to the plug-in before anything else.
    plugin_->Process(nullptr, nullptr, 0);
    return true;
}

bool Session::Render(AudioSource& input, AudioWriter& output, const Progress& progress, std::string& error) {
    const int64_t frames = input.Frames();
    const int64_t latency = std::max<int64_t>(0, plugin_->Latency());
    int64_t extra = 0;
    if (tail_) {
        const int64_t tailFrames = plugin_->Tail();
        // An endless tail is cut after ten seconds.
        extra = tailFrames < 0 ? static_cast<int64_t>(10 * sampleRate_) : tailFrames;
    }
    // The input is followed by silence while the latency and the tail come out.
    const int64_t total = frames + extra + latency;

    const std::size_t channels = static_cast<std::size_t>(channels_);
    std::vector<float> interleaved(static_cast<std::size_t>(block_) * channels);
    std::vector<std::vector<float>> in(channels, std::vector<float>(static_cast<std::size_t>(block_)));
    std::vector<std::vector<float>> out = in;
    std::vector<const float*> inputs;
    std::vector<float*> outputs;
    for (std::size_t c = 0; c < channels; ++c) {
        inputs.push_back(in[c].data());
        outputs.push_back(out[c].data());
    }
    // The song a host would play along: the transport from its start position, bar
    // starts on the time signature's grid, and the MIDI file's events at their samples.
    if (playing_) plugin_->SetTransport(transport_);
    const double barLength = 4.0 * transport_.timeSigNumerator / std::max(1, transport_.timeSigDenominator);
    const std::vector<MidiFileEvent>& events = midi_.Events();
    std::size_t nextEvent = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int64_t at = 0; at < total; at += block_) {
        const int32_t count = static_cast<int32_t>(std::min<int64_t>(block_, total - at));
        if (playing_) {
            YHostTransport transport = plugin_->Transport();
            transport.barStart = std::floor(transport.ppqPosition / barLength + 1e-9) * barLength;
            plugin_->SetTransport(transport);
        }
        for (; nextEvent < events.size(); ++nextEvent) {
            const MidiFileEvent& event = events[nextEvent];
            const auto sample = static_cast<int64_t>(std::llround(event.seconds * sampleRate_));
            if (sample >= at + count) break;
            plugin_->AddMIDIEvent(static_cast<int32_t>(std::max<int64_t>(0, sample - at)), event.status, event.data1,
                                  event.data2);
        }
        const int32_t fromInput = static_cast<int32_t>(std::clamp<int64_t>(frames - at, 0, count));
        if (fromInput > 0 && !input.Read(interleaved.data(), fromInput, error)) return false;
        for (std::size_t c = 0; c < channels; ++c)
            for (int32_t i = 0; i < count; ++i) in[c][i] = i < fromInput ? interleaved[i * channels + c] : 0.0f;

        plugin_->Process(inputs.data(), outputs.data(), count);

        // What comes out during the first latency frames precedes the input.
        const int32_t delayed = static_cast<int32_t>(std::clamp<int64_t>(latency - at, 0, count));
        for (int32_t i = delayed; i < count; ++i)
            for (std::size_t c = 0; c < channels; ++c) interleaved[(i - delayed) * channels + c] = out[c][i];
        if (!output.Write(interleaved.data(), count - delayed, error)) return false;

        if (progress) {
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            const double done = static_cast<double>(at + count);
            progress(done / static_cast<double>(total), seconds > 0.0 ? done / sampleRate_ / seconds : 0.0);
        }
    }
    return true;
}

bool Session::SaveState(const std::string& path, std::string& error) {
    const YByteBuffer state = savedState_.Size() > 0 ? savedState_ : plugin_->GetState();
    if (state.Size() == 0) {
        error = "the plug-in gave no state";
        return false;
    }
    return WriteFileAtomically(path, state.Data(), state.Size(), error);
}
