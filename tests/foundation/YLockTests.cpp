#include "foundation/YException.h"
#include "foundation/YSynchronizationObject.h"
#include "foundation/YSynchronizer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Runs f on another thread and gives its result.
template <typename F>
auto OnOtherThread(F f) {
    return std::async(std::launch::async, f).get();
}

// Runs body on another thread and gives the message of the YException it raised.
template <typename F>
std::string RaisedOnOtherThread(F body) {
    return OnOtherThread([&]() -> std::string {
        try {
            body();
            return "nothing raised";
        } catch (const YException& e) {
            return e.Message().ToUtf8();
        }
    });
}

TEST(YLock, TryAcquireFailsWhileAnotherThreadOwnsIt) {
    YLock lock;
    ASSERT_FALSE(lock.Acquire(YSynchronizer::kInfinite));
    EXPECT_FALSE(lock.Acquire(0));  // re-entrant for the owner
    EXPECT_TRUE(OnOtherThread([&] { return lock.Acquire(0); }));
    lock.Release();
    lock.Release();
    EXPECT_FALSE(OnOtherThread([&] {
        bool failed = lock.Acquire(0);
        if (!failed) lock.Release();
        return failed;
    }));
}

TEST(YLock, AnyOtherTimeoutWaitsForEver) {
    YLock lock;
    lock.Acquire(YSynchronizer::kInfinite);
    std::atomic<bool> acquired{false};
    std::thread waiter([&] {
        lock.Acquire(5);  // 5 ms is not a finite wait for a YLock
        acquired = true;
        lock.Release();
    });
    std::this_thread::sleep_for(60ms);
    EXPECT_FALSE(acquired);
    lock.Release();
    waiter.join();
    EXPECT_TRUE(acquired);
}

TEST(YScopedLock, RaisesWhenTheLockIsBusy) {
    YLock lock;
    YScopedLock held(lock);
    EXPECT_EQ(RaisedOnOtherThread([&] { YScopedLock attempt(lock, 0); }), "Could not acquire mutex.");
}

TEST(YMutex, AbandonedMutexPassesToTheNextWaiter) {
    YMutex mutex;
    std::thread owner([&] { EXPECT_FALSE(mutex.Acquire(YSynchronizer::kInfinite)); });  // ends holding it
    owner.join();
    EXPECT_FALSE(mutex.Acquire(2000));
    EXPECT_FALSE(mutex.Acquire(0));  // re-entrant
    mutex.Release();
    mutex.Release();
}

TEST(YMutex, FiniteWaitTimesOut) {
    YMutex mutex;
    std::promise<void> holding, done;
    std::thread owner([&] {
        mutex.Acquire(YSynchronizer::kInfinite);
        holding.set_value();
        done.get_future().wait();
        mutex.Release();
    });
    holding.get_future().wait();
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(mutex.Acquire(30));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 25ms);
    done.set_value();
    owner.join();
    EXPECT_FALSE(mutex.Acquire(1000));
    mutex.Release();
}

TEST(YSemaphore, CountsSignals) {
    YSemaphore semaphore;
    EXPECT_TRUE(semaphore.Acquire(0));
    semaphore.Release();
    semaphore.Release();
    EXPECT_FALSE(semaphore.Acquire(0));
    EXPECT_FALSE(semaphore.Acquire(10));
    EXPECT_TRUE(semaphore.Acquire(10));
    std::thread signaller([&] {
        std::this_thread::sleep_for(20ms);
        semaphore.Release();
    });
    EXPECT_FALSE(semaphore.Acquire(YSynchronizer::kInfinite));
    signaller.join();
}

class YERWLockTest : public ::testing::Test {
protected:
    static constexpr uint32_t R = YERWLock::kRead, W = YERWLock::kWrite;
    int Take(uint32_t mode, int32_t timeout) { return YSynchronizationObject::Acquire(lock, mode, timeout); }
    void Give(uint32_t mode) { YSynchronizationObject::Release(lock, mode); }
    // Whether a thread holding nothing gets a read lock at once.
    bool FreshReaderWaits() {
        return OnOtherThread([&] {
            if (Take(R, 0) != 0) return true;
            Give(R);
            return false;
        });
    }
    // Waits until a writer on another thread is queued.
    void AwaitWaitingWriter() {
        for (int i = 0; i < 2000 && !FreshReaderWaits(); ++i) std::this_thread::sleep_for(1ms);
        ASSERT_TRUE(FreshReaderWaits());
    }

    YERWLock lock;
};

TEST_F(YERWLockTest, WaitingWriterBlocksNewReadersButNotNestedOnes) {
    ASSERT_EQ(Take(R, YSynchronizationObject::kInfinite), 0);
    std::atomic<bool> written{false};
    std::thread writer([&] {
        EXPECT_EQ(Take(W, YSynchronizationObject::kInfinite), 0);
        written = true;
        Give(W);
    });
    AwaitWaitingWriter();
    EXPECT_EQ(Take(R, 0), 0);  // a nested read of a thread that already reads
    EXPECT_TRUE(FreshReaderWaits());
    EXPECT_FALSE(written);
    Give(R);
    Give(R);
    writer.join();
    EXPECT_TRUE(written);
    EXPECT_FALSE(FreshReaderWaits());
}

TEST_F(YERWLockTest, ReaderUpgradesOnceOtherReadersLeave) {
    for (int i = 0; i < 3; ++i) ASSERT_EQ(Take(R, 0), 0);
    std::promise<void> otherHolds, otherMayLeave;
    std::thread other([&] {
        EXPECT_EQ(Take(R, 0), 0);
        otherHolds.set_value();
        otherMayLeave.get_future().wait();
        Give(R);
    });
    otherHolds.get_future().wait();
    EXPECT_EQ(Take(W, 30), 1);  // the other reader is still there
    otherMayLeave.set_value();
    other.join();
    EXPECT_EQ(Take(W, 2000), 0);
    EXPECT_EQ(Take(W, 0), 0);  // re-entry inside a held write lock
    EXPECT_EQ(Take(R, 0), 0);  // and a read inside it
    Give(R);
    Give(W);
    Give(W);
    for (int i = 0; i < 3; ++i) Give(R);
    EXPECT_FALSE(FreshReaderWaits());
}

TEST_F(YERWLockTest, ScopedEmulatedLockRaisesOnTimeout) {
    YScopedEmulatedLock none(nullptr, W);  // a null object does nothing
    YScopedEmulatedLock writing(&lock, W);
    EXPECT_EQ(RaisedOnOtherThread([&] { YScopedEmulatedLock reading(&lock, R, 20); }),
              "Could not acquire emulated synchronization object.");
}

}  // namespace
