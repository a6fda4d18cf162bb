#pragma once

// IConnectionPoint and IMessage: how a separate processor and controller talk to each
// other through the host. After initializing both, a host queries IConnectionPoint
// on each and connects them (usually through a proxy of its own); either side then
// sends IMessage objects (created with IHostApplication::createInstance) with notify.
// A single component (processor and controller in one object) is not connected to
// itself, so it need not offer these. UI thread.

#include "shell/vst3/FUnknown.h"

namespace Vst3 {

class IAttributeList;

class IMessage : public FUnknown {
public:
    // The message's 8-bit identifier, owned by the message.
    virtual FIDString SMTG_STDMETHODCALLTYPE getMessageID() = 0;
    virtual void SMTG_STDMETHODCALLTYPE setMessageID(FIDString id) = 0;
    // The message's payload (owned by the message, not referenced for the caller).
    virtual IAttributeList* SMTG_STDMETHODCALLTYPE getAttributes() = 0;

    static constexpr Uid iid = MakeUid(0x936F033B, 0xC6C047DB, 0xBB0882F8, 0x13C1E613);

protected:
    ~IMessage() = default;
};

class IConnectionPoint : public FUnknown {
public:
    // Connects to other (the peer or the host's proxy); keep a reference.
    virtual tresult SMTG_STDMETHODCALLTYPE connect(IConnectionPoint* other) = 0;
    // Drops the connection made with connect.
    virtual tresult SMTG_STDMETHODCALLTYPE disconnect(IConnectionPoint* other) = 0;
    // A message from the peer (borrowed for the call).
    virtual tresult SMTG_STDMETHODCALLTYPE notify(IMessage* message) = 0;

    static constexpr Uid iid = MakeUid(0x70A4156F, 0x6E6E4026, 0x989148BF, 0xAA60D8D1);

protected:
    ~IConnectionPoint() = default;
};

}  // namespace Vst3
