#include "foundation/YZLibStream.h"

#include "foundation/YException.h"

#include <zlib.h>

#include <algorithm>
#include <new>

namespace {

[[noreturn]] void ThrowInvalidContent(int32_t code) {
    throw YException(TranslateText("Source compressed stream has invalid content."), code);
}

}  // namespace

YZLibStream::~YZLibStream() {
    try {
        Close();
    } catch (const YException&) {
    }
}

int YZLibStream::LevelForQuality(int quality) { return std::clamp((quality - 1) / 10, 0, 9); }

void YZLibStream::ReleaseState() noexcept {
    if (state_ == nullptr) return;
    if (compress_)
        deflateEnd(state_);
    else
        inflateEnd(state_);
    delete state_;
    state_ = nullptr;
}

void YZLibStream::Init(YStream* target, bool compress, int quality) {
    Close();
    target_ = target;
    compress_ = compress;
    ended_ = false;
    passed_ = 0;
    state_ = new (std::nothrow) z_stream{};
    if (state_ == nullptr) ThrowOutOfMemory();
    int result = compress ? deflateInit(state_, LevelForQuality(quality)) : inflateInit(state_);
    if (result != Z_OK) {
        delete state_;
        state_ = nullptr;
        YString message = compress ? YString("Could not initialize deflating.") : YString("Could not initialize inflating.");
        throw YException(TranslateText(message), YException::kCompressionStart);
    }
    if (compress) {
        state_->next_out = buffer_;
        state_->avail_out = kBufferSize;
    } else {
        state_->next_in = buffer_;
        state_->avail_in = 0;
    }
}

void YZLibStream::Write(const void* bytes, uint32_t count) {
    if (state_ == nullptr || !compress_) {
        YStream::Write(bytes, count);  // raises: only a started compressing stream takes bytes
        return;
    }
    state_->next_in = static_cast<Bytef*>(const_cast<void*>(bytes));
    state_->avail_in = count;
    // Only full pieces go out here; the rest waits in the buffer for more input.
    for (;;) {
        if (deflate(state_, Z_NO_FLUSH) == Z_STREAM_ERROR) ThrowInvalidContent(YException::kCompressedData);
        if (state_->avail_out != 0) break;
        target_->Write(buffer_, kBufferSize);
        state_->next_out = buffer_;
        state_->avail_out = kBufferSize;
    }
    passed_ += count;
}

void YZLibStream::Finish() {
    if (state_ == nullptr) return;
    if (compress_) {
        state_->next_in = nullptr;
        state_->avail_in = 0;
        for (;;) {
            int result = deflate(state_, Z_FINISH);
            if (result == Z_STREAM_ERROR) ThrowInvalidContent(YException::kCompressedData);
            if (result == Z_STREAM_END) break;
            if (state_->avail_out == 0) {
                target_->Write(buffer_, kBufferSize);
                state_->next_out = buffer_;
                state_->avail_out = kBufferSize;
            }
        }
        uint32_t rest = kBufferSize - state_->avail_out;
        if (rest > 0) target_->Write(buffer_, rest);
    }
    ReleaseState();
}

void YZLibStream::Close() {
    bool unfinished = state_ != nullptr && compress_;
    ReleaseState();
    if (unfinished) throw YException(TranslateText("ZLIB stream has not been terminated."), YException::kCompressedData);
}

uint32_t YZLibStream::Read(void* bytes, uint32_t count) {
    if (compress_ || (state_ == nullptr && !ended_)) return YStream::Read(bytes, count);  // raises
    if (ended_ || count == 0) return 0;
    state_->next_out = static_cast<Bytef*>(bytes);
    state_->avail_out = count;
    for (;;) {
        // inflate first: it may hold output from earlier input even with none left.
        int result = inflate(state_, Z_SYNC_FLUSH);
        if (result == Z_STREAM_END) {
            ended_ = true;
            break;
        }
        if (result == Z_DATA_ERROR || result == Z_MEM_ERROR || result == Z_NEED_DICT || result == Z_STREAM_ERROR)
            ThrowInvalidContent(YException::kCompressedData);
        if (state_->avail_out == 0) break;
        if (state_->avail_in == 0) {
            uint32_t got = target_->Read(buffer_, kBufferSize);
            if (got == 0) ThrowInvalidContent(0);
            state_->next_in = buffer_;
            state_->avail_in = got;
        }
    }
    uint32_t made = count - state_->avail_out;
    passed_ += made;
    return made;
}

void YZLibStream::Flush() { target_ ? target_->Flush() : YStream::Flush(); }

bool YZLibStream::IsEnd() { return target_ ? target_->IsEnd() : YStream::IsEnd(); }
