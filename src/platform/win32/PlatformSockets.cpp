// Windows sockets (ws2_32). WSAStartup runs once, on the first use, never from the
// library's entry routine (the loader lock forbids it there).
#include "platform/Platform.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <chrono>
#include <mutex>
#include <string>

namespace Platform {

namespace {

using Clock = std::chrono::steady_clock;

SOCKET Native(SocketHandle socket) { return static_cast<SOCKET>(socket); }

int MillisecondsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits until the socket is readable (or, with writing, writable); a failing
// connection attempt shows in the exception set. False on a time-out (the last error
// is then WSAETIMEDOUT) or an error.
bool WaitFor(SOCKET socket, bool writing, int timeoutMs) {
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(socket, &ready);
    FD_SET(socket, &failed);
    timeval wait{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    int result = select(0, writing ? nullptr : &ready, writing ? &ready : nullptr, &failed, &wait);
    if (result == 0) WSASetLastError(WSAETIMEDOUT);
    return result > 0;
}

bool SetBlocking(SOCKET socket, bool blocking) {
    u_long nonBlocking = blocking ? 0 : 1;
    return ioctlsocket(socket, FIONBIO, &nonBlocking) == 0;
}

bool IsConnectionGone(int error) {
    return error == WSAECONNRESET || error == WSAECONNABORTED || error == WSAESHUTDOWN || error == WSAENOTCONN;
}

SocketStatus Failure(int error) { return IsConnectionGone(error) ? SocketStatus::kClosed : SocketStatus::kFailed; }

// One send or receive after waiting for the socket; the sockets stay non-blocking.
template <typename Transfer>
SocketStatus TransferSome(SOCKET socket, bool writing, int timeoutMs, std::size_t& moved, Transfer&& transfer) {
    moved = 0;
    for (;;) {
        int result = transfer();
        if (result > 0) {
            moved = static_cast<std::size_t>(result);
            return SocketStatus::kDone;
        }
        if (result == 0) return SocketStatus::kClosed;
        int error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK) return Failure(error);
        if (!WaitFor(socket, writing, timeoutMs))
            return WSAGetLastError() == WSAETIMEDOUT ? SocketStatus::kTimedOut : SocketStatus::kFailed;
    }
}

}  // namespace

bool StartSockets() noexcept {
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] {
        WSADATA data;
        started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    });
    return started;
}

SocketHandle ConnectTCP(const YString& host, uint16_t port, int timeoutMs, SocketFailure& failure) {
    if (!StartSockets()) {
        failure = {SocketStep::kStartup, 0};
        return kNoSocket;
    }
    ADDRINFOW hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    hints.ai_flags = AI_NUMERICSERV;
    std::wstring name;
    for (uint32_t i = 0; i < host.Length(); ++i) name += static_cast<wchar_t>(host[i]);
    const std::wstring service = std::to_wstring(port);
    ADDRINFOW* addresses = nullptr;
    int resolved = GetAddrInfoW(name.c_str(), service.c_str(), &hints, &addresses);
    if (resolved != 0 || addresses == nullptr) {
        const bool noTcp = resolved == WSAESOCKTNOSUPPORT || resolved == WSATYPE_NOT_FOUND ||
                           resolved == WSAEAFNOSUPPORT || (resolved == 0 && addresses == nullptr);
        failure = {noTcp ? SocketStep::kProtocol : SocketStep::kResolve, resolved};
        return kNoSocket;
    }
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    SOCKET found = INVALID_SOCKET;
    failure = {SocketStep::kCreate, 0};
    for (ADDRINFOW* address = addresses; address != nullptr && found == INVALID_SOCKET; address = address->ai_next) {
        // Not inheritable: a browser started from this process must not hold it.
        SOCKET socket = WSASocketW(address->ai_family, address->ai_socktype, address->ai_protocol, nullptr, 0,
                                   WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
        if (socket == INVALID_SOCKET || !SetBlocking(socket, false)) {
            failure = {SocketStep::kCreate, WSAGetLastError()};
            if (socket != INVALID_SOCKET) closesocket(socket);
            continue;
        }
        bool connected = connect(socket, address->ai_addr, static_cast<int>(address->ai_addrlen)) == 0;
        if (!connected && WSAGetLastError() == WSAEWOULDBLOCK && WaitFor(socket, true, MillisecondsLeft(deadline))) {
            int error = 0;
            int size = sizeof error;
            connected =
                getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) == 0 && error == 0;
            WSASetLastError(error);
        }
        if (connected) {
            found = socket;
        } else {
            failure = {SocketStep::kConnect, WSAGetLastError()};
            closesocket(socket);
        }
    }
    FreeAddrInfoW(addresses);
    return found == INVALID_SOCKET ? kNoSocket : static_cast<SocketHandle>(found);
}

SocketStatus SendSome(SocketHandle socket, const void* bytes, std::size_t count, std::size_t& sent,
                      int timeoutMs) noexcept {
    const int piece = static_cast<int>(count < 0x40000000 ? count : 0x40000000);
    return TransferSome(Native(socket), true, timeoutMs, sent,
                        [&] { return send(Native(socket), static_cast<const char*>(bytes), piece, 0); });
}

SocketStatus ReceiveSome(SocketHandle socket, void* bytes, std::size_t count, std::size_t& received,
                         int timeoutMs) noexcept {
    const int piece = static_cast<int>(count < 0x40000000 ? count : 0x40000000);
    return TransferSome(Native(socket), false, timeoutMs, received,
                        [&] { return recv(Native(socket), static_cast<char*>(bytes), piece, 0); });
}

void CloseSocket(SocketHandle socket) noexcept {
    if (socket != kNoSocket) closesocket(Native(socket));
}

}  // namespace Platform
