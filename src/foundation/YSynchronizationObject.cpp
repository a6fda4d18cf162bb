#include "foundation/YSynchronizationObject.h"

#include "foundation/YException.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {

uint64_t NowMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

int YSynchronizationObject::Acquire(YSynchronizationObject& object, uint32_t mode, int32_t timeoutMs) {
    const uint32_t lockMode = mode & kModeMask;
    {
        YScopedLock lock(object.guard_);
        object.BeginAcquire(lockMode);
    }
    const uint64_t start = NowMs();
    for (;;) {
        {
            YScopedLock lock(object.guard_);
            if (object.CanAcquire(lockMode)) {
                object.OnAcquired(lockMode);
                object.EndAcquire(true, lockMode);
                return 0;
            }
        }
        std::this_thread::yield();
        if (timeoutMs != kInfinite && NowMs() - start >= static_cast<uint64_t>(timeoutMs)) break;
    }
    YScopedLock lock(object.guard_);
    object.EndAcquire(false, lockMode);
    return 1;
}

void YSynchronizationObject::Release(YSynchronizationObject& object, uint32_t mode) {
    bool nowFree;
    {
        YScopedLock lock(object.guard_);
        nowFree = object.OnRelease(mode & kModeMask);
    }
    if (nowFree && (mode & kNoYield) == 0) std::this_thread::yield();
}

uint32_t& YERWLock::ThreadWord() { return threadWords_[std::this_thread::get_id()]; }

void YERWLock::BeginAcquire(uint32_t mode) {
    if (mode != kWrite) return;
    ++waitingWriters_;
    readsOfWaitingWriters_ += static_cast<int32_t>(ThreadWord() & 0xFFFF);
}

bool YERWLock::CanAcquire(uint32_t mode) {
    uint32_t word = ThreadWord();
    uint32_t reads = word & 0xFFFF, writes = word >> 16;
    if (writes > 0) return true;
    if (mode == kWrite) return writers_ < 1 && readers_ == readsOfWaitingWriters_;
    return reads > 0 || (writers_ == 0 && waitingWriters_ == 0);
}

void YERWLock::OnAcquired(uint32_t mode) {
    uint32_t& word = ThreadWord();
    if (mode == kWrite) {
        ++writers_;
        word += 1u << 16;
    } else {
        ++readers_;
        word += 1;
    }
}

void YERWLock::EndAcquire(bool, uint32_t mode) {
    if (mode != kWrite) return;
    --waitingWriters_;
    readsOfWaitingWriters_ -= static_cast<int32_t>(ThreadWord() & 0xFFFF);
}

bool YERWLock::OnRelease(uint32_t mode) {
    auto slot = threadWords_.find(std::this_thread::get_id());
    if (slot == threadWords_.end()) return false;
    if (mode == kWrite) {
        --writers_;
        slot->second -= 1u << 16;
    } else {
        --readers_;
        slot->second -= 1;
    }
    if (slot->second == 0) threadWords_.erase(slot);
    return readers_ == 0 && writers_ == 0;
}

YScopedEmulatedLock::YScopedEmulatedLock(YSynchronizationObject* object, uint32_t mode, int32_t timeoutMs)
    : object_(object), mode_(mode) {
    if (object_ && YSynchronizationObject::Acquire(*object_, mode, timeoutMs) != 0) {
        object_ = nullptr;
        throw YException(TranslateText("Could not acquire emulated synchronization object."));
    }
}
