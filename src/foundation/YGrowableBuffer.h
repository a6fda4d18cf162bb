#pragma once

#include "foundation/YException.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>

// A scratch buffer that grows to the next power of two of the largest request and
// is then reused, so steady-state processing never allocates. Growing keeps the
// old contents; the new part is zeroed. Only for trivially copyable elements.
template <typename T>
class YGrowableBuffer {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    YGrowableBuffer() = default;
    YGrowableBuffer(const YGrowableBuffer&) = delete;
    YGrowableBuffer& operator=(const YGrowableBuffer&) = delete;
    YGrowableBuffer(YGrowableBuffer&& other) noexcept : data_(other.data_), capacity_(other.capacity_) {
        other.data_ = nullptr;
        other.capacity_ = 0;
    }
    ~YGrowableBuffer() { std::free(data_); }

    // Makes room for count elements; answers the (stable until the next growth) data.
    T* Ensure(uint32_t count) {
        if (count > capacity_) {
            uint32_t capacity = 1;
            while (capacity < count) capacity <<= 1;
            void* grown = std::realloc(data_, static_cast<std::size_t>(capacity) * sizeof(T));
            if (grown == nullptr) ThrowOutOfMemory();
            data_ = static_cast<T*>(grown);
            std::memset(data_ + capacity_, 0, static_cast<std::size_t>(capacity - capacity_) * sizeof(T));
            capacity_ = capacity;
        }
        return data_;
    }

    T* Data() noexcept { return data_; }
    const T* Data() const noexcept { return data_; }
    uint32_t Capacity() const noexcept { return capacity_; }
    T& operator[](uint32_t index) noexcept { return data_[index]; }
    const T& operator[](uint32_t index) const noexcept { return data_[index]; }

private:
    T* data_ = nullptr;
    uint32_t capacity_ = 0;
};
