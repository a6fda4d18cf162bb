#include "TestStreams.h"

#include "foundation/YBinaryText.h"
#include "foundation/YHexaStream.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YZLibStream.h"

#include <gtest/gtest.h>

#include <random>

namespace {

const std::string kInvalidContent = "Source compressed stream has invalid content.";

// Half repetitive text, half noise: deflate has something to find and something to
// store.
std::vector<uint8_t> SampleBytes(std::size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = (i / 512) % 2 ? static_cast<uint8_t>(random()) : static_cast<uint8_t>("phaser state "[i % 13]);
    return bytes;
}

std::vector<uint8_t> Compress(const std::vector<uint8_t>& bytes, int quality = 100) {
    YMemoryStream memory;
    YZLibStream zlib(&memory, true, quality);
    zlib.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    zlib.Finish();
    return Bytes(memory.GetBuffer());
}

// Inflates everything, reading in pieces of piece bytes.
std::vector<uint8_t> Decompress(const std::vector<uint8_t>& compressed, uint32_t piece = 1000) {
    YMemoryStream memory(YByteBuffer::Borrow(compressed.data(), compressed.size()));
    YZLibStream zlib(&memory, false);
    std::vector<uint8_t> out;
    std::vector<uint8_t> buffer(piece);
    for (uint32_t got; (got = zlib.Read(buffer.data(), piece)) > 0;) out.insert(out.end(), buffer.begin(), buffer.begin() + got);
    return out;
}

TEST(YZLibStream, RoundTripsAcrossPieceBoundaries) {
    std::mt19937 random(3);
    for (std::size_t size : {0u, 1u, 4095u, 4096u, 4097u, 100000u}) {
        std::vector<uint8_t> bytes = SampleBytes(size, static_cast<uint32_t>(size));
        YMemoryStream memory;
        YZLibStream compressor(&memory, true, 100);
        for (std::size_t at = 0; at < size;) {  // irregular writes
            uint32_t piece = std::min<uint32_t>(1 + random() % 9000, static_cast<uint32_t>(size - at));
            compressor.Write(bytes.data() + at, piece);
            at += piece;
        }
        EXPECT_EQ(compressor.GetPosition(), static_cast<int64_t>(size));
        compressor.Finish();
        std::vector<uint8_t> compressed = Bytes(memory.GetBuffer());
        ASSERT_GE(compressed.size(), 2u);
        // zlib format with a 32 KB window, level 9
        EXPECT_EQ(std::vector<uint8_t>(compressed.begin(), compressed.begin() + 2), (std::vector<uint8_t>{0x78, 0xDA}));
        for (uint32_t piece : {1u, 4096u, 100001u}) EXPECT_EQ(Decompress(compressed, piece), bytes) << size << "/" << piece;

        YMemoryStream source(YByteBuffer::Borrow(compressed.data(), compressed.size()));
        YZLibStream reader(&source, false);
        std::vector<uint8_t> all(size + 10);
        EXPECT_EQ(reader.Read(all.data(), static_cast<uint32_t>(all.size())), size);
        EXPECT_EQ(reader.GetPosition(), static_cast<int64_t>(size));
    }
}

TEST(YZLibStream, QualityChoosesTheLevel) {
    const std::pair<int, int> levels[] = {{1, 0}, {10, 0}, {11, 1}, {90, 8}, {91, 9}, {100, 9}, {0, 0}, {500, 9}, {-40, 0}};
    for (auto [quality, level] : levels) EXPECT_EQ(YZLibStream::LevelForQuality(quality), level) << quality;

    std::vector<uint8_t> text(20000, 'a');
    std::vector<uint8_t> stored = Compress(text, 5);
    EXPECT_GT(stored.size(), text.size());  // level 0: stored blocks
    EXPECT_LT(Compress(text, 100).size(), 100u);
    EXPECT_EQ(Decompress(stored), text);
}

TEST(YZLibStream, TruncatedOrCorruptDataRaisesItsCode) {
    std::vector<uint8_t> bytes = SampleBytes(6000, 11);
    std::vector<uint8_t> compressed = Compress(bytes);
    // Every cut runs dry before the end: code 0.
    for (std::size_t cut = 0; cut < compressed.size(); ++cut)
        ExpectYException([&] { Decompress({compressed.begin(), compressed.begin() + static_cast<std::ptrdiff_t>(cut)}); },
                         kInvalidContent, 0);
    // A changed byte is found by the header check, the data or the checksum (256),
    // or leaves the data running dry (0); it never yields different bytes (the
    // header's level bits are only informative).
    std::mt19937 random(5);
    int dataErrors = 0;
    for (std::size_t at = 0; at < compressed.size(); ++at) {
        std::vector<uint8_t> broken = compressed;
        broken[at] ^= static_cast<uint8_t>(1 + random() % 255);
        try {
            EXPECT_EQ(Decompress(broken), bytes) << "corruption at " << at << " went unnoticed";
        } catch (const YException& e) {
            EXPECT_EQ(e.Message().ToUtf8(), kInvalidContent);
            EXPECT_TRUE(e.Code() == 0 || e.Code() == YException::kCompressedData) << e.Code();
            dataErrors += e.Code() == YException::kCompressedData;
        }
    }
    EXPECT_GT(dataErrors, 0);
    std::vector<uint8_t> noise = SampleBytes(3000, 99);
    ExpectYException([&] { Decompress(noise); }, kInvalidContent, YException::kCompressedData);
}

TEST(YZLibStream, AnUnfinishedCompressionIsReportedByCloseOnly) {
    YMemoryStream memory;
    {
        YZLibStream zlib(&memory, true);
        zlib.Write("abc", 3);
        ExpectYException([&] { zlib.Close(); }, "ZLIB stream has not been terminated.", YException::kCompressedData);
        EXPECT_NO_THROW(zlib.Close());  // released already

        zlib.Init(&memory, true, 50);
        zlib.Write("abc", 3);
        ExpectYException([&] { zlib.Init(&memory, false); }, "ZLIB stream has not been terminated.",
                         YException::kCompressedData);
        zlib.Init(&memory, true, 50);
        zlib.Write("abc", 3);
    }  // the destructor drops the unfinished stream without a word
    YZLibStream compressor(&memory, true);
    compressor.Finish();
    ExpectYException([&] { compressor.Write("x", 1); }, "Service \"write to stream\" is not implemented.",
                     YException::kNotImplemented);
}

TEST(YBinaryText, PlainAndCompressedForms) {
    const uint8_t bytes[] = {0x00, 0xAB, 0xFF};
    EXPECT_EQ(YBinaryText::FromBytes(bytes, 3, false).ToUtf8(), "00ABFF");
    uint8_t back[8] = {};
    EXPECT_EQ(YBinaryText::ToBytes("00abff", back, 3, false), 3u);
    EXPECT_EQ(std::vector<uint8_t>(back, back + 3), std::vector<uint8_t>(bytes, bytes + 3));
    EXPECT_EQ(YBinaryText::ToBytes("00ABF", back, 8, false), 2u);  // plain: as many as the text holds
    ExpectYException([&] { YBinaryText::ToBytes("0X", back, 1, false); }, "Invalid character to be converted to a number.");
    // A character beyond 8 bits must not pass for the digit its low byte spells.
    ExpectYException([&] { YBinaryText::ToBytes(YString(u"\u0130\u0130"), back, 1, false); },
                     "Invalid character to be converted to a number.");

    std::vector<uint8_t> block = SampleBytes(10000, 21);
    YString packed = YBinaryText::FromBytes(block.data(), 10000, true);
    EXPECT_EQ(packed.Length() % 2, 0u);
    EXPECT_EQ(packed.Substring(0, 4).ToUtf8(), "78DA");
    std::vector<uint8_t> unpacked(10000);
    EXPECT_EQ(YBinaryText::ToBytes(packed, unpacked.data(), 10000, true), 10000u);
    EXPECT_EQ(unpacked, block);
    std::vector<uint8_t> more(10001);
    ExpectYException([&] { YBinaryText::ToBytes(packed, more.data(), 10001, true); }, "Value doesn't have correct format.");
    ExpectYException([&] { YBinaryText::ToBytes(packed.Substring(0, packed.Length() - 40), unpacked.data(), 10000, true); },
                     kInvalidContent, 0);
    YString damaged = packed;
    damaged.SetAt(100, u'x');
    ExpectYException([&] { YBinaryText::ToBytes(damaged, unpacked.data(), 10000, true); },
                     "Invalid character to be converted to a number.");

    // A whole stream, sought to its start first, and back into a stream.
    YMemoryStream source;
    source.Write(block.data(), 10000);
    for (bool compressed : {false, true}) {
        YString text = YBinaryText::FromStream(source, compressed);
        YMemoryStream target;
        YBinaryText::ToStream(text, target, compressed);
        EXPECT_EQ(Bytes(target.GetBuffer()), block) << compressed;
    }
}

}  // namespace
