#include "media/YAudioFileReader.h"

#include "foundation/YException.h"
#include "foundation/YFormat.h"
#include "foundation/YStdFileStream.h"
#include "foundation/YStream.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>

namespace {

constexpr int32_t kMaxChannels = 256;

// How one sample is coded in the file.
struct Coding {
    int32_t bytes = 0;
    bool isFloat = false;
    bool bigEndian = false;
    bool offsetBinary = false;  // unsigned 8 bits: 128 is silence
};

struct Format {
    int32_t channels = 0;
    double sampleRate = 0;
    Coding coding;
    int64_t frames = -1;  // AIFF declares its length; -1: what the data holds
};

uint32_t LE16(const uint8_t* p) { return p[0] | (p[1] << 8); }
uint32_t LE32(const uint8_t* p) { return LE16(p) | (LE16(p + 2) << 16); }
uint32_t BE16(const uint8_t* p) { return (p[0] << 8) | p[1]; }
uint32_t BE32(const uint8_t* p) { return (BE16(p) << 16) | BE16(p + 2); }
bool Is(const uint8_t* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

// The 80-bit extended float AIFF gives its sample rate in.
double Extended(const uint8_t* p) {
    const int exponent = static_cast<int>(BE16(p) & 0x7FFF);
    const uint64_t mantissa = (static_cast<uint64_t>(BE32(p + 2)) << 32) | BE32(p + 6);
    if (exponent == 0x7FFF) return std::numeric_limits<double>::quiet_NaN();
    const double value = std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
    return (p[0] & 0x80) ? -value : value;
}

// The stream with its size and the name its messages give.
class Input {
public:
    Input(YStream& stream, const YString& name) : stream_(stream), name_(name), size_(stream.GetSize()) {}

    int64_t Size() const { return size_; }
    void Read(int64_t position, void* bytes, int64_t count) {
        stream_.Seek(position, YStream::kFromStart);
        if (stream_.Read(bytes, static_cast<uint32_t>(count)) != count) Fail("it is truncated");
    }
    void Read(void* bytes, int64_t count) {
        if (stream_.Read(bytes, static_cast<uint32_t>(count)) != count) Fail("it is truncated");
    }
    void Seek(int64_t position) { stream_.Seek(position, YStream::kFromStart); }

    [[noreturn]] void Fail(const YString& problem) const {
        throw YException(YFormat(TranslateText("Could not read the audio file \"{0}\": {1}.")).Arg(name_).Arg(problem));
    }
    [[noreturn]] void Fail(const char* problem) const { Fail(TranslateText(YString::FromLatin1(problem))); }

private:
    YStream& stream_;
    const YString& name_;
    int64_t size_;
};

void Convert(const uint8_t* p, int64_t count, const Coding& c, float* out) {
    for (int64_t i = 0; i < count; ++i, p += c.bytes) {
        uint64_t bits = 0;
        for (int32_t b = 0; b < c.bytes; ++b) bits = (bits << 8) | p[c.bigEndian ? b : c.bytes - 1 - b];
        float value;
        if (c.isFloat && c.bytes == 8) {
            double d;
            std::memcpy(&d, &bits, sizeof d);
            value = static_cast<float>(d);
        } else if (c.isFloat) {
            const auto u = static_cast<uint32_t>(bits);
            std::memcpy(&value, &u, sizeof value);
        } else if (c.offsetBinary) {
            value = static_cast<float>(static_cast<int32_t>(bits) - 128) / 128.0f;
        } else {
            // Left-justified into 32 bits, so every width scales to -1 .. 1 alike.
            const auto justified = static_cast<int32_t>(static_cast<uint32_t>(bits << (32 - 8 * c.bytes)));
            value = static_cast<float>(static_cast<double>(justified) / 2147483648.0);
        }
        // A float file may hold anything; what the shape is made of stays finite.
        out[i] = std::isfinite(value) ? value : 0.0f;
    }
}

// Checks the format and decodes frames of it from the data at start (size bytes).
YAudioData Decode(Input& in, const Format& format, int64_t start, int64_t size) {
    if (format.channels < 1 || format.channels > kMaxChannels)
        in.Fail(YFormat(TranslateText("{0} channels are not supported")).Arg(format.channels));
    if (!(format.sampleRate >= 1 && format.sampleRate <= 1e7)) in.Fail("its sample rate is not valid");
    const int64_t frameBytes = static_cast<int64_t>(format.coding.bytes) * format.channels;
    int64_t frames = size / frameBytes;
    if (format.frames >= 0) {
        if (format.frames > frames) in.Fail("it is truncated");
        frames = format.frames;
    }
    YAudioData audio;
    audio.channels = format.channels;
    audio.sampleRate = format.sampleRate;
    audio.samples.resize(static_cast<std::size_t>(frames * format.channels));
    constexpr int64_t kPiece = 1 << 16;  // samples converted at a time
    std::vector<uint8_t> piece(static_cast<std::size_t>(kPiece * format.coding.bytes));
    in.Seek(start);
    const auto count = static_cast<int64_t>(audio.samples.size());
    for (int64_t done = 0; done < count; done += kPiece) {
        const int64_t n = std::min(kPiece, count - done);
        in.Read(piece.data(), n * format.coding.bytes);
        Convert(piece.data(), n, format.coding, audio.samples.data() + done);
    }
    return audio;
}

// Walks the chunks that follow the 12-byte header: visit(id, body, size) answers true
// once it has all it needs. A chunk reaching beyond the file's end is a truncation, and
// so is part of a chunk header (a missing pad byte is not).
template <class Visit>
void WalkChunks(Input& in, bool bigEndian, Visit&& visit) {
    int64_t at = 12;
    for (; at + 8 <= in.Size();) {
        uint8_t header[8];
        in.Read(at, header, 8);
        const int64_t size = bigEndian ? BE32(header + 4) : LE32(header + 4);
        const int64_t body = at + 8;
        if (body + size > in.Size()) in.Fail("it is truncated");
        if (visit(header, body, size)) return;
        at = body + size + (size & 1);  // chunks start on even positions
    }
    if (at + 1 < in.Size()) in.Fail("it is truncated");  // part of a chunk header
}

YAudioData ReadWave(Input& in) {
    Format format;
    bool haveFormat = false;
    int64_t dataStart = -1, dataSize = 0;
    WalkChunks(in, false, [&](const uint8_t* id, int64_t body, int64_t size) {
        if (Is(id, "fmt ")) {
            if (size < 16) in.Fail("its format chunk is damaged");
            uint8_t f[40] = {};
            in.Read(body, f, std::min<int64_t>(size, 40));
            uint32_t tag = LE16(f);
            format.channels = static_cast<int32_t>(LE16(f + 2));
            format.sampleRate = LE32(f + 4);
            const uint32_t blockAlign = LE16(f + 12);
            if (tag == 0xFFFE) {
                // WAVE_FORMAT_EXTENSIBLE: the real tag opens the sub-format GUID.
                static const uint8_t kSuffix[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                    0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
                if (size < 40) in.Fail("its format chunk is damaged");
                if (std::memcmp(f + 26, kSuffix, sizeof kSuffix) != 0) in.Fail("its sample format is not supported");
                tag = LE16(f + 24);
            }
            if (format.channels < 1 || blockAlign % format.channels != 0) in.Fail("its format chunk is damaged");
            const int32_t bytes = static_cast<int32_t>(blockAlign) / format.channels;
            format.coding.bytes = bytes;
            if (tag == 1 && bytes >= 1 && bytes <= 4) {
                format.coding.offsetBinary = bytes == 1;
            } else if (tag == 3 && (bytes == 4 || bytes == 8)) {
                format.coding.isFloat = true;
            } else {
                in.Fail(YFormat(TranslateText("its sample format (tag {0}, {1} bits) is not supported")).Arg(tag).Arg(bytes * 8));
            }
            haveFormat = true;
        } else if (Is(id, "data")) {
            dataStart = body;
            dataSize = size;
        }
        return haveFormat && dataStart >= 0;
    });
    if (!haveFormat) in.Fail("it has no format chunk");
    if (dataStart < 0) in.Fail("it has no sample data");
    return Decode(in, format, dataStart, dataSize);
}

Coding AiffCoding(Input& in, const uint8_t* compression, int32_t bits) {
    Coding c;
    c.bigEndian = true;
    c.bytes = (bits + 7) / 8;
    if (compression == nullptr || Is(compression, "NONE") || Is(compression, "twos")) {
        if (bits < 1 || bits > 32) in.Fail(YFormat(TranslateText("{0}-bit samples are not supported")).Arg(bits));
        return c;
    }
    struct Known {
        const char* id;
        int32_t bytes;
        bool isFloat, bigEndian, offsetBinary;
    };
    static const Known kKnown[] = {
        {"sowt", 0, false, false, false}, {"in24", 3, false, true, false}, {"in32", 4, false, true, false},
        {"42ni", 3, false, false, false}, {"42n1", 3, false, false, false}, {"23ni", 4, false, false, false},
        {"raw ", 1, false, true, true},
        {"fl32", 4, true, true, false},   {"FL32", 4, true, true, false},   {"fl64", 8, true, true, false},
        {"FL64", 8, true, true, false},
    };
    for (const Known& k : kKnown) {
        if (!Is(compression, k.id)) continue;
        c = {k.bytes, k.isFloat, k.bigEndian, k.offsetBinary};
        if (c.bytes == 0) c.bytes = (bits + 7) / 8;  // "sowt" keeps the declared width
        if (!c.isFloat && (bits < 1 || bits > 32)) in.Fail(YFormat(TranslateText("{0}-bit samples are not supported")).Arg(bits));
        return c;
    }
    in.Fail(YFormat(TranslateText("its compression \"{0}\" is not supported"))
                .Arg(YString::FromLatin1(std::string_view(reinterpret_cast<const char*>(compression), 4))));
}

YAudioData ReadAiff(Input& in, bool aiffC) {
    Format format;
    bool haveFormat = false;
    int64_t dataStart = -1, dataSize = 0;
    WalkChunks(in, true, [&](const uint8_t* id, int64_t body, int64_t size) {
        if (Is(id, "COMM")) {
            if (size < (aiffC ? 22 : 18)) in.Fail("its format chunk is damaged");
            uint8_t c[22];
            in.Read(body, c, aiffC ? 22 : 18);
            format.channels = static_cast<int16_t>(BE16(c));
            format.frames = BE32(c + 2);
            format.sampleRate = Extended(c + 8);
            format.coding = AiffCoding(in, aiffC ? c + 18 : nullptr, static_cast<int16_t>(BE16(c + 6)));
            haveFormat = true;
        } else if (Is(id, "SSND")) {
            if (size < 8) in.Fail("its sample data chunk is damaged");
            uint8_t s[4];
            in.Read(body, s, 4);
            const int64_t offset = BE32(s);
            if (offset > size - 8) in.Fail("its sample data chunk is damaged");
            dataStart = body + 8 + offset;
            dataSize = size - 8 - offset;
        }
        return haveFormat && dataStart >= 0;
    });
    if (!haveFormat) in.Fail("it has no format chunk");
    if (dataStart < 0) {
        if (format.frames == 0) dataStart = 0;  // an empty file may leave the data chunk out
        else in.Fail("it has no sample data");
    }
    return Decode(in, format, dataStart, dataSize);
}

}  // namespace

std::vector<float> YAudioData::Mono() const {
    const int64_t frames = Frames();
    std::vector<float> mono(static_cast<std::size_t>(frames));
    for (int64_t f = 0; f < frames; ++f) {
        const float* frame = samples.data() + f * channels;
        double sum = 0;
        for (int32_t c = 0; c < channels; ++c) sum += static_cast<double>(frame[c]);
        mono[f] = static_cast<float>(sum / channels);
    }
    return mono;
}

YAudioData YAudioFileReader::Read(YStream& stream, const YString& name) {
    Input in(stream, name);
    uint8_t header[12] = {};
    const int64_t got = std::min<int64_t>(in.Size(), 12);
    in.Read(0, header, got);
    const bool riff = Is(header, "RIFF"), form = Is(header, "FORM");
    if ((riff || form) && got < 12) in.Fail("it is truncated");
    if (riff && Is(header + 8, "WAVE")) return ReadWave(in);
    if (form && (Is(header + 8, "AIFF") || Is(header + 8, "AIFC"))) return ReadAiff(in, Is(header + 8, "AIFC"));
    in.Fail("it is neither a WAV nor an AIFF file");
}

YAudioData YAudioFileReader::ReadFile(const YString& path) {
    YStdFileStream stream(path, YStdFileStream::kRead);
    return Read(stream, path);
}
