#pragma once

#include "foundation/YByteBuffer.h"
#include "foundation/YStream.h"

#include <cstdint>

// A stream over a shared byte buffer. The buffer's size is always the data size,
// so GetBuffer hands out exactly the written bytes (sharing them; a later write
// copies first).
class YMemoryStream : public YStream {
public:
    YMemoryStream() = default;
    // Reads (and may extend) the given bytes, starting at position 0. To read bytes
    // the stream must not copy, pass YByteBuffer::Borrow.
    explicit YMemoryStream(const YByteBuffer& buffer) : buffer_(buffer) {}

    // Grows the capacity to exactly position + count at first, by doubling later.
    void Write(const void* bytes, uint32_t count) override;
    uint32_t Read(void* bytes, uint32_t count) override;
    // As the base, but directly on the buffer.
    int ReadLine(char* buffer, uint32_t size) override;
    // Origin 0 clamps to 0..size, origin 1 too; origin 2 only to 0 (a position
    // beyond the end reads nothing, and a write there fills the gap with zeros).
    void Seek(int64_t offset, int origin) override;
    int64_t GetPosition() override { return position_; }
    void Flush() override {}
    bool IsEnd() override { return position_ >= buffer_.Size(); }
    int64_t GetSize() override { return buffer_.Size(); }

    // The data at the current position; null when nothing was ever stored.
    const uint8_t* GetData() const { return buffer_.Data() ? buffer_.Data() + position_ : nullptr; }
    const YByteBuffer& GetBuffer() const { return buffer_; }
    uint32_t GetDataSize() const { return buffer_.Size(); }
    // A fresh empty buffer; size and position 0.
    void Clear();

private:
    YByteBuffer buffer_;
    uint32_t position_ = 0;
};
