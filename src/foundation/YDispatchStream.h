#pragma once

#include "foundation/YStream.h"

// A filter that forwards every operation to a target stream it does not own.
// Without a target it behaves as the base stream (services not implemented).
class YDispatchStream : public YStream {
public:
    explicit YDispatchStream(YStream* target = nullptr) : target_(target) {}

    void SetTarget(YStream* target) { target_ = target; }
    YStream* GetTarget() const { return target_; }

    YStream* GetSubstream() override { return target_ ? target_ : YStream::GetSubstream(); }
    void Write(const void* bytes, uint32_t count) override {
        target_ ? target_->Write(bytes, count) : YStream::Write(bytes, count);
    }
    uint32_t Read(void* bytes, uint32_t count) override {
        return target_ ? target_->Read(bytes, count) : YStream::Read(bytes, count);
    }
    int ReadLine(char* buffer, uint32_t size) override {
        return target_ ? target_->ReadLine(buffer, size) : YStream::ReadLine(buffer, size);
    }
    void Seek(int64_t offset, int origin) override {
        target_ ? target_->Seek(offset, origin) : YStream::Seek(offset, origin);
    }
    int64_t GetPosition() override { return target_ ? target_->GetPosition() : YStream::GetPosition(); }
    void Flush() override { target_ ? target_->Flush() : YStream::Flush(); }
    bool IsEnd() override { return target_ ? target_->IsEnd() : YStream::IsEnd(); }
    void Truncate() override { target_ ? target_->Truncate() : YStream::Truncate(); }
    int64_t GetSize() override { return target_ ? target_->GetSize() : YStream::GetSize(); }
    bool IsOpen() override { return target_ != nullptr && target_->IsOpen(); }

protected:
    YStream* target_;
};
