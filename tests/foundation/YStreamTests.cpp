#include "TestStreams.h"

#include "foundation/YHexaStream.h"
#include "foundation/YMemoryStream.h"

#include <gtest/gtest.h>

#include <random>

namespace {

int ByteAt(const uint8_t* data) { return data ? data[0] : -1; }

// Reads lines into a buffer of size characters and expects each result and line in turn.
void ExpectLines(YStream& stream, uint32_t size, const std::vector<std::pair<int, std::string>>& expected) {
    for (const auto& [result, text] : expected) {
        char line[16] = {'?'};
        EXPECT_EQ(stream.ReadLine(line, size), result) << text;
        EXPECT_STREQ(line, text.c_str());
    }
}

// Reads up to count bytes back from hexadecimal text handed out piece characters at a time.
std::vector<uint8_t> ReadHexa(const std::string& text, uint32_t count, uint32_t piece = UINT32_MAX) {
    RawStream source(text, piece);
    YHexaStream hexa(&source);
    std::vector<uint8_t> bytes(count);
    bytes.resize(hexa.Read(bytes.data(), count));
    return bytes;
}

// A base stream whose position and size come from its byte source, for the base Seek.
class CountingStream : public RawStream {
public:
    using RawStream::RawStream;
    int64_t GetPosition() override { return static_cast<int64_t>(at); }
    int64_t GetSize() override { return static_cast<int64_t>(bytes.size()); }
};

TEST(YStream, BaseServicesRaiseNotImplementedWithTheirNames) {
    YStream stream;
    auto expect = [](auto body, const char* service) {
        ExpectYException(body, std::string("Service \"") + service + "\" is not implemented.", YException::kNotImplemented);
    };
    uint8_t byte = 0;
    expect([&] { stream.Write(&byte, 1); }, "write to stream");
    expect([&] { stream.IsEnd(); }, "end of stream test");
    CountingStream counting(std::vector<uint8_t>(10));
    counting.at = 5;
    ExpectYException([&] { counting.Seek(0, 7); }, "Invalid seek origin.", YException::kInvalidSeekOrigin);
    expect([&] { counting.Seek(4, YStream::kFromStart); }, "backward seek in a stream");
    expect([&] { counting.Seek(-1, YStream::kFromCurrent); }, "backward seek in a stream");
}

TEST(YStream, BaseSeekReadsForwardInPiecesAndStopsAtTheEnd) {
    CountingStream stream(std::vector<uint8_t>(5000));
    stream.Seek(3000, YStream::kFromCurrent);
    EXPECT_EQ(stream.at, 3000u);
    for (uint32_t piece : stream.reads) EXPECT_LE(piece, 1024u);
    stream.Seek(3500, YStream::kFromStart);
    EXPECT_EQ(stream.at, 3500u);
    stream.Seek(-500, YStream::kFromEnd);
    EXPECT_EQ(stream.at, 4500u);
    stream.Seek(10000, YStream::kFromCurrent);  // a short read ends the movement
    EXPECT_EQ(stream.at, 5000u);

    RawStream sink;
    sink.WriteFill(2500);
    EXPECT_EQ(sink.writes, (std::vector<uint32_t>{1024, 1024, 452}));
    sink.written.clear();
    sink.WriteLine(YString(u"d\u00E9j\u00E0"));  // 8-bit text by the ASCII rules
    EXPECT_EQ(sink.Written(), "deja\n");
}

TEST(YStream, BaseLineReadingAndRequiredReads) {
    RawStream crlf("abc\r\nnext");  // the last line ends with the data
    ExpectLines(crlf, 16, {{YStream::kLineComplete, "abc"}, {YStream::kLineComplete, "next"}, {YStream::kLineEndOfData, ""}});
    RawStream narrow("abcd\n");
    ExpectLines(narrow, 3, {{YStream::kLineContinues, "ab"}, {YStream::kLineContinues, "cd"}, {YStream::kLineComplete, ""}});
    RawStream nul(std::vector<uint8_t>{'x', 0, 'y'});
    ExpectLines(nul, 16, {{YStream::kLineComplete, "x"}});

    std::string longLine(700, 'q');
    RawStream lines(longLine + "\nshort");
    EXPECT_EQ(lines.ReadLineRequired().ToUtf8(), longLine);
    EXPECT_EQ(lines.ReadLineRequired().ToUtf8(), "short");
    ExpectYException([&] { lines.ReadLineRequired(); }, "Could not load a line from stream.");

    RawStream few("ab");
    uint8_t bytes[3];
    ExpectYException([&] { few.ReadRequired(bytes, 3); }, "Could not read required data from stream.");
}

TEST(YMemoryStream, WriteSeekAndClampingRules) {
    YMemoryStream stream;
    EXPECT_EQ(stream.GetData(), nullptr);
    stream.Write("abc", 3);
    stream.Seek(1, YStream::kFromStart);
    stream.Write("12345", 5);
    EXPECT_EQ(Bytes(stream.GetBuffer()), (std::vector<uint8_t>{'a', '1', '2', '3', '4', '5'}));

    // Seeks are held to the data, except past the end.
    const struct { int64_t offset; int32_t origin; int64_t position; } seeks[] = {
        {-10, YStream::kFromStart, 0}, {100, YStream::kFromCurrent, 6}, {-2, YStream::kFromEnd, 4},
        {-3, YStream::kFromCurrent, 1}, {-100, YStream::kFromEnd, 0}, {-100, YStream::kFromCurrent, 0}};
    for (const auto& seek : seeks) {
        stream.Seek(seek.offset, seek.origin);
        EXPECT_EQ(stream.GetPosition(), seek.position) << seek.offset << " from " << seek.origin;
        EXPECT_EQ(stream.IsEnd(), seek.position == 6);
    }
    stream.Seek(-2, YStream::kFromEnd);
    EXPECT_EQ(ByteAt(stream.GetData()), '4');

    // Beyond the end: nothing to read, and a write fills the gap with zeros.
    stream.Seek(2, YStream::kFromEnd);
    uint8_t byte;
    EXPECT_EQ(stream.Read(&byte, 1), 0u);
    char line[4];
    EXPECT_EQ(stream.ReadLine(line, sizeof line), YStream::kLineEndOfData);
    stream.Write("z", 1);
    EXPECT_EQ(Bytes(stream.GetBuffer()), (std::vector<uint8_t>{'a', '1', '2', '3', '4', '5', 0, 0, 'z'}));

    ExpectYException([&] { stream.Seek(0, 3); }, "Invalid seek origin.", YException::kInvalidSeekOrigin);
}

TEST(YMemoryStream, GrowsByDoublingAndCopiesSharedBytesBeforeWriting) {
    YMemoryStream stream;
    stream.Write("0123456789", 10);
    EXPECT_EQ(stream.GetBuffer().Capacity(), 10u);  // exactly the first need
    stream.Write("a", 1);
    EXPECT_EQ(stream.GetBuffer().Capacity(), 20u);
    stream.Write(std::string(30, 'b').data(), 30);
    EXPECT_EQ(stream.GetBuffer().Capacity(), 41u);  // a need beyond double wins

    YByteBuffer snapshot = stream.GetBuffer();
    stream.Seek(0, YStream::kFromStart);
    stream.Write("X", 1);
    EXPECT_EQ(ByteAt(snapshot.Data()), '0');
    EXPECT_EQ(ByteAt(stream.GetBuffer().Data()), 'X');

    char outside[] = "borrowed";
    YMemoryStream reader(YByteBuffer::Borrow(outside, 8));
    char word[9] = {};
    EXPECT_EQ(reader.Read(word, 20), 8u);
    EXPECT_STREQ(word, "borrowed");
    reader.Seek(0, YStream::kFromStart);
    reader.Write("B", 1);
    EXPECT_STREQ(outside, "borrowed");
    EXPECT_EQ(ByteAt(reader.GetBuffer().Data()), 'B');
}

TEST(YMemoryStream, LineReadingMatchesTheBaseOnRandomText) {
    std::mt19937 random(7);
    const char alphabet[] = {'a', 'b', '\r', '\n', '\0'};
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> bytes(random() % 24);
        for (auto& b : bytes) b = static_cast<uint8_t>(alphabet[random() % sizeof alphabet]);
        RawStream base(bytes);
        YMemoryStream memory(YByteBuffer::Borrow(bytes.data(), bytes.size()));
        for (int call = 0; call < 30; ++call) {
            uint32_t size = 2 + random() % 5;
            char expected[8] = {'?'}, actual[8] = {'?'};
            ASSERT_EQ(memory.ReadLine(actual, size), base.ReadLine(expected, size)) << "round " << round << " call " << call;
            ASSERT_STREQ(actual, expected);
            ASSERT_EQ(memory.GetPosition(), static_cast<int64_t>(base.at));
        }
    }
}

TEST(YMemoryStream, LineBufferOfOneByteStillSeesTheEnd) {
    // The base only looks at the room left and never ends; the memory stream checks
    // for the end of the data first.
    YMemoryStream stream(YByteBuffer::Borrow("a", 1));
    char line[1];
    EXPECT_EQ(stream.ReadLine(line, 1), YStream::kLineContinues);
    stream.Seek(0, YStream::kFromEnd);
    EXPECT_EQ(stream.ReadLine(line, 1), YStream::kLineEndOfData);
}

TEST(YHexaStream, DigitsBothWaysInPiecesAndBadCharacters) {
    RawStream target;
    YHexaStream hexa(&target);
    const uint8_t bytes[] = {0x00, 0xAB, 0xFF};
    hexa.Write(bytes, 3);
    EXPECT_EQ(target.Written(), "00ABFF");

    std::vector<uint8_t> many(300);
    for (std::size_t i = 0; i < many.size(); ++i) many[i] = static_cast<uint8_t>(i * 7);
    target.writes.clear();
    hexa.Write(many.data(), 300);
    EXPECT_EQ(target.writes, (std::vector<uint32_t>{256, 256, 88}));

    // A target that hands out 7 characters at a time still gives every byte.
    std::vector<uint8_t> all(bytes, bytes + 3);
    all.insert(all.end(), many.begin(), many.end());
    EXPECT_EQ(ReadHexa(target.Written(), 400, 7), all);
    EXPECT_EQ(ReadHexa("00abff", 3), std::vector<uint8_t>(bytes, bytes + 3));
    for (const char* bad : {"0G", "G0", "1 ", "0\xC3", "12Z"})
        ExpectYException([&] { ReadHexa(bad, 3); }, "Invalid character to be converted to a number.");
    EXPECT_EQ(ReadHexa("ABC", 3), std::vector<uint8_t>{0xAB});  // a lone digit at the end is dropped
}

TEST(YHexaStream, PositionsAreInBytesOfTheTarget) {
    YMemoryStream memory;
    YHexaStream hexa(&memory);
    hexa.Write("\x01\x02\x03\x04", 4);
    EXPECT_EQ(memory.GetSize(), 8);
    EXPECT_EQ(hexa.GetPosition(), 4);
    EXPECT_EQ(hexa.GetSize(), 4);
    hexa.Seek(1, YStream::kFromStart);
    uint8_t byte = 0;
    EXPECT_EQ(hexa.Read(&byte, 1), 1u);
    EXPECT_EQ(byte, 2);
    EXPECT_FALSE(YHexaStream().IsOpen());
}

}  // namespace
