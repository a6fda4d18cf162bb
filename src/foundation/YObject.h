#pragma once

#include <atomic>
#include <cstdint>

// Root of the framework's polymorphic objects.
class YObject {
public:
    YObject() = default;
    YObject(const YObject&) = delete;
    YObject& operator=(const YObject&) = delete;
    virtual ~YObject() = default;
};

struct YEvent {
    int32_t type = 0;
    void* params = nullptr;
};

// Receives events fired at it. Kept alive by reference counting while somebody is
// due to fire at it (a thread's completion event, for one); the creator holds the
// first reference.
class YEventTarget : public YObject {
public:
    void AddReference() noexcept { references_.fetch_add(1, std::memory_order_relaxed); }
    void ReleaseReference() noexcept {
        if (references_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
    }
    virtual void HandleEvent(const YEvent& event) { (void)event; }

private:
    std::atomic<int32_t> references_{1};
};
