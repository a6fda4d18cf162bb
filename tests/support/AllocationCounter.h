#pragma once

#include <atomic>
#include <cstddef>

// Counts global operator new calls while a window is open, to prove that code on
// the audio thread does not allocate.
class AllocationWindow {
public:
    AllocationWindow();
    ~AllocationWindow();
    std::size_t Count() const;

private:
    std::size_t start_;
};
