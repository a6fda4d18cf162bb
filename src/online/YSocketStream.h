#pragma once

#include "foundation/YStream.h"
#include "platform/Platform.h"

// A stream over a connected TCP socket, which it owns. Read gives what has arrived,
// 0 once the server has ended the connection; Write sends everything or raises. No
// wait for the network lasts longer than the time-out (milliseconds).
//
// Used by YTCPClient on the thread that runs an online service; a stream is never
// shared between threads. Takes no locks.
class YSocketStream : public YStream {
public:
    YSocketStream() = default;
    ~YSocketStream() override { Close(); }
    YSocketStream(const YSocketStream&) = delete;
    YSocketStream& operator=(const YSocketStream&) = delete;

    // Takes over a connected socket, closing any previous one.
    void Attach(Platform::SocketHandle socket, int timeoutMs) noexcept;
    void Close() noexcept;

    // Raises "Could not write to socket stream.", "Not all data have been sent." (the
    // time-out passed) or "All data were not sent before target disconnected.".
    void Write(const void* bytes, uint32_t count) override;
    // Raises "The server did not answer in time." or "Could not read from socket stream.".
    uint32_t Read(void* bytes, uint32_t count) override;
    // Writes go out at once.
    void Flush() override {}
    bool IsOpen() override { return socket_ != Platform::kNoSocket; }

private:
    Platform::SocketHandle socket_ = Platform::kNoSocket;
    int timeoutMs_ = 0;
};
