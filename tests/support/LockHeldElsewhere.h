#pragma once

#include "foundation/YSynchronizer.h"

#include <future>
#include <thread>

// Holds a lock on another thread for as long as it lives, as a thread that prepares
// or loads the plug-in does.
class LockHeldElsewhere {
public:
    explicit LockHeldElsewhere(YSynchronizer& lock)
        : holder_([this, &lock] {
              YScopedLock hold(lock);
              holding_.set_value();
              release_.get_future().wait();
          }) {
        holding_.get_future().wait();
    }
    ~LockHeldElsewhere() {
        release_.set_value();
        holder_.join();
    }
    LockHeldElsewhere(const LockHeldElsewhere&) = delete;
    LockHeldElsewhere& operator=(const LockHeldElsewhere&) = delete;

private:
    std::promise<void> holding_, release_;
    std::thread holder_;
};
