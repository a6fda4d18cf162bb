#include "media/YAudioFileReader.h"

#include "foundation/YException.h"
#include "foundation/YMemoryStream.h"
#include "support/AudioFileWriter.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#ifdef VORTALIS_HAVE_SNDFILE
#include <sndfile.h>
#endif

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using F = AudioFileFormat;

const AudioFileFormat kFormats[] = {
    {"WAV 8-bit", F::kWav, 8, false, ""},
    {"WAV 16-bit", F::kWav, 16, false, ""},
    {"WAV 24-bit", F::kWav, 24, false, ""},
    {"WAV 32-bit", F::kWav, 32, false, ""},
    {"WAV float", F::kWav, 32, true, ""},
    {"WAV double", F::kWav, 64, true, ""},
    {"WAV extensible 16-bit", F::kWavExtensible, 16, false, ""},
    {"WAV extensible 24-bit", F::kWavExtensible, 24, false, ""},
    {"WAV extensible float", F::kWavExtensible, 32, true, ""},
    {"AIFF 8-bit", F::kAiff, 8, false, ""},
    {"AIFF 16-bit", F::kAiff, 16, false, ""},
    {"AIFF 24-bit", F::kAiff, 24, false, ""},
    {"AIFF 32-bit", F::kAiff, 32, false, ""},
    {"AIFF-C NONE 16-bit", F::kAiffC, 16, false, "NONE"},
    {"AIFF-C sowt 16-bit", F::kAiffC, 16, false, "sowt"},
    {"AIFF-C sowt 24-bit", F::kAiffC, 24, false, "sowt"},
    {"AIFF-C fl32", F::kAiffC, 32, true, "fl32"},
    {"AIFF-C fl64", F::kAiffC, 64, true, "fl64"},
};

// Stereo, both channels different, full scale reached.
std::vector<float> TestSignal(int frames) {
    std::vector<float> samples;
    for (int i = 0; i < frames; ++i) {
        samples.push_back(static_cast<float>(std::sin(0.05 * i)));
        samples.push_back(static_cast<float>(0.5 * std::cos(0.013 * i * i)));
    }
    return samples;
}

YAudioData ReadBytes(const std::vector<uint8_t>& bytes, const char* name = "test.wav") {
    YMemoryStream stream(YByteBuffer::Borrow(bytes.data(), bytes.size()));
    return YAudioFileReader::Read(stream, YString::FromLatin1(name));
}

// The reader's message for the bytes, or "" when they read.
std::string Rejection(const std::vector<uint8_t>& bytes, const char* name = "broken.wav") {
    try {
        ReadBytes(bytes, name);
    } catch (const YException& e) {
        return e.Message().ToUtf8();
    }
    return "";
}

TEST(YAudioFileReader, ReadsEverySampleFormat) {
    ScratchFolder scratch;
    const std::vector<float> signal = TestSignal(1001);
    for (const AudioFileFormat& format : kFormats) {
        const std::vector<uint8_t> bytes = WriteAudioFile(signal, 2, 44100, format);
        // Through a file once, from memory otherwise.
        const std::string path = scratch.Path("file").ToUtf8();
        ASSERT_TRUE(SaveFile(path, bytes));
        YAudioData audio;
        try {
            audio = format.bits == 16 ? YAudioFileReader::ReadFile(YString::FromUtf8(path)) : ReadBytes(bytes);
        } catch (const YException& e) {
            ADD_FAILURE() << format.name << ": " << e.Message().ToUtf8();
        }
        EXPECT_EQ(audio.channels, 2) << format.name;
        EXPECT_EQ(audio.sampleRate, 44100.0) << format.name;
        ASSERT_EQ(audio.samples.size(), signal.size()) << format.name;
        const double step = format.isFloat ? 0 : std::ldexp(1.0, 1 - format.bits);
        double worst = 0;
        for (std::size_t i = 0; i < signal.size(); ++i)
            worst = std::max(worst, std::fabs(static_cast<double>(audio.samples[i] - signal[i])));
        EXPECT_LE(worst, step) << format.name;
    }
}

#ifdef VORTALIS_HAVE_SNDFILE
// Files libsndfile writes, read by us and by libsndfile: the same samples.
TEST(YAudioFileReader, ReadsWhatLibsndfileWrites) {
    struct Case {
        int format;
        const char* tag;  // what the file must contain, proving the coding tested
    };
    const Case cases[] = {
        {SF_FORMAT_WAV | SF_FORMAT_PCM_U8, "WAVE"},    {SF_FORMAT_WAV | SF_FORMAT_PCM_16, "WAVE"},
        {SF_FORMAT_WAV | SF_FORMAT_PCM_24, "WAVE"},    {SF_FORMAT_WAV | SF_FORMAT_PCM_32, "WAVE"},
        {SF_FORMAT_WAV | SF_FORMAT_FLOAT, "WAVE"},     {SF_FORMAT_WAV | SF_FORMAT_DOUBLE, "WAVE"},
        {SF_FORMAT_WAVEX | SF_FORMAT_PCM_U8, "WAVE"},  {SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, "WAVE"},
        {SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, "WAVE"},  {SF_FORMAT_WAVEX | SF_FORMAT_PCM_32, "WAVE"},
        {SF_FORMAT_WAVEX | SF_FORMAT_FLOAT, "WAVE"},   {SF_FORMAT_WAVEX | SF_FORMAT_DOUBLE, "WAVE"},
        {SF_FORMAT_AIFF | SF_FORMAT_PCM_S8, "AIFF"},   {SF_FORMAT_AIFF | SF_FORMAT_PCM_U8, "raw "},
        {SF_FORMAT_AIFF | SF_FORMAT_PCM_16, "AIFF"},   {SF_FORMAT_AIFF | SF_FORMAT_PCM_24, "AIFF"},
        {SF_FORMAT_AIFF | SF_FORMAT_PCM_32, "AIFF"},   {SF_FORMAT_AIFF | SF_FORMAT_FLOAT, "FL32"},
        {SF_FORMAT_AIFF | SF_FORMAT_DOUBLE, "FL64"},   {SF_FORMAT_AIFF | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE, "sowt"},
        {SF_FORMAT_AIFF | SF_FORMAT_PCM_24 | SF_ENDIAN_LITTLE, "42n1"},
        {SF_FORMAT_AIFF | SF_FORMAT_PCM_32 | SF_ENDIAN_LITTLE, "23ni"},
    };
    ScratchFolder scratch;
    const std::string path = scratch.Path("sndfile").ToUtf8();
    const std::vector<float> signal = TestSignal(777);
    for (const Case& c : cases) {
        SF_INFO info{};
        info.channels = 2;
        info.samplerate = 96000;
        info.format = c.format;
        SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
        ASSERT_NE(file, nullptr) << std::hex << c.format;
        sf_writef_float(file, signal.data(), 777);
        sf_close(file);
        std::vector<float> expected(signal.size());
        file = sf_open(path.c_str(), SFM_READ, &info);
        ASSERT_EQ(sf_readf_float(file, expected.data(), 777), 777);
        sf_close(file);

        const YAudioData audio = YAudioFileReader::ReadFile(YString::FromUtf8(path));
        EXPECT_EQ(audio.channels, 2) << std::hex << c.format;
        EXPECT_EQ(audio.sampleRate, 96000.0) << std::hex << c.format;
        EXPECT_EQ(audio.samples, expected) << std::hex << c.format;

        std::FILE* raw = std::fopen(path.c_str(), "rb");
        char header[256] = {};
        const std::size_t got = std::fread(header, 1, sizeof header, raw);
        std::fclose(raw);
        EXPECT_NE(std::search(header, header + got, c.tag, c.tag + 4), header + got) << c.tag;
    }
}
#endif

TEST(YAudioFileReader, TruncatedFilesAreRejectedWithTheirName) {
    for (const AudioFileFormat& format : {kFormats[1], kFormats[7], kFormats[10], kFormats[16]}) {
        const std::vector<uint8_t> bytes = WriteAudioFile(TestSignal(300), 2, 48000, format);
        for (std::size_t cut : {std::size_t{5}, std::size_t{7}, std::size_t{20}, std::size_t{30}, std::size_t{41},
                                bytes.size() / 2, bytes.size() - 1}) {
            const std::string message = Rejection(std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut), "cut.aif");
            EXPECT_NE(message.find("\"cut.aif\""), std::string::npos) << format.name << " " << cut << ": " << message;
            EXPECT_NE(message.find("truncated"), std::string::npos) << format.name << " " << cut << ": " << message;
        }
    }
}

TEST(YAudioFileReader, DamagedFilesAreRejectedWithTheReason) {
    struct Case {
        int format;  // index into kFormats
        std::size_t offset;
        std::vector<uint8_t> bytes;
        const char* reason;
    };
    // Offsets in the files the writer makes (WAV: fmt at 12, data at 36; extensible:
    // sub-format at 44; AIFF: COMM at 12, SSND at 38; AIFF-C: compression at 38, SSND at 44).
    const Case cases[] = {
        {1, 8, {'A', 'V', 'I', ' '}, "neither a WAV nor an AIFF file"},
        {1, 0, {'R', 'I', 'F', 'X'}, "neither a WAV nor an AIFF file"},
        {1, 16, {12, 0, 0, 0}, "format chunk is damaged"},
        {1, 20, {2, 0}, "(tag 2, 16 bits) is not supported"},
        {4, 32, {24, 0}, "(tag 3, 96 bits) is not supported"},
        {1, 22, {0, 0}, "format chunk is damaged"},
        {1, 32, {3, 0}, "format chunk is damaged"},
        {1, 24, {0, 0, 0, 0}, "sample rate is not valid"},
        {1, 12, {'f', 'm', 't', '_'}, "no format chunk"},
        {1, 36, {'d', 'a', 't', '4'}, "no sample data"},
        {1, 40, {0xFF, 0xFF, 0xFF, 0x7F}, "truncated"},
        {7, 46, {1}, "sample format is not supported"},
        {10, 22, {0, 0, 2, 0}, "truncated"},
        {10, 26, {0, 0}, "0-bit samples are not supported"},
        {10, 26, {0, 40}, "40-bit samples are not supported"},
        {10, 20, {0, 0}, "0 channels are not supported"},
        {10, 28, {0x7F, 0xFF}, "sample rate is not valid"},
        {10, 46, {0x7F, 0, 0, 0}, "sample data chunk is damaged"},
        {13, 38, {'u', 'l', 'a', 'w'}, "compression \"ulaw\" is not supported"},
        {13, 16, {0, 0, 0, 20}, "format chunk is damaged"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = WriteAudioFile(TestSignal(100), 2, 48000, kFormats[c.format]);
        std::copy(c.bytes.begin(), c.bytes.end(), bytes.begin() + static_cast<std::ptrdiff_t>(c.offset));
        const std::string message = Rejection(bytes);
        EXPECT_NE(message.find("Could not read the audio file \"broken.wav\": "), std::string::npos) << message;
        EXPECT_NE(message.find(c.reason), std::string::npos) << kFormats[c.format].name << " at " << c.offset << ": " << message;
    }
    try {
        YAudioFileReader::ReadFile("no such folder/no such file.wav");
        ADD_FAILURE() << "a missing file read";
    } catch (const YException& e) {
        EXPECT_NE(e.Message().ToUtf8().find("no such file.wav"), std::string::npos);
    }
}

// Random damage in the headers: either the file still reads, bounded, or the reader
// says why; nothing else happens (the sanitizer build watches the memory).
TEST(YAudioFileReader, RandomDamageIsRejectedOrReadSafely) {
    std::mt19937 random(11);
    for (const AudioFileFormat& format : kFormats) {
        const std::vector<uint8_t> clean = WriteAudioFile(TestSignal(64), 2, 48000, format);
        for (int round = 0; round < 150; ++round) {
            std::vector<uint8_t> bytes = clean;
            for (int flips = 1 + static_cast<int>(random() % 4); flips > 0; --flips)
                bytes[random() % 64] = static_cast<uint8_t>(random());
            try {
                const YAudioData audio = ReadBytes(bytes);
                ASSERT_TRUE(audio.channels >= 1 && audio.sampleRate > 0) << format.name;
                ASSERT_LE(audio.samples.size() * sizeof(float), bytes.size() * 8) << format.name;
            } catch (const YException&) {
            }
        }
    }
}

}  // namespace
