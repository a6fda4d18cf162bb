#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

// A blocking synchronizer. Acquire answers false when it acquired and true when it
// timed out (the inverted sense is deliberate: zero means success).
class YSynchronizer {
public:
    static constexpr uint32_t kInfinite = 0xFFFFFFFF;

    virtual ~YSynchronizer() = default;
    virtual bool Acquire(uint32_t timeoutMs) = 0;
    virtual void Release() = 0;
};

// The ordinary lock: re-entrant for its owner. A timeout of 0 only tries (the audio
// thread's way of taking the parameter lock); any other timeout waits for ever.
class YLock final : public YSynchronizer {
public:
    bool Acquire(uint32_t timeoutMs) override;
    void Release() override { mutex_.unlock(); }

private:
    std::recursive_mutex mutex_;
};

// A mutex with the semantics of an unnamed kernel mutex: re-entrant for its owner,
// finite waits, and a mutex whose owner thread ended without releasing it passes,
// abandoned, to the next waiter, which counts that as acquired.
class YMutex final : public YSynchronizer {
public:
    YMutex() = default;
    ~YMutex() override;
    bool Acquire(uint32_t timeoutMs) override;
    void Release() override;

private:
    friend struct YMutexOwnerRecord;
    void Abandon(std::thread::id owner);

    std::mutex state_;
    std::condition_variable freed_;
    std::thread::id owner_;
    uint32_t depth_ = 0;
};

// A counting semaphore (initial count 0, maximum 0x7FFFFFFF). A worker loop that
// acquires one whose autoReset is false releases it again at once, so the signal
// stays set.
class YSemaphore final : public YSynchronizer {
public:
    explicit YSemaphore(bool autoReset = true) : autoReset_(autoReset) {}
    bool Acquire(uint32_t timeoutMs) override;
    void Release() override;
    bool AutoReset() const { return autoReset_; }

private:
    std::mutex state_;
    std::condition_variable signalled_;
    int32_t count_ = 0;
    bool autoReset_;
};

// Holds a synchronizer for a scope; raises "Could not acquire mutex." when the
// acquisition fails.
class YScopedLock {
public:
    explicit YScopedLock(YSynchronizer* synchronizer, uint32_t timeoutMs = YSynchronizer::kInfinite);
    explicit YScopedLock(YSynchronizer& synchronizer, uint32_t timeoutMs = YSynchronizer::kInfinite)
        : YScopedLock(&synchronizer, timeoutMs) {}
    YScopedLock(const YScopedLock&) = delete;
    YScopedLock& operator=(const YScopedLock&) = delete;
    ~YScopedLock() {
        if (synchronizer_) synchronizer_->Release();
    }

private:
    YSynchronizer* synchronizer_;
};
