#pragma once

#include "foundation/YObject.h"
#include "foundation/YSynchronizer.h"

#include <cstdint>
#include <thread>
#include <unordered_map>

// An emulated lock that never blocks in the kernel: waiting threads spin, yielding
// their time slice, until the subclass's CanAcquire lets them in. The hooks run
// under an internal YLock.
class YSynchronizationObject : public YObject {
public:
    // Bit 30 of a mode: do not yield the processor after a release that freed the object.
    static constexpr uint32_t kNoYield = 1u << 30;
    static constexpr uint32_t kModeMask = (1u << 28) - 1;
    static constexpr int32_t kInfinite = -1;

    // 0 on success, 1 on time-out.
    static int Acquire(YSynchronizationObject& object, uint32_t mode, int32_t timeoutMs);
    static void Release(YSynchronizationObject& object, uint32_t mode);

protected:
    virtual void BeginAcquire(uint32_t mode) { (void)mode; }
    virtual bool CanAcquire(uint32_t mode) = 0;
    virtual void OnAcquired(uint32_t mode) { (void)mode; }
    virtual void EndAcquire(bool succeeded, uint32_t mode) { (void)succeeded, (void)mode; }
    // True when the object has become entirely free.
    virtual bool OnRelease(uint32_t mode) {
        (void)mode;
        return false;
    }

private:
    YLock guard_;
};

// Re-entrant reader/writer lock with writer preference. Mode 0 reads, mode 1 writes.
// A waiting writer blocks new readers; a thread that holds read locks may take the
// write lock once every other reader has left.
class YERWLock final : public YSynchronizationObject {
public:
    static constexpr uint32_t kRead = 0;
    static constexpr uint32_t kWrite = 1;

protected:
    void BeginAcquire(uint32_t mode) override;
    bool CanAcquire(uint32_t mode) override;
    void OnAcquired(uint32_t mode) override;
    void EndAcquire(bool succeeded, uint32_t mode) override;
    bool OnRelease(uint32_t mode) override;

private:
    // The calling thread's word: low 16 bits its read count, high 16 bits its writes.
    // The words live in the lock, looked up by thread, always under the internal lock
    // (a thread_local slot per lock would need thread-exit clean-up, which mingw-w64's
    // thread_local destructors cannot be trusted with).
    uint32_t& ThreadWord();

    std::unordered_map<std::thread::id, uint32_t> threadWords_;
    int32_t readers_ = 0;
    int32_t writers_ = 0;
    int32_t waitingWriters_ = 0;
    int32_t readsOfWaitingWriters_ = 0;
};

// Holds an emulated lock for a scope; a null object makes it do nothing. Raises
// "Could not acquire emulated synchronization object." on a time-out.
class YScopedEmulatedLock {
public:
    YScopedEmulatedLock(YSynchronizationObject* object, uint32_t mode,
                        int32_t timeoutMs = YSynchronizationObject::kInfinite);
    YScopedEmulatedLock(const YScopedEmulatedLock&) = delete;
    YScopedEmulatedLock& operator=(const YScopedEmulatedLock&) = delete;
    ~YScopedEmulatedLock() {
        if (object_) YSynchronizationObject::Release(*object_, mode_);
    }

private:
    YSynchronizationObject* object_;
    uint32_t mode_;
};
