#pragma once

// What a VST 3 host hands a plug-in: the application context, the component handler,
// byte streams for states, parameter changes and event lists for process(). Each is
// a reference-counted object made with new and held through YVst3Ptr.

#include "foundation/YString.h"
#include "shell/vst3/IBStream.h"
#include "shell/vst3/IComponentHandler.h"
#include "shell/vst3/IEventList.h"
#include "shell/vst3/IHostApplication.h"
#include "shell/vst3/IParameterChanges.h"
#include "shell/vst3/IPlugView.h"
#include "shell/vst3/Vst3Object.h"

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

class YHostWindow;

namespace YVst3Host {

class HostApplication : public Vst3::YVst3Object<Vst3::IHostApplication> {
public:
    explicit HostApplication(const YString& name) : name_(name) {}
    Vst3::tresult SMTG_STDMETHODCALLTYPE getName(Vst3::String128 name) override;
    // The host makes no objects for plug-ins (no messages between halves).
    Vst3::tresult SMTG_STDMETHODCALLTYPE createInstance(Vst3::TUID cid, Vst3::TUID interfaceId, void** obj) override;

private:
    YString name_;
};

// The frame of an open editor view: resizes the host window when the view asks, and
// is the host's run loop on Linux (descriptors and timers the view registers, served
// by Dispatch).
class PlugFrame : public Vst3::YVst3Object<Vst3::IPlugFrame, Vst3::IRunLoop> {
public:
    explicit PlugFrame(YHostWindow& window) : window_(window) {}

    Vst3::tresult SMTG_STDMETHODCALLTYPE resizeView(Vst3::IPlugView* view, Vst3::ViewRect* newSize) override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE registerEventHandler(Vst3::IEventHandler* handler, Vst3::FileDescriptor fd) override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE unregisterEventHandler(Vst3::IEventHandler* handler) override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE registerTimer(Vst3::ITimerHandler* handler, Vst3::TimerInterval milliseconds) override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE unregisterTimer(Vst3::ITimerHandler* handler) override;

    // Calls the handlers whose descriptor is readable and the timers that are due.
    void Dispatch();
    // What is registered now (the view must take everything back when it goes).
    std::size_t Registrations() const { return handlers_.size() + timers_.size(); }
    int32_t TimerCalls() const { return timerCalls_; }

protected:
    ~PlugFrame() override;

private:
    struct Timer {
        Vst3::ITimerHandler* handler;
        int64_t interval;
        int64_t due;
    };
    YHostWindow& window_;
    std::vector<std::pair<Vst3::IEventHandler*, Vst3::FileDescriptor>> handlers_;
    std::vector<Timer> timers_;
    int32_t timerCalls_ = 0;
};

// Records what the controller reports: edits and restart requests.
class ComponentHandler : public Vst3::YVst3Object<Vst3::IComponentHandler> {
public:
    struct Edit {
        Vst3::ParamID id;
        Vst3::ParamValue value;
    };

    Vst3::tresult SMTG_STDMETHODCALLTYPE beginEdit(Vst3::ParamID id) override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE performEdit(Vst3::ParamID id, Vst3::ParamValue valueNormalized) override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE endEdit(Vst3::ParamID id) override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE restartComponent(int32_t flags) override;

    std::vector<Edit> edits;
    // Gestures in order: 'b' begin, 'p' perform, 'e' end.
    std::vector<std::pair<char, Vst3::ParamID>> gestures;
    std::vector<int32_t> restarts;
    int32_t beginEdits = 0;
    int32_t endEdits = 0;
    // Runs inside performEdit (a host that reacts at once).
    std::function<void(Vst3::ParamID, Vst3::ParamValue)> onPerformEdit;
    // Runs inside restartComponent.
    std::function<void(int32_t)> onRestart;
};

// A byte stream over memory, read and written at one position.
class MemoryStream : public Vst3::YVst3Object<Vst3::IBStream> {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    Vst3::tresult SMTG_STDMETHODCALLTYPE read(void* buffer, int32_t numBytes, int32_t* numBytesRead) override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE write(void* buffer, int32_t numBytes, int32_t* numBytesWritten) override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE seek(int64_t pos, int32_t mode, int64_t* result) override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE tell(int64_t* pos) override;

    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    int32_t WriteCalls() const { return writeCalls_; }
    int32_t ReadCalls() const { return readCalls_; }
    int32_t LargestRead() const { return largestRead_; }

private:
    std::vector<uint8_t> bytes_;
    int64_t position_ = 0;
    int32_t writeCalls_ = 0;
    int32_t readCalls_ = 0;
    int32_t largestRead_ = 0;
};

class ParamValueQueue : public Vst3::YVst3Object<Vst3::IParamValueQueue> {
public:
    static constexpr int32_t kCapacity = 64;

    void Reset(Vst3::ParamID id) {
        id_ = id;
        count_ = 0;
    }
    Vst3::ParamID SMTG_STDMETHODCALLTYPE getParameterId() override { return id_; }
    int32_t SMTG_STDMETHODCALLTYPE getPointCount() override { return count_; }
    Vst3::tresult SMTG_STDMETHODCALLTYPE getPoint(int32_t index, int32_t& sampleOffset,
                                                  Vst3::ParamValue& value) override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE addPoint(int32_t sampleOffset, Vst3::ParamValue value, int32_t& index) override;

private:
    Vst3::ParamID id_ = 0;
    int32_t count_ = 0;
    int32_t offsets_[kCapacity] = {};
    Vst3::ParamValue values_[kCapacity] = {};
};

// The changes of one block: one queue per parameter, queues made once and reused.
class ParameterChanges : public Vst3::YVst3Object<Vst3::IParameterChanges> {
public:
    ~ParameterChanges() override;
    void Clear() { used_ = 0; }
    // Appends a point to the parameter's queue (made when needed).
    void Add(Vst3::ParamID id, int32_t offset, Vst3::ParamValue value);

    int32_t SMTG_STDMETHODCALLTYPE getParameterCount() override { return used_; }
    Vst3::IParamValueQueue* SMTG_STDMETHODCALLTYPE getParameterData(int32_t index) override;
    Vst3::IParamValueQueue* SMTG_STDMETHODCALLTYPE addParameterData(const Vst3::ParamID& id, int32_t& index) override;

private:
    std::vector<ParamValueQueue*> queues_;
    int32_t used_ = 0;
};

class EventList : public Vst3::YVst3Object<Vst3::IEventList> {
public:
    void Clear() { events_.clear(); }
    std::vector<Vst3::Event>& Events() { return events_; }

    int32_t SMTG_STDMETHODCALLTYPE getEventCount() override { return static_cast<int32_t>(events_.size()); }
    Vst3::tresult SMTG_STDMETHODCALLTYPE getEvent(int32_t index, Vst3::Event& e) override;
    Vst3::tresult SMTG_STDMETHODCALLTYPE addEvent(Vst3::Event& e) override;

private:
    std::vector<Vst3::Event> events_;
};

}  // namespace YVst3Host
