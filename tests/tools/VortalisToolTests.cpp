// The command-line tool run as a user runs it, on generated files, through the
// real, built plug-in.
#include "RunTool.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YZLibStream.h"
#include "host/YPluginHost.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Audio {
    std::vector<float> samples;  // interleaved
    SF_INFO info{};
};

Audio Read(const std::string& path) {
    Audio audio;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &audio.info);
    if (file == nullptr) return audio;
    audio.samples.resize(static_cast<std::size_t>(audio.info.frames * audio.info.channels));
    sf_readf_float(file, audio.samples.data(), audio.info.frames);
    sf_close(file);
    return audio;
}

std::vector<float> ReadSamples(const std::string& path) { return Read(path).samples; }

// Writes samples as a file of the given type and encoding (integer encodings clip,
// as the tool's do) and gives what reading the file back yields.
std::vector<float> Write(const std::string& path, const std::vector<float>& samples, SF_INFO info) {
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) return {};
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    sf_writef_float(file, samples.data(), static_cast<sf_count_t>(samples.size()) / info.channels);
    sf_close(file);
    return ReadSamples(path);
}

// Material a phaser changes audibly, at 48 kHz: a chord of sines with noise.
void WriteInput(const std::string& path, int channels, int frames, int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT) {
    std::vector<float> samples;
    uint32_t noise = 3;
    for (int i = 0; i < frames; ++i) {
        noise = noise * 1664525u + 1013904223u;
        const double t = i / 48000.0;
        for (int c = 0; c < channels; ++c)
            samples.push_back(static_cast<float>(0.2 * std::sin(2 * M_PI * (220 + 110 * c) * t) +
                                                 0.1 * (static_cast<double>(noise >> 8) / 8388608.0 - 1.0)));
    }
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = 48000;
    info.format = format;
    Write(path, samples, info);
}

void WriteBytes(const std::string& path, const void* bytes, std::size_t size) {
    std::ofstream(path, std::ios::binary).write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
}

// A render of the whole file held in memory, as the tool once made it and as a host
// would: the saved state loaded into a new instance, the input followed by silence
// for the latency and the tail, the plug-in run over it in blocks, the latency cut
// off the front.
std::vector<float> WholeFileRender(const Audio& input, const std::string& statePath, YHostedPlugin::Format format,
                                   int32_t block, bool tail) {
    const std::filesystem::path bundle = std::filesystem::path(VORTALIS_TOOL).parent_path() / "Vortalis.vst3";
    YString error;
    auto library = YPluginLibrary::Open(YString::FromUtf8(bundle.string()), error);
    auto plugin = library ? YHostedPlugin::Create(library, format, error) : nullptr;
    std::ostringstream stored;
    stored << std::ifstream(statePath, std::ios::binary).rdbuf();
    const std::string state = stored.str();
    const int32_t channels = input.info.channels;
    if (!plugin || !plugin->Prepare(48000.0, block, channels, channels) ||
        !plugin->SetState(YByteBuffer::Borrow(state.data(), state.size())))
        return {};
    plugin->Process(nullptr, nullptr, 0);
    plugin->Prepare(48000.0, block, channels, channels);

    const int64_t latency = plugin->Latency(), length = input.info.frames + (tail ? plugin->Tail() : 0);
    std::vector<std::vector<float>> in(channels, std::vector<float>(length + latency)), out = in;
    for (int64_t i = 0; i < input.info.frames; ++i)
        for (int32_t c = 0; c < channels; ++c) in[c][i] = input.samples[i * channels + c];
    std::vector<const float*> inputs(channels);
    std::vector<float*> outputs(channels);
    for (int64_t at = 0; at < length + latency; at += block) {
        for (int32_t c = 0; c < channels; ++c) {
            inputs[c] = in[c].data() + at;
            outputs[c] = out[c].data() + at;
        }
        plugin->Process(inputs.data(), outputs.data(), static_cast<int32_t>(std::min<int64_t>(block, length + latency - at)));
    }
    std::vector<float> rendered;
    for (int64_t i = latency; i < length + latency; ++i)
        for (int32_t c = 0; c < channels; ++c) rendered.push_back(out[c][i]);
    return rendered;
}

class Tool : public ::testing::Test {
protected:
    void SetUp() override {
        input = Path("input.wav");
        WriteInput(input, 2, 96000);
    }

    std::string Path(const char* name) const { return scratch.Path(name).ToUtf8(); }
    std::string Quote(const std::string& path) const { return "'" + path + "'"; }

    ScratchFolder scratch;
    std::string input;
};

double MaxDifference(const std::vector<float>& a, const std::vector<float>& b) {
    if (a.size() != b.size()) return 1e9;
    double worst = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i) worst = std::max(worst, static_cast<double>(std::fabs(a[i] - b[i])));
    return worst;
}

TEST_F(Tool, SettingsChangeTheSoundAsTheySay) {
    const std::vector<float> dry = ReadSamples(input);
    Succeed("render " + Quote(input) + " " + Quote(Path("dry.wav")) + " --set Depth=0");
    EXPECT_LT(MaxDifference(ReadSamples(Path("dry.wav")), dry), 1e-6);  // Dry/wet 0: the input back

    Succeed("render " + Quote(input) + " " + Quote(Path("default.wav")));
    Succeed("render " + Quote(input) + " " + Quote(Path("deep.wav")) + " --set delays=40 --set feedback=-1");
    const std::vector<float> phased = ReadSamples(Path("default.wav"));
    EXPECT_GT(MaxDifference(phased, dry), 0.01);
    EXPECT_GT(MaxDifference(ReadSamples(Path("deep.wav")), phased), 0.01);

    // The same setting typed and as a normalised value: 40 stages of 1..100 sit at 39/99.
    Succeed("render " + Quote(input) + " " + Quote(Path("norm.wav")) + " --norm delays=" + std::to_string(39.0 / 99.0) +
            " --set feedback=-1");
    EXPECT_EQ(ReadSamples(Path("norm.wav")), ReadSamples(Path("deep.wav")));
}

TEST_F(Tool, SavedStatesAndBothInterfacesSoundTheSame) {
    Succeed("render " + Quote(input) + " " + Quote(Path("a.wav")) + " --set MinFreq=300 --set Saturation=30% --save-state " +
            Quote(Path("saved.state")));
    Succeed("render " + Quote(input) + " " + Quote(Path("b.wav")) + " --state " + Quote(Path("saved.state")));
    EXPECT_EQ(ReadSamples(Path("a.wav")), ReadSamples(Path("b.wav")));
    Succeed("render " + Quote(input) + " " + Quote(Path("c.wav")) + " --api vst2 --state " + Quote(Path("saved.state")));
    EXPECT_EQ(ReadSamples(Path("c.wav")), ReadSamples(Path("a.wav")));
    // VST 2.4 carries no typed text: the tool reads it with the product's own rules.
    Succeed("render " + Quote(input) + " " + Quote(Path("d.wav")) + " --set MinFreq=300 --set Saturation=30%");
    Succeed("render " + Quote(input) + " " + Quote(Path("e.wav")) + " --api vst2 --set MinFreq=300 --set Saturation=30%");
    // VST 2.4 hands normalised values over in single precision.
    EXPECT_LT(MaxDifference(ReadSamples(Path("e.wav")), ReadSamples(Path("d.wav"))), 1e-5);

    const std::string document = Succeed("state dump " + Quote(Path("saved.state")));
    EXPECT_NE(document.find("<settings"), std::string::npos);
    EXPECT_NE(document.find("parameterSaturation=\"0.3\""), std::string::npos) << document;
    Succeed("state save " + Quote(Path("other.state")) + " --set Saturation=30% --set MinFreq=300");
    EXPECT_EQ(Succeed("state dump " + Quote(Path("other.state"))), document);
}

// The value of one attribute of a dumped state's root element.
std::string RootAttribute(const std::string& document, const std::string& name) {
    const std::size_t root = document.find("<settings");
    const std::string element = document.substr(root, document.find('>', root) - root);
    const std::size_t at = element.find(" " + name + "=\"");
    if (at == std::string::npos) return std::string();
    const std::size_t start = at + name.size() + 3;
    return element.substr(start, element.find('"', start) - start);
}

TEST_F(Tool, RandomMorphedAndProgramStates) {
    const std::string r1 = Path("r1.state"), r2 = Path("r2.state"), r3 = Path("r3.state"), r4 = Path("r4.state");
    Succeed("state random " + Quote(r1) + " --seed 5");
    Succeed("state random " + Quote(r2) + " --seed 5");
    const std::string first = Succeed("state dump " + Quote(r1));
    EXPECT_EQ(Succeed("state dump " + Quote(r2)), first);  // a seed repeats the result
    Succeed("state random " + Quote(r2) + " --seed 6");
    Succeed("state random " + Quote(r3) + " --seed 7 --amount 0.3 --from " + Quote(r1));
    Succeed("state random " + Quote(r4) + " --seed 8 --amount 0 --from " + Quote(r1));
    EXPECT_EQ(Succeed("state dump " + Quote(r4)), first);  // amount 0 changes nothing
    const std::string documents[3] = {first, Succeed("state dump " + Quote(r2)), Succeed("state dump " + Quote(r3))};
    EXPECT_NE(RootAttribute(documents[1], "parameterDepth"), RootAttribute(first, "parameterDepth"));

    // At the pad's corner (1, 0) the blend is the third state's settings, in program E.
    const std::string morphed = Path("morphed.state");
    Succeed("state morph " + Quote(r1) + " " + Quote(r2) + " " + Quote(r3) + " " + Quote(r4) + " --x 1 --y 0 " + Quote(morphed));
    const std::string blend = Succeed("state dump " + Quote(morphed));
    EXPECT_EQ(RootAttribute(blend, "PresetIndex"), "4");
    for (const char* id : {"parameterDepth", "parameterfeedback", "parameterdelays", "parameterMinFreq", "parameterShapeModeEnum"})
        EXPECT_EQ(RootAttribute(blend, id), RootAttribute(documents[2], id)) << id;

    // Program B of the morphed state holds the second state's settings.
    Succeed("state program b " + Quote(morphed) + " " + Quote(Path("b.state")));
    const std::string programB = Succeed("state dump " + Quote(Path("b.state")));
    EXPECT_EQ(RootAttribute(programB, "PresetIndex"), "1");
    EXPECT_EQ(RootAttribute(programB, "parameterDepth"), RootAttribute(documents[1], "parameterDepth"));
    EXPECT_NE(RunTool("state program I " + Quote(morphed)).status, 0);
}

TEST_F(Tool, SmartRandomStateDrawsFromTheRandomizerFolder) {
    const std::string smart = Path("smart.state");
    EXPECT_NE(RunTool("state random --smart " + Quote(smart)).status, 0);  // no "Randomizer" folder yet
    EXPECT_NE(RunTool("state random --smart --amount 0.5 " + Quote(smart)).status, 0);
    Succeed("presets mkdir Randomizer");
    Succeed("presets save Deep --folder Randomizer --set Depth=80%");
    Succeed("presets save Deeper --folder Randomizer --set Depth=90%");
    Succeed("presets save Outside --set Depth=10%");
    for (const char* seed : {"1", "2", "3"}) {
        Succeed("state random --smart --seed " + std::string(seed) + " " + Quote(smart));
        const std::string depth = RootAttribute(Succeed("state dump " + Quote(smart)), "parameterDepth");
        EXPECT_TRUE(depth == "0.8" || depth == "0.9") << depth;
    }
}

TEST_F(Tool, RenderWithGainCompensation) {
    Succeed("render " + Quote(input) + " " + Quote(Path("plain.wav")) + " --set feedback=-1");
    Succeed("render " + Quote(input) + " " + Quote(Path("agc.wav")) + " --set feedback=-1 --agc --save-state " +
            Quote(Path("agc.state")));
    EXPECT_EQ(RootAttribute(Succeed("state dump " + Quote(Path("agc.state"))), "AGC"), "1");
    const std::vector<float> plain = ReadSamples(Path("plain.wav")), agc = ReadSamples(Path("agc.wav"));
    ASSERT_EQ(plain.size(), agc.size());
    // The compensation fades in from silence and never boosts during its first seconds.
    EXPECT_LT(std::fabs(agc[20]), std::fabs(plain[20]) * 0.1f + 1e-6f);
    double plainPower = 0, agcPower = 0;
    for (std::size_t i = 0; i < plain.size(); ++i) {
        plainPower += plain[i] * static_cast<double>(plain[i]);
        agcPower += agc[i] * static_cast<double>(agc[i]);
    }
    EXPECT_LT(agcPower, plainPower);
}

// A state written compressed from its XML text, as the plug-in writes it.
void WriteStateText(const std::string& path, const std::string& document) {
    YMemoryStream compressed;
    YZLibStream deflating(&compressed, true);
    deflating.Write(document.data(), static_cast<uint32_t>(document.size()));
    deflating.Finish();
    WriteBytes(path, compressed.GetBuffer().Data(), compressed.GetDataSize());
}

TEST_F(Tool, SetGainStoresTheFigureThatRendersThenApply) {
    const std::string in = Path("in.state"), out = Path("out.state"), looped = Path("looped.state");
    Succeed("state save " + Quote(in) + " --set feedback=-1 --set Depth=100%");
    const std::string printed = Succeed("state set-gain " + Quote(in) + " " + Quote(out));
    double db = 0.0;
    ASSERT_EQ(std::sscanf(printed.c_str(), "fixed output gain: %lf dB", &db), 1) << printed;
    EXPECT_GT(std::fabs(db), 0.1);  // this setting changes the level
    EXPECT_EQ(RootAttribute(Succeed("state dump " + Quote(in)), "FixedOutputGain"), "");
    const std::string stored = RootAttribute(Succeed("state dump " + Quote(out)), "FixedOutputGain");
    ASSERT_FALSE(stored.empty());
    EXPECT_NEAR(20.0 * std::log10(std::stod(stored)), db, 0.006);
    EXPECT_EQ(RootAttribute(Succeed("state dump " + Quote(out)), "AGC"), "0");  // the switch as it was

    // Rendered with the measured state, every sample is the plain render's times the gain.
    Succeed("render " + Quote(input) + " " + Quote(Path("plain.wav")) + " --state " + Quote(in));
    Succeed("render " + Quote(input) + " " + Quote(Path("set.wav")) + " --state " + Quote(out));
    const std::vector<float> plain = ReadSamples(Path("plain.wav")), set = ReadSamples(Path("set.wav"));
    ASSERT_EQ(plain.size(), set.size());
    const double gain = std::stod(stored);
    double worst = 0.0;
    for (std::size_t i = 0; i < plain.size(); ++i) worst = std::max(worst, std::fabs(set[i] - gain * plain[i]));
    EXPECT_LT(worst, 1e-5);

    // A file of two seconds is looped for the four the measurement takes.
    const std::string fromFile =
        Succeed("state set-gain " + Quote(in) + " " + Quote(looped) + " --input " + Quote(input));
    EXPECT_NE(fromFile.find("fixed output gain: "), std::string::npos) << fromFile;
}

TEST_F(Tool, BankGainsOnlyForABanksMacro) {
    const std::string normal = Path("normal.state"), banks = Path("banks.state"), out = Path("out.state");
    Succeed("state save " + Quote(normal) + " --macro 2:feedback");
    const Result refused = RunTool("state bank-gains " + Quote(normal) + " " + Quote(out) + " --macro 2");
    EXPECT_NE(refused.status, 0);
    EXPECT_NE(refused.output.find("not in Banks mode"), std::string::npos) << refused.output;
    EXPECT_FALSE(std::filesystem::exists(out));

    std::string document = Succeed("state dump " + Quote(normal));
    const std::size_t mode = document.find("Mode=\"Normal\"", document.find("<MultiParameter1"));
    ASSERT_NE(mode, std::string::npos) << document;
    document.replace(mode, 13, "Mode=\"Banks\"");
    WriteStateText(banks, document);
    const std::string printed = Succeed("state bank-gains " + Quote(banks) + " " + Quote(out) + " --macro 2");
    for (const char* line : {"bank 1: feedback=", "bank 2: feedback=", "bank 3: feedback=", "bank 4: feedback="})
        EXPECT_NE(printed.find(line), std::string::npos) << printed;
    EXPECT_NE(Succeed("state dump " + Quote(out)).find("Mode=\"Banks\""), std::string::npos);
}

// A render streams its file a block at a time, and gives the file that a render of
// the whole file in memory gives, whatever the block and the options that change the
// sound.
TEST_F(Tool, StreamedRendersMatchWholeFileRenders) {
    // Twice upsampling: the plug-in's resampler delays the sound by 3072 frames.
    const std::string upsampled = Path("upsampled.state");
    Succeed("state save " + Quote(upsampled));
    std::string document = Succeed("state dump " + Quote(upsampled));
    document.replace(document.find(" upsampling=\"1\""), 15, " upsampling=\"2\"");
    WriteStateText(upsampled, document);

    for (int channels = 1; channels <= 3; ++channels)
        WriteInput(Path(("in" + std::to_string(channels) + ".wav").c_str()), channels, 20011);
    using Format = YHostedPlugin::Format;
    const struct {
        int channels;
        const char* output;  // named for its type
        std::string options;
        bool tail;
        Format format;
    } cases[] = {
        {2, "plain.wav", "", false, Format::Vst3},
        {2, "set.wav", "--set delays=40 --set feedback=-1 --norm Depth=0.8 --set Saturation=30%", false, Format::Vst3},
        {1, "mono.flac", "--format pcm16 --set rate=7", false, Format::Vst3},
        {3, "three.aiff", "--format pcm24 --tail", true, Format::Vst3},
        {2, "latency.wav", "--tail --state " + Quote(upsampled), true, Format::Vst3},
        {2, "vst2.flac", "--api vst2 --format pcm16 --state " + Quote(upsampled), false, Format::Vst2},
    };
    for (const auto& c : cases)
        for (int block : {64, 512, 4096}) {
            const std::string in = Path(("in" + std::to_string(c.channels) + ".wav").c_str());
            const std::string out = Path(c.output), state = Path("saved.state");
            Succeed("render " + Quote(in) + " " + Quote(out) + " --quiet --block " + std::to_string(block) +
                    " --save-state " + Quote(state) + " " + c.options);
            const Audio streamed = Read(out);
            const std::vector<float> whole = WholeFileRender(Read(in), state, c.format, block, c.tail);
            ASSERT_FALSE(whole.empty()) << c.output;
            EXPECT_EQ(MaxDifference(streamed.samples, Write(Path("expected"), whole, streamed.info)), 0.0)
                << c.output << " in blocks of " << block;
        }
}

// Every good file of a batch is rendered as a render of that file alone would be;
// the bad ones are named, and nothing half-written is left.
TEST_F(Tool, BatchesRenderEveryGoodFileAndNameTheBadOnes) {
    std::filesystem::create_directory(Path("in"));
    const std::string folder = Path("in") + "/";
    WriteInput(folder + "a.wav", 2, 30000);
    WriteInput(folder + "b.wav", 3, 20000);
    WriteInput(folder + "c.wav", 1, 25000);
    WriteBytes(folder + "bad.wav", "not audio", 9);
    WriteInput(folder + "cut.flac", 2, 40000, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);  // ends early: fails halfway
    std::filesystem::resize_file(folder + "cut.flac", std::filesystem::file_size(folder + "cut.flac") / 2);
    std::filesystem::copy_file(input, folder + "input.wav");  // the same name as the first input.wav

    const std::string settings = " --set delays=40 --set rate=3";
    std::string inputs = Quote(input);
    for (const char* name : {"a.wav", "bad.wav", "b.wav", "cut.flac", "c.wav", "input.wav"}) inputs += " " + Quote(folder + name);
    const Result batch =
        RunTool("render --quiet --output-dir " + Quote(Path("out")) + " --type flac --jobs 2 " + inputs + settings);
    EXPECT_NE(batch.status, 0);
    for (const char* message : {"bad.wav: cannot read", "cut.flac: cannot read", "ends early",
                                "input.wav\" would both be written", "3 of 7 files failed"})
        EXPECT_NE(batch.output.find(message), std::string::npos) << message << "\n" << batch.output;
    std::set<std::string> written;
    for (const auto& entry : std::filesystem::directory_iterator(Path("out"))) written.insert(entry.path().filename());
    EXPECT_EQ(written, (std::set<std::string>{"a.flac", "b.flac", "c.flac", "input.flac"}));

    for (const char* name : {"a", "b", "c"}) {
        Succeed("render " + Quote(folder + name + ".wav") + " " + Quote(Path("alone.flac")) + " --quiet" + settings);
        EXPECT_EQ(MaxDifference(ReadSamples(Path("out") + "/" + name + ".flac"), ReadSamples(Path("alone.flac"))), 0.0)
            << name;
    }
}

TEST_F(Tool, FormatsTailAndDemo) {
    Succeed("render " + Quote(input) + " " + Quote(Path("out.flac")) + " --format pcm16");
    const Audio flac = Read(Path("out.flac"));
    EXPECT_EQ(flac.info.channels, 2);
    EXPECT_EQ(flac.info.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    EXPECT_EQ(flac.info.frames, 96000);
    Succeed("render " + Quote(input) + " " + Quote(Path("tail.aiff")) + " --tail");
    const Audio tail = Read(Path("tail.aiff"));
    EXPECT_EQ(tail.info.frames, 96000 + 1024);
    EXPECT_EQ(tail.info.format & SF_FORMAT_SUBMASK, SF_FORMAT_FLOAT);  // the input's own encoding
    Succeed("demo " + Quote(Path("demo.wav")));
    EXPECT_GT(ReadSamples(Path("demo.wav")).size(), 48000u);
    EXPECT_NE(Succeed("params").find("MinFreq"), std::string::npos);
}

TEST_F(Tool, SnapshotsDrawTheEditorIntoAPNG) {
    Succeed("state save " + Quote(Path("shown.state")) + " --set MinFreq=300");
    Succeed("snapshot " + Quote(Path("shape.png")) + " --state " + Quote(Path("shown.state")) +
            " --panel Shape --scale 2 --size 2000x1300");
    std::FILE* file = std::fopen(Path("shape.png").c_str(), "rb");
    ASSERT_NE(file, nullptr);
    unsigned char header[24] = {};
    const std::size_t got = std::fread(header, 1, sizeof header, file);
    std::fclose(file);
    ASSERT_EQ(got, sizeof header);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(header) + 1, 3), "PNG");
    auto bigEndian = [&](int at) { return header[at] << 24 | header[at + 1] << 16 | header[at + 2] << 8 | header[at + 3]; };
    EXPECT_EQ(bigEndian(16), 2000);
    EXPECT_EQ(bigEndian(20), 1300);
    Succeed("snapshot " + Quote(Path("programs.png")) + " --panel programs");
    EXPECT_TRUE(std::filesystem::exists(Path("programs.png")));
    for (const char* wrong : {"--panel nowhere", "--size 12", "--scale 9", "--state nowhere.state"}) {
        const Result refused = RunTool("snapshot " + Quote(Path("refused.png")) + " " + wrong);
        EXPECT_NE(refused.status, 0) << wrong;
        EXPECT_FALSE(std::filesystem::exists(Path("refused.png"))) << wrong;
    }
}

// A mono sound at 48 kHz, written by libsndfile.
void WriteMono(const std::string& path, double (*wave)(int frame)) {
    SF_INFO info{};
    info.channels = 1;
    info.samplerate = 48000;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    for (int i = 0; i < 48000; ++i) {
        const float value = static_cast<float>(wave(i));
        sf_writef_float(file, &value, 1);
    }
    sf_close(file);
}

TEST_F(Tool, ShapesFromASampleNeedNoSampleFileLater) {
    const std::string sample = Path("saw.wav"), noise = Path("noise.wav");
    WriteMono(sample, [](int i) { return 0.8 * (2 * std::fmod(220.0 * i / 48000, 1.0) - 1); });
    WriteMono(noise, [](int) {
        static uint32_t seed = 5;
        seed = seed * 1664525u + 1013904223u;
        return static_cast<double>(seed >> 8) / 8388608.0 - 1.0;
    });
    const std::string analysis = Succeed("shape analyze " + Quote(sample) + " --position 0.5");
    const std::string success = "Sample analyzed successfuly.\nDetected pitch ";
    ASSERT_EQ(analysis.rfind(success, 0), 0u) << analysis;
    EXPECT_NEAR(std::stod(analysis.substr(success.size())), 220.0, 220.0 * 3e-4) << analysis;  // half a cent
    EXPECT_NE(analysis.find(" Hz, A3 "), std::string::npos) << analysis;
    Result result = RunTool("shape analyze " + Quote(noise));
    EXPECT_NE(result.status, 0);
    EXPECT_NE(result.output.find("Unable to detect sample pitch."), std::string::npos) << result.output;

    const std::string shaped = Path("shaped.state"), harmonics = Path("harmonics.state");
    Succeed("state save " + Quote(shaped) + " --shape-sample " + Quote(sample) + " --position 0.1 --set Depth=100%");
    Succeed("state save " + Quote(harmonics) + " --shape-sample " + Quote(sample) + " --harmonics");
    const std::string document = Succeed("state dump " + Quote(shaped));
    EXPECT_NE(document.find("<CustomTable>"), std::string::npos) << document;
    EXPECT_NE(document.find("CustomSample=\"1\""), std::string::npos);
    EXPECT_NE(Succeed("state dump " + Quote(harmonics)).find("<SampleHarmonics>"), std::string::npos);

    Succeed("render " + Quote(input) + " " + Quote(Path("with.wav")) + " --state " + Quote(shaped));
    std::filesystem::remove(sample);
    Succeed("render " + Quote(input) + " " + Quote(Path("without.wav")) + " --state " + Quote(shaped));
    Succeed("render " + Quote(input) + " " + Quote(Path("plain.wav")) + " --set Depth=100%");
    EXPECT_EQ(ReadSamples(Path("without.wav")), ReadSamples(Path("with.wav")));
    EXPECT_GT(MaxDifference(ReadSamples(Path("with.wav")), ReadSamples(Path("plain.wav"))), 0.01);

    result = RunTool("state save " + Quote(Path("none.state")) + " --shape-sample " + Quote(sample));
    EXPECT_NE(result.status, 0);
    EXPECT_NE(result.output.find("saw.wav\" could not be open"), std::string::npos) << result.output;
}

TEST_F(Tool, ErrorsLeaveNoOutputBehind) {
    WriteBytes(Path("garbage.state"), "not a state", 11);
    const std::string out = Path("out.wav");
    const struct {
        std::string arguments;
        std::string message;
    } cases[] = {
        {"render " + Quote(Path("missing.wav")) + " " + Quote(out), "cannot read"},
        {"render " + Quote(Path("garbage.state")) + " " + Quote(out), "cannot read"},
        {"render " + Quote(input) + " " + Quote(Path("out.mp3")), "unsupported output type"},
        {"render " + Quote(input) + " " + Quote(Path("out.flac")) + " --format float", "unsupported format"},
        {"render " + Quote(input) + " " + Quote(out) + " --set Nonsense=1", "unknown parameter \"Nonsense\""},
        {"render " + Quote(input) + " " + Quote(out) + " --set feedback=loud", "does not take \"loud\""},
        {"render " + Quote(input) + " " + Quote(out) + " --norm Depth=2", "outside 0..1"},
        {"render " + Quote(input) + " " + Quote(out) + " --plugin " + Quote(Path("nowhere.vst3")), "cannot load the plug-in"},
        {"render " + Quote(input) + " " + Quote(out) + " --state " + Quote(Path("garbage.state")), "corrupt state file"},
        {"state dump " + Quote(Path("garbage.state")), "corrupt state file"},
        {"render " + Quote(input) + " " + Quote(out) + " " + Quote(out), "render takes INPUT OUTPUT"},
        {"render " + Quote(input) + " " + Quote(out) + " --jobs 2", "--jobs requires --output-dir"},
        {"render --output-dir " + Quote(scratch.Path().ToUtf8()) + " " + Quote(input), "would replace its own input"},
        {"render --output-dir " + Quote(Path("batch")) + " " + Quote(input) + " --set Nonsense=1", "unknown parameter"},
    };
    for (const auto& c : cases) {
        Result result = RunTool(c.arguments);
        EXPECT_NE(result.status, 0) << c.arguments;
        EXPECT_NE(result.output.find(c.message), std::string::npos) << c.arguments << "\n" << result.output;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.arguments;
        EXPECT_FALSE(std::filesystem::exists(out + ".partial")) << c.arguments;
        EXPECT_FALSE(std::filesystem::exists(Path("out.flac"))) << c.arguments;
    }
}

// The user's preset file through the tool: the same file and code an instance uses.
TEST_F(Tool, PresetsAreSavedListedSteppedAndRendered) {
    const std::string list = Succeed("presets list");
    EXPECT_NE(list.find("no presets"), std::string::npos) << list;
    Succeed("presets save Bright --set Depth=80% --set MinFreq=900");
    Succeed("presets mkdir Pads");
    Succeed("presets mkdir Pads/Slow");
    Succeed("presets save Slow --folder pads/slow --set rate=0.1");
    Succeed("presets save Wide --folder Pads --set Depth=100%");
    Succeed("presets save Dark --set MaxFreq=800");
    EXPECT_EQ(Succeed("presets list").substr(Succeed("presets list").find('\n') + 1),
              "   0  Bright\n"
              "      Pads/\n"
              "        Slow/\n"
              "   3      Slow\n"
              "   2    Wide\n"
              "   1  Dark\n");

    // A preset renders as the settings it was saved from.
    Succeed("render " + Quote(input) + " " + Quote(Path("preset.wav")) + " --preset bright");
    Succeed("render " + Quote(input) + " " + Quote(Path("set.wav")) + " --set Depth=80% --set MinFreq=900");
    Succeed("render " + Quote(input) + " " + Quote(Path("plain.wav")));
    EXPECT_LT(MaxDifference(ReadSamples(Path("preset.wav")), ReadSamples(Path("set.wav"))), 1e-5);
    EXPECT_GT(MaxDifference(ReadSamples(Path("preset.wav")), ReadSamples(Path("plain.wav"))), 0.01);
    Succeed("render " + Quote(input) + " " + Quote(Path("path.wav")) + " --preset Pads/Slow/Slow");
    EXPECT_GT(MaxDifference(ReadSamples(Path("path.wav")), ReadSamples(Path("plain.wav"))), 0.01);

    // Replacing, export and import, folder changes.
    Succeed("presets replace Bright --set Depth=10%");
    Succeed("render " + Quote(input) + " " + Quote(Path("replaced.wav")) + " --preset Bright");
    Succeed("render " + Quote(input) + " " + Quote(Path("ten.wav")) + " --set Depth=10%");
    EXPECT_LT(MaxDifference(ReadSamples(Path("replaced.wav")), ReadSamples(Path("ten.wav"))), 1e-5);
    Succeed("presets export Pads " + Quote(Path("pads.ypresets")));
    Succeed("presets mkdir Copy");
    Succeed("presets save Gone --folder Copy");
    Succeed("presets import Copy " + Quote(Path("pads.ypresets")));
    Succeed("presets rename Copy Copied");
    Succeed("presets delete Pads/Wide");
    Succeed("presets rmdir Pads/Slow");
    const std::string changed = Succeed("presets list");
    EXPECT_NE(changed.find("   1  Dark\n      Copied/\n        Slow/\n   3      Slow\n   2    Wide\n"), std::string::npos)
        << changed;
    EXPECT_EQ(changed.find("Gone"), std::string::npos) << changed;
    EXPECT_NE(RunTool("render " + Quote(input) + " " + Quote(Path("x.wav")) + " --preset Pads/Slow/Slow").output.find(
                  "no preset \"Pads/Slow/Slow\""),
              std::string::npos);
}

TEST_F(Tool, PresetMistakesAreRefusedWithTheirReason) {
    Succeed("presets save Only");
    Succeed("presets mkdir A");
    Succeed("presets mkdir B");
    Succeed("presets save Twice --folder A");
    Succeed("presets save Twice --folder B");
    const std::string file = scratch.Path("XDG_CONFIG_HOME").ToUtf8() + "/Yorvane/Vortalispresets.xml";
    WriteBytes(Path("foreign.ypresets"), "<settings/>", 11);
    const struct {
        std::string arguments, message;
    } cases[] = {
        {"presets save Only", "a preset \"Only\" exists already"},
        {"presets save X --folder Nowhere", "no preset folder \"Nowhere\""},
        {"presets save A/B", "cannot hold \"/\""},
        {"presets save \" \"", "A preset needs a name."},
        {"presets save X --set Nonsense=1", "unknown parameter \"Nonsense\""},
        {"presets replace Missing", "no preset \"Missing\""},
        {"presets delete Twice", "more than one preset is called \"Twice\""},
        {"presets mkdir Nowhere/X", "no preset folder \"Nowhere\""},
        {"presets mkdir A", "the folder \"A\" exists already"},
        {"presets rename Nowhere B", "no preset folder \"Nowhere\""},
        {"presets rmdir Nowhere", "no preset folder \"Nowhere\""},
        {"presets export Nowhere " + Quote(Path("n.ypresets")), "no preset folder \"Nowhere\""},
        {"presets import A " + Quote(Path("missing.ypresets")), "could not be open"},
        {"presets import A " + Quote(Path("foreign.ypresets")), "holds no preset directory"},
        {"render " + Quote(input) + " " + Quote(Path("out.wav")) + " --preset Missing", "no preset \"Missing\""},
    };
    auto contents = [&] {
        std::ostringstream stored;
        stored << std::ifstream(file, std::ios::binary).rdbuf();
        return stored.str();
    };
    const std::string original = contents();
    for (const auto& c : cases) {
        Result result = RunTool(c.arguments);
        EXPECT_NE(result.status, 0) << c.arguments;
        EXPECT_NE(result.output.find(c.message), std::string::npos) << c.arguments << "\n" << result.output;
    }
    EXPECT_FALSE(std::filesystem::exists(Path("out.wav")));
    EXPECT_EQ(contents(), original);

    // A damaged file is reported, and left as it is.
    WriteBytes(file, "<Vortalispresets><preset", 24);
    for (const char* command : {"presets list", "presets save New", "presets mkdir B"}) {
        Result result = RunTool(command);
        EXPECT_NE(result.status, 0) << command;
        EXPECT_NE(result.output.find("cannot be read"), std::string::npos) << result.output;
    }
    EXPECT_EQ(contents(), "<Vortalispresets><preset");
}

}  // namespace
