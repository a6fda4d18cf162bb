#pragma once

#include "platform/YChildWindow.h"
#include "shell/vst3/IPlugView.h"

#include <functional>

// The editor window's run loop served by a VST 3 host's IRunLoop (Linux): one handler
// object takes both the descriptor and the timer calls of the host and passes them on.
// Made when the view is attached and destroyed after the window that uses it. UI thread.
class YVst3RunLoop final : public YChildWindowRunLoop {
public:
    // Takes a reference to loop.
    explicit YVst3RunLoop(Vst3::IRunLoop* loop);
    ~YVst3RunLoop();
    YVst3RunLoop(const YVst3RunLoop&) = delete;
    YVst3RunLoop& operator=(const YVst3RunLoop&) = delete;

    bool WatchDescriptor(int descriptor, std::function<void()> onReadable) override;
    void StopWatching() override;
    bool StartTimer(int32_t milliseconds, std::function<void()> onTimer) override;
    void StopTimer() override;

private:
    class Handler;
    Vst3::IRunLoop* loop_;
    Handler* handler_;
    bool watching_ = false;
    bool timing_ = false;
};
