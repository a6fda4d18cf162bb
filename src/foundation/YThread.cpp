#include "foundation/YThread.h"

#include "foundation/YException.h"
#include "platform/Platform.h"

#include <chrono>
#include <system_error>

namespace {
std::atomic<bool> processDetaching{false};

// How long the process-detach path lets a stopped worker leave before it is ended.
constexpr auto kDetachGrace = std::chrono::milliseconds(1000);
}  // namespace

void SetProcessDetaching(bool detaching) noexcept { processDetaching.store(detaching); }
bool IsProcessDetaching() noexcept { return processDetaching.load(); }

YString YThread::PriorityName(Priority priority) {
    switch (priority) {
        case Priority::Idle: return "Idle";
        case Priority::Lowest: return "Lowest";
        case Priority::Low: return "Low";
        case Priority::Normal: return "Normal";
        case Priority::High: return "High";
        case Priority::Highest: return "Highest";
        case Priority::Critical: return "Critical";
    }
    return "Normal";
}

int YThread::WindowsPriority(Priority priority) {
    static constexpr int kTable[] = {-15, -2, -1, 0, 1, 2, 15};
    return kTable[static_cast<int>(priority)];
}

YThread::~YThread() {
    try {
        YScopedLock lock(startMutex_);
        if (handle_.joinable()) {
            deleteOnExit_ = false;  // the object is going away already
            Stop();
            Resume();  // a thread still suspended only has to see the stop request
            Wait(kInfinite);
        }
    } catch (...) {
        ReportGuardFailure("YThread::~YThread");
    }
    if (handle_.joinable()) handle_.detach();
    if (notifyTarget_) notifyTarget_->ReleaseReference();
}

void YThread::Create() {
    YScopedLock lock(startMutex_);
    if (handle_.joinable()) return;
    {
        std::lock_guard guard(signals_);
        resumed_ = finished_ = false;
    }
    try {
        handle_ = std::thread(&YThread::ThreadMain, this);
    } catch (const std::system_error&) {
        throw YException(TranslateText("Could not create system thread."));
    }
}

void YThread::Resume() {
    std::lock_guard guard(signals_);
    resumed_ = true;
    signalled_.notify_all();
}

void YThread::Start(Priority priority) {
    {
        YScopedLock lock(startMutex_);
        {
            YScopedLock state(stateLock_);
            stopRequested_ = false;
        }
        // The priority is set while the thread is still suspended.
        SetPriority(priority);
    }
    // Resuming is the last touch: a thread that deletes itself on exit may be gone
    // as soon as it runs.
    Resume();
}

void YThread::SetPriority(Priority priority) {
    Create();
    if (!Platform::SetThreadPriority(handle_, WindowsPriority(priority)))
        throw YException(TranslateText("Could not set thread priority."));
}

void YThread::Stop() {
    {
        YScopedLock state(stateLock_);
        stopRequested_ = true;
    }
    wake_.Release();
}

bool YThread::StopRequested() {
    YScopedLock state(stateLock_);
    return stopRequested_;
}

bool YThread::IsRunning() {
    std::lock_guard guard(signals_);
    return handle_.joinable() && !finished_;
}

void YThread::Join() {
    handle_.join();
    exitCode_ = kNotRun;
    YScopedLock state(stateLock_);
    stopRequested_ = false;
}

bool YThread::Wait(uint32_t timeoutMs) {
    if (!handle_.joinable()) return true;
    if (IsProcessDetaching()) {
        // Terminating a thread is not something the C++ library offers: ask the worker
        // to stop, give it a moment to leave, and end it the platform's way otherwise.
        bool terminated;
        {
            YScopedLock lock(startMutex_);
            Stop();
            Resume();
            std::unique_lock guard(signals_);
            terminated = !signalled_.wait_for(guard, kDetachGrace, [this] { return finished_; });
            guard.unlock();
            if (terminated) {
                Platform::TerminateThread(handle_);
                handle_.detach();
                exitCode_ = kNotRun;
            } else {
                Join();
            }
            YScopedLock state(stateLock_);
            stopRequested_ = false;
        }
        // A worker that ended normally has already deleted itself.
        if (terminated && deleteOnExit_) delete this;
        return true;
    }
    std::unique_lock guard(signals_);
    auto isFinished = [this] { return finished_; };
    if (timeoutMs == kInfinite)
        signalled_.wait(guard, isFinished);
    else if (!signalled_.wait_for(guard, std::chrono::milliseconds(timeoutMs), isFinished))
        return false;
    guard.unlock();
    Join();
    return true;
}

void YThread::SetNotifyTarget(YEventTarget* target) {
    if (target) target->AddReference();
    if (notifyTarget_) notifyTarget_->ReleaseReference();
    notifyTarget_ = target;
}

void YThread::WaitUntilResumed() {
    std::unique_lock guard(signals_);
    signalled_.wait(guard, [this] { return resumed_; });
}

void YThread::ThreadMain(YThread* thread) {
    thread->WaitUntilResumed();
    bool deleted = false;
    int32_t code = ThreadProc(thread, deleted);
    if (deleted) return;
    thread->systemExitCode_ = code;
    {
        std::lock_guard guard(thread->signals_);
        thread->finished_ = true;
    }
    thread->signalled_.notify_all();
}

int32_t YThread::ThreadProc(YThread* thread, bool& deleted) {
    try {
        if (thread->StopRequested()) return 0;
        int32_t code;
        try {
            code = thread->Run();
            thread->exitCode_ = code;
        } catch (const YException&) {
            code = -1;
        }
        thread->OnFinished();
        if (YEventTarget* target = thread->notifyTarget_) {
            thread->notifyTarget_ = nullptr;
            YOnThreadNotifyParams params{thread, code};
            target->HandleEvent(YEvent{kCompletionEvent, &params});
            target->ReleaseReference();
        }
        if (thread->deleteOnExit_) {
            thread->handle_.detach();
            deleted = true;
            delete thread;
        }
        return code;
    } catch (const YException&) {
        return -1;
    } catch (...) {
        ReportGuardFailure("YThreadProc");
        return -1;
    }
}

int32_t YWorkerThread::Run() {
    for (;;) {
        if (StopRequested()) return 0;
        Pass();
        if (!wake_.Acquire(periodMs_) && !wake_.AutoReset()) wake_.Release();
        if (StopRequested()) return 0;
    }
}
