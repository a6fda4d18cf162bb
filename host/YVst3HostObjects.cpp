#include "host/YVst3HostObjects.h"

#include "host/YHostWindow.h"
#include "shell/vst3/Vst3Text.h"

#include <algorithm>
#include <chrono>
#include <cstring>

using namespace Vst3;

namespace YVst3Host {

tresult HostApplication::getName(String128 name) {
    if (name == nullptr) return kInvalidArgument;
    CopyText(name, name_);
    return kResultOk;
}

tresult HostApplication::createInstance(TUID, TUID, void** obj) {
    if (obj) *obj = nullptr;
    return kResultFalse;
}

tresult ComponentHandler::beginEdit(ParamID id) {
    ++beginEdits;
    gestures.emplace_back('b', id);
    return kResultOk;
}

tresult ComponentHandler::performEdit(ParamID id, ParamValue valueNormalized) {
    edits.push_back(Edit{id, valueNormalized});
    gestures.emplace_back('p', id);
    if (onPerformEdit) onPerformEdit(id, valueNormalized);
    return kResultOk;
}

tresult ComponentHandler::endEdit(ParamID id) {
    ++endEdits;
    gestures.emplace_back('e', id);
    return kResultOk;
}

tresult ComponentHandler::restartComponent(int32_t flags) {
    restarts.push_back(flags);
    if (onRestart) onRestart(flags);
    return kResultOk;
}

tresult MemoryStream::read(void* buffer, int32_t numBytes, int32_t* numBytesRead) {
    ++readCalls_;
    largestRead_ = std::max(largestRead_, numBytes);
    int64_t available = static_cast<int64_t>(bytes_.size()) - position_;
    const int32_t count = static_cast<int32_t>(std::clamp<int64_t>(std::min<int64_t>(numBytes, available), 0, numBytes));
    if (count > 0) std::memcpy(buffer, bytes_.data() + position_, static_cast<std::size_t>(count));
    position_ += count;
    if (numBytesRead) *numBytesRead = count;
    return kResultOk;
}

tresult MemoryStream::write(void* buffer, int32_t numBytes, int32_t* numBytesWritten) {
    ++writeCalls_;
    if (numBytes < 0 || (numBytes > 0 && buffer == nullptr)) return kInvalidArgument;
    const auto end = static_cast<std::size_t>(position_) + static_cast<std::size_t>(numBytes);
    if (bytes_.size() < end) bytes_.resize(end);
    if (numBytes > 0) std::memcpy(bytes_.data() + position_, buffer, static_cast<std::size_t>(numBytes));
    position_ = static_cast<int64_t>(end);
    if (numBytesWritten) *numBytesWritten = numBytes;
    return kResultOk;
}

tresult MemoryStream::seek(int64_t pos, int32_t mode, int64_t* result) {
    int64_t target;
    switch (mode) {
        case kIBSeekSet: target = pos; break;
        case kIBSeekCur: target = position_ + pos; break;
        case kIBSeekEnd: target = static_cast<int64_t>(bytes_.size()) + pos; break;
        default: return kInvalidArgument;
    }
    if (target < 0) return kResultFalse;
    position_ = target;
    if (result) *result = position_;
    return kResultOk;
}

tresult MemoryStream::tell(int64_t* pos) {
    if (pos == nullptr) return kInvalidArgument;
    *pos = position_;
    return kResultOk;
}

tresult ParamValueQueue::getPoint(int32_t index, int32_t& sampleOffset, ParamValue& value) {
    if (index < 0 || index >= count_) return kResultFalse;
    sampleOffset = offsets_[index];
    value = values_[index];
    return kResultOk;
}

tresult ParamValueQueue::addPoint(int32_t sampleOffset, ParamValue value, int32_t& index) {
    if (count_ >= kCapacity) return kResultFalse;
    offsets_[count_] = sampleOffset;
    values_[count_] = value;
    index = count_++;
    return kResultOk;
}

ParameterChanges::~ParameterChanges() {
    for (ParamValueQueue* queue : queues_) queue->release();
}

void ParameterChanges::Add(ParamID id, int32_t offset, ParamValue value) {
    int32_t index = 0;
    if (IParamValueQueue* queue = addParameterData(id, index)) queue->addPoint(offset, value, index);
}

IParamValueQueue* ParameterChanges::getParameterData(int32_t index) {
    return index >= 0 && index < used_ ? queues_[static_cast<std::size_t>(index)] : nullptr;
}

IParamValueQueue* ParameterChanges::addParameterData(const ParamID& id, int32_t& index) {
    for (int32_t i = 0; i < used_; ++i) {
        if (queues_[static_cast<std::size_t>(i)]->getParameterId() == id) {
            index = i;
            return queues_[static_cast<std::size_t>(i)];
        }
    }
    if (used_ == static_cast<int32_t>(queues_.size())) queues_.push_back(new ParamValueQueue);
    ParamValueQueue* queue = queues_[static_cast<std::size_t>(used_)];
    queue->Reset(id);
    index = used_++;
    return queue;
}

tresult EventList::getEvent(int32_t index, Event& e) {
    if (index < 0 || index >= getEventCount()) return kInvalidArgument;
    e = events_[static_cast<std::size_t>(index)];
    return kResultOk;
}

tresult EventList::addEvent(Event& e) {
    events_.push_back(e);
    return kResultOk;
}

}  // namespace YVst3Host

namespace YVst3Host {

// ---- PlugFrame ------------------------------------------------------------------------------

namespace {

int64_t NowMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

PlugFrame::~PlugFrame() {
    for (auto& entry : handlers_) entry.first->release();
    for (Timer& timer : timers_) timer.handler->release();
}

tresult PlugFrame::resizeView(IPlugView* view, ViewRect* newSize) {
    if (view == nullptr || newSize == nullptr) return kInvalidArgument;
    window_.Resize(newSize->right - newSize->left, newSize->bottom - newSize->top);
    return view->onSize(newSize);
}

tresult PlugFrame::registerEventHandler(IEventHandler* handler, FileDescriptor fd) {
    if (handler == nullptr) return kInvalidArgument;
    handler->addRef();
    handlers_.emplace_back(handler, fd);
    return kResultOk;
}

tresult PlugFrame::unregisterEventHandler(IEventHandler* handler) {
    for (auto it = handlers_.begin(); it != handlers_.end(); ++it) {
        if (it->first == handler) {
            it->first->release();
            handlers_.erase(it);
            return kResultOk;
        }
    }
    return kResultFalse;
}

tresult PlugFrame::registerTimer(ITimerHandler* handler, TimerInterval milliseconds) {
    if (handler == nullptr) return kInvalidArgument;
    handler->addRef();
    const auto interval = static_cast<int64_t>(milliseconds);
    timers_.push_back(Timer{handler, interval, NowMilliseconds() + interval});
    return kResultOk;
}

tresult PlugFrame::unregisterTimer(ITimerHandler* handler) {
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (it->handler == handler) {
            it->handler->release();
            timers_.erase(it);
            return kResultOk;
        }
    }
    return kResultFalse;
}

void PlugFrame::Dispatch() {
    // A handler may unregister itself or others while it runs: work on a copy that
    // holds its own references.
    auto handlers = handlers_;
    for (auto& entry : handlers) entry.first->addRef();
    for (auto& entry : handlers)
        if (YHostWindow::Readable(entry.second)) entry.first->onFDIsSet(entry.second);
    for (auto& entry : handlers) entry.first->release();
    const int64_t now = NowMilliseconds();
    std::vector<ITimerHandler*> due;
    for (Timer& timer : timers_) {
        if (now < timer.due) continue;
        timer.due = now + timer.interval;
        timer.handler->addRef();
        due.push_back(timer.handler);
    }
    for (ITimerHandler* handler : due) {
        ++timerCalls_;
        handler->onTimer();
        handler->release();
    }
}

}  // namespace YVst3Host
