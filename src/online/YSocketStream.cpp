#include "online/YSocketStream.h"

#include "foundation/YException.h"

void YSocketStream::Attach(Platform::SocketHandle socket, int timeoutMs) noexcept {
    Close();
    socket_ = socket;
    timeoutMs_ = timeoutMs;
}

void YSocketStream::Close() noexcept {
    Platform::CloseSocket(socket_);
    socket_ = Platform::kNoSocket;
}

void YSocketStream::Write(const void* bytes, uint32_t count) {
    const auto* next = static_cast<const uint8_t*>(bytes);
    while (count > 0) {
        std::size_t sent = 0;
        Platform::SocketStatus status =
            IsOpen() ? Platform::SendSome(socket_, next, count, sent, timeoutMs_) : Platform::SocketStatus::kFailed;
        switch (status) {
            case Platform::SocketStatus::kDone: break;
            case Platform::SocketStatus::kTimedOut: throw YException(TranslateText("Not all data have been sent."));
            case Platform::SocketStatus::kClosed:
                throw YException(TranslateText("All data were not sent before target disconnected."));
            case Platform::SocketStatus::kFailed: throw YException(TranslateText("Could not write to socket stream."));
        }
        next += sent;
        count -= static_cast<uint32_t>(sent);
    }
}

uint32_t YSocketStream::Read(void* bytes, uint32_t count) {
    if (count == 0) return 0;
    std::size_t received = 0;
    Platform::SocketStatus status =
        IsOpen() ? Platform::ReceiveSome(socket_, bytes, count, received, timeoutMs_) : Platform::SocketStatus::kFailed;
    switch (status) {
        case Platform::SocketStatus::kDone: return static_cast<uint32_t>(received);
        case Platform::SocketStatus::kClosed: return 0;
        case Platform::SocketStatus::kTimedOut: throw YException(TranslateText("The server did not answer in time."));
        case Platform::SocketStatus::kFailed: break;
    }
    throw YException(TranslateText("Could not read from socket stream."));
}
