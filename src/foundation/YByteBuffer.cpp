#include "foundation/YByteBuffer.h"

#include "foundation/YException.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

YByteBuffer::YByteBuffer(std::size_t size) {
    MakeUnique(static_cast<uint32_t>(size));
    shared_->size = static_cast<uint32_t>(size);
    if (size > 0) std::memset(shared_->bytes, 0, size);
}

YByteBuffer YByteBuffer::Borrow(const void* bytes, std::size_t size) noexcept {
    YByteBuffer result;
    result.shared_ = new (std::nothrow) Shared;
    if (result.shared_ == nullptr) return result;
    result.shared_->bytes = static_cast<uint8_t*>(const_cast<void*>(bytes));
    result.shared_->size = result.shared_->capacity = static_cast<uint32_t>(size);
    result.shared_->notOwned = true;
    return result;
}

YByteBuffer::YByteBuffer(const YByteBuffer& other) noexcept : shared_(other.shared_) {
    if (shared_) shared_->references.fetch_add(1, std::memory_order_relaxed);
}

YByteBuffer::YByteBuffer(YByteBuffer&& other) noexcept : shared_(std::exchange(other.shared_, nullptr)) {}

YByteBuffer& YByteBuffer::operator=(YByteBuffer other) noexcept {
    std::swap(shared_, other.shared_);
    return *this;
}

YByteBuffer::~YByteBuffer() {
    if (shared_ && shared_->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        if (!shared_->notOwned) std::free(shared_->bytes);
        delete shared_;
    }
}

void YByteBuffer::MakeUnique(uint32_t capacity) {
    if (shared_ && !shared_->notOwned && shared_->references.load(std::memory_order_acquire) == 1) {
        if (capacity > shared_->capacity) {
            void* grown = std::realloc(shared_->bytes, capacity);
            if (grown == nullptr) ThrowOutOfMemory();
            shared_->bytes = static_cast<uint8_t*>(grown);
            shared_->capacity = capacity;
        }
        return;
    }
    auto* fresh = new (std::nothrow) Shared;
    if (fresh == nullptr) ThrowOutOfMemory();
    uint32_t size = Size();
    capacity = std::max(capacity, size);
    fresh->bytes = static_cast<uint8_t*>(std::malloc(std::max<uint32_t>(capacity, 1)));
    if (fresh->bytes == nullptr) {
        delete fresh;
        ThrowOutOfMemory();
    }
    if (size > 0) std::memcpy(fresh->bytes, shared_->bytes, size);
    fresh->size = size;
    fresh->capacity = capacity;
    YByteBuffer old;
    old.shared_ = std::exchange(shared_, fresh);
}

uint8_t* YByteBuffer::MutableData() {
    MakeUnique(Capacity());
    return shared_->bytes;
}

void YByteBuffer::Resize(uint32_t newSize) {
    uint32_t oldSize = Size();
    MakeUnique(std::max(newSize, Capacity()));
    if (newSize > oldSize) std::memset(shared_->bytes + oldSize, 0, newSize - oldSize);
    shared_->size = newSize;
}

void YByteBuffer::ReserveCapacity(uint32_t capacity) { MakeUnique(std::max(capacity, Capacity())); }
