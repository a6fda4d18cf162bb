// The command-line tool run as a user runs it, on generated files, through the
// real, built plug-in.
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Result {
    int status;
    std::string output;
};

Result RunTool(const std::string& arguments) {
    const std::string command = std::string(VORTALIS_TOOL) + " " + arguments + " 2>&1";
    Result result{-1, {}};
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.output.append(buffer, got);
    result.status = pclose(pipe);
    return result;
}

// Runs a command that must work and gives its output.
std::string Succeed(const std::string& arguments) {
    Result result = RunTool(arguments);
    EXPECT_EQ(result.status, 0) << arguments << "\n" << result.output;
    return result.output;
}

std::vector<float> ReadSamples(const std::string& path, int* channels = nullptr, int* format = nullptr) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) return {};
    std::vector<float> samples(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_float(file, samples.data(), info.frames);
    sf_close(file);
    if (channels) *channels = info.channels;
    if (format) *format = info.format;
    return samples;
}

class Tool : public ::testing::Test {
protected:
    void SetUp() override {
        // Two seconds of a chord with noise: material a phaser changes audibly.
        input = Path("input.wav");
        SF_INFO info{};
        info.channels = 2;
        info.samplerate = 48000;
        info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
        SNDFILE* file = sf_open(input.c_str(), SFM_WRITE, &info);
        ASSERT_NE(file, nullptr);
        uint32_t noise = 3;
        for (int i = 0; i < 96000; ++i) {
            noise = noise * 1664525u + 1013904223u;
            const double t = i / 48000.0;
            float frame[2];
            for (int c = 0; c < 2; ++c)
                frame[c] = static_cast<float>(0.2 * std::sin(2 * M_PI * (220 + 110 * c) * t) +
                                              0.1 * (static_cast<double>(noise >> 8) / 8388608.0 - 1.0));
            sf_writef_float(file, frame, 1);
        }
        sf_close(file);
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

    const std::string document = Succeed("state dump " + Quote(Path("saved.state")));
    EXPECT_NE(document.find("<settings"), std::string::npos);
    EXPECT_NE(document.find("parameterSaturation=\"0.3\""), std::string::npos) << document;
    Succeed("state save " + Quote(Path("other.state")) + " --set Saturation=30% --set MinFreq=300");
    EXPECT_EQ(Succeed("state dump " + Quote(Path("other.state"))), document);
}

TEST_F(Tool, FormatsTailAndDemo) {
    Succeed("render " + Quote(input) + " " + Quote(Path("out.flac")) + " --format pcm16");
    int channels = 0, format = 0;
    std::vector<float> flac = ReadSamples(Path("out.flac"), &channels, &format);
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(format, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    EXPECT_EQ(flac.size(), 2u * 96000);
    Succeed("render " + Quote(input) + " " + Quote(Path("tail.aiff")) + " --tail");
    EXPECT_EQ(ReadSamples(Path("tail.aiff"), nullptr, &format).size(), 2u * (96000 + 1024));
    EXPECT_EQ(format & SF_FORMAT_SUBMASK, SF_FORMAT_FLOAT);  // the input's own encoding
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
    for (const char* wrong : {"--panel presets", "--size 12", "--scale 9", "--state nowhere.state"}) {
        const Result refused = RunTool("snapshot " + Quote(Path("refused.png")) + " " + wrong);
        EXPECT_NE(refused.status, 0) << wrong;
        EXPECT_FALSE(std::filesystem::exists(Path("refused.png"))) << wrong;
    }
}

TEST_F(Tool, ErrorsLeaveNoOutputBehind) {
    {
        std::FILE* garbage = std::fopen(Path("garbage.state").c_str(), "wb");
        std::fputs("not a state", garbage);
        std::fclose(garbage);
    }
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

}  // namespace
