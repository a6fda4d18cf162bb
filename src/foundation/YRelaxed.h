#pragma once

#include <atomic>

// A value that one thread writes while another reads it, with no ordering beyond
// the value itself: a plain load or store on x86-64, but defined behaviour for the
// language and the thread sanitizer. Copying copies the current value.
template <typename T>
class YRelaxed {
    static_assert(std::atomic<T>::is_always_lock_free);

public:
    constexpr YRelaxed(T value = T()) noexcept : value_(value) {}
    YRelaxed(const YRelaxed& other) noexcept : value_(other.Load()) {}
    YRelaxed& operator=(const YRelaxed& other) noexcept {
        Store(other.Load());
        return *this;
    }
    YRelaxed& operator=(T value) noexcept {
        Store(value);
        return *this;
    }

    T Load() const noexcept { return value_.load(std::memory_order_relaxed); }
    void Store(T value) noexcept { value_.store(value, std::memory_order_relaxed); }
    operator T() const noexcept { return Load(); }

private:
    std::atomic<T> value_;
};
