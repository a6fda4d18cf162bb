#pragma once

#include "foundation/YSynchronizer.h"

#include <cstddef>
#include <vector>

// A queue of events for the host (or from it) filled on any thread and emptied on the
// audio thread, each time under its own lock. Its arrays grow to the next power of two
// of the largest count seen and keep their storage, so a steady flow allocates
// nothing. The lock is taken with an unlimited wait; a failure raises "Could not
// acquire mutex.".
template <typename Event>
class YPendingEventsT {
public:
    YPendingEventsT() { Reserve(16); }

    void Add(const Event& event) {
        YScopedLock lock(lock_);
        if (pending_.size() == pending_.capacity()) pending_.reserve(NextPowerOfTwo(pending_.size() + 1));
        pending_.push_back(event);
    }

    // Hands the queued events to the caller and leaves the queue empty: the caller's
    // array (emptied first, storage kept) and the queue's are exchanged under the lock.
    void TakeAll(std::vector<Event>& taken) {
        taken.clear();
        YScopedLock lock(lock_);
        pending_.swap(taken);
    }

    // Calls deliver for every queued event in order while holding the lock, then
    // empties the queue.
    template <typename Deliver>
    void Drain(Deliver&& deliver) {
        YScopedLock lock(lock_);
        for (const Event& event : pending_) deliver(event);
        pending_.clear();
    }

    void Reserve(std::size_t count) {
        YScopedLock lock(lock_);
        if (pending_.capacity() < count) pending_.reserve(NextPowerOfTwo(count));
    }

    static std::size_t NextPowerOfTwo(std::size_t count) {
        std::size_t size = 1;
        while (size < count) size <<= 1;
        return size;
    }

private:
    YLock lock_;
    std::vector<Event> pending_;
};
