#include "foundation/YSynchronizer.h"

#include "foundation/YException.h"

#include <pthread.h>

#include <chrono>
#include <mutex>
#include <vector>

bool YLock::Acquire(uint32_t timeoutMs) {
    if (timeoutMs == 0) return !mutex_.try_lock();
    mutex_.lock();
    return false;
}

// Every thread that owns a YMutex keeps a record of it; when the thread ends, the
// record's destructor abandons whatever the thread still holds. The record hangs on
// a pthread key rather than a C++ thread_local object: mingw-w64 runs thread_local
// destructors after it has freed their storage.
struct YMutexOwnerRecord {
    std::vector<YMutex*> owned;

    // The key lives as long as the library: a host thread that used the plug-in may
    // end after the library was unloaded, and must not then run ThreadEnded, whose
    // code has gone with it. Deleting the key at unload stops that, and the records
    // of threads still alive then are freed with it.
    struct Key {
        pthread_key_t key;
        std::mutex recordsLock;
        std::vector<YMutexOwnerRecord*> records;

        Key() { pthread_key_create(&key, &ThreadEnded); }
        ~Key() {
            pthread_key_delete(key);
            std::lock_guard lock(recordsLock);
            for (YMutexOwnerRecord* record : records) delete record;
            records.clear();
        }
    };

    static Key& Owners() {
        static Key owners;
        return owners;
    }

    static void ThreadEnded(void* record) {
        auto* self = static_cast<YMutexOwnerRecord*>(record);
        Key& owners = Owners();
        {
            // A record the key has already freed (the library going while this
            // thread ends) is not touched again.
            std::lock_guard lock(owners.recordsLock);
            if (std::erase(owners.records, self) == 0) return;
        }
        std::thread::id id = std::this_thread::get_id();
        for (YMutex* mutex : self->owned) mutex->Abandon(id);
        delete self;
    }

    static YMutexOwnerRecord& OfThisThread() {
        Key& owners = Owners();
        auto* record = static_cast<YMutexOwnerRecord*>(pthread_getspecific(owners.key));
        if (record == nullptr) {
            record = new YMutexOwnerRecord;
            {
                std::lock_guard lock(owners.recordsLock);
                owners.records.push_back(record);
            }
            pthread_setspecific(owners.key, record);
        }
        return *record;
    }

    void Forget(YMutex* mutex) { std::erase(owned, mutex); }
};

YMutex::~YMutex() {
    if (depth_ > 0 && owner_ == std::this_thread::get_id()) YMutexOwnerRecord::OfThisThread().Forget(this);
}

bool YMutex::Acquire(uint32_t timeoutMs) {
    std::thread::id self = std::this_thread::get_id();
    std::unique_lock lock(state_);
    if (depth_ > 0 && owner_ == self) {
        ++depth_;
        return false;
    }
    auto isFree = [this] { return depth_ == 0; };
    if (timeoutMs == kInfinite)
        freed_.wait(lock, isFree);
    else if (!freed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), isFree))
        return true;
    owner_ = self;
    depth_ = 1;
    YMutexOwnerRecord::OfThisThread().owned.push_back(this);
    return false;
}

void YMutex::Release() {
    std::unique_lock lock(state_);
    if (depth_ == 0 || owner_ != std::this_thread::get_id()) return;
    if (--depth_ > 0) return;
    owner_ = std::thread::id();
    YMutexOwnerRecord::OfThisThread().Forget(this);
    freed_.notify_one();
}

void YMutex::Abandon(std::thread::id owner) {
    std::unique_lock lock(state_);
    if (depth_ == 0 || owner_ != owner) return;
    depth_ = 0;
    owner_ = std::thread::id();
    freed_.notify_one();
}

bool YSemaphore::Acquire(uint32_t timeoutMs) {
    std::unique_lock lock(state_);
    auto isSignalled = [this] { return count_ > 0; };
    if (timeoutMs == kInfinite)
        signalled_.wait(lock, isSignalled);
    else if (!signalled_.wait_for(lock, std::chrono::milliseconds(timeoutMs), isSignalled))
        return true;
    --count_;
    return false;
}

void YSemaphore::Release() {
    std::lock_guard lock(state_);
    if (count_ == 0x7FFFFFFF) return;
    ++count_;
    signalled_.notify_one();
}

YScopedLock::YScopedLock(YSynchronizer* synchronizer, uint32_t timeoutMs) : synchronizer_(synchronizer) {
    if (synchronizer_ && synchronizer_->Acquire(timeoutMs)) {
        synchronizer_ = nullptr;
        throw YException(YString("Could not acquire mutex."));
    }
}
