#include "AllocationCounter.h"

#include <cstdlib>
#include <new>

namespace {
std::atomic<std::size_t> allocations{0};
std::atomic<bool> counting{false};
std::atomic<bool> threadOnly{false};
thread_local bool windowThread = false;

void* Allocate(std::size_t size) {
    if (counting.load(std::memory_order_relaxed) && (windowThread || !threadOnly.load(std::memory_order_relaxed)))
        allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(size ? size : 1)) return memory;
    throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

AllocationWindow::AllocationWindow(bool thisThreadOnly) : start_(allocations.load()) {
    windowThread = true;
    threadOnly = thisThreadOnly;
    counting = true;
}
AllocationWindow::~AllocationWindow() {
    counting = false;
    threadOnly = false;
    windowThread = false;
}
std::size_t AllocationWindow::Count() const { return allocations.load() - start_; }
