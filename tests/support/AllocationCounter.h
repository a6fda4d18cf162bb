#pragma once

#include <atomic>
#include <cstddef>

// Counts global operator new calls while a window is open, to prove that code on
// the audio thread does not allocate. With thisThreadOnly, the calls of other threads
// (a worker of the code under test) are not counted.
class AllocationWindow {
public:
    explicit AllocationWindow(bool thisThreadOnly = false);
    ~AllocationWindow();
    std::size_t Count() const;

private:
    std::size_t start_;
};
