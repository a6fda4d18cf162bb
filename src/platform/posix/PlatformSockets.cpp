#include "platform/Platform.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>

namespace Platform {

namespace {

using Clock = std::chrono::steady_clock;

int Descriptor(SocketHandle socket) { return static_cast<int>(socket); }

int MillisecondsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits until the socket is ready for events; false on a time-out or an error (errno
// tells which: ETIMEDOUT for the time-out).
bool WaitFor(int descriptor, short events, int timeoutMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        pollfd entry{descriptor, events, 0};
        int ready = poll(&entry, 1, MillisecondsLeft(deadline));
        if (ready > 0) return true;
        if (ready == 0) {
            errno = ETIMEDOUT;
            return false;
        }
        if (errno != EINTR) return false;
    }
}

bool IsConnectionGone(int error) { return error == EPIPE || error == ECONNRESET || error == ENOTCONN; }

// One send or receive, after waiting for the socket when it has nothing to give.
template <typename Transfer>
SocketStatus TransferSome(int descriptor, short events, int timeoutMs, std::size_t& moved, Transfer&& transfer) {
    moved = 0;
    for (;;) {
        ssize_t result = transfer();
        if (result > 0) {
            moved = static_cast<std::size_t>(result);
            return SocketStatus::kDone;
        }
        if (result == 0) return SocketStatus::kClosed;
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return IsConnectionGone(errno) ? SocketStatus::kClosed : SocketStatus::kFailed;
        if (!WaitFor(descriptor, events, timeoutMs))
            return errno == ETIMEDOUT ? SocketStatus::kTimedOut : SocketStatus::kFailed;
    }
}

}  // namespace

bool StartSockets() noexcept { return true; }

SocketHandle ConnectTCP(const YString& host, uint16_t port, int timeoutMs, SocketFailure& failure) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* addresses = nullptr;
    const std::string service = std::to_string(port);
    int resolved = getaddrinfo(host.ToUtf8().c_str(), service.c_str(), &hints, &addresses);
    if (resolved != 0 || addresses == nullptr) {
        const bool noTcp = resolved == EAI_SOCKTYPE || resolved == EAI_SERVICE || resolved == EAI_FAMILY ||
                           (resolved == 0 && addresses == nullptr);
        failure = {noTcp ? SocketStep::kProtocol : SocketStep::kResolve, resolved};
        return kNoSocket;
    }
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int found = -1;
    failure = {SocketStep::kCreate, 0};
    for (addrinfo* address = addresses; address != nullptr && found < 0; address = address->ai_next) {
        // Close-on-exec: a browser started from this process must not inherit it.
        int descriptor =
            socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address->ai_protocol);
        if (descriptor < 0) {
            failure = {SocketStep::kCreate, errno};
            continue;
        }
        bool connected = connect(descriptor, address->ai_addr, address->ai_addrlen) == 0;
        if (!connected && errno == EINPROGRESS && WaitFor(descriptor, POLLOUT, MillisecondsLeft(deadline))) {
            int error = 0;
            socklen_t size = sizeof error;
            connected = getsockopt(descriptor, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
            errno = error;
        }
        if (connected) {
            found = descriptor;
        } else {
            failure = {SocketStep::kConnect, errno};
            close(descriptor);
        }
    }
    freeaddrinfo(addresses);
    return found;
}

SocketStatus SendSome(SocketHandle socket, const void* bytes, std::size_t count, std::size_t& sent,
                      int timeoutMs) noexcept {
    // No SIGPIPE when the other side has gone: the error comes back instead.
    return TransferSome(Descriptor(socket), POLLOUT, timeoutMs, sent,
                        [&] { return send(Descriptor(socket), bytes, count, MSG_NOSIGNAL); });
}

SocketStatus ReceiveSome(SocketHandle socket, void* bytes, std::size_t count, std::size_t& received,
                         int timeoutMs) noexcept {
    return TransferSome(Descriptor(socket), POLLIN, timeoutMs, received,
                        [&] { return recv(Descriptor(socket), bytes, count, 0); });
}

void CloseSocket(SocketHandle socket) noexcept {
    if (socket != kNoSocket) close(Descriptor(socket));
}

}  // namespace Platform
