#pragma once

#include "foundation/YByteBuffer.h"
#include "foundation/YString.h"

#include <cstdint>

class YStream;

// A source of bytes one at a time; Next gives -1 at the end of the data.
class YByteSource {
public:
    virtual int Next() = 0;

protected:
    ~YByteSource() = default;
};

// Buffered reading of a stream for the codecs' line and character reading: the
// buffer is refilled through the stream's Read, and a refill that yields no bytes
// ends the data.
class YStreamReader final : public YByteSource {
public:
    explicit YStreamReader(YStream& stream) : stream_(stream) {}
    int Next() override {
        if (position_ == size_ && !Refill()) return -1;
        return buffer_[position_++];
    }

private:
    bool Refill();

    YStream& stream_;
    uint8_t buffer_[1024];
    uint32_t position_ = 0;
    uint32_t size_ = 0;
};

// Buffered writing to a stream; Flush hands the collected bytes on. The owner flushes
// before the writer goes (a destructor must not raise a stream error).
class YStreamWriter {
public:
    explicit YStreamWriter(YStream& stream) : stream_(stream) {}
    void Put(uint8_t byte) {
        if (size_ == sizeof buffer_) Flush();
        buffer_[size_++] = byte;
    }
    void Flush();

private:
    YStream& stream_;
    uint8_t buffer_[1024];
    uint32_t size_ = 0;
};

namespace YEncoding {

// Turns strings into bytes and back. The codecs are process-wide constants.
class Codec {
public:
    virtual ~Codec() = default;
    virtual YString GetName() const = 0;
    // Bytes to text, up to the first NUL character.
    virtual YString Decode(const YByteBuffer& bytes) const;
    // Text to bytes; terminate appends a NUL character.
    virtual YByteBuffer Encode(const YString& text, bool terminate) const = 0;
    // Reads and checks a byte-order mark; nothing for codecs without one.
    virtual void ReadHeader(YStream& stream) const { (void)stream; }
    virtual void WriteHeader(YStream& stream) const { (void)stream; }
    // One line: a line feed or NUL ends it, carriage returns are skipped. False at
    // the end of the data when no character was collected.
    virtual bool ReadLine(YByteSource& source, YString& line) const;
    virtual void WriteText(YStreamWriter& writer, const YString& text) const;
    void WriteLine(YStreamWriter& writer, const YString& text) const;

    // Decodes the next character: puts 0, 1 or 2 code units into units and returns
    // their count (0 for bytes the codec skips), or -1 at the end of the data. A NUL
    // character comes back as one unit 0.
    virtual int DecodeNext(YByteSource& source, char16_t units[2]) const = 0;
};

const Codec& GetASCIICodec();
const Codec& GetUTF8Codec();
const Codec& GetUTF16Codec();

// An empty name gives ASCII; "utf8"/"utf-8" and "utf16"/"utf-16" the Unicode codecs;
// anything else is looked up, ignoring case and accents, among the names and aliases
// of the 28 table codecs. Raises "No codec found for encoding {0}.".
const Codec& GetCodec(const YString& name);

}  // namespace YEncoding
