#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

// Bytes shared by reference count: what codecs produce and consume and what memory
// streams hold. A borrowing buffer only points at bytes it does not own. Copies
// share; a writer that finds the bytes shared (or borrowed) copies them first.
class YByteBuffer {
public:
    YByteBuffer() noexcept = default;
    explicit YByteBuffer(std::size_t size);
    static YByteBuffer Borrow(const void* bytes, std::size_t size) noexcept;

    YByteBuffer(const YByteBuffer& other) noexcept;
    YByteBuffer(YByteBuffer&& other) noexcept;
    YByteBuffer& operator=(YByteBuffer other) noexcept;
    ~YByteBuffer();

    const uint8_t* Data() const noexcept { return shared_ ? shared_->bytes : nullptr; }
    uint32_t Size() const noexcept { return shared_ ? shared_->size : 0; }
    uint32_t Capacity() const noexcept { return shared_ ? shared_->capacity : 0; }

    // Unshares, then grants write access to the bytes.
    uint8_t* MutableData();
    // Unshares and keeps the first min(size, newSize) bytes; new bytes are zero.
    void Resize(uint32_t newSize);
    // Unshares and makes room for capacity bytes without changing the size.
    void ReserveCapacity(uint32_t capacity);

private:
    struct Shared {
        std::atomic<int32_t> references{1};
        uint8_t* bytes = nullptr;
        uint32_t size = 0;
        uint32_t capacity = 0;
        bool notOwned = false;
    };
    void MakeUnique(uint32_t capacity);

    Shared* shared_ = nullptr;
};
