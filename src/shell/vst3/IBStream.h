#pragma once

// IBStream: the host's byte stream for states and presets (IComponent::setState /
// getState, IEditController::setState / getState). The stream belongs to the host and
// is valid for the call it is passed to. One position serves reading and writing.
// UI thread (or the host's saving thread), never the audio thread.

#include "shell/vst3/FUnknown.h"

namespace Vst3 {

class IBStream : public FUnknown {
public:
    enum IStreamSeekMode : int32_t {
        kIBSeekSet = 0,  // from the start
        kIBSeekCur = 1,  // from the current position
        kIBSeekEnd = 2,  // from the end
    };

    // Reads up to numBytes into buffer; *numBytesRead (may be null) gets the count,
    // 0 at the end. A short read is not an error: read until a call gives 0 bytes.
    virtual tresult SMTG_STDMETHODCALLTYPE read(void* buffer, int32_t numBytes,
                                                int32_t* numBytesRead) = 0;
    // Writes numBytes from buffer; *numBytesWritten (may be null) gets the count.
    virtual tresult SMTG_STDMETHODCALLTYPE write(void* buffer, int32_t numBytes,
                                                 int32_t* numBytesWritten) = 0;
    // Moves the position to pos bytes relative to mode; *result (may be null) gets the
    // new absolute position.
    virtual tresult SMTG_STDMETHODCALLTYPE seek(int64_t pos, int32_t mode, int64_t* result) = 0;
    // The current position in bytes.
    virtual tresult SMTG_STDMETHODCALLTYPE tell(int64_t* pos) = 0;

    static constexpr Uid iid = MakeUid(0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B);

protected:
    ~IBStream() = default;
};

}  // namespace Vst3
