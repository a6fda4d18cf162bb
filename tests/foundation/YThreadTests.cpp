#include "foundation/YException.h"
#include "foundation/YThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace {

using namespace std::chrono_literals;

std::mutex reportsMutex;
std::vector<std::string> reports;

void CollectReport(const YString& text) {
    std::lock_guard lock(reportsMutex);
    reports.push_back(text.ToUtf8());
}

class SystemReports : public ::testing::Test {
protected:
    void SetUp() override {
        reports.clear();
        previous_ = SetSystemExceptionSink(&CollectReport);
    }
    void TearDown() override { SetSystemExceptionSink(previous_); }
    static std::vector<std::string> Reports() {
        std::lock_guard lock(reportsMutex);
        return reports;
    }

private:
    YSystemExceptionSink previous_ = nullptr;
};

enum class Outcome { Return, RaiseYException, RaiseOther };

class ProbeThread : public YThread {
public:
    ProbeThread(Outcome outcome, int32_t code, std::atomic<int>* destroyed = nullptr)
        : outcome_(outcome), code_(code), destroyed_(destroyed) {}
    ~ProbeThread() override { if (destroyed_) ++*destroyed_; }
    std::atomic<bool> ran{false}, finished{false};

protected:
    int32_t Run() override {
        ran = true;
        if (outcome_ == Outcome::RaiseYException) throw YException(YString("boom"));
        if (outcome_ == Outcome::RaiseOther) throw std::runtime_error("boom");
        return code_;
    }
    void OnFinished() override { finished = true; }

private:
    Outcome outcome_;
    int32_t code_;
    std::atomic<int>* destroyed_;
};

class CompletionTarget : public YEventTarget {
public:
    void HandleEvent(const YEvent& event) override {
        if (event.type != YThread::kCompletionEvent) return;
        exitCode = static_cast<const YOnThreadNotifyParams*>(event.params)->exitCode;
        ++events;
    }
    std::atomic<int> events{0};
    std::atomic<int32_t> exitCode{0};
};

void AwaitEnd(YThread& thread) {
    for (int i = 0; i < 5000 && thread.IsRunning(); ++i) std::this_thread::sleep_for(1ms);
}

TEST_F(SystemReports, GuardSwallowsYExceptionsAndReportsOthers) {
    YGuarded("Quiet::Operation", [] { throw YException(YString("expected")); });
    EXPECT_TRUE(Reports().empty());
    int answer = YGuarded("Loud::Operation", 5, []() -> int { throw std::logic_error("bug"); });
    EXPECT_EQ(answer, 5);
    EXPECT_EQ(Reports(), std::vector<std::string>{"SYSTEM EXCEPTION! Loud::Operation"});
}

TEST(YThread, ExitCodeOfRunUntilJoined) {
    ProbeThread thread(Outcome::Return, 7);
    EXPECT_EQ(thread.ExitCode(), YThread::kNotRun);
    thread.Start();
    AwaitEnd(thread);
    EXPECT_EQ(thread.ExitCode(), 7);
    EXPECT_TRUE(thread.Wait());
    EXPECT_EQ(thread.ExitCode(), YThread::kNotRun);  // a join resets it
    EXPECT_EQ(thread.SystemExitCode(), 7);
    EXPECT_TRUE(thread.finished);
    EXPECT_TRUE(thread.Wait());  // nothing left to join
}

TEST(YThread, StopBeforeTheSystemThreadBeginsSkipsRun) {
    ProbeThread never(Outcome::Return, 1);
    EXPECT_TRUE(never.Wait(0));  // never started: at once
    ProbeThread thread(Outcome::Return, 9), resumed(Outcome::Return, 4);
    thread.SetPriority(YThread::Priority::Low);  // creates it suspended
    resumed.SetPriority(YThread::Priority::Idle);
    std::this_thread::sleep_for(30ms);  // time enough to run, were it not suspended
    thread.Stop();
    thread.Resume();
    resumed.Resume();
    EXPECT_TRUE(thread.Wait());
    EXPECT_FALSE(thread.ran);
    EXPECT_FALSE(thread.finished);
    EXPECT_EQ(thread.SystemExitCode(), 0);
    EXPECT_TRUE(resumed.Wait());  // resumed without a stop, it runs
    EXPECT_TRUE(resumed.ran);
    EXPECT_EQ(resumed.SystemExitCode(), 4);
    EXPECT_FALSE(never.ran);
}

TEST_F(SystemReports, YExceptionInRunStillFinishesNotifiesAndDeletes) {
    std::atomic<int> destroyed{0};
    auto* target = new CompletionTarget;
    auto* thread = new ProbeThread(Outcome::RaiseYException, 3, &destroyed);
    thread->SetNotifyTarget(target);
    thread->SetDeleteOnExit(true);
    thread->Start();
    for (int i = 0; i < 5000 && destroyed == 0; ++i) std::this_thread::sleep_for(1ms);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(target->events, 1);
    EXPECT_EQ(target->exitCode, -1);
    EXPECT_TRUE(Reports().empty());
    target->ReleaseReference();
}

TEST_F(SystemReports, OtherExceptionInRunEndsTheThreadAtOnce) {
    ProbeThread thread(Outcome::RaiseOther, 3);
    thread.Start();
    EXPECT_TRUE(thread.Wait());
    EXPECT_TRUE(thread.ran);
    EXPECT_FALSE(thread.finished);  // OnFinished is skipped
    EXPECT_EQ(thread.SystemExitCode(), -1);
    EXPECT_EQ(Reports(), std::vector<std::string>{"SYSTEM EXCEPTION! YThreadProc"});
}

// A worker with a 10 s period, started and past its first pass.
class CountingWorker : public YWorkerThread {
public:
    explicit CountingWorker(YThread::Priority priority = YThread::Priority::Normal) : YWorkerThread(10000) {
        Start(priority);
        for (int i = 0; i < 5000 && passes == 0; ++i) std::this_thread::sleep_for(1ms);
    }
    std::atomic<int> passes{0};

protected:
    void Pass() override { ++passes; }
};

TEST(YWorkerThread, StopWakesTheSleepingWorker) {
    CountingWorker worker(YThread::Priority::Idle);
    auto start = std::chrono::steady_clock::now();
    worker.Stop();
    EXPECT_TRUE(worker.Wait());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);  // not the 10 s period
    EXPECT_EQ(worker.passes, 1);
    EXPECT_EQ(worker.SystemExitCode(), 0);
    auto running = std::make_unique<CountingWorker>();
    running.reset();  // the destructor stops it, without waiting for the period either
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

TEST(YWorkerThread, ProcessDetachingWaitEndsTheWorker) {
    CountingWorker worker;
    SetProcessDetaching(true);
    EXPECT_TRUE(worker.Wait());
    SetProcessDetaching(false);
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(worker.ExitCode(), YThread::kNotRun);
}

}  // namespace
