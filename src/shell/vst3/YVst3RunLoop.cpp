#include "shell/vst3/YVst3RunLoop.h"

#include "shell/vst3/Vst3Object.h"

#include <utility>

using namespace Vst3;

class YVst3RunLoop::Handler final : public YVst3Object<IEventHandler, ITimerHandler> {
public:
    void SMTG_STDMETHODCALLTYPE onFDIsSet(FileDescriptor) override {
        if (onReadable) onReadable();
    }
    void SMTG_STDMETHODCALLTYPE onTimer() override {
        if (onTimerCall) onTimerCall();
    }

    std::function<void()> onReadable;
    std::function<void()> onTimerCall;
};

YVst3RunLoop::YVst3RunLoop(IRunLoop* loop) : loop_(loop), handler_(new Handler) { loop_->addRef(); }

YVst3RunLoop::~YVst3RunLoop() {
    StopTimer();
    StopWatching();
    // The host may hold on to the handler a little longer; it outlives us if so.
    handler_->release();
    loop_->release();
}

bool YVst3RunLoop::WatchDescriptor(int descriptor, std::function<void()> onReadable) {
    StopWatching();
    handler_->onReadable = std::move(onReadable);
    watching_ = loop_->registerEventHandler(handler_, descriptor) == kResultOk;
    return watching_;
}

void YVst3RunLoop::StopWatching() {
    if (watching_) loop_->unregisterEventHandler(handler_);
    watching_ = false;
    handler_->onReadable = nullptr;
}

bool YVst3RunLoop::StartTimer(int32_t milliseconds, std::function<void()> onTimer) {
    StopTimer();
    handler_->onTimerCall = std::move(onTimer);
    timing_ = loop_->registerTimer(handler_, static_cast<TimerInterval>(milliseconds)) == kResultOk;
    return timing_;
}

void YVst3RunLoop::StopTimer() {
    if (timing_) loop_->unregisterTimer(handler_);
    timing_ = false;
    handler_->onTimerCall = nullptr;
}
