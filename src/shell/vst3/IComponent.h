#pragma once

// IComponent: the processing part of a VST 3 plug-in as the host manages it: its
// buses, activation and state. The audio itself goes through IAudioProcessor on the
// same object. A plug-in whose component also implements IEditController is a
// "single component": the host finds the controller by queryInterface on the
// component, initializes and terminates the object only once, and does not connect
// it to itself. All calls: UI thread.

#include "shell/vst3/IPluginBase.h"

namespace Vst3 {

class IBStream;

enum MediaTypes : MediaType {
    kAudio = 0,  // audio buses
    kEvent = 1,  // event (note / MIDI) buses
    kNumMediaTypes = 2,
};

enum BusDirections : BusDirection {
    kInput = 0,
    kOutput = 1,
};

enum BusTypes : BusType {
    kMain = 0,  // main buses come first
    kAux = 1,   // auxiliary, e.g. a side-chain input
};

enum IoModes : IoMode {
    kSimple = 0,             // instruments: one bus in, one bus out
    kAdvanced = 1,           // instruments: any buses
    kOfflineProcessing = 2,  // offline processing context
};

// One bus as the plug-in describes it (getBusInfo).
struct BusInfo {
    enum BusFlags : uint32_t {
        kDefaultActive = 1 << 0,     // the host should activate it at start
        kIsControlVoltage = 1 << 1,  // audio bus carrying control voltage, not sound
    };

    MediaType mediaType;     // MediaTypes
    BusDirection direction;  // BusDirections
    int32_t channelCount;    // audio: channels of the current arrangement; event: MIDI channels (16)
    String128 name;          // name shown by the host
    BusType busType;         // BusTypes
    uint32_t flags;          // BusFlags
};

// Which output bus/channel an input bus/channel relates to (getRoutingInfo).
struct RoutingInfo {
    MediaType mediaType;  // MediaTypes
    int32_t busIndex;     // bus index
    int32_t channel;      // channel, -1 for all
};

class IComponent : public IPluginBase {
public:
    // The class ID of the separate controller to create. A single component may
    // answer kResultFalse; hosts ask for IEditController on the component first.
    virtual tresult SMTG_STDMETHODCALLTYPE getControllerClassId(TUID classId) = 0;
    // IoModes; instruments only. Before setActive.
    virtual tresult SMTG_STDMETHODCALLTYPE setIoMode(IoMode mode) = 0;
    // Number of buses of one media type and direction.
    virtual int32_t SMTG_STDMETHODCALLTYPE getBusCount(MediaType type, BusDirection dir) = 0;
    // Describes bus index; kInvalidArgument past the end.
    virtual tresult SMTG_STDMETHODCALLTYPE getBusInfo(MediaType type, BusDirection dir,
                                                      int32_t index, BusInfo& bus) = 0;
    // Relation of an input to an output (inInfo in, outInfo out); kResultFalse if none.
    virtual tresult SMTG_STDMETHODCALLTYPE getRoutingInfo(RoutingInfo& inInfo,
                                                          RoutingInfo& outInfo) = 0;
    // The host switches a bus on or off (state 1/0) while the component is inactive.
    virtual tresult SMTG_STDMETHODCALLTYPE activateBus(MediaType type, BusDirection dir,
                                                       int32_t index, TBool state) = 0;
    // Activation (state 1) before processing starts, deactivation (0) after it ends.
    virtual tresult SMTG_STDMETHODCALLTYPE setActive(TBool state) = 0;
    // Loads the plug-in state the host saved with getState (the stream is borrowed).
    virtual tresult SMTG_STDMETHODCALLTYPE setState(IBStream* state) = 0;
    // Writes the plug-in state into the host's stream.
    virtual tresult SMTG_STDMETHODCALLTYPE getState(IBStream* state) = 0;

    static constexpr Uid iid = MakeUid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802);

protected:
    ~IComponent() = default;
};

}  // namespace Vst3
