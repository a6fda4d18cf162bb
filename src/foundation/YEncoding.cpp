#include "foundation/YEncoding.h"

#include "foundation/YCodecTables.h"
#include "foundation/YException.h"
#include "foundation/YFormat.h"
#include "foundation/YStream.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

bool YStreamReader::Refill() {
    position_ = 0;
    size_ = stream_.Read(buffer_, sizeof buffer_);
    return size_ > 0;
}

void YStreamWriter::Flush() {
    if (size_ > 0) stream_.Write(buffer_, size_);
    size_ = 0;
}

namespace YEncoding {
namespace {

class MemorySource final : public YByteSource {
public:
    explicit MemorySource(const YByteBuffer& bytes) : data_(bytes.Data()), size_(bytes.Size()) {}
    int Next() override { return position_ < size_ ? data_[position_++] : -1; }

private:
    const uint8_t* data_;
    uint32_t size_;
    uint32_t position_ = 0;
};

// Collects encoded bytes into a growing byte buffer.
class ByteSink {
public:
    explicit ByteSink(uint32_t expected) : bytes_(std::max<uint32_t>(expected, 16)), data_(bytes_.MutableData()) {}
    void Put(uint8_t byte) {
        if (used_ == bytes_.Size()) {
            bytes_.Resize(used_ * 2);
            data_ = bytes_.MutableData();
        }
        data_[used_++] = byte;
    }
    YByteBuffer Finish() {
        bytes_.Resize(used_);
        return std::move(bytes_);
    }

private:
    YByteBuffer bytes_;
    uint8_t* data_;
    uint32_t used_ = 0;
};

template <typename Sink>
void PutUTF8(Sink& sink, uint32_t v) {
    if (v < 0x80) {
        sink.Put(static_cast<uint8_t>(v));
    } else if (v < 0x800) {
        sink.Put(static_cast<uint8_t>(0xC0 | (v >> 6)));
        sink.Put(static_cast<uint8_t>(0x80 | (v & 0x3F)));
    } else if (v < 0x10000) {
        sink.Put(static_cast<uint8_t>(0xE0 | (v >> 12)));
        sink.Put(static_cast<uint8_t>(0x80 | ((v >> 6) & 0x3F)));
        sink.Put(static_cast<uint8_t>(0x80 | (v & 0x3F)));
    } else {
        sink.Put(static_cast<uint8_t>(0xF0 | (v >> 18)));
        sink.Put(static_cast<uint8_t>(0x80 | ((v >> 12) & 0x3F)));
        sink.Put(static_cast<uint8_t>(0x80 | ((v >> 6) & 0x3F)));
        sink.Put(static_cast<uint8_t>(0x80 | (v & 0x3F)));
    }
}

// Each code unit as standard UTF-8, surrogate pairs joined into one sequence.
template <typename Sink>
void EncodeUTF8(Sink& sink, const YString& text) {
    for (uint32_t i = 0; i < text.Length(); ++i) {
        uint32_t unit = text[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.Length() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            PutUTF8(sink, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00u));
            ++i;
        } else {
            PutUTF8(sink, unit);
        }
    }
}

class ASCIICodec final : public Codec {
public:
    YString GetName() const override { return "ascii"; }
    int DecodeNext(YByteSource& source, char16_t units[2]) const override {
        int byte = source.Next();
        if (byte < 0) return -1;
        units[0] = static_cast<char16_t>(byte);
        return 1;
    }
    YByteBuffer Encode(const YString& text, bool terminate) const override {
        ByteSink sink(text.Length() + 1);
        for (uint32_t i = 0; i < text.Length(); ++i) sink.Put(static_cast<uint8_t>(FoldCharacter(text[i]) & 0xFF));
        if (terminate) sink.Put(0);
        return sink.Finish();
    }
};

class UTF8Codec final : public Codec {
public:
    YString GetName() const override { return "utf8"; }
    int DecodeNext(YByteSource& source, char16_t units[2]) const override {
        int byte = source.Next();
        if (byte < 0) return -1;
        if (byte < 0x80) {
            units[0] = static_cast<char16_t>(byte);
            return 1;
        }
        int pending;
        uint32_t value;
        if ((byte & 0xE0) == 0xC0) {
            pending = 1;
            value = byte & 0x1F;
        } else if ((byte & 0xF0) == 0xE0) {
            pending = 2;
            value = byte & 0x0F;
        } else if ((byte & 0xF8) == 0xF0) {
            pending = 3;
            value = byte & 0x07;
        } else {
            return 0;  // a stray continuation byte or F8..FF
        }
        while (pending-- > 0) {
            int next = source.Next();
            if (next < 0) return -1;
            if ((next & 0xC0) != 0x80) {
                units[0] = 1;  // the broken sequence ends here, swallowing this byte
                return 1;
            }
            value = (value << 6) | (next & 0x3F);
        }
        if (value == 0xFEFF) return 0;
        if (value > 0xFFFF) {
            units[0] = static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10));
            units[1] = static_cast<char16_t>(0xDC00 + (value & 0x3FF));
            return 2;
        }
        units[0] = static_cast<char16_t>(value);
        return 1;
    }
    YByteBuffer Encode(const YString& text, bool terminate) const override {
        ByteSink sink(text.Length() + 1);
        EncodeUTF8(sink, text);
        if (terminate) sink.Put(0);
        return sink.Finish();
    }
    void WriteText(YStreamWriter& writer, const YString& text) const override { EncodeUTF8(writer, text); }
};

class UTF16Codec final : public Codec {
public:
    YString GetName() const override { return "utf16"; }
    int DecodeNext(YByteSource& source, char16_t units[2]) const override {
        int low = source.Next();
        int high = low < 0 ? -1 : source.Next();
        if (high < 0) return -1;
        units[0] = static_cast<char16_t>(low | (high << 8));
        return 1;
    }
    YByteBuffer Encode(const YString& text, bool terminate) const override {
        ByteSink sink(2 * text.Length() + 2);
        for (uint32_t i = 0; i < text.Length(); ++i) {
            sink.Put(static_cast<uint8_t>(text[i] & 0xFF));
            sink.Put(static_cast<uint8_t>(text[i] >> 8));
        }
        if (terminate) {
            sink.Put(0);
            sink.Put(0);
        }
        return sink.Finish();
    }
    void ReadHeader(YStream& stream) const override {
        uint8_t mark[2];
        stream.ReadRequired(mark, 2);
        if (mark[0] != 0xFF || mark[1] != 0xFE) throw YException(TranslateText("Invalid UTF8 header."));
    }
    void WriteHeader(YStream& stream) const override {
        const uint8_t mark[2] = {0xFF, 0xFE};
        stream.Write(mark, 2);
    }
    void WriteText(YStreamWriter& writer, const YString& text) const override {
        for (uint32_t i = 0; i < text.Length(); ++i) {
            writer.Put(static_cast<uint8_t>(text[i] & 0xFF));
            writer.Put(static_cast<uint8_t>(text[i] >> 8));
        }
    }
};

class TableCodec final : public Codec {
public:
    explicit TableCodec(const YCodecTableData& data) : data_(data) {
        for (int byte = 0; byte < 128; ++byte)
            if (data.highHalf[byte] != 0xFFFD) reverse_.emplace_back(data.highHalf[byte], static_cast<uint8_t>(0x80 + byte));
        std::sort(reverse_.begin(), reverse_.end());
    }
    YString GetName() const override { return YString::FromLatin1(data_.names[0]); }
    int DecodeNext(YByteSource& source, char16_t units[2]) const override {
        int byte = source.Next();
        if (byte < 0) return -1;
        units[0] = byte < 0x80 ? static_cast<char16_t>(byte) : data_.highHalf[byte - 0x80];
        return 1;
    }
    YByteBuffer Encode(const YString& text, bool terminate) const override {
        ByteSink sink(text.Length() + 1);
        for (uint32_t i = 0; i < text.Length(); ++i) sink.Put(ByteFor(text[i]));
        if (terminate) sink.Put(0);
        return sink.Finish();
    }
    void WriteText(YStreamWriter& writer, const YString& text) const override {
        for (uint32_t i = 0; i < text.Length(); ++i) writer.Put(ByteFor(text[i]));
    }

private:
    // Characters the set cannot show become "?".
    uint8_t ByteFor(char16_t c) const {
        if (c < 0x80) return static_cast<uint8_t>(c);
        auto hit = std::lower_bound(reverse_.begin(), reverse_.end(), std::make_pair(c, uint8_t{0}));
        return hit != reverse_.end() && hit->first == c ? hit->second : static_cast<uint8_t>('?');
    }

    const YCodecTableData& data_;
    std::vector<std::pair<char16_t, uint8_t>> reverse_;
};

// The table codecs and the sorted map of all their names, built on first use.
struct TableRegistry {
    std::vector<TableCodec> codecs;
    std::vector<std::pair<YString, const Codec*>> names;

    TableRegistry() {
        codecs.reserve(kYCodecTableCount);
        for (std::size_t i = 0; i < kYCodecTableCount; ++i) codecs.emplace_back(kYCodecTables[i]);
        for (std::size_t i = 0; i < kYCodecTableCount; ++i)
            for (int n = 0; n < kYCodecTables[i].nameCount; ++n)
                names.emplace_back(YString::FromLatin1(kYCodecTables[i].names[n]), &codecs[i]);
        std::sort(names.begin(), names.end(),
                  [](const auto& a, const auto& b) { return YString::CompareNoCase(a.first, b.first) < 0; });
    }

    const Codec* Find(const YString& name) const {
        auto hit = std::lower_bound(names.begin(), names.end(), name, [](const auto& entry, const YString& key) {
            return YString::CompareNoCase(entry.first, key) < 0;
        });
        return hit != names.end() && YString::EqualsNoCase(hit->first, name) ? hit->second : nullptr;
    }
};

const TableRegistry& Tables() {
    static const TableRegistry registry;
    return registry;
}

}  // namespace

YString Codec::Decode(const YByteBuffer& bytes) const {
    MemorySource source(bytes);
    YString text;
    text.Reserve(bytes.Size());
    char16_t units[2];
    for (int count; (count = DecodeNext(source, units)) >= 0;) {
        if (count == 1 && units[0] == 0) break;
        for (int i = 0; i < count; ++i) text.Append(units[i]);
    }
    return text;
}

bool Codec::ReadLine(YByteSource& source, YString& line) const {
    line.Clear();
    char16_t units[2];
    for (;;) {
        int count = DecodeNext(source, units);
        if (count < 0) return !line.IsEmpty();
        if (count == 1 && (units[0] == u'\n' || units[0] == 0)) return true;
        for (int i = 0; i < count; ++i)
            if (units[i] != u'\r') line.Append(units[i]);
    }
}

void Codec::WriteText(YStreamWriter& writer, const YString& text) const {
    for (uint32_t i = 0; i < text.Length(); ++i) writer.Put(static_cast<uint8_t>(text[i] & 0xFF));
}

void Codec::WriteLine(YStreamWriter& writer, const YString& text) const {
    WriteText(writer, text);
    WriteText(writer, "\n");
}

const Codec& GetASCIICodec() {
    static const ASCIICodec codec;
    return codec;
}

const Codec& GetUTF8Codec() {
    static const UTF8Codec codec;
    return codec;
}

const Codec& GetUTF16Codec() {
    static const UTF16Codec codec;
    return codec;
}

const Codec& GetCodec(const YString& name) {
    if (name.IsEmpty()) return GetASCIICodec();
    if (YString::EqualsNoCase(name, "utf8") || YString::EqualsNoCase(name, "utf-8")) return GetUTF8Codec();
    if (YString::EqualsNoCase(name, "utf16") || YString::EqualsNoCase(name, "utf-16")) return GetUTF16Codec();
    if (const Codec* codec = Tables().Find(name)) return *codec;
    throw YException(YFormat(TranslateText("No codec found for encoding {0}.")).Arg(name));
}

}  // namespace YEncoding
