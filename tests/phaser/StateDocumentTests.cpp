#include "VortalisInstance.h"
#include "engine/YYorvaneAudioEffectPlugin.h"
#include "foundation/YFormat.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"
#include "phaser/VortalisAudioEffectPlugin.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using P = VortalisAudioEffectPlugin;

P& Phaser(YYorvaneAudioEffectPlugin& plugin) { return *static_cast<P*>(plugin.Effect()); }

std::unique_ptr<YXMLItem> Save(YYorvaneAudioEffectPlugin& plugin) {
    auto root = std::make_unique<YXMLItem>(YString("settings"));
    YStoreArchive archive(*root, false);
    plugin.Store(archive);
    return root;
}

void Load(YYorvaneAudioEffectPlugin& plugin, YXMLItem& root) {
    YStoreArchive archive(root, true);
    plugin.Store(archive);
}

std::string Text(const YXMLItem& root) {
    YMemoryStream stream;
    YXMLDocument::Write(root, stream);
    return std::string(reinterpret_cast<const char*>(stream.GetBuffer().Data()), stream.GetDataSize());
}

std::unique_ptr<YXMLItem> Parse(const std::string& text) {
    YMemoryStream stream(YByteBuffer::Borrow(text.data(), text.size()));
    return YXMLDocument::Read(stream);
}

// A reproducible noise sample in -1 .. 1.
float Noise(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return static_cast<float>(state >> 9) / 8388608.0f - 1.0f;
}

// Stereo noise blocks through the plug-in, its output channel after channel.
std::vector<float> Render(YYorvaneAudioEffectPlugin& plugin, int frames, int blocks) {
    std::vector<std::vector<float>> in(2, std::vector<float>(static_cast<std::size_t>(frames))), out = in;
    float* inputs[32] = {in[0].data(), in[1].data()};
    float* outputs[32] = {out[0].data(), out[1].data()};
    std::vector<float> rendered;
    uint32_t noise = 1;
    for (int block = 0; block < blocks; ++block) {
        for (auto& channel : in)
            for (float& x : channel) x = Noise(noise);
        plugin.ProcessAudio(inputs, outputs, frames, true);
        for (const auto& channel : out) rendered.insert(rendered.end(), channel.begin(), channel.end());
    }
    return rendered;
}

TEST(StateDocument, DefaultsWriteOnlyWhatMustAlwaysBeThere) {
    auto plugin = MakeInstance();
    std::unique_ptr<YXMLItem> root = Save(*plugin);
    for (const char* name : {"hqupsampling", "AGC", "PresetIndex"})
        EXPECT_NE(root->FindAttribute(YString::FromLatin1(name)), nullptr) << name;
    for (const char* name : {"ControllersEnabled", "NoteControllersEnabled", "Bypass", "MaxLFOBlockSize",
                             "SurroundChannelsEnable", "parameterDepth", "parameterdelays"})
        EXPECT_EQ(root->FindAttribute(YString::FromLatin1(name)), nullptr) << name;
    for (const auto& [name, text] : {std::pair{"Version", "461312"}, {"ChannelMode", "Left + Right"}, {"upsampling", "1"}})
        EXPECT_EQ(root->GetAttribute(YString::FromLatin1(name)).ToUtf8(), text) << name;
    EXPECT_NE(root->FindSubItem("shape"), nullptr);
    EXPECT_NE(root->FindSubItem("MIDIReset"), nullptr);
    // Every program but the current one, also those never selected, holds the starting settings.
    for (int i = 0; i < 8; ++i) {
        const YXMLItem* program = root->FindSubItem(YFormat("Preset{0}").Arg(i));
        ASSERT_EQ(program != nullptr, i != 0) << i;
        EXPECT_TRUE(i == 0 || program->FindSubItem("shape") != nullptr) << i;
    }
}

TEST(StateDocument, ChangedSettingsAreWrittenAndReadBack) {
    auto plugin = MakeInstance();
    P& phaser = Phaser(*plugin);
    plugin->SetParameter(P::kMode, phaser.Definition(P::kMode).Normalise(37));
    plugin->SetParameter(P::kShapeMode, 1.0);
    plugin->bypass = true;
    plugin->SetChannelMode(ChannelMode::MonoStereo);
    std::unique_ptr<YXMLItem> root = Save(*plugin);
    for (const auto& [name, text] : {std::pair{"parameterdelays", "37"}, {"parameterShapeModeEnum", "Logarithmic"},
                                     {"Bypass", "1"}, {"ChannelMode", "Mono + Stereo"}})
        EXPECT_EQ(root->GetAttribute(YString::FromLatin1(name)).ToUtf8(), text) << name;

    auto fresh = MakeInstance();
    root->SetAttribute("ChannelMode", "mono + STEREO");  // names are read without case
    Load(*fresh, *root);
    EXPECT_EQ(Phaser(*fresh).ActiveStages(), 37);  // prepared again after loading
    EXPECT_TRUE(fresh->bypass);
    EXPECT_EQ(fresh->GetChannelMode(), ChannelMode::MonoStereo);
    EXPECT_TRUE(fresh->MidSideNeeded());
    EXPECT_EQ(fresh->SettingsVersion(), 461312);
}

TEST(StateDocument, OlderDocumentsLoad) {
    const std::string older =
        "<settings EnableSurroundProcessing=\"1\" parametersynclength=\"5\" parameterfeedback=\"2.5\">"
        "<shape Mode=\"0\" value=\"5\"/></settings>";
    for (int channels : {2, 8}) {
        auto plugin = MakeInstance(channels);
        std::unique_ptr<YXMLItem> root = Parse(older);
        Load(*plugin, *root);
        EXPECT_EQ(plugin->SettingsVersion(), 328448);
        EXPECT_EQ(plugin->GetChannelMode(), channels == 8 ? ChannelMode::Surround : ChannelMode::LeftRight);
        P& phaser = Phaser(*plugin);
        EXPECT_EQ(phaser.Definition(P::kSyncLength).value, 9.0);  // "1 / 4"
        EXPECT_EQ(phaser.Definition(P::kFeedback).value, 1.0);    // held to its range
        EXPECT_DOUBLE_EQ(phaser.Shape().GetSettings().morph, 5.0);
    }
    auto plugin = MakeInstance(8);
    std::unique_ptr<YXMLItem> root = Parse("<settings ChannelMode=\"Surround\" SurroundChannelsEnable=\"10x\"/>");
    plugin->SurroundChannelsEnable()[3] = false;
    Load(*plugin, *root);
    EXPECT_EQ(plugin->GetChannelMode(), ChannelMode::Surround);
    EXPECT_EQ(plugin->ChannelCount(), 6);
    // Beyond the text the enables are unchanged: the fourth stays off.
    EXPECT_EQ(Save(*plugin)->GetAttribute("SurroundChannelsEnable"), YString("10101111"));

    auto stereo = MakeInstance(2);
    std::unique_ptr<YXMLItem> surround = Parse("<settings ChannelMode=\"Surround\"/>");
    Load(*stereo, *surround);
    EXPECT_EQ(stereo->GetChannelMode(), ChannelMode::LeftRight);

    // The older switch, read as an integer after "ChannelMode", overrides it.
    const struct {
        const char* document;
        ChannelMode mode;
    } both[] = {{"<settings ChannelMode=\"Mono\" EnableSurroundProcessing=\"1\"/>", ChannelMode::Surround},
                {"<settings ChannelMode=\"Surround\" EnableSurroundProcessing=\"0\"/>", ChannelMode::LeftRight},
                {"<settings ChannelMode=\"Mono\" EnableSurroundProcessing=\"-2\"/>", ChannelMode::LeftRight}};
    for (const auto& c : both) {
        Load(*plugin, *Parse(c.document));
        EXPECT_EQ(plugin->GetChannelMode(), c.mode) << c.document;
    }
}

// Every kind of setting the state holds, drawn at random.
void Randomise(YYorvaneAudioEffectPlugin& plugin, std::mt19937& random) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    P& phaser = Phaser(plugin);
    for (int i = 0; i < plugin.GetParameterCount(); ++i) plugin.SetParameter(i, unit(random));
    plugin.SetChannelMode(static_cast<ChannelMode>(static_cast<int>(unit(random) * 7)));
    plugin.SetMaxLFOBlockSize(64 + static_cast<int>(unit(random) * 512));
    plugin.SetAGC(unit(random) > 0.5);
    YSignalGenerator& shape = phaser.Shape();
    shape.SetMorph(unit(random) * 15);
    shape.SetEnvelopeDepth(unit(random));
    shape.EditCurve(YSignalGenerator::CurveId::kEnvelope, [&](YEnvelopeComputer& curve) {
        YEnvelopeComputer::Point point = YEnvelopeComputer::NewPoint(0.1 + 0.8 * unit(random), unit(random) * 2 - 1);
        point.type = static_cast<int32_t>(unit(random) * 12);
        point.curvature = unit(random) * 2 - 1;
        curve.InsertPoint(point);
    });
    shape.SetStepDepth(unit(random));
    shape.SetStepItemCount(1 + static_cast<int>(unit(random) * 31));
    for (int slot = 0; slot < 32; ++slot) {
        shape.SetStepLevel(slot, unit(random) * 2 - 1);
        shape.SetStepType(slot, static_cast<int>(unit(random) * 37));
    }
    for (auto set : {&YSignalGenerator::SetPhase, &YSignalGenerator::SetSkew, &YSignalGenerator::SetFullSkew, &YSignalGenerator::SetHalve})
        (shape.*set)(unit(random) - 0.5);
    shape.SetSmoothness(unit(random) * 0.2);
    for (int overtone = 2; overtone <= 8; ++overtone) shape.SetShapeHarmonic(overtone, unit(random) * 0.3, unit(random));
    shape.SetTransformEnable(unit(random) > 0.5);
    shape.SetAmplitudeTransformEnable(unit(random) > 0.5);
    shape.SetHarmonicsCount(static_cast<int>(unit(random) * 40));
    for (int h = 1; h <= 40; ++h) shape.SetHarmonic(h, static_cast<float>(unit(random)), static_cast<float>(unit(random)));
    shape.SetSlope(unit(random));
    shape.SetSampleFilePath("C:\\samples\\pad & bell <1>.wav");
    auto& reset = phaser.MIDIReset();
    reset.enabled = unit(random) > 0.5;
    reset.noteOff = unit(random) > 0.5;
    reset.minVelocity = unit(random) * 0.5;
    reset.maxNote = 60 + static_cast<int32_t>(unit(random) * 60);
    reset.channel = static_cast<int32_t>(unit(random) * 17);
    reset.phase = unit(random);
}

TEST(StateDocument, RandomStatesRoundTripAndSoundTheSame) {
    std::mt19937 random(2024);
    for (int round = 0; round < 12; ++round) {
        auto original = MakeInstance();
        // Programs: settings in three slots, then back to another one.
        for (int program : {3, 6, 1}) {
            Randomise(*original, random);
            original->SelectProgram(program);
        }
        Randomise(*original, random);
        original->UpdateUpsamplingFactor(round % 3 == 0 ? 2 : 1, round % 2 == 0);
        original->InitProcessing();
        std::unique_ptr<YXMLItem> first = Save(*original);

        auto copy = MakeInstance();
        Load(*copy, *first);
        std::unique_ptr<YXMLItem> second = Save(*copy);
        // The programs and the current one's index are in the document too.
        ASSERT_EQ(Text(*first), Text(*second)) << "round " << round;

        // Both prepared from the same state, both sound the same.
        Load(*original, *first);
        EXPECT_EQ(Render(*original, 400, 5), Render(*copy, 400, 5)) << "round " << round;
    }
}

TEST(StateDocument, ProgramsSwitchWithTheirSettings) {
    auto plugin = MakeInstance();
    P& phaser = Phaser(*plugin);
    plugin->SetParameter(P::kMode, phaser.Definition(P::kMode).Normalise(3));
    plugin->SelectProgram(4);  // a program never used holds the settings the instance started with
    EXPECT_EQ(phaser.Definition(P::kMode).value, 10.0);
    plugin->SetParameter(P::kMode, phaser.Definition(P::kMode).Normalise(50));
    plugin->SelectProgram(0);
    EXPECT_EQ(phaser.Definition(P::kMode).value, 3.0);
    EXPECT_EQ(phaser.ActiveStages(), 3);
    plugin->SelectProgram(4);
    EXPECT_EQ(phaser.Definition(P::kMode).value, 50.0);

    std::unique_ptr<YXMLItem> root = Save(*plugin);
    EXPECT_EQ(root->GetAttribute("PresetIndex"), YString("4"));
    EXPECT_NE(root->FindSubItem("Preset0"), nullptr);
    EXPECT_EQ(root->FindSubItem("Preset4"), nullptr);  // the current one is the document itself
    EXPECT_EQ(root->FindSubItem("Preset0")->GetAttribute("parameterdelays"), YString("3"));
}

TEST(StateDocument, FixedOutputGainBelongsToTheInstance) {
    auto plugin = MakeInstance();
    EXPECT_EQ(Save(*plugin)->FindAttribute("FixedOutputGain"), nullptr);
    plugin->SetFixedOutputGain(2.0);
    // Programs switch without it, like the switch.
    plugin->SelectProgram(3);
    EXPECT_EQ(plugin->FixedOutputGain(), 2.0);
    std::unique_ptr<YXMLItem> root = Save(*plugin);
    EXPECT_EQ(root->GetAttribute("FixedOutputGain"), YString("2"));
    for (int i = 0; i < 8; ++i) {
        if (const YXMLItem* program = root->FindSubItem(YFormat("Preset{0}").Arg(i))) {
            EXPECT_EQ(program->FindAttribute("FixedOutputGain"), nullptr) << i;
        }
    }

    auto fresh = MakeInstance();
    Load(*fresh, *root);
    EXPECT_EQ(fresh->FixedOutputGain(), 2.0);
    // A document without it (an older one) sets unity.
    root->RemoveAttribute("FixedOutputGain");
    Load(*fresh, *root);
    EXPECT_EQ(fresh->FixedOutputGain(), 1.0);
}

// Loads thousands of damaged documents while the audio keeps running: every load
// either applies or is refused whole, and every processed block is finite.
TEST(StateDocument, MutatedDocumentsNeverBreakTheAudio) {
    auto plugin = MakeInstance();
    std::mt19937 random(99);
    Randomise(*plugin, random);
    plugin->UpdateUpsamplingFactor(1, true);
    const std::string valid = Text(*Save(*plugin));

    std::atomic<bool> done{false};
    std::atomic<int> blocks{0}, nonFinite{0};
    std::thread audio([&] {
        std::vector<float> left(256), right(256), outLeft(256), outRight(256);
        float* inputs[32] = {left.data(), right.data()};
        float* outputs[32] = {outLeft.data(), outRight.data()};
        uint32_t noise = 7;
        while (!done) {
            for (int i = 0; i < 256; ++i) left[i] = right[i] = Noise(noise);
            plugin->ProcessAudio(inputs, outputs, 256, true);
            for (int i = 0; i < 256; ++i) nonFinite += !std::isfinite(outLeft[i]) || !std::isfinite(outRight[i]);
            ++blocks;
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
    });

    const char* replacements[] = {"-1e308", "1e999", "nan", "-", "", "999999999999", "0", "x", "-7", "Surround", "3.5"};
    int loaded = 0;
    for (int round = 0; round < 2000; ++round) {
        std::string text = valid;
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits && !text.empty(); ++e) {
            auto position = [&] { return static_cast<std::size_t>(random() % text.size()); };
            std::size_t at = position();
            switch (random() % 4) {
                case 0: text[at] = static_cast<char>(random() % 96 + 32); break;
                case 1: text.erase(at, random() % 8); break;
                case 2: {
                    // A quoted value replaced by a hostile one.
                    std::size_t quote = text.find('"', at);
                    std::size_t end = quote == std::string::npos ? quote : text.find('"', quote + 1);
                    if (end != std::string::npos) text.replace(quote + 1, end - quote - 1, replacements[random() % 11]);
                    break;
                }
                default: text.insert(at, text.substr(position(), random() % 40)); break;
            }
        }
        std::unique_ptr<YXMLItem> root;
        try {
            root = Parse(text);
        } catch (const YException&) {
            continue;  // refused before the plug-in sees it
        }
        Load(*plugin, *root);
        ++loaded;
    }
    done = true;
    audio.join();
    EXPECT_GT(loaded, 100);
    EXPECT_GT(blocks, 0);
    EXPECT_EQ(nonFinite, 0);
    // Still a working instance that saves a document of the same schema.
    EXPECT_EQ(Save(*plugin)->GetAttribute("Version"), YString("461312"));
}

}  // namespace
