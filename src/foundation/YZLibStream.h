#pragma once

#include "foundation/YStream.h"

#include <cstdint>

struct z_stream_s;

// A zlib filter (zlib format: 2-byte header, deflate data, Adler-32 trailer) over a
// target stream it does not own. A compressing stream takes Write and must end with
// Finish; a decompressing one gives Read.
//
// Errors: 257 when zlib cannot start; 256 for corrupt data, a missing dictionary,
// a memory error and an unfinished compressing stream; 0 when the target ends before
// the compressed data does.
class YZLibStream : public YStream {
public:
    static constexpr uint32_t kBufferSize = 4096;

    YZLibStream() = default;
    YZLibStream(YStream* target, bool compress, int quality = 100) { Init(target, compress, quality); }
    // Never raises: an unfinished compressing stream is dropped without a word (call
    // Finish, or Close to learn about it).
    ~YZLibStream() override;

    // Ends any previous use through Close (which may raise), then starts anew.
    // quality 1..100 gives the level (quality - 1) / 10, clamped to 0..9.
    virtual void Init(YStream* target, bool compress, int quality = 100);
    // Compressing: flushes everything through deflate's finish and ends the state.
    // Decompressing: ends the state.
    virtual void Finish();
    // Ends the state; a compressing stream that was not finished raises "ZLIB stream
    // has not been terminated." (256) after releasing everything.
    virtual void Close();

    static int LevelForQuality(int quality);

    YStream* GetSubstream() override { return target_; }
    void Write(const void* bytes, uint32_t count) override;
    // Fills bytes up to count, less only at the end of the compressed data.
    uint32_t Read(void* bytes, uint32_t count) override;
    // The uncompressed bytes passed so far.
    int64_t GetPosition() override { return passed_; }
    void Flush() override;
    bool IsEnd() override;
    bool IsOpen() override { return state_ != nullptr; }

private:
    void ReleaseState() noexcept;

    YStream* target_ = nullptr;
    z_stream_s* state_ = nullptr;
    bool compress_ = false;
    bool ended_ = false;  // decompressing: the compressed data has ended
    uint32_t passed_ = 0;
    uint8_t buffer_[kBufferSize];
};
