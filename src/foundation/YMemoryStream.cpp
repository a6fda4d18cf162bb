#include "foundation/YMemoryStream.h"

#include "foundation/YException.h"

#include <algorithm>
#include <cstring>

void YMemoryStream::Write(const void* bytes, uint32_t count) {
    if (count == 0) return;
    uint64_t end = uint64_t{position_} + count;
    if (end > UINT32_MAX) ThrowOutOfMemory();
    uint32_t capacity = buffer_.Capacity();
    if (end > capacity) {
        uint64_t grown = capacity == 0 ? end : std::max<uint64_t>(end, uint64_t{capacity} * 2);
        buffer_.ReserveCapacity(static_cast<uint32_t>(std::min<uint64_t>(grown, UINT32_MAX)));
    }
    if (end > buffer_.Size()) buffer_.Resize(static_cast<uint32_t>(end));  // zero-fills a gap behind the old end
    std::memcpy(buffer_.MutableData() + position_, bytes, count);
    position_ = static_cast<uint32_t>(end);
}

uint32_t YMemoryStream::Read(void* bytes, uint32_t count) {
    uint32_t size = buffer_.Size();
    if (position_ >= size) return 0;
    uint32_t n = std::min(count, size - position_);
    std::memcpy(bytes, buffer_.Data() + position_, n);
    position_ += n;
    return n;
}

int YMemoryStream::ReadLine(char* line, uint32_t size) {
    if (size == 0) return kLineContinues;
    const uint32_t end = buffer_.Size();
    if (position_ >= end) {
        line[0] = 0;
        return kLineEndOfData;
    }
    const uint8_t* data = buffer_.Data();
    uint32_t stored = 0;
    for (;;) {
        if (stored + 1 >= size) {
            line[stored] = 0;
            return kLineContinues;
        }
        if (position_ >= end) {
            line[stored] = 0;
            return stored == 0 ? kLineEndOfData : kLineComplete;  // "\r" alone is no line
        }
        char c = static_cast<char>(data[position_++]);
        if (c == '\n' || c == 0) {
            line[stored] = 0;
            return kLineComplete;
        }
        if (c != '\r') line[stored++] = c;
    }
}

void YMemoryStream::Seek(int64_t offset, int origin) {
    const int64_t size = buffer_.Size();
    int64_t target;
    switch (origin) {
        case kFromStart: target = std::clamp<int64_t>(offset, 0, size); break;
        case kFromCurrent: target = std::clamp<int64_t>(position_ + offset, 0, size); break;
        case kFromEnd: target = std::clamp<int64_t>(size + offset, 0, UINT32_MAX); break;
        default: ThrowInvalidSeekOrigin();
    }
    position_ = static_cast<uint32_t>(target);
}

void YMemoryStream::Clear() {
    buffer_ = YByteBuffer();
    position_ = 0;
}
