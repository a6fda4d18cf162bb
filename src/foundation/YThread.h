#pragma once

#include "foundation/YObject.h"
#include "foundation/YString.h"
#include "foundation/YSynchronizer.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

class YThread;

// What a thread's completion event carries.
struct YOnThreadNotifyParams {
    YThread* thread;
    int32_t exitCode;
};

// The module entry sets this when the process unloads the library; waiting for a
// thread then ends it instead of joining it.
void SetProcessDetaching(bool detaching) noexcept;
bool IsProcessDetaching() noexcept;

// A worker thread object. The system thread is created suspended and runs Run once
// resumed; Stop only asks (Run polls StopRequested), Wait joins.
class YThread : public YObject {
public:
    enum class Priority : int32_t { Idle, Lowest, Low, Normal, High, Highest, Critical };
    static YString PriorityName(Priority priority);
    static int WindowsPriority(Priority priority);

    static constexpr int32_t kNotRun = -2;
    static constexpr uint32_t kInfinite = YSynchronizer::kInfinite;
    static constexpr int32_t kCompletionEvent = 1;

    YThread() = default;
    ~YThread() override;

    // Creates the system thread suspended when there is none yet. Raises "Could not
    // create system thread.".
    void Create();
    void Resume();
    // The owner's start sequence: under the start mutex clear the stop request,
    // create suspended and set the priority (raises "Could not set thread
    // priority."); then resume.
    void Start(Priority priority = Priority::Normal);
    // Creates the thread (suspended) when needed and sets its priority.
    void SetPriority(Priority priority);
    // Asks Run to return and wakes a worker sleeping in its period.
    void Stop();
    // True when the thread has ended (or never started); false on a time-out.
    bool Wait(uint32_t timeoutMs = kInfinite);

    bool StopRequested();
    bool IsRunning();
    // -2 before the first run and after a join; else what Run returned.
    int32_t ExitCode() const { return exitCode_.load(); }
    // What the thread routine returned last time, kept across joins (the system exit code).
    int32_t SystemExitCode() const { return systemExitCode_.load(); }

    void SetDeleteOnExit(bool deleteOnExit) { deleteOnExit_ = deleteOnExit; }
    // The target receives the completion event; the thread holds a reference on it
    // until the event has been fired.
    void SetNotifyTarget(YEventTarget* target);

protected:
    virtual int32_t Run() { return 0; }
    virtual void OnFinished() {}

    YSemaphore wake_;

private:
    static void ThreadMain(YThread* thread);
    // The thread routine; sets deleted when the object deleted itself.
    static int32_t ThreadProc(YThread* thread, bool& deleted);
    void WaitUntilResumed();
    void Join();

    std::thread handle_;
    std::atomic<int32_t> exitCode_{kNotRun};
    std::atomic<int32_t> systemExitCode_{kNotRun};
    bool deleteOnExit_ = false;
    bool stopRequested_ = false;
    YLock stateLock_;
    YMutex startMutex_;
    YEventTarget* notifyTarget_ = nullptr;

    // The suspension gate and the end-of-routine signal of the system thread.
    std::mutex signals_;
    std::condition_variable signalled_;
    bool resumed_ = false;
    bool finished_ = false;
};

// The loop the framework's long-running workers share: until stopped, do one pass of
// work, then sleep on the wake semaphore for the period.
class YWorkerThread : public YThread {
public:
    explicit YWorkerThread(uint32_t periodMs) : periodMs_(periodMs) {}

protected:
    int32_t Run() override;
    virtual void Pass() = 0;

private:
    uint32_t periodMs_;
};
