#pragma once

#include "foundation/YByteBuffer.h"
#include "foundation/YException.h"
#include "foundation/YStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

// Runs body and expects exactly this YException.
template <typename Body>
void ExpectYException(Body&& body, const std::string& message, int32_t code = 0) {
    try {
        body();
        ADD_FAILURE() << "no exception, expected \"" << message << "\"";
    } catch (const YException& e) {
        EXPECT_EQ(e.Message().ToUtf8(), message);
        EXPECT_EQ(e.Code(), code) << message;
    }
}

inline std::vector<uint8_t> Bytes(const YByteBuffer& buffer) { return {buffer.Data(), buffer.Data() + buffer.Size()}; }

// A stream that implements only Read and Write (the base does the rest), over bytes
// it hands out at most piece at a time; records the size of every write.
class RawStream : public YStream {
public:
    explicit RawStream(std::vector<uint8_t> content = {}, uint32_t piece = UINT32_MAX)
        : bytes(std::move(content)), piece_(piece) {}
    explicit RawStream(const std::string& text, uint32_t piece = UINT32_MAX)
        : RawStream(std::vector<uint8_t>(text.begin(), text.end()), piece) {}

    uint32_t Read(void* out, uint32_t count) override {
        uint32_t n = std::min<uint32_t>({count, piece_, static_cast<uint32_t>(bytes.size() - at)});
        if (n > 0) std::memcpy(out, bytes.data() + at, n);
        at += n;
        reads.push_back(count);
        return n;
    }
    void Write(const void* in, uint32_t count) override {
        auto* p = static_cast<const uint8_t*>(in);
        written.insert(written.end(), p, p + count);
        writes.push_back(count);
    }
    std::string Written() const { return std::string(written.begin(), written.end()); }

    std::vector<uint8_t> bytes;
    std::size_t at = 0;
    std::vector<uint8_t> written;
    std::vector<uint32_t> writes;
    std::vector<uint32_t> reads;

private:
    uint32_t piece_;
};
