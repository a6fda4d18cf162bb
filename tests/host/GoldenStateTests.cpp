// States from every version load for ever: each committed state in golden/ is loaded
// into the built plug-in and a short session rendered, which must match the output
// committed beside it. A changed meaning of any stored value changes the sound far
// beyond the tolerance, which only allows for the last bits that differ between
// processors (the all-pass chain fuses its multiply-adds where it can).
//
// The states were made by this program's writer mode, from the engine of the day and,
// for the older document forms, by editing such a document as older versions wrote
// it. Run with VORTALIS_WRITE_GOLDEN=1 only to add a state: it rewrites every file.
//   golden/<name>.state  the chunk a host kept
//   golden/<name>.f32    the expected output: interleaved 32-bit little-endian floats
#include "HostTestSupport.h"

#include "support/EveryLayerShape.h"
#include "support/ScratchFolder.h"

#include "engine/YYorvaneAudioEffectPlugin.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"
#include "foundation/YZLibStream.h"
#include "phaser/VortalisAudioEffectPlugin.h"
#include "shell/CreateAudioPlugin.h"
#include "shell/YStateChunk.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <utility>

using namespace HostTest;

namespace {

constexpr double kRate = 44100.0;
constexpr int32_t kBlock = 512;
constexpr int32_t kFrames = 8 * kBlock;
constexpr float kTolerance = 2e-5f;
constexpr double kTwoPi = 6.283185307179586;

std::string GoldenPath(const std::string& name) { return std::string(VORTALIS_GOLDEN_FOLDER) + "/" + name; }

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const void* bytes, std::size_t size) {
    std::ofstream file(path, std::ios::binary);
    file.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    ASSERT_TRUE(file.good()) << path;
}

// ---- Making the states (writer mode) --------------------------------------------------------

struct Engine {
    std::unique_ptr<YAudioPlugin> plugin{CreateAudioPlugin()};
    YYorvaneAudioEffectPlugin& Yorvane() { return dynamic_cast<YYorvaneAudioEffectPlugin&>(*plugin); }
    VortalisAudioEffectPlugin& Phaser() { return *static_cast<VortalisAudioEffectPlugin*>(Yorvane().Effect()); }
    int32_t Index(const char* id) {
        for (int32_t i = 0; i < plugin->GetParameterCount(); ++i)
            if (plugin->GetParameterID(i) == YString::FromUtf8(id)) return i;
        ADD_FAILURE() << "no parameter " << id;
        return 0;
    }
    void Set(const char* id, double normalised) { plugin->SetParameter(Index(id), normalised); }
    void Adjust() {
        for (const auto& [id, value] : {std::pair{"Depth", 0.8}, {"delays", 0.3}, {"feedback", 0.9}, {"Saturation", 0.4},
                                        {"InvertFeedback", 1.0}, {"ShapeMode", 0.5}, {"phasediff", 0.2}, {"MinFreq", 0.3},
                                        {"MaxFreq", 0.8}, {"rate", 0.6}})
            Set(id, value);
    }
    void Sync() {
        Set("sync", 1.0);
        Set("synclength__", 0.45);
        Set("syncphase", 0.25);
    }
    YByteBuffer Save() { return YStateChunk::Save(*plugin); }
};

YByteBuffer Compressed(const YXMLItem& root) {
    YMemoryStream packed;
    {
        YZLibStream zlib(&packed, true);
        YXMLDocument::Write(root, zlib);
        zlib.Finish();
    }
    return packed.GetBuffer();
}

// A saved state's document, edited as an older version would have written it.
YByteBuffer Edited(const YByteBuffer& chunk, const std::function<void(YXMLItem&)>& edit) {
    YMemoryStream packed(chunk);
    YZLibStream zlib(&packed, false);
    std::unique_ptr<YXMLItem> root = YXMLDocument::Read(zlib);
    edit(*root);
    return Compressed(*root);
}

void RemoveEverywhere(YXMLItem& item, const char* attribute) {
    item.RemoveAttribute(YString::FromUtf8(attribute));
    for (uint32_t i = 0; i < item.GetSubItemCount(); ++i) RemoveEverywhere(*item.GetSubItemAt(i), attribute);
}

YByteBuffer LegacySyncLength(const char* attribute, int64_t index) {
    Engine e;
    e.Adjust();
    e.Sync();
    return Edited(e.Save(), [&](YXMLItem& root) {
        root.RemoveAttribute("parametersynclength__Enum");
        root.SetAttributeInteger(YString::FromUtf8(attribute), index);
        RemoveEverywhere(root, "Version");
    });
}

// What the host does during the session before a block: a state whose stored values
// only act when something moves (a macro's targets and ranges, controller assignments)
// gets them moved, so that their meaning is heard.
using Play = std::function<void(YHostedPlugin& plugin, int32_t block)>;

struct Golden {
    Golden(const char* name_, std::function<YByteBuffer()> make_, Play play_ = {})
        : name(name_), make(std::move(make_)), play(std::move(play_)) {}
    const char* name;
    std::function<YByteBuffer()> make;
    Play play;
};

void SetByName(YHostedPlugin& plugin, const char* name, double value) {
    for (const YHostedParameter& parameter : plugin.Parameters())
        if (parameter.name == YString::FromUtf8(name)) {
            plugin.SetParameter(parameter.id, value);
            return;
        }
    ADD_FAILURE() << "no parameter " << name;
}

const std::vector<Golden>& Goldens() {
    static const std::vector<Golden> all = {
        {"plain", [] { return Engine().Save(); }},
        {"settings",
         [] {
             Engine e;
             e.Adjust();
             return e.Save();
         }},
        {"shape-every-layer",
         [] {
             Engine e;
             e.Set("Depth", 0.9);
             e.Set("feedback", 0.8);
             SetEveryLayer(e.Phaser().Shape());
             return e.Save();
         }},
        {"tempo-sync",
         [] {
             Engine e;
             e.Adjust();
             e.Sync();
             return e.Save();
         }},
        {"surround",
         [] {
             Engine e;
             e.Adjust();
             e.Yorvane().SetChannelMode(ChannelMode::Surround);
             return e.Save();
         }},
        {"programs",
         [] {
             Engine e;
             e.Adjust();
             e.Yorvane().SelectProgram(3);
             e.Set("delays", 0.7);
             e.Set("Saturation", 0.0);
             e.Set("Depth", 1.0);
             return e.Save();
         }},
        // A macro driving two targets over ranges of their own, moved to 0.7.
        {"macros",
         [] {
             Engine e;
             e.Adjust();
             YMultiParameter& macro = e.Yorvane().MultiParameter(0);
             macro.enabled = true;
             macro.targets.resize(2);
             macro.targets[0].enabled = macro.targets[1].enabled = true;
             macro.targets[0].parameter = e.Index("feedback");
             macro.targets[0].value = 0.2;
             macro.targets[0].maxValue = 0.95;
             macro.targets[0].rangeMode = static_cast<int32_t>(YRangeMode::Interval);
             macro.targets[1].parameter = e.Index("MinFreq");
             macro.targets[1].value = 0.6;
             macro.targets[1].range = 0.3;
             macro.targets[1].invert = true;
             e.plugin->SetParameter(e.Yorvane().MultiParameterIndex(0), 0.7);
             return e.Save();
         },
         [](YHostedPlugin& plugin, int32_t block) {
             if (block == 3) SetByName(plugin, "MultiParameter 1", 0.2);
         }},
        // Controller assignments with values of their own on the stage count and the rate.
        {"controllers",
         [] {
             Engine e;
             e.Adjust();
             YMIDIControllers& tables = e.Yorvane().MIDIControllers();
             tables.controllersEnabled = tables.noteControllersEnabled = true;
             YMIDIControllers::Controller& stages = tables.controllers[0];
             stages = {true, e.Index("delays"), 0.15, 0.6, 1.0, static_cast<int32_t>(YRangeMode::Interval), false, 3, 74};
             YMIDIControllers::Controller& rate = tables.controllers[1];
             rate = {true, e.Index("rate"), 0.8, 0.2, 0.5, static_cast<int32_t>(YRangeMode::UpOnly), true, 0, 1};
             YMIDIControllers::NoteController& note = tables.noteControllers[0];
             note.enabled = true;
             note.parameter = e.Index("MaxFreq");
             note.note = 60;
             tables.presetTrigger = {true, 80, 2};
             return e.Save();
         },
         [](YHostedPlugin& plugin, int32_t block) {
             if (block == 2) plugin.AddMIDIEvent(0, 0xB2, 74, 100);  // channel 3
             if (block == 3) plugin.AddMIDIEvent(100, 0xB0, 1, 30);
             if (block == 5) plugin.AddMIDIEvent(0, 0x90, 60, 100);
         }},
        // Settings changed after a preset of the user's file was loaded: the instance
        // keeps the preset's index beside its own settings.
        {"presets",
         [] {
             Engine e;
             YPresetManagerBase& presets = e.Yorvane().Presets();
             e.Set("Depth", 0.3);
             presets.SaveNew("First", nullptr);
             e.Adjust();
             presets.SaveNew("Second", nullptr);
             presets.Load(*presets.FindPreset("Second"));
             e.Set("delays", 0.55);
             e.Set("Saturation", 0.7);
             return e.Save();
         }},
        {"no-version",
         [] {
             Engine e;
             e.Adjust();
             return Edited(e.Save(), [](YXMLItem& root) { RemoveEverywhere(root, "Version"); });
         }},
        // The two older forms of the sync length: indices four and three places
        // further down the list of today.
        {"legacy-sync-length", [] { return LegacySyncLength("parametersynclength", 3); }},
        {"legacy-sync-length-second-form", [] { return LegacySyncLength("parametersynclength_", 5); }},
    };
    return all;
}

// ---- Rendering -------------------------------------------------------------------------------

// The session every state renders: a chord of sines, the transport playing at 120 bpm.
std::vector<float> Render(YHostedPlugin& plugin, const Play& play) {
    std::vector<float> interleaved(2 * kFrames);
    std::vector<float> in[2] = {std::vector<float>(kBlock), std::vector<float>(kBlock)};
    std::vector<float> out[2] = {std::vector<float>(kBlock), std::vector<float>(kBlock)};
    YHostTransport transport;
    transport.playing = true;
    plugin.SetTransport(transport);
    for (int32_t start = 0; start < kFrames; start += kBlock) {
        for (int32_t i = 0; i < kBlock; ++i) {
            const double t = (start + i) / kRate;
            in[0][i] = static_cast<float>(0.3 * std::sin(kTwoPi * 220.0 * t) + 0.2 * std::sin(kTwoPi * 1330.0 * t));
            in[1][i] = static_cast<float>(0.3 * std::sin(kTwoPi * 330.0 * t) + 0.2 * std::sin(kTwoPi * 2710.0 * t));
        }
        const float* inputs[2] = {in[0].data(), in[1].data()};
        float* outputs[2] = {out[0].data(), out[1].data()};
        if (play) play(plugin, start / kBlock);
        plugin.Process(inputs, outputs, kBlock);
        for (int32_t i = 0; i < kBlock; ++i) {
            interleaved[2 * (start + i)] = out[0][i];
            interleaved[2 * (start + i) + 1] = out[1][i];
        }
    }
    return interleaved;
}

class GoldenStates : public ::testing::Test {
protected:
    void SetUp() override {
        if (!PluginBuilt(kProduct)) GTEST_SKIP() << kProduct << " is not built";
        library = Load(kProduct);
        ASSERT_TRUE(library);
    }
    std::vector<float> RenderState(const YByteBuffer& state, const Play& play) {
        auto plugin = MakeVst3(library);
        EXPECT_TRUE(plugin && plugin->Prepare(kRate, kBlock, 2, 2));
        if (!plugin) return {};
        EXPECT_TRUE(plugin->SetState(state));
        return Render(*plugin, play);
    }
    ScratchFolder scratch;  // no saved default state of the user's reaches the instances
    std::shared_ptr<YPluginLibrary> library;
};

TEST_F(GoldenStates, EveryStateSoundsAsItDidWhenItWasSaved) {
    const char* writing = std::getenv("VORTALIS_WRITE_GOLDEN");
    for (const Golden& golden : Goldens()) {
        SCOPED_TRACE(golden.name);
        if (writing && std::string(writing) == "1") {
            const YByteBuffer state = golden.make();
            WriteFile(GoldenPath(std::string(golden.name) + ".state"), state.Data(), state.Size());
            const std::vector<float> output = RenderState(state, golden.play);
            WriteFile(GoldenPath(std::string(golden.name) + ".f32"), output.data(), output.size() * sizeof(float));
            continue;
        }
        const std::vector<uint8_t> stored = ReadFile(GoldenPath(std::string(golden.name) + ".state"));
        ASSERT_FALSE(stored.empty());
        const std::vector<uint8_t> expectedBytes = ReadFile(GoldenPath(std::string(golden.name) + ".f32"));
        ASSERT_EQ(expectedBytes.size(), 2 * kFrames * sizeof(float));
        std::vector<float> expected(2 * kFrames);
        std::memcpy(expected.data(), expectedBytes.data(), expectedBytes.size());

        const std::vector<float> output = RenderState(YByteBuffer::Borrow(stored.data(), stored.size()), golden.play);
        ASSERT_EQ(output.size(), expected.size());
        float worst = 0.0f;
        std::size_t at = 0;
        for (std::size_t i = 0; i < output.size(); ++i)
            if (!(std::fabs(output[i] - expected[i]) <= worst)) {
                worst = std::fabs(output[i] - expected[i]);
                at = i;
            }
        EXPECT_LE(worst, kTolerance) << "frame " << at / 2 << " channel " << at % 2;
    }
}

// The golden states are not all alike: each feature set sounds different from the plain state.
TEST_F(GoldenStates, EachStateSoundsItsOwnWay) {
    const std::vector<uint8_t> plainBytes = ReadFile(GoldenPath("plain.f32"));
    ASSERT_EQ(plainBytes.size(), 2 * kFrames * sizeof(float));
    for (const Golden& golden : Goldens()) {
        if (std::string(golden.name) == "plain") continue;
        const std::vector<uint8_t> bytes = ReadFile(GoldenPath(std::string(golden.name) + ".f32"));
        ASSERT_EQ(bytes.size(), plainBytes.size()) << golden.name;
        float difference = 0.0f;
        for (std::size_t i = 0; i < bytes.size(); i += sizeof(float)) {
            float a, b;
            std::memcpy(&a, &bytes[i], sizeof a);
            std::memcpy(&b, &plainBytes[i], sizeof b);
            difference = std::max(difference, std::fabs(a - b));
        }
        EXPECT_GT(difference, 0.01f) << golden.name;
    }
}

}  // namespace
