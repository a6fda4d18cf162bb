#include "foundation/YBinaryText.h"

#include "foundation/YException.h"
#include "foundation/YHexaStream.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YZLibStream.h"

#include <string>

namespace {

constexpr uint32_t kPiece = 4096;
constexpr int kCompressionQuality = 100;  // level 9

// The text as the bytes a hexadecimal stream reads. A character beyond 8 bits must
// not alias a digit through its low byte, so it becomes a byte that is no digit.
YByteBuffer TextBytes(const YString& text) {
    YByteBuffer bytes(text.Length());
    uint8_t* out = bytes.MutableData();
    for (uint32_t i = 0; i < text.Length(); ++i) out[i] = text[i] < 0x80 ? static_cast<uint8_t>(text[i]) : 0xFF;
    return bytes;
}

YString TextOf(const YMemoryStream& memory) {
    const YByteBuffer& bytes = memory.GetBuffer();
    return YString::FromLatin1(std::string_view(reinterpret_cast<const char*>(bytes.Data()), bytes.Size()));
}

template <typename Feed>
YString Encode(bool compressed, Feed&& feed) {
    YMemoryStream memory;
    YHexaStream hexa(&memory);
    if (compressed) {
        YZLibStream zlib(&hexa, true, kCompressionQuality);
        feed(static_cast<YStream&>(zlib));
        zlib.Finish();
    } else {
        feed(static_cast<YStream&>(hexa));
    }
    return TextOf(memory);
}

}  // namespace

namespace YBinaryText {

YString FromStream(YStream& source, bool compressed) {
    return Encode(compressed, [&](YStream& sink) {
        source.Seek(0, YStream::kFromStart);
        uint8_t piece[kPiece];
        for (uint32_t got; (got = source.Read(piece, kPiece)) > 0;) sink.Write(piece, got);
    });
}

YString FromBytes(const void* bytes, uint32_t size, bool compressed) {
    return Encode(compressed, [&](YStream& sink) { sink.Write(bytes, size); });
}

uint32_t ToBytes(const YString& text, void* bytes, uint32_t size, bool compressed) {
    YMemoryStream memory(TextBytes(text));
    YHexaStream hexa(&memory);
    if (!compressed) return hexa.Read(bytes, std::min(size, text.Length() / 2));
    YZLibStream zlib(&hexa, false);
    if (zlib.Read(bytes, size) != size) throw YException(TranslateText("Value doesn't have correct format."));
    return size;
}

void ToStream(const YString& text, YStream& target, bool compressed) {
    YMemoryStream memory(TextBytes(text));
    YHexaStream hexa(&memory);
    YZLibStream zlib;
    YStream* source = &hexa;
    if (compressed) {
        zlib.Init(&hexa, false);
        source = &zlib;
    }
    uint8_t piece[kPiece];
    for (uint32_t got; (got = source->Read(piece, kPiece)) > 0;) target.Write(piece, got);
}

}  // namespace YBinaryText
