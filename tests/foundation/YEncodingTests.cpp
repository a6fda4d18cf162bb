#include "TestStreams.h"

#include "foundation/YCodecTables.h"
#include "foundation/YEncoding.h"

#include <cctype>

namespace {

std::u16string DecodeUTF8(std::vector<uint8_t> bytes) {
    return YEncoding::GetUTF8Codec().Decode(YByteBuffer::Borrow(bytes.data(), bytes.size())).ToU16();
}

TEST(YEncoding, UTF8DecodingOfMarksAstralAndBrokenSequences) {
    EXPECT_EQ(DecodeUTF8({0xEF, 0xBB, 0xBF, 0x41}), u"A");
    EXPECT_EQ(DecodeUTF8({0xF0, 0x9F, 0x8E, 0xB5}), std::u16string({0xD83C, 0xDFB5}));
    EXPECT_EQ(DecodeUTF8({0xC3, 0x41}), std::u16string({0x0001}));  // the broken sequence swallows 41
    EXPECT_EQ(DecodeUTF8({0x80, 0x41, 0xFF, 0x42}), u"AB");         // stray bytes are skipped
    EXPECT_EQ(DecodeUTF8({0x41, 0x00, 0x42}), u"A");                // NUL ends the text
    EXPECT_EQ(DecodeUTF8({0xC3, 0xA9, 0xE2, 0x82, 0xAC}), u"\u00E9\u20AC");
    EXPECT_EQ(DecodeUTF8({0x41, 0xE2, 0x82}), u"A");                // cut inside a sequence
}

TEST(YEncoding, UTF8EncodingJoinsSurrogatePairs) {
    YString text(u"A\u00E9\u20AC\U0001F3B5");
    EXPECT_EQ(Bytes(YEncoding::GetUTF8Codec().Encode(text, true)),
              (std::vector<uint8_t>{0x41, 0xC3, 0xA9, 0xE2, 0x82, 0xAC, 0xF0, 0x9F, 0x8E, 0xB5, 0x00}));
    EXPECT_EQ(YString::FromUtf8(text.ToUtf8()), text);
}

TEST(YEncoding, ASCIIFoldsOnEncodeButWriteTextKeepsLowBits) {
    const auto& ascii = YEncoding::GetASCIICodec();
    EXPECT_EQ(Bytes(ascii.Encode(YString(u"\u00E9t\u00C9"), false)), (std::vector<uint8_t>{'e', 't', 'E'}));
    RawStream out;
    YStreamWriter writer(out);
    ascii.WriteText(writer, YString(u"\u00E9\u0141"));
    writer.Flush();
    EXPECT_EQ(out.written, (std::vector<uint8_t>{0xE9, 0x41}));
    std::vector<uint8_t> bytes{'h', 0xE9, 0, 'x'};
    EXPECT_EQ(ascii.Decode(YByteBuffer::Borrow(bytes.data(), bytes.size())).ToU16(), u"h\u00E9");
}

TEST(YEncoding, UTF16HeaderAndUnits) {
    const auto& utf16 = YEncoding::GetUTF16Codec();
    RawStream out;
    utf16.WriteHeader(out);
    EXPECT_EQ(out.written, (std::vector<uint8_t>{0xFF, 0xFE}));
    EXPECT_EQ(Bytes(utf16.Encode(YString(u"A\u20AC"), true)), (std::vector<uint8_t>{0x41, 0, 0xAC, 0x20, 0, 0}));

    RawStream good(std::vector<uint8_t>{0xFF, 0xFE, 0x41, 0x00});
    EXPECT_NO_THROW(utf16.ReadHeader(good));
    RawStream wrong(std::vector<uint8_t>{0xFE, 0xFF}), shortData(std::vector<uint8_t>{0xFF});
    ExpectYException([&] { utf16.ReadHeader(wrong); }, "Invalid UTF8 header.");
    ExpectYException([&] { utf16.ReadHeader(shortData); }, "Could not read required data from stream.");
}

TEST(YEncoding, LineReadingAcrossRefills) {
    for (const char* name : {"utf-8", "utf-16", "", "windows-1250"}) {
        const auto& codec = YEncoding::GetCodec(YString::FromLatin1(name));
        YByteBuffer text = codec.Encode(YString("first\r\nsecond line\n\nlast"), false);
        RawStream in(std::vector<uint8_t>(text.Data(), text.Data() + text.Size()), 5);  // refills of 5 bytes
        YStreamReader reader(in);
        YString line;
        std::vector<std::string> lines;
        while (codec.ReadLine(reader, line)) lines.push_back(line.ToUtf8());
        EXPECT_EQ(lines, (std::vector<std::string>{"first", "second line", "", "last"})) << name;
    }
}

TEST(YEncoding, CodecLookupByEveryNameForm) {
    EXPECT_EQ(YEncoding::GetCodec("").GetName(), YString("ascii"));
    for (const char* name : {"UTF-8", "utf8", "Utf-8"}) EXPECT_EQ(YEncoding::GetCodec(YString::FromLatin1(name)).GetName(), YString("utf8"));
    for (const char* name : {"UTF-16", "utf16"}) EXPECT_EQ(YEncoding::GetCodec(YString::FromLatin1(name)).GetName(), YString("utf16"));
    EXPECT_EQ(YEncoding::GetCodec("iso 8859-8-i").GetName(), YString("ISO-8859-8"));
    // Every name and alias of the tables finds its own table, upper-cased too.
    for (std::size_t t = 0; t < kYCodecTableCount; ++t) {
        YString preferred = YString::FromLatin1(kYCodecTables[t].names[0]);
        for (int n = 0; n < kYCodecTables[t].nameCount; ++n) {
            std::string upper = kYCodecTables[t].names[n];
            for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            EXPECT_EQ(YEncoding::GetCodec(YString::FromLatin1(upper)).GetName(), preferred) << upper;
        }
    }
    ExpectYException([] { YEncoding::GetCodec("ebcdic"); }, "No codec found for encoding ebcdic.");
}

TEST(YEncoding, TableCodecsMapTheHighHalf) {
    auto decode = [](const char* name, uint8_t byte) {
        return YEncoding::GetCodec(YString::FromLatin1(name)).Decode(YByteBuffer::Borrow(&byte, 1))[0];
    };
    EXPECT_EQ(decode("windows-1252", 0x80), 0x20AC);  // euro sign
    EXPECT_EQ(decode("KOI8-R", 0xC1), 0x0430);        // Cyrillic a
    EXPECT_EQ(decode("ISO-8859-2", 0xA3), 0x0141);    // Ł
    EXPECT_EQ(decode("roman8", 0xC5), 0x00E9);
    EXPECT_EQ(decode("windows-1253", 0x41), u'A');

    const auto& latin2 = YEncoding::GetCodec("latin2");
    YString text(u"\u0141\u00F3d\u017A \u20AC");
    EXPECT_EQ(Bytes(latin2.Encode(text, false)), (std::vector<uint8_t>{0xA3, 0xF3, 'd', 0xBC, ' ', '?'}));
}

}  // namespace
