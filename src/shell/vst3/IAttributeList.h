#pragma once

// IAttributeList: a small key/value store, used inside IMessage (and a few host
// extensions). Keys are 8-bit identifiers; values are integers, doubles, UTF-16
// strings or byte blocks, copied in on set. UI thread.

#include "shell/vst3/FUnknown.h"

namespace Vst3 {

class IAttributeList : public FUnknown {
public:
    using AttrID = const char*;  // zero-terminated 8-bit key

    virtual tresult SMTG_STDMETHODCALLTYPE setInt(AttrID id, int64_t value) = 0;
    virtual tresult SMTG_STDMETHODCALLTYPE getInt(AttrID id, int64_t& value) = 0;
    virtual tresult SMTG_STDMETHODCALLTYPE setFloat(AttrID id, double value) = 0;
    virtual tresult SMTG_STDMETHODCALLTYPE getFloat(AttrID id, double& value) = 0;
    // string: zero-terminated UTF-16, copied.
    virtual tresult SMTG_STDMETHODCALLTYPE setString(AttrID id, const TChar* string) = 0;
    // Copies the string into string, whose size is given in bytes (not characters).
    virtual tresult SMTG_STDMETHODCALLTYPE getString(AttrID id, TChar* string,
                                                     uint32_t sizeInBytes) = 0;
    // data: sizeInBytes bytes, copied.
    virtual tresult SMTG_STDMETHODCALLTYPE setBinary(AttrID id, const void* data,
                                                     uint32_t sizeInBytes) = 0;
    // data points into the list's own copy, valid while the list lives unchanged.
    virtual tresult SMTG_STDMETHODCALLTYPE getBinary(AttrID id, const void*& data,
                                                     uint32_t& sizeInBytes) = 0;

    static constexpr Uid iid = MakeUid(0x1E5F0AEB, 0xCC7F4533, 0xA2544011, 0x38AD5EE4);

protected:
    ~IAttributeList() = default;
};

}  // namespace Vst3
