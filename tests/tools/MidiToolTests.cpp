// Standard MIDI files: the tool's reader on its own, and renders that play a file
// and run a host transport.
#include "MidiFile.h"
#include "RunTool.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Append(Bytes& to, const Bytes& bytes) { to.insert(to.end(), bytes.begin(), bytes.end()); }

Bytes Chunk(const char* tag, const Bytes& body) {
    Bytes chunk(tag, tag + 4);
    const auto size = static_cast<uint32_t>(body.size());
    Append(chunk, {static_cast<uint8_t>(size >> 24), static_cast<uint8_t>(size >> 16), static_cast<uint8_t>(size >> 8),
                   static_cast<uint8_t>(size)});
    Append(chunk, body);
    return chunk;
}

Bytes Header(int format, int tracks, int division) {
    return Chunk("MThd", {0, static_cast<uint8_t>(format), 0, static_cast<uint8_t>(tracks),
                          static_cast<uint8_t>(division >> 8), static_cast<uint8_t>(division)});
}

Bytes Tempo(uint32_t microseconds) {
    return {0xFF, 0x51, 3, static_cast<uint8_t>(microseconds >> 16), static_cast<uint8_t>(microseconds >> 8),
            static_cast<uint8_t>(microseconds)};
}

const Bytes kEnd = {0x00, 0xFF, 0x2F, 0x00};

// Format 1 at 480 ticks per quarter: the tempo track holds 120 BPM, then 60 BPM from
// beat 1; the second track sends controller 74 at 0 at the start and at 127 on beat 2
// (1.5 s), with running status, a system exclusive message and a note between.
Bytes TempoMapFile() {
    Bytes tempos = {0x00};
    Append(tempos, Tempo(500000));
    Append(tempos, {0x83, 0x60});  // 480 ticks
    Append(tempos, Tempo(1000000));
    Append(tempos, kEnd);
    Bytes track = {0x00, 0xB0, 74, 0};
    Append(track, {0x00, 0xF0, 0x03, 0x7E, 0x09, 0xF7});  // system exclusive, skipped
    Append(track, {0x00, 0x90, 60, 100});
    Append(track, {0x87, 0x40, 0xB0, 74, 127});  // 960 ticks
    Append(track, {0x00, 75, 5});                // running status
    Append(track, {0x00, 0xC0, 3});              // one data byte
    Append(track, kEnd);
    Bytes file = Header(1, 2, 480);
    Append(file, Chunk("XFIH", {1, 2, 3}));  // an unknown chunk, skipped
    Append(file, Chunk("MTrk", tempos));
    Append(file, Chunk("MTrk", track));
    return file;
}

TEST(MidiFileReader, MergesTracksThroughTheTempoMap) {
    MidiFile file;
    std::string error;
    ASSERT_TRUE(file.Read(TempoMapFile(), error)) << error;
    EXPECT_EQ(file.Format(), 1);
    const std::vector<MidiFileEvent>& events = file.Events();
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0].status, 0xB0);
    EXPECT_EQ(events[0].seconds, 0.0);
    EXPECT_EQ(events[1].status, 0x90);
    EXPECT_NEAR(events[2].seconds, 1.5, 1e-12);  // half a second at 120, then a second at 60
    EXPECT_EQ(events[2].data2, 127);
    EXPECT_EQ(events[3].status, 0xB0);
    EXPECT_EQ(events[3].data1, 75);
    EXPECT_EQ(events[4].status, 0xC0);
    EXPECT_EQ(events[4].data1, 3);
}

TEST(MidiFileReader, SmpteTimeAndRefusals) {
    MidiFile file;
    std::string error;
    Bytes smpte = Header(0, 1, 0xE728);  // 25 frames per second, 40 ticks per frame
    Append(smpte, Chunk("MTrk", {0x87, 0x68, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00}));  // 1000 ticks
    ASSERT_TRUE(file.Read(smpte, error)) << error;
    ASSERT_EQ(file.Events().size(), 1u);
    EXPECT_NEAR(file.Events()[0].seconds, 1.0, 1e-12);

    Bytes good = TempoMapFile();
    Bytes format2 = Header(2, 2, 480);
    format2.insert(format2.end(), good.begin() + 14, good.end());
    Bytes truncated(good.begin(), good.end() - 6);
    Bytes noStatus = Header(0, 1, 96);
    Append(noStatus, Chunk("MTrk", {0x00, 60, 100}));
    for (const Bytes& bad : {format2, truncated, noStatus, Bytes{'M', 'T', 'h', 'd'}}) {
        EXPECT_FALSE(file.Read(bad, error));
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(file.Events().size(), 1u);  // what was read before stays
}

class MidiTool : public ::testing::Test {
protected:
    std::string Path(const char* name) const { return scratch.Path(name).ToUtf8(); }
    std::string Quote(const std::string& path) const { return "'" + path + "'"; }

    // A 1 kHz sine of the given length, mono, 48 kHz floats.
    void WriteSine(const std::string& path, int frames) {
        SF_INFO info{};
        info.channels = 1;
        info.samplerate = 48000;
        info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
        SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
        ASSERT_NE(file, nullptr);
        for (int i = 0; i < frames; ++i) {
            const auto value = static_cast<float>(0.5 * std::sin(2 * M_PI * 1000.0 * i / 48000.0));
            sf_writef_float(file, &value, 1);
        }
        sf_close(file);
    }
    std::vector<float> Read(const std::string& path) {
        SF_INFO info{};
        SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
        std::vector<float> samples(file ? static_cast<std::size_t>(info.frames * info.channels) : 0);
        if (file) {
            sf_readf_float(file, samples.data(), info.frames);
            sf_close(file);
        }
        return samples;
    }

    ScratchFolder scratch;
};

TEST_F(MidiTool, AControllerFromAFileMovesDryWetOnTheFilesTimeline) {
    WriteSine(Path("sine.wav"), 48000 * 2);
    std::ofstream(Path("sweep.mid"), std::ios::binary).write(reinterpret_cast<const char*>(TempoMapFile().data()),
                                                             static_cast<std::streamsize>(TempoMapFile().size()));
    Succeed("state save " + Quote(Path("cc.state")) + " --cc 0:74:Depth");
    Succeed("render " + Quote(Path("sine.wav")) + " " + Quote(Path("out.wav")) + " --state " + Quote(Path("cc.state")) +
            " --midi " + Quote(Path("sweep.mid")));
    const std::vector<float> dry = Read(Path("sine.wav")), out = Read(Path("out.wav"));
    ASSERT_EQ(out.size(), dry.size());
    // The first block glides from the default Dry/wet to the controller's 0; then the
    // input itself comes out up to the block that holds 1.5 s (blocks of 512).
    const std::size_t change = 72000 / 512 * 512;
    float before = 0.0f, after = 0.0f;
    for (std::size_t i = 512; i < out.size(); ++i) {
        float& worst = i < change ? before : after;
        worst = std::max(worst, std::fabs(out[i] - dry[i]));
    }
    EXPECT_LT(before, 1e-6f);
    EXPECT_GT(after, 0.05f);

    const Result refused = RunTool("render " + Quote(Path("sine.wav")) + " " + Quote(Path("no.wav")) + " --midi " +
                                   Quote(Path("sine.wav")));
    EXPECT_NE(refused.status, 0);
    EXPECT_NE(refused.output.find("not a standard MIDI file"), std::string::npos) << refused.output;
}

// The period of the phaser's sweep from the output's level, in 10 ms steps: the lag
// at which the level correlates best with itself.
int SweepPeriod(const std::vector<float>& out) {
    constexpr std::size_t kWindow = 480;
    std::vector<double> level;
    for (std::size_t at = 48000; at + kWindow <= out.size(); at += kWindow) {
        double sum = 0.0;
        for (std::size_t i = at; i < at + kWindow; ++i) sum += static_cast<double>(out[i]) * out[i];
        level.push_back(sum / kWindow);
    }
    double mean = 0.0;
    for (double v : level) mean += v / static_cast<double>(level.size());
    int best = 0;
    double bestScore = -1e300;
    for (std::size_t lag = 20; lag < 300; ++lag) {
        double score = 0.0;
        for (std::size_t i = 0; i + lag < level.size(); ++i) score += (level[i] - mean) * (level[i + lag] - mean);
        score /= static_cast<double>(level.size() - lag);
        if (score > bestScore) {
            bestScore = score;
            best = static_cast<int>(lag);
        }
    }
    return best;
}

TEST_F(MidiTool, ATempoSyncedLFOFollowsTheTransport) {
    WriteSine(Path("sine.wav"), 48000 * 8);
    Succeed("state save " + Quote(Path("lfo.state")) +
            " --set sync=on --set Depth=50% --set feedback=silence --set delays=1 --set MinFreq=200 --set MaxFreq=5000");
    for (const int tempo : {120, 60}) {
        Succeed("render " + Quote(Path("sine.wav")) + " " + Quote(Path("lfo.wav")) + " --state " + Quote(Path("lfo.state")) +
                " --tempo " + std::to_string(tempo) + " --time-signature 3/4 --start-ppq 8");
        // A quarter note per cycle: 16 cycles in the 8 seconds at 120, 8 at 60.
        const std::vector<float> rendered = Read(Path("lfo.wav"));
        const int period = SweepPeriod(rendered);
        // The LFO starts at its synced phase and glides in from the centre without
        // running the all-pass stage away: one stage without feedback keeps the level.
        float peak = 0;
        for (float sample : rendered) peak = std::max(peak, std::abs(sample));
        EXPECT_LT(peak, 0.75f) << tempo;
        EXPECT_EQ(period, 6000 / tempo) << tempo;
        EXPECT_EQ(800 / period, tempo == 120 ? 16 : 8);
    }
    for (const char* wrong : {"--time-signature 3/5 --tempo 120", "--time-signature 4 --tempo 120", "--start-ppq 2"}) {
        const Result refused =
            RunTool("render " + Quote(Path("sine.wav")) + " " + Quote(Path("x.wav")) + " " + std::string(wrong));
        EXPECT_NE(refused.status, 0) << wrong;
    }
}

TEST_F(MidiTool, MacroAndControllerOptionsAreChecked) {
    for (const char* wrong : {"--macro 5:Depth", "--macro 1:Depth:sideways:0.5", "--macro 1:nothing", "--cc 17:74:Depth",
                              "--cc 1:200:Depth", "--cc 1:74:Depth:interval:2", "--macro 1:MultiParameter 1"}) {
        const Result refused = RunTool("state save " + Quote(Path("x.state")) + " '" + std::string(wrong).substr(0, 7) +
                                       "' '" + std::string(wrong).substr(std::string(wrong).find(' ') + 1) + "'");
        EXPECT_NE(refused.status, 0) << wrong << refused.output;
    }
    Succeed("state save " + Quote(Path("m.state")) + " --macro '1:Depth:up:0.2:0.5' --macro 1:feedback --cc 2:velocity:rate" +
            " --norm 'MultiParameter 1=1'");
    const std::string text = Succeed("state dump " + Quote(Path("m.state")));
    EXPECT_NE(text.find("parameterDepth=\"0.7\""), std::string::npos);  // the macro's targets written at its value
    EXPECT_NE(text.find("<Controller0 Channel=\"2\" Controller=\"130\""), std::string::npos) << text.substr(0, 600);
    EXPECT_NE(text.find("ParameterName=\"feedback\""), std::string::npos);
}

}  // namespace
