#pragma once

#include "foundation/YDispatchStream.h"

// Bytes as hexadecimal text on the target: each byte two upper-case digits, the high
// nibble first, moved in pieces of 128 bytes (256 characters).
class YHexaStream : public YDispatchStream {
public:
    static constexpr uint32_t kPieceBytes = 128;

    explicit YHexaStream(YStream* target = nullptr) : YDispatchStream(target) {}

    void Write(const void* bytes, uint32_t count) override;
    // Turns the target's digit pairs (0-9, A-F, a-f) back into bytes; any other
    // character raises "Invalid character to be converted to a number.". Returns
    // fewer bytes than asked for only when the target has no more text; a lone digit
    // left at its end is checked, then dropped.
    uint32_t Read(void* bytes, uint32_t count) override;
    // Byte positions: the target's offsets are twice as large.
    void Seek(int64_t offset, int origin) override;
    int64_t GetPosition() override { return YDispatchStream::GetPosition() / 2; }
    int64_t GetSize() override { return YDispatchStream::GetSize() / 2; }
    int ReadLine(char* buffer, uint32_t size) override { return YStream::ReadLine(buffer, size); }
    bool IsOpen() override { return target_ != nullptr; }
};
